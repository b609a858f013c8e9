#include "platform/ui/WorkBeside.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace
{

// A scripted prompt that notes the thread each box is asked on.
class CThreadPrompt : public CFakePrompt
{
  public:
    int MessageBox(const QString& text, int buttons, int icon, int defaultButton,
                   const QString& caption) override
    {
        m_threads << QThread::currentThread();
        return CFakePrompt::MessageBox(text, buttons, icon, defaultButton, caption);
    }
    QList<QThread*> m_threads;
};

// Spins until the work is stopped; a guard ends a work that never is, so
// that a fault fails the test instead of holding it.
bool SpinUntilStopped()
{
    QElapsedTimer guard;
    guard.start();
    while (!WorkStopped() && guard.elapsed() < 20000)
        QThread::yieldCurrentThread();
    return WorkStopped();
}

} // namespace

// The work runs on a thread of its own; its wait dialog and its boxes are
// done on the window's thread in the order asked, the box's answer going
// back to the work. Work started from such work runs where it is.
TEST(WorkBeside, TheWorkRunsOffTheWindowThreadAndItsDialogsOnIt)
{
    ScopedFakeUi ui;
    CThreadPrompt prompt;
    IPrompt* old = UiServices::SetPrompt(&prompt);
    prompt.QueueAnswers({IDNO});
    QThread* worker = nullptr;
    QThread* nested = nullptr;
    int answer = 0;
    bool innerRan = false;
    const bool ran = RunBesideWindow([&] {
        worker = QThread::currentThread();
        UiServices::Wait().Begin(QStringLiteral("読み込み"), 4, false);
        UiServices::Wait().SetPos(3);
        UiServices::Wait().End();
        answer = UiServices::Prompt().MessageBox(QStringLiteral("続けますか？"), MB_YESNO);
        innerRan = RunBesideWindow([&] { nested = QThread::currentThread(); });
        EXPECT_FALSE(WorkStopped());
    });
    UiServices::SetPrompt(old);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(innerRan);
    ASSERT_NE(worker, nullptr);
    EXPECT_NE(worker, QThread::currentThread());
    EXPECT_EQ(nested, worker);
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(prompt.m_threads, QList<QThread*>{QThread::currentThread()});
    EXPECT_EQ(ui.Wait().Log(), QStringList({QStringLiteral("Begin 読み込み 4"), "Pos 3", "End"}));
    EXPECT_EQ(ui.Wait().Depth(), 0);
    EXPECT_FALSE(WorkStopped()) << "the window's thread has no stop";
}

// 中止 on the Qt wait dialog, pressed while the work runs, stops it: the work
// sees the stop, the box it then asks for is not shown, and the run says it
// was stopped. The dialog painted and took the click meanwhile.
TEST(WorkBeside, StopOnTheWaitDialogStopsTheWork)
{
    CFakePrompt prompt;
    IPrompt* old = UiServices::SetPrompt(&prompt);
    QString button;
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() != QLatin1String("WaitDialog") || !widget->isVisible())
                continue;
            auto* stop = widget->findChild<QPushButton*>();
            if (stop && stop->isVisible()) {
                button = stop->text();
                stop->click();
                clicker.stop();
            }
        }
    });
    clicker.start(10);
    bool seen = false;
    int answer = 0;
    const bool ran = RunBesideWindow([&] {
        UiServices::Wait().Begin(QStringLiteral("読み込み"), 0, false);
        seen = SpinUntilStopped();
        UiServices::Wait().End();
        answer = UiServices::Prompt().MessageBox(QStringLiteral("形式が正しくありません"), MB_OK);
    });
    UiServices::SetPrompt(old);
    EXPECT_FALSE(ran);
    EXPECT_TRUE(seen);
    EXPECT_EQ(button, QStringLiteral("中止"));
    EXPECT_EQ(answer, IDOK);
    EXPECT_TRUE(prompt.Texts().isEmpty());
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_FALSE(widget->objectName() == QLatin1String("WaitDialog") && widget->isVisible());
}

// A stop answered by a dialog the work never opened is not the work's: a
// work without a wait dialog runs to its end; one that opens its dialog is
// stopped at once.
TEST(WorkBeside, OnlyTheWorksOwnDialogStopsIt)
{
    ScopedFakeUi ui;
    ui.Wait().SetCancelled(true);
    bool stopped = true;
    EXPECT_TRUE(RunBesideWindow([&] { stopped = WorkStopped(); }));
    EXPECT_FALSE(stopped);
    EXPECT_FALSE(RunBesideWindow([&] {
        UiServices::Wait().Begin(QStringLiteral("読み込み"), 0, false);
        stopped = SpinUntilStopped();
        UiServices::Wait().End();
    }));
    EXPECT_TRUE(stopped);
    EXPECT_EQ(ui.Wait().Depth(), 0);
}
