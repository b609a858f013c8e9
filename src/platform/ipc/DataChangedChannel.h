#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

class QLocalSocket;

// The notice "data changed" that the installation's other programs (the
// slip-form program) send to the running frame: a local socket in the
// user's private folder, named after the user and the data root, so two
// installations or two users never hear each other.
class CDataChangedServer : public QObject
{
    Q_OBJECT

  public:
    explicit CDataChangedServer(QObject* parent = nullptr);

    // Listens for the installation at `dataRoot`. A socket left behind by a
    // program that ended is replaced; a live listener is not. False when
    // the channel cannot be opened.
    bool Listen(const QString& dataRoot);

    // The socket path for a data root; empty when the user's folder is unusable.
    static QString ChannelName(const QString& dataRoot);

  Q_SIGNALS:
    // Once per notice received.
    void dataChanged();

  private:
    void Consume(QLocalSocket* socket);

    QLocalServer m_server;
};

// Sends one notice to the frame of the installation at `dataRoot`; true
// when it was delivered to a listening frame.
bool SendDataChanged(const QString& dataRoot);
