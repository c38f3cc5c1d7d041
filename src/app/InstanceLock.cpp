#include "app/InstanceLock.h"

#include "platform/AppInfo.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString systemReason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

QString thisHost() { return QSysInfo::machineHostName(); }

// Process, program and computer, one a line: the layout Qt's lock files have,
// so a lock written by an earlier build reads the same. A text without a
// process names no computer either.
QString readOwnerHost(int fd)
{
    char buf[512];
    const ssize_t n = ::pread(fd, buf, sizeof buf, 0);
    if (n <= 0)
        return {};
    const QList<QByteArray> lines = QByteArray(buf, int(n)).split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&ok);
    if (!ok || pid <= 0)
        return {};
    return QString::fromUtf8(lines.value(2).trimmed());
}

bool sameEntry(int fd, const QByteArray& path)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::lstat(path.constData(), &named) == 0 && open.st_dev == named.st_dev
        && open.st_ino == named.st_ino;
}

bool isElsewhere(const QString& host) { return !host.isEmpty() && host != thisHost(); }
}  // namespace

InstanceLock::InstanceLock(QString path) : m_path(std::move(path)) {}

InstanceLock::~InstanceLock()
{
    if (m_fd < 0)
        return;
    // Removed while still held, and only while it is ours: a copy that opened
    // it meanwhile finds it gone and makes its own.
    if (sameEntry(m_fd, QFile::encodeName(m_path)))
        ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
}

InstanceLock::Outcome InstanceLock::take()
{
    const QByteArray path = QFile::encodeName(m_path);
    m_ownerHost.clear();
    m_reason.clear();
    // The name may change hands between the steps; each round looks again.
    for (int round = 0; round < 20; ++round) {
        // Close-on-exec: a program launched from here must not inherit the lock.
        int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
        const bool writable = fd >= 0;
        if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
            const int err = errno;
            // A file of another account, or a read-only one: whether a copy
            // holds it can be asked all the same.
            fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0) {
                const int readErr = errno;
                if (readErr == ENOENT) {
                    m_reason = systemReason(err);
                    return Outcome::NotWritable;
                }
                m_reason = systemReason(readErr);
                return readErr == EACCES || readErr == EPERM ? Outcome::NotReadable : Outcome::Unclear;
            }
            if (err == EROFS) {
                const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
                m_ownerHost = readOwnerHost(fd);
                ::close(fd);
                if (held)
                    return isElsewhere(m_ownerHost) ? Outcome::HeldElsewhere : Outcome::Held;
                m_reason = systemReason(err);
                return Outcome::NotWritable;
            }
        }
        if (fd < 0) {
            const int err = errno;
            // A directory, a link or another odd entry: no copy holds such a thing.
            if ((err == ELOOP || err == EISDIR || err == ENXIO) && removeStrayEntry_m())
                continue;
            if (m_reason.isEmpty())
                m_reason = systemReason(err);
            return Outcome::Unclear;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            if (removeStrayEntry_m())
                continue;
            return Outcome::Unclear;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            m_ownerHost = readOwnerHost(fd);
            ::close(fd);
            if (err == EWOULDBLOCK)
                return isElsewhere(m_ownerHost) ? Outcome::HeldElsewhere : Outcome::Held;
            m_reason = systemReason(err);  // a file system without locks
            return Outcome::Unclear;
        }
        if (!sameEntry(fd, path)) {  // removed or replaced before it was ours
            ::close(fd);
            continue;
        }
        m_ownerHost = readOwnerHost(fd);
        if (isElsewhere(m_ownerHost)) {
            // Locks of another computer may not reach this one over a shared folder.
            ::close(fd);
            return Outcome::Unclear;
        }
        if (!writable) {
            // No copy holds it. Made anew as this account's where the folder
            // allows; else held as it is, which keeps other copies out just the same.
            if (removeStaleFile_m(fd)) {
                ::close(fd);
                continue;
            }
            m_reason.clear();
            m_fd = fd;
            m_ownerHost.clear();
            return Outcome::Taken;
        }
        const QByteArray text = QByteArray::number(qint64(::getpid())) + '\n' + QFile::encodeName(AppInfo::exeName())
            + '\n' + thisHost().toUtf8() + '\n';
        if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, text.constData(), size_t(text.size()), 0) == text.size())
            ::fdatasync(fd);
        m_fd = fd;
        m_ownerHost.clear();
        return Outcome::Taken;
    }
    m_reason = QStringLiteral("it keeps changing");
    return Outcome::Unclear;
}

bool InstanceLock::ownerElsewhere() const { return isElsewhere(m_ownerHost); }

QString InstanceLock::fileAccount() const
{
    struct stat st {};
    if (::lstat(QFile::encodeName(m_path).constData(), &st) != 0)
        return {};
    if (const passwd* account = ::getpwuid(st.st_uid))
        return QString::fromLocal8Bit(account->pw_name);
    return QString::number(st.st_uid);
}

template <class Step>
bool InstanceLock::underFolderLock_m(Step&& step)
{
    const int dir =
        ::open(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        m_reason = systemReason(errno);
        return false;
    }
    int locked = -1;
    for (int wait = 0; wait < 200 && (locked = ::flock(dir, LOCK_EX | LOCK_NB)) != 0 && errno == EWOULDBLOCK; ++wait)
        QThread::msleep(10);
    const bool done = locked == 0 && step();
    if (!done)
        m_reason = systemReason(errno);
    ::close(dir);
    return done;
}

bool InstanceLock::removeStrayEntry_m()
{
    const QByteArray path = QFile::encodeName(m_path);
    return underFolderLock_m([&] {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0)
            return errno == ENOENT;
        if (S_ISREG(st.st_mode))
            return true;  // a copy made its lock meanwhile: the next round asks it
        if (S_ISDIR(st.st_mode))
            return ::rmdir(path.constData()) == 0;
        return ::unlink(path.constData()) == 0;
    });
}

bool InstanceLock::removeStaleFile_m(int fd)
{
    const QByteArray path = QFile::encodeName(m_path);
    // Still the file this copy holds locked: no other copy can be using it.
    return underFolderLock_m([&] { return sameEntry(fd, path) && ::unlink(path.constData()) == 0; });
}
