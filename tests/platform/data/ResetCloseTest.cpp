#include "DataTestUtil.h"

#include "platform/data/BookedTotals.h"
#include "platform/data/ClosingService.h"
#include "platform/data/TradeSide.h"
#include "support/BookedBalances.h"

namespace
{

class ResetCloseTest : public DatabaseTest
{
  protected:
    void Exec(const QString& sql)
    {
        QString err;
        ASSERT_EQ(m_data.Execute(sql, err), 1) << err.toStdString() << " in " << sql.toStdString();
    }
    CClosingService m_service{m_data};
};

} // namespace

// Undoing closings removes them with the tax slips they made and releases
// the slips and money they billed or settled; other closings stay. A failed
// undo changes nothing.
TEST_F(ResetCloseTest, ClosingsUndoneWithTheirSlipsAndMoney)
{
    Exec("INSERT INTO Sales_Close(ID, CustomerCode, TudoFlg) VALUES(7, 'C1', 1), (8, 'C2', 0), (9, 'C3', 1)");
    Exec("INSERT INTO Sales_H(ID, No, CustomerCode, DenpyoType, SeikyuID) VALUES(1, 'A', 'C1', 0, 7), (2, "
         "'B', 'C1', 0, 7),"
         "(3, 'T', 'C1', 1, 7), (4, 'C', 'C2', 0, 8), (5, 'D', 'C3', 0, 9)");
    Exec("INSERT INTO Sales_B(HeaderID, LineNo, ItemType) VALUES(3, 1, 9), (1, 1, 0)");
    Exec("INSERT INTO Receipt_H(ID, No, CustomerCode, SeikyuID, CloseID) VALUES(1, 'R1', 'C1', 7, 0), (2, "
         "'R2', '　', 8, 8),"
         "(3, 'R3', 'C3', 9, 0)");
    Exec("INSERT INTO Stock_Close(ID, SupplierCode, TudoFlg) VALUES(7, 'S1', 1)");
    Exec("INSERT INTO Stock_H(ID, No, SupplierCode, DenpyoType, SeikyuID) VALUES(1, 'P', 'S1', 0, 7)");

    const CClosingRefusal undone = m_service.Undo(CTradeSide::Sales(), {7, 8, 7});
    EXPECT_EQ(undone.Code(), 1) << undone.text.toStdString();
    EXPECT_EQ(Count("Sales_Close"), 1);
    EXPECT_EQ(Count("Sales_H"), 4);                       // the tax slip went
    EXPECT_EQ(Count("Sales_B"), 1);                       // with its line
    EXPECT_EQ(Count("Sales_H", "WHERE SeikyuID = 0"), 3); // 1, 2 and 4 released
    EXPECT_EQ(Count("Receipt_H", "WHERE SeikyuID = 0"), 2);
    EXPECT_EQ(Count("Receipt_H", "WHERE CloseID = 8"), 1); // what it settled stays as it was
    EXPECT_EQ(Count("Receipt_H", "WHERE SeikyuID = 9"), 1);
    EXPECT_EQ(Count("Stock_H", "WHERE SeikyuID = 7"), 1); // the other side untouched
    EXPECT_EQ(Count("Stock_Close"), 1);

    // A failing step leaves everything as it was.
    Exec("CREATE TRIGGER keep BEFORE DELETE ON Stock_Close BEGIN SELECT RAISE(ABORT, 'kept'); END");
    EXPECT_EQ(m_service.Undo(CTradeSide::Purchases(), {7}).Code(), 10);
    EXPECT_EQ(Count("Stock_H", "WHERE SeikyuID = 7"), 1);
    EXPECT_EQ(m_service.Undo(CTradeSide::Sales(), {}).Code(), 1);
}

// However many closings go at once, on either side, the booked balances are
// what the headers add up to afterwards, and later writes still keep them.
// Partners have closings that go and closings that stay, codes in either
// case, tax slips with lines, taxes that count or not, money booked and not.
TEST_F(ResetCloseTest, UndoingManyClosingsLeavesTheBalancesOfTheHeaders)
{
    const struct {
        bool purchase;
        int undone; // closings 1..undone of 80 go
    } cases[] = {{false, 3}, {false, 60}, {true, 3}, {true, 60}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.purchase ? "purchases, " : "sales, ") + std::to_string(c.undone));
        const QString closing = c.purchase ? QStringLiteral("Stock_Close") : QStringLiteral("Sales_Close");
        const QString code = c.purchase ? QStringLiteral("SupplierCode") : QStringLiteral("CustomerCode");
        const QString slips = c.purchase ? QStringLiteral("Stock_H") : QStringLiteral("Sales_H");
        const QString lines = c.purchase ? QStringLiteral("Stock_B") : QStringLiteral("Sales_B");
        const QString money = c.purchase ? QStringLiteral("Pay_H") : QStringLiteral("Receipt_H");
        for (const QString& table : {closing, slips, lines, money})
            Exec(QStringLiteral("DELETE FROM ") + table);
        const QString numbers =
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 320) ");
        // Closing k belongs to partner k % 20; slip i to closing (i - 1) % 80 + 1, every
        // fifth of them a tax slip; money j to closing j % 80 + 1 when j is even.
        Exec(numbers +
             QStringLiteral("INSERT INTO %1(ID, %2, TudoFlg) SELECT i, iif(i % 2, 'P', 'p') || (i % 20), 1 "
                            "FROM n WHERE i <= 80")
                 .arg(closing, code));
        Exec(numbers +
             QStringLiteral("INSERT INTO %1(ID, No, %2, DenpyoType, TaxType, Amount, Tax, SeikyuID) SELECT "
                            "i, 'S' || i, iif(i % 7 = 0, NULL, iif(i % 3, 'P', 'p') || (((i - 1) % 80 + 1) "
                            "% 20)), iif(i % 5 = 0, 1, 0), i % 5, i * 1000 * 10000, i * 100 * 10000, "
                            "(i - 1) % 80 + 1 FROM n")
                 .arg(slips, code));
        Exec(numbers +
             QStringLiteral("INSERT INTO %1(HeaderID, LineNo, ItemType) SELECT i, 1, 0 FROM n").arg(lines));
        Exec(numbers +
             QStringLiteral("INSERT INTO %1(ID, No, %2, Amount, SeikyuID, CloseID) SELECT i, 'M' || i, 'P' "
                            "|| ((i % 80 + 1) % 20), i * 300 * 10000, iif(i % 2, 0, i % 80 + 1), 0 FROM n "
                            "WHERE i <= 160")
                 .arg(money, code));
        const bool purchase = c.purchase;
        ASSERT_EQ(BookedBalances::Kept(m_data, purchase), BookedBalances::Recounted(m_data, purchase));
        const QString before = BookedBalances::Kept(m_data, purchase);

        QList<int> undo;
        for (int id = 1; id <= c.undone; ++id)
            undo << id;
        QString err;
        ASSERT_EQ(m_service.Undo(CTradeSide::Of(purchase), undo).Answer(err), 1) << err.toStdString();
        EXPECT_EQ(Count(closing), 80 - c.undone);
        EXPECT_EQ(Count(slips, QStringLiteral("WHERE SeikyuID BETWEEN 1 AND %1").arg(c.undone)), 0);
        EXPECT_EQ(Count(money, QStringLiteral("WHERE SeikyuID BETWEEN 1 AND %1").arg(c.undone)), 0);
        const QString after = BookedBalances::Kept(m_data, purchase);
        EXPECT_NE(after, before);
        EXPECT_FALSE(after.isEmpty());
        EXPECT_EQ(after, BookedBalances::Recounted(m_data, purchase));
        CCDSData request, differing;
        request.m_strCondition =
            BookedTotals::MismatchSql(purchase ? BookedTotals::Purchases() : BookedTotals::Sales());
        ASSERT_EQ(m_data.GetDataList(request, differing, err), 1) << err.toStdString();
        EXPECT_EQ(differing.GetCount(), 0);

        // The triggers are back: a slip booked again and money deleted count.
        Exec(QStringLiteral("UPDATE %1 SET SeikyuID = 80 WHERE ID = 1").arg(slips));
        Exec(QStringLiteral("DELETE FROM %1 WHERE ID = 70").arg(money));
        EXPECT_NE(BookedBalances::Kept(m_data, purchase), after);
        EXPECT_EQ(BookedBalances::Kept(m_data, purchase), BookedBalances::Recounted(m_data, purchase));
    }
}
