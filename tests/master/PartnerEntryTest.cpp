#include "MasterTestDb.h"

#include "master/AddressLookup.h"
#include "master/PartnerEntry.h"
#include "platform/archive/AutFile.h"
#include "platform/env/ArdoEnv.h"
#include "platform/env/RegistryIni.h"
#include "platform/lookup/DictionaryFile.h"
#include "platform/lookup/RLAddress.h"
#include "settings/BunruiData.h"
#include "settings/CounterInfo.h"
#include "settings/SettingsFiles.h"

#include <QDir>
#include <QFile>

#include <ostream>

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{' << list.join(QStringLiteral(" | ")).toStdString() << '}';
}

namespace
{

// The store's requests on the fixture database, with scripted relays and
// failures.
class CDbHost : public IMasterStoreHost
{
  public:
    explicit CDbHost(CMakeMsgID& data) : m_data(data) {}

    int CheckDuplicateCode(const QString& table, const QString& field, const QString& code,
                           CCDSData& result) override
    {
        m_calls << QStringLiteral("lookup");
        if (m_bLookupFails)
            return 0;
        CCDSData request;
        request.m_strTable = table;
        request.m_strCondition = QStringLiteral("WHERE %1='%2'").arg(field, code);
        QString err;
        return m_data.GetDataList(request, result, err) == 1 ? 1 : 0;
    }
    int InsertData(CCDSData& set, QString& err) override
    {
        m_calls << QStringLiteral("insert");
        return m_data.InsertData(set, err);
    }
    int UpdateData(const CCDSData& set, QString& err) override
    {
        m_calls << QStringLiteral("update");
        return m_data.UpdateData(set, err);
    }
    int GetDataNum(const CCDSData& request, int& count, QString& err) override
    {
        m_calls << QStringLiteral("count ") + request.m_strTable;
        if (m_nCountResult != 1) {
            err = m_strCountError;
            return m_nCountResult;
        }
        return m_data.GetDataNum(request, count, err);
    }
    int NotifyMasterRecordAdded(const COneRecord*) override { return 0; }
    COneRecord* SelectNextMasterRecord(COneRecord*) override { return m_pNext; }
    COneRecord* SelectPrevMasterRecord(COneRecord*) override { return nullptr; }
    int GetMasterPrevNextState(bool& hasPrev, bool& hasNext) override
    {
        hasPrev = hasNext = false;
        return 0;
    }

    CMakeMsgID& m_data;
    QStringList m_calls;
    bool m_bLookupFails = false;
    int m_nCountResult = 1;
    QString m_strCountError;
    COneRecord* m_pNext = nullptr;
};

class PartnerEntryTest : public CMasterDbTest
{
  protected:
    void SetUp() override
    {
        CMasterDbTest::SetUp();
        // The template's own partners stay out of the counts.
        Exec(QStringLiteral("DELETE FROM Customer"));
        Exec(QStringLiteral("DELETE FROM Supplier"));
    }
    // A customer ready to save: code, closing day "月末締", "納品ごと".
    void Fill(CPartnerEntry& entry, const QString& code)
    {
        CPartnerValues& v = entry.Values();
        v.code = code;
        v.company = QStringLiteral("いろは商店");
        v.day = 1;
        v.taxType = 1;
    }
    CCDSData Rows(const QString& table, const QString& condition = {})
    {
        CCDSData request, result;
        request.m_strTable = table;
        request.m_strCondition = condition;
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString();
        return result;
    }
    static int Int(const COneRecord* record, const QString& table, const QString& field)
    {
        int value = -12345;
        const CTb* tb = record ? record->GetOneField(table, field) : nullptr;
        return tb && tb->GetData(value) ? value : -12345;
    }
    void WriteDefault(const QString& name, const QString& text)
    {
        QDir().mkpath(OtherFolder(m_folder));
        ASSERT_TRUE(WriteAutFile(QDir(OtherFolder(m_folder)).filePath(name), text));
    }

    CDbHost m_host{m_data};
};

} // namespace

TEST(PartnerConversions, ClosingDayTaxTypeAndCollectionDay)
{
    const QStringList entries = CloseDayEntries();
    ASSERT_EQ(entries.size(), 30);
    for (int index = 0; index < 30; ++index) {
        const int day = DayIndexToCloseDay(index);
        EXPECT_EQ(CloseDayToDayIndex(day), index) << index;
        if (index >= 2) {
            EXPECT_EQ(entries[index], QStringLiteral("毎月%1日締").arg(day));
        }
    }
    EXPECT_EQ(entries[7], QStringLiteral("毎月1日締"));
    EXPECT_EQ(entries[29], QStringLiteral("毎月28日締"));
    // Days the list does not hold show "月末締", negatives included.
    const std::pair<int, int> days[] = {{0, 0}, {5, 2}, {28, 29}, {30, 1}, {99, 1}, {-3, 1}};
    for (const auto& [day, index] : days)
        EXPECT_EQ(CloseDayToDayIndex(day), index) << day;

    const std::pair<int, int> taxes[] = {{0, 4}, {1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, -1}, {-1, -1}};
    for (const auto& [value, index] : taxes) {
        EXPECT_EQ(TaxTypeToIndex(value), index) << value;
        if (index >= 0) {
            EXPECT_EQ(TaxIndexToType(index), value);
        }
    }
    EXPECT_EQ(TaxTypeEntries()[4], QStringLiteral("しない"));
    const std::pair<int, int> collect[] = {{99, 0}, {1, 1}, {28, 28}, {29, -1}, {-1, -1}};
    for (const auto& [day, index] : collect)
        EXPECT_EQ(CollectDayToIndex(day), index) << day;
    EXPECT_EQ(CollectDayEntries().size(), 29);
    EXPECT_EQ(CycleEntries().size(), 8);
    EXPECT_EQ(RoundEntries()[2], QStringLiteral("端数切り上げ"));
}

TEST_F(PartnerEntryTest, DefaultsFromTheSalesConditionFiles)
{
    ASSERT_TRUE(QDir(OtherFolder(m_folder)).removeRecursively());
    CPartnerEntry entry(SPartnerTraits::Customer(), &m_host);
    entry.NewRecord();
    const CPartnerValues& v = entry.Values();
    // No files: "都度", "請求時", both roundings first, "請求後" with 0 days, no method.
    EXPECT_EQ(v.day, 0);
    EXPECT_EQ(v.taxType, 0);
    EXPECT_EQ(v.taxRound, 0);
    EXPECT_EQ(v.round, 0);
    EXPECT_EQ(v.cycle, 0);
    EXPECT_EQ(v.dayCount, QStringLiteral("0"));
    EXPECT_TRUE(v.DayCountActive());
    EXPECT_EQ(v.methodIndex, -1);
    EXPECT_EQ(v.keisho2, QStringLiteral("様"));
    EXPECT_EQ(v.percent, QStringLiteral("100.0"));

    WriteDefault(QStringLiteral("CollectDay.aut"), QStringLiteral("99"));
    WriteDefault(QStringLiteral("CLOSEDAY.AUT"), QStringLiteral("20"));
    WriteDefault(QStringLiteral("TaxType.aut"), QStringLiteral("0"));
    WriteDefault(QStringLiteral("CollectCycle.aut"), QStringLiteral("2"));
    WriteDefault(QStringLiteral("CollectType.aut"), QStringLiteral("振込"));
    entry.NewRecord();
    EXPECT_EQ(entry.Values().dayList, 0); // "月末"
    EXPECT_EQ(entry.Values().dayCount, QStringLiteral("99"));
    EXPECT_EQ(CloseDayEntries()[entry.Values().day], QStringLiteral("毎月20日締"));
    EXPECT_EQ(entry.Values().taxType, 4);
    EXPECT_EQ(entry.Values().cycle, 2);
    EXPECT_EQ(entry.Values().methodIndex, 2);
    // The defaults alone are no input.
    EXPECT_FALSE(entry.ResetFields(true));
    entry.Values().memo = QStringLiteral("x");
    EXPECT_TRUE(entry.ResetFields(true));
    EXPECT_EQ(entry.Values().memo, QStringLiteral("x"));
}

TEST_F(PartnerEntryTest, RefusalsBeforeAnythingIsWritten)
{
    CPartnerEntry entry(SPartnerTraits::Customer(), &m_host);
    entry.NewRecord();
    const struct {
        const char* code;
        std::function<void(CPartnerValues&)> change;
        QString message;
        EPartnerField focus;
    } cases[] = {
        {"　", {}, QStringLiteral("必須項目です。入力してください。"), EPartnerField::Code},
        {"A B",
         {},
         QStringLiteral("得意先コードには、スペース文字を含めることはできません。"),
         EPartnerField::Code},
        {"A1", [](CPartnerValues& v) { v.day = 0, v.taxType = 0; },
         QStringLiteral(
             "締日の設定が「都度」になっています。\n税転嫁方法に「請求時」を設定することは出来ません。\n"),
         EPartnerField::TaxType},
        {"A1", [](CPartnerValues& v) { v.day = -1, v.taxType = -1; },
         QStringLiteral("必須項目です。入力してください。"), EPartnerField::Day},
        {"A1", [](CPartnerValues& v) { v.taxType = -1, v.round = -1; },
         QStringLiteral("必須項目です。入力してください。"), EPartnerField::TaxType},
        {"A1", [](CPartnerValues& v) { v.round = -1, v.percent.clear(); },
         QStringLiteral("必須項目です。入力してください。"), EPartnerField::Round},
        {"A1", [](CPartnerValues& v) { v.percent.clear(), v.cycle = -1; },
         QStringLiteral("必須項目です。入力してください。"), EPartnerField::Percent},
        {"A1", [](CPartnerValues& v) { v.cycle = 2, v.dayList = -1; },
         QStringLiteral("必須項目です。入力してください。"), EPartnerField::DayList},
        {"A1", [](CPartnerValues& v) { v.cycle = 0, v.dayCount = QStringLiteral("-1"); },
         QStringLiteral("必須項目です。入力してください。"), EPartnerField::DayCount},
        {"A1", [](CPartnerValues& v) { v.memo = QStringLiteral("😀"); },
         QStringLiteral("メモに使用できない文字「😀」(U+1F600) が含まれています。"), EPartnerField::Memo},
    };
    for (const auto& c : cases) {
        entry.NewRecord();
        Fill(entry, QString::fromUtf8(c.code));
        if (c.change)
            c.change(entry.Values());
        m_ui.Prompt().Clear();
        EXPECT_EQ(entry.Save(1), 0) << c.code;
        EXPECT_EQ(Texts(), QStringList{c.message}) << c.message.toStdString();
        EXPECT_EQ(entry.FocusField(), c.focus) << c.message.toStdString();
    }
    EXPECT_EQ(m_host.m_calls, QStringList());

    // A stored code, and a lookup that fails, refuse the insert alike.
    Exec(QStringLiteral("INSERT INTO Customer(CustomerCode) VALUES('A1')"));
    for (bool fails : {false, true}) {
        m_host.m_bLookupFails = fails;
        entry.NewRecord();
        Fill(entry, fails ? QStringLiteral("NEW") : QStringLiteral("a1"));
        m_ui.Prompt().Clear();
        EXPECT_EQ(entry.Save(1), 0);
        EXPECT_EQ(Texts(), QStringList{QStringLiteral(
                               "この得意先コードは既に登録されています。\n登録できません。\n")});
    }
    EXPECT_EQ(Count(QStringLiteral("Customer")), 1);
}

// A text the record could not keep is refused naming the field as the
// dialog captions it (a classification by its title, a payee field as the
// payee's) and the code point of each character, drawn as a box where no
// font has it; the field takes the focus and nothing is written.
TEST_F(PartnerEntryTest, RefusedCharactersNameTheFieldAndTheirCodePoints)
{
    CBunruiData titles;
    ASSERT_EQ(titles.SetTitle(BUNRUI_SUPPLIER, 1, QStringLiteral("地区")), 1);
    const struct {
        bool customer;
        std::function<void(CPartnerValues&)> change;
        const char* said;
        EPartnerField focus;
    } cases[] = {
        {true, [](CPartnerValues& v) { v.company = u"いろは😀"_qs; },
         "会社名に使用できない文字「😀」(U+1F600) が含まれています。", EPartnerField::Company},
        {true, [](CPartnerValues& v) { v.phoenicPerson = u"ｲﾛﾊ\u00E9"_qs; },
         "名前ﾌﾘｶﾞﾅに使用できない文字「é」(U+00E9) が含まれています。", EPartnerField::PhoenicPerson},
        {true, [](CPartnerValues& v) { v.cls[0] = u"🍣東🍣\u2603"_qs; },
         "分類１に使用できない文字「🍣\u2603」(U+1F363, U+2603) が含まれています。", EPartnerField::Class1},
        {true, [](CPartnerValues& v) { v.myPerson = u"佐藤\u0301"_qs; },
         "自社担当者に使用できない文字「\u0301」(U+0301) が含まれています。", EPartnerField::MyPerson},
        {false, [](CPartnerValues& v) { v.cls[1] = u"北\U0001F5FE"_qs; },
         "地区に使用できない文字「\U0001F5FE」(U+1F5FE) が含まれています。", EPartnerField::Class2},
        {false, [](CPartnerValues& v) { v.bankOnesName = u"ｶ)ｲﾛﾊ😀"_qs; },
         "振込先の名義に使用できない文字「😀」(U+1F600) が含まれています。", EPartnerField::BankOnesName},
        {false, [](CPartnerValues& v) { v.mail = u"a@例.jp\u200B"_qs; },
         "E-mailに使用できない文字「\u200B」(U+200B) が含まれています。", EPartnerField::Mail},
    };
    for (const auto& c : cases) {
        CPartnerEntry entry(c.customer ? SPartnerTraits::Customer() : SPartnerTraits::Supplier(), &m_host);
        entry.NewRecord();
        Fill(entry, QStringLiteral("R1"));
        c.change(entry.Values());
        m_ui.Prompt().Clear();
        m_host.m_calls.clear();
        EXPECT_EQ(entry.Save(0), 0) << c.said;
        EXPECT_EQ(Texts(), QStringList{QString::fromUtf8(c.said)});
        EXPECT_EQ(entry.FocusField(), c.focus) << c.said;
        EXPECT_EQ(m_host.m_calls, QStringList()) << c.said;
    }
}

TEST_F(PartnerEntryTest, InsertsWithAutomaticNumbersThenChangesKeepTheStartDate)
{
    CCounterInfo counters;
    CCounterInfoElem* counter = counters.GetElem(COUNTER_SUPPLIER_CODE);
    ASSERT_TRUE(counter);
    counter->m_nAuto = 1;
    counter->m_nNumber = 41;
    counter->m_strPrefix = QStringLiteral("S");
    ASSERT_EQ(counters.Save(), 1);

    CPartnerEntry entry(SPartnerTraits::Supplier(), &m_host);
    entry.NewRecord();
    EXPECT_EQ(entry.m_nCodeMode, 1);
    EXPECT_EQ(entry.Values().code, QStringLiteral("S000041"));
    // The automatic code alone is input: closing asks.
    m_ui.Prompt().QueueAnswers({IDNO});
    EXPECT_TRUE(entry.QueryClose());
    EXPECT_EQ(Texts(),
              QStringList{QStringLiteral("この仕入先データはまだ登録されていません。\n登録しますか？")});
    m_ui.Prompt().Clear();

    m_ui.Clock().Set(QDateTime(QDate(2024, 5, 2), QTime(10, 30)));
    for (const char* company : {"一番商事", "二番商事"}) {
        entry.Values().company = QString::fromUtf8(company);
        entry.Values().day = 1;
        entry.Values().taxType = 1;
        entry.Values().bank = QStringLiteral("みどり銀行");
        entry.Values().bankType = 3;
        entry.Values().cycle = 0;
        entry.Values().dayCount = QStringLiteral("15");
        ASSERT_EQ(entry.Save(1), 1) << Texts().join(u'|').toStdString();
    }
    EXPECT_EQ(entry.Values().code, QStringLiteral("S000043"));
    EXPECT_TRUE(entry.Values().company.isEmpty());
    CCDSData rows = Rows(QStringLiteral("Supplier"), QStringLiteral("ORDER BY ID"));
    ASSERT_EQ(rows.GetCount(), 2);
    const COneRecord* first = rows.GetAt(0);
    EXPECT_EQ(first->GetOneField("Supplier", "SupplierCode")->GetText(), QStringLiteral("S000041"));
    EXPECT_EQ(rows.GetAt(1)->GetOneField("Supplier", "SupplierCode")->GetText(), QStringLiteral("S000042"));
    EXPECT_EQ(Int(first, "Supplier", "Day"), 99);
    EXPECT_EQ(Int(first, "Supplier", "TaxType"), 2);
    EXPECT_EQ(Int(first, "Supplier", "CollectDay"), 15);
    EXPECT_EQ(Int(first, "Supplier", "CollectCycle"), 0);
    EXPECT_EQ(Int(first, "Supplier", "BankType"), 3);
    EXPECT_EQ(Int(first, "Supplier", "BankAccountType"), 1);
    EXPECT_EQ(first->GetOneField("Supplier", "Bank")->GetText(), QStringLiteral("みどり銀行"));
    EXPECT_EQ(first->GetOneField("Supplier", "Keisho2")->GetText(), QStringLiteral("様"));
    QDateTime start;
    ASSERT_TRUE(first->GetOneField("Supplier", "StartDate")->GetData(start));
    EXPECT_EQ(start, QDateTime(QDate(2024, 5, 2), QTime(10, 30)));

    // The written record: the new one starts with "ID" and the code; a
    // change carries neither and keeps the start date.
    entry.SetRecord(first);
    entry.m_nMode = 1;
    EXPECT_FALSE(entry.IsModified());
    CCDSData request;
    ASSERT_EQ(entry.BuildRecord(request), 1);
    QStringList names;
    for (int i = 0; i < request.GetAt(0)->GetCount(); ++i)
        names << request.GetAt(0)->GetAt(i)->GetName().section(u'.', 1);
    EXPECT_EQ(names.mid(0, 3), QStringList({"Company", "Section", "Name"}));
    EXPECT_EQ(names.mid(12, 8), QStringList({"Day", "TaxType", "TaxRoundType", "RoundType", "CollectCycle",
                                             "CollectDay", "Collect", "CollectType"}));
    EXPECT_EQ(names.mid(20, 11), QStringList({"Bank", "BankCode", "BankBranch", "BankBranchCode",
                                              "BankAccountType", "BankNumber", "BankOnesName",
                                              "BankOnesPhoenic", "BankFee", "PaymentType", "BankType"}));
    EXPECT_EQ(names.mid(names.size() - 6),
              QStringList({"Class5", "OnesCode", "MyPerson", "Memo", "StartDate", "LastUpdate"}));
    EXPECT_EQ(request.m_strCondition, QStringLiteral("WHERE ID=%1").arg(entry.RecordId()));

    m_ui.Clock().Set(QDateTime(QDate(2024, 6, 3), QTime(8, 0)));
    entry.Values().memo = QStringLiteral("変更");
    EXPECT_TRUE(entry.IsModified());
    m_ui.Prompt().Clear();
    ASSERT_EQ(entry.Save(1), 1);
    EXPECT_EQ(Texts(), QStringList({QStringLiteral("仕入先情報を修正します。よろしいですか？"),
                                    QStringLiteral("\n修正しました。")}));
    // No master list took the record: the dialog stays on what it wrote.
    EXPECT_EQ(entry.m_nMode, 1);
    EXPECT_EQ(entry.Values().code, QStringLiteral("S000041"));
    EXPECT_EQ(entry.Values().memo, QStringLiteral("変更"));
    EXPECT_FALSE(entry.IsModified());
    rows = Rows(QStringLiteral("Supplier"), QStringLiteral("WHERE SupplierCode='S000041'"));
    ASSERT_EQ(rows.GetCount(), 1);
    QDateTime last;
    ASSERT_TRUE(rows.GetAt(0)->GetOneField("Supplier", "StartDate")->GetData(start));
    ASSERT_TRUE(rows.GetAt(0)->GetOneField("Supplier", "LastUpdate")->GetData(last));
    EXPECT_EQ(start.date(), QDate(2024, 5, 2));
    EXPECT_EQ(last.date(), QDate(2024, 6, 3));
    EXPECT_EQ(rows.GetAt(0)->GetOneField("Supplier", "Memo")->GetText(), QStringLiteral("変更"));
}

TEST_F(PartnerEntryTest, ClosingDayChangeAgainstTheSlips)
{
    Exec(QStringLiteral(
        "INSERT INTO Customer(CustomerCode, Day, TaxType, TaxRoundType, RoundType, CollectCycle, CollectDay)"
        " VALUES('C''1', 99, 2, 1, 1, 2, 99)"));
    Exec(QStringLiteral("INSERT INTO Sales_H(CustomerCode, SeikyuID) VALUES('C''1', 0)"));
    Exec(QStringLiteral(
        "INSERT INTO Supplier(SupplierCode, Day, TaxType, TaxRoundType, RoundType, CollectCycle, CollectDay)"
        " VALUES('S1', 0, 2, 1, 1, 2, 99), ('S2', 0, 2, 1, 1, 2, 99)"));
    Exec(QStringLiteral("INSERT INTO Stock_H(SupplierCode, SeikyuID) VALUES('S1', 7)"));

    // "月末締" to "都度" with an unbilled slip: refused, the day stays.
    CPartnerEntry customer(SPartnerTraits::Customer(), &m_host);
    customer.SetRecord(Rows(QStringLiteral("Customer")).GetAt(0));
    customer.m_nMode = 1;
    customer.Values().day = 0;
    customer.Values().taxType = 1;
    EXPECT_EQ(customer.Save(0), 0);
    EXPECT_EQ(Texts(),
              QStringList{QStringLiteral(
                  "！！！ご注意！！！\n締め処理をしていない伝票がありますので、締日の変更はできません。\n"
                  "締処理を行ってから変更してください。")});
    EXPECT_EQ(customer.FocusField(), EPartnerField::Day);
    EXPECT_EQ(Count(QStringLiteral("Customer"), QStringLiteral("WHERE Day=99")), 1);

    // "都度" to "毎月20日締" with slips: OK/Cancel, Cancel keeps it.
    const QString question =
        QStringLiteral("！！！ご注意！！！\n都度請求から締め請求に変更しようとしています。\n"
                       "次回、締め請求を行った場合、いままでの請求額と入金額が前回請求額と今回入金額に加算さ"
                       "れるようになります。\n"
                       "よろしいですか？");
    CPartnerEntry supplier(SPartnerTraits::Supplier(), &m_host);
    for (const char* code : {"S1", "S2"}) {
        m_ui.Prompt().Clear();
        m_host.m_calls.clear();
        supplier.SetRecord(
            Rows(QStringLiteral("Supplier"), QStringLiteral("WHERE SupplierCode='%1'").arg(code)).GetAt(0));
        supplier.m_nMode = 1;
        supplier.Values().day = CloseDayToDayIndex(20);
        const bool slips = QLatin1StringView(code) == QLatin1StringView("S1");
        if (slips)
            m_ui.Prompt().QueueAnswers({IDCANCEL});
        EXPECT_EQ(supplier.UpdateExisting(false), slips ? 0 : 1);
        EXPECT_EQ(m_host.m_calls.first(), QStringLiteral("count Stock_H"));
        EXPECT_EQ(Texts(), slips ? QStringList{question} : QStringList());
        if (!slips)
            m_ui.Prompt().Clear();
    }
    EXPECT_EQ(Count(QStringLiteral("Supplier"), QStringLiteral("WHERE Day=20")), 1);

    // The count failing: fatal, the library's text, else the advice.
    const struct {
        int result;
        QString err;
        QString message;
    } failures[] = {
        {-100,
         {},
         QStringLiteral("処理中に重大なエラーが発生しました。このまま『Corvanta／販売』を使用することはできま"
                        "せん。\n\nすみやかにアプリケーションを終了してください。")},
        {10, QStringLiteral("ディスクエラー"), QStringLiteral("ディスクエラー")},
        {10,
         {},
         QStringLiteral("仕入先の伝票件数を取得しようとして、何らかのエラーが発生した可能性があります。\n『Co"
                        "rvanta／販売』を一旦終了してから操作し直すことをおすすめします。")},
    };
    supplier.SetRecord(Rows(QStringLiteral("Supplier"), QStringLiteral("WHERE SupplierCode='S1'")).GetAt(0));
    supplier.Values().day = CloseDayToDayIndex(25);
    for (const auto& f : failures) {
        m_ui.Prompt().Clear();
        m_host.m_nCountResult = f.result;
        m_host.m_strCountError = f.err;
        EXPECT_EQ(supplier.CheckCloseDayChange(), 0);
        EXPECT_EQ(Texts(), QStringList{f.message});
    }
    m_ui.Prompt().Clear();
}

TEST_F(PartnerEntryTest, ModifiedTestCloseQuestionsStepsAndCodeLookup)
{
    Exec(QStringLiteral(
        "INSERT INTO Customer(CustomerCode, Company, Day, TaxType, TaxRoundType, RoundType, Percent,"
        " CollectCycle, CollectDay, Collect, CollectType) VALUES('K1', '会社', 5, 5, 1, 1, 800000, 2, 10,"
        " 123450000, '振込')"));
    const CCDSData rows = Rows(QStringLiteral("Customer"));
    CPartnerEntry entry(SPartnerTraits::Customer(), &m_host);
    entry.SetRecord(rows.GetAt(0));
    entry.m_nMode = 1;
    EXPECT_EQ(entry.Values().taxType, -1); // "TaxType" 5 shows no entry
    EXPECT_EQ(entry.Values().percent, QStringLiteral("80"));
    EXPECT_TRUE(entry.Values().keisho2.isEmpty());
    EXPECT_FALSE(entry.IsModified());
    // Each kind of field counts: text, money (by value), list, day list.
    const std::function<void(CPartnerValues&)> changes[] = {
        [](CPartnerValues& v) { v.company += u'x'; },
        [](CPartnerValues& v) { v.collect = QStringLiteral("12346"); },
        [](CPartnerValues& v) { v.round = 2; },
        [](CPartnerValues& v) { v.dayList = 11; },
        [](CPartnerValues& v) { v.method = QStringLiteral("現金"); },
    };
    for (const auto& change : changes) {
        CPartnerValues v = entry.Values();
        change(entry.Values());
        EXPECT_TRUE(entry.IsModified());
        entry.Values() = v;
    }
    entry.Values().percent = QStringLiteral("80.0");
    EXPECT_FALSE(entry.IsModified());
    EXPECT_TRUE(entry.QueryClose());
    EXPECT_EQ(Texts(), QStringList());

    // Saving the unchanged record stops at the tax type.
    EXPECT_EQ(entry.Save(0), 0);
    EXPECT_EQ(entry.FocusField(), EPartnerField::TaxType);
    m_ui.Prompt().Clear();

    // A change: Cancel stays, No closes without writing.
    entry.Values().memo = QStringLiteral("m");
    m_ui.Prompt().QueueAnswers({IDCANCEL, IDNO});
    EXPECT_FALSE(entry.QueryClose());
    EXPECT_TRUE(entry.QueryClose());
    EXPECT_EQ(Texts(),
              QStringList(2, QStringLiteral("この得意先データは変更されています。\n登録しますか？")));
    m_ui.Prompt().Clear();

    // The last row: nothing after it.
    entry.Values().memo.clear();
    EXPECT_FALSE(entry.MoveRecord(1));
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("次のデータが取得できませんでした。\n")});
    m_ui.Prompt().Clear();
    COneRecord next(*rows.GetAt(0));
    next.GetOneField("Customer", "Company")->operator=(QStringLiteral("次の会社"));
    m_host.m_pNext = &next;
    EXPECT_TRUE(entry.MoveRecord(1));
    EXPECT_EQ(entry.Values().company, QStringLiteral("次の会社"));

    // A new record: nothing typed closes silently; a stored code is offered.
    CPartnerEntry fresh(SPartnerTraits::Customer(), &m_host);
    fresh.NewRecord();
    EXPECT_TRUE(fresh.QueryClose());
    EXPECT_EQ(Texts(), QStringList());
    fresh.Values().code = QStringLiteral("k1");
    m_ui.Prompt().QueueAnswers({IDNO, IDYES});
    EXPECT_EQ(fresh.OnCodeLeft(), 0);
    EXPECT_TRUE(fresh.Values().code.isEmpty());
    EXPECT_EQ(fresh.FocusField(), EPartnerField::Code);
    fresh.Values().code = QStringLiteral("K1");
    EXPECT_EQ(fresh.OnCodeLeft(), 1);
    EXPECT_EQ(fresh.m_nMode, 1);
    EXPECT_EQ(fresh.Values().company, QStringLiteral("会社"));
    EXPECT_EQ(
        Texts(),
        QStringList(
            2,
            QStringLiteral(
                "入力した得意先コードと一致するデータが既に登録されています。\nそのデータを表示しますか？")));
    m_ui.Prompt().Clear();
}

TEST_F(PartnerEntryTest, AddressFillRules)
{
    CPartnerEntry entry(SPartnerTraits::Customer(), &m_host);
    CRLAddress postal;
    postal.m_strPostcode = QStringLiteral("100-0001");
    postal.m_strAddress1 = QStringLiteral("東京都");
    postal.m_strAddress2 = QStringLiteral("千代田区");
    postal.m_strAddress3 = QStringLiteral("千代田（次のビルを除く）");
    postal.m_strAddress4 = QStringLiteral("1-1");
    postal.m_strName = QStringLiteral("千代田商事");

    // Empty fields fill without a question, brackets gone.
    ASSERT_TRUE(entry.FillFromPostcode(postal));
    EXPECT_EQ(entry.Values().address, QStringLiteral("東京都千代田区千代田\r\n1-1"));
    EXPECT_EQ(entry.Values().company, QStringLiteral("千代田商事"));
    EXPECT_EQ(Texts(), QStringList());
    // Filled fields: the question names them; No changes nothing.
    const CPartnerValues before = entry.Values();
    m_ui.Prompt().QueueAnswers({IDNO});
    EXPECT_FALSE(entry.FillFromPostcode(postal));
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("「住所」「会社名」を上書きしてよろしいですか？")});
    EXPECT_EQ(entry.Values().address, before.address);

    CRLAddress person = postal;
    person.m_nB = 1;
    person.m_strName = QStringLiteral("山田太郎");
    entry.Values().name = QStringLiteral("鈴木");
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_TRUE(entry.FillFromTelephone(person));
    EXPECT_EQ(Texts(),
              QStringList{QStringLiteral("「郵便番号」「住所」「名前」を上書きしてよろしいですか？")});
    EXPECT_EQ(entry.Values().name, QStringLiteral("山田太郎"));
    EXPECT_EQ(entry.Values().company, QStringLiteral("千代田商事"));
    EXPECT_EQ(entry.Values().address, QStringLiteral("東京都千代田区千代田（次のビルを除く）\r\n1-1"));

    CRLAddress company = postal;
    company.m_nB = 2;
    company.m_strName = QStringLiteral("電話帳商会");
    m_ui.Prompt().Clear();
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_TRUE(entry.FillFromTelephone(company));
    EXPECT_EQ(Texts(),
              QStringList{QStringLiteral("「郵便番号」「住所」「会社名」を上書きしてよろしいですか？")});
    EXPECT_EQ(entry.Values().company, QStringLiteral("電話帳商会"));
    EXPECT_EQ(entry.Values().name, QStringLiteral("山田太郎"));
    m_ui.Prompt().Clear();

    // Only parts that hold text are joined: no line break before or after
    // an empty line, also when the bracket was all a line held.
    const struct {
        const char* parts[4];
        const char* postcode; // the address of a postcode hit
        const char* telephone;
    } joins[] = {
        {{"東京都", "千代田区", "千代田", ""}, "東京都千代田区千代田", "東京都千代田区千代田"},
        {{"", "", "", "大手町1-1"}, "大手町1-1", "大手町1-1"},
        {{"東京都", "千代田区", "丸の内", "（地階）"},
         "東京都千代田区丸の内",
         "東京都千代田区丸の内\r\n（地階）"},
        {{"東京都", "千代田区", "（注）", "1-1"}, "東京都千代田区\r\n1-1", "東京都千代田区（注）\r\n1-1"}};
    for (const auto& j : joins) {
        CPartnerEntry fresh(SPartnerTraits::Supplier(), &m_host);
        CRLAddress hit;
        hit.m_nB = 2;
        QString* const parts[] = {&hit.m_strAddress1, &hit.m_strAddress2, &hit.m_strAddress3,
                                  &hit.m_strAddress4};
        for (int i = 0; i < 4; ++i)
            *parts[i] = QString::fromUtf8(j.parts[i]);
        ASSERT_TRUE(fresh.FillFromPostcode(hit));
        EXPECT_EQ(fresh.Values().address, QString::fromUtf8(j.postcode));
        fresh.Values().address.clear();
        ASSERT_TRUE(fresh.FillFromTelephone(hit));
        EXPECT_EQ(fresh.Values().address, QString::fromUtf8(j.telephone));
    }
    EXPECT_EQ(Texts(), QStringList());
}

// The lookups of "..." through the dialog's rules on tiny dictionaries: a
// number that matches nothing is said to, and a dictionary whose pages are
// damaged opens but is reported by its file when the search fails; neither
// changes a value.
TEST_F(PartnerEntryTest, LookupSaysNoHitAndNamesADamagedDictionary)
{
    const QString dic = CArdoEnv().GetProgramFolder() + QStringLiteral("/Dic");
    ASSERT_TRUE(QDir().mkpath(dic));
    QFile registry(RegistryIniPath());
    ASSERT_TRUE(registry.open(QIODevice::WriteOnly));
    registry.write(
        ("[SOFTWARE\\Pellam\\Morvek\\Common\\MorvekTel]\nDataPath=" + dic + "\nHDPath=" + dic + "\n")
            .toUtf8());
    registry.close();
    const auto writeDictionaries = [&dic] {
        const QStringList area{QStringLiteral("東京都"), QStringLiteral("千代田区"), QStringLiteral("千代田"),
                               ""};
        return WriteDictionary(dic + "/Yubin.dic", "postal", {QStringList{"1000001"} + area}) &&
               WriteDictionary(dic + "/Hojin.dic", "corporate", {}) &&
               WriteDictionary(
                   dic + "/Tel.dic", "telephone",
                   {QStringList{"0312345678", "2", "0", "", "1000001", QStringLiteral("甲商事")} + area});
    };
    // Every page after those of the dictionary's own header table unreadable.
    const auto damage = [&dic](const char* name) {
        QFile file(dic + u'/' + QLatin1StringView(name));
        if (!file.open(QIODevice::ReadWrite))
            return false;
        const QByteArray header = file.read(18);
        const qint64 kept = 3 * ((uchar(header[16]) << 8) | uchar(header[17]));
        return file.size() > kept && file.seek(kept) && file.write(QByteArray(file.size() - kept, 'Z')) > 0;
    };
    const QString damaged = QStringLiteral("辞書ファイル<%1/%2>が壊れています。\n");
    const struct {
        int mode;
        const char* number;
        const char* damaged; // the file whose pages are broken
        QString message;     // empty: the hit is filled in
    } cases[] = {
        {0, "9999999", nullptr, QStringLiteral("該当するデータはありませんでした")},
        {1, "03-9999-9999", nullptr, QStringLiteral("該当するデータはありませんでした")},
        {0, "100-0001", nullptr, {}},
        {1, "03-1234-5678", nullptr, {}},
        {0, "1000001", "Yubin.dic",
         damaged.arg(dic, "Yubin.dic") + QStringLiteral("郵便番号データ検索ができません。\n")},
        {0, "1000001", "Hojin.dic",
         damaged.arg(dic, "Hojin.dic") + QStringLiteral("郵便番号データ検索ができません。\n")},
        {1, "0312345678", "Tel.dic",
         damaged.arg(dic, "Tel.dic") + QStringLiteral("電話番号検索ができません。\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        ASSERT_TRUE(writeDictionaries());
        if (c.damaged) {
            ASSERT_TRUE(damage(c.damaged));
        }
        m_ui.Prompt().Clear();
        CPartnerEntry entry(SPartnerTraits::Customer(), &m_host);
        CAddressLookup lookup;
        (c.mode == 0 ? entry.Values().zip : entry.Values().tel) = QString::fromUtf8(c.number);
        EXPECT_EQ(entry.LookupAddress(lookup, c.mode), c.message.isEmpty());
        EXPECT_EQ(Texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(entry.Values().address,
                  c.message.isEmpty() ? QStringLiteral("東京都千代田区千代田") : QString());
        EXPECT_EQ(entry.Values().company,
                  c.message.isEmpty() && c.mode == 1 ? QStringLiteral("甲商事") : QString());
    }
}

TEST(PayeeRules, EntriesCodesAndTheSameBankRule)
{
    ScopedFakeUi ui;
    CPartnerValues values;
    values.bankAccountType = 0; // outside the list
    values.bankFee = 1;
    values.bankType = 2;
    values.paymentType = 0;
    CPayeeRules rules;
    rules.FromValues(values);
    EXPECT_EQ(rules.m_nAccountType, -1);
    EXPECT_EQ(rules.m_nFee, 1);
    EXPECT_EQ(rules.m_nBankType, 1);
    EXPECT_EQ(rules.m_nPaymentType, 0);

    // "同行他支店" with "文書": No stays open, Yes switches to "電信".
    ui.Prompt().QueueAnswers({IDNO, IDYES});
    EXPECT_FALSE(rules.CheckOk());
    EXPECT_EQ(rules.m_nPaymentType, 0);
    EXPECT_TRUE(rules.CheckOk());
    EXPECT_EQ(rules.m_nPaymentType, 1);
    EXPECT_EQ(ui.Prompt().Texts().size(), 2);
    rules.ToValues(values);
    EXPECT_EQ(values.bankAccountType, 0);
    EXPECT_EQ(values.paymentType, 1);
    EXPECT_EQ(values.bankType, 2);

    // Unselected lists hand back 0 and -1; "他行" and no payment type ask nothing.
    rules.m_nBankType = -1;
    rules.m_nFee = -1;
    rules.m_nPaymentType = -1;
    EXPECT_TRUE(rules.CheckOk());
    rules.m_nBankType = 2;
    rules.m_nPaymentType = 0;
    EXPECT_TRUE(rules.CheckOk());
    rules.m_nBankType = -1;
    rules.ToValues(values);
    EXPECT_EQ(values.bankType, 0);
    EXPECT_EQ(values.bankFee, -1);
    EXPECT_EQ(ui.Prompt().Texts().size(), 2);
}
