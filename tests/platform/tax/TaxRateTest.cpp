#include "platform/tax/TaxRate.h"

#include <QString>

#include <gtest/gtest.h>

namespace
{

struct CDay {
    int year, month, day;
    qint64 percent;
};

} // namespace

TEST(TaxRate, RateChangesOnItsFirstDay)
{
    const CDay days[] = {
        {1, 1, 1, 0},      {1989, 3, 31, 0},  {1989, 4, 1, 3},    {1997, 3, 31, 3},
        {1997, 4, 1, 5},   {2014, 3, 31, 5},  {2014, 4, 1, 8},    {2019, 9, 30, 8},
        {2019, 10, 1, 10}, {2024, 2, 29, 10}, {9999, 12, 31, 10},
    };
    for (const CDay& d : days) {
        SCOPED_TRACE(QStringLiteral("%1-%2-%3").arg(d.year).arg(d.month).arg(d.day).toStdString());
        qint64 value = -1;
        int scale = -1;
        ASSERT_EQ(GetTaxRate(d.year, d.month, d.day, 1, &value, &scale), 1);
        EXPECT_EQ(value, d.percent);
        EXPECT_EQ(scale, 0);
    }
}

TEST(TaxRate, InvalidRequestsFail)
{
    qint64 value = 77;
    int scale = 7;
    EXPECT_EQ(GetTaxRate(2019, 2, 29, 1, &value, &scale), 0);
    EXPECT_EQ(GetTaxRate(2020, 13, 1, 1, &value, &scale), 0);
    EXPECT_EQ(GetTaxRate(2020, 4, 0, 1, &value, &scale), 0);
    EXPECT_EQ(GetTaxRate(2020, 4, 31, 1, &value, &scale), 0);
    EXPECT_EQ(GetTaxRate(0, 4, 1, 1, &value, &scale), 0);
    // A kind the table does not know is no rate at all, not a zero rate.
    EXPECT_EQ(GetTaxRate(2020, 4, 1, 2, &value, &scale), 0);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(scale, 7);
    EXPECT_EQ(GetTaxRate(2020, 4, 1, 1, nullptr, &scale), 0);
    EXPECT_EQ(GetTaxRate(2020, 4, 1, 1, &value, nullptr), 0);
}
