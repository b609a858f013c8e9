// The data object's listener, the ticks of its statements and the long
// calls it runs beside the window's thread.

#include "platform/data/BookedTotals.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/ProgressHandler.h"
#include "platform/data/TradeSide.h"

#include <chrono>

namespace
{

// How often SQLite calls back while a statement runs (in its virtual
// machine's steps), and how often of those calls the listener hears.
constexpr int kTickSteps = 1000;
constexpr qint64 kTickMs = 100;

qint64 NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Work beside the window's thread ends its statement once the user stopped it.
int InterruptWhenStopped(void*)
{
    return LongWork::Stopped() ? 1 : 0;
}

} // namespace

IDataProgress* CMakeMsgID::SetProgress(IDataProgress* progress)
{
    IDataProgress* before = std::exchange(m_pProgress, progress);
    m_nStepsDone = m_nStepsTotal = 0;
    m_nLastTick = NowMs();
    if (!m_pProgress)
        m_pTicks.reset();
    else
        KeepTicking();
    return before;
}

void CMakeMsgID::KeepTicking()
{
    if (m_db && m_pProgress && !m_pTicks)
        m_pTicks = std::make_unique<CProgressHandlerScope>(m_db, kTickSteps, &CMakeMsgID::ProgressTick, this);
}

int CMakeMsgID::ProgressTick(void* self)
{
    auto* me = static_cast<CMakeMsgID*>(self);
    if (me->m_bInTick || !me->m_pProgress)
        return 0;
    const qint64 now = NowMs();
    if (now - me->m_nLastTick < kTickMs)
        return 0;
    me->m_nLastTick = now;
    me->m_bInTick = true;
    // A long wait calls often: one report on its way is enough.
    DataProgress::Tell(
        me->m_pProgress, [](IDataProgress& told) { told.StatementRuns(); }, me);
    me->m_bInTick = false;
    return 0; // never interrupts the statement
}

void CMakeMsgID::BeginSteps(int total)
{
    m_nStepsDone = 0;
    m_nStepsTotal = total;
    if (!m_bInTick)
        TellSteps();
}

void CMakeMsgID::StepDone(int steps)
{
    m_nStepsDone = qMin(m_nStepsDone + steps, m_nStepsTotal);
    m_nLastTick = NowMs();
    if (!m_bInTick)
        TellSteps();
}

void CMakeMsgID::TellSteps()
{
    const int done = m_nStepsDone, total = m_nStepsTotal;
    DataProgress::Tell(m_pProgress, [done, total](IDataProgress& told) { told.CallStepsDone(done, total); });
}

CMakeMsgID::CHeld::CHeld(CMakeMsgID& db, std::thread::id holder, bool active)
    : m_db(db), m_bActive(active), m_bWasHeld(db.m_bHeld), m_wasHolder(db.m_holder)
{
    if (!m_bActive)
        return;
    m_db.m_holder = holder;
    m_db.m_bHeld = true;
}

CMakeMsgID::CHeld::~CHeld()
{
    if (!m_bActive)
        return;
    m_db.m_holder = m_wasHolder;
    m_db.m_bHeld = m_bWasHeld;
}

bool CMakeMsgID::IsHeldElsewhere() const
{
    return m_bHeld && m_holder.load() != std::this_thread::get_id();
}

int CMakeMsgID::Admit(QString& err, bool connected) const
{
    if (IsHeldElsewhere()) {
        err = HeldText();
        return kFailed;
    }
    if (connected && !m_db) {
        err = NoConnectionText();
        return kFatal;
    }
    return kOk;
}

bool CMakeMsgID::Hold(const std::function<void()>& work)
{
    // Held by other work, this caller may not take the object from it: its
    // work runs here, and each of its calls is refused.
    if (IsHeldElsewhere()) {
        work();
        return !LongWork::Stopped();
    }
    // The work holds the object on the thread it runs on: beside this one,
    // or here when this is a worker of the runner already (its own work
    // hands it the connection) or has no event loop.
    const auto run = [this, &work] {
        const CHeld held(*this, std::this_thread::get_id());
        std::unique_ptr<CProgressHandlerScope> stopping;
        if (m_db)
            stopping =
                std::make_unique<CProgressHandlerScope>(m_db, kTickSteps, InterruptWhenStopped, nullptr);
        work();
    };
    if (!LongWork::CanRunBeside()) {
        run();
        return !LongWork::Stopped();
    }
    const CHeld held(*this, std::thread::id());
    return LongWork::Run(run);
}

int CMakeMsgID::RecheckBookedBalances(bool& remade, QString& err)
{
    remade = false;
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    CScopedTransaction run(*this);
    int result = run.Begin(err);
    if (result != kOk)
        return result;
    for (const CTradeSide* side : CTradeSide::Both()) {
        CCDSData request, differing;
        request.m_strCondition = BookedTotals::MismatchSql(*side);
        if ((result = GetDataList(request, differing, err)) != kOk)
            return result;
        StepDone();
        if (differing.GetCount() == 0)
            continue;
        for (const QString& sql : BookedTotals::RefillSql(*side))
            if ((result = Execute(sql, err)) != kOk)
                return result;
        remade = true;
    }
    return run.Commit(err);
}
