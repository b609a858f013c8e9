#include "reports/ReportController.h"

#include "reports/ShimeView.h"
#include "resources/CommandIds.h"

#include <map>

namespace
{

std::map<EReportFamily, ReportControllerFactory>& Factories()
{
    static std::map<EReportFamily, ReportControllerFactory> factories;
    return factories;
}

} // namespace

const QList<int>& ReportFamilyCommands()
{
    static const QList<int> commands{
        ID_REPORT_CLOSE_PRINT, ID_REPORT_UNDO_CLOSE,    ID_REPORT_CLOSING_DATE,      ID_REPORT_REPRINT,
        ID_MASTER_LABEL_PRINT, ID_REPORT_RECEIPT,       ID_REPORT_BULK_RECEIPT,      ID_REPORT_SCHEDULE_DATE,
        ID_REPORT_TRANSFER,    ID_REPORT_RECEIPT_PRINT, ID_REPORT_BALANCE_CONDITION, ID_BACK_TO_LIST,
        ID_LEDGER_CONDITION,   ID_REPORT_STOCK_EDIT,
    };
    return commands;
}

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
