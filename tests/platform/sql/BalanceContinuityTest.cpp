#include "platform/data/DataTestUtil.h"

#include "platform/data/MnyText.h"
#include "platform/sql/BalanceSql.h"
#include "platform/sql/ClosingSql.h"

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// One side of the trade as its balance list and ledger name it.
struct SideCase {
    const char* what;
    int side;
    const char *partner, *code, *header, *closing, *money;
    QString (*balances)(const QDate&, const QDate&, const QString&, const QStringList&, bool);
    const char *billed, *paid, *prevBilled;
    QString (*closed)(const QDate&, const QDate&);
};

// A partner X1 with an opening balance of 1,000 whose April slips were
// written by another program with a Total one yen above their amount and
// tax: 382 + 38 booked to the April closing, 300 + 30 left unbilled. April
// also has 100 of money booked to the closing, May a slip of 1,000 + 100.
class BalanceContinuityTest : public DatabaseTest
{
  protected:
    void Build(const SideCase& s)
    {
        Run(QStringLiteral("INSERT INTO %1(%2, Company, Collect) VALUES ('X1', '東西商会', 10000000)")
                .arg(QLatin1String(s.partner), QLatin1String(s.code)));
        Run(QStringLiteral("INSERT INTO %1(ID, \"No\", %2, CloseDate, \"Date\", Status, TudoFlg) VALUES "
                           "(1, 'C1', 'X1', '2024-04-30', '2024-04-30', 0, 1)")
                .arg(QLatin1String(s.closing), QLatin1String(s.code)));
        Run(QStringLiteral(
                "INSERT INTO %1(\"No\", \"Date\", %2, DenpyoType, TaxType, Amount, AmountNoTax, Tax, Total, "
                "SeikyuID) VALUES ('A1', '2024-04-10', 'X1', 0, 2, 3820000, 3820000, 380000, 4210000, 1), "
                "('A2', '2024-04-20', 'X1', 0, 3, 3000000, 3000000, 300000, 3310000, 0), "
                "('A3', '2024-05-12', 'X1', 0, 2, 10000000, 10000000, 1000000, 11000000, 0)")
                .arg(QLatin1String(s.header), QLatin1String(s.code)));
        Run(QStringLiteral("INSERT INTO %1(\"No\", \"Date\", %2, Amount, SeikyuID) VALUES "
                           "('R1', '2024-04-25', 'X1', 1000000, 1)")
                .arg(QLatin1String(s.money), QLatin1String(s.code)));
    }

    void Run(const QString& sql)
    {
        QString err;
        ASSERT_EQ(m_data.Execute(sql, err), 1) << sql.toStdString() << ": " << err.toStdString();
    }

    CCDSData Rows(const QString& statement)
    {
        CCDSData request, result;
        request.m_strCondition = statement;
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString();
        return result;
    }

    static QString Text(const COneRecord* record, const char* field)
    {
        const CTb* f = record ? record->GetOneField(QString(), U(field)) : nullptr;
        return f ? f->GetText() : QStringLiteral("<no %1>").arg(U(field));
    }

    // The partner's row of the balance list of a period.
    QString BalanceRow(const SideCase& s, const QDate& from, const QDate& to)
    {
        const CCDSData rows = Rows(s.balances(from, to, QString(), {}, true));
        for (int i = 0; i < rows.GetCount(); ++i)
            if (Text(rows.GetAt(i), s.code) == QStringLiteral("X1"))
                return QStringList{Text(rows.GetAt(i), "前回残高"), Text(rows.GetAt(i), s.billed),
                                   Text(rows.GetAt(i), s.paid), Text(rows.GetAt(i), "今回残高")}
                    .join(u'|');
        return QStringLiteral("<no row>");
    }

    // The ledger of a period: its balance brought forward and where its
    // rows end.
    QString Ledger(const SideCase& s, const QDate& from, const QDate& to)
    {
        CCDSData head, rows;
        QString err;
        EXPECT_EQ(m_data.GetMotocho(s.side, QStringLiteral("X1"), from, to, head, rows, err), 1)
            << err.toStdString();
        if (head.GetCount() != 1)
            return QStringLiteral("<no head>");
        CMny balance;
        head.GetAt(0)->GetOneField(QString(), QStringLiteral("前月繰越額"))->GetData(balance);
        const QString start = MnyToText(balance);
        for (int i = 0; i < rows.GetCount(); ++i) {
            CMny in, out, sum;
            rows.GetAt(i)->GetOneField(QString(), QStringLiteral("Amount"))->GetData(in);
            rows.GetAt(i)->GetOneField(QString(), QStringLiteral("Receipt"))->GetData(out);
            EXPECT_EQ(balance.Plus(in, sum), 1);
            EXPECT_EQ(sum.Minus(out, balance), 1);
        }
        return start + u'|' + MnyToText(balance);
    }
};

} // namespace

// April ends where May starts, on both sides: a slip counts what it bills
// (amount and tax) in the balance brought forward and in the period's
// column alike, as the closing's billed list and the ledger count it.
TEST_F(BalanceContinuityTest, ASlipWithAnOddTotalCountsOnceTheSameInConsecutiveMonths)
{
    const SideCase sides[] = {
        {"receivables", 0, "Customer", "CustomerCode", "Sales_H", "Sales_Close", "Receipt_H",
         MakeReceivableBalanceSQL, "今回売上額", "今回入金額", "前回請求額", MakeBilledListSQL},
        {"payables", 1, "Supplier", "SupplierCode", "Stock_H", "Stock_Close", "Pay_H", MakePayableBalanceSQL,
         "今回仕入額", "今回支払額", "前回未払額", MakePaidListSQL},
    };
    const QDate april1(2024, 4, 1), april30(2024, 4, 30), may1(2024, 5, 1), may31(2024, 5, 31);
    for (const SideCase& s : sides) {
        SCOPED_TRACE(s.what);
        Build(s);
        // 1,000 + 420 + 330 - 100; then + 1,100.
        EXPECT_EQ(BalanceRow(s, april1, april30), QStringLiteral("1000|750|100|1650"));
        EXPECT_EQ(BalanceRow(s, may1, may31), QStringLiteral("1650|1100|0|2750"));
        // Both months at once, and a period starting inside April.
        EXPECT_EQ(BalanceRow(s, april1, may31), QStringLiteral("1000|1850|100|2750"));
        EXPECT_EQ(BalanceRow(s, QDate(2024, 4, 15), may31), QStringLiteral("1420|1430|100|2750"));
        // The ledgers the list opens start and end at the same figures.
        EXPECT_EQ(Ledger(s, april1, april30), QStringLiteral("1000|1650"));
        EXPECT_EQ(Ledger(s, may1, may31), QStringLiteral("1650|2750"));
        // The April closing bills 382 + 38 of the slip booked to it.
        const CCDSData closed = Rows(s.closed(april1, april30));
        ASSERT_EQ(closed.GetCount(), 1);
        EXPECT_EQ(Text(closed.GetAt(0), s.prevBilled), QStringLiteral("1000"));
        EXPECT_EQ(Text(closed.GetAt(0), "消費税"), QStringLiteral("38"));
        EXPECT_EQ(Text(closed.GetAt(0), "繰越額"), QStringLiteral("900"));
    }
}
