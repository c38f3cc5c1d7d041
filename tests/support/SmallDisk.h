#pragma once

#include <QString>
#include <QTemporaryDir>

// A disk of a few pages of its own (a tmpfs) for faults no folder of an
// ordinary disk shows to root: full, or mounted read-only. Only root may
// mount: elsewhere isReady() is false and the test skips those cases.
class SmallDisk {
public:
    explicit SmallDisk(int kilobytes = 64);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool isReady() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    // Takes every free byte with a file of its own.
    bool fill();
    bool makeReadOnly();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};
