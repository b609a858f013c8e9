#include "platform/data/SchemaSteps.h"

#include "platform/data/BookedTotals.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/ProgressHandler.h"
#include "platform/data/SchemaStepWork.h"

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <numeric>
#include <vector>

namespace SchemaSteps
{

namespace
{

// ---- the steps ------------------------------------------------------------

// The indexes only speed reading: a file without them reads right.
int ReadsAsItIs(sqlite3*, int& rc)
{
    rc = SQLITE_OK;
    return 1;
}

// What each step does to the file is kept as it was written for its version
// (SchemaStepWork). While the file cannot be written, the connection keeps
// booked balances of its own, as this build reads them.
constexpr Step kSteps[] = {
    {1, "the indexes of version 2", SchemaStepWork::IndexesOfVersion2, ReadsAsItIs, nullptr,
     "検索用の索引の作成"},
    {2, "booked balances and their triggers", SchemaStepWork::BookedBalancesOfVersion3,
     BookedTotals::KeepForConnection, BookedTotals::DropForConnection, "取引先ごとの請求・支払の残高の作成"},
    {3, "partner indexes without the closing", SchemaStepWork::PartnerIndexesOfVersion4, ReadsAsItIs, nullptr,
     "取引先コードの索引の作り直し"},
};

// ---- running them -----------------------------------------------------------

// The work of a long statement lets the windows paint now and then.
int KeepWindowsPainted(void* progress)
{
    static_cast<IDataProgress*>(progress)->StatementRuns();
    return 0;
}
constexpr int kInstructionsBetweenPaints = 200000;

// Failures of a file that cannot be written now, but reads.
bool IsUnwritable(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_READONLY:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_CANTOPEN:
    case SQLITE_FULL:
    case SQLITE_PERM:
        return true;
    default:
        return false;
    }
}

bool Exec(sqlite3* db, const QString& sql, int& rc)
{
    rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    return rc == SQLITE_OK;
}

// Building an index reads and sorts a whole table: it is the work that
// takes time, so the bar counts it.
bool MakesIndex(const QString& sql)
{
    return sql.startsWith(QLatin1String("CREATE INDEX "), Qt::CaseInsensitive) ||
           sql.startsWith(QLatin1String("CREATE UNIQUE INDEX "), Qt::CaseInsensitive);
}

// The parts of a step's work: each index it makes, and at least one.
int PartsOf(const QStringList& work)
{
    return qMax(1, int(std::count_if(work.cbegin(), work.cend(), MakesIndex)));
}

// The engine's message of the statement that just failed.
QString EngineMessage(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// One step with the version it leads to, all or nothing. `part` hears each
// index made, done of the step's parts; the last part comes with the commit.
// A failure leaves the engine's message of the statement in `message`: the
// rollback after it would leave none.
bool Take(sqlite3* db, const Step& step, int& rc, QString& message,
          const std::function<void(int done, int parts)>& part)
{
    if (!Exec(db, QStringLiteral("BEGIN IMMEDIATE"), rc)) {
        message = EngineMessage(db);
        return false;
    }
    QStringList work = step.work(db);
    const int parts = PartsOf(work);
    int done = 0;
    work << QStringLiteral("PRAGMA user_version = %1").arg(step.from + 1) << QStringLiteral("COMMIT");
    for (const QString& sql : work) {
        if (!Exec(db, sql, rc)) {
            message = EngineMessage(db);
            if (!sqlite3_get_autocommit(db))
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
        if (MakesIndex(sql) && ++done < parts)
            part(done, parts);
    }
    part(parts, parts);
    return true;
}

// The steps from `version` on.
std::span<const Step> From(int version)
{
    const auto first = std::find_if(std::begin(kSteps), std::end(kSteps),
                                    [version](const Step& step) { return step.from >= version; });
    return {first, std::end(kSteps)};
}

// The parts each due step is expected to have, read from the file before
// any is taken. A step that takes the work of an earlier one of the run
// again finds only what came between them, which no step does yet: one part.
std::vector<int> PlannedParts(sqlite3* db, std::span<const Step> due)
{
    std::vector<int> planned;
    for (auto step = due.begin(); step != due.end(); ++step) {
        const bool again =
            std::any_of(due.begin(), step, [&](const Step& earlier) { return earlier.work == step->work; });
        planned.push_back(again ? 1 : PartsOf(step->work(db)));
    }
    return planned;
}

// Takes the due steps, telling `heard` (may be null) the parts planned and
// the steps, then each step and where the bar stands in the planned parts:
// a step's parts as it does them, scaled to what was planned for it, so the
// bar never goes back and stands at the end only when the last step is done.
int Run(sqlite3* db, std::span<const Step> due, IDataProgress* heard, bool& pending, int& rc,
        Failure& failure)
{
    const std::vector<int> planned = heard ? PlannedParts(db, due) : std::vector<int>(due.size(), 1);
    const int total = std::accumulate(planned.cbegin(), planned.cend(), 0);
    const int steps = int(due.size());
    DataProgress::Tell(heard, [steps, total](IDataProgress& told) { told.UpgradeBegins(steps, total); });
    int reached = 0; // the parts of the steps before this one
    int shown = 0;   // where the bar was last told to stand
    const auto stand = [&](std::size_t i, int done, int parts) {
        const int at = reached + planned[i] * done / parts;
        if (at == std::exchange(shown, at))
            return;
        DataProgress::Tell(heard, [at, total](IDataProgress& told) { told.UpgradePartsDone(at, total); });
    };
    const auto stepDone = [heard] {
        DataProgress::Tell(heard, [](IDataProgress& told) { told.UpgradeStepDone(); });
    };
    int unwritable = SQLITE_OK;
    bool done = true;
    for (std::size_t i = 0; i < due.size(); ++i) {
        const Step& step = due[i];
        const auto part = [&](int partsDone, int parts) { stand(i, partsDone, parts); };
        // Once a step could not be written, none after it can be taken.
        QString message;
        if (!pending && Take(db, step, rc, message, part)) {
            reached += planned[i];
            stepDone();
            continue;
        }
        if (!pending) {
            failure = {&step, message};
            if (!IsUnwritable(rc)) {
                done = false;
                break;
            }
            unwritable = rc;
            pending = true;
        }
        if (!step.forConnection) {
            rc = unwritable;
            failure.step = &step;
            done = false;
            break;
        }
        if (step.forConnection(db, rc) != 1) {
            // Rolled back already: the code tells what failed.
            failure = {&step, QString::fromUtf8(sqlite3_errstr(rc))};
            done = false;
            break;
        }
        stand(i, 1, 1);
        reached += planned[i];
        stepDone();
    }
    if (done && pending)
        rc = unwritable;
    return done ? 1 : 0;
}

} // namespace

std::span<const Step> Steps()
{
    return kSteps;
}

int Current()
{
    return std::end(kSteps)[-1].from + 1;
}

int FileVersion(sqlite3* db, int& rc)
{
    sqlite3_stmt* statement = nullptr;
    rc = sqlite3_prepare_v2(db, "PRAGMA main.user_version", -1, &statement, nullptr);
    int version = -1;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW) {
            version = sqlite3_column_int(statement, 0);
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(statement);
    return version;
}

QString StepText(const Step& step)
{
    return QStringLiteral("バージョン%1から%2への更新（%3）")
        .arg(step.from)
        .arg(step.from + 1)
        .arg(QString::fromUtf8(step.title));
}

int Upgrade(sqlite3* db, int version, IDataProgress* progress, bool& pending, int& rc, Failure* failure)
{
    rc = SQLITE_OK;
    pending = false;
    Failure ignored;
    Failure& failed = failure ? *failure : ignored;
    failed = {};
    const std::span<const Step> due = From(version);
    if (due.empty())
        return 1;
    if (!progress)
        return Run(db, due, nullptr, pending, rc, failed);
    // Beside this thread, so that its windows paint even while an index is
    // sorted (SQLite calls back no progress inside a sort). The steps are
    // not stopped halfway: each is one transaction the file needs whole.
    if (LongWork::CanRunBeside()) {
        const int done = LongWork::Run([&] { return Run(db, due, progress, pending, rc, failed); }).value;
        progress->UpgradeEnds();
        return done;
    }
    // No event loop here to keep (or a worker already): the work runs on
    // this thread, its listener told as from any work there.
    int done = 0;
    if (LongWork::OnWorker()) {
        done = Run(db, due, progress, pending, rc, failed);
    } else {
        const CProgressHandlerScope painting(db, kInstructionsBetweenPaints, KeepWindowsPainted, progress);
        done = Run(db, due, progress, pending, rc, failed);
    }
    DataProgress::Tell(progress, [](IDataProgress& told) { told.UpgradeEnds(); });
    return done;
}

void DropForConnection(sqlite3* db, int version)
{
    for (const Step& step : From(version))
        if (step.dropForConnection)
            for (const QString& sql : step.dropForConnection())
                sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
}

int KeepForConnection(sqlite3* db, int version, int& rc)
{
    rc = SQLITE_OK;
    for (const Step& step : From(version)) {
        if (!step.forConnection) {
            rc = SQLITE_READONLY;
            return 0;
        }
        if (step.forConnection(db, rc) != 1)
            return 0;
    }
    return 1;
}

} // namespace SchemaSteps
