#pragma once

#include "TestPaths.h"

#include "platform/data/DataProgress.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/SchemaSteps.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <string>

// The files earlier builds wrote (fixtures/earlier-builds), where the tests
// of an upgrade start: a test copies one as its database, may take it
// through the steps as they were written to a version no build left a file
// of, and writes its own rows into it as another program would. Nothing
// here reads today's schema, so these tests mean the same once the next
// step comes.
namespace EarlierBuilds
{

// Version 1 before the booked balances, with the indexes of its day.
inline constexpr char kBeforeBalances[] = "v1-before-balances.vrz";
// Version 1 of the last build before the steps: the indexes of version 2
// and the booked balances kept by its triggers, as version 3 has them.
inline constexpr char kVersion1[] = "v1.vrz";
inline constexpr char kVersion3[] = "v3.vrz";
inline constexpr char kVersion4[] = "v4.vrz";
// Every one, the oldest first.
inline constexpr const char* kFiles[] = {kBeforeBalances, kVersion1, kVersion3, kVersion4};

inline QString PathOf(const char* name)
{
    return QStringLiteral(CORVANTA_FIXTURES "/earlier-builds/") + QLatin1String(name);
}

// The committed file as the database of `folder` (made when missing), in
// place of the one there, writable.
inline bool CopyTo(const char* name, const QString& folder)
{
    const QString path = CMakeMsgID::DatabasePath(folder);
    if (!QDir().mkpath(folder) || (QFile::exists(path) && !QFile::remove(path)) ||
        !QFile::copy(PathOf(name), path))
        return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

// Statements on the closed file, as another program runs them: true when
// each went in.
inline bool OnFile(const QString& path, const QStringList& statements)
{
    sqlite3* db = nullptr;
    bool done = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
                SQLITE_OK;
    for (const QString& sql : statements)
        done = done && sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return done;
}

// Each row of a statement's answer, its columns joined by '|'.
inline QStringList Rows(sqlite3* db, const char* sql)
{
    QStringList rows;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList columns;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                columns << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
            rows << columns.join(u'|');
        }
    sqlite3_finalize(st);
    return rows;
}

inline QStringList Rows(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QStringList rows = Rows(db, sql);
    sqlite3_close(db);
    return rows;
}

// The file taken from its version to `version` by the steps between, each
// in its transaction, as the program takes them: true when each went in.
inline bool TakeStepsTo(const QString& path, int version)
{
    sqlite3* db = nullptr;
    bool done = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
                SQLITE_OK;
    int rc = SQLITE_OK;
    const int from = done ? SchemaSteps::FileVersion(db, rc) : -1;
    done = done && from >= SchemaSteps::kFirstVersion && from <= version;
    for (const SchemaSteps::Step& step : SchemaSteps::Steps()) {
        if (!done || step.from < from || step.from >= version)
            continue;
        done = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        QStringList work = step.work(db);
        work << QStringLiteral("PRAGMA user_version = %1").arg(step.from + 1) << QStringLiteral("COMMIT");
        for (const QString& sql : work)
            done = done && sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_close(db);
    return done;
}

// The statements that empty the books: every slip, receipt, payment and
// closing of both sides with their lines, for a test to write its own.
inline QStringList WithoutBooks()
{
    QStringList statements;
    for (const char* table : {"Sales_B", "Sales_H", "Stock_B", "Stock_H", "Receipt_B", "Receipt_H", "Pay_B",
                              "Pay_H", "Sales_Close", "Stock_Close"})
        statements << QStringLiteral("DELETE FROM \"%1\"").arg(QLatin1String(table));
    return statements;
}

// The statements that drop every index the file holds, as it holds them.
inline QStringList WithoutIndexes(const QString& path)
{
    QStringList statements;
    for (const QString& name :
         Rows(path, "SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL ORDER BY name"))
        statements << QStringLiteral("DROP INDEX \"%1\"").arg(name);
    return statements;
}

// How many indexes of its own the committed file holds.
inline int IndexCount(const char* name)
{
    const QStringList rows =
        Rows(PathOf(name), "SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL");
    return rows.size() == 1 ? rows.first().toInt() : -1;
}

// The rows of every table of the file replaced by those of the same table
// in the database `source`, in the columns the file has (sqlite_sequence
// too): the earlier build's schema with another database's rows. Its
// indexes are made again after the rows, as its build made them. For a
// file without triggers: those of the balances would count the rows twice.
inline bool FillFrom(const QString& path, const QString& source)
{
    sqlite3* db = nullptr;
    const auto exec = [&db](const QString& sql) {
        return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    bool done = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
                    SQLITE_OK &&
                exec(QStringLiteral("ATTACH DATABASE '%1' AS other")
                         .arg(QString(source).replace(u'\'', QLatin1String("''"))));
    const QStringList indexes = Rows(
        db, "SELECT name || '|' || sql FROM main.sqlite_master WHERE type = 'index' AND sql IS NOT NULL");
    const QStringList tables =
        Rows(db, "SELECT name FROM main.sqlite_master WHERE type = 'table' AND name <> 'sqlite_sequence'");
    QStringList work{QStringLiteral("BEGIN")};
    for (const QString& index : indexes)
        work << QStringLiteral("DROP INDEX main.\"%1\"").arg(index.section(u'|', 0, 0));
    for (const QString& table : tables) {
        const QStringList theirs =
            Rows(db, QStringLiteral("SELECT name FROM pragma_table_info('%1', 'other')")
                         .arg(table)
                         .toUtf8()
                         .constData());
        QStringList columns;
        for (const QString& column :
             Rows(db, QStringLiteral("SELECT name FROM pragma_table_info('%1', 'main')")
                          .arg(table)
                          .toUtf8()
                          .constData()))
            if (theirs.contains(column))
                columns << u'"' + column + u'"';
        work << QStringLiteral("DELETE FROM main.\"%1\"").arg(table);
        if (!columns.isEmpty())
            work << QStringLiteral("INSERT INTO main.\"%1\" (%2) SELECT %2 FROM other.\"%1\"")
                        .arg(table, columns.join(u','));
    }
    work << QStringLiteral("DELETE FROM main.sqlite_sequence")
         << QStringLiteral(
                "INSERT INTO main.sqlite_sequence SELECT * FROM other.sqlite_sequence WHERE name IN "
                "(SELECT name FROM main.sqlite_master WHERE type = 'table')");
    for (const QString& index : indexes)
        work << index.section(u'|', 1);
    work << QStringLiteral("COMMIT") << QStringLiteral("DETACH DATABASE other");
    for (const QString& sql : work)
        done = done && exec(sql);
    sqlite3_close(db);
    return done;
}

// Whether a file of `version` reads right while it cannot be written:
// every step due can be done for the connection alone. Otherwise the
// program does not use it until it can take them.
inline bool ReadsUnwritten(int version)
{
    const auto steps = SchemaSteps::Steps();
    return std::all_of(steps.begin(), steps.end(), [version](const SchemaSteps::Step& step) {
        return step.from < version || step.forConnection;
    });
}

// Why a test of a file of `version` that cannot be written could check
// only that the file is refused: the first step due that no connection can
// stand in for. Such a test then says it skipped, with this, so that the
// steps pending going untested shows in the run; a file of that step's
// version committed here gives the test its path back. Empty when every
// step due can be done for the connection alone.
inline std::string UnwrittenUntested(int version)
{
    for (const SchemaSteps::Step& step : SchemaSteps::Steps())
        if (step.from >= version && !step.forConnection)
            return "the steps pending over a file of version " + std::to_string(version) +
                   " went untested: the step from version " + std::to_string(step.from) + " (" + step.title +
                   ") cannot be done for a connection that cannot write, so the file is refused until it can "
                   "be";
    return {};
}

// What the steps due for the committed file do when it is opened, as the
// upgrade's listener hears it: the steps, the parts the bar counts, and
// the indexes made. All nought when none is due.
struct Work {
    int steps = 0;
    int parts = 0;
    int made = 0;
};
inline Work WorkOf(const char* name)
{
    struct Heard : IDataProgress {
        void UpgradeBegins(int steps, int parts) override
        {
            work.steps = steps;
            work.parts = parts;
        }
        Work work;
    } heard;
    QTemporaryDir dir;
    if (!dir.isValid() || !CopyTo(name, dir.path()))
        return {-1, -1, -1};
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(CMakeMsgID::DatabasePath(dir.path())).constData(), &db,
                    SQLITE_OPEN_READWRITE, nullptr);
    std::atomic<int> made = 0;
    sqlite3_trace_v2(
        db, SQLITE_TRACE_STMT,
        [](unsigned, void* count, void* statement, void*) {
            const QString sql = QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(statement)));
            if (sql.startsWith(QLatin1String("CREATE INDEX"), Qt::CaseInsensitive) ||
                sql.startsWith(QLatin1String("CREATE UNIQUE INDEX"), Qt::CaseInsensitive))
                ++*static_cast<std::atomic<int>*>(count);
            return 0;
        },
        &made);
    int rc = SQLITE_OK;
    bool pending = false;
    const int version = SchemaSteps::FileVersion(db, rc);
    const bool done = SchemaSteps::Upgrade(db, version, &heard, pending, rc) == 1 && !pending;
    sqlite3_close(db);
    if (!done)
        return {-1, -1, -1};
    heard.work.made = made;
    return heard.work;
}

} // namespace EarlierBuilds
