#include "platform/data/DbManager.h"

#include "platform/data/MakeMsgID.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <vector>

namespace
{

// The folder, or a file in it, cannot be written.
bool IsUnwritable(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// Opens (creating when missing) a lock file of the database folder. Links
// are not followed and a file with a second name is refused, so a planted
// link cannot make the manager lock or create a file elsewhere; O_CLOEXEC
// keeps started programs from inheriting the lock. Where the folder cannot
// be written the file is opened for reading, which flock() takes all the
// same; with `mayLack`, a file that is missing there answers -1 with errno
// ENOENT (there is none to lock).
int OpenLockFile(const QString& folder, const char* name, bool mayLack = false)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(QString::fromLatin1(name)));
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | kFlags, 0666);
    if (fd < 0 && IsUnwritable(errno)) {
        const int unwritable = errno;
        fd = ::open(path.constData(), O_RDONLY | kFlags);
        if (fd < 0 && errno == ENOENT && !mayLack)
            errno = unwritable;
    }
    struct stat st;
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

// Why the lock file of `folder` could not be used, in the user's words.
QString LockFailureText(const QString& folder, int error)
{
    const QString shown = QDir::toNativeSeparators(folder);
    if (IsUnwritable(error))
        return QStringLiteral("データベースフォルダ<%1>に書き込めないため、接続できませんでした。"
                              "フォルダに書き込めるようにしてから、もう一度操作してください。")
            .arg(shown);
    if (error == ENOSPC)
        return QStringLiteral(
                   "ディスクの空き容量が足りないため、データベースフォルダ<%1>に書き込めませんでした。"
                   "空き容量を増やしてから、もう一度操作してください。")
            .arg(shown);
    return QStringLiteral(
               "データベースフォルダ<%1>のロックファイル<%2>を使えないため、接続できませんでした。（%3）")
        .arg(shown, QString::fromLatin1(CDbManager::kLockFileName),
             QString::fromLocal8Bit(std::strerror(error)));
}

int Flock(int fd, int operation)
{
    int rc;
    do
        rc = ::flock(fd, operation | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    return rc;
}

// Whether another open file holds a lock on the file, tried with an
// exclusive lock that is dropped at once. -1 when the file cannot be used.
int HeldElsewhere(const QString& folder, const char* name)
{
    const int fd = OpenLockFile(folder, name);
    if (fd < 0)
        return -1;
    int held = 0;
    if (Flock(fd, LOCK_EX) == 0)
        ::flock(fd, LOCK_UN);
    else
        held = errno == EWOULDBLOCK ? 1 : -1;
    ::close(fd);
    return held;
}

// Takes the lock of a database without waiting: the folder's own, which
// every user who may read the folder can take, and that of its lock file,
// which programs of earlier builds take and a user who may write the folder
// makes. Both, so that whoever connects first, a user who may only read the
// folder or one who may write it, keeps the other off. 0 taken (the
// descriptors in `held`); EWOULDBLOCK another holds it; else why it could
// not be taken (an errno).
int TakeDatabaseLock(const QString& folder, CDbManager::CLockFds& held)
{
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return errno;
    if (Flock(dir, LOCK_EX) != 0) {
        const int error = errno;
        ::close(dir);
        return error;
    }
    const int file = OpenLockFile(folder, CDbManager::kLockFileName, true);
    const int error = errno;
    if (file < 0 && error != ENOENT) {
        ::close(dir);
        return error;
    }
    if (file >= 0 && Flock(file, LOCK_EX) != 0) {
        const int locked = errno;
        ::close(file);
        ::close(dir);
        return locked;
    }
    held = {dir, file};
    return 0;
}

void DropDatabaseLock(CDbManager::CLockFds& held)
{
    // Closing the descriptors drops the locks; the file stays for the next user.
    if (held.file >= 0)
        ::close(held.file);
    if (held.folder >= 0)
        ::close(held.folder);
    held = {};
}

QString SamePathKey(const QString& folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// The managers of this process, so that a hold can take over the lock one
// of them holds.
std::mutex g_managersMutex;
std::vector<const CDbManager*> g_managers;

} // namespace

CDbManager::CDbManager(CMakeMsgID& data) : m_data(data)
{
    const std::lock_guard lock(g_managersMutex);
    g_managers.push_back(this);
}

CDbManager::~CDbManager()
{
    Disconnect();
    const std::lock_guard lock(g_managersMutex);
    g_managers.erase(std::find(g_managers.begin(), g_managers.end(), this));
}

int CDbManager::Register()
{
    const int id = m_nextId++;
    m_ids.insert(id);
    return id;
}

int CDbManager::Unregister(int id)
{
    if (m_ids.erase(id) == 0)
        return kUnknownId;
    if (m_ids.empty())
        Disconnect();
    return kDone;
}

bool CDbManager::IsConnected() const
{
    return m_lock.folder >= 0 && m_data.IsOpen();
}

int CDbManager::Connect(int id, const QString& folder)
{
    QString err;
    return Connect(id, folder, err);
}

int CDbManager::Connect(int id, const QString& folder, QString& err)
{
    err.clear();
    if (!m_ids.count(id))
        return kUnknownId;
    if (folder.isEmpty())
        return kNoDatabase;
    if (m_lock.folder >= 0) {
        if (SamePathKey(folder) != SamePathKey(m_folder))
            return kOtherUsers;
        if (m_data.IsOpen())
            return kDone;
        // Still locked but closed behind our back: open again under the same lock.
        return m_data.Open(m_folder, err) == CMakeMsgID::kOk ? kDone : kCannotOpen;
    }
    const QString path = CMakeMsgID::DatabasePath(folder);
    const QString unreadable = CMakeMsgID::UnreadableText(path);
    if (!unreadable.isEmpty() || !QFileInfo(path).isFile()) {
        err = unreadable.isEmpty() ? QStringLiteral("データベースファイルがありません。") : unreadable;
        return kCannotOpen;
    }

    // flock() locks belong to the open file description, so a second open()
    // of the folder or file, in this process or another, is refused while we
    // hold it.
    CLockFds held;
    const int error = TakeDatabaseLock(folder, held);
    if (error == EWOULDBLOCK)
        return kOtherProcess;
    if (error != 0) {
        err = LockFailureText(folder, error);
        return kFailed;
    }
    if (m_data.Open(folder, err) != CMakeMsgID::kOk) {
        DropDatabaseLock(held);
        return kCannotOpen;
    }
    m_lock = held;
    m_folder = folder;
    return kDone;
}

int CDbManager::Release(int id)
{
    if (!m_ids.count(id))
        return kUnknownId;
    if (m_lock.folder < 0)
        return kNotConnected;
    if (GetOtherUsers() > 0)
        return kOtherUsers;
    if (m_data.InTransaction())
        return kFailed;
    Disconnect();
    return kDone;
}

int CDbManager::GetOtherUsers() const
{
    const bool slipForm = m_lock.folder >= 0 && HeldElsewhere(m_folder, kSessionFileName) == 1;
    return m_otherUsers + (slipForm ? 1 : 0);
}

int CDbManager::ProbeLock(const QString& folder)
{
    CLockFds held;
    const int error = TakeDatabaseLock(folder, held);
    DropDatabaseLock(held);
    return error == 0 ? kDone : error == EWOULDBLOCK ? kOtherProcess : kFailed;
}

void CDbManager::OrderClose()
{
    if (m_closeOrder)
        m_closeOrder();
}

void CDbManager::Disconnect()
{
    if (m_lock.folder < 0)
        return;
    m_data.Close();
    DropDatabaseLock(m_lock);
    m_folder.clear();
}

CDbLockHold::CDbLockHold(const QString& folder)
{
    {
        const std::lock_guard lock(g_managersMutex);
        const QString key = SamePathKey(folder);
        for (const CDbManager* manager : g_managers) {
            const CDbManager::CLockFds& fds = manager->m_lock;
            if (fds.folder < 0 || SamePathKey(manager->m_folder) != key)
                continue;
            // A flock() lock lasts while any descriptor of its open file
            // does: the duplicates keep it when the manager closes its own.
            m_held.folder = ::fcntl(fds.folder, F_DUPFD_CLOEXEC, 0);
            m_held.file = fds.file < 0 ? -1 : ::fcntl(fds.file, F_DUPFD_CLOEXEC, 0);
            if (m_held.folder < 0 || (fds.file >= 0 && m_held.file < 0)) {
                DropDatabaseLock(m_held);
                m_state = CDbManager::kFailed;
            } else {
                m_state = CDbManager::kDone;
            }
            return;
        }
    }
    const int error = TakeDatabaseLock(folder, m_held);
    m_state = error == 0             ? CDbManager::kDone
              : error == EWOULDBLOCK ? CDbManager::kOtherProcess
                                     : CDbManager::kFailed;
}

CDbLockHold::~CDbLockHold()
{
    Drop();
}

void CDbLockHold::Drop()
{
    DropDatabaseLock(m_held);
}

CDbSessionHold::CDbSessionHold(const QString& folder)
{
    if (folder.isEmpty())
        return;
    const int fd = OpenLockFile(folder, CDbManager::kSessionFileName);
    if (fd < 0)
        return;
    // Shared: several slip-form windows may be open on one database.
    if (Flock(fd, LOCK_SH) != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

CDbSessionHold::~CDbSessionHold()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
