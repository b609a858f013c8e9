// Conditions changed over a loaded list that several families share: the
// display period and the summary conditions.

#include "app/MainFrame.h"
#include "platform/data/Record.h"
#include "platform/ui/Modal.h"
#include "reports/PeriodDlg.h"
#include "reports/ReportController.h"
#include "reports/ReportData.h"
#include "reports/ReportLoaders.h"
#include "reports/ReportModes.h"
#include "reports/ShimeView.h"
#include "reports/SyukeiCondDlg.h"

namespace
{

// The summaries that ask only a period leave no classification behind.
void ClearSummaryFilters(CReportRequest& request)
{
    request.amountOrQuantity = 0;
    request.ClearClassification();
}

// Asks the period of the staff lists, staff trends and summary sheets
// (option 0) or of the period totals (option 2) and writes it; false on
// Cancel.
bool AskSummaryPeriod(CReportRequest& request, const CReportModeInfo& info)
{
    const bool periodTotals = info.summaryAsk == EReportSummaryAsk::PeriodTotals;
    CPeriodDlg dialog(periodTotals ? 2 : 0, info.trend);
    CPeriodRules& r = dialog.Rules();
    r.m_from = request.from;
    r.m_to = request.to;
    if (periodTotals)
        r.m_nBreakdown = request.periodShape == 1 ? 1 : 0;
    dialog.m_dtLastCarryForward = request.lastCarryForward;
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    request.from = r.m_from;
    request.to = r.m_to;
    if (periodTotals) {
        request.aggregateBy = 4;
        request.periodShape = r.m_nBreakdown;
        // Monthly totals cover whole months.
        if (r.m_nBreakdown == 1) {
            request.from = QDate(r.m_from.year(), r.m_from.month(), 1);
            request.to = GetLastDayOfMonth(r.m_to);
        }
    } else {
        request.tradedOnly = 0;
    }
    ClearSummaryFilters(request);
    return true;
}

// The aggregation dialog over the list; it writes the period and the
// classification itself, traded-only and quantities are taken here.
bool AskAggregation(CReportRequest& request, const CReportModeInfo& info)
{
    // The customer or supplier lists offer the partner's classifications.
    const int ledger = info.ListsPartners() ? int(info.partnerKind) : 0;
    CSyukeiCondDlg dialog(request, ledger, info.trend, !info.asksNoEndDate);
    CSyukeiCondRules& r = dialog.Rules();
    r.m_from = request.from;
    r.m_to = request.to;
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    request.tradedOnly = r.m_bTradedOnly;
    request.amountOrQuantity = r.m_nQuantity;
    return true;
}

} // namespace

void CShimeView::OnChangeDisplayPeriod()
{
    const int shape = m_request.periodShape;
    CPeriodDlg dialog(1, false);
    CPeriodRules& r = dialog.Rules();
    r.m_from = m_request.from;
    r.m_to = m_request.to;
    r.m_bNoStart = (shape == 1 || shape == 3) ? 1 : 0;
    r.m_bNoEnd = (shape == 2 || shape == 3) ? 1 : 0;
    dialog.m_dtLastCarryForward = m_request.lastCarryForward;
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    CWaitScope wait;
    // An open end keeps the list's date of that end.
    if (!r.m_bNoStart)
        m_request.from = r.m_from;
    if (!r.m_bNoEnd)
        m_request.to = r.m_to;
    m_request.periodShape = (r.m_bNoStart ? 1 : 0) + (r.m_bNoEnd ? 2 : 0);
    TakeConditions();
    // The billed and paid lists load by their family's own loader.
    if (ReportMode(m_list.GetMode()).loader == EReportLoader::Billed)
        Controller().Load();
    else
        LoadSlipDetailList(m_request.periodShape);
    RefreshList();
}

void CShimeView::OnSummaryConditions()
{
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    if (info.summaryAsk == EReportSummaryAsk::None)
        return;
    const bool periodOnly = info.summaryAsk != EReportSummaryAsk::Aggregation;
    if (!(periodOnly ? AskSummaryPeriod(m_request, info) : AskAggregation(m_request, info)))
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
