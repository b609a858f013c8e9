#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Stock of the products whose stock is tracked (StockType 1), computed from
// the opening stock (StockNumber) plus purchased, less sold quantities (lines
// by their own Date; discount lines never count), plus InNumber and less
// OutNumber of every stock movement. With a valid `openingDate` (the day the
// opening stock was counted) only what follows that day counts. A
// classification field (Class1..Class5) is sorted first, its values filter
// the products; any other field gives no statement.

// Stock at the end of `stockDate`: ItemCode, ItemName, 在庫数, StockJustNumber,
// 過不足数, Cost, Class1..Class5, SupplierCode, StockNumber, TaxFlg2.
QString MakeStockListSQL(const QDate& stockDate, const QString& classField, const QStringList& classValues,
                         const QDate& openingDate);

// The period's movements: ItemCode, ItemName, 前回在庫数 (before the period),
// 今回仕入数, 今回出荷数, 調整数 (movements in the period), 今回在庫数,
// 最終出荷日 (the last sale of any date), Class1..Class5, Cost, TaxFlg2.
QString MakeStockMovementSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                             const QStringList& classValues, const QDate& openingDate);

// ItemCode, ItemName, the classification field when given, then the stock at
// the end of each of twelve months, named by the month labels. Empty when
// the start month is not 1..12.
QString MakeStockTransitionSQL(int year, int startMonth, const QString& classField,
                               const QStringList& classValues, const QDate& openingDate);
