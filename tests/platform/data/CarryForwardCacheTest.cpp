#include "reports/ReportFixture.h"

#include "platform/data/ClosingService.h"

#include <gtest/gtest.h>

namespace
{

using CarryForwardCacheTest = ReportFixture;

// The carry-forward takes a large page cache and sets the foreign keys
// aside for its run only: afterwards the connection has its own settings
// again, after a refused run, a failed one and a done one alike. The done
// run leaves no line or money row without its slip.
TEST_F(CarryForwardCacheTest, TheConnectionKeepsItsOwnSettings)
{
    // The page cache, the foreign keys, the sort threads and the threshold
    // past which changed pages are written early, as the connection had them.
    const QString settings = QStringLiteral(
        "SELECT (SELECT cache_size FROM pragma_cache_size()) || '/' || (SELECT foreign_keys FROM "
        "pragma_foreign_keys()) || '/' || (SELECT threads FROM pragma_threads()) || '/' || (SELECT "
        "cache_spill FROM pragma_cache_spill()) AS n");
    Exec(QStringLiteral("PRAGMA cache_size=-3000"));
    Exec(QStringLiteral("PRAGMA cache_spill=2000"));
    const QStringList own{QStringLiteral("-3000/1/0/2000")};
    ASSERT_EQ(Column(Rows(settings), QStringLiteral("n")), own);
    const QString indexes = QStringLiteral(
        "SELECT group_concat(name, ',') AS n FROM (SELECT name FROM sqlite_master WHERE type = "
        "'index' AND sql IS NOT NULL ORDER BY name)");
    const QStringList indexesBefore = Column(Rows(indexes), QStringLiteral("n"));
    const QDate date(2004, 4, 30);
    QString err;
    // A previous date that is not the stored one.
    EXPECT_EQ(CClosingService(m_data).CarryForward(date, date).refusal.Answer(err), 10);
    EXPECT_EQ(Column(Rows(settings), QStringLiteral("n")), own);
    Exec(QStringLiteral(
        "CREATE TEMP TRIGGER refuse_carry BEFORE DELETE ON Stock_Close BEGIN SELECT RAISE(ABORT, "
        "'no'); END"));
    EXPECT_EQ(CClosingService(m_data).CarryForward(date, QDate()).refusal.Answer(err), 10);
    EXPECT_EQ(Column(Rows(settings), QStringLiteral("n")), own);
    Exec(QStringLiteral("DROP TRIGGER temp.refuse_carry"));
    const QString lines = QStringLiteral(
        "SELECT (SELECT COUNT(*) FROM Sales_B) + (SELECT COUNT(*) FROM Stock_B) + (SELECT COUNT(*) FROM "
        "Receipt_B) + (SELECT COUNT(*) FROM Pay_B) AS n");
    const QStringList before = Column(Rows(lines), QStringLiteral("n"));
    ASSERT_EQ(CClosingService(m_data).CarryForward(date, QDate()).refusal.Answer(err), 1)
        << err.toStdString();
    EXPECT_EQ(Column(Rows(settings), QStringLiteral("n")), own);
    EXPECT_NE(Column(Rows(lines), QStringLiteral("n")), before) << "the run took no line away";
    // The indexes it set aside while deleting are all back.
    EXPECT_EQ(Column(Rows(indexes), QStringLiteral("n")), indexesBefore);
    EXPECT_TRUE(Rows(QStringLiteral("SELECT * FROM pragma_foreign_key_check")).GetCount() == 0);
}

} // namespace
