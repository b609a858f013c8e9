#include "ReportFixture.h"

#include "platform/data/MnyText.h"
#include "platform/text/Cp932.h"
#include "platform/ui/FakeUi.h"
#include "reports/ColumnWidthFile.h"
#include "reports/ReportColumns.h"
#include "reports/ReportData.h"
#include "reports/ReportList.h"
#include "reports/ShimeListCtrl.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

using Fields = std::initializer_list<std::pair<const char*, FixtureValue>>;

COneRecord* AddRecord(CCDSData& set, Fields fields)
{
    COneRecord* record = set.AddNew();
    for (const auto& [name, value] : fields)
        value.Put(*record, U(name));
    return record;
}

QString Text(const COneRecord* record, const char* field)
{
    const CTb* tb = record->GetOneField(QString(), U(field));
    return tb ? tb->GetText() : QStringLiteral("<none>");
}

// A list of a mode with its catalogue columns.
void Prepare(CReportList& list, int mode, CCDSData&& records, int carryOver = 0,
             const QString& classField = {})
{
    list.SetMode(mode);
    list.m_nCarryOver = carryOver;
    list.m_cond.classField = classField;
    CReportColumnParams params;
    params.mode = mode;
    params.carryOver = carryOver;
    params.classField = classField;
    params.classTitle = U("地域");
    params.unitWidth = 80;
    list.Columns() = BuildReportColumns(params);
    list.SetRecords(std::move(records));
}

QStringList ColumnTexts(const CReportList& list, int column)
{
    QStringList texts;
    for (const CReportRow& row : list.Rows())
        texts << row.texts.value(column);
    return texts;
}

} // namespace

TEST(ReportRowAmounts, ClosingTaxByRateAndRoundingTheBilledAmountAndTheOneTimeName)
{
    ScopedFakeUi ui;
    struct Case {
        QDate date;        // 5 %, 8 %, 10 %
        QStringList taxes; // rounding 1, 2, 3 and an unknown one (truncates)
    };
    const Case cases[] = {
        {QDate(2004, 5, 25), {"61", "62", "62", "61"}},
        {QDate(2015, 5, 25), {"98", "99", "99", "98"}},
        {QDate(2020, 5, 25), {"123", "123", "124", "123"}},
    };
    for (const Case& c : cases) {
        for (int carryOver : {0, 1}) {
            CCDSData records;
            for (int round : {1, 2, 3, 7})
                AddRecord(records, {{"CustomerCode", "K1"},
                                    {"Company", "青葉"},
                                    {"Section", ""},
                                    {"Name", "一郎"},
                                    {"繰越額", Yen("1000")},
                                    {"今回税抜売上額", Yen("2000")},
                                    {"今回課税対象額", Yen("1234")},
                                    {"今回算出済み税額", Yen("10")},
                                    {"TaxRoundType", round}});
            CReportList list;
            Prepare(list, 8, std::move(records), carryOver);
            ASSERT_TRUE(list.FillList(c.date));
            QStringList taxes;
            for (int i = 0; i < 4; ++i) {
                const COneRecord* r = list.Records().GetAt(i);
                taxes << Text(r, "締め時点税額");
                const CMny tax = TextToMny(Text(r, "消費税"));
                CMny expected;
                // sales + tax (+ carry-over when it is included)
                TextToMny(QString::number(2000 + 10 + taxes.last().toInt() + (carryOver ? 0 : 1000)))
                    .Round(expected, 1, 0);
                EXPECT_EQ(TextToMny(Text(r, "今回売上額")), expected) << c.date.year() << carryOver;
                EXPECT_EQ(tax, TextToMny(QString::number(taxes.last().toInt() + 10)));
                EXPECT_EQ(Text(r, "ID"), "0");
                EXPECT_EQ(Text(r, "Company_Section_Name"), U("青葉  一郎"));
            }
            EXPECT_EQ(taxes, c.taxes) << c.date.year();
            // mode 8 shows the carry-over columns only while it is included
            EXPECT_EQ(list.Rows()[0].texts.size(), carryOver ? 7 : 10);
        }
    }

    // The one-time partner: "諸口" without a name, its own name otherwise.
    CCDSData records;
    AddRecord(records, {{"CustomerCode", "　"}, {"Company", ""}, {"Name", ""}, {"TaxRoundType", 1}});
    AddRecord(records, {{"CustomerCode", "　"}, {"Company", "山田商店"}, {"Name", ""}, {"TaxRoundType", 1}});
    CReportList list;
    Prepare(list, 8, std::move(records));
    ASSERT_TRUE(list.FillList(QDate(2004, 5, 25)));
    EXPECT_EQ(ColumnTexts(list, 2), QStringList({U("諸口"), U("山田商店")}));
    EXPECT_EQ(ui.Prompt().Texts(), QStringList());

    // No rate for the date: no row at all.
    CCDSData one;
    AddRecord(one, {{"CustomerCode", "K1"}});
    Prepare(list, 8, std::move(one));
    EXPECT_FALSE(list.FillList(QDate()));
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(ui.Prompt().Texts(), QStringList({U("消費税率の取得に失敗しました。")}));
}

TEST(ReportRowAmounts, SubtotalsMarginsDroppedRowsAndOrder)
{
    ScopedFakeUi ui;
    // Sales by customer grouped by region: the unclassified group goes last.
    CCDSData records;
    AddRecord(records,
              {{"CustomerCode", "K3"}, {"Class1", ""}, {"純売上額", Yen("0")}, {"粗利益", Yen("0")}});
    AddRecord(records,
              {{"CustomerCode", "K1"}, {"Class1", "関東"}, {"純売上額", Yen("3")}, {"粗利益", Yen("1")}});
    AddRecord(records,
              {{"CustomerCode", "K2"}, {"Class1", "関西"}, {"純売上額", Yen("3")}, {"粗利益", Yen("-1")}});
    CReportList list;
    list.m_cond.groupByClass = 1;
    Prepare(list, 25, std::move(records), 0, QStringLiteral("Class1"));
    ASSERT_TRUE(list.FillList(QDate()));
    const int margin = 7; // "粗利率(％)"
    EXPECT_EQ(ColumnTexts(list, 0), QStringList({U("＜関東計＞"), "K1", U("＜関西計＞"), "K2",
                                                 U("＜分類なし計＞"), "K3", U("＜総合計＞")}));
    EXPECT_EQ(ColumnTexts(list, margin),
              QStringList({"33.3", "33.3", "-33.3", "-33.3", "0.0", "0.0", "0.0"}));
    EXPECT_EQ(ColumnTexts(list, 4), QStringList({"3", "3", "3", "3", "0", "0", "6"}));
    EXPECT_EQ(list.Subtotals().GetCount(), 4);
    // The classification column is not shown while grouping.
    EXPECT_EQ(list.VisibleColumnCount(), int(list.Columns().size()) - 1);
    // A refill of the same records appends no second computed field.
    ASSERT_TRUE(list.FillList(QDate()));
    CCDSData copy;
    copy.Copy(list.Records());
    list.SetRecords(std::move(copy));
    ASSERT_TRUE(list.FillList(QDate()));
    const COneRecord* r = list.Records().GetAt(0);
    int names = 0;
    for (int i = 0; i < r->GetCount(); ++i)
        names += r->GetAt(i)->GetName() == U("粗利率") || r->GetAt(i)->GetName() == U("Company_Section_Name");
    EXPECT_EQ(names, 2);

    // Detail lists show zero as blank and never drop a row; period lists
    // drop periods without amounts.
    CCDSData details;
    AddRecord(details, {{"No", "1"}, {"Number", Yen("0")}, {"Price", Yen("0")}, {"Amount", Yen("0")}});
    list.m_cond = {};
    list.m_cond.tradedOnly = 1;
    Prepare(list, 18, std::move(details));
    ASSERT_TRUE(list.FillList(QDate()));
    ASSERT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.Rows()[0].texts[11], QString());
    CCDSData periods;
    AddRecord(periods, {{"期間", QDate(2004, 5, 1)}, {"売上額", Yen("0")}, {"純売上額", Yen("0")}});
    AddRecord(periods, {{"期間", QDate(2004, 6, 1)}, {"売上額", Yen("5")}, {"純売上額", Yen("5")}});
    list.m_cond = {};
    list.m_cond.periodShape = 1;
    Prepare(list, 31, std::move(periods));
    ASSERT_TRUE(list.FillList(QDate()));
    EXPECT_EQ(ColumnTexts(list, 0), QStringList({U("2004年06月")}));
    EXPECT_EQ(list.Records().GetCount(), 1);

    // From the balances on the one-time partner's rows end the list; staff
    // lists keep their order (an empty code is no one-time partner).
    CCDSData balances;
    AddRecord(balances, {{"CustomerCode", "　"}, {"今回残高", Yen("1")}});
    AddRecord(balances, {{"CustomerCode", "K1"}, {"今回残高", Yen("2")}});
    AddRecord(balances, {{"CustomerCode", "K2"}, {"今回残高", Yen("3")}});
    list.m_cond = {};
    Prepare(list, 23, std::move(balances));
    ASSERT_TRUE(list.FillList(QDate()));
    EXPECT_EQ(ColumnTexts(list, 0), QStringList({"K1", "K2", U("　")}));
    CCDSData staff;
    AddRecord(staff, {{"MyPerson", "佐藤"}, {"売上額", Yen("1")}});
    AddRecord(staff, {{"MyPerson", "鈴木"}, {"売上額", Yen("2")}});
    Prepare(list, 29, std::move(staff));
    ASSERT_TRUE(list.FillList(QDate()));
    EXPECT_EQ(ColumnTexts(list, 0), QStringList({U("佐藤"), U("鈴木")}));
    EXPECT_EQ(ui.Prompt().Texts(), QStringList());
}

TEST(ReportRowAmounts, RedRowsFindAndCodes)
{
    CCDSData balances;
    AddRecord(balances, {{"CustomerCode", "K1"}, {"Ceiling", Yen("0")}, {"限度残額", Yen("-5")}});
    AddRecord(balances, {{"CustomerCode", "K2"}, {"Ceiling", Yen("10")}, {"限度残額", Yen("-5")}});
    AddRecord(balances, {{"CustomerCode", "K3"}, {"Ceiling", Yen("10")}, {"限度残額", Yen("5")}});
    CReportList list;
    Prepare(list, 23, std::move(balances));
    ASSERT_TRUE(list.FillList(QDate()));
    EXPECT_EQ(QList<bool>({list.IsWarningRow(0), list.IsWarningRow(1), list.IsWarningRow(2)}),
              QList<bool>({false, true, false}));
    CCDSData stock;
    AddRecord(stock, {{"ItemCode", "A"}, {"過不足数", Yen("-1")}});
    AddRecord(stock, {{"ItemCode", "B"}, {"過不足数", Yen("0")}});
    Prepare(list, 33, std::move(stock));
    ASSERT_TRUE(list.FillList(QDate()));
    EXPECT_TRUE(list.IsWarningRow(0));
    EXPECT_FALSE(list.IsWarningRow(1));

    // find: characters, not bytes; nothing after the last row
    EXPECT_EQ(list.FindRow(QStringLiteral("B"), true, 0), 1);
    EXPECT_EQ(list.FindRow(QStringLiteral("B"), true, 2), -1);
    EXPECT_EQ(list.FindRow(QStringLiteral("A"), false, 1), 0);
    // "ア" (83 41) is not in "A" even bytewise-shifted texts such as "グA".
    EXPECT_EQ(list.FindRow(U("ア"), true, 0), -1);

    struct Code {
        int code, context;
        const char* field;
        bool purchase;
        const char* text;
    };
    const Code codes[] = {
        {1, 0, "TudoFlg", false, "締め"},  {0, 0, "PaymentType", false, "文書"},
        {1, 0, "BankFee", true, "当方"},   {2, 0, "TaxFlg2", false, "内"},
        {1, 0, "ItemType", true, "仕入"},  {1, 0, "ItemType", false, "売上"},
        {7, 2, "ItemType", false, "入金"}, {7, 2, "ItemType", true, "支払"},
        {0, 0, "Type", false, "出庫"},     {1, 0, "Type", false, "入庫"},
        {4, 0, "タイプ", false, "棚卸"},   {5, 0, "TudoFlg", false, ""},
        {1, 0, "Other", false, ""},
    };
    for (const Code& c : codes)
        EXPECT_EQ(CReportList::CodeToText(c.code, c.context, U(c.field), c.purchase), U(c.text))
            << c.field << c.code;
}

TEST(ReportColumns, CatalogueCountsCarryOverMonthsAndSavedWidths)
{
    auto keys = [](const CReportColumnParams& p) {
        QStringList k;
        for (const CListColumnInfo& c : BuildReportColumns(p))
            k << c.m_strField;
        return k;
    };
    CReportColumnParams p;
    p.unitWidth = 80;
    p.mode = 8;
    p.carryOver = 1;
    EXPECT_EQ(keys(p), QStringList({"ID", "CustomerCode", "Company_Section_Name", U("今回税抜売上額"),
                                    U("消費税"), U("今回売上額"), U("納品枚数")}));
    p.carryOver = 0;
    const std::pair<int, int> counts[] = {{8, 10},  {9, 10},  {10, 9}, {11, 12}, {12, 14}, {18, 17}, {19, 15},
                                          {20, 16}, {21, 15}, {23, 8}, {24, 6},  {47, 2},  {7, 0},   {49, 0}};
    for (const auto& [mode, count] : counts) {
        p.mode = mode;
        EXPECT_EQ(keys(p).size(), count) << mode;
    }
    p.mode = 35;
    p.periodStart = QDate(2004, 11, 1);
    const QStringList trend = keys(p);
    EXPECT_EQ(trend.mid(2),
              QStringList({"2004/11", "2004/12", "2005/1", "2005/2", "2005/3", "2005/4", "2005/5", "2005/6",
                           "2005/7", "2005/8", "2005/9", "2005/10", U("通期計")}));
    p.periodStart = QDate();
    EXPECT_EQ(keys(p), QStringList({"CustomerCode", "Company_Section_Name", U("通期計")}));
    p.mode = 41;
    p.periodStart = QDate(2004, 4, 1);
    p.classField = QStringLiteral("Class2");
    const QStringList stock = keys(p);
    EXPECT_EQ(stock.size(), 15);
    EXPECT_EQ(stock.last(), QStringLiteral("Class2"));
    p.mode = 29;
    EXPECT_FALSE(keys(p).contains(QStringLiteral("Class2")));

    // Saved widths apply by position; the rest keep their defaults.
    p = {};
    p.mode = 8;
    p.carryOver = 1;
    p.unitWidth = 80;
    p.savedWidths = {11, 22, 33};
    QList<int> widths;
    for (const CListColumnInfo& c : BuildReportColumns(p))
        widths << c.m_nWidth;
    EXPECT_EQ(widths, QList<int>({11, 22, 33, 80, 80, 80, 80}));
}

TEST(ColumnWidthFile, GoldenBytesLastEntryWinsAndDamage)
{
    CColumnWidthMap map;
    map.insert(8, {50, 100});
    map.insert(12, {7});
    const QByteArray golden = QByteArray::fromHex("0200"
                                                  "0800"
                                                  "ffff0000"
                                                  "0b00") +
                              "CDWordArray" +
                              QByteArray::fromHex("0200"
                                                  "32000000"
                                                  "64000000"
                                                  "0c00"
                                                  "0180"
                                                  "0100"
                                                  "07000000");
    EXPECT_EQ(WriteColumnWidthMap(map).toHex(), golden.toHex());

    CColumnWidthMap read;
    ASSERT_TRUE(ReadColumnWidthMap(golden, read));
    EXPECT_EQ(read, map);
    // A mode twice: the later entry wins.
    QByteArray twice = golden;
    twice[0] = 3;
    twice += QByteArray::fromHex("0800"
                                 "0180"
                                 "0100"
                                 "09000000");
    read.clear();
    ASSERT_TRUE(ReadColumnWidthMap(twice, read));
    EXPECT_EQ(read.value(8), QList<quint32>({9}));

    ScopedFakeUi ui;
    for (const QByteArray& bad : QList<QByteArray>{golden.left(golden.size() - 2), golden.left(7),
                                                   QByteArray::fromHex("0100"
                                                                       "0800"
                                                                       "0180"),
                                                   QByteArray("\x01\x00\x08\x00\xff\xff\x00\x00\x0b\x00"
                                                              "CObArray...",
                                                              21),
                                                   QByteArray(QByteArray::fromHex("0100"
                                                                                  "0800"
                                                                                  "ffff0000"
                                                                                  "0b00") +
                                                              "CDWordArray" + QByteArray::fromHex("ffff"))}) {
        CColumnWidthMap partial;
        EXPECT_FALSE(ReadColumnWidthMap(bad, partial)) << bad.toHex().toStdString();
    }
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("qxdispcolset2.DAT")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(golden.left(9));
    file.close();
    CColumnWidthMap loaded;
    EXPECT_EQ(LoadColumnWidthFile(dir.path(), loaded), -1);
    EXPECT_EQ(ui.Prompt().Texts(), QStringList({U("ファイル操作中にエラーが発生しました")}));
    // The next save replaces the damaged file under its own name.
    ASSERT_TRUE(SaveColumnWidthFile(dir.path(), map));
    loaded.clear();
    EXPECT_EQ(LoadColumnWidthFile(dir.path(), loaded), 1);
    EXPECT_EQ(loaded, map);
    EXPECT_EQ(LoadColumnWidthFile(QString(), loaded), 0);
}

TEST(ShimeListCtrl, MakeShortStringFitsCutsAndNeverSplitsACharacter)
{
    // Eight pixels per code page 932 byte.
    const auto extent = [](const QString& t) { return int(Cp932::Encode(t).size()) * 8; };
    struct Case {
        const char* text;
        int width, offset;
        const char* shown;
    };
    const Case cases[] = {
        {"ABC", 40, 12, "ABC"},
        {"ABCDEFGH", 59, 12, "AB..."},           // 24 + 12 + 24 = 60 is one too wide
        {"青葉商事株式会社", 80, 12, "青葉..."}, // a 3-byte room never takes half of 商
        {"青葉商事", 45, 12, ""},                // not even the dots with one character
        {"", 0, 12, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeShortString(extent, U(c.text), c.width, c.offset), U(c.shown)) << c.text;
}

class ClosingUpdateTest : public ReportFixture
{
};

TEST_F(ClosingUpdateTest, BatchesOf250AllOrNothing)
{
    ScopedFakeUi ui;
    for (int i = 0; i < 260; ++i)
        Exec(QStringLiteral("INSERT INTO Sales_Close(CustomerCode, Status) VALUES ('Z%1', 0)").arg(i));
    const CCDSData all =
        Rows(QStringLiteral("SELECT ID FROM Sales_Close WHERE CustomerCode LIKE 'Z%' ORDER BY ID"));
    QList<int> ids;
    for (int i = 0; i < all.GetCount(); ++i)
        ids << Values(all, i, {"ID"}).first().toInt();
    CTb settled(QStringLiteral("Status"), CTb::kInteger);
    settled = 1;
    auto settledCount = [this] {
        return Values(Rows(QStringLiteral(
                          "SELECT COUNT(*) AS N FROM Sales_Close WHERE CustomerCode LIKE 'Z%' AND "
                          "Status = 1")),
                      0, {"N"})
            .first()
            .toInt();
    };
    int requests = 0;
    ASSERT_EQ(
        UpdateClosingRecords(m_data, false, QStringLiteral("Status"), settled, ids.mid(0, 250), &requests),
        1);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(settledCount(), 250);
    settled = 0;
    ASSERT_EQ(
        UpdateClosingRecords(m_data, false, QStringLiteral("Status"), settled, ids.mid(0, 251), &requests),
        1);
    EXPECT_EQ(requests, 2);
    EXPECT_EQ(settledCount(), 0);

    // A second batch that fails leaves the first unwritten too.
    Exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON Sales_Close WHEN OLD.ID = %1 "
                        "BEGIN SELECT RAISE(ABORT, 'locked'); END")
             .arg(ids[255]));
    settled = 1;
    EXPECT_EQ(UpdateClosingRecords(m_data, false, QStringLiteral("Status"), settled, ids, &requests), 0);
    EXPECT_EQ(requests, 2);
    EXPECT_EQ(settledCount(), 0);
    ASSERT_EQ(ui.Prompt().Texts().size(), 1);
    EXPECT_TRUE(ui.Prompt().Texts().first().startsWith(U("データの更新に失敗しました。")));
}

TEST_F(ClosingUpdateTest, ClosingCandidatesOfTheFixtureWithTaxAndBilledAmount)
{
    ScopedFakeUi ui;
    CCDSData records;
    ASSERT_EQ(RunReportStatement(m_data, ClosingListSql(false, QDate(2004, 5, 25), 25), records), 1);
    CReportList list;
    Prepare(list, 8, std::move(records));
    ASSERT_TRUE(list.FillList(QDate(2004, 5, 25)));
    ASSERT_EQ(list.RowCount(), 3);
    // K001: 12,345.67 taxable at 5 % rounded half up = 617, + 130.5 on its
    // slips; billed 13,345.67 + 747.5 + 37,000.52 carried over.
    const CReportRow& k001 = list.Rows()[0];
    EXPECT_EQ(k001.texts.mid(1, 2), QStringList({"K001", U("青葉商事 営業部 青葉 一郎")}));
    EXPECT_EQ(k001.texts.mid(5), QStringList({"37,000.52", "13,345.67", "747.5", "51,093.69", "2"}));
    EXPECT_EQ(list.GetCountText(), U("件数：3件"));
    // the schedule of every open closing runs through the same path
    CCDSData schedule;
    ASSERT_EQ(RunReportStatement(m_data, ScheduleListSql(false, 0, QDate(), 0), schedule), 1);
    Prepare(list, 10, std::move(schedule));
    ASSERT_TRUE(list.FillList(QDate()));
    EXPECT_GT(list.RowCount(), 0);
    EXPECT_EQ(ui.Prompt().Texts(), QStringList());
}

// Grouped lists: the unclassified records go last in their order, each group
// opens and closes by its mark, and the one-time partner's detail rows show
// the computed name ("諸口" only when there is none).
TEST(ReportGroups, UngroupedLastExpandCollapseAndOneTimeNames)
{
    ScopedFakeUi ui;
    CCDSData records;
    AddRecord(records, {{"CustomerCode", " "}, {"Company", "山田"}, {"Class1", ""}, {"純売上額", Yen("1")}});
    AddRecord(records, {{"CustomerCode", "　"}, {"Class1", ""}, {"純売上額", Yen("2")}});
    AddRecord(records,
              {{"CustomerCode", "K1"}, {"Company", "青葉"}, {"Class1", "関東"}, {"純売上額", Yen("3")}});
    AddRecord(records,
              {{"CustomerCode", "K2"}, {"Company", "赤坂"}, {"Class1", "関東"}, {"純売上額", Yen("4")}});
    CReportList list;
    list.m_cond.groupByClass = 1;
    Prepare(list, 25, std::move(records), 0, QStringLiteral("Class1"));
    ASSERT_TRUE(list.FillList(QDate()));
    EXPECT_EQ(Text(list.Records().GetAt(0), "CustomerCode"), "K1");
    EXPECT_EQ(Text(list.Records().GetAt(2), "Company"), U("山田"));
    EXPECT_EQ(Text(list.Records().GetAt(3), "Class1"), "");
    int name = -1;
    for (int c = 0; c < int(list.Columns().size()); ++c)
        if (list.Columns()[size_t(c)].m_strField == U("Company_Section_Name"))
            name = c;
    ASSERT_GE(name, 0);
    EXPECT_EQ(ColumnTexts(list, 0),
              QStringList({U("＜関東計＞"), "K1", "K2", U("＜分類なし計＞"), " ", U("　"), U("＜総合計＞")}));
    EXPECT_EQ(ColumnTexts(list, name), QStringList({"", U("青葉"), U("赤坂"), "", U("山田"), U("諸口"), ""}));
    EXPECT_EQ(list.Rows()[0].mark, 1);

    // Closing the first group leaves its subtotal; opening it brings the
    // same rows back; the grand total has no mark.
    list.CollapseGroup(0);
    EXPECT_EQ(ColumnTexts(list, 0),
              QStringList({U("＜関東計＞"), U("＜分類なし計＞"), " ", U("　"), U("＜総合計＞")}));
    EXPECT_EQ(list.Rows()[0].mark, 0);
    list.InsertGroupRows(1, list.Rows()[0].data, list.Rows()[1].data);
    EXPECT_EQ(ColumnTexts(list, 0),
              QStringList({U("＜関東計＞"), "K1", "K2", U("＜分類なし計＞"), " ", U("　"), U("＜総合計＞")}));
    EXPECT_EQ(list.Rows().back().mark, -1);
    EXPECT_EQ(ui.Prompt().Texts(), QStringList());
}
