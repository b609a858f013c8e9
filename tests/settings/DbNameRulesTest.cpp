#include "DbTestSupport.h"

#include "platform/env/ArdoEnv.h"
#include "settings/db/DBNameRules.h"

namespace
{

const QString kSameName =
    QString::fromUtf8("すでに同じ名前のデータベースが存在します。名前を変えてください。");
const QString kNotEmpty = QString::fromUtf8("指定されたフォルダにはファイルが存在しています。\nコピー先のフォ"
                                            "ルダには空のフォルダを指定してください。");
const QString kRoot =
    QString::fromUtf8("ルートディレクトリを指定することはできません。別のフォルダを指定してください。");

class DbNameRules : public CDbAdminTest
{
};

} // namespace

TEST_F(DbNameRules, NewAndCopyNeedAFreeNameAndAnEmptyFolder)
{
    MakeDatabase("本社", "main", true);
    CDBNameRules rules({}, {}, CDBNameRules::kNew);
    EXPECT_EQ(rules.GetTitle(), QString::fromUtf8("データベースの新規作成"));
    EXPECT_TRUE(rules.Init());

    EXPECT_FALSE(rules.OnOK());
    rules.SetName("支店");
    EXPECT_FALSE(rules.OnOK());
    rules.SetFolder("//");
    EXPECT_FALSE(rules.OnOK());
    rules.SetFolder("/");
    EXPECT_FALSE(rules.OnOK());
    EXPECT_EQ(Texts(), QStringList({QString::fromUtf8("データベース名が入力されていません。"),
                                    QString::fromUtf8("フォルダ名が入力されていません。"), kRoot, kRoot}));
    EXPECT_EQ(m_ui.Prompt().Calls().last().icon, MB_ICONEXCLAMATION);

    // A folder with a file in "Other" is refused, even though the top is empty;
    // final separators are cut off first.
    const QString target = Path("branch");
    QDir().mkpath(target + "/OTHER");
    ASSERT_TRUE(PutFile(target + "/OTHER/Com.aut", ""));
    rules.SetFolder(target + "//");
    EXPECT_FALSE(rules.OnOK());
    EXPECT_EQ(rules.GetFolder(), target);
    EXPECT_EQ(LastText(), kNotEmpty);
    EXPECT_TRUE(rules.GetOtherFolder().isEmpty());

    // Only empty sub-folders: accepted, the layout of a new database is made
    // (in the existing "OTHER", whatever its case).
    QFile::remove(target + "/OTHER/Com.aut");
    QDir().mkpath(target + "/Files/deeper");
    EXPECT_TRUE(rules.OnOK());
    EXPECT_EQ(rules.GetFilesFolder(), target + "/Files");
    EXPECT_EQ(rules.GetOtherFolder(), target + "/OTHER");
    for (const char* sub : {"BupTmp", "BupTmp/Files", "BupTmp/Other"})
        EXPECT_TRUE(QFileInfo(target + '/' + sub).isDir()) << sub;
    EXPECT_FALSE(QFileInfo::exists(target + "/Other"));

    // The scratch folder of a database is emptied by its next restore, and a
    // registered folder belongs to its database even when its files are
    // gone: neither takes a new database, nor is anything made there.
    const QString office = MakeDatabase("営業所", "office", false);
    for (const QString& file : QDir(office).entryList(QDir::Files))
        ASSERT_TRUE(QFile::remove(office + '/' + file));
    ASSERT_TRUE(QDir(office + "/Other").removeRecursively());
    const QString inUse =
        QString::fromUtf8("指定されたフォルダは『Corvanta／販売』で使用しているデータベースフォルダです。\n"
                          "別のフォルダを指定してください。");
    for (const QString& folder : {Path("main/BupTmp/"), Path("main/./BupTmp"), office}) {
        rules.SetFolder(folder);
        EXPECT_FALSE(rules.OnOK()) << folder.toStdString();
        EXPECT_EQ(LastText(),
                  folder == office
                      ? QString::fromUtf8("指定されたフォルダはデータベース「営業所」で使用しています。\n"
                                          "別のフォルダを指定してください。")
                      : inUse);
    }
    EXPECT_FALSE(QFileInfo::exists(Path("main/BupTmp/BupTmp")));
    EXPECT_FALSE(QFileInfo::exists(office + "/Other"));
    // Nor is either, or the template every new database is copied from,
    // registered as a database at start-up.
    CDBNameRules startup({}, {}, CDBNameRules::kStartup);
    startup.SetName("写し");
    for (const QString& folder : {Path("main/BupTmp"), CArdoEnv().GetTemplateFolder()}) {
        startup.SetFolder(folder);
        EXPECT_FALSE(startup.OnOK()) << folder.toStdString();
        EXPECT_EQ(LastText(), inUse);
    }

    // A taken name is refused before anything is made.
    CDBNameRules copy("本社", Path("main"), CDBNameRules::kCopy);
    EXPECT_TRUE(copy.Init());
    EXPECT_TRUE(copy.GetName().isEmpty() && copy.GetFolder().isEmpty());
    copy.SetName("本社");
    copy.SetFolder(Path("copy"));
    EXPECT_FALSE(copy.OnOK());
    EXPECT_EQ(LastText(), kSameName);
    EXPECT_FALSE(QFileInfo::exists(Path("copy")));

    // A missing folder is made after the question.
    m_ui.Prompt().QueueAnswers({IDYES});
    copy.SetName("写し");
    EXPECT_TRUE(copy.OnOK());
    EXPECT_TRUE(QFileInfo(Path("copy/BupTmp/Other")).isDir());
}

TEST_F(DbNameRules, RenameKeepsTheCurrentDatabaseCurrent)
{
    const QString main = MakeDatabase("本社", "main", true);
    MakeDatabase("支店", "branch", false);
    const QByteArray before = GetFile(CDBDirMng::GetDefaultPath());

    CDBNameRules rules("本社", main, CDBNameRules::kRename);
    EXPECT_TRUE(rules.IsFolderReadOnly());
    EXPECT_TRUE(rules.Init());
    EXPECT_EQ(rules.GetFolder(), main);
    EXPECT_TRUE(rules.OnOK()); // unchanged name: nothing written
    EXPECT_EQ(GetFile(CDBDirMng::GetDefaultPath()), before);

    rules.SetName("支店");
    EXPECT_FALSE(rules.OnOK());
    EXPECT_EQ(LastText(), kSameName);

    rules.SetName("東京本社");
    EXPECT_TRUE(rules.OnOK());
    QString name, folder;
    CDBDirMng().GetNowDB(name, folder);
    EXPECT_EQ(name, QString::fromUtf8("東京本社"));
    EXPECT_EQ(folder, main);
}

TEST_F(DbNameRules, StartupRegistersOrCreates)
{
    const QString main = MakeDatabase("本社", "main", false);
    ASSERT_EQ(CDBDirMng().DeleteComp("本社"), 1); // a database no entry names
    CDBNameRules rules("x", "/y", CDBNameRules::kStartup);
    EXPECT_TRUE(rules.Init());
    EXPECT_TRUE(rules.GetName().isEmpty() && rules.GetFolder().isEmpty());

    // A folder that holds a database: accepted as it is, no sub-folders made.
    rules.SetName("二つ目");
    rules.SetFolder(main);
    EXPECT_TRUE(rules.OnOK());
    EXPECT_FALSE(rules.IsRepointed());
    EXPECT_TRUE(rules.GetFilesFolder().isEmpty() && rules.GetOtherFolder().isEmpty());

    // An empty folder: asked; No keeps the dialog open and makes nothing.
    const QString fresh = Path("fresh");
    rules.SetFolder(fresh);
    m_ui.Prompt().QueueAnswers({IDNO});
    EXPECT_FALSE(rules.OnOK());
    EXPECT_FALSE(QFileInfo::exists(fresh));
    m_ui.Prompt().QueueAnswers({IDYES, IDYES});
    EXPECT_TRUE(rules.OnOK());
    EXPECT_EQ(rules.GetOtherFolder(), fresh + "/Other");
    EXPECT_TRUE(QFileInfo(fresh + "/BupTmp/Files").isDir());

    // A folder with a file but no database cannot take a new one.
    ASSERT_TRUE(PutFile(fresh + "/notes.txt", ""));
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_FALSE(rules.OnOK());
    EXPECT_EQ(
        LastText(),
        QString::fromUtf8("指定されたフォルダにはファイルが存在しています。データベースを作成できません。\n"
                          "新しくデータベースを作成する場合は、空のフォルダを指定してください"));
}

TEST_F(DbNameRules, LocateRepointsARegisteredDatabase)
{
    CDBNameRules noName({}, {}, CDBNameRules::kLocate);
    EXPECT_FALSE(noName.Init());
    EXPECT_EQ(LastText(), QString::fromUtf8("引数が不正です"));

    const QString main = MakeDatabase("本社", "main", true);
    const QString moved = Path("moved");
    ASSERT_TRUE(QDir().rename(main, moved));

    CDBNameRules rules("本社", {}, CDBNameRules::kLocate);
    EXPECT_TRUE(rules.Init());
    EXPECT_TRUE(rules.IsNameReadOnly());
    // The database file alone is not enough: "Other" must be there too.
    ASSERT_TRUE(QDir(moved + "/Other").removeRecursively());
    rules.SetFolder(moved);
    EXPECT_FALSE(rules.OnOK());
    EXPECT_EQ(
        LastText(),
        QString::fromUtf8(
            "指定されたフォルダにはデータベース情報がありません。\nフォルダを指定しなおしてください。"));

    QDir().mkpath(moved + "/Other");
    EXPECT_TRUE(rules.OnOK());
    QString folder;
    EXPECT_EQ(CDBDirMng().GetCompDBPath("本社", folder), 1);
    EXPECT_EQ(folder, moved);
}

// Two entries on one folder would be two companies writing one database.
TEST_F(DbNameRules, AFolderOfAnotherEntryIsRefusedInEveryModeByItsName)
{
    const QString main = MakeDatabase("本社", "main", true);
    const QString branch = MakeDatabase("支店", "branch", false);
    const QByteArray before = GetFile(CDBDirMng::GetDefaultPath());
    const QString taken = QString::fromUtf8("指定されたフォルダはデータベース「支店」で使用しています。\n"
                                            "別のフォルダを指定してください。");
    struct Case {
        int mode;
        const char* name;
        QString folder;
    };
    const Case cases[] = {
        {CDBNameRules::kNew, "営業所", branch},
        {CDBNameRules::kCopy, "写し", branch + "/"},
        {CDBNameRules::kStartup, "二つ目", branch},
        {CDBNameRules::kStartup, "本社", Path("branch/.")}, // the current entry, not lost
        {CDBNameRules::kLocate, "本社", branch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        m_ui.Prompt().Clear();
        CDBNameRules rules(QString::fromUtf8(c.name), {}, c.mode);
        ASSERT_TRUE(rules.Init());
        rules.SetName(QString::fromUtf8(c.name));
        rules.SetFolder(c.folder);
        EXPECT_FALSE(rules.OnOK());
        // The current entry's name, whose folder still holds its database,
        // is taken before its folder is looked at.
        EXPECT_EQ(LastText(), c.mode == CDBNameRules::kStartup && QString::fromUtf8(c.name) == "本社"
                                  ? kSameName
                                  : taken);
    }
    EXPECT_EQ(GetFile(CDBDirMng::GetDefaultPath()), before);
    // Re-pointing an entry to its own folder is no conflict.
    CDBNameRules own("本社", {}, CDBNameRules::kLocate);
    own.SetFolder(main);
    EXPECT_TRUE(own.OnOK());
}

// At start-up the current entry's folder is gone: its own name with a new
// folder re-points it, with the database found there or a new one made;
// another registered name is still taken. The database put back into its
// own folder while the dialog is open is taken as registered.
TEST_F(DbNameRules, StartupRepointsTheLostCurrentEntryUnderItsOwnName)
{
    const QString main = MakeDatabase("本社", "main", true);
    MakeDatabase("支店", "branch", false);
    const QString moved = Path("moved");
    ASSERT_TRUE(QDir().rename(main, moved));

    CDBNameRules rules({}, {}, CDBNameRules::kStartup);
    ASSERT_TRUE(rules.Init());
    ASSERT_TRUE(QDir().rename(moved, main));
    rules.SetName("本社");
    rules.SetFolder(main + "/.");
    EXPECT_TRUE(rules.OnOK());
    EXPECT_TRUE(Texts().isEmpty());
    EXPECT_FALSE(rules.IsRepointed());
    EXPECT_EQ(rules.GetFolder(), main);
    EXPECT_EQ(CDBDirMng().AddCompName("本社", rules.GetFolder(), false), 1);
    ASSERT_TRUE(QDir().rename(main, moved));

    rules.SetName("支店");
    rules.SetFolder(moved);
    EXPECT_FALSE(rules.OnOK());
    EXPECT_EQ(LastText(), kSameName);

    rules.SetName("本社");
    EXPECT_TRUE(rules.OnOK());
    EXPECT_TRUE(rules.IsRepointed());
    QString name, folder;
    ASSERT_EQ(CDBDirMng().GetNowDB(name, folder), 1);
    EXPECT_EQ(name, QString::fromUtf8("本社"));
    EXPECT_EQ(folder, moved);
    // What start-up does next: register the pair (already there) and make it current.
    EXPECT_EQ(CDBDirMng().AddCompName("本社", moved, false), 1);
    QStringList names;
    EXPECT_EQ(CDBDirMng().GetDispAllComp(names), 2);

    // Lost again, and pointed at an empty folder: a new database is made there.
    ASSERT_TRUE(QDir(moved).removeRecursively());
    const QString fresh = Path("fresh");
    CDBNameRules again({}, {}, CDBNameRules::kStartup);
    ASSERT_TRUE(again.Init());
    again.SetName("本社");
    again.SetFolder(fresh);
    m_ui.Prompt().QueueAnswers({IDYES, IDYES}); // create a database, create the folder
    EXPECT_TRUE(again.OnOK());
    EXPECT_EQ(again.GetOtherFolder(), fresh + "/Other");
    EXPECT_EQ(CreateDatabaseFromTemplate(fresh, again.GetOtherFolder(), "本社"), 1);
    ASSERT_EQ(CDBDirMng().GetNowDB(name, folder), 1);
    EXPECT_EQ(folder, fresh);
    EXPECT_TRUE(QFileInfo(fresh + "/QXSelvo.vrz").isFile());
}

// A name the register and the backup's identity file cannot hold in code
// page 932 is refused in every mode that takes a name, before anything is
// written.
TEST_F(DbNameRules, NamesWithoutACp932FormAreRefusedBeforeAnythingIsWritten)
{
    const QString main = MakeDatabase("本社", "main", true);
    const QByteArray before = GetFile(CDBDirMng::GetDefaultPath());
    const QString name = QString::fromUtf8("テスト商事😀");
    for (int mode :
         {CDBNameRules::kNew, CDBNameRules::kRename, CDBNameRules::kCopy, CDBNameRules::kStartup}) {
        SCOPED_TRACE(mode);
        m_ui.Prompt().Clear();
        CDBNameRules rules("本社", main, mode);
        ASSERT_TRUE(rules.Init());
        rules.SetName(name);
        if (!rules.IsFolderReadOnly())
            rules.SetFolder(Path("new"));
        EXPECT_FALSE(rules.OnOK());
        EXPECT_EQ(Texts(), QStringList{QString::fromUtf8(
                               "データベース名に使用できない文字「😀」(U+1F600) が含まれています。")});
        EXPECT_FALSE(QFileInfo::exists(Path("new")));
    }
    EXPECT_EQ(GetFile(CDBDirMng::GetDefaultPath()), before);
}
