#include "platform/sql/TransitionSql.h"

#include "platform/sql/ReportSql.h"
#include "platform/sql/ResultNames.h"

#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"

#include <QDate>

namespace
{

enum Kind { kPartner, kItemAmount, kItemQuantity, kStaff };

// By partner or product: each month's sum is read apart, from the lines of
// that code and month alone, through the line index led by the code and the
// date. One pass over the year with twelve conditional sums costs twelve
// additions a line; here a line is added once, and the code's lines outside
// the year are never read. The year's total adds the twelve months of the
// sub-select T; its OFFSET keeps SQLite from copying T's sub-selects into
// the outer columns, where each month would be read twice.
QString ByMaster(const SideTables& t, bool byItem, const QStringList& labels, const QDate& first,
                 const QString& value, const QString& lines, const ClassFilter& filter)
{
    const QString code = SqlName(byItem ? "ItemCode" : t.code);
    QStringList months, columns, total;
    for (int i = 0; i < 12; ++i) {
        const QString month = QStringLiteral("M%1").arg(i + 1);
        months << QStringLiteral("(SELECT COALESCE(SUM(%1), 0) FROM %2 AS B WHERE B.%3 = M.%3 AND "
                                 "B.\"Date\" >= %4 AND B.\"Date\" < %5 AND %6) AS %7")
                      .arg(value, SqlName(t.lines), code, SqlDate(first.addMonths(i)),
                           SqlDate(first.addMonths(i + 1)), lines, month);
        columns << QStringLiteral("T.%1 AS %2").arg(month, SqlName(labels.at(i).toUtf8().constData()));
        total << QStringLiteral("T.") % month;
    }
    QStringList keyList, outerList;
    const QStringList names = byItem ? QStringList{code, QStringLiteral("ItemName")}
                                     : QStringList{code, QStringLiteral("Company"),
                                                   QStringLiteral("\"Section\""), QStringLiteral("Name")};
    for (const QString& name : names) {
        keyList << QStringLiteral("M.") % name;
        outerList << QStringLiteral("T.") % name;
    }
    QString keys = keyList.join(QStringLiteral(", "));
    QString outer =
        outerList.join(QStringLiteral(", ")) %
        QStringLiteral(", (%1) AS %2").arg(total.join(QStringLiteral(" + ")), SqlName(RC_YEAR_TOTAL));
    QString order = QStringLiteral("T.") % code;
    if (!filter.field.isEmpty()) {
        keys += QStringLiteral(", ") % filter.Column(QStringLiteral("M."));
        outer += QStringLiteral(", ") % filter.Column(QStringLiteral("T."));
        order = filter.Column(QStringLiteral("T.")) % QStringLiteral(", ") % order;
    }
    return QStringLiteral(
               "SELECT %1, %2 FROM (SELECT %3, %4 FROM %5 AS M%6 LIMIT -1 OFFSET 0) AS T ORDER BY %7")
        .arg(outer, columns.join(QStringLiteral(", ")), keys, months.join(QStringLiteral(", ")),
             SqlName(byItem ? TB_ITEM : t.partner), SqlWhere(filter.Condition(QStringLiteral("M."))), order);
}

// By staff member: the named slips come in the order of the header index
// by staff and date, each slip's lines from the line index by header, which
// carries what is summed and the line's own date, so that the sums by staff
// and slip date need no sort. A line dated as its slip goes into that day's
// month with the day's sum; a line dated apart (or of a slip without a
// date) is counted apart and, where a day has any, its slips are read again
// for the month of each such line. Every named slip is read, whatever its
// date: its lines may lie in the year when it does not.
QString ByStaff(const SideTables& t, const QStringList& labels, const QDate& first, const QString& value,
                const QString& lines)
{
    const QString header = SqlName(t.header), body = SqlName(t.lines);
    const QString inYear = QStringLiteral("+B.\"Date\" >= %1 AND +B.\"Date\" < %2 AND %3")
                               .arg(SqlDate(first), SqlDate(first.addMonths(12)), lines);
    const QString byDay =
        QStringLiteral(
            "SELECT H.MyPerson AS Grp, H.\"Date\" AS Day, SUM(%1) AS V, SUM(%1) FILTER (WHERE +B.\"Date\" "
            "IS NOT H.\"Date\") AS Apart FROM %2 AS H CROSS JOIN %3 AS B ON B.HeaderID = H.ID "
            "WHERE H.MyPerson > '' AND %4 GROUP BY H.MyPerson, H.\"Date\"")
            .arg(value, header, body, inYear);
    QStringList months, sums, columns;
    for (int i = 0; i < 12; ++i) {
        const QString month = QStringLiteral("M%1").arg(i + 1);
        const QString from = SqlDate(first.addMonths(i)), to = SqlDate(first.addMonths(i + 1));
        // The lines dated apart of the day's slips that fall in this month.
        const QString apart =
            QStringLiteral(
                "(SELECT COALESCE(SUM(%1), 0) FROM %2 AS H CROSS JOIN %3 AS B ON B.HeaderID = H.ID "
                "WHERE H.MyPerson = D.Grp AND H.\"Date\" IS D.Day AND +B.\"Date\" IS NOT H.\"Date\" "
                "AND +B.\"Date\" >= %4 AND +B.\"Date\" < %5 AND %6)")
                .arg(value, header, body, from, to, lines);
        months << QStringLiteral("iif(D.Day >= %1 AND D.Day < %2, D.V - COALESCE(D.Apart, 0), 0) + "
                                 "iif(D.Apart IS NULL, 0, %3) AS %4")
                      .arg(from, to, apart, month);
        sums << QStringLiteral("SUM(%1) AS %1").arg(month);
        columns << QStringLiteral("COALESCE(S.%1, 0) AS %2")
                       .arg(month, SqlName(labels.at(i).toUtf8().constData()));
    }
    const QString byStaff =
        QStringLiteral("SELECT Grp, SUM(V) AS Total, %1 FROM (SELECT D.Grp, D.V, %2 FROM (%3) AS D) "
                       "GROUP BY Grp")
            .arg(sums.join(QStringLiteral(", ")), months.join(QStringLiteral(", ")), byDay);
    return QStringLiteral(
               "SELECT T.MyPerson, COALESCE(S.Total, 0) AS %1, %2 FROM (%3) AS T LEFT JOIN (%4) AS S "
               "ON S.Grp = T.MyPerson ORDER BY T.MyPerson")
        .arg(SqlName(RC_YEAR_TOTAL), columns.join(QStringLiteral(", ")), SqlStaff(t), byStaff);
}

QString Transition(Kind kind, int side, int year, int startMonth, const QString& classField,
                   const QStringList& classValues)
{
    QStringList labels;
    const ClassFilter filter = MakeClassFilter(classField, classValues);
    if (!MakeMonthLabels(year, startMonth, labels) || !filter.valid)
        return {};
    const SideTables& t = SideTablesOf(side);
    const QDate first(year, startMonth, 1);
    const QString value = kind == kItemQuantity
                              ? QStringLiteral("COALESCE(B.Number, 0)")
                              : QStringLiteral("COALESCE(B.Amount, 0) - COALESCE(B.IncludeTax, 0)");
    const QString lines = kind == kItemQuantity ? QStringLiteral("B.ItemType = 1")
                          : kind == kItemAmount ? QStringLiteral("B.ItemType IN (1, 2)")
                                                : QStringLiteral("B.ItemType <> 3");
    if (kind != kStaff)
        return ByMaster(t, kind != kPartner, labels, first, value, lines, filter);
    return ByStaff(t, labels, first, value, lines);
}

} // namespace

QString MakePartnerTransitionSQL(int side, int year, int startMonth, const QString& classField,
                                 const QStringList& classValues)
{
    return Transition(kPartner, side, year, startMonth, classField, classValues);
}

QString MakeItemAmountTransitionSQL(int side, int year, int startMonth, const QString& classField,
                                    const QStringList& classValues)
{
    return Transition(kItemAmount, side, year, startMonth, classField, classValues);
}

QString MakeItemQuantityTransitionSQL(int side, int year, int startMonth, const QString& classField,
                                      const QStringList& classValues)
{
    return Transition(kItemQuantity, side, year, startMonth, classField, classValues);
}

QString MakeStaffTransitionSQL(int side, int year, int startMonth)
{
    return Transition(kStaff, side, year, startMonth, QString(), QStringList());
}
