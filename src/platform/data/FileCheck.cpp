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

// The ticker of a check as the progress handler of its connection sees it.
struct CCheckTicks {
    const CMakeMsgID::FileCheckTicker* ticker;
    qint64 foreseen = 1;
    qint64 ticks = 0;
    int shown = -1;
    bool stopped = false;
};

int CheckTick(void* context)
{
    auto* check = static_cast<CCheckTicks*>(context);
    const int done = int(std::min<qint64>(kCheckParts - 1, ++check->ticks * kCheckParts / check->foreseen));
    if (done == check->shown)
        return 0;
    check->shown = done;
    check->stopped = !(*check->ticker)(done, kCheckParts);
    return check->stopped ? 1 : 0;
}

// The pages and indexes, then the rows' references.
int CheckStatements(sqlite3* db, bool& damaged)
{
    int rc = Findings(db, "PRAGMA integrity_check", "ok", damaged);
    if (rc == SQLITE_OK && !damaged)
        rc = Findings(db, "PRAGMA foreign_key_check", nullptr, damaged);
    return rc;
}

// Runs the check over the connection, telling the ticker as it goes.
int CheckPagesAndRows(sqlite3* db, const CMakeMsgID::FileCheckTicker& checking, bool& damaged, bool& stopped)
{
    if (!checking)
        return CheckStatements(db, damaged);
    CCheckTicks ticks{&checking};
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA page_count", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        ticks.foreseen = std::max<qint64>(1, sqlite3_column_int64(statement, 0) * kCheckInstructionsPerPage /
                                                 kInstructionsPerTick);
    sqlite3_finalize(statement);
    int rc;
    {
        const CProgressHandlerScope handler(db, kInstructionsPerTick, CheckTick, &ticks);
        if (!checking(0, kCheckParts))
            ticks.stopped = true;
        rc = ticks.stopped ? SQLITE_INTERRUPT : CheckStatements(db, damaged);
    }
    stopped = ticks.stopped;
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
