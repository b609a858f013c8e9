#include "platform/ipc/NamedLock.h"

#include "platform/ipc/IpcFolders.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace
{

const QString kGlobalPrefix = QStringLiteral("Global\\");
constexpr int kMaxFileNameBytes = 200;
// The holder's uid, fixed width so a rewrite never shows a reader a torn value.
constexpr int kOwnerBytes = 11;

bool IsShared(const QString& name)
{
    return name.startsWith(kGlobalPrefix);
}

QString FileNameFor(const QString& name)
{
    const QByteArray bytes = (IsShared(name) ? name.mid(kGlobalPrefix.size()) : name).toUtf8();
    QString file;
    for (const char c : bytes) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '_' || c == '-';
        file += plain ? QString(QChar(c)) : QStringLiteral("%%1").arg(uchar(c), 2, 16, QChar('0')).toUpper();
    }
    if (file.isEmpty() || file.size() > kMaxFileNameBytes)
        return {};
    return file + QStringLiteral(".lock");
}

// Opens without following links and without blocking on anything that is
// not a plain file; O_CLOEXEC keeps started programs from inheriting (and
// so prolonging) the lock. A file with a second name is refused: in the
// shared folder that is a hard link someone planted to another file, which
// recording the holder would overwrite.
int OpenExisting(const QByteArray& path, int access)
{
    const int fd = ::open(path.constData(), access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

// Existing files are opened without O_CREAT: in a sticky world-writable
// folder the kernel may refuse O_CREAT on another user's file.
int OpenOrCreate(const QByteArray& path, bool shared)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd = OpenExisting(path, O_RDWR);
        if (fd >= 0 || errno != ENOENT)
            return fd;
        fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            // Other users must be able to open a session-wide lock file.
            if (shared)
                ::fchmod(fd, 0666);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

bool TryLock(int fd)
{
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    return rc == 0;
}

// Who holds the locked file: the uid its holder recorded, else (nothing
// readable yet) the file's owner.
LockState HolderState(int fd, uid_t self)
{
    char text[kOwnerBytes + 1] = {};
    const ssize_t got = ::pread(fd, text, kOwnerBytes, 0);
    char* end = nullptr;
    unsigned long uid = got > 0 ? std::strtoul(text, &end, 10) : 0;
    if (got <= 0 || end == text || (*end != '\n' && *end != '\0')) {
        struct stat st;
        if (::fstat(fd, &st) != 0)
            return LockState::Error;
        uid = st.st_uid;
    }
    return uid == self ? LockState::HeldBySameUser : LockState::HeldByOtherUser;
}

void RecordOwner(int fd, uid_t self)
{
    char text[kOwnerBytes + 1];
    std::snprintf(text, sizeof text, "%010u\n", unsigned(self));
    if (::pwrite(fd, text, kOwnerBytes, 0) == kOwnerBytes)
        (void)::ftruncate(fd, kOwnerBytes);
}

} // namespace

CNamedLock::CNamedLock(const QString& name, uid_t self)
    : m_path(QFile::encodeName(LockFilePath(name, true))), m_shared(IsShared(name)), m_self(self)
{
}

CNamedLock::~CNamedLock()
{
    Release();
}

QString CNamedLock::LockFilePath(const QString& name, bool createFolder)
{
    const QString file = FileNameFor(name);
    const QString folder =
        IsShared(name) ? IpcFolders::SharedFolder(createFolder) : IpcFolders::UserFolder(createFolder);
    if (file.isEmpty() || folder.isEmpty())
        return {};
    return folder + u'/' + file;
}

LockState CNamedLock::TryAcquire()
{
    if (m_fd >= 0)
        return LockState::Acquired;
    if (m_path.isEmpty())
        return LockState::Error;
    const int fd = OpenOrCreate(m_path, m_shared);
    if (fd < 0)
        return LockState::Error;
    if (TryLock(fd)) {
        RecordOwner(fd, m_self);
        m_fd = fd;
        return LockState::Acquired;
    }
    const LockState state = errno == EWOULDBLOCK ? HolderState(fd, m_self) : LockState::Error;
    ::close(fd);
    return state;
}

void CNamedLock::Release()
{
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

LockState CNamedLock::Probe(const QString& name, uid_t self)
{
    const QByteArray path = QFile::encodeName(LockFilePath(name));
    if (path.isEmpty()) {
        // A missing folder holds no lock; a bad name is an error.
        return FileNameFor(name).isEmpty() ? LockState::Error : LockState::Free;
    }
    const int fd = OpenExisting(path, O_RDONLY);
    if (fd < 0)
        return errno == ENOENT ? LockState::Free : LockState::Error;
    LockState state;
    if (TryLock(fd)) {
        ::flock(fd, LOCK_UN);
        state = LockState::Free;
    } else {
        state = errno == EWOULDBLOCK ? HolderState(fd, self) : LockState::Error;
    }
    ::close(fd);
    return state;
}

bool OtherUserIsActive(CNamedLock& own, uid_t self)
{
    bool other = own.TryAcquire() == LockState::HeldByOtherUser;
    for (const QString& sibling : kSiblingLockNames)
        other = other || CNamedLock::Probe(sibling, self) == LockState::HeldByOtherUser;
    if (other)
        own.Release();
    return other;
}
