#include <gtest/gtest.h>

#include "SettingsTestDb.h"
#include "platform/ui/FakeUi.h"
#include "settings/CounterInfo.h"
#include "settings/dlg/CounterSetDlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

template <class Widget> Widget* Child(QWidget* dialog, const char* name)
{
    auto* widget = dialog->findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

} // namespace

TEST(CounterSetDlg, OpensOnTheDatabaseAndSavesWhatItShows)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    CFakePrompt& prompt = ui.Prompt();
    {
        CCounterInfo seed;
        CCounterInfoElem* elem = seed.GetElem(COUNTER_RECEIPT);
        ASSERT_NE(elem, nullptr);
        elem->m_nNumber = 17;
        ASSERT_EQ(seed.Save(), 1);
    }

    EXPECT_EQ(CCounterSetDlg(COUNTER_CUSTOMER_CODE).windowTitle(), U("取引先コード番号の設定"));
    CCounterSetDlg dlg(COUNTER_RECEIPT);
    EXPECT_EQ(dlg.windowTitle(), U("伝票番号の設定"));
    auto* current = Child<QLineEdit>(&dlg, "current");
    auto* setNo = Child<QLineEdit>(&dlg, "setNo");
    auto* digits = Child<QSpinBox>(&dlg, "digits");
    auto* prefix = Child<QLineEdit>(&dlg, "prefix");
    auto* suffix = Child<QLineEdit>(&dlg, "suffix");
    auto* preview = Child<QLineEdit>(&dlg, "preview");
    auto* zeroFill = dlg.findChild<QCheckBox*>();
    ASSERT_TRUE(current && setNo && digits && prefix && suffix && preview && zeroFill);
    EXPECT_TRUE(current->isReadOnly());
    EXPECT_EQ(current->text(), "17");
    EXPECT_EQ(setNo->text(), "17");
    EXPECT_EQ(setNo->maxLength(), 6);
    EXPECT_EQ(digits->value(), 6);
    EXPECT_TRUE(zeroFill->isChecked());
    EXPECT_EQ(preview->text(), "000017");

    // Every field follows in the preview; affixes take 6 bytes.
    setNo->setText("25");
    prefix->insert("R-");
    EXPECT_EQ(preview->text(), "R-000025");
    zeroFill->setChecked(false);
    EXPECT_EQ(preview->text(), "R-25");
    suffix->insert(U("号ABCDE"));
    EXPECT_EQ(suffix->text(), U("号ABCD"));
    suffix->clear();
    EXPECT_TRUE(prompt.Calls().isEmpty());

    // The arrows ask once; typing a count only changes the preview.
    prompt.QueueAnswers({IDNO});
    digits->stepBy(-1);
    EXPECT_EQ(digits->value(), 6);
    EXPECT_EQ(setNo->text(), "25");
    ASSERT_EQ(prompt.Calls().size(), 1);
    EXPECT_EQ(prompt.Calls()[0].caption, U("桁数変更"));
    prompt.QueueAnswers({IDYES});
    digits->stepBy(-1);
    EXPECT_EQ(digits->value(), 5);
    EXPECT_EQ(setNo->text(), "1");
    EXPECT_EQ(setNo->maxLength(), 5);
    digits->stepBy(-1);
    EXPECT_EQ(digits->value(), 4);
    EXPECT_EQ(prompt.Calls().size(), 2);
    zeroFill->setChecked(true);
    EXPECT_EQ(preview->text(), "R-0001");
    digits->setValue(7);
    EXPECT_EQ(preview->text(), "R-0000001");
    EXPECT_EQ(setNo->maxLength(), 4);
    EXPECT_EQ(prompt.Calls().size(), 2);
    setNo->setText("42");
    for (QPushButton* button : dlg.findChildren<QPushButton*>())
        if (button->text() == U("リセット"))
            button->click();
    EXPECT_EQ(setNo->text(), "1");
    EXPECT_EQ(preview->text(), "R-0000001");

    // OK refuses what the file could not keep and what is too long in all.
    dlg.show();
    setNo->clear();
    dlg.accept();
    EXPECT_EQ(prompt.Texts().last(), U("整数を入力してください。"));
    setNo->setText("42");
    suffix->setText(U("😀"));
    dlg.accept();
    EXPECT_EQ(prompt.Texts().last(), U("接尾文字に使用できない文字「😀」(U+1F600) が含まれています。"));
    prefix->setText(U("ＡＢＣ"));
    suffix->setText(U("ＤＥＦ"));
    digits->setValue(9);
    dlg.accept();
    EXPECT_EQ(prompt.Texts().last(), U("接頭文字数＋桁数＋接尾文字数は20文字以内にしてください。"));
    EXPECT_TRUE(dlg.isVisible());
    {
        CCounterInfo unchanged;
        EXPECT_EQ(unchanged.GetElem(COUNTER_RECEIPT)->Format(), "000017");
    }
    digits->setValue(8);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);

    CCounterInfo saved;
    const CCounterInfoElem* elem = saved.GetElem(COUNTER_RECEIPT);
    ASSERT_NE(elem, nullptr);
    EXPECT_EQ(elem->m_nNumber, 42);
    EXPECT_EQ(elem->m_nDigits, 8);
    EXPECT_EQ(elem->m_nZeroFill, 1);
    EXPECT_EQ(elem->Format(), U("ＡＢＣ00000042ＤＥＦ"));
    EXPECT_TRUE(prompt.ScriptErrors().isEmpty());
}
