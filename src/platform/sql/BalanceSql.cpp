#include "platform/sql/BalanceSql.h"

#include "platform/sql/ReportSql.h"
#include "platform/sql/ResultNames.h"

#include "platform/data/SqlText.h"

namespace
{

QString Balance(const CTradeSide& side, const QDate& fromDate, const QDate& toDate, const QString& classField,
                const QStringList& classValues, bool activeOnly)
{
    const ClassFilter filter = MakeClassFilter(classField, classValues);
    if (!filter.valid)
        return {};
    const CTradeSide& t = side;
    const QString code = SqlName(t.code), d0 = SqlDate(fromDate), d1 = SqlDayAfter(toDate);
    // The balance brought forward is the booked balance less what was booked
    // from the period's start on, plus what no closing booked before it: the
    // statement reads the period and what follows it (one range of the date
    // index, which carries what is summed) and the unbooked rows (one range
    // of the SeikyuID index), never the years before: "+" keeps the planner
    // from a walk of the whole code index for the order of the groups, or of
    // the date index up to the period. A slip counts what it bills, its
    // amount and the tax it carries, as in the booked balance, the closings
    // and the invoices: a Total another program wrote otherwise would move
    // the balance between one period's end and the next one's start.
    struct Sums {
        QString from, before;
    };
    // `now`: a row's figure; `later`: what a booked row added to the booked
    // balance; `counted`: which rows of the period count as slips.
    auto sums = [&](const char* table, const QString& now, const QString& later, const QString& counted) {
        return Sums{
            QStringLiteral("SELECT %1, SUM(iif(\"Date\" < %2, %3, 0)) AS Now, SUM(iif(\"Date\" < %2%4, 1, "
                           "0)) AS Slips, SUM(iif(SeikyuID > 0, %5, 0)) AS Later FROM %6 WHERE \"Date\" >= "
                           "%7 GROUP BY +%1")
                .arg(code, d1, now, counted, later, SqlName(table), d0),
            QStringLiteral("SELECT %1, SUM(%2) AS Past FROM %3 WHERE (SeikyuID <= 0 OR SeikyuID IS NULL) "
                           "AND +\"Date\" < %4 GROUP BY +%1")
                .arg(code, now, SqlName(table), d0)};
    };
    const Sums slips =
        sums(t.header, SqlSlipBilled(), SqlSlipBilled(), QStringLiteral(" AND DenpyoType = 0"));
    const Sums money =
        sums(t.money, QStringLiteral("Amount"), QStringLiteral("-COALESCE(Amount, 0)"), QString());
    const QString prev =
        QStringLiteral("(COALESCE(T1.Collect, 0) + COALESCE(B.Balance, 0) - COALESCE(T3.Later, 0) + "
                       "COALESCE(U3.Past, 0) - COALESCE(T2.Later, 0) - COALESCE(U2.Past, 0))");
    const QString sold = QStringLiteral("COALESCE(T3.Now, 0)"), paid = QStringLiteral("COALESCE(T2.Now, 0)");
    const QString balance = QStringLiteral("(%1 + %2 - %3)").arg(prev, sold, paid);

    QString columns =
        QStringLiteral(
            "iif(COALESCE(T3.Slips, 0) + COALESCE(T2.Slips, 0) > 0, 1, 0) AS %1, T1.%2, T1.Company, "
            "T1.\"Section\", T1.Name, %3 AS %4, %5 AS %6, %7 AS %8, %9 AS %10")
            .arg(SqlName(RC_KIND), code, prev, SqlName(RC_PREV_BALANCE), sold, SqlName(t.dueAmount), paid,
                 SqlName(t.received), balance, SqlName(RC_BALANCE));
    // A credit limit of 0 is no limit.
    if (!side.IsPurchases())
        columns += QStringLiteral(", NULLIF(T1.Ceiling, 0) AS Ceiling, "
                                  "iif(COALESCE(T1.Ceiling, 0) = 0, NULL, T1.Ceiling - %1) AS %2")
                       .arg(balance, SqlName(RC_CREDIT_LEFT));
    if (!filter.field.isEmpty())
        columns += QStringLiteral(", ") % filter.Column(QStringLiteral("T1."));

    QStringList where;
    if (!filter.Condition(QStringLiteral("T1.")).isEmpty())
        where << filter.Condition(QStringLiteral("T1."));
    // Any non-zero figure keeps a partner: returns and overpayments too.
    if (activeOnly)
        where << QStringLiteral("(%1 <> 0 OR %2 <> 0 OR %3 <> 0)").arg(sold, paid, prev);
    QString order = QStringLiteral("T1.") % code;
    if (!filter.field.isEmpty())
        order = filter.Column(QStringLiteral("T1.")) % QStringLiteral(", ") % order;
    return QStringLiteral("SELECT %1 FROM %2 AS T1 LEFT JOIN %8 AS B ON B.%4 = T1.%4 LEFT JOIN (%3) AS T3 "
                          "ON T3.%4 = T1.%4 LEFT JOIN (%9) AS U3 ON U3.%4 = T1.%4 LEFT JOIN (%5) AS T2 "
                          "ON T2.%4 = T1.%4 LEFT JOIN (%10) AS U2 ON U2.%4 = T1.%4%6 ORDER BY %7")
        .arg(columns, SqlName(t.partner), slips.from, code, money.from,
             where.isEmpty() ? QString() : QStringLiteral(" WHERE ") % where.join(QStringLiteral(" AND ")),
             order, SqlName(t.booked), slips.before, money.before);
}

} // namespace

QString MakeReceivableBalanceSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                                 const QStringList& classValues, bool activeOnly)
{
    return Balance(CTradeSide::Sales(), fromDate, toDate, classField, classValues, activeOnly);
}

QString MakePayableBalanceSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                              const QStringList& classValues, bool activeOnly)
{
    return Balance(CTradeSide::Purchases(), fromDate, toDate, classField, classValues, activeOnly);
}
