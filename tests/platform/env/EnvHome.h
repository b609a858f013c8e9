#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

// Points CORVANTA_HOME at a fresh temporary folder for one test and puts
// the previous value back afterwards.
class CEnvHome
{
  public:
    CEnvHome() : m_hadOld(qEnvironmentVariableIsSet("CORVANTA_HOME")), m_old(qgetenv("CORVANTA_HOME"))
    {
        qputenv("CORVANTA_HOME", QFile::encodeName(m_dir.path()));
    }
    ~CEnvHome()
    {
        if (m_hadOld)
            qputenv("CORVANTA_HOME", m_old);
        else
            qunsetenv("CORVANTA_HOME");
    }
    CEnvHome(const CEnvHome&) = delete;
    CEnvHome& operator=(const CEnvHome&) = delete;

    QString Path() const { return m_dir.path(); }

  private:
    QTemporaryDir m_dir;
    bool m_hadOld;
    QByteArray m_old;
};
