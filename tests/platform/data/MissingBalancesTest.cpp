#include "DataTestUtil.h"

#include "platform/data/BookedTotals.h"
#include "platform/data/ClosingService.h"
#include "platform/data/TradeSide.h"
#include "support/BookedBalances.h"

#include <QFile>

#include <sqlite3.h>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// A file of this schema whose booked balances another tool took away, in
// part or whole: K1 closed once with a slip of 1,100 and money of 300
// booked, an unbilled slip of 500; S1 a booked slip of 700.
class MissingBalancesTest : public DatabaseTest
{
  protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        for (
            const char* sql :
            {"INSERT INTO Customer(CustomerCode, Company, Day, TaxType) VALUES ('K1', '青木商事', 31, 2)",
             "INSERT INTO Supplier(SupplierCode, Company, Day) VALUES ('S1', '北港資材', 31)",
             "INSERT INTO Sales_Close(ID, No, CustomerCode, CloseDate, Status, TudoFlg) VALUES (1, '000001', "
             "'K1', '2024-03-31', 0, 1)",
             "INSERT INTO Stock_Close(ID, No, SupplierCode, CloseDate, Status, TudoFlg) VALUES (1, '000001', "
             "'S1', '2024-03-31', 0, 1)",
             "INSERT INTO Sales_H(\"Date\", CustomerCode, DenpyoType, TaxType, Amount, Tax, Total, SeikyuID) "
             "VALUES ('2024-03-10', 'K1', 0, 2, 10000000, 1000000, 11000000, 1), ('2024-04-10', 'K1', 0, 2, "
             "5000000, 0, 5000000, 0)",
             "INSERT INTO Receipt_H(\"Date\", CustomerCode, Amount, SeikyuID) VALUES ('2024-03-20', 'K1', "
             "3000000, 1)",
             "INSERT INTO Stock_H(\"Date\", SupplierCode, DenpyoType, TaxType, Amount, Tax, Total, SeikyuID) "
             "VALUES ('2024-03-12', 'S1', 0, 2, 7000000, 0, 7000000, 1)"}) {
            QString err;
            ASSERT_EQ(m_data.Execute(U(sql), err), 1) << sql << ": " << err.toStdString();
        }
    }

    void TearDown() override
    {
        QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // The balance tables and triggers the file itself holds.
    QStringList InFile()
    {
        QStringList names;
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(Path()).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT name FROM sqlite_master WHERE name IN ('Sales_Booked', 'Stock_Booked') OR "
                           "name LIKE 'tr_%_booked_%' ORDER BY name",
                           -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW)
            names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        sqlite3_close(db);
        return names;
    }
};

} // namespace

// Each part taken away is made again at opening, summed from the headers
// (a balance that had drifted with it comes right), and the triggers keep
// the balances through later writes and a closing. A file that cannot be
// written is refused in Japanese, naming why, and left as it is.
TEST_F(MissingBalancesTest, AFileOfThisSchemaGetsItsBalancesBackOrSaysWhyNot)
{
    m_data.Close();
    const QStringList whole = InFile();
    ASSERT_EQ(whole.size(), 14);
    const QString purchases = U("S1:700.0");
    const struct {
        const char* what;
        QStringList statements;
        bool readOnly;
    } cases[] = {
        {"both sides",
         BookedTotals::DropTriggers(BookedTotals::Sales()) +
             BookedTotals::DropTriggers(BookedTotals::Purchases()) +
             QStringList{U("DROP TABLE Sales_Booked"), U("DROP TABLE Stock_Booked")},
         false},
        {"one table", {U("DROP TABLE Stock_Booked")}, false},
        {"one trigger, its balance drifted",
         {U("DROP TRIGGER tr_receipt_h_booked_del"), U("DELETE FROM Receipt_H")},
         false},
        {"read-only", {U("DROP TABLE Sales_Booked")}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OnFile(c.statements);
        const QStringList before = InFile();
        ASSERT_NE(before, whole);
        QString err;
        if (c.readOnly) {
            ASSERT_TRUE(QFile::setPermissions(Path(), QFileDevice::ReadOwner));
            EXPECT_EQ(m_data.Open(Folder(), err), -100);
            EXPECT_EQ(err,
                      U("データベース<%1>に取引先ごとの請求・支払の残高の表がないため伝票から作り直そうとしま"
                        "したが、できませんでした。\n")
                              .arg(Path()) +
                          CMakeMsgID::ErrorText(SQLITE_READONLY, Path(), QString()));
            EXPECT_FALSE(m_data.IsOpen());
            EXPECT_EQ(InFile(), before);
            ASSERT_TRUE(QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        }
        ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
        EXPECT_FALSE(m_data.AreBalancesPending());
        EXPECT_EQ(InFile(), whole);
        EXPECT_EQ(BookedBalances::Kept(m_data, false), BookedBalances::Recounted(m_data, false));
        EXPECT_EQ(BookedBalances::Kept(m_data, true), purchases);
        if (QByteArray(c.what).startsWith("one trigger")) {
            EXPECT_EQ(BookedBalances::Kept(m_data, false), U("K1:1100.0"));
            ASSERT_EQ(
                m_data.Execute(U("INSERT INTO Receipt_H(\"Date\", CustomerCode, Amount, SeikyuID) VALUES "
                                 "('2024-03-20', 'K1', 3000000, 1)"),
                               err),
                1);
        }
        EXPECT_EQ(BookedBalances::Kept(m_data, false), U("K1:800.0"));

        // The closing books the unbilled slip, and the balance follows.
        CCloseCandidate candidate;
        candidate.code = U("K1");
        candidate.number = U("000002");
        const CCloseOutcome closed = CClosingService(m_data).Close(
            {&CTradeSide::Sales(), QDate(2024, 4, 30), QDate(2024, 5, 1), CMny(0), QString(), {candidate}});
        ASSERT_TRUE(closed.refusal.IsDone()) << closed.refusal.text.toStdString();
        EXPECT_EQ(BookedBalances::Kept(m_data, false), U("K1:1300.0"));
        EXPECT_EQ(BookedBalances::Kept(m_data, false), BookedBalances::Recounted(m_data, false));
        ASSERT_TRUE(CClosingService(m_data).Undo(CTradeSide::Sales(), closed.ids).IsDone());
        EXPECT_EQ(BookedBalances::Kept(m_data, false), U("K1:800.0"));
        m_data.Close();
    }
}
