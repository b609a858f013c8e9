#include "MasterTestDb.h"

#include "master/ItemInfoRules.h"
#include "platform/data/SqlText.h"

#include <gtest/gtest.h>

namespace
{

// The store's requests go to the fixture database; the product list is a
// scripted run of records with a focused row (none when not on screen).
class CDbStoreHost : public IMasterStoreHost
{
  public:
    explicit CDbStoreHost(CMakeMsgID& data) : m_data(data) {}

    int CheckDuplicateCode(const QString& table, const QString& field, const QString& code,
                           CCDSData& result) override
    {
        m_calls << QStringLiteral("lookup ") + code;
        if (m_bFailLookup)
            return 0;
        CCDSData request;
        request.m_strTable = table;
        request.m_strCondition = QStringLiteral("WHERE %1='%2'").arg(field, SqlQuote(code));
        QString err;
        return m_data.GetDataList(request, result, err) == 1 ? 1 : 0;
    }
    int InsertData(CCDSData& set, QString& err) override
    {
        m_calls << QStringLiteral("insert");
        m_sent = *set.GetAt(0);
        return m_data.InsertData(set, err);
    }
    int UpdateData(const CCDSData& set, QString& err) override
    {
        m_calls << QStringLiteral("update ") + set.m_strCondition;
        m_sent = *set.GetAt(0);
        return m_data.UpdateData(set, err);
    }
    int GetDataNum(const CCDSData& request, int& count, QString& err) override
    {
        return m_data.GetDataNum(request, count, err);
    }
    int NotifyMasterRecordAdded(const COneRecord* record) override
    {
        m_notified << *record;
        return m_bListShown ? 1 : 0;
    }
    COneRecord* SelectNextMasterRecord(COneRecord*) override
    {
        return m_nRow + 1 < int(m_list.size()) ? &m_list[size_t(++m_nRow)] : nullptr;
    }
    COneRecord* SelectPrevMasterRecord(COneRecord*) override
    {
        return m_nRow > 0 ? &m_list[size_t(--m_nRow)] : nullptr;
    }
    int GetMasterPrevNextState(bool& hasPrev, bool& hasNext) override
    {
        hasPrev = m_bListShown && m_nRow > 0;
        hasNext = m_bListShown && m_nRow + 1 < int(m_list.size());
        return 1;
    }

    CMakeMsgID& m_data;
    bool m_bFailLookup = false;
    bool m_bListShown = true;
    QStringList m_calls;
    COneRecord m_sent;
    QList<COneRecord> m_notified;
    std::vector<COneRecord> m_list;
    int m_nRow = 0;
};

QStringList FieldNames(const COneRecord& record)
{
    QStringList names;
    for (int i = 0; i < record.GetCount(); ++i)
        names << record.GetAt(i)->GetName().mid(5) + u':' + QString::number(record.GetAt(i)->GetType());
    return names;
}

class ItemInfoRulesTest : public CMasterDbTest
{
  protected:
    void SetUp() override
    {
        CMasterDbTest::SetUp();
        Exec(QStringLiteral(
            "INSERT INTO Item(ItemCode, ItemName, ItemType, TaxFlg, TaxFlg2, Price, SupplierCode, "
            "StartDate, LastUpdate) VALUES ('A1', '鉛筆', 1, 1, 0, 1000000, 'S9', '2023-01-02 03:04:05', "
            "'2023-02-03 04:05:06'), ('A2', '消しゴム', 2, 5, 2, NULL, '', NULL, NULL)"));
        m_ui.Clock().Set(kNow);
    }

    COneRecord Stored(const QString& code)
    {
        CCDSData found;
        EXPECT_EQ(m_host.CheckDuplicateCode(QStringLiteral("Item"), QStringLiteral("ItemCode"), code, found),
                  1);
        EXPECT_EQ(found.GetCount(), 1);
        return found.GetCount() ? *found.GetAt(0) : COneRecord();
    }
    QString StoredText(const QString& code, const char* field)
    {
        const COneRecord record = Stored(code);
        const CTb* f = record.GetOneField(QStringLiteral("Item"), QLatin1String(field));
        return f ? f->GetText() : QStringLiteral("<none>");
    }

    static inline const QDateTime kNow{QDate(2024, 5, 6), QTime(7, 8, 9)};
    CDbStoreHost m_host{m_data};
};

} // namespace

// A registration sends the fields in their order with the fixed values of a
// new product; a change sends them without ID and code, keeps the start date
// and the stored main supplier, and the list row gets code and ID first.
TEST_F(ItemInfoRulesTest, RecordsOfRegistrationAndChange)
{
    CItemInfoRules rules(m_host);
    CItemFields& f = rules.Fields();
    f.nItemType = 1;
    f.strCode = QStringLiteral("N1");
    f.strName = QStringLiteral("値引き");
    f.nTaxFlg = 1;
    f.nTaxFlg2 = 2;
    f.strPrice = QStringLiteral("-12.5");
    f.strSupplierCode = QStringLiteral("S1"); // never on a new product
    f.nSetItem = 7;
    ASSERT_EQ(rules.Save(true), 1);
    EXPECT_EQ(Texts(), QStringList({"新しい商品を登録します。よろしいですか？", "\n登録しました。"}));
    EXPECT_EQ(
        FieldNames(m_host.m_sent),
        QStringList({"ID:3",           "ItemType:3",    "ItemCode:0",    "ItemName:0",        "Phoenic:0",
                     "Unit:0",         "TaxFlg:3",      "Price:2",       "TaxFlg2:3",         "Cost:2",
                     "FixPrice:2",     "StockType:3",   "StockNumber:2", "StockJustNumber:2", "SetItem:3",
                     "SupplierCode:0", "Remarks:0",     "Class1:0",      "Class2:0",          "Class3:0",
                     "Class4:0",       "Class5:0",      "JANCode:0",     "StartDate:1",       "LastUpdate:1",
                     "TaxFlgYobi1:3",  "TaxFlgYobi2:3", "YobiInt:3"}));
    const COneRecord row = Stored(QStringLiteral("N1"));
    auto text = [&](const COneRecord& r, const char* field) {
        const CTb* tb = r.GetOneField(QStringLiteral("Item"), QLatin1String(field));
        return tb ? tb->GetText() : QStringLiteral("<none>");
    };
    const std::pair<const char*, const char*> expected[] = {{"ItemType", "2"},
                                                            {"TaxFlg", "2"},
                                                            {"TaxFlg2", "0"},
                                                            {"Price", "-12.5"},
                                                            {"StockType", "0"},
                                                            {"SetItem", "0"},
                                                            {"SupplierCode", ""},
                                                            {"TaxFlgYobi1", "1"},
                                                            {"TaxFlgYobi2", "1"},
                                                            {"YobiInt", "0"},
                                                            {"StartDate", "2024/05/06 07:08:09"},
                                                            {"LastUpdate", "2024/05/06 07:08:09"}};
    for (const auto& [field, value] : expected)
        EXPECT_EQ(text(row, field), QString::fromUtf8(value)) << field;
    // The list got the registered record with its new ID; the dialog is empty again.
    ASSERT_EQ(m_host.m_notified.size(), 1);
    EXPECT_EQ(text(m_host.m_notified[0], "ID"), text(row, "ID"));
    EXPECT_FALSE(rules.ClearFields(false));
    EXPECT_EQ(rules.GetMode(), 0);

    // A change of the stored A1, tax index 2 → code 0.
    m_ui.Prompt().Clear();
    m_ui.Clock().Set(kNow.addDays(1));
    rules.SetMode(1);
    const COneRecord a1 = Stored(QStringLiteral("A1"));
    rules.SetRecord(&a1);
    EXPECT_FALSE(rules.IsModified());
    rules.Fields().nTaxFlg = 2;
    rules.Fields().strName = QStringLiteral("赤鉛筆");
    EXPECT_TRUE(rules.IsModified());
    ASSERT_EQ(rules.Save(true), 1);
    EXPECT_EQ(Texts(), QStringList({"商品情報を修正します。よろしいですか？", "\n修正しました。"}));
    EXPECT_EQ(FieldNames(m_host.m_sent).size(), 26);
    EXPECT_EQ(FieldNames(m_host.m_sent).first(), QStringLiteral("ItemType:3"));
    EXPECT_EQ(m_host.m_calls.last(), QStringLiteral("update WHERE ID=%1").arg(text(a1, "ID")));
    EXPECT_EQ(StoredText(QStringLiteral("A1"), "TaxFlg"), QStringLiteral("0"));
    EXPECT_EQ(StoredText(QStringLiteral("A1"), "ItemName"), QStringLiteral("赤鉛筆"));
    EXPECT_EQ(StoredText(QStringLiteral("A1"), "StartDate"), QStringLiteral("2023/01/02 03:04:05"));
    EXPECT_EQ(StoredText(QStringLiteral("A1"), "LastUpdate"), QStringLiteral("2024/05/07 07:08:09"));
    EXPECT_EQ(StoredText(QStringLiteral("A1"), "SupplierCode"), QStringLiteral("S9"));
    const COneRecord& listed = m_host.m_notified.last();
    EXPECT_EQ(listed.GetAt(0)->GetName(), QStringLiteral("Item.ItemCode"));
    EXPECT_EQ(listed.GetAt(1)->GetName(), QStringLiteral("Item.ID"));
    EXPECT_EQ(rules.GetMode(), 1);
    EXPECT_EQ(rules.Fields().strName, QStringLiteral("赤鉛筆"));

    // Without a product list on screen the dialog turns into a new entry.
    m_host.m_bListShown = false;
    rules.Fields().strName = QStringLiteral("青鉛筆");
    ASSERT_EQ(rules.Save(false), 1);
    EXPECT_EQ(rules.GetMode(), 0);
    EXPECT_FALSE(rules.ClearFields(false));
}

// A record shows only the fields it has with a value; clearing counts and
// empties what the user can type.
TEST_F(ItemInfoRulesTest, SetRecordAndClearFields)
{
    CItemInfoRules rules(m_host);
    const COneRecord a2 = Stored(QStringLiteral("A2"));
    rules.SetMode(1);
    EXPECT_EQ(rules.SetRecord(&a2), 1);
    const CItemFields& f = rules.Fields();
    EXPECT_EQ(f.nItemType, 1);
    EXPECT_EQ(f.nTaxFlg, -1); // code 5 cannot be shown
    EXPECT_EQ(f.nTaxFlg2, 1);
    EXPECT_EQ(f.strPrice, QString());
    EXPECT_EQ(f.StartDateText(), QString());
    EXPECT_GT(f.nID, 0);

    COneRecord partial;
    partial.SetField(QStringLiteral("Item.ItemCode"), QStringLiteral("P"));
    partial.AddField(CTb(QStringLiteral("Item.TaxFlg2"), CTb::kInteger)); // present, no value
    partial.AddField(CTb(QStringLiteral("Item.StockType"), CTb::kInteger));
    rules.SetRecord(&partial);
    EXPECT_EQ(f.nTaxFlg, 0);   // absent: as cleared
    EXPECT_EQ(f.nTaxFlg2, -1); // no value: unselected
    EXPECT_EQ(f.nStockType, -1);
    EXPECT_EQ(f.nItemType, 0);
    EXPECT_EQ(rules.GetMode(), 1);

    struct Change {
        const char* what;
        std::function<void(CItemFields&)> apply;
        bool counts;
    };
    const Change changes[] = {
        {"item type", [](CItemFields& x) { x.nItemType = 2; }, true},
        {"tax", [](CItemFields& x) { x.nTaxFlg2 = 1; }, true},
        {"class", [](CItemFields& x) { x.strClass[4] = QStringLiteral("x"); }, true},
        {"fix price", [](CItemFields& x) { x.strFixPrice = QStringLiteral("1"); }, true},
        {"hidden stock", [](CItemFields& x) { x.nStockType = 0; }, false},
        {"dates", [](CItemFields& x) { x.startDate = kNow; }, false},
    };
    for (const Change& c : changes) {
        rules.ClearFields(true);
        rules.Fields().nYobiInt = 4;
        c.apply(rules.Fields());
        EXPECT_EQ(rules.ClearFields(false), c.counts) << c.what;
        EXPECT_EQ(rules.ClearFields(true), c.counts) << c.what;
        EXPECT_FALSE(rules.ClearFields(false)) << c.what;
        EXPECT_EQ(f.nStockType, 1);
        EXPECT_FALSE(f.startDate.isValid());
        EXPECT_EQ(f.nYobiInt, 4) << "reserve integers stay";
    }
    rules.SetRecord(nullptr);
    EXPECT_EQ(rules.GetMode(), 0);
    EXPECT_EQ(rules.GetFocus(), CItemInfoRules::kFocusItemType);
}

// The refusals of "登録", in their order, each with its field; nothing is
// written.
TEST_F(ItemInfoRulesTest, SaveRefusals)
{
    const QString required = QStringLiteral("必須項目です。入力してください。");
    struct Case {
        const char* what;
        std::function<void(CItemInfoRules&)> setup;
        QStringList texts;
        CItemInfoRules::Focus focus;
        QString codeAfter;
    };
    const COneRecord a2 = Stored(QStringLiteral("A2"));
    const Case cases[] = {
        {"blank-only code",
         [](CItemInfoRules& r) { r.Fields().strCode = QStringLiteral("　 　"); },
         {required},
         CItemInfoRules::kFocusCode,
         QString()},
        {"half-width blank",
         [](CItemInfoRules& r) { r.Fields().strCode = QStringLiteral("A B"); },
         {QStringLiteral("品番には、スペース文字を含めることはできません。")},
         CItemInfoRules::kFocusCode,
         "A B"},
        {"no item type",
         [](CItemInfoRules& r) {
             r.Fields().strCode = "X";
             r.Fields().nItemType = -1;
         },
         {required},
         CItemInfoRules::kFocusItemType,
         "X"},
        {"unknown stored tax",
         [&](CItemInfoRules& r) {
             r.SetMode(1);
             r.SetRecord(&a2);
         },
         {required},
         CItemInfoRules::kFocusTaxFlg,
         "A2"},
        {"no cost tax",
         [](CItemInfoRules& r) {
             r.Fields().strCode = "X";
             r.Fields().nTaxFlg2 = -1;
         },
         {required},
         CItemInfoRules::kFocusTaxFlg2,
         "X"},
        {"no code page 932 form",
         [](CItemInfoRules& r) {
             r.Fields().strCode = "X";
             r.Fields().strClass[2] = QStringLiteral("表\U0001F600");
         },
         {QStringLiteral("分類３に使用できない文字「\U0001F600」(U+1F600) が含まれています。")},
         CItemInfoRules::Focus(CItemInfoRules::kFocusClass1 + 2),
         "X"},
        {"duplicate, case blind",
         [](CItemInfoRules& r) { r.Fields().strCode = "a1"; },
         {QStringLiteral("この品番は既に登録されています。\n登録できません。\n")},
         CItemInfoRules::kFocusCode,
         "a1"},
    };
    for (const Case& c : cases) {
        m_ui.Prompt().Clear();
        CItemInfoRules rules(m_host);
        c.setup(rules);
        m_host.m_calls.clear();
        EXPECT_EQ(rules.Save(true), 0) << c.what;
        EXPECT_EQ(Texts(), c.texts) << c.what;
        EXPECT_EQ(rules.GetFocus(), c.focus) << c.what;
        EXPECT_EQ(rules.Fields().strCode, c.codeAfter) << c.what;
        EXPECT_FALSE(m_host.m_calls.join(u',').contains(QStringLiteral("insert"))) << c.what;
        EXPECT_FALSE(m_host.m_calls.join(u',').contains(QStringLiteral("update"))) << c.what;
    }
    // A lookup that fails refuses the code as taken, and No to the question sends nothing.
    CItemInfoRules rules(m_host);
    rules.Fields().strCode = QStringLiteral("Z1");
    m_host.m_bFailLookup = true;
    m_ui.Prompt().Clear();
    EXPECT_EQ(rules.Save(true), 0);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("この品番は既に登録されています。\n登録できません。\n")});
    m_host.m_bFailLookup = false;
    m_ui.Prompt().QueueAnswers({IDNO});
    EXPECT_EQ(rules.Save(true), 0);
    EXPECT_EQ(Count(QStringLiteral("Item")), 2);
}

// A typed code that is registered is offered; stepping asks about changes
// and stops at the end of the list; closing asks about unsaved input.
TEST_F(ItemInfoRulesTest, LookupSteppingAndClosing)
{
    CItemInfoRules rules(m_host);
    m_ui.Prompt().QueueAnswers({IDNO});
    EXPECT_FALSE(rules.LookUpCode(QStringLiteral("a1")));
    EXPECT_EQ(rules.Fields().strCode, QString());
    EXPECT_EQ(rules.GetFocus(), CItemInfoRules::kFocusCode);
    EXPECT_FALSE(rules.LookUpCode(QStringLiteral("　")));
    EXPECT_FALSE(rules.LookUpCode(QStringLiteral("FREE")));
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_TRUE(rules.LookUpCode(QStringLiteral("A1")));
    EXPECT_EQ(rules.GetMode(), 1);
    EXPECT_EQ(rules.Fields().strName, QStringLiteral("鉛筆"));
    EXPECT_EQ(
        Texts(),
        QStringList(2,
                    QStringLiteral(
                        "入力した品番と一致するデータが既に登録されています。\nそのデータを表示しますか？")));

    // The list holds A1 (focused) and A3.
    Exec(QStringLiteral(
        "INSERT INTO Item(ItemCode, ItemName, ItemType, TaxFlg, TaxFlg2) VALUES ('A3', '筆', 3, 0, 2)"));
    m_host.m_list = {Stored(QStringLiteral("A1")), Stored(QStringLiteral("A3"))};
    m_ui.Prompt().Clear();
    rules.Fields().strName = QStringLiteral("鉛筆２");
    m_ui.Prompt().QueueAnswers({IDCANCEL});
    EXPECT_FALSE(rules.ShowNeighbour(1));
    EXPECT_EQ(rules.Fields().strName, QStringLiteral("鉛筆２"));
    m_ui.Prompt().QueueAnswers({IDNO});
    EXPECT_TRUE(rules.ShowNeighbour(1));
    EXPECT_EQ(rules.Fields().strCode, QStringLiteral("A3"));
    EXPECT_EQ(rules.Fields().nTaxFlg, 2);
    EXPECT_EQ(StoredText(QStringLiteral("A1"), "ItemName"), QStringLiteral("鉛筆"));
    EXPECT_FALSE(rules.ShowNeighbour(1));
    EXPECT_EQ(Texts().last(), QStringLiteral("次のデータが取得できませんでした。\n"));
    EXPECT_EQ(rules.Fields().strCode, QStringLiteral("A3"));
    bool prev = false, next = true;
    rules.GetPrevNextState(prev, next);
    EXPECT_TRUE(prev);
    EXPECT_FALSE(next);

    // Closing: unchanged closes; a change asks; a new entry with only the
    // item type changed asks whether to register.
    EXPECT_TRUE(rules.QueryClose());
    rules.Fields().strRemarks = QStringLiteral("メモ");
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDCANCEL, IDNO});
    EXPECT_FALSE(rules.QueryClose());
    EXPECT_TRUE(rules.QueryClose());
    EXPECT_EQ(Texts(), QStringList(2, QStringLiteral("この商品データは変更されています。\n登録しますか？")));
    rules.SetRecord(nullptr);
    EXPECT_TRUE(rules.QueryClose());
    rules.Fields().nItemType = 2;
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDYES}); // saving fails: no code
    EXPECT_FALSE(rules.QueryClose());
    EXPECT_EQ(Texts(), QStringList({"この商品データはまだ登録されていません。\n登録しますか？",
                                    "必須項目です。入力してください。"}));
}
