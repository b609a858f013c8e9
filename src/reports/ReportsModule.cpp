#include "reports/ReportsModule.h"

#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "reports/AggregationController.h"
#include "reports/CloseInvoiceDlg.h"
#include "reports/ClosingController.h"
#include "reports/KurikoshiDlg.h"
#include "reports/LedgerController.h"
#include "reports/ReportCommands.h"
#include "reports/ReportModes.h"
#include "reports/ReportOpen.h"
#include "reports/ScheduleController.h"
#include "reports/ShimeView.h"
#include "reports/StockController.h"
#include "reports/TransferBankDlg.h"
#include "resources/CommandIds.h"
#include "resources/ViewKinds.h"

void RegisterReportViews(CViewRegistry& registry)
{
    registry.Register(EViewClass::Shime, [](CMainFrame& frame) -> CView* { return new CShimeView(frame); });
    // Each mode's menu bar and toolbar are those of its row in the table.
    SetReportViewBars([](int kind) {
        const CReportModeInfo& mode = ReportMode(kind);
        return CViewBars{mode.menuId, mode.toolBarId};
    });
    // The shell and the other subsystems open the lists through the same door.
    registry.RegisterOpener(CViewRegistry::EOpener::ReportList, [](CMainFrame& frame, int mode) {
        if (!IsReportMode(mode))
            return false;
        OpenReportList(frame, mode);
        return true;
    });
    // What each family of report lists does beyond the shared list.
    RegisterReportFamily<CClosingController>(EReportFamily::Closing);
    RegisterReportFamily<CScheduleController>(EReportFamily::Schedule);
    RegisterReportFamily<CAggregationController>(EReportFamily::Aggregation);
    RegisterReportFamily<CLedgerController>(EReportFamily::Ledger);
    RegisterReportFamily<CStockController>(EReportFamily::Stock);
    // The closings of the menu screen ask their options before the list.
    registry.RegisterCommand(ID_CLOSE_INVOICE, [](CMainFrame& frame) { OnCloseInvoiceCommand(frame, 0); });
    registry.RegisterCommand(ID_CLOSE_PAYMENT, [](CMainFrame& frame) { OnCloseInvoiceCommand(frame, 1); });
    RegisterReportListCommands(registry);
    // The company's transfer account and fee table, from the settings popup.
    registry.RegisterCommand(
        ID_TRANSFER_FEE, [](CMainFrame& frame) { OnTransferFeeCommand(frame); },
        [](const CMainFrame& frame) { return frame.IsConnected(); });
    // The same id deletes on the lists; the carry-forward is the menu screen's.
    registry.RegisterCommand(
        ID_DB_CARRY_FORWARD,
        [](CMainFrame& frame) {
            if (frame.GetViewKind() == 0)
                OnCarryForwardCommand(frame);
        },
        [](const CMainFrame& frame) { return frame.GetViewKind() == 0; });
}
