#pragma once

class CMainFrame;
class COneRecord;
class CViewRegistry;
class QWidget;
struct CMasterKind;

// The entry dialog of a ledger: for a new record (none given) or for a
// record of the list.
void RunMasterEntryDialog(const CMasterKind& kind, const COneRecord* record, QWidget* parent);
// Registers with the shell the dialogs that the menu screen's "新規登録" and
// "抽出" open.
void RegisterMasterEntryDialogs(CViewRegistry& registry);
