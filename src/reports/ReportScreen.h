#pragma once

#include "platform/ui/Prompt.h"

#include <QDate>
#include <QList>
#include <QString>

class CCDSData;
class CMakeMsgID;
class QWidget;
struct CReceiptRequest;
struct CStockChangeRequest;

// What a family's controller sees of the screen that shows its list: the
// list and its conditions are the controller's model, this is the rest -
// the rows the user selected, showing what was loaded or changed, another
// mode in the same screen, questions and notices, and the few services of
// the frame that the families' commands use.
class IReportScreen
{
  public:
    virtual ~IReportScreen() = default;

    // The open database.
    virtual CMakeMsgID& Data() const = 0;
    // The closing date and closing day the menu-screen calendar chose (99:
    // the month's end; 0: every day).
    virtual QDate ClosingDate() const = 0;
    virtual int ClosingDay() const = 0;

    // The selected rows, ascending.
    virtual QList<int> GetSelectedRows() const = 0;
    // The same; with none selected, `message` is told.
    virtual QList<int> SelectedRowsOrSay(const QString& message) const = 0;
    virtual void SelectRows(const QList<int>& rows) = 0;

    // The records a loader read become the list's, with their count.
    virtual void ShowLoaded(CCDSData&& records) = 0;
    // The period and count above the list.
    virtual void ShowPeriod(const QString& text) = 0;
    virtual void ShowCount(const QString& text) = 0;
    // The rows made again from the records, the column widths kept.
    virtual void RefreshList() = 0;
    // Rows changed in place (marks, cells) are drawn again.
    virtual void RepaintRows() = 0;
    // No rows on screen, before the records they show are emptied.
    virtual void ClearRows() = 0;
    // Rows (settled or deleted; any order) taken out with their records.
    virtual void RemoveSettledRows(const QList<int>& rows) = 0;
    // The mode shown loaded again by its loader; new conditions that change
    // the columns make them again.
    virtual void ReloadList(bool newColumns) = 0;
    // Another mode in this screen (the detail drilled down to, or the list
    // it came from) with its title, menu, columns and rows.
    virtual void ShowMode(int mode, const QString& title) = 0;
    // The screen gives way to the menu screen.
    virtual void BackToMenu() = 0;

    // A question; the answer is the button chosen (IDOK, IDYES ...).
    virtual int Ask(const QString& question, int buttons, int icon, int defaultButton = 0) const = 0;
    virtual void Tell(const QString& text, int icon = MB_ICONNONE) const = 0;
    // The parent of the family's own dialogs.
    virtual QWidget* DialogParent() = 0;
    // The closing date dialog of a side, and the dialogs other subsystems
    // open for a row; true when the user accepted.
    virtual bool AskClosingDate(bool purchase) = 0;
    virtual bool OpenReceipt(const CReceiptRequest& request) = 0;
    virtual bool OpenStockChange(CStockChangeRequest& request) = 0;
};
