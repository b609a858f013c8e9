#pragma once

#include <QList>
#include <QString>

#include "platform/forms/SlipListBlock.h"

class QWidget;

// The slips of one batch print, in print order.
using CFormPrintList = QList<CFormPrintItem>;

// Empties a batch list after its hand-over; a missing list is left alone.
void FreeStringPtrList(CFormPrintList* list);

// The hand-over to the slip-form program, which enters, changes and prints
// slips and prints every business document. The frame's members of the
// same names forward here; each call makes its chooser and layout objects on
// the spot.
namespace SlipForm
{

// The slip-form program beside the main program.
QString ProgramPath();

// Starts the slip-form program for a new slip (kinds 1-5, `text` the "/N:"
// partner text or empty) or a work-table document (kinds 6-13). Layout 0
// lets the user choose first. A sales slip on a layout of form
// classification 2 goes as kind 3. Nonzero when the program was started;
// 0 when the user cancelled the chooser, the kind is none of 1-13, or the
// start failed (message shown).
int OpenSlipForm(int kind, const QString& text, long layout);

// 1 when the program was started with the command line; 0 for an empty
// line (nothing shown) or a failed start ("フォーム画面を起動できません").
int RunSlipFormProgram(const QString& commandLine);

// Puts the batch list on the clipboard under the format named
// "CF_RL_MORVEK" + the layout, beside whatever else is there, and answers
// the format's number for " /CLIP:"; -1 for a missing or empty list, a
// negative layout, a FileName without a code page 932 form (the user is
// told) or a format or clipboard that did not take the block.
int PutSlipListOnClipboard(const CFormPrintList* list, long layout);

// The slip kind a new-slip command opens: 32795 quote 1, 32798 sales 2,
// 32801 order 4, 32804 purchase 5; 0 for any other command.
int NewSlipKindOfCommand(int commandId);

// The frame's commands. Each repaints `activeView` (when given) afterwards
// where the menu screen must redraw after a dialog.
void OnNewSlipCommand(int commandId, QWidget* activeView); // 32795, 32798, 32801, 32804
void OnFormCtrlCommand(QWidget* activeView);               // 32994
void OnBackupOrgCommand();                                 // 32995
void OnRestoreOrgCommand();                                // 32996

} // namespace SlipForm
