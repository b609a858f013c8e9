#include "master/SlipFromList.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/Record.h"
#include "platform/ui/ChoiceDlg.h"
#include "platform/ui/FakeUi.h"

#include <gtest/gtest.h>

namespace
{

// Answers the two-choice dialog from a script and records its modes.
class CScriptedChoice
{
  public:
    CScriptedChoice()
        : m_old(SetChoiceDialogRunner([this](int mode, int& choice) {
              m_modes << mode;
              if (m_answer < 0)
                  return int(IDCANCEL);
              choice = m_answer;
              return int(IDOK);
          }))
    {
    }
    ~CScriptedChoice() { SetChoiceDialogRunner(m_old); }
    CScriptedChoice(const CScriptedChoice&) = delete;
    CScriptedChoice& operator=(const CScriptedChoice&) = delete;

    int m_answer = 0; // -1 cancels
    QList<int> m_modes;

  private:
    ChoiceDialogRunner m_old;
};

COneRecord Partner(const QString& table, const QString& code)
{
    COneRecord record;
    record.SetField(table + QStringLiteral(".ID"), 7);
    record.SetField(table + QStringLiteral(".") + table + QStringLiteral("Code"), code);
    return record;
}

} // namespace

// Which slip, partner text and layout reach the slip-form program.
TEST(SlipFromList, KindTextAndLayout)
{
    ScopedFakeUi ui;
    CScriptedChoice choice;
    const COneRecord customer =
        Partner(QStringLiteral("Customer"), QStringLiteral("C-12345678"));                     // ten bytes
    const COneRecord supplier = Partner(QStringLiteral("Supplier"), QStringLiteral("仕入01")); // six bytes
    const struct {
        int kind;
        const COneRecord* record;
        int answer;
        int found;      // records the lookup finds, each with FormID 31
        QString launch; // empty: nothing started
        int mode;
    } cases[] = {
        {2, &customer, 0, 1, "2|10\"C-12345678\"|31", 5}, {2, &customer, 1, 1, "1|10\"C-12345678\"|0", 5},
        {2, &customer, 0, 2, "2|10\"C-12345678\"|0", 5},  {3, &supplier, 0, 1, "4|06\"仕入01\"|31", 6},
        {3, &supplier, 1, 1, "5|06\"仕入01\"|0", 6},      {3, &supplier, -1, 1, {}, 6},
    };
    for (const auto& c : cases) {
        choice.m_answer = c.answer;
        choice.m_modes.clear();
        QStringList launches, lookups;
        CSlipFromList command(
            *CMasterKind::OfNumber(c.kind),
            [&](const QString& table, const QString& field, const QString& code, CCDSData& result) {
                lookups << table + u'.' + field + u'=' + code;
                for (int i = 0; i < c.found; ++i)
                    result.AddNew()->SetField(table + QStringLiteral(".FormID"), 31);
                return 1;
            },
            [&](int kind, const QString& text, long layout) {
                launches << QStringLiteral("%1|%2|%3").arg(kind).arg(text).arg(layout);
                return 1;
            });
        EXPECT_EQ(command.Run({c.record}), c.launch.isEmpty() ? 0 : 1);
        EXPECT_EQ(launches, c.launch.isEmpty() ? QStringList() : QStringList{c.launch})
            << c.launch.toStdString();
        EXPECT_EQ(choice.m_modes, QList<int>{c.mode});
        const bool looked = c.answer == 0;
        EXPECT_EQ(lookups.size(), looked ? 1 : 0) << c.launch.toStdString();
    }
    EXPECT_TRUE(ui.Prompt().Texts().isEmpty());
}

// What is refused before the choice.
TEST(SlipFromList, RefusalsBeforeTheChoice)
{
    ScopedFakeUi ui;
    CScriptedChoice choice;
    const COneRecord a = Partner(QStringLiteral("Supplier"), QStringLiteral("A"));
    const struct {
        int kind;
        QList<const COneRecord*> selected;
        QString text;
    } cases[] = {
        {1, {&a}, "商品一覧から伝票を作成することはできません。"},
        {3, {}, "伝票を作成する仕入先を選択してください。\n"},
        {2, {&a, &a}, "複数の得意先が選択されています。\n伝票を作成する得意先を、一件だけ選択してください。"},
        {3, {nullptr}, "仕入先のデータが取得できません。"},
    };
    for (const auto& c : cases) {
        ui.Prompt().Clear();
        int launched = 0;
        CSlipFromList command(*CMasterKind::OfNumber(c.kind), {},
                              [&](int, const QString&, long) { return ++launched; });
        EXPECT_EQ(command.Run(c.selected), 0);
        EXPECT_EQ(ui.Prompt().Texts(), QStringList{c.text});
        EXPECT_EQ(launched, 0);
    }
    EXPECT_TRUE(choice.m_modes.isEmpty());
    EXPECT_EQ(CSlipFromList::PartnerText(QStringLiteral("C001")), QStringLiteral("04\"C001\""));
}
