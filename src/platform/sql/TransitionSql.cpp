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
QString ByMaster(const CTradeSide& t, bool byItem, const QStringList& labels, const QDate& first,
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

// By staff member: each month is read apart, from the line index by date,
// where a day's lines of one slip, item type and tax rate lie together;
// summed so, they need the slip's staff once, and only the month's slips are
// sorted by staff. So the lines of the year alone are read, each in the
// month of its own date, whatever the date of its slip. The staff are
// grouped as written first and without regard to case at the end, which
// costs the sort of a month's slips less. Every name of a slip is a row,
// also without lines in the year.
QString ByStaff(const CTradeSide& t, const QStringList& labels, const QDate& first, const QString& value,
                const QString& lines)
{
    const QString header = SqlName(t.header), body = SqlName(t.lines);
    QStringList months, columns;
    for (int i = 0; i < 12; ++i) {
        months << QStringLiteral(
                      "SELECT %1 AS Mo, H.MyPerson AS Grp, SUM(P.V) AS V FROM (SELECT B.HeaderID AS Slip, "
                      "SUM(%2) AS V FROM %3 AS B WHERE B.\"Date\" >= %4 AND B.\"Date\" < %5 AND %6 "
                      "GROUP BY B.\"Date\", B.ItemType, B.TaxFlg, B.HeaderID) AS P "
                      "CROSS JOIN %7 AS H ON H.ID = P.Slip WHERE H.MyPerson > '' "
                      "GROUP BY H.MyPerson COLLATE BINARY")
                      .arg(i + 1)
                      .arg(value, body, SqlDate(first.addMonths(i)), SqlDate(first.addMonths(i + 1)), lines,
                           header);
        columns << QStringLiteral("COALESCE(SUM(S.V) FILTER (WHERE S.Mo = %1), 0) AS %2")
                       .arg(i + 1)
                       .arg(SqlName(labels.at(i).toUtf8().constData()));
    }
    return QStringLiteral(
               "SELECT T.MyPerson, COALESCE(SUM(S.V), 0) AS %1, %2 FROM (%3) AS T LEFT JOIN (%4) AS S "
               "ON S.Grp = T.MyPerson COLLATE NOCASE GROUP BY T.MyPerson COLLATE NOCASE "
               "ORDER BY T.MyPerson COLLATE NOCASE")
        .arg(SqlName(RC_YEAR_TOTAL), columns.join(QStringLiteral(", ")), SqlStaff(t),
             months.join(QStringLiteral(" UNION ALL ")));
}

QString Transition(Kind kind, const CTradeSide& side, int year, int startMonth, const QString& classField,
                   const QStringList& classValues)
{
    QStringList labels;
    const ClassFilter filter = MakeClassFilter(classField, classValues);
    if (!MakeMonthLabels(year, startMonth, labels) || !filter.valid)
        return {};
    const CTradeSide& t = side;
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

QString MakePartnerTransitionSQL(const CTradeSide& side, int year, int startMonth, const QString& classField,
                                 const QStringList& classValues)
{
    return Transition(kPartner, side, year, startMonth, classField, classValues);
}

QString MakeItemAmountTransitionSQL(const CTradeSide& side, int year, int startMonth,
                                    const QString& classField, const QStringList& classValues)
{
    return Transition(kItemAmount, side, year, startMonth, classField, classValues);
}

QString MakeItemQuantityTransitionSQL(const CTradeSide& side, int year, int startMonth,
                                      const QString& classField, const QStringList& classValues)
{
    return Transition(kItemQuantity, side, year, startMonth, classField, classValues);
}

QString MakeStaffTransitionSQL(const CTradeSide& side, int year, int startMonth)
{
    return Transition(kStaff, side, year, startMonth, QString(), QStringList());
}
