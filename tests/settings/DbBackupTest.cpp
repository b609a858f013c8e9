#include "DbTestSupport.h"

#include "platform/archive/AutFile.h"
#include "platform/data/Compact.h"
#include "platform/data/TableNames.h"
#include "platform/env/ArdoEnv.h"
#include "platform/text/Cp932.h"
#include "settings/db/Backup.h"
#include "settings/db/Compaction.h"
#include "settings/db/Restore.h"

#include <QDirIterator>
#include <QMap>

namespace
{

const QString kMain = QString::fromUtf8("本社");
const QString kDone = QString::fromUtf8("バックアップしました");
const QString kRestored = QString::fromUtf8("復元しました");

// The current database "本社" with two products, a slip file, a default and
// environment settings, connected.
class DbBackup : public CDbAdminTest
{
  protected:
    void SetUp() override
    {
        m_ui.Clock().Set(QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
        m_strFolder = MakeDatabase(kMain, "main", true);
        MakeDatabase(QString::fromUtf8("支店"), "branch", false);
        ASSERT_TRUE(PutFile(m_strFolder + "/Files/0001.vrh", "slip 1"));
        ASSERT_TRUE(PutFile(m_strFolder + "/MSettingInfo.dat", "settings A"));
        ASSERT_TRUE(WriteAutFile(m_strFolder + "/Other/CLOSEDAY.AUT", "20"));
        ASSERT_EQ(m_session.Connect(), 1);
        Sql(Data(), "INSERT INTO Item(ItemCode, ItemName) VALUES('A1', 'first'), ('A2', 'second')");
        m_session.m_nConnects = 0;
    }

    CMakeMsgID& Data() { return m_session.m_data; }
    int Items() { return CountRows(Data(), TB_ITEM); }

    QString m_strFolder;
    CTestSession m_session;
};

} // namespace

TEST_F(DbBackup, BackupChangeRestoreGivesTheBackedUpDataBack)
{
    const QString backup = Path("backup");
    m_ui.Prompt().QueueAnswers({IDOK, IDYES}); // the notice, then create the folder
    m_dialogs.QueueFolder(backup);
    EXPECT_EQ(BackupDatabase(m_session, 1), 1);
    EXPECT_EQ(LastText(), kDone);
    EXPECT_TRUE(
        Texts().first().startsWith(QString::fromUtf8("データベース「本社」のバックアップを行ないます。")));
    EXPECT_TRUE(
        Texts().first().endsWith(QString::fromUtf8("(オリジナルフォームや電話帳データは含まれません)。")));
    EXPECT_EQ(m_session.m_nReleases, 1);
    EXPECT_EQ(m_session.m_nConnects, 1);
    EXPECT_EQ(m_dialogs.m_folderCalls.first(),
              QStringList({"", QString::fromUtf8("ﾊﾞｯｸｱｯﾌﾟﾌｫﾙﾀﾞの選択"),
                           QString::fromUtf8("データをバックアップするフォルダを指定してください。")}));

    // The identity file, byte for byte, and the folder remembered for next time.
    const QByteArray info = Cp932::Encode(
        QString::fromUtf8(
            "『Corvanta／販売』データバックアップ\r\nデータベース名：本社\r\nバックアップ元フォルダ：%1\r\n"
            "バックアップ日時：2024/05/06 07:08:09\r\n処理：データバックアップ\r\n")
            .arg(m_strFolder));
    EXPECT_EQ(GetFile(backup + "/Buinf.sys"), info);
    EXPECT_EQ(GetFile(m_strFolder + "/Budefdir.dat"), Cp932::Encode(backup));
    EXPECT_EQ(GetFile(backup + "/Files/0001.vrh"), "slip 1");
    EXPECT_EQ(QDir(backup + "/Other").entryList(QDir::Files).size(), 29);
    EXPECT_FALSE(QFileInfo::exists(backup + "/BupTmp"));

    // The next backup proposes the folder, and overwrites it only after the question.
    ASSERT_TRUE(PutFile(backup + "/Files/stale.vrh", "stale"));
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDYES});
    m_dialogs.QueueFolder(backup + "/");
    EXPECT_EQ(BackupDatabase(m_session, 3), 1);
    EXPECT_EQ(m_dialogs.m_folderCalls.last().first(), backup);
    EXPECT_EQ(Texts().first(), QString::fromUtf8("指定されたフォルダにはファイルが存在しています。\nこれらの"
                                                 "ファイルを上書きしてよろしいですか？"));
    EXPECT_EQ(QDir(backup + "/Files").entryList(QDir::Files), QStringList{"0001.vrh"});
    EXPECT_EQ(m_session.m_nConnects, 2);
    EXPECT_EQ(GetFile(m_strFolder + "/Budefdir.dat"), Cp932::Encode(backup));
    EXPECT_TRUE(GetFile(backup + "/Buinf.sys")
                    .endsWith(Cp932::Encode(QString::fromUtf8("処理：繰越処理時のバックアップ\r\n"))));

    // Change everything, then restore.
    Sql(Data(), "DELETE FROM Item WHERE ItemCode = 'A1'");
    Sql(Data(), "INSERT INTO Item(ItemCode, ItemName) VALUES('B1', 'later')");
    ASSERT_TRUE(QFile::remove(m_strFolder + "/Files/0001.vrh"));
    ASSERT_TRUE(PutFile(m_strFolder + "/Files/0002.vrh", "slip 2"));
    ASSERT_TRUE(PutFile(m_strFolder + "/MSettingInfo.dat", "settings B"));
    ASSERT_TRUE(WriteAutFile(m_strFolder + "/Other/CloseDay.aut", "25"));
    // Read-only media: the restored files are writable afterwards.
    QFile::setPermissions(backup + "/MSettingInfo.dat", QFileDevice::ReadOwner);

    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueFolders({backup});
    m_ui.Prompt().QueueAnswers({IDYES});
    m_dialogs.QueueRestoreAnswer(true);
    EXPECT_EQ(RestoreDatabase(m_session), 1);
    EXPECT_EQ(LastText(), kRestored);
    ASSERT_EQ(m_dialogs.m_restoreLines.size(), 5);
    QString item, content;
    SplitBackupInfoLine(m_dialogs.m_restoreLines[0], item, content);
    EXPECT_EQ(item, QString());
    EXPECT_EQ(content, QString::fromUtf8("『Corvanta／販売』データバックアップ"));
    SplitBackupInfoLine(m_dialogs.m_restoreLines[3], item, content);
    EXPECT_EQ(item, QString::fromUtf8("バックアップ日時"));
    EXPECT_EQ(content, "2024/05/06 07:08:09");
    EXPECT_EQ(m_session.m_nReloads, 1);
    ASSERT_TRUE(m_session.m_manager.IsConnected());
    EXPECT_EQ(CountRows(Data(), TB_ITEM, "WHERE ItemCode IN ('A1', 'A2')"), 2);
    EXPECT_EQ(Items(), 2);
    EXPECT_EQ(QDir(m_strFolder + "/Files").entryList(QDir::Files), QStringList{"0001.vrh"});
    EXPECT_EQ(GetFile(m_strFolder + "/MSettingInfo.dat"), "settings A");
    EXPECT_TRUE(QFileInfo(m_strFolder + "/MSettingInfo.dat").permissions() & QFileDevice::WriteOwner);
    EXPECT_EQ(ReadAutFile(m_strFolder + "/Other/closeday.aut", nullptr), "20");
    EXPECT_EQ(QDir(m_strFolder + "/Other").entryList({"closeday.aut"}, QDir::Files).size(), 1);
    EXPECT_FALSE(QFileInfo::exists(m_strFolder + "/QXSelvo.vrz-journal"));

    // The state before the restore waits in the scratch folder; restoring
    // from there would empty it first, so that is refused untouched.
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueFolders({m_strFolder + "/BupTmp"});
    m_ui.Prompt().QueueAnswers({IDYES});
    m_session.m_nReleases = 0;
    EXPECT_EQ(RestoreDatabase(m_session), 0);
    EXPECT_EQ(
        LastText(),
        QString::fromUtf8("指定されたフォルダは『Corvanta／販売』で使用しているデータベースフォルダです。\n"
                          "このフォルダから復元することはできません。"));
    EXPECT_EQ(m_session.m_nReleases, 0);
    EXPECT_EQ(GetFile(m_strFolder + "/BupTmp/MSettingInfo.dat"), "settings B");
    EXPECT_EQ(QDir(m_strFolder + "/BupTmp/Files").entryList(QDir::Files), QStringList{"0002.vrh"});
    CMakeMsgID before;
    QString err;
    ASSERT_EQ(before.Open(m_strFolder + "/BupTmp", err), 1);
    EXPECT_EQ(CountRows(before, TB_ITEM, "WHERE ItemCode IN ('A2', 'B1')"), 2);
}

TEST_F(DbBackup, BackupRefusals)
{
    // Other screens open: their windows come to the front, no folder is asked.
    m_session.m_manager.SetOtherUsers(1);
    EXPECT_EQ(BackupDatabase(m_session, 2), -1);
    EXPECT_EQ(m_session.m_nActivations, 1);
    EXPECT_TRUE(m_dialogs.m_folderCalls.isEmpty());
    EXPECT_EQ(LastText(),
              QString::fromUtf8(
                  "データベースをバックアップするには、メニュー画面以外の『Corvanta／販売』の各画面を"
                  "閉じる必要があります。\n各画面を閉じてから再度バックアップ操作を行ってください。"));
    m_session.m_manager.SetOtherUsers(0);

    // A database operation under way.
    QString err;
    ASSERT_EQ(Data().BeginTransaction(err), 1);
    EXPECT_EQ(BackupDatabase(m_session, 3), -1);
    EXPECT_EQ(LastText(),
              QString::fromUtf8("現在、データベース処理が行われているためバックアップできません。\n"
                                "処理が終了してから再度操作してください。"));
    ASSERT_EQ(Data().Rollback(err), 1);

    // Any other refusal leaves the file open, so nothing is copied.
    m_session.m_forcedRelease = -2;
    m_dialogs.QueueFolder(Path("never"));
    EXPECT_EQ(BackupDatabase(m_session, 3), -1);
    EXPECT_EQ(LastText(), QString::fromUtf8(
                              "現在のデータベースとの接続を切ることができません。\n切り替えができません。"));
    EXPECT_TRUE(m_dialogs.m_folderCalls.isEmpty());
    m_session.m_forcedRelease.reset();
    m_dialogs.Clear();

    // Forbidden folders: this database's (another spelling), another
    // database's, its scratch folder (emptied by its next restore), the
    // template; a folder under a regular file; then cancel.
    ASSERT_TRUE(PutFile(Path("plain"), "x"));
    for (const QString& folder : QStringList{m_strFolder + "/.", Path("branch"), Path("branch/BupTmp"),
                                             CArdoEnv().GetTemplateFolder(), Path("plain/sub")})
        m_dialogs.QueueFolder(folder);
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDOK, IDOK, IDOK, IDOK, IDOK, IDYES});
    EXPECT_EQ(BackupDatabase(m_session, 1), 0);
    const QString forbidden =
        QString::fromUtf8("指定されたフォルダは『Corvanta／販売』で使用しているデータベースフォルダです。\n"
                          "このフォルダにバックアップすることはできません。");
    EXPECT_EQ(Texts().mid(1),
              QStringList({forbidden, forbidden, forbidden, forbidden,
                           QString::fromUtf8("指定されたフォルダは存在しません。\nフォルダを作成しますか？"),
                           QString::fromUtf8("フォルダを作成できませんでした。\n") + Path("plain/sub")}));
    EXPECT_EQ(m_dialogs.m_folderCalls.size(), 6);
    EXPECT_EQ(m_dialogs.m_folderCalls[5].first(), Path("plain/sub")); // proposes what was typed
    EXPECT_TRUE(m_session.m_manager.IsConnected());

    // A folder whose "Files" and "Other" cannot be made: said once, naming
    // the first, and the folder is asked for again.
    QDir().mkpath(Path("blocked"));
    ASSERT_TRUE(PutFile(Path("blocked/Files"), "x"));
    ASSERT_TRUE(PutFile(Path("blocked/Other"), "x"));
    m_dialogs.QueueFolder(Path("blocked"));
    m_ui.Prompt().Clear();
    EXPECT_EQ(BackupDatabase(m_session, 3), 0);
    EXPECT_EQ(Texts(),
              QStringList{QString::fromUtf8("フォルダを作成できませんでした。\n") + Path("blocked/Files")});
    EXPECT_EQ(m_dialogs.m_folderCalls.last().first(), Path("blocked"));

    // A folder whose "Files" or "Other" links to a database's own: the
    // stale-file sweep would delete the database's slips or defaults.
    QDir().mkpath(Path("linked1"));
    QDir().mkpath(Path("linked2/Files"));
    ASSERT_TRUE(QFile::link(m_strFolder + "/Files", Path("linked1/Files")));
    ASSERT_TRUE(QFile::link(Path("branch/Other"), Path("linked2/Other")));
    m_dialogs.QueueFolder(Path("linked1"));
    m_dialogs.QueueFolder(Path("linked2"));
    m_ui.Prompt().Clear();
    EXPECT_EQ(BackupDatabase(m_session, 3), 0);
    EXPECT_EQ(Texts(), QStringList({forbidden, forbidden}));
    EXPECT_EQ(GetFile(m_strFolder + "/Files/0001.vrh"), "slip 1");
    EXPECT_EQ(QDir(Path("branch/Other")).entryList(QDir::Files).size(), 29);

    // An identity file that cannot be written fails the backup.
    QDir().mkpath(Path("bad/Buinf.sys"));
    m_dialogs.QueueFolder(Path("bad"));
    EXPECT_EQ(BackupDatabase(m_session, 3), -1);
    EXPECT_EQ(LastText(),
              QString::fromUtf8("バックアップできませんでした。\nバックアップ先のディスク容量が少ない場合は"
                                "空き容量を充分確保してからバックアップしてください。"));
    EXPECT_FALSE(QFileInfo::exists(m_strFolder + "/Budefdir.dat"));

    // Without a connection there is nothing to release: the backup goes on
    // and connects nothing afterwards. A folder that code page 932 cannot
    // name is not proposed next time.
    ASSERT_EQ(m_session.m_manager.Release(m_session.m_id), 1);
    const int connects = m_session.m_nConnects;
    m_dialogs.QueueFolder(Path(QString::fromUtf8("café")));
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(BackupDatabase(m_session, 3), 1);
    EXPECT_EQ(m_session.m_nConnects, connects);
    EXPECT_FALSE(m_session.m_manager.IsConnected());
    EXPECT_TRUE(QFileInfo(Path(QString::fromUtf8("café/QXSelvo.vrz"))).isFile());
    EXPECT_FALSE(QFileInfo::exists(m_strFolder + "/Budefdir.dat"));

    // The reconnection fails after a cancel: -20.
    m_session.m_forcedRelease = 1;
    ASSERT_TRUE(QFile::rename(m_strFolder + "/QXSelvo.vrz", m_strFolder + "/moved.vrz"));
    EXPECT_EQ(BackupDatabase(m_session, 3), -20);
    EXPECT_EQ(m_ui.Prompt().Calls().last().icon, MB_ICONSTOP);
}

TEST_F(DbBackup, RestoreRefusalsAndRollback)
{
    const QString backup = Path("backup");
    m_ui.Prompt().QueueAnswers({IDOK, IDYES});
    m_dialogs.QueueFolder(backup);
    ASSERT_EQ(BackupDatabase(m_session, 1), 1);
    Sql(Data(), "INSERT INTO Item(ItemCode, ItemName) VALUES('B1', 'after the backup')");
    m_session.m_nReleases = 0;

    const auto restore = [&](const QString& folder) {
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueFolders({folder});
        m_ui.Prompt().QueueAnswers({IDYES});
        return RestoreDatabase(m_session);
    };

    // "Buinf.sys" of four lines is refused before the manager is asked.
    const QByteArray info = GetFile(backup + "/Buinf.sys");
    QByteArray four = info;
    four.truncate(info.lastIndexOf("\r\n", info.size() - 3) + 2);
    ASSERT_TRUE(PutFile(backup + "/Buinf.sys", four));
    EXPECT_EQ(restore(backup), 0);
    EXPECT_EQ(LastText(),
              QString::fromUtf8("指定されたフォルダのバックアップデータが不正です。\n復元できません。"));
    ASSERT_TRUE(PutFile(backup + "/Buinf.sys", info + "\r\n")); // six lines
    EXPECT_EQ(restore(backup), 0);
    EXPECT_EQ(LastText(),
              QString::fromUtf8("指定されたフォルダのバックアップデータが不正です。\n復元できません。"));
    ASSERT_TRUE(PutFile(backup + "/Buinf.sys", info));

    // Without the database file; without the identity file (No is the default).
    EXPECT_EQ(restore(Path("branch/Files")), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8("指定されたフォルダにはバックアップファイルがありません。"));
    ASSERT_TRUE(QFile::rename(backup + "/Buinf.sys", backup + "/Buinf.old"));
    EXPECT_EQ(restore(backup), 0);
    EXPECT_EQ(m_ui.Prompt().Calls().last().defaultButton, IDNO);
    EXPECT_TRUE(LastText().startsWith(QString::fromUtf8("指定されたフォルダ<") + backup));
    ASSERT_TRUE(QFile::rename(backup + "/Buinf.old", backup + "/Buinf.sys"));

    // Declining the first question.
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDNO});
    EXPECT_EQ(RestoreDatabase(m_session), 0);
    EXPECT_EQ(
        LastText(),
        QString::fromUtf8("先に現在のデータをバックアップするなどしてから再度復元作業を行なってください"));
    EXPECT_EQ(m_session.m_nReleases, 0);

    // Other screens open.
    m_session.m_manager.SetOtherUsers(1);
    m_dialogs.QueueRestoreAnswer(true);
    EXPECT_EQ(restore(backup), 0);
    EXPECT_EQ(LastText(),
              QString::fromUtf8("データベースを復元するには、メニュー画面以外の『Corvanta／販売』の各画面を"
                                "閉じる必要があります。\n画面を閉じてから再度操作してください。"));
    m_session.m_manager.SetOtherUsers(0);
    EXPECT_EQ(Items(), 3);

    // An operation under way, or any other refusal to release: nothing is
    // saved, copied or connected.
    const int connects = m_session.m_nConnects;
    QString err;
    ASSERT_EQ(Data().BeginTransaction(err), 1);
    m_dialogs.QueueRestoreAnswer(true);
    EXPECT_EQ(restore(backup), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8("現在、データベース処理が行われているため復元できません。\n"
                                            "処理が終了してから再度操作してください。"));
    ASSERT_EQ(Data().Rollback(err), 1);
    m_session.m_forcedRelease = -2;
    m_dialogs.QueueRestoreAnswer(true);
    EXPECT_EQ(restore(backup), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8(
                              "現在のデータベースとの接続を切ることができません。\n切り替えができません。"));
    m_session.m_forcedRelease.reset();
    EXPECT_EQ(m_session.m_nConnects, connects);
    EXPECT_TRUE(QDir(m_strFolder + "/BupTmp").entryList(QDir::Files).isEmpty());
    EXPECT_EQ(Items(), 3);

    // A file of the backup that cannot be copied (after the database file
    // was): everything goes back to the state before the restore.
    QDir().mkpath(backup + "/Tanto.dat");
    ASSERT_TRUE(PutFile(m_strFolder + "/Files/0002.vrh", "slip 2"));
    m_dialogs.QueueRestoreAnswer(true);
    EXPECT_EQ(restore(backup), 0);
    EXPECT_EQ(Texts().mid(Texts().size() - 1),
              QStringList{
                  QString::fromUtf8("いくつかのファイルの復元ができなかったため、復元前の状態に戻します。")});
    ASSERT_TRUE(m_session.m_manager.IsConnected());
    EXPECT_EQ(Items(), 3);
    EXPECT_EQ(CountRows(Data(), TB_ITEM, "WHERE ItemCode = 'B1'"), 1);
    EXPECT_EQ(QDir(m_strFolder + "/Files").entryList(QDir::Files), QStringList({"0001.vrh", "0002.vrh"}));
    EXPECT_EQ(QDir(m_strFolder + "/Other").entryList(QDir::Files).size(), 29);
    EXPECT_TRUE(QDir(m_strFolder + "/BupTmp").entryList(QDir::Files).isEmpty());
    EXPECT_EQ(m_session.m_nReloads, 0);

    // The database folder itself is no backup of itself: refused before the release.
    const int releases = m_session.m_nReleases;
    EXPECT_EQ(restore(m_strFolder + "/"), 0);
    EXPECT_EQ(
        LastText(),
        QString::fromUtf8("指定されたフォルダは『Corvanta／販売』で使用しているデータベースフォルダです。\n"
                          "このフォルダから復元することはできません。"));
    EXPECT_EQ(m_session.m_nReleases, releases);
    EXPECT_EQ(Items(), 3);

    // A backup whose database file is damaged would leave nothing to connect
    // to: it is refused, and the message says why.
    ASSERT_TRUE(QDir(backup + "/Tanto.dat").removeRecursively());
    ASSERT_TRUE(PutFile(backup + "/QXSelvo.vrz", QByteArray(8192, 'x')));
    m_dialogs.QueueRestoreAnswer(true);
    EXPECT_EQ(restore(backup), 0);
    EXPECT_EQ(LastText(),
              QString::fromUtf8("バックアップのデータベースファイル<%1/QXSelvo.vrz>が壊れているため、"
                                "復元できません。\n別のバックアップから復元してください。\n"
                                "現在のデータベースは変更していません。")
                  .arg(backup));
    ASSERT_TRUE(m_session.m_manager.IsConnected());
    EXPECT_EQ(CountRows(Data(), TB_ITEM, "WHERE ItemCode = 'B1'"), 1);
    EXPECT_EQ(m_session.m_nReloads, 0);
}

TEST_F(DbBackup, UnusableDatabaseNeverReplacesAnEarlierBackup)
{
    const QString backup = Path("backup");
    m_ui.Prompt().QueueAnswers({IDOK, IDYES});
    m_dialogs.QueueFolder(backup);
    ASSERT_EQ(BackupDatabase(m_session, 1), 1);
    const QByteArray database = GetFile(backup + "/QXSelvo.vrz");
    const QByteArray info = GetFile(backup + "/Buinf.sys");

    // A reconnection failed because the database file went missing or was
    // damaged: at exit there is nothing to release.
    ASSERT_EQ(m_session.m_manager.Release(m_session.m_id), 1);
    ASSERT_TRUE(QFile::rename(m_strFolder + "/QXSelvo.vrz", m_strFolder + "/lost.vrz"));
    for (int round = 0; round < 2; ++round) {
        if (round == 1) {
            ASSERT_TRUE(PutFile(m_strFolder + "/QXSelvo.vrz", QByteArray(8192, 'x')));
        }
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueAnswers({IDOK, IDYES});
        m_dialogs.QueueFolder(backup);
        EXPECT_EQ(BackupDatabase(m_session, 2), -1) << round;
        EXPECT_EQ(LastText(), QString::fromUtf8(
                                  "バックアップできませんでした。\nバックアップ先のディスク容量が少ない場合は"
                                  "空き容量を充分確保してからバックアップしてください。"));
        EXPECT_EQ(GetFile(backup + "/QXSelvo.vrz"), database) << round;
        EXPECT_EQ(GetFile(backup + "/Buinf.sys"), info) << round;
        EXPECT_EQ(GetFile(backup + "/Files/0001.vrh"), "slip 1") << round;
        EXPECT_EQ(QDir(backup + "/Other").entryList(QDir::Files).size(), 29) << round;
    }
}

// Every file under the folder, hidden ones included, with its bytes.
static QMap<QString, QByteArray> Snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path.mid(folder.size()), QFileInfo(path).isDir() ? QByteArray("<dir>") : GetFile(path));
    }
    return files;
}

TEST_F(DbBackup, FailedCopyKeepsTheEarlierBackupWhole)
{
    const QString backup = Path("backup");
    m_ui.Prompt().QueueAnswers({IDOK, IDYES});
    m_dialogs.QueueFolder(backup);
    ASSERT_EQ(BackupDatabase(m_session, 1), 1);
    const QMap<QString, QByteArray> earlier = Snapshot(backup);
    ASSERT_TRUE(earlier.contains("/Buinf.sys"));
    ASSERT_EQ(earlier.value("/MSettingInfo.dat"), "settings A");

    // A file that cannot be copied, as on a full disk, after others were.
    ASSERT_TRUE(PutFile(m_strFolder + "/MSettingInfo.dat", "settings B"));
    ASSERT_TRUE(QDir().mkpath(m_strFolder + "/Recent.dat"));
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDYES});
    m_dialogs.QueueFolder(backup);
    EXPECT_EQ(BackupDatabase(m_session, 3), -1);
    EXPECT_EQ(LastText(),
              QString::fromUtf8("バックアップできませんでした。\nバックアップ先のディスク容量が少ない場合は"
                                "空き容量を充分確保してからバックアップしてください。"));
    EXPECT_EQ(Snapshot(backup), earlier);
    EXPECT_TRUE(m_session.m_manager.IsConnected());

    // Once it can be copied the new backup replaces the earlier one, its
    // stale slips and settings too, and nothing of the staging remains.
    ASSERT_TRUE(QDir().rmdir(m_strFolder + "/Recent.dat"));
    ASSERT_TRUE(QFile::remove(m_strFolder + "/Files/0001.vrh"));
    ASSERT_TRUE(PutFile(m_strFolder + "/Files/0002.vrh", "slip 2"));
    ASSERT_TRUE(QFile::remove(m_strFolder + "/Tanto.dat") || !QFileInfo::exists(m_strFolder + "/Tanto.dat"));
    ASSERT_TRUE(PutFile(backup + "/tanto.DAT", "stale list"));
    m_ui.Prompt().QueueAnswers({IDYES});
    m_dialogs.QueueFolder(backup);
    EXPECT_EQ(BackupDatabase(m_session, 3), 1);
    const QMap<QString, QByteArray> now = Snapshot(backup);
    EXPECT_EQ(now.value("/MSettingInfo.dat"), "settings B");
    EXPECT_EQ(now.value("/Files/0002.vrh"), "slip 2");
    EXPECT_FALSE(now.contains("/Files/0001.vrh"));
    EXPECT_FALSE(now.contains("/tanto.DAT"));
    EXPECT_TRUE(now.value("/Buinf.sys")
                    .endsWith(Cp932::Encode(QString::fromUtf8("処理：繰越処理時のバックアップ\r\n"))));
    QStringList top;
    for (const QString& path : now.keys())
        if (path.count(u'/') == 1 && now.value(path) == "<dir>")
            top << path;
    EXPECT_EQ(top, QStringList({"/Files", "/Other"}));
}

TEST_F(DbBackup, RestoreOfAnotherDatabasesBackupSaysSoFirst)
{
    const QString backup = Path("backup");
    m_ui.Prompt().QueueAnswers({IDOK, IDYES});
    m_dialogs.QueueFolder(backup);
    ASSERT_EQ(BackupDatabase(m_session, 1), 1);

    // "支店" becomes the database in use.
    ASSERT_EQ(m_session.Release(), 1);
    ASSERT_EQ(CDBDirMng().SetNowDB(QString::fromUtf8("支店")), 1);
    ASSERT_EQ(m_session.Connect(), 1);
    ASSERT_EQ(Items(), 0);
    const int releases = m_session.m_nReleases;

    const QString warning =
        QString::fromUtf8("このバックアップは「本社」のデータです。使用中の「支店」に復元すると、"
                          "「支店」のデータはすべて「本社」のデータに置き換わります。\n\n"
                          "復元を続けてよろしいですか？");
    const auto restore = [&](int answer) {
        m_ui.Prompt().Clear();
        m_dialogs.Clear();
        m_ui.Prompt().QueueFolders({backup});
        m_ui.Prompt().QueueAnswers({IDYES, answer});
        m_dialogs.QueueRestoreAnswer(true);
        return RestoreDatabase(m_session);
    };
    // Enter keeps the books: No is the default.
    EXPECT_EQ(restore(IDNO), 0);
    ASSERT_EQ(m_ui.Prompt().Calls().size(), 2);
    EXPECT_EQ(m_ui.Prompt().Calls()[1].text, warning);
    EXPECT_EQ(m_ui.Prompt().Calls()[1].defaultButton, IDNO);
    EXPECT_EQ(m_ui.Prompt().Calls()[1].icon, MB_ICONEXCLAMATION);
    EXPECT_TRUE(m_dialogs.m_restoreLines.isEmpty());
    EXPECT_EQ(m_session.m_nReleases, releases);
    EXPECT_EQ(Items(), 0);
    m_dialogs.Clear();

    // Yes goes on to the backup's information, and the restore as ever.
    EXPECT_EQ(restore(IDYES), 1);
    EXPECT_EQ(m_dialogs.m_restoreLines.size(), 5);
    EXPECT_EQ(LastText(), kRestored);
    EXPECT_EQ(Items(), 2);
}

// Names that differ only in letter case are different files here: each one
// is saved, backed up and put back under its own name.
TEST_F(DbBackup, CaseTwinsAndMissingFoldersSurviveBackupAndRestore)
{
    const QString twin = m_strFolder + "/qxselvo.VRZ";
    ASSERT_TRUE(PutFile(twin, GetFile(CArdoEnv().GetTemplateFolder() + "/QXSelvo.vrz")));
    ASSERT_TRUE(PutFile(m_strFolder + "/Files/0001.VRH", "slip 1 upper"));
    const QStringList names{"QXSelvo.vrz", "qxselvo.VRZ", "Files/0001.vrh", "Files/0001.VRH"};
    QList<QByteArray> before;
    for (const QString& name : names)
        before << GetFile(m_strFolder + '/' + name);
    ASSERT_NE(before[0], before[1]);

    const QString backup = Path("backup");
    m_ui.Prompt().QueueAnswers({IDOK, IDYES});
    m_dialogs.QueueFolder(backup);
    ASSERT_EQ(BackupDatabase(m_session, 1), 1);
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(GetFile(backup + '/' + names[i]), before[i]) << names[i].toStdString();

    const auto restore = [&] {
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueFolders({backup});
        m_ui.Prompt().QueueAnswers({IDYES});
        m_dialogs.QueueRestoreAnswer(true);
        return RestoreDatabase(m_session);
    };

    // A failed restore puts both twins back.
    QDir().mkpath(backup + "/Unit.dat");
    EXPECT_EQ(restore(), 0);
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(GetFile(m_strFolder + '/' + names[i]), before[i]) << names[i].toStdString();
    ASSERT_TRUE(QDir(backup + "/Unit.dat").removeRecursively());

    // A database folder that lost its "Other" (registered where only the
    // database file was) still takes the backup; the state before waits in
    // "BupTmp", twins included.
    ASSERT_TRUE(QDir(m_strFolder + "/Other").removeRecursively());
    EXPECT_EQ(restore(), 1);
    EXPECT_EQ(LastText(), kRestored);
    EXPECT_EQ(QDir(m_strFolder + "/Other").entryList(QDir::Files).size(), 29);
    EXPECT_EQ(ReadAutFile(m_strFolder + "/Other/CLOSEDAY.AUT", nullptr), "20");
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(GetFile(m_strFolder + '/' + names[i]), before[i]) << names[i].toStdString();
        EXPECT_EQ(GetFile(m_strFolder + "/BupTmp/" + names[i]), before[i]) << names[i].toStdString();
    }
    EXPECT_TRUE(m_session.m_manager.IsConnected());
}

TEST_F(DbBackup, CompactionShrinksTheFileAndKeepsEveryRow)
{
    for (int i = 0; i < 2000; ++i)
        Sql(Data(), QStringLiteral("INSERT INTO Item(ItemCode, ItemName, Remarks) VALUES('C%1', '%2', 'r')")
                        .arg(i)
                        .arg(QString(200, u'x')));
    Sql(Data(), "DELETE FROM Item WHERE ItemCode LIKE 'C%' AND ItemCode <> 'C7'");
    const qint64 before = QFileInfo(m_strFolder + "/QXSelvo.vrz").size();

    // Other screens open, an operation under way, a No: nothing is compacted.
    m_session.m_manager.SetOtherUsers(1);
    EXPECT_EQ(CompactDatabase(m_session), 0);
    EXPECT_TRUE(LastText().startsWith(QString::fromUtf8("データベースを最適化するには、メニュー画面以外の")));
    m_session.m_manager.SetOtherUsers(0);
    QString err;
    ASSERT_EQ(Data().BeginTransaction(err), 1);
    EXPECT_EQ(CompactDatabase(m_session), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8("現在、データベース処理が行われているため最適化できません。\n"
                                            "処理が終了してから再度操作してください。"));
    ASSERT_EQ(Data().Rollback(err), 1);
    m_ui.Prompt().QueueAnswers({IDNO});
    EXPECT_EQ(CompactDatabase(m_session), 0);
    EXPECT_TRUE(m_session.m_manager.IsConnected());
    EXPECT_EQ(QFileInfo(m_strFolder + "/QXSelvo.vrz").size(), before);

    EXPECT_EQ(CompactDatabase(m_session), 1);
    EXPECT_EQ(LastText(), QString::fromUtf8("最適化が終了しました"));
    // Back to about the size of an empty database.
    const qint64 after = QFileInfo(m_strFolder + "/QXSelvo.vrz").size();
    EXPECT_LT(after, before / 2);
    EXPECT_LE(after, QFileInfo(CArdoEnv().GetTemplateFolder() + "/QXSelvo.vrz").size() + 4 * 4096);
    EXPECT_EQ(Items(), 3);
    EXPECT_EQ(CountRows(Data(), TB_ITEM, "WHERE ItemCode IN ('A1', 'A2', 'C7')"), 3);

    // Inside a transaction the library refuses and says why; without a connection it is fatal.
    ASSERT_EQ(Data().BeginTransaction(err), 1);
    QString info;
    EXPECT_EQ(CompactDB(Data(), info, err), 10);
    EXPECT_FALSE(err.isEmpty());
    ASSERT_EQ(Data().Rollback(err), 1);
    CMakeMsgID closed;
    EXPECT_EQ(CompactDB(closed, info, err), -100);

    // The fatal text of the command (one line break before its last
    // sentence) with the library's detail.
    m_session.m_pData = &closed;
    EXPECT_EQ(CompactDatabase(m_session), -100);
    EXPECT_EQ(LastText(), QString::fromUtf8(
                              "処理中に重大なエラーが発生しました。このまま『Corvanta／販売』を使用することは"
                              "できません。\nすみやかにアプリケーションを終了してください。\n\n<詳細>\n") +
                              err);
    EXPECT_EQ(m_ui.Prompt().Calls().last().icon, MB_ICONSTOP);
}

// A copy of a database folder taken while the database was being written
// holds the journal the database needs: the restore plays it back rather
// than taking the half-written file.
TEST_F(DbBackup, RestoreOfACopyTakenMidWritePlaysItsJournal)
{
    const QString copy = Path("copy");
    QDir().mkpath(copy);
    {
        QString err;
        Sql(Data(), "PRAGMA cache_size=1");
        ASSERT_EQ(Data().BeginTransaction(err), 1);
        for (int i = 0; i < 300; ++i)
            Sql(Data(), QStringLiteral("INSERT INTO Item(ItemCode, ItemName) VALUES('W%1', '%2')")
                            .arg(i)
                            .arg(QString(300, u'w')));
        ASSERT_TRUE(QFileInfo(m_strFolder + "/QXSelvo.vrz-journal").size() > 0);
        ASSERT_TRUE(QFile::copy(m_strFolder + "/QXSelvo.vrz", copy + "/QXSelvo.vrz"));
        ASSERT_TRUE(QFile::copy(m_strFolder + "/QXSelvo.vrz-journal", copy + "/QXSelvo.vrz-journal"));
        ASSERT_EQ(Data().Rollback(err), 1);
    }
    Sql(Data(), "DELETE FROM Item");

    m_ui.Prompt().QueueFolders({copy});
    m_ui.Prompt().QueueAnswers({IDYES, IDYES}); // overwrite, and yes, it is no backup of ours
    EXPECT_EQ(RestoreDatabase(m_session), 1);
    EXPECT_EQ(LastText(), kRestored);
    ASSERT_TRUE(m_session.m_manager.IsConnected());
    EXPECT_EQ(Items(), 2);
    EXPECT_FALSE(QFileInfo::exists(m_strFolder + "/QXSelvo.vrz-journal"));
    EXPECT_TRUE(QFileInfo::exists(copy + "/QXSelvo.vrz-journal")); // the copy is only read
}

// The restore looks for backups where the last backup went, else among the
// databases; afterwards the next backup proposes the folder used here, not
// the one the restored backup brought from where it was made.
TEST_F(DbBackup, RestoreStartsInTheLastBackupFolderAndKeepsIt)
{
    const QString backup = Path("backup");
    m_ui.Prompt().QueueAnswers({IDOK, IDYES});
    m_dialogs.QueueFolder(backup);
    ASSERT_EQ(BackupDatabase(m_session, 1), 1);
    // What another computer's backup would carry.
    ASSERT_TRUE(PutFile(backup + "/Budefdir.dat", "D:\\elsewhere"));
    const QString databases = CArdoEnv().GetDatabasesFolder();
    const QString older = Path("older");
    ASSERT_TRUE(QDir().mkpath(older));

    const struct {
        const char* what;
        QByteArray remembered; // null: no file
        QString start;
        QByteArray after;
    } cases[] = {
        {"the last backup folder", Cp932::Encode(older), older, Cp932::Encode(older)},
        {"none remembered", QByteArray(), databases, Cp932::Encode(backup)},
        {"remembered folder gone", Cp932::Encode(Path("gone")), databases, Cp932::Encode(Path("gone"))},
    };
    for (const auto& c : cases) {
        QFile::remove(m_strFolder + "/Budefdir.dat");
        if (!c.remembered.isNull()) {
            ASSERT_TRUE(PutFile(m_strFolder + "/Budefdir.dat", c.remembered));
        }
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueFolders({backup});
        m_ui.Prompt().QueueAnswers({IDYES});
        m_dialogs.QueueRestoreAnswer(true);
        EXPECT_EQ(RestoreDatabase(m_session), 1) << c.what;
        EXPECT_EQ(LastText(), kRestored) << c.what;
        ASSERT_EQ(m_ui.Prompt().PickerCalls().size(), 1) << c.what;
        EXPECT_EQ(m_ui.Prompt().PickerCalls()[0].dir, c.start) << c.what;
        EXPECT_EQ(GetFile(m_strFolder + "/Budefdir.dat"), c.after) << c.what;
    }
}

// The backup asked for at exit lets the program end when the folder dialog
// is cancelled: it says first that no backup was made, whether the database
// came back or not. Cancelled from the menu or before a carry-forward, the
// user stays in the program and nothing more is said.
TEST_F(DbBackup, ACancelledBackupAtExitSaysThatThereIsNone)
{
    const QString none = QString::fromUtf8("バックアップは作成されませんでした。");
    const QString intro =
        QString::fromUtf8("データベース「本社」のバックアップを行ないます。\n"
                          "【OK】をクリックしたあと、データを保存するフォルダを指定してください。");
    const QString reconnect = QString::fromUtf8("データベースへの再接続ができませんでした。\n"
                                                "このまま『Corvanta／販売』を使用することはできません。\n\n"
                                                "アプリケーションを終了して起動しなおしてください。");
    const struct {
        const char* name;
        int mode;
        bool reconnects;
        int result;
        QStringList texts; // after the introduction of modes 1 and 2
    } cases[] = {
        {"at exit", 2, true, 0, {none}},
        {"from the menu", 1, true, 0, {}},
        {"before a carry-forward", 3, true, 0, {}},
        // Last: the database stays away.
        {"at exit, not reconnected", 2, false, -20, {reconnect, none}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_ui.Prompt().Clear();
        m_dialogs.Clear();
        if (!c.reconnects) {
            // Released without a word, its file gone: it cannot come back.
            ASSERT_EQ(m_session.m_manager.Release(m_session.m_id), 1);
            m_session.m_forcedRelease = 1;
            ASSERT_TRUE(QFile::rename(m_strFolder + "/QXSelvo.vrz", m_strFolder + "/moved.vrz"));
        }
        EXPECT_EQ(BackupDatabase(m_session, c.mode), c.result);
        EXPECT_EQ(m_dialogs.m_folderCalls.size(), 1);
        QStringList texts = Texts();
        if (c.mode != 3 && !texts.isEmpty() && texts.first().startsWith(intro))
            texts.removeFirst();
        EXPECT_EQ(texts, c.texts);
        if (!texts.isEmpty() && texts.last() == none) {
            EXPECT_EQ(m_ui.Prompt().Calls().last().icon, MB_ICONINFORMATION);
        }
    }
    EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
}
