#include "AppHome.h"

#include "app/Startup.h"
#include "platform/data/MakeMsgID.h"
#include "platform/ui/FakeUi.h"

#include <QFileInfo>

namespace
{

// Scripted system for start-up: what each check answers, and what was asked.
class CFakeStartupServices : public IStartupServices
{
  public:
    LockState instance = LockState::Acquired;
    bool otherUser = false;
    int password = 1;
    bool accessFileWritable = true;
    QString unwritableFolder;
    bool choose = true;
    bool createFails = false;
    QString chosenName = QStringLiteral("本社");
    QString chosenFolder;

    QStringList log;
    QStringList probedFolders;

    void PrepareDataRoot() override { log << QStringLiteral("prepare"); }
    LockState AcquireInstanceLock() override
    {
        log << QStringLiteral("instance");
        return instance;
    }
    bool OtherUserIsActive() override
    {
        log << QStringLiteral("session");
        return otherUser;
    }
    void ReleaseLocks() override { log << QStringLiteral("release"); }
    bool CanWriteFile(const QString&) override { return accessFileWritable; }
    bool CanWriteFolder(const QString& folder) override
    {
        probedFolders << folder;
        return folder != unwritableFolder;
    }
    int CheckPassword() override
    {
        log << QStringLiteral("password");
        return password;
    }
    bool ChooseDatabase(QString& name, QString& folder) override
    {
        log << QStringLiteral("choose");
        if (!choose)
            return false;
        name = chosenName;
        folder = chosenFolder;
        QDir().mkpath(folder + QStringLiteral("/Other"));
        return true;
    }
    int CreateDatabaseFromTemplate(const QString& folder, const QString& name) override
    {
        log << QStringLiteral("create");
        if (createFails)
            return 0;
        return ::CreateDatabaseFromTemplate(folder, folder + QStringLiteral("/Other"), name);
    }
};

const QString kTitle = QStringLiteral("Corvanta／販売");

TEST(StartupTest, EarlyChecksEndStartUpWithTheirMessage)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;

    // A second start by the same user stops at once.
    {
        CFakeStartupServices services;
        services.instance = LockState::HeldBySameUser;
        EXPECT_FALSE(CStartup(services).Run());
        ASSERT_EQ(ui.Prompt().Calls().size(), 1);
        EXPECT_EQ(ui.Prompt().Calls()[0].text,
                  QStringLiteral("『") + kTitle + QStringLiteral("』は既に起動しています。"));
        EXPECT_EQ(ui.Prompt().Calls()[0].icon, MB_ICONINFORMATION);
        EXPECT_EQ(services.log, QStringList{"instance"});
    }
    // Another user of the computer runs the program or a sibling.
    {
        ui.Prompt().Clear();
        CFakeStartupServices services;
        services.otherUser = true;
        EXPECT_FALSE(CStartup(services).Run());
        EXPECT_EQ(
            ui.Prompt().Texts(),
            QStringList{
                QStringLiteral("他のユーザーが『") + kTitle +
                QStringLiteral(
                    "』を使用しています。\nそのユーザーがアプリケーションを終了してからご利用ください。")});
        EXPECT_EQ(services.log, QStringList({"instance", "prepare", "session", "release"}));
    }
    // The password: a damaged password file, then a refusal.
    {
        ui.Prompt().Clear();
        CFakeStartupServices services;
        services.password = -1;
        EXPECT_FALSE(CStartup(services).Run());
        ASSERT_EQ(ui.Prompt().Calls().size(), 1);
        EXPECT_EQ(ui.Prompt().Calls()[0].text,
                  QStringLiteral("構成ファイルがないため『") + kTitle +
                      QStringLiteral("』を起動できません\n再インストールしてください。"));
        EXPECT_EQ(ui.Prompt().Calls()[0].icon, MB_ICONEXCLAMATION);
        EXPECT_EQ(services.log.last(), QStringLiteral("release"));

        ui.Prompt().Clear();
        services.password = 0;
        EXPECT_FALSE(CStartup(services).Run());
        EXPECT_EQ(ui.Prompt().Texts(),
                  QStringList{QStringLiteral("『") + kTitle + QStringLiteral("』を起動できません\n")});
    }
}

TEST(StartupTest, FolderCheckSkipsMissingFoldersAndFailsOnUnwritableOnes)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    const QString denied = QStringLiteral("ファイルの書き込み権限がないため『") + kTitle +
                           QStringLiteral("』は使えません。\n%1に書き込めません。\n"
                                          "制限ユーザーに設定されている場合は権限を変更してご利用ください。");

    // Only existing folders are probed, in the fixed order; the program's
    // own, where the binaries lie, is not among them.
    CFakeStartupServices services;
    EXPECT_TRUE(CStartup(services).CheckFolders());
    QStringList existing;
    for (const QString& folder : CArdoEnv().GetWriteCheckFolders()) {
        if (QFileInfo(folder).isDir())
            existing << folder;
    }
    EXPECT_EQ(services.probedFolders, existing);
    EXPECT_FALSE(services.probedFolders.contains(home.ProgramFolder()));
    EXPECT_FALSE(services.probedFolders.contains(home.ProgramFolder() + QStringLiteral("/Exe")));
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());

    // What cannot be written fails the check, naming the place.
    const struct {
        const char* what;
        QString unwritableFolder;
        bool accessFileWritable;
        QString place; // empty: the check passes
    } cases[] = {
        {"the template folder", CArdoEnv().GetTemplateFolder(), true,
         QStringLiteral("フォルダ<%1>").arg(CArdoEnv().GetTemplateFolder())},
        {"the access-check file, not opened for exclusive writing", QString(), false,
         QStringLiteral("ファイル<%1>").arg(CArdoEnv().GetAccessCheckFile())},
        {"the program's own folder", home.ProgramFolder(), true, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ui.Prompt().Clear();
        services.unwritableFolder = c.unwritableFolder;
        services.accessFileWritable = c.accessFileWritable;
        EXPECT_EQ(CStartup(services).CheckFolders(), c.place.isEmpty());
        EXPECT_EQ(ui.Prompt().Texts(), c.place.isEmpty() ? QStringList() : QStringList{denied.arg(c.place)});
    }

    // The access-check file is missing.
    ui.Prompt().Clear();
    ASSERT_TRUE(QFile::remove(CArdoEnv().GetAccessCheckFile()));
    CFakeStartupServices fresh;
    EXPECT_FALSE(CStartup(fresh).Run());
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("ファイルが見つからないため『") + kTitle +
                                               QStringLiteral("』を起動できません")});
    EXPECT_FALSE(fresh.log.contains(QStringLiteral("password")));
}

TEST(StartupTest, RealProbesTouchNoFileOfTheUser)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    // A user's own "dmy.txt" survives the folder probe, and the probe leaves nothing.
    const QString folder = CArdoEnv().GetMyDataFolder();
    QFile user(folder + QStringLiteral("/dmy.txt"));
    ASSERT_TRUE(user.open(QIODevice::WriteOnly));
    user.write("keep me");
    user.close();
    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    CStartupServices services;
    EXPECT_TRUE(services.CanWriteFolder(folder));
    EXPECT_FALSE(services.CanWriteFolder(folder + QStringLiteral("/missing")));
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    ASSERT_TRUE(user.open(QIODevice::ReadOnly));
    EXPECT_EQ(user.readAll(), QByteArray("keep me"));
    user.close();

    // The access-check file opens for writing without being emptied.
    EXPECT_TRUE(services.CanWriteFile(user.fileName()));
    EXPECT_EQ(QFileInfo(user.fileName()).size(), 7);
    EXPECT_FALSE(services.CanWriteFile(folder + QStringLiteral("/none.sys")));
}

TEST(StartupTest, DatabaseSelection)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    const QString reg = home.RegisterPath();

    // A current database whose folder holds its file: nothing is asked.
    const QString folder = home.AddCurrentDatabase(QStringLiteral("既存"));
    ASSERT_FALSE(folder.isEmpty());
    {
        CFakeStartupServices services;
        EXPECT_TRUE(CStartup(services).Run());
        EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
        EXPECT_FALSE(services.log.contains(QStringLiteral("choose")));
    }

    // Its file is gone: the user is told and asked; cancelling ends start-up.
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/QXSelvo.vrz")));
    {
        CFakeStartupServices services;
        services.choose = false;
        EXPECT_FALSE(CStartup(services).Run());
        ASSERT_EQ(ui.Prompt().Calls().size(), 2);
        EXPECT_EQ(ui.Prompt().Calls()[0].text,
                  QStringLiteral("指定されているフォルダ\n<") + folder +
                      QStringLiteral(">\nには、必要なデータベースファイル<QXSelvo.vrz>が存在しません。\n"
                                     "データベースファイルの存在するフォルダを指定してください。"));
        EXPECT_EQ(
            ui.Prompt().Calls()[1].text,
            QStringLiteral(
                "データベースが選択されていないので、アプリケーションを起動できません。\n終了します。\n"));
        EXPECT_EQ(ui.Prompt().Calls()[1].icon, MB_ICONSTOP);
        EXPECT_EQ(services.log.last(), QStringLiteral("release"));
    }

    // An unreadable register is moved aside under the next free number; a
    // new database is made in the chosen folder and becomes current.
    ui.Prompt().Clear();
    QFile damaged(reg);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("\xff\xfe not a register");
    damaged.close();
    QFile taken(reg + QStringLiteral("001"));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();
    {
        CFakeStartupServices services;
        services.chosenFolder = home.Root() + QStringLiteral("/honsha");
        EXPECT_TRUE(CStartup(services).Run());
        EXPECT_TRUE(QFileInfo::exists(reg + QStringLiteral("002")));
        EXPECT_EQ(services.log.mid(services.log.indexOf(QStringLiteral("choose"))),
                  QStringList({"choose", "create"}));
        ASSERT_EQ(ui.Prompt().Calls().size(), 2);
        EXPECT_TRUE(ui.Prompt().Calls()[0].text.startsWith(
            QStringLiteral("データベース設定ファイルが壊れています。")));
        EXPECT_EQ(ui.Prompt().Calls()[1].text,
                  QStringLiteral("使用するﾃﾞｰﾀﾍﾞｰｽを設定しました。\n\nﾃﾞｰﾀﾍﾞｰｽ名 ： 本社\n保存先ﾌｫﾙﾀﾞ： ") +
                      services.chosenFolder + u'\n');
        QString name, current;
        EXPECT_EQ(CDBDirMng().GetNowDB(name, current), 1);
        EXPECT_EQ(name, QStringLiteral("本社"));
        EXPECT_EQ(current, services.chosenFolder);
        EXPECT_TRUE(QFileInfo(current + QStringLiteral("/QXSelvo.vrz")).isFile());
    }
    EXPECT_EQ(CStartup::FreeBackupName(reg), reg + QStringLiteral("003"));

    // A chosen folder that holds a database is registered as it is; a name
    // the register refuses ends start-up.
    ui.Prompt().Clear();
    ASSERT_TRUE(QFile::remove(home.Root() + QStringLiteral("/honsha/QXSelvo.vrz")));
    {
        CFakeStartupServices services;
        services.chosenName = QStringLiteral("支店");
        services.chosenFolder = folder;
        QString err;
        ASSERT_EQ(CMakeMsgID::CreateDatabase(folder + QStringLiteral("/QXSelvo.vrz"),
                                             QDateTime::currentDateTime(), err),
                  1);
        EXPECT_TRUE(CStartup(services).Run());
        EXPECT_FALSE(services.log.contains(QStringLiteral("create")));
        QString name, current;
        CDBDirMng().GetNowDB(name, current);
        EXPECT_EQ(name, QStringLiteral("支店"));

        ui.Prompt().Clear();
        ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/QXSelvo.vrz")));
        services.chosenName = QStringLiteral("本社"); // taken by another folder
        services.chosenFolder = home.Root() + QStringLiteral("/honsha2");
        ASSERT_TRUE(QDir().mkpath(services.chosenFolder));
        ASSERT_EQ(CMakeMsgID::CreateDatabase(services.chosenFolder + QStringLiteral("/QXSelvo.vrz"),
                                             QDateTime::currentDateTime(), err),
                  1);
        EXPECT_FALSE(CStartup(services).Run());
        EXPECT_EQ(
            ui.Prompt().Texts().last(),
            QStringLiteral(
                "設定ファイルを更新できませんでした。\nアプリケーションを起動できません。終了します。"));
    }

    // A new database that cannot be made ends start-up too.
    ui.Prompt().Clear();
    {
        CFakeStartupServices services;
        services.createFails = true;
        services.chosenName = QStringLiteral("新社");
        services.chosenFolder = home.Root() + QStringLiteral("/shinsha");
        EXPECT_FALSE(CStartup(services).Run());
        EXPECT_EQ(ui.Prompt().Texts().last(), QStringLiteral("データベースを登録できません。\n終了します。"));
        EXPECT_EQ(services.log.last(), QStringLiteral("release"));
    }
}

// A restore of an earlier build cut off half-way left the current database
// only in "BupTmp": the start puts it back and says so before it checks the
// folder, and goes on without asking for another.
TEST(StartupTest, AStrandedDatabaseIsPutBackBeforeTheCheck)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    const QString folder = home.AddCurrentDatabase(QStringLiteral("既存"));
    ASSERT_FALSE(folder.isEmpty());
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/BupTmp")));
    const QByteArray database = [&] {
        QFile file(folder + QStringLiteral("/QXSelvo.vrz"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_TRUE(QFile::rename(folder + QStringLiteral("/QXSelvo.vrz"),
                              folder + QStringLiteral("/BupTmp/QXSelvo.vrz")));

    CFakeStartupServices services;
    EXPECT_TRUE(CStartup(services).Run());
    EXPECT_FALSE(services.log.contains(QStringLiteral("choose")));
    EXPECT_EQ(
        ui.Prompt().Texts(),
        QStringList{QStringLiteral("前回のデータベースの復元が途中で止まったため、データベースフォルダ<%1>に"
                                   "データベースファイルがありませんでした。\n<%1/BupTmp> に保存されていた"
                                   "復元前のデータを元に戻しました。")
                        .arg(folder)});
    QFile restored(folder + QStringLiteral("/QXSelvo.vrz"));
    ASSERT_TRUE(restored.open(QIODevice::ReadOnly));
    EXPECT_EQ(restored.readAll(), database);
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/BupTmp/QXSelvo.vrz")).isFile());
}

} // namespace
