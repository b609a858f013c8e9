#pragma once

#include <QString>

class CMakeMsgID;

// What the database operations need of the main frame: its requests to the
// database manager and what it reloads when the current database's files
// changed. The frame implements it (CFrameDbSession); tests use their own.
class IDbSession
{
  public:
    virtual ~IDbSession() = default;

    // The manager's answers to the release and the connect request of the
    // frame's connection: 1 done, 50 other screens still use the database,
    // -4 a database operation is under way, others failed.
    virtual int Release() = 0;
    virtual int Connect() = 0;
    // The current database's files were replaced: reload the environment
    // settings, the period, the calendar (and the menu screen's calendar)
    // and the database name, so nothing of the old files is written back.
    virtual void ReloadDatabaseState() = 0;
    // Brings the program's other windows to the front.
    virtual void ActivateOtherWindows() = 0;
    virtual CMakeMsgID& GetMakeMsgID() = 0;
};

// The stop-icon text after a failed reconnection: the program cannot go on.
QString ReconnectFailedText();
// Another process holds the database: who may, and that closing it lets
// this program connect; `retry` names what to do again ("起動", "操作").
QString DatabaseInUseText(const QString& retry);
// The refusal when the manager would not release the database.
QString CannotDisconnectText();
// The refusal while other screens use the database; `action` names what
// needed it ("データベースを切り替える", ...).
QString OtherScreensOpenText(const QString& action);
