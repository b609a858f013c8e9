#include "reports/sql/TransitionSql.h"

#include "reports/sql/ReportSql.h"
#include "reports/sql/ResultNames.h"

#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"

#include <QDate>

namespace
{

enum Kind { kPartner, kItemAmount, kItemQuantity, kStaff };

QString Transition(Kind kind, int side, int year, int startMonth, const QString& classField,
                   const QStringList& classValues)
{
    QStringList labels;
    const ClassFilter filter = MakeClassFilter(classField, classValues);
    if (!MakeMonthLabels(year, startMonth, labels) || !filter.valid)
        return {};
    const SideTables& t = SideTablesOf(side);
    const QDate first(year, startMonth, 1);
    const QString value = kind == kItemQuantity ? QStringLiteral("COALESCE(B.Number, 0)")
                                                : QStringLiteral("COALESCE(B.Amount, 0) - COALESCE(B.IncludeTax, 0)");
    const QString lines = kind == kItemQuantity ? QStringLiteral("B.ItemType = 1")
                          : kind == kItemAmount ? QStringLiteral("B.ItemType IN (1, 2)")
                                                : QStringLiteral("B.ItemType <> 3");
    const bool byItem = kind == kItemAmount || kind == kItemQuantity;
    const QString code = SqlName(byItem ? "ItemCode" : t.code);
    QString key = QStringLiteral("B.") % code;
    QString from = SqlName(t.lines) % QStringLiteral(" AS B");
    if (kind == kStaff) {
        key = QStringLiteral("H.MyPerson");
        from = QStringLiteral("%1 AS H INNER JOIN %2 AS B ON B.HeaderID = H.ID").arg(SqlName(t.header), SqlName(t.lines));
    }
    // One row per key with a column per month. A partner has many lines a
    // day: they are summed by day first, in the order of the line index;
    // products seldom have, so their lines are read as they are.
    QString byDay = QStringLiteral("SELECT %1 AS Grp, B.\"Date\" AS Day, %2 AS V FROM %3 WHERE +B.\"Date\" >= %4 "
                                   "AND +B.\"Date\" < %5 AND %6")
                        .arg(key, byItem ? value : QStringLiteral("SUM(%1)").arg(value), from, SqlDate(first),
                             SqlDate(first.addMonths(12)), lines);
    if (!byItem)
        byDay += QStringLiteral(" GROUP BY %1, B.ItemType, B.\"Date\"").arg(key);
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
    const QString total = QStringLiteral("COALESCE(S.Total, 0) AS ") % SqlName(RC_YEAR_TOTAL);

    if (kind == kStaff) {
        const QString staff = SqlStaff(t);
        return QStringLiteral("SELECT T.MyPerson, %1, %2 FROM (%3) AS T LEFT JOIN (%4) AS S ON S.Grp = T.MyPerson "
                              "ORDER BY T.MyPerson")
            .arg(total, columns.join(QStringLiteral(", ")), staff, sums);
    }
    QString keys = byItem ? QStringLiteral("M.ItemCode, M.ItemName")
                          : QStringLiteral("M.%1, M.Company, M.\"Section\", M.Name").arg(code);
    keys += QStringLiteral(", ") % total;
    QString order = QStringLiteral("M.") % code;
    if (!filter.field.isEmpty()) {
        keys += QStringLiteral(", ") % filter.Column(QStringLiteral("M."));
        order = filter.Column(QStringLiteral("M.")) % QStringLiteral(", ") % order;
    }
    return QStringLiteral("SELECT %1, %2 FROM %3 AS M LEFT JOIN (%4) AS S ON S.Grp = M.%5%6 ORDER BY %7")
        .arg(keys, columns.join(QStringLiteral(", ")), SqlName(byItem ? TB_ITEM : t.partner), sums, code,
             SqlWhere(filter.Condition(QStringLiteral("M."))), order);
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
