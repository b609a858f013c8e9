#pragma once

#include "platform/data/TableNames.h"

#include <array>

class QString;

// The names each side's figures carry in the results of the report
// statements: 売上 becomes 仕入, 入金 支払, 請求 未払.
inline constexpr char RC_PREV_BILLED[] = "前回請求額";
inline constexpr char RC_PREV_UNPAID[] = "前回未払額";
inline constexpr char RC_RECEIVED[] = "今回入金額";
inline constexpr char RC_PAID[] = "今回支払額";
inline constexpr char RC_NET_SALES[] = "今回税抜売上額";
inline constexpr char RC_NET_PURCHASES[] = "今回税抜仕入額";
inline constexpr char RC_DELIVERIES[] = "納品枚数";
inline constexpr char RC_PURCHASE_SLIPS[] = "仕入枚数";
inline constexpr char RC_SALES_DUE[] = "今回売上額";
inline constexpr char RC_PURCHASES_DUE[] = "今回仕入額";
// Figures of the closing candidates that both sides name alike.
inline constexpr char RC_TAXABLE[] = "今回課税対象額";
inline constexpr char RC_SLIP_TAX[] = "今回算出済み税額";

// One side of the trade: sales (customers, receipts) or purchases
// (suppliers, payments). Every table, field and result name that differs
// between the two is here, so code working on either side names the side
// once and takes the rest from it.
struct CTradeSide {
    int kind;               // 0 sales, 1 purchases
    const char* header;     // "Sales_H" / "Stock_H"
    const char* lines;      // "Sales_B" / "Stock_B"
    const char* money;      // "Receipt_H" / "Pay_H"
    const char* moneyLines; // "Receipt_B" / "Pay_B"
    const char* closing;    // "Sales_Close" / "Stock_Close"
    const char* partner;    // "Customer" / "Supplier"
    const char* code;       // "CustomerCode" / "SupplierCode"
    const char* booked;     // each partner's balance of what is booked to closings
    const char* prevBilled; // 前回請求額 / 前回未払額
    const char* received;   // 今回入金額 / 今回支払額
    const char* netAmount;  // 今回税抜売上額 / 今回税抜仕入額
    const char* dueAmount;  // 今回売上額 / 今回仕入額
    const char* slipCount;  // 納品枚数 / 仕入枚数

    static constexpr const CTradeSide& Sales();
    static constexpr const CTradeSide& Purchases();
    // Sales, then purchases.
    static constexpr const std::array<const CTradeSide*, 2>& Both();
    static constexpr const CTradeSide& Of(bool purchases);
    // A number is not a side: an int that is neither 0 nor 1 would read as
    // one side without a word. Numbers that files keep go through OfKind.
    static const CTradeSide& Of(int) = delete;
    // Kind 0 sales, 1 purchases; null for any other number.
    static constexpr const CTradeSide* OfKind(int kind);
    // The side whose closing table is named, whatever the case; null for any
    // other table.
    static const CTradeSide* OfClosing(const QString& table);

    constexpr bool IsPurchases() const { return kind == 1; }
};

namespace TradeSides
{
inline constexpr CTradeSide kSales{0,
                                   TB_SALES_H,
                                   TB_SALES_B,
                                   TB_RECEIPT_H,
                                   TB_RECEIPT_B,
                                   TB_SALES_CLOSE,
                                   TB_CUSTOMER,
                                   "CustomerCode",
                                   TB_SALES_BOOKED,
                                   RC_PREV_BILLED,
                                   RC_RECEIVED,
                                   RC_NET_SALES,
                                   RC_SALES_DUE,
                                   RC_DELIVERIES};
inline constexpr CTradeSide kPurchases{1,
                                       TB_STOCK_H,
                                       TB_STOCK_B,
                                       TB_PAY_H,
                                       TB_PAY_B,
                                       TB_STOCK_CLOSE,
                                       TB_SUPPLIER,
                                       "SupplierCode",
                                       TB_STOCK_BOOKED,
                                       RC_PREV_UNPAID,
                                       RC_PAID,
                                       RC_NET_PURCHASES,
                                       RC_PURCHASES_DUE,
                                       RC_PURCHASE_SLIPS};
inline constexpr std::array<const CTradeSide*, 2> kBoth{&kSales, &kPurchases};
} // namespace TradeSides

constexpr const CTradeSide& CTradeSide::Sales()
{
    return TradeSides::kSales;
}

constexpr const CTradeSide& CTradeSide::Purchases()
{
    return TradeSides::kPurchases;
}

constexpr const std::array<const CTradeSide*, 2>& CTradeSide::Both()
{
    return TradeSides::kBoth;
}

constexpr const CTradeSide& CTradeSide::Of(bool purchases)
{
    return purchases ? Purchases() : Sales();
}

constexpr const CTradeSide* CTradeSide::OfKind(int kind)
{
    return kind == 0 ? &Sales() : kind == 1 ? &Purchases() : nullptr;
}
