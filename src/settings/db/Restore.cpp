#include "settings/db/Restore.h"

#include "platform/archive/SafeFile.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/TableNames.h"
#include "platform/env/ArdoEnv.h"
#include "platform/env/DBDirMng.h"
#include "platform/text/Cp932.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/db/Backup.h"
#include "settings/db/DbDialogs.h"
#include "settings/db/DbFiles.h"
#include "settings/db/DbFolders.h"
#include "settings/db/DbSession.h"
#include "settings/db/FolderBrowser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

// A "Buinf.sys" is five short lines; anything near this size is not one.
constexpr qint64 kMaxInfoSize = 64 * 1024;

int Message(const QString& text, int buttons = MB_OK, int icon = MB_ICONNONE, int defaultButton = 0)
{
    return UiServices::Prompt().MessageBox(text, buttons, icon, defaultButton);
}

QString Files(const QString& folder)
{
    return SubFolder(folder, QLatin1String(kDbFilesFolder));
}

QString Other(const QString& folder)
{
    return SubFolder(folder, QLatin1String(kDbOtherFolder));
}

// Copies the files into `to`, remembering each name; false at the first failure.
bool SaveFiles(const QString& from, const QString& to, const QStringList& names, QStringList& saved)
{
    for (const QString& name : names) {
        if (CopyFileList(from, to, {name}, false, false) != 0)
            return false;
        saved << name;
    }
    return true;
}

QStringList FileNames(const QString& folder, const QString& extension)
{
    QStringList names;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (file.fileName().endsWith(u'.' + extension, Qt::CaseInsensitive))
            names << file.fileName();
    }
    return names;
}

} // namespace

CRestoreFileSet::CRestoreFileSet(const QString& databaseFolder) : m_strFolder(databaseFolder) {}

int CRestoreFileSet::SaveCurrent()
{
    const QString scratch = SubFolder(m_strFolder, QLatin1String(kDbScratchFolder));
    for (const QString& folder : {scratch, Files(scratch), Other(scratch)}) {
        const int checked = CheckFolder(folder, true, false);
        if (checked != 1 && checked != 2)
            return 0;
    }
    if (DeleteFolderFiles(scratch) + DeleteFolderFiles(Files(scratch), QLatin1String(kSlipFileExt)) +
            DeleteFolderFiles(Other(scratch), QLatin1String(kDefaultFileExt)) >
        0)
        return 0;

    m_strScratch = scratch;
    m_savedFiles.clear();
    m_savedSlips.clear();
    m_savedDefaults.clear();
    QStringList listed, present;
    GetDbSettingFiles(listed);
    for (const QString& name : listed) {
        const QString path = FindFileNoCase(m_strFolder, name);
        if (!path.isEmpty())
            present << QFileInfo(path).fileName();
    }
    if (!SaveFiles(m_strFolder, scratch, present, m_savedFiles) ||
        !SaveFiles(Files(m_strFolder), Files(scratch),
                   FileNames(Files(m_strFolder), QLatin1String(kSlipFileExt)), m_savedSlips) ||
        !SaveFiles(Other(m_strFolder), Other(scratch),
                   FileNames(Other(m_strFolder), QLatin1String(kDefaultFileExt)), m_savedDefaults)) {
        ClearSaved();
        return 0;
    }

    DeleteFileList(m_strFolder, m_savedFiles);
    DeleteFileList(Files(m_strFolder), m_savedSlips);
    DeleteFileList(Other(m_strFolder), m_savedDefaults);
    m_bSaved = true;
    return 1;
}

int CRestoreFileSet::ClearSaved()
{
    if (m_strScratch.isEmpty())
        return 1;
    const int failed = DeleteFileList(m_strScratch, m_savedFiles) +
                       DeleteFileList(Files(m_strScratch), m_savedSlips) +
                       DeleteFileList(Other(m_strScratch), m_savedDefaults);
    return failed == 0 ? 1 : 0;
}

int CRestoreFileSet::RollBack()
{
    if (!m_bSaved)
        return 0;
    QStringList listed;
    GetDbSettingFiles(listed);
    // A journal that came with the backup belongs to its database, not to the saved one.
    RemoveDatabaseJournal(m_strFolder);
    DeleteFileList(m_strFolder, listed);
    DeleteFolderFiles(Files(m_strFolder), QLatin1String(kSlipFileExt));
    DeleteFolderFiles(Other(m_strFolder), QLatin1String(kDefaultFileExt));

    const int failed = CopyFileList(m_strScratch, m_strFolder, m_savedFiles, false, false) +
                       CopyFileList(Files(m_strScratch), Files(m_strFolder), m_savedSlips, false, false) +
                       CopyFileList(Other(m_strScratch), Other(m_strFolder), m_savedDefaults, false, false);
    if (failed > 0)
        return 0;
    ClearSaved();
    m_bSaved = false;
    return 1;
}

QString CRestoreFileSet::GetSavedFolder() const
{
    return m_bSaved ? m_strScratch : QString();
}

bool ReadBackupInfo(const QString& path, QStringList& lines)
{
    lines.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxInfoSize)
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    QList<QByteArray> raw = bytes.split('\n');
    if (!raw.isEmpty() && raw.last().isEmpty())
        raw.removeLast(); // the line end of the last line
    for (QByteArray& line : raw) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines << Cp932::Decode(line);
    }
    return lines.size() == 5;
}

void SplitBackupInfoLine(const QString& line, QString& item, QString& content)
{
    const qsizetype colon = line.indexOf(QStringLiteral("："));
    item = colon < 0 ? QString() : line.left(colon);
    content = colon < 0 ? line : line.mid(colon + 1);
}

int RestoreDatabase(IDbSession& session)
{
    if (Message(QStringLiteral("現在のデータベースにバックアップデータを上書きします。\n"
                               "現在のデータはすべて消失しますがよろしいですか？"),
                MB_YESNO, MB_ICONEXCLAMATION, IDNO) != IDYES) {
        Message(
            QStringLiteral("先に現在のデータをバックアップするなどしてから再度復元作業を行なってください"),
            MB_OK, MB_ICONINFORMATION);
        return 0;
    }
    // The backups are where the last one went; without one, among the
    // databases.
    QString name, folder;
    const bool known = CDBDirMng().GetNowDB(name, folder) && !folder.isEmpty();
    const QString lastBackup = known ? ReadProposedFolder(folder) : QString();
    CFolderBrowser browser;
    if (browser.Browse(!lastBackup.isEmpty() && QFileInfo(lastBackup).isDir()
                           ? lastBackup
                           : CArdoEnv().GetDatabasesFolder(),
                       QStringLiteral("バックアップファイルを保存しているフォルダを指定してください。")) != 1)
        return 0;
    const QString backup = browser.GetPath();

    if (!known) {
        Message(QStringLiteral("復元できません<1>"));
        return 0;
    }
    // The save empties the scratch folder and the database folder before the
    // backup is copied in, so neither can be the backup.
    if (IsSameFolder(backup, folder) ||
        IsSameFolder(backup, SubFolder(folder, QLatin1String(kDbScratchFolder)))) {
        Message(QStringLiteral("指定されたフォルダは『%1』で使用しているデータベースフォルダです。\n"
                               "このフォルダから復元することはできません。")
                    .arg(ProgramTitle()));
        return 0;
    }
    if (FindFileNoCase(backup, QString::fromUtf8(DB_FILE_NAME)).isEmpty()) {
        Message(QStringLiteral("指定されたフォルダにはバックアップファイルがありません。"));
        return 0;
    }
    const QString info = FindFileNoCase(backup, QLatin1String(kBackupInfoFile));
    if (!info.isEmpty()) {
        QStringList lines;
        if (!ReadBackupInfo(info, lines)) {
            Message(QStringLiteral("指定されたフォルダのバックアップデータが不正です。\n復元できません。"));
            return 0;
        }
        // Another company's backup over the books in use: said first, in so many words.
        QString item, backupName;
        SplitBackupInfoLine(lines[1], item, backupName);
        if (backupName != name &&
            Message(QStringLiteral("このバックアップは「%1」のデータです。使用中の「%2」に復元すると、"
                                   "「%2」のデータはすべて「%1」のデータに置き換わります。\n\n"
                                   "復元を続けてよろしいですか？")
                        .arg(backupName, name),
                    MB_YESNO, MB_ICONEXCLAMATION, IDNO) != IDYES)
            return 0;
        if (!DbDialogs().ConfirmRestore(lines))
            return 0;
    } else if (Message(
                   QStringLiteral(
                       "指定されたフォルダ<%1>のデータは『%"
                       "2』アプリケーションで行ったバックアップデータではありません。\n"
                       "このフォルダ内のファイルが正しい『%2』のデータであることがはっきりしている場合以外は"
                       "復元を中止して確認してください。\n\n復元を行いますか？")
                       .arg(backup, ProgramTitle()),
                   MB_YESNO, MB_ICONEXCLAMATION, IDNO) != IDYES) {
        return 0;
    }

    CWaitCursor wait;
    const int answer = session.Release();
    if (answer != 1) {
        if (answer == 50)
            Message(OtherScreensOpenText(QStringLiteral("データベースを復元する")));
        else if (answer == -4)
            Message(QStringLiteral("現在、データベース処理が行われているため復元できません。\n"
                                   "処理が終了してから再度操作してください。"));
        else
            Message(CannotDisconnectText());
        return 0;
    }

    bool restored = false;
    CRestoreFileSet saved(folder);
    if (!SettleDatabaseFile(folder) || !saved.SaveCurrent()) {
        Message(QStringLiteral(
                    "現状(復元前)の状態を保存できませんでした。\n処理を中止します。ディスクの空き容量が"
                    "足りない場合は、いったん『%"
                    "1』を終了して、ディスクの空き容量を増やしてから再度操作してください。")
                    .arg(ProgramTitle()));
    } else {
        // A folder registered where only the database file lay has no
        // "Files" or "Other" yet; the backup's files need them.
        CreateNestedFolder(Files(folder));
        CreateNestedFolder(Other(folder));
        QStringList listed;
        GetDbSettingFiles(listed);
        // A copy taken while its database was being written needs its
        // journal, which the check below plays back into it.
        listed << QFileInfo(CMakeMsgID::DatabasePath(backup)).fileName() + QStringLiteral("-journal");
        const int failed =
            CopyFileList(backup, folder, listed, false, true) +
            CopyFolderFiles(Files(backup), Files(folder), QLatin1String(kSlipFileExt), false, true) +
            CopyFolderFiles(Other(backup), Other(folder), QLatin1String(kDefaultFileExt), false, true);
        // A restore must never leave the folder without a database that opens.
        restored = failed == 0 && CheckDatabaseFile(folder);
        if (!restored) {
            Message(QStringLiteral("いくつかのファイルの復元ができなかったため、復元前の状態に戻します。"));
            if (!saved.RollBack()) {
                Message(
                    QStringLiteral(
                        "復元前の状態に戻すのに失敗しました。データファイルの状態が不正です。\n"
                        "すみやかに『%"
                        "1』を終了してください。\nディスク容量が足りない場合は空き容量を確保してください。\n"
                        " その後、<%2> "
                        "に保存されている復元前のデータを元に戻して『%"
                        "1』を起動し、再度復元操作を行ってください。")
                        .arg(ProgramTitle(), saved.GetSavedFolder()),
                    MB_OK, MB_ICONSTOP);
                return 0;
            }
        }
        // A journal of the replaced file would be played into the new one.
        RemoveDatabaseJournal(folder);
        // The backup brought the folder its own database last went to, maybe
        // on another computer: the next backup proposes the one used here.
        if (restored)
            RememberBackupFolder(folder, lastBackup.isEmpty() ? backup : lastBackup);
    }

    if (session.Connect() != 1)
        Message(ReconnectFailedText(), MB_OK, MB_ICONSTOP);
    if (!restored)
        return 0;
    // The frame must not keep the replaced database's settings and write them back.
    session.ReloadDatabaseState();
    Message(QStringLiteral("復元しました"), MB_OK, MB_ICONINFORMATION);
    return 1;
}
