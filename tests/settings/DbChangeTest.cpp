#include "DbTestSupport.h"

#include "platform/data/TableNames.h"
#include "settings/db/DBChangeDlg.h"
#include "settings/db/DBChangeRules.h"

namespace
{

const QString kMain = QString::fromUtf8("本社");
const QString kBranch = QString::fromUtf8("支店");

// Two databases, the main one current and connected, with one product each
// so that the connected one can be told apart.
class DbChange : public CDbAdminTest
{
  protected:
    void SetUp() override
    {
        m_strMain = MakeDatabase(kMain, "main", true);
        m_strBranch = MakeDatabase(kBranch, "branch", false);
        for (const QString& folder : {m_strMain, m_strBranch}) {
            CMakeMsgID data;
            QString err;
            ASSERT_EQ(data.Open(folder, err), 1);
            Sql(data, QStringLiteral("INSERT INTO Item(ItemCode, ItemName) VALUES('%1', 'x')")
                          .arg(folder == m_strMain ? "M1" : "B1"));
        }
        ASSERT_EQ(m_session.Connect(), 1);
        m_session.m_nConnects = 0;
    }

    QString Current()
    {
        QString name, folder;
        CDBDirMng().GetNowDB(name, folder);
        return name;
    }
    // The product code of the connected database.
    QString ConnectedCode()
    {
        CCDSData request, result;
        request.m_strTable = TB_ITEM;
        QString err;
        if (m_session.m_data.GetDataList(request, result, err) != 1 || result.GetCount() != 1)
            return "<none>";
        return result.GetAt(0)->GetOneField("Item", "ItemCode")->GetText();
    }

    QString m_strMain;
    QString m_strBranch;
    CTestSession m_session;
};

} // namespace

TEST_F(DbChange, ListMarksTheDatabaseInUse)
{
    MakeDatabase("営業所", "office", false);
    CDBChangeRules rules(&m_session);
    EXPECT_EQ(rules.RefreshList(), 1);
    EXPECT_EQ(rules.GetNames(), QStringList({kMain, kBranch, QString::fromUtf8("営業所")}));
    EXPECT_EQ(rules.GetSelection(), 0);
    EXPECT_EQ(rules.GetInUseName(), kMain);
    EXPECT_EQ(rules.GetFolderText(), m_strMain);
    rules.Select(1);
    EXPECT_EQ(rules.GetFolderText(), m_strBranch);
    EXPECT_EQ(rules.RefreshList(kBranch), 1);
    EXPECT_EQ(rules.GetSelection(), 1);

    bool inUse = false;
    EXPECT_EQ(CDBListBox::LineText(kMain, kMain, &inUse), QString::fromUtf8("本社 - 使用中"));
    EXPECT_TRUE(inUse);
    EXPECT_EQ(CDBListBox::LineText(kBranch, kMain, &inUse), kBranch);
    EXPECT_FALSE(inUse);
    EXPECT_EQ(CDBListBox::LineText("", "", &inUse), "");
    EXPECT_FALSE(inUse);

    // Without a current database the list is filled but nothing is selected.
    ASSERT_EQ(m_session.Release(), 1);
    ASSERT_EQ(CDBDirMng().DeleteComp(kMain), 1);
    EXPECT_EQ(rules.RefreshList(), 0);
    EXPECT_EQ(rules.GetNames().size(), 2);
    EXPECT_EQ(rules.GetSelection(), -1);
    EXPECT_TRUE(rules.GetInUseName().isEmpty());
}

TEST_F(DbChange, SwitchAndSwitchBack)
{
    CDBChangeRules rules(&m_session);
    rules.RefreshList();
    EXPECT_EQ(ConnectedCode(), "M1");

    // The database in use: the dialog just closes, the manager is not asked.
    EXPECT_EQ(rules.OnOK(), IDCANCEL);
    EXPECT_EQ(m_session.m_nReleases, 0);

    rules.Select(1);
    EXPECT_EQ(rules.OnOK(), IDOK);
    EXPECT_EQ(Current(), kBranch);
    EXPECT_EQ(m_session.m_manager.GetFolder(), m_strBranch);
    EXPECT_EQ(ConnectedCode(), "B1");

    EXPECT_EQ(rules.SwitchDatabase(kMain), 1);
    EXPECT_EQ(Current(), kMain);
    EXPECT_EQ(ConnectedCode(), "M1");
    EXPECT_TRUE(Texts().isEmpty());

    // A database whose folder moved is found again in the same switch.
    ASSERT_TRUE(QDir().rename(m_strBranch, Path("moved")));
    m_dialogs.QueueName({}, Path("moved"));
    EXPECT_EQ(rules.SwitchDatabase(kBranch), 1);
    EXPECT_EQ(m_dialogs.m_nameModes, QList<int>{CDBNameRules::kLocate});
    EXPECT_EQ(ConnectedCode(), "B1");
    EXPECT_EQ(Texts().first(),
              QString::fromUtf8("指定されているフォルダ\n<") + m_strBranch +
                  QString::fromUtf8(">\nには、必要なデータベースファイル<QXSelvo.vrz>が存在しません。\n"
                                    "データベースファイルの存在するフォルダを指定してください。"));

    // Without a frame nothing is switched.
    CDBChangeRules noFrame(nullptr);
    EXPECT_EQ(noFrame.SwitchDatabase(kMain), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8("切り替えができません"));
    EXPECT_EQ(Current(), kBranch);
}

TEST_F(DbChange, RefusedReleaseKeepsTheDatabase)
{
    CDBChangeRules rules(&m_session);
    rules.RefreshList();

    // Other screens are open: 50.
    m_session.m_manager.SetOtherUsers(1);
    EXPECT_EQ(rules.SwitchDatabase(kBranch), 0);
    EXPECT_EQ(LastText(),
              QString::fromUtf8("データベースを切り替えるには、メニュー画面以外の『Corvanta／販売』の各画面を"
                                "閉じる必要があります。\n画面を閉じてから再度操作してください。"));
    EXPECT_EQ(Current(), kMain);
    EXPECT_EQ(ConnectedCode(), "M1");
    m_session.m_manager.SetOtherUsers(0);
    // So is an open slip-form window, which holds the database's session file.
    {
        const CDbSessionHold slipForm(m_strMain);
        ASSERT_TRUE(slipForm.IsHeld());
        EXPECT_EQ(rules.SwitchDatabase(kBranch), 0);
        EXPECT_TRUE(LastText().startsWith(QString::fromUtf8("データベースを切り替えるには")));
        EXPECT_EQ(Current(), kMain);
        EXPECT_EQ(ConnectedCode(), "M1");
    }

    // A database operation under way: -4.
    QString err;
    ASSERT_EQ(m_session.m_data.BeginTransaction(err), 1);
    rules.Select(1);
    EXPECT_EQ(rules.OnOK(), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8(
                              "現在のデータベースとの接続を切ることができません。\n切り替えができません。"));
    EXPECT_EQ(Current(), kMain);
    ASSERT_EQ(m_session.m_data.Rollback(err), 1);
    EXPECT_EQ(ConnectedCode(), "M1");
    EXPECT_EQ(m_session.m_nConnects, 0);

    // Another process holds the database: refused before the release, the
    // database in use stays current and connected.
    const int releasesBefore = m_session.m_nReleases;
    {
        CMakeMsgID otherData;
        CDbManager other(otherData);
        ASSERT_EQ(other.Connect(other.Register(), m_strBranch), 1);
        EXPECT_EQ(rules.OnOK(), 0);
    }
    EXPECT_EQ(LastText(), QString::fromUtf8("選択されたデータベースに設定できませんでした。\n"
                                            "このデータベースは、ほかで起動している『Corvanta／販売』、"
                                            "または他のユーザーが使用しています。\n"
                                            "そちらを終了してから、もう一度操作してください。"));
    EXPECT_EQ(m_session.m_nReleases, releasesBefore);
    EXPECT_EQ(Current(), kMain);
    EXPECT_EQ(ConnectedCode(), "M1");

    // Taken between the probe and the connect: the previous database is
    // connected again and the failure reported.
    m_session.m_connectAnswers = {51};
    EXPECT_EQ(rules.OnOK(), 0);
    EXPECT_EQ(LastText(),
              QString::fromUtf8("データベースへの接続ができませんでした。\n"
                                "切り替えを中止し、元のデータベース「本社」に接続しなおしました。"));
    EXPECT_EQ(Current(), kMain);
    EXPECT_EQ(ConnectedCode(), "M1");

    // Only when the previous one cannot be connected either is the program lost.
    m_session.m_connectAnswers = {51, -3};
    EXPECT_EQ(rules.OnOK(), CDBChangeRules::kReconnectFailed);
    EXPECT_EQ(m_ui.Prompt().Calls().last().icon, MB_ICONSTOP);
    EXPECT_EQ(LastText(),
              QString::fromUtf8(
                  "データベースへの接続ができませんでした。\nこのまま『Corvanta／販売』を"
                  "使用することはできません。\n\nアプリケーションを終了して起動しなおしてください。"));
    EXPECT_EQ(Current(), kMain);

    // A file that is no database is refused before the database in use is
    // released: it stays current and connected.
    ASSERT_EQ(m_session.Connect(), 1);
    const int releases = m_session.m_nReleases;
    ASSERT_TRUE(PutFile(m_strBranch + "/QXSelvo.vrz", QByteArray(4096, 'x')));
    EXPECT_EQ(rules.OnOK(), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8("選択されたデータベースに設定できませんでした。"));
    EXPECT_EQ(m_session.m_nReleases, releases);
    EXPECT_EQ(Current(), kMain);
    EXPECT_EQ(ConnectedCode(), "M1");
}

TEST_F(DbChange, RenameAndDelete)
{
    CDBChangeRules rules(&m_session);
    rules.RefreshList();

    // Renaming the database in use keeps it in use.
    m_dialogs.QueueName(QString::fromUtf8("東京本社"), {});
    rules.OnRename();
    EXPECT_EQ(m_dialogs.m_nameModes, QList<int>{CDBNameRules::kRename});
    EXPECT_EQ(Current(), QString::fromUtf8("東京本社"));
    EXPECT_EQ(rules.GetInUseName(), QString::fromUtf8("東京本社"));
    EXPECT_EQ(rules.GetSelectedName(), QString::fromUtf8("東京本社"));
    EXPECT_EQ(rules.SwitchDatabase(kBranch), 1);
    EXPECT_EQ(rules.SwitchDatabase(QString::fromUtf8("東京本社")), 1);
    EXPECT_EQ(ConnectedCode(), "M1");

    // Deleting asks first (No is the default); the entry in use is refused.
    rules.RefreshList();
    rules.OnDelete();
    EXPECT_EQ(m_ui.Prompt().Calls().last().defaultButton, IDNO);
    m_ui.Prompt().QueueAnswers({IDYES});
    rules.OnDelete();
    EXPECT_EQ(LastText(), QString::fromUtf8("現在使用中のデータベースは削除できません。"));

    // Another entry leaves the register; its folder stays untouched.
    rules.Select(1);
    m_ui.Prompt().QueueAnswers({IDYES});
    rules.OnDelete();
    EXPECT_EQ(rules.GetNames(), QStringList{QString::fromUtf8("東京本社")});
    EXPECT_TRUE(QFileInfo(m_strBranch + "/QXSelvo.vrz").isFile());

    rules.Select(-1);
    m_ui.Prompt().QueueAnswers({IDYES});
    rules.OnDelete();
    EXPECT_EQ(LastText(), QString::fromUtf8("削除するデータベース名を選択してください。"));
    rules.OnRename();
    EXPECT_EQ(LastText(), QString::fromUtf8("変更するデータベースをリストから選択してください"));
    EXPECT_EQ(rules.OnOK(), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8("使用するデータベースを選択してください"));
}

TEST_F(DbChange, NewAndCopy)
{
    CDBChangeRules rules(&m_session);
    rules.RefreshList();

    m_ui.Prompt().QueueAnswers({IDYES}); // create the missing folder
    m_dialogs.QueueName(QString::fromUtf8("新会社"), Path("new"));
    rules.OnNew();
    EXPECT_EQ(LastText(), QString::fromUtf8("作成しました"));
    EXPECT_EQ(rules.GetSelectedName(), QString::fromUtf8("新会社"));
    EXPECT_TRUE(QFileInfo(Path("new/QXSelvo.vrz")).isFile());
    EXPECT_EQ(Current(), kMain);
    EXPECT_EQ(m_session.m_nReleases, 0); // a new database needs no release

    // The copy of the database in use is made while it is released.
    ASSERT_TRUE(PutFile(m_strMain + "/Files/0001.VRH", "slip"));
    ASSERT_TRUE(PutFile(m_strMain + "/Files/note.txt", "not a slip"));
    ASSERT_TRUE(PutFile(m_strMain + "/Tanto.dat", "staff"));
    ASSERT_TRUE(PutFile(m_strMain + "/BupTmp/QXSelvo.vrz", "scratch"));
    rules.RefreshList();
    m_dialogs.QueueName(QString::fromUtf8("本社の写し"), Path("copy"));
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(rules.OnCopy(), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8("コピーしました"));
    EXPECT_EQ(m_session.m_nReleases, 1);
    EXPECT_EQ(m_session.m_nConnects, 1);
    EXPECT_EQ(ConnectedCode(), "M1");
    EXPECT_EQ(GetFile(Path("copy/Tanto.dat")), "staff");
    EXPECT_EQ(QDir(Path("copy/Files")).entryList(QDir::Files), QStringList{"0001.VRH"});
    EXPECT_EQ(QDir(Path("copy/Other")).entryList(QDir::Files).size(), 29);
    EXPECT_FALSE(QFileInfo::exists(Path("copy/BupTmp/QXSelvo.vrz")));
    EXPECT_EQ(rules.GetSelectedName(), QString::fromUtf8("本社の写し"));
    EXPECT_EQ(Current(), kMain);
    {
        CMakeMsgID copy;
        QString err;
        ASSERT_EQ(copy.Open(Path("copy"), err), 1);
        EXPECT_EQ(CountRows(copy, TB_ITEM, "WHERE ItemCode = 'M1'"), 1);
    }

    // Cancelling the copy of the database in use still reconnects it.
    rules.RefreshList();
    EXPECT_EQ(rules.OnCopy(), 0);
    EXPECT_EQ(m_session.m_nReleases, 2);
    EXPECT_EQ(m_session.m_nConnects, 2);
    EXPECT_EQ(ConnectedCode(), "M1");

    // Other screens open: refused before the dialog.
    m_session.m_manager.SetOtherUsers(1);
    EXPECT_EQ(rules.OnCopy(), 0);
    EXPECT_EQ(
        LastText(),
        QString::fromUtf8("現在使用中のデータベースをコピーするには、メニュー画面以外の『Corvanta／販売』の"
                          "各画面を閉じる必要があります。\n画面を閉じてから再度操作してください。"));
    EXPECT_EQ(m_dialogs.m_nameModes.size(), 3);
    m_session.m_manager.SetOtherUsers(0);

    // A copy that fails part-way registers nothing.
    QDir().mkpath(m_strBranch + "/Money.dat");
    rules.RefreshList(kBranch);
    m_dialogs.QueueName(QString::fromUtf8("支店の写し"), Path("copy2"));
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(rules.OnCopy(), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8("コピーできませんでした"));
    EXPECT_EQ(CDBDirMng().IsExistName(QString::fromUtf8("支店の写し")), 0);

    // So does a database whose folder lost its database file: the register
    // would name a folder without a database.
    ASSERT_TRUE(QDir(m_strBranch + "/Money.dat").removeRecursively());
    ASSERT_TRUE(QFile::rename(m_strBranch + "/QXSelvo.vrz", m_strBranch + "/elsewhere.vrz"));
    m_dialogs.QueueName(QString::fromUtf8("支店の写し"), Path("copy3"));
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(rules.OnCopy(), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8("コピーできませんでした"));
    EXPECT_EQ(CDBDirMng().IsExistName(QString::fromUtf8("支店の写し")), 0);

    // The reconnection fails: the dialog ends with 3.
    rules.RefreshList();
    m_session.m_forcedRelease = 1;
    ASSERT_EQ(m_session.m_manager.Release(m_session.m_id), 1);
    ASSERT_TRUE(QFile::rename(m_strMain + "/QXSelvo.vrz", m_strMain + "/gone.vrz"));
    EXPECT_EQ(rules.OnCopy(), CDBChangeRules::kReconnectFailed);
    EXPECT_EQ(m_ui.Prompt().Calls().last().icon, MB_ICONSTOP);
}

TEST_F(DbChange, DialogsShowTheirRules)
{
    CDBChangeDlg change(nullptr);
    EXPECT_EQ(change.windowTitle(), QString::fromUtf8("データベースの追加"));
    auto* list = change.findChild<CDBListBox*>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(list->GetInUseName(), kMain);
    // Without a frame the switch refuses.
    EXPECT_EQ(change.SwitchDatabase(kBranch), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8("切り替えができません"));
}
