#pragma once

#include <QString>

#include <functional>
#include <memory>

class CDbManager;
class CMakeMsgID;

// The frame's link to the database manager. The manager hands out a
// connection id when it comes up and answers connect and release requests
// with its codes (1 done, 50, 51, 52, -2, -3, -4, ...).
class IManagerLink
{
  public:
    virtual ~IManagerLink() = default;
    // Starts the manager; false when it cannot be started.
    virtual bool Start() = 0;
    // The manager reports itself: a new connection id (never 0).
    virtual int Register() = 0;
    // Connects the current database for the id.
    virtual int Connect(int id) = 0;
    // Why the last Connect failed, in the user's words (a file of a later
    // version, a damaged file ...), or empty when nothing more is known.
    virtual QString ConnectError() const { return QString(); }
    virtual int Release(int id) = 0;
    virtual int Unregister(int id) = 0;
    virtual bool IsConnected() const = 0;
    // The manager's order to close the program.
    virtual void SetCloseOrderHandler(std::function<void()> handler) = 0;
};

// The in-process manager over the frame's data-access object; it connects
// the folder of the register's current database.
class CDbManagerLink : public IManagerLink
{
  public:
    explicit CDbManagerLink(CMakeMsgID& data);
    ~CDbManagerLink() override;

    bool Start() override;
    int Register() override;
    int Connect(int id) override;
    QString ConnectError() const override { return m_strConnectError; }
    int Release(int id) override;
    int Unregister(int id) override;
    bool IsConnected() const override;
    void SetCloseOrderHandler(std::function<void()> handler) override;

    CDbManager* GetManager() const { return m_pManager.get(); }

  private:
    CMakeMsgID& m_data;
    std::unique_ptr<CDbManager> m_pManager;
    QString m_strConnectError;
};

// The message for a connect answer other than 1 (every one ends the program).
QString ConnectFailureText(int answer);
