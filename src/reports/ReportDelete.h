#pragma once

#include <QList>
#include <QString>

class CCDSData;
class CMakeMsgID;

// The table whose rows a list deletes: receipts (14) "Receipt_H", payments
// (16) "Pay_H", stock movements (22) "StockChange"; empty for every other
// mode.
QString ReportDeleteTable(int mode);

// Undoes the closings of `closings` (fields "Sales_Close.ID" or
// "Stock_Close.ID"; may be empty) and deletes the rows of `table` with these
// IDs, 250 IDs a request, all in one transaction: a failure rolls every step
// back. Lines go with their header. 1 done; 0 failed, nothing changed and
// the failure shown. `requests` counts the delete requests sent.
int DeleteReportRows(CMakeMsgID& db, const QString& table, const CCDSData& closings, const QList<int>& ids,
                     int* requests = nullptr);
