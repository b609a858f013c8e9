#include "app/AppHome.h"
#include "app/ExchangePorts.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/ExchangeModule.h"
#include "exchange/ListExport.h"
#include "exchange/MasterImport.h"
#include "master/MasterList.h"
#include "master/MasterModule.h"
#include "master/MasterView.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/env/RegistryIni.h"
#include "platform/office/QRTData.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "resources/CommandIds.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
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

// The customer product's dialog answered with these checks (or cancelled).
ModalRunner QrtDialog(bool overwrite, bool join1, bool join2, bool ok = true)
{
    return [=](QDialog& dialog) {
        const auto set = [&dialog](const char* name, bool on) {
            QCheckBox* box = dialog.findChild<QCheckBox*>(QLatin1String(name));
            if (box)
                box->setChecked(on);
            return box != nullptr;
        };
        if (!set("overwrite", overwrite) || !set("join1", join1) || !set("join2", join2) || !ok)
            return int(QDialog::Rejected);
        dialog.accept();
        return int(QDialog::Accepted);
    };
}

// A customer record as the master list holds it.
std::unique_ptr<COneRecord> Customer(const QList<QPair<const char*, QString>>& texts, int day, int tax)
{
    auto record = std::make_unique<COneRecord>();
    for (const auto& [field, value] : texts)
        record->SetField(QStringLiteral("Customer.") + QLatin1String(field), value);
    record->SetField(QStringLiteral("Customer.Day"), day);
    record->SetField(QStringLiteral("Customer.TaxType"), tax);
    record->SetField(QStringLiteral("Customer.Collect"), CMny(5000));
    return record;
}

class QRTExchangeTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.IsReady());
        m_folder = m_home.AddCurrentDatabase(U("本社"));
        QString err;
        ASSERT_EQ(m_data.Open(m_folder, err), 1) << err.toStdString();
        m_product = QDir(m_folder).filePath(QStringLiteral("velmira"));
        QDir().mkpath(m_product);
        QFile ini(CRegistryIni::FilePath());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(U("[software\\pellam\\fennimor\\VELMIRA]\ninstalleddir=%1\n").arg(m_product).toUtf8());
        m_file = QDir(m_product).filePath(QLatin1String(CImportQRTData::kFileName));
    }
    void TearDown() override
    {
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
        EXPECT_EQ(m_dialogs.Pending(), 0);
        // The customer product asks its own questions, never our confirmation.
        EXPECT_EQ(m_dialogs.Log(), QStringList());
    }
    QList<CKokyaku> Stored()
    {
        QFile file(m_file);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        QList<CKokyaku> customers;
        EXPECT_TRUE(CImportQRTData::Parse(file.readAll(), customers));
        return customers;
    }
    void Store(const QList<CKokyaku>& customers)
    {
        QFile file(m_file);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(CImportQRTData::Format(customers));
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
    int Import()
    {
        CMasterImport import(CMasterKind::Customers());
        import.SetMakeMsgID(&m_data);
        CCDSData records;
        return import.ImportFromQRT(&records);
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    CScriptedExchangeDialogs m_dialogs;
    CMakeMsgID m_data;
    QString m_folder;
    QString m_product;
    QString m_file;
};

} // namespace

// Company customers go to the company block (mail 4), the others to the
// personal one (mail 1); honorific, collection type and tax type are
// translated; a code the product has is replaced, another one kept.
TEST_F(QRTExchangeTest, CustomersWrittenIntoTheProductsTable)
{
    CKokyaku kept;
    kept.m_strCode = QStringLiteral("X9");
    kept.m_strName = U("残る人");
    CKokyaku old;
    old.m_strCode = QStringLiteral("C3");
    old.m_strMemo = U("古い");
    Store({kept, old});

    CCDSData records;
    records.Add(Customer({{"CustomerCode", "C1"},
                          {"Company", U("甲商事")},
                          {"Section", U("営業部")},
                          {"PhoenicCompany", U("コウショウジ")},
                          {"Name", ""},
                          {"Keisho", U("御中")},
                          {"Keisho2", ""},
                          {"Zip", "100-0001"},
                          {"Address", U("東京都\r\n千代田区")},
                          {"TEL", "03-1"},
                          {"FAX", "03-2"},
                          {"E-mail", "a@b.jp"},
                          {"CollectType", U("振込")},
                          {"MyPerson", U("担当")},
                          {"Class1", U("甲")},
                          {"Class2", U("乙")},
                          {"Memo", U("メモ")},
                          {"Class3", U("渡さない")}},
                         31, 0));
    records.Add(Customer({{"CustomerCode", "C2"},
                          {"Company", ""},
                          {"Name", U("山田太郎")},
                          {"PhoenicPerson", U("ヤマダタロウ")},
                          {"Keisho", U("御中")},
                          {"Keisho2", ""},
                          {"Zip", "530-0001"},
                          {"Address", U("大阪府")},
                          {"TEL", "06-1"},
                          {"E-mail", "y@d.jp"},
                          {"CollectType", U("現金")}},
                         20, 4));
    records.Add(Customer({{"CustomerCode", "C3"},
                          {"Company", U("乙")},
                          {"Name", U("佐藤")},
                          {"Keisho", U("御中")},
                          {"Keisho2", U("様")}},
                         99, 3));
    records.Add(Customer({{"CustomerCode", "C4"}, {"Keisho", U("殿")}}, 5, 2));

    CListExport exporter(CMasterKind::Customers());
    ASSERT_EQ(exporter.ExportToQRT(&records), 1);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());

    CKokyaku c1;
    c1.m_strCode = QStringLiteral("C1");
    c1.m_nKind = 0;
    c1.m_strKeisho = U("御中");
    c1.m_strCompany = U("甲商事");
    c1.m_strPhoenicCompany = U("コウショウジ");
    c1.m_strSection = U("営業部");
    c1.m_strMyPerson = U("担当");
    c1.m_company = {"100-0001", "", U("東京都\r\n千代田区"), "", "03-1", "03-2"};
    c1.m_strMail[3] = QStringLiteral("a@b.jp");
    c1.m_nMailSelect = 4;
    c1.m_nDay = 31;
    c1.m_nTaxType = 3;
    c1.m_strCollectType = U("振込み");
    c1.m_strClass1 = U("甲");
    c1.m_strClass2 = U("乙");
    c1.m_strMemo = U("メモ");
    CKokyaku c2;
    c2.m_strCode = QStringLiteral("C2");
    c2.m_nKind = 1;
    c2.m_strName = U("山田太郎");
    c2.m_strPhoenicName = U("ヤマダタロウ");
    c2.m_strKeisho = ""; // a person's name takes the person honorific, even empty
    c2.m_personal = {"530-0001", "", U("大阪府"), "", "06-1", ""};
    c2.m_strMail[0] = QStringLiteral("y@d.jp");
    c2.m_nMailSelect = 1;
    c2.m_nDay = 20;
    c2.m_nTaxType = 2;
    c2.m_strCollectType = U("現金");
    CKokyaku c3;
    c3.m_strCode = QStringLiteral("C3");
    c3.m_nKind = 0;
    c3.m_strName = U("佐藤");
    c3.m_strKeisho = U("様");
    c3.m_strCompany = U("乙");
    c3.m_nDay = 99;
    c3.m_nTaxType = 4;
    CKokyaku c4;
    c4.m_strCode = QStringLiteral("C4");
    c4.m_nKind = 1;
    c4.m_strKeisho = U("殿"); // no person's name: the company honorific
    c4.m_nDay = 5;
    c4.m_nTaxType = 0;

    const QList<CKokyaku> stored = Stored();
    const QList<CKokyaku> expected{kept, c3, c1, c2, c4};
    ASSERT_EQ(stored.size(), expected.size());
    for (qsizetype i = 0; i < stored.size(); ++i)
        EXPECT_TRUE(stored[i] == expected[i]) << "customer " << i << " " << stored[i].m_strCode.toStdString();
}

// Only customers, and only some: each refusal leaves the product's file as
// it was; so does a damaged file or a product that is not set up.
TEST_F(QRTExchangeTest, RefusedExportsLeaveTheProductAlone)
{
    CKokyaku kept;
    kept.m_strCode = QStringLiteral("X9");
    Store({kept});
    CCDSData one;
    one.Add(Customer({{"CustomerCode", "C1"}}, 0, 1));
    const CCDSData none;
    struct Case {
        const CMasterKind& kind;
        const CCDSData* records;
        const char* message;
    } cases[] = {
        {CMasterKind::Suppliers(), &one, "書き出し元のテーブルが不正です"},
        {CMasterKind::Items(), &one, "書き出し元のテーブルが不正です"},
        {CMasterKind::Customers(), &none, "書き出すデータがありません"},
        {CMasterKind::Customers(), nullptr, "引数が不正です"},
    };
    for (const Case& c : cases) {
        m_ui.Prompt().Clear();
        CListExport exporter(c.kind);
        EXPECT_EQ(exporter.ExportToQRT(c.records), 2) << c.message;
        EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U(c.message)});
    }
    EXPECT_EQ(Stored().size(), 1);

    // A damaged file is not replaced (its customers would be lost).
    {
        QFile file(m_file);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("broken line\n");
    }
    const QByteArray damaged = [this] {
        QFile file(m_file);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    m_ui.Prompt().Clear();
    EXPECT_EQ(CListExport(CMasterKind::Customers()).ExportToQRT(&one), 2);
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList{U("Velmiraの顧客データの形式が正しくありません。\n") + m_file});
    QFile file(m_file);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), damaged);
    // The import refuses it as well, before its dialog opens.
    ScopedModalRunner never([](QDialog&) {
        ADD_FAILURE() << "the dialog opened";
        return int(QDialog::Rejected);
    });
    m_ui.Prompt().Clear();
    EXPECT_EQ(Import(), 2);
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList{U("Velmiraの顧客データの形式が正しくありません。\n") + m_file});

    QFile ini(CRegistryIni::FilePath());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.close();
    m_ui.Prompt().Clear();
    EXPECT_EQ(CListExport(CMasterKind::Customers()).ExportToQRT(&one), 2);
    EXPECT_EQ(Import(), 2);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList({U("Velmiraが設定されていないため、書き出しできません。"),
                                                  U("Velmiraが設定されていないため、読み込みできません。")}));
}

// The product's customers become ours: company or personal block by kind,
// the address parts joined as the dialog says, day, tax type, collection
// type and the chosen mail translated; cancel and an empty product
// register nothing.
TEST_F(QRTExchangeTest, CustomersTakenFromTheProductsTable)
{
    CKokyaku k1;
    k1.m_strCode = QStringLiteral("Q1");
    k1.m_nKind = 0;
    k1.m_strName = "";
    k1.m_strKeisho = U("御中");
    k1.m_strCompany = U("甲商事");
    k1.m_strPhoenicCompany = U("コウショウジ");
    k1.m_strSection = U("営業部");
    k1.m_company = {"100-0001", U("東京都"), U("千代田区1"), U("ビル3F"), "03-1", "03-2"};
    k1.m_personal = {"999-9999", U("自宅"), "", "", "09-9", ""};
    k1.m_strMail[3] = QStringLiteral("a@b.jp");
    k1.m_nMailSelect = 4;
    k1.m_nDay = 31;
    k1.m_nTaxType = 0;
    k1.m_strCollectType = U("振込み");
    k1.m_strMyPerson = U("担当");
    k1.m_strClass1 = U("一");
    k1.m_strClass2 = U("二");
    k1.m_strMemo = U("メモ");
    CKokyaku k2;
    k2.m_strCode = QStringLiteral("Q2");
    k2.m_nKind = 1;
    k2.m_strName = U("山田");
    k2.m_strPhoenicName = U("ヤマダ");
    k2.m_strKeisho = U("様");
    k2.m_strCompany = U("渡らない会社");
    k2.m_personal = {"530-0001", U("大阪府"), "", U("梅田"), "06-1", "06-2"};
    k2.m_nMailSelect = 0;
    k2.m_nDay = 30;
    k2.m_nTaxType = 2;
    k2.m_strCollectType = U("現金");
    CKokyaku k3;
    k3.m_strCode = QStringLiteral("Q3");
    k3.m_nKind = 2;
    k3.m_strKeisho = U("殿");
    k3.m_nDay = 28;
    k3.m_nTaxType = 4;
    k3.m_strCollectType = U("小切手");
    k3.m_strMail[1] = QStringLiteral("second@x.jp");
    k3.m_nMailSelect = 2;
    Store({k1, k2, k3});

    const QString query = QStringLiteral(
        "SELECT CustomerCode, Company, Section, PhoenicCompany, Name, Keisho, Keisho2, PhoenicPerson, Zip, "
        "Address, TEL, FAX, \"E-mail\", Day, TaxType, CollectType, MyPerson, Class1, Class2, "
        "Memo, Collect, Ceiling FROM Customer WHERE CustomerCode LIKE 'Q%' ORDER BY CustomerCode");

    // Cancelled: nothing.
    {
        ScopedModalRunner runner(QrtDialog(false, true, true, false));
        EXPECT_EQ(Import(), 2);
        EXPECT_EQ(Get(query), QString());
    }
    {
        ScopedModalRunner runner(QrtDialog(false, true, true));
        EXPECT_EQ(Import(), 1) << m_ui.Prompt().Texts().join(u'\n').toStdString();
    }
    const auto row = [](const QStringList& cells) { return cells.join(u'|'); };
    EXPECT_EQ(Get(query),
              QStringList({row({"Q1",        U("甲商事"),
                                U("営業部"), U("コウショウジ"),
                                "",          U("御中"),
                                "",          "",
                                "100-0001",  U("東京都\r\n千代田区1\r\nビル3F"),
                                "03-1",      "03-2",
                                "a@b.jp",    "99",
                                "2",         U("振込"),
                                U("担当"),   U("一"),
                                U("二"),     U("メモ"),
                                "0",         "0"}),
                           row({"Q2",      "",      "",          "",         U("山田"),
                                "",        U("様"), U("ヤマダ"), "530-0001", U("大阪府\r\n梅田"),
                                "06-1",    "06-2",  "",          "99",       "4",
                                U("現金"), "",      "",          "",         "",
                                "0",       "0"}),
                           row({"Q3",          "",   "",  "",          "", U("殿"), "", "", "",  "", "", "",
                                "second@x.jp", "28", "0", U("小切手"), "", "",      "", "", "0", "0"})})
                  .join(u'\n'));

    // Overwritten with the other joins: break only where a flag and text on
    // both sides ask for it.
    struct Join {
        bool join1, join2;
        const char* q1;
        const char* q2;
    } joins[] = {
        {false, false, "東京都千代田区1ビル3F", "大阪府梅田"},
        {true, false, "東京都\r\n千代田区1ビル3F", "大阪府\r\n梅田"},
        {false, true, "東京都千代田区1\r\nビル3F", "大阪府\r\n梅田"},
    };
    for (const Join& j : joins) {
        m_ui.Prompt().Clear();
        ScopedModalRunner runner(QrtDialog(true, j.join1, j.join2));
        ASSERT_EQ(Import(), 1) << m_ui.Prompt().Texts().join(u'\n').toStdString();
        EXPECT_EQ(Get(QStringLiteral("SELECT Address FROM Customer WHERE CustomerCode IN ('Q1','Q2') "
                                     "ORDER BY CustomerCode")),
                  U(j.q1) + u'\n' + U(j.q2));
    }

    // A product without customers.
    Store({});
    m_ui.Prompt().Clear();
    ScopedModalRunner runner(QrtDialog(true, false, false));
    EXPECT_EQ(Import(), 2);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("読み込むデータはありませんでした")});
}

// Through the customer list's commands: out to the product and back, our tax
// type 3 returns as 0 (the product knows no such type), the others as they
// were; the other lists refuse.
TEST_F(QRTExchangeTest, RoundTripThroughTheListCommands)
{
    QString err;
    ASSERT_EQ(m_data.Execute(QStringLiteral("DELETE FROM Customer"), err), 1) << err.toStdString();
    for (int tax = 0; tax <= 4; ++tax) {
        ASSERT_EQ(
            m_data.Execute(U("INSERT INTO Customer (CustomerCode, Company, Name, Keisho2, Day, TaxType, "
                             "CollectType) VALUES ('R%1', '会社%1', '人%1', '様', 31, %1, '振込')")
                               .arg(tax),
                           err),
            1)
            << err.toStdString();
    }
    const QString query = QStringLiteral("SELECT CustomerCode, Company, Name, Keisho2, Day, TaxType, "
                                         "CollectType FROM Customer ORDER BY CustomerCode");
    m_data.Close();

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
    ASSERT_EQ(view->List()->Model().GetRowCount(), 5);
    ASSERT_TRUE(frame->QueryCommandState(ID_EXPORT_VELMIRA).enabled);
    ASSERT_TRUE(frame->QueryCommandState(ID_IMPORT_VELMIRA).enabled);

    frame->ExecuteCommand(ID_MASTER_SELECT_ALL);
    pump();
    m_ui.Prompt().QueueAnswers({IDNO});
    frame->ExecuteCommand(ID_EXPORT_VELMIRA); // answered No
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList{U("選択されている5件の情報を書き出します。よろしいですか？")});
    EXPECT_FALSE(QFile::exists(m_file));
    m_ui.Prompt().Clear();
    frame->ExecuteCommand(ID_EXPORT_VELMIRA);
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList({U("選択されている5件の情報を書き出します。よろしいですか？"),
                           U("書き出しを完了しました。")}));
    QList<int> taxes;
    for (const CKokyaku& k : Stored())
        taxes << k.m_nTaxType;
    EXPECT_EQ(taxes, QList<int>({3, 1, 0, 4, 2}));

    m_ui.Prompt().Clear();
    {
        ScopedModalRunner runner(QrtDialog(true, false, false));
        frame->ExecuteCommand(ID_IMPORT_VELMIRA);
    }
    EXPECT_EQ(m_ui.Prompt().Texts().last(), U("リストを表示しなおします。"))
        << m_ui.Prompt().Texts().join(u'\n').toStdString();

    // Products and suppliers: the list's own refusals.
    m_ui.Prompt().Clear();
    frame->SwitchView(1);
    pump();
    frame->ExecuteCommand(ID_IMPORT_VELMIRA);
    frame->ExecuteCommand(ID_EXPORT_VELMIRA);
    frame->SwitchView(3);
    pump();
    frame->ExecuteCommand(ID_IMPORT_VELMIRA);
    frame->ExecuteCommand(ID_EXPORT_VELMIRA);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList({U("商品台帳にはデータを読み込むことはできません。\n"),
                                                  U("得意先データ以外のデータを書き出すことはできません"),
                                                  U("仕入先台帳にはデータを読み込むことはできません。\n"),
                                                  U("得意先データ以外のデータを書き出すことはできません")}));
    frame.reset();
    SetMasterImportHandler({});
    SetMasterExportHandler({});
    SetMasterSiblingImportHandler({});
    SetMasterSiblingExportHandler({});

    ASSERT_EQ(m_data.Open(m_folder, err), 1) << err.toStdString();
    EXPECT_EQ(Get(query), U("R0|会社0|人0|様|99|0|振込\n"
                            "R1|会社1|人1|様|99|1|振込\n"
                            "R2|会社2|人2|様|99|2|振込\n"
                            "R3|会社3|人3|様|99|0|振込\n"
                            "R4|会社4|人4|様|99|4|振込"));
}
