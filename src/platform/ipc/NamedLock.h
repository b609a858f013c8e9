#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>
#include <unistd.h>

enum class LockState {
    Acquired,        // this object holds the lock now
    Free,            // (probe) nobody holds it
    HeldBySameUser,  // another process of this user, or another object here
    HeldByOtherUser, // a process of another user of this computer
    Error,
};

// The program's own instance lock (per user) and session-wide lock (every
// user of the computer sees it), and its sibling programs' session-wide locks.
inline const QString kInstanceLockName = QStringLiteral("hQXTollavine");
inline const QString kSessionLockName = QStringLiteral("Global\\hQXTollavine");
inline const QString kSiblingLockNames[] = {
    QStringLiteral("Global\\hQXSelvoForm"), QStringLiteral("Global\\hQXSelvoDBMnger"),
    QStringLiteral("Global\\hNWCodeTenki"), QStringLiteral("Global\\hZMPTool"),
    QStringLiteral("Global\\hQXMakeForm"),
};

// A lock that lives exactly as long as the process holding it: an flock()ed
// file, which the kernel frees when the holder ends in any way. Names with
// the prefix "Global\" are session-wide (a shared folder, files open to every
// user, the holder's uid recorded inside); other names belong to the user.
// Lock files stay in place: removing them would let two processes lock two
// different files of the same name.
class CNamedLock
{
  public:
    // `self` is the uid the lock compares holders with and records; only
    // tests pass another one.
    explicit CNamedLock(const QString& name, uid_t self = ::getuid());
    ~CNamedLock();
    CNamedLock(const CNamedLock&) = delete;
    CNamedLock& operator=(const CNamedLock&) = delete;

    // Acquired, HeldBySameUser, HeldByOtherUser or Error; never waits.
    LockState TryAcquire();
    void Release();
    bool IsAcquired() const { return m_fd >= 0; }

    // Whether someone holds the lock, without keeping it or leaving a lock
    // file behind: Free, HeldBySameUser, HeldByOtherUser or Error.
    static LockState Probe(const QString& name, uid_t self = ::getuid());

    // The file behind a name; empty when the name is empty or too long or
    // its folder is unusable. Every character outside [A-Za-z0-9_-] is
    // escaped, so no name reaches outside the folder.
    static QString LockFilePath(const QString& name, bool createFolder = false);

  private:
    QByteArray m_path; // resolved at construction, so acquiring needs no allocation
    bool m_shared;
    uid_t m_self;
    int m_fd = -1;
};

// Start-up's rule for other users: takes the session-wide lock into `own`
// (kept until exit when free) and probes the siblings' locks. True when
// another user of this computer holds any of them.
bool OtherUserIsActive(CNamedLock& own, uid_t self = ::getuid());
