#include "app/Period.h"

#include "platform/data/DataTestUtil.h"
#include "platform/data/TableNames.h"
#include "platform/env/DBDirMng.h"
#include "platform/ui/FakeUi.h"

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
