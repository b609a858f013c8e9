#include "master/BulkEditRules.h"
#include "app/AppHome.h"
#include "platform/ui/FakeUi.h"

#include <gtest/gtest.h>

namespace
{

const QString kConfirm =
    QStringLiteral("指定された内容で、選択中のデータの一括変更を行ないます。\nよろしいですか？");
const QString kMissing = QStringLiteral("値を設定してください。");

int FieldIndex(const CBulkEditRules& rules, const char* field)
{
    return int(rules.GetFieldNames().indexOf(QString::fromLatin1(field)));
}

} // namespace

// The fields of each ledger and the choices of the coded ones.
TEST(BulkEditRules, FieldsAndChoices)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    CBulkEditRules products(0), customers(1), suppliers(2);
    for (CBulkEditRules* rules : {&products, &customers, &suppliers})
        rules->Init();
    EXPECT_EQ(products.GetFieldCaptions(), QStringList({"売価課税区分", "原価課税区分", "商品区分", "分類１",
                                                        "分類２", "分類３", "分類４", "分類５"}));
    EXPECT_EQ(customers.GetFieldNames(),
              QStringList({"Keisho", "Keisho2", "Day", "Percent", "RoundType", "TaxType", "TaxRoundType",
                           "CollectCycle", "CollectType", "MyPerson", "Class1", "Class2", "Class3", "Class4",
                           "Class5"}));
    EXPECT_EQ(suppliers.GetFieldCaptions().mid(0, 9),
              QStringList({"敬称１", "敬称２", "締日", "金額端数", "税転嫁", "税端数", "支払方法",
                           "主な支払方法", "自社担当者"}));
    EXPECT_EQ(customers.GetCaption(),
              QStringLiteral("得意先 - 一括修正する項目を選択して、修正後の値を設定してください"));

    customers.SelectField(FieldIndex(customers, "Day"));
    ASSERT_EQ(customers.GetValueControl(), CBulkEditRules::kListCombo);
    const auto& days = customers.GetValueItems();
    ASSERT_EQ(days.size(), 30);
    EXPECT_EQ(days[0].text + days[1].text + days[2].text + days[29].text,
              QStringLiteral("都度月末毎月1日締毎月28日締"));
    EXPECT_EQ(QList<int>({days[0].code, days[1].code, days[2].code, days[29].code}),
              QList<int>({0, 99, 1, 28}));

    const struct {
        CBulkEditRules* rules;
        const char* field;
        CBulkEditRules::ValueControl control;
    } controls[] = {
        {&customers, "Percent", CBulkEditRules::kNumber},
        {&customers, "CollectCycle", CBulkEditRules::kCycle},
        {&suppliers, "MyPerson", CBulkEditRules::kEntryList},
        {&products, "Class3", CBulkEditRules::kClassList},
        {&suppliers, "Keisho2", CBulkEditRules::kEditableCombo},
        {&customers, "CollectType", CBulkEditRules::kListCombo},
    };
    for (const auto& c : controls) {
        c.rules->SelectField(FieldIndex(*c.rules, c.field));
        EXPECT_EQ(c.rules->GetValueControl(), c.control) << c.field;
    }
    EXPECT_EQ(products.GetClassIndex(), 2);
    customers.SelectField(FieldIndex(customers, "CollectCycle"));
    EXPECT_FALSE(customers.ShowsDaysEdit());
    customers.SelectCycle(0);
    EXPECT_TRUE(customers.ShowsDaysEdit());
    customers.SelectCycle(2);
    EXPECT_FALSE(customers.ShowsDaysEdit());
}

// OK: each refusal with its message and the control to go back to, each
// accepted value as the caller reads it.
TEST(BulkEditRules, OkChecksTheValue)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    ScopedFakeUi ui;
    const struct {
        const char* field;
        std::function<void(CBulkEditRules&)> enter;
        QList<int> answers;
        QStringList texts;
        bool accepted;
        CBulkEditRules::Focus focus;
        CBulkEditResult result;
    } cases[] = {
        {"CollectCycle",
         [](CBulkEditRules& r) {
             r.SelectCycle(0);
             r.m_nCycleIndex = 0;
         },
         {},
         {kMissing},
         false,
         CBulkEditRules::kFocusDays,
         {}},
        {"CollectCycle",
         [](CBulkEditRules& r) {
             r.m_nCycleIndex = 0;
             r.m_strDays = QStringLiteral("15");
         },
         {IDYES},
         {kConfirm},
         true,
         CBulkEditRules::kFocusNone,
         {QStringLiteral("CollectCycle"), 0, 15, {}, {}}},
        {"CollectCycle",
         [](CBulkEditRules& r) {
             r.m_nCycleIndex = 2;
             r.m_nDayIndex = 0;
         },
         {IDYES},
         {kConfirm},
         true,
         CBulkEditRules::kFocusNone,
         {QStringLiteral("CollectCycle"), 2, 99, {}, {}}},
        {"CollectCycle",
         [](CBulkEditRules& r) { r.m_nCycleIndex = 2; },
         {},
         {kMissing},
         false,
         CBulkEditRules::kFocusDay,
         {}},
        {"CollectCycle", [](CBulkEditRules&) {}, {}, {kMissing}, false, CBulkEditRules::kFocusCycle, {}},
        {"Keisho",
         [](CBulkEditRules&) {},
         {IDYES, IDYES},
         {"文字列が空です。空文字として一括変更してよろしいですか？", kConfirm},
         true,
         CBulkEditRules::kFocusNone,
         {QStringLiteral("Keisho"), -1, -1, {}, {}}},
        {"Keisho",
         [](CBulkEditRules&) {},
         {IDNO},
         {"文字列が空です。空文字として一括変更してよろしいですか？"},
         false,
         CBulkEditRules::kFocusValue,
         {}},
        {"Percent",
         [](CBulkEditRules&) {},
         {},
         {"掛率の値を設定してください。"},
         false,
         CBulkEditRules::kFocusNumber,
         {}},
        {"Percent",
         [](CBulkEditRules& r) { r.m_strNumber = QStringLiteral("1234"); },
         {},
         {"入力できる整数部の桁数は、最大3桁までです。"},
         false,
         CBulkEditRules::kFocusNumber,
         {}},
        {"Percent",
         [](CBulkEditRules& r) { r.m_strNumber = QStringLiteral("-95.5"); },
         {IDYES},
         {kConfirm},
         true,
         CBulkEditRules::kFocusNone,
         {QStringLiteral("Percent"), -1, -1, {}, CMny(-955, 1)}},
        {"TaxType",
         [](CBulkEditRules& r) { r.m_nValueIndex = 4; },
         {IDNO},
         {kConfirm},
         false,
         CBulkEditRules::kFocusNone,
         {}},
        {"TaxType",
         [](CBulkEditRules& r) { r.m_nValueIndex = 4; },
         {IDYES},
         {kConfirm},
         true,
         CBulkEditRules::kFocusNone,
         {QStringLiteral("TaxType"), 0, -1, {}, {}}},
        {"CollectType",
         [](CBulkEditRules& r) { r.m_nValueIndex = 2; },
         {IDYES},
         {kConfirm},
         true,
         CBulkEditRules::kFocusNone,
         {QStringLiteral("CollectType"), -1, -1, QStringLiteral("振込"), {}}},
        {"CollectType", [](CBulkEditRules&) {}, {}, {kMissing}, false, CBulkEditRules::kFocusValue, {}},
        {"MyPerson",
         [](CBulkEditRules& r) { r.m_strText = QStringLiteral("佐藤"); },
         {IDYES},
         {kConfirm},
         true,
         CBulkEditRules::kFocusNone,
         {QStringLiteral("MyPerson"), -1, -1, QStringLiteral("佐藤"), {}}},
        {"none",
         [](CBulkEditRules&) {},
         {},
         {"変更する項目が取得できませんでした。"},
         false,
         CBulkEditRules::kFocusFields,
         {}},
        // What the entry dialogs refuse, with their message.
        {"MyPerson",
         [](CBulkEditRules& r) { r.m_strText = u"😀担当"_qs; },
         {},
         {"自社担当者に使用できない文字「😀」(U+1F600) が含まれています。"},
         false,
         CBulkEditRules::kFocusValue,
         {}},
        {"Class1",
         [](CBulkEditRules& r) { r.m_strText = u"A🍣B😀🍣"_qs; },
         {},
         {"分類１に使用できない文字「🍣😀」(U+1F363, U+1F600) が含まれています。"},
         false,
         CBulkEditRules::kFocusValue,
         {}},
        {"Keisho",
         [](CBulkEditRules& r) { r.m_strText = u"様\u2603"_qs; },
         {},
         {"敬称１に使用できない文字「\u2603」(U+2603) が含まれています。"},
         false,
         CBulkEditRules::kFocusValue,
         {}},
        {"Class2",
         [](CBulkEditRules& r) { r.m_strText = u"¥100均一"_qs; },
         {IDYES},
         {kConfirm},
         true,
         CBulkEditRules::kFocusNone,
         {QStringLiteral("Class2"), -1, -1, u"¥100均一"_qs, {}}},
    };
    for (const auto& c : cases) {
        ui.Prompt().Clear();
        CBulkEditRules rules(1);
        rules.Init();
        rules.SelectField(FieldIndex(rules, c.field));
        c.enter(rules);
        ui.Prompt().QueueAnswers(c.answers);
        EXPECT_EQ(rules.OnOK(), c.accepted) << c.field;
        EXPECT_EQ(ui.Prompt().Texts(), c.texts) << c.field;
        EXPECT_EQ(rules.GetFocus(), c.focus) << c.field;
        if (c.accepted) {
            const CBulkEditResult& got = rules.GetResult();
            EXPECT_EQ(got.field, c.result.field);
            EXPECT_EQ(got.value1, c.result.value1) << c.field;
            EXPECT_EQ(got.value2, c.result.value2) << c.field;
            EXPECT_EQ(got.text, c.result.text) << c.field;
            EXPECT_EQ(got.money, c.result.money) << c.field;
        }
        EXPECT_EQ(ui.Prompt().PendingAnswers(), 0) << c.field;
    }
    EXPECT_EQ(ui.Prompt().ScriptErrors(), QStringList());
}
