#include "platform/lookup/DictionaryFile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace
{

struct CTableDef {
    const char* kind;
    const char* create;
    const char* insert;
    int columns;
};

const CTableDef kTables[] = {
    {"postal",
     "CREATE TABLE postal(postcode TEXT NOT NULL, pref TEXT NOT NULL, city TEXT NOT NULL, town TEXT NOT NULL,"
     " rest TEXT NOT NULL);"
     "CREATE INDEX postal_postcode ON postal(postcode);"
     "CREATE INDEX postal_address ON postal(pref, city, town, rest);",
     "INSERT INTO postal VALUES(?, ?, ?, ?, ?)", 5},
    {"corporate",
     "CREATE TABLE corporate(postcode TEXT NOT NULL, company TEXT NOT NULL, address TEXT NOT NULL,"
     " pref TEXT NOT NULL, city TEXT NOT NULL);"
     "CREATE INDEX corporate_postcode ON corporate(postcode);"
     "CREATE INDEX corporate_address ON corporate(pref, city);",
     "INSERT INTO corporate VALUES(?, ?, ?, ?, ?)", 5},
    {"telephone",
     "CREATE TABLE telephone(number TEXT NOT NULL, kind INTEGER NOT NULL, sub INTEGER NOT NULL,"
     " telephone TEXT NOT NULL, postcode TEXT NOT NULL, name TEXT NOT NULL, address1 TEXT NOT NULL,"
     " address2 TEXT NOT NULL, address3 TEXT NOT NULL, address4 TEXT NOT NULL);"
     "CREATE INDEX telephone_number ON telephone(number);",
     "INSERT INTO telephone VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", 10},
};

const CTableDef* FindTable(const char* kind)
{
    for (const CTableDef& table : kTables)
        if (qstrcmp(table.kind, kind) == 0)
            return &table;
    return nullptr;
}

QString InfoValue(sqlite3* db, const char* key)
{
    sqlite3_stmt* stmt = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, "SELECT value FROM dic_info WHERE key = ?", -1, &stmt, nullptr) != SQLITE_OK)
        return value;
    sqlite3_bind_text(stmt, 1, key, -1, SQLITE_STATIC);
    if (sqlite3_step(stmt) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return value;
}

} // namespace

CDictionaryFile::Result CDictionaryFile::Open(const QString& path, const char* kind)
{
    Close();
    m_strPath = path;
    if (!QFileInfo(path).isFile())
        return MISSING;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_pDb, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        Close();
        return BROKEN;
    }
    // A file that is not a database fails on its first read, here.
    if (InfoValue(m_pDb, "kind") != QLatin1String(kind)) {
        Close();
        return BROKEN;
    }
    if (InfoValue(m_pDb, "version") != QString::number(kDictionaryVersion)) {
        Close();
        return OTHER_VERSION;
    }
    return OK;
}

void CDictionaryFile::Close()
{
    if (m_pDb)
        sqlite3_close(m_pDb);
    m_pDb = nullptr;
}

bool WriteDictionary(const QString& path, const char* kind, const QList<QStringList>& rows,
                     const QString& source)
{
    const CTableDef* table = FindTable(kind);
    if (!table)
        return false;
    const QString temp = path + QStringLiteral(".tmp");
    QFile::remove(temp);
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(temp).constData(), &db) == SQLITE_OK;
    const auto exec = [&](const char* sql) {
        ok = ok && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    exec("BEGIN");
    exec("CREATE TABLE dic_info(key TEXT PRIMARY KEY, value TEXT NOT NULL)");
    exec(table->create);
    sqlite3_stmt* info = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "INSERT INTO dic_info VALUES(?, ?)", -1, &info, nullptr) == SQLITE_OK;
    const QList<QPair<QByteArray, QByteArray>> infos{
        {"kind", kind}, {"version", QByteArray::number(kDictionaryVersion)}, {"source", source.toUtf8()}};
    for (const auto& [key, value] : infos) {
        if (!ok)
            break;
        sqlite3_bind_text(info, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(info, 2, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        ok = sqlite3_step(info) == SQLITE_DONE && sqlite3_reset(info) == SQLITE_OK;
    }
    sqlite3_finalize(info);
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db, table->insert, -1, &insert, nullptr) == SQLITE_OK;
    for (const QStringList& row : rows) {
        if (!ok)
            break;
        for (int i = 0; i < table->columns; ++i) {
            const QByteArray text = row.value(i).toUtf8();
            sqlite3_bind_text(insert, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
    }
    sqlite3_finalize(insert);
    exec("COMMIT");
    sqlite3_close(db);
    if (ok) {
        QFile::remove(path);
        ok = QFile::rename(temp, path);
    }
    if (!ok)
        QFile::remove(temp);
    return ok;
}
