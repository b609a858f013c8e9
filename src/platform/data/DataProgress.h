#pragma once

#include <QtGlobal>

// Hears how a long call of the data access goes, for the wait dialog; every
// call comes on the thread that made the call. A data-access object has one
// listener (CMakeMsgID::SetProgress), which hears all of the kinds below.
//
// An opening that brings a file of an earlier build up to date, or a write
// that takes the steps an opening could not: Begin with the number of
// steps, Step after each, End after the last; the same work counted finer
// in parts by PartsDone, heard with none done before Begin, then as the
// parts are done (each index made is one, a step that makes none is one; a
// step's last part is done with its step, so `total` only once all the work
// is). Nothing is heard when the file needs no work. The steps of a write
// may come inside another long call (a closing's first write): their End
// ends only their own span, and the enclosing call goes on being heard.
//
// A closing, its undo, the invoice work tables and the carry-forward:
// PartsDone with the steps of the call done of its total, as they go.
//
// Working now and then while the work runs on the listener's own thread (a
// long statement, a wait for another program's write), so that the windows
// can be painted; from work beside that thread (BesideWork) it comes posted.
class IDataProgress
{
  public:
    virtual ~IDataProgress() = default;
    virtual void Begin(int steps) { Q_UNUSED(steps); }
    virtual void Step() {}
    virtual void Working() {}
    virtual void End() {}
    virtual void PartsDone(int done, int total)
    {
        Q_UNUSED(done);
        Q_UNUSED(total);
    }
};
