#include "platform/sql/StockSql.h"

#include "platform/sql/ReportSql.h"
#include "platform/sql/ResultNames.h"

#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"

#include <utility>

namespace
{

// Where stock moves: purchase lines in, sales lines out, movements both ways.
// Movements by hand are few: cut into months they are summed in one pass
// over them all, where seeking each product's month would cost more than
// reading them.
struct Source {
    const char* table;
    const char* quantity; // the quantity a row B moved in (sales: out)
    const char* counts;   // the rows B that move stock; null for every row
    const char* alias;
    bool few;
};

const Source kSources[] = {
    {TB_STOCK_B, "B.Number", "B.ItemType <> 2", "P", false},
    {TB_SALES_B, "B.Number", "B.ItemType <> 2", "S", false},
    {TB_STOCKCHANGE, "COALESCE(B.InNumber, 0) - COALESCE(B.OutNumber, 0)", nullptr, "C", true},
};

constexpr QLatin1StringView kDay("B.\"Date\"");

// The tracked products M, filtered by the classification.
struct Products {
    bool valid;
    QString where;
    QString classColumn; // of T, the products with their sums
};

Products TrackedProducts(const QString& classField, const QStringList& classValues)
{
    const ClassFilter filter = MakeClassFilter(classField, classValues);
    QString where = QStringLiteral("M.StockType = 1");
    if (!filter.Condition(QStringLiteral("M.")).isEmpty())
        where += QStringLiteral(" AND ") % filter.Condition(QStringLiteral("M."));
    return {filter.valid, where, filter.Column(QStringLiteral("T."))};
}

// Rows dated before `bound` and, with an opening day, after it.
QString History(const QDate& bound, const QDate& openingDate)
{
    QString history = kDay % QStringLiteral(" < ") % SqlDate(bound);
    if (openingDate.isValid())
        history += QStringLiteral(" AND ") % kDay % QStringLiteral(" >= ") % SqlDayAfter(openingDate);
    return history;
}

// What the source moved of product M on the rows of `days` (conditions on
// B."Date"): one seek in the source's index by product and date, which
// carries the quantities, and a read of those rows alone.
QString Moved(const Source& s, const QString& days)
{
    QString where = QStringLiteral("B.ItemCode = M.ItemCode AND ") % days;
    if (s.counts)
        where += QStringLiteral(" AND ") % QLatin1String(s.counts);
    return QStringLiteral("(SELECT COALESCE(SUM(%1), 0) FROM %2 AS B WHERE %3)")
        .arg(QLatin1String(s.quantity), SqlName(s.table), where);
}

// The products M with the given columns T of their own and the sums named
// <alias><name> of every source over the days given by name (a few
// source's over many spans from its sums by product G<alias>), then the
// outer columns over T in the products' order. Each sum is taken once per
// product: OFFSET keeps SQLite from copying the sub-select's columns into
// the outer ones, where a sum used twice would be read twice.
QString OverProducts(const Products& products, const QString& own,
                     const QList<std::pair<QString, QString>>& days, const QString& outer,
                     const QString& extra = QString())
{
    QStringList sums;
    QString joins;
    for (const Source& s : kSources) {
        const QString alias = QLatin1String(s.alias);
        const bool inOnePass = s.few && days.size() > 2;
        QStringList byProduct;
        for (const auto& [name, condition] : days) {
            if (!inOnePass) {
                sums << Moved(s, condition) % QStringLiteral(" AS ") % alias % name;
                continue;
            }
            QString rows = condition;
            if (s.counts)
                rows += QStringLiteral(" AND ") % QLatin1String(s.counts);
            byProduct << QStringLiteral("SUM(%1) FILTER (WHERE %2) AS V%3")
                             .arg(QLatin1String(s.quantity), rows, name);
            sums << QStringLiteral("COALESCE(G%1.V%2, 0) AS %1%2").arg(alias, name);
        }
        if (inOnePass)
            joins +=
                QStringLiteral(" LEFT JOIN (SELECT B.ItemCode AS Code, %1 FROM %2 AS B GROUP BY B.ItemCode) "
                               "AS G%3 ON G%3.Code = M.ItemCode")
                    .arg(byProduct.join(QStringLiteral(", ")), SqlName(s.table), alias);
    }
    QString order = QStringLiteral("T.ItemCode");
    if (!products.classColumn.isEmpty())
        order = products.classColumn % QStringLiteral(", ") % order;
    return QStringLiteral(
               "SELECT %1 FROM (SELECT %2, %3%4 FROM %5 AS M%6 WHERE %7 LIMIT -1 OFFSET 0) AS T ORDER BY %8")
        .arg(outer, own, sums.join(QStringLiteral(", ")), extra, SqlName(TB_ITEM), joins, products.where,
             order);
}

// Opening stock plus purchases less sales plus movements of the sums named
// by `names` (added up when several).
QString StockOf(const QStringList& names)
{
    QStringList in, out, moved;
    for (const QString& name : names) {
        in << QStringLiteral("T.P") % name;
        out << QStringLiteral("T.S") % name;
        moved << QStringLiteral("T.C") % name;
    }
    return QStringLiteral("(COALESCE(T.StockNumber, 0) + %1 - (%2) + %3)")
        .arg(in.join(QStringLiteral(" + ")), out.join(QStringLiteral(" + ")),
             moved.join(QStringLiteral(" + ")));
}

constexpr QLatin1StringView kItemColumns("M.ItemCode, M.ItemName, M.StockNumber, M.StockJustNumber, M.Cost, "
                                          "M.Class1, M.Class2, M.Class3, M.Class4, M.Class5, M.SupplierCode, "
                                          "M.TaxFlg2");

} // namespace

QString MakeStockListSQL(const QDate& stockDate, const QString& classField, const QStringList& classValues,
                         const QDate& openingDate)
{
    const Products products = TrackedProducts(classField, classValues);
    if (!products.valid)
        return {};
    const QString stock = StockOf({QStringLiteral("Qty")});
    return OverProducts(
        products, kItemColumns, {{QStringLiteral("Qty"), History(stockDate.addDays(1), openingDate)}},
        QStringLiteral("T.ItemCode, T.ItemName, %1 AS %2, T.StockJustNumber, "
                       "(%1 - COALESCE(T.StockJustNumber, 0)) AS %3, T.Cost, T.Class1, T.Class2, "
                       "T.Class3, T.Class4, T.Class5, T.SupplierCode, T.StockNumber, T.TaxFlg2")
            .arg(stock, SqlName(RC_STOCK), SqlName(RC_STOCK_GAP)));
}

QString MakeStockMovementSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                             const QStringList& classValues, const QDate& openingDate)
{
    const Products products = TrackedProducts(classField, classValues);
    if (!products.valid)
        return {};
    const QString past = StockOf({QStringLiteral("Past")});
    // The last sale of any kind and date: the end of the product's range in
    // the sales index by product and date.
    const QString last =
        QStringLiteral(", (SELECT MAX(B.\"Date\") FROM %1 AS B WHERE B.ItemCode = M.ItemCode) AS Last")
            .arg(SqlName(TB_SALES_B));
    return OverProducts(
        products, kItemColumns,
        {{QStringLiteral("Past"), History(fromDate, openingDate)},
         {QStringLiteral("Now"), SqlPeriod(QString(kDay), fromDate, toDate)}},
        QStringLiteral("T.ItemCode, T.ItemName, %1 AS %2, T.PNow AS %3, T.SNow AS %4, T.CNow AS %5, "
                       "(%1 + T.PNow - T.SNow + T.CNow) AS %6, T.Last AS %7, T.Class1, T.Class2, "
                       "T.Class3, T.Class4, T.Class5, T.Cost, T.TaxFlg2")
            .arg(past, SqlName(RC_PREV_STOCK), SqlName(RC_STOCK_IN_BOUGHT), SqlName(RC_STOCK_OUT_SOLD),
                 SqlName(RC_ADJUSTED), SqlName(RC_STOCK_NOW), SqlName(RC_LAST_SHIPPED)),
        last);
}

QString MakeStockTransitionSQL(int year, int startMonth, const QString& classField,
                               const QStringList& classValues, const QDate& openingDate)
{
    QStringList labels;
    const Products products = TrackedProducts(classField, classValues);
    if (!MakeMonthLabels(year, startMonth, labels) || !products.valid)
        return {};
    const QDate first(year, startMonth, 1);
    // What moved in each month, the first with everything before it; a
    // month's end stock adds the months up to it. A month apart is one seek
    // and its own rows: one pass over the year would test every row against
    // each month's end.
    QList<std::pair<QString, QString>> days;
    QStringList upTo, columns;
    const QDate after = openingDate.isValid() ? openingDate.addDays(1) : QDate();
    for (int i = 0; i < 12; ++i) {
        const QString month = QString::number(i + 1);
        QDate from = i == 0 ? after : first.addMonths(i);
        if (after.isValid() && after > from)
            from = after;
        QString range = kDay % QStringLiteral(" < ") % SqlDate(first.addMonths(i + 1));
        if (from.isValid())
            range = kDay % QStringLiteral(" >= ") % SqlDate(from) % QStringLiteral(" AND ") % range;
        days.append({month, range});
        upTo << month;
        columns << StockOf(upTo) % QStringLiteral(" AS ") % SqlName(labels.at(i).toUtf8().constData());
    }
    QString keys = QStringLiteral("T.ItemCode, T.ItemName");
    QString own = QStringLiteral("M.ItemCode, M.ItemName, M.StockNumber");
    if (!products.classColumn.isEmpty()) {
        keys += QStringLiteral(", ") % products.classColumn;
        own += QStringLiteral(", ") % MakeClassFilter(classField, classValues).Column(QStringLiteral("M."));
    }
    return OverProducts(products, own, days,
                        keys % QStringLiteral(", ") % columns.join(QStringLiteral(", ")));
}
