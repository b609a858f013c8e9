#include "reports/ReportOpen.h"

#include "app/MainFrame.h"
#include "reports/ReportModes.h"

#include <any>
#include <stdexcept>

void OpenReportList(CMainFrame& frame, int mode, const CReportRequest& request)
{
    if (!IsReportMode(mode))
        throw std::invalid_argument("a report list opens in modes 8-48 only");
    // Copied as the base type: the list's view takes exactly that.
    frame.SwitchView(mode, std::make_any<CReportRequest>(request));
}
