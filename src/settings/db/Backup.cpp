#include "settings/db/Backup.h"

#include "platform/archive/SafeFile.h"
#include "platform/env/ArdoEnv.h"
#include "platform/env/DBDirMng.h"
#include "platform/text/Cp932.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "settings/db/DbDialogs.h"
#include "settings/db/DbFiles.h"
#include "settings/db/DbFolders.h"
#include "settings/db/DbSession.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace
{

enum EOutcome { kCancelled, kDone, kFailed };

int Message(const QString& text, int buttons = MB_OK, int icon = MB_ICONNONE)
{
    return UiServices::Prompt().MessageBox(text, buttons, icon);
}

// Asks until a folder passes or the user cancels; returns the folder, empty
// when cancelled. `files` is the database file list.
QString ChooseBackupFolder(const QString& proposed, const QStringList& forbidden, const QStringList& files)
{
    QString folder = proposed;
    for (;;) {
        if (!DbDialogs().SelectFolder(folder, QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞの選択"),
                                      QStringLiteral("データをバックアップするフォルダを指定してください。"),
                                      folder))
            return {};
        int kind;
        while ((kind = GetPathKind(folder)) == 2 || kind == 4)
            folder.chop(1);
        if (folder.isEmpty()) {
            Message(QStringLiteral("フォルダ名を正しく入力してください"));
            continue;
        }
        if (kind == 1) {
            const int checked = CheckFolder(folder, true, true);
            if (checked != 1 && checked != 2)
                continue;
        }
        const QString slips = SubFolder(folder, QLatin1String(kDbFilesFolder));
        const QString defaults = SubFolder(folder, QLatin1String(kDbOtherFolder));
        // The first that cannot be made ends the try: one message, not one per folder.
        const auto made = [](const QString& sub) {
            const int checked = CheckFolder(sub, true, false);
            return checked != 3 && checked != 4;
        };
        if (!made(slips) || !made(defaults))
            continue;
        // Files are deleted in all three folders, so none of them may be a
        // database's own, through a link either.
        if (std::any_of(forbidden.begin(), forbidden.end(), [&](const QString& f) {
                return IsSameFolder(f, folder) || IsSameFolder(f, slips) || IsSameFolder(f, defaults);
            })) {
            Message(QStringLiteral("指定されたフォルダは『") + ProgramTitle() +
                    QStringLiteral("』で使用しているデータベースフォルダです。\nこのフォルダにバックアップす"
                                   "ることはできません。"));
            continue;
        }
        if ((CountExistingFiles(folder, files) > 0 || FolderHasFiles(slips, QLatin1String(kSlipFileExt)) ||
             FolderHasFiles(defaults, QLatin1String(kDefaultFileExt))) &&
            Message(QStringLiteral("指定されたフォルダにはファイルが存在しています。\nこれらのファイルを上書"
                                   "きしてよろしいですか？"),
                    MB_YESNO, MB_ICONINFORMATION) != IDYES)
            continue;
        return folder;
    }
}

QStringList FileNames(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// Moves every file of `from` but `keep` into `to` by renaming, each over
// the file of the same name in any letter case (twins staged side by side
// stay two). Adds the targets to `written`; false when a rename failed.
bool MoveStagedFiles(const QString& from, const QString& to, QSet<QString>& written, const QString& keep = {})
{
    bool moved = true;
    for (const QString& name : FileNames(from)) {
        if (name == keep)
            continue;
        QString target = FindFileNoCase(to, name);
        if (target.isEmpty() || written.contains(target))
            target = JoinPath(to, name);
        if (::rename(QFile::encodeName(JoinPath(from, name)).constData(),
                     QFile::encodeName(target).constData()) != 0)
            moved = false;
        else
            written.insert(target);
    }
    return moved;
}

// Files of the earlier backup that the new one did not replace: listed
// names in any case, ".vrh" of "Files", ".aut" of "Other".
void DeleteStaleFiles(const QString& folder, const QStringList& files, const QSet<QString>& written)
{
    const auto sweep = [&](const QString& dir, const auto& belongs) {
        for (const QString& name : FileNames(dir)) {
            const QString path = JoinPath(dir, name);
            if (belongs(name) && !written.contains(path))
                QFile::remove(path);
        }
    };
    sweep(folder, [&](const QString& name) {
        return std::any_of(files.begin(), files.end(),
                           [&](const QString& f) { return EqualsNoAsciiCase(f, name); });
    });
    sweep(SubFolder(folder, QLatin1String(kDbFilesFolder)), [](const QString& name) {
        return name.endsWith(u'.' + QLatin1String(kSlipFileExt), Qt::CaseInsensitive);
    });
    sweep(SubFolder(folder, QLatin1String(kDbOtherFolder)), [](const QString& name) {
        return name.endsWith(u'.' + QLatin1String(kDefaultFileExt), Qt::CaseInsensitive);
    });
}

EOutcome CopyBackup(const QString& name, const QString& databaseFolder, const QString& folder,
                    const QStringList& files, int mode)
{
    const auto failed = [] {
        Message(QStringLiteral("バックアップできませんでした。\nバックアップ先のディスク容量が少ない場合は"
                               "空き容量を充分確保してからバックアップしてください。"));
        return kFailed;
    };
    // A database file that is missing or no database (the reason the manager
    // may not have been connected) must not replace an earlier backup.
    if (!CheckDatabaseFile(databaseFolder))
        return failed();

    // The new backup is written whole beside the earlier one, in a folder of
    // its own on the same medium, and replaces it only when it is complete:
    // a full disk or a removed medium leaves the earlier backup as it was.
    QTemporaryDir stage(JoinPath(folder, QStringLiteral(".BupNew-XXXXXX")));
    const QString stageSlips = SubFolder(stage.path(), QLatin1String(kDbFilesFolder));
    const QString stageDefaults = SubFolder(stage.path(), QLatin1String(kDbOtherFolder));
    if (!stage.isValid() || !QDir().mkdir(stageSlips) || !QDir().mkdir(stageDefaults))
        return failed();
    const bool copied = CopyFileList(databaseFolder, stage.path(), files, false, false) == 0 &&
                        CopyFolderFiles(SubFolder(databaseFolder, QLatin1String(kDbFilesFolder)), stageSlips,
                                        QLatin1String(kSlipFileExt), false, false) == 0 &&
                        CopyFolderFiles(SubFolder(databaseFolder, QLatin1String(kDbOtherFolder)),
                                        stageDefaults, QLatin1String(kDefaultFileExt), false, false) == 0;
    // Without its identity file the backup is not complete, so that is a failure too.
    const QByteArray info = Cp932::Encode(
        BackupInfoLines(name, databaseFolder, mode).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    const QString stagedInfo = JoinPath(stage.path(), QLatin1String(kBackupInfoFile));
    if (!copied || !AtomicWriteFile(stagedInfo, info))
        return failed();

    // The earlier identity file goes first, so a folder caught half way
    // (renames cannot run out of space, but may be refused) vouches for
    // nothing; the new one comes last.
    const QString infoName = QLatin1String(kBackupInfoFile);
    if (DeleteFileList(folder, {infoName}) > 0) {
        Message(QStringLiteral("フォルダ内に削除できないファイルがありました。\n処理を中止します。"));
        return kFailed;
    }
    // Something else of that name (a folder) would refuse the last step.
    if (!FindEntryNoCase(folder, infoName).isEmpty())
        return failed();
    QSet<QString> written;
    bool moved = MoveStagedFiles(stage.path(), folder, written, infoName);
    moved = MoveStagedFiles(stageSlips, SubFolder(folder, QLatin1String(kDbFilesFolder)), written) && moved;
    moved =
        MoveStagedFiles(stageDefaults, SubFolder(folder, QLatin1String(kDbOtherFolder)), written) && moved;
    if (!moved)
        return failed();
    DeleteStaleFiles(folder, files, written);
    if (::rename(QFile::encodeName(stagedInfo).constData(),
                 QFile::encodeName(JoinPath(folder, infoName)).constData()) != 0)
        return failed();

    RememberBackupFolder(databaseFolder, folder);
    Message(QStringLiteral("バックアップしました"), MB_OK, MB_ICONINFORMATION);
    return kDone;
}

} // namespace

QString ReadProposedFolder(const QString& databaseFolder)
{
    const QString path = FindFileNoCase(databaseFolder, QLatin1String(kBackupFolderFile));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = file.readLine(4096);
    return Cp932::Decode(line).remove(u'\r').remove(u'\n');
}

void RememberBackupFolder(const QString& databaseFolder, const QString& folder)
{
    // Only a proposal for next time; a folder the file cannot name is not proposed.
    if (Cp932::CanEncode(folder))
        AtomicWriteFileNoCase(databaseFolder, QLatin1String(kBackupFolderFile), Cp932::Encode(folder));
}

QStringList BackupInfoLines(const QString& name, const QString& folder, int mode)
{
    return {QStringLiteral("『") + ProgramTitle() + QStringLiteral("』データバックアップ"),
            QStringLiteral("データベース名：") + name, QStringLiteral("バックアップ元フォルダ：") + folder,
            QStringLiteral("バックアップ日時：") +
                UiServices::Clock().Now().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")),
            mode == 3 ? QStringLiteral("処理：繰越処理時のバックアップ")
                      : QStringLiteral("処理：データバックアップ")};
}

int BackupDatabase(IDbSession& session, int mode)
{
    CDBDirMng databases;
    QString name, databaseFolder;
    if (!databases.GetNowDB(name, databaseFolder) || databaseFolder.isEmpty()) {
        Message(QStringLiteral("バックアップできません<1>"));
        return -1;
    }
    QStringList names;
    if (!databases.GetDispAllComp(names)) {
        Message(QStringLiteral("バックアップできません<2>"));
        return -1;
    }
    QStringList forbidden{CArdoEnv().GetTemplateFolder()};
    for (const QString& registered : names) {
        QString folder;
        if (!databases.GetCompDBPath(registered, folder)) {
            Message(QStringLiteral("バックアップできません<3>"));
            return -1;
        }
        // The scratch folder and its staging are emptied by that database's
        // next restore.
        const QString scratch = SubFolder(folder, QLatin1String(kDbScratchFolder));
        forbidden << folder << scratch << SubFolder(scratch, QLatin1String(kDbStagingFolder))
                  << SubFolder(folder, QLatin1String(kDbFilesFolder))
                  << SubFolder(folder, QLatin1String(kDbOtherFolder));
    }

    QStringList files;
    GetDbSettingFiles(files);
    const QString proposed = ReadProposedFolder(databaseFolder);

    if (mode == 1 || mode == 2) {
        QString text =
            QStringLiteral("データベース「%1」のバックアップを行ないます。\n"
                           "【OK】をクリックしたあと、データを保存するフォルダを指定してください。")
                .arg(name);
        if (mode == 1)
            text += QStringLiteral(
                "\n\nこの処理でバックアップされるデータは\n  ・台帳データ\n  ・伝票データ\n  ・各種設定\n"
                "です(オリジナルフォームや電話帳データは含まれません)。");
        Message(text, MB_OK, MB_ICONINFORMATION);
    }

    int answer;
    {
        CWaitCursor wait;
        answer = session.Release();
    }
    if (answer == 50) {
        Message(QStringLiteral("データベースをバックアップするには、メニュー画面以外の『") + ProgramTitle() +
                QStringLiteral("』の各画面を閉じる必要があります。\n各画面を閉じてから再度バックアップ操作を"
                               "行ってください。"));
        session.ActivateOtherWindows();
        return -1;
    }
    if (answer == -4) {
        Message(QStringLiteral("現在、データベース処理が行われているためバックアップできません。\n"
                               "処理が終了してから再度操作してください。"));
        return -1;
    }
    // Only a closed database file can be copied: without a connection there is
    // nothing to close; any other refusal leaves the file open.
    if (answer != 1 && answer != -1) {
        Message(CannotDisconnectText());
        return -1;
    }
    const bool released = answer == 1;

    EOutcome outcome = kCancelled;
    const QString folder = ChooseBackupFolder(proposed, forbidden, files);
    if (!folder.isEmpty()) {
        CWaitCursor wait;
        outcome = CopyBackup(name, databaseFolder, folder, files, mode);
    }

    int result = outcome == kDone ? 1 : outcome == kCancelled ? 0 : -1;
    if (released) {
        CWaitCursor wait;
        if (session.Connect() != 1) {
            Message(ReconnectFailedText(), MB_OK, MB_ICONSTOP);
            result = outcome == kDone ? -10 : outcome == kCancelled ? -20 : -100;
        }
    }
    // At exit a cancelled backup lets the program end: it must not end
    // without saying that there is no backup.
    if (mode == 2 && outcome == kCancelled)
        Message(QStringLiteral("バックアップは作成されませんでした。"), MB_OK, MB_ICONINFORMATION);
    return result;
}
