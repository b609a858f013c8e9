#include "reports/ReportFixture.h"

#include "platform/sql/ClosingSql.h"

#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"

namespace
{

using ClosingSqlTest = ReportFixture;

const QStringList kCandidateSales{QStringLiteral("CustomerCode"),     QStringLiteral("前回請求額"),
                                  QStringLiteral("今回入金額"),       QStringLiteral("繰越額"),
                                  QStringLiteral("今回税抜売上額"),   QStringLiteral("今回課税対象額"),
                                  QStringLiteral("今回算出済み税額"), QStringLiteral("納品枚数")};

} // namespace

TEST_F(ClosingSqlTest, ClosingCandidatesByClosingDayAndUpToADate)
{
    struct Case {
        const char* what;
        QString sql;
        QStringList rows;
    };
    const QString k001 = QStringLiteral("K001|42000.52|5000|37000.52|13345.67|12345.67|130.5|2");
    const QString k004 = QStringLiteral("K004|8400|0|8400|1500|1500|0|1");
    const QString oneil = QStringLiteral("O'Neil|420|0|420|5000|0|250|2");
    const Case cases[] = {
        // The slip of the closing day is in, the next day's is not; the
        // per-slip invoice of that day keeps K004 in; K005 has money only.
        {"day 25", MakeSeikyuSQL(QDate(2004, 5, 25), 25), {k001, k004, oneil}},
        {"up to the date",
         MakeSeikyuUpToDateSQL(QDate(2004, 5, 25)),
         {k001, QStringLiteral("K003|5000|0|5000|600|0|30|1"), k004, oneil}},
        // K003 was closed for the account on the 31st; K007 has nothing unbilled.
        {"month end", MakeSeikyuSQL(QDate(2004, 5, 31), 99), {}},
        {"up to month end",
         MakeSeikyuUpToDateSQL(QDate(2004, 5, 31)),
         {QStringLiteral("K001|42000.52|7000|35000.52|14344.67|12345.67|180.45|3"), k004,
          QStringLiteral("O'Neil|420|0|420|5100|0|255|3")}},
        {"day 20", MakeSeikyuSQL(QDate(2004, 5, 20), 20), {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Table(Rows(c.sql), kCandidateSales), c.rows) << c.what;

    // The master's fields come along, typed.
    const CCDSData rows = Rows(cases[0].sql);
    EXPECT_EQ(Values(rows, 0,
                     {"Company", "Section", "Name", "Zip", "Address", "Keisho", "Keisho2", "MyPerson",
                      "TaxRoundType", "CollectCycle", "CollectDay"}),
              QStringList({"青葉商事", "営業部", "青葉 一郎", "100-0001", "東京都千代田区1-1", "様", "御中",
                           "佐藤", "2", "1", "10"}));
    EXPECT_EQ(rows.GetAt(0)->GetOneField(QString(), QStringLiteral("前回請求額"))->GetType(), CTb::kMoney);
    EXPECT_EQ(rows.GetAt(0)->GetOneField(QString(), QStringLiteral("納品枚数"))->GetType(), CTb::kInteger);
}

TEST_F(ClosingSqlTest, PurchaseClosingCandidatesAreTheTwin)
{
    const QStringList fields{"SupplierCode",   "前回未払額",     "今回支払額",       "繰越額",
                             "今回税抜仕入額", "今回課税対象額", "今回算出済み税額", "仕入枚数"};
    const QStringList sp03{QStringLiteral("SP03|2000|100|1900|700|0|35|1")};
    EXPECT_EQ(Table(Rows(MakeShiharaiSQL(QDate(2004, 5, 25), 25)), fields), sp03);
    EXPECT_EQ(Table(Rows(MakeShiharaiUpToDateSQL(QDate(2004, 5, 25))), fields), sp03);
    EXPECT_EQ(Rows(MakeShiharaiSQL(QDate(2004, 5, 19), 25)).GetCount(), 0);
}

TEST_F(ClosingSqlTest, ReceiptScheduleListsEachOpenClosingOnce)
{
    const QStringList fields{"No",     "CustomerCode",   "Company", "前回請求額", "今回入金額",
                             "繰越額", "今回税抜売上額", "消費税",  "今回売上額", "納品枚数"};
    const QStringList all{
        // Past slips and money; a past closing of the same date but a lower
        // ID (K6C2 for K6C3) counts, a higher one does not.
        QStringLiteral("K1C2|K001|青葉商事|23000|13000|10000|30000.5|2000.02|42000.52|1"),
        QStringLiteral("K6C2|K006|六本木電機|5200|0|5200|2000|100|7300|1"),
        QStringLiteral("K6C3|K006|六本木電機|7300|300|7000|500|25|7525|1"),
        // One row although its two slips carry two names: the lower slip's.
        QStringLiteral("OT1|　|山川商店|0|0|0|3000|150|3150|2"),
        // A per-slip invoice carries nothing and counts no slips.
        QStringLiteral("K4C1|K004|四谷工業|0|0|0|8000|400|8400|0"),
        // Past money only.
        QStringLiteral("K7C2|K007|七尾食品|1500|0|1500|1000|50|2550|1"),
        QStringLiteral("ON1|O'Neil|オニール商会|0|0|0|400|20|420|1"),
        // A first closing starts from the opening balance.
        QStringLiteral("K3C1|K003|三河屋|5000|0|5000|7000|350|12350|1"),
    };
    EXPECT_EQ(Table(Rows(MakeOpenSalesCloseByCustomer(false)), fields), all);

    const CCDSData withoutCarry = Rows(MakeOpenSalesCloseByCustomer(true));
    EXPECT_EQ(Column(withoutCarry, QStringLiteral("今回売上額")),
              QStringList({"32000.52", "2100", "525", "3150", "8400", "1050", "420", "7350"}));

    const CCDSData oneTime = Rows(MakeOpenSalesCloseByCollectDate(false, QDate(2004, 5, 20)));
    EXPECT_EQ(Column(oneTime, QStringLiteral("No")), QStringList({"K6C2", "K6C3", "OT1"}));
    EXPECT_EQ(
        Values(oneTime, 2, {"Company", "Section", "Name", "MyPerson", "ID", "CloseDate", "CollectDate"}),
        QStringList(
            {"山川商店", "本店", "山川", "田中", QString::number(Id("OT1")), "2004/05/20", "2004/05/20"}));
    EXPECT_EQ(Values(Rows(MakeOpenSalesCloseByCustomer(false, QStringLiteral("k001"))), 0,
                     {"No", "CollectType", "MyPerson", "PhoenicCompany", "PhoenicPerson"}),
              QStringList({"K1C2", "振込", "佐藤", "アオバショウジ", "アオバ イチロウ"}));
    // The code's quote is doubled and its case ignored.
    EXPECT_EQ(
        Column(Rows(MakeOpenSalesCloseByCustomer(false, QStringLiteral("o'neil"))), QStringLiteral("No")),
        QStringList({"ON1"}));
    EXPECT_EQ(Rows(MakeOpenSalesCloseByCollectDate(false, QDate(2004, 5, 21))).GetCount(), 0);

    // Settling a closing takes it off the schedule without changing the others' past.
    Exec(QStringLiteral("UPDATE Sales_Close SET Status = 1 WHERE ID = %1").arg(Id("K6C2")));
    EXPECT_EQ(Values(Rows(MakeOpenSalesCloseByCustomer(false, QStringLiteral("K006"))), 0, fields),
              all.at(2).split(u'|'));
}

TEST_F(ClosingSqlTest, PaymentScheduleTakesTheFeeOfTheAmountsBracket)
{
    const QStringList fields{"No",     "前回未払額", "今回支払額", "繰越額",       "今回税抜仕入額",
                             "消費税", "今回仕入額", "仕入枚数",   "振込み手数料", "振込額"};
    const QStringList all{
        QStringLiteral("PC1|5000|0|5000|28000|2000|35000|1|330|34670"),
        QStringLiteral("PC2|0|0|0|9500|500|10000|1|550|10000"),
        QStringLiteral("PC3|0|0|0|1900|100|2000|1|0|2000"),
        QStringLiteral("PC4|0|0|0|4000|0|4000|1|0|4000"),
        QStringLiteral("PC5|0|0|0|9999.99|0|9999.99|1|550|9449.99"),
    };
    EXPECT_EQ(Table(Rows(MakeOpenStockCloseBySupplier(false)), fields), all);
    EXPECT_EQ(Table(Rows(MakeOpenStockCloseByCollectDate(false, QDate(2004, 5, 31), true)), fields),
              QStringList({all[0], all[1], all[3]}));
    // Without the carry SP01 owes 30000, exactly the third bound.
    EXPECT_EQ(
        Values(Rows(MakeOpenStockCloseBySupplier(true, QStringLiteral("SP01"))), 0,
               {"今回仕入額", "振込み手数料", "振込額", "Bank", "BankNumber", "BankFee", "PaymentType"}),
        QStringList({"30000", "330", "29670", "みずほ銀行", "1234567", "0", "1"}));

    // Rows of a later account are not read; of equal bounds the lowest
    // bracket's fee applies.
    const int other = Insert(TB_BANK_H, {{"Bank", "別口座"}});
    for (int j = 0; j < 4; ++j)
        Insert(TB_BANK_B, {{"HeaderID", other},
                           {"PaymentType", j < 3 ? 1 : 0},
                           {"BankType", j <= 2 ? j + 1 : 3},
                           {"Money", Yen("0")},
                           {"Fee", Yen("9999")}});
    Exec(QStringLiteral("UPDATE Bank_B SET Money = %1 WHERE HeaderID = %2 AND Money = %3")
             .arg(SqlMoney(CMny(10000)), QString::number(Id("BANK1")), SqlMoney(CMny(30000))));
    EXPECT_EQ(Column(Rows(MakeOpenStockCloseBySupplier(false)), QStringLiteral("振込み手数料")),
              QStringList({"440", "550", "0", "0", "550"}));
}
