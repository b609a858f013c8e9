#include "reports/ReportFixture.h"

#include "platform/data/BookedTotals.h"
#include "platform/sql/ClosingSql.h"

#include <QFile>

#include <sqlite3.h>

namespace
{

class UnwritableListsTest : public ReportFixture
{
  protected:
    void TearDown() override
    {
        QFile::setPermissions(CMakeMsgID::DatabasePath(Folder()),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // Every row of every list that starts from the booked balances, whole.
    QStringList Lists()
    {
        const QDate day(2004, 5, 25);
        const QStringList statements{
            MakeSeikyuUpToDateSQL(day),
            MakeShiharaiUpToDateSQL(day),
            MakeSeikyuSQL(day, 25),
            MakeBilledListSQL(QDate(), QDate()),
            MakePaidListSQL(QDate(), QDate()),
            MakeOpenSalesCloseByCustomer(false),
            MakeOpenStockCloseBySupplier(true),
            MakeOpenSalesCloseByCollectDate(false, QDate(2004, 5, 20)),
        };
        QStringList rows;
        for (const QString& sql : statements) {
            const CCDSData set = Rows(sql);
            rows << QStringLiteral("%1 rows").arg(set.GetCount());
            for (int i = 0; i < set.GetCount(); ++i) {
                QStringList cells;
                for (int f = 0; f < set.GetAt(i)->GetCount(); ++f)
                    cells << set.GetAt(i)->GetAt(f)->GetName() + u'=' + set.GetAt(i)->GetAt(f)->GetText();
                rows << cells.join(u'|');
            }
        }
        return rows;
    }
};

} // namespace

// A file of the builds before the booked balances, marked read-only, shows
// every closing, billed and schedule list as the same file does once it has
// its balances.
TEST_F(UnwritableListsTest, AnEarlierBuildsReadOnlyFileShowsTheSameLists)
{
    const QStringList lists = Lists();
    ASSERT_GT(lists.size(), 20);
    m_data.Close();
    const QString path = CMakeMsgID::DatabasePath(Folder());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    for (const BookedTotals::Side* side : {&BookedTotals::Sales(), &BookedTotals::Purchases()}) {
        QStringList statements = BookedTotals::DropTriggers(*side);
        statements << QStringLiteral("DROP TABLE \"%1\"").arg(QLatin1String(side->table));
        for (const QString& sql : statements)
            EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    }
    EXPECT_EQ(sqlite3_exec(db, "PRAGMA user_version = 1", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QString err;
    ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
    ASSERT_TRUE(m_data.IsReadOnly());
    ASSERT_TRUE(m_data.AreBalancesPending());
    EXPECT_EQ(Lists(), lists);
}
