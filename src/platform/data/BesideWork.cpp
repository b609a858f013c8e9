#include "platform/data/BesideWork.h"

#include "platform/data/DataProgress.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>

#include <atomic>
#include <thread>

namespace BesideWork
{

namespace
{

// What the work on another thread tells, handed to the listener on the
// thread that waits for it, in the order told. A long wait calls Working
// often: one on its way is enough.
class CPostedProgress : public IDataProgress
{
  public:
    CPostedProgress(IDataProgress& listener, QObject& waiter) : m_listener(listener), m_waiter(waiter) {}
    IDataProgress& Listener() const { return m_listener; }
    void Begin(int steps) override
    {
        Post([this, steps] { m_listener.Begin(steps); });
    }
    void Step() override
    {
        Post([this] { m_listener.Step(); });
    }
    void Working() override
    {
        if (m_bWorkingPosted.exchange(true))
            return;
        Post([this] {
            m_bWorkingPosted = false;
            m_listener.Working();
        });
    }
    void End() override
    {
        Post([this] { m_listener.End(); });
    }
    void PartsDone(int done, int total) override
    {
        Post([this, done, total] { m_listener.PartsDone(done, total); });
    }

  private:
    template <class F> void Post(F&& tell)
    {
        QMetaObject::invokeMethod(&m_waiter, std::forward<F>(tell), Qt::QueuedConnection);
    }
    IDataProgress& m_listener;
    QObject& m_waiter;
    std::atomic<bool> m_bWorkingPosted{false};
};

// Hears nothing: a listener of another thread's work.
class CNoOne : public IDataProgress
{
};

// The posting listener of the work on this thread; null off a worker.
thread_local CPostedProgress* t_pPosted = nullptr;

} // namespace

bool CanRunBeside()
{
    return !t_pPosted && QAbstractEventDispatcher::instance() != nullptr;
}

int Run(IDataProgress& listener, const std::function<int(IDataProgress& heard)>& work)
{
    if (!CanRunBeside())
        return work(Heard(listener));
    QObject waiter;
    QEventLoop loop;
    CPostedProgress posted(listener, waiter);
    int result = 0;
    std::thread worker([&] {
        t_pPosted = &posted;
        result = work(posted);
        t_pPosted = nullptr;
        QMetaObject::invokeMethod(
            &waiter, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    worker.join();
    // A loop that could not run (the application is quitting) leaves them.
    QCoreApplication::sendPostedEvents(&waiter);
    return result;
}

IDataProgress& Heard(IDataProgress& listener)
{
    static CNoOne noOne;
    if (!t_pPosted)
        return listener;
    if (&t_pPosted->Listener() == &listener)
        return *t_pPosted;
    return noOne;
}

} // namespace BesideWork
