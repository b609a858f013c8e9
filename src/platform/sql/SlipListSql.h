#pragma once

#include <QDate>
#include <QString>

// The slip list's query for a period. For "Sales_H" and "Stock_H" a whole
// statement: every header field and the TudoFlg of its closing (1 when the
// slip is unbilled). For "Estimate_H" and "Order_H" the tail (WHERE, ORDER
// BY) of a request for that table.
//   from, to   optional (null dates), both days included;
//   order      1 by date, 2 newest first (date, then ID descending), else none;
//   slipKind   -1 every slip, 0 or 1 that DenpyoType (quotes and orders have
//              no kind and ignore it).
// Empty when there is nothing to query: a date the database cannot hold
// (year outside 1..9999), a from date after the to date, an unknown table.
QString MakeSlipListSQL(const QDate& fromDate, const QDate& toDate, int order, int slipKind,
                        const QString& table);

// The oldest and newest date of a slip, money, closing or stock movement
// table (its Date), or of a master (first StartDate, last LastUpdate), as
// the columns 最古 and 最新. Empty for any other table.
QString MakeDateRangeSQL(const QString& table);
