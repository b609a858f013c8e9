#pragma once

#include "platform/data/DataTestUtil.h"
#include "platform/data/DbManager.h"
#include "platform/data/MakeMsgID.h"
#include "platform/env/DBDirMng.h"
#include "platform/env/EnvHome.h"
#include "platform/ui/FakeUi.h"
#include "settings/db/DBNameRules.h"
#include "settings/db/DbDialogs.h"
#include "settings/db/DbSession.h"
#include "settings/db/DbTemplate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{' << list.join(QStringLiteral(" | ")).toStdString() << '}';
}

inline bool PutFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray GetFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The frame's side over a real manager and data-access object: it connects
// the register's current database, as the frame's manager link does.
class CTestSession : public IDbSession
{
  public:
    CTestSession() : m_id(m_manager.Register()) {}

    int Release() override
    {
        ++m_nReleases;
        if (m_forcedRelease)
            return *m_forcedRelease;
        return m_manager.Release(m_id);
    }
    int Connect() override
    {
        ++m_nConnects;
        if (!m_connectAnswers.isEmpty())
            return m_connectAnswers.takeFirst();
        QString name, folder;
        CDBDirMng().GetNowDB(name, folder);
        return m_manager.Connect(m_id, folder);
    }
    void ReloadDatabaseState() override { ++m_nReloads; }
    void ActivateOtherWindows() override { ++m_nActivations; }
    CMakeMsgID& GetMakeMsgID() override { return m_pData ? *m_pData : m_data; }

    CMakeMsgID m_data;
    CMakeMsgID* m_pData = nullptr; // another data object to hand out
    CDbManager m_manager{m_data};
    int m_id;
    std::optional<int> m_forcedRelease;
    QList<int> m_connectAnswers; // answered (and used up) before the real manager is asked
    int m_nReleases = 0;
    int m_nConnects = 0;
    int m_nReloads = 0;
    int m_nActivations = 0;
};

// Answers the database dialogs from queues; an empty queue cancels.
class CScriptedDbDialogs : public IDbDialogs
{
  public:
    using NameScript = std::function<void(CDBNameRules&)>;

    CScriptedDbDialogs() : m_old(SetDbDialogs(this)) {}
    CScriptedDbDialogs(const CScriptedDbDialogs&) = delete;
    CScriptedDbDialogs& operator=(const CScriptedDbDialogs&) = delete;
    ~CScriptedDbDialogs() override { SetDbDialogs(m_old); }

    // The name dialog gets these entries and presses OK until its rules pass
    // or the entries run out (then it is cancelled).
    void QueueName(const QString& name, const QString& folder) { m_names.append({name, folder}); }
    void QueueFolder(const QString& folder) { m_folders.append(folder); }
    void QueueRestoreAnswer(bool yes) { m_restoreAnswers.append(yes); }
    void Clear()
    {
        m_names.clear();
        m_folders.clear();
        m_restoreAnswers.clear();
        m_nameModes.clear();
        m_folderCalls.clear();
        m_restoreLines.clear();
    }

    int RunNameDialog(CDBNameRules& rules) override
    {
        m_nameModes.append(rules.GetMode());
        if (!rules.Init())
            return IDCANCEL;
        while (!m_names.isEmpty()) {
            const auto [name, folder] = m_names.takeFirst();
            if (!rules.IsNameReadOnly())
                rules.SetName(name);
            if (!rules.IsFolderReadOnly())
                rules.SetFolder(folder);
            if (rules.OnOK())
                return IDOK;
        }
        return IDCANCEL;
    }
    bool SelectFolder(const QString& initial, const QString& title, const QString& prompt,
                      QString& folder) override
    {
        m_folderCalls.append({initial, title, prompt});
        if (m_folders.isEmpty())
            return false;
        folder = m_folders.takeFirst();
        return true;
    }
    bool ConfirmRestore(const QStringList& lines) override
    {
        m_restoreLines = lines;
        return !m_restoreAnswers.isEmpty() && m_restoreAnswers.takeFirst();
    }

    QList<int> m_nameModes;
    QList<QStringList> m_folderCalls; // initial folder, title, prompt
    QStringList m_restoreLines;

  private:
    IDbDialogs* m_old;
    QList<std::pair<QString, QString>> m_names;
    QStringList m_folders;
    QList<bool> m_restoreAnswers;
};

// A temporary data root with the fakes installed.
class CDbAdminTest : public ::testing::Test
{
  protected:
    void TearDown() override
    {
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
        EXPECT_EQ(m_ui.Prompt().PendingAnswers(), 0);
    }

    QString Root() const { return m_home.Path(); }
    QString Path(const QString& sub) const { return m_home.Path() + u'/' + sub; }

    // A new database from the template in <root>/<sub>, registered (and made
    // current when asked).
    QString MakeDatabase(const QString& name, const QString& sub, bool current)
    {
        const QString folder = Path(sub);
        for (const char* part : {"Files", "Other", "BupTmp/Files", "BupTmp/Other"})
            QDir().mkpath(folder + u'/' + QLatin1String(part));
        EXPECT_EQ(CreateDatabaseFromTemplate(folder, folder + QStringLiteral("/Other"), name), 1);
        if (current) {
            EXPECT_EQ(CDBDirMng().SetNowDB(name), 1);
        }
        return folder;
    }

    QStringList Texts() { return m_ui.Prompt().Texts(); }
    QString LastText() { return Texts().isEmpty() ? QString() : Texts().last(); }

    CEnvHome m_home;
    ScopedFakeUi m_ui;
    CScriptedDbDialogs m_dialogs;
};

// Runs SQL on a connection and fails the test unless it succeeds.
inline void Sql(CMakeMsgID& data, const QString& sql)
{
    QString err;
    ASSERT_EQ(data.Execute(sql, err), 1) << err.toStdString();
}

inline int CountRows(CMakeMsgID& data, const QString& table, const QString& condition = {})
{
    CCDSData request;
    request.m_strTable = table;
    request.m_strCondition = condition;
    int count = -1;
    QString err;
    EXPECT_EQ(data.GetDataNum(request, count, err), 1) << err.toStdString();
    return count;
}
