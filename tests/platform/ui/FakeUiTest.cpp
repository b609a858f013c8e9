#include "platform/ui/FakeUi.h"
#include "platform/ui/UiServices.h"

#include <gtest/gtest.h>

TEST(FakePrompt, AnswersFromQueueThenAsEnterWouldAndRecordsEveryCall)
{
    CFakePrompt prompt;
    IPrompt& ui = prompt;
    prompt.QueueAnswers({IDNO, IDCANCEL, IDYES});

    EXPECT_EQ(ui.MessageBox(QStringLiteral("a"), MB_YESNO, MB_ICONQUESTION, IDNO), IDNO);
    EXPECT_EQ(ui.MessageBox(QStringLiteral("b"), MB_YESNOCANCEL, MB_ICONQUESTION), IDCANCEL);
    // A scripted answer the box does not offer is refused and reported.
    EXPECT_EQ(ui.MessageBox(QStringLiteral("c"), MB_OKCANCEL, MB_ICONEXCLAMATION, IDCANCEL), IDCANCEL);
    ASSERT_EQ(prompt.ScriptErrors().size(), 1);
    EXPECT_TRUE(prompt.ScriptErrors().first().endsWith(QStringLiteral(": c")));
    EXPECT_EQ(prompt.PendingAnswers(), 0);

    // Queue empty: the default button, else the first one.
    EXPECT_EQ(ui.MessageBox(QStringLiteral("d"), MB_YESNO, MB_ICONQUESTION, IDNO), IDNO);
    EXPECT_EQ(ui.MessageBox(QStringLiteral("e"), MB_YESNOCANCEL, MB_ICONQUESTION), IDYES);
    EXPECT_EQ(ui.MessageBox(QStringLiteral("f"), MB_OKCANCEL, MB_ICONQUESTION, IDCANCEL), IDCANCEL);
    EXPECT_EQ(ui.MessageBox(QStringLiteral("g"), MB_OKCANCEL), IDOK);
    EXPECT_EQ(ui.MessageBox(QStringLiteral("h")), IDOK);
    // A default naming a button the box lacks falls back to the first.
    EXPECT_EQ(ui.MessageBox(QStringLiteral("i"), MB_OK, MB_ICONNONE, IDNO), IDOK);

    ASSERT_EQ(prompt.Calls().size(), 9);
    EXPECT_EQ(prompt.Texts().join(QString()), QStringLiteral("abcdefghi"));
    const CPromptCall& first = prompt.Calls().first();
    EXPECT_EQ(first.buttons, MB_YESNO);
    EXPECT_EQ(first.icon, MB_ICONQUESTION);
    EXPECT_EQ(first.defaultButton, IDNO);
    EXPECT_EQ(first.caption, QStringLiteral(u"Corvanta／販売"));
    ui.MessageBox(QStringLiteral("j"), MB_YESNO, MB_ICONQUESTION, IDNO, QStringLiteral(u"桁数変更"));
    EXPECT_EQ(prompt.Calls().last().caption, QStringLiteral(u"桁数変更"));
    EXPECT_EQ(prompt.Calls()[2].icon, MB_ICONWARNING);

    prompt.Clear();
    EXPECT_TRUE(prompt.Calls().isEmpty());
    EXPECT_TRUE(prompt.ScriptErrors().isEmpty());
}

TEST(FakePrompt, PickersAnswerFromTheirQueuesAndEmptyMeansCancelled)
{
    CFakePrompt prompt;
    IPrompt& ui = prompt;
    prompt.QueueFiles({QStringLiteral("/tmp/a.vrb"), QStringLiteral("/tmp/b.csv")});
    prompt.QueueFolders({QStringLiteral("/tmp/backup")});
    const QString filter = QStringLiteral(u"ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ(*.vrb)|*.vrb||");

    EXPECT_EQ(ui.GetOpenFileName(QStringLiteral(u"復元"), QStringLiteral("/home"), filter),
              QStringLiteral("/tmp/a.vrb"));
    EXPECT_EQ(ui.GetSaveFileName(QStringLiteral(u"保存"), QStringLiteral("/home/x.csv"), QString(),
                                 QStringLiteral("csv")),
              QStringLiteral("/tmp/b.csv"));
    EXPECT_EQ(ui.GetSaveFileName(QStringLiteral(u"保存"), QString(), QString()), QString());
    EXPECT_EQ(ui.GetFolder(QStringLiteral(u"フォルダ"), QStringLiteral("/srv")),
              QStringLiteral("/tmp/backup"));
    EXPECT_EQ(ui.GetFolder(QStringLiteral(u"フォルダ"), QString()), QString());

    const QList<CPickerCall>& calls = prompt.PickerCalls();
    ASSERT_EQ(calls.size(), 5);
    EXPECT_EQ(calls[0].kind, CPickerCall::Open);
    EXPECT_EQ(calls[0].title, QStringLiteral(u"復元"));
    EXPECT_EQ(calls[0].dir, QStringLiteral("/home"));
    EXPECT_EQ(calls[0].filter, filter);
    EXPECT_EQ(calls[1].kind, CPickerCall::Save);
    EXPECT_EQ(calls[3].kind, CPickerCall::Folder);
    EXPECT_EQ(calls[3].dir, QStringLiteral("/srv"));
    EXPECT_TRUE(prompt.Calls().isEmpty());
}

TEST(ScopedFakeUi, InstallsAllFakesAndRestoresWhatWasThere)
{
    IPrompt* qtPrompt = &UiServices::Prompt();
    IWaitIndicator* qtWait = &UiServices::Wait();
    IClock* qtClock = &UiServices::Clock();
    IHelp* qtHelp = &UiServices::Help();
    EXPECT_NE(dynamic_cast<CQtPrompt*>(qtPrompt), nullptr);
    EXPECT_NE(dynamic_cast<CQtWaitIndicator*>(qtWait), nullptr);
    {
        ScopedFakeUi outer;
        outer.Clock().SetToday(QDate(2023, 12, 31));
        EXPECT_EQ(&UiServices::Prompt(), &outer.Prompt());
        EXPECT_EQ(UiServices::Clock().Today(), QDate(2023, 12, 31));
        {
            ScopedFakeUi inner;
            EXPECT_EQ(&UiServices::Wait(), &inner.Wait());
            UiServices::Prompt().MessageBox(QStringLiteral("inner"));
            UiServices::Help().ShowTopic(1505);
            EXPECT_EQ(inner.Prompt().Texts(), QStringList{QStringLiteral("inner")});
            EXPECT_EQ(inner.Help().Topics(), QList<int>{1505});
        }
        EXPECT_EQ(&UiServices::Prompt(), &outer.Prompt());
        EXPECT_EQ(&UiServices::Wait(), &outer.Wait());
        EXPECT_EQ(&UiServices::Help(), &outer.Help());
        EXPECT_TRUE(outer.Prompt().Calls().isEmpty());
        EXPECT_TRUE(outer.Help().Topics().isEmpty());
    }
    EXPECT_EQ(&UiServices::Prompt(), qtPrompt);
    EXPECT_EQ(&UiServices::Wait(), qtWait);
    EXPECT_EQ(&UiServices::Clock(), qtClock);
    EXPECT_EQ(&UiServices::Help(), qtHelp);
}

TEST(WaitDlg, ShowsThroughTheInstalledServiceAndClosesOnce)
{
    ScopedFakeUi ui;
    {
        CWaitDlg outer(0);
        {
            CWaitDlg inner(3, QStringLiteral(u"読込中"));
            UiServices::Wait().Step();
            UiServices::Wait().Step(2);
            EXPECT_EQ(ui.Wait().Depth(), 2);
            inner.DestroyWindow();
            EXPECT_EQ(ui.Wait().Depth(), 1);
        } // no second End for inner
        EXPECT_EQ(ui.Wait().Depth(), 1);
    }
    EXPECT_EQ(ui.Wait().Depth(), 0);
    EXPECT_EQ(ui.Wait().Log(),
              (QStringList{QStringLiteral(u"Begin しばらくお待ちください。 0"),
                           QStringLiteral(u"Begin 読込中 3"), QStringLiteral("Pos 1"),
                           QStringLiteral("Pos 3"), QStringLiteral("End"), QStringLiteral("End")}));
    ui.Wait().End();
    EXPECT_EQ(ui.Wait().Log().last(), QStringLiteral("End without Begin"));
}
