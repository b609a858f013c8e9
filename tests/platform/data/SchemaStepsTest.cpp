#include "DataTestUtil.h"

#include "platform/data/Schema.h"
#include "platform/data/SchemaSteps.h"
#include "support/BookedBalances.h"
#include "support/EarlierBuilds.h"

#include <QFile>

#include <algorithm>

#include <sqlite3.h>

namespace
{

// What the wait dialog of the object hears, less the paints inside a step.
class RecordedProgress : public IDataProgress
{
  public:
    explicit RecordedProgress(CMakeMsgID& data) : m_data(data) { m_data.SetProgress(this); }
    ~RecordedProgress() override { m_data.SetProgress(nullptr); }
    void UpgradeBegins(int steps, int) override { log << QStringLiteral("Begin %1").arg(steps); }
    void UpgradeStepDone() override { log << QStringLiteral("Step"); }
    void UpgradeEnds() override { log << QStringLiteral("End"); }

    QStringList log;

  private:
    CMakeMsgID& m_data;
};

// The file of each earlier build, and each taken by the steps as they
// were written to every later version before the current one: files of
// each version with that step and every one after it to take. Some hold
// already what a step makes: the last build of version 1 made the indexes
// and balances of version 3.
struct EarlierFile {
    const char* name;
    int version;
};
QList<EarlierFile> FilesOfEachVersion()
{
    QList<EarlierFile> files;
    for (const char* name : EarlierBuilds::kFiles) {
        const QStringList version = EarlierBuilds::Rows(EarlierBuilds::PathOf(name), "PRAGMA user_version");
        for (int v = version.value(0, QStringLiteral("-1")).toInt(); v > 0 && v < Schema::Version(); ++v)
            files.append({name, v});
    }
    return files;
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

// A file of each earlier version, as its build wrote it or taken there by
// the steps: opening takes the steps due under the wait dialog, a step
// each, and the file is then as a new one is, with the balances of what is
// booked. The next opening has nothing to do and is not heard.
TEST_F(SchemaStepsTest, AFileWithEachStepTakenAwayReachesTheCurrentSchema)
{
    const auto steps = SchemaSteps::Steps();
    ASSERT_EQ(steps.size(), std::size_t(Schema::Version() - SchemaSteps::kFirstVersion));
    EXPECT_EQ(steps.front().from, SchemaSteps::kFirstVersion);
    for (std::size_t i = 1; i < steps.size(); ++i)
        EXPECT_EQ(steps[i].from, steps[i - 1].from + 1);
    EXPECT_EQ(Schema::Version(), steps.back().from + 1);

    const QStringList booked{
        QStringLiteral("INSERT INTO Sales_H(CustomerCode, TaxType, Amount, Tax, SeikyuID) VALUES "
                       "('K1', 2, 10000000, 1000000, 3), ('K2', 2, 5000000, 0, 0)"),
        QStringLiteral("INSERT INTO Pay_H(SupplierCode, Amount, SeikyuID) VALUES ('S1', 3000000, 4)")};
    m_data.Close();
    const QStringList current = Shape();
    ASSERT_EQ(current.first(), QStringLiteral("version %1").arg(Schema::Version()));

    const QList<EarlierFile> files = FilesOfEachVersion();
    for (const SchemaSteps::Step& step : steps)
        EXPECT_TRUE(std::any_of(files.cbegin(), files.cend(), [&step](const EarlierFile& file) {
            return file.version == step.from;
        })) << step.what;
    for (const EarlierFile& file : files) {
        SCOPED_TRACE(
            QStringLiteral("%1 at version %2").arg(QLatin1String(file.name)).arg(file.version).toStdString());
        ASSERT_TRUE(EarlierBuilds::CopyTo(file.name, Folder()));
        ASSERT_TRUE(EarlierBuilds::TakeStepsTo(Path(), file.version));
        OnFile(EarlierBuilds::WithoutBooks() << booked);
        ASSERT_NE(Shape(), current);

        RecordedProgress progress(m_data);
        QString err;
        ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
        EXPECT_FALSE(m_data.AreBalancesPending());
        QStringList heard{QStringLiteral("Begin %1").arg(Schema::Version() - file.version)};
        for (int from = file.version; from < Schema::Version(); ++from)
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
    ASSERT_TRUE(EarlierBuilds::CopyTo(EarlierBuilds::kBeforeBalances, Folder()));
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
