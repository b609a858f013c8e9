#include "platform/sql/StockSql.h"

#include "platform/sql/ReportSql.h"
#include "platform/sql/ResultNames.h"

#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"

namespace
{

// Where stock moves: purchase lines in, sales lines out, movements both ways.
// Movements by hand are few: over many spans of days they are summed in one
// pass over each product's rows, where seeking each product's span would
// cost more than reading them.
struct Source {
    const char* table;
    const char* quantity; // the quantity a row B moved (sales: out, the others: in)
    const char* counts;   // the rows B that move stock; null for every row
    const char* alias;
    bool out;
    bool few;
};

const Source kSources[] = {
    {TB_STOCK_B, "B.Number", "B.ItemType <> 2", "P", false, false},
    {TB_SALES_B, "B.Number", "B.ItemType <> 2", "S", true, false},
    {TB_STOCKCHANGE, "COALESCE(B.InNumber, 0) - COALESCE(B.OutNumber, 0)", nullptr, "C", false, true},
};

constexpr QLatin1StringView kDay("B.\"Date\"");
// The day of a row tested row by row, not as an index range: without the
// unary plus SQLite would try each text day as a number first.
constexpr QLatin1StringView kRowDay("+B.\"Date\"");

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

// Days from `from` to `to` (both included; a null date leaves that end open),
// whose sums are named <alias><name> when wanted apart, else only their net
// N<name>: in less out.
struct Span {
    QString name;
    QDate from, to;
    bool apart = false;
};

// Days before `bound` and, with an opening day, after it.
Span History(const QString& name, const QDate& bound, const QDate& openingDate)
{
    return {name, openingDate.isValid() ? openingDate.addDays(1) : QDate(), bound.addDays(-1)};
}

// The days of all the spans, from the first to the last (a null end stays
// open).
Span Covering(const QList<Span>& spans)
{
    Span all{QString(), spans.value(0).from, spans.value(0).to};
    for (const Span& span : spans) {
        if (all.from.isValid() && (!span.from.isValid() || span.from < all.from))
            all.from = span.from;
        if (all.to.isValid() && (!span.to.isValid() || span.to > all.to))
            all.to = span.to;
    }
    return all;
}

// The rows B of the source in the days of `span`, the day given by `day`.
QString Rows(const Source& s, const Span& span, QLatin1StringView day)
{
    QStringList rows{SqlPeriod(QString(day), span.from, span.to)};
    if (s.counts)
        rows << QLatin1String(s.counts);
    rows.removeAll(QString());
    return rows.join(QStringLiteral(" AND "));
}

// What the source moved of product M in the span: one seek in the source's
// index by product and date, which carries the quantities, and a read of
// those rows alone.
QString Moved(const Source& s, const Span& span)
{
    QStringList where{QStringLiteral("B.ItemCode = M.ItemCode"), Rows(s, span, kDay)};
    where.removeAll(QString());
    return QStringLiteral("(SELECT COALESCE(SUM(%1), 0) FROM %2 AS B WHERE %3)")
        .arg(QLatin1String(s.quantity), SqlName(s.table), where.join(QStringLiteral(" AND ")));
}

// The same from the rows B of product M that the products are joined with.
QString MovedInGroup(const Source& s, const Span& span)
{
    return QStringLiteral("COALESCE(SUM(%1) FILTER (WHERE %2), 0)")
        .arg(QLatin1String(s.quantity), Rows(s, span, kRowDay));
}

// The products M with the given columns T of their own and the sums of
// every source over the spans, then the outer columns over T in the
// products' order. With more than two spans the few source's rows are
// joined to their product (B of the join; the sub-selects have their own
// B), products grouped one by one in the order they are read. Each sum is
// taken once per product: OFFSET keeps SQLite from copying the sub-select's
// columns into the outer ones, where a sum used twice would be read twice.
QString OverProducts(const Products& products, const QString& own, const QList<Span>& spans,
                     const QString& outer, const QString& extra = QString())
{
    const bool grouped = spans.size() > 2;
    QStringList sums;
    for (const Span& span : spans) {
        QString net;
        for (const Source& s : kSources) {
            const QString moved = s.few && grouped ? MovedInGroup(s, span) : Moved(s, span);
            if (span.apart)
                sums << moved % QStringLiteral(" AS ") % QLatin1String(s.alias) % span.name;
            else
                net += QLatin1String(net.isEmpty() ? (s.out ? "-" : "") : (s.out ? " - " : " + ")) % moved;
        }
        if (!span.apart)
            sums << net % QStringLiteral(" AS N") % span.name;
    }
    QString from = SqlName(TB_ITEM) % QStringLiteral(" AS M");
    QString group;
    if (grouped) {
        const Span all = Covering(spans);
        for (const Source& s : kSources) {
            if (!s.few)
                continue;
            QStringList on{QStringLiteral("B.ItemCode = M.ItemCode"),
                           SqlPeriod(QString(kDay), all.from, all.to)};
            on.removeAll(QString());
            from += QStringLiteral(" LEFT JOIN %1 AS B ON %2")
                        .arg(SqlName(s.table), on.join(QStringLiteral(" AND ")));
        }
        group = QStringLiteral(" GROUP BY M.ID");
    }
    QString order = QStringLiteral("T.ItemCode");
    if (!products.classColumn.isEmpty())
        order = products.classColumn % QStringLiteral(", ") % order;
    return QStringLiteral(
               "SELECT %1 FROM (SELECT %2, %3%4 FROM %5 WHERE %6%7 LIMIT -1 OFFSET 0) AS T ORDER BY %8")
        .arg(outer, own, sums.join(QStringLiteral(", ")), extra, from, products.where, group, order);
}

// Opening stock plus the net of the spans named by `names` (added up when
// several).
QString StockOf(const QStringList& names)
{
    QString stock = QStringLiteral("(COALESCE(T.StockNumber, 0)");
    for (const QString& name : names)
        stock += QStringLiteral(" + T.N") % name;
    return stock % u')';
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
        products, kItemColumns, {History(QStringLiteral("Qty"), stockDate.addDays(1), openingDate)},
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
        {History(QStringLiteral("Past"), fromDate, openingDate),
         {QStringLiteral("Now"), fromDate, toDate, true}},
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
    // month's end stock adds the months up to it. A month of purchases or
    // sales is one seek and its own rows: one pass over the year would test
    // every row against each month.
    QList<Span> months;
    QStringList upTo, columns;
    const QDate after = openingDate.isValid() ? openingDate.addDays(1) : QDate();
    for (int i = 0; i < 12; ++i) {
        const QString month = QString::number(i + 1);
        QDate from = i == 0 ? after : first.addMonths(i);
        if (after.isValid() && after > from)
            from = after;
        months.append({month, from, first.addMonths(i + 1).addDays(-1)});
        upTo << month;
        columns << StockOf(upTo) % QStringLiteral(" AS ") % SqlName(labels.at(i).toUtf8().constData());
    }
    QString keys = QStringLiteral("T.ItemCode, T.ItemName");
    QString own = QStringLiteral("M.ItemCode, M.ItemName, M.StockNumber");
    if (!products.classColumn.isEmpty()) {
        keys += QStringLiteral(", ") % products.classColumn;
        own += QStringLiteral(", ") % MakeClassFilter(classField, classValues).Column(QStringLiteral("M."));
    }
    return OverProducts(products, own, months,
                        keys % QStringLiteral(", ") % columns.join(QStringLiteral(", ")));
}
