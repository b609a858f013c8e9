#include "platform/data/LedgerWorld.h"

#include "platform/data/ClosingService.h"
#include "platform/data/TradeSide.h"

#include "platform/sql/BalanceSql.h"
#include "platform/sql/ClosingSql.h"
#include "platform/sql/StockSql.h"

#include <gtest/gtest.h>

namespace
{

class LedgerBalanceTest : public LedgerWorld
{
  protected:
    CCDSData Rows(const QString& statement)
    {
        CCDSData request, result;
        request.m_strCondition = statement;
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString();
        return result;
    }

    // Closes K1 at `date` as the report list does, with the tax billed at
    // the closing given (its tax slip made by the closing when not 0).
    void Close(const QDate& date, int tax)
    {
        CCloseCandidate k1;
        k1.code = QStringLiteral("K1");
        k1.tax = CMny(tax);
        const CCloseOutcome closed =
            CClosingService(m_data).Close({&CTradeSide::Sales(), date, {}, {}, {}, {k1}});
        ASSERT_EQ(closed.refusal.Code(), 1) << closed.refusal.text.toStdString();
    }

    static CMny Field(const CCDSData& rows, int row, const char* field)
    {
        return Money(rows.GetAt(row), field);
    }
};

} // namespace

// K1 closed at the end of March and of April (its tax slip made by the
// closing): the April ledger starts at the March invoice's amount due and
// ends at the April invoice's, which the balance list shows as well. The
// stock detail ends at the stock movement list's 今回在庫数.
TEST_F(LedgerBalanceTest, LedgerAndStockDetailEndWhereTheClosingAndListsDo)
{
    Exec("DELETE FROM Sales_H WHERE ID = 4"); // the closing makes it
    Close(D(3, 31), 0);
    Close(D(4, 30), 150);

    CCDSData head, rows;
    QString err;
    ASSERT_EQ(m_data.GetMotocho(0, QStringLiteral("K1"), D(4, 1), D(4, 30), head, rows, err), 1)
        << err.toStdString();
    const CMny end = EndBalance(head, rows, "前月繰越額", "Amount", "Receipt");
    EXPECT_EQ(end, CMny(3450));

    // Newest first: April, then March.
    const CCDSData billed = Rows(MakeBilledListSQL(D(3, 1), D(4, 30)));
    ASSERT_EQ(billed.GetCount(), 2);
    CMny march, april, sales;
    ASSERT_EQ(Field(billed, 1, "繰越額").Plus(Field(billed, 1, "今回税抜売上額"), sales), 1);
    ASSERT_EQ(sales.Plus(Field(billed, 1, "消費税"), march), 1);
    EXPECT_EQ(march, Money(head.GetAt(0), "前月繰越額"));
    ASSERT_EQ(Field(billed, 0, "繰越額").Plus(Field(billed, 0, "今回税抜売上額"), sales), 1);
    ASSERT_EQ(sales.Plus(Field(billed, 0, "消費税"), april), 1);
    EXPECT_EQ(april, end);

    const CCDSData balances = Rows(MakeReceivableBalanceSQL(D(4, 1), D(4, 30), QString(), {}, false));
    ASSERT_GE(balances.GetCount(), 1);
    EXPECT_EQ(Table(balances, {"CustomerCode"}).first(), QStringLiteral("K1"));
    EXPECT_EQ(Field(balances, 0, "前回残高"), Money(head.GetAt(0), "前月繰越額"));
    EXPECT_EQ(Field(balances, 0, "今回残高"), end);

    for (const QDate& carried : {QDate(), D(3, 10)}) {
        CCDSData stockHead, stockRows;
        ASSERT_EQ(m_data.GetItemInOutList(QStringLiteral("I1"), D(4, 1), D(4, 30), stockHead, stockRows,
                                          carried, err),
                  1);
        const CCDSData stock = Rows(MakeStockMovementSQL(D(4, 1), D(4, 30), QString(), {}, carried));
        ASSERT_EQ(stock.GetCount(), 1);
        EXPECT_EQ(Money(stockHead.GetAt(0), "繰越数"), Field(stock, 0, "前回在庫数"));
        EXPECT_EQ(EndBalance(stockHead, stockRows, "繰越数", "InNum", "OutNum"),
                  Field(stock, 0, "今回在庫数"));
    }
}
