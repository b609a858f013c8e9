#include "platform/data/BookedTotals.h"

#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"

#include <sqlite3.h>

#include <algorithm>

#include <QRegularExpression>
#include <QSet>
#include <QStringBuilder>

namespace BookedTotals
{

namespace
{

QString Q(const QString& name)
{
    return u'"' % name % u'"';
}

QString Q(const char* name)
{
    return Q(QString::fromLatin1(name));
}

// "tr_sales_h_booked_ins" ...
QString TriggerName(const char* table, const char* event)
{
    return QStringLiteral("tr_%1_booked_%2").arg(QString::fromLatin1(table).toLower(), QLatin1String(event));
}

// A row `row` ("NEW", "OLD") counts when it is booked to a closing and has a code.
QString Booked(const CTradeSide& s, const QString& row)
{
    return QStringLiteral("%1.SeikyuID > 0 AND %1.%2 IS NOT NULL").arg(row, Q(s.code));
}

// Adds `amount` to the balance of the row's code when the row counts; the
// code's row is made on its first amount.
QString Add(const CTradeSide& s, const QString& row, const QString& amount)
{
    return QStringLiteral("INSERT INTO %1(%2, \"Balance\") SELECT %3.%2, %4 WHERE %5 ON CONFLICT(%2) "
                          "DO UPDATE SET \"Balance\" = \"Balance\" + excluded.\"Balance\";")
        .arg(Q(s.booked), Q(s.code), row, amount, Booked(s, row));
}

struct Header {
    const char* table;
    QString (*amount)(const QString& row); // what a booked row adds to the balance
    const char* changed;                   // the columns an update can change it by
};

QString SlipAmount(const QString& row)
{
    return SqlSlipBilled(row % u'.');
}

QString MoneyAmount(const QString& row)
{
    return QStringLiteral("-COALESCE(%1.Amount, 0)").arg(row);
}

QList<Header> Headers(const CTradeSide& s)
{
    return {{s.header, SlipAmount, "SeikyuID, %1, Amount, Tax, TaxType, DenpyoType"},
            {s.money, MoneyAmount, "SeikyuID, %1, Amount"}};
}

QString CreateTable(const CTradeSide& s)
{
    return QStringLiteral("CREATE TABLE %1 (\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT, %2 TEXT COLLATE NOCASE "
                          "NOT NULL UNIQUE, \"Balance\" MONEY NOT NULL DEFAULT 0)")
        .arg(Q(s.booked), Q(s.code));
}

// The booked rows' amounts summed by code, the slips and the money apart;
// only the slips and money rows `R` that meet the conditions, when given.
// Each header is summed by code first, so that only a few rows a code meet
// where the sums of both are merged, codes that differ in case alone with
// them. The booked rows are read from the SeikyuID index, which carries what
// is summed (the partner-code index holds no closing: through it, every row
// would be read), and their codes sorted as bytes, cheaper than by case.
QString Amounts(const CTradeSide& s, const QString& slipsWhere = QString(),
                const QString& moneyWhere = QString())
{
    const QString row = QStringLiteral("R");
    const auto also = [](const QString& where) {
        return where.isEmpty() ? QString() : QStringLiteral(" AND (%1)").arg(where);
    };
    return QStringLiteral(
               "SELECT R.%1 AS code, SUM(%2) AS v FROM %3 AS R WHERE %4%7 GROUP BY R.%1 COLLATE "
               "BINARY UNION ALL SELECT R.%1, SUM(%5) FROM %6 AS R WHERE %4%8 GROUP BY R.%1 COLLATE "
               "BINARY")
        .arg(Q(s.code), SlipAmount(row), Q(s.header), Booked(s, row), MoneyAmount(row), Q(s.money),
             also(slipsWhere), also(moneyWhere));
}

QString Fill(const CTradeSide& s)
{
    return QStringLiteral(
               "INSERT INTO %1(%2, \"Balance\") SELECT code, SUM(v) FROM (%3) GROUP BY code COLLATE NOCASE")
        .arg(Q(s.booked), Q(s.code), Amounts(s));
}

// Runs the statements in order; at the first failure its code goes into `rc`
// and an open transaction is rolled back.
bool Run(sqlite3* db, const QStringList& work, int& rc)
{
    for (const QString& sql : work) {
        rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            if (!sqlite3_get_autocommit(db))
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
    }
    return true;
}

} // namespace

const Side& Sales()
{
    static const Side side{CTradeSide::Sales(), CTradeSide::Sales().booked};
    return side;
}

const Side& Purchases()
{
    static const Side side{CTradeSide::Purchases(), CTradeSide::Purchases().booked};
    return side;
}

QStringList CreateTriggers(const CTradeSide& s)
{
    QStringList statements;
    for (const Header& h : Headers(s)) {
        const QString on = Q(h.table);
        const QString added = Add(s, QStringLiteral("NEW"), h.amount(QStringLiteral("NEW")));
        const QString taken =
            Add(s, QStringLiteral("OLD"), QStringLiteral("-(%1)").arg(h.amount(QStringLiteral("OLD"))));
        statements << QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 WHEN %3 BEGIN %4 END")
                          .arg(Q(TriggerName(h.table, "ins")), on, Booked(s, QStringLiteral("NEW")), added)
                   << QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON %2 WHEN %3 BEGIN %4 END")
                          .arg(Q(TriggerName(h.table, "del")), on, Booked(s, QStringLiteral("OLD")), taken)
                   << QStringLiteral(
                          "CREATE TRIGGER %1 AFTER UPDATE OF %2 ON %3 WHEN (%4) OR (%5) BEGIN %6 %7 END")
                          .arg(Q(TriggerName(h.table, "upd")), QString::fromLatin1(h.changed).arg(Q(s.code)),
                               on, Booked(s, QStringLiteral("OLD")), Booked(s, QStringLiteral("NEW")), taken,
                               added);
    }
    return statements;
}

QString MismatchSql(const CTradeSide& s)
{
    // What a code has booked is what all its rows add less what its unbooked
    // rows add. Both are summed in code order without a sort: all rows from
    // the partner-code index, which carries what is summed, and the unbooked
    // ones, few, from the SeikyuID index. Only the per-partner sums meet the
    // balances.
    const QString row = QStringLiteral("R");
    const auto byCode = [&](const char* table, const QString& amount) {
        return QStringLiteral(
                   "SELECT R.%1 AS code, SUM(%2) AS v FROM %3 AS R WHERE R.%1 IS NOT NULL GROUP BY "
                   "R.%1 UNION ALL SELECT R.%1, -SUM(%2) FROM %3 AS R WHERE (R.SeikyuID <= 0 OR "
                   "R.SeikyuID IS NULL) AND R.%1 IS NOT NULL GROUP BY R.%1 COLLATE BINARY")
            .arg(Q(s.code), amount, Q(table));
    };
    return QStringLiteral(
               "SELECT code FROM (%1 UNION ALL %2 UNION ALL SELECT %3, -\"Balance\" FROM %4) GROUP BY "
               "code COLLATE NOCASE HAVING SUM(v) <> 0 LIMIT 1")
        .arg(byCode(s.header, SlipAmount(row)), byCode(s.money, MoneyAmount(row)), Q(s.code), Q(s.booked));
}

QString BookedAmountsSql(const CTradeSide& s, const QString& slipsWhere, const QString& moneyWhere)
{
    return Amounts(s, slipsWhere, moneyWhere);
}

QString TakeAwaySql(const CTradeSide& s, const QString& sums, const QString& column)
{
    return QStringLiteral(
               "UPDATE %1 SET \"Balance\" = \"Balance\" - (SELECT S.%3 FROM %4 AS S WHERE S.code = %1.%2) "
               "WHERE %2 IN (SELECT code FROM %4)")
        .arg(Q(s.booked), Q(s.code), column, sums);
}

QStringList RefillSql(const CTradeSide& s)
{
    return {QStringLiteral("DELETE FROM ") % Q(s.booked), Fill(s)};
}

QStringList DropTriggers(const CTradeSide& s)
{
    QStringList statements;
    for (const Header& h : Headers(s))
        for (const char* event : {"ins", "del", "upd"})
            statements << QStringLiteral("DROP TRIGGER IF EXISTS ") % Q(TriggerName(h.table, event));
    return statements;
}

QStringList Definitions()
{
    QStringList statements;
    for (const CTradeSide* s : CTradeSide::Both())
        statements << CreateTable(*s) << CreateTriggers(*s);
    return statements;
}

int MakeMissing(sqlite3* db, bool& remade, int& rc, QString& message)
{
    remade = false;
    rc = SQLITE_OK;
    QSet<QString> found;
    sqlite3_stmt* statement = nullptr;
    rc = sqlite3_prepare_v2(db,
                            "SELECT lower(name) FROM main.sqlite_master WHERE type IN ('table', 'trigger')",
                            -1, &statement, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
        found.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
        rc = SQLITE_OK;
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) {
        message = QString::fromUtf8(sqlite3_errmsg(db));
        return 0;
    }
    rc = SQLITE_OK;
    QStringList work;
    for (const CTradeSide* s : CTradeSide::Both()) {
        QStringList names{QString::fromLatin1(s->booked).toLower()};
        for (const Header& h : Headers(*s))
            for (const char* event : {"ins", "del", "upd"})
                names << TriggerName(h.table, event);
        if (std::all_of(names.cbegin(), names.cend(),
                        [&found](const QString& name) { return found.contains(name); }))
            continue;
        // Summed afresh from the headers, which hold everything they keep.
        work << DropTriggers(*s) << QStringLiteral("DROP TABLE IF EXISTS main.") % Q(s->booked)
             << CreateTable(*s) << Fill(*s) << CreateTriggers(*s);
    }
    if (work.isEmpty())
        return 1;
    work.prepend(QStringLiteral("BEGIN IMMEDIATE"));
    work << QStringLiteral("COMMIT");
    for (const QString& sql : work) {
        rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            message = QString::fromUtf8(sqlite3_errmsg(db));
            if (!sqlite3_get_autocommit(db))
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return 0;
        }
    }
    remade = true;
    return 1;
}

int KeepForConnection(sqlite3* db, int& rc)
{
    // Temporary objects hide those of the file by the same names, and
    // temporary triggers may fill a temporary table from the file's headers.
    const auto temporary = [](QStringList statements) {
        for (QString& sql : statements)
            sql.replace(QRegularExpression(QStringLiteral("^CREATE (TABLE|TRIGGER)")),
                        QStringLiteral("CREATE TEMP \\1"));
        return statements;
    };
    QStringList work{QStringLiteral("BEGIN")};
    for (const CTradeSide* s : CTradeSide::Both())
        work << temporary({CreateTable(*s)}) << Fill(*s) << temporary(CreateTriggers(*s));
    work << QStringLiteral("COMMIT");
    return Run(db, work, rc) ? 1 : 0;
}

QStringList DropForConnection()
{
    QStringList statements;
    for (const CTradeSide* s : CTradeSide::Both()) {
        for (const Header& h : Headers(*s))
            for (const char* event : {"ins", "del", "upd"})
                statements << QStringLiteral("DROP TRIGGER IF EXISTS temp.") % Q(TriggerName(h.table, event));
        statements << QStringLiteral("DROP TABLE IF EXISTS temp.") % Q(s->booked);
    }
    return statements;
}

} // namespace BookedTotals
