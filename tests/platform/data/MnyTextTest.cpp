#include "platform/data/MnyText.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(MnyText, ParsesTheLeadingNumber)
{
    const struct {
        QString text;
        qint64 value;
        int scale;
    } cases[] = {
        {u"１，２３４円"_s, 1234, 0},
        {u"1,234,567"_s, 1234567, 0},
        {u"-1234.5"_s, -12345, 1},
        {u"－０．２５"_s, -25, 2},
        {u"100-"_s, -100, 0},
        {u"12円34"_s, 12, 0},
        {u"1.50"_s, 150, 2},
        {u".5"_s, 5, 1},
        {u"1.23456"_s, 12346, 4},
        {u"1.23454"_s, 12345, 4},
        {u"-1.00005"_s, -10001, 4},
        {u"0.99995"_s, 10000, 4},
        {u"0001"_s, 1, 0},
        // Nothing to read is zero, as the system has always answered.
        {u"abc"_s, 0, 0},
        {QString(), 0, 0},
        {u"-"_s, 0, 0},
        {u" 12"_s, 0, 0},
        // The limits of ten-thousandths in 64 bits.
        {u"922337203685477.5807"_s, std::numeric_limits<qint64>::max(), 4},
        {u"-922337203685477.5808"_s, std::numeric_limits<qint64>::min(), 4},
        {u"922337203685477"_s, 922337203685477, 0},
    };
    for (const auto& c : cases) {
        bool ok = false;
        const CMny m = TextToMny(c.text, &ok);
        EXPECT_TRUE(ok) << c.text.toStdString();
        EXPECT_TRUE(m.IsValid()) << c.text.toStdString();
        EXPECT_EQ(m.GetValue(), c.value) << c.text.toStdString();
        EXPECT_EQ(m.GetScale(), c.scale) << c.text.toStdString();
    }
}

TEST(MnyText, ReportsWhatItCannotRead)
{
    // Too large: reported and invalid, never turned into zero.
    for (const QString& text : {u"922337203685477.5808"_s, u"-922337203685477.5809"_s,
                                u"922337203685478"_s, u"922337203685477.58075"_s,
                                u"99999999999999999999999999999999999999999999"_s}) {
        bool ok = true;
        EXPECT_FALSE(TextToMny(text, &ok).IsValid()) << text.toStdString();
        EXPECT_FALSE(ok) << text.toStdString();
    }
    // Digits that do not make a number: zero, reported.
    for (const QString& text : {u"1.2.3"_s, u"--5"_s, u"1-2"_s, u"-5-"_s}) {
        bool ok = true;
        const CMny m = TextToMny(text, &ok);
        EXPECT_FALSE(ok) << text.toStdString();
        EXPECT_TRUE(m.IsValid() && m.IsZero()) << text.toStdString();
    }
}

TEST(MnyText, FormatsPlainDecimals)
{
    EXPECT_EQ(MnyToText(CMny(12345, 1)), u"1234.5"_s);
    EXPECT_EQ(MnyToText(CMny(-25, 2)), u"-0.25"_s);
    EXPECT_EQ(MnyToText(CMny(100)), u"100"_s);
    EXPECT_EQ(MnyToText(CMny(10000, 2)), u"100"_s);
    EXPECT_EQ(MnyToText(CMny(1200, 4)), u"0.12"_s);
    EXPECT_EQ(MnyToText(CMny(0, 4)), u"0"_s);
    EXPECT_EQ(MnyToText(CMny(-1234567)), u"-1234567"_s);
    EXPECT_EQ(MnyToText(CMny(std::numeric_limits<qint64>::min(), 4)), u"-922337203685477.5808"_s);
    EXPECT_EQ(MnyToText(CMny(1, 9)), u"0.000000001"_s);
    CMny invalid;
    invalid.SetInvalid();
    EXPECT_EQ(MnyToText(invalid), QString());

    for (const CMny& m : {CMny(12345, 1), CMny(-25, 2), CMny(100), CMny(-1), CMny(99999, 4),
                          CMny(std::numeric_limits<qint64>::max(), 4)})
        EXPECT_EQ(TextToMny(MnyToText(m)), m) << MnyToText(m).toStdString();

    const CMny percent = MnyFromLong(100);
    EXPECT_EQ(percent.GetValue(), 100);
    EXPECT_EQ(percent.GetScale(), 0);
    EXPECT_EQ(MnyFromLong(-7).GetValue(), -7);
}
