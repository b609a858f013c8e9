#include "TestPaths.h"
#include "app/AppHome.h"
#include "app/ExchangePorts.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "exchange/ExcelApp.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/ExchangeModule.h"
#include "exchange/ListExport.h"
#include "exchange/MasterImport.h"
#include "master/MasterList.h"
#include "master/MasterModule.h"
#include "master/MasterView.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/office/AccessSource.h"
#include "platform/text/Cp932.h"
#include "platform/ui/ChoiceDlg.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/UiServices.h"
#include "resources/CommandIds.h"
#include "settings/CounterInfo.h"
#include "support/WaitWatching.h"
#include "support/XlsBytes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTableView>

#include <sqlite3.h>

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

// Pairs file columns with fields, in column order ("" leaves one out), and
// sets "１行目から読み込む".
CScriptedExchangeDialogs::MapScript Pairing(const QStringList& fields, int firstRow = 0)
{
    return [fields, firstRow](CImportFieldMapRules& rules) {
        for (int c = 0; c < fields.size(); ++c) {
            if (!fields[c].isEmpty() && !rules.Pair(c, fields[c]))
                return int(IDCANCEL);
        }
        rules.m_bReadFirstRow = firstRow;
        return int(IDOK);
    };
}

class MasterImportPipelineTest : public ::testing::Test
{
  public: // the shared steps below the fixture use it too
    void SetUp() override
    {
        ASSERT_TRUE(m_home.IsReady());
        m_folder = m_home.AddCurrentDatabase(U("本社"));
        ASSERT_FALSE(m_folder.isEmpty());
        QString err;
        ASSERT_EQ(m_data.Open(m_folder, err), 1) << err.toStdString();
    }
    void TearDown() override
    {
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
        EXPECT_EQ(m_dialogs.Pending(), 0);
    }

    QString Csv(const QString& text)
    {
        const QString path = QDir(m_folder).filePath(QStringLiteral("in%1.csv").arg(++m_nFiles));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Cp932::Encode(text));
        return path;
    }
    // Every customer and product row, as text.
    QStringList Dump()
    {
        QStringList rows;
        for (const char* table : {"Item", "Customer", "Supplier"}) {
            CCDSData request, result;
            request.m_strTable = QLatin1String(table);
            request.m_strCondition = QStringLiteral("ORDER BY ID");
            QString err;
            EXPECT_EQ(m_data.GetDataList(request, result, err), 1);
            for (int i = 0; i < result.GetCount(); ++i) {
                QStringList cells;
                for (int f = 0; f < result.GetAt(i)->GetCount(); ++f)
                    cells << result.GetAt(i)->GetAt(f)->GetText();
                rows << cells.join(u'|');
            }
        }
        return rows;
    }
    QString Get(const QString& sql)
    {
        CCDSData request, result;
        request.m_strCondition = sql;
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString();
        QStringList rows;
        for (int i = 0; i < result.GetCount(); ++i) {
            QStringList cells;
            for (int f = 0; f < result.GetAt(i)->GetCount(); ++f)
                cells << result.GetAt(i)->GetAt(f)->GetText();
            rows << cells.join(u'|');
        }
        return rows.join(u'\n');
    }
    int Run(const CMasterKind& kind)
    {
        CMasterImport import(kind);
        import.SetMakeMsgID(&m_data);
        return import.ImportFromFile();
    }
    // Queues the dialogs up to the mapping for a CSV file.
    void QueueCsv(const QString& path, CScriptedExchangeDialogs::MapScript map, int overwrite = 0,
                  CFakePrompt* prompt = nullptr)
    {
        m_dialogs.QueueImportConfirm([overwrite](int& o) {
            o = overwrite;
            return int(IDOK);
        });
        m_dialogs.QueueFormatChoice(CImportFormatRules::kText);
        (prompt ? *prompt : m_ui.Prompt()).QueueFiles({path});
        m_dialogs.QueueDelimiter(CTextFormatRules::kComma);
        m_dialogs.QueueFieldMap(std::move(map));
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    CScriptedExchangeDialogs m_dialogs;
    CMakeMsgID m_data;
    QString m_folder;
    int m_nFiles = 0;
};

} // namespace

TEST_F(MasterImportPipelineTest, CustomersFromATextFileWithOneRefusedRow)
{
    const QString path = Csv(U("コード,会社,締日,税,住所1,住所2,住所3,ID\r\n"
                               "A1,甲商事,20,内税,東京都,,1-2,77\r\n"
                               "A2,乙産業,30,1,大阪府,北区,,\r\n"
                               "a3,\"丙\"\"社\",99,2,,,,\r\n"
                               "a4,丁,5,非課税,,,,\r\n"));
    QueueCsv(path,
             Pairing({"CustomerCode", "Company", "Day", "TaxType", "Address1", "Address2", "Address3", ""}));
    m_dialogs.QueueAddressJoin([](CAddressJoinRules& join) {
        join.m_bBreakAfterAddress1 = 1;
        join.m_bBreakAfterAddress2 = 1;
        return int(IDOK);
    });
    QStringList listed;
    m_dialogs.QueueImportError([&listed](CImportErrorRules& rules) {
        for (const QStringList& row : std::as_const(rules.m_rows))
            listed << row.join(u',');
        return int(IDOK);
    });
    EXPECT_EQ(Run(CMasterKind::Customers()), 1);
    EXPECT_EQ(m_dialogs.Log(),
              QStringList({"ImportConfirm 0 -> IDOK", "ImportFormat 0 -> IDOK", "TextFormat -> IDOK",
                           "AddressJoin 11 -> IDOK", "FieldMap 2 -> IDOK",
                           U("ImportError 読み込みできないデータがありました（4件中2件） -> IDOK")}))
        << m_dialogs.Log().join(u'\n').toStdString() << m_ui.Prompt().Texts().join(u'\n').toStdString();
    // "内税" is 4; "非課税" is no word of the customer's tax and is refused, not stored as 0.
    EXPECT_EQ(listed, QStringList({U("3,A2,乙産業,,,項目「締日」の内容に問題があります。"),
                                   U("5,a4,丁,,,項目「税転嫁」の内容に問題があります。")}))
        << listed.join(u'\n').toStdString();
    EXPECT_EQ(Get(QStringLiteral(
                  "SELECT CustomerCode, Company, Day, TaxType, Address, Keisho2, ID<>77 FROM Customer "
                  "WHERE CustomerCode IN ('A1','a3') ORDER BY CustomerCode")),
              U("A1|甲商事|20|4|東京都\r\n1-2|様|1\na3|丙\"社|99|2||様|1"))
        << Get(QStringLiteral("SELECT CustomerCode, Company, Day, TaxType, Address, Keisho2 FROM Customer"))
               .toStdString();
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList()) << "completing shows no count";
}

TEST_F(MasterImportPipelineTest, EdgeCasesOfThePipeline)
{
    // An empty file, then one the reader refuses: one message each.
    m_dialogs.QueueFormatChoice(CImportFormatRules::kText);
    m_ui.Prompt().QueueFiles({Csv(QString())});
    EXPECT_EQ(Run(CMasterKind::Items()), 0);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("読み込めるデータがありませんでした")});
    m_ui.Prompt().Clear();
    m_dialogs.QueueFormatChoice(CImportFormatRules::kText);
    m_ui.Prompt().QueueFiles({Csv(QStringLiteral("a,b\r\nc\r\n"))});
    EXPECT_EQ(Run(CMasterKind::Items()), 0);
    EXPECT_EQ(m_ui.Prompt().Texts().size(), 1) << "the reader's own message only";
    m_ui.Prompt().Clear();

    // Only the caption line, and it is not data.
    QueueCsv(Csv(QStringLiteral("code,name\r\n")), Pairing({"ItemCode", "ItemName"}, 0));
    EXPECT_EQ(Run(CMasterKind::Items()), 2);
    EXPECT_EQ(m_ui.Prompt().Texts().last(), U("読み込むデータはありませんでした"));

    // Automatic numbering ignores the code column; a product type outside 1-3 is a product.
    CCounterInfo counter;
    ASSERT_TRUE(counter.GetElem(COUNTER_SUPPLIER_CODE));
    const QString firstCode = counter.GetElem(COUNTER_SUPPLIER_CODE)->Format();
    QueueCsv(Csv(U("X9,仕入一\r\nX9,仕入二\r\n")), Pairing({"", "Company"}, 1));
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(Run(CMasterKind::Suppliers()), 1);
    EXPECT_EQ(m_ui.Prompt().Texts().last(), U("2件のデータを新規登録しました。\n"));
    EXPECT_EQ(Get(QStringLiteral("SELECT COUNT(*) FROM Supplier WHERE SupplierCode='X9'")),
              QStringLiteral("0"));
    EXPECT_EQ(Get(QStringLiteral("SELECT COUNT(*) FROM Supplier WHERE SupplierCode='%1'").arg(firstCode)),
              QStringLiteral("1"));
    EXPECT_EQ(counter.GetElem(COUNTER_SUPPLIER_CODE)->m_nNumber, 3) << "two numbers taken and saved";

    // Overwrite: the same codes again in any ASCII case.
    QueueCsv(Csv(U("P1,一,7\r\np1,二,2\r\nP2,三,1\r\n")), Pairing({"ItemCode", "ItemName", "ItemType"}, 1),
             0);
    m_dialogs.QueueImportError([](CImportErrorRules&) { return int(IDOK); });
    EXPECT_EQ(Run(CMasterKind::Items()), 1);
    EXPECT_EQ(
        Get(QStringLiteral("SELECT ItemCode, ItemName, ItemType, StockType FROM Item ORDER BY ItemCode")),
        U("P1|一|1|1\nP2|三|1|1"));
    QueueCsv(Csv(U("p1,改,2\r\n")), Pairing({"ItemCode", "ItemName", "ItemType"}, 1), 1);
    EXPECT_EQ(Run(CMasterKind::Items()), 1);
    EXPECT_EQ(m_ui.Prompt().Texts().last(), U("1件のデータを上書き登録しました。\n"));
    EXPECT_EQ(Get(QStringLiteral("SELECT ItemCode, ItemName, StockType FROM Item WHERE ItemCode='p1'")),
              U("p1|改|0"));
}

// Numbered codes are taken from the counter a block at a time and saved
// before the records are written: an aborted import or a refused row leaves
// a gap, a code that exists is passed over, and no number comes twice.
TEST_F(MasterImportPipelineTest, NumberedCodesLeaveGapsAndAreNeverReused)
{
    CCounterInfo counter;
    CCounterInfoElem* elem = counter.GetElem(COUNTER_CUSTOMER_CODE);
    ASSERT_TRUE(elem);
    elem->m_strPrefix = QStringLiteral("K");
    elem->m_nDigits = 3;
    ASSERT_EQ(counter.Save(), 1);
    QueueCsv(Csv(U("K004,既存\r\n")), Pairing({"CustomerCode", "Company"}, 1));
    ASSERT_EQ(Run(CMasterKind::Customers()), 1);

    // The second row's closing day is refused.
    const QString path = Csv(U("甲,20\r\n乙,xx\r\n丙,10\r\n"));
    const auto numbered = [&](int answer) {
        QueueCsv(path, Pairing({"Company", "Day"}, 1));
        m_ui.Prompt().QueueAnswers({IDYES}); // number the codes
        m_dialogs.QueueImportError([answer](CImportErrorRules&) { return answer; });
        return Run(CMasterKind::Customers());
    };
    EXPECT_EQ(numbered(IDCANCEL), 2);
    EXPECT_EQ(counter.GetElem(COUNTER_CUSTOMER_CODE)->m_nNumber, 4) << "K001-K003 are gone";
    EXPECT_EQ(numbered(IDOK), 1);
    EXPECT_EQ(
        Get(QStringLiteral(
            "SELECT CustomerCode, Company FROM Customer WHERE CustomerCode LIKE 'K%' ORDER BY CustomerCode")),
        U("K004|既存\nK005|甲\nK007|丙"))
        << "K004 exists, K006 went to the refused row";
    EXPECT_EQ(counter.GetElem(COUNTER_CUSTOMER_CODE)->m_nNumber, 10)
        << "a second block after the code passed over";
}

namespace
{
int RefuseCommit(void*)
{
    return 1;
}
} // namespace

TEST_F(MasterImportPipelineTest, CancelOrFailureAtEachStepLeavesTheDatabaseUnchanged)
{
    const QString path = Csv(U("B1,一\r\nB1,二\r\n"));
    const QStringList before = Dump();
    const QStringList pairing{"CustomerCode", "Company"};

    m_dialogs.QueueImportConfirm([](int&) { return int(IDCANCEL); });
    EXPECT_EQ(Run(CMasterKind::Customers()), IDCANCEL);
    m_dialogs.QueueImportConfirm([](int&) { return int(IDOK); });
    m_dialogs.QueueImportFormat([](CImportFormatRules&) { return int(IDCANCEL); });
    EXPECT_EQ(Run(CMasterKind::Customers()), 2);
    m_dialogs.QueueFormatChoice(CImportFormatRules::kText); // no file picked
    EXPECT_EQ(Run(CMasterKind::Customers()), IDCANCEL);
    m_dialogs.QueueFormatChoice(CImportFormatRules::kText);
    m_ui.Prompt().QueueFiles({path});
    m_dialogs.QueueTextFormat([](CTextFormatRules&) { return int(IDCANCEL); });
    EXPECT_EQ(Run(CMasterKind::Customers()), IDCANCEL);
    m_dialogs.QueueFormatChoice(CImportFormatRules::kText);
    m_ui.Prompt().QueueFiles({path});
    m_dialogs.QueueFieldMap([](CImportFieldMapRules&) { return int(IDCANCEL); });
    EXPECT_EQ(Run(CMasterKind::Customers()), IDCANCEL);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());

    // The refused-rows dialog cancelled: aborted.
    QueueCsv(path, Pairing(pairing, 1));
    m_dialogs.QueueImportError([](CImportErrorRules&) { return int(IDCANCEL); });
    EXPECT_EQ(Run(CMasterKind::Customers()), 2);
    EXPECT_EQ(m_ui.Prompt().Texts().last(), U("読み込みを中止しました。"));
    EXPECT_EQ(Dump(), before);

    // Completing, but the commit fails: the failure is shown and nothing stays.
    QueueCsv(path, Pairing(pairing, 1));
    m_dialogs.QueueImportError([this](CImportErrorRules&) {
        sqlite3_commit_hook(m_data.Handle(), RefuseCommit, nullptr);
        return int(IDOK);
    });
    EXPECT_EQ(Run(CMasterKind::Customers()), 2);
    sqlite3_commit_hook(m_data.Handle(), nullptr, nullptr);
    EXPECT_FALSE(m_data.InTransaction());
    EXPECT_FALSE(m_data.IsImportOpen());
    EXPECT_FALSE(m_ui.Prompt().Texts().last().isEmpty());
    EXPECT_EQ(Dump(), before);

    // Nothing acceptable: said, listed with "閉じる" only, nothing stored.
    m_ui.Prompt().Clear();
    QueueCsv(Csv(U("B 1,一\r\n")), Pairing(pairing, 1));
    EXPECT_EQ(Run(CMasterKind::Customers()), 2);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("登録できるデータがありません。")});
    EXPECT_EQ(m_dialogs.Log().last(), U("ImportError 読み込みできません（1件中1件） -> IDCANCEL"));
    EXPECT_EQ(Dump(), before);
}

TEST_F(MasterImportPipelineTest, RecordsFromRowsAndThePairing)
{
    CMasterImport import(CMasterKind::Customers());
    import.SetMakeMsgID(&m_data);
    import.m_rows = {{QString(), "F1", "F2", "F3", "F4", "F5", "F6"},
                     {"1", "C1", "99", U("東京"), "", U("三丁目"), "2001/01/01"},
                     {"2", "C2", "98", "", "", "", ""},
                     { "3",
                       "",
                       "",
                       "",
                       "",
                       "",
                       "" }};
    const auto col = [](const char* field) { return CQXCol(QLatin1String(field), QString(), 0, 0, 1); };
    // The records of the data rows, as the registration builds them.
    const auto build = [&](const QList<CQXCol>& mapping, int breakAfter1, int breakAfter2,
                           CCDSData& records) {
        for (qsizetype r = 1; r < import.m_rows.size(); ++r) {
            if (auto record = import.BuildRecord(import.m_rows[r], mapping, breakAfter1, breakAfter2))
                records.Add(std::move(record));
        }
    };
    CCDSData records;
    build(
        {col("CustomerCode"), col("ID"), col("Address1"), col("Address2"), col("Address3"), col("StartDate")},
        1, 1, records);
    ASSERT_EQ(records.GetCount(), 3) << "a row with an empty code still makes a field";
    const auto text = [&](int r, const char* field) {
        const CTb* f = records.GetAt(r)->GetOneField(QString(), QLatin1String(field));
        return f ? f->GetText() : QStringLiteral("<none>");
    };
    EXPECT_EQ(text(0, "Address"), U("東京\r\n三丁目")) << "one break after an empty second part";
    EXPECT_EQ(text(0, "ID"), QStringLiteral("0"));
    EXPECT_EQ(text(0, "StartDate"), m_ui.Clock().Now().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
    EXPECT_EQ(text(0, kImportRowField), QStringLiteral("1"));
    EXPECT_EQ(text(1, "Address"), QString());

    CCDSData one;
    import.m_rows = {{QString(), "F1", "F2"}, { "1", U("札幌"), "x" }};
    build({col("Address1")}, 1, 0, one);
    EXPECT_EQ(one.GetAt(0)->GetOneField(QString(), QStringLiteral("Address"))->GetText(), U("札幌\r\n"));
    CCDSData direct;
    import.m_rows = {{QString(), "F1", "F2"}, { "1", U("札幌"), U("函館") }};
    build({col("Address"), col("Address1")}, 0, 0, direct);
    EXPECT_EQ(direct.GetAt(0)->GetOneField(QString(), QStringLiteral("Address"))->GetText(), U("札幌"));
    CCDSData numbered;
    import.m_bAutoNumber = 1;
    build({col("CustomerCode"), col("Company")}, 0, 0, numbered);
    EXPECT_EQ(numbered.GetAt(0)->GetOneField(QString(), QStringLiteral("CustomerCode")), nullptr);
}

// The customer list's command, as the user gives it: the new rows show.
TEST_F(MasterImportPipelineTest, CommandOfTheCustomerList)
{
    m_data.Close(); // the frame holds the database
    RegisterMasterViews(CViewRegistry::Instance());
    RegisterExchangeCommands();
    auto frame = std::make_unique<CMainFrame>();
    const auto pump = [] {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    };
    ASSERT_TRUE(frame->Create());
    pump();
    ASSERT_TRUE(frame->IsConnected());
    frame->SwitchView(2);
    pump();
    auto* view = qobject_cast<CMasterView*>(frame->GetActiveView());
    ASSERT_TRUE(view);
    const int before = view->List()->Model().GetRowCount();
    EXPECT_TRUE(frame->QueryCommandState(ID_MASTER_IMPORT).enabled);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList()) << m_ui.Prompt().Texts().join(u'\n').toStdString();
    QueueCsv(Csv(U("N1,新規一\r\nN2,新規二\r\n")), Pairing({"CustomerCode", "Company"}, 1));
    frame->ExecuteCommand(ID_MASTER_IMPORT);
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList({U("2件のデータを新規登録しました。\n"), U("リストを表示しなおします。")}))
        << m_ui.Prompt().Texts().join(u'\n').toStdString();
    EXPECT_EQ(view->List()->Model().GetRowCount(), before + 2);
    frame.reset();
    SetMasterImportHandler({});
}

// Prices as spreadsheets and other programs save them: the yen sign (byte
// 0x5C of a CP932 file, or "¥" and "￥" of a UTF-8 one) and "円" are
// dropped; a text with no amount refuses its row instead of storing 0.
TEST_F(MasterImportPipelineTest, AmountsWithAYenSignOrWithoutANumber)
{
    const struct {
        const char* cell;
        const char* price;  // stored, or null: the row is refused naming 売価
        const char* reason; // what the list adds for a refused row
    } cases[] = {
        {"\\1,234", "1234", nullptr},
        {"¥500", "500", nullptr},
        {"￥980", "980", nullptr},
        {"1,200円", "1200", nullptr},
        {"-\\1,000", "-1000", nullptr},
        {"\\-50", "-50", nullptr},
        {"￥１，２３４．５", "1234.5", nullptr},
        {" \\ 300 円", "300", nullptr},
        {"", "0", nullptr},
        {"\\", nullptr, "売価「\\」には数字がありません。"},
        {"時価", nullptr, "売価「時価」の「時」は数値に使えない文字です。"},
        {"円", nullptr, "売価「円」には数字がありません。"},
        {"1.2.3", nullptr, "売価「1.2.3」は数値として読めません。"},
        {"-", nullptr, "売価「-」には数字がありません。"},
    };
    for (const bool utf8 : {false, true}) {
        const QString prefix = utf8 ? QStringLiteral("U") : QStringLiteral("C");
        QString text;
        QStringList stored, refused;
        for (int i = 0; i < int(std::size(cases)); ++i) {
            const QString code = prefix + QString::number(i + 1);
            text += QStringLiteral("%1,\"%2\"\r\n").arg(code, U(cases[i].cell));
            if (cases[i].price)
                stored << code + u'|' + QLatin1String(cases[i].price);
            else
                refused << QStringLiteral("%1,%2,,").arg(i + 1).arg(code) +
                               U("項目「売価」の内容に問題があります。") + U(cases[i].reason);
        }
        const QString path = Csv(QString());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(utf8 ? "\xEF\xBB\xBF" + text.toUtf8() : Cp932::Encode(text));
        file.close();
        QueueCsv(path, Pairing({"ItemCode", "Price"}, 1));
        QStringList listed;
        m_dialogs.QueueImportError([&listed](CImportErrorRules& rules) {
            listed = rules.m_lines;
            return int(IDOK);
        });
        EXPECT_EQ(Run(CMasterKind::Items()), 1) << utf8;
        EXPECT_EQ(listed, refused) << utf8;
        EXPECT_EQ(Get(QStringLiteral("SELECT ItemCode, Price FROM Item WHERE ItemCode LIKE '%1%' ORDER BY ID")
                          .arg(prefix)),
                  stored.join(u'\n'))
            << utf8;
    }
}

// A workbook: the sheet is chosen, cell line feeds become CR LF, a full-width
// blank code is listed as refused.
TEST_F(MasterImportPipelineTest, SuppliersFromAWorkbook)
{
    const QString path = QDir(m_folder).filePath(QStringLiteral("suppliers.xlsx"));
    {
        CExcelApp book;
        book.SetPath(path);
        book.m_columnTypes = {0, 0, 0};
        const CImportRows rows{{U("コード"), U("会社"), U("メモ")},
                               {"S1", U("仕入甲"), U("一行目\n二行目")},
                               {U("\u3000"), U("仕入乙"), ""}};
        ASSERT_EQ(book.WriteBook(&rows), 1);
    }
    m_dialogs.QueueImportConfirm([](int&) { return int(IDOK); });
    m_dialogs.QueueFormatChoice(CImportFormatRules::kExcel);
    m_ui.Prompt().QueueFiles({path});
    m_dialogs.QueueSheetChoice(0);
    m_dialogs.QueueFieldMap(Pairing({"SupplierCode", "Company", "Memo"}, 0));
    QStringList listed;
    m_dialogs.QueueImportError([&listed](CImportErrorRules& rules) {
        listed = rules.m_lines;
        return int(IDOK);
    });
    EXPECT_EQ(Run(CMasterKind::Suppliers()), 1);
    EXPECT_EQ(listed, QStringList{U("3,,仕入乙,,,項目「コード」の内容に問題があります。")});
    EXPECT_EQ(Get(QStringLiteral(
                  "SELECT SupplierCode, Company, Memo, Keisho2 FROM Supplier WHERE SupplierCode='S1'")),
              U("S1|仕入甲|一行目\r\n二行目|様"));
}

// 300 customers imported from a CSV: the reading and the two import phases
// each show the wait dialog with progress, and its message comes after; the
// encoding's check before the preview shows it too.
void ImportCustomersUnderTheWaitDialog(MasterImportPipelineTest& test, CWaitWatchingPrompt& prompt)
{
    QString text;
    for (int i = 1; i <= 300; ++i)
        text += QStringLiteral("W%1,%2\r\n").arg(i).arg(U("待機商事"));
    test.QueueCsv(test.Csv(text), Pairing({"CustomerCode", "Company"}, 1), 0, &prompt);
    EXPECT_EQ(test.Run(CMasterKind::Customers()), 1);
    EXPECT_EQ(prompt.Texts(), QStringList{U("300件のデータを新規登録しました。\n")});
    const QString reading = U("ファイルを読み込んでいます。"), importing = U("データを読み込んでいます。");
    EXPECT_EQ(WaitSteps(test.m_ui.Wait().Log()),
              QStringList({"Begin " + reading + " 100", "Pos 100", "End", "Begin " + reading + " 100",
                           "Pos 99", "End", "Begin " + importing + " 100", "Pos 99", "End",
                           "Begin " + importing + " 100", "Pos 99", "End"}));
}

TEST_F(MasterImportPipelineTest, AnImportShowsTheWaitDialogWithProgress)
{
    CWaitWatchingPrompt prompt(m_ui.Wait());
    ImportCustomersUnderTheWaitDialog(*this, prompt);
    EXPECT_EQ(prompt.m_depths, QList<int>({0})) << "no wait dialog under the import's message";
}

TEST_F(MasterImportPipelineTest, ImportAndExportShowTheWaitDialogWithProgress)
{
    CWaitWatchingPrompt prompt(m_ui.Wait());
    ImportCustomersUnderTheWaitDialog(*this, prompt);

    CCDSData request, records;
    request.m_strTable = QStringLiteral("Customer");
    request.m_strCondition = QStringLiteral("WHERE CustomerCode LIKE 'W%' ORDER BY ID");
    QString err;
    ASSERT_EQ(m_data.GetDataList(request, records, err), 1);
    ASSERT_EQ(records.GetCount(), 300);
    m_dialogs.QueueFormatChoice(CImportFormatRules::kText);
    prompt.QueueFiles({QDir(m_folder).filePath(QStringLiteral("out.csv"))});
    const qsizetype logged = m_ui.Wait().Log().size();
    EXPECT_EQ(CListExport(CMasterKind::Customers()).Export(&records, 1, 1, 1), 1);
    const QString exporting = U("データを書き出しています。");
    EXPECT_EQ(WaitSteps(m_ui.Wait().Log().mid(logged)),
              QStringList({"Begin " + exporting + " 100", "Pos 99", "End", "Begin " + exporting + " 100",
                           "Pos 99", "End", "Begin " + exporting + " 0", "End"}));
    EXPECT_EQ(prompt.m_depths, QList<int>({0})) << "no wait dialog under the import's message";
}

TEST_F(MasterImportPipelineTest, SelectedCustomersExportedAndImportedIntoAnEmptyDatabase)
{
    QueueCsv(Csv(U("A1,\"甲\"\"商事\",03-1,20,1\r\nA2,乙,06-2,99,2\r\n")),
             Pairing({"CustomerCode", "Company", "TEL", "Day", "TaxType"}, 1));
    ASSERT_EQ(Run(CMasterKind::Customers()), 1);
    const QString query =
        QStringLiteral("SELECT CustomerCode, Company, TEL, Day, TaxType FROM Customer WHERE CustomerCode IN "
                       "('A1','A2') ORDER BY CustomerCode");
    const QString before = Get(query);
    ASSERT_EQ(before.count(u'\n'), 1) << before.toStdString();
    m_data.Close();
    m_ui.Prompt().Clear();

    RegisterMasterViews(CViewRegistry::Instance());
    RegisterExchangeCommands();
    auto frame = std::make_unique<CMainFrame>();
    const auto pump = [] {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    };
    ASSERT_TRUE(frame->Create());
    pump();
    frame->SwitchView(2);
    pump();
    auto* view = qobject_cast<CMasterView*>(frame->GetActiveView());
    ASSERT_TRUE(view);
    ASSERT_GE(view->List()->Model().GetRowCount(), 2);
    frame->ExecuteCommand(ID_MASTER_SELECT_ALL);
    pump();
    ASSERT_TRUE(frame->QueryCommandState(ID_MASTER_EXPORT).enabled);
    const QString out = QDir(m_folder).filePath(QStringLiteral("out.csv"));
    m_dialogs.QueueFormatChoice(CImportFormatRules::kText);
    m_ui.Prompt().QueueFiles({out});
    const QStringList fields{"CustomerCode", "Company", "TEL", "Day", "TaxType"};
    m_dialogs.QueueColumnSet([fields](CColumnSetRules& rules) {
        if (!rules.GetLeftCaptions().isEmpty())
            rules.MoveAllToRight();
        for (const QString& field : fields) {
            for (int r = 0; r < rules.GetRightCaptions().size(); ++r) {
                if (rules.GetRightColumn(r).m_strField == field) {
                    rules.SelectRight(r);
                    rules.MoveToLeft();
                    break;
                }
            }
        }
        return int(IDOK);
    });
    frame->ExecuteCommand(ID_MASTER_EXPORT);
    EXPECT_EQ(m_ui.Prompt().Texts(),
              (QStringList{U("選択されている2件の情報を書き出します。よろしいですか？"),
                           U("書き出しを完了しました。")}));
    frame.reset();
    SetMasterImportHandler({});
    SetMasterExportHandler({});

    // A second, empty database takes the file back.
    const QString second = m_home.AddCurrentDatabase(U("支社"), QStringLiteral("db2"));
    QString err;
    ASSERT_EQ(m_data.Open(second, err), 1) << err.toStdString();
    ASSERT_EQ(Get(query), QString());
    m_ui.Prompt().Clear();
    QueueCsv(out, Pairing(fields, 0));
    ASSERT_EQ(Run(CMasterKind::Customers()), 1) << m_ui.Prompt().Texts().join(u'\n').toStdString();
    EXPECT_EQ(Get(query), before);
}

TEST_F(MasterImportPipelineTest, CustomersThroughContactXmlIntoAnEmptyDatabase)
{
    QueueCsv(
        Csv(U("A1,甲商事,山田,\"東京都\r\n1-2\",03-1,20,1,1,99\r\nA2,,個人 花子,大阪府,06-2,99,4,0,99\r\n")),
        Pairing({"CustomerCode", "Company", "Name", "Address1", "TEL", "Day", "TaxType", "CollectCycle",
                 "CollectDay"},
                1));
    ASSERT_EQ(Run(CMasterKind::Customers()), 1)
        << m_ui.Prompt().Texts().join(u'\n').toStdString() << m_dialogs.Log().join(u'\n').toStdString();
    const QString query = QStringLiteral(
        "SELECT CustomerCode, Company, Name, Address, TEL, Day, TaxType, CollectCycle, CollectDay, Keisho2 "
        "FROM Customer WHERE CustomerCode IN ('A1','A2') ORDER BY CustomerCode");
    const QString before = Get(query);
    ASSERT_TRUE(before.startsWith(U("A1|甲商事|山田|東京都\r\n1-2|03-1|20|1|1|99|様\nA2|")))
        << before.toStdString();
    CCDSData request, records;
    request.m_strTable = QStringLiteral("Customer");
    request.m_strCondition = QStringLiteral("WHERE CustomerCode IN ('A1','A2')");
    QString err;
    ASSERT_EQ(m_data.GetDataList(request, records, err), 1);
    CListExport exporter(CMasterKind::Customers());
    exporter.m_strPath = QDir(m_folder).filePath(QStringLiteral("c.xml"));
    ASSERT_EQ(exporter.ExportXML(&records), 1);
    m_data.Close();

    const QString second = m_home.AddCurrentDatabase(U("支社"), QStringLiteral("db2"));
    ASSERT_EQ(m_data.Open(second, err), 1) << err.toStdString();
    m_ui.Prompt().Clear();
    m_dialogs.QueueFormatChoice(CImportFormatRules::kContactXml);
    m_ui.Prompt().QueueFiles({exporter.m_strPath});
    ASSERT_EQ(Run(CMasterKind::Customers()), 1) << m_ui.Prompt().Texts().join(u'\n').toStdString();
    EXPECT_EQ(Get(query), before);

    // A file without codes: the counter settings of kind 100, then numbered
    // records; a contact with both blocks asks which one.
    QFile file(QDir(m_folder).filePath(QStringLiteral("nocode.xml")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\"?><ContactXML version=\"1.1\"><ContactXMLItem>"
               "<Occupation><OrganizationName>Z</OrganizationName></Occupation>"
               "<Address><AddressItem locationType=\"Office\"><FullAddress>O</FullAddress></AddressItem>"
               "<AddressItem locationType=\"Home\"><FullAddress>H</FullAddress></AddressItem></Address>"
               "</ContactXMLItem></ContactXML>");
    file.close();
    QList<int> modes;
    const ChoiceDialogRunner old = SetChoiceDialogRunner([&modes](int mode, int& choice) {
        modes << mode;
        choice = 1;
        return int(IDOK);
    });
    m_dialogs.QueueFormatChoice(CImportFormatRules::kContactXml);
    m_ui.Prompt().QueueFiles({file.fileName()});
    EXPECT_EQ(Run(CMasterKind::Customers()), 1);
    SetChoiceDialogRunner(old);
    EXPECT_EQ(modes, QList<int>{8});
    EXPECT_TRUE(m_dialogs.Log().contains(QStringLiteral("CounterSet 100 -> IDOK")));
    const QString added =
        Get(QStringLiteral("SELECT Address, CustomerCode <> '' FROM Customer WHERE Company = 'Z'"));
    EXPECT_EQ(added, QStringLiteral("H|1"));

    // A malformed file is refused with one message and registers nothing.
    m_ui.Prompt().Clear();
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("<ContactXML><ContactXMLItem>");
    file.close();
    m_dialogs.QueueFormatChoice(CImportFormatRules::kContactXml);
    m_ui.Prompt().QueueFiles({file.fileName()});
    EXPECT_EQ(Run(CMasterKind::Customers()), 2);
    EXPECT_EQ(m_ui.Prompt().Texts().size(), 1);
}

// A big file is read and registered a batch at a time in one transaction:
// the refused rows of every batch are listed with their row and reason (a
// code is a duplicate of one written by an earlier batch too), and
// cancelling or a failed commit keeps nothing of any batch.
TEST_F(MasterImportPipelineTest, RefusedRowsAcrossBatchesAreAllListedAndNothingIsKeptUnlessCompleted)
{
    constexpr int kRows = 4500;
    const QList<int> badDay{3, 1999, 2000, 2001, 4100, 4500};
    QString text;
    for (int i = 1; i <= kRows; ++i) {
        // Row 4200 repeats the code of row 10, written two batches before.
        const QString code = QStringLiteral("R%1").arg(i == 4200 ? 10 : i, 4, 10, QLatin1Char('0'));
        text += QStringLiteral("%1,%2,%3\r\n")
                    .arg(code, U("大量商事%1").arg(i), badDay.contains(i) ? "31" : "20");
    }
    const QString path = Csv(text);
    QStringList expected;
    for (int i : {3, 1999, 2000, 2001, 4100, 4200, 4500}) {
        const QString code = QStringLiteral("R%1").arg(i == 4200 ? 10 : i, 4, 10, QLatin1Char('0'));
        expected << QStringLiteral("%1,%2,").arg(i).arg(code) +
                        U("大量商事%1,,,項目「%2」の内容に問題があります。")
                            .arg(i)
                            .arg(i == 4200 ? U("コード") : U("締日"));
    }
    const QStringList before = Dump();
    const auto import = [&](const std::function<int(CImportErrorRules&)>& answer) {
        QueueCsv(path, Pairing({"CustomerCode", "Company", "Day"}, 1));
        QStringList listed;
        QString caption;
        m_dialogs.QueueImportError([&](CImportErrorRules& rules) {
            listed = rules.m_lines;
            caption = rules.m_strCaption;
            return answer(rules);
        });
        const int result = Run(CMasterKind::Customers());
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(caption, U("読み込みできないデータがありました（4500件中7件）"));
        return result;
    };

    EXPECT_EQ(import([](CImportErrorRules&) { return int(IDCANCEL); }), 2);
    EXPECT_EQ(m_ui.Prompt().Texts().last(), U("読み込みを中止しました。"));
    EXPECT_EQ(Dump(), before);

    EXPECT_EQ(import([this](CImportErrorRules&) {
                  sqlite3_commit_hook(m_data.Handle(), RefuseCommit, nullptr);
                  return int(IDOK);
              }),
              2);
    sqlite3_commit_hook(m_data.Handle(), nullptr, nullptr);
    EXPECT_FALSE(m_data.InTransaction());
    EXPECT_EQ(Dump(), before);

    EXPECT_EQ(import([](CImportErrorRules&) { return int(IDOK); }), 1);
    EXPECT_EQ(
        Get(QStringLiteral("SELECT COUNT(*), MIN(Day), MAX(Day) FROM Customer WHERE CustomerCode LIKE 'R%'")),
        QStringLiteral("4493|20|20"));
    EXPECT_EQ(Get(QStringLiteral("SELECT Company FROM Customer WHERE CustomerCode = 'R0010'")),
              U("大量商事10"));
}

// An imported amount is the whole cell; any other text refuses its row and
// the list names the field.
TEST_F(MasterImportPipelineTest, ImportedAmountsAreTheWholeCell)
{
    const struct {
        const char* cell;
        const char* price;  // stored, or null: refused naming 売価
        const char* reason; // what the list adds for a refused row
    } cases[] = {
        {"1,234,567", "1234567", nullptr},
        {"500-", "-500", nullptr},
        {"＋１２", "12", nullptr},
        {"3万", nullptr, "売価「3万」の「万」は数値に使えない文字です。"},
        {"12箱", nullptr, "売価「12箱」の「箱」は数値に使えない文字です。"},
        {"1,2,3", nullptr, "売価「1,2,3」は桁区切りのカンマの位置が正しくありません。"},
        {"0x10", nullptr, "売価「0x10」の「x」は数値に使えない文字です。"},
        {"12円34", nullptr, "売価「12円34」は数値として読めません。"},
        {"1.5e2", nullptr, "売価「1.5e2」の「e」は数値に使えない文字です。"},
    };
    QString text;
    QStringList stored, refused;
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const QString code = QStringLiteral("W%1").arg(i + 1);
        text += QStringLiteral("%1,\"%2\"\r\n").arg(code, U(cases[i].cell));
        if (cases[i].price)
            stored << code + u'|' + QLatin1String(cases[i].price);
        else
            refused << QStringLiteral("%1,%2,,").arg(i + 1).arg(code) +
                           U("項目「売価」の内容に問題があります。") + U(cases[i].reason);
    }
    QueueCsv(Csv(text), Pairing({"ItemCode", "Price"}, 1));
    QStringList listed;
    m_dialogs.QueueImportError([&listed](CImportErrorRules& rules) {
        listed = rules.m_lines;
        return int(IDOK);
    });
    EXPECT_EQ(Run(CMasterKind::Items()), 1);
    EXPECT_EQ(listed, refused);
    EXPECT_EQ(Get(QStringLiteral("SELECT ItemCode, Price FROM Item WHERE ItemCode LIKE 'W%' ORDER BY ID")),
              stored.join(u'\n'));
}

// An Excel 95 product list in the Japanese code page whose prices are
// formulas: each comes in as its stored result read to three decimals, a
// formula's text result is the product's name, and a result that keeps
// more decimals than a price holds refuses its row naming the field.
TEST_F(MasterImportPipelineTest, ProductsFromAnExcel95BookOfFormulas)
{
    using namespace XlsBytes;
    const auto label = [](quint16 row, quint16 column, const char* text) {
        return Record(0x0204, Cell(row, column, 0) + Bytes(Cp932::Encode(U(text))));
    };
    const auto formula = [](quint16 row, quint16 column, const QByteArray& result) {
        return Record(0x0006, Cell(row, column, 0) + result + U16(0) + U32(0) + U16(0));
    };
    const QByteArray textResult("\0\0\0\0\0\0\xFF\xFF", 8);
    const QByteArray cells =
        label(0, 0, "商品コード") + label(0, 1, "商品名") + label(0, 2, "売価") + label(0, 3, "原価") +
        label(0, 4, "備考") + //
        label(1, 0, "T-001") + label(1, 1, "特選煎茶") + formula(1, 2, F64(1246912.89012345)) +
        formula(1, 3, F64(1234.5000001)) + label(1, 4, "ｶﾌﾞｼｷｶﾞｲｼｬ向け") + //
        label(2, 0, "T-002") + formula(2, 1, textResult) + Record(0x0207, Bytes(Cp932::Encode(U("玄米茶")))) +
        formula(2, 2, F64(1500)) + Record(0x0203, Cell(2, 3, 0) + F64(800)) + //
        label(3, 0, "T-003") + label(3, 1, "ほうじ茶") + formula(3, 2, F64(98765.43215)) +
        formula(3, 3, F64(0));
    const QString path = QDir(m_folder).filePath(QStringLiteral("items95.xls"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Compound(
            {{QStringLiteral("Book"),
              Stream(5, Record(0x0042, U16(932)), {{Bytes(Cp932::Encode(U("商品一覧")), true), cells}})}}));
    }
    m_dialogs.QueueFormatChoice(CImportFormatRules::kExcel);
    m_ui.Prompt().QueueFiles({path});
    m_dialogs.QueueSheetChoice(0);
    m_dialogs.QueueFieldMap(Pairing({"ItemCode", "ItemName", "Price", "Cost", "Remarks"}, 0));
    QStringList listed;
    m_dialogs.QueueImportError([&listed](CImportErrorRules& rules) {
        listed = rules.m_lines;
        return int(IDOK);
    });
    EXPECT_EQ(Run(CMasterKind::Items()), 1) << m_ui.Prompt().Texts().join(u'\n').toStdString();
    EXPECT_EQ(listed, QStringList{U(
                          "4,T-003,ほうじ茶,項目「売価」の内容に問題があります。売価の小数は2桁までです。")});
    EXPECT_EQ(m_dialogs.Log(),
              QStringList({"ImportConfirm 0 -> IDOK", "ImportFormat 2 -> IDOK",
                           U("SheetSelect 商品一覧 -> IDOK"), "FieldMap 1 -> IDOK",
                           U("ImportError 読み込みできないデータがありました（3件中1件） -> IDOK")}));
    EXPECT_EQ(Get(QStringLiteral("SELECT ItemCode, ItemName, Price, Cost, Remarks FROM Item "
                                 "WHERE ItemCode LIKE 'T-%' ORDER BY ItemCode")),
              U("T-001|特選煎茶|1246912.89|1234.5|ｶﾌﾞｼｷｶﾞｲｼｬ向け\nT-002|玄米茶|1500|800|"));
}

// A UTF-8 text file of Western letters is read as UTF-8: what code page 932
// cannot hold, or a control character, refuses its row naming the field,
// the character and its code point, and the rest is registered. A file that
// is valid Shift_JIS as well is asked about once, though it is read twice,
// and the answer decides what is stored.
TEST_F(MasterImportPipelineTest, AUtf8TextFileThatIsNotShiftJisIsReadAsUtf8)
{
    // "×" (C3 97) before "A" is a half-width katakana and a kanji in Shift_JIS.
    const auto either = [](const char* code) -> QByteArray { return code + U(",Price×A\r\n").toUtf8(); };
    const QString sjis = Cp932::Decode(U("×A").toUtf8());
    const struct {
        const char* what;
        QByteArray bytes;
        int answer;         // to the question, 0 when none is asked
        QStringList listed; // the refused rows
        QString stored;     // codes and companies registered
    } cases[] = {
        {"letters code page 932 has no form for, and a zero character",
         (U("K1,Kütüs\u00A0GmbH\r\nK2,Ærø\r\nK3,A") + QChar(0) + U("B\r\nK4,Price×2\r\n")).toUtf8(),
         0,
         {U("1,K1,Kütüs\u00A0GmbH,,,項目「会社名」の内容に問題があります。"
            "会社名に使用できない文字「ü\u00A0」(U+00FC, U+00A0) が含まれています。"),
          U("2,K2,Ærø,,,項目「会社名」の内容に問題があります。"
            "会社名に使用できない文字「Æø」(U+00C6, U+00F8) が含まれています。"),
          U("3,K3,A") + QChar(0) +
              U("B,,,項目「会社名」の内容に問題があります。"
                "会社名に使用できない制御文字(U+0000) が含まれています。")},
         U("K4|Price×2")},
        {"either reading, UTF-8 chosen", either("E1"), IDYES, {}, U("E1|Price×A")},
        {"either reading, Shift_JIS chosen", either("E2"), IDNO, {}, U("E2|Price") + sjis},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = QDir(m_folder).filePath(QStringLiteral("utf8-%1.csv").arg(++m_nFiles));
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.bytes);
        }
        m_ui.Prompt().Clear();
        QueueCsv(path, Pairing({"CustomerCode", "Company"}, 1));
        if (c.answer)
            m_ui.Prompt().QueueAnswers({c.answer});
        QStringList listed;
        if (!c.listed.isEmpty()) {
            m_dialogs.QueueImportError([&listed](CImportErrorRules& rules) {
                for (const QStringList& row : std::as_const(rules.m_rows))
                    listed << row.join(u',');
                return int(IDOK);
            });
        }
        EXPECT_EQ(Run(CMasterKind::Customers()), 1);
        EXPECT_EQ(listed, c.listed);
        const QStringList said = m_ui.Prompt().Texts();
        // Asked once, though the file is read when it is checked and again when it is registered.
        EXPECT_EQ(said.filter(U("としても読めます")).size(), c.answer ? 1 : 0)
            << said.join(u'\n').toStdString();
        EXPECT_EQ(Get(QStringLiteral("SELECT CustomerCode, Company FROM Customer ORDER BY ID DESC LIMIT 1")),
                  c.stored);
    }
}

#ifdef CORVANTA_MDB_HELPER_PATH
// Customers from an Access 2010 table whose dates are from before 1900,
// read by the helper process: each date comes in whole as the memo's text.
TEST_F(MasterImportPipelineTest, CustomersFromAnAccessTableWithDatesBefore1900)
{
    QFile fixture(QStringLiteral(CORVANTA_FIXTURES "/real/access/V2010-test.accdb"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    QByteArray bytes = fixture.readAll();
    // Table1's stored day counts: 1974-09-21 of abcdefg, 1981-12-12 of a.
    const auto day = [](double value) {
        QByteArray count(8, '\0');
        qToLittleEndian(value, count.data());
        return count;
    };
    for (const auto& [at, from, to] :
         {std::tuple{0x4CF9C, 27293.0, -115858.0}, {0x4CFE2, 29932.0, -149008.75}}) {
        ASSERT_EQ(bytes.mid(at, 8), day(from)) << at;
        bytes.replace(at, 8, day(to));
    }
    const QString path = QDir(m_folder).filePath(QStringLiteral("old.accdb"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    qputenv("CORVANTA_MDB_HELPER", CORVANTA_MDB_HELPER_PATH);
    const AccessSourceFactory old = SetAccessSourceFactory([] { return MakeMdbAccessSource(); });
    m_dialogs.QueueFormatChoice(CImportFormatRules::kAccess);
    m_ui.Prompt().QueueFiles({path});
    QStringList tables;
    m_dialogs.QueueTableSelect([&tables](CTableSelectRules& rules) {
        tables = *rules.m_pNames;
        rules.m_nSelected = 0;
        return int(IDOK);
    });
    // The code, the name, the date as memo text, the currency as the rate.
    m_dialogs.QueueFieldMap(Pairing({"CustomerCode", "Company", "", "", "", "", "Memo", "Percent"}, 1));
    EXPECT_EQ(Run(CMasterKind::Customers()), 1) << m_ui.Prompt().Texts().join(u'\n').toStdString();
    SetAccessSourceFactory(old);
    qunsetenv("CORVANTA_MDB_HELPER");
    EXPECT_EQ(tables, QStringList({"Table1", "Table2", "Table3", "Table4"}));
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("2件のデータを新規登録しました。\n")});
    EXPECT_EQ(Get(QStringLiteral("SELECT CustomerCode, Company, Memo, Percent FROM Customer "
                                 "WHERE CustomerCode IN ('a', 'abcdefg') ORDER BY CustomerCode")),
              U("a|b|1492/01/10|0\nabcdefg|hijklmnop|1582/10/15|3.5"));
}
#endif
