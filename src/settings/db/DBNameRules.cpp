#include "settings/db/DBNameRules.h"

#include "platform/archive/SafeFile.h"
#include "platform/data/TableNames.h"
#include "platform/env/ArdoEnv.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/db/DbFiles.h"
#include "settings/db/DbFolders.h"
#include "settings/dlg/DlgHelpers.h"

namespace
{

int Message(const QString& text, int buttons = MB_OK, int icon = MB_ICONNONE)
{
    return UiServices::Prompt().MessageBox(text, buttons, icon);
}

bool NameTaken(const QString& name)
{
    if (CDBDirMng().IsExistName(name) != 1)
        return false;
    Message(QStringLiteral("すでに同じ名前のデータベースが存在します。名前を変えてください。"));
    return true;
}

bool HasDatabaseFile(const QString& folder)
{
    return !FindFileNoCase(folder, QString::fromUtf8(DB_FILE_NAME)).isEmpty();
}

// The template is copied into every new database, and a registered
// database's scratch folder is emptied by its next restore; a registered
// folder is its database's even while the files are elsewhere, and two
// entries on one folder would be two companies writing one database. None
// of them may be taken by an entry other than `self` (said so, naming the
// entry that has it).
bool UsedByDatabase(const QString& folder, const QString& self)
{
    CDBDirMng databases;
    QStringList names;
    databases.GetDispAllComp(names);
    bool used = IsSameFolder(folder, CArdoEnv().GetTemplateFolder());
    for (const QString& name : names) {
        QString registered;
        if (used || !databases.GetCompDBPath(name, registered) || registered.isEmpty())
            continue;
        if (name != self && IsSameFolder(folder, registered)) {
            Message(QStringLiteral("指定されたフォルダはデータベース「%1」で使用しています。\n"
                                   "別のフォルダを指定してください。")
                        .arg(name));
            return true;
        }
        used = IsSameFolder(folder, SubFolder(registered, QLatin1String(kDbScratchFolder)));
    }
    if (used)
        Message(
            QStringLiteral("指定されたフォルダは『") + ProgramTitle() +
            QStringLiteral("』で使用しているデータベースフォルダです。\n別のフォルダを指定してください。"));
    return used;
}

// Whether `name` is the register's current entry; its folder in `folder`.
bool IsCurrentEntry(const QString& name, QString& folder)
{
    QString current;
    return CDBDirMng().GetNowDB(current, folder) && current == name && !folder.isEmpty();
}

// The register's current entry when its folder lost the database file: at
// start-up it is the one the user is asked to point somewhere else.
bool IsLostCurrentEntry(const QString& name)
{
    QString folder;
    return IsCurrentEntry(name, folder) && !HasDatabaseFile(folder);
}

} // namespace

CDBNameRules::CDBNameRules(const QString& name, const QString& folder, int mode)
    : m_strName(name), m_strFolder(folder), m_strOrgName(name), m_strOrgFolder(folder), m_nMode(mode)
{
}

QString CDBNameRules::GetTitle() const
{
    switch (m_nMode) {
    case kNew:
        return QStringLiteral("データベースの新規作成");
    case kRename:
        return QStringLiteral("データベースの変更");
    case kCopy:
        return QStringLiteral("データベースの複製");
    default:
        return QStringLiteral("データベースフォルダの指定");
    }
}

QString CDBNameRules::GetPrompt() const
{
    switch (m_nMode) {
    case kNew:
        return QStringLiteral(
            "新しいデータベースを作成します。\nデータベース名と保存先フォルダを指定してください。");
    case kRename:
        return QStringLiteral("データベースの名前を変更します。\n変更するデータベース名を指定してください。");
    case kCopy:
        return QStringLiteral(
            "選択されたデータベースを複製します。\n複製先のデータベース名とフォルダを指定してください。");
    case kStartup:
        return QStringLiteral(
            "データベースの情報をもつフォルダを指定します。\nデータベース名とフォルダを指定してください。");
    default:
        return QStringLiteral(
            "データベースフォルダを指定します。\nデータベースファイルの存在するフォルダを指定してください。");
    }
}

bool CDBNameRules::Init()
{
    if (m_nMode == kCopy || m_nMode == kStartup) {
        m_strName.clear();
        m_strFolder.clear();
    }
    if (m_nMode == kLocate && m_strName.isEmpty()) {
        Message(QStringLiteral("引数が不正です"));
        return false;
    }
    return true;
}

bool CDBNameRules::OnOK()
{
    if (m_strName.isEmpty()) {
        Message(QStringLiteral("データベース名が入力されていません。"));
        return false;
    }
    // The backup's identity file and the register hold the name in code
    // page 932; refused before anything is written.
    if (!IsNameReadOnly() && !CheckEncodable(m_strName, QStringLiteral("データベース名")))
        return false;
    if (m_strFolder.isEmpty()) {
        Message(QStringLiteral("フォルダ名が入力されていません。"));
        return false;
    }
    int kind;
    while ((kind = GetPathKind(m_strFolder)) == 2)
        m_strFolder.chop(1);
    if (m_strFolder.isEmpty()) {
        Message(QStringLiteral("フォルダ名を正しく入力してください"));
        return false;
    }
    if (kind == 3 || kind == 4) {
        Message(
            QStringLiteral("ルートディレクトリを指定することはできません。別のフォルダを指定してください。"),
            MB_OK, MB_ICONEXCLAMATION);
        return false;
    }

    CWaitCursor wait;
    m_strFilesFolder.clear();
    m_strOtherFolder.clear();
    switch (m_nMode) {
    case kNew:
    case kCopy: {
        if (NameTaken(m_strName) || UsedByDatabase(m_strFolder, {}))
            return false;
        const int checked = CheckFolder(m_strFolder, true, true);
        if (checked == 3 || checked == 4)
            return false;
        return CheckNewFolder() && LayOutFolder();
    }
    case kRename:
        if (m_strName == m_strOrgName)
            return true;
        if (NameTaken(m_strName))
            return false;
        if (!CDBDirMng().ChangeCompName(m_strOrgName, m_strName)) {
            Message(QStringLiteral("データベース名の変更ができませんでした"));
            return false;
        }
        return true;
    case kStartup: {
        // The current entry's own folder, its database put back meanwhile:
        // the entry stands as it is (spelt as registered, for the caller's
        // registration of the same pair).
        QString registered;
        if (IsCurrentEntry(m_strName, registered) && IsSameFolder(m_strFolder, registered) &&
            HasDatabaseFile(registered)) {
            m_strFolder = registered;
            m_bRepoint = false;
            return true;
        }
        // The current entry whose folder is gone keeps its name and is
        // pointed at the new folder; any other registered name is refused.
        m_bRepoint = IsLostCurrentEntry(m_strName);
        if ((!m_bRepoint && NameTaken(m_strName)) || UsedByDatabase(m_strFolder, m_strName))
            return false;
        if (HasDatabaseFile(m_strFolder))
            return Repoint(); // the caller registers the database that is there
        if (Message(QStringLiteral("指定されたフォルダにはデータベースファイルがありません。\n"
                                   "指定されたフォルダに新しくデータベースを作成してよろしいですか？"),
                    MB_YESNO, MB_ICONQUESTION) != IDYES)
            return false;
        if (FolderHasFiles(m_strFolder)) {
            Message(QStringLiteral(
                "指定されたフォルダにはファイルが存在しています。データベースを作成できません。\n"
                "新しくデータベースを作成する場合は、空のフォルダを指定してください"));
            return false;
        }
        const int checked = CheckFolder(m_strFolder, true, true);
        if (checked == 3 || checked == 4)
            return false;
        return LayOutFolder() && Repoint();
    }
    default: {
        const QString files = SubFolder(m_strFolder, QLatin1String(kDbFilesFolder));
        const QString other = SubFolder(m_strFolder, QLatin1String(kDbOtherFolder));
        if (!HasDatabaseFile(m_strFolder) || CheckFolder(files, false, false) != 1 ||
            CheckFolder(other, false, false) != 1) {
            Message(QStringLiteral(
                "指定されたフォルダにはデータベース情報がありません。\nフォルダを指定しなおしてください。"));
            return false;
        }
        if (UsedByDatabase(m_strFolder, m_strName))
            return false;
        if (!CDBDirMng().ChangePath(m_strName, m_strFolder)) {
            Message(QStringLiteral("フォルダの変更ができませんでした"));
            return false;
        }
        return true;
    }
    }
}

// The start-up re-point of the lost current entry; the caller's
// registration of the same name and folder then finds it done.
bool CDBNameRules::Repoint()
{
    if (!m_bRepoint)
        return true;
    if (!CDBDirMng().ChangePath(m_strName, m_strFolder)) {
        Message(QStringLiteral("フォルダの変更ができませんでした"));
        return false;
    }
    return true;
}

// A new database needs an empty folder: no file at the top, in "Files" or in "Other".
bool CDBNameRules::CheckNewFolder()
{
    const QString files = SubFolder(m_strFolder, QLatin1String(kDbFilesFolder));
    const QString other = SubFolder(m_strFolder, QLatin1String(kDbOtherFolder));
    if (FolderHasFiles(m_strFolder) || FolderHasFiles(files) || FolderHasFiles(other)) {
        Message(QStringLiteral("指定されたフォルダにはファイルが存在しています。\n"
                               "コピー先のフォルダには空のフォルダを指定してください。"));
        return false;
    }
    return true;
}

// "Files", "Other" and the restore's scratch folder with its own two.
bool CDBNameRules::LayOutFolder()
{
    const QString files = SubFolder(m_strFolder, QLatin1String(kDbFilesFolder));
    const QString other = SubFolder(m_strFolder, QLatin1String(kDbOtherFolder));
    const QString scratch = SubFolder(m_strFolder, QLatin1String(kDbScratchFolder));
    for (const QString& folder : {files, other, scratch, SubFolder(scratch, QLatin1String(kDbFilesFolder)),
                                  SubFolder(scratch, QLatin1String(kDbOtherFolder))}) {
        const int checked = CheckFolder(folder, true, false);
        if (checked == 3 || checked == 4)
            return false;
    }
    m_strFilesFolder = files;
    m_strOtherFolder = other;
    return true;
}
