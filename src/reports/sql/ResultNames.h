#pragma once

// The computed column names of the report statements, as the list fills read
// them (records of a whole SELECT carry bare names). The data-access schema
// types every one of them; kReportResultNames lists them all.

// closing candidates and receipt / payment schedules
inline constexpr char RC_PREV_BILLED[] = "前回請求額";
inline constexpr char RC_PREV_UNPAID[] = "前回未払額";
inline constexpr char RC_RECEIVED[] = "今回入金額";
inline constexpr char RC_PAID[] = "今回支払額";
inline constexpr char RC_CARRIED[] = "繰越額";
inline constexpr char RC_NET_SALES[] = "今回税抜売上額";
inline constexpr char RC_NET_PURCHASES[] = "今回税抜仕入額";
inline constexpr char RC_TAXABLE[] = "今回課税対象額";
inline constexpr char RC_SLIP_TAX[] = "今回算出済み税額";
inline constexpr char RC_DELIVERIES[] = "納品枚数";
inline constexpr char RC_PURCHASE_SLIPS[] = "仕入枚数";
inline constexpr char RC_TAX[] = "消費税";
inline constexpr char RC_SALES_DUE[] = "今回売上額";
inline constexpr char RC_PURCHASES_DUE[] = "今回仕入額";
inline constexpr char RC_TRANSFER_FEE[] = "振込み手数料";
inline constexpr char RC_TRANSFER_AMOUNT[] = "振込額";

// date range of a table
inline constexpr char RC_OLDEST[] = "最古";
inline constexpr char RC_NEWEST[] = "最新";

inline constexpr const char* kReportResultNames[] = {
    RC_PREV_BILLED, RC_PREV_UNPAID,  RC_RECEIVED,      RC_PAID,          RC_CARRIED,
    RC_NET_SALES,   RC_NET_PURCHASES, RC_TAXABLE,      RC_SLIP_TAX,      RC_DELIVERIES,
    RC_PURCHASE_SLIPS, RC_TAX,        RC_SALES_DUE,    RC_PURCHASES_DUE, RC_TRANSFER_FEE,
    RC_TRANSFER_AMOUNT, RC_OLDEST,    RC_NEWEST,
};
