#pragma once

#include <functional>

class CMainFrame;

// The entry dialogs of the masters (1 products, 2 customers, 3 suppliers)
// live above the shell; their subsystem registers how each is opened for a
// new record, and the menu screen's "新規登録" commands open them through
// here. A kind without an opener has no such command.
using EntryDialogOpener = std::function<void(CMainFrame&)>;

// Registers (or, with an empty opener, removes) the opener of a kind.
void SetEntryDialogOpener(int masterKind, EntryDialogOpener opener);
bool HasEntryDialogOpener(int masterKind);
// Runs the kind's opener; false when none is registered.
bool OpenEntryDialog(int masterKind, CMainFrame& frame);
