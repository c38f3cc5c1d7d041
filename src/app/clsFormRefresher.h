#pragma once

#include <QObject>
#include <QPointer>
#include <QVariant>

// The one refresh broker: a window that saved or deleted data asks every
// window holding the broker (itself included) to requery. Receivers connect
// directly, so all have run before SendRefreshRequest_p returns; their slots
// are window procedures and catch their own errors.
class clsFormRefresher : public QObject {
    Q_OBJECT
public:
    // The refresh types the windows react to.
    enum RefreshType : qint32 {
        rtCategory = 1,
        rtEvent = 2,
        rtAthlete = 3,
        rtSegmentDetail = 4,
        rtSegmentList = 5,
        rtSegmentType = 6,
    };

    explicit clsFormRefresher(QObject* parent = nullptr);

    // vArg left out arrives as an invalid QVariant (nothing given).
    void SendRefreshRequest_p(qint32 lType, const QVariant& vArg = {});

    // A window's FormRefresher_po: lets go of the broker it held and takes
    // `refresher` (may be null), its requests going straight to `slot`.
    template <class Holder, class Slot>
    static void Hold(QPointer<clsFormRefresher>& held, clsFormRefresher* refresher, Holder* holder, Slot slot)
    {
        if (held)
            QObject::disconnect(held, nullptr, holder, nullptr);
        held = refresher;
        if (refresher)
            QObject::connect(refresher, &clsFormRefresher::RefreshRequested, holder, slot, Qt::DirectConnection);
    }

signals:
    void RefreshRequested(qint32 lType, const QVariant& vArg);
};
