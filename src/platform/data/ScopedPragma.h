#pragma once

#include <QByteArray>

#include <sqlite3.h>

// A pragma set for the span of a scope and given back its old value; nothing
// changes when the old value cannot be read.
class CScopedPragma
{
  public:
    CScopedPragma(sqlite3* db, const char* name, qint64 value) : m_db(db), m_name(name)
    {
        sqlite3_stmt* statement = nullptr;
        const QByteArray read = "PRAGMA " + m_name;
        if (sqlite3_prepare_v2(m_db, read.constData(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            m_old = sqlite3_column_int64(statement, 0);
            m_known = true;
        }
        sqlite3_finalize(statement);
        if (m_known)
            Set(value);
    }
    ~CScopedPragma()
    {
        if (m_known)
            Set(m_old);
    }
    CScopedPragma(const CScopedPragma&) = delete;
    CScopedPragma& operator=(const CScopedPragma&) = delete;

  private:
    void Set(qint64 value)
    {
        const QByteArray sql = "PRAGMA " + m_name + '=' + QByteArray::number(value);
        sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr);
    }

    sqlite3* m_db;
    QByteArray m_name;
    qint64 m_old = 0;
    bool m_known = false;
};
