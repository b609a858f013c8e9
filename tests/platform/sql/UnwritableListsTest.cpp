#include "reports/ReportFixture.h"

#include "platform/sql/ClosingSql.h"
#include "support/EarlierBuilds.h"
#include "support/WriterWait.h"

#include <QFile>

#include <sqlite3.h>

#include <memory>

namespace
{

class UnwritableListsTest : public ReportFixture
{
  protected:
    void TearDown() override
    {
        QFile::setPermissions(CMakeMsgID::DatabasePath(Folder()),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // Every row of every list that starts from the booked balances, whole.
    QStringList Lists()
    {
        const QDate day(2004, 5, 25);
        const QStringList statements{
            MakeSeikyuUpToDateSQL(day),
            MakeShiharaiUpToDateSQL(day),
            MakeSeikyuSQL(day, 25),
            MakeBilledListSQL(QDate(), QDate()),
            MakePaidListSQL(QDate(), QDate()),
            MakeOpenSalesCloseByCustomer(false),
            MakeOpenStockCloseBySupplier(true),
            MakeOpenSalesCloseByCollectDate(false, QDate(2004, 5, 20)),
        };
        QStringList rows;
        for (const QString& sql : statements) {
            const CCDSData set = Rows(sql);
            rows << QStringLiteral("%1 rows").arg(set.GetCount());
            for (int i = 0; i < set.GetCount(); ++i) {
                QStringList cells;
                for (int f = 0; f < set.GetAt(i)->GetCount(); ++f)
                    cells << set.GetAt(i)->GetAt(f)->GetName() + u'=' + set.GetAt(i)->GetAt(f)->GetText();
                rows << cells.join(u'|');
            }
        }
        return rows;
    }

    // The world's rows, as they were before the test wrote, in the file of
    // the builds before the booked balances.
    void MakeEarlierBuild()
    {
        m_data.Close();
        const QString rows = Folder() + QStringLiteral("/world.vrz");
        if (!QFile::exists(rows)) {
            ASSERT_TRUE(QFile::copy(Path(), rows));
        }
        ASSERT_TRUE(EarlierBuilds::CopyTo(EarlierBuilds::kBeforeBalances, Folder()));
        ASSERT_TRUE(EarlierBuilds::FillFrom(Path(), rows));
    }
};

} // namespace

// A file of the builds before the booked balances, marked read-only, shows
// every closing, billed and schedule list as the same file does once it has
// its balances.
TEST_F(UnwritableListsTest, AnEarlierBuildsReadOnlyFileShowsTheSameLists)
{
    const QStringList lists = Lists();
    ASSERT_GT(lists.size(), 20);
    MakeEarlierBuild();
    const QString path = CMakeMsgID::DatabasePath(Folder());
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QString err;
    const bool readable = EarlierBuilds::ReadsUnwritten(1);
    if (!readable) {
        // A step due cannot be done for the connection alone: the file is
        // not used until it can be written, and then shows them after its
        // steps.
        EXPECT_EQ(m_data.Open(Folder(), err), CMakeMsgID::kFatal);
        ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    }
    ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
    ASSERT_EQ(m_data.IsReadOnly(), readable);
    ASSERT_EQ(m_data.AreBalancesPending(), readable);
    EXPECT_EQ(Lists(), lists);
    if (!EarlierBuilds::ReadsUnwritten(1))
        GTEST_SKIP() << EarlierBuilds::UnwrittenUntested(1);
}

// A file of the builds before the booked balances that another program was
// writing through its opening keeps its balances for the connection. When
// that program books a slip to K001's first closing, every list starting
// from the balances shows it as the file opened afresh does: the closing
// list after a change of the closing date, the billed list, the schedules.
TEST_F(UnwritableListsTest, AnEarlierBuildsFileShowsWhatAnotherProgramBooksMeanwhile)
{
    const QStringList before = Lists();
    // The opening does not wait for the other program's write.
    const CScopedWriterWait noWait(0);
    const QString path = CMakeMsgID::DatabasePath(Folder());
    const QString booking =
        QStringLiteral(
            "INSERT INTO Sales_H(No, \"Date\", CustomerCode, DenpyoType, TaxType, Amount, Tax, Total, "
            "SeikyuID) VALUES ('S99', '2004-03-15', 'K001', 0, 2, 8183800, 818400, 9002200, %1)")
            .arg(Id("K1C1"));
    for (const bool stillWriting : {true, false}) {
        SCOPED_TRACE(stillWriting ? "the other program writes on" : "the other program is done");
        MakeEarlierBuild();
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &handle), SQLITE_OK);
        // What it has not committed goes with it.
        std::unique_ptr<sqlite3, int (*)(sqlite3*)> owned(handle, sqlite3_close);
        sqlite3* other = handle;
        ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        QString err;
        if (!EarlierBuilds::ReadsUnwritten(1)) {
            // A step due cannot be done for the connection alone: the file
            // is not used while the other program writes.
            EXPECT_EQ(m_data.Open(Folder(), err), CMakeMsgID::kFatal);
            owned.reset();
            ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
            EXPECT_FALSE(m_data.AreBalancesPending());
            EXPECT_EQ(Lists(), before);
            continue;
        }
        ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
        ASSERT_TRUE(m_data.AreBalancesPending());
        EXPECT_EQ(Lists(), before);

        for (const QString& sql : {booking, QStringLiteral("COMMIT")})
            ASSERT_EQ(sqlite3_exec(other, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        if (stillWriting) {
            ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        const QStringList meanwhile = Lists();
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        owned.reset();
        EXPECT_TRUE(m_data.AreBalancesPending());
        EXPECT_NE(meanwhile, before);
        // 23,000 before, and 818.38 + 81.84 booked to the closing before it.
        const CCDSData billed = Rows(MakeBilledListSQL(QDate(2004, 4, 25), QDate(2004, 4, 25)));
        ASSERT_GE(billed.GetCount(), 2);
        EXPECT_EQ(Values(billed, 1, {"No", "前回請求額"}), QStringList({"K1C2", "23900.22"}));

        m_data.Close();
        ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
        EXPECT_FALSE(m_data.AreBalancesPending());
        EXPECT_EQ(Lists(), meanwhile);
    }
    if (!EarlierBuilds::ReadsUnwritten(1))
        GTEST_SKIP() << EarlierBuilds::UnwrittenUntested(1);
}
