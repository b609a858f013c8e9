#pragma once

#include "platform/work/LongWork.h"

#include <QtGlobal>

// Hears how a long call of the data access goes, for the wait dialog. A
// data-access object has one listener (CMakeMsgID::SetProgress), which the
// object alone calls, always on the thread that holds the listener (the
// window's): what work beside that thread tells comes posted (LongWork).
// Each call says what it reports, whatever came before it:
class IDataProgress
{
  public:
    virtual ~IDataProgress() = default;
    // The steps that bring a file of an earlier build up to date begin, at
    // an opening or at a write that takes the steps an opening could not:
    // `steps` of them in `parts` parts (each index made is one, a step that
    // makes none is one). Nothing is heard when the file needs no work. They
    // may come inside another long call (a closing's first write): their end
    // ends only their own span.
    virtual void UpgradeBegins(int steps, int parts)
    {
        Q_UNUSED(steps);
        Q_UNUSED(parts);
    }
    // `done` of the upgrade's `parts` are done; a step's last part is done
    // with its step, so `parts` only once all the work is.
    virtual void UpgradePartsDone(int done, int parts)
    {
        Q_UNUSED(done);
        Q_UNUSED(parts);
    }
    // One more of the upgrade's steps is done and committed.
    virtual void UpgradeStepDone() {}
    virtual void UpgradeEnds() {}
    // A closing, its undo, the invoice work tables or the carry-forward:
    // `done` of the call's `total` steps are done (0 as it starts).
    virtual void CallStepsDone(int done, int total)
    {
        Q_UNUSED(done);
        Q_UNUSED(total);
    }
    // A long statement runs: the windows may be painted.
    virtual void StatementRuns() {}
    // The work waits for another program's write to end.
    virtual void WaitingForWriter() {}
};

namespace DataProgress
{

// Tells `listener` (none: nobody) by `tell`: at once on its own thread, posted
// from work beside it. Reports of one `coalesce` key are told once while one
// is on its way.
template <class Call> void Tell(IDataProgress* listener, Call&& tell, const void* coalesce = nullptr)
{
    if (!listener)
        return;
    if (LongWork::OnWorker())
        LongWork::Post([listener, tell] { tell(*listener); }, coalesce);
    else
        tell(*listener);
}

} // namespace DataProgress
