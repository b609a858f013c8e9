#include "LedgerWorld.h"

namespace
{

class LedgerTest : public LedgerWorld
{
};

} // namespace

// The ledger lists the period's slip lines, the slip totals not on a line,
// and the money lines in order, from the balance carried in; the end is the
// partner's balance at the period's end.
TEST_F(LedgerTest, CustomerAndSupplierLedgersAddUpToTheBalance)
{
    CCDSData head, rows;
    QString err;
    ASSERT_EQ(m_data.GetMotocho(0, QStringLiteral("k1"), D(4, 1), D(4, 30), head, rows, err), 1)
        << err.toStdString();
    ASSERT_EQ(head.GetCount(), 1);
    EXPECT_EQ(Table(head, {"CustomerCode", "Company", "Section", "Name", "前月繰越額"}),
              QStringList{"K1|青木商事|本社|青木|1700"});
    EXPECT_EQ(Table(rows, {"Date", "No", "タイプ", "LineNo", "ItemType", "ItemName", "Number", "Amount",
                           "Receipt"}),
              (QStringList{"2024/04/05|A2|1|1|1|ボールペン|3|3000|0", "2024/04/05|A2|1|2|9|||300|0",
                           "2024/04/10|A3|1|1|1|ボールペン|1|1100|0", "2024/04/10|A3|1|2|2|値引|1|-100|0",
                           "2024/04/10|R1|2|1|0|現金||0|1500", "2024/04/10|R1|2|2|0|振込 4月分||0|500",
                           "2024/04/20|R2|2|1|0|||0|700", "2024/04/30||1|1|9|||150|0"}));
    EXPECT_EQ(EndBalance(head, rows, "前月繰越額", "Amount", "Receipt"), CMny(3450));

    // A later call appends; the supplier side reads its own tables.
    ASSERT_EQ(m_data.GetMotocho(1, QStringLiteral("SP1"), D(4, 1), D(4, 30), head, rows, err), 1)
        << err.toStdString();
    ASSERT_EQ(head.GetCount(), 2);
    EXPECT_EQ(Table(head, {"SupplierCode", "前月繰越額"}).last(), QStringLiteral("SP1|0"));
    CCDSData supplierHead, supplierRows;
    ASSERT_EQ(m_data.GetMotocho(1, QStringLiteral("SP1"), D(4, 1), D(4, 30), supplierHead, supplierRows, err),
              1);
    EXPECT_EQ(Table(supplierRows, {"No", "タイプ", "ItemType", "Amount", "Receipt"}),
              (QStringList{"P1|1|1|1000|0", "P1|1|9|100|0", "Y1|2|0|0|600"}));
    EXPECT_EQ(EndBalance(supplierHead, supplierRows, "前月繰越額", "Amount", "Receipt"), CMny(500));

    // Refusals append nothing.
    const int before = rows.GetCount();
    EXPECT_EQ(m_data.GetMotocho(0, QStringLiteral("K9"), D(4, 1), D(4, 30), head, rows, err), 10);
    EXPECT_TRUE(err.contains(QStringLiteral("K9")));
    EXPECT_EQ(m_data.GetMotocho(0, QStringLiteral("K1"), D(4, 30), D(4, 1), head, rows, err), 10);
    EXPECT_EQ(m_data.GetMotocho(0, QStringLiteral("K1' OR '1'='1"), D(4, 1), D(4, 30), head, rows, err), 10);
    EXPECT_EQ(head.GetCount(), 2);
    EXPECT_EQ(rows.GetCount(), before);
}

// The stock detail starts at the stock of the period's first day (after the
// last carry-forward only) and moves by sales, purchases and movements.
TEST_F(LedgerTest, StockDetailStartsAtTheOpeningStockAndEndsAtTheStock)
{
    CCDSData head, rows;
    QString err;
    ASSERT_EQ(m_data.GetItemInOutList(QStringLiteral("I1"), D(4, 1), D(4, 30), head, rows, QDate(), err), 1)
        << err.toStdString();
    EXPECT_EQ(Table(head, {"ItemCode", "ItemName", "繰越数"}), QStringList{"I1|ボールペン|13"});
    EXPECT_EQ(Table(rows, {"Date", "No", "タイプ", "Memo", "InNum", "OutNum", "Company"}),
              (QStringList{"2024/04/03|P1|2||10|0|北山製作所", "2024/04/05|A2|1||0|3|青木商事",
                           "2024/04/10|A3|1||0|1|青木商事", "2024/04/11|A5|1||0|1|山田商店",
                           "2024/04/12|M1|3|破損|0|4|"}));
    EXPECT_EQ(EndBalance(head, rows, "繰越数", "InNum", "OutNum"), CMny(14));

    CCDSData carried, ignored;
    ASSERT_EQ(
        m_data.GetItemInOutList(QStringLiteral("I1"), D(4, 1), D(4, 30), carried, ignored, D(3, 10), err), 1);
    EXPECT_EQ(Table(carried, {"繰越数"}), QStringList{"8"});
    EXPECT_EQ(
        m_data.GetItemInOutList(QStringLiteral("I9"), D(4, 1), D(4, 30), carried, ignored, QDate(), err), 10);
    EXPECT_EQ(carried.GetCount(), 1);
}

// The print tables take one header per partner, numbered in order, and the
// partner's ledger rows with the running balance from the given carry.
TEST_F(LedgerTest, PrintTablesHoldEachPartnersLedgerWithItsBalance)
{
    Exec("INSERT INTO WMotocho_H(ID, CustomerCode) VALUES(7, 'OLD')");
    Exec("INSERT INTO WMotocho_B(ID, HeaderID, Amount) VALUES(1, 7, 1)");
    auto request = [](const char* partners) {
        CCDSData set;
        set.m_strTable = QStringLiteral("WMotocho_H");
        set.m_strCondition = QString::fromLatin1(partners);
        for (const char* code : {"K2", "K1"}) {
            COneRecord* r = set.AddNew();
            r->SetField(QStringLiteral("WMotocho_H.ID"), 0);
            r->SetField(QStringLiteral("WMotocho_H.CustomerCode"), QString::fromLatin1(code));
            r->SetField(QStringLiteral("WMotocho_H.Term"), QStringLiteral("期間：2024/04/01～2024/04/30"));
            r->SetField(QStringLiteral("WMotocho_H.LastCollect"), CMny(QByteArray(code) == "K1" ? 1700 : 0));
        }
        return set;
    };
    QString err;
    CCDSData bad = request("Item");
    EXPECT_EQ(m_data.SetWMotocho(bad, D(4, 1), D(4, 30), err), 10);
    EXPECT_EQ(Count("WMotocho_H"), 1); // untouched

    CCDSData set = request("Customer");
    ASSERT_EQ(m_data.SetWMotocho(set, D(4, 1), D(4, 30), err), 1) << err.toStdString();
    EXPECT_EQ(Table(set, {"ID"}, QStringLiteral("WMotocho_H")), (QStringList{"1", "2"}));
    EXPECT_EQ(Table(List("WMotocho_H", "ORDER BY ID"), {"ID", "CustomerCode"}, QStringLiteral("WMotocho_H")),
              (QStringList{"1|K2", "2|K1"}));
    const CCDSData lines = List("WMotocho_B", "ORDER BY ID");
    const QStringList table =
        Table(lines, {"ID", "HeaderID", "RowType", "No", "ItemType", "Amount", "Receipt", "Balance"},
              QStringLiteral("WMotocho_B"));
    ASSERT_EQ(table.size(), 9);
    EXPECT_EQ(table.first(), QStringLiteral("1|1|1|B1|3|400|0|400"));
    EXPECT_EQ(table.mid(1, 2), (QStringList{"2|2|1|A2|1|3000|0|4700", "3|2|1|A2|9|300|0|5000"}));
    EXPECT_EQ(table.last(), QStringLiteral("9|2|1||9|150|0|3450"));

    // The supplier side: the code sits in CustomerCode, as the form expects.
    CCDSData suppliers;
    suppliers.m_strTable = QStringLiteral("WMotocho_H");
    suppliers.m_strCondition = QStringLiteral("Supplier");
    suppliers.AddNew()->SetField(QStringLiteral("WMotocho_H.CustomerCode"), QStringLiteral("SP1"));
    ASSERT_EQ(m_data.SetWMotocho(suppliers, D(4, 1), D(4, 30), err), 1) << err.toStdString();
    EXPECT_EQ(Table(List("WMotocho_B", "ORDER BY ID"), {"HeaderID", "Balance"}, QStringLiteral("WMotocho_B")),
              (QStringList{"1|1000", "1|1100", "1|500"}));

    // A failure leaves the tables as they were.
    Exec("CREATE TRIGGER refuse BEFORE INSERT ON WMotocho_B BEGIN SELECT RAISE(ABORT, 'refused'); END");
    CCDSData again = request("Customer");
    EXPECT_EQ(m_data.SetWMotocho(again, D(4, 1), D(4, 30), err), 10);
    EXPECT_EQ(Count("WMotocho_B"), 3);
    EXPECT_EQ(Table(List("WMotocho_H", ""), {"CustomerCode"}, QStringLiteral("WMotocho_H")),
              QStringList{"SP1"});
}
