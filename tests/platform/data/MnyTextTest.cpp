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
    for (const QString& text :
         {u"922337203685477.5808"_s, u"-922337203685477.5809"_s, u"922337203685478"_s,
          u"922337203685477.58075"_s, u"99999999999999999999999999999999999999999999"_s}) {
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

// An imported amount is the whole cell: the forms other programs write are
// read, anything else is no amount (and the row is refused by the caller).
TEST(MnyText, ReadsAWholeImportedAmount)
{
    const struct {
        QString text;
        const char* value; // MnyToText of the amount, or null: not an amount
    } cases[] = {
        {u"1234"_s, "1234"},
        {u"1,234"_s, "1234"},
        {u"1,234,567.5"_s, "1234567.5"},
        {u"¥500"_s, "500"},
        {u"￥980"_s, "980"},
        {u"\\1,000"_s, "1000"},
        {u"1,200円"_s, "1200"},
        {u"-\\1,000"_s, "-1000"},
        {u"\\-50"_s, "-50"},
        {u"500-"_s, "-500"},
        {u"500円-"_s, "-500"},
        {u"+25"_s, "25"},
        {u"－３００"_s, "-300"},
        {u"￥１，２３４．５"_s, "1234.5"},
        {u" \\ 300 円 "_s, "300"},
        {u"\u3000１２\u3000"_s, "12"},
        {u".5"_s, "0.5"},
        {u"0.00005"_s, "0.0001"},
        {u"922337203685477"_s, "922337203685477"},
        // Not an amount: units, words, misplaced commas, other notations.
        {u"3万"_s, nullptr},
        {u"12箱"_s, nullptr},
        {u"1,2,3"_s, nullptr},
        {u"0x10"_s, nullptr},
        {u"1e3"_s, nullptr},
        {u"12,34"_s, nullptr},
        {u"1234,567"_s, nullptr},
        {u",123"_s, nullptr},
        {u"1,2345"_s, nullptr},
        {u"1,234."_s, nullptr},
        {u"1.2.3"_s, nullptr},
        {u"1 000"_s, nullptr},
        {u"--5"_s, nullptr},
        {u"-5-"_s, nullptr},
        {u"円500"_s, nullptr},
        {u"500¥"_s, nullptr},
        {u"¥"_s, nullptr},
        {u"円"_s, nullptr},
        {u"-"_s, nullptr},
        {u"時価"_s, nullptr},
        {QString(), nullptr},
        {u"9223372036854775808"_s, nullptr}, // beyond the money range
    };
    for (const auto& c : cases) {
        CMny value = MnyFromLong(7);
        const bool read = ReadWholeNumber(c.text, CNumberSyntax::Imported(), value);
        EXPECT_EQ(read, c.value != nullptr) << c.text.toStdString();
        EXPECT_EQ(MnyToText(value), QLatin1String(c.value ? c.value : "7")) << c.text.toStdString();
    }

    // Each form is the reader's to allow: a plain syntax reads digits alone.
    const CNumberSyntax plain;
    CMny value;
    EXPECT_TRUE(ReadWholeNumber(u"-12.5"_s, plain, value));
    EXPECT_EQ(MnyToText(value), QStringLiteral("-12.5"));
    for (const QString& text : {u"1,234"_s, u"¥5"_s, u"5円"_s, u"5-"_s, u"+5"_s, u"５"_s, u" 5"_s})
        EXPECT_FALSE(ReadWholeNumber(text, plain, value)) << text.toStdString();
}
