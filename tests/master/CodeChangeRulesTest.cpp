#include "master/CodeChangeRules.h"
#include "platform/data/Record.h"
#include "platform/ui/FakeUi.h"

#include <gtest/gtest.h>

namespace
{

// Lookups answer records of the given IDs per code; the change answers a
// scripted result.
class CScriptedCodeHost : public ICodeChangeHost
{
  public:
    QHash<QString, QList<int>> m_ids; // code → IDs found
    QStringList m_failing;            // codes whose lookup fails
    int m_nResult = 1;
    QString m_strError;
    QStringList m_calls;

    int CheckDuplicateCode(const QString& table, const QString& field, const QString& code,
                           CCDSData& result) override
    {
        m_calls << QStringLiteral("lookup %1 %2 %3").arg(table, field, code);
        if (m_failing.contains(code))
            return 0;
        for (int id : m_ids.value(code)) {
            COneRecord* r = result.AddNew();
            r->SetField(table + QStringLiteral(".ID"), id);
            r->SetField(table + QStringLiteral(".ItemName"), QStringLiteral("品%1").arg(id));
            r->SetField(table + QStringLiteral(".Company"), QStringLiteral("会社"));
            r->SetField(table + QStringLiteral(".Section"), QStringLiteral("部"));
            r->SetField(table + QStringLiteral(".Name"), QStringLiteral("名"));
        }
        return 1;
    }
    int ChangeMasterCode(const QString& table, const QString& oldCode, const QString& newCode,
                         QString& err) override
    {
        m_calls << QStringLiteral("change %1 %2 %3").arg(table, oldCode, newCode);
        err = m_strError;
        return m_nResult;
    }
};

const QString kBlank = QStringLiteral("コードには、スペース文字を含めることはできません。");
const QString kTaken = QStringLiteral("このコードは既に登録されています。他のコードを指定してください。");

} // namespace

TEST(CodeChangeRules, OpeningFindsTheRecordAndItsName)
{
    ScopedFakeUi ui;
    CScriptedCodeHost host;
    host.m_ids[QStringLiteral("P1")] = {7};
    host.m_ids[QStringLiteral("C1")] = {8};
    CCodeChangeRules item(CMasterKind::Items(), QStringLiteral("P1"), host);
    item.Open();
    EXPECT_EQ(item.GetRecordId(), 7);
    EXPECT_EQ(item.GetRecordName(), QStringLiteral("品7"));
    EXPECT_EQ(item.GetCaption(), QStringLiteral("品番の変更"));
    CCodeChangeRules customer(CMasterKind::Customers(), QStringLiteral("C1"), host);
    customer.Open();
    EXPECT_EQ(customer.GetRecordName(), QStringLiteral("会社 部 名"));
    EXPECT_EQ(host.m_calls, QStringList({"lookup Item ItemCode P1", "lookup Customer CustomerCode C1"}));
    // Opening says nothing; a kind no list shows cannot reach the dialog.
    EXPECT_TRUE(ui.Prompt().Texts().isEmpty());
    EXPECT_EQ(CMasterKind::OfNumber(4), nullptr);
}

// The new code's checks in their order, each refusal with its field.
TEST(CodeChangeRules, ChecksBeforeTheChange)
{
    const QString full50(50, QChar(0x3042)); // あ × 50 = 100 bytes
    struct Case {
        const CMasterKind& kind;
        QString current;
        QString newCode;
        QString message; // empty: passes to the question
        CCodeChangeRules::Focus focus;
    };
    const CMasterKind &items = CMasterKind::Items(), &customers = CMasterKind::Customers(),
                      &suppliers = CMasterKind::Suppliers();
    const Case cases[] = {
        {items, "P1", full50, {}, CCodeChangeRules::kFocusNone},
        {items, "P1", full50 + u'x', "品番が長すぎます。100ﾊﾞｲﾄまでです。", CCodeChangeRules::kFocusNewCode},
        {customers, "C1", QString(20, u'9'), {}, CCodeChangeRules::kFocusNone},
        {suppliers, "S1", QString(21, u'9'), "コードが長すぎます。20ﾊﾞｲﾄまでです。",
         CCodeChangeRules::kFocusNewCode},
        {customers, "C1", "", "新しいコードを入力してください。", CCodeChangeRules::kFocusNewCode},
        {customers, "C1", QString(30, u'9') + u' ', kBlank,
         CCodeChangeRules::kFocusNewCode}, // blank before length
        {customers, "C1", QStringLiteral("　A"), kBlank, CCodeChangeRules::kFocusNewCode},
        {customers, "GONE", "C5", "変更前のコードが正しく指定されていません。",
         CCodeChangeRules::kFocusCurrentCode},
        {customers, "", "C5", "変更前のコードが正しく指定されていません。",
         CCodeChangeRules::kFocusCurrentCode},
        {customers, "C1", "C1", {}, CCodeChangeRules::kFocusNone},        // only itself
        {customers, "C1", "c1", {}, CCodeChangeRules::kFocusNone},        // itself, other case
        {customers, "C1", "C2", kTaken, CCodeChangeRules::kFocusNewCode}, // another record
        {customers, "C1", "TWICE", kTaken, CCodeChangeRules::kFocusNewCode},
        {customers, "C1", "BROKEN", {}, CCodeChangeRules::kFocusNewCode}, // failed lookup stops silently
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.newCode.toStdString());
        ScopedFakeUi ui;
        const bool asks = c.message.isEmpty() && c.focus == CCodeChangeRules::kFocusNone;
        if (asks)
            ui.Prompt().QueueAnswers({IDNO});
        CScriptedCodeHost host;
        host.m_ids = {{"P1", {1}}, {"C1", {1}}, {"c1", {1}}, {"S1", {1}}, {"C2", {2}}, {"TWICE", {1, 3}}};
        host.m_failing = {QStringLiteral("BROKEN")};
        CCodeChangeRules rules(c.kind, c.current, host);
        rules.Open();
        EXPECT_EQ(rules.Ok(c.newCode), 0);
        EXPECT_EQ(rules.GetFocus(), c.focus);
        const QStringList texts = ui.Prompt().Texts();
        if (!c.message.isEmpty()) {
            EXPECT_EQ(texts, QStringList{c.message});
        } else if (!asks) {
            EXPECT_TRUE(texts.isEmpty()); // the failed lookup has spoken
        } else {
            ASSERT_EQ(texts.size(), 1);
            EXPECT_TRUE(texts[0].endsWith(QStringLiteral("変更を実行してよろしいですか？")));
        }
        EXPECT_FALSE(host.m_calls.join(u',').contains(QStringLiteral("change")));
        EXPECT_FALSE(rules.IsChanged());
    }
}

TEST(CodeChangeRules, ResultsOfTheChange)
{
    const QString title = ProgramTitle();
    struct Case {
        int result;
        QString error;
        QString message; // after the question; empty for none
        bool changed;
    };
    const Case cases[] = {
        {1, {}, {}, true},
        {-100,
         {},
         "処理中に重大なエラーが発生しました。このまま『" + title +
             "』を使用することはできません。\n\nすみやかにアプリケーションを終了してください。",
         false},
        {10, "コード「X」は既に登録されています。", "コード「X」は既に登録されています。", false},
        {10,
         {},
         "何らかのエラーが発生した可能性があります。\n『" + title +
             "』を一旦終了してから操作し直すことをおすすめします。",
         false},
    };
    for (const Case& c : cases) {
        ScopedFakeUi ui;
        CScriptedCodeHost host;
        host.m_ids[QStringLiteral("S1")] = {4};
        host.m_nResult = c.result;
        host.m_strError = c.error;
        CCodeChangeRules rules(CMasterKind::Suppliers(), QStringLiteral("S1"), host);
        rules.Open();
        EXPECT_EQ(rules.Ok(QStringLiteral("S9")), c.changed ? 1 : 0);
        EXPECT_EQ(rules.IsChanged(), c.changed);
        QStringList expected{
            QStringLiteral("仕入先コードを「S1」から「S9」に変更します。\nデータベースに登録されているデータ"
                           "のコードも変更します。\n"
                           "変更には時間がかかる場合があります。\n\n変更を実行してよろしいですか？")};
        if (!c.message.isEmpty())
            expected << c.message;
        EXPECT_EQ(ui.Prompt().Texts(), expected);
        EXPECT_EQ(host.m_calls.last(), QStringLiteral("change Supplier S1 S9"));
    }
}
