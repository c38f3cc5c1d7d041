#pragma once

#include <QByteArray>
#include <QString>

// The download image temp.bin, written and read so that whatever else sits
// under that name can neither receive the watch's bytes nor hold the program
// up: the bytes go into a new file beside it, renamed over the name when the
// download closes, and the reader takes nothing but a plain file. Anything
// else of that name is refused with an AppError that says, in words, what is
// in the way and what to do.
class WatchImageFile {
public:
    // The numbers these faults carry; their descriptions are for the user.
    static constexpr qint32 ErrDeviceIo = 57;
    static constexpr qint32 ErrDiskFull = 61;
    static constexpr qint32 ErrPermission = 70;
    static constexpr qint32 ErrInTheWay = 75;
    static constexpr qint32 ErrPathNotFound = 76;
    // A fault of this class, told in words that need no error dialog around them.
    static bool isOwnFault(qint32 number);

    WatchImageFile() = default;
    ~WatchImageFile();
    WatchImageFile(const WatchImageFile&) = delete;
    WatchImageFile& operator=(const WatchImageFile&) = delete;

    // Starts a new image for path; refuses when path names anything but a
    // plain file. An image begun before is discarded, and so are the parts
    // ("<path>.XXXXXX") a download that was killed left beside it.
    void begin(const QString& path);
    bool isOpen() const { return m_fd >= 0; }
    void append(const QByteArray& bytes);
    // Puts the image, flushed to the disk, under its name, replacing the
    // file there. After a failure nothing of it is left.
    void commit();
    // Drops the image; the file under the name stays as it was.
    void discard() noexcept;

    // The whole of a plain file; never waits on a pipe or a device. A missing
    // file raises 53.
    static QByteArray read(const QString& path);

private:
    int m_fd = -1;
    QString m_path;
    QString m_partPath;
};
