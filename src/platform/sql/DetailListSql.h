#pragma once

#include "platform/data/TradeSide.h"
#include <QDate>

#include <QString>

// The detail lists of a period (each date optional, both days included) on
// the header's Date. Side 0 is sales (customers, receipts, quotes), side 1
// purchases (suppliers, payments, orders).

// One row per receipt (payment), newest first: Company, Section, Name, every
// header field, and for receipts Zip, Address, Keisho, Keisho2. Money of the
// one-time partner that pays a closing (CloseID) is named after that
// closing's first slip; any other after the master.
QString MakeReceiptListSQL(const CTradeSide& side, const QDate& fromDate, const QDate& toDate);

// One row per receipt (payment) line, oldest first, by number and line.
QString MakeReceiptLineListSQL(const CTradeSide& side, const QDate& fromDate, const QDate& toDate);

// One row per sales (purchase) slip line with its header and the TudoFlg of
// its closing (1 when unbilled), by date, slip kind, number and line.
QString MakeSlipLineListSQL(const CTradeSide& side, const QDate& fromDate, const QDate& toDate);

// One row per quote (side 0) or order (side 1) line, by date, number, line.
QString MakeQuoteOrderLineListSQL(const CTradeSide& side, const QDate& fromDate, const QDate& toDate);

// Stock movements with the product's name, by date and number: kind 1 the
// movements of Type 3, any other kind every movement.
QString MakeStockChangeListSQL(const QDate& fromDate, const QDate& toDate, int kind);
