#pragma once

#include <QList>
#include <QString>

class CMakeMsgID;
struct CTradeSide;

// The table whose rows a list deletes: receipts (14) "Receipt_H", payments
// (16) "Pay_H", stock movements (22) "StockChange"; empty for every other
// mode.
QString ReportDeleteTable(int mode);

// Undoes the side's closings with the IDs `closings` (may be empty) and
// deletes the rows of `table` with the IDs `ids`, 250 IDs a request, all in
// one transaction: a failure rolls every step back. Lines go with their
// header. 1 done; 0 failed, nothing changed and the failure shown.
// `requests` counts the delete requests sent.
int DeleteReportRows(CMakeMsgID& db, const QString& table, const CTradeSide& side, const QList<int>& closings,
                     const QList<int>& ids, int* requests = nullptr);
