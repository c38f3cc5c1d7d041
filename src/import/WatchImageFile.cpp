#include "import/WatchImageFile.h"

#include "import/ImportTexts.h"
#include "platform/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString Source = QStringLiteral("WatchImageFile");

QString systemReason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

QString whatIs(mode_t mode)
{
    if (S_ISLNK(mode))
        return ImportTexts::aLink();
    if (S_ISDIR(mode))
        return ImportTexts::aFolder();
    if (S_ISFIFO(mode))
        return ImportTexts::aNamedPipe();
    return ImportTexts::aDevice();
}

[[noreturn]] void inTheWay(const QString& path, mode_t mode)
{
    throw AppError(WatchImageFile::ErrInTheWay,
                   ImportTexts::imageInTheWay(QDir::toNativeSeparators(path), whatIs(mode)), Source);
}

qint32 numberOf(int err)
{
    qint32 number = WatchImageFile::ErrDeviceIo;
    if (err == EACCES || err == EPERM || err == EROFS)
        number = WatchImageFile::ErrPermission;
    else if (err == ENOSPC || err == EDQUOT)
        number = WatchImageFile::ErrDiskFull;
    else if (err == ENOENT || err == ENOTDIR)
        number = WatchImageFile::ErrPathNotFound;
    return number;
}

[[noreturn]] void notWritten(const QString& path, int err)
{
    throw AppError(numberOf(err), ImportTexts::imageNotWritten(QDir::toNativeSeparators(path), systemReason(err)),
                   Source);
}

[[noreturn]] void notRead(const QString& path, int err)
{
    throw AppError(numberOf(err), ImportTexts::imageNotRead(QDir::toNativeSeparators(path), systemReason(err)), Source);
}

constexpr char PartLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int PartSuffixLength = 6;

bool isPartName(const QString& name, const QString& imageName)
{
    if (name.size() != imageName.size() + 1 + PartSuffixLength || !name.startsWith(imageName + QLatin1Char('.')))
        return false;
    for (qsizetype i = imageName.size() + 1; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (c > 127 || !std::memchr(PartLetters, int(c), sizeof PartLetters - 1))
            return false;
    }
    return true;
}

// Parts a killed download left beside the image: plain files only, never
// what a link leads to. One download runs at a time in the program folder.
void removeLeftParts(const QString& path)
{
    const QFileInfo image(path);
    const QDir folder = image.absoluteDir();
    const QStringList names = folder.entryList({image.fileName() + QStringLiteral(".*")},
                                               QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& name : names) {
        struct stat st {};
        const QByteArray entry = QFile::encodeName(folder.filePath(name));
        if (isPartName(name, image.fileName()) && ::lstat(entry.constData(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(entry.constData());
    }
}

// A new part beside the image under a name of our own making, created anew:
// no link, pipe or file of someone else's can be behind it. It is made as
// any new file is, so the user's umask decides who may read it.
int createPart(const QString& path, QByteArray* partPath)
{
    const QByteArray base = QFile::encodeName(path) + '.';
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = base;
        for (int i = 0; i < PartSuffixLength; ++i)
            name += PartLetters[QRandomGenerator::global()->bounded(int(sizeof PartLetters) - 1)];
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            *partPath = name;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

// Refuses a name that holds anything but a plain file; a free name passes.
void checkName(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
        if (errno == ENOENT)
            return;
        notWritten(path, errno);
    }
    if (!S_ISREG(st.st_mode))
        inTheWay(path, st.st_mode);
}
}  // namespace

bool WatchImageFile::isOwnFault(qint32 number)
{
    return number == ErrDeviceIo || number == ErrDiskFull || number == ErrPermission || number == ErrInTheWay
        || number == ErrPathNotFound;
}

WatchImageFile::~WatchImageFile() { discard(); }

void WatchImageFile::begin(const QString& path)
{
    discard();
    checkName(path);
    removeLeftParts(path);
    QByteArray part;
    const int fd = createPart(path, &part);
    if (fd < 0)
        notWritten(path, errno);
    m_fd = fd;
    m_path = path;
    m_partPath = QFile::decodeName(part);
}

void WatchImageFile::append(const QByteArray& bytes)
{
    if (m_fd < 0)
        throw AppError(52, QStringLiteral("Bad file name or number"), Source);
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, at, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : EIO;
            const QString path = m_path;
            discard();
            notWritten(path, err);
        }
        at += n;
        left -= n;
    }
}

void WatchImageFile::commit()
{
    if (m_fd < 0)
        return;
    const QString path = m_path;
    const QByteArray part = QFile::encodeName(m_partPath);
    // On the disk before it takes the name: a power cut after the rename
    // must not leave an empty image in place of the download.
    int synced = 0;
    while ((synced = ::fsync(m_fd)) != 0 && errno == EINTR) {
    }
    const int syncErr = errno;
    const int closed = ::close(m_fd);
    const int closeErr = synced != 0 ? syncErr : errno;
    m_fd = -1;
    if (synced != 0 || closed != 0) {
        discard();
        notWritten(path, closeErr);
    }
    // The rename replaces the name itself: a link put there meanwhile is
    // replaced, never written through; only a folder can stand in the way.
    if (::rename(part.constData(), QFile::encodeName(path).constData()) != 0) {
        const int err = errno;
        discard();
        if (err == EISDIR || err == ENOTEMPTY || err == EEXIST)
            inTheWay(path, S_IFDIR);
        notWritten(path, err);
    }
    m_partPath.clear();
}

void WatchImageFile::discard() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_partPath.isEmpty())
        ::unlink(QFile::encodeName(m_partPath).constData());
    m_partPath.clear();
}

QByteArray WatchImageFile::read(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw AppError(ErrNo::FileNotFound, AppError::standardDescription(ErrNo::FileNotFound), Source);
        notRead(path, errno);
    }
    if (!S_ISREG(st.st_mode))
        inTheWay(path, st.st_mode);
    // Checked again on what was opened: the name may have changed hands since.
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ELOOP)
            inTheWay(path, S_IFLNK);
        notRead(path, err);
    }
    QByteArray bytes;
    int err = 0;
    if (::fstat(fd, &st) != 0) {
        err = errno;
    } else if (S_ISREG(st.st_mode)) {
        char buf[8192];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                err = errno;
            if (n <= 0)
                break;
            bytes.append(buf, n);
        }
    }
    ::close(fd);
    if (err != 0)
        notRead(path, err);
    if (!S_ISREG(st.st_mode))
        inTheWay(path, st.st_mode);
    return bytes;
}
