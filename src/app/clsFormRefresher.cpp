#include "app/clsFormRefresher.h"

clsFormRefresher::clsFormRefresher(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("clsFormRefresher"));
}

void clsFormRefresher::SendRefreshRequest_p(qint32 lType, const QVariant& vArg) { emit RefreshRequested(lType, vArg); }
