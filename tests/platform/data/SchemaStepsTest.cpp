#include "DataTestUtil.h"

#include "platform/data/BookedTotals.h"
#include "platform/data/Schema.h"
#include "platform/data/SchemaSteps.h"
#include "support/BookedBalances.h"

#include <QFile>

#include <sqlite3.h>

namespace
{

// What the wait dialog of the object hears, less the paints inside a step.
class RecordedProgress : public IDataProgress
{
  public:
    explicit RecordedProgress(CMakeMsgID& data) : m_data(data) { m_data.SetProgress(this); }
    ~RecordedProgress() override { m_data.SetProgress(nullptr); }
    void Begin(int steps) override { log << QStringLiteral("Begin %1").arg(steps); }
    void Step() override { log << QStringLiteral("Step"); }
    void Working() override {}
    void End() override { log << QStringLiteral("End"); }

    QStringList log;

  private:
    CMakeMsgID& m_data;
};

// What each step makes, taken away again: the file as the builds before it
// left it. The step to the balances finds none; the step to the indexes
// finds none of today's, one of an earlier form and the two given up since;
// the step to the partner indexes finds them with the closing's ID.
QStringList TakenAway(int from)
{
    QStringList statements;
    if (from == 1) {
        for (const Schema::IndexSpec& ix : Schema::Indexes())
            statements << QStringLiteral("DROP INDEX \"%1\"").arg(ix.name);
        statements << QStringLiteral("CREATE INDEX ix_sales_b_header ON Sales_B(HeaderID, LineNo)")
                   << QStringLiteral("CREATE INDEX ix_sales_b_item_date ON Sales_B(ItemCode, Date, ItemType, "
                                     "Amount, IncludeTax)")
                   << QStringLiteral("CREATE INDEX ix_stock_b_item_date ON Stock_B(ItemCode, Date, ItemType, "
                                     "Amount, IncludeTax)");
    } else if (from == 2) {
        for (const BookedTotals::Side* side : {&BookedTotals::Sales(), &BookedTotals::Purchases()})
            statements << BookedTotals::DropTriggers(*side)
                       << QStringLiteral("DROP TABLE \"%1\"").arg(QLatin1String(side->table));
    } else if (from == 3) {
        statements << QStringLiteral("DROP INDEX IF EXISTS ix_sales_h_code")
                   << QStringLiteral("DROP INDEX IF EXISTS ix_stock_h_code")
                   << QStringLiteral("DROP INDEX IF EXISTS ix_receipt_h_code")
                   << QStringLiteral("DROP INDEX IF EXISTS ix_pay_h_code")
                   << QStringLiteral("CREATE INDEX ix_sales_h_code_seikyu ON Sales_H(CustomerCode, SeikyuID, "
                                     "Date, Total, DenpyoType, Amount, Tax, TaxType)")
                   << QStringLiteral("CREATE INDEX ix_stock_h_code_seikyu ON Stock_H(SupplierCode, SeikyuID, "
                                     "Date, Total, DenpyoType, Amount, Tax, TaxType)")
                   << QStringLiteral("CREATE INDEX ix_receipt_h_code_seikyu ON Receipt_H(CustomerCode, "
                                     "SeikyuID, Date, Amount)")
                   << QStringLiteral(
                          "CREATE INDEX ix_pay_h_code_seikyu ON Pay_H(SupplierCode, SeikyuID, Date, "
                          "Amount)");
    }
    return statements;
}

class SchemaStepsTest : public DatabaseTest
{
  protected:
    // The file's version and every object of its schema, as stored.
    QStringList Shape()
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(Path()).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        QStringList shape;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &st, nullptr);
        if (st && sqlite3_step(st) == SQLITE_ROW)
            shape << QStringLiteral("version %1").arg(sqlite3_column_int(st, 0));
        sqlite3_finalize(st);
        sqlite3_prepare_v2(db,
                           "SELECT type || ' ' || name || ': ' || COALESCE(sql, '') FROM sqlite_master "
                           "ORDER BY type, name",
                           -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW)
            shape << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        sqlite3_close(db);
        return shape;
    }

    void Run(const QString& sql)
    {
        QString err;
        ASSERT_EQ(m_data.Execute(sql, err), 1) << sql.toStdString() << ": " << err.toStdString();
    }
};

} // namespace

// A file of the current schema with one step taken away, or that step and
// all after it, is set back to the version before it: opening takes the
// steps due under the wait dialog, a step each, and the file is then as a
// new one is, with the balances of what is booked. The next opening has
// nothing to do and is not heard.
TEST_F(SchemaStepsTest, AFileWithEachStepTakenAwayReachesTheCurrentSchema)
{
    const auto steps = SchemaSteps::Steps();
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps.front().from, SchemaSteps::kFirstVersion);
    for (std::size_t i = 1; i < steps.size(); ++i)
        EXPECT_EQ(steps[i].from, steps[i - 1].from + 1);
    EXPECT_EQ(Schema::Version(), steps.back().from + 1);

    Run(QStringLiteral("INSERT INTO Sales_H(CustomerCode, TaxType, Amount, Tax, SeikyuID) VALUES "
                       "('K1', 2, 10000000, 1000000, 3), ('K2', 2, 5000000, 0, 0)"));
    Run(QStringLiteral("INSERT INTO Pay_H(SupplierCode, Amount, SeikyuID) VALUES ('S1', 3000000, 4)"));
    m_data.Close();
    const QStringList current = Shape();
    ASSERT_EQ(current.first(), QStringLiteral("version %1").arg(Schema::Version()));

    for (const SchemaSteps::Step& step : steps) {
        for (const bool later : {false, true}) {
            SCOPED_TRACE(QStringLiteral("%1%2")
                             .arg(QLatin1String(step.what),
                                  later ? QStringLiteral(" and every step after it") : QString())
                             .toStdString());
            QStringList damage = TakenAway(step.from);
            ASSERT_FALSE(damage.isEmpty());
            for (int from = step.from + 1; later && from < Schema::Version(); ++from)
                damage << TakenAway(from);
            OnFile(damage << QStringLiteral("PRAGMA user_version = %1").arg(step.from));
            ASSERT_NE(Shape(), current);

            RecordedProgress progress(m_data);
            QString err;
            ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
            EXPECT_FALSE(m_data.AreBalancesPending());
            QStringList heard{QStringLiteral("Begin %1").arg(Schema::Version() - step.from)};
            for (int from = step.from; from < Schema::Version(); ++from)
                heard << QStringLiteral("Step");
            EXPECT_EQ(progress.log, heard << QStringLiteral("End"));
            EXPECT_EQ(BookedBalances::Kept(m_data, false), QStringLiteral("K1:1100.0"));
            EXPECT_EQ(BookedBalances::Kept(m_data, true), QStringLiteral("S1:-300.0"));
            // The triggers keep them.
            Run(QStringLiteral("UPDATE Sales_H SET SeikyuID = 5 WHERE CustomerCode = 'K2'"));
            EXPECT_EQ(BookedBalances::Kept(m_data, false), QStringLiteral("K1:1100.0 K2:500.0"));
            Run(QStringLiteral("UPDATE Sales_H SET SeikyuID = 0 WHERE CustomerCode = 'K2'"));
            m_data.Close();
            EXPECT_EQ(Shape(), current);

            progress.log.clear();
            ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
            m_data.Close();
            EXPECT_EQ(progress.log, QStringList());
        }
    }
}

// A file this program cannot read is refused and left as it is: one of a
// later version, named with both versions, and one without a version (made
// by no build of this program).
TEST_F(SchemaStepsTest, AFileOfALaterVersionOrNoneIsRefusedUntouched)
{
    m_data.Close();
    const int current = Schema::Version();
    const struct {
        int version;
        QString told;
    } cases[] = {
        {current + 1,
         QStringLiteral("このデータベース（バージョン%1）は、このプログラム（バージョン%2）より新しい"
                        "ため開けません。新しいプログラムで開いてください。")
             .arg(current + 1)
             .arg(current)},
        {current + 40,
         QStringLiteral("このデータベース（バージョン%1）は、このプログラム（バージョン%2）より新しい"
                        "ため開けません。新しいプログラムで開いてください。")
             .arg(current + 40)
             .arg(current)},
        {0, QStringLiteral("データベースの形式が違います。")},
    };
    // Its balances differ from this program's too: they are not touched.
    OnFile(TakenAway(2));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        OnFile({QStringLiteral("PRAGMA user_version = %1").arg(c.version)});
        const QStringList before = Shape();
        RecordedProgress progress(m_data);
        QString err;
        EXPECT_EQ(m_data.Open(Folder(), err), CMakeMsgID::kFatal);
        EXPECT_EQ(err, c.told);
        EXPECT_FALSE(m_data.IsOpen());
        EXPECT_EQ(progress.log, QStringList());
        EXPECT_EQ(Shape(), before);
    }
}
