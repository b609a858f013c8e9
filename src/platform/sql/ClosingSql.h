#pragma once

#include <QDate>
#include <QString>

// The statements billing rests on: the closing candidates (one row per
// partner with unbilled slips up to the closing date, with the amounts the
// invoice or payment statement needs), the receipt and payment schedules
// (one row per open closing record) and the lists of closings made. The
// report list adds tax and totals.

// Closing candidates of the customers (suppliers) whose closing day is
// `closingDay`, with unbilled slips dated up to `closingDate`. A partner
// closed for the account on that very date is left out.
QString MakeSeikyuSQL(const QDate& closingDate, int closingDay);
QString MakeShiharaiSQL(const QDate& closingDate, int closingDay);

// The same for every partner with unbilled slips up to the date, whatever
// its closing day.
QString MakeSeikyuUpToDateSQL(const QDate& closingDate);
QString MakeShiharaiUpToDateSQL(const QDate& closingDate);

// Receipt (payment) schedule of all open closings, or of one partner's when
// a code is given (compared without ASCII case). A set `withoutCarry` leaves
// the carried-over balance out of the amount due.
QString MakeOpenSalesCloseByCustomer(bool withoutCarry, const QString& customerCode = QString());
QString MakeOpenStockCloseBySupplier(bool withoutCarry, const QString& supplierCode = QString());

// The open closings due on one collection (payment) date; `transferOnly`
// keeps the suppliers paid by transfer.
QString MakeOpenSalesCloseByCollectDate(bool withoutCarry, const QDate& collectDate);
QString MakeOpenStockCloseByCollectDate(bool withoutCarry, const QDate& collectDate, bool transferOnly);

// The closing records made, whose CloseDate lies in the period (null dates
// are open ends), newest first: invoices (payment statements) of the account
// and per-slip invoices with their amounts; a per-slip invoice names its
// slip (HeaderID, FormID, FileName) for printing it again.
QString MakeBilledListSQL(const QDate& fromDate, const QDate& toDate);
QString MakePaidListSQL(const QDate& fromDate, const QDate& toDate);

// The schedule statements behind the four above. `openClosings` is the
// condition choosing the closing records, on their bare column names
// ("Status = 0 AND CustomerCode = 'K1'"); it is built by the four above only.
QString MakeReceiptScheduleSQL(bool withoutCarry, const QString& openClosings);
QString MakePaymentScheduleSQL(bool withoutCarry, const QString& openClosings, bool transferOnly);
