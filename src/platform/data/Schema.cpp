#include "platform/data/Schema.h"
#include "platform/data/BookedTotals.h"
#include "platform/data/SchemaSteps.h"

#include "platform/data/SqlText.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <iterator>

namespace Schema
{
namespace
{

constexpr FieldDef Id()
{
    return {"ID", kInteger, 0, false, false};
}
constexpr FieldDef Text(const char* n, int limit = 0)
{
    return {n, kText, limit, false, false};
}
constexpr FieldDef Code(const char* n, int limit)
{
    return {n, kText, limit, false, true};
}
constexpr FieldDef Date(const char* n)
{
    return {n, kDate, 0, false, false};
}
constexpr FieldDef DateTime(const char* n)
{
    return {n, kDate, 0, true, false};
}
constexpr FieldDef Money(const char* n)
{
    return {n, kMoney, 0, false, false};
}
constexpr FieldDef Int(const char* n)
{
    return {n, kInteger, 0, false, false};
}

template <std::size_t... N> constexpr auto Cat(const std::array<FieldDef, N>&... parts)
{
    std::array<FieldDef, (N + ...)> all{};
    std::size_t i = 0;
    ((std::copy(parts.begin(), parts.end(), all.begin() + i), i += parts.size()), ...);
    return all;
}

// ---- masters ----------------------------------------------------------------

constexpr std::array kPartnerName{Text("Company", 100),
                                  Text("Section", 100),
                                  Text("Name", 50),
                                  Text("Keisho", 10),
                                  Text("Keisho2", 10),
                                  Text("PhoenicCompany", 100),
                                  Text("PhoenicPerson", 50),
                                  Text("Zip", 10),
                                  Text("Address", 255),
                                  Text("TEL", 20),
                                  Text("FAX", 20),
                                  Text("E-mail", 255),
                                  Int("Day"),
                                  Int("TaxType"),
                                  Int("TaxRoundType"),
                                  Int("RoundType")};

constexpr std::array kClasses{Text("Class1", 100), Text("Class2", 100), Text("Class3", 100),
                              Text("Class4", 100), Text("Class5", 100)};

constexpr std::array kPartnerTail{Text("OnesCode", 20),  Text("MyPerson", 30),   Text("Memo", 255),
                                  DateTime("StartDate"), DateTime("LastUpdate"), Int("FormID")};

constexpr auto kCustomer = Cat(std::array{Id(), Code("CustomerCode", 20)}, kPartnerName,
                               std::array{Money("Percent"), Int("CollectCycle"), Int("CollectDay"),
                                          Money("Collect"), Text("CollectType"), Money("Ceiling")},
                               kClasses, kPartnerTail);

constexpr auto kSupplier =
    Cat(std::array{Id(), Code("SupplierCode", 20)}, kPartnerName,
        std::array{Int("CollectCycle"), Int("CollectDay"), Money("Collect"), Text("CollectType"),
                   Text("Bank", 50), Text("BankCode", 10), Text("BankBranch", 50), Text("BankBranchCode", 10),
                   Int("BankAccountType"), Text("BankNumber", 10), Text("BankOnesName", 100),
                   Text("BankOnesPhoenic", 100), Int("BankFee"), Int("PaymentType"), Int("BankType")},
        kClasses, kPartnerTail);

constexpr auto kItem =
    Cat(std::array{Id(), Int("ItemType"), Code("ItemCode", 100), Text("ItemName", 255), Text("Phoenic", 255),
                   Text("Unit", 20), Int("TaxFlg"), Money("Price"), Int("TaxFlg2"), Money("Cost"),
                   Money("FixPrice"), Int("StockType"), Money("StockNumber"), Money("StockJustNumber"),
                   Int("SetItem"), Text("SupplierCode", 20), Text("Remarks", 50)},
        kClasses,
        std::array{Text("JANCode", 20), DateTime("StartDate"), DateTime("LastUpdate"), Int("TaxFlgYobi1"),
                   Int("TaxFlgYobi2"), Int("YobiInt"), Money("PriceYobi1"), Money("PriceYobi2")});

// ---- slips ------------------------------------------------------------------

constexpr std::array<FieldDef, 14> SlipHeader(const char* partnerCode)
{
    return {Id(),
            Date("Date"),
            Text("No", 20),
            Text(partnerCode, 20),
            Text("Company", 100),
            Text("Section", 100),
            Text("Name", 50),
            Text("Keisho", 10),
            Text("Keisho2", 10),
            Text("Zip", 10),
            Text("Address", 255),
            Text("MyPerson", 30),
            Int("FormID"),
            Text("FileName", 255)};
}

constexpr auto kEstimateH =
    Cat(SlipHeader("CustomerCode"),
        std::array{Int("Status"), Money("Amount"), Money("Tax"), Money("Total"), Text("Title")});

constexpr auto kSalesH = Cat(SlipHeader("CustomerCode"),
                             std::array{Text("TEL", 20), Int("DenpyoType"), Int("TaxType"), Money("Amount"),
                                        Money("AmountNoTax"), Money("Tax"), Money("Total"), Int("SeikyuID")});

constexpr auto kOrderH =
    Cat(SlipHeader("SupplierCode"), std::array{Int("Status"), Money("Total"), Date("Limit")});

constexpr auto kStockH = Cat(SlipHeader("SupplierCode"),
                             std::array{Text("TEL", 20), Int("DenpyoType"), Int("TaxType"), Money("Amount"),
                                        Money("AmountNoTax"), Money("Tax"), Money("Total"), Int("SeikyuID")});

// Quote lines have the same fields as sales lines; order lines as purchase lines.
constexpr std::array kSalesLine{Id(),
                                Int("HeaderID"),
                                Int("LineNo"),
                                Date("Date"),
                                Text("CustomerCode", 20),
                                Int("ItemType"),
                                Int("TaxFlg"),
                                Int("TaxFlg2"),
                                Text("ItemCode", 100),
                                Text("ItemName", 255),
                                Money("Number"),
                                Text("Unit", 20),
                                Money("Price"),
                                Money("Amount"),
                                Money("IncludeTax"),
                                Money("Amount2"),
                                Money("IncludeTax2"),
                                Money("Cost"),
                                Text("Remarks", 50),
                                Money("Tax")};

constexpr std::array kPurchaseLine{Id(),
                                   Int("HeaderID"),
                                   Int("LineNo"),
                                   Date("Date"),
                                   Text("SupplierCode", 20),
                                   Int("ItemType"),
                                   Int("TaxFlg"),
                                   Text("ItemCode", 100),
                                   Text("ItemName", 255),
                                   Money("Number"),
                                   Text("Unit", 20),
                                   Money("Price"),
                                   Money("Amount"),
                                   Money("IncludeTax"),
                                   Text("Remarks", 50),
                                   Money("Tax")};

// ---- receipts, payments, closings, stock, bank ------------------------------

constexpr std::array kReceiptH{Id(),
                               Text("No", 20),
                               Date("Date"),
                               Text("CustomerCode", 20),
                               Money("Amount"),
                               Text("MyPerson", 30),
                               Int("SeikyuID"),
                               Money("Bill"),
                               Int("CloseID")};

constexpr std::array kPayH{Id(),
                           Text("No", 20),
                           Date("Date"),
                           Text("SupplierCode", 20),
                           Money("Amount"),
                           Text("MyPerson", 30),
                           Int("SeikyuID"),
                           Int("CloseID")};

constexpr std::array kMoneyLine{Id(),
                                Int("HeaderID"),
                                Int("LineNo"),
                                Text("Code"),
                                Money("Amount"),
                                Text("Contents", 50),
                                Text("DraftNo", 10),
                                Date("DraftDate")};

constexpr std::array<FieldDef, 9> Closing(const char* partnerCode)
{
    return {Id(),
            Text("No", 20),
            Date("Date"),
            Text(partnerCode, 20),
            Date("CloseDate"),
            Date("CollectDate"),
            Int("Status"),
            Money("TaxRate"),
            Int("TudoFlg")};
}
constexpr auto kSalesClose = Closing("CustomerCode");
constexpr auto kStockClose = Closing("SupplierCode");

constexpr std::array kStockChange{
    Id(),        Text("No", 20),    Date("Date"),       Text("ItemCode", 100), Text("ItemName", 255),
    Int("Type"), Money("InNumber"), Money("OutNumber"), Text("Memo", 50)};

constexpr std::array kBankH{Id(),
                            Text("Bank", 50),
                            Text("BankCode", 10),
                            Text("BankBranch", 50),
                            Text("BankBranchCode", 10),
                            Int("BankAccountType"),
                            Text("BankNumber", 10),
                            Text("BankOnesName", 100),
                            Text("BankOnesPhoenic", 100)};

constexpr std::array kBankB{Id(),           Int("HeaderID"), Int("PaymentType"), Int("BankType"),
                            Money("Money"), Money("Fee")};

constexpr std::array kUtil{Id(), Date("StartDate")};

// ---- work tables (ID is a plain column there) -------------------------------

constexpr std::array kAddressBlock{Text("Company", 100), Text("Section", 100), Text("Name", 50),
                                   Text("Keisho", 10),   Text("Keisho2", 10),  Text("Zip", 10),
                                   Text("Address", 255)};

constexpr auto kWAtena =
    Cat(std::array{Id(), Text("CustomerCode", 20), Text("SupplierCode", 20)}, kAddressBlock,
        std::array{Text("TEL", 20), Text("FAX", 20), Text("MyPerson", 30), Money("Amount")});

constexpr auto kWItem = Cat(std::array{Id(), Int("ItemType"), Text("ItemCode", 100), Text("ItemName", 255),
                                       Text("Phoenic", 255), Text("Unit", 20), Int("TaxFlg"), Money("Price"),
                                       Int("TaxFlg2"), Money("Cost"), Text("Remarks", 50)},
                            kClasses, std::array{Text("JANCode", 20)});

constexpr auto kWShimeH = Cat(std::array{Id(),
                                         Int("SalesCloseID"),
                                         Text("No", 20),
                                         Date("Date"),
                                         Date("CloseDate"),
                                         Text("CustomerCode", 20),
                                         Text("Zip", 10),
                                         Text("Address", 255),
                                         Text("Company", 100),
                                         Text("Section", 100),
                                         Text("Name", 50),
                                         Text("Keisho", 10),
                                         Text("Keisho2", 10),
                                         Text("MyPerson", 30),
                                         Money("LastCollect"),
                                         Money("Receipt"),
                                         Money("Balance"),
                                         Money("Amount"),
                                         Money("Tax"),
                                         Money("Total"),
                                         Int("DenpyoNum")});

// One row per billed slip line, or per receipt (Code).
constexpr std::array kWShimeB{Id(),
                              Int("HeaderID"),
                              Date("Date"),
                              Text("No", 20),
                              Int("LineNo"),
                              Int("ItemType"),
                              Text("ItemCode", 100),
                              Text("ItemName", 255),
                              Money("Number"),
                              Text("Unit", 20),
                              Money("Price"),
                              Money("Amount"),
                              Int("TaxFlg"),
                              Money("Tax"),
                              Text("Remarks", 50),
                              Text("Code")};

constexpr std::array kWMotochoH{Id(), Text("CustomerCode", 20), Text("Name"), Text("Term"),
                                Money("LastCollect")};

// The ledger rows, with ASCII names for タイプ and 残高.
constexpr std::array kWMotochoB{Id(),
                                Int("HeaderID"),
                                Int("RowType"),
                                Date("Date"),
                                Text("No", 20),
                                Int("ItemType"),
                                Text("ItemCode", 100),
                                Text("ItemName", 255),
                                Money("Number"),
                                Text("Unit", 20),
                                Money("Price"),
                                Int("TaxFlg"),
                                Money("Amount"),
                                Money("Receipt"),
                                Money("Balance")};

constexpr auto kWReceiptH =
    Cat(std::array{Id(), Text("No", 20), Date("Date"), Text("CustomerCode", 20)}, kAddressBlock,
        std::array{Text("MyPerson", 30), Money("Bill"), Money("Amount"), Int("SeikyuID"), Int("CloseID"),
                   Text("Company_Section_Name")});

constexpr std::array kWReceiptB{Id(),
                                Int("HeaderID"),
                                Int("LineNo"),
                                Text("Code"),
                                Text("Contents", 50),
                                Money("Amount"),
                                Text("DraftNo", 10),
                                Date("DraftDate")};

constexpr std::array kWBankH{Id(),
                             DateTime("Date"),
                             Text("Bank", 50),
                             Text("BankBranch", 50),
                             Text("BankOnesName", 100),
                             Text("BankOnesPhoenic", 100)};

// The transfer lines have no ID at all.
constexpr std::array kWBankB{Int("HeaderID"),        Text("Bank", 50),           Text("BankCode", 10),
                             Text("BankBranch", 50), Text("BankBranchCode", 10), Int("BankAccountType"),
                             Text("BankNumber", 10), Text("BankOnesName", 100),  Text("BankOnesPhoenic", 100),
                             Money("Amount"),        Int("PaymentType"),         Money("Fee")};

// No "SetItem" table: nothing reads or writes one; Item.SetItem is the flag.
constexpr TableDef kTables[] = {
    {"Customer", kCustomer, false},
    {"Supplier", kSupplier, false},
    {"Item", kItem, false},
    {"Estimate_H", kEstimateH, false},
    {"Estimate_B", kSalesLine, false},
    {"Sales_H", kSalesH, false},
    {"Sales_B", kSalesLine, false},
    {"Order_H", kOrderH, false},
    {"Order_B", kPurchaseLine, false},
    {"Stock_H", kStockH, false},
    {"Stock_B", kPurchaseLine, false},
    {"Receipt_H", kReceiptH, false},
    {"Receipt_B", kMoneyLine, false},
    {"Pay_H", kPayH, false},
    {"Pay_B", kMoneyLine, false},
    {"Sales_Close", kSalesClose, false},
    {"Stock_Close", kStockClose, false},
    {"StockChange", kStockChange, false},
    {"Bank_H", kBankH, false},
    {"Bank_B", kBankB, false},
    {"Util", kUtil, false},
    {"WAtena", kWAtena, true},
    {"WItem", kWItem, true},
    {"WShime_H", kWShimeH, true},
    {"WShime_B", kWShimeB, true},
    {"WMotocho_H", kWMotochoH, true},
    {"WMotocho_B", kWMotochoB, true},
    {"WReceipt_H", kWReceiptH, true},
    {"WReceipt_B", kWReceiptB, true},
    {"WBank_H", kWBankH, true},
    {"WBank_B", kWBankB, true},
};

// ---- defaults, indexes ------------------------------------------------------

// Column defaults of the ordinary tables, in the field's own unit (money is
// scaled when written). A null table applies to every ordinary table.
struct DefaultDef {
    const char* table;
    const char* field;
    qint64 number;
    const char* text = nullptr;
};

constexpr DefaultDef kDefaults[] = {
    {nullptr, "SeikyuID", 0},
    {nullptr, "DenpyoType", 0},
    {nullptr, "Status", 0},
    {nullptr, "FormID", 0},
    {nullptr, "CloseID", 0},
    {nullptr, "InNumber", 0},
    {nullptr, "OutNumber", 0},
    // The factory sales conditions of a partner.
    {"Customer", "Day", 99},
    {"Customer", "TaxType", 2},
    {"Customer", "TaxRoundType", 1},
    {"Customer", "RoundType", 1},
    {"Customer", "CollectCycle", 2},
    {"Customer", "CollectDay", 99},
    {"Customer", "CollectType", 0, "現金"},
    {"Customer", "Percent", 100},
    {"Customer", "Collect", 0},
    {"Customer", "Ceiling", 0},
    {"Supplier", "Day", 99},
    {"Supplier", "TaxType", 2},
    {"Supplier", "TaxRoundType", 1},
    {"Supplier", "RoundType", 1},
    {"Supplier", "CollectCycle", 2},
    {"Supplier", "CollectDay", 99},
    {"Supplier", "CollectType", 0, "現金"},
    {"Supplier", "Collect", 0},
    {"Supplier", "BankAccountType", 1},
    {"Supplier", "BankFee", 0},
    {"Supplier", "PaymentType", 1},
    {"Supplier", "BankType", 1},
    {"Item", "ItemType", 1},
    {"Item", "TaxFlg", 1},
    {"Item", "TaxFlg2", 1},
    {"Item", "SetItem", 0},
    {"Item", "TaxFlgYobi1", 1},
    {"Item", "TaxFlgYobi2", 1},
    {"Item", "YobiInt", 0},
    {"Item", "Price", 0},
    {"Item", "Cost", 0},
    {"Item", "FixPrice", 0},
    {"Item", "StockNumber", 0},
    {"Item", "StockJustNumber", 0},
};

struct IndexDef {
    const char* name;
    const char* table;
    const char* columns; // comma separated
    bool unique = false;
};

// Joins and filters of the reports on partner code, SeikyuID, CloseID,
// HeaderID and Date, and the lookups of the dialogs. The partner-code
// indexes of slips and money lead with the code and the date and carry the
// amounts, so that a partner's slips of a period are read from the index
// alone. They hold no closing: a closing and its undo change a slip's
// SeikyuID, and every index holding it is changed twice a slip. The
// SeikyuID indexes give each closing's slips and money by partner, and the
// partners' unbilled slips up to a date, the same way. The slips carry what
// their billed amount and tax are made of (the tax type decides which tax
// counts).
// The line indexes by product and by partner lead with the code and the
// date and carry what the aggregations, transitions and stock figures sum:
// a code's lines of a period or of one month are one range of them. One
// index a code is all the reports need, and every index costs the
// carry-forward its entries of the lines it deletes. With the partner code
// on every line table, a code change finds them by index too.
constexpr IndexDef kIndexes[] = {
    {"ux_customer_code", "Customer", "CustomerCode", true},
    {"ix_customer_day", "Customer", "Day"},
    {"ux_supplier_code", "Supplier", "SupplierCode", true},
    {"ix_supplier_day", "Supplier", "Day"},
    {"ux_item_code", "Item", "ItemCode", true},
    {"ix_item_stocktype", "Item", "StockType"},
    {"ix_item_supplier", "Item", "SupplierCode"},
    {"ix_sales_h_code", "Sales_H", "CustomerCode,Date,Total,DenpyoType,Amount,Tax,TaxType"},
    {"ix_sales_h_seikyu", "Sales_H",
     "SeikyuID,CustomerCode,Date,DenpyoType,Total,Amount,Tax,TaxType,AmountNoTax"},
    // A period's slips and money by date carry what the balance lists sum;
    // the slips by date and ID, the order of the slip lists.
    {"ix_sales_h_date", "Sales_H", "Date,ID,CustomerCode,SeikyuID,DenpyoType,Total,Amount,Tax,TaxType"},
    // The staff totals: slips by staff and date, and their lines by slip
    // with what is summed and the line's own date, so that they read no row
    // of either table. The transitions take the staff names from the first.
    {"ix_sales_h_person", "Sales_H", "MyPerson,Date"},
    {"ix_sales_b_header", "Sales_B", "HeaderID,LineNo,ItemType,Amount,IncludeTax,Amount2,IncludeTax2,Date"},
    {"ix_sales_b_item", "Sales_B", "ItemCode,Date,ItemType,Number,Amount,IncludeTax,Amount2,IncludeTax2"},
    // The sums by day and kind of line, and the staff transitions: a day's
    // lines of one slip, kind and tax rate lie together.
    {"ix_sales_b_date", "Sales_B", "Date,ItemType,TaxFlg,HeaderID,Amount,IncludeTax,Amount2,IncludeTax2"},
    {"ix_sales_b_code", "Sales_B", "CustomerCode,Date,ItemType,Amount,IncludeTax,Amount2,IncludeTax2"},
    {"ix_stock_h_code", "Stock_H", "SupplierCode,Date,Total,DenpyoType,Amount,Tax,TaxType"},
    {"ix_stock_h_seikyu", "Stock_H",
     "SeikyuID,SupplierCode,Date,DenpyoType,Total,Amount,Tax,TaxType,AmountNoTax"},
    {"ix_stock_h_date", "Stock_H", "Date,ID,SupplierCode,SeikyuID,DenpyoType,Total,Amount,Tax,TaxType"},
    {"ix_stock_h_person", "Stock_H", "MyPerson,Date"},
    {"ix_stock_b_header", "Stock_B", "HeaderID,LineNo,ItemType,Amount,IncludeTax,Date"},
    {"ix_stock_b_item", "Stock_B", "ItemCode,Date,ItemType,Number,Amount,IncludeTax"},
    {"ix_stock_b_date", "Stock_B", "Date,ItemType,TaxFlg,HeaderID,Amount,IncludeTax"},
    {"ix_stock_b_code", "Stock_B", "SupplierCode,Date,ItemType,Amount,IncludeTax"},
    {"ix_estimate_h_date", "Estimate_H", "Date"},
    {"ix_estimate_h_code", "Estimate_H", "CustomerCode"},
    {"ix_estimate_b_header", "Estimate_B", "HeaderID,LineNo"},
    {"ix_estimate_b_item", "Estimate_B", "ItemCode"},
    {"ix_estimate_b_code", "Estimate_B", "CustomerCode"},
    {"ix_order_h_date", "Order_H", "Date"},
    {"ix_order_h_code", "Order_H", "SupplierCode"},
    {"ix_order_b_header", "Order_B", "HeaderID,LineNo"},
    {"ix_order_b_item", "Order_B", "ItemCode"},
    {"ix_order_b_code", "Order_B", "SupplierCode"},
    {"ix_receipt_h_code", "Receipt_H", "CustomerCode,Date,Amount"},
    {"ix_receipt_h_seikyu", "Receipt_H", "SeikyuID,CustomerCode,Amount"},
    {"ix_receipt_h_closeid", "Receipt_H", "CloseID"},
    {"ix_receipt_h_date", "Receipt_H", "Date,CustomerCode,SeikyuID,Amount"},
    {"ix_receipt_b_header", "Receipt_B", "HeaderID,LineNo"},
    {"ix_pay_h_code", "Pay_H", "SupplierCode,Date,Amount"},
    {"ix_pay_h_seikyu", "Pay_H", "SeikyuID,SupplierCode,Amount"},
    {"ix_pay_h_closeid", "Pay_H", "CloseID"},
    {"ix_pay_h_date", "Pay_H", "Date,SupplierCode,SeikyuID,Amount"},
    {"ix_pay_b_header", "Pay_B", "HeaderID,LineNo"},
    {"ix_sales_close_code_date", "Sales_Close", "CustomerCode,CloseDate"},
    {"ix_sales_close_closedate", "Sales_Close", "CloseDate,CustomerCode"},
    {"ix_sales_close_status_collect", "Sales_Close", "Status,CollectDate,CustomerCode,CloseDate"},
    {"ix_stock_close_code_date", "Stock_Close", "SupplierCode,CloseDate"},
    {"ix_stock_close_closedate", "Stock_Close", "CloseDate,SupplierCode"},
    {"ix_stock_close_status_collect", "Stock_Close", "Status,CollectDate,SupplierCode,CloseDate"},
    {"ix_stockchange_item_date", "StockChange", "ItemCode,Date,InNumber,OutNumber"},
    {"ix_stockchange_date", "StockChange", "Date"},
    {"ix_bank_b_header", "Bank_B", "HeaderID"},
    {"ix_wreceipt_b_header", "WReceipt_B", "HeaderID"},
    {"ix_wbank_b_header", "WBank_B", "HeaderID"},
    {"ix_wshime_b_header", "WShime_B", "HeaderID"},
    {"ix_wmotocho_b_header", "WMotocho_B", "HeaderID"},
};

// ---- result-name catalogue --------------------------------------------------

constexpr const char* kMoneyResults[] = {
    // closing and schedules
    "前回請求額",
    "前回未払額",
    "今回入金額",
    "今回支払額",
    "繰越額",
    "今回税抜売上額",
    "今回税抜仕入額",
    "今回課税対象額",
    "今回算出済み税額",
    "消費税",
    "今回売上額",
    "今回仕入額",
    "締め時点税額",
    "過去の総売上",
    "過去の総入金",
    "過去の売上額",
    "過去の入金",
    "今回の入金",
    "過去の仕入額",
    "過去の支払",
    // balances
    "前回残高",
    "今回残高",
    "限度残額",
    "過去の売上",
    "過去の仕入",
    "残高",
    // aggregation and transition
    "売上額",
    "仕入額",
    "原価",
    "値引額",
    "その他",
    "純売上額",
    "純仕入額",
    "粗利益",
    "総売上数",
    "総仕入数",
    "返品数",
    "純売上数",
    "純仕入数",
    "取引額",
    "取引数",
    "通期計",
    // stock
    "在庫数",
    "過不足数",
    "前回在庫数",
    "今回仕入数",
    "今回出荷数",
    "調整数",
    "今回在庫数",
    "在庫評価額",
    "過去の仕入数",
    "過去の売上数",
    "過去の入庫数",
    "過去の出庫数",
    "今回の入庫数",
    "今回の出庫数",
    "繰越数",
    "InNum",
    "OutNum",
    // transfers, ledgers
    "振込み手数料",
    "振込額",
    "前月繰越額",
    "Receipt",
    // summary tables
    "税抜売上",
    "税込売上",
    "非課税売上",
    "税抜仕入",
    "税込仕入",
    "非課税仕入",
    "税抜値引",
    "税込値引",
    "非課税値引",
    "税抜その他",
    "税込その他",
    "非課税その他",
    "税額",
    "入金値引",
    "支払値引",
    "金額",
};

constexpr const char* kIntegerResults[] = {
    "納品枚数", "仕入枚数", "タイプ",   "入金伝票枚数", "出金伝票枚数", "売上伝票枚数", "仕入伝票枚数",
    "HeaderID", "FormID",   "締め請求", "締め支払",     "入金",         "出金",
};

constexpr const char* kDateResults[] = {"最古", "最新", "最終出荷日", "期間", "日付"};

constexpr const char* kTextResults[] = {"内訳", "FileName", "ErrField", "Company_Section_Name",
                                        "Phoenic_Company_Name"};

// ---- lookups ----------------------------------------------------------------

// Identifiers compare without ASCII case, as SQLite does; other letters
// (full-width Ａ) stay distinct.
QString AsciiLower(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && !(s[i] >= u'A' && s[i] <= u'Z'))
        ++i;
    if (i == s.size())
        return s;
    QString out = s;
    for (; i < out.size(); ++i) {
        if (out[i] >= u'A' && out[i] <= u'Z')
            out[i] = QChar(out[i].unicode() + 32);
    }
    return out;
}

// Each name is stored as written and folded, so the usual exact spelling
// finds its entry without building a folded copy.
template <typename T> void Add(QHash<QString, T>& hash, const QString& name, T value)
{
    hash.insert(name, value);
    hash.insert(AsciiLower(name), value);
}

template <typename T> const T* Lookup(const QHash<QString, T>& hash, const QString& name)
{
    auto it = hash.constFind(name);
    if (it == hash.cend()) {
        const QString folded = AsciiLower(name);
        if (folded.isSharedWith(name))
            return nullptr;
        it = hash.constFind(folded);
        if (it == hash.cend())
            return nullptr;
    }
    return &*it;
}

struct Index {
    QHash<QString, const TableDef*> tables;
    std::array<QHash<QString, const FieldDef*>, std::size(kTables)> fields;
    QHash<QString, int> results;
};

const Index& TheIndex()
{
    static const Index index = [] {
        Index x;
        // A computed column named like a stored field has that field's type,
        // as long as every table agrees on it.
        QHash<QString, int> fieldTypes;
        for (std::size_t t = 0; t < std::size(kTables); ++t) {
            const TableDef& table = kTables[t];
            Add(x.tables, QString::fromLatin1(table.name), &table);
            for (const FieldDef& f : table.fields) {
                const QString name = QString::fromLatin1(f.name);
                Add(x.fields[t], name, &f);
                const auto it = fieldTypes.constFind(name);
                fieldTypes.insert(name, it == fieldTypes.cend() || *it == f.type ? f.type : -1);
            }
        }
        for (auto it = fieldTypes.cbegin(); it != fieldTypes.cend(); ++it) {
            if (*it >= 0)
                Add(x.results, it.key(), *it);
        }
        auto addNames = [&x](const auto& names, int type) {
            for (const char* n : names)
                Add(x.results, QString::fromUtf8(n), type);
        };
        addNames(kMoneyResults, kMoney);
        addNames(kIntegerResults, kInteger);
        addNames(kDateResults, kDate);
        addNames(kTextResults, kText);
        return x;
    }();
    return index;
}

// "2024/4" or "2024/04": the month columns of the transition lists.
bool IsMonthLabel(const QString& s)
{
    const qsizetype slash = s.indexOf(u'/');
    if (slash != 4 || s.size() < 6 || s.size() > 7)
        return false;
    int month = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (i == slash)
            continue;
        if (s[i] < u'0' || s[i] > u'9')
            return false;
        if (i > slash)
            month = month * 10 + (s[i].unicode() - u'0');
    }
    return month >= 1 && month <= 12;
}

// ---- statements -------------------------------------------------------------

QString Quote(const char* identifier)
{
    QString quoted = QString::fromLatin1(identifier);
    return u'"' + quoted.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString TextLiteral(const QString& text)
{
    return u'\'' + SqlQuote(text) + u'\'';
}

// Money is stored as INTEGER ten-thousandths (100 % is 1000000).
QString MoneyLiteral(qint64 units)
{
    return SqlMoney(CMny(units));
}

QString DeclaredType(const FieldDef& f)
{
    switch (f.type) {
    case kText:
        return QStringLiteral("TEXT COLLATE NOCASE");
    case kDate:
        return f.dateTime ? QStringLiteral("DATETIME") : QStringLiteral("DATE");
    case kMoney:
        return QStringLiteral("MONEY");
    default:
        return QStringLiteral("INTEGER");
    }
}

QString DefaultOf(const TableDef& table, const FieldDef& f)
{
    if (f.type == kText && table.workTable)
        return QStringLiteral("''");
    if (table.workTable)
        return {};
    for (const DefaultDef& d : kDefaults) {
        if (std::strcmp(d.field, f.name) != 0 || (d.table && std::strcmp(d.table, table.name) != 0))
            continue;
        if (d.text)
            return TextLiteral(QString::fromUtf8(d.text));
        return f.type == kMoney ? MoneyLiteral(d.number) : QString::number(d.number);
    }
    return f.type == kText ? QStringLiteral("''") : QString();
}

// Lines go with their header (a deleted slip, receipt or bank account must
// not leave orphans behind).
bool IsLineTable(const TableDef& table)
{
    const qsizetype n = std::strlen(table.name);
    return !table.workTable && n > 2 && std::strcmp(table.name + n - 2, "_B") == 0;
}

QString CreateTable(const TableDef& table)
{
    QStringList columns;
    for (const FieldDef& f : table.fields) {
        QString column = Quote(f.name) + u' ';
        if (!table.workTable && std::strcmp(f.name, "ID") == 0) {
            column += QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
        } else {
            column += DeclaredType(f);
            const QString def = DefaultOf(table, f);
            if (!def.isEmpty())
                column += QStringLiteral(" DEFAULT ") + def;
        }
        if (IsLineTable(table) && std::strcmp(f.name, "HeaderID") == 0) {
            const QByteArray header = QByteArray(table.name).chopped(2) + "_H";
            column += QStringLiteral(" REFERENCES ") + Quote(header.constData()) +
                      QStringLiteral("(\"ID\") ON DELETE CASCADE");
        }
        columns << column;
    }
    return QStringLiteral("CREATE TABLE ") + Quote(table.name) + QStringLiteral(" (") +
           columns.join(QStringLiteral(", ")) + u')';
}

QString CreateIndex(const IndexDef& ix)
{
    QStringList columns;
    for (const QString& c : QString::fromLatin1(ix.columns).split(u','))
        columns << Quote(c.toLatin1().constData());
    return QStringLiteral("CREATE ") + (ix.unique ? QStringLiteral("UNIQUE ") : QString()) +
           QStringLiteral("INDEX ") + Quote(ix.name) + QStringLiteral(" ON ") + Quote(ix.table) + u'(' +
           columns.join(u',') + u')';
}

// A seed row: the given values, '' for every other text field.
QString InsertSeed(const char* tableName, const QHash<QString, QString>& values)
{
    const TableDef* table = FindTable(QString::fromLatin1(tableName));
    QStringList names, literals;
    for (const FieldDef& f : table->fields) {
        const QString name = QString::fromLatin1(f.name);
        const auto it = values.constFind(name);
        if (it == values.cend() && f.type != kText)
            continue;
        names << Quote(f.name);
        literals << (it == values.cend() ? QStringLiteral("''") : *it);
    }
    return QStringLiteral("INSERT INTO ") + Quote(tableName) + QStringLiteral(" (") +
           names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
           literals.join(QStringLiteral(", ")) + u')';
}

} // namespace

std::span<const TableDef> Tables()
{
    return kTables;
}

const TableDef* FindTable(const QString& name)
{
    const auto* found = Lookup(TheIndex().tables, name);
    return found ? *found : nullptr;
}

const FieldDef* FindField(const TableDef& table, const QString& field)
{
    const std::less<const TableDef*> before;
    if (before(&table, std::begin(kTables)) || !before(&table, std::end(kTables))) {
        // Not one of ours: compare by hand.
        const QString folded = AsciiLower(field);
        for (const FieldDef& f : table.fields) {
            if (AsciiLower(QString::fromLatin1(f.name)) == folded)
                return &f;
        }
        return nullptr;
    }
    const auto* found = Lookup(TheIndex().fields[&table - std::begin(kTables)], field);
    return found ? *found : nullptr;
}

QList<IndexSpec> Indexes()
{
    QList<IndexSpec> specs;
    for (const IndexDef& ix : kIndexes)
        specs.append({QString::fromLatin1(ix.name), QString::fromLatin1(ix.table),
                      QString::fromLatin1(ix.columns), CreateIndex(ix)});
    return specs;
}

QStringList CreateStatements(const QString& now)
{
    QStringList statements;
    for (const TableDef& table : kTables)
        statements << CreateTable(table);
    for (const IndexDef& ix : kIndexes)
        statements << CreateIndex(ix);
    statements << BookedTotals::Definitions();

    // The one-time partners "　": several reports join the master with an
    // inner join, so their slips need a master row. Closing day 0 (each slip
    // by itself) keeps them out of closings by closing day.
    const QString stamp = TextLiteral(now);
    QHash<QString, QString> partner{
        {QStringLiteral("Day"), QStringLiteral("0")},
        {QStringLiteral("TaxType"), QStringLiteral("2")},
        {QStringLiteral("TaxRoundType"), QStringLiteral("1")},
        {QStringLiteral("RoundType"), QStringLiteral("1")},
        {QStringLiteral("CollectCycle"), QStringLiteral("0")},
        {QStringLiteral("CollectDay"), QStringLiteral("0")},
        {QStringLiteral("Collect"), MoneyLiteral(0)},
        {QStringLiteral("CollectType"), TextLiteral(QStringLiteral("現金"))},
        {QStringLiteral("StartDate"), stamp},
        {QStringLiteral("LastUpdate"), stamp},
        {QStringLiteral("FormID"), QStringLiteral("0")},
    };
    QHash<QString, QString> customer = partner;
    customer.insert(QStringLiteral("CustomerCode"), TextLiteral(QStringLiteral("　")));
    customer.insert(QStringLiteral("Percent"), MoneyLiteral(100));
    customer.insert(QStringLiteral("Ceiling"), MoneyLiteral(0));
    statements << InsertSeed("Customer", customer);

    QHash<QString, QString> supplier = partner;
    supplier.insert(QStringLiteral("SupplierCode"), TextLiteral(QStringLiteral("　")));
    supplier.insert(QStringLiteral("BankAccountType"), QStringLiteral("1"));
    supplier.insert(QStringLiteral("BankFee"), QStringLiteral("0"));
    supplier.insert(QStringLiteral("PaymentType"), QStringLiteral("1"));
    supplier.insert(QStringLiteral("BankType"), QStringLiteral("1"));
    statements << InsertSeed("Supplier", supplier);
    return statements;
}

int Version()
{
    return SchemaSteps::Current();
}

int ResultColumnType(const QString& alias)
{
    if (const int* type = Lookup(TheIndex().results, alias))
        return *type;
    return IsMonthLabel(alias) ? kMoney : -1;
}

} // namespace Schema
