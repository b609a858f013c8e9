#include "reports/ReportFixture.h"

#include "platform/sql/TransitionSql.h"

#include "platform/data/TableNames.h"

namespace
{

using PartnerTransitionTest = ReportFixture;

} // namespace

// The partner transitions read each kind of a partner's lines apart: every
// kind but 3 counts, also kinds no slip screen writes (0, 5), a line
// without a kind does not. The fixture's purchases (ReportFixture.cpp) and
// a new supplier SP07 whose lines are worked below, one of them written in
// lower case.
TEST_F(PartnerTransitionTest, EveryKindButThreeInItsMonth)
{
    Insert(TB_SUPPLIER, {{"SupplierCode", "SP07"}, {"Company", "七福商店"}, {"Day", 25}});
    const struct {
        QDate date;
        const char* code;
        FixtureValue kind;
        const char* amount;
        const char* included;
    } lines[] = {
        {{2004, 3, 31}, "SP07", 1, "400", "0"},  // before the year
        {{2004, 4, 1}, "SP07", 1, "1000", "0"},  // April 1000
        {{2004, 4, 30}, "SP07", 2, "-100", "0"}, // April -100
        {{2004, 5, 15}, "SP07", 3, "500", "0"},  // other: not counted
        {{2004, 5, 15}, "SP07", 9, "70", "0"},   // tax line: May 70
        {{2004, 6, 1}, "SP07", 0, "40", "0"},    // June 40
        {{2004, 6, 2}, "sp07", 5, "30", "10"},   // June 20
        {{2004, 7, 1}, "SP07", FixtureValue::Null(), "999", "0"},
        {{2005, 3, 31}, "SP07", 1, "200", "0"}, // March 2005 200
        {{2005, 4, 1}, "SP07", 1, "300", "0"},  // after the year
    };
    int lineNo = 10;
    for (const auto& l : lines)
        Insert(TB_STOCK_B, {{"HeaderID", Id("P6")},
                            {"LineNo", ++lineNo},
                            {"Date", l.date},
                            {"SupplierCode", l.code},
                            {"ItemType", l.kind},
                            {"TaxFlg", 1},
                            {"Amount", Yen(l.amount)},
                            {"IncludeTax", Yen(l.included)}});

    // SP01: P1 of 15 April, 3000 with 272 tax inside and its tax line 100;
    // P7 of 31 March is outside, P8 of 1 April is 0. SP03: P6 of 20 May,
    // 1000 less a discount of 100.
    EXPECT_EQ(
        Table(Rows(MakePartnerTransitionSQL(CTradeSide::Purchases(), 2004, 4, QString(), {})),
              {"SupplierCode", "通期計", "2004/4", "2004/5", "2004/6", "2004/7", "2005/3"}),
        QStringList({"SP01|2828|2828|0|0|0|0", "SP02|0|0|0|0|0|0", "SP03|900|0|900|0|0|0", "SP04|0|0|0|0|0|0",
                     "SP05|0|0|0|0|0|0", "SP06|0|0|0|0|0|0", "SP07|1230|900|70|60|0|200", "　|0|0|0|0|0|0"}));
    // From May 2004 SP07's April lines fall out and its 1 April 2005 line in.
    EXPECT_EQ(Values(Rows(MakePartnerTransitionSQL(CTradeSide::Purchases(), 2004, 5, QString(), {})), 6,
                     {"SupplierCode", "通期計", "2004/5", "2005/4"}),
              QStringList({"SP07", "630", "70", "300"}));

    // The classification column follows the total; the filter keeps the
    // partners of the class alone.
    const CCDSData osaka = Rows(MakePartnerTransitionSQL(CTradeSide::Sales(), 2004, 4,
                                                         QStringLiteral("Class1"), {QStringLiteral("大阪")}));
    EXPECT_EQ(Table(osaka, {"CustomerCode", "通期計", "Class1", "2004/5", "2004/6"}),
              QStringList({"O'Neil|800|大阪|500|300"}));
    ASSERT_EQ(osaka.GetCount(), 1);
    QStringList names;
    for (int i = 0; i < osaka.GetAt(0)->GetCount(); ++i)
        names << osaka.GetAt(0)->GetAt(i)->GetName();
    EXPECT_EQ(names.mid(0, 7),
              QStringList({"CustomerCode", "Company", "Section", "Name", "通期計", "Class1", "2004/4"}));
    EXPECT_EQ(names.size(), 6 + 12);
}
