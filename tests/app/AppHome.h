#pragma once

#include "app/Startup.h"
#include "platform/data/DataTestUtil.h"
#include "platform/env/ArdoEnv.h"
#include "platform/env/DBDirMng.h"
#include "platform/ipc/IpcFolders.h"
#include "settings/db/DbTemplate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A fresh installation for one test: CORVANTA_HOME, the program folder and
// the inter-process folders all point into a temporary folder; the data
// root has its layout and the new-database template unless asked not to.
class CAppHome
{
  public:
    // `layout` false leaves the data root empty, as on a first start.
    explicit CAppHome(bool layout = true)
        : m_hadOld(qEnvironmentVariableIsSet("CORVANTA_HOME")), m_old(qgetenv("CORVANTA_HOME"))
    {
        QDir().mkpath(m_dir.path() + QStringLiteral("/program"));
        QDir().mkpath(m_dir.path() + QStringLiteral("/ipc/user"));
        QDir().mkpath(m_dir.path() + QStringLiteral("/ipc/shared"));
        qputenv("CORVANTA_HOME", QFile::encodeName(Root()));
        CArdoEnv::OverrideProgramFolder(m_dir.path() + QStringLiteral("/program"));
        IpcFolders::OverrideFolders(m_dir.path() + QStringLiteral("/ipc/user"),
                                    m_dir.path() + QStringLiteral("/ipc/shared"));
        m_layout = !layout || CArdoEnv().CreateLayout(CompleteDatabaseTemplate);
    }
    ~CAppHome()
    {
        IpcFolders::OverrideFolders({}, {});
        CArdoEnv::OverrideProgramFolder({});
        if (m_hadOld)
            qputenv("CORVANTA_HOME", m_old);
        else
            qunsetenv("CORVANTA_HOME");
    }
    CAppHome(const CAppHome&) = delete;
    CAppHome& operator=(const CAppHome&) = delete;

    bool IsReady() const { return m_dir.isValid() && m_layout; }
    QString Root() const { return m_dir.path() + QStringLiteral("/data"); }
    QString ProgramFolder() const { return m_dir.path() + QStringLiteral("/program"); }
    QString RegisterPath() const { return CDBDirMng::GetDefaultPath(); }

    // A database made from the template in <root>/<sub>, registered and
    // current. Without `firstRun` its first-run marker is gone, as after its
    // first start, so connecting a frame asks nothing.
    QString AddCurrentDatabase(const QString& name, const QString& sub = QStringLiteral("db"),
                               bool firstRun = false)
    {
        const QString folder = Root() + u'/' + sub;
        QDir().mkpath(folder + QStringLiteral("/Files"));
        QDir().mkpath(folder + QStringLiteral("/Other"));
        if (CreateDatabaseFromTemplate(folder, folder + QStringLiteral("/Other"), name) != 1 ||
            CDBDirMng().SetNowDB(name) != 1)
            return {};
        if (!firstRun)
            QFile::remove(folder + QStringLiteral("/FTtemp.dat"));
        return folder;
    }

  private:
    QTemporaryDir m_dir;
    bool m_hadOld;
    QByteArray m_old;
    bool m_layout = false;
};
