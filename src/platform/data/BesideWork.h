#pragma once

#include <functional>

class IDataProgress;

// Long work of the data access beside the calling thread (the window's): the
// work runs on a thread of its own while the calling thread keeps handling
// its events, so that its windows paint and the wait dialog moves even while
// an index is sorted or another program's write is waited out. The calling
// thread takes no user input and no notices from other programs meanwhile:
// they wait until the work is done, as under the wait dialog.
//
// Nothing on the worker thread calls the listener: what the work tells is
// posted to the calling thread and heard there, in the order told (Working
// at most once on its way). Only the work may use its connection meanwhile.
namespace BesideWork
{

// The calling thread has events to keep handling, and is no worker itself:
// else the work runs on it.
bool CanRunBeside();

// Runs `work` beside, handing it the listener to tell, and answers what it
// answers.
int Run(IDataProgress& listener, const std::function<int(IDataProgress& heard)>& work);

// Whom to tell on this thread for `listener`: on a worker of Run for it, the
// one that posts to it; on a worker of Run for another, no one; elsewhere
// the listener itself. For callbacks of SQLite (a busy or progress handler)
// that run on whatever thread the statement runs on.
IDataProgress& Heard(IDataProgress& listener);

} // namespace BesideWork
