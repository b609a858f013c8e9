#include <gtest/gtest.h>

#include "exchange/ImportMapRules.h"

// The refused-rows list says what is wrong with an amount after naming the
// field: the character that is no part of a number, commas out of their
// places, no digit at all, a fraction or more whole digits than the field
// takes. An amount the field takes adds nothing.
TEST(ImportAmountProblem, SaysWhatIsWrongWithTheText)
{
    const struct {
        const char* caption;
        const char* text;
        int digits; // whole digits the field takes, -1 no limits
        int decimals;
        const char* said; // "" nothing to add
    } cases[] = {
        // What is no number at all.
        {"売価", "3万", 8, 2, "売価「3万」の「万」は数値に使えない文字です。"},
        {"売価", "１２本", 8, 2, "売価「１２本」の「本」は数値に使えない文字です。"},
        {"原価", "約\U0001F600", 8, 2, "原価「約\U0001F600」の「約」は数値に使えない文字です。"},
        {"原価", "12\U0001F600", 8, 2, "原価「12\U0001F600」の「\U0001F600」は数値に使えない文字です。"},
        {"売価", "1,2,3", 8, 2, "売価「1,2,3」は桁区切りのカンマの位置が正しくありません。"},
        {"売価", "12,34.5", 8, 2, "売価「12,34.5」は桁区切りのカンマの位置が正しくありません。"},
        {"売価", "１，２３", 8, 2, "売価「１，２３」は桁区切りのカンマの位置が正しくありません。"},
        {"売価", "1.2.3", 8, 2, "売価「1.2.3」は数値として読めません。"},
        {"売価", "5-5", 8, 2, "売価「5-5」は数値として読めません。"},
        {"売価", "￥", 8, 2, "売価「￥」には数字がありません。"},
        {"売価", "-.", 8, 2, "売価「-.」には数字がありません。"},
        // Numbers the field cannot take: its measure is the stored one,
        // ten-thousandths rounded half up.
        {"導入時売掛残", "1500.5", 11, 0, "導入時売掛残に小数は使えません。"},
        {"導入時売掛残", "1500.00", 11, 0, ""},
        {"掛率", "95.25", 3, 1, "掛率の小数は1桁までです。"},
        {"掛率", "1000", 3, 1, "掛率の整数部は3桁までです。"},
        {"掛率", "-999.9", 3, 1, ""},
        {"売価", "98765.43215", 8, 2, "売価の小数は2桁までです。"},
        {"売価", "123,456,789", 8, 2, "売価の整数部は8桁までです。"},
        {"売価", "99999999.99", 8, 2, ""},
        {"在庫数", "1.23456", 11, 4, ""},
        {"在庫数", "99999999999.99999", 11, 4, "在庫数の整数部は11桁までです。"},
        {"売価", "9999999999999999999", 8, 2, "売価の整数部は8桁までです。"},
        {"金額", "9999999999999999999", -1, 0, "金額「9999999999999999999」は数値の範囲を超えています。"},
        {"金額", "12.345678", -1, 0, ""},
        {"売価", "", 8, 2, ""},
        // A long cell is quoted by its start.
        {"売価", "おおよそ一万二千三百四十五円くらいでお願いします", 8, 2,
         "売価「おおよそ一万二千三百四十五円くらいでお願…」の「お」は数値に使えない文字です。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ImportAmountProblem(QString::fromUtf8(c.caption), QString::fromUtf8(c.text), c.digits,
                                      c.decimals),
                  QString::fromUtf8(c.said))
            << c.text;
    }
}
