// CMakeMsgID::CheckFile: the check of a whole closed database file, which
// reads every page and looks every row up in each of its table's indexes
// (an opening reads only what it needs).

#include "platform/data/MakeMsgID.h"

#include "platform/data/ProgressHandler.h"
#include "platform/data/Schema.h"
#include "platform/data/SchemaSteps.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace
{

// Steps the statement through; true in `found` when a row says something
// other than `fine` (integrity_check answers one row "ok" for a sound file,
// the foreign-key check no row at all).
int Findings(sqlite3* db, const char* sql, const char* fine, bool& found)
{
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        if (!fine || !text || qstrcmp(text, fine) != 0)
            found = true;
        rc = SQLITE_OK;
    }
    sqlite3_finalize(statement);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// The check's virtual machine runs about this many instructions for each
// page of a file (925 on the generated books of the bench, whose rows are a
// fair mix of the tables): the total the bar is drawn against.
constexpr qint64 kCheckInstructionsPerPage = 925;
constexpr int kInstructionsPerTick = 10000;
// The bar's parts; the check's last part is done only when it ends.
constexpr int kCheckParts = 1000;
// The pages and indexes, then the rows' references, unless stopped between.
int CheckStatements(sqlite3* db, bool& damaged, const std::atomic<bool>* stopped = nullptr)
{
    int rc = Findings(db, "PRAGMA integrity_check", "ok", damaged);
    if (rc == SQLITE_OK && !damaged && !(stopped && *stopped))
        rc = Findings(db, "PRAGMA foreign_key_check", nullptr, damaged);
    return stopped && *stopped ? SQLITE_INTERRUPT : rc;
}

// How often the ticker is asked while the check runs, whether its bar moved
// or not: integrity_check may walk a large table's pages in one step that
// ticks nowhere, and a stop must still be heard at once.
constexpr std::chrono::milliseconds kLookEvery(50);

// A check running on a thread of its own while the caller's thread looks at
// its bar and asks the ticker. The ticks count on the check's thread; a stop
// interrupts the statement from the looking thread.
class CCheckRun
{
  public:
    CCheckRun(sqlite3* db, qint64 foreseen) : m_db(db), m_foreseen(foreseen) {}

    // Runs the statements, looking every kLookEvery; true in `stopped` when
    // the ticker said so (the statements ended as interrupted).
    int Run(const CMakeMsgID::FileCheckTicker& checking, bool& damaged, bool& stopped)
    {
        int rc = SQLITE_OK;
        std::thread check([&] {
            const CProgressHandlerScope handler(m_db, kInstructionsPerTick, Tick, this);
            rc = CheckStatements(m_db, damaged, &m_bStopped);
            const std::lock_guard lock(m_mutex);
            m_bEnded = true;
            m_woken.notify_all();
        });
        std::exception_ptr thrown;
        std::unique_lock lock(m_mutex);
        while (!m_bEnded) {
            m_woken.wait_for(lock, kLookEvery, [this] { return m_bEnded || m_bLookAsked; });
            if (m_bEnded)
                break;
            if (!m_bStopped) {
                const int done = Done();
                lock.unlock();
                bool goOn = false;
                try {
                    goOn = checking(done, kCheckParts);
                } catch (...) {
                    thrown = std::current_exception();
                }
                lock.lock();
                if (!goOn) {
                    m_bStopped = true;
                    sqlite3_interrupt(m_db);
                }
            }
            m_bLookAsked = false;
            m_woken.notify_all();
        }
        lock.unlock();
        check.join();
        if (thrown)
            std::rethrow_exception(thrown);
        stopped = m_bStopped;
        return rc;
    }

  private:
    static int Tick(void* context)
    {
        auto* run = static_cast<CCheckRun*>(context);
        // The first tick waits for the look it asks for: a stop pressed while
        // the check gets under way is heard before its pages are walked.
        if (!std::exchange(run->m_bUnderWay, true)) {
            std::unique_lock lock(run->m_mutex);
            run->m_bLookAsked = true;
            run->m_woken.notify_all();
            run->m_woken.wait(lock, [run] { return !run->m_bLookAsked; });
        }
        ++run->m_ticks;
        return run->m_bStopped.load() ? 1 : 0;
    }

    int Done() const
    {
        return int(std::min<qint64>(kCheckParts - 1, m_ticks.load() * kCheckParts / m_foreseen));
    }

    sqlite3* m_db;
    const qint64 m_foreseen;
    std::atomic<qint64> m_ticks{0};
    std::atomic<bool> m_bStopped{false};
    std::mutex m_mutex;
    std::condition_variable m_woken;
    bool m_bEnded = false;
    bool m_bLookAsked = false;
    bool m_bUnderWay = false; // the check's thread only
};

// Runs the check over the connection, telling the ticker as it goes.
int CheckPagesAndRows(sqlite3* db, const CMakeMsgID::FileCheckTicker& checking, bool& damaged, bool& stopped)
{
    if (!checking)
        return CheckStatements(db, damaged);
    qint64 foreseen = 1;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA page_count", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        foreseen = std::max<qint64>(1, sqlite3_column_int64(statement, 0) * kCheckInstructionsPerPage /
                                           kInstructionsPerTick);
    sqlite3_finalize(statement);
    if (!checking(0, kCheckParts)) {
        stopped = true;
        return SQLITE_INTERRUPT;
    }
    CCheckRun run(db, foreseen);
    const int rc = run.Run(checking, damaged, stopped);
    if (rc == SQLITE_OK && !stopped && !checking(kCheckParts, kCheckParts))
        stopped = true;
    return rc;
}

} // namespace

CMakeMsgID::EFileCheck CMakeMsgID::CheckFile(const QString& folder, QString& err, IDataProgress* progress,
                                             const FileCheckTicker& checking)
{
    const QString path = DatabasePath(folder);
    if (!QFileInfo(path).isFile()) {
        err = QStringLiteral("データベースファイル<%1>がありません。").arg(path);
        return EFileCheck::Unusable;
    }
    // Written only by the playback of a journal, which the first read does
    // (a write-ahead log is read in place until the opening below).
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    // Each row is looked up in every index of its table: the cache keeps the
    // pages of an index between its rows, and the file is read where it
    // lies instead of copied page by page (twice as fast on large books).
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA cache_size=-262144; PRAGMA mmap_size=2147418112", nullptr, nullptr,
                          nullptr);
    bool damaged = false;
    bool stopped = false;
    if (rc == SQLITE_OK)
        rc = CheckPagesAndRows(db, checking, damaged, stopped);
    if (stopped) {
        sqlite3_close_v2(db);
        return EFileCheck::Stopped;
    }
    int version = -1;
    if (rc == SQLITE_OK && !damaged)
        version = SchemaSteps::FileVersion(db, rc);
    const QString engineText = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    // A file without this program's version stamp (an empty one among them)
    // holds no books to restore.
    if (rc == SQLITE_OK && version < SchemaSteps::kFirstVersion)
        damaged = true;
    if (damaged || (rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB) {
        err = ErrorText(SQLITE_CORRUPT, path, engineText);
        return EFileCheck::Damaged;
    }
    if (rc != SQLITE_OK) {
        err = ErrorText(rc, path, engineText);
        return EFileCheck::Unusable;
    }
    CMakeMsgID data;
    data.SetProgress(progress);
    if (data.Open(folder, err) != kOk)
        return version > Schema::Version() ? EFileCheck::Newer : EFileCheck::Unusable;
    data.Close();
    return EFileCheck::Whole;
}
