#pragma once

#include <QList>
#include <QString>

class CSlipList;

// The commands of a slip list on its selected rows (ascending row
// numbers). Slips are handed to the slip-form program through the shell's
// hand-over; every message goes through the prompt service. Each command
// answers 1 when it did its work, 0 when it stopped.
class CSlipCommands
{
  public:
    explicit CSlipCommands(CSlipList& list) : m_list(list) {}

    int OnNew();
    int OnModify(const QList<int>& rows);
    // Deletes the slips (their lines with them) in one transaction, then
    // their form files; the list is reloaded. Billed slips are refused.
    int OnDelete(const QList<int>& rows);
    // Quotes and orders: 成立 / 未成立 for the selection, ties go to 成立.
    int OnChangeStatus(const QList<int>& rows);
    // A click on a row's check image: the row alone, or the selection when
    // the row is part of it.
    int OnStateIconClick(int row, const QList<int>& selected);
    // Writes the Status in one transaction; the rows change after it.
    int SetStatusOfRows(const QList<int>& rows, int status);
    int OnBatchPrint(const QList<int>& rows);
    int OnAddressPrint(const QList<int>& rows);
    int OnTranscribe(const QList<int>& rows);
    // Sales slips to the customer product's purchase history.
    int OnExport(const QList<int>& rows);

    // The current database's form file of a slip, found whatever the
    // letter case of "Files" and the name; empty when there is none.
    static QString FindFormFile(const QString& databaseFolder, const QString& fileName);
    // The export memo of a slip: the heading, one line per line record
    // that is not a tax line, the tax; cut to 2000 code page 932 bytes at
    // a character boundary.
    static QString MakeExportMemo(const QList<QStringList>& lines, const QString& tax);

  private:
    CSlipList& m_list;
};
