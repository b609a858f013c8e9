#include <gtest/gtest.h>

#include "settings/CompanyText.h"

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

TEST(CompanyText, PrintedForms)
{
    const struct {
        QString (*convert)(const QString&);
        const char* in;
        const char* out;
    } cases[] = {
        {ToVerticalDigits, "123-4567", "一二三-四五六七"},
        {ToVerticalDigits, "03-1234-5678", "〇三-一二三四-五六七八"},
        {ToVerticalDigits, "", ""},
        {ToVerticalDigits, "1a", "一〇"},
        {ToFullWidthDigits, "1234567", "１２３４５６７"},
        {ToFullWidthDigits, "123-", "１２３－"},
        {ToFullWidthDigits, "", ""},
        // Byte by byte: a full-width character is two bytes, two zeros.
        {ToFullWidthDigits, "1２", "１００"},
        {ToVerticalDigits, "２", "〇〇"},
        {ToVerticalText, "港区1-2-3 ｶﾞｰﾃﾞﾝﾊﾟｰｸ B棟\r\n５階", "港区一-二-三 ガーデンパーク Ｂ棟\r\n五階"},
        {ToVerticalText, "1－2", "一-二"},
        {ToVerticalText, "カ゛ハ゜ホ゛", "ガパボ"},
        {ToVerticalText, "ウ゛ｳﾞ", "ウ゛ウ゛"},
        {ToVerticalText, "ｧｯｰｦﾝ｡｢｣､･", "ァッーヲン｡｢｣､･"},
        {ToVerticalText, "abcXYZ", "ａｂｃＸＹＺ"},
        {ToVerticalText, "", ""},
        // A trail byte 0x5B-0x7E or 0x40-0x5A never counts as a letter or digit.
        {ToVerticalText, "ソ表ポ", "ソ表ポ"},
        // Characters code page 932 stores as another come out as the file
        // gives them back, as in the byte-wise forms: the minus sign as the
        // full-width minus (so the hyphen), the wave dash, double bar, cent,
        // pound, not and dash; "¥" is the byte 0x5C. One without a form stays.
        {ToVerticalText, "1−2−3", "一-二-三"},
        {ToVerticalText, "〜‖¢£¬—", "～∥￠￡￢―"},
        {ToVerticalText, "¥1", "\\一"},
        {ToVerticalText, "ｶ¦ﾞ😀", "カ¦゛😀"},
        {ToFullWidthDigits, "1−", "１００"},
        {ToVerticalDigits, "1−", "一〇〇"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.convert(U(c.in)), U(c.out)) << c.in;
}
