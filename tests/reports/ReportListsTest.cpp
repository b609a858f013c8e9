#include "app/AppHome.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "reports/BalanceListCondDlg.h"
#include "reports/PeriodDlg.h"
#include "reports/ReportCommands.h"
#include "reports/ReportLoaders.h"
#include "reports/ReportsModule.h"
#include "reports/ShimeView.h"
#include "reports/SyukeiCondDlg.h"
#include "resources/CommandIds.h"
#include "settings/BunruiData.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QLabel>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <array>
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

// Answers the period dialog as a user would: `fill` changes its rules, then
// OK (which may refuse) or Cancel.
ScopedModalRunner PeriodAnswer(std::function<void(CPeriodRules&)> fill, bool ok = true, int* opened = nullptr)
{
    return ScopedModalRunner([fill, ok, opened](QDialog& dialog) {
        auto* period = dynamic_cast<CPeriodDlg*>(&dialog);
        if (!period)
            return int(QDialog::Rejected);
        if (opened)
            ++*opened;
        fill(period->Rules());
        if (!ok)
            return int(QDialog::Rejected);
        period->OnOK();
        return period->result();
    });
}

// Answers the balance dialog: `fill` changes its rules after it opened,
// then OK (which may refuse) or Cancel; `after` gets the conditions as the
// dialog leaves them.
ScopedModalRunner BalanceAnswer(std::function<void(CBalanceListCondDlg&)> fill, bool ok = true,
                                CReportRequest* after = nullptr)
{
    return ScopedModalRunner([fill, ok, after](QDialog& dialog) {
        auto* balance = dynamic_cast<CBalanceListCondDlg*>(&dialog);
        if (!balance)
            return int(QDialog::Rejected);
        fill(*balance);
        if (ok)
            balance->OnOK();
        if (after)
            *after = balance->Request();
        return ok ? balance->result() : int(QDialog::Rejected);
    });
}

// Answers the aggregation dialog as the balance dialog's answer does.
ScopedModalRunner SyukeiAnswer(std::function<void(CSyukeiCondDlg&)> fill, bool ok = true)
{
    return ScopedModalRunner([fill, ok](QDialog& dialog) {
        auto* syukei = dynamic_cast<CSyukeiCondDlg*>(&dialog);
        if (!syukei)
            return int(QDialog::Rejected);
        fill(*syukei);
        if (!ok)
            return int(QDialog::Rejected);
        syukei->OnOK();
        return syukei->result();
    });
}

QString CodeOf(CShimeView* view, int row)
{
    const CTb* tb = view->List().Records().GetAt(row)->GetOneField(QString(), QStringLiteral("CustomerCode"));
    return tb ? tb->GetText() : QStringLiteral("<none>");
}

class ReportListsTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        RegisterReportViews(CViewRegistry::Instance());
        ASSERT_TRUE(m_home.IsReady());
        ASSERT_FALSE(m_home.AddCurrentDatabase(QStringLiteral("本社")).isEmpty());
        m_ui.Clock().SetToday(QDate(2004, 5, 31));
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->Create());
        Pump();
        ASSERT_TRUE(m_frame->IsConnected());
        Exec("INSERT INTO Customer(CustomerCode, Company, Section, Name, Day, TaxRoundType) VALUES"
             "('K001', '青葉商事', '', '', 25, 2), ('K002', '赤坂物産', '', '', 25, 1)");
        Exec("INSERT INTO Receipt_H(No, \"Date\", CustomerCode, Amount, SeikyuID, CloseID) VALUES"
             "('R1', '2004-01-20', 'K001', 8000, 0, 0), ('R2', '2004-04-15', 'K001', 13000, 0, 0),"
             "('R3', '2004-05-15', 'K002', 5000, 0, 0)");
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
    // From the menu screen; `before` sets the report parameters there, since
    // leaving a list empties them.
    CShimeView* Run(int id, const std::function<void()>& before = {})
    {
        m_frame->SwitchView(0);
        Pump();
        if (before)
            before();
        m_frame->ExecuteCommand(id);
        Pump();
        return qobject_cast<CShimeView*>(m_frame->GetActiveView());
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace

// Receipts straight from the menu, then again through the period dialog with
// its open ends: shape, period text and rows follow the dialog.
TEST_F(ReportListsTest, ReceiptListsThroughTheirCommands)
{
    CShimeView* view = Run(32958);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetMode(), 14);
    // The default period: a year back to today, start only.
    EXPECT_EQ(view->PeriodLabel()->text(), QStringLiteral("期間：2003/06/01～"));
    EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数：3件"));

    struct Case {
        int noStart, noEnd;
        QDate from, to;
        const char* period;
        int rows;
    } cases[] = {
        {0, 0, {2004, 1, 1}, {2004, 4, 30}, "期間：2004/01/01～2004/04/30", 2},
        {1, 0, {2004, 1, 1}, {2004, 1, 31}, "期間：～2004/01/31", 1},
        {0, 1, {2004, 5, 1}, {2004, 1, 1}, "期間：2004/05/01～", 1},
        // Both open: every record, the reversed dates are no matter.
        {1, 1, {2004, 5, 1}, {2004, 1, 1}, "期間：指定なし", 3},
    };
    for (const Case& c : cases) {
        m_frame->SwitchView(0);
        Pump();
        m_frame->ExecuteCommand(32958);
        Pump();
        // The header list takes the period in place.
        view = qobject_cast<CShimeView*>(m_frame->GetActiveView());
        ASSERT_TRUE(view);
        view->Request().from = c.from;
        view->Request().to = c.to;
        view->Request().periodShape = c.noStart + 2 * c.noEnd;
        view->LoadSlipDetailList(view->Request().periodShape);
        EXPECT_EQ(view->PeriodLabel()->text(), QString::fromUtf8(c.period));
        EXPECT_EQ(view->List().Records().GetCount(), c.rows) << c.period;
        EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数：%1件").arg(c.rows));
    }

    // The slip lines ask their period, opened on the default one; Cancel
    // switches nothing.
    m_frame->SwitchView(0);
    Pump();
    int opened = 0;
    int shownShape = 0;
    QDate shownFrom;
    {
        auto cancel = PeriodAnswer(
            [&](CPeriodRules& r) {
                shownShape = r.m_bNoStart + 2 * r.m_bNoEnd;
                shownFrom = r.m_from;
            },
            false, &opened);
        m_frame->ExecuteCommand(32815);
        Pump();
    }
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(m_frame->GetViewKind(), 0);
    EXPECT_EQ(shownShape, 2);
    EXPECT_EQ(shownFrom, QDate(2003, 6, 1));
    {
        auto both = PeriodAnswer([](CPeriodRules& r) { r.m_bNoStart = r.m_bNoEnd = 1; });
        m_frame->ExecuteCommand(32815);
        Pump();
    }
    view = qobject_cast<CShimeView*>(m_frame->GetActiveView());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetMode(), 18);
    EXPECT_EQ(view->Request().periodShape, 3);
    EXPECT_EQ(view->PeriodLabel()->text(), QStringLiteral("期間：指定なし"));
    EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数：0明細"))
        << m_ui.Prompt().Texts().join(u'|').toStdString();
}

// Period totals: monthly snaps to whole months on both sides, daily keeps
// the dialog's dates; the aggregation by customer lists every customer.
TEST_F(ReportListsTest, PeriodTotalsAndCustomerAggregation)
{
    for (int id : {32963, 33007}) {
        for (int breakdown : {1, 0}) {
            auto answer = PeriodAnswer([&](CPeriodRules& r) {
                // Opened on the month preset.
                EXPECT_EQ(r.m_from, QDate(2004, 5, 1));
                EXPECT_EQ(r.m_to, QDate(2004, 5, 31));
                r.m_nBreakdown = breakdown;
                r.m_from = QDate(2004, 3, 15);
                r.m_to = QDate(2004, 5, 10);
            });
            CShimeView* view = Run(id);
            ASSERT_TRUE(view);
            EXPECT_EQ(view->GetMode(), id == 32963 ? 31 : 32);
            EXPECT_EQ(view->Request().periodShape, breakdown);
            EXPECT_EQ(view->Request().aggregateBy, 4);
            EXPECT_EQ(view->Request().from, breakdown ? QDate(2004, 3, 1) : QDate(2004, 3, 15));
            EXPECT_EQ(view->Request().to, breakdown ? QDate(2004, 5, 31) : QDate(2004, 5, 10));
            EXPECT_EQ(view->PeriodLabel()->text(), breakdown
                                                       ? QStringLiteral("期間：2004年03月～2004年05月")
                                                       : QStringLiteral("期間：2004/03/15～2004/05/10"));
            m_ui.Prompt().Clear();
        }
    }

    m_frame->SwitchView(0);
    Pump();
    CReportRequest april;
    april.from = QDate(2004, 4, 1);
    april.to = QDate(2004, 4, 30);
    april.periodShape = 0;
    m_frame->SwitchView(25, april);
    Pump();
    auto* view = qobject_cast<CShimeView*>(m_frame->GetActiveView());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数：3件"));
    EXPECT_EQ(view->PeriodLabel()->text(), QStringLiteral("期間：2004/04/01～2004/04/30"));
    // A field that is no classification gives no statement: the failure is
    // said and the labels stay.
    view->Request().classField = QStringLiteral("Company");
    view->LoadSummaryList();
    EXPECT_TRUE(m_ui.Prompt().Texts().last().startsWith(QStringLiteral("データの取得に失敗しました。")));
    EXPECT_EQ(view->List().Records().GetCount(), 0);
    EXPECT_EQ(view->CountLabel()->text(), QStringLiteral("件数：3件"));
    view->Request().classField.clear();
}

// The period dialog's rules and the presets of the commands.
TEST(PeriodRules, MonthsBreakdownChecksAndPresets)
{
    CPeriodRules monthly(0, true);
    monthly.m_from = QDate(2004, 1, 15);
    monthly.m_to = QDate(2004, 3, 9);
    monthly.Open();
    EXPECT_EQ(monthly.m_from, QDate(2004, 1, 1));
    EXPECT_EQ(monthly.Check(QDate()), QString());
    monthly.Finish();
    EXPECT_EQ(monthly.m_to, QDate(2004, 12, 1));
    monthly.ToChanged(QDate(2004, 12, 1));
    EXPECT_EQ(monthly.m_from, QDate(2004, 1, 1));
    monthly.FromChanged(QDate(2004, 8, 1));
    EXPECT_EQ(monthly.m_to, QDate(2005, 7, 1));

    CPeriodRules daily(2, false);
    daily.m_from = QDate(2004, 11, 20);
    daily.m_to = QDate(2004, 12, 10);
    daily.SetBreakdown(0);
    EXPECT_EQ(daily.m_from, QDate(2004, 11, 1));
    EXPECT_EQ(daily.m_to, QDate(2004, 12, 31));
    daily.SetBreakdown(1);
    EXPECT_EQ(daily.m_to, QDate(2004, 12, 1));

    const QString wrong = QStringLiteral("日付の指定が正しくありません。");
    const QString carried = QStringLiteral("前回の繰越日以前の日付は指定できません。");
    struct Case {
        int noStart, noEnd;
        QDate from, to, last;
        QString expected;
    } cases[] = {
        {0, 0, {2004, 5, 2}, {2004, 5, 1}, {}, wrong},
        {1, 1, {2004, 5, 2}, {2004, 5, 1}, {}, {}},
        {0, 0, {}, {2004, 5, 1}, {}, wrong},
        {0, 0, {2004, 3, 31}, {2004, 5, 1}, {2004, 3, 31}, carried},
        // An open start is not held against the carry-forward.
        {1, 0, {2004, 3, 1}, {2004, 5, 1}, {2004, 3, 31}, {}},
        {0, 1, {2004, 4, 1}, {2004, 3, 1}, {2004, 3, 31}, {}},
        {0, 0, {2004, 4, 1}, {2004, 5, 1}, {2004, 3, 31}, {}},
    };
    for (const Case& c : cases) {
        CPeriodRules r(1, false);
        r.m_bNoStart = c.noStart;
        r.m_bNoEnd = c.noEnd;
        r.m_from = c.from;
        r.m_to = c.to;
        EXPECT_EQ(r.Check(c.last), c.expected) << c.from.toString().toStdString();
    }

    EXPECT_EQ(GetLastDayOfMonth(QDate(2004, 2, 10)), QDate(2004, 2, 29));
    EXPECT_EQ(GetLastDayOfMonth(QDate(2003, 12, 31)), QDate(2003, 12, 31));
    QDate from, to;
    TwelveMonthPreset(QDate(2004, 12, 5), from, to);
    EXPECT_EQ(from, QDate(2004, 1, 1));
    EXPECT_EQ(to, QDate(2004, 12, 31));
    TwelveMonthPreset(QDate(2004, 8, 5), from, to);
    EXPECT_EQ(from, QDate(2003, 9, 1));
    EXPECT_EQ(to, QDate(2004, 8, 31));
}

// The balance lists ask period and classification; a refusal or Cancel
// leaves every condition as it was, OK writes them and the list follows;
// reopening preselects the classification and its ticks.
TEST_F(ReportListsTest, BalanceListsThroughTheirConditions)
{
    CBunruiData classes;
    ASSERT_EQ(classes.SetTitle(BUNRUI_CUSTOMER, 0, QStringLiteral("地域")), 1);
    for (const char* value : {"東京", "大阪"})
        ASSERT_EQ(classes.AddContentAndSave(BUNRUI_CUSTOMER, 0, QString::fromUtf8(value)), 1);
    Exec("UPDATE Customer SET Class1 = iif(CustomerCode = 'K001', '東京', '大阪')");

    struct Refusal {
        int entry;
        QDate from;
        const char* message;
    } refusals[] = {
        {0, {2004, 6, 1}, "日付の指定が正しくありません。"},
        {0, {}, "日付の指定が正しくありません。"},
        {1, {2004, 5, 1}, "絞り込み対象を選択してください。"},
        // Never stored: the default title without contents.
        {2, {2004, 5, 1}, "絞り込み対象を選択してください。"},
    };
    for (const Refusal& c : refusals) {
        m_ui.Prompt().Clear();
        CReportRequest after;
        after.classTitle = QStringLiteral("<not left>");
        auto answer = BalanceAnswer(
            [&](CBalanceListCondDlg& d) {
                CBalanceCondRules& r = d.Rules();
                EXPECT_EQ(r.m_from, QDate(2004, 5, 1));
                EXPECT_EQ(r.m_to, QDate(2004, 5, 31));
                EXPECT_EQ(d.windowTitle(), QStringLiteral("売掛一覧の表示条件を設定"));
                EXPECT_EQ(d.ClassCombo()->itemText(1), QStringLiteral("地域"));
                EXPECT_EQ(d.ClassCombo()->itemText(2), QStringLiteral("分類２"));
                r.m_from = c.from;
                r.m_bWithoutTrade = 1;
                d.ClassCombo()->setCurrentIndex(c.entry);
            },
            true, &after);
        EXPECT_EQ(Run(32834), nullptr);
        EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(after.classField, QString());
        EXPECT_EQ(after.classTitle, QString());
        EXPECT_EQ(after.classItems, QStringList());
        EXPECT_FALSE(after.from.isValid());
        EXPECT_EQ(after.tradedOnly, 0);
    }
    {
        CReportRequest after;
        after.classTitle = QStringLiteral("<not left>");
        auto cancel =
            BalanceAnswer([](CBalanceListCondDlg& d) { d.ClassCombo()->setCurrentIndex(1); }, false, &after);
        EXPECT_EQ(Run(32834), nullptr);
        EXPECT_EQ(after.classTitle, QString());
    }

    // Tick Tokyo through a click on its check box.
    CShimeView* view = nullptr;
    {
        auto answer = BalanceAnswer([](CBalanceListCondDlg& d) {
            d.ClassCombo()->setCurrentIndex(1);
            CClassFilterRules& f = d.Rules().m_filter;
            ASSERT_EQ(f.m_rows, (QStringList{QStringLiteral("東京"), QStringLiteral("大阪")}));
            EXPECT_EQ(f.m_ticks, (QList<bool>{false, false}));
            f.ClickCheck(0, {1});
        });
        view = Run(32834);
    }
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetMode(), 23);
    EXPECT_EQ(view->Request().classField, QStringLiteral("Class1"));
    EXPECT_EQ(view->Request().classTitle, QStringLiteral("地域"));
    EXPECT_EQ(view->Request().classItems, QStringList{QStringLiteral("東京")});
    EXPECT_EQ(view->Request().from, QDate(2004, 5, 1));
    ASSERT_EQ(view->List().Records().GetCount(), 1);
    EXPECT_EQ(CodeOf(view, 0), QStringLiteral("K001"));

    // Reopened over the list: the classification and its tick come back.
    // Both contents ticked at once through the selection, then Tokyo
    // unticked alone: Osaka's K002 remains.
    {
        CBalanceListCondDlg d(1, view->Request());
        d.Rules().m_from = view->Request().from;
        d.Rules().m_to = view->Request().to;
        d.OnInitDialog();
        EXPECT_EQ(d.ClassCombo()->currentIndex(), 1);
        CClassFilterRules& f = d.Rules().m_filter;
        EXPECT_EQ(f.m_ticks, (QList<bool>{true, false}));
        f.ClickCheck(1, {0, 1});
        EXPECT_EQ(f.m_ticks, (QList<bool>{true, true}));
        f.ClickCheck(0, {1});
        EXPECT_EQ(f.m_ticks, (QList<bool>{false, true}));
        d.Rules().m_bWithoutTrade = 1;
        d.OnOK();
        EXPECT_EQ(d.result(), int(QDialog::Accepted));
    }
    view->LoadBalanceList();
    EXPECT_EQ(view->Request().classItems, QStringList{QStringLiteral("大阪")});
    EXPECT_EQ(view->Request().tradedOnly, 1);
    ASSERT_EQ(view->List().Records().GetCount(), 1);
    EXPECT_EQ(CodeOf(view, 0), QStringLiteral("K002"));

    // Payables: no filter empties the classification.
    {
        auto answer = BalanceAnswer([](CBalanceListCondDlg& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("買掛一覧の表示条件を設定"));
            // The customers' classification is not the suppliers'.
            EXPECT_EQ(d.ClassCombo()->currentIndex(), 0);
            EXPECT_EQ(d.ClassCombo()->itemText(0), QStringLiteral("絞り込まない"));
        });
        view = Run(32829);
    }
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetMode(), 24);
    EXPECT_TRUE(view->Request().classField.isEmpty());
    EXPECT_TRUE(view->Request().classTitle.isEmpty());
    EXPECT_TRUE(view->Request().classItems.isEmpty());
}

// Aggregations: a refused filter leaves the conditions as they were, OK
// copies the row's members; twelve months follow the start; the stock list
// keeps its aggregation and traded-only and refuses dates up to the
// carry-forward.
TEST_F(ReportListsTest, AggregationsThroughTheirConditions)
{
    CBunruiData classes;
    ASSERT_EQ(classes.SetTitle(BUNRUI_CUSTOMER, 0, QStringLiteral("地域")), 1);
    for (const char* value : {"東京", "大阪"})
        ASSERT_EQ(classes.AddContentAndSave(BUNRUI_CUSTOMER, 0, QString::fromUtf8(value)), 1);
    const QString chooseMsg = QStringLiteral("絞り込む分類を選択してください。");
    CShimeView* view = nullptr;
    {
        auto answer = SyukeiAnswer([&](CSyukeiCondDlg& d) {
            CSyukeiCondRules& r = d.Rules();
            EXPECT_EQ(r.m_from, QDate(2004, 5, 1));
            EXPECT_EQ(r.m_to, QDate(2004, 5, 31));
            EXPECT_EQ(d.ClassCombo()->itemText(0), QStringLiteral("コード順"));
            EXPECT_EQ(d.ClassCombo()->itemText(1), QStringLiteral("地域"));
            EXPECT_FALSE(r.m_bGroupEnabled || r.m_bFilterEnabled || r.m_bListEnabled);
            d.ClassCombo()->setCurrentIndex(1);
            EXPECT_TRUE(r.m_bGroupEnabled && r.m_bFilterEnabled);
            EXPECT_TRUE(r.m_filter.m_rows.isEmpty());
            r.SetFilter(true);
            ASSERT_EQ(r.m_filter.m_rows, (QStringList{QStringLiteral("東京"), QStringLiteral("大阪")}));
            r.SetGroupByClass(true);
            EXPECT_TRUE(r.m_bTotalsEnabled);
            r.m_bTotalsOnly = 1;
            r.m_bTradedOnly = 1;
            // Nothing ticked: refused before anything is written.
            d.OnOK();
            EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{chooseMsg});
            EXPECT_EQ(d.Request().classTitle, QString());
            EXPECT_EQ(d.Request().classItems, QStringList());
            EXPECT_EQ(d.Request().groupByClass, 0);
            r.m_filter.ClickCheck(0, {});
        });
        view = Run(32960);
    }
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetMode(), 25);
    EXPECT_EQ(view->Request().classField, QStringLiteral("Class1"));
    EXPECT_EQ(view->Request().classTitle, QStringLiteral("地域"));
    EXPECT_EQ(view->Request().classItems, QStringList{QStringLiteral("東京")});
    const CReportRequest& shown = view->Request();
    EXPECT_EQ((std::array{shown.groupByClass, shown.classTotalsOnly, shown.classFilter, shown.tradedOnly,
                          shown.aggregateBy}),
              (std::array{1, 1, 1, 1, 1}));
    EXPECT_EQ(view->Request().to, QDate(2004, 5, 31));

    // Back to code order clears grouping and totals; Cancel writes nothing.
    // The list's own condition command reopens the dialog on its conditions.
    view->Request().classTitle = QStringLiteral("地域");
    view->Request().classItems = QStringList{QStringLiteral("大阪")};
    view->Request().classFilter = 1;
    view->Request().groupByClass = 1;
    {
        auto cancel = SyukeiAnswer(
            [](CSyukeiCondDlg& d) {
                CSyukeiCondRules& r = d.Rules();
                // Reopened with the previous classification and its tick.
                EXPECT_EQ(d.ClassCombo()->currentIndex(), 1);
                EXPECT_EQ(r.m_filter.m_ticks, (QList<bool>{false, true}));
                EXPECT_TRUE(r.m_bListEnabled);
                d.ClassCombo()->setCurrentIndex(0);
                EXPECT_EQ(r.m_bGroupByClass + r.m_bTotalsOnly, 0);
                EXPECT_FALSE(r.m_bGroupEnabled || r.m_bTotalsEnabled || r.m_bFilterEnabled ||
                             r.m_bListEnabled);
            },
            false);
        m_frame->ExecuteCommand(ID_REPORT_SUMMARY_CONDITION);
        Pump();
    }
    EXPECT_EQ(m_frame->GetActiveView(), view);
    EXPECT_EQ(view->Request().classItems, QStringList{QStringLiteral("大阪")});
    EXPECT_EQ(view->Request().groupByClass, 1);

    // Product transitions: twelve months from the chosen month, quantities.
    {
        auto answer = SyukeiAnswer([](CSyukeiCondDlg& d) {
            CSyukeiCondRules& r = d.Rules();
            EXPECT_EQ(r.m_from, QDate(2003, 6, 1));
            EXPECT_EQ(r.m_to, QDate(2004, 5, 1));
            EXPECT_FALSE(d.QuantityRadio()->isHidden());
            r.FromChanged(QDate(2004, 4, 1));
            EXPECT_EQ(r.m_to, QDate(2005, 3, 1));
            r.ToChanged(QDate(2004, 12, 1));
            EXPECT_EQ(r.m_from, QDate(2004, 1, 1));
            r.m_to = QDate(2004, 6, 30);
            r.m_nQuantity = 1;
            r.m_bTradedOnly = 0;
            d.ClassCombo()->setCurrentIndex(0);
        });
        view = Run(32969);
    }
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetMode(), 37);
    EXPECT_EQ(view->Request().from, QDate(2004, 1, 1));
    EXPECT_EQ(view->Request().to, QDate(2004, 12, 1));
    EXPECT_EQ(view->Request().amountOrQuantity, 1);
    EXPECT_EQ(view->Request().aggregateBy, 0);
    EXPECT_TRUE(view->Request().classField.isEmpty());
    EXPECT_TRUE(view->Request().classItems.isEmpty());

    // The stock list: one date, checked against the carry-forward of 2004-04-30.
    Exec("INSERT INTO Util(StartDate) VALUES('2004-04-30')");
    m_ui.Prompt().Clear();
    {
        auto answer = SyukeiAnswer([](CSyukeiCondDlg& d) {
            CSyukeiCondRules& r = d.Rules();
            EXPECT_EQ(r.m_from, QDate::currentDate());
            EXPECT_TRUE(d.ToEdit()->isHidden());
            r.m_bTradedOnly = 1;
            r.m_to = QDate(2000, 1, 1);
            for (QDate from : {QDate(2004, 4, 29), QDate(2004, 4, 30)}) {
                r.m_from = from;
                d.OnOK();
            }
            r.m_from = QDate(2004, 5, 1);
        });
        view = Run(32824);
    }
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetMode(), 33);
    EXPECT_EQ(m_ui.Prompt().Texts().mid(0, 2),
              QStringList(2, QStringLiteral("前回の繰越日以前の日付は指定できません。")));
    EXPECT_EQ(view->Request().lastCarryForward, QDate(2004, 4, 30));
    EXPECT_EQ(view->Request().from, QDate(2004, 5, 1));
    // Neither taken from the dialog.
    EXPECT_EQ(view->Request().aggregateBy, 0);
    EXPECT_EQ(view->Request().tradedOnly, 0);
}

// The last carry-forward lives as long as the report screens: loaded for the
// stock list and forgotten on leaving, so a later sales aggregation of an
// earlier period is accepted as in a fresh session. The payment schedule's
// command takes every open closing whatever the calendar chose.
TEST_F(ReportListsTest, CarryForwardDateAndScheduleDayOfTheCommands)
{
    Exec("INSERT INTO Util(StartDate) VALUES('2004-04-30')");
    Exec("INSERT INTO Supplier(SupplierCode, Company, Section, Name, Day) VALUES"
         "('P001', '北港資材', '', '', 31)");
    Exec("INSERT INTO Stock_Close(No, \"Date\", SupplierCode, CloseDate, CollectDate, Status, TudoFlg) VALUES"
         "('D1', '2004-04-30', 'P001', '2004-04-30', '2004-05-31', 0, 1),"
         "('D2', '2004-05-31', 'P001', '2004-05-31', '2004-06-30', 0, 1)");
    const QString refused = QStringLiteral("前回の繰越日以前の日付は指定できません。");
    const struct Step {
        int id;
        QDate from;
        int mode;
        QDate carried; // while the list is shown
        int rows;      // -1: not counted
    } steps[] = {
        {32960, QDate(2004, 4, 1), 25, QDate(), -1},
        {32824, QDate(2004, 5, 1), 33, QDate(2004, 4, 30), -1},
        {32960, QDate(2004, 4, 1), 25, QDate(), -1},
        // The calendar's day 31 of 2004-05-31 would pick D1 alone.
        {32987, QDate(), 11, QDate(), 2},
    };
    const Step* step = nullptr;
    auto answer = SyukeiAnswer([&step](CSyukeiCondDlg& d) {
        d.Rules().m_from = step->from;
        d.Rules().m_to = QDate(2004, 5, 31);
    });
    for (const Step& s : steps) {
        step = &s;
        m_ui.Prompt().Clear();
        CShimeView* view = Run(s.id, [this] {
            m_frame->m_dtCalendarDate = QDate(2004, 5, 31);
            m_frame->m_nCalendarCloseDay = 31;
        });
        ASSERT_TRUE(view) << s.id;
        EXPECT_EQ(view->GetMode(), s.mode) << s.id;
        EXPECT_FALSE(m_ui.Prompt().Texts().contains(refused)) << s.id;
        EXPECT_EQ(view->Request().lastCarryForward, s.carried) << s.id;
        if (s.rows >= 0) {
            EXPECT_EQ(view->List().Records().GetCount(), s.rows) << s.id;
        }
    }
    m_frame->SwitchView(0);
    Pump();
    EXPECT_EQ(m_frame->m_nCalendarCloseDay, 0);
    m_ui.Prompt().Clear();
}

// A list opens on the conditions its own command chose, not on those of a
// list shown or a command cancelled before it: a stock list's carry-forward
// refuses no earlier sales period, a detail list's open end turns no staff
// period into months, an aggregation's grouping groups no balance list.
TEST_F(ReportListsTest, AListOpensOnItsOwnConditionsOnly)
{
    Exec("INSERT INTO Util(StartDate) VALUES('2004-04-30')");
    CBunruiData classes;
    ASSERT_EQ(classes.SetTitle(BUNRUI_CUSTOMER, 0, QStringLiteral("地域")), 1);
    ASSERT_EQ(classes.AddContentAndSave(BUNRUI_CUSTOMER, 0, QStringLiteral("東京")), 1);
    Exec("UPDATE Customer SET Class1 = '東京'");
    const struct Case {
        int first;     // from the menu screen
        bool accepted; // its dialog's answer
        int then;      // over what the first left
        int mode;
    } cases[] = {
        // The stock movements from May 2004, after the carry-forward.
        {32823, true, 32960, 25},
        {32823, false, 32960, 25},
        // The slip lines on their default period, start only.
        {32815, false, 32962, 29},
        // The sales by customer grouped by region.
        {32960, true, 32834, 23},
    };
    const Case* current = nullptr;
    bool first = true;
    ScopedModalRunner answer([&](QDialog& dialog) {
        const bool ok = !first || current->accepted;
        const QDate from = first ? QDate(2004, 5, 1) : QDate(2004, 4, 1);
        const QDate to(2004, 5, 31);
        if (auto* d = dynamic_cast<CSyukeiCondDlg*>(&dialog)) {
            d->Rules().m_from = from;
            d->Rules().m_to = to;
            if (first && current->first == 32960) {
                d->ClassCombo()->setCurrentIndex(1);
                d->Rules().SetGroupByClass(true);
            }
            if (ok)
                d->OnOK();
        } else if (auto* d = dynamic_cast<CPeriodDlg*>(&dialog)) {
            d->Rules().m_from = from;
            d->Rules().m_to = to;
            if (ok)
                d->OnOK();
        } else if (auto* d = dynamic_cast<CBalanceListCondDlg*>(&dialog)) {
            d->Rules().m_from = from;
            d->Rules().m_to = to;
            if (ok)
                d->OnOK();
        }
        return ok ? dialog.result() : int(QDialog::Rejected);
    });
    for (const Case& c : cases) {
        current = &c;
        first = true;
        m_ui.Prompt().Clear();
        CShimeView* before = Run(c.first);
        EXPECT_EQ(before != nullptr, c.accepted) << c.first;
        first = false;
        m_frame->ExecuteCommand(c.then);
        Pump();
        auto* view = qobject_cast<CShimeView*>(m_frame->GetActiveView());
        ASSERT_TRUE(view) << c.first << "->" << c.then;
        EXPECT_EQ(view->GetMode(), c.mode) << c.first << "->" << c.then;
        EXPECT_FALSE(
            m_ui.Prompt().Texts().contains(QStringLiteral("前回の繰越日以前の日付は指定できません。")))
            << c.first << "->" << c.then;
        const CReportRequest& request = view->Request();
        EXPECT_FALSE(request.lastCarryForward.isValid()) << c.first << "->" << c.then;
        EXPECT_EQ(request.periodShape, 0) << c.first << "->" << c.then;
        EXPECT_EQ(request.groupByClass, 0) << c.first << "->" << c.then;
        EXPECT_FALSE(view->List().IsGrouping()) << c.first << "->" << c.then;
        EXPECT_EQ(view->PeriodLabel()->text(), QStringLiteral("期間：2004/04/01～2004/05/31"))
            << c.first << "->" << c.then;
    }
    m_ui.Prompt().Clear();
}
