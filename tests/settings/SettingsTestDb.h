#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>

#include "platform/env/DBDirMng.h"
#include "platform/env/EnvHome.h"

// A temporary data root whose register names one current database, with
// its folder created; or, with `registered` false, no current database.
class CSettingsTestDb
{
  public:
    explicit CSettingsTestDb(bool registered = true)
    {
        if (registered) {
            QDir().mkpath(Folder());
            CDBDirMng().AddCompName(QString::fromUtf8("テスト商事"), Folder(), true);
        }
    }

    QString Root() const { return m_home.Path(); }
    QString Folder() const { return m_home.Path() + QStringLiteral("/db"); }
    QString File(const QString& name) const { return Folder() + '/' + name; }
    QStringList Files() const { return QDir(Folder()).entryList(QDir::Files | QDir::Hidden); }

    static void Put(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    static QByteArray Get(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

  private:
    CEnvHome m_home;
};

// Hex with spaces, as written in the tests' expected files.
inline QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}
