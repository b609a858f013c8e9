#include "platform/work/LongWork.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace LongWork
{

namespace
{

// A twentieth of a second keeps a stop answered while the work tells nothing.
constexpr std::chrono::milliseconds kWatchEvery(50);

// One run: what its work hands over, guarded by the mutex, and on the
// calling thread its loop and watch.
class CRun
{
  public:
    std::atomic<bool> m_stop{false};

    void Post(std::function<void()> call, const void* coalesce)
    {
        {
            const std::lock_guard lock(m_mutex);
            if (coalesce) {
                if (std::find(m_keys.begin(), m_keys.end(), coalesce) != m_keys.end())
                    return;
                m_keys.push_back(coalesce);
            }
            m_calls.emplace_back(std::move(call), coalesce);
            WakeLocked();
        }
        m_woken.notify_all();
    }

    void Ask(const std::function<void()>& call)
    {
        bool answered = false;
        Post(
            [this, &call, &answered] {
                call();
                {
                    const std::lock_guard lock(m_mutex);
                    answered = true;
                }
                m_woken.notify_all();
            },
            nullptr);
        std::unique_lock lock(m_mutex);
        m_woken.wait(lock, [&answered] { return answered; });
    }

    // The work has ended: it tells nothing more.
    void Finish()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_bFinished = true;
            WakeLocked();
        }
        m_woken.notify_all();
    }

    // Calling thread: does what was handed over, in order, and ends the
    // loop once the work has ended and nothing is left. A call that handles
    // events (a box, the dialog's painting) may come back here: the calls
    // after it wait for it instead.
    void Drain()
    {
        if (m_bDraining)
            return;
        m_bDraining = true;
        for (;;) {
            std::deque<std::pair<std::function<void()>, const void*>> calls;
            {
                const std::lock_guard lock(m_mutex);
                calls = std::exchange(m_calls, {});
                m_keys.clear();
                m_bWakePosted = false;
            }
            if (calls.empty())
                break;
            m_bInCall = true;
            for (auto& call : calls)
                call.first();
            m_bInCall = false;
        }
        m_bDraining = false;
        Watch();
        if (m_pLoop && Ended())
            m_pLoop->quit();
    }

    // Calling thread without a loop: waits a while for calls, then does them.
    void WaitAndDrain()
    {
        {
            std::unique_lock lock(m_mutex);
            m_woken.wait_for(lock, kWatchEvery, [this] { return !m_calls.empty() || m_bFinished; });
        }
        Drain();
    }

    bool Ended()
    {
        const std::lock_guard lock(m_mutex);
        return m_bFinished && m_calls.empty();
    }

    void Watch()
    {
        if (m_watch && !m_stop && m_watch())
            m_stop = true;
    }

    QObject m_receiver; // lives on the calling thread
    QEventLoop* m_pLoop = nullptr;
    std::function<bool()> m_watch;
    int m_nWatches = 0;
    bool m_bInCall = false;

  private:
    void WakeLocked()
    {
        if (std::exchange(m_bWakePosted, true))
            return;
        QMetaObject::invokeMethod(
            &m_receiver, [this] { Drain(); }, Qt::QueuedConnection);
    }

    std::mutex m_mutex;
    std::condition_variable m_woken;
    std::deque<std::pair<std::function<void()>, const void*>> m_calls;
    std::vector<const void*> m_keys;
    bool m_bWakePosted = false;
    bool m_bFinished = false;
    bool m_bDraining = false;
};

// The run whose work this thread does; the run this thread waits for.
thread_local CRun* t_worker = nullptr;
thread_local CRun* t_waiting = nullptr;
// The stop this thread's work looks at.
thread_local const std::atomic<bool>* t_stop = nullptr;

} // namespace

bool CanRunBeside()
{
    return !t_worker && QAbstractEventDispatcher::instance() != nullptr;
}

bool Run(const std::function<void()>& work)
{
    if (!CanRunBeside()) {
        work();
        return !Stopped();
    }
    CRun run;
    QEventLoop loop;
    CRun* const outer = std::exchange(t_waiting, &run);
    // What the work threw is thrown again on this thread once it has ended:
    // escaping its own thread it would end the program.
    std::exception_ptr thrown;
    std::thread worker([&run, &work, &thrown] {
        t_worker = &run;
        t_stop = &run.m_stop;
        try {
            work();
        } catch (...) {
            thrown = std::current_exception();
        }
        t_stop = nullptr;
        t_worker = nullptr;
        run.Finish();
    });
    QTimer watching;
    QObject::connect(&watching, &QTimer::timeout, &run.m_receiver, [&run] { run.Watch(); });
    watching.start(kWatchEvery);
    run.m_pLoop = &loop;
    loop.exec(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    run.m_pLoop = nullptr;
    // A loop that could not run (the application is quitting) still serves
    // the work until it ends.
    while (!run.Ended())
        run.WaitAndDrain();
    worker.join();
    run.Drain();
    t_waiting = outer;
    if (thrown)
        std::rethrow_exception(thrown);
    return !run.m_stop;
}

bool OnWorker()
{
    return t_worker != nullptr;
}

void Post(std::function<void()> call, const void* coalesce)
{
    if (t_worker)
        t_worker->Post(std::move(call), coalesce);
    else
        call();
}

void Ask(const std::function<void()>& call)
{
    if (t_worker)
        t_worker->Ask(call);
    else
        call();
}

bool Stopped()
{
    if (t_stop)
        return t_stop->load(std::memory_order_relaxed);
    return t_waiting && t_waiting->m_bInCall && t_waiting->m_stop;
}

void WatchForStop(std::function<bool()> watch)
{
    if (!t_waiting)
        return;
    ++t_waiting->m_nWatches;
    t_waiting->m_watch = std::move(watch);
    // A stop already answered holds before the work goes on.
    t_waiting->Watch();
}

void StopWatching()
{
    if (t_waiting && t_waiting->m_nWatches > 0 && --t_waiting->m_nWatches == 0)
        t_waiting->m_watch = {};
}

CStopScope::CStopScope(const std::atomic<bool>& stop) : m_pOld(std::exchange(t_stop, &stop)) {}

CStopScope::~CStopScope()
{
    t_stop = m_pOld;
}

} // namespace LongWork
