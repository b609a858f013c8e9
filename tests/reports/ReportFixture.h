#pragma once

#include "platform/data/DataTestUtil.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <utility>

// One value of a fixture row: text, whole number, money (written as decimal
// text, "30000.5") or day.
class FixtureValue
{
  public:
    FixtureValue(int value) : m_kind(kInteger), m_integer(value) {}
    FixtureValue(const char* text) : m_kind(kText), m_text(QString::fromUtf8(text)) {}
    FixtureValue(const QDate& date) : m_kind(kDate), m_date(date) {}
    static FixtureValue Money(const char* amount);
    static FixtureValue Null();

    void Put(COneRecord& record, const QString& name) const;

  private:
    enum Kind { kText, kInteger, kMoney, kDate, kNull };
    FixtureValue(Kind kind, const QString& text) : m_kind(kind), m_text(text) {}

    Kind m_kind;
    int m_integer = 0;
    QString m_text;
    QDate m_date;
};

inline FixtureValue Yen(const char* amount)
{
    return FixtureValue::Money(amount);
}

using FixtureRow = std::initializer_list<std::pair<const char*, FixtureValue>>;

// A fresh database holding a small trading world whose figures are worked by
// hand in ReportFixture.cpp: customers and suppliers with opening balances
// and closing days, the one-time partner "　", slips of both kinds and of
// tax types 1-3, money booked to closings and not, open and settled
// closings of the account and per-slip invoices, the transfer fee table,
// slip lines of every kind and tax flag with returns and staff names,
// tracked and untracked products, stock movements, money lines, a quote
// and an order.
// The rows are named ("K1C2", "S5") so that tests can refer to them.
class ReportFixture : public DatabaseTest
{
  protected:
    void SetUp() override;

    // Inserts one record through the data-access library; answers its ID.
    int Insert(const char* table, FixtureRow fields, const char* name = nullptr);
    // The ID of a named row of the world.
    int Id(const char* name) const;
    // Runs a whole statement through GetDataList; fails the test unless it
    // answers 1.
    CCDSData Rows(const QString& statement);
    // Runs a SQL statement that changes rows; fails the test on failure.
    void Exec(const QString& sql);

    // A statement's rows as they must come: the named fields of every row,
    // in order.
    struct RowsCase {
        const char* what;
        std::function<QString()> build;
        QStringList fields;
        QStringList rows;
    };
    void ExpectRows(std::initializer_list<RowsCase> cases);

  public:
    // The fields of one row as text (money in plain decimals, "" for none).
    static QStringList Values(const CCDSData& rows, int row, const QStringList& fields);
    // One field of every row.
    static QStringList Column(const CCDSData& rows, const QString& field);
    // The fields of every row, each row joined by '|'.
    static QStringList Table(const CCDSData& rows, const QStringList& fields);

  private:
    void BuildSales();
    void BuildPurchases();
    void BuildLines();

    QHash<QString, int> m_ids;
};
