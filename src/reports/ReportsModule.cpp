#include "reports/ReportsModule.h"

#include "app/FrameCommands.h"
#include "app/ViewRegistry.h"
#include "reports/CloseInvoiceDlg.h"
#include "reports/KurikoshiDlg.h"
#include "app/MainFrame.h"
#include "reports/ShimeView.h"
#include "resources/CommandIds.h"

void RegisterReportViews(CViewRegistry& registry)
{
    registry.Register(EViewClass::Shime, [](CMainFrame& frame) -> CView* { return new CShimeView(frame); });
    // The closings of the menu screen ask their options before the list.
    CFrameCommands::Instance().Register(ID_CLOSE_INVOICE, [](CMainFrame& frame) { OnCloseInvoiceCommand(frame, 0); });
    CFrameCommands::Instance().Register(ID_CLOSE_PAYMENT, [](CMainFrame& frame) { OnCloseInvoiceCommand(frame, 1); });
    // The same id deletes on the lists; the carry-forward is the menu screen's.
    CFrameCommands::Instance().Register(
        ID_MASTER_DELETE,
        [](CMainFrame& frame) {
            if (frame.GetViewKind() == 0)
                OnCarryForwardCommand(frame);
        },
        [](const CMainFrame& frame) { return frame.GetViewKind() == 0; });
}
