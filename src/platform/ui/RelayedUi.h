#pragma once

class IPrompt;
class IWaitIndicator;

// The message boxes and the wait dialog as work beside the window's thread
// (LongWork) sees them through UiServices: each call is done on the window's
// thread, in the order made. A box or picker is asked and waited for, and is
// not shown once the user stopped the work (it answers as Enter would); the
// wait dialog's opening is waited for, its other calls are posted. Every
// dialog of such work offers 中止, which stops the work (LongWork::Stopped);
// a dialog of some earlier work does not: its answer is not this work's.
IPrompt& RelayedPrompt();
IWaitIndicator& RelayedWait();
