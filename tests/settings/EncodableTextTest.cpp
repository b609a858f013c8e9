#include <gtest/gtest.h>

#include "SettingsTestDb.h"
#include "platform/ui/FakeUi.h"
#include "settings/ComboData.h"
#include "settings/CompanyInfo.h"
#include "settings/CounterInfo.h"
#include "settings/CounterSetModel.h"
#include "settings/db/DBNameRules.h"
#include "settings/dlg/BunruiNameDlg.h"
#include "settings/dlg/BunruiSetRules.h"
#include "settings/dlg/DlgHelpers.h"
#include "settings/dlg/NameListRules.h"
#include "settings/dlg/RenameDlg.h"

#include <QFileInfo>
#include <QLineEdit>

#include <functional>

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

// Every settings dialog that takes a text the files keep in code page 932
// refuses an emoji or an accented letter with the same words, naming its
// field and the character's code point, and keeps nothing of it.
TEST(EncodableText, SettingsDialogsNameTheirField)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    using F = CCompanyInfoRules;
    // Runs the dialog's OK on the text; true when it was refused.
    using Refuses = std::function<bool(const QString&)>;
    const auto company = [&db](F::Field field) -> Refuses {
        return [&db, field](const QString& text) {
            F rules;
            rules.m_strField[field] = text;
            return !rules.Save(db.Folder()) && !QFileInfo::exists(db.File("Other/COM.AUT"));
        };
    };
    const auto counter = [](bool prefix) -> Refuses {
        return [prefix](const QString& text) {
            CCounterSetModel model(COUNTER_RECEIPT);
            model.Open();
            (prefix ? model.m_strPrefix : model.m_strSuffix) = text;
            return model.OnOK() ==
                   (prefix ? CCounterSetModel::CHECK_PREFIX_CHARS : CCounterSetModel::CHECK_SUFFIX_CHARS);
        };
    };
    const auto named = [](const CNameRequest& request) -> Refuses {
        return [request](const QString& text) {
            CRenameDlg dialog;
            dialog.SetRequest(request);
            dialog.show();
            dialog.NameEdit()->setText(text);
            dialog.accept();
            return dialog.isVisible() && dialog.result() != QDialog::Accepted;
        };
    };
    CBunruiSetRules classes;
    classes.Open();
    classes.SelectClass(2);
    const struct {
        const char* field;
        Refuses refuses;
    } cases[] = {
        {"データベース名",
         [](const QString& text) {
             CDBNameRules rules({}, {}, CDBNameRules::kNew);
             rules.Init();
             rules.SetName(QString::fromUtf8("本社") + text);
             return !rules.OnOK();
         }},
        {"会社名", company(F::COMPANY)},
        {"部署名", company(F::DEPARTMENT)},
        {"担当者", company(F::PERSON)},
        {"接頭文字", counter(true)},
        {"接尾文字", counter(false)},
        {"分類ジャンル名",
         [](const QString& text) {
             CBunruiNameDlg dialog(QString::fromUtf8("分類２"));
             dialog.show();
             dialog.NewNameEdit()->setText(text);
             dialog.accept();
             return dialog.isVisible() && dialog.GetNewName() == QString::fromUtf8("分類２");
         }},
        {"分類３", named(classes.GetAddRequest())},
        {"自社担当者", named(CNameListRules(COMBO_TANTO).GetAddRequest())},
        {"入金摘要内容", named(CNameListRules(COMBO_MONEY).GetAddRequest())},
        {"単位", named(CNameListRules(COMBO_UNIT).GetAddRequest())},
        {"名前", named({})},
    };
    const struct {
        QString text;
        const char* said;
    } texts[] = {
        {u"😀"_qs, "「😀」(U+1F600)"},
        {u"Taquería"_qs, "「í」(U+00ED)"},
    };
    for (const auto& c : cases) {
        for (const auto& t : texts) {
            SCOPED_TRACE(std::string(c.field) + " " + t.text.toStdString());
            ui.Prompt().Clear();
            EXPECT_TRUE(c.refuses(t.text));
            EXPECT_EQ(ui.Prompt().Texts(),
                      QStringList{QString::fromUtf8(c.field) + QString::fromUtf8("に使用できない文字") +
                                  QString::fromUtf8(t.said) + QString::fromUtf8(" が含まれています。")});
        }
    }
}
