#include "platform/sql/TransitionSql.h"

#include "platform/sql/ReportSql.h"
#include "platform/sql/ResultNames.h"

#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"

#include <QDate>

namespace
{

enum Kind { kPartner, kItemAmount, kItemQuantity, kStaff };

// By product: each month's sum is read apart, from the lines of that product
// and month alone, through the line index led by product code and date. One
// pass over the year with twelve conditional sums costs twelve additions a
// line; here a line is added once, and the product's lines outside the year
// are never read. The year's total adds the twelve months of the sub-select
// T; its OFFSET keeps SQLite from copying T's sub-selects into the outer
// columns, where each month would be read twice.
QString ByItem(const SideTables& t, const QStringList& labels, const QDate& first, const QString& value,
               const QString& lines, const ClassFilter& filter)
{
    QStringList months, columns, total;
    for (int i = 0; i < 12; ++i) {
        const QString month = QStringLiteral("M%1").arg(i + 1);
        months << QStringLiteral("(SELECT COALESCE(SUM(%1), 0) FROM %2 AS B WHERE B.ItemCode = M.ItemCode AND "
                                 "B.\"Date\" >= %3 AND B.\"Date\" < %4 AND %5) AS %6")
                      .arg(value, SqlName(t.lines), SqlDate(first.addMonths(i)), SqlDate(first.addMonths(i + 1)),
                           lines, month);
        columns << QStringLiteral("T.%1 AS %2").arg(month, SqlName(labels.at(i).toUtf8().constData()));
        total << QStringLiteral("T.") % month;
    }
    QString keys = QStringLiteral("M.ItemCode, M.ItemName");
    QString outer = QStringLiteral("T.ItemCode, T.ItemName, (%1) AS %2").arg(total.join(QStringLiteral(" + ")),
                                                                          SqlName(RC_YEAR_TOTAL));
    QString order = QStringLiteral("T.ItemCode");
    if (!filter.field.isEmpty()) {
        keys += QStringLiteral(", ") % filter.Column(QStringLiteral("M."));
        outer += QStringLiteral(", ") % filter.Column(QStringLiteral("T."));
        order = filter.Column(QStringLiteral("T.")) % QStringLiteral(", ") % order;
    }
    return QStringLiteral("SELECT %1, %2 FROM (SELECT %3, %4 FROM %5 AS M%6 LIMIT -1 OFFSET 0) AS T ORDER BY %7")
        .arg(outer, columns.join(QStringLiteral(", ")), keys, months.join(QStringLiteral(", ")), SqlName(TB_ITEM),
             SqlWhere(filter.Condition(QStringLiteral("M."))), order);
}

// By partner: the line index runs by partner, kind and date, and a month
// of one kind of a partner's lines is one seek in it. The kinds a partner
// has are found first, each by one seek past the one before (K), and each
// month of each kind but 3 is then read apart; the partner's months add its
// kinds. Twelve conditional sums over the year would add every line twelve
// times.
QString ByPartner(const SideTables& t, const QStringList& labels, const QDate& first, const QString& value,
                  const ClassFilter& filter)
{
    const QString code = SqlName(t.code), lines = SqlName(t.lines);
    const QString where = SqlWhere(filter.Condition(QStringLiteral("M.")));
    const QString kinds =
        QStringLiteral("WITH RECURSIVE K(Code, Kind) AS (SELECT M.%1, (SELECT MIN(B.ItemType) FROM %2 AS B WHERE "
                       "B.%1 = M.%1) FROM %3 AS M%4 UNION ALL SELECT K.Code, (SELECT MIN(B.ItemType) FROM %2 AS B "
                       "WHERE B.%1 = K.Code AND B.ItemType > K.Kind) FROM K WHERE K.Kind IS NOT NULL) ")
            .arg(code, lines, SqlName(t.partner), where);
    QStringList months, sums, total, columns;
    for (int i = 0; i < 12; ++i) {
        const QString month = QStringLiteral("M%1").arg(i + 1);
        months << QStringLiteral("(SELECT COALESCE(SUM(%1), 0) FROM %2 AS B WHERE B.%3 = K.Code AND B.ItemType = "
                                 "K.Kind AND B.\"Date\" >= %4 AND B.\"Date\" < %5) AS %6")
                      .arg(value, lines, code, SqlDate(first.addMonths(i)), SqlDate(first.addMonths(i + 1)), month);
        sums << QStringLiteral("SUM(%1) AS %1").arg(month);
        total << month;
        columns << QStringLiteral("COALESCE(S.%1, 0) AS %2").arg(month, SqlName(labels.at(i).toUtf8().constData()));
    }
    const QString bySums = kinds %
        QStringLiteral("SELECT Code, %1, SUM(%2) AS Total FROM (SELECT K.Code, %3 FROM K WHERE K.Kind IS NOT NULL AND "
                       "K.Kind <> 3 LIMIT -1 OFFSET 0) GROUP BY Code")
            .arg(sums.join(QStringLiteral(", ")), total.join(QStringLiteral(" + ")), months.join(QStringLiteral(", ")));
    QString keys = QStringLiteral("M.%1, M.Company, M.\"Section\", M.Name, COALESCE(S.Total, 0) AS %2")
                       .arg(code, SqlName(RC_YEAR_TOTAL));
    QString order = QStringLiteral("M.") % code;
    if (!filter.field.isEmpty()) {
        keys += QStringLiteral(", ") % filter.Column(QStringLiteral("M."));
        order = filter.Column(QStringLiteral("M.")) % QStringLiteral(", ") % order;
    }
    return QStringLiteral("SELECT %1, %2 FROM %3 AS M LEFT JOIN (%4) AS S ON S.Code = M.%5%6 ORDER BY %7")
        .arg(keys, columns.join(QStringLiteral(", ")), SqlName(t.partner), bySums, code, where, order);
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
    const QString value = kind == kItemQuantity ? QStringLiteral("COALESCE(B.Number, 0)")
                                                : QStringLiteral("COALESCE(B.Amount, 0) - COALESCE(B.IncludeTax, 0)");
    // A product's goods lines of a month lie together in the line index by
    // code, kind and date; its goods and discount lines together, in the one
    // by code and date, which the `+` picks (the other would be sought twice).
    const QString lines = kind == kItemQuantity ? QStringLiteral("B.ItemType = 1")
                          : kind == kItemAmount ? QStringLiteral("+B.ItemType IN (1, 2)")
                                                : QStringLiteral("B.ItemType <> 3");
    const bool byItem = kind == kItemAmount || kind == kItemQuantity;
    if (byItem)
        return ByItem(t, labels, first, value, lines, filter);
    if (kind == kPartner)
        return ByPartner(t, labels, first, value, filter);
    const QString code = SqlName(t.code);
    QString key = QStringLiteral("B.") % code;
    QString from = SqlName(t.lines) % QStringLiteral(" AS B");
    if (kind == kStaff) {
        key = QStringLiteral("H.MyPerson");
        from = QStringLiteral("%1 AS H INNER JOIN %2 AS B ON B.HeaderID = H.ID").arg(SqlName(t.header), SqlName(t.lines));
    }
    // One row per key with a column per month. A partner has many lines a
    // day: they are summed by day first, in the order of the line index.
    QString byDay = QStringLiteral("SELECT %1 AS Grp, B.\"Date\" AS Day, %2 AS V FROM %3 WHERE +B.\"Date\" >= %4 "
                                   "AND +B.\"Date\" < %5 AND %6")
                        .arg(key, QStringLiteral("SUM(%1)").arg(value), from, SqlDate(first),
                             SqlDate(first.addMonths(12)), lines)
                    % QStringLiteral(" GROUP BY %1, B.ItemType, B.\"Date\"").arg(key);
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
    QString keys = QStringLiteral("M.%1, M.Company, M.\"Section\", M.Name").arg(code);
    keys += QStringLiteral(", ") % total;
    QString order = QStringLiteral("M.") % code;
    if (!filter.field.isEmpty()) {
        keys += QStringLiteral(", ") % filter.Column(QStringLiteral("M."));
        order = filter.Column(QStringLiteral("M.")) % QStringLiteral(", ") % order;
    }
    return QStringLiteral("SELECT %1, %2 FROM %3 AS M LEFT JOIN (%4) AS S ON S.Grp = M.%5%6 ORDER BY %7")
        .arg(keys, columns.join(QStringLiteral(", ")), SqlName(t.partner), sums, code,
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
