#include "platform/text/TextHelpers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(TextHelpers, ThousandsSeparators)
{
    const struct {
        QString in, out;
    } cases[] = {
        {u"1234567"_s, u"1,234,567"_s},
        {u"-1234.5"_s, u"-1,234.5"_s},
        {u"123"_s, u"123"_s},
        {QString(), QString()},
        {u"123456"_s, u"123,456"_s},
        {u"1000000"_s, u"1,000,000"_s},
        {u"12.3456"_s, u"12.3456"_s},
        {u"1234.5678"_s, u"1,234.5678"_s},
        {u"-"_s, u"-"_s},
        {u"-123"_s, u"-123"_s},
        // A yen sign counts as a character of the integer part but is never
        // followed by a separator.
        {u"¥1234"_s, u"¥1,234"_s},
        {u"¥123"_s, u"¥123"_s},
        {u"\\123456"_s, u"\\123,456"_s},
        // Characters, not bytes: full-width digits group like half-width ones.
        {u"１２３４"_s, u"１,２３４"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InsertThousandsSeparators(c.in), c.out) << c.in.toStdString();
}

TEST(TextHelpers, Blanks)
{
    EXPECT_EQ(IsBlankString(u"　 　"_s), 1);
    EXPECT_EQ(IsBlankString(u" "_s), 1);
    EXPECT_EQ(IsBlankString(QString()), 0);
    EXPECT_EQ(IsBlankString(u"a "_s), 0);
    EXPECT_EQ(IsBlankString(u"　\t"_s), 0);

    EXPECT_TRUE(ContainsBlank(u"AB C"_s));
    EXPECT_TRUE(ContainsBlank(u"AB　C"_s));
    EXPECT_FALSE(ContainsBlank(u"ABC"_s));
    EXPECT_FALSE(ContainsBlank(QString()));
}

TEST(TextHelpers, DigitWidthFolding)
{
    EXPECT_EQ(ToHalfWidthDigits(u"－１，２３４．５０円"_s), u"-1,234.50円"_s);
    EXPECT_EQ(ToHalfWidthDigits(u"０９ＡＢ"_s), u"09ＡＢ"_s);
    EXPECT_EQ(WidenDigits(u"No.1209"_s), u"No.１２０９"_s);
    EXPECT_EQ(ToHalfWidthDigits(WidenDigits(u"0123456789"_s)), u"0123456789"_s);
}
