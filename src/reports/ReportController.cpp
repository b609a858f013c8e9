#include "reports/ReportController.h"

#include "reports/ShimeView.h"

#include <map>

namespace
{

std::map<EReportFamily, ReportControllerFactory>& Factories()
{
    static std::map<EReportFamily, ReportControllerFactory> factories;
    return factories;
}

} // namespace

CReportController::CReportController(CShimeView& view) : m_view(view), m_list(view.List()) {}

CMainFrame& CReportController::GetFrame() const
{
    return m_view.GetFrame();
}

void RegisterReportController(EReportFamily family, ReportControllerFactory factory)
{
    Factories()[family] = std::move(factory);
}

std::unique_ptr<IReportController> CreateReportController(EReportFamily family, CShimeView& view)
{
    const auto it = Factories().find(family);
    if (it != Factories().end() && it->second)
        if (std::unique_ptr<IReportController> controller = it->second(view))
            return controller;
    return std::make_unique<CReportController>(view);
}
