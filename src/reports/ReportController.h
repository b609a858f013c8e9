#pragma once

#include "app/CommandTarget.h"
#include "reports/ReportModes.h"

#include <QList>

#include <functional>
#include <memory>

class CMainFrame;
class CReportList;
class CShimeView;

// What one family of report lists does beyond the list, its columns and the
// commands every list shares. The view keeps one controller a family and
// asks the mode table which one answers for the mode shown; the commands of
// the family's menus reach it through the view, which sets their state
// unless the controller does (OnUpdateCmdUI).
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
    // A click on the row's mark; false leaves it to the view (groups).
    virtual bool OnMarkClick(int row) = 0;
    // Another program changed data; false leaves the reload to the view.
    virtual bool ReloadAfterDataChange() = 0;
};

// A controller of the view's family lists; by itself it does nothing.
class CReportController : public IReportController
{
  public:
    explicit CReportController(CShimeView& view);

    void Load() override {}
    bool FillRows() override { return false; }
    void OpenRow(int /*row*/) override {}
    void DrillDown(int /*row*/) override {}
    bool OnMarkClick(int /*row*/) override { return false; }
    bool ReloadAfterDataChange() override { return false; }

  protected:
    CMainFrame& GetFrame() const;

    CShimeView& m_view;
    CReportList& m_list;
};

// The commands the families run: the view passes each to the controller of
// the mode shown; in a family without it the command does nothing.
const QList<int>& ReportFamilyCommands();

using ReportControllerFactory = std::function<std::unique_ptr<IReportController>(CShimeView&)>;

// The reports module registers one factory a family.
void RegisterReportController(EReportFamily family, ReportControllerFactory factory);
// A new controller of the family for the view; one that does nothing for a
// family without a factory.
std::unique_ptr<IReportController> CreateReportController(EReportFamily family, CShimeView& view);
