#include "reports/ReportController.h"

#include "platform/data/Record.h"
#include "reports/RecordFields.h"
#include "reports/ReportData.h"
#include "reports/ReportList.h"
#include "reports/ReportScreen.h"

#include <map>
#include <set>
#include <stdexcept>
#include <string>

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

CReportController::CReportController(IReportScreen& screen, CReportList& list)
    : m_screen(screen), m_list(list), m_request(list.m_cond)
{
}

const CReportModeInfo& CReportController::Mode() const
{
    return ReportMode(m_list.GetMode());
}

int CReportController::SelectedCount() const
{
    return int(m_screen.GetSelectedRows().size());
}

int CReportController::UpdateSelectedRecords(const QString& field, const CTb& value, const QList<int>& rows)
{
    QList<int> ids;
    for (int row : rows)
        ids << IntOf(m_list.RecordAt(row), "ID");
    return UpdateClosingRecords(m_screen.Data(), m_list.IsPurchase(), field, value, ids, nullptr,
                                ScreenTell());
}

const QList<int>& ReportFamilyCommands()
{
    return FamilyCommands();
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

std::unique_ptr<IReportController> CreateReportController(EReportFamily family, IReportScreen& screen,
                                                          CReportList& list)
{
    const auto it = Families().find(family);
    if (it != Families().end())
        if (std::unique_ptr<IReportController> controller = it->second.factory(screen, list))
            return controller;
    throw std::logic_error("no controller registered for report family " + std::to_string(int(family)));
}

ReportTell CReportController::ScreenTell() const
{
    return [&screen = m_screen](const QString& text, int icon) { screen.Tell(text, icon); };
}
