// CMakeMsgID::CheckFile: the check of a whole closed database file, which
// reads every page once (an opening reads only what it needs).

#include "platform/data/MakeMsgID.h"

#include "platform/data/Schema.h"
#include "platform/data/SchemaSteps.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace
{

// Steps the statement through; true in `found` when a row says something
// other than `fine` (quick_check answers one row "ok" for a sound file, the
// foreign-key check no row at all).
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

} // namespace

CMakeMsgID::EFileCheck CMakeMsgID::CheckFile(const QString& folder, QString& err, IDataProgress* progress)
{
    const QString path = DatabasePath(folder);
    if (!QFileInfo(path).isFile()) {
        err = QStringLiteral("データベースファイル<%1>がありません。").arg(path);
        return EFileCheck::Unusable;
    }
    // Written only by the playback of a journal, which the first read does.
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    bool damaged = false;
    if (rc == SQLITE_OK)
        rc = Findings(db, "PRAGMA quick_check", "ok", damaged);
    if (rc == SQLITE_OK && !damaged)
        rc = Findings(db, "PRAGMA foreign_key_check", nullptr, damaged);
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
