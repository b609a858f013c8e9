#include "platform/ui/WorkBeside.h"

#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace
{

// A twentieth of a second keeps a window alive.
constexpr std::chrono::milliseconds kPaintEvery(50);

thread_local const std::atomic<bool>* t_stop = nullptr;

// What the work asks of the window's thread, handed over in order; and, on
// the window's thread, the wait dialogs the work has open and whether the
// user stopped it.
class CBeside
{
  public:
    std::atomic<bool> m_stop{false};

    void Post(std::function<void()> call)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(call));
        }
        m_woken.notify_all();
    }

    // Runs `call` on the window's thread and comes back once it has run.
    void Ask(const std::function<void()>& call)
    {
        bool answered = false;
        Post([this, &call, &answered] {
            call();
            {
                const std::lock_guard lock(m_mutex);
                answered = true;
            }
            m_woken.notify_all();
        });
        std::unique_lock lock(m_mutex);
        m_woken.wait(lock, [&answered] { return answered; });
    }

    // The work has ended: it posts nothing more.
    void Finish()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_bDone = true;
        }
        m_woken.notify_all();
    }

    // The calls posted since the last take, waiting up to `wait` for the
    // first; `done` once the work has ended and every call is taken.
    std::deque<std::function<void()>> Take(std::chrono::milliseconds wait, bool& done)
    {
        std::unique_lock lock(m_mutex);
        m_woken.wait_for(lock, wait, [this] { return !m_calls.empty() || m_bDone; });
        done = m_bDone;
        return std::exchange(m_calls, {});
    }

    // Window's thread: the dialog the work opened is asked for 中止 (which
    // lets it paint). A dialog of some earlier work is not asked: its
    // answer is not this work's.
    void Watch()
    {
        if (m_nDepth > 0 && !m_bCancelled && UiServices::Wait().IsCancelled()) {
            m_bCancelled = true;
            m_stop = true;
        }
    }

    int m_nDepth = 0;
    bool m_bCancelled = false;

  private:
    std::mutex m_mutex;
    std::condition_variable m_woken;
    std::deque<std::function<void()>> m_calls;
    bool m_bDone = false;
};

thread_local CBeside* t_beside = nullptr;

// The wait dialog as the work sees it: each call is made on the window's
// thread, where every dialog of the work offers 中止.
class CBesideWait : public IWaitIndicator
{
  public:
    explicit CBesideWait(CBeside& beside) : m_beside(beside) {}
    void Begin(const QString& text, int total, bool) override
    {
        // The calls may run after this object is gone: they hold the runner's.
        m_beside.Post([beside = &m_beside, text, total] {
            UiServices::Wait().Begin(text, total, true);
            ++beside->m_nDepth;
            beside->Watch();
        });
    }
    void SetText(const QString& text) override
    {
        m_beside.Post([text] { UiServices::Wait().SetText(text); });
    }
    void SetPos(int pos) override
    {
        m_beside.Post([pos] { UiServices::Wait().SetPos(pos); });
    }
    void Step(int n) override
    {
        m_beside.Post([n] { UiServices::Wait().Step(n); });
    }
    void End() override
    {
        m_beside.Post([beside = &m_beside] {
            UiServices::Wait().End();
            beside->m_nDepth = qMax(0, beside->m_nDepth - 1);
        });
    }
    bool IsCancelled() override { return m_beside.m_stop; }

  private:
    CBeside& m_beside;
};

// The message boxes and pickers as the work sees them: asked on the
// window's thread, unless the work was stopped.
class CBesidePrompt : public IPrompt
{
  public:
    explicit CBesidePrompt(CBeside& beside) : m_beside(beside) {}
    int MessageBox(const QString& text, int buttons, int icon, int defaultButton,
                   const QString& caption) override
    {
        int answer = PromptDefaultAnswer(buttons, defaultButton);
        m_beside.Ask([&] {
            if (!m_beside.m_stop)
                answer = UiServices::Prompt().MessageBox(text, buttons, icon, defaultButton, caption);
        });
        return answer;
    }
    QString GetOpenFileName(const QString& title, const QString& dir, const QString& filter) override
    {
        return Pick([&] { return UiServices::Prompt().GetOpenFileName(title, dir, filter); });
    }
    QString GetSaveFileName(const QString& title, const QString& dir, const QString& filter,
                            const QString& defaultSuffix) override
    {
        return Pick([&] { return UiServices::Prompt().GetSaveFileName(title, dir, filter, defaultSuffix); });
    }
    QString GetFolder(const QString& title, const QString& startDir) override
    {
        return Pick([&] { return UiServices::Prompt().GetFolder(title, startDir); });
    }

  private:
    QString Pick(const std::function<QString()>& pick)
    {
        QString chosen;
        m_beside.Ask([&] {
            if (!m_beside.m_stop)
                chosen = pick();
        });
        return chosen;
    }
    CBeside& m_beside;
};

} // namespace

bool RunBesideWindow(const std::function<void()>& work)
{
    if (t_beside) {
        work();
        return !WorkStopped();
    }
    CBeside beside;
    std::thread worker([&beside, &work] {
        t_beside = &beside;
        const CWorkStopScope stop(beside.m_stop);
        CBesideWait wait(beside);
        CBesidePrompt prompt(beside);
        UiServices::SetThreadServices(&prompt, &wait);
        work();
        UiServices::SetThreadServices(nullptr, nullptr);
        t_beside = nullptr;
        beside.Finish();
    });
    // Without a dialog of the work up, the windows still paint; user input
    // and notices from other programs wait until the work is done, as under
    // the wait dialog.
    const QCoreApplication* app = QCoreApplication::instance();
    const bool paints = app && app->thread() == QThread::currentThread();
    for (bool done = false; !done;) {
        for (const std::function<void()>& call : beside.Take(kPaintEvery, done))
            call();
        beside.Watch();
        if (paints && beside.m_nDepth == 0 && !done)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::ExcludeSocketNotifiers);
    }
    worker.join();
    return !beside.m_bCancelled;
}

bool WorkStopped()
{
    return t_stop && t_stop->load(std::memory_order_relaxed);
}

CWorkStopScope::CWorkStopScope(const std::atomic<bool>& stop) : m_pOld(std::exchange(t_stop, &stop)) {}

CWorkStopScope::~CWorkStopScope()
{
    t_stop = m_pOld;
}
