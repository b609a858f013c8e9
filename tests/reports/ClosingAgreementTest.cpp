#include "app/AppHome.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/data/Record.h"
#include "platform/forms/SelForm.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/sql/ClosingSql.h"
#include "platform/ui/FakeUi.h"
#include "reports/ListColumnInfo.h"
#include "reports/ReportColumns.h"
#include "reports/ReportData.h"
#include "reports/ReportList.h"
#include "reports/ReportsModule.h"
#include "reports/ShimeView.h"
#include "resources/CommandIds.h"

#include "ShimeTestSupport.h"
#include <QCoreApplication>

#include <gtest/gtest.h>

// One closing's amount wherever it shows: the closing row, the invoice, the
// billed (or paid) list, the receipt (or payment) schedule and the next
// closing's previous balance, for every tax type and rounding, on both sides.
namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

struct Slip {
    const char* net; // Amount: without the tax even where the prices hold it
    const char* tax; // the tax the slip carries (none when taxed at invoicing)
};

// Every partner opens with 1,000 owed; the closing partners paid 300 on
// 20 May, so 700 is carried over. The rate of 2004 is 5 %.
struct Case {
    const char* code;
    int taxType, roundType, day;
    Slip slips[2];
    const char* billed; // worked by hand
};

const Case kCases[] = {
    // Not taxed: 700 + 1,811.
    {"T0", 0, 1, 25, {{"1244", "0"}, {"567", "0"}}, "2511"},
    // Taxed at invoicing: 1,811 at 5 % = 90.55, cut, half up, up.
    {"T1a", 1, 1, 25, {{"1244", "0"}, {"567", "0"}}, "2601"},
    {"T1b", 1, 2, 25, {{"1244", "0"}, {"567", "0"}}, "2602"},
    {"T1c", 1, 3, 25, {{"1244", "0"}, {"567", "0"}}, "2602"},
    // Per slip and per line: the slips' own tax, whatever the rounding.
    {"T2", 2, 3, 25, {{"1244", "62"}, {"567", "28"}}, "2601"},
    {"T3", 3, 2, 25, {{"1244", "63"}, {"567", "29"}}, "2603"},
    // Inside the prices: 1,306 and 595 hold 62 and 28 of tax.
    {"T4", 4, 1, 25, {{"1244", "62"}, {"567", "28"}}, "2601"},
    {"T4b", 4, 3, 25, {{"1000", "50.5"}, {"0.5", "0"}}, "1751"},
    // Invoiced slip by slip (closing day 都度): one invoice of the first
    // slip, nothing carried; the second slip stays unbilled.
    {"P0", 0, 1, 0, {{"1244", "0"}, {"567", "0"}}, "1244"},
    {"P2", 2, 2, 0, {{"1244", "62"}, {"567", "28"}}, "1306"},
    {"P3", 3, 3, 0, {{"1244", "63"}, {"567", "29"}}, "1307"},
    {"P4", 4, 1, 0, {{"1244", "62"}, {"567", "28"}}, "1306"},
};

const QDate kClose(2004, 5, 25);
const QDate kNext(2004, 6, 25);

class ClosingAgreementTest : public ::testing::TestWithParam<int>
{
  protected:
    void SetUp() override
    {
        RegisterReportViews(CViewRegistry::Instance());
        ASSERT_TRUE(m_home.IsReady());
        ASSERT_FALSE(m_home.AddCurrentDatabase(U("本社")).isEmpty());
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->Create());
        Pump();
        ASSERT_TRUE(m_frame->IsConnected());
    }
    void TearDown() override
    {
        m_frame.reset();
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
    }
    bool Purchase() const { return GetParam() == 1; }
    QString Side(const char* sales, const char* purchase) const { return U(Purchase() ? purchase : sales); }
    void Exec(const QString& sql)
    {
        QString err;
        ASSERT_EQ(m_frame->GetMakeMsgID().Execute(sql, err), 1) << err.toStdString() << "\n"
                                                                << sql.toStdString();
    }
    static QString Money(const char* yen)
    {
        return QString::number(qRound64(QString::fromLatin1(yen).toDouble() * 10000));
    }

    // The partners, their slips and money as a slip program stores them.
    void Build()
    {
        const QString partner = Side("Customer", "Supplier"), code = Side("CustomerCode", "SupplierCode");
        const QString slips = Side("Sales_H", "Stock_H"), money = Side("Receipt_H", "Pay_H");
        const QString close = Side("Sales_Close", "Stock_Close");
        int no = 0;
        for (const Case& c : kCases) {
            Exec(QStringLiteral(
                     "INSERT INTO %1(%2, Company, Day, TaxType, TaxRoundType, Collect, CollectCycle, "
                     "CollectDay) VALUES ('%3', '%3', %4, %5, %6, 10000000, 1, 10)")
                     .arg(partner, code, U(c.code))
                     .arg(c.day)
                     .arg(c.taxType)
                     .arg(c.roundType));
            int seikyuId = 0;
            if (c.day == 0) {
                Exec(QStringLiteral(
                         "INSERT INTO %1(\"No\", \"Date\", %2, CloseDate, CollectDate, Status, TudoFlg) "
                         "VALUES ('I%3', '2004-05-12', '%3', '2004-05-12', '2004-06-10', 0, 0)")
                         .arg(close, code, U(c.code)));
                seikyuId = -1; // the invoice just made
            }
            const QString dates[] = {U("2004-05-12"), U("2004-05-24")};
            for (int i = 0; i < 2; ++i) {
                const Slip& s = c.slips[i];
                const QString net = Money(s.net), tax = Money(s.tax);
                const QString billedBy = seikyuId != 0 && i == 0
                                             ? QStringLiteral("(SELECT MAX(ID) FROM %1)").arg(close)
                                             : QStringLiteral("0");
                Exec(QStringLiteral(
                         "INSERT INTO %1(\"No\", \"Date\", %2, DenpyoType, TaxType, Amount, AmountNoTax, "
                         "Tax, Total, SeikyuID) VALUES ('S%3', '%4', '%5', 0, %6, %7, %8, %9, %10, %11)")
                         .arg(slips, code)
                         .arg(++no)
                         .arg(dates[i], U(c.code))
                         .arg(c.taxType)
                         .arg(net, c.taxType == 1 ? net : QStringLiteral("0"), tax,
                              QString::number(net.toLongLong() + tax.toLongLong()), billedBy));
            }
            if (c.day != 0)
                Exec(QStringLiteral("INSERT INTO %1(\"No\", \"Date\", %2, Amount, SeikyuID, CloseID) "
                                    "VALUES ('M%3', '2004-05-20', '%3', 3000000, 0, 0)")
                         .arg(money, code, U(c.code)));
            // Next month's slip makes the partner a candidate again.
            Exec(QStringLiteral(
                     "INSERT INTO %1(\"No\", \"Date\", %2, DenpyoType, TaxType, Amount, AmountNoTax, Tax, "
                     "Total, SeikyuID) VALUES ('N%3', '2004-06-10', '%3', 0, 0, 1000000, 0, 0, 1000000, 0)")
                     .arg(slips, code, U(c.code)));
        }
    }

    // A list of the mode from a statement, amounts computed as on screen.
    CReportList Load(int mode, const QString& sql, const QDate& date)
    {
        CCDSData records;
        EXPECT_EQ(RunReportStatement(m_frame->GetMakeMsgID(), sql, records), 1);
        CReportList list;
        list.SetMode(mode);
        CReportColumnParams params;
        params.mode = mode;
        params.unitWidth = 80;
        list.Columns() = BuildReportColumns(params);
        list.SetRecords(std::move(records));
        EXPECT_TRUE(list.FillList(date));
        return list;
    }
    // Each partner's amount in a field of the list's rows.
    QHash<QString, QString> Amounts(const CReportList& list, const QString& field) const
    {
        QHash<QString, QString> amounts;
        const QString code = Side("CustomerCode", "SupplierCode");
        for (int row = 0; row < list.RowCount(); ++row)
            if (const COneRecord* r = list.RecordAt(row)) {
                const CTb* key = r->GetOneField(QString(), code);
                const CTb* value = r->GetOneField(QString(), field);
                if (key && value)
                    amounts.insert(key->GetText(), value->GetText());
            }
        return amounts;
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace

TEST_P(ClosingAgreementTest, OneAmountOnEveryScreenAndPrintout)
{
    Build();
    const QString billedField = Side("今回売上額", "今回仕入額");
    const QString prevField = Side("前回請求額", "前回未払額");

    // The closing list of day 25 through the screen, closed and invoiced.
    m_frame->SwitchView(0);
    Pump();
    m_frame->m_dtCalendarDate = kClose;
    m_frame->m_nCalendarCloseDay = 25;
    m_frame->SwitchView(Purchase() ? 9 : 8);
    Pump();
    auto* view = qobject_cast<CShimeView*>(m_frame->GetActiveView());
    ASSERT_TRUE(view);
    const QHash<QString, QString> row = Amounts(view->List(), billedField);
    CFirstForm forms;
    const ProcessLauncher old = SetProcessLauncher([](const QString&, const QString&) { return true; });
    m_ui.Prompt().QueueAnswers({IDOK, IDYES});
    m_frame->ExecuteCommand(ID_REPORT_CLOSE_PRINT);
    SetProcessLauncher(old);
    m_ui.Prompt().Clear();

    CCDSData invoices;
    ASSERT_EQ(
        RunReportStatement(m_frame->GetMakeMsgID(), U("SELECT CustomerCode, Total FROM WShime_H"), invoices),
        1);
    QHash<QString, QString> invoice;
    for (int i = 0; i < invoices.GetCount(); ++i)
        invoice.insert(invoices.GetAt(i)->GetAt(0)->GetText(), invoices.GetAt(i)->GetAt(1)->GetText());

    const CReportList billedList = Load(Purchase() ? 13 : 12,
                                        Purchase() ? MakePaidListSQL(QDate(2004, 5, 1), kClose)
                                                   : MakeBilledListSQL(QDate(2004, 5, 1), kClose),
                                        QDate());
    const QHash<QString, QString> billed = Amounts(billedList, billedField);
    const QHash<QString, QString> schedule =
        Amounts(Load(Purchase() ? 11 : 10, ScheduleListSql(Purchase(), 0, QDate(), 0), QDate()), billedField);
    const QHash<QString, QString> next =
        Amounts(Load(Purchase() ? 9 : 8, ClosingListSql(Purchase(), kNext, 0), kNext), prevField);

    for (const Case& c : kCases) {
        SCOPED_TRACE(c.code);
        const QString code = U(c.code), expected = U(c.billed);
        EXPECT_EQ(billed.value(code), expected);
        EXPECT_EQ(schedule.value(code), expected);
        if (c.day == 0) {
            // Nothing carried on an invoice of one slip; the balance counts it.
            EXPECT_EQ(next.value(code), QString::number(1000 + expected.toInt()));
            continue;
        }
        EXPECT_EQ(row.value(code), expected);
        EXPECT_EQ(invoice.value(code), expected);
        EXPECT_EQ(next.value(code), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(SalesAndPurchases, ClosingAgreementTest, ::testing::Values(0, 1));
