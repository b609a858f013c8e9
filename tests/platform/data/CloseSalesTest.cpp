#include "reports/ReportFixture.h"
#include "support/BookedBalances.h"

#include "platform/data/ClosingService.h"
#include "platform/data/Compact.h"
#include "platform/data/MnyText.h"
#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"
#include "platform/data/TradeSide.h"
#include "platform/sql/BalanceSql.h"
#include "platform/sql/ClosingSql.h"
#include "platform/sql/DetailListSql.h"
#include "platform/sql/StockSql.h"

#include <gtest/gtest.h>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

const QDate kClose(2004, 5, 25);

// Every field of every closing in the billed list, by closing ID.
QMap<QString, QString> BilledFigures(const CCDSData& rows)
{
    QMap<QString, QString> figures;
    for (int i = 0; i < rows.GetCount(); ++i) {
        const COneRecord* r = rows.GetAt(i);
        QStringList fields;
        for (int f = 0; f < r->GetCount(); ++f)
            fields << r->GetAt(f)->GetName() + u'=' + r->GetAt(f)->GetText();
        figures.insert(r->GetOneField(QString(), U("ID"))->GetText(), fields.join(u'|'));
    }
    return figures;
}

// A change to the booked balances, and whether compaction finds it.
struct Damage {
    const char* damage;
    bool remade;
};

class CloseSalesTest : public ReportFixture
{
  protected:
    // Writes the damage and compacts: the balances are made again, and said
    // so, when it is found, and equal a recount on both sides either way.
    void CompactAfter(const Damage& c)
    {
        Exec(QString::fromUtf8(c.damage));
        QString info, err;
        bool remade = !c.remade;
        ASSERT_EQ(CompactDB(m_data, info, err, &remade), 1) << err.toStdString();
        EXPECT_EQ(remade, c.remade);
        for (const bool purchase : {false, true})
            EXPECT_EQ(BookedBalances::Kept(m_data, purchase), BookedBalances::Recounted(m_data, purchase));
    }

    // Closing candidates of the partners as the closing list gives them, the
    // ones given a tax billing it at the closing, due on 10 June.
    CCloseRequest Build(const QStringList& codes, const QHash<QString, QString>& taxes)
    {
        CCloseRequest request;
        request.side = &CTradeSide::Sales();
        request.closeDate = kClose;
        request.issued = kClose;
        int n = 0;
        for (const QString& code : codes) {
            CCloseCandidate candidate;
            candidate.code = code;
            candidate.number = QStringLiteral("N%1").arg(++n);
            candidate.collectCycle = 1;
            candidate.collectDay = 10;
            if (taxes.contains(code)) {
                bool ok = false;
                candidate.tax = TextToMny(taxes[code], &ok);
                EXPECT_TRUE(ok) << taxes[code].toStdString();
            }
            request.candidates.push_back(candidate);
        }
        return request;
    }
    // A carry-forward by the service, answered as the data library answers.
    int CarryForward(const QDate& date, const QDate& previous, QString& err, bool* remade = nullptr)
    {
        const CCarryForwardOutcome carried = m_service.CarryForward(date, previous);
        if (remade)
            *remade = carried.balancesRemade;
        return carried.refusal.Answer(err);
    }
    // The invoice of a closing of the partner, as its closed row gives it
    // with nothing else shown.
    static CInvoiceHeader Invoice(int closing, const QString& code)
    {
        CInvoiceHeader invoice;
        invoice.closing = closing;
        invoice.code = code;
        return invoice;
    }
    QStringList Booked(const char* table, const QStringList& nos)
    {
        QStringList quoted;
        for (const QString& no : nos)
            quoted << u'\'' + no + u'\'';
        return Column(Rows(QStringLiteral("SELECT SeikyuID FROM %1 WHERE \"No\" IN (%2) ORDER BY \"No\"")
                               .arg(QLatin1String(table), quoted.join(u','))),
                      U("SeikyuID"));
    }
    const QStringList kCandidateFields{U("CustomerCode"), U("前回請求額"),     U("今回入金額"),
                                       U("繰越額"),       U("今回税抜売上額"), U("納品枚数")};
    CClosingService m_service{m_data};
};

} // namespace

// Closing the candidates of closing day 25: IDs in order, the slips and
// money up to the date booked and later ones not, the tax slip with its
// closing, the billed list showing the candidate amounts, the next
// candidates carrying the bill on; undoing restores the candidates.
TEST_F(CloseSalesTest, RoundTripOfTheCandidates)
{
    const CCDSData before = Rows(MakeSeikyuSQL(kClose, 25));
    const QStringList candidates = Table(before, kCandidateFields);
    ASSERT_EQ(Column(before, U("CustomerCode")), QStringList({"K001", "K004", "O'Neil"}));
    ASSERT_EQ(candidates.first(), U("K001|42000.52|5000|37000.52|13345.67|2"));
    const CCloseOutcome closed = m_service.Close(Build({"K001", "K004", "O'Neil"}, {{"K001", "617"}}));
    ASSERT_EQ(closed.refusal.Code(), 1) << closed.refusal.text.toStdString();
    const QList<int> ids = closed.ids;
    ASSERT_EQ(ids.size(), 3);
    EXPECT_TRUE(ids[0] > 0 && ids[0] < ids[1] && ids[1] < ids[2]);
    const QString k1 = QString::number(ids[0]), on = QString::number(ids[2]);

    // S4-S6 up to the date, S7 the day after; "o'neil" is O'Neil.
    EXPECT_EQ(Booked("Sales_H", {"S4", "S5", "S6", "S7", "S8", "S9"}),
              QStringList({k1, k1, k1, "0", on, on}));
    EXPECT_EQ(Booked("Receipt_H", {"R3", "R4"}), QStringList({k1, "0"}));
    EXPECT_EQ(Table(Rows(QStringLiteral(
                             "SELECT SeikyuID, Total FROM Sales_H WHERE DenpyoType = 1 AND \"Date\" = %1")
                             .arg(SqlDate(kClose))),
                    {"SeikyuID", "Total"}),
              QStringList({k1 + "|617"}));
    EXPECT_TRUE(Rows(MakeSeikyuSQL(kClose, 25)).GetCount() == 0);

    // The billed list shows what the candidate row showed.
    const CCDSData billed = Rows(MakeBilledListSQL(kClose, kClose));
    QStringList made;
    for (const QString& row : Table(billed, QStringList{"ID"} + kCandidateFields))
        if (row.section(u'|', 0, 0).toInt() >= ids[0])
            made << row.section(u'|', 1);
    made.sort();
    EXPECT_EQ(made, candidates);
    int k1Row = -1;
    for (int i = 0; i < billed.GetCount(); ++i)
        if (Values(billed, i, {"ID"}).first() == k1)
            k1Row = i;
    ASSERT_GE(k1Row, 0);
    EXPECT_EQ(Values(billed, k1Row, {"消費税"}), QStringList({"747.5"}));

    // Next month K001's previous bill is this one's billed amount:
    // 37000.52 carried + 13345.67 + 747.5 tax.
    const CCDSData next = Rows(MakeSeikyuSQL(QDate(2004, 6, 25), 25));
    EXPECT_EQ(Values(next, 0, {"CustomerCode", "前回請求額"}), QStringList({"K001", "51093.69"}));

    // Undo, with an ID given twice and one that does not exist.
    const CClosingRefusal undone =
        m_service.Undo(CTradeSide::Sales(), {ids[0], ids[1], ids[2], ids[0], 999999});
    ASSERT_EQ(undone.Code(), 1) << undone.text.toStdString();
    EXPECT_EQ(Table(Rows(MakeSeikyuSQL(kClose, 25)), kCandidateFields), candidates);
    EXPECT_EQ(Booked("Receipt_H", {"R2", "R3"}), QStringList({QString::number(Id("K1C2")), "0"}));
    EXPECT_EQ(Rows(QStringLiteral("SELECT ID FROM Sales_H WHERE DenpyoType = 1 AND \"Date\" = '2004-05-25'"))
                  .GetCount(),
              0);
}

// A run is all or nothing: a failing third tax slip, a partner closed
// meanwhile or named twice, a wrong table leave every row as it was.
TEST_F(CloseSalesTest, FailuresLeaveNothingWritten)
{
    const QString closings = QStringLiteral("SELECT COUNT(*) AS n FROM Sales_Close");
    const QString count = Column(Rows(closings), U("n")).first();
    Exec(QStringLiteral("CREATE TEMP TRIGGER refuse_tax BEFORE INSERT ON Sales_H WHEN NEW.DenpyoType = 1 AND "
                        "NEW.CustomerCode = 'O''Neil' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    CCloseOutcome closed =
        m_service.Close(Build({"K001", "K004", "O'Neil"}, {{"K001", "1"}, {"K004", "2"}, {"O'Neil", "3"}}));
    EXPECT_EQ(closed.refusal.Code(), 10);
    EXPECT_EQ(closed.ids, QList<int>({0, 0, 0}));
    EXPECT_EQ(Column(Rows(closings), U("n")).first(), count);
    EXPECT_EQ(Booked("Sales_H", {"S4", "S9"}), QStringList({"0", "0"}));
    EXPECT_EQ(Booked("Receipt_H", {"R3"}), QStringList({"0"}));
    Exec(QStringLiteral("DROP TRIGGER temp.refuse_tax"));

    struct Case {
        QStringList first, second;
        const char* named;
        EClosingRefusal why;
    } const cases[] = {
        {{"K001"}, {"K004", "K001"}, "K001", EClosingRefusal::AlreadyClosed}, // closed meanwhile
        {{}, {"K004", "k004"}, "K004", EClosingRefusal::PartnerTwice},        // named twice
        {{}, {"K006"}, "K006", EClosingRefusal::NothingToClose}, // nothing unbilled up to the date
    };
    for (const Case& c : cases) {
        if (!c.first.isEmpty()) {
            closed = m_service.Close(Build(c.first, {}));
            ASSERT_EQ(closed.refusal.Code(), 1) << closed.refusal.text.toStdString();
        }
        const QString now = Column(Rows(closings), U("n")).first();
        closed = m_service.Close(Build(c.second, {}));
        const QString& err = closed.refusal.text;
        EXPECT_EQ(closed.refusal.Code(), 10) << c.named;
        EXPECT_EQ(closed.refusal.why, c.why) << c.named;
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.named))) << err.toStdString();
        EXPECT_EQ(Column(Rows(closings), U("n")).first(), now);
        EXPECT_EQ(Booked("Sales_H", {"S13"}), QStringList({QString::number(Id("K4C1"))}));
    }
    // A table naming no closing gives no side to close or undo.
    CCloseRequest other = Build({"K006"}, {});
    other.side = CTradeSide::OfClosing(U("Customer"));
    EXPECT_EQ(m_service.Close(other).refusal.Code(), 10);
    EXPECT_EQ(CTradeSide::OfClosing(U("Sales_H")), nullptr);
}

// The invoice work tables: headers numbered 1..n in order, each closing's
// slip lines by date, slip and line; a second call replaces the first; a
// refused one changes nothing.
TEST_F(CloseSalesTest, InvoiceWorkTables)
{
    const CCloseOutcome closed = m_service.Close(Build({"K001", "O'Neil"}, {}));
    ASSERT_EQ(closed.refusal.Code(), 1) << closed.refusal.text.toStdString();
    const QList<int> ids = closed.ids;
    std::vector<CInvoiceHeader> request;
    for (int i : {1, 0})
        request.push_back(Invoice(ids[i], i ? U("O'Neil") : U("K001")));
    ASSERT_EQ(m_service.MakeInvoices(CTradeSide::Sales(), request).Code(), 1);
    EXPECT_EQ(Table(Rows(U("SELECT ID, CustomerCode FROM WShime_H ORDER BY ID")), {"ID", "CustomerCode"}),
              QStringList({"1|O'Neil", "2|K001"}));
    EXPECT_EQ(
        Table(Rows(U("SELECT ID, HeaderID, \"No\" FROM WShime_B ORDER BY ID")), {"ID", "HeaderID", "No"}),
        QStringList({"1|1|S9", "2|2|S4", "3|2|S4", "4|2|S4", "5|2|S4", "6|2|S4", "7|2|S6", "8|2|S5"}));

    request.pop_back();
    ASSERT_EQ(m_service.MakeInvoices(CTradeSide::Sales(), request).Code(), 1);
    EXPECT_EQ(Rows(U("SELECT ID FROM WShime_H")).GetCount(), 1);
    EXPECT_EQ(Rows(U("SELECT ID FROM WShime_B")).GetCount(), 1);
    // A table naming no closing gives no side; a refused command leaves
    // the last one's invoices.
    for (const char* bad : {"Sales_H", "Customer"})
        EXPECT_EQ(CTradeSide::OfClosing(U(bad)), nullptr) << bad;
    request.push_back(Invoice(ids[0], QString(21, u'K')));
    EXPECT_EQ(m_service.MakeInvoices(CTradeSide::Sales(), request).Code(), 10);
    EXPECT_EQ(Rows(U("SELECT ID FROM WShime_H")).GetCount(), 1);
}

// Each run of the invoice work tables numbers its lines from 1 in their
// order, whatever an earlier run left: the numbers follow the rows as they
// go into the emptied table.
TEST_F(CloseSalesTest, InvoiceLinesAreNumberedAfreshEachRun)
{
    const CCloseOutcome closed = m_service.Close(Build({"K001", "O'Neil"}, {}));
    ASSERT_EQ(closed.refusal.Code(), 1) << closed.refusal.text.toStdString();
    const QList<int> ids = closed.ids;
    const QString lines = U("SELECT ID, HeaderID, \"No\" FROM WShime_B ORDER BY rowid");
    const QStringList columns{"ID", "HeaderID", "No"};
    for (const QList<int>& order : {QList<int>{0, 1}, QList<int>{1}, QList<int>{1, 0}}) {
        std::vector<CInvoiceHeader> request;
        for (int i : order)
            request.push_back(Invoice(ids[i], i ? U("O'Neil") : U("K001")));
        ASSERT_EQ(m_service.MakeInvoices(CTradeSide::Sales(), request).Code(), 1);
        const QStringList rows = Table(Rows(lines), columns);
        ASSERT_FALSE(rows.isEmpty());
        for (int n = 0; n < rows.size(); ++n)
            EXPECT_TRUE(rows[n].startsWith(QString::number(n + 1) + u'|')) << rows.join(u' ').toStdString();
    }
    // The last run, O'Neil then K001, as the work-table test orders them.
    EXPECT_EQ(Table(Rows(lines), columns),
              QStringList({"1|1|S9", "2|2|S4", "3|2|S4", "4|2|S4", "5|2|S4", "6|2|S4", "7|2|S6", "8|2|S5"}));
}

// Carrying forward to 30 April: closings before a partner's first open one
// go with their slips and money into the opening balances and stock; every
// report after the date reads the same; the same date again changes
// nothing; a failure leaves everything; a wrong previous date is refused.
TEST_F(CloseSalesTest, CarryForwardKeepsEveryLaterReport)
{
    // Every report of the fixture that looks at days after 30 April, as text.
    auto reports = [this](const QDate& opening) {
        QStringList all;
        const QString statements[] = {
            MakeSeikyuSQL(QDate(2004, 5, 25), 25),
            MakeSeikyuUpToDateSQL(QDate(2004, 5, 31)),
            MakeShiharaiUpToDateSQL(QDate(2004, 5, 31)),
            MakeOpenSalesCloseByCustomer(false),
            MakeOpenStockCloseBySupplier(false),
            MakeBilledListSQL(QDate(2004, 5, 1), QDate()),
            MakePaidListSQL(QDate(2004, 5, 1), QDate()),
            MakeReceivableBalanceSQL(QDate(2004, 5, 1), QDate(2004, 5, 31), QString(), {}, false),
            MakePayableBalanceSQL(QDate(2004, 5, 1), QDate(2004, 5, 31), QString(), {}, false),
            MakeStockListSQL(QDate(2004, 5, 31), QString(), {}, opening),
            MakeStockListSQL(QDate(2004, 12, 31), QString(), {}, opening),
        };
        for (const QString& sql : statements) {
            const CCDSData result = Rows(sql);
            for (int i = 0; i < result.GetCount(); ++i) {
                QStringList fields;
                const COneRecord* r = result.GetAt(i);
                // The opening stock itself moves; the stock it gives may not.
                for (int f = 0; f < r->GetCount(); ++f)
                    if (r->GetAt(f)->GetName() != U("StockNumber"))
                        fields << r->GetAt(f)->GetName() + u'=' + r->GetAt(f)->GetText();
                all << fields.join(u'|');
            }
            all << QStringLiteral("--");
        }
        return all;
    };
    const QDate date(2004, 4, 30);
    const QStringList before = reports(QDate());
    const QString counts =
        U("SELECT (SELECT COUNT(*) FROM Sales_Close) || '/' || (SELECT COUNT(*) FROM Stock_Close) "
          "|| '/' || (SELECT COUNT(*) FROM Sales_H) || '/' || (SELECT COUNT(*) FROM Receipt_H) "
          "|| '/' || (SELECT COUNT(*) FROM Sales_B) AS n");
    const QString start = Column(Rows(counts), U("n")).first();

    // A failure at the very end (the purchase side) leaves everything.
    Exec(U("CREATE TEMP TRIGGER refuse_carry BEFORE DELETE ON Stock_Close BEGIN SELECT RAISE(ABORT, 'no'); "
           "END"));
    QString err;
    EXPECT_EQ(CarryForward(date, QDate(), err), 10);
    EXPECT_EQ(Column(Rows(counts), U("n")).first(), start);
    EXPECT_EQ(reports(QDate()), before);
    Exec(U("DROP TRIGGER temp.refuse_carry"));

    ASSERT_EQ(CarryForward(date, QDate(), err), 1) << err.toStdString();
    const QString after = Column(Rows(counts), U("n")).first();
    // The booked balances, settled without their triggers, are what is left booked.
    for (const bool purchase : {false, true}) {
        EXPECT_EQ(BookedBalances::Kept(m_data, purchase), BookedBalances::Recounted(m_data, purchase));
        EXPECT_NE(BookedBalances::Kept(m_data, purchase), QString());
    }
    EXPECT_NE(after, start);
    // K1C1, K6C1 and K7C1 are settled before the first open ones; K1C2 (open) stays.
    EXPECT_EQ(Rows(QStringLiteral("SELECT ID FROM Sales_Close WHERE ID IN (%1, %2, %3)")
                       .arg(Id("K1C1"))
                       .arg(Id("K6C1"))
                       .arg(Id("K7C1")))
                  .GetCount(),
              0);
    EXPECT_EQ(Rows(QStringLiteral("SELECT ID FROM Sales_Close WHERE ID = %1").arg(Id("K1C2"))).GetCount(), 1);
    // K001: 10000 + 21000 (S1) - 8000 (R1).
    EXPECT_EQ(Column(Rows(U("SELECT Collect FROM Customer WHERE CustomerCode = 'K001'")), U("Collect")),
              QStringList({"23000"}));
    EXPECT_EQ(reports(date), before);
    // I002 opens at 10 + purchases 30, 6 and 9 + movements 2 and 1 - 4 sold
    // in March.
    EXPECT_EQ(Column(Rows(U("SELECT StockNumber FROM Item WHERE ItemCode = 'I002'")), U("StockNumber")),
              QStringList({"54"}));

    // The same date again, and a previous date that is not the stored one.
    ASSERT_EQ(CarryForward(date, date, err), 1) << err.toStdString();
    EXPECT_EQ(Column(Rows(counts), U("n")).first(), after);
    EXPECT_EQ(reports(date), before);
    EXPECT_EQ(CarryForward(QDate(2004, 5, 31), QDate(), err), 10);
    EXPECT_EQ(CarryForward(QDate(2004, 3, 31), date, err), 10);
    EXPECT_EQ(Column(Rows(counts), U("n")).first(), after);
}

// A walk-in customer's invoices: one paid before the carry-forward date
// stays with its money while the walk-in's account closing of May, which
// never counted that money, stays (taking the money into the opening
// balance would change that closing's figures); one paid after it stays with
// its money, whose lists in May still name the customer from the invoice's
// slip. No money is left pointing at an invoice that is gone.
TEST_F(CloseSalesTest, CarryForwardTakesAWalkInInvoiceAndItsMoneyTogether)
{
    struct Paid {
        const char* no;
        QDate closeDate, paidOn;
    };
    for (const Paid& p :
         {Paid{"OTa", {2004, 3, 15}, {2004, 3, 20}}, Paid{"OTb", {2004, 4, 10}, {2004, 5, 5}}}) {
        const int close = Insert(TB_SALES_CLOSE,
                                 {{"No", p.no},
                                  {"Date", p.closeDate},
                                  {"CustomerCode", "　"},
                                  {"CloseDate", p.closeDate},
                                  {"CollectDate", p.closeDate},
                                  {"Status", 1},
                                  {"TudoFlg", 0}},
                                 p.no);
        Insert(TB_SALES_H, {{"No", p.no},
                            {"Date", p.closeDate},
                            {"CustomerCode", "　"},
                            {"Company", "海山商店"},
                            {"DenpyoType", 0},
                            {"TaxType", 2},
                            {"Amount", Yen("1000")},
                            {"Tax", Yen("50")},
                            {"Total", Yen("1050")},
                            {"SeikyuID", close}});
        const int money = Insert(TB_RECEIPT_H, {{"No", p.no},
                                                {"Date", p.paidOn},
                                                {"CustomerCode", "　"},
                                                {"Amount", Yen("1050")},
                                                {"SeikyuID", 0},
                                                {"CloseID", close}});
        Insert(TB_RECEIPT_B, {{"HeaderID", money}, {"LineNo", 1}, {"Code", "現金"}, {"Amount", Yen("1050")}});
    }
    const QString mayMoney = MakeReceiptListSQL(CTradeSide::Sales(), QDate(2004, 5, 1), QDate(2004, 5, 31));
    const QStringList before = Table(Rows(mayMoney), {"No", "Company", "Amount"});
    ASSERT_TRUE(before.contains(U("OTb|海山商店|1050")));
    const QString billed = MakeBilledListSQL(QDate(), QDate());
    const QMap<QString, QString> figures = BilledFigures(Rows(billed));

    QString err;
    ASSERT_EQ(CarryForward(QDate(2004, 4, 30), QDate(), err), 1) << err.toStdString();
    for (const auto& [id, kept] : BilledFigures(Rows(billed)).asKeyValueRange())
        EXPECT_EQ(kept, figures.value(id)) << "closing " << id.toStdString();
    // The invoice paid before the date leaves its slip's amount out of the
    // walk-in's booked balance, but not the money, which was never booked.
    EXPECT_EQ(BookedBalances::Kept(m_data, false), BookedBalances::Recounted(m_data, false));
    const QString left = U("SELECT (SELECT COUNT(*) FROM Sales_Close WHERE \"No\" = '%1') || '/' || "
                           "(SELECT COUNT(*) FROM Sales_H WHERE \"No\" = '%1') || '/' || "
                           "(SELECT COUNT(*) FROM Receipt_H WHERE \"No\" = '%1') || '/' || "
                           "(SELECT COUNT(*) FROM Receipt_B WHERE HeaderID IN (SELECT ID FROM Receipt_H "
                           "WHERE \"No\" = '%1')) AS n");
    EXPECT_EQ(Column(Rows(left.arg(U("OTa"))), U("n")), QStringList({"1/1/1/1"}));
    EXPECT_EQ(Column(Rows(left.arg(U("OTb"))), U("n")), QStringList({"1/1/1/1"}));
    EXPECT_EQ(
        Rows(U("SELECT ID FROM Receipt_H WHERE CloseID <> 0 AND CloseID NOT IN (SELECT ID FROM Sales_Close)"))
            .GetCount(),
        0);
    EXPECT_EQ(Table(Rows(mayMoney), {"No", "Company", "Amount"}), before);
}

// A walk-in customer's closings that stay keep every figure: a per-slip
// invoice paid with money that no closing booked stays while an account
// closing after it stays (that closing never counted the money), and one
// that comes after a kept account closing stays (that closing never counted
// its amount). Both ways in, as the screens make them.
TEST_F(CloseSalesTest, CarryForwardLeavesTheWalkInsKeptClosingsAlone)
{
    struct Closing {
        const char* no;
        QDate closeDate;
        int tudo, status;
        const char* slip; // billed, booked to it
        QDate slipDate;
        const char* paid; // money no closing booked, paid on it
        QDate paidOn;
    };
    const struct Case {
        const char* what;
        QDate carry;
        std::vector<Closing> closings;
        const char* kept;       // its 前回請求額 must stay: with the walk-in's closing
        const char* prevBilled; // of May (3,150 billed) before them
        const char* before;     // done first
    } cases[] = {
        // Account closing 1 undone, its slip invoiced by itself and settled;
        // account closing 2 booked the later slip.
        {"per-slip invoice before a kept account closing",
         {2004, 7, 31},
         {{"WA3", {2004, 4, 29}, 0, 1, "38500.5", {2004, 4, 29}, "24900", {2004, 5, 10}},
          {"WA2", {2004, 11, 16}, 1, 0, "20000", {2004, 8, 31}, nullptr, {}}},
         "WA2",
         "41650.5",
         nullptr},
        // Account closing A paid after the date; per-slip invoice B after it,
        // paid in part before the date.
        {"per-slip invoice after a kept account closing",
         {2004, 11, 30},
         {{"WB1", {2004, 11, 7}, 1, 1, "50000", {2004, 11, 1}, "50000", {2004, 12, 11}},
          {"WB2", {2004, 11, 21}, 0, 1, "90000", {2004, 11, 21}, "30000", {2004, 11, 25}}},
         "WB1",
         "3150",
         // The walk-in's closing of May is settled: none is open.
         "UPDATE Sales_Close SET Status = 1 WHERE CustomerCode = '　'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QString err;
        ASSERT_EQ(m_data.BeginTransaction(err), 1);
        if (c.before)
            Exec(QString::fromUtf8(c.before));
        for (const Closing& k : c.closings) {
            const int close = Insert(TB_SALES_CLOSE, {{"No", k.no},
                                                      {"Date", k.closeDate},
                                                      {"CustomerCode", "　"},
                                                      {"CloseDate", k.closeDate},
                                                      {"CollectDate", k.closeDate},
                                                      {"Status", k.status},
                                                      {"TudoFlg", k.tudo}});
            Insert(TB_SALES_H, {{"No", k.no},
                                {"Date", k.slipDate},
                                {"CustomerCode", "　"},
                                {"DenpyoType", 0},
                                {"TaxType", 1},
                                {"Amount", Yen(k.slip)},
                                {"Tax", Yen("0")},
                                {"Total", Yen(k.slip)},
                                {"SeikyuID", close}});
            if (k.paid)
                Insert(TB_RECEIPT_H, {{"No", k.no},
                                      {"Date", k.paidOn},
                                      {"CustomerCode", "　"},
                                      {"Amount", Yen(k.paid)},
                                      {"SeikyuID", 0},
                                      {"CloseID", close}});
        }
        const QString billed = MakeBilledListSQL(QDate(), QDate());
        const QMap<QString, QString> before = BilledFigures(Rows(billed));
        const QString prevBilled =
            U("SELECT ID FROM Sales_Close WHERE \"No\" = '%1'").arg(QString::fromUtf8(c.kept));
        const QString keptId = Column(Rows(prevBilled), U("ID")).value(0);
        ASSERT_TRUE(before.value(keptId).split(u'|').contains(
            U("前回請求額=%1").arg(QString::fromUtf8(c.prevBilled))))
            << before.value(keptId).toStdString();

        ASSERT_EQ(CarryForward(c.carry, QDate(), err), 1) << err.toStdString();
        const QMap<QString, QString> after = BilledFigures(Rows(billed));
        ASSERT_TRUE(after.contains(keptId));
        for (auto it = after.cbegin(); it != after.cend(); ++it)
            EXPECT_EQ(it.value(), before.value(it.key())) << "closing " << it.key().toStdString();
        EXPECT_EQ(BookedBalances::Kept(m_data, false), BookedBalances::Recounted(m_data, false));
        ASSERT_EQ(m_data.Rollback(err), 1);
    }
}

// A booked balance written by another tool is found and made again at
// compaction, and said so; a second compaction finds nothing.
TEST_F(CloseSalesTest, ADamagedBalanceIsMadeAgainAtCompaction)
{
    const QString kept = BookedBalances::Kept(m_data, false);
    ASSERT_EQ(kept, BookedBalances::Recounted(m_data, false));
    const Damage cases[] = {
        {"UPDATE Sales_Booked SET Balance = Balance + 10000 WHERE CustomerCode = 'K001'", true},
        {"DELETE FROM Stock_Booked WHERE ID = (SELECT MIN(ID) FROM Stock_Booked)", true},
        {"INSERT INTO Sales_Booked(CustomerCode, Balance) VALUES ('NOBODY', 5)", true},
        {"UPDATE Sales_Booked SET Balance = Balance WHERE 0", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        ASSERT_NO_FATAL_FAILURE(CompactAfter(c));
        QString info, err;
        bool remade = true;
        ASSERT_EQ(CompactDB(m_data, info, err, &remade), 1) << err.toStdString();
        EXPECT_FALSE(remade);
    }
}

// The balance check takes what a code has booked as all its rows less its
// unbooked ones. Rows of no closing in any form (none, 0, below 0) and codes
// written in the other case count as the balances count them: a sound file
// is not made again, and a damaged one is still found.
TEST_F(CloseSalesTest, TheBalanceCheckCountsEveryFormOfUnbookedRow)
{
    for (const char* rows :
         {"INSERT INTO Sales_H(CustomerCode, TaxType, Amount, Tax, SeikyuID) VALUES ('K001', 2, 500000000, "
          "50000000, NULL), ('K001', 2, 300000000, 0, -3), ('k001', 2, 70000000, 7000000, 9001), (NULL, 2, "
          "10000000, 0, 9001)",
          "INSERT INTO Receipt_H(CustomerCode, Amount, SeikyuID) VALUES ('K001', 30000000, NULL), ('K001', "
          "20000000, -1), ('k001', 40000000, 9001)",
          "INSERT INTO Stock_H(SupplierCode, TaxType, Amount, Tax, SeikyuID) VALUES ('sp01', 2, 90000000, "
          "9000000, 9002), ('SP01', 2, 60000000, 0, NULL)",
          "INSERT INTO Pay_H(SupplierCode, Amount, SeikyuID) VALUES ('SP01', 10000000, -2), ('sp01', "
          "5000000, 9002)"})
        Exec(QString::fromUtf8(rows));
    for (const bool purchase : {false, true})
        ASSERT_EQ(BookedBalances::Kept(m_data, purchase), BookedBalances::Recounted(m_data, purchase));
    const Damage cases[] = {
        {"UPDATE Sales_Booked SET Balance = Balance WHERE 0", false},
        {"UPDATE Sales_Booked SET Balance = Balance + 1 WHERE CustomerCode = 'K001'", true},
        {"UPDATE Stock_Booked SET Balance = Balance - 1 WHERE SupplierCode = 'SP01'", true},
        {"DELETE FROM Sales_Booked WHERE CustomerCode = 'K001'", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        ASSERT_NO_FATAL_FAILURE(CompactAfter(c));
    }
    EXPECT_TRUE(BookedBalances::Kept(m_data, false).contains(QStringLiteral("K001:")));
}

// The carry-forward checks the balances first, and refuses to start
// without room beside the file for its journal, saying how much it needs.
TEST_F(CloseSalesTest, CarryForwardRechecksBalancesAndNeedsRoomForItsJournal)
{
    const qint64 mb = 1 << 20;
    const struct {
        qint64 size, available;
        const char* message;
    } rooms[] = {
        {300 * mb, 400 * mb, ""},
        {300 * mb, 300 * mb, ""},
        {300 * mb, -1, ""},
        {300 * mb + 1, 120 * mb + 5,
         "繰越処理に必要なディスクの空き容量が足りません。データベースのあるドライブに約301MBの空き容量が必要"
         "です"
         "（現在の空き容量：約120MB）。空き容量を増やしてから、もう一度実行してください。"},
    };
    for (const auto& r : rooms)
        EXPECT_EQ(CClosingService::SpaceShortage(r.size, r.available), QString::fromUtf8(r.message))
            << r.size << ' ' << r.available;

    Exec(U("UPDATE Sales_Booked SET Balance = Balance - 70000 WHERE CustomerCode = 'K001'"));
    QString err;
    bool remade = false;
    ASSERT_EQ(CarryForward(QDate(2004, 4, 30), QDate(), err, &remade), 1) << err.toStdString();
    EXPECT_TRUE(remade);
    EXPECT_EQ(BookedBalances::Kept(m_data, false), BookedBalances::Recounted(m_data, false));
    // K001: 10000 + 21000 (S1) - 8000 (R1), as with a sound balance.
    EXPECT_EQ(Column(Rows(U("SELECT Collect FROM Customer WHERE CustomerCode = 'K001'")), U("Collect")),
              QStringList({"23000"}));
}
