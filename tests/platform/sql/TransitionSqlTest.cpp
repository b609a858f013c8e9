#include "reports/ReportFixture.h"

#include "platform/sql/TransitionSql.h"

#include "platform/data/TableNames.h"

#include <functional>

namespace
{

using ProductTransitionTest = ReportFixture;

using Builder = std::function<QString(const CTradeSide& side, int year, int startMonth, const QString&,
                                      const QStringList&)>;

} // namespace

// The product transitions by month on both sides, worked from the fixture's
// lines (ReportFixture.cpp) and two sales lines of I004 written in lower
// case on the last day of a year and the first day of the next.
TEST_F(ProductTransitionTest, MonthsOfBothSidesFromTheirOwnLines)
{
    for (const auto& [date, amount] :
         {std::pair{QDate(2005, 3, 31), "700"}, std::pair{QDate(2005, 4, 1), "900"}})
        Insert(TB_SALES_B, {{"HeaderID", Id("S22")},
                            {"LineNo", 9},
                            {"Date", date},
                            {"CustomerCode", "O'Neil"},
                            {"ItemType", 1},
                            {"TaxFlg", 1},
                            {"ItemCode", "i004"},
                            {"ItemName", "電卓"},
                            {"Number", Yen("1")},
                            {"Amount", Yen(amount)},
                            {"IncludeTax", Yen("0")}});

    const Builder amounts = MakeItemAmountTransitionSQL, quantities = MakeItemQuantityTransitionSQL;
    const struct {
        const char* what;
        Builder build;
        int side, year, startMonth;
        QStringList fields;
        QStringList rows;
    } cases[] = {
        // Goods and discounts less their tax; the 31 March line is the last
        // month's, the 1 April one is outside.
        {"sales amounts",
         amounts,
         0,
         2004,
         4,
         {"ItemCode", "通期計", "2004/5", "2004/6", "2005/3"},
         {"I001|900|600|300|0", "I002|1000|1000|0|0", "I003|1500|1500|0|0", "I004|700|0|0|700"}},
        {"sales from April 2005",
         amounts,
         0,
         2005,
         4,
         {"ItemCode", "通期計", "2005/4", "2006/3"},
         {"I001|0|0|0", "I002|0|0|0", "I003|0|0|0", "I004|900|900|0"}},
        // Purchases: PL2's discount lowers I001's amount, not its quantity;
        // the tax line counts nowhere; P7 of 31 March and P8 of 1 April fall
        // in their own months.
        {"purchase amounts",
         amounts,
         1,
         2004,
         4,
         {"ItemCode", "通期計", "2004/4", "2004/5"},
         {"I001|900|0|900", "I002|2728|2728|0", "I003|0|0|0", "I004|0|0|0"}},
        {"purchase quantities from March",
         quantities,
         1,
         2004,
         3,
         {"ItemCode", "通期計", "2004/3", "2004/4", "2004/5"},
         {"I001|20|0|0|20", "I002|45|6|39|0", "I003|0|0|0|0", "I004|0|0|0|0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(
            Table(Rows(c.build(*CTradeSide::OfKind(c.side), c.year, c.startMonth, QString(), {})), c.fields),
            c.rows);
    }

    // The classification column follows the total and leads the order.
    EXPECT_EQ(Table(Rows(MakeItemAmountTransitionSQL(CTradeSide::Sales(), 2004, 4, QStringLiteral("Class1"),
                                                     {QStringLiteral("文具"), QStringLiteral("事務機")})),
                    {"ItemCode", "通期計", "Class1", "2004/4"}),
              QStringList({"I004|700|事務機|0", "I001|900|文具|0", "I003|1500|文具|0"}));
    const CCDSData rows = Rows(MakeItemQuantityTransitionSQL(
        CTradeSide::Purchases(), 2004, 4, QStringLiteral("Class1"), {QStringLiteral("紙製品")}));
    ASSERT_EQ(rows.GetCount(), 1);
    QStringList names;
    for (int i = 0; i < rows.GetAt(0)->GetCount(); ++i)
        names << rows.GetAt(0)->GetAt(i)->GetName();
    EXPECT_EQ(names.mid(0, 5), QStringList({"ItemCode", "ItemName", "通期計", "Class1", "2004/4"}));
    EXPECT_EQ(names.size(), 4 + 12);
}
