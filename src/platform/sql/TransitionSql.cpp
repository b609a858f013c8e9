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
    // The staff: one row per staff member with a column per month. A member
    // has many lines a day: they are summed by day first.
    const QString byDay =
        QStringLiteral(
            "SELECT H.MyPerson AS Grp, B.\"Date\" AS Day, SUM(%1) AS V FROM %2 AS H INNER JOIN %3 AS B "
            "ON B.HeaderID = H.ID WHERE +B.\"Date\" >= %4 AND +B.\"Date\" < %5 AND %6 "
            "GROUP BY H.MyPerson, B.ItemType, B.\"Date\"")
            .arg(value, SqlName(t.header), SqlName(t.lines), SqlDate(first), SqlDate(first.addMonths(12)),
                 lines);
    // Sums up to each month's end (one comparison a line); a month is the
    // difference of two of them.
    QStringList months, columns;
    for (int i = 0; i < 12; ++i) {
        const QString label = SqlName(labels.at(i).toUtf8().constData());
        const QString upTo = QStringLiteral("S.U%1").arg(i + 1);
        if (i < 11)
            months << QStringLiteral("SUM(iif(Day < %1, V, 0)) AS U%2").arg(SqlDate(first.addMonths(i + 1)), QString::number(i + 1));
        const QString end = i < 11 ? upTo : QStringLiteral("S.Total");
        columns << (i == 0 ? QStringLiteral("COALESCE(%1, 0) AS %2").arg(end, label)
                           : QStringLiteral("(COALESCE(%1, 0) - COALESCE(S.U%2, 0)) AS %3").arg(end, QString::number(i), label));
    }
    const QString sums =
        QStringLiteral("SELECT Grp, SUM(V) AS Total, %1 FROM (%2) GROUP BY Grp").arg(months.join(QStringLiteral(", ")), byDay);
    return QStringLiteral(
               "SELECT T.MyPerson, COALESCE(S.Total, 0) AS %1, %2 FROM (%3) AS T LEFT JOIN (%4) AS S "
               "ON S.Grp = T.MyPerson ORDER BY T.MyPerson")
        .arg(SqlName(RC_YEAR_TOTAL), columns.join(QStringLiteral(", ")), SqlStaff(t), sums);
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
