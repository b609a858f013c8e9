#pragma once

#include <atomic>
#include <functional>

// The reading of a user's file runs beside the window's thread: `work` runs
// on a thread of its own while the window's thread keeps the windows painted
// and the wait dialog answering, with 中止 on it. What the work asks of the
// wait dialog and of the message boxes (through UiServices) is done on the
// window's thread, in the order asked; the work waits for a box's answer.
// Nothing else of the work may touch a widget.
//
// True when the work ran to its end. False when the user pressed 中止 while
// it ran: WorkStopped() turned true for it, it ended as it could, and the
// boxes it asked for after that were not shown (they answered as Enter
// would); whatever it made is to be dropped. Called from work that already
// runs beside the window, the work runs where it is.
bool RunBesideWindow(const std::function<void()>& work);

// True once the user stopped the work on this thread; false on a thread
// that runs no such work (the window's own). Readers look at it once a row,
// element or block and then end as failed.
bool WorkStopped();

// Makes `stop` the stop of this thread's work for the object's lifetime.
class CWorkStopScope
{
  public:
    explicit CWorkStopScope(const std::atomic<bool>& stop);
    ~CWorkStopScope();
    CWorkStopScope(const CWorkStopScope&) = delete;
    CWorkStopScope& operator=(const CWorkStopScope&) = delete;

  private:
    const std::atomic<bool>* m_pOld;
};
