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
    {32987, EFamily::Direct, 11},
    {32809, EFamily::Direct, 12},
    {32813, EFamily::Direct, 13},
    {32958, EFamily::Direct, 14},
    {32838, EFamily::Direct, 16},
    {32810, EFamily::Detail, 15},
    {32988, EFamily::Detail, 17},
    {32815, EFamily::Detail, 18},
    {32818, EFamily::Detail, 19},
    {32826, EFamily::Detail, 20},
    {32827, EFamily::Detail, 21},
    {32822, EFamily::Detail, 22},
    {32962, EFamily::Staff, 29},
    {32973, EFamily::Staff, 30},
    {32840, EFamily::Staff, 47},
    {32841, EFamily::Staff, 48},
    {32970, EFamily::StaffTrend, 39},
    {32976, EFamily::StaffTrend, 40},
    {32963, EFamily::Period, 31},
    {33007, EFamily::Period, 32},
    {32834, EFamily::Balance, 23},
    {32829, EFamily::Balance, 24},
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
    {32960, 25, 1, false, true,  true,  false, 1,  false},
    {32971, 26, 2, false, true,  false, false, 2,  false},
    {32961, 27, 0, false, true,  true,  false, 0,  false},
    {32972, 28, 0, false, true,  false, false, 0,  false},
    {32824, 33, 0, false, false, false, false, -1, true},
    {32823, 34, 0, false, true,  true,  false, 0,  true},
    {32968, 35, 1, true,  true,  true,  false, 1,  false},
    {32974, 36, 2, true,  true,  false, false, 1,  false},
    {32969, 37, 0, true,  true,  true,  true,  0,  false},
    {32975, 38, 0, true,  true,  false, true,  0,  false},
    {32825, 41, 0, true,  true,  false, true,  0,  true},
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
    // The stock list keeps the dialog's own date, today.
    if (row.id != 32824) {
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
