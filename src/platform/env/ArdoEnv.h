#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The program's folders. The data root is `$CORVANTA_HOME`, else
// ~/.local/share/corvanta, and is laid out like an installation's "Data"
// folder: "MyData" (the database register and factory settings) and
// "DataBase" (the template of a new database, with "Files" and "Other").
// Paths carry no trailing separator.
class CArdoEnv
{
  public:
    // Three digits: 100 is shown as 1.00.
    static constexpr int kVersion = 100;

    // Builds the template of a new database in the given (existing) folder;
    // true when done.
    using TemplateBuilder = std::function<bool(const QString& templateFolder)>;

    QString GetDataRoot() const;
    // The folder of the running executable, unless a test chose another.
    QString GetProgramFolder() const;
    int GetVersion() const { return kVersion; }

    // A folder or file under the data root; what the installation places
    // under "Data\<sub>" is here under <data root>/<sub>.
    QString GetDataPath(const QString& sub) const;
    QString GetMyDataFolder() const;
    QString GetTemplateFolder() const;
    // Where company databases are offered a home: the folder pickers of the
    // database dialogs open here. Not made by anything in this class.
    QString GetDatabasesFolder() const;
    // The file that must exist and open for exclusive writing at start-up.
    QString GetAccessCheckFile() const;
    // The folders start-up tests for write access, in the order it tests
    // them: the data root and its folders, not the program's own; a folder
    // that does not exist is not created by anything here.
    QStringList GetWriteCheckFolders() const;

    // Creates the data root, "MyData" with its access-check file, and the
    // template folders where missing. When the template has no database
    // file ("QXSelvo.vrz") or no "FTtemp.dat", `buildTemplate` is asked to
    // make them. True when everything is there afterwards; `failedPath`
    // names the first folder or file that could not be made.
    bool CreateLayout(const TemplateBuilder& buildTemplate, QString* failedPath = nullptr) const;

    // Tests place the program folder elsewhere; an empty folder restores
    // the executable's own.
    static void OverrideProgramFolder(const QString& folder);
};
