#include "platform/ui/ChoiceDlg.h"
#include "platform/ui/FakeUi.h"

#include <QLabel>
#include <QRadioButton>
#include <gtest/gtest.h>

// Each mode's caption, prompt and choices; the first choice is preset, so
// OK at once answers 0; an unknown mode says so and keeps the dialog's texts.
TEST(ChoiceDlg, ModesAndTheirAnswers)
{
    ScopedFakeUi ui;
    const struct {
        int mode;
        QString caption;
        QString first;
        QString second;
    } cases[] = {
        {2, "ブレンロデータの取り込み", "得意先台帳EXCELブック", "得意先ケルダン"},
        {3, "ブレンロデータの取り込み", "商品台帳EXCELブック", "商品ケルダン"},
        {4, "印刷項目の選択", "詳細な項目を印刷する", "宛先項目のみ印刷する"},
        {5, "作成する伝票の選択", "売上伝票（この得意先が最後に使用したフォーム）", "見積書"},
        {6, "作成する伝票の選択", "注文書", "仕入伝票"},
        {7, "転記する伝票の選択", "売上伝票", "見積書"},
        {8, "会社/個人の選択", "会社（郵便番号･住所･TEL･FAX･E-mail）",
         "個人（郵便番号･住所･TEL･FAX･E-mail）"},
    };
    for (const auto& c : cases) {
        CChoiceDlg first(c.mode);
        first.accept();
        EXPECT_EQ(first.windowTitle(), c.caption) << c.mode;
        EXPECT_EQ(first.FirstRadio()->text(), c.first) << c.mode;
        EXPECT_EQ(first.SecondRadio()->text(), c.second) << c.mode;
        EXPECT_EQ(first.m_nChoice, 0) << c.mode;

        CChoiceDlg second(c.mode);
        second.show();
        second.SecondRadio()->setChecked(true);
        second.accept();
        EXPECT_EQ(second.m_nChoice, 1) << c.mode;
    }
    CChoiceDlg five(5);
    five.show();
    EXPECT_EQ(five.PromptLabel()->text(), QStringLiteral("選択された得意先の伝票を作成します。\n作成する伝票"
                                                         "の種類を選択して【OK】をクリックしてください。"));
    EXPECT_TRUE(ui.Prompt().Texts().isEmpty());

    CChoiceDlg unknown(1);
    unknown.show();
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("ダイアログの起動形式が不明です。")});
    EXPECT_EQ(unknown.windowTitle(), QStringLiteral("選択してください"));
    unknown.accept();
    EXPECT_EQ(unknown.m_nChoice, 0);
}
