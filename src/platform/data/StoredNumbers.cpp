// The numbers the document tables hold, read by value so that a counter
// never hands out one of them again however it is written.

#include "platform/data/StoredNumbers.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/Schema.h"

#include <sqlite3.h>

int CMakeMsgID::ReadStoredNumbers(const QString& table, const QString& prefix, const QString& suffix,
                                  const CNumberRun& run, CStoredNumbers& found, QString& err)
{
    found = CStoredNumbers();
    if (!m_db)
        return NoConnection(err);
    const Schema::TableDef* def = Schema::FindTable(table);
    if (!def || def->workTable || !Schema::FindField(*def, QStringLiteral("No"))) {
        err = QStringLiteral("テーブル「%1」に番号はありません。").arg(table);
        return kFailed;
    }
    // The digits between the prefix and the suffix, compared as the column
    // compares (ASCII letters without case); leading zeros and a width past
    // the counter's digits make no other number. One pass over the table:
    // the bare No goes with the row of the highest value.
    const QString sql =
        QStringLiteral(
            "SELECT MAX(v), No, COUNT(CASE WHEN v BETWEEN ?3 AND ?4 OR v BETWEEN ?5 AND ?6 THEN 1 END) FROM "
            "(SELECT No, CAST(n AS INTEGER) AS v FROM (SELECT No, substr(No, length(?1) + 1, length(No) - "
            "length(?1) - length(?2)) AS n FROM \"%1\" WHERE length(No) > length(?1) + length(?2) AND "
            "substr(No, 1, length(?1)) = ?1 COLLATE NOCASE AND substr(No, length(No) - length(?2) + 1) = ?2 "
            "COLLATE NOCASE) WHERE n NOT GLOB '*[^0-9]*')")
            .arg(QString::fromLatin1(def->name));
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr);
    if (rc != SQLITE_OK)
        return Fail(rc, err);
    const QByteArray p = prefix.toUtf8(), s = suffix.toUtf8();
    sqlite3_bind_text(statement, 1, p.constData(), int(p.size()), SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, s.constData(), int(s.size()), SQLITE_STATIC);
    sqlite3_bind_int64(statement, 3, run.first);
    sqlite3_bind_int64(statement, 4, run.last);
    sqlite3_bind_int64(statement, 5, run.wrapFirst);
    sqlite3_bind_int64(statement, 6, run.wrapLast);
    rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        found.highest = sqlite3_column_int64(statement, 0);
        found.highestText =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
        found.held = sqlite3_column_int(statement, 2);
        rc = sqlite3_step(statement);
    }
    const int result = rc == SQLITE_DONE ? kOk : Fail(rc, err);
    sqlite3_finalize(statement);
    if (result != kOk)
        found = CStoredNumbers();
    return result;
}
