#include <gtest/gtest.h>

#include <limits>

#include "ArchiveTestData.h"

using namespace ArchiveTestData;

TEST(ArchiveDate, DaysSinceFrameworkEpoch)
{
    EXPECT_EQ(CFrameworkDate::FromDate(QDate(1899, 12, 30)).m_dValue, 0.0);
    EXPECT_EQ(CFrameworkDate::FromDate(QDate(2000, 1, 1)).m_dValue, 36526.0);
    EXPECT_EQ(CFrameworkDate::FromDate(QDate(2000, 1, 1)).m_nStatus, CFrameworkDate::Valid);
    EXPECT_EQ(CFrameworkDate::FromDate(QDate(1899, 12, 29)).m_dValue, -1.0);
    EXPECT_EQ(CFrameworkDate::FromDateTime(QDateTime(QDate(2000, 1, 1), QTime(18, 0))).m_dValue, 36526.75);
    // Before the epoch the fraction still counts forward from midnight.
    EXPECT_EQ(CFrameworkDate::FromDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))).m_dValue, -1.25);

    EXPECT_EQ((CFrameworkDate{CFrameworkDate::Valid, 36526.75}).ToDateTime(),
              QDateTime(QDate(2000, 1, 1), QTime(18, 0)));
    EXPECT_EQ((CFrameworkDate{CFrameworkDate::Valid, 36526.75}).ToDate(), QDate(2000, 1, 1));
    EXPECT_EQ((CFrameworkDate{CFrameworkDate::Valid, -1.25}).ToDateTime(),
              QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_EQ((CFrameworkDate{CFrameworkDate::Valid, -0.5}).ToDateTime(),
              QDateTime(QDate(1899, 12, 30), QTime(12, 0)));
    // A time a hair before midnight rounds into the next day.
    EXPECT_EQ((CFrameworkDate{CFrameworkDate::Valid, 36526.9999999999}).ToDateTime(),
              QDateTime(QDate(2000, 1, 2), QTime(0, 0)));
    const QDateTime withSeconds(QDate(2023, 10, 1), QTime(13, 45, 59, 123));
    EXPECT_EQ(CFrameworkDate::FromDateTime(withSeconds).ToDateTime(), withSeconds);

    // The framework's range is 0100-01-01 to 9999-12-31.
    EXPECT_EQ(CFrameworkDate::FromDate(QDate(100, 1, 1)).ToDate(), QDate(100, 1, 1));
    EXPECT_EQ(CFrameworkDate::FromDate(QDate(9999, 12, 31)).ToDate(), QDate(9999, 12, 31));
    for (double outside : {-657435.0, 2958465.5, 1e300, -1e300, std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity()})
        EXPECT_FALSE((CFrameworkDate{CFrameworkDate::Valid, outside}).ToDateTime().isValid()) << outside;
}

TEST(ArchiveDate, StatusAndGoldenBytes)
{
    CArchiveWriter ar;
    ar.WriteDate(QDate(2000, 1, 1));
    ar.WriteDate(QDate());
    ar.WriteDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    ar.WriteDateTime(QDateTime());
    EXPECT_EQ(ar.Data(), Hex("00000000 00000000c0d5e140"
                             "01000000 0000000000000000"
                             "00000000 000000000000f4bf"
                             "01000000 0000000000000000"));

    CArchiveReader in(ar.Data() + Hex("02000000 00000000c0d5e140"));
    EXPECT_EQ(in.ReadDate(), QDate(2000, 1, 1));
    EXPECT_FALSE(in.ReadDate().isValid());
    EXPECT_EQ(in.ReadDateTime(), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_FALSE(in.ReadDateTime().isValid());
    const CFrameworkDate null = in.ReadFrameworkDate();
    EXPECT_EQ(null.m_nStatus, CFrameworkDate::Null);
    EXPECT_FALSE(null.ToDate().isValid()); // a null date carries no day, whatever its value
    EXPECT_TRUE(in.AtEnd());
}
