#include "app/DatabaseFault.h"

#include "app/WindowServices.h"
#include "platform/AppInfo.h"

#include <QDir>

namespace {
qint32 withoutBase(qint32 number)
{
    const qint32 base = AppError::ObjectErrorBase;
    return (number & base) == base ? (number & 0xFFFF) : number;
}
}  // namespace

namespace DatabaseFault {

qint32 of(qint32 number)
{
    const qint32 n = withoutBase(number);
    switch (n) {
    case ErrNo::DatabaseLocked:
    case ErrNo::DiskFull:
    case ErrNo::DatabaseReadOnly:
    case ErrNo::DiskError:
    case ErrNo::DatabaseDamaged: return n;
    default: return 0;
    }
}

qint32 atOpen(qint32 number)
{
    const qint32 n = withoutBase(number);
    return n == ErrNo::DatabaseNotFound || n == ErrNo::NotValidPassword ? n : of(number);
}

QString message(const QString& what, const AppError& e)
{
    using WindowServices::text;
    QString why;
    const qint32 number = atOpen(e.number());
    switch (number) {
    case ErrNo::DatabaseLocked:
        why = text(4181,
                   QStringLiteral("the database is in use by another program. Nothing was changed: try again "
                                  "once the other program has finished with it."));
        break;
    case ErrNo::DiskFull:
        why = text(4182,
                   QStringLiteral("the disk is full. Nothing was changed: make room on the disk, then try "
                                  "again."));
        break;
    case ErrNo::DatabaseReadOnly:
        why = text(4183,
                   QStringLiteral("the database or its folder cannot be written. Nothing was changed: check "
                                  "that you may write to the program folder, then try again."));
        break;
    case ErrNo::DatabaseDamaged:
        why = text(4190,
                   QStringLiteral("the database file is damaged. Nothing was changed: close Splitwerk and "
                                  "restore the backup copy of splitwerk.mdb, as the README says."));
        break;
    case ErrNo::DatabaseNotFound:
        // "|" is the folder, filled here: the text is also wanted before any strings file is read.
        why = text(4191,
                   QStringLiteral("the database file is missing. Nothing was changed: put the backup copy of "
                                  "splitwerk.mdb back into the program folder |, as the README says; without a "
                                  "backup, building or installing Splitwerk again makes a new, empty database there."))
                  .replace(QLatin1Char('|'), QDir::toNativeSeparators(AppInfo::path()));
        break;
    case ErrNo::NotValidPassword:
        why = text(4192,
                   QStringLiteral("the database file cannot be read with the program's key: it is damaged, or it "
                                  "is not Splitwerk's database. Nothing was changed: restore the backup copy of "
                                  "splitwerk.mdb, as the README says."));
        break;
    default:
        why = text(4184,
                   QStringLiteral("the disk could not be read or written. Nothing was changed: keep a copy of "
                                  "the database before anything else is done."));
        break;
    }
    return what + QStringLiteral(": ") + why + QStringLiteral("\r\n\r\n")
        + QStringLiteral("Error %1: %2").arg(number).arg(e.description());
}

void show(const QString& text) { WindowServices::showMessage(text, 48); }

}  // namespace DatabaseFault
