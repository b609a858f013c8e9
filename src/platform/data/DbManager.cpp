#include "platform/data/DbManager.h"

#include "platform/data/MakeMsgID.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
// same; with `orFolder`, a folder without the file is locked itself, so
// that the database it holds can still be read (the data access opens it
// read-only there).
int OpenLockFile(const QString& folder, const char* name, bool orFolder = false)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(QString::fromLatin1(name)));
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | kFlags, 0666);
    if (fd < 0 && IsUnwritable(errno)) {
        const int unwritable = errno;
        fd = ::open(path.constData(), O_RDONLY | kFlags);
        if (fd < 0 && errno == ENOENT && orFolder)
            return ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT)
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
int HeldElsewhere(const QString& folder, const char* name, bool orFolder = false)
{
    const int fd = OpenLockFile(folder, name, orFolder);
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

QString SamePathKey(const QString& folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

CDbManager::CDbManager(CMakeMsgID& data) : m_data(data) {}

CDbManager::~CDbManager()
{
    Disconnect();
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
    return m_lockFd >= 0 && m_data.IsOpen();
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
    if (m_lockFd >= 0) {
        if (SamePathKey(folder) != SamePathKey(m_folder))
            return kOtherUsers;
        if (m_data.IsOpen())
            return kDone;
        // Still locked but closed behind our back: open again under the same lock.
        return m_data.Open(m_folder, err) == CMakeMsgID::kOk ? kDone : kCannotOpen;
    }
    if (!QFileInfo(CMakeMsgID::DatabasePath(folder)).isFile()) {
        err = QStringLiteral("データベースファイルがありません。");
        return kCannotOpen;
    }

    // flock() locks belong to the open file description, so a second open()
    // of the file, in this process or another, is refused while we hold it.
    const int fd = OpenLockFile(folder, kLockFileName, true);
    if (fd < 0) {
        err = LockFailureText(folder, errno);
        return kFailed;
    }
    if (Flock(fd, LOCK_EX) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return kOtherProcess;
        err = LockFailureText(folder, error);
        return kFailed;
    }
    if (m_data.Open(folder, err) != CMakeMsgID::kOk) {
        ::close(fd);
        return kCannotOpen;
    }
    m_lockFd = fd;
    m_folder = folder;
    return kDone;
}

int CDbManager::Release(int id)
{
    if (!m_ids.count(id))
        return kUnknownId;
    if (m_lockFd < 0)
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
    const bool slipForm = m_lockFd >= 0 && HeldElsewhere(m_folder, kSessionFileName) == 1;
    return m_otherUsers + (slipForm ? 1 : 0);
}

int CDbManager::ProbeLock(const QString& folder)
{
    switch (HeldElsewhere(folder, kLockFileName, true)) {
    case 0:
        return kDone;
    case 1:
        return kOtherProcess;
    default:
        return kFailed;
    }
}

void CDbManager::OrderClose()
{
    if (m_closeOrder)
        m_closeOrder();
}

void CDbManager::Disconnect()
{
    if (m_lockFd < 0)
        return;
    m_data.Close();
    // Closing the descriptor drops the lock; the file stays for the next user.
    ::close(m_lockFd);
    m_lockFd = -1;
    m_folder.clear();
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
