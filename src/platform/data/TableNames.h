#pragma once

// The names every part of the program uses for the database file, its tables
// and the program title. UTF-8, so they convert to QString implicitly.

inline constexpr char DB_FILE_NAME[] = "QXSelvo.vrz";

// masters
inline constexpr char TB_CUSTOMER[] = "Customer";
inline constexpr char TB_ITEM[] = "Item";
inline constexpr char TB_SUPPLIER[] = "Supplier";

// slips: header / body pairs
inline constexpr char TB_ESTIMATE_H[] = "Estimate_H";
inline constexpr char TB_ESTIMATE_B[] = "Estimate_B";
inline constexpr char TB_SALES_H[] = "Sales_H";
inline constexpr char TB_SALES_B[] = "Sales_B";
inline constexpr char TB_ORDER_H[] = "Order_H";
inline constexpr char TB_ORDER_B[] = "Order_B";
inline constexpr char TB_STOCK_H[] = "Stock_H";
inline constexpr char TB_STOCK_B[] = "Stock_B";
inline constexpr char TB_RECEIPT_H[] = "Receipt_H";
inline constexpr char TB_RECEIPT_B[] = "Receipt_B";
inline constexpr char TB_PAY_H[] = "Pay_H";
inline constexpr char TB_PAY_B[] = "Pay_B";

// closings, stock movements, bank, database-wide values
inline constexpr char TB_SALES_CLOSE[] = "Sales_Close";
inline constexpr char TB_STOCK_CLOSE[] = "Stock_Close";
inline constexpr char TB_STOCKCHANGE[] = "StockChange";
inline constexpr char TB_BANK_H[] = "Bank_H";
inline constexpr char TB_BANK_B[] = "Bank_B";
inline constexpr char TB_UTIL[] = "Util";
inline constexpr char TB_SETITEM[] = "SetItem";

// each partner's balance of what was booked to closings, kept by triggers
inline constexpr char TB_SALES_BOOKED[] = "Sales_Booked";
inline constexpr char TB_STOCK_BOOKED[] = "Stock_Booked";

// work tables read by the slip-form program
inline constexpr char TB_WATENA[] = "WAtena";
inline constexpr char TB_WITEM[] = "WItem";
inline constexpr char TB_WSHIME_H[] = "WShime_H";
inline constexpr char TB_WSHIME_B[] = "WShime_B";
inline constexpr char TB_WMOTOCHO_H[] = "WMotocho_H";
inline constexpr char TB_WMOTOCHO_B[] = "WMotocho_B";
inline constexpr char TB_WRECEIPT_H[] = "WReceipt_H";
inline constexpr char TB_WRECEIPT_B[] = "WReceipt_B";
inline constexpr char TB_WBANK_H[] = "WBank_H";
inline constexpr char TB_WBANK_B[] = "WBank_B";

inline constexpr char PROGRAM_TITLE[] = "Corvanta／販売";
