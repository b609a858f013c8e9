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

#include <QFile>

#include <algorithm>

namespace {

enum EOutcome { kCancelled, kDone, kFailed };

int Message(const QString& text, int buttons = MB_OK, int icon = MB_ICONNONE)
{
    return UiServices::Prompt().MessageBox(text, buttons, icon);
}

QString ReadProposedFolder(const QString& databaseFolder)
{
    const QString path = FindFileNoCase(databaseFolder, QLatin1String(kBackupFolderFile));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = file.readLine(4096);
    return Cp932::Decode(line).remove(u'\r').remove(u'\n');
}

// Asks until a folder passes or the user cancels; returns the folder, empty
// when cancelled. `files` is the database file list.
QString ChooseBackupFolder(const QString& proposed, const QStringList& forbidden, const QStringList& files)
{
    QString folder = proposed;
    for (;;) {
        if (!DbDialogs().SelectFolder(folder, QStringLiteral("ﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞの選択"),
                                      QStringLiteral("データをバックアップするフォルダを指定してください。"), folder))
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
        const int slipsChecked = CheckFolder(slips, true, false);
        const int defaultsChecked = CheckFolder(defaults, true, false);
        if (slipsChecked == 3 || slipsChecked == 4 || defaultsChecked == 3 || defaultsChecked == 4)
            continue;
        // Files are deleted in all three folders, so none of them may be a
        // database's own, through a link either.
        if (std::any_of(forbidden.begin(), forbidden.end(), [&](const QString& f) {
                return IsSameFolder(f, folder) || IsSameFolder(f, slips) || IsSameFolder(f, defaults);
            })) {
            Message(QStringLiteral("指定されたフォルダは『") + ProgramTitle() +
                    QStringLiteral("』で使用しているデータベースフォルダです。\nこのフォルダにバックアップすることはできません。"));
            continue;
        }
        if ((CountExistingFiles(folder, files) > 0 || FolderHasFiles(slips, QLatin1String(kSlipFileExt)) ||
             FolderHasFiles(defaults, QLatin1String(kDefaultFileExt))) &&
            Message(QStringLiteral("指定されたフォルダにはファイルが存在しています。\nこれらのファイルを上書きしてよろしいですか？"),
                    MB_YESNO, MB_ICONINFORMATION) != IDYES)
            continue;
        return folder;
    }
}

EOutcome CopyBackup(const QString& name, const QString& databaseFolder, const QString& folder, const QStringList& files,
                    int mode)
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

    const QString slips = SubFolder(folder, QLatin1String(kDbFilesFolder));
    const QString defaults = SubFolder(folder, QLatin1String(kDbOtherFolder));
    // An identity file left from an earlier backup would vouch for a copy that fails now.
    QStringList stale = files;
    stale << QLatin1String(kBackupInfoFile);
    if (DeleteFileList(folder, stale) + DeleteFolderFiles(slips, QLatin1String(kSlipFileExt)) +
            DeleteFolderFiles(defaults, QLatin1String(kDefaultFileExt)) >
        0) {
        Message(QStringLiteral("フォルダ内に削除できないファイルがありました。\n処理を中止します。"));
        return kFailed;
    }

    const bool copied =
        CopyFileList(databaseFolder, folder, files, false, false) == 0 &&
        CopyFolderFiles(SubFolder(databaseFolder, QLatin1String(kDbFilesFolder)), slips,
                        QLatin1String(kSlipFileExt), false, false) == 0 &&
        CopyFolderFiles(SubFolder(databaseFolder, QLatin1String(kDbOtherFolder)), defaults,
                        QLatin1String(kDefaultFileExt), false, false) == 0;
    // Without its identity file the backup is not complete, so that is a failure too.
    const QByteArray info = Cp932::Encode(BackupInfoLines(name, databaseFolder, mode).join(QStringLiteral("\r\n")) +
                                          QStringLiteral("\r\n"));
    if (!copied || !AtomicWriteFile(JoinPath(folder, QLatin1String(kBackupInfoFile)), info))
        return failed();
    // Only a proposal for next time; a folder the file cannot name is not proposed.
    if (Cp932::CanEncode(folder))
        AtomicWriteFileNoCase(databaseFolder, QLatin1String(kBackupFolderFile), Cp932::Encode(folder));
    Message(QStringLiteral("バックアップしました"), MB_OK, MB_ICONINFORMATION);
    return kDone;
}

} // namespace

QStringList BackupInfoLines(const QString& name, const QString& folder, int mode)
{
    return {QStringLiteral("『") + ProgramTitle() + QStringLiteral("』データバックアップ"),
            QStringLiteral("データベース名：") + name,
            QStringLiteral("バックアップ元フォルダ：") + folder,
            QStringLiteral("バックアップ日時：") +
                UiServices::Clock().Now().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")),
            mode == 3 ? QStringLiteral("処理：繰越処理時のバックアップ") : QStringLiteral("処理：データバックアップ")};
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
        // The scratch folder is emptied by that database's next restore.
        forbidden << folder << SubFolder(folder, QLatin1String(kDbScratchFolder))
                  << SubFolder(folder, QLatin1String(kDbFilesFolder)) << SubFolder(folder, QLatin1String(kDbOtherFolder));
    }

    QStringList files;
    GetDbSettingFiles(files);
    const QString proposed = ReadProposedFolder(databaseFolder);

    if (mode == 1 || mode == 2) {
        QString text = QStringLiteral("データベース「%1」のバックアップを行ないます。\n"
                                      "【OK】をクリックしたあと、データを保存するフォルダを指定してください。")
                           .arg(name);
        if (mode == 1)
            text += QStringLiteral("\n\nこの処理でバックアップされるデータは\n  ・台帳データ\n  ・伝票データ\n  ・各種設定\n"
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
                QStringLiteral("』の各画面を閉じる必要があります。\n各画面を閉じてから再度バックアップ操作を行ってください。"));
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

    if (released) {
        CWaitCursor wait;
        if (session.Connect() != 1) {
            Message(ReconnectFailedText(), MB_OK, MB_ICONSTOP);
            return outcome == kDone ? -10 : outcome == kCancelled ? -20 : -100;
        }
    }
    return outcome == kDone ? 1 : outcome == kCancelled ? 0 : -1;
}
