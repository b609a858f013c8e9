#include "reports/ReportModes.h"

#include <iterator>

namespace
{

using L = EReportLoader;
using M = EReportRowMark;
using D = EReportDoubleClick;
using A = EReportSummaryAsk;
using P = EReportLedgerPrint;
using S = EReportStockEdit;
using C = EReportColumns;
using F = EReportFamily;
using K = EReportPartner;
using N = EReportAmounts;
using W = EReportWarning;
using Q = EReportStatement;
constexpr const CTradeSide& kSales = CTradeSide::Sales();
constexpr const CTradeSide& kPurchases = CTradeSide::Purchases();

// clang-format off
constexpr CReportModeInfo kModes[] = {
    {.mode = 8, .title = "締め請求書の作成", .side = kSales, .partnerKind = K::Customer, .loader = L::Closing,
     .family = F::Closing, .menuId = 149, .toolBarId = 149, .helpId = 4001,
     .closesPartners = true, .handlesClosings = true, .followsCarryOver = true, .selectsAll = true,
     .mark = M::Chosen, .doubleClick = D::ClosePrint, .counterKind = 6, .counterName = "締め請求書",
     .columns = C::Closing, .paper = {1, 7, 0},
     .amounts = N::Closing},
    {.mode = 9, .title = "支払の締切", .side = kPurchases, .partnerKind = K::Supplier, .loader = L::Closing,
     .family = F::Closing, .menuId = 149, .toolBarId = 149, .helpId = 4011,
     .closesPartners = true, .handlesClosings = true, .followsCarryOver = true, .selectsAll = true,
     .mark = M::Chosen, .doubleClick = D::ClosePrint, .counterKind = 7, .counterName = "支払明細書",
     .columns = C::Closing, .paper = {1, 7, 0},
     .amounts = N::Closing},
    {.mode = 10, .title = "入金予定表", .side = kSales, .partnerKind = K::Customer, .loader = L::Schedule,
     .family = F::Schedule, .menuId = 153, .toolBarId = 153, .helpId = 4002,
     .reloadsOnDataChange = true, .followsCarryOver = true, .selectsAll = true,
     .doubleClick = D::Receipt, .opensReceipt = true, .counterKind = 10, .counterName = "入金",
     .columns = C::Schedule, .paper = {1, 5, 0},
     .readingName = true},
    {.mode = 11, .title = "支払予定表", .side = kPurchases, .partnerKind = K::Supplier, .loader = L::Schedule,
     .family = F::Schedule, .menuId = 169, .toolBarId = 169, .helpId = 4012,
     .reloadsOnDataChange = true, .followsCarryOver = true, .selectsAll = true,
     .doubleClick = D::Receipt, .opensReceipt = true, .printsTransferRequest = true,
     .counterKind = 50, .counterName = "出金", .columns = C::Schedule, .paper = {1, 5, 0}},
    {.mode = 12, .title = "請求済み一覧", .side = kSales, .partnerKind = K::Customer, .loader = L::Billed,
     .family = F::Closing, .menuId = 184, .toolBarId = 184, .helpId = 4003,
     .handlesClosings = true, .reloadsOnDataChange = true, .followsCarryOver = true,
     .opensOnDefaultPeriod = true, .selectsAll = true, .mark = M::Settled, .doubleClick = D::Reprint,
     .columns = C::Billed, .settlesByMark = true, .paper = {1, 7, 0},
     .amounts = N::Billed},
    {.mode = 13, .title = "支払一覧", .side = kPurchases, .partnerKind = K::Supplier, .loader = L::Billed,
     .family = F::Closing, .menuId = 184, .toolBarId = 184, .helpId = 4013,
     .handlesClosings = true, .reloadsOnDataChange = true, .followsCarryOver = true,
     .opensOnDefaultPeriod = true, .selectsAll = true, .mark = M::Settled, .doubleClick = D::Reprint,
     .columns = C::Billed, .settlesByMark = true, .paper = {1, 7, 0},
     .amounts = N::Billed},
    {.mode = 14, .title = "入金一覧", .side = kSales, .partnerKind = K::Customer, .loader = L::SlipDetail,
     .family = F::Schedule, .menuId = 190, .toolBarId = 190, .helpId = 4004,
     .opensOnDefaultPeriod = true, .selectsAll = true, .doubleClick = D::Receipt, .opensReceipt = true,
     .printsReceiptVoucher = true, .deleteTable = "Receipt_H", .deleteUndoesClosing = true,
     .columns = C::Slips, .paper = {0, 4, 0},
     .statement = Q::Receipts},
    {.mode = 15, .title = "入金明細一覧", .side = kSales, .partnerKind = K::Customer, .loader = L::SlipDetail,
     .family = F::Schedule, .menuId = 197, .toolBarId = 197, .helpId = 4303,
     .doubleClick = D::Receipt, .opensReceipt = true, .columns = C::SlipLines, .paper = {1, 4, 0},
     .statement = Q::ReceiptLines, .countsLines = true},
    {.mode = 16, .title = "出金伝票一覧", .side = kPurchases, .partnerKind = K::Supplier, .loader = L::SlipDetail,
     .family = F::Schedule, .menuId = 209, .toolBarId = 209, .helpId = 4014,
     .opensOnDefaultPeriod = true, .selectsAll = true, .doubleClick = D::Receipt, .opensReceipt = true,
     .deleteTable = "Pay_H", .deleteUndoesClosing = true, .columns = C::Slips,
     .statement = Q::Receipts},
    {.mode = 17, .title = "出金明細一覧", .side = kPurchases, .partnerKind = K::Supplier, .loader = L::SlipDetail,
     .family = F::Schedule, .menuId = 197, .toolBarId = 197, .helpId = 4313,
     .doubleClick = D::Receipt, .opensReceipt = true, .columns = C::SlipLines,
     .statement = Q::ReceiptLines, .countsLines = true},
    {.mode = 18, .title = "売上明細表", .side = kSales, .partnerKind = K::Customer, .loader = L::SlipDetail,
     .family = F::Ledger, .menuId = 197, .toolBarId = 197, .helpId = 4302,
     .reloadsOnDataChange = true, .mark = M::Settled, .doubleClick = D::ShowSlip, .billedLines = true,
     .columns = C::SlipDetails, .slip = {"Sales_H", 2, "売上一覧"}, .paper = {1, 6, 3},
     .statement = Q::SlipLines, .blankZeros = true, .countsLines = true},
    {.mode = 19, .title = "仕入明細表", .side = kPurchases, .partnerKind = K::Supplier, .loader = L::SlipDetail,
     .family = F::Ledger, .menuId = 197, .toolBarId = 197, .helpId = 4312,
     .reloadsOnDataChange = true, .mark = M::Settled, .doubleClick = D::ShowSlip, .billedLines = true,
     .columns = C::SlipDetails, .slip = {"Stock_H", 5, "仕入一覧"}, .paper = {1, 6, 3},
     .statement = Q::SlipLines, .blankZeros = true, .countsLines = true},
    {.mode = 20, .title = "見積明細表", .side = kSales, .partnerKind = K::Customer, .loader = L::SlipDetail,
     .family = F::Ledger, .menuId = 197, .toolBarId = 197, .helpId = 4301,
     .reloadsOnDataChange = true, .mark = M::Concluded, .doubleClick = D::ShowSlip,
     .columns = C::SlipDetails, .slip = {"Estimate_H", 1, "見積一覧"}, .paper = {1, 5, 3},
     .statement = Q::QuoteOrderLines, .blankZeros = true, .countsLines = true},
    {.mode = 21, .title = "注文明細表", .side = kPurchases, .partnerKind = K::Supplier, .loader = L::SlipDetail,
     .family = F::Ledger, .menuId = 197, .toolBarId = 197, .helpId = 4311,
     .reloadsOnDataChange = true, .mark = M::Settled, .doubleClick = D::ShowSlip,
     .columns = C::SlipDetails, .dueDate = true, .slip = {"Order_H", 4, "注文一覧"}, .paper = {1, 6, 3},
     .statement = Q::QuoteOrderLines, .blankZeros = true, .countsLines = true},
    {.mode = 22, .title = "入出庫データ一覧", .side = kSales, .partnerKind = K::Product, .loader = L::SlipDetail,
     .family = F::Stock, .menuId = 173, .toolBarId = 173, .helpId = 4402,
     .selectsAll = true, .doubleClick = D::EditStock, .deleteTable = "StockChange",
     .stockEdit = S::Movement, .columns = C::StockMoves, .paper = {0, 4, 0},
     .statement = Q::StockMoves, .countsLines = true},
    {.mode = 23, .title = "売掛残高一覧", .side = kSales, .partnerKind = K::Customer, .loader = L::Balance,
     .family = F::Aggregation, .menuId = 192, .toolBarId = 192, .helpId = 4006,
     .selectsAll = true, .drillTo = 43, .doubleClick = D::DrillDown, .ledgerPrint = P::SelectedPartners,
     .columns = C::Balances, .classColumn = true, .paper = {0, 2, 0},
     .warning = W::CreditLimit, .statement = Q::Balances, .blankCodeLast = true},
    {.mode = 24, .title = "買掛残高一覧", .side = kPurchases, .partnerKind = K::Supplier, .loader = L::Balance,
     .family = F::Aggregation, .menuId = 192, .toolBarId = 192, .helpId = 4016,
     .selectsAll = true, .drillTo = 44, .doubleClick = D::DrillDown, .ledgerPrint = P::SelectedPartners,
     .columns = C::Balances, .classColumn = true, .paper = {0, 2, 0},
     .statement = Q::Balances, .blankCodeLast = true},
    {.mode = 25, .title = "得意先別売上集計表", .side = kSales, .partnerKind = K::Customer, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4101,
     .groupable = true, .summaryAsk = A::Aggregation, .columns = C::PartnerTotals, .classColumn = true, .paper = {0, 2, 0},
     .amounts = N::Margin, .statement = Q::PartnerTotals, .blankCodeLast = true},
    {.mode = 26, .title = "仕入先別仕入集計表", .side = kPurchases, .partnerKind = K::Supplier, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4111,
     .groupable = true, .summaryAsk = A::Aggregation, .columns = C::PartnerTotals, .classColumn = true, .paper = {0, 2, 0},
     .statement = Q::PartnerTotals, .blankCodeLast = true},
    {.mode = 27, .title = "商品別売上集計表", .side = kSales, .partnerKind = K::Product, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4102,
     .groupable = true, .summaryAsk = A::Aggregation, .columns = C::ProductSales, .classColumn = true,
     .amounts = N::Margin, .statement = Q::ProductTotals, .blankCodeLast = true},
    {.mode = 28, .title = "商品別仕入集計表", .side = kPurchases, .partnerKind = K::Product, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4112,
     .groupable = true, .summaryAsk = A::Aggregation, .columns = C::ProductPurchases, .classColumn = true, .paper = {0, 2, 0},
     .statement = Q::ProductTotals, .blankCodeLast = true},
    {.mode = 29, .title = "担当者別売上集計表", .side = kSales, .partnerKind = K::Staff, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4103,
     .groupable = true, .summaryAsk = A::Period, .columns = C::StaffTotals, .paper = {0, 1, 0},
     .amounts = N::Margin, .statement = Q::StaffTotals, .blankCodeLast = true},
    {.mode = 30, .title = "担当者別仕入集計表", .side = kPurchases, .partnerKind = K::Staff, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4113,
     .groupable = true, .summaryAsk = A::Period, .columns = C::StaffTotals, .paper = {0, 1, 0},
     .statement = Q::StaffTotals, .blankCodeLast = true},
    {.mode = 31, .title = "期間別売上集計表", .side = kSales, .partnerKind = K::Period, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4104,
     .groupable = true, .summaryAsk = A::PeriodTotals, .columns = C::PeriodTotals, .paper = {0, 1, 0},
     .amounts = N::Margin, .statement = Q::PeriodTotals, .periodRows = true, .blankCodeLast = true},
    {.mode = 32, .title = "期間別仕入集計表", .side = kPurchases, .partnerKind = K::Period, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4114,
     .groupable = true, .summaryAsk = A::PeriodTotals, .columns = C::PeriodTotals, .paper = {0, 1, 0},
     .statement = Q::PeriodTotals, .periodRows = true, .blankCodeLast = true},
    {.mode = 33, .title = "在庫一覧", .side = kSales, .partnerKind = K::Product, .loader = L::Summary,
     .family = F::Stock, .menuId = 155, .toolBarId = 155, .helpId = 4405,
     .groupable = true, .doubleClick = D::EditStock, .stockEdit = S::NewMovement,
     .summaryAsk = A::Aggregation, .asksNoEndDate = true, .columns = C::Stock, .classColumn = true, .paper = {0, 2, 0},
     .amounts = N::StockValue, .warning = W::StockShortage, .statement = Q::Stock, .blankCodeLast = true, .oneDate = true},
    // The stock in/out list has a topic of its own beside the other stock lists.
    {.mode = 34, .title = "入出庫一覧", .side = kSales, .partnerKind = K::Product, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4403,
     .groupable = true, .drillTo = 42, .doubleClick = D::DrillDown, .summaryAsk = A::Aggregation,
     .columns = C::StockInOut, .classColumn = true, .paper = {0, 2, 0},
     .statement = Q::StockInOut, .blankCodeLast = true},
    {.mode = 35, .title = "得意先別売上推移表", .side = kSales, .partnerKind = K::Customer, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4201,
     .groupable = true, .summaryAsk = A::Aggregation, .trend = true, .columns = C::Trend, .classColumn = true, .paper = {0, 2, 6},
     .statement = Q::PartnerTrend, .blankCodeLast = true},
    {.mode = 36, .title = "仕入先別仕入推移表", .side = kPurchases, .partnerKind = K::Supplier, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4211,
     .groupable = true, .summaryAsk = A::Aggregation, .trend = true, .columns = C::Trend, .classColumn = true, .paper = {0, 2, 6},
     .statement = Q::PartnerTrend, .blankCodeLast = true},
    {.mode = 37, .title = "商品別売上推移表", .side = kSales, .partnerKind = K::Product, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4202,
     .groupable = true, .summaryAsk = A::Aggregation, .trend = true, .columns = C::Trend, .classColumn = true, .paper = {0, 2, 6},
     .statement = Q::ProductTrend, .blankCodeLast = true},
    {.mode = 38, .title = "商品別仕入推移表", .side = kPurchases, .partnerKind = K::Product, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4212,
     .groupable = true, .summaryAsk = A::Aggregation, .trend = true, .columns = C::Trend, .classColumn = true, .paper = {0, 2, 6},
     .statement = Q::ProductTrend, .blankCodeLast = true},
    {.mode = 39, .title = "担当者別売上推移表", .side = kSales, .partnerKind = K::Staff, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4203,
     .groupable = true, .summaryAsk = A::Period, .trend = true, .columns = C::Trend, .classColumn = true, .paper = {0, 1, 6},
     .statement = Q::StaffTrend, .blankCodeLast = true},
    {.mode = 40, .title = "担当者別仕入推移表", .side = kPurchases, .partnerKind = K::Staff, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4213,
     .groupable = true, .summaryAsk = A::Period, .trend = true, .columns = C::Trend, .classColumn = true, .paper = {0, 1, 6},
     .statement = Q::StaffTrend, .blankCodeLast = true},
    {.mode = 41, .title = "在庫推移表", .side = kSales, .partnerKind = K::Product, .loader = L::Summary,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4406,
     .groupable = true, .summaryAsk = A::Aggregation, .trend = true, .columns = C::StockTrend, .classColumn = true, .paper = {0, 2, 6},
     .statement = Q::StockTrend, .blankCodeLast = true},
    {.mode = 42, .title = "入出庫明細", .side = kSales, .partnerKind = K::Product, .loader = L::Ledger,
     .family = F::Ledger, .menuId = 228, .toolBarId = 206, .helpId = 4404,
     .groupable = true, .ledger = true, .backTo = 34, .drillTitle = "入出庫明細",
     .ledgerPrint = P::ListPreview, .columns = C::StockDetail, .paper = {0, 4, 0},
     .blankCodeLast = true},
    {.mode = 43, .title = "", .side = kSales, .partnerKind = K::Customer, .loader = L::None,
     .family = F::Ledger, .menuId = 206, .toolBarId = 206, .helpId = 4005,
     .groupable = true, .ledger = true, .backTo = 23, .drillTitle = "得意先別元帳",
     .ledgerPrint = P::ShownLedger, .columns = C::Ledger, .paper = {0, 5, 0},
     .blankCodeLast = true},
    {.mode = 44, .title = "", .side = kPurchases, .partnerKind = K::Supplier, .loader = L::None,
     .family = F::Ledger, .menuId = 206, .toolBarId = 206, .helpId = 4015,
     .groupable = true, .ledger = true, .backTo = 24, .drillTitle = "仕入先別元帳",
     .ledgerPrint = P::ShownLedger, .columns = C::Ledger, .paper = {0, 5, 0},
     .blankCodeLast = true},
    {.mode = 45, .title = "得意先元帳", .side = kSales, .partnerKind = K::Customer, .loader = L::Ledger,
     .family = F::Ledger, .menuId = 206, .toolBarId = 446, .helpId = 4005,
     .groupable = true, .ledger = true, .ledgerPrint = P::ShownLedger, .columns = C::Ledger,
     .blankCodeLast = true},
    {.mode = 46, .title = "仕入先元帳", .side = kPurchases, .partnerKind = K::Supplier, .loader = L::Ledger,
     .family = F::Ledger, .menuId = 206, .toolBarId = 446, .helpId = 4015,
     .groupable = true, .ledger = true, .ledgerPrint = P::ShownLedger, .columns = C::Ledger,
     .blankCodeLast = true},
    {.mode = 47, .title = "売上総括表", .side = kSales, .partnerKind = K::Period, .loader = L::SummarySheet,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4105,
     .groupable = true, .summaryAsk = A::Period, .columns = C::SummarySheet, .paper = {0, 1, 0},
     .blankCodeLast = true},
    {.mode = 48, .title = "仕入総括表", .side = kPurchases, .partnerKind = K::Period, .loader = L::SummarySheet,
     .family = F::Aggregation, .menuId = 151, .toolBarId = 151, .helpId = 4115,
     .groupable = true, .summaryAsk = A::Period, .columns = C::SummarySheet, .paper = {0, 1, 0},
     .blankCodeLast = true},
};
// clang-format on

constexpr bool InModeOrder()
{
    for (int i = 0; i < int(std::size(kModes)); ++i)
        if (kModes[i].mode != kFirstReportMode + i)
            return false;
    return std::size(kModes) == kLastReportMode - kFirstReportMode + 1;
}
static_assert(InModeOrder(), "one row a mode, in mode order");

// Outside the list modes: no title, no loader, nothing offered.
constexpr CReportModeInfo kNoMode{};

} // namespace

const CReportModeInfo* GetReportModeInfo(int mode)
{
    if (!IsReportMode(mode))
        return nullptr;
    return &kModes[mode - kFirstReportMode];
}

const CReportModeInfo& ReportMode(int mode)
{
    const CReportModeInfo* info = GetReportModeInfo(mode);
    return info ? *info : kNoMode;
}

int GetClosingReportMode(bool purchase)
{
    for (const CReportModeInfo& info : kModes)
        if (info.closesPartners && info.side.IsPurchases() == purchase)
            return info.mode;
    return 0;
}

bool IsReportMode(int mode)
{
    return mode >= kFirstReportMode && mode <= kLastReportMode;
}

QString GetReportModeTitle(int mode)
{
    const CReportModeInfo* info = GetReportModeInfo(mode);
    return info ? QString::fromUtf8(info->title) : QString();
}

int GetReportMarkBitmap(int mode, bool grouping)
{
    const CReportModeInfo& info = ReportMode(mode);
    switch (info.mark) {
    case EReportRowMark::Chosen:
        return 183;
    case EReportRowMark::Settled:
        return 186;
    case EReportRowMark::Concluded:
        return 196;
    case EReportRowMark::None:
        break;
    }
    return info.groupable && grouping ? 202 : 229;
}

bool ReportModeShowsMarks(int mode, bool grouping)
{
    return GetReportMarkBitmap(mode, grouping) != 229;
}
