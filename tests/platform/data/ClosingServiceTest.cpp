#include "reports/ReportFixture.h"

#include "platform/data/ClosingService.h"
#include "platform/data/MnyText.h"
#include "platform/data/StoredNumbers.h"
#include "platform/data/TableNames.h"
#include "platform/data/TradeSide.h"
#include "platform/sql/ClosingSql.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

const QDate kClose(2004, 5, 25);

class ClosingServiceTest : public ReportFixture
{
  protected:
    // The closing candidates of closing day 25 as the list reads them, each
    // with a number and the figures of its row.
    CCloseRequest Listed()
    {
        CCloseRequest request;
        request.side = &CTradeSide::Sales();
        request.closeDate = kClose;
        request.issued = kClose;
        request.statement = MakeSeikyuSQL(kClose, 25);
        const CCDSData rows = Rows(request.statement);
        const CTradeSide& side = CTradeSide::Sales();
        for (int i = 0; i < rows.GetCount(); ++i) {
            const COneRecord* row = rows.GetAt(i);
            const auto money = [row](const char* name) {
                CMny value(0);
                const CTb* field = row->GetOneField(QString(), U(name));
                EXPECT_TRUE(field && field->GetData(value)) << name;
                return value;
            };
            CCloseCandidate candidate;
            candidate.code = Values(rows, i, {"CustomerCode"}).first();
            candidate.number = QStringLiteral("C%1").arg(i + 1);
            candidate.shown = {money(side.prevBilled), money(side.received), money(side.netAmount),
                               money(RC_TAXABLE),      money(RC_SLIP_TAX),   0};
            candidate.shown.slips = Values(rows, i, {side.slipCount}).first().toInt();
            request.candidates.push_back(candidate);
        }
        return request;
    }

    // What the books hold of closings, slips, money and the carry-forward.
    QString Books()
    {
        return Values(Rows(U("SELECT (SELECT COUNT(*) FROM Sales_Close) || '/' || (SELECT COUNT(*) FROM "
                             "Sales_H WHERE SeikyuID = 0) || '/' || (SELECT COUNT(*) FROM Receipt_H) || '/' "
                             "|| COALESCE((SELECT StartDate FROM Util), '') AS n")),
                      0, {"n"})
            .first();
    }

    CClosingService m_service{m_data};
};

} // namespace

// Each refusal of the service names its kind and changes nothing; without
// a connection every call is fatal.
TEST_F(ClosingServiceTest, RefusalsAreTypedAndChangeNothing)
{
    QString err;
    ASSERT_EQ(m_service.CarryForward(QDate(2004, 1, 31), QDate()).refusal.Answer(err), 1)
        << err.toStdString();
    const struct {
        const char* what;
        std::function<CClosingRefusal(CClosingService&)> run;
        EClosingRefusal why;
        const char* says;
    } cases[] = {
        {"a closing of no side",
         [this](CClosingService& service) {
             CCloseRequest request = Listed();
             request.side = nullptr;
             return service.Close(request).refusal;
         },
         EClosingRefusal::BadRequest, "締め処理のテーブル指定が正しくありません。"},
        {"a closing without a date",
         [this](CClosingService& service) {
             CCloseRequest request = Listed();
             request.closeDate = QDate();
             return service.Close(request).refusal;
         },
         EClosingRefusal::BadDate, "締日が正しくありません。"},
        {"a carry-forward without a date",
         [](CClosingService& service) { return service.CarryForward(QDate(), QDate(2004, 1, 31)).refusal; },
         EClosingRefusal::BadDate, "繰越日が正しくありません。"},
        {"a carry-forward from another previous date",
         [](CClosingService& service) {
             return service.CarryForward(QDate(2004, 4, 30), QDate(2004, 2, 29)).refusal;
         },
         EClosingRefusal::PreviousDiffers, "前回の繰越日が一致しません。"},
        {"a carry-forward before the previous one",
         [](CClosingService& service) {
             return service.CarryForward(QDate(2004, 1, 30), QDate(2004, 1, 31)).refusal;
         },
         EClosingRefusal::BeforePrevious, "前回の繰越日より前の日付は指定できません。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString before = Books();
        const CClosingRefusal refused = c.run(m_service);
        EXPECT_EQ(refused.why, c.why);
        EXPECT_EQ(refused.Code(), 10);
        EXPECT_EQ(refused.text, U(c.says));
        QString said;
        EXPECT_EQ(refused.Answer(said), 10);
        EXPECT_EQ(said, U(c.says));
        EXPECT_EQ(Books(), before);
    }

    const CCloseRequest listed = Listed();
    ASSERT_EQ(listed.candidates.size(), 3u);
    m_data.Close();
    const CClosingRefusal fatal[] = {
        m_service.Close(listed).refusal,
        m_service.Undo(CTradeSide::Sales(), {Id("K1C2")}),
        m_service.CarryForward(QDate(2004, 4, 30), QDate(2004, 1, 31)).refusal,
    };
    for (const CClosingRefusal& refused : fatal) {
        EXPECT_EQ(refused.why, EClosingRefusal::Fatal);
        EXPECT_EQ(refused.Code(), -100);
        EXPECT_FALSE(refused.text.isEmpty());
    }
}

// The closing books only what the list showed: a partner whose books
// changed since the list was read, or whose figures the list showed
// otherwise (each figure in turn), is left open with nothing of it booked,
// and named; the others close. A run whose partners all changed writes
// nothing and is done.
TEST_F(ClosingServiceTest, PartnersThatChangedSinceTheListStayOpen)
{
    const QString k004Slips =
        U("SELECT COUNT(*) AS n FROM Sales_H WHERE CustomerCode = 'K004' AND SeikyuID = 0");
    const struct {
        const char* what;
        std::function<void(CCloseRequest&)> change;
        QStringList open; // of K001, K004, O'Neil
    } cases[] = {
        {"nothing changed", [](CCloseRequest&) {}, {}},
        {"a slip of K004 entered since",
         [this](CCloseRequest&) {
             Exec(U("INSERT INTO Sales_H(\"No\", \"Date\", CustomerCode, DenpyoType, TaxType, Amount, "
                    "Tax, Total, SeikyuID) VALUES ('S90', '2004-05-20', 'K004', 0, 2, 10000000, 500000, "
                    "10500000, 0)"));
         },
         {"K004"}},
        {"money of K001 received since",
         [this](CCloseRequest&) {
             Exec(U("INSERT INTO Receipt_H(\"No\", \"Date\", CustomerCode, Amount, SeikyuID, CloseID) "
                    "VALUES ('R90', '2004-05-21', 'K001', 20000000, 0, 0)"));
         },
         {"K001"}},
        {"O'Neil's previous bill shown otherwise",
         [](CCloseRequest& request) { request.candidates[2].shown.prevBilled = CMny(1); },
         {"O'Neil"}},
        {"K004's receipts shown otherwise",
         [](CCloseRequest& request) { request.candidates[1].shown.received = CMny(1); },
         {"K004"}},
        {"K004's net sales shown otherwise",
         [](CCloseRequest& request) { request.candidates[1].shown.net = CMny(1); },
         {"K004"}},
        {"K001's taxable sales shown otherwise",
         [](CCloseRequest& request) { request.candidates[0].shown.taxable = CMny(1); },
         {"K001"}},
        {"K001's slip tax shown otherwise",
         [](CCloseRequest& request) { request.candidates[0].shown.slipTax = CMny(1); },
         {"K001"}},
        {"O'Neil's slips counted otherwise",
         [](CCloseRequest& request) { request.candidates[2].shown.slips = 7; },
         {"O'Neil"}},
        {"every partner",
         [](CCloseRequest& request) {
             for (CCloseCandidate& candidate : request.candidates)
                 candidate.shown.slips += 1;
         },
         {"K001", "K004", "O'Neil"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QString err;
        ASSERT_EQ(m_data.BeginTransaction(err), 1) << err.toStdString();
        CCloseRequest request = Listed();
        ASSERT_EQ(request.candidates.size(), 3u);
        c.change(request);
        const QString openSlips = Values(Rows(k004Slips), 0, {"n"}).first();
        const int closingsBefore = Rows(U("SELECT ID FROM Sales_Close")).GetCount();
        const CCloseOutcome closed = m_service.Close(request);
        ASSERT_EQ(closed.refusal.Code(), 1) << closed.refusal.text.toStdString();
        EXPECT_EQ(closed.changed, c.open);
        ASSERT_EQ(closed.ids.size(), 3);
        for (size_t i = 0; i < request.candidates.size(); ++i) {
            const QString& code = request.candidates[i].code;
            const int id = closed.ids[qsizetype(i)];
            if (c.open.contains(code)) {
                EXPECT_EQ(id, 0) << code.toStdString();
                continue;
            }
            ASSERT_GT(id, 0) << code.toStdString();
            // Its closing as the candidate gave it, due on the day its terms give.
            EXPECT_EQ(
                Table(Rows(QStringLiteral("SELECT \"No\", CustomerCode, CloseDate, Status, TudoFlg FROM "
                                          "Sales_Close WHERE ID = %1")
                               .arg(id)),
                      {"No", "CustomerCode", "CloseDate", "Status", "TudoFlg"}),
                QStringList({QStringLiteral("C%1|%2|2004/05/25|0|1").arg(i + 1).arg(code)}));
        }
        EXPECT_EQ(Rows(U("SELECT ID FROM Sales_Close")).GetCount(), closingsBefore + 3 - int(c.open.size()));
        if (c.open.contains(U("K004"))) {
            EXPECT_EQ(Values(Rows(k004Slips), 0, {"n"}).first(), openSlips) << "a slip of K004 was booked";
        }
        ASSERT_EQ(m_data.Rollback(err), 1) << err.toStdString();
    }
}

// The closing's due date from the partner's terms, and a tax slip of the
// closing date for the tax billed at the closing only where there is one,
// under the partner's names and booked to its closing (K001's own tax slip
// of 20 May is booked to it too).
TEST_F(ClosingServiceTest, TheClosingTakesTheCandidatesTermsAndTax)
{
    CCloseRequest request = Listed();
    ASSERT_EQ(request.candidates.size(), 3u);
    const struct {
        int cycle, day;
        const char* tax;
        const char* due;
    } terms[] = {{0, 15, "0", "2004/06/09"}, {2, 99, "12.5", "2004/06/30"}, {1, 10, "300", "2004/06/10"}};
    for (size_t i = 0; i < request.candidates.size(); ++i) {
        CCloseCandidate& candidate = request.candidates[i];
        candidate.collectCycle = terms[i].cycle;
        candidate.collectDay = terms[i].day;
        bool ok = false;
        candidate.tax = TextToMny(U(terms[i].tax), &ok);
        ASSERT_TRUE(ok);
        candidate.company = QStringLiteral("社%1").arg(i);
        candidate.name = QStringLiteral("様%1").arg(i);
    }
    const CCloseOutcome closed = m_service.Close(request);
    ASSERT_EQ(closed.refusal.Code(), 1) << closed.refusal.text.toStdString();
    for (size_t i = 0; i < request.candidates.size(); ++i) {
        SCOPED_TRACE(request.candidates[i].code.toStdString());
        const QString id = QString::number(closed.ids[qsizetype(i)]);
        EXPECT_EQ(Values(Rows(QStringLiteral("SELECT CollectDate FROM Sales_Close WHERE ID = %1").arg(id)), 0,
                         {"CollectDate"}),
                  QStringList({U(terms[i].due)}));
        const CCDSData slips =
            Rows(QStringLiteral("SELECT Tax, Total, Company, Name, \"Date\" FROM Sales_H WHERE "
                                "DenpyoType = 1 AND SeikyuID = %1 AND \"Date\" = '2004-05-25'")
                     .arg(id));
        if (QByteArray(terms[i].tax) == "0") {
            EXPECT_EQ(slips.GetCount(), 0);
            continue;
        }
        EXPECT_EQ(Table(slips, {"Tax", "Total", "Company", "Name", "Date"}),
                  QStringList({QStringLiteral("%1|%1|社%2|様%2|2004/05/25").arg(U(terms[i].tax)).arg(i)}));
    }
}

// The numbers of a side's closings count by the counter's form only: its
// prefix, digits of any width and its suffix (letters without ASCII case),
// each side apart; the run asked about counts its held numbers, wrapped too.
TEST_F(ClosingServiceTest, TheHighestNumberCountsTheCountersFormOnly)
{
    Exec(U("DELETE FROM Sales_Close"));
    Exec(U("DELETE FROM Stock_Close"));
    Exec(U("INSERT INTO Sales_Close(No, CustomerCode, CloseDate, Status, TudoFlg) VALUES ('000017', 'K1', "
           "'2004-05-25', 0, 1), ('000009', 'K1', '2004-04-25', 0, 1), ('A-042', 'K1', '2004-03-25', 0, 1), "
           "('A-0420X', 'K1', '2004-02-25', 0, 1), ('1234567890', 'K1', '2004-01-25', 0, 1), "
           "('12a4', 'K1', '2003-12-25', 0, 1), ('請-7-末', 'K1', '2003-11-25', 0, 1), ('', 'K1', "
           "'2003-10-25', 0, 1), ('A-', 'K1', '2003-09-25', 0, 1), (NULL, 'K1', '2003-08-25', 0, 1), "
           "('a-099', 'K1', '2003-07-25', 0, 1)"));
    Exec(U("INSERT INTO Stock_Close(No, SupplierCode, CloseDate, Status, TudoFlg) VALUES ('000003', 'S1', "
           "'2004-05-25', 0, 1)"));
    const struct {
        bool purchase;
        const char* prefix;
        const char* suffix;
        qint64 highest;
        const char* stored;
        CNumberRun run;
        int held;
    } cases[] = {
        {false, "", "", 1234567890, "1234567890", {9, 17, 1, 0}, 2},
        {false, "A-", "", 99, "a-099", {42, 42, 1, 0}, 1},
        {false, "a-", "x", 420, "A-0420X", {1, 419, 1, 0}, 0},
        {false, "請-", "-末", 7, "請-7-末", {999, 999, 1, 7}, 1},
        {false, "B-", "", 0, "", {1, 100, 1, 0}, 0},
        {true, "", "", 3, "000003", {1, 2, 1, 0}, 0},
        {true, "A-", "", 0, "", {1, 9, 1, 0}, 0},
        {false, "'", "", 0, "", {1, 9, 1, 0}, 0},
        {false, "A_", "", 0, "", {1, 9, 1, 0}, 0},
        {false, "%", "%", 0, "", {1, 9, 1, 0}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.prefix) + "#" + c.suffix + (c.purchase ? " purchases" : " sales"));
        CStoredNumbers found;
        QString err;
        EXPECT_EQ(m_data.ReadStoredNumbers(U(CTradeSide::Of(c.purchase).closing), U(c.prefix), U(c.suffix),
                                           c.run, found, err),
                  1)
            << err.toStdString();
        EXPECT_EQ(found.highest, c.highest);
        EXPECT_EQ(found.highestText, U(c.stored));
        EXPECT_EQ(found.held, c.held);
    }
    CStoredNumbers found;
    QString err;
    EXPECT_EQ(m_data.ReadStoredNumbers(U("Customer"), QString(), QString(), {}, found, err), 10);
}

namespace
{

CMny Amount(const char* text)
{
    bool ok = false;
    const CMny value = TextToMny(QString::fromUtf8(text), &ok);
    EXPECT_TRUE(ok) << text;
    return value;
}

// The closing candidates of closing day 25 with their terms, numbers, an
// issue date and rate, and taxes billed at the closing (K004's shown
// otherwise, so that it stays open).
class ClosingRecordsTest : public ClosingServiceTest
{
  protected:
    CCloseRequest Request()
    {
        CCloseRequest request = Listed();
        EXPECT_EQ(request.candidates.size(), 3u);
        request.issued = QDate(2004, 5, 27);
        request.taxRate = Amount("0.05");
        const struct {
            int cycle, day;
            const char* tax;
        } terms[] = {{1, 10, "617"}, {0, 15, "3"}, {2, 99, "12.5"}};
        for (size_t i = 0; i < request.candidates.size() && i < 3; ++i) {
            CCloseCandidate& c = request.candidates[i];
            c.collectCycle = terms[i].cycle;
            c.collectDay = terms[i].day;
            c.tax = Amount(terms[i].tax);
            c.company = QStringLiteral("社%1").arg(i);
            c.section = QStringLiteral("部%1").arg(i);
            c.name = QStringLiteral("様%1").arg(i);
        }
        request.candidates[1].shown.slips += 1;
        return request;
    }

    // Every closing, slip and receipt as the books hold them.
    QStringList Books()
    {
        return Table(
                   Rows(U(
                       "SELECT ID, \"No\", \"Date\", CustomerCode, CloseDate, CollectDate, Status, TaxRate, "
                       "TudoFlg FROM Sales_Close ORDER BY ID")),
                   {"ID", "No", "Date", "CustomerCode", "CloseDate", "CollectDate", "Status", "TaxRate",
                    "TudoFlg"}) +
               Table(
                   Rows(U(
                       "SELECT ID, \"No\", \"Date\", CustomerCode, DenpyoType, Tax, Total, Company, Section, "
                       "Name, SeikyuID FROM Sales_H ORDER BY ID")),
                   {"ID", "No", "Date", "CustomerCode", "DenpyoType", "Tax", "Total", "Company", "Section",
                    "Name", "SeikyuID"}) +
               Table(Rows(U("SELECT ID, SeikyuID FROM Receipt_H ORDER BY ID")), {"ID", "SeikyuID"});
    }
};

} // namespace

// The closing writes what the candidates say: the closings, tax slips and
// bookings, the new IDs in order, and the partner whose row changed left
// open and named. A run rolled back leaves nothing that a second run of the
// same request would meet: it writes the same rows again.
TEST_F(ClosingRecordsTest, TheClosingWritesWhatTheCandidatesSay)
{
    const CCloseRequest request = Request();
    QString err;
    ASSERT_EQ(m_data.BeginTransaction(err), 1) << err.toStdString();
    const QStringList before = Books();
    const CCloseOutcome typed = m_service.Close(request);
    ASSERT_TRUE(typed.refusal.IsDone()) << typed.refusal.text.toStdString();
    EXPECT_EQ(typed.changed, QStringList({"K004"}));
    ASSERT_EQ(typed.ids.size(), 3);
    EXPECT_TRUE(typed.ids[0] > 0 && typed.ids[1] == 0 && typed.ids[2] > typed.ids[0]);
    const QStringList closed = Books();
    EXPECT_NE(closed, before);
    // K001's closing as the list gave it, due on 10 June, and its tax slip.
    EXPECT_TRUE(closed.contains(
        QStringLiteral("%1|C1|2004/05/27|K001|2004/05/25|2004/06/10|0|0.05|1").arg(typed.ids[0])));
    EXPECT_EQ(
        Table(Rows(QStringLiteral("SELECT Total, Company, Section, Name FROM Sales_H WHERE DenpyoType = 1 "
                                  "AND \"Date\" = '2004-05-25' AND SeikyuID = %1")
                       .arg(typed.ids[0])),
              {"Total", "Company", "Section", "Name"}),
        QStringList({U("617|社0|部0|様0")}));
    ASSERT_EQ(m_data.Rollback(err), 1) << err.toStdString();
    ASSERT_EQ(Books(), before);

    const CCloseOutcome again = m_service.Close(request);
    ASSERT_TRUE(again.refusal.IsDone()) << again.refusal.text.toStdString();
    EXPECT_EQ(Books(), closed);
    EXPECT_EQ(again.changed, typed.changed);
    EXPECT_EQ(again.ids, typed.ids);
}

// A text too long for its column is refused with the reason; nothing is
// written and no ID given.
TEST_F(ClosingRecordsTest, WhatMakesNoClosingIsRefused)
{
    const QStringList before = Books();
    const struct {
        const char* what;
        std::function<void(CCloseCandidate&)> change;
        const char* says;
    } texts[] = {
        {"a number of 21 bytes", [](CCloseCandidate& c) { c.number = U("請求-") + QString(16, u'9'); },
         "「Sales_Close.No」は20バイトまでです。"},
        {"a partner's name of 52 bytes on its tax slip",
         [](CCloseCandidate& c) { c.name = QString(26, u'様'); }, "「Sales_H.Name」は50バイトまでです。"},
    };
    for (const auto& c : texts) {
        SCOPED_TRACE(c.what);
        CCloseRequest request = Request();
        c.change(request.candidates[2]);
        const CCloseOutcome refused = m_service.Close(request);
        EXPECT_EQ(refused.refusal.why, EClosingRefusal::Failed);
        EXPECT_EQ(refused.refusal.text, U(c.says));
        EXPECT_EQ(refused.ids, QList<int>({0, 0, 0}));
        EXPECT_EQ(Books(), before);
    }
    // Without a tax billed at the closing its names go nowhere.
    CCloseRequest untaxed = Request();
    untaxed.candidates[2].tax = CMny(0);
    untaxed.candidates[2].name = QString(26, u'様');
    EXPECT_TRUE(m_service.Close(untaxed).refusal.IsDone());
}

// The invoice work tables hold each invoice as its row showed it, numbered
// in order, with the lines of its closing: an empty text and an amount
// without value stay empty. A text too long for its column is refused, and
// the tables keep the last command's invoices.
TEST_F(ClosingServiceTest, InvoicesHoldWhatTheirRowsShowed)
{
    const CCloseOutcome closed = m_service.Close(Listed());
    ASSERT_TRUE(closed.refusal.IsDone()) << closed.refusal.text.toStdString();
    ASSERT_EQ(closed.ids.size(), 3);
    CInvoiceHeader full;
    full.closing = closed.ids[0];
    full.number = U("C1");
    full.issued = QDate(2004, 5, 27);
    full.closeDate = kClose;
    full.code = U("K001");
    full.zip = U("100-0001");
    full.address = U("東京都千代田区1-1");
    full.company = U("青葉商事");
    full.section = U("営業部");
    full.name = U("山田");
    full.keisho = U("様");
    full.keisho2 = U("御中");
    full.myPerson = U("佐藤");
    full.prevBilled = Amount("42000.52");
    full.received = Amount("5000");
    full.carried = Amount("37000.52");
    full.net = Amount("13345.67");
    full.tax = Amount("-0.5");
    full.due = Amount("13345.17");
    full.slips = 2;
    CInvoiceHeader bare;
    bare.closing = closed.ids[2];
    bare.code = U("O'Neil");
    bare.closeDate = kClose;

    const QString work =
        U("SELECT ID || '|' || SalesCloseID || '|' || quote(\"No\") || '|' || quote(\"Date\") || '|' || "
          "quote(CloseDate) || '|' || quote(CustomerCode) || '|' || quote(Zip) || '|' || quote(Address) || "
          "'|' || quote(Company) || '|' || quote(Section) || '|' || quote(Name) || '|' || quote(Keisho) || "
          "'|' || quote(Keisho2) || '|' || quote(MyPerson) || '|' || quote(LastCollect) || '|' || "
          "quote(Receipt) || '|' || quote(Balance) || '|' || quote(Amount) || '|' || quote(Tax) || '|' || "
          "quote(Total) || '|' || quote(DenpyoNum) AS r FROM WShime_H ORDER BY ID");
    const QStringList rows{
        QStringLiteral("1|%1|'C1'|'2004-05-27'|'2004-05-25'|'K001'|'100-0001'|'東京都千代田区1-1'|'青葉商事'|"
                       "'営業部'|'山田'|'様'|'御中'|'佐藤'|420005200|50000000|370005200|133456700|-5000|"
                       "133451700|2")
            .arg(closed.ids[0]),
        QStringLiteral(
            "2|%1|NULL|NULL|'2004-05-25'|'O''Neil'|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|"
            "NULL|NULL|NULL|NULL|NULL")
            .arg(closed.ids[2]),
    };
    const QString lines = U("SELECT HeaderID || '|' || COUNT(*) AS n FROM WShime_B GROUP BY HeaderID");
    ASSERT_TRUE(m_service.MakeInvoices(CTradeSide::Sales(), {full, bare}).IsDone());
    EXPECT_EQ(Column(Rows(work), U("r")), rows);
    // K001's S4 (five lines), S5 and S6; O'Neil's S9.
    EXPECT_EQ(Column(Rows(lines), U("n")), QStringList({"1|7", "2|1"}));

    full.keisho = U("御中御中様様"); // 12 bytes
    const CClosingRefusal tooLong = m_service.MakeInvoices(CTradeSide::Sales(), {bare, full});
    EXPECT_EQ(tooLong.why, EClosingRefusal::Failed);
    EXPECT_EQ(tooLong.text, U("「WShime_H.Keisho」は10バイトまでです。"));
    EXPECT_EQ(Column(Rows(work), U("r")), rows);
    EXPECT_EQ(Column(Rows(lines), U("n")), QStringList({"1|7", "2|1"}));
}

// Each partner closes with its own slips and tax whatever its texts hold: a
// U+0000 in its names goes onto its tax slip and invoice as it is, and codes
// that differ only in the case of full-width letters are two partners, as
// the database holds them. An undo gives the books back.
TEST_F(ClosingServiceTest, EveryPartnerClosesWhateverItsTextsHold)
{
    const QString nul = QStringLiteral("AB") + QChar(0) + QStringLiteral("C");
    for (const char* code : {"ＡＢ", "ａｂ"})
        Insert(TB_CUSTOMER, {{"CustomerCode", code}, {"Company", code}, {"Day", 25}});
    const struct {
        const char* no;
        const char* code;
        QDate date;
        const char *amount, *tax, *total;
    } slips[] = {{"S91", "ＡＢ", {2004, 5, 11}, "1000", "100", "1100"},
                 {"S92", "ａｂ", {2004, 5, 12}, "2000", "200", "2200"},
                 {"S93", "ａｂ", {2004, 5, 26}, "4000", "400", "4400"}};
    for (const auto& slip : slips)
        Insert(TB_SALES_H, {{"No", slip.no},
                            {"Date", slip.date},
                            {"CustomerCode", slip.code},
                            {"DenpyoType", 0},
                            {"TaxType", 2},
                            {"Amount", Yen(slip.amount)},
                            {"Tax", Yen(slip.tax)},
                            {"Total", Yen(slip.total)},
                            {"SeikyuID", 0}});
    const struct {
        const char* code;
        QString company, name;
        const char* tax;    // billed at the closing
        const char* billed; // the slips booked to its closing, as stored
    } partners[] = {
        {"K001", nul, QStringLiteral("様") + QChar(0), "617", "133956700"},
        {"K004", U("四谷工業"), U("四谷"), "0", "15000000"},
        {"O'Neil", U("オニール"), nul, "12.5", "52500000"},
        {"ＡＢ", U("ＡＢ商会"), U("ＡＢ"), "55", "11000000"},
        {"ａｂ", U("ａｂ商会"), U("ａｂ"), "110", "22000000"},
    };
    // The closings and the slips entered that no closing has billed.
    const QString books =
        U("SELECT (SELECT COUNT(*) FROM Sales_Close) || '/' || (SELECT COUNT(*) FROM Sales_H "
          "WHERE SeikyuID = 0 AND DenpyoType = 0) AS n");
    const QStringList before = Column(Rows(books), U("n"));
    CCloseRequest request = Listed();
    ASSERT_EQ(request.candidates.size(), std::size(partners));
    for (CCloseCandidate& c : request.candidates)
        for (const auto& partner : partners)
            if (c.code == U(partner.code)) {
                c.company = partner.company;
                c.name = partner.name;
                c.tax = Amount(partner.tax);
            }
    const CCloseOutcome closed = m_service.Close(request);
    ASSERT_TRUE(closed.refusal.IsDone()) << closed.refusal.text.toStdString();
    EXPECT_EQ(closed.changed, QStringList());
    std::vector<CInvoiceHeader> invoices;
    for (const auto& partner : partners) {
        SCOPED_TRACE(partner.code);
        qsizetype at = 0;
        while (at < qsizetype(request.candidates.size()) &&
               request.candidates[std::size_t(at)].code != U(partner.code))
            ++at;
        ASSERT_LT(at, closed.ids.size());
        const int id = closed.ids[at];
        ASSERT_GT(id, 0);
        EXPECT_EQ(Values(Rows(QStringLiteral("SELECT CustomerCode, (SELECT SUM(Total) FROM Sales_H WHERE "
                                             "SeikyuID = %1 AND DenpyoType = 0) AS billed FROM Sales_Close "
                                             "WHERE ID = %1")
                                  .arg(id)),
                         0, {"CustomerCode", "billed"}),
                  QStringList({U(partner.code), U(partner.billed)}));
        const CCDSData tax = Rows(
            QStringLiteral(
                "SELECT Total, Company, Name FROM Sales_H WHERE DenpyoType = 1 AND \"Date\" = '2004-05-25' "
                "AND SeikyuID = %1")
                .arg(id));
        if (QByteArray(partner.tax) == "0") {
            EXPECT_EQ(tax.GetCount(), 0);
        } else {
            ASSERT_EQ(tax.GetCount(), 1);
            EXPECT_EQ(Values(tax, 0, {"Total", "Company", "Name"}),
                      QStringList({U(partner.tax), partner.company, partner.name}));
        }
        CInvoiceHeader invoice;
        invoice.closing = id;
        invoice.code = U(partner.code);
        invoice.company = partner.company;
        invoice.name = partner.name;
        invoices.push_back(invoice);
    }
    ASSERT_TRUE(m_service.MakeInvoices(CTradeSide::Sales(), invoices).IsDone());
    const CCDSData work = Rows(U("SELECT CustomerCode, Company, Name FROM WShime_H ORDER BY ID"));
    ASSERT_EQ(work.GetCount(), int(std::size(partners)));
    for (int i = 0; i < work.GetCount(); ++i)
        EXPECT_EQ(Values(work, i, {"CustomerCode", "Company", "Name"}),
                  QStringList({invoices[std::size_t(i)].code, invoices[std::size_t(i)].company,
                               invoices[std::size_t(i)].name}));

    ASSERT_TRUE(m_service.Undo(CTradeSide::Sales(), closed.ids).IsDone());
    EXPECT_EQ(Column(Rows(books), U("n")), before);
}
