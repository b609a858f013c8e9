#include "reports/ReportCommands.h"

#include "app/MainFrame.h"
#include "app/SlipPeriod.h"
#include "app/ViewRegistry.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Modal.h"
#include "platform/ui/UiServices.h"
#include "reports/BalanceListCondDlg.h"
#include "reports/LedgerCreateDlg.h"
#include "reports/PeriodDlg.h"
#include "reports/ReportLoaders.h"
#include "reports/ReportModes.h"
#include "reports/ReportOpen.h"
#include "reports/ReportRequest.h"
#include "reports/SyukeiCondDlg.h"
#include "resources/CommandIds.h"

namespace
{

enum class EFamily { Direct, Detail, Staff, StaffTrend, Period, Balance };

struct CListCommand {
    int id;
    EFamily family;
    int kind;
};

// clang-format off
constexpr CListCommand kCommands[] = {
    {ID_PAYMENT_SCHEDULE,       EFamily::Direct,     11},
    {ID_BILLED_LIST,            EFamily::Direct,     12},
    {ID_PAID_LIST,              EFamily::Direct,     13},
    {ID_RECEIPT_LIST,           EFamily::Direct,     14},
    {ID_PAYMENT_LIST,           EFamily::Direct,     16},
    {ID_RECEIPT_DETAIL,         EFamily::Detail,     15},
    {ID_PAYMENT_DETAIL,         EFamily::Detail,     17},
    {ID_SALES_DETAIL,           EFamily::Detail,     18},
    {ID_PURCHASE_DETAIL,        EFamily::Detail,     19},
    {ID_ESTIMATE_DETAIL,        EFamily::Detail,     20},
    {ID_ORDER_DETAIL,           EFamily::Detail,     21},
    {ID_STOCK_MOVE_LIST,        EFamily::Detail,     22},
    {ID_STAFF_SALES_TOTALS,     EFamily::Staff,      29},
    {ID_STAFF_PURCHASE_TOTALS,  EFamily::Staff,      30},
    {ID_SALES_SUMMARY_SHEET,    EFamily::Staff,      47},
    {ID_PURCHASE_SUMMARY_SHEET, EFamily::Staff,      48},
    {ID_STAFF_SALES_TREND,      EFamily::StaffTrend, 39},
    {ID_STAFF_PURCHASE_TREND,   EFamily::StaffTrend, 40},
    {ID_PERIOD_SALES_TOTALS,    EFamily::Period,     31},
    {ID_PERIOD_PURCHASE_TOTALS, EFamily::Period,     32},
    {ID_RECEIVABLE_BALANCES,    EFamily::Balance,    23},
    {ID_PAYABLE_BALANCES,       EFamily::Balance,    24},
};
// The aggregation dialog's rows: ledger, twelve months, end date shown,
// whether traded-only and amount-or-quantity are taken, the aggregation
// value (-1 keeps it) and whether the last carry-forward is read first.
struct CAggregationCommand {
    int id;
    int kind;
    int ledger;
    bool monthly;
    bool showEnd;
    bool tradedOnly;
    bool quantity;
    int aggregateBy;
    bool stock;
};

// clang-format off
constexpr CAggregationCommand kAggregations[] = {
    {ID_CUSTOMER_SALES_TOTALS,    25, 1, false, true,  true,  false, 1,  false},
    {ID_SUPPLIER_PURCHASE_TOTALS, 26, 2, false, true,  false, false, 2,  false},
    {ID_PRODUCT_SALES_TOTALS,     27, 0, false, true,  true,  false, 0,  false},
    {ID_PRODUCT_PURCHASE_TOTALS,  28, 0, false, true,  false, false, 0,  false},
    {ID_STOCK_TAKING_LIST,        33, 0, false, false, false, false, -1, true},
    {ID_STOCK_INOUT_LIST,         34, 0, false, true,  true,  false, 0,  true},
    {ID_CUSTOMER_SALES_TREND,     35, 1, true,  true,  true,  false, 1,  false},
    {ID_SUPPLIER_PURCHASE_TREND,  36, 2, true,  true,  false, false, 1,  false},
    {ID_PRODUCT_SALES_TREND,      37, 0, true,  true,  true,  true,  0,  false},
    {ID_PRODUCT_PURCHASE_TREND,   38, 0, true,  true,  false, true,  0,  false},
    {ID_STOCK_TREND,              41, 0, true,  true,  false, true,  0,  true},
};
// clang-format on

QDate Today()
{
    return UiServices::Clock().Today();
}

void DetailList(CMainFrame& frame, int kind)
{
    // The dialog opens on the default period, start only.
    QString name, folder;
    CDBDirMng().GetNowDB(name, folder);
    const QDate today = Today();
    CPeriodDlg dialog(1, false);
    CPeriodRules& r = dialog.Rules();
    r.m_from = GetDefaultPeriodStart(today, ReadPeriodMonthsOf(folder));
    r.m_to = today;
    r.m_bNoStart = 0;
    r.m_bNoEnd = 1;
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    CReportRequest request;
    request.from = r.m_from;
    request.to = r.m_to;
    request.periodShape = (r.m_bNoStart ? 1 : 0) + (r.m_bNoEnd ? 2 : 0);
    OpenReportList(frame, kind, request);
}

void StaffOrPeriodList(CMainFrame& frame, const CListCommand& row)
{
    const bool monthly = row.family == EFamily::StaffTrend;
    CPeriodDlg dialog(row.family == EFamily::Period ? 2 : 0, monthly);
    CPeriodRules& r = dialog.Rules();
    if (monthly)
        TwelveMonthPreset(Today(), r.m_from, r.m_to);
    else
        MonthPreset(Today(), r.m_from, r.m_to);
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    CReportRequest request;
    request.from = r.m_from;
    request.to = r.m_to;
    switch (row.family) {
    case EFamily::Staff:
        request.aggregateBy = 3;
        break;
    case EFamily::Period:
        request.periodShape = r.m_nBreakdown;
        request.aggregateBy = 4;
        // Monthly totals cover whole months, purchases as sales.
        if (r.m_nBreakdown == 1) {
            request.from = QDate(r.m_from.year(), r.m_from.month(), 1);
            request.to = GetLastDayOfMonth(r.m_to);
        }
        break;
    default:
        break;
    }
    OpenReportList(frame, row.kind, request);
}

// The balance dialog writes its conditions into the request itself, on OK
// only.
void BalanceList(CMainFrame& frame, int kind)
{
    CReportRequest request;
    CBalanceListCondDlg dialog(ReportMode(kind).side.IsPurchases() ? 2 : 1, request);
    CBalanceCondRules& r = dialog.Rules();
    MonthPreset(Today(), r.m_from, r.m_to);
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    OpenReportList(frame, kind, request);
}

void AggregationList(CMainFrame& frame, const CAggregationCommand& row)
{
    CReportRequest request;
    if (row.stock)
        request.lastCarryForward = frame.GetLastCarryForwardDate();
    CSyukeiCondDlg dialog(request, row.ledger, row.monthly, row.showEnd);
    CSyukeiCondRules& r = dialog.Rules();
    // The list of one date (the stock list) keeps the dialog's own, today.
    if (!ReportMode(row.kind).oneDate) {
        if (row.monthly)
            TwelveMonthPreset(Today(), r.m_from, r.m_to);
        else
            MonthPreset(Today(), r.m_from, r.m_to);
    }
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    // The dialog wrote the period and the classification.
    if (row.tradedOnly)
        request.tradedOnly = r.m_bTradedOnly;
    if (row.quantity)
        request.amountOrQuantity = r.m_nQuantity;
    if (row.aggregateBy >= 0)
        request.aggregateBy = row.aggregateBy;
    OpenReportList(frame, row.kind, request);
}

void RunListCommand(CMainFrame& frame, const CListCommand& row)
{
    switch (row.family) {
    case EFamily::Direct:
        // The payment schedule lists every open closing: no closing day.
        if (ReportMode(row.kind).loader == EReportLoader::Schedule && ReportMode(row.kind).side.IsPurchases())
            frame.m_nCalendarCloseDay = 0;
        OpenReportList(frame, row.kind);
        break;
    case EFamily::Detail:
        DetailList(frame, row.kind);
        break;
    case EFamily::Balance:
        BalanceList(frame, row.kind);
        break;
    default:
        StaffOrPeriodList(frame, row);
        break;
    }
}

} // namespace

void MonthPreset(const QDate& today, QDate& from, QDate& to)
{
    from = QDate(today.year(), today.month(), 1);
    to = GetLastDayOfMonth(today);
}

void TwelveMonthPreset(const QDate& today, QDate& from, QDate& to)
{
    from = QDate(today.year(), today.month(), 1).addMonths(-11);
    to = GetLastDayOfMonth(today);
}

void RegisterReportListCommands(CViewRegistry& registry)
{
    for (const CListCommand& row : kCommands)
        registry.RegisterCommand(row.id, [row](CMainFrame& frame) { RunListCommand(frame, row); });
    for (const CAggregationCommand& row : kAggregations)
        registry.RegisterCommand(row.id, [row](CMainFrame& frame) { AggregationList(frame, row); });
    RegisterLedgerCommands(registry);
}
