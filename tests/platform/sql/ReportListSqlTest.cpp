#include "reports/ReportFixture.h"

#include "platform/sql/BalanceSql.h"
#include "platform/sql/ClosingSql.h"
#include "platform/sql/DetailListSql.h"

namespace
{

using ReportListSqlTest = ReportFixture;

} // namespace

TEST_F(ReportListSqlTest, BilledListsGiveOneRowPerClosingNewestFirst)
{
    const QStringList fields{"No",     "前回請求額", "今回入金額", "繰越額", "今回税抜売上額",
                             "消費税", "納品枚数",   "HeaderID",   "FormID", "FileName"};
    const QString k4c1 = QStringLiteral("K4C1|0|0|0|8000|400|1|%1|3|k4.frm").arg(Id("S13"));
    const QStringList all{
        QStringLiteral("K3C1|5000|0|5000|7000|350|1|0|0|"),
        // A per-slip invoice names its slip and carries nothing.
        k4c1,
        // Two names on the slips, one row.
        QStringLiteral("OT1|0|0|0|3000|150|2|0|0|"),
        QStringLiteral("K7C2|1500|0|1500|1000|50|1|0|0|"),
        QStringLiteral("ON1|0|0|0|400|20|1|0|0|"),
        QStringLiteral("K1C2|23000|13000|10000|30000.5|2000.02|1|0|0|"),
        // Same date: the higher ID counts the lower one as past.
        QStringLiteral("K6C3|7300|300|7000|500|25|1|0|0|"),
        QStringLiteral("K6C2|5200|0|5200|2000|100|1|0|0|"),
        // Settled closings too; past money only, slips only, none.
        QStringLiteral("K7C1|2000|500|1500|0|0|0|0|0|"),
        QStringLiteral("K1C1|10000|8000|2000|20000|1000|1|0|0|"),
        QStringLiteral("K6C1|1000|0|1000|4000|200|1|0|0|"),
    };
    EXPECT_EQ(Table(Rows(MakeBilledListSQL(QDate(), QDate())), fields), all);
    EXPECT_EQ(Table(Rows(MakeBilledListSQL(QDate(), QDate(2004, 3, 31))), fields), all.mid(8));
    EXPECT_EQ(Table(Rows(MakeBilledListSQL(QDate(2004, 5, 25), QDate(2004, 5, 25))), fields),
              QStringList({k4c1}));

    const CCDSData oneTime = Rows(MakeBilledListSQL(QDate(2004, 5, 20), QDate(2004, 5, 20)));
    EXPECT_EQ(Values(oneTime, 0,
                     {"ID", "Status", "TudoFlg", "CloseDate", "CustomerCode", "Company", "Section", "Name",
                      "MyPerson", "FAX"}),
              QStringList({QString::number(Id("OT1")), "0", "1", "2004/05/20", "　", "山川商店", "本店",
                           "山川", "田中", ""}));
    EXPECT_EQ(
        Values(Rows(MakeBilledListSQL(QDate(2004, 4, 25), QDate(2004, 4, 25))), 1,
               {"No", "Zip", "Address", "Company", "TEL", "FAX"}),
        QStringList({"K1C2", "100-0001", "東京都千代田区1-1", "青葉商事", "03-1111-1111", "03-1111-1112"}));

    EXPECT_EQ(Table(Rows(MakePaidListSQL(QDate(2004, 4, 1), QDate(2004, 4, 30))),
                    {"No", "前回未払額", "今回支払額", "繰越額", "今回税抜仕入額", "消費税", "仕入枚数",
                     "Company"}),
              QStringList({"PC5|0|0|0|9999.99|0|1|中央印刷", "PC4|0|0|0|4000|0|1|西陣織物",
                           "PC3|0|0|0|1900|100|1|東邦商店", "PC2|0|0|0|9500|500|1|南海運輸",
                           "PC1|5000|0|5000|28000|2000|1|北斗製作所", "PC6|0|0|0|-500|0|1|返品商会"}));
}

TEST_F(ReportListSqlTest, BalancesByDateWithCreditLimitAndActiveOnly)
{
    const QStringList fields{"CustomerCode", "タイプ",   "前回残高", "今回売上額",
                             "今回入金額",   "今回残高", "Ceiling",  "限度残額"};
    const QStringList all{
        QStringLiteral("K001|1|42000.52|14525.12|7000|49525.64|60000|10474.36"),
        QStringLiteral("K003|1|5000|11980|0|16980||"),
        QStringLiteral("K004|1|0|9900|0|9900||"),
        // Money only: negative, still listed when active only.
        QStringLiteral("K005|1|0|0|3000|-3000||"),
        // Opening balance and earlier slips, no trade in the period.
        QStringLiteral("K006|0|7525|0|0|7525||"),
        QStringLiteral("K007|0|2550|0|0|2550||"),
        QStringLiteral("K008|0|0|0|0|0||"),
        // The slip of the period's last day is in.
        QStringLiteral("O'Neil|1|420|5355|0|5775||"),
        QStringLiteral("　|1|0|3150|2100|1050||"),
    };
    const QDate may1(2004, 5, 1), may31(2004, 5, 31);
    EXPECT_EQ(Table(Rows(MakeReceivableBalanceSQL(may1, may31, QString(), {}, false)), fields), all);
    QStringList active = all;
    active.removeAt(6);
    EXPECT_EQ(Table(Rows(MakeReceivableBalanceSQL(may1, may31, QString(), {}, true)), fields), active);
    // The day before the first day goes to the balance brought forward.
    EXPECT_EQ(Table(Rows(MakeReceivableBalanceSQL(QDate(2004, 5, 6), may31, QStringLiteral("Class1"),
                                                  {QStringLiteral("大阪")}, false)),
                    {"CustomerCode", "前回残高", "今回売上額", "今回残高", "Class1"}),
              QStringList({"O'Neil|2520|3255|5775|大阪"}));

    const QStringList payables{"SP01|0|35000|0|0|35000", "SP02|0|10000|0|0|10000", "SP03|1|2000|735|100|2635",
                               "SP04|0|4000|0|0|4000", "SP05|0|9999.99|0|0|9999.99",
                               // Only a return: a negative balance is still a figure.
                               "SP06|0|-500|0|0|-500"};
    const QStringList payableFields{"SupplierCode", "タイプ",     "前回残高",
                                    "今回仕入額",   "今回支払額", "今回残高"};
    EXPECT_EQ(Table(Rows(MakePayableBalanceSQL(may1, may31, QString(), {}, true)), payableFields), payables);
    EXPECT_EQ(Rows(MakePayableBalanceSQL(may1, may31, QString(), {}, false)).GetCount(), 7);
    EXPECT_EQ(MakePayableBalanceSQL(may1, may31, QStringLiteral("Company"), {QStringLiteral("x")}, false),
              QString());
}

TEST_F(ReportListSqlTest, DetailListsOfMoneySlipLinesAndMovements)
{
    // Only a to date.
    EXPECT_EQ(Column(Rows(MakeReceiptListSQL(CTradeSide::Sales(), QDate(), QDate(2004, 4, 30))),
                     QStringLiteral("No")),
              QStringList({"R8", "R2", "R9", "R1"}));
    // The one-time payer of a closing is named after its first slip; a
    // registered payer after the master.
    const CCDSData receipts =
        Rows(MakeReceiptListSQL(CTradeSide::Sales(), QDate(2004, 5, 15), QDate(2004, 5, 21)));
    EXPECT_EQ(Table(receipts, {"No", "Company", "Name", "Amount", "CloseID"}),
              QStringList({QStringLiteral("R7|山川商店|山川|2100|%1").arg(Id("OT1")), "R10|諸口||0|0",
                           "R3|青葉商事|青葉 一郎|5000|0"}));
    EXPECT_EQ(Values(receipts, 2, {"Zip", "Keisho", "CustomerCode", "SeikyuID"}),
              QStringList({"100-0001", "様", "K001", "0"}));
    EXPECT_EQ(Table(Rows(MakeReceiptLineListSQL(CTradeSide::Sales(), QDate(2004, 5, 15), QDate(2004, 5, 15))),
                    {"No", "Company", "Code", "Amount", "Contents", "LineNo"}),
              QStringList({"R3|青葉商事|振込|4800||1", "R3|青葉商事|値引き|200|端数|2"}));
    EXPECT_EQ(Table(Rows(MakeReceiptListSQL(CTradeSide::Purchases(), QDate(2004, 5, 1), QDate())),
                    {"No", "Company", "Amount"}),
              QStringList({"Y1|東邦商店|100"}));

    // One date: the ordinary slip before the tax slip, then by number and line.
    const CCDSData lines =
        Rows(MakeSlipLineListSQL(CTradeSide::Sales(), QDate(2004, 5, 10), QDate(2004, 5, 20)));
    EXPECT_EQ(Table(lines, {"No", "ItemName", "ItemType", "TudoFlg"}),
              QStringList({"S4|L1|1|1", "S4|L2|1|1", "S4|L3|2|1", "S4|L4|3|1", "S4|L5|9|1", "S16|L11|1|1",
                           "S6|L10|9|1"}));
    EXPECT_EQ(Values(lines, 1, {"Amount", "Amount2", "TaxFlg", "MyPerson", "CustomerCode"}),
              QStringList({"1100", "660", "2", "佐藤", "K001"}));
    EXPECT_EQ(
        Table(Rows(MakeSlipLineListSQL(CTradeSide::Purchases(), QDate(2004, 4, 15), QDate(2004, 4, 15))),
              {"No", "ItemName", "Amount", "TudoFlg"}),
        QStringList({"P1|PL3|3000|1", "P1|PL4|100|1"}));

    EXPECT_EQ(
        Table(Rows(MakeQuoteOrderLineListSQL(CTradeSide::Sales(), QDate(2004, 5, 1), QDate(2004, 5, 31))),
              {"No", "CustomerCode", "ItemName", "Amount"}),
        QStringList({"Q1|K001|ボールペン|200", "Q1|K001|ノート|150"}));
    EXPECT_EQ(Table(Rows(MakeQuoteOrderLineListSQL(CTradeSide::Purchases(), QDate(), QDate())),
                    {"No", "Limit", "ItemCode", "Number"}),
              QStringList({"O1|2004/05/31|I001|50"}));

    // Stock in and out are both movements; kind 1 keeps Type 3.
    EXPECT_EQ(Table(Rows(MakeStockChangeListSQL(QDate(), QDate(2004, 6, 30), 0)),
                    {"No", "Type", "InNumber", "OutNumber", "ItemName"}),
              QStringList({"M3|3|2|0|ノート", "M5|1|1|0|ノート", "M1|1|7|0|ボールペン", "M2|0|0|4|ボールペン",
                           "M4|1|1|0|ノート"}));
    EXPECT_EQ(Column(Rows(MakeStockChangeListSQL(QDate(), QDate(), 1)), QStringLiteral("No")),
              QStringList({"M3"}));
}
