#include "exchange/MasterImport.h"
#include "app/AppHome.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/ImportMapRules.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/MnyText.h"
#include "platform/text/Cp932.h"
#include "platform/ui/FakeUi.h"
#include "settings/SettingsFiles.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{' << list.join(QStringLiteral(" | ")).toStdString() << '}';
}

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// "type:value" of a field, "-" for none, "null" for one without a value.
QString Show(const std::optional<CTb>& field)
{
    if (!field)
        return QStringLiteral("-");
    if (field->IsNull())
        return QStringLiteral("null");
    return QString::number(field->GetType()) + u':' + field->GetText();
}

class MasterImportTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.IsReady());
        m_folder = m_home.AddCurrentDatabase(U("本社"));
        ASSERT_FALSE(m_folder.isEmpty());
        QString err;
        ASSERT_EQ(m_data.Open(m_folder, err), 1) << err.toStdString();
    }
    void TearDown() override { EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList()); }

    QString Csv(const QString& name, const QString& text)
    {
        const QString path = QDir(m_folder).filePath(name);
        EXPECT_TRUE(Write(path, Cp932::Encode(text)));
        return path;
    }
    QStringList Dump(const QString& table)
    {
        CCDSData request, result;
        request.m_strTable = table;
        request.m_strCondition = QStringLiteral("ORDER BY ID");
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1);
        QStringList rows;
        for (int i = 0; i < result.GetCount(); ++i) {
            QStringList cells;
            for (int f = 0; f < result.GetAt(i)->GetCount(); ++f)
                cells << result.GetAt(i)->GetAt(f)->GetText();
            rows << cells.join(u'|');
        }
        return rows;
    }
    QString Field(const QString& table, const QString& code, const QString& field)
    {
        CCDSData request, result;
        request.m_strTable = table;
        request.m_strCondition =
            QStringLiteral("WHERE %1Code='%2'")
                .arg(table == QLatin1String("Item") ? QStringLiteral("Item") : table, code);
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1);
        if (result.GetCount() != 1)
            return QStringLiteral("<%1 rows>").arg(result.GetCount());
        return result.GetAt(0)->GetOneField(QString(), field)->GetText();
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    CMakeMsgID m_data;
    QString m_folder;
};

// ---- record building ----------------------------------------------------------

TEST_F(MasterImportTest, FieldValuesByClassAndKind)
{
    const struct {
        int kind;
        const char* name;
        const char* text;
        const char* shown;
    } cases[] = {
        {1, "TaxFlg", "1", "3:1"},
        {1, "TaxFlg", "非課税", "3:0"}, // the word of the field
        {2, "TaxType", "内税", "3:4"},  // not 0 ("no tax") as atoi would give
        {2, "TaxType", "1:請求時", "3:1"},
        {2, "TaxType", "たぶん", "null"}, // neither: refused by the library
        {2, "TaxType", "", "null"},
        {3, "BankFee", "1", "3:1"},
        {2, "BankFee", "1", "null"}, // a supplier field for a customer
        {1, "YobiInt", "42abc", "3:42"},
        {1, "Price", "1,234.5", "2:1234.5"},
        {1, "Price", "", "null"},
        {2, "Percent", "80", "2:80"},
        {2, "CustomerCode", "\u3000", "null"}, // a full-width blank code
        {2, "CustomerCode", "", "0:"},
        {3, "SupplierCode", " S1", "0: S1"},
        {2, "Company", "会社", "0:会社"},
        {1, "Company", "x", "null"}, // unknown for products
        {2, "Nonsense", "x", "null"},
        {2, "", "x", "-"},
    };
    for (const auto& c : cases) {
        const CMasterImport import(*CMasterKind::OfNumber(c.kind));
        EXPECT_EQ(Show(import.MakeFieldValue(QLatin1String(c.name), U(c.text), 0)), U(c.shown))
            << c.kind << ' ' << c.name << ' ' << c.text;
    }
    // A number naming no ledger makes no import at all.
    EXPECT_EQ(CMasterKind::OfNumber(0), nullptr);
    const CMasterImport customers(CMasterKind::Customers());
    EXPECT_EQ(Show(customers.MakeFieldValue(QStringLiteral("Company"), QString(), 1)), QStringLiteral("-"))
        << "an empty ContactXML value makes no field";
    EXPECT_EQ(Show(customers.MakeFieldValue(QStringLiteral("TaxType"), QStringLiteral("4"), 1)),
              QStringLiteral("null"))
        << "ContactXML translates words only";

    // 300 bytes are cut to 256 at a character boundary.
    const QString text = QString(149, u'あ') + QStringLiteral("ab");
    const auto cut = customers.MakeFieldValue(QStringLiteral("Memo"), QStringLiteral("x") + text, 0);
    ASSERT_TRUE(cut);
    EXPECT_EQ(Cp932::ByteLength(cut->GetText()), 255);
    EXPECT_TRUE(cut->GetText().endsWith(u'あ'));
}

TEST_F(MasterImportTest, TextHelpers)
{
    QString text = QStringLiteral("a\nb\r\nc\n");
    NormalizeLineBreaks(text);
    EXPECT_EQ(text, QStringLiteral("a\r\nb\r\nc\r\n"));
    QString mixed = QStringLiteral("ab") + U("漢字");
    TruncateBytes(mixed, 5);
    EXPECT_EQ(mixed, QStringLiteral("ab") + U("漢"));
    TruncateBytes(mixed, 100);
    EXPECT_EQ(mixed, QStringLiteral("ab") + U("漢"));
    const CTb empty = MakeTextField(QStringLiteral("Item.Unit"));
    EXPECT_FALSE(empty.IsNull());
    EXPECT_EQ(empty.GetText(), QString());
    EXPECT_EQ(GetOtherFolder(), QDir(m_folder).filePath(QStringLiteral("Other")) + u'/');
}

TEST_F(MasterImportTest, CompletionOrderAndDefaultsPerKind)
{
    ASSERT_TRUE(WriteDefaultValues(m_folder,
                                   {QStringLiteral("CLOSEDAY.AUT"), QStringLiteral("COLLECTTYPE.AUT")},
                                   {QStringLiteral("20"), U("手形")}));
    m_ui.Clock().Set(QDateTime(QDate(2025, 6, 7), QTime(8, 9, 10)));
    const auto names = [](const COneRecord& r) {
        QStringList out;
        for (int i = 0; i < r.GetCount(); ++i)
            out << r.GetAt(i)->GetName().section(u'.', 1) + u'=' +
                       (r.GetAt(i)->IsNull() ? QStringLiteral("null") : r.GetAt(i)->GetText());
        return out.join(u' ');
    };

    CMasterImport customers(CMasterKind::Customers());
    customers.SetMakeMsgID(&m_data);
    COneRecord customer;
    customer.AddField(*customers.MakeFieldValue(QStringLiteral("CustomerCode"), U("\u3000"), 0));
    customer.AddField(*customers.MakeFieldValue(QStringLiteral("Collect"), QString(), 0));
    EXPECT_EQ(customers.SetDefaultHonorific(&customer), 1);
    customers.CompleteRecord(&customer);
    EXPECT_EQ(
        names(customer),
        U("CustomerCode=null Collect=0 Keisho2=様 ID=0 StartDate=2025/06/07 08:09:10 LastUpdate=2025/06/07 "
          "08:09:10 "
          "Class1= Class2= Class3= Class4= Class5= TaxType=2 Day=20 TaxRoundType=1 RoundType=1 Percent=100 "
          "CollectCycle=2 CollectDay=99 CollectType=手形 Ceiling=0 Company= Section= Name= Keisho= "
          "PhoenicCompany= PhoenicPerson= Zip= Address= TEL= FAX= E-mail= OnesCode= MyPerson= Memo="));

    CMasterImport suppliers(CMasterKind::Suppliers());
    suppliers.SetMakeMsgID(&m_data);
    COneRecord supplier;
    supplier.AddField(*suppliers.MakeFieldValue(QStringLiteral("Keisho"), QString(), 0));
    EXPECT_EQ(suppliers.SetDefaultHonorific(&supplier), 0) << "an empty honorific column counts";
    suppliers.CompleteRecord(&supplier);
    const QString s = names(supplier);
    EXPECT_FALSE(s.contains(QStringLiteral("Percent"))) << s.toStdString();
    EXPECT_FALSE(s.contains(QStringLiteral("Ceiling")));
    EXPECT_TRUE(s.endsWith(QStringLiteral(
        "Memo= Bank= BankCode= BankBranch= BankBranchCode= BankNumber= BankOnesName= BankOnesPhoenic=")));

    CMasterImport items(CMasterKind::Items());
    items.SetMakeMsgID(&m_data);
    for (const auto& [type, stock] :
         {std::pair{"2", "StockType=0"}, std::pair{"1", "StockType=1"}, std::pair{"", "StockType=1"}}) {
        COneRecord item;
        if (*type)
            item.AddField(*items.MakeFieldValue(QStringLiteral("ItemType"), QLatin1String(type), 0));
        EXPECT_EQ(items.SetDefaultHonorific(&item), 0);
        items.CompleteRecord(&item);
        EXPECT_TRUE(names(item).contains(QLatin1String(stock))) << type;
        if (!*type) {
            EXPECT_EQ(names(item),
                      QStringLiteral("ID=0 StartDate=2025/06/07 08:09:10 LastUpdate=2025/06/07 08:09:10 "
                                     "Class1= Class2= Class3= Class4= Class5= ItemType=1 TaxFlg=1 Price=0 "
                                     "TaxFlg2=1 Cost=0 FixPrice=0 StockType=1 StockNumber=0 "
                                     "StockJustNumber=0 SetItem=0 ItemName= Phoenic= JANCode= Unit= "
                                     "Remarks= SupplierCode= TaxFlgYobi1=1 TaxFlgYobi2=1 YobiInt=0"));
        }
    }
    EXPECT_EQ(items.SetDefaultHonorific(nullptr), -1);
}

TEST_F(MasterImportTest, DefaultValuesFromTheConditionFiles)
{
    CMasterImport missing(CMasterKind::Customers());
    missing.SetMakeMsgID(&m_data);
    // Without saved conditions the import takes those the settings dialog shows.
    EXPECT_EQ(Show(missing.GetDefaultValue(1)), QStringLiteral("3:99"));
    EXPECT_EQ(Show(missing.GetDefaultValue(9)), QStringLiteral("0:") + U("現金"));
    EXPECT_EQ(Show(missing.GetDefaultValue(10)), QStringLiteral("-"));
    EXPECT_EQ(Show(missing.GetDefaultValue(-1)), QStringLiteral("-"));
    EXPECT_EQ(CMasterKind::OfNumber(4), nullptr); // no import, so no defaults

    ASSERT_TRUE(
        WriteDefaultValues(m_folder,
                           {QStringLiteral("CLOSEDAY.AUT"), QStringLiteral("TAXTYPE.AUT"),
                            QStringLiteral("COLLECTDAY.AUT"), QStringLiteral("COLLECTTYPE.AUT")},
                           {QStringLiteral("15"), QStringLiteral("0"), QStringLiteral("10"), U("相殺")}));
    CMasterImport saved(CMasterKind::Customers());
    saved.SetMakeMsgID(&m_data);
    EXPECT_EQ(Show(saved.GetDefaultValue(0)), QStringLiteral("3:0"));
    EXPECT_EQ(Show(saved.GetDefaultValue(1)), QStringLiteral("3:15"));
    EXPECT_EQ(Show(saved.GetDefaultValue(4)), QStringLiteral("2:100"));
    EXPECT_EQ(Show(saved.GetDefaultValue(6)), QStringLiteral("3:10"));
    EXPECT_EQ(Show(saved.GetDefaultValue(9)), QStringLiteral("0:") + U("相殺"));
    EXPECT_EQ(saved.GetDefaultValue(1)->GetName(), QStringLiteral("Customer.Day"));
}

// ---- pairing ------------------------------------------------------------------

TEST_F(MasterImportTest, PairingRulesAndTheirRefusals)
{
    const CImportRows rows{
        {QString(), QStringLiteral("F1"), QStringLiteral("F2"), QStringLiteral("F3")},
        {QStringLiteral("1"), QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("2"), QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e")}};
    CImportFieldMapRules map(CMasterKind::Customers(), &rows);
    ASSERT_TRUE(map.OnInitDialog());
    ASSERT_EQ(map.m_columns.size(), 3) << "the longer sample line counts";
    EXPECT_EQ(map.m_columns[2].samples[0], QString());
    EXPECT_EQ(map.m_columns[2].samples[1], QStringLiteral("e"));
    QStringList offered;
    for (int i = 0; i < map.m_offered.size(); ++i)
        offered << map.OfferedField(i)->m_strField;
    for (const char* hidden :
         {"ID", "StartDate", "LastUpdate", "Company_Section_Name", "PhoenicCompany_PhoenicPerson", "Address"})
        EXPECT_FALSE(offered.contains(QLatin1String(hidden))) << hidden;
    const qsizetype a1 = offered.indexOf(QStringLiteral("Address1"));
    ASSERT_GE(a1, 0);
    EXPECT_EQ(offered.mid(a1, 3), QStringList({"Address1", "Address2", "Address3"}));
    EXPECT_EQ(map.OfferedField(int(a1) + 1)->m_strCaption, U("住所２"));

    // Refusals in their order.
    map.m_nSelField = -1;
    map.m_nSelColumn = -1;
    EXPECT_FALSE(map.MapSelected());
    map.SelectField(QStringLiteral("Company"));
    EXPECT_FALSE(map.MapSelected());
    EXPECT_TRUE(map.Pair(0, QStringLiteral("Company")));
    EXPECT_EQ(map.SelectField(QStringLiteral("Company")), -1) << "a paired field leaves the list";
    EXPECT_FALSE(map.Pair(0, QStringLiteral("Name")));
    map.m_nSelField = -1;
    EXPECT_FALSE(map.MapSelected()) << "without a field the field message comes first";
    map.m_nSelColumn = 1;
    EXPECT_FALSE(map.UnmapSelected());
    map.m_nSelColumn = 0;
    EXPECT_TRUE(map.UnmapSelected());
    EXPECT_GE(map.SelectField(QStringLiteral("Company")), 0);
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList({U("対応付ける列を選択してください。"), U("対応付けるデータを選択してください。"),
                           U("このデータは既に対応付けられています。\n他の列と対応付ける場合、一旦対応付けを"
                             "解除してから行なってください。"),
                           U("対応付ける列を選択してください。"),
                           U("このデータは対応付けられていません。対応付けを解除できません。")}));
    EXPECT_EQ(map.OnSelchangeFieldList(),
              U("全角50文字（半角100文字）。これを超えるデータは切り捨てられます。"));
    EXPECT_EQ(ImportFieldDescription(CMasterKind::Suppliers(), QStringLiteral("SupplierCode")),
              ImportFieldDescription(CMasterKind::Customers(), QStringLiteral("CustomerCode")));
    EXPECT_EQ(ImportFieldDescription(CMasterKind::Customers(), QStringLiteral("SupplierCode")), QString());
    EXPECT_EQ(ImportFieldDescription(CMasterKind::Items(), QStringLiteral("Company")), QString());

    // "完了": nothing paired; then no code: Yes, settings cancelled keeps the code selected.
    m_ui.Prompt().Clear();
    CScriptedExchangeDialogs dialogs;
    EXPECT_FALSE(map.OnOK());
    ASSERT_TRUE(map.Pair(0, QStringLiteral("Company")));
    m_ui.Prompt().QueueAnswers({IDYES});
    dialogs.QueueCounterSet([](int) { return int(IDCANCEL); });
    EXPECT_FALSE(map.OnOK());
    EXPECT_EQ(map.m_nSelField, map.m_nTopField);
    EXPECT_EQ(map.OfferedField(map.m_nSelField)->m_strField, QStringLiteral("CustomerCode"));
    m_ui.Prompt().QueueAnswers({IDNO});
    EXPECT_FALSE(map.OnOK());
    // Yes and OK: numbered codes; two address parts ask the join with 1 enabled only.
    ASSERT_TRUE(map.Pair(1, QStringLiteral("Address1")));
    ASSERT_TRUE(map.Pair(2, QStringLiteral("Address3")));
    m_ui.Prompt().QueueAnswers({IDYES});
    dialogs.QueueAddressJoin([](CAddressJoinRules& join) {
        join.m_bBreakAfterAddress1 = 1;
        return int(IDOK);
    });
    EXPECT_TRUE(map.OnOK());
    EXPECT_EQ(map.m_bAutoNumber, 1);
    EXPECT_EQ(map.m_bBreakAfterAddress1, 1);
    EXPECT_EQ(dialogs.Log(), QStringList({"CounterSet 100 -> IDCANCEL", "CounterSet 100 -> IDOK",
                                          "AddressJoin 10 -> IDOK"}));
    ASSERT_EQ(map.m_resultSet.m_cols.size(), 3);
    EXPECT_EQ(map.m_resultSet.m_cols[2].m_strField, QStringLiteral("Address3"));
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList({U("項目が一つも対応付けられていません。"),
                                                  U("得意先コードが対応付けられていません。\n得意先コードに自"
                                                    "動連番をふって、データをよみこみますか？"),
                                                  U("得意先コードが対応付けられていません。\n得意先コードに自"
                                                    "動連番をふって、データをよみこみますか？"),
                                                  U("得意先コードが対応付けられていません。\n得意先コードに自"
                                                    "動連番をふって、データをよみこみますか？")}));

    // Products: no numbering offered.
    m_ui.Prompt().Clear();
    CImportFieldMapRules items(CMasterKind::Items(), &rows);
    ASSERT_TRUE(items.OnInitDialog());
    ASSERT_TRUE(items.Pair(0, QStringLiteral("ItemName")));
    EXPECT_FALSE(items.OnOK());
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList{U("品番が対応付けられていません。\n品番のないデータは読み込むことが出来ません。")});
    EXPECT_EQ(items.m_offered.contains(items.m_fieldSet.IndexOf(QStringLiteral("SetItem"))), false);
}

// ---- refused records ------------------------------------------------------------

TEST_F(MasterImportTest, RefusedRowsListAndReport)
{
    CCDSData refused;
    COneRecord* r = refused.AddNew();
    r->SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("C9"));
    r->SetField(QStringLiteral("Customer.Company"), U("甲社"));
    r->SetField(QStringLiteral("Customer.Day"), 30);
    r->SetField(QLatin1String(kImportRowField), QStringLiteral("4"));
    r->SetField(QStringLiteral("ErrField"), U("Customer.Day、Customer.Nothing、Customer.CollectType"));
    r = refused.AddNew();
    r->SetField(QStringLiteral("Customer.Company"), U("乙社"));
    r->SetField(QLatin1String(kImportRowField), QStringLiteral("7"));
    r->SetField(QStringLiteral("ErrField"), QStringLiteral("Customer.CustomerCode"));

    CImportErrorRules open(CMasterKind::Customers(), 0, 1, 5);
    open.m_pRefused = &refused;
    open.OnInitDialog();
    EXPECT_EQ(open.m_strCaption, U("読み込みできないデータがありました（5件中2件）"));
    EXPECT_TRUE(open.m_bCommitShown);
    EXPECT_TRUE(
        open.m_strNote.endsWith(U("\n※既存データとコードが重複するデータは読み込むことができません。")));
    EXPECT_EQ(open.m_headers,
              QStringList({U("行"), U("コード"), U("会社名"), U("部署名"), U("名前"), U("不正な値の項目")}));
    ASSERT_EQ(open.m_rows.size(), 2);
    EXPECT_EQ(open.m_rows[0].last(), U("項目「締日、入金方法」の内容に問題があります。"));

    const QByteArray golden = Cp932::Encode(U("4,C9,甲社,,,項目「締日、入金方法」の内容に問題があります。\r\n"
                                              "7,,乙社,,,項目「コード」の内容に問題があります。\r\n"));
    const QString path = QDir(m_folder).filePath(QStringLiteral("report.txt"));
    ASSERT_TRUE(Write(path, QByteArray(5000, 'x')));
    m_ui.Prompt().QueueFiles({path, path});
    open.OnWriteFile();
    EXPECT_EQ(Cp932::Decode(Read(path)), Cp932::Decode(golden));
    EXPECT_EQ(Read(path), golden);
    open.OnWriteFile();
    EXPECT_EQ(Read(path), golden) << "written again, replaced";
    m_ui.Prompt().QueueFiles({QDir(m_folder).filePath(QStringLiteral("no/such/folder/r.txt"))});
    open.OnWriteFile();
    EXPECT_EQ(m_ui.Prompt().Texts().last(), U("ファイルを作成できませんでした。"));
    EXPECT_EQ(m_ui.Prompt().Texts()[1], path + U("に、\n読み込みできないデータの情報を書き出しました。"));

    CImportErrorRules closed(CMasterKind::Items(), 1, 0, 3);
    CCDSData items;
    r = items.AddNew();
    r->SetField(QStringLiteral("Item.ItemCode"), QStringLiteral("P1"));
    r->SetField(QStringLiteral("ErrField"), QStringLiteral("Item.TaxFlg"));
    closed.m_pRefused = &items;
    closed.OnInitDialog();
    EXPECT_EQ(closed.m_strCaption, U("読み込みできません（3件中1件）"));
    EXPECT_FALSE(closed.m_bCommitShown);
    EXPECT_EQ(closed.m_strCancelText, U("閉じる"));
    EXPECT_EQ(closed.m_strPrompt, U("データを読み込むことができませんでした。"));
    EXPECT_EQ(closed.m_strNote, U("※コードなどの必須項目がないデータは読み込むことが出来ません。"));
    EXPECT_EQ(closed.m_headers, QStringList({U("行"), U("品番"), U("品名"), U("不正な値の項目")}));
    EXPECT_EQ(closed.m_lines, QStringList{U(",P1,,項目「売価課税区分」の内容に問題があります。")});
}

// A refused text says which characters code page 932 cannot hold, by field
// and code point, in the words the entry dialogs use: in the list and in
// the report written from it (where the character itself becomes "?").
TEST_F(MasterImportTest, RefusedTextsNameTheirCharacters)
{
    const struct {
        const char* what;
        int kind;
        QList<std::pair<const char*, QString>> fields; // "Table.Field", text
        const char* errField;
        const char* said;
    } cases[] = {
        {"an emoji in the company",
         2,
         {{"Customer.CustomerCode", "C1"}, {"Customer.Company", U("株式会社😀")}},
         "Customer.Company",
         "項目「会社名」の内容に問題があります。会社名に使用できない文字「😀」(U+1F600) が含まれています。"},
        {"an accented letter in the company",
         2,
         {{"Customer.CustomerCode", "C1"}, {"Customer.Company", U("Taquería")}},
         "Customer.Company",
         "項目「会社名」の内容に問題があります。会社名に使用できない文字「í」(U+00ED) が含まれています。"},
        {"two fields, several characters",
         3,
         {{"Supplier.SupplierCode", "S1"}, {"Supplier.Section", U("Café🍣é")}, {"Supplier.Name", U("í")}},
         "Supplier.Section、Supplier.Name",
         "項目「部署名、名前」の内容に問題があります。"
         "部署名に使用できない文字「é🍣」(U+00E9, U+1F363) が含まれています。"
         "名前に使用できない文字「í」(U+00ED) が含まれています。"},
        {"the code and the company",
         2,
         {{"Customer.CustomerCode", U("C😀")}, {"Customer.Company", U("í")}},
         "Customer.CustomerCode、Customer.Company",
         "項目「コード、会社名」の内容に問題があります。コードに使用できない文字「😀」(U+1F600) "
         "が含まれています。"
         "会社名に使用できない文字「í」(U+00ED) が含まれています。"},
        {"a product's name",
         1,
         {{"Item.ItemCode", "P1"}, {"Item.ItemName", U("お茶😀")}},
         "Item.ItemName",
         "項目「品名」の内容に問題があります。品名に使用できない文字「😀」(U+1F600) が含まれています。"},
        {"a zero character and an escape in the company",
         2,
         {{"Customer.CustomerCode", "C1"}, {"Customer.Company", U("A") + QChar(0) + U("B\x1B")}},
         "Customer.Company",
         "項目「会社名」の内容に問題があります。会社名に使用できない制御文字(U+0000, U+001B) "
         "が含まれています。"},
        {"an emoji and a control character of the second range",
         3,
         {{"Supplier.SupplierCode", "S1"}, {"Supplier.Name", U("\u0085😀")}},
         "Supplier.Name",
         "項目「名前」の内容に問題があります。名前に使用できない文字「😀」(U+1F600) と制御文字(U+0085) "
         "が含まれています。"},
        {"line breaks and a tab are no control characters here",
         2,
         {{"Customer.CustomerCode", "C1"}, {"Customer.Memo", U("a\r\nb\tc")}},
         "Customer.Memo",
         "項目「メモ」の内容に問題があります。"},
        {"a text that code page 932 holds, refused for another reason",
         2,
         {{"Customer.CustomerCode", "C1"}, {"Customer.CollectType", U("小切手")}},
         "Customer.CollectType",
         "項目「入金方法」の内容に問題があります。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CCDSData refused;
        COneRecord* r = refused.AddNew();
        r->SetField(QLatin1String(kImportRowField), QStringLiteral("2"));
        for (const auto& [field, text] : c.fields)
            r->SetField(QLatin1String(field), text);
        r->SetField(QStringLiteral("ErrField"), U(c.errField));
        const CMasterKind& kind = *CMasterKind::OfNumber(c.kind);
        const QList<CImportRefusal> kept{MakeImportRefusal(kind, *r, U(c.errField))};
        // As the import keeps its refusals and as a list of refused records.
        CImportErrorRules fromRefusals(kind, 0, 1, 1), fromRecords(kind, 0, 1, 1);
        fromRefusals.m_pRefusals = &kept;
        fromRecords.m_pRefused = &refused;
        for (CImportErrorRules* rules : {&fromRefusals, &fromRecords}) {
            rules->OnInitDialog();
            ASSERT_EQ(rules->m_rows.size(), 1);
            EXPECT_EQ(rules->m_rows[0].last(), U(c.said));
        }
        const QString path = QDir(m_folder).filePath(QStringLiteral("refused.txt"));
        ASSERT_TRUE(fromRecords.WriteReport(path));
        EXPECT_EQ(Read(path), Cp932::Encode(fromRecords.m_lines.first()) + "\r\n");
        // The code points stay readable where the characters cannot.
        EXPECT_EQ(Cp932::Decode(Read(path)).count(u"(U+"), U(c.said).count(u"(U+"));
    }
}

// A refused code says what is wrong with it: a character the file cannot
// hold, a space, its length; a missing or already registered code the item.
TEST_F(MasterImportTest, RefusedCodeSaysWhatIsWrong)
{
    const QString item = U("項目「コード」の内容に問題があります。");
    const struct {
        int kind;
        QString code; // null: no code field
        QString errField;
        QString said;
    } cases[] = {
        {2, U("A 1"), "CustomerCode", item + U("コードにはスペースを含めることはできません。")},
        {2, U("Ａ\u30001"), "CustomerCode", item + U("コードにはスペースを含めることはできません。")},
        {2, U(" A1"), "CustomerCode", item + U("コードにはスペースを含めることはできません。")},
        {2, QString(21, u'9'), "CustomerCode", item + U("コードは20バイトまでです。")},
        {2, U("得意先一二三四五六七八"), "CustomerCode", item + U("コードは20バイトまでです。")},
        {2, QString(20, u'9'), "CustomerCode", item},
        {2, U("C😀1"), "CustomerCode", item + U("コードに使用できない文字「😀」(U+1F600) が含まれています。")},
        {2, U("C1") + QChar(0), "CustomerCode",
         item + U("コードに使用できない制御文字(U+0000) が含まれています。")},
        {2, QString(), "CustomerCode", item},
        {2, U("\u3000"), "CustomerCode", item},
        {2, U("A 1"), "Day", U("項目「締日」の内容に問題があります。")},
        {3, U("S 1"), "SupplierCode", item + U("コードにはスペースを含めることはできません。")},
        {1, QString(101, u'P'), "ItemCode",
         U("項目「品番」の内容に問題があります。品番は100バイトまでです。")},
    };
    for (const auto& c : cases) {
        const QString table = c.kind == 1 ? U("Item") : c.kind == 2 ? U("Customer") : U("Supplier");
        const QString codeField = c.kind == 1   ? U("ItemCode")
                                  : c.kind == 2 ? U("CustomerCode")
                                                : U("SupplierCode");
        CCDSData refused;
        COneRecord* r = refused.AddNew();
        if (!c.code.isNull())
            r->SetField(table + u'.' + codeField, c.code);
        r->SetField(QStringLiteral("ErrField"), table + u'.' + c.errField);
        CImportErrorRules rules(*CMasterKind::OfNumber(c.kind), 0, 1, 1);
        rules.m_pRefused = &refused;
        rules.OnInitDialog();
        ASSERT_EQ(rules.m_rows.size(), 1);
        EXPECT_EQ(rules.m_rows[0].last(), c.said) << c.code.toStdString();
    }
}

} // namespace
