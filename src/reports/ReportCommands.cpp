#include "reports/ReportCommands.h"

#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/Clock.h"
#include "platform/ui/Modal.h"
#include "platform/ui/UiServices.h"
#include "reports/BalanceListCondDlg.h"
#include "reports/PeriodDlg.h"
#include "reports/ReportLoaders.h"
#include "slips/SlipPeriod.h"

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
    {32970, EFamily::StaffTrend, 39},
    {32976, EFamily::StaffTrend, 40},
    {32963, EFamily::Period, 31},
    {33007, EFamily::Period, 32},
    {32834, EFamily::Balance, 23},
    {32829, EFamily::Balance, 24},
};
// clang-format on

QDate Today()
{
    return UiServices::Clock().Today();
}

void DetailList(CMainFrame& frame, int kind)
{
    // The default period stays in the frame even when the dialog is cancelled.
    QString name, folder;
    CDBDirMng().GetNowDB(name, folder);
    const QDate today = Today();
    frame.m_nPeriodShape = 2;
    frame.m_dtPeriodTo = today;
    frame.m_dtPeriodFrom = GetDefaultPeriodStart(today, ReadPeriodMonthsOf(folder));
    CPeriodDlg dialog(1, false);
    CPeriodRules& r = dialog.Rules();
    r.m_from = frame.m_dtPeriodFrom;
    r.m_to = frame.m_dtPeriodTo;
    r.m_bNoStart = 0;
    r.m_bNoEnd = 1;
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    frame.m_dtPeriodFrom = r.m_from;
    frame.m_dtPeriodTo = r.m_to;
    frame.m_nPeriodShape = (r.m_bNoStart ? 1 : 0) + (r.m_bNoEnd ? 2 : 0);
    frame.SwitchView(kind);
}

void ClearClassification(CMainFrame& frame)
{
    frame.m_strClassField.clear();
    frame.m_strClassTitle.clear();
    frame.m_bClassFilter = 0;
    frame.m_bGroupByClass = 0;
    frame.m_bClassTotalsOnly = 0;
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
    ClearClassification(frame);
    frame.m_dtPeriodFrom = r.m_from;
    frame.m_dtPeriodTo = r.m_to;
    switch (row.family) {
    case EFamily::Staff:
        frame.m_bTradedOnly = 0;
        frame.m_nAggregateBy = 3;
        break;
    case EFamily::Period:
        frame.m_nPeriodShape = r.m_nBreakdown;
        frame.m_nAggregateBy = 4;
        // Monthly totals cover whole months, purchases as sales.
        if (r.m_nBreakdown == 1) {
            frame.m_dtPeriodFrom = QDate(r.m_from.year(), r.m_from.month(), 1);
            frame.m_dtPeriodTo = GetLastDayOfMonth(r.m_to);
        }
        break;
    default:
        break;
    }
    frame.SwitchView(row.kind);
}

// The balance dialog writes its conditions into the frame itself, on OK only.
void BalanceList(CMainFrame& frame, int kind)
{
    CBalanceListCondDlg dialog(kind == 24 ? 2 : 1, frame);
    CBalanceCondRules& r = dialog.Rules();
    MonthPreset(Today(), r.m_from, r.m_to);
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    frame.SwitchView(kind);
}

void RunListCommand(CMainFrame& frame, const CListCommand& row)
{
    switch (row.family) {
    case EFamily::Direct:
        if (row.kind == 11)
            frame.m_nClosingDay = 0;
        frame.SwitchView(row.kind);
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
}
