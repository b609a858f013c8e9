#include "app/SlipForm.h"
#include "AppHome.h"
#include "platform/forms/FormsTestUtil.h"
#include "platform/forms/PloMainData.h"
#include "platform/ipc/ClipboardFormats.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/ui/FakeUi.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace
{

// Records what would have been started.
class CLaunchRecorder
{
  public:
    CLaunchRecorder()
        : m_old(SetProcessLauncher([this](const QString& program, const QString& text) {
              m_starts << program + u'|' + text;
              return m_bSucceed;
          }))
    {
    }
    ~CLaunchRecorder() { SetProcessLauncher(m_old); }
    CLaunchRecorder(const CLaunchRecorder&) = delete;
    CLaunchRecorder& operator=(const CLaunchRecorder&) = delete;

    bool m_bSucceed = true;
    QStringList m_starts;

  private:
    ProcessLauncher m_old;
};

} // namespace

TEST(SlipForm, ClipboardBlockUnderTheLayoutsFormat)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    QGuiApplication::clipboard()->setText(QStringLiteral("another program's text"));

    CFormPrintList list{{7, QStringLiteral("ab")}};
    const int format = SlipForm::PutSlipListOnClipboard(&list, 3);
    ASSERT_GT(format, 0);
    EXPECT_EQ(uint(format), RegisterClipboardFormat(QStringLiteral("CF_RL_MORVEK3")));
    EXPECT_EQ(GetClipboardBlock(uint(format)), QByteArray::fromHex("01000000"
                                                                   "07000000"
                                                                   "02"
                                                                   "6162"
                                                                   "00"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("another program's text"));

    CFormPrintList longName{{1, QString(300, u'x')}, {2, QStringLiteral("b")}};
    const int other = SlipForm::PutSlipListOnClipboard(&longName, 12);
    ASSERT_GT(other, 0);
    EXPECT_NE(other, format);
    const QByteArray block = GetClipboardBlock(uint(other));
    EXPECT_EQ(block.left(4), QByteArray::fromHex("02000000"));
    EXPECT_EQ(block.mid(8, 3), QByteArray::fromHex("ff2c01"));
    EXPECT_EQ(GetClipboardBlock(uint(format)).size(), 12); // the first list is still there

    CFormPrintList empty;
    ScopedFakeUi ui;
    EXPECT_EQ(SlipForm::PutSlipListOnClipboard(nullptr, 3), -1);
    EXPECT_EQ(SlipForm::PutSlipListOnClipboard(&empty, 3), -1);
    EXPECT_EQ(SlipForm::PutSlipListOnClipboard(&list, -1), -1);
    EXPECT_TRUE(ui.Prompt().Texts().isEmpty());

    // A FileName the slip-form program could never open is refused aloud.
    CFormPrintList unmappable{{1, QStringLiteral("a.vrh")}, {2, QStringLiteral("売😀.vrh")}};
    EXPECT_EQ(SlipForm::PutSlipListOnClipboard(&unmappable, 4), -1);
    EXPECT_EQ(ui.Prompt().Texts(),
              QStringList{QStringLiteral(
                  "伝票ファイル名<売😀.vrh>に使用できない文字「😀」(U+1F600) が含まれています。")});

    // A format that cannot be registered puts nothing on the clipboard.
    const QString registry = home.Root() + QStringLiteral("/MyData/ClipboardFormats.txt");
    ASSERT_TRUE(QFile::remove(registry));
    ASSERT_TRUE(QDir().mkpath(registry)); // a folder where the registry file belongs
    EXPECT_EQ(SlipForm::PutSlipListOnClipboard(&list, 5), -1);
    EXPECT_TRUE(GetClipboardBlock(0xC002).isEmpty());

    FreeStringPtrList(&longName);
    EXPECT_TRUE(longName.isEmpty());
    FreeStringPtrList(nullptr);
}

TEST(SlipForm, CommandLinesOfOpenSlipForm)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CScriptedFormDialogs dialogs;
    CFormCatalog user;
    user.m_layouts = {{60001, 2, 2, 60001, QStringLiteral("自社納品書")}};
    user.m_nNextUserID = 60002;
    ASSERT_TRUE(CPloMainData().SaveUserForms(user));
    const QString program = home.ProgramFolder() + QStringLiteral("/MorvekForm|");
    EXPECT_EQ(SlipForm::ProgramPath(), home.ProgramFolder() + QStringLiteral("/MorvekForm"));

    const struct {
        int kind;
        QString text;
        long layout;
        long pick; // the chooser's answer when it is shown
        int result;
        QString args; // empty: nothing started
        bool chooser;
    } cases[] = {
        {6, {}, 15, 0, 1, QStringLiteral(" /L:15 /C:6 /W:"), false},
        {13, {}, 1301, 0, 1, QStringLiteral(" /L:1301 /C:13 /W:"), false},
        {4, QStringLiteral("04\"A001\""), 401, 0, 1, QStringLiteral(" /L:401 /C:4 /N:04\"A001\""), false},
        {1, {}, 0, 102, 1, QStringLiteral(" /L:102 /C:1"), true},
        {2, {}, 0, 202, 1, QStringLiteral(" /L:202 /C:3"), true}, // form classification 2
        {2, {}, 0, 201, 1, QStringLiteral(" /L:201 /C:2"), true},
        {2, {}, 0, 60001, 1, QStringLiteral(" /L:60001 /C:3"), true}, // a user form of classification 2
        {2, QStringLiteral("03\"C01\""), 202, 0, 1, QStringLiteral(" /L:202 /C:3 /N:03\"C01\""), false},
        {5, {}, 0, 0, 0, {}, true},   // chooser cancelled
        {14, {}, 5, 0, 0, {}, false}, // no such kind
        {0, {}, 0, 0, 0, {}, false},
        {-1, {}, 7, 0, 0, {}, false},
    };
    for (const auto& c : cases) {
        CLaunchRecorder launcher;
        dialogs.m_nPick = c.pick;
        const qsizetype shown = dialogs.m_chooserKinds.size();
        EXPECT_EQ(SlipForm::OpenSlipForm(c.kind, c.text, c.layout), c.result) << c.kind;
        EXPECT_EQ(launcher.m_starts, c.args.isEmpty() ? QStringList() : QStringList{program + c.args})
            << c.kind;
        EXPECT_EQ(dialogs.m_chooserKinds.size() - shown, c.chooser ? 1 : 0) << c.kind;
    }
    EXPECT_TRUE(ui.Prompt().Texts().isEmpty());

    CLaunchRecorder failing;
    failing.m_bSucceed = false;
    EXPECT_EQ(SlipForm::RunSlipFormProgram(QStringLiteral(" /L:1 /C:2")), 0);
    EXPECT_EQ(SlipForm::RunSlipFormProgram(QString()), 0);
    EXPECT_EQ(failing.m_starts.size(), 1);
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("フォーム画面を起動できません")});
}

TEST(SlipForm, NewSlipCommandsShowTheChooserOfTheirKind)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    CScriptedFormDialogs dialogs;
    CLaunchRecorder launcher;
    dialogs.m_nPick = 501;
    for (int id : {32795, 32798, 32801, 32804, 32805})
        SlipForm::OnNewSlipCommand(id, nullptr);
    EXPECT_EQ(dialogs.m_chooserKinds, (QList<int>{1, 2, 4, 5}));
    EXPECT_EQ(launcher.m_starts,
              QStringList{home.ProgramFolder() + QStringLiteral("/MorvekForm| /L:501 /C:5")});
}

TEST(SlipForm, UserFormBackupAndRestoreCommands)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    const QString noForms = QStringLiteral("オリジナルフォームがありません。バックアップを中止します。");
    SlipForm::OnBackupOrgCommand();
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{noForms});
    EXPECT_TRUE(ui.Prompt().PickerCalls().isEmpty());

    QFile damaged(CPloMainData().GetUserCatalogPath());
    ASSERT_TRUE(QDir().mkpath(home.Root() + QStringLiteral("/Org")) && damaged.open(QIODevice::WriteOnly));
    damaged.write("\x05"
                  "Corv");
    damaged.close();
    ui.Prompt().Clear();
    SlipForm::OnBackupOrgCommand();
    EXPECT_EQ(
        ui.Prompt().Texts(),
        QStringList{QStringLiteral("オリジナルフォーム情報を取得できません。\nバックアップできません。")});
    EXPECT_TRUE(ui.Prompt().PickerCalls().isEmpty());

    CFormCatalog user;
    user.m_layouts = {{60001, 6, 1, 60001, QStringLiteral("請求書A")}};
    user.m_nNextUserID = 60002;
    ASSERT_TRUE(CPloMainData().SaveUserForms(user));
    const QString backup = home.Root() + QStringLiteral("/b.vrb");
    ui.Prompt().Clear();
    ui.Prompt().QueueFiles({backup});
    SlipForm::OnBackupOrgCommand();
    ASSERT_EQ(ui.Prompt().PickerCalls().size(), 1);
    const CPickerCall save = ui.Prompt().PickerCalls()[0];
    EXPECT_EQ(save.kind, CPickerCall::Save);
    EXPECT_EQ(save.title, QStringLiteral("ｵﾘｼﾞﾅﾙﾌｫｰﾑ情報のﾊﾞｯｸｱｯﾌﾟ"));
    EXPECT_EQ(save.filter, QStringLiteral("Corvanta／販売ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ(*.vrb)|*.vrb||"));
    EXPECT_TRUE(save.dir.endsWith(QStringLiteral("/ｵﾘｼﾞﾅﾙﾌｫｰﾑ情報.vrb")));
    EXPECT_EQ(ui.Prompt().Calls()[0].icon, MB_ICONINFORMATION);
    EXPECT_TRUE(ui.Prompt().Calls()[0].text.startsWith(
        QStringLiteral("すべてのオリジナルフォームのバックアップをおこないます。\n")));
    EXPECT_TRUE(QFile::exists(backup));

    ASSERT_TRUE(CPloMainData().SaveUserForms(CFormCatalog()));
    ui.Prompt().Clear();
    ui.Prompt().QueueAnswers({IDNO});
    SlipForm::OnRestoreOrgCommand();
    EXPECT_TRUE(ui.Prompt().PickerCalls().isEmpty());
    EXPECT_EQ(ui.Prompt().Calls()[0].defaultButton, IDNO);

    ui.Prompt().QueueAnswers({IDYES});
    ui.Prompt().QueueFiles({backup});
    SlipForm::OnRestoreOrgCommand();
    ASSERT_EQ(ui.Prompt().PickerCalls().size(), 1);
    EXPECT_EQ(ui.Prompt().PickerCalls()[0].title, QStringLiteral("ｵﾘｼﾞﾅﾙﾌｫｰﾑ情報の復元"));
    EXPECT_EQ(ui.Prompt().PickerCalls()[0].filter,
              QStringLiteral("Corvanta／販売ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ(*.vrb)|*.vrb|すべてのﾌｧｲﾙ(*.*)|*.*||"));
    EXPECT_EQ(CPloMainData().GetUserForms(), user.m_layouts);
}
