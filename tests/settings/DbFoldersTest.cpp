#include "DbTestSupport.h"

#include "settings/db/DbFolders.h"
#include "settings/db/FolderBrowser.h"
#include "settings/db/FolderSelectDlg.h"

#include <QTemporaryDir>

namespace
{

const QString kWrongPath = QString::fromUtf8("正しいパスを指定してください");
const QString kCannotCreate = QString::fromUtf8("フォルダを作成できませんでした。\n");

} // namespace

TEST(DbFolders, PathKindsOnPosixPaths)
{
    EXPECT_EQ(GetPathKind("/srv/data"), 1);
    EXPECT_EQ(GetPathKind("/srv/data/"), 2);
    EXPECT_EQ(GetPathKind("/"), 3);
    EXPECT_EQ(GetPathKind("//"), 4);
    EXPECT_EQ(GetPathKind("///"), 2); // cut once, it is the root with a separator
    EXPECT_EQ(GetPathKind("relative/"), 2);
    EXPECT_EQ(GetPathKind(""), 1);
    // Names whose last character ends in the byte 0x5C in code page 932 are
    // names, not separators.
    EXPECT_EQ(GetPathKind(QString::fromUtf8("/data/ソ")), 1);
    EXPECT_EQ(GetPathKind(QString::fromUtf8("/data/表")), 1);
    EXPECT_EQ(GetPathKind("/data\\"), 1);

    EXPECT_EQ(IsValidPath("/"), 1);
    EXPECT_EQ(IsValidPath("/no/such/folder"), 1);
    EXPECT_EQ(IsValidPath("data/db"), 0);
    EXPECT_EQ(IsValidPath("~/db"), 0);
    EXPECT_EQ(IsValidPath("C:\\Data"), 0);
    EXPECT_EQ(IsValidPath(""), 0);
    EXPECT_EQ(IsValidPath(QString("/a") + QChar(0) + "b"), 0);

    EXPECT_EQ(JoinPath("/", "x"), "/x");
    EXPECT_EQ(JoinPath("/a", "x"), "/a/x");
}

TEST(DbFolders, CheckAndCreateFolders)
{
    ScopedFakeUi ui;
    QTemporaryDir dir;
    const QString base = dir.path();

    EXPECT_EQ(CheckFolder(base, false, false), 1);
    EXPECT_EQ(CheckFolder(base + "/missing", false, true), 0);
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());

    // A relative path: invalid, 0 when only checking, 4 when creating.
    EXPECT_EQ(CheckFolder("db", false, false), 0);
    EXPECT_EQ(CheckFolder("db", true, false), 4);
    EXPECT_EQ(ui.Prompt().Texts(), QStringList({kWrongPath, kWrongPath}));
    ui.Prompt().Clear();

    // Declining the question creates nothing.
    ui.Prompt().QueueAnswers({IDNO});
    EXPECT_EQ(CheckFolder(base + "/a/b/c", true, true), 3);
    ASSERT_EQ(ui.Prompt().Calls().size(), 1);
    EXPECT_EQ(ui.Prompt().Calls()[0].text,
              QString::fromUtf8("指定されたフォルダは存在しません。\nフォルダを作成しますか？"));
    EXPECT_EQ(ui.Prompt().Calls()[0].buttons, MB_YESNO);
    EXPECT_FALSE(QFileInfo::exists(base + "/a"));

    // Three missing levels at once; with a final separator too.
    EXPECT_EQ(CheckFolder(base + "/a/b/c", true, true), 2);
    EXPECT_TRUE(QFileInfo(base + "/a/b/c").isDir());
    EXPECT_EQ(CreateNestedFolder(base + "/x/y/"), 1);
    EXPECT_TRUE(QFileInfo(base + "/x/y").isDir());
    EXPECT_EQ(CreateNestedFolder(base + "/x/y"), 1); // nothing missing

    // A level that is a regular file cannot hold a folder; the file itself is no folder either.
    ASSERT_TRUE(PutFile(base + "/plain", "x"));
    ui.Prompt().Clear();
    EXPECT_EQ(CheckFolder(base + "/plain/sub", true, false), 4);
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{kCannotCreate + base + "/plain/sub"});
    EXPECT_EQ(CreateNestedFolder(base + "/plain"), 0);
    EXPECT_EQ(CheckFolder(base + "/plain", false, false), 0);

    // The root is never created, nor a relative path.
    EXPECT_EQ(CreateNestedFolder("/"), 0);
    EXPECT_EQ(CreateNestedFolder("//"), 0);
    EXPECT_EQ(CreateNestedFolder("rel/dir"), 0);
    EXPECT_FALSE(QFileInfo::exists("rel"));
}

TEST(DbFolders, FilesInFolder)
{
    QTemporaryDir dir;
    const QString base = dir.path();
    QString first = "untouched";
    EXPECT_EQ(FolderHasFiles(base, {}, &first), 0);
    EXPECT_EQ(first, "untouched");
    QDir().mkpath(base + "/sub.vrh"); // a folder, however named, is no file
    EXPECT_EQ(FolderHasFiles(base), 0);
    EXPECT_EQ(FolderHasFiles(base + "/missing"), 0);

    ASSERT_TRUE(PutFile(base + "/.hidden", ""));
    EXPECT_EQ(FolderHasFiles(base), 1);
    EXPECT_EQ(FolderHasFiles(base, "vrh"), 0);
    ASSERT_TRUE(PutFile(base + "/SLIP01.VRH", "x"));
    EXPECT_EQ(FolderHasFiles(base, "vrh", &first), 1);
    EXPECT_EQ(first, base + "/SLIP01.VRH");
    EXPECT_EQ(FolderHasFiles(base, "aut"), 0);

    EXPECT_EQ(FindEntryNoCase(base, "slip01.vrh"), base + "/SLIP01.VRH");
    EXPECT_EQ(FindEntryNoCase(base, "SUB.VRH"), base + "/sub.vrh");
    EXPECT_EQ(FindEntryNoCase(base, "slip02.vrh"), QString());
    EXPECT_EQ(SubFolder(base, "Sub.Vrh"), base + "/sub.vrh");
    EXPECT_EQ(SubFolder(base, "Slip01.vrh"), base + "/Slip01.vrh"); // a file is no sub-folder
}

TEST(DbFolders, FolderPickers)
{
    ScopedFakeUi ui;
    const QString cwd = QDir::currentPath();
    // The picker moves the working folder, chosen or cancelled; Browse puts it back.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    ASSERT_NE(QDir(elsewhere.path()).canonicalPath(), QDir(cwd).canonicalPath());
    ui.Prompt().SetFolderPickerWorkingFolder(elsewhere.path());

    CFolderBrowser browser;
    ui.Prompt().QueueFolders({"/srv/backup"});
    EXPECT_EQ(browser.Browse("/srv"), 1);
    EXPECT_EQ(browser.GetPath(), "/srv/backup");
    EXPECT_EQ(QDir::currentPath(), cwd);
    EXPECT_EQ(browser.Browse({}, QString::fromUtf8("選んでください")), 2);
    EXPECT_EQ(browser.GetPath(), QString());
    ASSERT_EQ(ui.Prompt().PickerCalls().size(), 2);
    EXPECT_EQ(ui.Prompt().PickerCalls()[0].title, QString::fromUtf8("フォルダを選択してOKを押して下さい"));
    EXPECT_EQ(ui.Prompt().PickerCalls()[0].dir, "/srv");
    EXPECT_EQ(ui.Prompt().PickerCalls()[1].title, QString::fromUtf8("選んでください"));
    EXPECT_EQ(QDir::currentPath(), cwd);

    // "フォルダの参照" refuses only an empty folder; the caller checks the rest.
    EXPECT_FALSE(CFolderSelectDlg::CheckFolderText(""));
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QString::fromUtf8("フォルダ名が入力されていません。")});
    EXPECT_TRUE(CFolderSelectDlg::CheckFolderText("/no/such/folder"));
    EXPECT_EQ(ui.Prompt().Calls().size(), 1);
}
