#pragma once

#include "platform/ipc/NamedLock.h"

#include <QString>

#include <memory>

// What start-up needs of the system, so that every branch can be run
// without windows.
class IStartupServices
{
  public:
    virtual ~IStartupServices() = default;

    // Makes the data root's folders and the new-database template where
    // they are missing (a fresh installation).
    virtual void PrepareDataRoot() = 0;
    // The per-user instance lock: Acquired, or HeldBySameUser when the
    // program runs already.
    virtual LockState AcquireInstanceLock() = 0;
    // Takes the session-wide lock (kept until exit) and probes the sibling
    // programs' locks: true when another user of this computer is active.
    virtual bool OtherUserIsActive() = 0;
    virtual void ReleaseLocks() = 0;
    // The file opens for writing with nobody else holding it.
    virtual bool CanWriteFile(const QString& path) = 0;
    // A new file can be made in the folder (and removed again).
    virtual bool CanWriteFolder(const QString& folder) = 0;
    // 1 go on, -1 the password file is damaged, anything else refused.
    virtual int CheckPassword() = 0;
    // The database name and folder of start-up; false when cancelled. The
    // folder exists afterwards, with its "Files" and "Other" folders.
    virtual bool ChooseDatabase(QString& name, QString& folder) = 0;
    // A new database from the template in the folder, registered under the
    // name: 1 done, 0 failed (the message has been shown).
    virtual int CreateDatabaseFromTemplate(const QString& folder, const QString& name) = 0;
};

// The checks before the frame, in their fixed order: single instance,
// folder access, other users, password, current database. Each failure
// shows its message once and ends start-up.
class CStartup
{
  public:
    explicit CStartup(IStartupServices& services) : m_services(services) {}

    // True when the program may create its frame.
    bool Run();

    bool CheckFolders();
    bool SelectDatabase();

    // The first free "<path>001", "<path>002", ... for a file moved aside.
    static QString FreeBackupName(const QString& path);

  private:
    IStartupServices& m_services;
};

// The services of a real start: named locks, file probes, the password
// dialog, the database name and folder dialog and the new-database template.
class CStartupServices : public IStartupServices
{
  public:
    CStartupServices();
    ~CStartupServices() override;

    void PrepareDataRoot() override;
    LockState AcquireInstanceLock() override;
    bool OtherUserIsActive() override;
    void ReleaseLocks() override;
    bool CanWriteFile(const QString& path) override;
    bool CanWriteFolder(const QString& folder) override;
    int CheckPassword() override;
    bool ChooseDatabase(QString& name, QString& folder) override;
    int CreateDatabaseFromTemplate(const QString& folder, const QString& name) override;

  private:
    std::unique_ptr<CNamedLock> m_pInstanceLock;
    std::unique_ptr<CNamedLock> m_pSessionLock;
    // The "Other" folder the name dialog laid out for a new database.
    QString m_strOtherFolder;
};
