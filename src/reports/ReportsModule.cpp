#include "reports/ReportsModule.h"

#include "reports/ShimeView.h"
#include "app/ViewRegistry.h"

void RegisterReportViews(CViewRegistry& registry)
{
    registry.Register(EViewClass::Shime, [](CMainFrame& frame) -> CView* { return new CShimeView(frame); });
}
