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
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    const Schema::TableDef* def = Schema::FindTable(table);
    if (!def || def->workTable || !Schema::FindField(*def, QStringLiteral("No"))) {
        err = QStringLiteral("テーブル「%1」に番号はありません。").arg(table);
        return kFailed;
    }
    // The digits between the prefix and the suffix, the affixes compared as
    // the column compares (LIKE folds ASCII letters alone); leading zeros
    // make no other number, and one past the ceiling is left out. One pass
    // over the table, the bare No going with the row of the highest value;
    // without affixes the number is the whole text, which spares the pass
    // the cutting.
    const bool bare = prefix.isEmpty() && suffix.isEmpty();
    const QString sql =
        QStringLiteral(
            "SELECT MAX(v), No, COUNT(CASE WHEN v BETWEEN ?4 AND ?5 OR v BETWEEN ?6 AND ?7 THEN 1 END) "
            "FROM (SELECT No, CAST(n AS INTEGER) AS v FROM (SELECT No, %2 AS n FROM \"%1\"%3) WHERE n "
            "<> '' AND ltrim(n, '0123456789') = '') WHERE v <= ?8")
            .arg(QString::fromLatin1(def->name),
                 bare ? QStringLiteral("No") : QStringLiteral("substr(No, ?2 + 1, length(No) - ?2 - ?3)"),
                 bare ? QString() : QStringLiteral(" WHERE No LIKE ?1 ESCAPE '\\'"));
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr);
    if (rc != SQLITE_OK)
        return Fail(rc, err);
    const auto escaped = [](QString text) {
        return text.replace(u'\\', QStringLiteral("\\\\"))
            .replace(u'%', QStringLiteral("\\%"))
            .replace(u'_', QStringLiteral("\\_"));
    };
    const QByteArray pattern = (escaped(prefix) + u'%' + escaped(suffix)).toUtf8();
    sqlite3_bind_text(statement, 1, pattern.constData(), int(pattern.size()), SQLITE_STATIC);
    sqlite3_bind_int(statement, 2, int(prefix.toUcs4().size()));
    sqlite3_bind_int(statement, 3, int(suffix.toUcs4().size()));
    sqlite3_bind_int64(statement, 4, run.first);
    sqlite3_bind_int64(statement, 5, run.last);
    sqlite3_bind_int64(statement, 6, run.wrapFirst);
    sqlite3_bind_int64(statement, 7, run.wrapLast);
    sqlite3_bind_int64(statement, 8, run.ceiling);
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
