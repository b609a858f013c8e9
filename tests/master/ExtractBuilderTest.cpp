#include "MasterTestDb.h"

#include "master/ExtractBuilder.h"
#include "master/MasterList.h"
#include "platform/data/ExCondition.h"

namespace
{

// A row as the user fills it: field, operator by its text, value typed or
// chosen, connector.
CExtractRow MakeRow(const CExtractBuilder& builder, const char* field, const char* op, const QString& value,
                    int connector = 2)
{
    CExtractRow row;
    int index = -1;
    for (int i = 0; i < builder.GetFields().size(); ++i) {
        if (builder.GetFields()[i].m_strField == QLatin1StringView(field))
            index = i;
    }
    builder.SetRowField(row, index);
    for (int i = 0; i < row.operators.size(); ++i) {
        if (row.operators[i].text == QString::fromUtf8(op))
            row.op = i;
    }
    row.value = value;
    for (int i = 0; i < row.values.size(); ++i) {
        if (row.values[i].text == value)
            row.valueItem = i;
    }
    row.connector = connector;
    return row;
}

QStringList Codes(const CMasterList& list)
{
    QStringList codes;
    for (int row = 0; row < list.Model().GetRowCount(); ++row)
        codes << list.Model()
                     .RecordAt(row)
                     ->GetOneField(list.GetTableName(), list.GetCodeFieldName())
                     ->GetText();
    return codes;
}

class ExtractBuilderTest : public CMasterDbTest
{
  protected:
    void SetUp() override
    {
        CMasterDbTest::SetUp();
        Exec(QStringLiteral(
            "INSERT INTO Customer(CustomerCode, Company, Section, Name, Day, Percent, Collect, StartDate) "
            "VALUES"
            "('C0', '東商', '', 'Lee', 20, 1000000, 0, '2004-07-17 23:00:00'),"
            "('C1', '山田商事', '営業', 'O''Neil', 99, 1000000, 10000000, '2004-07-18 10:00:00'),"
            "('C2', '50%値引堂', '', 'Smith', 20, 955000, -5000000, '2005-07-01 09:00:00'),"
            "('C3', '500円ショップ', '', '', 0, 1000000, 1000000, '2004-08-18 09:00:00'),"
            "('C4', 'A_B商会', '', '', 99, 1000000, 0, '2006-01-31 09:00:00'),"
            "('C5', 'AxB商会', '', '', 99, 1000000, 0, '2006-02-01 09:00:00'),"
            "('C6', '50%', '', '', 15, 1000000, 0, '2006-03-01 09:00:00')"));
        Exec(QStringLiteral("INSERT INTO Item(ItemCode, TaxFlg) VALUES('P1', 0), ('P2', 1), ('P3', 0)"));
    }

    // The rows the master list shows with the built condition as its extraction.
    QStringList Run(const CMasterKind& kind, const CExCondition& condition)
    {
        CMasterDb db(m_data);
        CMasterList list(kind, db);
        list.SetExtraction(&condition);
        list.Reload(true);
        return Codes(list);
    }
};

} // namespace

// Conditions built and run on the master list: the rows found and the parts
// kept for the dialog.
TEST_F(ExtractBuilderTest, StatementsFindTheirRows)
{
    CExtractBuilder customers(EMasterKind::Customer), products(EMasterKind::Item);
    ASSERT_TRUE(customers.LoadFields());
    ASSERT_TRUE(products.LoadFields());
    const auto& c = customers;
    const struct {
        const char* name;
        CExtractBuilder* builder;
        std::array<CExtractRow, 3> rows;
        QStringList codes;
        QStringList a, b;
        QList<int> answers;
    } cases[] = {
        {"contains and equals a coded value",
         &customers,
         {MakeRow(c, "Company", "を含む", "山田", 0), MakeRow(c, "Day", "と等しい", "月末"), {}},
         {"C1"},
         {"[Customer].[Company]", "山田", " Like '%*%'", "AND"},
         {"[Customer].[Day]", "月末", " = *"},
         {}},
        {"50% contained",
         &customers,
         {MakeRow(c, "Company", "を含む", "50%"), {}, {}},
         {"C2", "C6"},
         {"[Customer].[Company]", "50%", " Like '%*%'"},
         {},
         {}},
        {"50% equal", &customers, {MakeRow(c, "Company", "と等しい", "50%"), {}, {}}, {"C6"}, {}, {}, {}},
        {"an underscore is itself",
         &customers,
         {MakeRow(c, "Company", "で始まる", "A_B"), {}, {}},
         {"C4"},
         {},
         {},
         {}},
        {"apostrophe", &customers, {MakeRow(c, "Name", "と等しい", "O'Neil"), {}, {}}, {"C1"}, {}, {}, {}},
        {"empty text accepted",
         &customers,
         {MakeRow(c, "Section", "と等しい", ""), {}, {}},
         {"C0", "C2", "C3", "C4", "C5", "C6"},
         {"[Customer].[Section]", "", " = '*'"},
         {},
         {IDYES}},
        {"month as a number",
         &customers,
         {MakeRow(c, "StartDate", "と月が等しい", "7"), {}, {}},
         {"C0", "C1", "C2"},
         {},
         {},
         {}},
        {"month of a day",
         &customers,
         {MakeRow(c, "StartDate", "と月が等しい", "2004/07/18"), {}, {}},
         {"C0", "C1", "C2"},
         {},
         {},
         {}},
        {"day of the month",
         &customers,
         {MakeRow(c, "StartDate", "と日にちが等しい", "18"), {}, {}},
         {"C1", "C3"},
         {},
         {},
         {}},
        {"before a day, time ignored",
         &customers,
         {MakeRow(c, "StartDate", "より前", "2004/07/18"), {}, {}},
         {"C0"},
         {},
         {},
         {}},
        {"on a day",
         &customers,
         {MakeRow(c, "StartDate", "と等しい", "2004/7/18"), {}, {}},
         {"C1"},
         {},
         {},
         {}},
        {"money from full-width digits",
         &customers,
         {MakeRow(c, "Collect", "以上", "１００"), {}, {}},
         {"C1", "C3"},
         {"[Customer].[Collect]", "１００", " >= *"},
         {},
         {}},
        {"a rate below",
         &customers,
         {MakeRow(c, "Percent", "より小さい", "99.5"), {}, {}},
         {"C2"},
         {},
         {},
         {}},
        {"code comparison",
         &customers,
         {MakeRow(c, "CustomerCode", "以上", "c4"), {}, {}},
         {"C4", "C5", "C6"},
         {},
         {},
         {}},
        {"(A or B) and C",
         &customers,
         {MakeRow(c, "Day", "と等しい", "月末", 1), MakeRow(c, "Day", "と等しい", "都度", 0),
          MakeRow(c, "Company", "で終わる", "商会")},
         {"C4", "C5"},
         {"[Customer].[Day]", "月末", " = *", "OR"},
         {"[Customer].[Day]", "都度", " = *", "AND"},
         {}},
        {"a coded value as its code",
         &products,
         {MakeRow(products, "TaxFlg", "と等しい", "非課税"), {}, {}},
         {"P1", "P3"},
         {"[Item].[TaxFlg]", "非課税", " = *"},
         {},
         {}},
    };
    for (const auto& t : cases) {
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueAnswers(t.answers);
        CExCondition condition;
        ASSERT_EQ(t.builder->Build(t.rows, condition), 1)
            << t.name << ": " << Texts().join(u'|').toStdString();
        EXPECT_EQ(condition.m_nKind, t.builder->GetTarget() + 2) << t.name;
        EXPECT_TRUE(condition.m_strSQL.startsWith(t.builder->GetHead())) << t.name;
        if (!t.a.isEmpty()) {
            EXPECT_EQ(condition.m_arrA, t.a) << t.name;
            EXPECT_EQ(condition.m_arrB, t.b) << t.name;
        }
        EXPECT_EQ(Run(t.builder->Kind(), condition), t.codes)
            << t.name << ": " << condition.m_strSQL.toStdString();
        EXPECT_EQ(m_ui.Prompt().PendingAnswers(), 0) << t.name;
    }
}

// Refusals: each message with its row's prefix, then the row named as
// invalid; nothing reaches the condition.
TEST_F(ExtractBuilderTest, RefusalsNameTheirRow)
{
    CExtractBuilder customers(EMasterKind::Customer);
    ASSERT_TRUE(customers.LoadFields());
    const auto& c = customers;
    const QString dateForm = QStringLiteral(
        "入力された日付の形式が正しくありません。\n日付は yyyy/mm/dd 形式で入力してください。");
    const struct {
        const char* name;
        std::array<CExtractRow, 3> rows;
        QString message;
        int row;
        CExtractBuilder::Focus focus;
        QList<int> answers;
    } cases[] = {
        {"two-digit year",
         {MakeRow(c, "StartDate", "より前", "04/07/18"), {}, {}},
         dateForm,
         0,
         CExtractBuilder::kFocusValue,
         {}},
        {"no such day",
         {MakeRow(c, "StartDate", "と等しい", "2004/02/30"), {}, {}},
         dateForm,
         0,
         CExtractBuilder::kFocusValue,
         {}},
        {"no such month",
         {MakeRow(c, "StartDate", "と等しい", "2004/13/01"), {}, {}},
         dateForm,
         0,
         CExtractBuilder::kFocusValue,
         {}},
        {"month 13",
         {MakeRow(c, "StartDate", "と月が等しい", "13"), {}, {}},
         "入力された日付の形式が正しくありません。\n月を指定する場合は 1 ～ 12 の数字または、yyyy/mm/dd "
         "形式で入力してください。",
         0,
         CExtractBuilder::kFocusValue,
         {}},
        {"day 32",
         {MakeRow(c, "StartDate", "と日にちが等しい", "32"), {}, {}},
         "入力された日付の形式が正しくありません。\n日にちを指定する場合は 1 ～ 31 の数字または、yyyy/mm/dd "
         "形式で入力してください。",
         0,
         CExtractBuilder::kFocusValue,
         {}},
        {"SQL for a number",
         {MakeRow(c, "Percent", "と等しい", "1 OR 1=1"), {}, {}},
         "数値、マイナス、小数点以外の文字は入力できません。",
         0,
         CExtractBuilder::kFocusValue,
         {}},
        {"rate too large",
         {MakeRow(c, "Percent", "と等しい", "1234"), {}, {}},
         "入力できる整数部の桁数は、最大3桁までです。",
         0,
         CExtractBuilder::kFocusValue,
         {}},
        {"no point in a balance",
         {MakeRow(c, "Collect", "と等しい", "10.5"), {}, {}},
         "数値、マイナス以外の文字は入力できません。",
         0,
         CExtractBuilder::kFocusValue,
         {}},
        {"no number",
         {MakeRow(c, "Ceiling", "と等しい", ""), {}, {}},
         "条件を入力してください",
         0,
         CExtractBuilder::kFocusValue,
         {}},
        {"coded value not chosen",
         {MakeRow(c, "Day", "と等しい", "毎月32日締"), {}, {}},
         "条件を選択してください",
         0,
         CExtractBuilder::kFocusValue,
         {}},
        {"method not chosen",
         {MakeRow(c, "CollectType", "と等しい", ""), {}, {}},
         "条件を選択してください",
         0,
         CExtractBuilder::kFocusValue,
         {}},
        {"no operator",
         {MakeRow(c, "Company", "", "x"), {}, {}},
         "比較式を選択してください",
         0,
         CExtractBuilder::kFocusOperator,
         {}},
        {"row B without field",
         {MakeRow(c, "Company", "を含む", "x", 1), CExtractRow{}, {}},
         "項目を選択してください",
         1,
         CExtractBuilder::kFocusField,
         {}},
        {"empty text declined",
         {MakeRow(c, "Company", "を含む", "x", 0), MakeRow(c, "Day", "と等しい", "都度", 0),
          MakeRow(c, "Name", "と等しい", "")},
         {},
         2,
         CExtractBuilder::kFocusValue,
         {IDNO}},
    };
    for (const auto& t : cases) {
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueAnswers(t.answers);
        CExCondition condition;
        condition.m_strSQL = QStringLiteral("kept");
        EXPECT_EQ(customers.Build(t.rows, condition), 0) << t.name;
        EXPECT_EQ(condition.m_strSQL, QStringLiteral("kept"));
        const QString prefix = QStringLiteral("条件<%1>").arg(QChar(u'A' + t.row));
        QStringList expected;
        if (!t.message.isEmpty())
            expected << prefix + u'：' + t.message;
        else
            expected << prefix + QStringLiteral(
                                     "：条件が入力されていません。\n空の文字とみなしますがよろしいですか？");
        expected << prefix + QStringLiteral("の設定が不正です");
        EXPECT_EQ(Texts(), expected) << t.name;
        EXPECT_EQ(customers.GetFailedRow(), t.row) << t.name;
        EXPECT_EQ(customers.GetFocus(), t.focus) << t.name;
    }
}

// What the fields offer: operators by type and the coded lists.
TEST(ExtractBuilder, OffersByField)
{
    CExtractBuilder products(EMasterKind::Item), suppliers(EMasterKind::Supplier);
    const auto texts = [](const QList<CExtractOperator>& ops) {
        QStringList list;
        for (const CExtractOperator& op : ops)
            list << op.text;
        return list;
    };
    EXPECT_EQ(products.GetOperators(QStringLiteral("Company")).size(), 8);
    EXPECT_EQ(products.GetOperators(QStringLiteral("ItemCode")).size(), 12);
    EXPECT_EQ(products.GetOperators(QStringLiteral("SupplierCode")).size(), 8);
    EXPECT_EQ(suppliers.GetOperators(QStringLiteral("SupplierCode")).size(), 12);
    EXPECT_EQ(texts(products.GetOperators(QStringLiteral("StartDate"))),
              QStringList({"と等しい", "と月が等しい", "と日にちが等しい", "と等しくない", "より前", "以前",
                           "より後", "以降"}));
    EXPECT_EQ(products.GetOperators(QStringLiteral("Price")).size(), 6);
    EXPECT_EQ(texts(products.GetOperators(QStringLiteral("TaxFlg"))),
              QStringList({"と等しい", "と等しくない"}));
    EXPECT_TRUE(products.GetOperators(QStringLiteral("Nothing")).isEmpty());

    const QList<CExtractValue> days = suppliers.GetValues(QStringLiteral("Day"));
    ASSERT_EQ(days.size(), 33);
    EXPECT_EQ(days[32].text, QStringLiteral("毎月31日締"));
    EXPECT_EQ(days[32].code, 31);
    const QList<CExtractValue> collect = suppliers.GetValues(QStringLiteral("CollectDay"));
    ASSERT_EQ(collect.size(), 29);
    EXPECT_EQ(collect[0].code, 99);
    EXPECT_TRUE(IsExtractListField(QStringLiteral("CollectType")));
    EXPECT_FALSE(IsExtractListField(QStringLiteral("Keisho")));

    QDate date;
    EXPECT_TRUE(CExtractBuilder::ParseDate(QStringLiteral("2024/2/29"), date));
    EXPECT_EQ(date, QDate(2024, 2, 29));
    for (const char* bad :
         {"2023/2/29", "2024-02-01", "2024/02/01 ", "12024/1/1", "2024/1/1/1", "２０２４/1/1"})
        EXPECT_FALSE(CExtractBuilder::ParseDate(QString::fromUtf8(bad), date)) << bad;
}
