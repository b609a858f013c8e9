#include "master/MasterView.h"
#include "app/AppHome.h"
#include "app/FindDialog.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "master/ExtractDlg.h"
#include "master/MasterFilterFile.h"
#include "master/MasterList.h"
#include "master/MasterModule.h"
#include "platform/data/ExCondition.h"
#include "platform/data/Record.h"
#include "platform/ui/FakeUi.h"
#include "resources/CommandIds.h"
#include "settings/BunruiData.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QTableView>
#include <gtest/gtest.h>

namespace
{

void Pump()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        // Views a switch left behind go now, as they would in the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

QStringList Column(const CMasterView& view, int column)
{
    QStringList texts;
    const QAbstractItemModel* model = view.ListControl()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, column).data().toString();
    return texts;
}

class MasterViewTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        RegisterMasterViews(CViewRegistry::Instance());
        ASSERT_TRUE(m_home.IsReady());
        m_folder = m_home.AddCurrentDatabase(QStringLiteral("本社"));
        ASSERT_FALSE(m_folder.isEmpty());
        CBunruiData classes;
        ASSERT_EQ(classes.SetTitle(1, 1, QStringLiteral("地域")), 1);
        for (const char* value : {"関東", "関西"})
            ASSERT_EQ(classes.AddContentAndSave(1, 1, QString::fromUtf8(value)), 1);
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->Create());
        Pump();
        ASSERT_TRUE(m_frame->IsConnected());
        QString err;
        ASSERT_EQ(
            m_frame->GetMakeMsgID().Execute(
                QStringLiteral("INSERT INTO Customer(CustomerCode, Company, Name, Class2, CollectCycle, "
                               "CollectDay) VALUES"
                               "('C1', 'いろは商店', '', '関西', 0, 20), ('C2', 'abc', '', '関東', 1, 99),"
                               "('C3', 'ABD', '', '関東', 2, 5)"),
                err),
            1)
            << err.toStdString();
    }
    void TearDown() override
    {
        m_frame.reset();
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
    }

    CMasterView* Show(int kind)
    {
        m_frame->SwitchView(kind);
        Pump();
        return qobject_cast<CMasterView*>(m_frame->GetActiveView());
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    QString m_folder;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace

// The customer list as the user works it: the rows and their count, a
// classification filter, header clicks, find; the filter is kept for the
// next time the list opens.
TEST_F(MasterViewTest, FilterSortAndCountLine)
{
    CMasterView* view = Show(2);
    ASSERT_TRUE(view);
    EXPECT_EQ(m_frame->windowTitle(), QStringLiteral("Corvanta／販売－得意先一覧"));
    EXPECT_EQ(view->CountLine()->text(), QStringLiteral("件数 : 3 ／ 3件"));
    EXPECT_EQ(Column(*view, 0), QStringList({"C1", "C2", "C3"}));
    EXPECT_EQ(view->GetSelectedRows(), QList<int>{0});
    ASSERT_EQ(view->TitleBox()->count(), 6);
    EXPECT_EQ(view->TitleBox()->itemText(2), QStringLiteral("地域"));
    EXPECT_FALSE(view->ValueBox()->isEnabled());
    const int collectDay = view->List()->Model().GetColumns().IndexOf(QStringLiteral("CollectDay"));
    ASSERT_GE(collectDay, 0);
    EXPECT_EQ(Column(*view, collectDay), QStringList({"20日", "月末", "5"}));
    EXPECT_EQ(m_frame->FindMenuItem(ID_MASTER_CREATE_SLIP)->text(), QStringLiteral("売上伝票/見積書の作成"));
    EXPECT_EQ(m_frame->FindMenuItem(ID_MASTER_LABEL_PRINT)->text(), QStringLiteral("宛名印刷"));
    EXPECT_FALSE(m_frame->QueryCommandState(ID_MASTER_SHOW_ALL).enabled);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_MASTER_NEW).enabled);

    // A title alone keeps the rows; its value narrows them.
    view->TitleBox()->setCurrentIndex(2);
    Q_EMIT view->TitleBox()->activated(2);
    EXPECT_EQ(view->List()->Model().GetRowCount(), 3);
    ASSERT_TRUE(view->ValueBox()->isEnabled());
    ASSERT_EQ(view->ValueBox()->count(), 2);
    view->ValueBox()->setCurrentIndex(0);
    Q_EMIT view->ValueBox()->activated(0);
    EXPECT_EQ(Column(*view, 0), QStringList({"C2", "C3"}));
    EXPECT_EQ(view->CountLine()->text(), QStringLiteral("件数 : 2 ／ 3件"));
    EXPECT_TRUE(m_frame->QueryCommandState(ID_MASTER_SHOW_ALL).enabled);

    // Header clicks: ascending, then descending, case folded.
    const int company = view->List()->Model().GetColumns().IndexOf(QStringLiteral("Company_Section_Name"));
    ASSERT_GE(company, 0);
    Q_EMIT view->ListControl()->horizontalHeader()->sectionClicked(company);
    EXPECT_EQ(Column(*view, 0), QStringList({"C2", "C3"}));
    Q_EMIT view->ListControl()->horizontalHeader()->sectionClicked(company);
    EXPECT_EQ(Column(*view, 0), QStringList({"C3", "C2"}));

    // Find forward from the selection, then past the end.
    view->ListControl()->selectRow(0);
    CFindRequest find;
    find.findWhat = QStringLiteral("abc");
    EXPECT_EQ(view->OnFindRequest(find), 1);
    EXPECT_EQ(view->GetSelectedRows(), QList<int>{1});
    EXPECT_EQ(view->OnFindRequest(find), 0);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{QStringLiteral("検索が終了しました。\n")});
    EXPECT_EQ(view->GetSelectedRows(), QList<int>{1});

    // Leaving keeps the filter in the file; opening again restores it.
    Show(0);
    Pump();
    const QStringList lines = MasterFilterFile::ReadLines(MasterFilterFile::Path());
    EXPECT_EQ(lines, QStringList({"", "2,関東", ""}));
    view = Show(2);
    EXPECT_EQ(view->TitleBox()->currentIndex(), 2);
    EXPECT_EQ(view->ValueBox()->currentText(), QStringLiteral("関東"));
    EXPECT_EQ(view->CountLine()->text(), QStringLiteral("件数 : 2 ／ 3件"));

    // "すべてのデータを表示" drops the filter.
    m_frame->ExecuteCommand(ID_MASTER_SHOW_ALL);
    EXPECT_EQ(view->TitleBox()->currentIndex(), 0);
    EXPECT_EQ(view->CountLine()->text(), QStringLiteral("件数 : 3 ／ 3件"));
}

// An active extraction replaces the filter and disables it; the records
// the entry dialogs save arrive through the frame; stepping stops at the end.
TEST_F(MasterViewTest, ExtractionRelaysAndStepping)
{
    auto condition = std::make_unique<CExCondition>();
    condition->m_nKind = 3;
    condition->m_strSQL =
        QStringLiteral("SELECT Customer.* FROM Customer WHERE [Customer].[CollectCycle] <> 0");
    m_frame->SetExtractCondition(std::move(condition), 0);
    CMasterView* view = Show(2);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->CountLine()->text(), QStringLiteral("抽出件数 : 2 ／ 3件"));
    EXPECT_FALSE(view->TitleBox()->isEnabled());
    EXPECT_FALSE(view->ValueBox()->isEnabled());
    EXPECT_TRUE(m_frame->QueryCommandState(ID_MASTER_SHOW_ALL).enabled);

    COneRecord fresh;
    fresh.SetField(QStringLiteral("Customer.ID"), 99);
    fresh.SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("C9"));
    EXPECT_EQ(m_frame->NotifyMasterRecordAdded(&fresh), 1);
    EXPECT_EQ(Column(*view, 0), QStringList({"C9", "C2", "C3"}));
    EXPECT_EQ(view->GetSelectedRows(), QList<int>{0});
    EXPECT_EQ(view->CountLine()->text(), QStringLiteral("抽出件数 : 3 ／ 4件"));

    bool prev = true, next = false;
    EXPECT_EQ(m_frame->GetMasterPrevNextState(prev, next), 0);
    EXPECT_FALSE(prev);
    EXPECT_TRUE(next);
    COneRecord* last = view->List()->Model().RecordAt(2);
    EXPECT_EQ(m_frame->SelectNextMasterRecord(nullptr), view->List()->Model().RecordAt(1));
    EXPECT_EQ(m_frame->SelectNextMasterRecord(nullptr), last);
    EXPECT_EQ(m_frame->SelectNextMasterRecord(nullptr), nullptr);
    EXPECT_EQ(m_frame->SelectNextMasterRecord(last), nullptr);
    EXPECT_EQ(view->GetSelectedRows(), QList<int>{2});
    EXPECT_EQ(m_frame->SelectPrevMasterRecord(last), view->List()->Model().RecordAt(1));

    // Show all asks before dropping the extraction.
    m_ui.Prompt().QueueAnswers({IDNO, IDYES});
    m_frame->ExecuteCommand(ID_MASTER_SHOW_ALL);
    EXPECT_TRUE(m_frame->GetExtractCondition());
    m_frame->ExecuteCommand(ID_MASTER_SHOW_ALL);
    EXPECT_FALSE(m_frame->GetExtractCondition());
    EXPECT_EQ(view->CountLine()->text(), QStringLiteral("件数 : 3 ／ 3件"));
    EXPECT_TRUE(view->TitleBox()->isEnabled());
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList(2, QStringLiteral("抽出を解除してよろしいですか？")));
}

// "抽出..." on the customer list: a condition run narrows the list with
// "抽出件数"; "すべてのデータを表示" shows every row again.
TEST_F(MasterViewTest, ExtractionCommandNarrowsTheList)
{
    CMasterView* view = Show(2);
    ASSERT_TRUE(view);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_MASTER_EXTRACT).enabled);
    QList<int> targets;
    const ExtractDialogRunner old = SetExtractDialogRunner([&](EMasterKind target, CMainFrame& frame) {
        targets << CMasterKind::Of(target).columnSet;
        CFrameExtractHost host(frame);
        CExtractRules rules(target, host, {});
        rules.Init();
        int field = -1;
        for (int i = 0; i < rules.Builder().GetFields().size(); ++i) {
            if (rules.Builder().GetFields()[i].m_strField == QLatin1StringView("CollectDay"))
                field = i;
        }
        rules.SetField(0, field);
        rules.SelectValue(0, 0);    // 月末
        rules.SelectOperator(0, 1); // と等しくない
        return rules.OnRun() ? int(IDOK) : int(IDCANCEL);
    });
    m_frame->ExecuteCommand(ID_MASTER_EXTRACT);
    SetExtractDialogRunner(old);
    EXPECT_EQ(targets, QList<int>{1});
    EXPECT_EQ(Column(*view, 0), QStringList({"C1", "C3"}));
    EXPECT_EQ(view->CountLine()->text(), QStringLiteral("抽出件数 : 2 ／ 3件"));
    EXPECT_FALSE(view->TitleBox()->isEnabled());
    EXPECT_EQ(m_frame->m_bExtract, 0);

    m_ui.Prompt().QueueAnswers({IDYES});
    m_frame->ExecuteCommand(ID_MASTER_SHOW_ALL);
    EXPECT_EQ(Column(*view, 0), QStringList({"C1", "C2", "C3"}));
    EXPECT_EQ(view->CountLine()->text(), QStringLiteral("件数 : 3 ／ 3件"));
}
