#include "platform/sql/ReportSql.h"

#include "platform/sql/ResultNames.h"

#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"

QString SqlName(const char* name)
{
    return u'"' % QString::fromUtf8(name) % u'"';
}

QString SqlDayAfter(const QDate& date)
{
    return SqlDate(date.addDays(1));
}

QString SqlPeriod(const QString& column, const QDate& from, const QDate& to)
{
    QStringList terms;
    if (from.isValid())
        terms << column % QStringLiteral(" >= ") % SqlDate(from);
    if (to.isValid())
        terms << column % QStringLiteral(" < ") % SqlDayAfter(to);
    return terms.join(QStringLiteral(" AND "));
}

QString SqlOneTime(const QString& codeColumn, const QString& slipValue, const QString& masterValue,
                   const QString& also)
{
    return QStringLiteral("iif(%1 = '%2'%5, %3, %4)")
        .arg(codeColumn, QString::fromUtf8(ONE_TIME_CODE), slipValue, masterValue,
             also.isEmpty() ? QString() : QStringLiteral(" AND ") % also);
}

QString SqlWhere(const QString& condition)
{
    return condition.isEmpty() ? QString() : QStringLiteral(" WHERE ") % condition;
}

ClassFilter MakeClassFilter(const QString& field, const QStringList& values)
{
    ClassFilter filter;
    if (field.isEmpty())
        return filter;
    // The name goes into the statement, so only the five fields pass.
    for (const char* name : {"Class1", "Class2", "Class3", "Class4", "Class5"}) {
        if (field.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            filter.field = QLatin1String(name);
            filter.values = values;
            return filter;
        }
    }
    filter.valid = false;
    return filter;
}

QString ClassFilter::Column(const QString& prefix) const
{
    return field.isEmpty() ? QString() : prefix % u'"' % field % u'"';
}

QString ClassFilter::Condition(const QString& prefix) const
{
    if (field.isEmpty() || values.isEmpty())
        return {};
    QStringList quoted;
    quoted.reserve(values.size());
    for (const QString& value : values)
        quoted << u'\'' % SqlQuote(value) % u'\'';
    return Column(prefix) % QStringLiteral(" IN (") % quoted.join(u',') % u')';
}

QString SqlStaff(const CTradeSide& t)
{
    // One seek a name in the header index by staff and date, instead of a
    // pass over every slip: the first spelling of a name is its earliest.
    return QStringLiteral(
               "WITH RECURSIVE N(MyPerson) AS (SELECT MIN(MyPerson) FROM %1 WHERE MyPerson > '' "
               "UNION ALL SELECT (SELECT MIN(MyPerson) FROM %1 WHERE MyPerson > N.MyPerson) FROM N "
               "WHERE N.MyPerson IS NOT NULL) SELECT MyPerson FROM N WHERE MyPerson IS NOT NULL")
        .arg(SqlName(t.header));
}

int MakeMonthLabels(int year, int startMonth, QStringList& labels, QList<int>* years, QList<int>* months)
{
    if (startMonth < 1 || startMonth > 12)
        return 0;
    for (int i = 0; i < 12; ++i) {
        const int month = (startMonth - 1 + i) % 12 + 1;
        const int labelYear = year + (startMonth - 1 + i) / 12;
        labels << QStringLiteral("%1/%2").arg(labelYear).arg(month);
        if (years)
            years->append(labelYear);
        if (months)
            months->append(month);
    }
    return 1;
}

QString SqlMonthIndex(const QString& column, const QDate& first)
{
    QString index = QStringLiteral("CASE");
    for (int month = 0; month <= 12; ++month)
        index += QStringLiteral(" WHEN %1 < %2 THEN %3")
                     .arg(column, SqlDate(first.addMonths(month)), QString::number(month));
    return index % QStringLiteral(" ELSE 13 END");
}

namespace
{

// The partners of the sub-select `partners` (Code, FirstDate) as F, each
// with its row S of the balance of all it booked, which the triggers keep
// (none for a partner who never booked anything). A join, not a sub-select
// in the columns: that would be looked up again for every slip summed.
QString WithBalance(const CTradeSide& t, const QString& partners)
{
    return QStringLiteral("(%1) AS F LEFT JOIN %2 AS S ON S.%3 = F.Code")
        .arg(partners, SqlName(t.booked), SqlName(t.code));
}

// Every closing of the partners `partners` (Code, FirstDate) from
// their FirstDate on, with its own slips and money: each closing's slips
// and money of its partner are one range of the SeikyuID indexes. The
// partners lead (CROSS JOIN keeps the order), so that only their closings
// are read. A slip or money counts for the closing it is booked to and for
// its own partner, whatever its date.
QString BookedToClosings(const CTradeSide& t, const QString& partners)
{
    return QStringLiteral(
               "SELECT K.ID, K.%1, K.CloseDate, S.Balance AS BookedBalance, "
               "COALESCE(SUM(%2), 0) AS SlipTotal, COALESCE(SUM(H.Amount), 0) AS SlipAmount, "
               "COALESCE(SUM(%3), 0) AS SlipTax, COALESCE(SUM(iif(H.DenpyoType = 0, 1, 0)), 0) AS SlipCount, "
               "MIN(H.ID) AS FirstSlipID, COALESCE((SELECT SUM(R.Amount) FROM %4 AS R WHERE R.SeikyuID = "
               "K.ID "
               "AND R.%1 = K.%1), 0) AS Booked FROM %5 CROSS JOIN %6 AS K ON K.%1 = F.Code AND "
               "K.CloseDate >= F.FirstDate LEFT JOIN %7 AS H ON H.SeikyuID = K.ID AND H.%1 = K.%1 "
               "GROUP BY K.ID")
        .arg(SqlName(t.code), SqlSlipBilled(QStringLiteral("H.")), SqlSlipTax(QStringLiteral("H.")),
             SqlName(t.money), WithBalance(t, partners), SqlName(t.closing), SqlName(t.header));
}

// The past of a partner at a closing (or a date): all it booked less what
// is booked to its closings from that one (that date) on, `later` summing
// those closings' rows of BookedToClosings. The one definition of the
// carried-over balance, whatever a slip's date or partner was changed to
// after its closing.
QString PastBalance(const QString& balance, const QString& later)
{
    return QStringLiteral("COALESCE(%1, 0) - COALESCE(%2, 0)")
        .arg(balance, later.arg(QStringLiteral("SlipTotal - C.Booked")));
}

} // namespace

QString ClosingSumsSql(const CTradeSide& t, const QString& closings)
{
    const QString code = SqlName(t.code), closing = SqlName(t.closing);
    // Every closing when no condition is given.
    const QString where = SqlWhere(closings);
    // The partners of the closings chosen, from the date of their first one.
    const QString partners =
        QStringLiteral("SELECT X.%1 AS Code, MIN(X.CloseDate) AS FirstDate FROM %2 AS X%3 "
                       "GROUP BY X.%1")
            .arg(code, closing, where);
    // The past of a closing leaves out this one and the later ones. The
    // running sums go over narrow rows; the chosen records join them after.
    const QString past =
        QStringLiteral(
            "SELECT C.ID AS SumID, C.SlipTotal, C.SlipAmount, C.SlipTax, C.SlipCount, C.FirstSlipID, "
            "C.Booked, %1 AS PastBalance FROM (%2) AS C "
            "WINDOW Later AS (PARTITION BY C.%3 ORDER BY C.CloseDate, C.ID "
            "ROWS BETWEEN CURRENT ROW AND UNBOUNDED FOLLOWING)")
            .arg(PastBalance(QStringLiteral("C.BookedBalance"), QStringLiteral("SUM(C.%1) OVER Later")),
                 BookedToClosings(t, partners), code);
    return QStringLiteral(
               "SELECT K.*, W.SlipTotal, W.SlipAmount, W.SlipTax, W.SlipCount, W.FirstSlipID, W.Booked, "
               "W.PastBalance FROM (%1) AS W CROSS JOIN %2 AS K ON K.ID = W.SumID%3")
        .arg(past, closing, where);
}

QString PastSumsSql(const CTradeSide& t, const QString& partners, const QDate& bound)
{
    const QString code = SqlName(t.code);
    // Each partner once, from the bound on: its closings of that date or
    // later are what its past leaves out. Most partners have none.
    const QString from = QStringLiteral("SELECT %1 AS Code, %2 AS FirstDate FROM (%3) GROUP BY %1")
                             .arg(code, SqlDate(bound), partners);
    return QStringLiteral("SELECT F.Code AS %1, %2 AS PastBalance FROM %3 LEFT JOIN (%4) AS C "
                          "ON C.%1 = F.Code GROUP BY F.Code")
        .arg(code, PastBalance(QStringLiteral("S.Balance"), QStringLiteral("SUM(C.%1)")),
             WithBalance(t, from), BookedToClosings(t, from));
}
