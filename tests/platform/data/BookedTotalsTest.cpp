#include "DataTestUtil.h"

#include "support/BookedBalances.h"
#include "support/EarlierBuilds.h"

#include <QFile>

#include <sqlite3.h>

namespace
{

// Amounts in yen, stored as ten-thousandths.
QString Yen(const char* yen)
{
    return QString::number(QString::fromLatin1(yen).toLongLong() * 10000);
}

class BookedTotalsTest : public DatabaseTest
{
  protected:
    void Run(const QString& sql)
    {
        QString err;
        ASSERT_EQ(m_data.Execute(sql, err), 1) << sql.toStdString() << ": " << err.toStdString();
    }
};

} // namespace

// Every way a slip or money header is written moves the balance of its code
// by what it bills or pays while it is booked, on both sides: worked by hand
// and against the headers summed afresh.
TEST_F(BookedTotalsTest, EveryWriteOfTheHeadersKeepsTheBalances)
{
    const struct {
        const char* what;
        const char* sql; // %H slips, %M money, %C code, %Y yen
        const char* balances;
    } steps[] = {
        {"an open slip counts for nothing",
         "INSERT INTO %H(ID, %C, TaxType, DenpyoType, Amount, Tax, SeikyuID) VALUES (1, 'C1', 2, 0, 1000%Y, "
         "100%Y, 0)",
         ""},
        {"closed: its amount and tax", "UPDATE %H SET SeikyuID = 7 WHERE ID = 1", "C1:1100.0"},
        {"the same code in small letters, taxed at invoicing: no tax",
         "INSERT INTO %H(ID, %C, TaxType, DenpyoType, Amount, Tax, SeikyuID) VALUES (2, 'c1', 1, 0, 500%Y, "
         "50%Y, 7)",
         "C1:1600.0"},
        {"a closing's tax slip without an amount: its tax",
         "INSERT INTO %H(ID, %C, TaxType, DenpyoType, Amount, Tax, SeikyuID) VALUES (3, 'C2', 0, 1, NULL, "
         "30%Y, 8)",
         "C1:1600.0 C2:30.0"},
        {"money booked, money without an amount, money not booked",
         "INSERT INTO %M(ID, %C, Amount, SeikyuID) VALUES (1, 'C1', 600%Y, 7), (2, 'C2', NULL, 8), (3, 'C1', "
         "99%Y, 0)",
         "C1:1000.0 C2:30.0"},
        {"an amount corrected", "UPDATE %H SET Amount = 2000%Y WHERE ID = 1", "C1:2000.0 C2:30.0"},
        {"a slip moved to another code", "UPDATE %H SET %C = 'c2' WHERE ID = 2", "C1:1500.0 C2:530.0"},
        {"money booked later", "UPDATE %M SET SeikyuID = 7 WHERE ID = 3", "C1:1401.0 C2:530.0"},
        {"a booked slip deleted", "DELETE FROM %H WHERE ID = 1", "C1:-699.0 C2:530.0"},
        {"money taken off its closing", "UPDATE %M SET SeikyuID = 0 WHERE ID = 1", "C1:-99.0 C2:530.0"},
        {"a slip without a code",
         "INSERT INTO %H(ID, %C, TaxType, Amount, Tax, SeikyuID) VALUES (4, NULL, 2, 5%Y, 1%Y, 9)",
         "C1:-99.0 C2:530.0"},
        {"a closing undone", "UPDATE %H SET SeikyuID = 0 WHERE SeikyuID = 8", "C1:-99.0 C2:500.0"},
        {"all money deleted", "DELETE FROM %M", "C2:500.0"},
        {"all slips deleted", "DELETE FROM %H", ""},
    };
    for (const bool purchase : {false, true}) {
        const QString slips = purchase ? QStringLiteral("Stock_H") : QStringLiteral("Sales_H");
        const QString money = purchase ? QStringLiteral("Pay_H") : QStringLiteral("Receipt_H");
        const QString code = purchase ? QStringLiteral("SupplierCode") : QStringLiteral("CustomerCode");
        for (const auto& step : steps) {
            SCOPED_TRACE(std::string(purchase ? "purchases: " : "sales: ") + step.what);
            QString sql = QString::fromUtf8(step.sql);
            sql.replace(QStringLiteral("%H"), slips)
                .replace(QStringLiteral("%M"), money)
                .replace(QStringLiteral("%C"), code)
                .replace(QStringLiteral("%Y"), QStringLiteral(" * 10000"));
            Run(sql);
            EXPECT_EQ(BookedBalances::Kept(m_data, purchase), QString::fromUtf8(step.balances));
            EXPECT_EQ(BookedBalances::Recounted(m_data, purchase), QString::fromUtf8(step.balances));
        }
    }
}

// A database of an earlier build, without the balances or with a trigger
// lost, gets them on opening, summed from what is booked.
TEST_F(BookedTotalsTest, OpeningMakesMissingBalancesFromTheHeaders)
{
    const QStringList booked{
        QStringLiteral(
            "INSERT INTO Sales_H(CustomerCode, TaxType, Amount, Tax, SeikyuID) VALUES ('K1', 2, %1, %2, 3)")
            .arg(Yen("1000"), Yen("100")),
        QStringLiteral("INSERT INTO Pay_H(SupplierCode, Amount, SeikyuID) VALUES ('S1', %1, 4)")
            .arg(Yen("300"))};
    const struct {
        const char* what;
        const char* file;
        QStringList damage;
    } cases[] = {
        {"no balances at all", EarlierBuilds::kBeforeBalances, {}},
        {"a trigger lost and a balance wrong",
         EarlierBuilds::kVersion1,
         {QStringLiteral("DROP TRIGGER tr_receipt_h_booked_ins"),
          QStringLiteral("UPDATE Sales_Booked SET Balance = 1")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_data.Close();
        ASSERT_TRUE(EarlierBuilds::CopyTo(c.file, Folder()));
        OnFile(EarlierBuilds::WithoutBooks() << booked << c.damage);
        QString err;
        ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
        EXPECT_EQ(BookedBalances::Kept(m_data, false), QStringLiteral("K1:1100.0"));
        EXPECT_EQ(BookedBalances::Kept(m_data, true), QStringLiteral("S1:-300.0"));
        // The triggers work again.
        Run(QStringLiteral("INSERT INTO Receipt_H(CustomerCode, Amount, SeikyuID) VALUES ('k1', %1, 3)")
                .arg(Yen("100")));
        EXPECT_EQ(BookedBalances::Kept(m_data, false), QStringLiteral("K1:1000.0"));
        Run(QStringLiteral("DELETE FROM Receipt_H"));
    }
}
