#include "ReportFixture.h"
#include "app/AppHome.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "reports/PeriodDlg.h"
#include "reports/ReportsModule.h"
#include "reports/ShimeListCtrl.h"
#include "reports/ShimeView.h"
#include "reports/SummaryTotals.h"
#include "reports/SyukeiCondDlg.h"
#include "resources/CommandIds.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <functional>

namespace
{

void Pump()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The IDs each finished delete statement of a table names.
struct DeleteTrace {
    QString prefix;
    QList<int> sizes;
    static int Step(unsigned, void* self, void* statement, void*)
    {
        auto* trace = static_cast<DeleteTrace*>(self);
        const QString text = QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(statement)));
        if (text.startsWith(trace->prefix))
            trace->sizes << int(text.count(u',')) + 1;
        return 0;
    }
};

template <class Dialog> ScopedModalRunner Answer(std::function<void(Dialog&)> fill, bool ok = true)
{
    return ScopedModalRunner([fill, ok](QDialog& dialog) {
        auto* d = dynamic_cast<Dialog*>(&dialog);
        if (!d)
            return int(QDialog::Rejected);
        fill(*d);
        if (!ok)
            return int(QDialog::Rejected);
        d->OnOK();
        return d->result();
    });
}

class ReportDeleteTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        RegisterReportViews(CViewRegistry::Instance());
        ASSERT_FALSE(m_home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
        m_ui.Clock().SetToday(QDate(2004, 5, 31));
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->Create());
        Pump();
        // 600 receipts R001..R600 of May with one line each; R001-R003 are
        // booked to the open closing C1.
        Exec("INSERT INTO Customer(CustomerCode, Company, Day) VALUES ('K001', '青葉商事', 25)");
        Exec("INSERT INTO Sales_Close(ID, No, CustomerCode, CloseDate, Status, TudoFlg) "
             "VALUES (7, 'C1', 'K001', '2004-04-25', 0, 1)");
        Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 600) "
             "INSERT INTO Receipt_H(No, \"Date\", CustomerCode, Amount, SeikyuID, CloseID) "
             "SELECT printf('R%03d', i), '2004-05-10', 'K001', 10000, iif(i <= 3, 7, 0), 0 FROM n");
        Exec("INSERT INTO Receipt_B(HeaderID, LineNo, Code, Amount) SELECT ID, 1, '現金', 10000 FROM "
             "Receipt_H");
    }
    void TearDown() override
    {
        m_frame.reset();
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
    }
    void Exec(const char* sql)
    {
        QString err;
        ASSERT_EQ(m_frame->GetMakeMsgID().Execute(QString::fromUtf8(sql), err), 1) << err.toStdString();
    }
    int Count(const char* table, const char* where = "")
    {
        CCDSData request, rows;
        request.m_strCondition = QStringLiteral("SELECT COUNT(*) FROM %1 %2")
                                     .arg(QString::fromUtf8(table), QString::fromUtf8(where));
        QString err;
        EXPECT_EQ(m_frame->GetMakeMsgID().GetDataList(request, rows, err), 1) << err.toStdString();
        int n = -1;
        if (rows.GetCount() == 1)
            rows.GetAt(0)->GetAt(0)->GetData(n);
        return n;
    }
    CShimeView* Run(int id)
    {
        m_frame->SwitchView(0);
        Pump();
        m_frame->ExecuteCommand(id);
        Pump();
        return qobject_cast<CShimeView*>(m_frame->GetActiveView());
    }
    // Selects the rows of these receipt numbers.
    void Select(CShimeView* view, std::initializer_list<int> numbers)
    {
        view->ListCtrl()->clearSelection();
        for (int row = 0; row < view->List().RowCount(); ++row) {
            const int no = view->List()
                               .Rows()[size_t(row)]
                               .record->GetOneField(QString(), QStringLiteral("No"))
                               ->GetText()
                               .mid(1)
                               .toInt();
            if (std::find(numbers.begin(), numbers.end(), no) != numbers.end())
                view->ListCtrl()->selectionModel()->select(view->ListCtrl()->model()->index(row, 0),
                                                           QItemSelectionModel::Select |
                                                               QItemSelectionModel::Rows);
        }
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace

// The questions, and what each answer leaves behind.
TEST_F(ReportDeleteTest, DeleteAsksAndCancelsWithoutChange)
{
    const QString first = QStringLiteral("選択された入金データを削除します。");
    const QString closed = QStringLiteral("！！！ご注意！！！");
    const QString stopped = QStringLiteral("削除を中止しました。");
    struct Case {
        std::initializer_list<int> rows;
        QList<int> answers;
        QStringList starts; // the beginnings of the messages shown
        int receiptsLeft, closingsLeft;
    } cases[] = {
        {{}, {}, {QStringLiteral("削除するレコードを選択してください")}, 600, 1},
        {{5}, {IDCANCEL}, {first}, 600, 1},
        {{2, 5}, {IDOK, IDCANCEL}, {first, closed, stopped}, 600, 1},
        // Receipts without a closing hear only the first question.
        {{5, 6}, {IDOK}, {first}, 598, 1},
        // The closing is undone: its other receipt R001 is unbooked.
        {{2, 3}, {IDOK, IDOK}, {first, closed}, 596, 0},
    };
    for (const Case& c : cases) {
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueAnswers(c.answers);
        // The rows are gone from the list after a delete, so number anew.
        CShimeView* view = Run(32958);
        ASSERT_TRUE(view);
        Select(view, c.rows);
        m_frame->ExecuteCommand(ID_REPORT_DELETE);
        QStringList starts;
        for (const CPromptCall& call : m_ui.Prompt().Calls())
            starts << call.text.section(u'\n', 0, 0);
        EXPECT_EQ(starts, c.starts);
        EXPECT_EQ(Count("Receipt_H"), c.receiptsLeft);
        EXPECT_EQ(Count("Sales_Close"), c.closingsLeft);
        EXPECT_EQ(view->List().RowCount(), c.receiptsLeft);
        EXPECT_EQ(view->List().Records().GetCount(), c.receiptsLeft);
    }
    EXPECT_EQ(m_ui.Prompt().Calls().at(1).icon, int(MB_ICONEXCLAMATION));
    EXPECT_EQ(Count("Receipt_H", "WHERE No = 'R001' AND SeikyuID = 0"), 1);
    EXPECT_EQ(Count("Receipt_B"), 596);
}

// 600 receipts: three statements of 250, 250 and 100 IDs. A failure in the
// second leaves database, closing and list as they were; success takes the
// lines with their headers and the records with their rows.
TEST_F(ReportDeleteTest, SixHundredInThreeBatchesAllOrNothing)
{
    CShimeView* view = Run(32958);
    ASSERT_TRUE(view);
    DeleteTrace trace{QStringLiteral("DELETE FROM \"Receipt_H\""), {}};
    sqlite3_trace_v2(m_frame->GetMakeMsgID().Handle(), SQLITE_TRACE_PROFILE, &DeleteTrace::Step, &trace);
    // R200 stands in the second batch (the list runs from R600 down).
    Exec("CREATE TEMP TRIGGER refuse BEFORE DELETE ON Receipt_H WHEN OLD.No = 'R200' "
         "BEGIN SELECT RAISE(ABORT, '削除できません'); END");
    m_ui.Prompt().QueueAnswers({IDOK, IDOK});
    view->SelectAllRows();
    m_frame->ExecuteCommand(ID_REPORT_DELETE);
    EXPECT_EQ(trace.sizes, (QList<int>{250, 250}));
    EXPECT_TRUE(m_ui.Prompt().Texts().last().startsWith(QStringLiteral("データの削除に失敗しました。")));
    EXPECT_EQ(Count("Receipt_H"), 600);
    EXPECT_EQ(Count("Receipt_B"), 600);
    EXPECT_EQ(Count("Receipt_H", "WHERE SeikyuID = 7"), 3);
    EXPECT_EQ(Count("Sales_Close"), 1);
    EXPECT_EQ(view->List().RowCount(), 600);
    EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数：600件"));

    Exec("DROP TRIGGER temp.refuse");
    trace.sizes.clear();
    m_ui.Prompt().QueueAnswers({IDOK, IDOK});
    view->SelectAllRows();
    m_frame->ExecuteCommand(ID_REPORT_DELETE);
    sqlite3_trace_v2(m_frame->GetMakeMsgID().Handle(), 0, nullptr, nullptr);
    EXPECT_EQ(trace.sizes, (QList<int>{250, 250, 100}));
    EXPECT_EQ(Count("Receipt_H") + Count("Receipt_B"), 0);
    EXPECT_EQ(Count("Sales_Close"), 0);
    EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数：0件"));
    view->RefreshList();
    EXPECT_EQ(view->ListCtrl()->model()->rowCount(), 0);
    EXPECT_EQ(view->List().Records().GetCount(), 0);
}

// The conditions change in place: the period of the receipts, the summary
// period of the staff totals and the sheets, the aggregation's classification.
TEST_F(ReportDeleteTest, InListConditionsReload)
{
    CShimeView* view = Run(32958);
    ASSERT_TRUE(view);
    {
        auto answer = Answer<CPeriodDlg>([](CPeriodDlg& d) {
            EXPECT_EQ(d.Rules().m_bNoEnd, 1);
            d.Rules().m_bNoEnd = 0;
            d.Rules().m_from = QDate(2004, 5, 11);
            d.Rules().m_to = QDate(2004, 5, 31);
        });
        m_frame->ExecuteCommand(ID_REPORT_DISPLAY_PERIOD);
    }
    EXPECT_EQ(view->Request().periodShape, 0);
    EXPECT_EQ(view->PeriodLabel()->text(), QStringLiteral("期間：2004/05/11～2004/05/31"));
    EXPECT_EQ(view->List().RowCount(), 0);

    Exec("INSERT INTO Sales_H(ID, No, \"Date\", CustomerCode) VALUES (1, 'S1', '2004-04-10', 'K001')");
    Exec("INSERT INTO Sales_B(HeaderID, \"Date\", LineNo, ItemType, TaxFlg, Amount, IncludeTax) VALUES"
         "(1, '2004-04-10', 1, 1, 1, 30000000, 0), (1, '2004-05-10', 2, 1, 2, 11000000, 0)");
    {
        auto answer = Answer<CPeriodDlg>([](CPeriodDlg& d) { EXPECT_EQ(d.Rules().m_nOption, 0); });
        view = Run(32840);
    }
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetMode(), 47);
    EXPECT_EQ(view->Request().aggregateBy, 3);
    EXPECT_EQ(view->ListCtrl()->model()->rowCount(), 11);
    EXPECT_EQ(view->ListCtrl()->model()->index(1, 1).data().toString(), QStringLiteral("1,100"));
    {
        auto april = Answer<CPeriodDlg>([](CPeriodDlg& d) {
            d.Rules().m_from = QDate(2004, 4, 1);
            d.Rules().m_to = QDate(2004, 4, 30);
        });
        m_frame->ExecuteCommand(ID_REPORT_SUMMARY_CONDITION);
    }
    EXPECT_EQ(view->PeriodLabel()->text(), QStringLiteral("期間：2004/04/01～2004/04/30"));
    EXPECT_EQ(view->ListCtrl()->model()->index(0, 1).data().toString(), QStringLiteral("3,000"));

    // An aggregation grouped in place by a classification: the columns
    // follow, the customer keeps its row.
    Exec("UPDATE Customer SET Class1 = '東京'");
    {
        auto answer = Answer<CSyukeiCondDlg>([](CSyukeiCondDlg& d) {
            d.ClassCombo()->setCurrentIndex(1);
            d.Rules().SetGroupByClass(true);
        });
        // Opened over the staff totals' period.
        m_frame->SwitchView(25, view->Request());
        Pump();
        view = qobject_cast<CShimeView*>(m_frame->GetActiveView());
        ASSERT_TRUE(view);
        const size_t columns = view->List().Columns().size();
        m_frame->ExecuteCommand(ID_REPORT_SUMMARY_CONDITION);
        EXPECT_EQ(view->List().Columns().size(), columns + 1);
    }
    EXPECT_EQ(view->Request().classField, QStringLiteral("Class1"));
    EXPECT_EQ(view->Request().groupByClass, 1);
    EXPECT_TRUE(view->List().IsGrouping());
    ASSERT_GT(view->List().RowCount(), 0);
    EXPECT_EQ(view->List().Rows().back().kind, CReportRow::kGrand);
}

// The summary sheets on the worked figures of the report world (May 2004).
class SummaryTotalsTest : public ReportFixture
{
};

TEST_F(SummaryTotalsTest, OneRowPerFigureOfTheBreakdown)
{
    const QDate may1(2004, 5, 1), may31(2004, 5, 31);
    CCDSData sales, purchases;
    ASSERT_EQ(LoadSummaryTotals(m_data, false, may1, may31, sales), 1);
    ASSERT_EQ(LoadSummaryTotals(m_data, true, may1, may31, purchases), 1);
    EXPECT_EQ(Table(sales, {"内訳", "金額"}),
              QStringList({"税抜売上|1800", "税込売上|1100", "非課税売上|500", "税抜値引|-200", "税込値引|0",
                           "非課税値引|0", "税抜その他|0", "税込その他|0", "非課税その他|300", "税額|160.5",
                           "入金値引|200"}));
    EXPECT_EQ(Values(purchases, 10, {"内訳", "金額"}), (QStringList{"支払値引", "10"}));
}
