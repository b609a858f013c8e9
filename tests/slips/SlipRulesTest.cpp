#include "app/SlipPeriod.h"
#include "slips/SlipListRules.h"

#include "app/AppHome.h"
#include "platform/archive/AutFile.h"
#include "platform/data/Mny.h"
#include "platform/data/Record.h"

#include <QDir>
#include <gtest/gtest.h>

// The default period's first day: N months back, the next day, a day past
// the month's end rolling into the next month.
TEST(SlipPeriod, DefaultStartByMonthsAndDays)
{
    struct Case {
        QDate today;
        int months;
        QDate start;
    } cases[] = {
        {{2004, 8, 24}, 3, {2004, 5, 25}},   {{2004, 5, 31}, 3, {2004, 3, 1}}, // leap year
        {{2005, 5, 31}, 3, {2005, 3, 1}},    {{2004, 5, 28}, 3, {2004, 2, 29}},
        {{2005, 5, 28}, 3, {2005, 3, 1}},    {{2004, 12, 31}, 3, {2004, 10, 1}},
        {{2005, 2, 15}, 3, {2004, 11, 16}},  {{2005, 2, 15}, -1, {2004, 11, 16}}, // unset means 3
        {{2005, 2, 15}, 0, {2005, 2, 16}},   {{2005, 2, 28}, 0, {2005, 3, 1}},    // tomorrow
        {{2005, 2, 15}, 15, {2003, 11, 16}}, {{2005, 2, 15}, 500, {1995, 2, 16}}, // held to 120
        {{2005, 3, 31}, 25, {2003, 3, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetDefaultPeriodStart(c.today, c.months), c.start)
            << c.today.toString().toStdString() << " " << c.months;
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2001, 11), 30);
}

TEST(SlipPeriod, MonthsReadFromTheDatabasesFile)
{
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    const QString folder = home.AddCurrentDatabase(QStringLiteral("本社"));
    const QString file = folder + QStringLiteral("/Other/PloTerm.aut");
    // The template's own setting first, then none.
    EXPECT_GE(ReadPeriodMonths(), 0);
    for (const QString& name : QDir(folder + QStringLiteral("/Other")).entryList({QStringLiteral("*.aut")}))
        if (name.compare(QStringLiteral("PloTerm.aut"), Qt::CaseInsensitive) == 0)
            QFile::remove(folder + QStringLiteral("/Other/") + name);
    EXPECT_EQ(ReadPeriodMonths(), -1);
    EXPECT_EQ(GetDefaultPeriodStart(QDate(2004, 8, 24)), QDate(2004, 5, 25));
    struct Case {
        const char* text;
        int months;
    } cases[] = {{"0", 0}, {"15", 15}, {"500", 120}, {"abc", 0}, {" 7日", 7}, {"-4", 0}};
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteAutFile(file, QString::fromUtf8(c.text)));
        EXPECT_EQ(ReadPeriodMonths(), c.months) << c.text;
    }
    EXPECT_EQ(ReadPeriodMonthsOf(QString()), -1);
}

TEST(SlipPeriod, IndexesDescending)
{
    QList<int> indexes{3, 9, 0, 4, 9};
    SortIndexesDescending(indexes);
    EXPECT_EQ(indexes, (QList<int>{9, 9, 4, 3, 0}));
}

namespace
{

CQXColSet Columns(const QStringList& fields)
{
    CQXColSet set;
    for (const QString& field : fields)
        set.m_cols << CQXCol(field, field, 0, 0, 1);
    return set;
}

} // namespace

// The texts of a row: the words of TaxType and TudoFlg, separators on the
// money columns, names read with or without the table, the joined partner
// name and the names in any column that shows them.
TEST(SlipRows, CellTexts)
{
    COneRecord prefixed;
    prefixed.SetField(QStringLiteral("Sales_H.SeikyuID"), 3);
    prefixed.SetField(QStringLiteral("Sales_H.TaxType"), 1);
    prefixed.SetField(QStringLiteral("TudoFlg"), 0);
    prefixed.SetField(QStringLiteral("Sales_H.Company"), QStringLiteral("いろは商店"));
    prefixed.SetField(QStringLiteral("Sales_H.Section"), QString());
    prefixed.SetField(QStringLiteral("Sales_H.Name"), QStringLiteral("山田"));
    prefixed.SetField(QStringLiteral("Sales_H.Total"), CMny(12345678, 0));
    prefixed.SetField(QStringLiteral("Sales_H.Tax"), CMny(-1234, 0));
    const CQXColSet columns = Columns({"SeikyuID", "TaxType", "TudoFlg", "Company_Section_Name", "Total",
                                       "Tax", "Company", "Name", "Memo"});
    QStringList texts;
    for (int column = 0; column < columns.m_cols.size(); ++column)
        texts << GetSlipCellText(columns, &prefixed, column);
    EXPECT_EQ(texts, (QStringList{"", "請求時", "都度", "いろは商店  山田", "12,345,678", "-1,234",
                                  "いろは商店", "山田", ""}));

    struct Case {
        const char* field;
        int value;
        const char* text;
    } words[] = {{"TaxType", 0, "しない"}, {"TaxType", 2, "納品ごと"}, {"TaxType", 3, "明細ごと"},
                 {"TaxType", 4, "内税"},   {"TaxType", 5, ""},         {"TaxType", -1, ""},
                 {"TudoFlg", 1, "締め"},   {"TudoFlg", 2, ""}};
    for (const Case& c : words) {
        COneRecord bare;
        bare.SetField(QString::fromLatin1(c.field), c.value);
        EXPECT_EQ(GetSlipCellText(Columns({"X", c.field}), &bare, 1), QString::fromUtf8(c.text))
            << c.field << c.value;
    }
}

// The first column ticks a row: any value but 0 and empty, "1" only on the
// order list.
TEST(SlipRows, CheckState)
{
    struct Case {
        int kind;
        QString value; // empty: no field
        bool ticked;
    } cases[] = {{4, "1", true},  {4, "0", false}, {4, "2", true},  {4, "", false},  {5, "17", true},
                 {5, "0", false}, {6, "1", true},  {6, "2", false}, {6, "0", false}, {7, "5", true}};
    for (const Case& c : cases) {
        COneRecord record;
        if (!c.value.isEmpty())
            record.SetField(QStringLiteral("Status"), c.value.toInt());
        EXPECT_EQ(GetSlipCheckState(c.kind, Columns({"Status", "No"}), &record), c.ticked)
            << c.kind << " " << c.value.toStdString();
    }
}

TEST(SlipRows, LabelsBatchesStatusAndPrintPasses)
{
    EXPECT_EQ(SlipPeriodLabel({}, {}), QStringLiteral("期間 : 指定なし"));
    EXPECT_EQ(SlipPeriodLabel(SlipLabelDate(QDate(2004, 5, 25)), {}), QStringLiteral("期間 : 2004/5/25～"));
    EXPECT_EQ(SlipCountLabel(0), QStringLiteral("件数 : 0件"));

    QList<qint64> ids;
    for (int i = 1; i <= 600; ++i)
        ids << i;
    const QStringList batches = MakeIdConditions(ids);
    ASSERT_EQ(batches.size(), 3);
    EXPECT_EQ(batches[2].count(u',') + 1, 100);
    EXPECT_EQ(batches[0].count(u',') + 1, 250);
    EXPECT_TRUE(MakeIdConditions({}).isEmpty());

    EXPECT_EQ(DecideNewStatus({0, 1}), 1); // ties go to 成立
    EXPECT_EQ(DecideNewStatus({1, 1, 0}), 0);
    EXPECT_EQ(DecideNewStatus({}), 1);

    const QList<CBatchPass> passes = PlanBatchPrint({{1, "a", 10}, {2, "b", 20}, {3, "c", 10}, {4, "d", 0}});
    ASSERT_EQ(passes.size(), 2);
    EXPECT_EQ(passes[0].layout, 10);
    EXPECT_EQ(passes[0].slips.size(), 2);
    EXPECT_EQ(passes[0].slips[1].id, 3);
    EXPECT_EQ(passes[1].layout, 20);
}
