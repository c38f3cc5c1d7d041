#pragma once

#include <QString>

// One running copy a program folder, marked by a lock file beside the
// database. What holds the lock is a kernel lock on that file, which dies with
// its process, so a file left by a crash, a power cut or a half-written start
// (empty, garbled, a dead process) is simply taken over. The file's text (process,
// program, computer) only serves to tell the user who holds it.
class InstanceLock {
public:
    enum class Outcome {
        Taken,          // this copy holds the lock
        Held,           // a running copy on this computer holds it
        HeldElsewhere,  // a running copy on another computer holds it
        Unclear,        // whether a copy runs cannot be told: the user must judge
        NotReadable,    // another account's lock file this one may not even read
        NotWritable,    // the folder cannot be written: no lock, nor anything else
    };

    explicit InstanceLock(QString path);
    ~InstanceLock();  // removes the file and lets go; never throws
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Outcome take();
    QString path() const { return m_path; }
    // The computer the file names, as read by the last take(); empty when
    // its text names none.
    const QString& ownerHost() const { return m_ownerHost; }
    // The file names another computer than this one.
    bool ownerElsewhere() const;
    // Why the outcome is Unclear, NotReadable or NotWritable (the system's words).
    const QString& reason() const { return m_reason; }
    // The user account the file belongs to; empty when it cannot be told.
    QString fileAccount() const;

private:
    // Runs the step on the name under a lock on its folder, so that two
    // copies clearing the name at once never remove the lock file the other
    // has just made in its place. False when the step or the lock fails.
    template <class Step>
    bool underFolderLock_m(Step&& step);
    bool removeStrayEntry_m();
    // Removes the stale file fd has open, if the name still leads to it.
    bool removeStaleFile_m(int fd);

    QString m_path;
    int m_fd = -1;
    QString m_ownerHost;
    QString m_reason;
};
