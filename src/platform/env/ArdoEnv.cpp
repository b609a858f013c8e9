#include "platform/env/ArdoEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

const char kDatabaseFile[] = "QXSelvo.vrz";
const char kTemplateMarker[] = "FTtemp.dat";

QString& ProgramFolderOverride()
{
    static QString folder;
    return folder;
}

QString Clean(const QString& path)
{
    return QDir::cleanPath(QDir(path).absolutePath());
}

bool MakeFolder(const QString& path, QString* failedPath)
{
    if (QDir().mkpath(path) && QFileInfo(path).isDir())
        return true;
    if (failedPath)
        *failedPath = path;
    return false;
}

} // namespace

QString CArdoEnv::GetDataRoot() const
{
    const QString home = qEnvironmentVariable("CORVANTA_HOME");
    if (!home.isEmpty())
        return Clean(home);
    return Clean(QDir::homePath() + QStringLiteral("/.local/share/corvanta"));
}

QString CArdoEnv::GetProgramFolder() const
{
    const QString& chosen = ProgramFolderOverride();
    return Clean(chosen.isEmpty() ? QCoreApplication::applicationDirPath() : chosen);
}

QString CArdoEnv::GetDataPath(const QString& sub) const
{
    return sub.isEmpty() ? GetDataRoot() : GetDataRoot() + u'/' + sub;
}

QString CArdoEnv::GetMyDataFolder() const
{
    return GetDataPath(QStringLiteral("MyData"));
}

QString CArdoEnv::GetTemplateFolder() const
{
    return GetDataPath(QStringLiteral("DataBase"));
}

QString CArdoEnv::GetDatabasesFolder() const
{
    return GetDataPath(QStringLiteral("Databases"));
}

QString CArdoEnv::GetAccessCheckFile() const
{
    return GetMyDataFolder() + QStringLiteral("/acck.sys");
}

QStringList CArdoEnv::GetWriteCheckFolders() const
{
    // The program's own folder is not among them: on Linux the binaries lie
    // where users are not meant to write, and nothing is written there.
    QStringList folders{GetDataRoot()};
    // The data root stands for the installation's "Data" folder itself.
    for (const char* sub : {"Calc", "DataBase", "DataBase/Files", "DataBase/Other", "Fmt", "Kls", "Meta",
                            "MyData", "Org", "Other", "Other/NewObject", "Preview", "TmpPic"})
        folders << GetDataPath(QString::fromLatin1(sub));
    return folders;
}

bool CArdoEnv::CreateLayout(const TemplateBuilder& buildTemplate, QString* failedPath) const
{
    const QString templ = GetTemplateFolder();
    const QStringList folders{GetDataRoot(), GetMyDataFolder(), templ, templ + QStringLiteral("/Files"),
                              templ + QStringLiteral("/Other")};
    for (const QString& folder : folders) {
        if (!MakeFolder(folder, failedPath))
            return false;
    }

    const QString check = GetAccessCheckFile();
    if (!QFileInfo::exists(check)) {
        QFile file(check);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (failedPath)
                *failedPath = check;
            return false;
        }
    }

    const QString database = templ + u'/' + QLatin1String(kDatabaseFile);
    const QString marker = templ + u'/' + QLatin1String(kTemplateMarker);
    const auto complete = [&] { return QFileInfo(database).isFile() && QFileInfo(marker).isFile(); };
    if (!complete() && buildTemplate)
        buildTemplate(templ);
    if (!complete()) {
        if (failedPath)
            *failedPath = QFileInfo(database).isFile() ? marker : database;
        return false;
    }
    return true;
}

void CArdoEnv::OverrideProgramFolder(const QString& folder)
{
    ProgramFolderOverride() = folder;
}
