#include "reports/ReportFixture.h"

#include "platform/sql/AggregationSql.h"
#include "platform/sql/TransitionSql.h"

#include "platform/data/TableNames.h"

namespace
{

// The fixture's lines (ReportFixture.cpp) and lines of every kind, with
// absent amounts and quantities, written in lower case, on the edges of May
// 2004, and of a partner and a product no master knows. On the slip S9 of
// O'Neil (6 May), each line with its own partner, product and date:
//   E1 05-01 k003 i004 kind 1: 2 pieces, 300 (no tax inside), cost - 10
//   E2 05-31 K003 I004 kind 5: 1 piece, 50
//   E3 06-01 K003 I004 kind 1: 7 pieces, 999
//   E4 05-15 K003 I004 no kind: 4 pieces, 70
//   E5 05-15 K003 I004 kind 2: no quantity, no amount, 5 tax inside
//   E6 05-20 K003 I004 kind 1: 3 returned, -150, cost -75
//   E7 05-20 ZZZ9 X999 kind 1: 500
//   E8 05-21 K003 I004 kind 3: 40
//   E9 05-22 K003 I004 kind 0: 1 piece, 60
// On the purchase P6 (SP03, 20 May): sp02 I004 05-31 kind 1 3 pieces 600
// with 50 inside; SP02 I004 05-31 without a kind 10; SP02 I004 04-30 kind 2
// without a quantity -20.
class LineSumsRowsTest : public ReportFixture
{
  protected:
    void SetUp() override
    {
        ReportFixture::SetUp();
        if (HasFatalFailure())
            return;
        const FixtureValue none = FixtureValue::Null();
        const struct {
            QDate date;
            const char *code, *item;
            FixtureValue kind, number, amount, included, cost, costTax;
        } sales[] = {
            {{2004, 5, 1}, "k003", "i004", 1, Yen("2"), Yen("300"), none, none, Yen("10")},
            {{2004, 5, 31}, "K003", "I004", 5, Yen("1"), Yen("50"), Yen("0"), Yen("0"), Yen("0")},
            {{2004, 6, 1}, "K003", "I004", 1, Yen("7"), Yen("999"), Yen("0"), Yen("0"), Yen("0")},
            {{2004, 5, 15}, "K003", "I004", none, Yen("4"), Yen("70"), Yen("0"), Yen("0"), Yen("0")},
            {{2004, 5, 15}, "K003", "I004", 2, none, none, Yen("5"), Yen("0"), Yen("0")},
            {{2004, 5, 20}, "K003", "I004", 1, Yen("-3"), Yen("-150"), Yen("0"), Yen("-75"), Yen("0")},
            {{2004, 5, 20}, "ZZZ9", "X999", 1, Yen("1"), Yen("500"), Yen("0"), Yen("0"), Yen("0")},
            {{2004, 5, 21}, "K003", "I004", 3, Yen("1"), Yen("40"), Yen("0"), Yen("0"), Yen("0")},
            {{2004, 5, 22}, "K003", "I004", 0, Yen("1"), Yen("60"), Yen("0"), Yen("0"), Yen("0")},
        };
        int lineNo = 10;
        for (const auto& l : sales)
            Insert(TB_SALES_B, {{"HeaderID", Id("S9")},
                                {"LineNo", ++lineNo},
                                {"Date", l.date},
                                {"CustomerCode", l.code},
                                {"ItemType", l.kind},
                                {"TaxFlg", 1},
                                {"ItemCode", l.item},
                                {"ItemName", "電卓"},
                                {"Number", l.number},
                                {"Amount", l.amount},
                                {"IncludeTax", l.included},
                                {"Amount2", l.cost},
                                {"IncludeTax2", l.costTax}});
        const struct {
            QDate date;
            const char* code;
            FixtureValue kind, number, amount, included;
        } purchases[] = {
            {{2004, 5, 31}, "sp02", 1, Yen("3"), Yen("600"), Yen("50")},
            {{2004, 5, 31}, "SP02", none, Yen("1"), Yen("10"), Yen("0")},
            {{2004, 4, 30}, "SP02", 2, none, Yen("-20"), Yen("0")},
        };
        for (const auto& l : purchases)
            Insert(TB_STOCK_B, {{"HeaderID", Id("P6")},
                                {"LineNo", ++lineNo},
                                {"Date", l.date},
                                {"SupplierCode", l.code},
                                {"ItemType", l.kind},
                                {"TaxFlg", 1},
                                {"ItemCode", "I004"},
                                {"ItemName", "電卓"},
                                {"Number", l.number},
                                {"Amount", l.amount},
                                {"IncludeTax", l.included}});
    }

    // Sales slips of K003 by a staff member and their lines, for the staff
    // transitions.
    struct StaffSlip {
        const char* no;
        FixtureValue date;
        const char* person;
    };
    struct StaffLine {
        const char* slip;
        FixtureValue date, kind;
        const char* amount;
    };
    void InsertStaffSlips(std::initializer_list<StaffSlip> slips, std::initializer_list<StaffLine> lines)
    {
        for (const StaffSlip& s : slips)
            Insert(TB_SALES_H,
                   {{"No", s.no},
                    {"Date", s.date},
                    {"CustomerCode", "K003"},
                    {"MyPerson", s.person},
                    {"DenpyoType", 0},
                    {"TaxType", 2},
                    {"SeikyuID", 0}},
                   s.no);
        int lineNo = 0;
        for (const StaffLine& l : lines)
            Insert(TB_SALES_B, {{"HeaderID", Id(l.slip)},
                                {"LineNo", ++lineNo},
                                {"Date", l.date},
                                {"CustomerCode", "K003"},
                                {"ItemType", l.kind},
                                {"TaxFlg", 1},
                                {"ItemCode", ""},
                                {"Amount", Yen(l.amount)},
                                {"IncludeTax", Yen("0")}});
    }
};

const QDate kMay1(2004, 5, 1), kMay31(2004, 5, 31);

} // namespace

// Every master row, its order and its sums by line kind, as the statements
// by partner and by product have always given them.
TEST_F(LineSumsRowsTest, SumsByPartnerAndByProduct)
{
    const QString cls = QStringLiteral("Class1");
    const QStringList sales{"CustomerCode", "売上額", "原価", "値引額", "その他", "純売上額", "粗利益"};
    const QStringList items{"ItemCode", "総売上数", "返品数", "純売上数", "売上額",
                            "値引額",   "原価",     "その他", "純売上額", "粗利益"};
    ExpectRows({
        {"sales by customer in May",
         [] { return MakeSalesByCustomerSQL(kMay1, kMay31, QString(), {}); },
         sales,
         {"K001|1800|1000|-200|300|1600|600", "K003|150|-85|-5|40|145|230", "K004|0|0|0|0|0|0",
          "K005|0|0|0|0|0|0", "K006|0|0|0|0|0|0", "K007|0|0|0|0|0|0", "K008|0|0|0|0|0|0",
          "O'Neil|500|0|0|0|500|500", "　|1000|0|0|0|1000|1000"}},
        // No class first, equal classes by code.
        {"sales by customer by class",
         [cls] { return MakeSalesByCustomerSQL(kMay1, kMay31, cls, {}); },
         {"CustomerCode", "Class1", "売上額"},
         {"K004||0", "K005||0", "K006||0", "K007||0", "K008||0", "　||1000", "O'Neil|大阪|500",
          "K001|東京|1800", "K003|東京|150"}},
        {"sales by product in May",
         [] { return MakeSalesByItemSQL(kMay1, kMay31, QString(), {}); },
         items,
         {"I001|10|-2|8|800|-200|400|0|600|200", "I002|5|0|5|1000|0|600|0|1000|400",
          "I003|2|0|2|1500|0|0|0|1500|1500", "I004|2|-3|-1|150|-5|-85|40|145|230"}},
        {"sales by product of the class 事務機 and 文具",
         [cls] {
             return MakeSalesByItemSQL(kMay1, kMay31, cls,
                                       {QStringLiteral("文具"), QStringLiteral("事務機")});
         },
         {"ItemCode", "Class1", "売上額"},
         {"I004|事務機|150", "I001|文具|800", "I003|文具|1500"}},
        {"purchases by supplier in May",
         [] { return MakePurchaseBySupplierSQL(kMay1, kMay31, QString(), {}); },
         {"SupplierCode", "仕入額", "値引額", "その他", "純仕入額"},
         {"SP01|0|0|0|0", "SP02|550|0|0|550", "SP03|1000|-100|0|900", "SP04|0|0|0|0", "SP05|0|0|0|0",
          "SP06|0|0|0|0", "　|0|0|0|0"}},
        {"purchases by supplier in April",
         [] { return MakePurchaseBySupplierSQL(QDate(2004, 4, 1), QDate(2004, 4, 30), QString(), {}); },
         {"SupplierCode", "仕入額", "値引額", "純仕入額"},
         {"SP01|2728|0|2728", "SP02|0|-20|-20", "SP03|0|0|0", "SP04|0|0|0", "SP05|0|0|0", "SP06|0|0|0",
          "　|0|0|0"}},
        {"purchases by product in May",
         [] { return MakePurchaseByItemSQL(kMay1, kMay31, QString(), {}); },
         {"ItemCode", "総仕入数", "返品数", "純仕入数", "仕入額", "値引額", "その他", "純仕入額"},
         {"I001|20|0|20|1000|-100|0|900", "I002|0|0|0|0|0|0|0", "I003|0|0|0|0|0|0|0",
          "I004|3|0|3|550|0|0|550"}},
    });
}

// The same lines by month: the partners count every kind but 3, the product
// amounts kinds 1 and 2, the quantities kind 1.
TEST_F(LineSumsRowsTest, TransitionsByPartnerAndByProduct)
{
    const QString cls = QStringLiteral("Class1");
    const QStringList months{"通期計", "2004/4", "2004/5", "2004/6"};
    ExpectRows({
        {"customers from April",
         [] { return MakePartnerTransitionSQL(CTradeSide::Sales(), 2004, 4, QString(), {}); },
         QStringList{"CustomerCode"} + months,
         {"K001|1760.5|0|1760.5|0", "K003|1254|0|255|999", "K004|0|0|0|0", "K005|0|0|0|0", "K006|0|0|0|0",
          "K007|0|0|0|0", "K008|0|0|0|0", "O'Neil|800|0|500|300", "　|1000|0|1000|0"}},
        {"customers by class",
         [cls] { return MakePartnerTransitionSQL(CTradeSide::Sales(), 2004, 4, cls, {}); },
         {"CustomerCode", "Class1", "2004/5"},
         {"K004||0", "K005||0", "K006||0", "K007||0", "K008||0", "　||1000", "O'Neil|大阪|500",
          "K001|東京|1760.5", "K003|東京|255"}},
        {"suppliers from April",
         [] { return MakePartnerTransitionSQL(CTradeSide::Purchases(), 2004, 4, QString(), {}); },
         QStringList{"SupplierCode"} + months,
         {"SP01|2828|2828|0|0", "SP02|530|-20|550|0", "SP03|900|0|900|0", "SP04|0|0|0|0", "SP05|0|0|0|0",
          "SP06|0|0|0|0", "　|0|0|0|0"}},
        {"product amounts from April",
         [] { return MakeItemAmountTransitionSQL(CTradeSide::Sales(), 2004, 4, QString(), {}); },
         QStringList{"ItemCode"} + months,
         {"I001|900|0|600|300", "I002|1000|0|1000|0", "I003|1500|0|1500|0", "I004|1144|0|145|999"}},
        {"product quantities from April",
         [] { return MakeItemQuantityTransitionSQL(CTradeSide::Sales(), 2004, 4, QString(), {}); },
         QStringList{"ItemCode"} + months,
         {"I001|11|0|8|3", "I002|5|0|5|0", "I003|2|0|2|0", "I004|6|0|-1|7"}},
        {"purchased quantities by class",
         [cls] { return MakeItemQuantityTransitionSQL(CTradeSide::Purchases(), 2004, 4, cls, {}); },
         {"ItemCode", "Class1", "2004/4", "2004/5"},
         {"I004|事務機|0|3", "I001|文具|0|20", "I003|文具|0|0", "I002|紙製品|39|0"}},
    });
}

// The staff lists by month count each line in the month of its own date,
// whatever the date of its slip: the E lines of S9 (鈴木, 6 May) fall from
// May to June, and the slips of "abe" (three spellings of one name) are
// dated after the year, not at all, and inside it with lines of no date and
// of kind 3.
TEST_F(LineSumsRowsTest, StaffTransitionsCountEachLineInItsOwnMonth)
{
    const FixtureValue none = FixtureValue::Null();
    InsertStaffSlips(
        {{"X1", QDate(2005, 4, 2), "abe"}, {"X2", none, "ABE"}, {"X3", QDate(2004, 8, 8), "Abe"}},
        {
            {"X1", QDate(2005, 3, 31), 1, "70"},
            {"X1", QDate(2005, 4, 2), 1, "11"},
            {"X2", QDate(2004, 7, 7), 9, "8"},
            {"X3", QDate(2004, 8, 8), 1, "100"},
            {"X3", none, 1, "1000"},
            {"X3", QDate(2004, 9, 1), 3, "30"},
        });
    Exec(QStringLiteral("UPDATE Stock_H SET MyPerson = '山本' WHERE \"No\" = 'P6'"));

    ExpectRows({
        {"sales staff from April",
         [] { return MakeStaffTransitionSQL(CTradeSide::Sales(), 2004, 4); },
         {"MyPerson", "通期計", "2004/5", "2004/6", "2004/7", "2004/8", "2005/3"},
         {"ABE|178|0|0|8|100|70", "佐藤|1680|1680|0|0|0|0", "田中|0|0|0|0|0|0", "鈴木|3554|2255|1299|0|0|0"}},
        {"purchase staff from April",
         [] { return MakeStaffTransitionSQL(CTradeSide::Purchases(), 2004, 4); },
         {"MyPerson", "通期計", "2004/4", "2004/5"},
         {"山本|1430|-20|1450"}},
    });
}

// Spellings of one name that differ in case are one row, also when they
// share a month, in the spelling of the name's earliest slip; the rows come
// in the order of the names without regard to case ("bob" before "Carl").
// "Bob" is dated before the year, its line in May.
TEST_F(LineSumsRowsTest, StaffTransitionsJoinTheSpellingsOfANameWithinAMonth)
{
    InsertStaffSlips({{"Y1", QDate(2004, 5, 3), "bob"},
                      {"Y2", QDate(2004, 5, 20), "BOB"},
                      {"Y3", QDate(2003, 12, 1), "Bob"},
                      {"Y4", QDate(2004, 5, 4), "Carl"}},
                     {
                         {"Y1", QDate(2004, 5, 3), 1, "10"},
                         {"Y2", QDate(2004, 5, 20), 1, "200"},
                         {"Y2", QDate(2004, 6, 2), 2, "3000"},
                         {"Y3", QDate(2004, 5, 31), 1, "40000"},
                         {"Y4", QDate(2004, 5, 4), 1, "5"},
                     });

    ExpectRows({
        {"sales staff from April",
         [] { return MakeStaffTransitionSQL(CTradeSide::Sales(), 2004, 4); },
         {"MyPerson", "通期計", "2004/5", "2004/6"},
         {"Bob|43210|40210|3000", "Carl|5|5|0", "佐藤|1680|1680|0", "田中|0|0|0", "鈴木|3554|2255|1299"}},
    });
}
