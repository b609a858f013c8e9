#include <gtest/gtest.h>

#include "platform/ui/FakeUi.h"
#include "settings/dlg/DlgHelpers.h"

// A field's text that code page 932 cannot hold is refused naming the field
// and, besides the characters (which a font may draw as a box), their code
// points: one each, in their order, astral characters whole.
TEST(EncodableText, RefusalNamesTheFieldAndEachCodePoint)
{
    const struct {
        const char* field;
        QString text;
        const char* said; // null: accepted without a word
    } cases[] = {
        {"会社名", u"A😀"_qs, "会社名に使用できない文字「😀」(U+1F600) が含まれています。"},
        {"備考", u"café"_qs, "備考に使用できない文字「é」(U+00E9) が含まれています。"},
        {"敬称１", u"様\u2603"_qs, "敬称１に使用できない文字「\u2603」(U+2603) が含まれています。"},
        {"分類１", u"A🍣B😀🍣"_qs, "分類１に使用できない文字「🍣😀」(U+1F363, U+1F600) が含まれています。"},
        {"住所", u"ｶﾅ\u0301"_qs, "住所に使用できない文字「\u0301」(U+0301) が含まれています。"},
        // What code page 932 writes, also in one of its other spellings.
        {"メモ", u"¥100・①・髙・－"_qs, nullptr},
        {"メモ", u"佐藤−一郎〜"_qs, nullptr},
        {"メモ", QString(), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ScopedFakeUi ui;
        const QString field = QString::fromUtf8(c.field);
        EXPECT_EQ(CheckEncodable(c.text, field), c.said == nullptr);
        if (!c.said) {
            EXPECT_TRUE(ui.Prompt().Texts().isEmpty());
            continue;
        }
        ASSERT_EQ(ui.Prompt().Texts(), QStringList{QString::fromUtf8(c.said)});
        EXPECT_EQ(ui.Prompt().Calls()[0].icon, MB_ICONEXCLAMATION);
    }
}
