#include "reports/ReportFixture.h"

#include "platform/sql/AggregationSql.h"
#include "platform/sql/StockSql.h"
#include "platform/sql/TransitionSql.h"

#include "platform/data/TableNames.h"

namespace
{

using AnalysisSqlTest = ReportFixture;

const QDate kMay1(2004, 5, 1), kMay31(2004, 5, 31);

} // namespace

TEST_F(AnalysisSqlTest, AggregationsCountGoodsDiscountsOtherAndReturns)
{
    const QStringList amounts{"売上額", "原価", "値引額", "その他", "純売上額", "粗利益"};
    // A tax-inclusive line counts without its tax; tax lines nowhere;
    // customers without lines show zeros.
    EXPECT_EQ(Table(Rows(MakeSalesByCustomerSQL(kMay1, kMay31, QString(), {})),
                    QStringList{"CustomerCode"} + amounts),
              QStringList({"K001|1800|1000|-200|300|1600|600", "K003|0|0|0|0|0|0", "K004|0|0|0|0|0|0",
                           "K005|0|0|0|0|0|0", "K006|0|0|0|0|0|0", "K007|0|0|0|0|0|0", "K008|0|0|0|0|0|0",
                           "O'Neil|500|0|0|0|500|500", "　|1000|0|0|0|1000|1000"}));
    EXPECT_EQ(
        Table(Rows(MakeSalesByCustomerSQL(kMay1, kMay31, QStringLiteral("Class1"), {QStringLiteral("東京")})),
              {"CustomerCode", "Class1", "売上額"}),
        QStringList({"K001|東京|1800", "K003|東京|0"}));

    // A return lowers the amount and the net quantity.
    EXPECT_EQ(Table(Rows(MakeSalesByItemSQL(kMay1, kMay31, QString(), {})),
                    {"ItemCode", "総売上数", "返品数", "純売上数", "売上額", "値引額", "原価", "その他",
                     "純売上額", "粗利益"}),
              QStringList({"I001|10|-2|8|800|-200|400|0|600|200", "I002|5|0|5|1000|0|600|0|1000|400",
                           "I003|2|0|2|1500|0|0|0|1500|1500", "I004|0|0|0|0|0|0|0|0|0"}));
    EXPECT_EQ(
        Values(Rows(MakePurchaseByItemSQL(kMay1, kMay31, QString(), {})), 0,
               {"ItemCode", "総仕入数", "返品数", "純仕入数", "仕入額", "値引額", "その他", "純仕入額"}),
        QStringList({"I001", "20", "0", "20", "1000", "-100", "0", "900"}));
    EXPECT_EQ(Values(Rows(MakePurchaseBySupplierSQL(QDate(2004, 4, 1), QDate(2004, 4, 30), QString(), {})), 0,
                     {"SupplierCode", "仕入額", "値引額", "その他", "純仕入額"}),
              QStringList({"SP01", "2728", "0", "0", "2728"}));

    // Slips without staff are left out; staff outside the period show zeros.
    EXPECT_EQ(
        Table(Rows(MakeSalesByStaffSQL(kMay1, kMay31)), QStringList{"MyPerson"} + amounts),
        QStringList({"佐藤|1800|1000|-200|300|1600|600", "田中|0|0|0|0|0|0", "鈴木|1500|0|0|0|1500|1500"}));

    const QStringList byPeriod{"期間", "売上額", "原価", "値引額", "純売上額", "その他", "粗利益"};
    EXPECT_EQ(Table(Rows(MakeSalesByPeriodSQL(false, kMay1, kMay31)), byPeriod),
              QStringList({"2004/05/06|500|0|0|500|0|500", "2004/05/10|2000|1100|-200|1800|300|700",
                           "2004/05/20|1000|0|0|1000|0|1000", "2004/05/25|-200|-100|0|-200|0|-100"}));
    EXPECT_EQ(Table(Rows(MakeSalesByPeriodSQL(true, QDate(2004, 4, 1), QDate(2004, 6, 30))), byPeriod),
              QStringList({"2004/05/01|3300|1000|-200|3100|300|2100", "2004/06/01|300|150|0|300|0|150"}));
    EXPECT_EQ(Table(Rows(MakePurchaseByPeriodSQL(true, kMay1, kMay31)),
                    {"期間", "仕入額", "値引額", "その他", "純仕入額"}),
              QStringList({"2004/05/01|1000|-100|0|900"}));
    EXPECT_EQ(MakeSalesByItemSQL(kMay1, kMay31, QStringLiteral("Class9"), {}), QString());
}

TEST_F(AnalysisSqlTest, TaxBreakdownsTakeDiscountsOfThePeriodOnly)
{
    EXPECT_EQ(Table(Rows(MakeSalesTaxBreakdownSQL(kMay1, kMay31)),
                    {"税抜売上", "税込売上", "非課税売上", "税抜値引", "税込値引", "非課税値引", "税抜その他",
                     "税込その他", "非課税その他", "税額", "入金値引"}),
              QStringList({"1800|1100|500|-200|0|0|0|0|300|160.5|200"}));
    // The payment discount of March (whose Contents reads 値引き too) is outside.
    EXPECT_EQ(Table(Rows(MakePurchaseTaxBreakdownSQL(kMay1, kMay31)),
                    {"税抜仕入", "税込仕入", "非課税仕入", "税抜値引", "税額", "支払値引"}),
              QStringList({"1000|0|0|-100|0|10"}));
    EXPECT_EQ(Table(Rows(MakePurchaseTaxBreakdownSQL(QDate(2004, 3, 1), QDate(2004, 4, 30))),
                    {"税込仕入", "税額", "支払値引"}),
              QStringList({"3000|100|30"}));
}

TEST_F(AnalysisSqlTest, TransitionsHaveTwelveMonthColumns)
{
    const QStringList months{"2004/4",  "2004/5",  "2004/6",  "2004/7", "2004/8", "2004/9",
                             "2004/10", "2004/11", "2004/12", "2005/1", "2005/2", "2005/3"};
    const CCDSData partners = Rows(MakePartnerTransitionSQL(CTradeSide::Sales(), 2004, 4, QString(), {}));
    ASSERT_EQ(partners.GetCount(), 9);
    const COneRecord* first = partners.GetAt(0);
    ASSERT_EQ(first->GetCount(), 5 + 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(first->GetAt(5 + i)->GetName(), months.at(i));
    // Tax lines count here, kind 3 does not; March 2004 (K006) is outside.
    const QStringList fields = QStringList{"CustomerCode", "通期計", "2004/4", "2004/5", "2004/6", "2005/3"};
    EXPECT_EQ(Values(partners, 0, fields), QStringList({"K001", "1760.5", "0", "1760.5", "0", "0"}));
    EXPECT_EQ(Values(partners, 4, fields), QStringList({"K006", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(Values(partners, 7, fields), QStringList({"O'Neil", "800", "0", "500", "300", "0"}));

    const QStringList itemFields{"ItemCode", "通期計", "2004/5", "2004/6"};
    EXPECT_EQ(
        Table(Rows(MakeItemAmountTransitionSQL(CTradeSide::Sales(), 2004, 4, QString(), {})), itemFields),
        QStringList({"I001|900|600|300", "I002|1000|1000|0", "I003|1500|1500|0", "I004|0|0|0"}));
    EXPECT_EQ(Table(Rows(MakeItemQuantityTransitionSQL(CTradeSide::Sales(), 2004, 4, QStringLiteral("Class1"),
                                                       {QStringLiteral("文具")})),
                    {"ItemCode", "通期計", "Class1", "2004/5", "2004/6"}),
              QStringList({"I001|11|文具|8|3", "I003|2|文具|2|0"}));
    EXPECT_EQ(Table(Rows(MakeStaffTransitionSQL(CTradeSide::Sales(), 2004, 4)),
                    {"MyPerson", "通期計", "2004/5", "2004/6"}),
              QStringList({"佐藤|1680|1680|0", "田中|0|0|0", "鈴木|1800|1500|300"}));
    // A year from March 2004 takes K006's March line.
    EXPECT_EQ(Values(Rows(MakePartnerTransitionSQL(CTradeSide::Sales(), 2004, 3, QString(), {})), 4,
                     {"CustomerCode", "2004/3"}),
              QStringList({"K006", "400"}));

    EXPECT_EQ(MakePartnerTransitionSQL(CTradeSide::Sales(), 2004, 13, QString(), {}), QString());
    EXPECT_EQ(MakeStaffTransitionSQL(CTradeSide::Purchases(), 2004, 0), QString());
}

TEST_F(AnalysisSqlTest, StockFromOpeningStockAndEveryMovement)
{
    const QStringList list{"ItemCode", "在庫数", "StockJustNumber", "過不足数", "StockNumber"};
    // Untracked products are absent; a product without movements keeps its
    // opening stock; discounts never count; out and in both move stock.
    EXPECT_EQ(Table(Rows(MakeStockListSQL(kMay31, QString(), {}, QDate())), list),
              QStringList({"I001|115|80|35|100", "I002|49|20|29|10", "I004|5|0|5|5"}));
    // The opening day's purchase is in the opening stock; the next day's counts.
    EXPECT_EQ(
        Values(Rows(MakeStockListSQL(kMay31, QString(), {}, QDate(2004, 3, 31))), 1, {"ItemCode", "在庫数"}),
        QStringList({"I002", "45"}));
    // The stock date itself is counted.
    EXPECT_EQ(
        Column(Rows(MakeStockListSQL(QDate(2004, 3, 31), QString(), {}, QDate())), QStringLiteral("在庫数")),
        QStringList({"100", "14", "5"}));
    EXPECT_EQ(
        Table(Rows(MakeStockListSQL(kMay31, QStringLiteral("Class1"), {QStringLiteral("紙製品")}, QDate())),
              {"ItemCode", "Class1"}),
        QStringList({"I002|紙製品"}));

    const QStringList movement{"ItemCode", "前回在庫数", "今回仕入数", "今回出荷数",
                               "調整数",   "今回在庫数", "最終出荷日"};
    EXPECT_EQ(
        Table(Rows(MakeStockMovementSQL(kMay1, kMay31, QString(), {}, QDate())), movement),
        QStringList({"I001|100|20|8|3|115|2004/06/01", "I002|54|0|5|0|49|2004/05/10", "I004|5|0|0|0|5|"}));
    EXPECT_EQ(
        Values(Rows(MakeStockMovementSQL(kMay1, kMay31, QString(), {}, QDate(2004, 3, 31))), 1, movement),
        QStringList({"I002", "50", "0", "5", "0", "45", "2004/05/10"}));

    // Each column is the stock at its month's end.
    const QStringList spring{"ItemCode", "2004/3", "2004/4", "2004/5", "2004/6", "2005/2"};
    EXPECT_EQ(Table(Rows(MakeStockTransitionSQL(2004, 3, QString(), {}, QDate())), spring),
              QStringList({"I001|100|100|115|112|112", "I002|14|54|49|50|50", "I004|5|5|5|5|10"}));
    const CCDSData autumn = Rows(MakeStockTransitionSQL(2004, 11, QString(), {}, QDate()));
    EXPECT_EQ(Values(autumn, 2, {"ItemCode", "2004/11", "2004/12", "2005/10"}),
              QStringList({"I004", "7", "10", "10"}));
    EXPECT_EQ(autumn.GetAt(0)->GetCount(), 2 + 12);
    EXPECT_EQ(MakeStockTransitionSQL(2004, 13, QString(), {}, QDate()), QString());
}

TEST_F(AnalysisSqlTest, StockClassValueIsNeverTakenForStatementText)
{
    // The builders' own placeholders, a quote and an arg() marker in the
    // value: the product still has its movements (3 opening + 10 in).
    const char* shelf = "棚'{K}{Q}%1";
    Insert(TB_ITEM, {{"ItemCode", "I009"},
                     {"ItemName", "棚板"},
                     {"StockType", 1},
                     {"StockNumber", Yen("3")},
                     {"Class1", shelf}});
    Insert(TB_STOCKCHANGE, {{"No", "M9"},
                            {"Date", kMay1},
                            {"ItemCode", "I009"},
                            {"Type", 1},
                            {"InNumber", Yen("10")},
                            {"OutNumber", Yen("0")}});
    const QString cls = QStringLiteral("Class1");
    const QStringList values{QString::fromUtf8(shelf)};
    EXPECT_EQ(Table(Rows(MakeStockListSQL(kMay31, cls, values, QDate())), {"ItemCode", "在庫数", "Class1"}),
              QStringList{QStringLiteral("I009|13|") + QString::fromUtf8(shelf)});
    EXPECT_EQ(Table(Rows(MakeStockMovementSQL(kMay1, kMay31, cls, values, QDate())),
                    {"ItemCode", "調整数", "今回在庫数"}),
              QStringList{"I009|10|13"});
    EXPECT_EQ(
        Table(Rows(MakeStockTransitionSQL(2004, 4, cls, values, QDate())), {"ItemCode", "2004/4", "2004/5"}),
        QStringList{"I009|3|13"});
}
