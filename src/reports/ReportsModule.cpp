#include "reports/ReportsModule.h"

#include "reports/ShimeView.h"
#include "app/ViewRegistry.h"

void RegisterReportViews(CViewRegistry& registry)
{
    registry.Register(EViewClass::Shime, [](CMainFrame& frame) -> CView* { return new CShimeView(frame); });
}

namespace
{
ReportExportHandler& ExportHandler()
{
    static ReportExportHandler handler;
    return handler;
}
} // namespace

void SetReportExportHandler(ReportExportHandler handler)
{
    ExportHandler() = std::move(handler);
}

const ReportExportHandler& GetReportExportHandler()
{
    return ExportHandler();
}
