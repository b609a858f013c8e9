#include "platform/sql/StockSql.h"

#include "platform/sql/ReportSql.h"
#include "platform/sql/ResultNames.h"

#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"

namespace
{

// Where stock moves: purchase lines in, sales lines out, movements both ways.
struct Source {
    const char* table;
    const char* quantity; // the quantity moved in (sales: out)
    const char* counts;   // the rows that move stock
    const char* alias;
};

const Source kSources[] = {
    {TB_STOCK_B, "COALESCE(Number, 0)", "ItemType <> 2", "P"},
    {TB_SALES_B, "COALESCE(Number, 0)", "ItemType <> 2", "S"},
    {TB_STOCKCHANGE, "COALESCE(InNumber, 0) - COALESCE(OutNumber, 0)", "1", "C"},
};

// The tracked products T1, filtered by the classification.
struct Products {
    bool valid;
    QString table;  // "(SELECT * FROM Item WHERE ...) AS T1"
    QString codes;  // their codes, as a sub-select
    QString order;
    QString classColumn;
};

Products TrackedProducts(const QString& classField, const QStringList& classValues)
{
    const ClassFilter filter = MakeClassFilter(classField, classValues);
    QString where = QStringLiteral("StockType = 1");
    if (!filter.Condition(QString()).isEmpty())
        where += QStringLiteral(" AND ") % filter.Condition(QString());
    Products p{filter.valid, QStringLiteral("(SELECT * FROM %1 WHERE %2) AS T1").arg(SqlName(TB_ITEM), where),
               QStringLiteral("SELECT ItemCode FROM %1 WHERE %2").arg(SqlName(TB_ITEM), where),
               QStringLiteral("T1.ItemCode"), filter.Column(QStringLiteral("T1."))};
    if (!p.classColumn.isEmpty())
        p.order = p.classColumn % QStringLiteral(", ") % p.order;
    return p;
}

// What counts as history before `bound`: after the opening day, when one is given.
QString History(const QDate& bound, const QDate& openingDate)
{
    QString history = QStringLiteral("\"Date\" < ") % SqlDate(bound);
    if (openingDate.isValid())
        history += QStringLiteral(" AND \"Date\" >= ") % SqlDayAfter(openingDate);
    return history;
}

// The source's quantity {Q} and its condition {K} on the rows that move
// stock, put into a text of our own: never into one that holds a user's value.
QString ForSource(QString text, const Source& s)
{
    return text.replace(QLatin1String("{Q}"), QLatin1String(s.quantity))
        .replace(QLatin1String("{K}"), QLatin1String(s.counts));
}

// One grouped sub-select per source, LEFT JOINed to T1 by its alias: the
// given aggregates over the source's rows, or, with `months` (the month of
// a row's Date) and `where`, over its quantities V summed by month Mon.
// The product codes (with the classification values) join last, in one
// pass of arg().
QString SourceJoins(const Products& products, const QStringList& aggregates, const QString& months = QString(),
                    const QString& where = QString())
{
    QString joins;
    for (const Source& s : kSources) {
        QStringList columns;
        for (const QString& aggregate : aggregates)
            columns << ForSource(aggregate, s);
        QString from = QStringLiteral("%1 WHERE ItemCode IN (%2)").arg(SqlName(s.table), products.codes);
        if (!months.isEmpty())
            from = QStringLiteral("(SELECT ItemCode, %1 AS Mon, SUM(iif(%2, %3, 0)) AS V FROM %4 AND %5 GROUP BY 1, 2)")
                       .arg(months, QLatin1String(s.counts), QLatin1String(s.quantity), from, where);
        joins += QStringLiteral(" LEFT JOIN (SELECT ItemCode, %1 FROM %2 GROUP BY ItemCode) AS %3 "
                                "ON %3.ItemCode = T1.ItemCode")
                     .arg(columns.join(QStringLiteral(", ")), from, QLatin1String(s.alias));
    }
    return joins;
}

// Opening stock plus purchases less sales plus movements of one column of
// the source sums.
QString StockOf(const QString& column)
{
    return QStringLiteral("(COALESCE(T1.StockNumber, 0) + COALESCE(P.%1, 0) - COALESCE(S.%1, 0) + COALESCE(C.%1, 0))")
        .arg(column);
}

} // namespace

QString MakeStockListSQL(const QDate& stockDate, const QString& classField, const QStringList& classValues,
                         const QDate& openingDate)
{
    const Products products = TrackedProducts(classField, classValues);
    if (!products.valid)
        return {};
    const QString stock = StockOf(QStringLiteral("Qty"));
    const QString sums = QStringLiteral("SUM(iif({K} AND %1, {Q}, 0)) AS Qty").arg(History(stockDate.addDays(1), openingDate));
    return QStringLiteral("SELECT T1.ItemCode, T1.ItemName, %1 AS %2, T1.StockJustNumber, "
                          "(%1 - COALESCE(T1.StockJustNumber, 0)) AS %3, T1.Cost, T1.Class1, T1.Class2, T1.Class3, "
                          "T1.Class4, T1.Class5, T1.SupplierCode, T1.StockNumber, T1.TaxFlg2 FROM %4%5 ORDER BY %6")
        .arg(stock, SqlName(RC_STOCK), SqlName(RC_STOCK_GAP), products.table, SourceJoins(products, {sums}),
             products.order);
}

QString MakeStockMovementSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                             const QStringList& classValues, const QDate& openingDate)
{
    const Products products = TrackedProducts(classField, classValues);
    if (!products.valid)
        return {};
    const QStringList sums{
        QStringLiteral("SUM(iif({K} AND %1, {Q}, 0)) AS Past").arg(History(fromDate, openingDate)),
        QStringLiteral("SUM(iif({K} AND %1, {Q}, 0)) AS Now")
            .arg(SqlPeriod(QStringLiteral("\"Date\""), fromDate, toDate)),
        QStringLiteral("MAX(\"Date\") AS Last")};
    const QString past = StockOf(QStringLiteral("Past"));
    return QStringLiteral("SELECT T1.ItemCode, T1.ItemName, %1 AS %2, COALESCE(P.Now, 0) AS %3, "
                          "COALESCE(S.Now, 0) AS %4, COALESCE(C.Now, 0) AS %5, "
                          "(%1 + COALESCE(P.Now, 0) - COALESCE(S.Now, 0) + COALESCE(C.Now, 0)) AS %6, S.Last AS %7, "
                          "T1.Class1, T1.Class2, T1.Class3, T1.Class4, T1.Class5, T1.Cost, T1.TaxFlg2 "
                          "FROM %8%9 ORDER BY %10")
        .arg(past, SqlName(RC_PREV_STOCK), SqlName(RC_STOCK_IN_BOUGHT), SqlName(RC_STOCK_OUT_SOLD),
             SqlName(RC_ADJUSTED), SqlName(RC_STOCK_NOW), SqlName(RC_LAST_SHIPPED), products.table,
             SourceJoins(products, sums), products.order);
}

QString MakeStockTransitionSQL(int year, int startMonth, const QString& classField, const QStringList& classValues,
                               const QDate& openingDate)
{
    QStringList labels;
    const Products products = TrackedProducts(classField, classValues);
    if (!MakeMonthLabels(year, startMonth, labels) || !products.valid)
        return {};
    const QDate first(year, startMonth, 1);
    // Each month's end stock: everything up to that month's end.
    QStringList sums, columns;
    for (int i = 0; i < 12; ++i) {
        const QString upTo = QStringLiteral("M%1").arg(i + 1);
        sums << QStringLiteral("SUM(iif(Mon <= %1, V, 0)) AS %2").arg(QString::number(i + 1), upTo);
        columns << StockOf(upTo) % QStringLiteral(" AS ") % SqlName(labels.at(i).toUtf8().constData());
    }
    const QString joins = SourceJoins(products, sums, SqlMonthIndex(QStringLiteral("\"Date\""), first),
                                      History(first.addMonths(12), openingDate));
    QString keys = QStringLiteral("T1.ItemCode, T1.ItemName");
    if (!products.classColumn.isEmpty())
        keys += QStringLiteral(", ") % products.classColumn;
    return QStringLiteral("SELECT %1, %2 FROM %3%4 ORDER BY %5")
        .arg(keys, columns.join(QStringLiteral(", ")), products.table, joins, products.order);
}
