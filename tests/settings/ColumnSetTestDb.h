#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include "platform/env/ArdoEnv.h"
#include "platform/env/DBDirMng.h"
#include "platform/env/EnvHome.h"
#include "platform/ui/FakeUi.h"

// A temporary data root with "MyData" and one current database folder, and
// scripted message boxes.
class CColumnTestDb
{
  public:
    explicit CColumnTestDb(bool withDatabase = true)
    {
        QDir().mkpath(CArdoEnv().GetMyDataFolder());
        if (withDatabase) {
            m_strFolder = m_home.Path() + "/db";
            QDir().mkpath(m_strFolder);
            CDBDirMng reg;
            reg.AddCompName("test", m_strFolder, true);
        }
    }

    const QString& Folder() const { return m_strFolder; }
    QString HomePath() const { return m_home.Path(); }
    QString FactoryPath() const { return CArdoEnv().GetMyDataFolder() + "/QXColSet.dat"; }
    QString DisplayPath() const { return m_strFolder + "/QXDispColSet.dat"; }
    QString SortPath() const { return m_strFolder + "/DefOrder.dat"; }
    CFakePrompt& Prompt() { return m_ui.Prompt(); }

    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static bool Write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

  private:
    CEnvHome m_home;
    ScopedFakeUi m_ui;
    QString m_strFolder;
};
