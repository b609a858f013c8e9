#include "reports/ReportFixture.h"

#include "platform/sql/ReportSql.h"
#include "platform/sql/ResultNames.h"
#include "platform/sql/SlipListSql.h"

#include "platform/data/Schema.h"
#include "platform/data/TableNames.h"

#include <span>

namespace
{

using SlipListSqlTest = ReportFixture;

} // namespace

TEST_F(SlipListSqlTest, SalesSlipsOfMayNewestFirstWithTheirClosingsFlag)
{
    const CCDSData may = Rows(MakeSlipListSQL(QDate(2004, 5, 1), QDate(2004, 5, 31), 2, 0, TB_SALES_H));
    // 31 May in, 1 June out, the tax slip S6 hidden; same day by ID descending.
    EXPECT_EQ(Column(may, QStringLiteral("No")), QStringList({"S21", "S10", "S7", "S5", "S13", "S16", "S15",
                                                              "S14", "S11", "S4", "S9", "S8", "S12"}));
    // Only the per-slip invoice reads 0; unbilled slips read 1.
    EXPECT_EQ(Column(may, QStringLiteral("TudoFlg")),
              QStringList({"1", "1", "1", "1", "0", "1", "1", "1", "1", "1", "1", "1", "1"}));
    EXPECT_EQ(
        Values(may, 4, {"ID", "CustomerCode", "Total", "SeikyuID", "FileName"}),
        QStringList({QString::number(Id("S13")), "K004", "8400", QString::number(Id("K4C1")), "k4.frm"}));

    const CCDSData taxSlips = Rows(MakeSlipListSQL(QDate(), QDate(2004, 5, 20), 1, 1, TB_SALES_H));
    EXPECT_EQ(Column(taxSlips, QStringLiteral("No")), QStringList({"S3", "S6"}));
    const CCDSData purchases = Rows(MakeSlipListSQL(QDate(2004, 4, 15), QDate(), 1, -1, TB_STOCK_H));
    EXPECT_EQ(purchases.GetCount(), 6);
    EXPECT_EQ(Values(purchases, 5, {"No", "TudoFlg"}), QStringList({"P6", "1"}));

    // Nothing to query: reversed, unstorable, unknown table.
    EXPECT_EQ(MakeSlipListSQL(QDate(2004, 5, 31), QDate(2004, 5, 1), 2, 0, TB_SALES_H), QString());
    EXPECT_EQ(MakeSlipListSQL(QDate(2004, 5, 1), QDate(9999, 12, 31), 2, 0, TB_SALES_H), QString());
    EXPECT_EQ(MakeSlipListSQL(QDate(), QDate(), 1, -1, QStringLiteral("Sales_H; DELETE FROM Sales_H")),
              QString());
    EXPECT_NE(MakeSlipListSQL(QDate(2004, 5, 1), QDate(2004, 5, 1), 2, 0, TB_SALES_H), QString());
}

TEST_F(SlipListSqlTest, QuoteTailsRunAsTableRequests)
{
    const QString tail = MakeSlipListSQL(QDate(2004, 5, 1), QDate(), 1, 0, TB_ESTIMATE_H);
    EXPECT_EQ(Column(List(TB_ESTIMATE_H, tail), QStringLiteral("No")), QStringList({"Q1", "Q2"}));
    EXPECT_EQ(Column(List(TB_ESTIMATE_H, MakeSlipListSQL(QDate(), QDate(), 2, -1, TB_ESTIMATE_H)),
                     QStringLiteral("No")),
              QStringList({"Q2", "Q1", "Q3"}));
    // Orders have no slip kind: the kind is ignored.
    EXPECT_EQ(Column(List(TB_ORDER_H, MakeSlipListSQL(QDate(), QDate(2004, 5, 15), 0, 1, TB_ORDER_H)),
                     QStringLiteral("No")),
              QStringList({"O1"}));
}

TEST_F(SlipListSqlTest, DateRangeOfEveryListedTable)
{
    const struct {
        const char* table;
        QStringList range;
    } cases[] = {
        {TB_ESTIMATE_H, {"2004/04/30", "2004/06/02"}},
        {TB_SALES_H, {"2004/03/05", "2004/06/01"}},
        {TB_SALES_CLOSE, {"2004/03/20", "2004/05/31"}},
        {TB_RECEIPT_H, {"2004/03/20", "2004/05/28"}},
        {TB_ORDER_H, {"2004/05/15", "2004/05/15"}},
        {TB_STOCK_H, {"2004/03/15", "2004/05/20"}},
        {TB_STOCK_CLOSE, {"2004/03/31", "2004/04/30"}},
        {TB_PAY_H, {"2004/03/25", "2004/05/22"}},
        {TB_STOCKCHANGE, {"2004/03/31", "2004/12/01"}},
        {TB_ITEM, {"", ""}}, // products without stamps
        // Masters: the first StartDate and the last LastUpdate (the
        // one-time partners' creation stamp).
        {TB_CUSTOMER, {"2003/01/15 00:00:00", "2024/04/01 09:30:00"}},
        {TB_SUPPLIER, {"2024/04/01 09:30:00", "2024/04/01 09:30:00"}},
    };
    for (const auto& c : cases) {
        const CCDSData rows = Rows(MakeDateRangeSQL(QString::fromLatin1(c.table)));
        ASSERT_EQ(rows.GetCount(), 1) << c.table;
        EXPECT_EQ(Values(rows, 0, {"最古", "最新"}), c.range) << c.table;
        EXPECT_EQ(rows.GetAt(0)->GetAt(0)->GetType(), CTb::kDate) << c.table;
    }
    Exec(QStringLiteral("DELETE FROM StockChange"));
    EXPECT_EQ(Values(Rows(MakeDateRangeSQL(TB_STOCKCHANGE)), 0, {"最古", "最新"}), QStringList({"", ""}));
    EXPECT_EQ(MakeDateRangeSQL(TB_WSHIME_H), QString());
    EXPECT_EQ(MakeDateRangeSQL(QStringLiteral("Sales_B")), QString());
}

TEST(ReportSqlConventions, MonthLabelsWrapIntoTheNextYear)
{
    QStringList labels;
    QList<int> years, months;
    EXPECT_EQ(MakeMonthLabels(2004, 11, labels, &years, &months), 1);
    EXPECT_EQ(labels, QStringList({"2004/11", "2004/12", "2005/1", "2005/2", "2005/3", "2005/4", "2005/5",
                                   "2005/6", "2005/7", "2005/8", "2005/9", "2005/10"}));
    EXPECT_EQ(years.first(), 2004);
    EXPECT_EQ(years.last(), 2005);
    EXPECT_EQ(months.at(2), 1);
    for (int month : {0, 13}) {
        QStringList none;
        EXPECT_EQ(MakeMonthLabels(2004, month, none, &years), 0);
        EXPECT_TRUE(none.isEmpty());
    }
    EXPECT_EQ(years.size(), 12);
    // The data-access library types every label and every result name.
    for (const QString& label : labels)
        EXPECT_EQ(Schema::ResultColumnType(label), Schema::kMoney);
    for (const auto& names : {std::span<const char* const>(kReportResultNames),
                              std::span<const char* const>(kSalesBreakdownNames),
                              std::span<const char* const>(kPurchaseBreakdownNames)}) {
        for (const char* name : names)
            EXPECT_GE(Schema::ResultColumnType(QString::fromUtf8(name)), 0) << name;
    }
}

TEST_F(SlipListSqlTest, ClassificationFilterTakesAnyNumberOfValues)
{
    QStringList values;
    for (int i = 0; i < 1500; ++i)
        values << QStringLiteral("分類%1'").arg(i);
    values << QStringLiteral("東京");
    const ClassFilter filter = MakeClassFilter(QStringLiteral("class1"), values);
    ASSERT_TRUE(filter.valid);
    const CCDSData rows =
        Rows(QStringLiteral("SELECT CustomerCode, %1 FROM Customer AS T WHERE %2 ORDER BY CustomerCode")
                 .arg(filter.Column(QStringLiteral("T.")), filter.Condition(QStringLiteral("T."))));
    EXPECT_EQ(Column(rows, QStringLiteral("CustomerCode")), QStringList({"K001", "K003"}));
    EXPECT_EQ(Column(rows, QStringLiteral("Class1")), QStringList({"東京", "東京"}));

    // A field without values selects the field and filters nothing; no field
    // filters nothing; any other field is refused.
    EXPECT_TRUE(MakeClassFilter(QStringLiteral("Class5"), {}).Condition(QStringLiteral("T.")).isEmpty());
    EXPECT_EQ(MakeClassFilter(QStringLiteral("Class5"), {}).Column(QString()), QStringLiteral("\"Class5\""));
    EXPECT_TRUE(MakeClassFilter(QString(), values).Condition(QString()).isEmpty());
    EXPECT_TRUE(MakeClassFilter(QString(), values).valid);
    for (const char* field : {"Class6", "Company", "Class1 OR 1=1"})
        EXPECT_FALSE(MakeClassFilter(QString::fromLatin1(field), values).valid) << field;
}
