#include "settings/DbTestSupport.h"

#include "app/AppHome.h"
#include "app/FrameDbSession.h"
#include "app/MainFrame.h"
#include "platform/data/TableNames.h"
#include "settings/db/Backup.h"
#include "settings/db/Compaction.h"
#include "settings/db/DBChangeRules.h"
#include "settings/db/Restore.h"

#include <QCoreApplication>

namespace
{

void Pump()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

} // namespace

// The running frame with its own manager: a second database is created,
// switched to, backed up, restored and compacted.
TEST(DbFrame, SecondDatabaseThroughTheFrame)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CScriptedDbDialogs dialogs;
    ASSERT_FALSE(home.AddCurrentDatabase("本社", "main").isEmpty());
    CMainFrame frame;
    ASSERT_TRUE(frame.Create());
    Pump();
    ASSERT_TRUE(frame.IsConnected());
    CFrameDbSession session(frame);

    CDBChangeRules rules(&session);
    rules.RefreshList();
    const QString branch = home.Root() + "/branch";
    dialogs.QueueName("支店", branch);
    ui.Prompt().QueueAnswers({IDYES});
    rules.OnNew();
    ASSERT_EQ(rules.GetSelectedName(), QString::fromUtf8("支店"));
    EXPECT_EQ(rules.OnOK(), IDOK);
    EXPECT_EQ(frame.GetMakeMsgID().GetFolder(), branch);
    session.ReloadDatabaseState();
    EXPECT_EQ(frame.GetDatabaseName(), QString::fromUtf8("支店"));
    Sql(frame.GetMakeMsgID(), "INSERT INTO Item(ItemCode, ItemName) VALUES('K1', 'kept')");
    CEnvSettings settings = frame.GetEnvSettings();
    settings.m_crListBack = MakeColorRef(1, 2, 3);
    frame.ApplyEnvSettings(settings);

    ui.Prompt().QueueAnswers({IDOK, IDYES});
    dialogs.QueueFolder(home.Root() + "/backup");
    EXPECT_EQ(BackupDatabase(session, 1), 1);
    Sql(frame.GetMakeMsgID(), "DELETE FROM Item");
    settings.m_crListBack = MakeColorRef(4, 5, 6);
    frame.ApplyEnvSettings(settings);

    ui.Prompt().QueueFolders({home.Root() + "/backup"});
    ui.Prompt().QueueAnswers({IDYES});
    dialogs.QueueRestoreAnswer(true);
    EXPECT_EQ(RestoreDatabase(session), 1);
    ASSERT_TRUE(frame.IsConnected());
    EXPECT_EQ(CountRows(frame.GetMakeMsgID(), TB_ITEM, "WHERE ItemCode = 'K1'"), 1);
    // The frame took the restored settings, so saving them keeps the restored file.
    EXPECT_EQ(frame.GetEnvSettings().m_crListBack, MakeColorRef(1, 2, 3));
    const QByteArray restored = GetFile(branch + "/MSettingInfo.dat");
    ASSERT_NE(frame.SaveSettings(), 0);
    EXPECT_EQ(GetFile(branch + "/MSettingInfo.dat"), restored);

    EXPECT_EQ(CompactDatabase(session), 1);
    EXPECT_EQ(ui.Prompt().Texts().last(), QString::fromUtf8("最適化が終了しました"));
    EXPECT_EQ(CountRows(frame.GetMakeMsgID(), TB_ITEM), 1);
    EXPECT_EQ(ui.Prompt().ScriptErrors(), QStringList());
}
