#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Receivables (payables) by customer (supplier): the balance brought forward
// to the start of the period, the period's slips and money, the balance at
// its end. Balances come from slip totals and money by date alone, whatever
// the closings. Every partner of the master is listed, with zeros when it
// had no trade; `activeOnly` keeps those with a non-zero figure (slips,
// money or balance brought forward). A classification field (Class1..Class5)
// is selected and sorted first, its values filter the partners; any other
// field gives no statement.
QString MakeReceivableBalanceSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                                 const QStringList& classValues, bool activeOnly);
QString MakePayableBalanceSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                              const QStringList& classValues, bool activeOnly);
