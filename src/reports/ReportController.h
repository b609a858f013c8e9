#pragma once

#include "app/CommandTarget.h"
#include "reports/ReportData.h"
#include "reports/ReportModes.h"

#include <QHash>
#include <QList>

#include <functional>
#include <memory>
#include <vector>

class CReportList;
class CTb;
class IReportScreen;
struct CReportRequest;

// One command a family of lists runs: what it does, and whether it is
// available now (none: whenever a list of the family is shown). Each family
// keeps its commands in one table; the screen offers the commands of every
// family's table and the family's controller answers each one's state.
template <class C> struct CFamilyCommand {
    int id;
    void (C::*run)();
    bool (*enabled)(const C&) = nullptr;
};

// What one family of report lists does beyond the list, its columns and the
// commands every list shares. The screen keeps one controller a family and
// asks the mode table which one answers for the mode shown; the commands of
// the family's menus reach it through the screen, and it answers their state.
class IReportController : public CCommandTarget
{
  public:
    // Loads the records of the mode shown by the family's own loader.
    virtual void Load() = 0;
    // Fills the rows itself; false leaves the fill to the list.
    virtual bool FillRows() = 0;
    // The double click that opens what the row stands for.
    virtual void OpenRow(int row) = 0;
    // Shows the detail of a row of the list on screen, the detail being a
    // mode of this family.
    virtual void DrillDown(int row) = 0;
    // A click on the row's mark; false leaves it to the screen (groups).
    virtual bool OnMarkClick(int row) = 0;
    // Another program changed data; false leaves the reload to the screen.
    virtual bool ReloadAfterDataChange() = 0;

    // The state of every command the family runs; false for any other.
    bool OnUpdateCmdUI(int id, CCmdUI& ui) override;

  protected:
    // Maps the commands of the family's table, each with its state.
    template <class C> void MapFamilyCommands(C& self, const std::vector<CFamilyCommand<C>>& commands)
    {
        for (const CFamilyCommand<C>& command : commands) {
            MapCommand(command.id, [&self, run = command.run] { (self.*run)(); });
            if (command.enabled)
                m_states.insert(command.id, [&self, enabled = command.enabled] { return enabled(self); });
        }
    }

  private:
    QHash<int, std::function<bool()>> m_states;
};

// The base of the families' controllers: the list and its conditions are
// their model, the screen the narrow rest they see. What a family does not
// do beyond the list, it leaves to the screen.
class CReportController : public IReportController
{
  public:
    void Load() override {}
    bool FillRows() override { return false; }
    void OpenRow(int /*row*/) override {}
    void DrillDown(int /*row*/) override {}
    bool OnMarkClick(int /*row*/) override { return false; }
    bool ReloadAfterDataChange() override { return false; }

  protected:
    CReportController(IReportScreen& screen, CReportList& list);

    // The facts of the mode shown, and how many rows are selected.
    const CReportModeInfo& Mode() const;
    int SelectedCount() const;
    // Writes the value into the closing records behind the rows (field "ID"
    // of each row's record); 1 done, 0 nothing written.
    int UpdateSelectedRecords(const QString& field, const CTb& value, const QList<int>& rows);
    // The data library's failures, told on the screen like every other
    // notice of the family.
    ReportTell ScreenTell() const;

    IReportScreen& m_screen;
    CReportList& m_list;
    // The list's conditions: the family's dialogs change them, its loaders
    // read them.
    CReportRequest& m_request;
};

// The commands the families run, of every family registered, ascending:
// the screen passes each to the controller of the mode shown; a list of a
// family without it does not offer it.
const QList<int>& ReportFamilyCommands();

using ReportControllerFactory =
    std::function<std::unique_ptr<IReportController>(IReportScreen& screen, CReportList& list)>;

// The reports module registers one factory a family with the commands its
// controllers run; an empty factory removes the family.
void RegisterReportController(EReportFamily family, ReportControllerFactory factory,
                              const QList<int>& commands);
// The same for a controller class with its table of commands (C::Commands()).
template <class C> void RegisterReportFamily(EReportFamily family)
{
    QList<int> ids;
    for (const CFamilyCommand<C>& command : C::Commands())
        ids << command.id;
    RegisterReportController(
        family, [](IReportScreen& screen, CReportList& list) { return std::make_unique<C>(screen, list); },
        ids);
}
// A new controller of the family over the screen and its list. A family
// nobody registered (or whose factory made nothing) is a fault of the
// program: std::logic_error.
std::unique_ptr<IReportController> CreateReportController(EReportFamily family, IReportScreen& screen,
                                                          CReportList& list);
