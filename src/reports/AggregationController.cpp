// The balances (23, 24), aggregations and trends (25-32, 34-41) and the
// summary sheets (47, 48): the balance conditions over the list shown and
// the summary sheets' totals.

#include "reports/AggregationController.h"

#include "platform/data/Record.h"
#include "platform/ui/Modal.h"
#include "reports/BalanceListCondDlg.h"
#include "reports/ReportData.h"
#include "reports/ReportList.h"
#include "reports/ReportLoaders.h"
#include "reports/ReportModes.h"
#include "reports/ReportScreen.h"
#include "reports/SummaryTotals.h"
#include "resources/CommandIds.h"

CAggregationController::CAggregationController(IReportScreen& screen, CReportList& list)
    : CReportController(screen, list)
{
    MapFamilyCommands(*this, Commands());
}

const std::vector<CFamilyCommand<CAggregationController>>& CAggregationController::Commands()
{
    using C = CAggregationController;
    static const std::vector<CFamilyCommand<C>> commands{
        {ID_REPORT_BALANCE_CONDITION, &C::OnBalanceConditions},
    };
    return commands;
}

void CAggregationController::Load()
{
    if (ReportMode(m_list.GetMode()).loader == EReportLoader::SummarySheet)
        BuildSummaryTotals();
}

void CAggregationController::OnBalanceConditions()
{
    if (ReportMode(m_list.GetMode()).loader != EReportLoader::Balance)
        return;
    CReportRequest& request = m_request;
    CBalanceListCondDlg dialog(m_list.IsPurchase() ? 2 : 1, request);
    CBalanceCondRules& r = dialog.Rules();
    r.m_from = request.from;
    r.m_to = request.to;
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    CWaitScope wait;
    // The classification column follows the classification chosen.
    m_screen.ReloadList(true);
}

void CAggregationController::BuildSummaryTotals()
{
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    if (info.loader != EReportLoader::SummarySheet)
        return;
    const QDate from = m_request.from;
    const QDate to = m_request.to;
    m_list.ClearRecords();
    CCDSData records;
    if (LoadSummaryTotals(m_screen.Data(), info.side.IsPurchases(), from, to, records) != 1)
        return;
    m_screen.ShowPeriod(PeriodText(from, to));
    m_screen.ShowLoaded(std::move(records));
}
