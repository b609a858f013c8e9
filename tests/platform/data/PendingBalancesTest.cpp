#include "DataTestUtil.h"

#include "platform/data/ClosingService.h"
#include "platform/data/Schema.h"
#include "platform/data/TradeSide.h"
#include "support/BookedBalances.h"
#include "support/EarlierBuilds.h"
#include "support/WriterWait.h"

#include <QFile>

#include <sqlite3.h>

#include <functional>
#include <utility>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// The wait dialog of the object that opens. At its first paint, which comes
// while the opening waits for another program's write, that program ends
// its write.
class CEndingWrite : public IDataProgress
{
  public:
    CEndingWrite(CMakeMsgID& data, std::function<void()> end) : m_data(data), m_end(std::move(end))
    {
        m_data.SetProgress(this);
    }
    ~CEndingWrite() override { m_data.SetProgress(nullptr); }
    void UpgradeStepDone() override { ++steps; }
    void StatementRuns() override { Paint(); }
    void WaitingForWriter() override { Paint(); }

    int steps = 0;
    int paints = 0;

  private:
    void Paint()
    {
        if (m_end)
            std::exchange(m_end, {})();
        ++paints;
    }
    CMakeMsgID& m_data;
    std::function<void()> m_end;
};

// A file as the builds before the booked balances left it: K1 closed once
// (closing 1) with a slip of 1,100 and money of 300 booked to it, and an
// unbilled slip of 500 in April. Another program writes to it beside this one.
class PendingBalancesTest : public DatabaseTest
{
  protected:
    void TearDown() override { EndOther(); }

    // The file as it was before each case: the build's before the balances,
    // taken to version 2, with these rows.
    void MakeEarlierBuild()
    {
        m_data.Close();
        ASSERT_TRUE(EarlierBuilds::CopyTo(EarlierBuilds::kBeforeBalances, Folder()));
        ASSERT_TRUE(EarlierBuilds::TakeStepsTo(Path(), 2));
        const QStringList rows{
            QStringLiteral("DELETE FROM Customer"),
            QStringLiteral(
                "INSERT INTO Customer(CustomerCode, Company, Day, TaxType) VALUES ('K1', '青木商事', "
                "31, 2)"),
            QStringLiteral("INSERT INTO Sales_Close(ID, CustomerCode, CloseDate, Status, TudoFlg) VALUES "
                           "(1, 'K1', '2024-03-31', 0, 1)"),
            QStringLiteral(
                "INSERT INTO Sales_H(ID, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, Tax, "
                "Total, SeikyuID) VALUES (1, '2024-03-10', 'K1', 0, 2, 10000000, 1000000, 11000000, 1), "
                "(2, '2024-04-10', 'K1', 0, 2, 5000000, 0, 5000000, 0)"),
            QStringLiteral("INSERT INTO Receipt_H(\"Date\", CustomerCode, Amount, SeikyuID) VALUES "
                           "('2024-03-20', 'K1', 3000000, 1)")};
        OnFile(EarlierBuilds::WithoutBooks() << rows);
        ASSERT_EQ(FileVersion(), 2);
    }

    // What the writes change: the closings, the closing of each slip by
    // date, the money.
    QString Written()
    {
        const CCDSData rows = List(
            QString(),
            QStringLiteral("SELECT (SELECT group_concat(ID) FROM Sales_Close) || ' / ' || "
                           "(SELECT group_concat(k) FROM (SELECT \"Date\" || ':' || SeikyuID AS k FROM "
                           "Sales_H ORDER BY \"Date\")) || ' / ' || (SELECT COUNT(*) FROM Receipt_H) AS T"));
        return rows.GetCount() == 1 ? rows.GetAt(0)->GetAt(0)->GetText() : QString();
    }

    int FileVersion()
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(Path()).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &st, nullptr);
        const int version = st && sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
        sqlite3_finalize(st);
        sqlite3_close(db);
        return version;
    }

    // A statement of the other program.
    void Other(const char* sql)
    {
        if (!m_other) {
            ASSERT_EQ(sqlite3_open(QFile::encodeName(Path()).constData(), &m_other), SQLITE_OK);
        }
        ASSERT_EQ(sqlite3_exec(m_other, sql, nullptr, nullptr, nullptr), SQLITE_OK)
            << sql << ": " << sqlite3_errmsg(m_other);
    }

    // The other program ends: what it has not committed is undone.
    void EndOther()
    {
        if (!m_other)
            return;
        if (!sqlite3_get_autocommit(m_other))
            sqlite3_exec(m_other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_other);
        m_other = nullptr;
    }

    // It books a slip of 900 to closing 1.
    static constexpr const char* kBooking =
        "INSERT INTO Sales_H(\"Date\", CustomerCode, DenpyoType, TaxType, Amount, Tax, Total, SeikyuID) "
        "VALUES ('2024-03-25', 'K1', 0, 2, 8200000, 800000, 9000000, 1)";

    sqlite3* m_other = nullptr;
    CScopedWriterWait m_wait{5000};
};

} // namespace

// An earlier build's file opened while another program writes for a moment
// waits for it, with the wait dialog painted, and then takes its steps: its
// balances are the file's, with what that program committed meanwhile.
TEST_F(PendingBalancesTest, AnOpeningWaitsForAMomentsWriteAndTakesTheSteps)
{
    const struct {
        const char* what;
        const char* end;
        QString balances;
    } cases[] = {
        {"the other program undoes its booking", "ROLLBACK", U("K1:800.0")},
        {"the other program commits its booking", "COMMIT", U("K1:1700.0")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MakeEarlierBuild();
        Other("BEGIN IMMEDIATE");
        Other(kBooking);
        CEndingWrite progress(m_data, [this, &c] {
            Other(c.end);
            EndOther();
        });
        QString err;
        ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
        EXPECT_EQ(m_other, nullptr);
        EXPECT_GT(progress.paints, 0);
        EXPECT_EQ(progress.steps, Schema::Version() - 2);
        EXPECT_FALSE(m_data.AreBalancesPending());
        EXPECT_EQ(FileVersion(), Schema::Version());
        EXPECT_EQ(BookedBalances::Kept(m_data, false), c.balances);
        EXPECT_EQ(BookedBalances::Recounted(m_data, false), c.balances);
    }
}

// While the balances are this connection's alone (the other program wrote
// through the whole opening), a closing, its undo and a receipt first take
// the steps and then count what that program booked since; while it still
// writes, they are refused, write nothing, and the connection's balances
// count its booking all the same. (When a step due cannot be done for the
// connection alone, the file is not opened while that program writes.)
TEST_F(PendingBalancesTest, AWriteTakesThePendingStepsOrIsRefused)
{
    const CScopedWriterWait noWait(0);
    const auto close = [this](QString& err) {
        CCloseCandidate k1;
        k1.code = QStringLiteral("K1");
        return CClosingService(m_data)
            .Close({&CTradeSide::Sales(), QDate(2024, 4, 30), {}, {}, {}, {k1}})
            .refusal.Answer(err);
    };
    const auto undo = [this](QString& err) {
        return CClosingService(m_data).Undo(CTradeSide::Sales(), {1}).Answer(err);
    };
    const auto receipt = [this](QString& err) {
        CCDSData money;
        money.m_strTable = QStringLiteral("Receipt_H");
        COneRecord* r = money.AddNew();
        r->SetField(QStringLiteral("Receipt_H.CustomerCode"), QStringLiteral("K1"));
        r->SetField(QStringLiteral("Receipt_H.Date"), QDate(2024, 4, 15));
        r->SetField(QStringLiteral("Receipt_H.Amount"), CMny(200));
        return m_data.InsertData(money, err);
    };
    const struct {
        const char* what;
        std::function<int(QString&)> write;
        QString balances; // after the write, with the other program's 900
    } cases[] = {
        // 1,100 - 300 + 900, and April's 500 booked.
        {"closing", close, U("K1:2200.0")},
        // Nothing is booked any more.
        {"undo", undo, QString()},
        // A receipt not yet booked leaves them.
        {"receipt", receipt, U("K1:1700.0")},
    };
    const QString refused =
        CMakeMsgID::PendingBalancesText() + u'\n' + CMakeMsgID::ErrorText(SQLITE_BUSY, Path(), QString());
    for (const auto& c : cases) {
        for (const bool stillWriting : {true, false}) {
            SCOPED_TRACE(QStringLiteral("%1, %2")
                             .arg(QLatin1String(c.what), stillWriting
                                                             ? QStringLiteral("other program writing")
                                                             : QStringLiteral("other program done"))
                             .toStdString());
            MakeEarlierBuild();
            Other("BEGIN IMMEDIATE");
            QString err;
            if (!EarlierBuilds::ReadsUnwritten(2)) {
                // A later step cannot be done for the connection alone: the
                // file is not used while the other program writes.
                EXPECT_EQ(m_data.Open(Folder(), err), CMakeMsgID::kFatal);
                EXPECT_TRUE(err.contains(CMakeMsgID::ErrorText(SQLITE_BUSY, Path(), QString())))
                    << err.toStdString();
                EXPECT_EQ(FileVersion(), 2);
                EndOther();
                continue;
            }
            ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
            ASSERT_TRUE(m_data.AreBalancesPending());
            EXPECT_EQ(BookedBalances::Kept(m_data, false), U("K1:800.0"));
            Other(kBooking);
            Other("COMMIT");
            if (stillWriting)
                Other("BEGIN IMMEDIATE");
            else
                EndOther();
            const QString before = Written();
            ASSERT_EQ(before, QStringLiteral("1 / 2024-03-10:1,2024-03-25:1,2024-04-10:0 / 1"));

            err.clear();
            const int result = c.write(err);
            if (stillWriting) {
                EXPECT_EQ(result, 10);
                EXPECT_EQ(err, refused);
                EXPECT_TRUE(m_data.AreBalancesPending());
                EXPECT_FALSE(m_data.InTransaction());
                EXPECT_EQ(FileVersion(), 2);
                EXPECT_EQ(Written(), before);
                EXPECT_EQ(BookedBalances::Kept(m_data, false), U("K1:1700.0"));
            } else {
                EXPECT_EQ(result, 1) << err.toStdString();
                EXPECT_FALSE(m_data.AreBalancesPending());
                EXPECT_EQ(FileVersion(), Schema::Version());
                EXPECT_EQ(BookedBalances::Kept(m_data, false), c.balances);
                EXPECT_EQ(BookedBalances::Recounted(m_data, false), c.balances);
            }
            m_data.Close();
            EndOther();
        }
    }
    if (!EarlierBuilds::ReadsUnwritten(2))
        GTEST_SKIP() << EarlierBuilds::UnwrittenUntested(2);
}
