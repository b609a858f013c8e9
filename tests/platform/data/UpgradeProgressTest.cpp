#include "DataTestUtil.h"

#include "platform/data/SchemaSteps.h"
#include "support/EarlierBuilds.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QTimer>

#include <sqlite3.h>

#include <chrono>
#include <future>
#include <memory>
#include <set>
#include <thread>

namespace
{

// One log of the work and of what its listener hears, in the order they
// happen: each statement of the file as it ends (on whatever thread it ran),
// each call of the listener, and whatever the test adds. After each
// statement the work waits until the calling thread has handled all that
// was sent to it before, so a report stands in the log right after the
// statement that brought it, and the upgrade cannot end unless the calling
// thread keeps handling its events.
class CUpgradeWatch : public IDataProgress
{
  public:
    explicit CUpgradeWatch(sqlite3* db) : m_db(db), m_caller(std::this_thread::get_id())
    {
        sqlite3_trace_v2(m_db, SQLITE_TRACE_PROFILE, &CUpgradeWatch::Ended, this);
    }
    ~CUpgradeWatch() override { sqlite3_trace_v2(m_db, 0, nullptr, nullptr); }

    // The start is heard as its total of parts, none done, and its steps.
    void UpgradeBegins(int steps, int parts) override
    {
        Heard(QStringLiteral("Parts 0/%1").arg(parts));
        Heard(QStringLiteral("Begin %1").arg(steps));
    }
    void UpgradeStepDone() override { Heard(QStringLiteral("Step")); }
    void UpgradeEnds() override { Heard(QStringLiteral("End")); }
    void UpgradePartsDone(int done, int parts) override
    {
        Heard(QStringLiteral("Parts %1/%2").arg(done).arg(parts));
    }

    void Add(const QString& line)
    {
        const QMutexLocker lock(&m_mutex);
        m_log << line;
    }
    QStringList Log()
    {
        const QMutexLocker lock(&m_mutex);
        return m_log;
    }
    // The threads the statements ran on.
    std::set<std::thread::id> Workers()
    {
        const QMutexLocker lock(&m_mutex);
        return m_workers;
    }
    bool heardElsewhere = false; // a listener call off the calling thread
    bool callerStalled = false;  // the calling thread stopped handling events

  private:
    void Heard(const QString& line)
    {
        if (std::this_thread::get_id() != m_caller)
            heardElsewhere = true;
        Add(line);
    }
    static int Ended(unsigned, void* self, void* statement, void*)
    {
        auto* me = static_cast<CUpgradeWatch*>(self);
        {
            const QMutexLocker lock(&me->m_mutex);
            me->m_log
                << QStringLiteral("SQL ") +
                       QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(statement))).simplified();
            me->m_workers.insert(std::this_thread::get_id());
        }
        if (std::this_thread::get_id() == me->m_caller)
            return 0;
        auto seen = std::make_shared<std::promise<void>>();
        std::future<void> handled = seen->get_future();
        QMetaObject::invokeMethod(
            &me->m_receiver, [seen] { seen->set_value(); }, Qt::QueuedConnection);
        // Only a guard: a calling thread that stops handling events fails
        // the test instead of holding it up.
        if (handled.wait_for(std::chrono::minutes(1)) != std::future_status::ready)
            me->callerStalled = true;
        return 0;
    }

    sqlite3* m_db;
    const std::thread::id m_caller;
    QObject m_receiver; // lives on the calling thread
    QMutex m_mutex;
    QStringList m_log;
    std::set<std::thread::id> m_workers;
};

using UpgradeProgressTest = DatabaseTest;

} // namespace

// Files of each earlier version are brought up to date on a thread of their
// own while the calling thread keeps handling its events (a timer armed
// before fires while the work goes on) and hears every report. The bar
// counts each index made and each step that makes none; it never goes back,
// moves with each index, and stands at its end only once the last step is
// committed.
TEST_F(UpgradeProgressTest, TheBarCountsTheIndexesMadeWhileTheCallerKeepsHandlingEvents)
{
    // What the steps after version 4 add to each case: the file of its build
    // takes them alone.
    const EarlierBuilds::Work later = EarlierBuilds::WorkOf(EarlierBuilds::kVersion4);
    ASSERT_GE(later.parts, 0);
    // The indexes of version 2, as the build of version 3 holds them.
    const int indexes = EarlierBuilds::IndexCount(EarlierBuilds::kVersion3);
    ASSERT_GT(indexes, 10);
    constexpr int kPartnerIndexes = 4; // of the slip and money headers of both sides
    const struct {
        const char* what;
        const char* file;
        int version; // the file's, or the one its steps take it to
        QStringList damage;
        bool withoutIndexes;
        int parts; // on the bar
        int made;  // indexes
    } cases[] = {
        // The first step makes every index of version 2, the four partner
        // indexes with the closing among them, and the third makes those
        // four again without it.
        {"version 1, every index missing",
         EarlierBuilds::kBeforeBalances,
         1,
         {},
         true,
         indexes + kPartnerIndexes + 1 + later.parts,
         indexes + kPartnerIndexes + later.made},
        // The last build of version 1 had the indexes of version 2 and the
        // balances: the first step makes the one missing, the second the
        // balances again, the third the four partner indexes.
        {"version 1, one index missing",
         EarlierBuilds::kVersion1,
         1,
         {QStringLiteral("DROP INDEX ix_sales_b_item")},
         false,
         1 + 1 + kPartnerIndexes + later.parts,
         1 + kPartnerIndexes + later.made},
        // Without the balances: the second step makes them, the third the
        // four partner indexes.
        {"version 2",
         EarlierBuilds::kBeforeBalances,
         2,
         {},
         false,
         1 + kPartnerIndexes + later.parts,
         kPartnerIndexes + later.made},
        // Four old indexes retired, four of today made.
        {"version 3",
         EarlierBuilds::kVersion3,
         3,
         {},
         false,
         kPartnerIndexes + later.parts,
         kPartnerIndexes + later.made},
    };
    m_data.Close();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(EarlierBuilds::CopyTo(c.file, Folder()));
        ASSERT_TRUE(EarlierBuilds::TakeStepsTo(Path(), c.version));
        OnFile(c.withoutIndexes ? EarlierBuilds::WithoutIndexes(Path()) : c.damage);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(Path()).constData(), &db,
                                  SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr),
                  SQLITE_OK);
        const int steps = SchemaSteps::Current() - c.version;
        bool pending = true;
        int rc = -1, result = 0;
        {
            CUpgradeWatch watch(db);
            QTimer timer;
            timer.setSingleShot(true);
            QObject::connect(&timer, &QTimer::timeout, [&watch] { watch.Add(QStringLiteral("Timer")); });
            timer.start(0);
            result = SchemaSteps::Upgrade(db, c.version, &watch, pending, rc);
            EXPECT_FALSE(watch.callerStalled);
            EXPECT_FALSE(watch.heardElsewhere);
            const std::set<std::thread::id> workers = watch.Workers();
            EXPECT_EQ(workers.size(), 1u);
            EXPECT_EQ(workers.count(std::this_thread::get_id()), 0u) << "the work ran on the calling thread";

            const QStringList log = watch.Log();
            const qsizetype lastSql = [&] {
                for (qsizetype i = log.size() - 1; i >= 0; --i)
                    if (log[i].startsWith(QLatin1String("SQL ")))
                        return i;
                return qsizetype(-1);
            }();
            ASSERT_GE(lastSql, 0);
            EXPECT_EQ(log[lastSql], QStringLiteral("SQL COMMIT"));
            const qsizetype fired = log.indexOf(QStringLiteral("Timer"));
            EXPECT_GE(fired, 0) << "no event was handled";
            EXPECT_LT(fired, lastSql) << "no event was handled during the work";
            EXPECT_EQ(log.filter(QRegularExpression(QStringLiteral("^SQL CREATE (UNIQUE )?INDEX"))).size(),
                      c.made);

            // What the listener heard, in order, and where the bar stood
            // when each statement ended.
            QStringList heard;
            QList<int> positions;
            QSet<int> distinct;
            int at = 0;
            for (qsizetype i = 0; i < log.size(); ++i) {
                const QString& line = log[i];
                if (line.startsWith(QLatin1String("SQL ")) || line == QLatin1String("Timer"))
                    continue;
                heard << line;
                const QRegularExpressionMatch parts =
                    QRegularExpression(QStringLiteral("^Parts (\\d+)/(\\d+)$")).match(line);
                if (!parts.hasMatch())
                    continue;
                EXPECT_EQ(parts.captured(2).toInt(), c.parts) << line.toStdString();
                const int done = parts.captured(1).toInt();
                EXPECT_GE(done, at) << "the bar went back";
                at = done;
                positions << done;
                distinct.insert(done);
                if (i < lastSql) {
                    EXPECT_LT(done, c.parts) << "the bar stood at its end before the work was done";
                }
            }
            ASSERT_GE(heard.size(), 3);
            EXPECT_EQ(heard.first(), QStringLiteral("Parts 0/%1").arg(c.parts));
            EXPECT_EQ(heard[1], QStringLiteral("Begin %1").arg(steps));
            EXPECT_EQ(heard.last(), QStringLiteral("End"));
            EXPECT_EQ(heard.count(QStringLiteral("Step")), steps);
            EXPECT_EQ(positions.last(), c.parts);
            EXPECT_EQ(positions.count(c.parts), 1);
            // Every part is a position of its own: one per index made, one
            // per step that makes none, and the start.
            EXPECT_EQ(distinct.size(), c.parts + 1);
            EXPECT_GE(distinct.size(), c.made);
        }
        EXPECT_EQ(result, 1);
        EXPECT_FALSE(pending);
        EXPECT_EQ(rc, SQLITE_OK);
        int read = SQLITE_OK;
        EXPECT_EQ(SchemaSteps::FileVersion(db, read), SchemaSteps::Current());
        sqlite3_close_v2(db);
    }
}
