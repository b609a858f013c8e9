// The balances (23, 24), aggregations and trends (25-32, 34-41) and the
// summary sheets (47, 48): the balance conditions over the list shown and
// the summary sheets' totals.

#include "reports/AggregationController.h"

#include "app/MainFrame.h"
#include "platform/data/Record.h"
#include "platform/ui/Modal.h"
#include "reports/BalanceListCondDlg.h"
#include "reports/ReportData.h"
#include "reports/ReportLoaders.h"
#include "reports/ReportModes.h"
#include "reports/ShimeView.h"
#include "reports/SummaryTotals.h"
#include "resources/CommandIds.h"

CAggregationController::CAggregationController(CShimeView& view) : CReportController(view)
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
    CReportRequest& request = m_view.Request();
    CBalanceListCondDlg dialog(m_list.IsPurchase() ? 2 : 1, request);
    CBalanceCondRules& r = dialog.Rules();
    r.m_from = request.from;
    r.m_to = request.to;
    dialog.OnInitDialog();
    if (RunModal(dialog) != QDialog::Accepted)
        return;
    CWaitScope wait;
    m_view.TakeConditions();
    m_view.LoadBalanceList();
    // The classification column follows the classification chosen.
    m_view.SaveColumnWidths();
    m_view.InitListControl();
    m_view.RefreshList();
}

void CAggregationController::BuildSummaryTotals()
{
    const CReportModeInfo& info = ReportMode(m_list.GetMode());
    if (info.loader != EReportLoader::SummarySheet)
        return;
    const QDate from = m_view.Request().from;
    const QDate to = m_view.Request().to;
    m_list.ClearRecords();
    CCDSData records;
    if (LoadSummaryTotals(GetFrame().GetMakeMsgID(), info.side.IsPurchases(), from, to, records) != 1)
        return;
    m_view.SetPeriodText(PeriodText(from, to));
    m_view.ShowLoaded(std::move(records));
}
