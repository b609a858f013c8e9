#include "reports/ReportsModule.h"

#include "app/FrameCommands.h"
#include "app/ViewRegistry.h"
#include "reports/CloseInvoiceDlg.h"
#include "reports/ShimeView.h"
#include "resources/CommandIds.h"

void RegisterReportViews(CViewRegistry& registry)
{
    registry.Register(EViewClass::Shime, [](CMainFrame& frame) -> CView* { return new CShimeView(frame); });
    // The closings of the menu screen ask their options before the list.
    CFrameCommands::Instance().Register(ID_CLOSE_INVOICE, [](CMainFrame& frame) { OnCloseInvoiceCommand(frame, 0); });
    CFrameCommands::Instance().Register(ID_CLOSE_PAYMENT, [](CMainFrame& frame) { OnCloseInvoiceCommand(frame, 1); });
}
