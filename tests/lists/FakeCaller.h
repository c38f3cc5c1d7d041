#pragma once

#include <QList>
#include <QVariant>
#include <QWidget>

// Stands in for the segment detail window on the other end of the call-back.
class FakeCaller : public QWidget {
    Q_OBJECT
public:
    Q_INVOKABLE void setObjectID_p(qint32 lTag, const QVariant& vID)
    {
        tags << lTag;
        ids << vID;
    }
    QList<qint32> tags;
    QList<QVariant> ids;
};
