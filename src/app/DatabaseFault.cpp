#include "app/DatabaseFault.h"

#include "app/WindowServices.h"
#include "data/clsAdoConnectJet.h"
#include "platform/AppInfo.h"
#include "platform/Connection.h"

#include <QDir>
#include <QFileInfo>

namespace {
qint32 withoutBase(qint32 number)
{
    const qint32 base = AppError::ObjectErrorBase;
    return (number & base) == base ? (number & 0xFFFF) : number;
}

// Each fault with its text id and English words; the ones only at open keep
// the file from opening at all, so only start-up meets them. A fault whose
// advice is to restore the backup copy is followed by how to do it safely.
struct Fault {
    qint32 number;
    qint32 textId;
    const char* words;
    bool onlyAtOpen;
    bool restores;
};
constexpr Fault Faults[] = {
    {ErrNo::DatabaseLocked, 4181,
     "the database is in use by another program. Nothing was changed: try again once the other program has "
     "finished with it.",
     false, false},
    {ErrNo::DiskFull, 4182, "the disk is full. Nothing was changed: make room on the disk, then try again.", false,
     false},
    {ErrNo::DatabaseReadOnly, 4183,
     "the database or its folder cannot be written. Nothing was changed: check that you may write to the program "
     "folder, then try again.",
     false, false},
    {ErrNo::DiskError, 4184,
     "the disk could not be read or written. Nothing was changed: keep a copy of the database before anything else "
     "is done.",
     false, false},
    {Connection::DatabaseMoved, 4250,
     "the database file was deleted, moved or replaced while Splitwerk was running, so nothing more can be stored in "
     "it. Nothing was changed: copy what you still need from the open windows, then close Splitwerk and start it "
     "again. If it then says that the database file is missing, restore the backup copy of splitwerk.mdb as the help "
     "page splitwerk.html in the program folder | says under \"Backing up and restoring\".",
     false, false},
    {ErrNo::DatabaseDamaged, 4190,
     "the database file is damaged. Nothing was changed: close Splitwerk and restore the backup copy of "
     "splitwerk.mdb.",
     false, true},
    {ErrNo::DatabaseNotFound, 4191,
     "the database file is missing. Nothing was changed: restore the backup copy of splitwerk.mdb; without a backup, "
     "installing or building Splitwerk again makes a new, empty database.",
     true, true},
    {ErrNo::NotValidPassword, 4192,
     "the database file cannot be read with the program's key: it is damaged, or it is not Splitwerk's database. "
     "Nothing was changed: restore the backup copy of splitwerk.mdb.",
     true, true},
};

// "|" is the program folder, filled here: the texts are also wanted before
// any strings file is read.
QString words(qint32 id, const char* english)
{
    return WindowServices::text(id, QString::fromUtf8(english))
        .replace(QLatin1Char('|'), QDir::toNativeSeparators(AppInfo::path()));
}

// A journal left beside the damaged file by a crash is played back into the
// copy put in its place, and damages it: it goes with the file.
QString restoring()
{
    return words(4240,
                 "To restore it, move splitwerk.mdb, splitwerk.mdb-journal and splitwerk.mdb-wal, whichever are "
                 "there, out of the program folder |, then copy the file to restore into it under the name "
                 "splitwerk.mdb. Leave no old journal behind: it would damage the copy put back. The help page "
                 "splitwerk.html in the program folder says more under \"Backing up and restoring\".");
}

QString said(const QString& what, const QString& why, qint32 number, const QString& description)
{
    return what + QStringLiteral(": ") + why + QStringLiteral("\r\n\r\n")
        + QStringLiteral("Error %1: %2").arg(number).arg(description);
}

QString programFile(const QString& name) { return QDir(AppInfo::path()).filePath(name); }

bool samePath(const QString& a, const QString& b)
{
    const QFileInfo x(a);
    const QFileInfo y(b);
    if (x.exists() && y.exists())
        return x.canonicalFilePath() == y.canonicalFilePath();
    return QDir::cleanPath(x.absoluteFilePath()) == QDir::cleanPath(y.absoluteFilePath());
}

// What takes the database file's place when it is "missing": empty when
// nothing does.
QString inTheWay()
{
    const QFileInfo entry(programFile(AppInfo::exeName() + QStringLiteral(".mdb")));
    if (entry.isDir())
        return words(4241,
                     "where the database file should be there is a folder of that name. Nothing was changed: the "
                     "database may be inside that folder; put it back in the folder's place, or restore the backup "
                     "copy of splitwerk.mdb.");
    if (entry.isSymLink() || (entry.exists() && !entry.isFile()))
        return words(4242,
                     "where the database file should be there is something that is not a file (a link that leads "
                     "nowhere, a device or a pipe). Nothing was changed: restore the backup copy of splitwerk.mdb.");
    return {};
}

// A start that failed on the record-set connection's data link file, told
// in words; empty for any other failure. The maintenance connection opens
// first with the program's own key and its failures carry the object-error
// base: an open fault without it is the data link file's.
QString dataLinkFault(const AppError& e)
{
    const qint32 n = e.number();
    const QString udl = programFile(QStringLiteral("SPLITWERK.UDL"));
    if (n == ErrNo::DataLinkFileMissing) {
        const QFileInfo entry(udl);
        if (entry.exists() || entry.isSymLink())
            return words(4244,
                         "in the program folder |, SPLITWERK.UDL is not the data link file but a folder or another "
                         "entry that is not a file: move it out of the way.");
        return words(4243, "the data link file SPLITWERK.UDL is missing from the program folder |.");
    }
    if (n != ErrNo::OleDbFailed && n != ErrNo::NotValidPassword && n != ErrNo::DatabaseNotFound
        && n != ErrNo::DatabaseDamaged)
        return {};
    clsAdoConnectJet::DataLink link;
    try {
        link = clsAdoConnectJet::ReadDataLink(udl);
    } catch (const AppError&) {
        if (n != ErrNo::OleDbFailed)
            return {};
        if (QFileInfo(udl).size() == 0)
            return words(4245, "the data link file SPLITWERK.UDL in the program folder | is empty.");
        return words(4246,
                     "the data link file SPLITWERK.UDL in the program folder | cannot be read, or it names no "
                     "database.");
    }
    if (n == ErrNo::OleDbFailed)
        return {};
    if (!samePath(link.dataSource, programFile(AppInfo::exeName() + QStringLiteral(".mdb"))))
        return words(4249,
                     "the data link file SPLITWERK.UDL in the program folder | names another database file than "
                     "splitwerk.mdb there, and that file cannot be used (see below). Do not restore a backup: "
                     "splitwerk.mdb itself is not at fault. Check the Data Source in the data link file.");
    if (n == ErrNo::NotValidPassword)
        return words(4248,
                     "the password in the data link file SPLITWERK.UDL in the program folder | does not open the "
                     "database file splitwerk.mdb, which the program's own key opens: do not restore a backup, the "
                     "database is in order. Check the password in the data link file.");
    return {};
}

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
    QString why = f->number == ErrNo::DatabaseNotFound ? inTheWay() : QString();
    if (why.isEmpty())
        why = words(f->textId, f->words);
    if (f->restores)
        why += QLatin1Char(' ') + restoring();
    return said(what, why, f->number, e.description());
}

QString atStartUp(const QString& what, const AppError& e)
{
    // The data link file names the database and its key; the program writes it
    // at every build and install, and the database stays as it is then.
    if (const QString link = dataLinkFault(e); !link.isEmpty())
        return said(what,
                    link + QLatin1Char(' ')
                        + words(4247,
                                "The database was not touched. Installing or building Splitwerk again writes the "
                                "data link file anew and keeps the database as it is."),
                    e.number(), e.description());
    return atOpen(e.number()) ? message(what, e) : QString();
}

void show(const QString& text) { WindowServices::showMessage(text, 48); }

}  // namespace DatabaseFault
