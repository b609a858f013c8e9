#pragma once

#include <QByteArray>

#include <sqlite3.h>

// A pragma's value as it reads back; false when it cannot be read.
inline bool ReadPragma(sqlite3* db, const QByteArray& name, qint64& value)
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray read = "PRAGMA " + name;
    const bool known = sqlite3_prepare_v2(db, read.constData(), -1, &statement, nullptr) == SQLITE_OK &&
                       sqlite3_step(statement) == SQLITE_ROW;
    if (known)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return known;
}

// A pragma set for the span of a scope and given back its old value; nothing
// changes when the old value cannot be read.
class CScopedPragma
{
  public:
    CScopedPragma(sqlite3* db, const char* name, qint64 value)
        : CScopedPragma(db, name, QByteArray::number(value))
    {
    }
    CScopedPragma(sqlite3* db, const char* name, const QByteArray& value) : m_db(db), m_name(name)
    {
        m_known = ReadPragma(m_db, m_name, m_old);
        if (m_known)
            Set(value);
    }
    ~CScopedPragma() { Restore(); }
    // Gives the old value back now, before the connection goes; the scope's
    // end then changes nothing.
    void Restore()
    {
        if (m_known)
            Set(Written(m_old));
        m_known = false;
    }
    CScopedPragma(const CScopedPragma&) = delete;
    CScopedPragma& operator=(const CScopedPragma&) = delete;

  private:
    void Set(const QByteArray& value)
    {
        const QByteArray sql = "PRAGMA " + m_name + '=' + value;
        sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr);
    }
    // The value read back, as it must be written to mean the same:
    // secure_delete reads its fast mode as 2, but takes a number as on or off.
    QByteArray Written(qint64 value) const
    {
        return m_name == "secure_delete" && value == 2 ? QByteArray("FAST") : QByteArray::number(value);
    }

    sqlite3* m_db;
    QByteArray m_name;
    qint64 m_old = 0;
    bool m_known = false;
};
