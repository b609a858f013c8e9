// Conditions changed over a loaded list that several families share: the
// display period and the summary conditions.

#include "app/MainFrame.h"
#include "platform/data/Record.h"
#include "platform/ui/Modal.h"
#include "reports/PeriodDlg.h"
#include "reports/ReportCommands.h"
#include "reports/ReportController.h"
#include "reports/ReportData.h"
#include "reports/ReportLoaders.h"
#include "reports/ReportModes.h"
#include "reports/ShimeView.h"
#include "reports/SyukeiCondDlg.h"

namespace
{

// The summaries that ask only a period leave no classification behind.
void ClearSummaryFilters(CMainFrame& frame)
{
    frame.m_nAmountOrQuantity = 0;
    ClearClassification(frame);
}

// Asks the period of the staff lists, staff trends and summary sheets
// (option 0) or of the period totals (option 2) and writes it; false on
// Cancel.
bool AskSummaryPeriod(CMainFrame& frame, const CReportModeInfo& info)
{
    const bool periodTotals = info.summaryAsk == EReportSummaryAsk::PeriodTotals;
    CPeriodDlg dialog(periodTotals ? 2 : 0, info.trend);
    CPeriodRules& r = dialog.Rules();
    r.m_from = frame.m_dtPeriodFrom;
    r.m_to = frame.m_dtPeriodTo;
    if (periodTotals)
        r.m_nBreakdown = frame.m_nPeriodShape == 1 ? 1 : 0;
    dialog.m_dtLastCarryForward = frame.m_dtLastCarryForward;
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    frame.m_dtPeriodFrom = r.m_from;
    frame.m_dtPeriodTo = r.m_to;
    if (periodTotals) {
        frame.m_nAggregateBy = 4;
        frame.m_nPeriodShape = r.m_nBreakdown;
        // Monthly totals cover whole months.
        if (r.m_nBreakdown == 1) {
            frame.m_dtPeriodFrom = QDate(r.m_from.year(), r.m_from.month(), 1);
            frame.m_dtPeriodTo = GetLastDayOfMonth(r.m_to);
        }
    } else {
        frame.m_bTradedOnly = 0;
    }
    ClearSummaryFilters(frame);
    return true;
}

// The aggregation dialog over the list; it writes the classification and
// its contents itself.
bool AskAggregation(CMainFrame& frame, const CReportModeInfo& info)
{
    // The customer or supplier lists offer the partner's classifications.
    const int ledger = info.ListsPartners() ? int(info.partnerKind) : 0;
    CSyukeiCondDlg dialog(frame, ledger, info.trend, !info.asksNoEndDate);
    CSyukeiCondRules& r = dialog.Rules();
    r.m_from = frame.m_dtPeriodFrom;
    r.m_to = frame.m_dtPeriodTo;
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    frame.m_bTradedOnly = r.m_bTradedOnly;
    frame.m_nAmountOrQuantity = r.m_nQuantity;
    frame.m_dtPeriodFrom = r.m_from;
    frame.m_dtPeriodTo = r.m_to;
    frame.m_bClassTotalsOnly = r.m_bTotalsOnly;
    frame.m_bClassFilter = r.m_bFilter;
    frame.m_bGroupByClass = r.m_bGroupByClass;
    return true;
}

} // namespace

void CShimeView::OnChangeDisplayPeriod()
{
    CMainFrame& frame = GetFrame();
    const int shape = frame.m_nPeriodShape;
    CPeriodDlg dialog(1, false);
    CPeriodRules& r = dialog.Rules();
    r.m_from = frame.m_dtPeriodFrom;
    r.m_to = frame.m_dtPeriodTo;
    r.m_bNoStart = (shape == 1 || shape == 3) ? 1 : 0;
    r.m_bNoEnd = (shape == 2 || shape == 3) ? 1 : 0;
    dialog.m_dtLastCarryForward = frame.m_dtLastCarryForward;
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    CWaitScope wait;
    // An open end keeps the frame's date of that end.
    if (!r.m_bNoStart)
        frame.m_dtPeriodFrom = r.m_from;
    if (!r.m_bNoEnd)
        frame.m_dtPeriodTo = r.m_to;
    frame.m_nPeriodShape = (r.m_bNoStart ? 1 : 0) + (r.m_bNoEnd ? 2 : 0);
    TakeConditions();
    // The billed and paid lists load by their family's own loader.
    if (ReportMode(m_list.GetMode()).loader == EReportLoader::Billed)
        Controller().Load();
    else
        LoadSlipDetailList(frame.m_nPeriodShape);
    RefreshList();
}

void CShimeView::OnSummaryConditions()
{
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    if (info.summaryAsk == EReportSummaryAsk::None)
        return;
    CMainFrame& frame = GetFrame();
    const bool periodOnly = info.summaryAsk != EReportSummaryAsk::Aggregation;
    if (!(periodOnly ? AskSummaryPeriod(frame, info) : AskAggregation(frame, info)))
        return;
    CWaitScope wait;
    TakeConditions();
    // The summary sheets build by their family's own loader.
    if (info.loader == EReportLoader::SummarySheet)
        Controller().Load();
    else
        LoadSummaryList();
    SaveColumnWidths();
    InitListControl();
    RefreshList();
}
