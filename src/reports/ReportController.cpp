#include "reports/ReportController.h"

#include "reports/ShimeView.h"

#include <map>
#include <set>

namespace
{

struct CFamilyEntry {
    ReportControllerFactory factory;
    QList<int> commands;
};

std::map<EReportFamily, CFamilyEntry>& Families()
{
    static std::map<EReportFamily, CFamilyEntry> families;
    return families;
}

QList<int>& FamilyCommands()
{
    static QList<int> commands;
    return commands;
}

} // namespace

bool IReportController::OnUpdateCmdUI(int id, CCmdUI& ui)
{
    if (!HasCommandHandler(id))
        return false;
    const auto it = m_states.constFind(id);
    ui.Enable(it == m_states.constEnd() || it.value()());
    return true;
}

const QList<int>& ReportFamilyCommands()
{
    return FamilyCommands();
}

CReportController::CReportController(CShimeView& view) : m_view(view), m_list(view.List()) {}

CMainFrame& CReportController::GetFrame() const
{
    return m_view.GetFrame();
}

const CReportModeInfo& CReportController::Mode() const
{
    return ReportMode(m_list.GetMode());
}

int CReportController::SelectedCount() const
{
    return int(m_view.GetSelectedRows().size());
}

void RegisterReportController(EReportFamily family, ReportControllerFactory factory,
                              const QList<int>& commands)
{
    if (factory)
        Families()[family] = {std::move(factory), commands};
    else
        Families().erase(family);
    std::set<int> all;
    for (const auto& [registered, entry] : Families())
        all.insert(entry.commands.cbegin(), entry.commands.cend());
    FamilyCommands() = QList<int>(all.cbegin(), all.cend());
}

std::unique_ptr<IReportController> CreateReportController(EReportFamily family, CShimeView& view)
{
    const auto it = Families().find(family);
    if (it != Families().end() && it->second.factory)
        if (std::unique_ptr<IReportController> controller = it->second.factory(view))
            return controller;
    return std::make_unique<CReportController>(view);
}
