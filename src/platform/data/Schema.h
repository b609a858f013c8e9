#pragma once

#include <QString>
#include <QStringList>

#include <span>

// The database schema as one table of tables: it creates a new database,
// checks an opened one and types every result column.
namespace Schema
{

// Field types, the same numbers the record fields use.
enum FieldType { kText = 0, kDate = 1, kMoney = 2, kInteger = 3 };

struct FieldDef {
    const char* name; // exact column name ("E-mail", "Limit" ...)
    int type;         // FieldType
    int byteLimit;    // CP932 bytes for texts; 0 = no limit
    bool dateTime;    // dates that keep their time of day ('YYYY-MM-DD HH:MM:SS')
    bool code;        // a master code: over-long values are refused, not cut
};

struct TableDef {
    const char* name;
    std::span<const FieldDef> fields;
    bool workTable; // filled for the slip-form program; no AUTOINCREMENT rules
};

// Every table, in creation order.
std::span<const TableDef> Tables();

// The table of that name (ASCII case ignored), or null.
const TableDef* FindTable(const QString& name);

// The field of that name in the table (ASCII case ignored), or null.
const FieldDef* FindField(const TableDef& table, const QString& field);

// The statements that create an empty database: tables, indexes, seed rows.
// `now` is the creation time written into the seed rows.
QStringList CreateStatements(const QString& now);

// One index of the schema: its name, its table, its columns ("A,B,C") and
// the statement that creates it.
struct IndexSpec {
    QString name;
    QString table;
    QString columns;
    QString create;
};
QList<IndexSpec> Indexes();

// The schema version kept in PRAGMA user_version: where the last step of
// SchemaSteps leads.
int Version();

// The type of a computed result column by its name (前回請求額 is money,
// 最古 a date ...), or -1 when the catalogue does not know the name.
int ResultColumnType(const QString& alias);

} // namespace Schema
