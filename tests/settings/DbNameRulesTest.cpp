#include "DbTestSupport.h"

#include "platform/env/ArdoEnv.h"
#include "settings/db/DBNameRules.h"

namespace {

const QString kSameName = QString::fromUtf8("すでに同じ名前のデータベースが存在します。名前を変えてください。");
const QString kNotEmpty = QString::fromUtf8("指定されたフォルダにはファイルが存在しています。\nコピー先のフォルダには空のフォルダを指定してください。");
const QString kRoot = QString::fromUtf8("ルートディレクトリを指定することはできません。別のフォルダを指定してください。");

class DbNameRules : public CDbAdminTest {};

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
    const QString inUse = QString::fromUtf8("指定されたフォルダは『Corvanta／販売』で使用しているデータベースフォルダです。\n"
                                            "別のフォルダを指定してください。");
    for (const QString& folder : {Path("main/BupTmp/"), Path("main/./BupTmp"), office}) {
        rules.SetFolder(folder);
        EXPECT_FALSE(rules.OnOK()) << folder.toStdString();
        EXPECT_EQ(LastText(), inUse);
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
    CDBNameRules rules("x", "/y", CDBNameRules::kStartup);
    EXPECT_TRUE(rules.Init());
    EXPECT_TRUE(rules.GetName().isEmpty() && rules.GetFolder().isEmpty());

    // A folder that holds a database: accepted as it is, no sub-folders made.
    rules.SetName("二つ目");
    rules.SetFolder(main);
    EXPECT_TRUE(rules.OnOK());
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
    EXPECT_EQ(LastText(), QString::fromUtf8("指定されたフォルダにはファイルが存在しています。データベースを作成できません。\n"
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
    EXPECT_EQ(LastText(), QString::fromUtf8("指定されたフォルダにはデータベース情報がありません。\nフォルダを指定しなおしてください。"));

    QDir().mkpath(moved + "/Other");
    EXPECT_TRUE(rules.OnOK());
    QString folder;
    EXPECT_EQ(CDBDirMng().GetCompDBPath("本社", folder), 1);
    EXPECT_EQ(folder, moved);
}
