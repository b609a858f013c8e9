#include "platform/ui/FakeUi.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "platform/work/LongWork.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <future>
#include <stdexcept>

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
    while (!LongWork::Stopped() && guard.elapsed() < 20000)
        QThread::yieldCurrentThread();
    return LongWork::Stopped();
}

// A click on `button` as the window system hands it over: a press and a
// release, of the mouse in its middle or of the space bar.
void PostClick(QPushButton& button, bool mouse)
{
    const QPointF at = QRectF(button.rect()).center(), global = button.mapToGlobal(at);
    const auto post = [&button](QEvent* event) { QCoreApplication::postEvent(&button, event); };
    if (mouse) {
        post(new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, {}));
        post(new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, {}));
    } else {
        post(new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier));
        post(new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier));
    }
}

} // namespace

// The work runs on a thread of its own; its wait dialog and its boxes are
// done on the window's thread in the order asked, the box's answer going
// back to the work. Work started from such work runs where it is.
TEST(LongWorkRun, TheWorkRunsOffTheWindowThreadAndItsDialogsOnIt)
{
    ScopedFakeUi ui;
    CThreadPrompt prompt;
    IPrompt* old = UiServices::SetPrompt(&prompt);
    prompt.QueueAnswers({IDNO});
    QThread* worker = nullptr;
    QThread* nested = nullptr;
    int answer = 0;
    bool innerRan = false;
    const bool ran = LongWork::Run([&] {
        worker = QThread::currentThread();
        UiServices::Wait().Begin(QStringLiteral("読み込み"), 4, false);
        UiServices::Wait().SetPos(3);
        UiServices::Wait().End();
        answer = UiServices::Prompt().MessageBox(QStringLiteral("続けますか？"), MB_YESNO);
        innerRan = LongWork::Run([&] { nested = QThread::currentThread(); });
        EXPECT_FALSE(LongWork::Stopped());
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
    EXPECT_FALSE(LongWork::Stopped()) << "the window's thread has no stop";
}

// What a work answers, that it was stopped and what it throws all come back
// to the caller of the run, on its thread: beside the window's thread, and
// in place on a worker already.
TEST(LongWorkRun, TheWorksAnswerStopAndExceptionReachItsCaller)
{
    for (const bool beside : {true, false}) {
        SCOPED_TRACE(beside ? "beside the window's thread" : "in place on a worker");
        ScopedFakeUi ui;
        const auto asCaller = [beside](const std::function<void()>& call) {
            beside ? call() : void(LongWork::Run(call));
        };
        asCaller([&] {
            QThread* const caller = QThread::currentThread();
            const auto fails = []() -> int { throw std::runtime_error("ファイルが壊れています"); };
            for (const bool answers : {true, false}) {
                QThread* caught = nullptr;
                try {
                    answers ? void(LongWork::Run(fails)) : void(LongWork::Run([&] { fails(); }));
                } catch (const std::runtime_error& e) {
                    caught = QThread::currentThread();
                    EXPECT_STREQ(e.what(), "ファイルが壊れています");
                }
                EXPECT_EQ(caught, caller) << (answers ? "a work that answers" : "one that answers nothing");
            }
            const auto ran = LongWork::Run(
                [] { return std::pair(QStringLiteral("売上 12,345円"), QThread::currentThread()); });
            EXPECT_EQ(ran.value.first, QStringLiteral("売上 12,345円"));
            EXPECT_EQ(ran.value.second != caller, beside) << "where the work ran";
            EXPECT_FALSE(ran.stopped);
        });
        // Stopped at its wait dialog, the work still answers what it made.
        ui.Wait().SetCancelled(true);
        LongWork::CRan<int> stopped{0, false};
        asCaller([&] {
            stopped = LongWork::Run([] {
                UiServices::Wait().Begin(QStringLiteral("読み込み"), 0, false);
                const int rows = SpinUntilStopped() ? 7 : 0;
                UiServices::Wait().End();
                return rows;
            });
        });
        EXPECT_EQ(stopped.value, 7);
        EXPECT_TRUE(stopped.stopped);
        EXPECT_FALSE(LongWork::Stopped()) << "the window's thread has no stop";
    }
}

// 中止 on the Qt wait dialog, pressed while the work runs, stops it: the work
// sees the stop, the box it then asks for is not shown, and the run says it
// was stopped. The dialog painted and took the mouse's click meanwhile; a
// click on the window meanwhile is dropped.
TEST(LongWorkRun, StopOnTheWaitDialogStopsTheWork)
{
    CFakePrompt prompt;
    IPrompt* old = UiServices::SetPrompt(&prompt);
    QPushButton onWindow;
    onWindow.resize(120, 30);
    onWindow.show();
    int clicks = 0;
    QObject::connect(&onWindow, &QPushButton::clicked, [&clicks] { ++clicks; });
    QString button;
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() != QLatin1String("WaitDialog") || !widget->isVisible())
                continue;
            auto* stop = widget->findChild<QPushButton*>();
            if (stop && stop->isVisible()) {
                button = stop->text();
                PostClick(onWindow, true);
                PostClick(*stop, true);
                clicker.stop();
            }
        }
    });
    clicker.start(10);
    bool seen = false;
    int answer = 0;
    const bool ran = LongWork::Run([&] {
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
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 0);
}

// A click or a key on the window while a work runs is dropped: not carried
// out then, nor once the work ended. The same input clicks the button when
// no work runs, and a modal dialog open before the work takes none either.
TEST(LongWorkRun, InputMadeDuringTheWorkIsDroppedNotReplayed)
{
    for (const bool mouse : {true, false}) {
        for (const bool inDialog : {false, true}) {
            SCOPED_TRACE(std::string(mouse ? "mouse" : "space bar") + (inDialog ? " on a dialog" : ""));
            QDialog dialog;
            dialog.setWindowModality(Qt::ApplicationModal);
            QPushButton button(inDialog ? &dialog : nullptr);
            button.resize(120, 30);
            inDialog ? dialog.show() : button.show();
            int clicks = 0;
            QObject::connect(&button, &QPushButton::clicked, [&clicks] { ++clicks; });
            PostClick(button, mouse);
            QCoreApplication::processEvents();
            ASSERT_EQ(clicks, 1) << "the input does not click the button";
            EXPECT_TRUE(LongWork::Run([&] {
                PostClick(button, mouse);
                LongWork::Ask([] { QCoreApplication::processEvents(); });
            }));
            QCoreApplication::processEvents();
            EXPECT_EQ(clicks, 1) << "carried out while the work ran or after";
        }
    }
}

// A stop answered by a dialog the work never opened is not the work's: a
// work without a wait dialog runs to its end; one that opens its dialog is
// stopped at once.
TEST(LongWorkRun, OnlyTheWorksOwnDialogStopsIt)
{
    ScopedFakeUi ui;
    ui.Wait().SetCancelled(true);
    bool stopped = true;
    EXPECT_TRUE(LongWork::Run([&] { stopped = LongWork::Stopped(); }));
    EXPECT_FALSE(stopped);
    EXPECT_FALSE(LongWork::Run([&] {
        UiServices::Wait().Begin(QStringLiteral("読み込み"), 0, false);
        stopped = SpinUntilStopped();
        UiServices::Wait().End();
    }));
    EXPECT_TRUE(stopped);
    EXPECT_EQ(ui.Wait().Depth(), 0);
}

// 中止 stops the work only where it looks: work that honours the stop ends
// at once, work that ignores it does all it was given; either way the run
// says it was stopped, so that what it made is dropped.
TEST(LongWorkRun, AStopIsHonouredOnlyByWorkThatLooksAtIt)
{
    constexpr int kRows = 500;
    const struct {
        const char* what;
        bool honours;
        int done;
    } cases[] = {{"honoured", true, 0}, {"ignored", false, kRows}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedFakeUi ui;
        ui.Wait().SetCancelled(true);
        int done = 0;
        bool seen = false;
        const bool ran = LongWork::Run([&] {
            UiServices::Wait().Begin(QStringLiteral("読み込み"), kRows, false);
            for (int row = 0; row < kRows && !(c.honours && LongWork::Stopped()); ++row)
                ++done;
            seen = LongWork::Stopped();
            UiServices::Wait().End();
        });
        EXPECT_FALSE(ran);
        EXPECT_TRUE(seen);
        EXPECT_EQ(done, c.done);
        EXPECT_EQ(ui.Wait().Depth(), 0);
        EXPECT_FALSE(LongWork::Stopped()) << "the window's thread has no stop";
    }
}

namespace
{

// A wait dialog that notes the thread each call is made on.
class CThreadWait : public CFakeWait
{
  public:
    void Begin(const QString& text, int total, bool cancellable) override
    {
        m_threads << QThread::currentThread();
        CFakeWait::Begin(text, total, cancellable);
    }
    void SetPos(int pos) override
    {
        m_threads << QThread::currentThread();
        CFakeWait::SetPos(pos);
    }
    void End() override
    {
        m_threads << QThread::currentThread();
        CFakeWait::End();
    }
    QList<QThread*> m_threads;
};

} // namespace

// What the work tells (posted) and asks (waited for), its wait dialog and
// its boxes are all done on the window's thread, in the order told; a report
// told again while the same one still waits is told once.
TEST(LongWorkRun, ReportsAndQuestionsReachTheWindowThreadOnlyInOrder)
{
    CThreadWait wait;
    CThreadPrompt prompt;
    IWaitIndicator* oldWait = UiServices::SetWait(&wait);
    IPrompt* oldPrompt = UiServices::SetPrompt(&prompt);
    prompt.QueueAnswers({IDYES});
    QStringList told;
    QList<QThread*> threads;
    const auto tell = [&](const QString& what) {
        return [&told, &threads, what] {
            told << what;
            threads << QThread::currentThread();
        };
    };
    int answer = 0;
    const int key = 0;
    const bool ran = LongWork::Run([&] {
        UiServices::Wait().Begin(QStringLiteral("読み込み"), 3, false);
        // The window's thread is kept busy until both reports of one key
        // wait, so that the second finds the first on its way.
        std::promise<void> queued;
        const std::shared_future<void> ready = queued.get_future().share();
        LongWork::Post([ready, tell] {
            ready.wait();
            tell(QStringLiteral("busy"))();
        });
        LongWork::Post(tell(QStringLiteral("painted 1")), &key);
        LongWork::Post(tell(QStringLiteral("painted 2")), &key);
        queued.set_value();
        UiServices::Wait().SetPos(2);
        LongWork::Ask(tell(QStringLiteral("asked")));
        answer = UiServices::Prompt().MessageBox(QStringLiteral("続けますか？"), MB_YESNO);
        LongWork::Post(tell(QStringLiteral("painted 3")), &key);
        UiServices::Wait().End();
    });
    UiServices::SetWait(oldWait);
    UiServices::SetPrompt(oldPrompt);
    EXPECT_TRUE(ran);
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(told, QStringList({"busy", "painted 1", "asked", "painted 3"}));
    EXPECT_EQ(wait.Log(), QStringList({QStringLiteral("Begin 読み込み 3"), "Pos 2", "End"}));
    QThread* const window = QThread::currentThread();
    for (const QList<QThread*>& seen : {threads, wait.m_threads, prompt.m_threads}) {
        EXPECT_FALSE(seen.isEmpty());
        for (QThread* thread : seen)
            EXPECT_EQ(thread, window);
    }
}
