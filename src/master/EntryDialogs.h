#pragma once

class CMainFrame;
class COneRecord;
class CViewRegistry;
class QWidget;

// The entry dialog of a master kind (1 products, 2 customers, 3 suppliers):
// for a new record (none given) or for a record of the list. False when the
// kind has no entry dialog.
bool HasMasterEntryDialog(int kind);
bool RunMasterEntryDialog(int kind, const COneRecord* record, QWidget* parent);
// Registers with the shell the dialogs that the menu screen's "新規登録" and
// "抽出" open.
void RegisterMasterEntryDialogs(CViewRegistry& registry);
