#include "ReportFixture.h"

#include <gtest/gtest.h>

namespace
{

using CarryForwardCacheTest = ReportFixture;

// The carry-forward takes a large page cache for its run only: afterwards
// the connection has its own size again, after a refused run, a failed one
// and a done one alike.
TEST_F(CarryForwardCacheTest, TheConnectionKeepsItsOwnPageCache)
{
    const QString size = QStringLiteral("SELECT cache_size AS n FROM pragma_cache_size()");
    Exec(QStringLiteral("PRAGMA cache_size=-3000"));
    ASSERT_EQ(Column(Rows(size), QStringLiteral("n")), QStringList({"-3000"}));
    const QDate date(2004, 4, 30);
    QString err;
    // A previous date that is not the stored one.
    EXPECT_EQ(m_data.DataMaintenance(date, date, err), 10);
    EXPECT_EQ(Column(Rows(size), QStringLiteral("n")), QStringList({"-3000"}));
    Exec(QStringLiteral(
        "CREATE TEMP TRIGGER refuse_carry BEFORE DELETE ON Stock_Close BEGIN SELECT RAISE(ABORT, "
        "'no'); END"));
    EXPECT_EQ(m_data.DataMaintenance(date, QDate(), err), 10);
    EXPECT_EQ(Column(Rows(size), QStringLiteral("n")), QStringList({"-3000"}));
    Exec(QStringLiteral("DROP TRIGGER temp.refuse_carry"));
    ASSERT_EQ(m_data.DataMaintenance(date, QDate(), err), 1) << err.toStdString();
    EXPECT_EQ(Column(Rows(size), QStringLiteral("n")), QStringList({"-3000"}));
}

} // namespace
