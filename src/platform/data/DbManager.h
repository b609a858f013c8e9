#pragma once

#include <QString>

#include <functional>
#include <set>

class CMakeMsgID;

// The database manager, in-process: it opens and closes the connection of
// the data-access object it serves and answers the frame's requests with
// the codes the frame acts on. A lock on the database folder and on its lock
// file, held with flock(), keeps a second process (or a second manager) off
// a database in use. Programs that read the database beside the frame (the slip-form
// program) hold a shared lock on the folder's session file while they run
// (CDbSessionHold); the manager will not release the database under them.
//
// The order of use: Register → Connect → (Release → Connect)* → Release →
// Unregister.
class CDbManager
{
  public:
    // Answers of Connect and Release.
    enum {
        kDone = 1,
        kOtherUsers = 50,   // Release: other screens still use the database;
                            // Connect: another database is connected already
        kOtherProcess = 51, // another process holds the database
        kNoDatabase = 52,   // no current database folder
        kNotConnected = -1, // Release without a connection
        kUnknownId = -2,    // the connection id is not registered
        kCannotOpen = -3,   // the file is missing, damaged or not a database
        kFailed = -4,       // Connect: any other failure; Release: a transaction is open
    };

    static constexpr char kLockFileName[] = "QXSelvo.lck";

    // The descriptors that hold a database's lock: the folder's and its lock
    // file's (-1 for a folder without one that this user cannot write).
    struct CLockFds {
        int folder = -1;
        int file = -1;
    };
    static constexpr char kSessionFileName[] = "QXSelvo.ses";

    // The data object must outlive the manager.
    explicit CDbManager(CMakeMsgID& data);
    ~CDbManager();
    CDbManager(const CDbManager&) = delete;
    CDbManager& operator=(const CDbManager&) = delete;

    // A new connection id (never 0), as the manager hands one to the frame.
    int Register();
    // Removes the id; with the last id the connection is closed.
    // 1, or -2 for an unknown id.
    int Unregister(int id);

    // Connects to the database in `folder` (the current database's folder).
    // 1 connected (also when already connected to that folder, without
    // reopening), 50 connected to another folder, 51 another process holds
    // it, 52 no folder, -2 unknown id, -3 the file is missing, cannot be
    // read by this user (nor its folder) or cannot be opened as a database,
    // -4 the lock file cannot be made. `err` tells why, in the user's words.
    // A folder the user cannot write is connected all the same, read-only
    // (the lock taken on the folder and on its lock file opened for reading
    // when it has one), and keeps off a user who may write it as that user
    // keeps it off.
    int Connect(int id, const QString& folder, QString& err);
    int Connect(int id, const QString& folder);
    // Closes the connection and drops the lock: 1 released, 50 while other
    // users are counted, -4 while a transaction is open, -1 not connected,
    // -2 unknown id.
    int Release(int id);

    // Screens of the frame besides the menu screen that still use the
    // database; while there are any, Release refuses with 50.
    void SetOtherUsers(int count) { m_otherUsers = count; }
    // Those screens plus the programs holding the connected folder's
    // session file (flock tells only whether any does: they count as one).
    int GetOtherUsers() const;

    // Whether the database in `folder` could be connected now, found by
    // taking its lock and dropping it at once, never waiting: 1 free, 51
    // another process or manager holds it, -4 the folder cannot be opened or
    // the lock file cannot be made.
    static int ProbeLock(const QString& folder);

    bool IsConnected() const;
    const QString& GetFolder() const { return m_folder; }
    // The manager answers; the frame's alive check.
    bool IsAlive() const { return true; }

    // The manager's order to close the program: the frame sets the handler
    // (skip the backup at exit, close the window); OrderClose delivers it.
    void SetCloseOrderHandler(std::function<void()> handler) { m_closeOrder = std::move(handler); }
    void OrderClose();

  private:
    friend class CDbLockHold;
    void Disconnect();

    CMakeMsgID& m_data;
    std::set<int> m_ids;
    int m_nextId = 1;
    int m_otherUsers = 0;
    CLockFds m_lock;
    QString m_folder;
    std::function<void()> m_closeOrder;
};

// The lock of a database kept for as long as the object lives, whatever
// the connection does meanwhile: work that replaces the database's files
// holds it from before the manager releases the connection until the books
// are whole again, so no other process opens them or mends them half-way.
// Taken over from the manager of this process that holds it (its release
// then leaves the lock held), else taken anew. The kernel drops it when the
// holder ends in any way, so a killed process never keeps the next one off.
class CDbLockHold
{
  public:
    explicit CDbLockHold(const QString& folder);
    ~CDbLockHold();
    CDbLockHold(const CDbLockHold&) = delete;
    CDbLockHold& operator=(const CDbLockHold&) = delete;

    // 1 held; 51 another process or manager holds the lock; -4 the folder
    // cannot be opened or the lock file cannot be made (as ProbeLock).
    int GetState() const { return m_state; }
    bool IsHeld() const { return m_held.folder >= 0; }
    // Drops the lock before the object ends (the manager connects again).
    void Drop();

  private:
    CDbManager::CLockFds m_held;
    int m_state;
};

// A shared hold on a database folder's session file for as long as the
// object lives: the manager serving that folder answers Release with 50
// meanwhile. The kernel drops the hold when the holder ends in any way.
class CDbSessionHold
{
  public:
    explicit CDbSessionHold(const QString& folder);
    ~CDbSessionHold();
    CDbSessionHold(const CDbSessionHold&) = delete;
    CDbSessionHold& operator=(const CDbSessionHold&) = delete;

    bool IsHeld() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};
