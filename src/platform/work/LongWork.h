#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

// The one runner of long work beside the window's thread: upgrades and
// pending steps, waits, reading files, checks and registration all run
// through it. The work runs on a thread of its own while the calling thread
// (the window's) keeps handling its events, so that its windows paint; user
// input and notices from other programs wait until the work is done, as
// under the wait dialog. Nothing on the worker touches a widget: what the
// work tells or asks is handed to the calling thread (Post, Ask) and done
// there in the order told. The user may stop the work (中止); the work looks
// at Stopped() where it can end cleanly, or runs to its end.
//
// The wait dialog and the message boxes reach the work through UiServices,
// which relays them this way; a data-access object hands its connection to
// the work for its span (CMakeMsgID::RunBeside).
namespace LongWork
{

// True when a work started here would run beside: the thread has events to
// handle and is no worker itself.
bool CanRunBeside();

// Runs `work` beside the calling thread and comes back once it has ended
// and all it told was done. True when it ran to its end, false when the
// user stopped it meanwhile (it ended as it could; whatever it made is to
// be dropped). Where it cannot run beside, it runs here. An exception the
// work throws is thrown again here, once the work has ended.
bool Run(const std::function<void()>& work);

// What a work that answers something answered, and whether the user
// stopped it meanwhile (then the value is what it made as it ended).
template <class T> struct CRan {
    T value;
    bool stopped;
};

// Runs a work that answers a value, as Run above.
template <class F>
requires(!std::is_void_v<std::invoke_result_t<F&>>) CRan<std::invoke_result_t<F&>> Run(F&& work)
{
    using R = std::invoke_result_t<F&>;
    std::optional<R> value;
    const bool ended = Run(std::function<void()>([&value, &work] { value.emplace(work()); }));
    return {std::move(*value), !ended};
}

// True on a worker of Run.
bool OnWorker();

// From a worker: `call` is done on the calling thread of its Run, after
// what was posted before; the work goes on at once. A call posted under a
// `coalesce` key while another of that key still waits is dropped: one on
// its way is enough. Off a worker the call is done at once.
void Post(std::function<void()> call, const void* coalesce = nullptr);

// From a worker: `call` is done on the calling thread of its Run and the
// work waits for it. Off a worker the call is done at once.
void Ask(const std::function<void()>& call);

// True once the user stopped this thread's work; on the calling thread of a
// Run, inside a call its work posted, once that work was stopped; false
// elsewhere. Work looks at it once a row, element or block and then ends as
// failed.
bool Stopped();

// On the calling thread of a Run, inside a call its work posted (its wait
// dialog opening): `watch` is asked after each batch of calls and now and
// then while the work runs, until as many StopWatching as WatchForStop (its
// dialogs closing); once it answers true the work is stopped.
void WatchForStop(std::function<bool()> watch);
void StopWatching();

// Makes `stop` the stop of the work on this thread for the object's span:
// for work that runs where it is under a stop of its caller's own.
class CStopScope
{
  public:
    explicit CStopScope(const std::atomic<bool>& stop);
    ~CStopScope();
    CStopScope(const CStopScope&) = delete;
    CStopScope& operator=(const CStopScope&) = delete;

  private:
    const std::atomic<bool>* m_pOld;
};

} // namespace LongWork
