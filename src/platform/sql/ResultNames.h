#pragma once

#include "platform/data/TradeSide.h"

// The computed column names of the report statements, as the list fills read
// them (records of a whole SELECT carry bare names). The data-access schema
// types every one of them; kReportResultNames lists them all.

// closing candidates and receipt / payment schedules (the names that differ
// between the sides, and the candidates' figures the closing checks, are in
// TradeSide.h)
inline constexpr char RC_CARRIED[] = "繰越額";
inline constexpr char RC_TAX[] = "消費税";
inline constexpr char RC_TRANSFER_FEE[] = "振込み手数料";
inline constexpr char RC_TRANSFER_AMOUNT[] = "振込額";

// balances
inline constexpr char RC_KIND[] = "タイプ";
inline constexpr char RC_PREV_BALANCE[] = "前回残高";
inline constexpr char RC_BALANCE[] = "今回残高";
inline constexpr char RC_CREDIT_LEFT[] = "限度残額";

// aggregations and transitions
inline constexpr char RC_SALES[] = "売上額";
inline constexpr char RC_PURCHASES[] = "仕入額";
inline constexpr char RC_COST[] = "原価";
inline constexpr char RC_DISCOUNT[] = "値引額";
inline constexpr char RC_OTHER[] = "その他";
inline constexpr char RC_NET_SALES_TOTAL[] = "純売上額";
inline constexpr char RC_NET_PURCHASES_TOTAL[] = "純仕入額";
inline constexpr char RC_PROFIT[] = "粗利益";
inline constexpr char RC_SOLD[] = "総売上数";
inline constexpr char RC_BOUGHT[] = "総仕入数";
inline constexpr char RC_RETURNED[] = "返品数";
inline constexpr char RC_NET_SOLD[] = "純売上数";
inline constexpr char RC_NET_BOUGHT[] = "純仕入数";
inline constexpr char RC_PERIOD[] = "期間";
inline constexpr char RC_YEAR_TOTAL[] = "通期計";

// summary tables: sums by line kind and tax flag
inline constexpr const char* kSalesBreakdownNames[] = {"税抜売上",   "税込売上",   "非課税売上",
                                                       "税抜値引",   "税込値引",   "非課税値引",
                                                       "税抜その他", "税込その他", "非課税その他"};
inline constexpr const char* kPurchaseBreakdownNames[] = {"税抜仕入",   "税込仕入",   "非課税仕入",
                                                          "税抜値引",   "税込値引",   "非課税値引",
                                                          "税抜その他", "税込その他", "非課税その他"};
inline constexpr char RC_TAX_LINES[] = "税額";
inline constexpr char RC_RECEIPT_DISCOUNT[] = "入金値引";
inline constexpr char RC_PAYMENT_DISCOUNT[] = "支払値引";

// stock
inline constexpr char RC_STOCK[] = "在庫数";
inline constexpr char RC_STOCK_GAP[] = "過不足数";
inline constexpr char RC_PREV_STOCK[] = "前回在庫数";
inline constexpr char RC_STOCK_IN_BOUGHT[] = "今回仕入数";
inline constexpr char RC_STOCK_OUT_SOLD[] = "今回出荷数";
inline constexpr char RC_ADJUSTED[] = "調整数";
inline constexpr char RC_STOCK_NOW[] = "今回在庫数";
inline constexpr char RC_LAST_SHIPPED[] = "最終出荷日";

// date range of a table
inline constexpr char RC_OLDEST[] = "最古";
inline constexpr char RC_NEWEST[] = "最新";

inline constexpr const char* kReportResultNames[] = {
    RC_PREV_BILLED,
    RC_PREV_UNPAID,
    RC_RECEIVED,
    RC_PAID,
    RC_CARRIED,
    RC_NET_SALES,
    RC_NET_PURCHASES,
    RC_TAXABLE,
    RC_SLIP_TAX,
    RC_DELIVERIES,
    RC_PURCHASE_SLIPS,
    RC_TAX,
    RC_SALES_DUE,
    RC_PURCHASES_DUE,
    RC_TRANSFER_FEE,
    RC_TRANSFER_AMOUNT,
    RC_OLDEST,
    RC_NEWEST,
    RC_KIND,
    RC_PREV_BALANCE,
    RC_BALANCE,
    RC_CREDIT_LEFT,
    RC_SALES,
    RC_PURCHASES,
    RC_COST,
    RC_DISCOUNT,
    RC_OTHER,
    RC_NET_SALES_TOTAL,
    RC_NET_PURCHASES_TOTAL,
    RC_PROFIT,
    RC_SOLD,
    RC_BOUGHT,
    RC_RETURNED,
    RC_NET_SOLD,
    RC_NET_BOUGHT,
    RC_PERIOD,
    RC_YEAR_TOTAL,
    RC_TAX_LINES,
    RC_RECEIPT_DISCOUNT,
    RC_PAYMENT_DISCOUNT,
    RC_STOCK,
    RC_STOCK_GAP,
    RC_PREV_STOCK,
    RC_STOCK_IN_BOUGHT,
    RC_STOCK_OUT_SOLD,
    RC_ADJUSTED,
    RC_STOCK_NOW,
    RC_LAST_SHIPPED,
};
