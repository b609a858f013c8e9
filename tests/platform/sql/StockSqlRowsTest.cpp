#include "reports/ReportFixture.h"

#include "platform/sql/StockSql.h"

#include "platform/data/TableNames.h"

namespace
{

// The fixture's stock (ReportFixture.cpp) and two more tracked products:
// I005 without an opening stock or a class, moved by lines of every kind,
// by a line without a quantity, one without a date and by lines written in
// lower case; I006 of the class of I001, never moved. Per product:
//   I001 100: sales 05-10 -10, 05-25 +2, 06-01 -3; purchase 05-20 +20;
//        movements 05-12 +7, 05-13 -4 (discount lines move nothing)
//   I002 10:  sales 03-05 -4, 05-10 -5; purchases 03-31 +6, 04-01 +9,
//        04-15 +30; movements 03-31 +2, 04-01 +1, 06-02 +1
//   I004 5:   movements 11-30 +2, 12-01 +3, 2005-04-01 +50 (after every
//        period)
//   I005 -:   purchase 04-02 +10; sales of kind 3 05-03 -2, of kind 0
//        05-04 -1, without a kind 05-05 (none), of kind 2 07-09 (none),
//        without a quantity 06-10, without a date (none); movements 05-31
//        -3 (no in), 06-01 +4 (no out)
//   I006 7:   nothing
class StockSqlRowsTest : public ReportFixture
{
  protected:
    void SetUp() override
    {
        ReportFixture::SetUp();
        if (HasFatalFailure())
            return;
        Insert(TB_ITEM, {{"ItemCode", "I005"},
                         {"ItemName", "付箋"},
                         {"StockType", 1},
                         {"StockNumber", FixtureValue::Null()},
                         {"Class1", FixtureValue::Null()}});
        Insert(TB_ITEM, {{"ItemCode", "I006"},
                         {"ItemName", "定規"},
                         {"StockType", 1},
                         {"StockNumber", Yen("7")},
                         {"StockJustNumber", Yen("9")},
                         {"Class1", "文具"}});
        const struct {
            FixtureValue date;
            const char* code;
            FixtureValue kind;
            FixtureValue number;
        } sales[] = {
            {QDate(2004, 5, 3), "I005", 3, Yen("2")},
            {QDate(2004, 5, 4), "i005", 0, Yen("1")},
            {QDate(2004, 5, 5), "I005", FixtureValue::Null(), Yen("50")},
            {QDate(2004, 7, 9), "I005", 2, Yen("40")},
            {QDate(2004, 6, 10), "I005", 1, FixtureValue::Null()},
            {FixtureValue::Null(), "I005", 1, Yen("30")},
        };
        int lineNo = 20;
        for (const auto& s : sales)
            Insert(TB_SALES_B, {{"HeaderID", Id("S9")},
                                {"LineNo", ++lineNo},
                                {"Date", s.date},
                                {"CustomerCode", "O'Neil"},
                                {"ItemType", s.kind},
                                {"TaxFlg", 1},
                                {"ItemCode", s.code},
                                {"ItemName", "付箋"},
                                {"Number", s.number},
                                {"Amount", Yen("0")}});
        Insert(TB_STOCK_B, {{"HeaderID", Id("P6")},
                            {"LineNo", 9},
                            {"Date", QDate(2004, 4, 2)},
                            {"SupplierCode", "SP03"},
                            {"ItemType", 1},
                            {"TaxFlg", 1},
                            {"ItemCode", "I005"},
                            {"Number", Yen("10")},
                            {"Amount", Yen("0")}});
        const FixtureValue none = FixtureValue::Null();
        const struct {
            const char *no, *item;
            QDate date;
            int type;
            FixtureValue in, out;
        } changes[] = {
            {"M10", "I004", {2005, 4, 1}, 0, Yen("50"), none},
            {"M8", "I005", {2004, 5, 31}, 0, none, Yen("3")},
            {"M9", "i005", {2004, 6, 1}, 1, Yen("4"), none},
        };
        for (const auto& c : changes)
            Insert(TB_STOCKCHANGE, {{"No", c.no},
                                    {"Date", c.date},
                                    {"ItemCode", c.item},
                                    {"Type", c.type},
                                    {"InNumber", c.in},
                                    {"OutNumber", c.out}});
    }
};

const QDate kMay1(2004, 5, 1), kMay31(2004, 5, 31);

} // namespace

// Every product row, its order and its figures, as the stock statements have
// always given them.
TEST_F(StockSqlRowsTest, StockListMovementAndTransitionRows)
{
    const QStringList list{"ItemCode", "在庫数", "StockJustNumber", "過不足数", "StockNumber"};
    const QStringList movement{"ItemCode", "前回在庫数", "今回仕入数", "今回出荷数",
                               "調整数",   "今回在庫数", "最終出荷日"};
    const QStringList months{"ItemCode", "2004/4", "2004/5", "2004/6", "2004/7", "2004/11", "2005/3"};
    const QString cls = QStringLiteral("Class1");
    ExpectRows({
        {"list at the end of May",
         [] { return MakeStockListSQL(kMay31, QString(), {}, QDate()); },
         list,
         {"I001|115|80|35|100", "I002|49|20|29|10", "I004|5|0|5|5", "I005|4|0|4|", "I006|7|9|-2|7"}},
        {"list counted from the day after 31 March",
         [] { return MakeStockListSQL(kMay31, QString(), {}, QDate(2004, 3, 31)); },
         list,
         {"I001|115|80|35|100", "I002|45|20|25|10", "I004|5|0|5|5", "I005|4|0|4|", "I006|7|9|-2|7"}},
        // No class first, equal classes by code.
        {"list by class",
         [cls] { return MakeStockListSQL(kMay31, cls, {}, QDate()); },
         {"ItemCode", "Class1"},
         {"I005|", "I004|事務機", "I001|文具", "I006|文具", "I002|紙製品"}},
        // The last shipment is of any sales line, of any kind and date.
        {"movement of May",
         [] { return MakeStockMovementSQL(kMay1, kMay31, QString(), {}, QDate()); },
         movement,
         {"I001|100|20|8|3|115|2004/06/01", "I002|54|0|5|0|49|2004/05/10", "I004|5|0|0|0|5|",
          "I005|10|0|3|-3|4|2004/07/09", "I006|7|0|0|0|7|"}},
        // From an opening day on the eve of the period the past is the
        // opening stock alone; the period counts whatever the opening day.
        {"movement of May from 30 April",
         [] { return MakeStockMovementSQL(kMay1, kMay31, QString(), {}, QDate(2004, 4, 30)); },
         movement,
         {"I001|100|20|8|3|115|2004/06/01", "I002|10|0|5|0|5|2004/05/10", "I004|5|0|0|0|5|",
          "I005|0|0|3|-3|-6|2004/07/09", "I006|7|0|0|0|7|"}},
        {"movement by class",
         [cls] { return MakeStockMovementSQL(kMay1, kMay31, cls, {}, QDate()); },
         {"ItemCode", "Class1"},
         {"I005|", "I004|事務機", "I001|文具", "I006|文具", "I002|紙製品"}},
        {"transition from April",
         [] { return MakeStockTransitionSQL(2004, 4, QString(), {}, QDate()); },
         months,
         {"I001|100|115|112|112|112|112", "I002|54|49|50|50|50|50", "I004|5|5|5|5|7|10", "I005|10|4|8|8|8|8",
          "I006|7|7|7|7|7|7"}},
        // An opening day inside the year: the months before it show the
        // opening stock, the later ones what moved after it.
        {"transition from April, opened 15 May",
         [] { return MakeStockTransitionSQL(2004, 4, QString(), {}, QDate(2004, 5, 15)); },
         months,
         {"I001|100|122|119|119|119|119", "I002|10|10|11|11|11|11", "I004|5|5|5|5|7|10", "I005|0|-3|1|1|1|1",
          "I006|7|7|7|7|7|7"}},
        {"transition of the class 文具",
         [cls] { return MakeStockTransitionSQL(2004, 4, cls, {QStringLiteral("文具")}, QDate()); },
         {"ItemCode", "Class1", "2004/5"},
         {"I001|文具|115", "I006|文具|7"}},
    });
}
