#include "exchange/ListExport.h"
#include "app/AppHome.h"
#include "exchange/ExcelApp.h"
#include "exchange/ExchangeDialogs.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/Record.h"
#include "platform/office/ContactXml.h"
#include "platform/text/Cp932.h"
#include "platform/ui/FakeUi.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

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

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

CQXColSet Columns(const QList<QPair<const char*, const char*>>& fields)
{
    CQXColSet set;
    for (const auto& [field, caption] : fields)
        set.m_cols << CQXCol(QString::fromUtf8(field), QString::fromUtf8(caption), 80, 0, 1);
    return set;
}

// A customer as the list holds it.
void AddCustomer(CCDSData& data, const QString& code, const QString& company, int day, int cycle, int tax)
{
    COneRecord* r = data.AddNew();
    r->SetField(QStringLiteral("Customer.CustomerCode"), code);
    r->SetField(QStringLiteral("Customer.Company"), company);
    r->SetField(QStringLiteral("Customer.CollectDay"), day);
    if (cycle >= 0)
        r->SetField(QStringLiteral("Customer.CollectCycle"), cycle);
    r->SetField(QStringLiteral("Customer.TaxType"), tax);
    r->SetField(QStringLiteral("Customer.Ceiling"), CMny(12345, 1));
    r->SetField(QStringLiteral("Customer.StartDate"), QDate(2024, 2, 29));
}

class ListExportTest : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(m_home.IsReady()); }
    void TearDown() override
    {
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
        EXPECT_EQ(m_dialogs.Pending(), 0);
    }
    QString Path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    CScriptedExchangeDialogs m_dialogs;
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ListExportTest, RowsCarryCodedWordsTheCollectionDayAndColumnTypes)
{
    CCDSData data;
    AddCustomer(data, QStringLiteral("C1"), U("甲商事"), 99, 1, 4);
    AddCustomer(data, QStringLiteral("C2"), U("乙"), 99, 0, 1);
    AddCustomer(data, QStringLiteral("C3"), U("丙"), 25, -1, 0);
    CListExport exporter(CMasterKind::Customers());
    const CQXColSet columns = Columns({{"CustomerCode", "コード"},
                                       {"CollectDay", "回収日"},
                                       {"TaxType", "税"},
                                       {"Ceiling", "与信"},
                                       {"StartDate", "開始"},
                                       {"Memo", "メモ"}});
    QList<int> types;
    ASSERT_EQ(exporter.BuildRows(&data, &types, &columns), 1);
    EXPECT_EQ(exporter.m_rows.value(0),
              QStringList({U("コード"), U("回収日"), U("税"), U("与信"), U("開始"), U("メモ")}));
    EXPECT_EQ(exporter.m_rows.value(1),
              QStringList({"C1", U("99:月末"), U("4:内税"), "1234.5", "2024/02/29", ""}));
    EXPECT_EQ(exporter.m_rows.value(2).mid(0, 2), QStringList({"C2", U("99:99日")}));
    EXPECT_EQ(exporter.m_rows.value(3).mid(0, 2), QStringList({"C3", U("25:25日")}));
    EXPECT_EQ(types, QList<int>({0, 3, 3, 2, 1, 4}));
    EXPECT_EQ(exporter.m_codes, QStringList({"C1", "C2", "C3"}));

    // The report lists name no table: bare field names.
    CCDSData report;
    report.AddNew()->SetField(QStringLiteral("金額"), CMny(100));
    CListExport reportExport = CListExport::ForReportList(7);
    const CQXColSet reportColumns = Columns({{"金額", "金額"}});
    ASSERT_EQ(reportExport.BuildRows(&report, &types, &reportColumns), 1);
    EXPECT_EQ(reportExport.m_rows.value(1), QStringList({"100"}));
    EXPECT_EQ(reportExport.BuildRows(&report, &types, nullptr), 2);
    EXPECT_EQ(m_ui.Prompt().Texts().value(0), U("書き出す列が不明です。"));
}

TEST_F(ListExportTest, CsvBytesAndTheOldFileKeptOnEveryFailure)
{
    CListExport exporter(CMasterKind::Customers());
    exporter.m_rows = {{U("コード"), U("名前")}, {"A\"1", U("表\r\n記")}, {"", ""}, {}};
    exporter.m_codes = {"A\"1", "", ""};
    exporter.m_strPath = Path("out.csv");
    ASSERT_EQ(exporter.ExportCSV(), 1);
    const QByteArray expected = QByteArray("\"") + Cp932::Encode(U("コード")) + "\",\"" +
                                Cp932::Encode(U("名前")) + "\"\r\n\"A\"\"1\",\"" + Cp932::Encode(U("表")) +
                                "\r\n" + Cp932::Encode(U("記")) + "\"\r\n\"\",\"\"\r\n\r\n";
    EXPECT_EQ(FileBytes(exporter.m_strPath), expected);
    EXPECT_EQ(CListExport::CsvQuote(QStringLiteral("a\"\"b")), QStringLiteral("a\"\"\"\"b"));

    // A character without a CP932 form stops the export before writing and
    // names the character and the record.
    exporter.m_rows[1][1] = U("髙🍣");
    exporter.m_rows[2][1] = U("€");
    exporter.m_codes = {"A1", "B2", ""};
    EXPECT_EQ(exporter.ExportCSV(), 2);
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList{U("名前に使用できない文字「🍣」(U+1F363) が含まれています。\nコード：A1")});
    EXPECT_EQ(FileBytes(exporter.m_strPath), expected);

    // A write that fails half-way (the file-size limit of the process) keeps
    // the old file whole.
    m_ui.Prompt().Clear();
    exporter.m_rows = {{QString(5000, u'x')}};
    struct rlimit old {
    };
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = exporter.ExportCSV();
    const int xmlResult =
        CContactXmlConv().ExportContactXML(Path("out.csv"), {{"", "Memo"}, {"", QString(5000, u'x')}});
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(xmlResult, 2);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("ファイル操作中にエラーが発生しました。")});
    EXPECT_EQ(FileBytes(exporter.m_strPath), expected);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"out.csv"}) << "no temporary file left";

    m_ui.Prompt().Clear();
    exporter.m_strPath = Path("missing/out.csv");
    EXPECT_EQ(exporter.ExportCSV(), 2);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("ファイルを作成できませんでした。")});
}

TEST_F(ListExportTest, ExportDialogsPerKindWithTheirCancelResults)
{
    CCDSData data;
    AddCustomer(data, QStringLiteral("C1"), U("甲\"商事"), 20, 1, 4);

    // Nothing to write: said at once, nothing asked.
    CCDSData none;
    EXPECT_EQ(CListExport(CMasterKind::Customers()).Export(&none, 1, 1, 1), 2);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("書き出すデータがありません")});
    EXPECT_TRUE(m_dialogs.Log().isEmpty());

    // Customers offer contact XML (mode 1), products not (mode 3); each
    // cancel ends the export with 2 and writes nothing.
    m_dialogs.QueueImportFormat([](CImportFormatRules&) { return int(IDCANCEL); });
    EXPECT_EQ(CListExport(CMasterKind::Customers()).Export(&data, 1, 1, 1), IDCANCEL);
    m_dialogs.QueueFormatChoice(CImportFormatRules::kText);
    EXPECT_EQ(CListExport(CMasterKind::Items()).Export(&data, 1, 1, 1), IDCANCEL) << "save picker cancelled";
    m_dialogs.QueueFormatChoice(CImportFormatRules::kText);
    m_ui.Prompt().QueueFiles({Path("c.csv")});
    m_dialogs.QueueColumnSet([](CColumnSetRules&) { return int(IDCANCEL); });
    EXPECT_EQ(CListExport(CMasterKind::Customers()).Export(&data, 1, 1, 1), IDCANCEL);
    EXPECT_FALSE(QFile::exists(Path("c.csv")));

    // The whole way to a CSV file with two chosen columns.
    m_dialogs.QueueFormatChoice(CImportFormatRules::kText);
    m_ui.Prompt().QueueFiles({Path("c.csv")});
    m_dialogs.QueueColumnSet([](CColumnSetRules& rules) {
        if (!rules.GetLeftCaptions().isEmpty())
            rules.MoveAllToRight();
        for (int pick : {0, 0}) { // the first two factory columns, in order
            rules.SelectRight(pick);
            rules.MoveToLeft();
        }
        return int(IDOK);
    });
    EXPECT_EQ(CListExport(CMasterKind::Customers()).Export(&data, 1, 1, 1), 1);
    const QStringList lines = Cp932::Decode(FileBytes(Path("c.csv"))).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.value(1).count(u','), 1) << lines.join(u'\n').toStdString();

    // Contact XML skips the column dialog.
    m_dialogs.QueueFormatChoice(CImportFormatRules::kContactXml);
    m_ui.Prompt().QueueFiles({Path("c.xml")});
    EXPECT_EQ(CListExport(CMasterKind::Customers()).Export(&data, 1, 1, 1), 1);
    EXPECT_TRUE(QFile::exists(Path("c.xml")));
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("書き出すデータがありません")});

    EXPECT_EQ(m_dialogs.Log(),
              QStringList({"ImportFormat 1 -> IDCANCEL", "ImportFormat 3 -> IDOK", "ImportFormat 1 -> IDOK",
                           "ColumnSet 2 0 -> IDCANCEL", "ImportFormat 1 -> IDOK", "ColumnSet 2 2 -> IDOK",
                           "ImportFormat 1 -> IDOK"}));
    QStringList filters;
    for (const CPickerCall& call : m_ui.Prompt().PickerCalls())
        filters << call.filter;
    EXPECT_EQ(
        filters,
        QStringList({U("ﾃｷｽﾄﾌｧｲﾙ(*.csv;*.txt)|*.csv; *.txt||"), U("ﾃｷｽﾄﾌｧｲﾙ(*.csv;*.txt)|*.csv; *.txt||"),
                     U("ﾃｷｽﾄﾌｧｲﾙ(*.csv;*.txt)|*.csv; *.txt||"), U("XML ﾌｧｲﾙ(*.xml)|*.xml||")}));
}

TEST_F(ListExportTest, WorkbookReadsBackAsTheRows)
{
    CCDSData data;
    AddCustomer(data, QStringLiteral("C1"), U("甲商事"), 99, 1, 4);
    AddCustomer(data, QStringLiteral("0012"), U("改\r\n行"), 10, 1, 1);
    CListExport exporter(CMasterKind::Customers());
    exporter.m_colSet = Columns({{"CustomerCode", "コード"},
                                 {"Company", "会社"},
                                 {"CollectDay", "回収日"},
                                 {"Ceiling", "与信"},
                                 {"StartDate", "開始"}});
    exporter.m_strPath = Path("book.xlsx");
    // Asking nothing but the file: Excel format, the columns set by the caller.
    m_ui.Prompt().QueueFiles({exporter.m_strPath});
    ASSERT_EQ(exporter.Export(&data, 0, 1, 0), 1);
    CExcelApp reader;
    reader.SetPath(exporter.m_strPath);
    CImportRows rows;
    ASSERT_EQ(reader.ReadSheet(&rows), 1);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[1].mid(1), exporter.m_rows[0]);
    EXPECT_EQ(rows[2].mid(1), QStringList({"C1", U("甲商事"), U("99:月末"), "1234.5", "2024/02/29"}));
    EXPECT_EQ(rows[3].mid(1, 2), QStringList({"0012", U("改\n行")})) << "codes stay text, CR goes";
}

TEST_F(ListExportTest, ContactXmlRoundTripBlocksAndHostileFiles)
{
    CCDSData data;
    AddCustomer(data, QStringLiteral("C1"), U("甲商事"), 99, 1, 4);
    data.GetAt(0)->SetField(QStringLiteral("Customer.Name"), U("山田 太郎"));
    data.GetAt(0)->SetField(QStringLiteral("Customer.Address"), U("東京都\r\n1-2 <&>"));
    data.GetAt(0)->SetField(QStringLiteral("Customer.TEL"), QStringLiteral("03-1111"));
    AddCustomer(data, QStringLiteral("C2"), QString(), 20, 0, 1);
    data.GetAt(1)->SetField(QStringLiteral("Customer.Name"), U("個人 花子"));
    data.GetAt(1)->SetField(QStringLiteral("Customer.Zip"), QStringLiteral("100-0001"));
    CListExport exporter(CMasterKind::Customers());
    exporter.m_strPath = Path("c.xml");
    ASSERT_EQ(exporter.ExportXML(&data), 1);
    EXPECT_EQ(exporter.m_rows.value(1).value(exporter.m_rows[0].indexOf("CollectDay")), U("月末"));
    EXPECT_EQ(exporter.m_rows.value(2).value(exporter.m_rows[0].indexOf("CollectDay")), U("20日"));

    CContactXmlConv conv;
    QList<QStringList> back{exporter.m_rows[0]};
    back[0] = back[0].mid(0, back[0].indexOf("StartDate")); // the import's header has no dates
    int hasCodes = -1;
    ASSERT_EQ(conv.ImportContactXML(exporter.m_strPath, CContactXmlConv::kCompany, hasCodes, back), 1);
    EXPECT_EQ(hasCodes, 1);
    ASSERT_EQ(back.size(), 3);
    for (int r = 1; r <= 2; ++r)
        EXPECT_EQ(back[r], exporter.m_rows[r].mid(0, back[0].size())) << r;
    CContactXmlConv::Survey survey;
    ASSERT_EQ(conv.SurveyContacts(exporter.m_strPath, QStringLiteral("CustomerCode"), survey), 1);
    EXPECT_FALSE(survey.bothBlocks);

    // A contact with both blocks: the choice decides; no codes are said.
    const QByteArray both =
        "<?xml version=\"1.0\"?><ContactXML version=\"1.1\"><ContactXMLItem>"
        "<Address><AddressItem locationType=\"Office\"><FullAddress>O</FullAddress></AddressItem>"
        "<AddressItem locationType=\"Home\"><FullAddress>H</FullAddress></AddressItem></Address>"
        "<Phone><PhoneItem locationType=\"Home\" phoneType=\"Phone\">9</PhoneItem></Phone>"
        "</ContactXMLItem></ContactXML>";
    WriteBytes(Path("both.xml"), both);
    ASSERT_EQ(conv.SurveyContacts(Path("both.xml"), QStringLiteral("CustomerCode"), survey), 1);
    EXPECT_TRUE(survey.bothBlocks);
    for (int block : {0, 1}) {
        QList<QStringList> rows{{"", "CustomerCode", "Address", "TEL"}};
        ASSERT_EQ(conv.ImportContactXML(Path("both.xml"), block, hasCodes, rows), 1);
        EXPECT_EQ(hasCodes, 0);
        EXPECT_EQ(rows.value(1),
                  block == 0 ? QStringList({"", "", "O", ""}) : QStringList({"", "", "H", "9"}));
    }

    const QList<QByteArray> hostile{
        "<ContactXML><ContactXMLItem>",
        "<?xml version=\"1.0\"?><!DOCTYPE ContactXML [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
        "<ContactXML><ContactXMLItem><Extension><ExtensionItem name=\"Memo\">&x;</ExtensionItem></Extension>"
        "</ContactXMLItem></ContactXML>",
        "<?xml version=\"1.0\"?><!DOCTYPE ContactXML [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
        "\"&a;&a;&a;&a;&a;&a;"
        "&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d "
        "\"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
        "<ContactXML><ContactXMLItem><Extension><ExtensionItem "
        "name=\"Memo\">&d;&d;&d;</ExtensionItem></Extension>"
        "</ContactXMLItem></ContactXML>",
        "<Other/>", ""};
    for (const QByteArray& bytes : hostile) {
        WriteBytes(Path("bad.xml"), bytes);
        QList<QStringList> rows{{"", "CustomerCode", "Memo"}};
        QString reason;
        EXPECT_EQ(conv.ImportContactXML(Path("bad.xml"), 0, hasCodes, rows, &reason), 2) << bytes.constData();
        EXPECT_EQ(rows.size(), 1);
        EXPECT_FALSE(reason.isEmpty());
    }
}
