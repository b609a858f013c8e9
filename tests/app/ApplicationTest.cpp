#include "AppHome.h"

#include "app/Application.h"
#include "app/MainFrame.h"
#include "platform/data/DbManager.h"
#include "platform/data/MakeMsgID.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "settings/db/DBNameRules.h"
#include "settings/db/DbDialogs.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>

namespace
{

// The name and folder dialog as a user fills it in and presses OK.
class CTypingDialogs : public IDbDialogs
{
  public:
    QString name;
    QString folder;
    int opened = 0;
    int RunNameDialog(CDBNameRules& rules) override
    {
        ++opened;
        rules.SetName(name);
        rules.SetFolder(folder);
        return rules.OnOK() ? IDOK : IDCANCEL;
    }
    bool SelectFolder(const QString&, const QString&, const QString&, QString&) override { return false; }
    bool ConfirmRestore(const QStringList&) override { return false; }
};

TEST(ApplicationTest, FirstStartOnAnEmptyDataRootConnectsTheFirstDatabase)
{
    CAppHome home(false);
    ASSERT_TRUE(home.IsReady());
    ASSERT_FALSE(QFileInfo::exists(home.Root()));
    ScopedFakeUi ui;
    CTypingDialogs dialogs;
    dialogs.name = QStringLiteral("本社");
    dialogs.folder = home.Root() + QStringLiteral("/honsha");
    IDbDialogs* oldDialogs = SetDbDialogs(&dialogs);
    QStringList setup;
    ScopedModalRunner runner([&setup](QDialog& dialog) {
        setup << dialog.windowTitle();
        dialog.reject();
        return int(QDialog::Rejected);
    });

    CTollavineApp app;
    ASSERT_TRUE(app.InitInstance()) << ui.Prompt().Texts().join(u'|').toStdString();
    EXPECT_EQ(dialogs.opened, 1);
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();

    // The new database from the template became current; the user answered
    // the dialog's two questions and was told the result
    QString name, folder;
    ASSERT_EQ(CDBDirMng().GetNowDB(name, folder), 1);
    EXPECT_EQ(name, QStringLiteral("本社"));
    EXPECT_EQ(folder, dialogs.folder);
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/QXSelvo.vrz")).isFile());
    // Its first start asked for the company information and the sales
    // conditions, which took the template's marker away.
    EXPECT_EQ(setup, QStringList({QStringLiteral("自社情報の設定"), QStringLiteral("販売条件の設定")}));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/FTtemp.dat")));
    // (whether to make a database there, whether to make the folder).
    ASSERT_EQ(ui.Prompt().Calls().size(), 3) << ui.Prompt().Texts().join(u'|').toStdString();
    EXPECT_EQ(ui.Prompt().Calls()[0].buttons, MB_YESNO);
    EXPECT_EQ(ui.Prompt().Calls()[1].buttons, MB_YESNO);
    EXPECT_TRUE(ui.Prompt().Calls()[2].text.startsWith(QStringLiteral("使用するﾃﾞｰﾀﾍﾞｰｽを設定しました。")));
    EXPECT_EQ(ui.Prompt().Calls()[2].icon, MB_ICONINFORMATION);

    CMainFrame* frame = app.GetMainFrame();
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->IsConnected());
    EXPECT_EQ(frame->GetViewKind(), 0);
    EXPECT_EQ(frame->GetDatabaseName(), name);

    // A second start while this one runs stops at the instance lock.
    ui.Prompt().Clear();
    {
        CTollavineApp second;
        EXPECT_FALSE(second.InitInstance());
        EXPECT_EQ(ui.Prompt().Texts(),
                  QStringList{QStringLiteral("『Corvanta／販売』は既に起動しています。")});
    }

    // The About box's version: the first digit, a point, the last two.
    EXPECT_EQ(CTollavineApp::FormatVersion(120), QStringLiteral("1.20"));
    EXPECT_EQ(CTollavineApp::FormatVersion(100), QStringLiteral("1.00"));

    // After exit the next start finds its database and asks nothing.
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(app.ExitInstance(), 0);
    ui.Prompt().Clear();
    CTollavineApp again;
    EXPECT_TRUE(again.InitInstance());
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
    EXPECT_EQ(dialogs.opened, 1);
    SetDbDialogs(oldDialogs);

    // Another program holds the database: the connection fails, the frame
    // closes, and the program ends as a failed start.
    CMakeMsgID other;
    CDbManager holder(other);
    ASSERT_EQ(holder.Connect(holder.Register(), folder), CDbManager::kDone);
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(ui.Prompt().Texts(),
              QStringList{QStringLiteral(
                  "このデータベースは、ほかで起動している『Corvanta／販売』、または他のユーザーが"
                  "使用しています。\nそちらを終了してから、もう一度起動してください。\n")});
    EXPECT_FALSE(again.GetMainFrame()->isVisible());
    EXPECT_EQ(again.ExitInstance(), 1);
}

} // namespace
