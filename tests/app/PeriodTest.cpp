#include "app/Period.h"

#include "platform/data/DataTestUtil.h"
#include "platform/data/TableNames.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/FakeUi.h"
#include "support/EarlierBuilds.h"
#include "support/StatementWatch.h"
#include "support/WriterWait.h"

namespace
{

QString Period(const QDate& today, int startDays)
{
    const CCurrentPeriod p = ComputeCurrentPeriod(today, startDays);
    return p.m_start.toString(Qt::ISODate) + QStringLiteral(" - ") + p.m_end.toString(Qt::ISODate);
}

TEST(PeriodTest, RunsToTheDayBeforeTheSameDayNextMonth)
{
    EXPECT_EQ(Period(QDate(2024, 1, 15), 0), QStringLiteral("2024-01-15 - 2024-02-14"));
    EXPECT_EQ(Period(QDate(2024, 3, 15), 14), QStringLiteral("2024-03-01 - 2024-03-31"));
    EXPECT_EQ(Period(QDate(2023, 12, 31), 0), QStringLiteral("2023-12-31 - 2024-01-30"));
    EXPECT_EQ(Period(QDate(2024, 4, 30), 0), QStringLiteral("2024-04-30 - 2024-05-29"));
    // The next month lacks the start's day: it runs to that month's end.
    EXPECT_EQ(Period(QDate(2023, 1, 31), 0), QStringLiteral("2023-01-31 - 2023-02-28"));
    EXPECT_EQ(Period(QDate(2023, 1, 29), 0), QStringLiteral("2023-01-29 - 2023-02-28"));
    EXPECT_EQ(Period(QDate(2024, 3, 31), 0), QStringLiteral("2024-03-31 - 2024-04-30"));
    EXPECT_EQ(Period(QDate(2023, 10, 31), 0), QStringLiteral("2023-10-31 - 2023-11-30"));
    // Leap years.
    EXPECT_EQ(Period(QDate(2024, 1, 31), 0), QStringLiteral("2024-01-31 - 2024-02-29"));
    EXPECT_EQ(Period(QDate(2024, 1, 30), 0), QStringLiteral("2024-01-30 - 2024-02-29"));
    EXPECT_EQ(Period(QDate(2024, 1, 29), 0), QStringLiteral("2024-01-29 - 2024-02-28"));
    EXPECT_EQ(Period(QDate(2024, 2, 29), 0), QStringLiteral("2024-02-29 - 2024-03-28"));
    EXPECT_EQ(Period(QDate(2024, 3, 14), 14), QStringLiteral("2024-02-29 - 2024-03-28"));
    EXPECT_EQ(Period(QDate(2000, 2, 10), 10), QStringLiteral("2000-01-31 - 2000-02-29"));
}

class PeriodDataTest : public DatabaseTest
{
};

TEST_F(PeriodDataTest, CalendarReloadSucceedsOnlyOnSuccess)
{
    CCDSData calendar;
    calendar.AddNew();
    QString err;
    EXPECT_TRUE(ReloadCalendar(m_data, QDate(2024, 1, 1), QDate(2024, 1, 31), calendar, err));
    EXPECT_EQ(calendar.GetCount(), 0);

    CCDSData closing;
    closing.m_strTable = TB_SALES_CLOSE;
    closing.AddNew()->SetField(QStringLiteral("Sales_Close.CollectDate"), QDate(2024, 1, 10));
    ASSERT_EQ(m_data.InsertData(closing, err), 1);
    EXPECT_TRUE(ReloadCalendar(m_data, QDate(2024, 1, 1), QDate(2024, 1, 31), calendar, err));
    EXPECT_EQ(calendar.GetCount(), 1);

    // An invalid period (10) and a lost connection (-100) both fail.
    EXPECT_FALSE(ReloadCalendar(m_data, QDate(), QDate(2024, 1, 31), calendar, err));
    EXPECT_EQ(calendar.GetCount(), 0);
    m_data.Close();
    calendar.AddNew();
    EXPECT_FALSE(ReloadCalendar(m_data, QDate(2024, 1, 1), QDate(2024, 1, 31), calendar, err));
    EXPECT_EQ(calendar.GetCount(), 0);
}

// While the file's steps are pending (another program wrote through the
// opening), the calendar reads under the wait dialog on a thread of its own,
// the window's thread handling its events meanwhile, and 中止 stops it; once
// they are taken it reads on the window's thread without the dialog.
TEST_F(PeriodDataTest, CalendarReadsBesideTheWindowUnderTheWaitDialogWhileTheStepsArePending)
{
    // The file of the builds before the booked balances, taken to version 2,
    // with one closing collected on the 10th.
    m_data.Close();
    ASSERT_TRUE(EarlierBuilds::CopyTo(EarlierBuilds::kBeforeBalances, Folder()));
    ASSERT_TRUE(EarlierBuilds::TakeStepsTo(Path(), 2));
    OnFile(EarlierBuilds::WithoutBooks()
           << QStringLiteral("INSERT INTO Sales_Close(CollectDate) VALUES ('2024-01-10')"));
    QString err;
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(Path()).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    if (!EarlierBuilds::ReadsUnwritten(2)) {
        // A step due cannot be done for the connection alone: nothing is
        // left pending, the file is not used while the lock is held.
        const CScopedWriterWait noWait(0);
        EXPECT_EQ(m_data.Open(Folder(), err), CMakeMsgID::kFatal);
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        GTEST_SKIP() << EarlierBuilds::UnwrittenUntested(2);
    }
    {
        const CScopedWriterWait noWait(0);
        ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
    }
    ASSERT_TRUE(m_data.AreBalancesPending());

    const auto read = [&](const QStringList& dialog, bool onWindow) {
        ScopedFakeUi ui;
        CStatementWatch watch(m_data.Handle(), ui.Wait());
        CCDSData calendar;
        bool stopped = true;
        EXPECT_TRUE(ReloadCalendar(m_data, QDate(2024, 1, 1), QDate(2024, 1, 31), calendar, err, &stopped))
            << err.toStdString();
        EXPECT_FALSE(stopped);
        EXPECT_EQ(calendar.GetCount(), 1);
        EXPECT_EQ(ui.Wait().Log(), dialog);
        EXPECT_FALSE(watch.callerStalled);
        const QList<CStatementWatch::Seen> reads = watch.Statements(QStringLiteral("WITH RECURSIVE days"));
        ASSERT_EQ(reads.size(), 1);
        EXPECT_EQ(reads[0].onCaller, onWindow);
        EXPECT_EQ(reads[0].waitDepth, onWindow ? 0 : 1);
    };
    {
        // 中止 on its dialog ends the read: no marks, nothing said, and the
        // object answers the window's thread again at once.
        SCOPED_TRACE("stopped at 中止");
        ScopedFakeUi ui;
        ui.Wait().SetCancelled(true);
        CCDSData calendar;
        calendar.AddNew();
        err.clear();
        bool stopped = false;
        EXPECT_FALSE(ReloadCalendar(m_data, QDate(2024, 1, 1), QDate(2024, 1, 31), calendar, err, &stopped));
        EXPECT_TRUE(stopped);
        EXPECT_EQ(calendar.GetCount(), 0);
        EXPECT_FALSE(err.isEmpty()) << "the read ran to its end";
        EXPECT_EQ(ui.Wait().Log(), QStringList({QStringLiteral("Begin しばらくお待ちください。 0"), "End"}));
        EXPECT_TRUE(ui.Prompt().Texts().isEmpty());
        EXPECT_FALSE(m_data.IsHeldElsewhere());
    }
    {
        SCOPED_TRACE("steps pending");
        read({QStringLiteral("Begin しばらくお待ちください。 0"), QStringLiteral("End")}, false);
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    {
        ScopedFakeUi ui; // whatever dialog the steps show
        ASSERT_EQ(m_data.MakePendingBalances(err), 1) << err.toStdString();
    }
    {
        SCOPED_TRACE("steps taken");
        read({}, true);
    }
}

TEST_F(PeriodDataTest, LastCarryForwardDateAndDatabaseName)
{
    ScopedFakeUi ui;
    EXPECT_FALSE(GetLastCarryForwardDate(m_data).isValid()); // no row yet

    CCDSData util;
    util.m_strTable = TB_UTIL;
    util.AddNew()->AddField(CTb(QStringLiteral("Util.StartDate"), CTb::kDate));
    QString err;
    ASSERT_EQ(m_data.InsertData(util, err), 1) << err.toStdString();
    EXPECT_FALSE(GetLastCarryForwardDate(m_data).isValid()); // a row without a date

    util.GetAt(0)->SetField(QStringLiteral("Util.StartDate"), QDate(2023, 3, 31));
    util.m_strCondition = QStringLiteral("WHERE ID=1");
    ASSERT_EQ(m_data.UpdateData(util, err), 1) << err.toStdString();
    EXPECT_EQ(GetLastCarryForwardDate(m_data), QDate(2023, 3, 31));
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());

    m_data.Close();
    EXPECT_FALSE(GetLastCarryForwardDate(m_data).isValid());
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("前回の繰越日の取得に失敗しました。")});

    CDBDirMng databases(m_dir.filePath(QStringLiteral("DBDirData.dat")));
    QString name = QStringLiteral("unchanged");
    EXPECT_FALSE(GetCurrentDatabaseName(databases, name));
    EXPECT_EQ(name, QStringLiteral("unchanged"));
    ASSERT_EQ(databases.AddCompName(QStringLiteral("本社"), Folder(), true), 1);
    EXPECT_TRUE(GetCurrentDatabaseName(databases, name));
    EXPECT_EQ(name, QStringLiteral("本社"));
}

} // namespace
