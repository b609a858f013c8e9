// The families' controllers over a screen of their own: each answers the
// state of the commands it runs from its list and the rows selected, speaks
// through its screen, and a family nobody registered stops the screen.

#include "app/AppHome.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/data/MakeMsgID.h"
#include "platform/ui/FakeUi.h"
#include "reports/AggregationController.h"
#include "reports/ClosingController.h"
#include "reports/LedgerController.h"
#include "reports/ReportController.h"
#include "reports/ReportList.h"
#include "reports/ReportOpen.h"
#include "reports/ReportScreen.h"
#include "reports/ReportsModule.h"
#include "reports/ScheduleController.h"
#include "reports/ShimeView.h"
#include "reports/StockController.h"
#include "resources/CommandIds.h"

#include "RecordingScreen.h"
#include "ShimeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace
{

// A list of the mode with `rows` data rows of empty records.
void Fill(CReportList& list, int mode, int rows)
{
    list.SetMode(mode);
    list.ClearRows();
    for (int i = 0; i < rows; ++i)
        list.Rows().push_back(CReportRow());
}

std::unique_ptr<IReportController> Make(EReportFamily family, IReportScreen& screen, CReportList& list)
{
    RegisterReportViews(CViewRegistry::Instance());
    return CreateReportController(family, screen, list);
}

// Worked states: what each family's commands need of the list shown and the
// rows selected.
TEST(ReportFamilyTest, EachCommandsStateFollowsTheListAndTheSelection)
{
    struct Case {
        int mode;
        int rows;
        QList<int> selected;
        int id;
        bool enabled;
    };
    const Case cases[] = {
        // Closing candidates close a list with rows, selected or not.
        {8, 0, {}, ID_REPORT_CLOSE_PRINT, false},
        {8, 2, {}, ID_REPORT_CLOSE_PRINT, true},
        {12, 2, {}, ID_REPORT_CLOSE_PRINT, false},
        {9, 0, {}, ID_REPORT_CLOSING_DATE, true},
        {13, 2, {0}, ID_REPORT_CLOSING_DATE, false},
        // Undoing, reprints: the closings selected.
        {8, 2, {}, ID_REPORT_UNDO_CLOSE, false},
        {13, 2, {1}, ID_REPORT_UNDO_CLOSE, true},
        {12, 2, {}, ID_REPORT_REPRINT, false},
        {12, 2, {0, 1}, ID_REPORT_REPRINT, true},
        {9, 0, {}, ID_MASTER_LABEL_PRINT, true},
        // The receipt dialog opens on one row; bulk receipts and the date
        // take any number.
        {10, 3, {}, ID_REPORT_RECEIPT, false},
        {10, 3, {2}, ID_REPORT_RECEIPT, true},
        {14, 3, {0, 2}, ID_REPORT_RECEIPT, false},
        {11, 3, {0, 2}, ID_REPORT_BULK_RECEIPT, true},
        {10, 3, {}, ID_REPORT_SCHEDULE_DATE, false},
        {14, 3, {1}, ID_REPORT_RECEIPT_PRINT, true},
        {11, 0, {}, ID_REPORT_TRANSFER, true},
        // The ledgers' conditions and the way back to the list drilled from.
        {43, 0, {}, ID_BACK_TO_LIST, true},
        {45, 0, {}, ID_BACK_TO_LIST, false},
        {18, 1, {0}, ID_BACK_TO_LIST, false},
        {46, 0, {}, ID_LEDGER_CONDITION, true},
        {21, 1, {}, ID_LEDGER_CONDITION, false},
        {23, 0, {}, ID_REPORT_BALANCE_CONDITION, true},
        {33, 0, {}, ID_REPORT_STOCK_EDIT, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.id);
        CRecordingScreen screen;
        CReportList list;
        Fill(list, c.mode, c.rows);
        screen.m_selected = c.selected;
        const std::unique_ptr<IReportController> controller = Make(ReportMode(c.mode).family, screen, list);
        CCmdUI ui;
        ui.enabled = !c.enabled;
        ASSERT_TRUE(controller->OnUpdateCmdUI(c.id, ui));
        EXPECT_EQ(ui.enabled, c.enabled);
        // A command of another family is none of its own.
        ui.enabled = true;
        for (int other : ReportFamilyCommands())
            if (!controller->HasCommandHandler(other)) {
                EXPECT_FALSE(controller->OnUpdateCmdUI(other, ui)) << other;
            }
    }
}

// Each command belongs to one family, and the families' commands are their
// tables': nothing else is offered as one.
TEST(ReportFamilyTest, ACommandBelongsToOneFamily)
{
    RegisterReportViews(CViewRegistry::Instance());
    QList<int> all;
    const auto add = [&all](const auto& table) {
        for (const auto& command : table)
            all << command.id;
    };
    add(CClosingController::Commands());
    add(CScheduleController::Commands());
    add(CAggregationController::Commands());
    add(CLedgerController::Commands());
    add(CStockController::Commands());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    EXPECT_EQ(ReportFamilyCommands(), all);
    EXPECT_EQ(all.size(), 14);
}

// What a controller says and asks goes through its screen; the list and its
// conditions are all it reads besides.
TEST(ReportFamilyTest, ControllersSpeakThroughTheirScreen)
{
    ScopedFakeUi ui;
    const struct {
        int mode;
        int id;
        QStringList calls;
    } cases[] = {
        {22, ID_REPORT_STOCK_EDIT, {"Say 修正するデータを選択してください。"}},
        {10,
         ID_REPORT_BULK_RECEIPT,
         {"Ask 選択されたデータの入金予定額で入金処理をします。よろしいですか？"}},
        {10, ID_REPORT_SCHEDULE_DATE, {"Say 入金予定日を変更したいデータを選択してください。"}},
        {8, ID_REPORT_CLOSING_DATE, {"ClosingDate 0"}},
        {9, ID_REPORT_CLOSING_DATE, {"ClosingDate 1"}},
        // The way back from a detail shows the list it came from; a ledger
        // without one stays.
        {43, ID_BACK_TO_LIST, {"Mode 23 売掛残高一覧", "Count 件数：0件"}},
        {45, ID_BACK_TO_LIST, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.id);
        CRecordingScreen screen;
        CReportList list;
        Fill(list, c.mode, 2);
        const std::unique_ptr<IReportController> controller = Make(ReportMode(c.mode).family, screen, list);
        EXPECT_TRUE(controller->OnCmdMsg(c.id));
        EXPECT_EQ(screen.m_calls, c.calls);
    }
    EXPECT_TRUE(ui.Prompt().Texts().isEmpty());

    // Opened directly, the ledger's load fails on the unconnected database,
    // which its screen tells; the way back then leads to the menu screen.
    CRecordingScreen screen;
    CReportList list;
    Fill(list, 42, 0);
    const std::unique_ptr<IReportController> ledger = Make(EReportFamily::Ledger, screen, list);
    ledger->Load();
    const QString fatal =
        QStringLiteral("Tell "
                       "処理中に重大なエラーが発生しました。このまま『Corvanta／販売』を使用することはできま"
                       "せん。\n\nすみやかにアプリケーションを終了してください。");
    EXPECT_EQ(screen.m_calls, QStringList({"ClearRows", fatal}));
    EXPECT_EQ(ui.Prompt().Texts().size(), 0);
    CCmdUI state;
    ASSERT_TRUE(ledger->OnUpdateCmdUI(ID_BACK_TO_LIST, state));
    EXPECT_FALSE(state.enabled);
    EXPECT_TRUE(ledger->OnCmdMsg(ID_BACK_TO_LIST));
    EXPECT_EQ(screen.m_calls, QStringList({"ClearRows", fatal, "Menu"}));
}

class ReportFamilyScreenTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        RegisterReportViews(CViewRegistry::Instance());
        ASSERT_TRUE(m_home.IsReady());
        ASSERT_FALSE(m_home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->Create());
        Pump();
        ASSERT_TRUE(m_frame->IsConnected());
    }
    void TearDown() override
    {
        m_frame.reset();
        RegisterReportViews(CViewRegistry::Instance());
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    std::unique_ptr<CMainFrame> m_frame;
};

// A family nobody registered is a fault of the program: no list of any mode
// opens then, the screen shown stays, and the family's controller cannot be
// made; registered again, every list opens.
TEST_F(ReportFamilyScreenTest, AFamilyLeftUnregisteredStopsEveryList)
{
    for (int mode = kFirstReportMode; mode <= kLastReportMode; ++mode) {
        SCOPED_TRACE(mode);
        const EReportFamily family = ReportMode(mode).family;
        RegisterReportController(family, {}, {});
        EXPECT_THROW(OpenReportList(*m_frame, mode), std::logic_error);
        Pump();
        EXPECT_EQ(m_frame->GetViewKind(), 0);
        CRecordingScreen screen;
        CReportList list;
        EXPECT_THROW(CreateReportController(family, screen, list), std::logic_error);

        RegisterReportViews(CViewRegistry::Instance());
        OpenReportList(*m_frame, mode);
        Pump();
        auto* view = qobject_cast<CShimeView*>(m_frame->GetActiveView());
        ASSERT_TRUE(view);
        EXPECT_EQ(view->GetMode(), mode);
        EXPECT_NO_THROW(view->ControllerFor(mode));
        m_frame->SwitchView(0);
        Pump();
    }
    // Outside the list modes a screen has no controller.
    CShimeView view(*m_frame);
    for (int outside : {0, 7, 49})
        EXPECT_THROW(view.ControllerFor(outside), std::invalid_argument) << outside;
    m_ui.Prompt().Clear();
}

} // namespace
