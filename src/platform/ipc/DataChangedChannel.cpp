#include "platform/ipc/DataChangedChannel.h"

#include "platform/ipc/IpcFolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

#include <unistd.h>

namespace
{

// Generous: the peer is on the same computer and answers at once unless hung.
constexpr int kTimeoutMs = 3000;
// A notice is one line; a peer that sends more without a line end is not ours.
constexpr qint64 kMaxNoticeBytes = 64;

} // namespace

CDataChangedServer::CDataChangedServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Consume(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            Consume(socket);
        }
    });
}

QString CDataChangedServer::ChannelName(const QString& dataRoot)
{
    const QString folder = IpcFolders::UserFolder();
    if (folder.isEmpty())
        return {};
    const QByteArray root = QDir::cleanPath(QDir(dataRoot).absolutePath()).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(root, QCryptographicHash::Sha256).toHex().left(16);
    return folder + QStringLiteral("/datachanged-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

bool CDataChangedServer::Listen(const QString& dataRoot)
{
    const QString name = ChannelName(dataRoot);
    if (name.isEmpty())
        return false;
    m_server.close();
    // The user's folder is private already. (Socket options would make Qt
    // rename its socket over the path, taking the name from a live listener.)
    if (m_server.listen(name))
        return true;
    if (m_server.serverError() != QAbstractSocket::AddressInUseError)
        return false;
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(kTimeoutMs))
        return false;
    QLocalServer::removeServer(name);
    return m_server.listen(name);
}

void CDataChangedServer::Consume(QLocalSocket* socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxNoticeBytes)
            socket->abort();
        return;
    }
    // One notice per connection, whatever else the peer sent.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    socket->disconnectFromServer();
    Q_EMIT dataChanged();
}

bool SendDataChanged(const QString& dataRoot)
{
    const QString name = CDataChangedServer::ChannelName(dataRoot);
    if (name.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kTimeoutMs))
        return false;
    const bool sent = socket.write("\n", 1) == 1 && socket.waitForBytesWritten(kTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kTimeoutMs);
    return sent;
}
