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

// Each fault with its text id and English words; the last ones keep the file
// from opening at all, so only start-up meets them.
struct Fault {
    qint32 number;
    qint32 textId;
    const char* words;
    bool onlyAtOpen;
};
constexpr Fault Faults[] = {
    {ErrNo::DatabaseLocked, 4181,
     "the database is in use by another program. Nothing was changed: try again once the other program has "
     "finished with it.",
     false},
    {ErrNo::DiskFull, 4182, "the disk is full. Nothing was changed: make room on the disk, then try again.", false},
    {ErrNo::DatabaseReadOnly, 4183,
     "the database or its folder cannot be written. Nothing was changed: check that you may write to the program "
     "folder, then try again.",
     false},
    {ErrNo::DiskError, 4184,
     "the disk could not be read or written. Nothing was changed: keep a copy of the database before anything else "
     "is done.",
     false},
    {ErrNo::DatabaseDamaged, 4190,
     "the database file is damaged. Nothing was changed: close Splitwerk and restore the backup copy of "
     "splitwerk.mdb, as the README says.",
     false},
    // "|" is the folder, filled here: the text is also wanted before any strings file is read.
    {ErrNo::DatabaseNotFound, 4191,
     "the database file is missing. Nothing was changed: put the backup copy of splitwerk.mdb back into the "
     "program folder |, as the README says; without a backup, building or installing Splitwerk again makes a new, "
     "empty database there.",
     true},
    {ErrNo::NotValidPassword, 4192,
     "the database file cannot be read with the program's key: it is damaged, or it is not Splitwerk's database. "
     "Nothing was changed: restore the backup copy of splitwerk.mdb, as the README says.",
     true},
};

const Fault* faultOf(qint32 number, bool atOpen)
{
    const qint32 n = withoutBase(number);
    for (const Fault& f : Faults)
        if (f.number == n && (atOpen || !f.onlyAtOpen))
            return &f;
    return nullptr;
}
}  // namespace

namespace DatabaseFault {

qint32 of(qint32 number)
{
    const Fault* f = faultOf(number, false);
    return f ? f->number : 0;
}

qint32 atOpen(qint32 number)
{
    const Fault* f = faultOf(number, true);
    return f ? f->number : 0;
}

QString message(const QString& what, const AppError& e)
{
    const Fault* f = faultOf(e.number(), true);
    if (!f)
        f = faultOf(ErrNo::DiskError, false);
    const QString why = WindowServices::text(f->textId, QString::fromUtf8(f->words))
                            .replace(QLatin1Char('|'), QDir::toNativeSeparators(AppInfo::path()));
    return what + QStringLiteral(": ") + why + QStringLiteral("\r\n\r\n")
        + QStringLiteral("Error %1: %2").arg(f->number).arg(e.description());
}

void show(const QString& text) { WindowServices::showMessage(text, 48); }

}  // namespace DatabaseFault
