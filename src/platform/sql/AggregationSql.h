#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Sales and purchase lines summed over a period (both days included) by
// customer or supplier, product, staff member or day / month, and the one-row
// breakdown by line kind and tax flag of the summary tables. Amounts are
// tax-exclusive (Amount less the IncludeTax it contains); line kind 1 is
// goods, 2 discount, 3 other, 9 a tax line (never counted here). Lines are
// taken by their own Date (and partner code), which they carry from their slip.
// Masters without lines are listed with zeros. A classification field
// (Class1..Class5) is selected and sorted first, its values filter the
// master; any other field gives no statement.

// 売上額, 原価, 値引額, その他, 純売上額, 粗利益 (purchases: 仕入額, 値引額, その他, 純仕入額).
QString MakeSalesByCustomerSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                               const QStringList& classValues);
QString MakePurchaseBySupplierSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                                  const QStringList& classValues);

// 総売上数, 返品数 (negative quantities), 純売上数, then the amounts.
QString MakeSalesByItemSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                           const QStringList& classValues);
QString MakePurchaseByItemSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                              const QStringList& classValues);

// Every staff member named on a slip (MyPerson), by the slips' date.
QString MakeSalesByStaffSQL(const QDate& fromDate, const QDate& toDate);
QString MakePurchaseByStaffSQL(const QDate& fromDate, const QDate& toDate);

// One row per day with lines, or per month (期間 the 1st) when `monthly` is set.
QString MakeSalesByPeriodSQL(bool monthly, const QDate& fromDate, const QDate& toDate);
QString MakePurchaseByPeriodSQL(bool monthly, const QDate& fromDate, const QDate& toDate);

// Amounts by kind and tax flag (exclusive, inclusive, non-taxable), the tax
// lines, and the discounts taken on receipts (payments) of the period.
QString MakeSalesTaxBreakdownSQL(const QDate& fromDate, const QDate& toDate);
QString MakePurchaseTaxBreakdownSQL(const QDate& fromDate, const QDate& toDate);
