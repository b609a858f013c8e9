#include <gtest/gtest.h>

#include "SettingsTestDb.h"
#include "platform/ui/FakeUi.h"
#include "settings/ComboData.h"
#include "settings/CounterSetModel.h"
#include "settings/dlg/BunruiSetRules.h"
#include "settings/dlg/NameListRules.h"

#include <functional>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// A file whose first element ends inside its class record.
const QByteArray kDamaged = Hex("01 00 FF FF 01 00");

QString KeptText(const QString& path)
{
    return U("壊れている設定ファイル<%1>をそのまま残したため、変更は保存していません。\n"
             "保存するには、初期状態にしてよろしいかの問いに【はい】と答えてください。")
        .arg(path);
}

QString ResetText(const QString& path)
{
    return U("設定ファイル<%1>が壊れています。初期状態にしてよろしいですか？").arg(path);
}

} // namespace

// A settings dialog opened on a damaged file whose reset the user refused:
// OK asks again; refused once more, the file stays as it was, the user is
// told that nothing was saved and the dialog stays open with the edits; Yes
// saves the edits in place of the damaged file.
TEST(DamagedSettingsFile, OkAfterARefusedResetSaysSoAndKeepsTheEdits)
{
    struct Case {
        const char* file;
        // Opens the dialog's rules and makes one edit; answers OK.
        std::function<std::function<int()>()> open;
        // What the file holds after the saving OK.
        std::function<bool()> saved;
    };
    std::unique_ptr<CNameListRules> names;
    std::unique_ptr<CBunruiSetRules> classes;
    std::unique_ptr<CCounterSetModel> counter;
    const Case cases[] = {
        {"Tanto.dat",
         [&] {
             names = std::make_unique<CNameListRules>(COMBO_TANTO);
             names->Open();
             EXPECT_TRUE(names->Add(U("山田")));
             return std::function<int()>([&] { return names->OnOK(); });
         },
         [] {
             CComboData data;
             return data.Load(COMBO_TANTO) == 1 && data.GetElems().size() == 1 &&
                    data.GetElems()[0]->m_strText == U("山田");
         }},
        {"ClassTitle.dat",
         [&] {
             classes = std::make_unique<CBunruiSetRules>();
             classes->Open();
             EXPECT_TRUE(classes->Add(U("東日本")));
             return std::function<int()>([&] { return classes->OnOK(); });
         },
         [] {
             CBunruiData data; // owns what Find answers
             const CBunruiDataElem* elem = data.Find(0, 0);
             return elem && elem->m_contents == QStringList{U("東日本")};
         }},
        {"NoInfo.dat",
         [&] {
             counter = std::make_unique<CCounterSetModel>(COUNTER_RECEIPT);
             counter->Open();
             counter->m_strPrefix = "R";
             return std::function<int()>(
                 [&] { return counter->OnOK() == CCounterSetModel::CHECK_OK ? 1 : -1; });
         },
         [] {
             CCounterInfo info;
             const CCounterInfoElem* elem = info.GetElem(COUNTER_RECEIPT);
             // A fresh counter's values were shown: zero fill on.
             return elem && elem->Format() == "R000001";
         }},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ScopedFakeUi ui;
        CSettingsTestDb db;
        const QString path = db.File(U(c.file));
        CSettingsTestDb::Put(path, kDamaged);
        CFakePrompt& prompt = ui.Prompt();

        // The question names the file; no box before it.
        prompt.QueueAnswers({IDNO});
        const std::function<int()> ok = c.open();
        ASSERT_EQ(prompt.Texts(), QStringList{ResetText(path)});
        prompt.Clear();

        prompt.QueueAnswers({IDNO});
        EXPECT_EQ(ok(), -1);
        EXPECT_EQ(prompt.Texts(), QStringList({ResetText(path), KeptText(path)}));
        EXPECT_EQ(CSettingsTestDb::Get(path), kDamaged);
        prompt.Clear();

        prompt.QueueAnswers({IDYES});
        EXPECT_EQ(ok(), 1);
        EXPECT_EQ(prompt.Texts(), QStringList{ResetText(path)});
        EXPECT_TRUE(c.saved());
        EXPECT_TRUE(prompt.ScriptErrors().isEmpty());
    }
}

// A damaged digit count opens clamped to 1-9, so the number edit, the
// spinner and what OK saves agree.
TEST(DamagedSettingsFile, CounterDigitsOutsideOneToNineOpenClamped)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;
    const struct {
        int stored;
        int digits;
        const char* preview;
    } cases[] = {{0, 1, "5"}, {12, 9, "000000005"}, {-3, 1, "5"}, {9, 9, "000000005"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        CCounterInfo info;
        CCounterInfoElem* elem = info.GetElem(COUNTER_STOCK);
        ASSERT_NE(elem, nullptr);
        elem->m_nDigits = c.stored;
        elem->m_nNumber = 5;
        ASSERT_EQ(info.Save(), 1);

        CCounterSetModel model(COUNTER_STOCK);
        model.Open();
        EXPECT_EQ(model.m_nDigits, c.digits);
        EXPECT_EQ(model.GetNumberLimit(), c.digits);
        EXPECT_EQ(model.m_nSetNo, 5);
        EXPECT_EQ(model.GetPreview(), c.preview);
        ASSERT_EQ(model.OnOK(), CCounterSetModel::CHECK_OK);
        EXPECT_EQ(CCounterInfo().GetElem(COUNTER_STOCK)->m_nDigits, c.digits);
    }
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
}
