#include "platform/data/DbManager.h"

#include "platform/data/MakeMsgID.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace
{

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
    const QByteArray lockPath = QFile::encodeName(QDir(folder).filePath(QString::fromLatin1(kLockFileName)));
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        err = QString::fromLocal8Bit(std::strerror(errno));
        return kFailed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return kOtherProcess;
        err = QString::fromLocal8Bit(std::strerror(error));
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
    if (m_otherUsers > 0)
        return kOtherUsers;
    if (m_data.InTransaction())
        return kFailed;
    Disconnect();
    return kDone;
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
