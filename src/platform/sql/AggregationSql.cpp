#include "platform/sql/AggregationSql.h"

#include "platform/sql/ReportSql.h"
#include "platform/sql/ResultNames.h"

#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"

#include <initializer_list>

namespace
{

// The figures of a row, computed from the sums of its lines: each is an
// expression (a column of the sums S or an aggregate) that is null without
// lines. Quantities are kept as the net and the returned (negative) part of
// the goods lines, sold being the one less the other: a line of goods adds to
// two sums, not three.
struct LineSums {
    QString goods, cost, discount, other, net, returned;
};

const LineSums kNamedSums{QStringLiteral("S.Goods"),
                          QStringLiteral("S.Cost"),
                          QStringLiteral("S.Discount"),
                          QStringLiteral("S.Other"),
                          QString(),
                          QString()};

enum Term { kGoods, kCost, kDiscount, kOther, kNet, kProfit, kSold, kReturned, kNetQuantity };

QString Zeroed(const QString& sum)
{
    return QStringLiteral("COALESCE(") % sum % QStringLiteral(", 0)");
}

QString TermColumn(Term term, bool sales, const LineSums& s)
{
    const QString goods = Zeroed(s.goods), cost = Zeroed(s.cost), discount = Zeroed(s.discount);
    const QString net = Zeroed(s.net), returned = Zeroed(s.returned);
    switch (term) {
    case kGoods:
        return goods % QStringLiteral(" AS ") % SqlName(sales ? RC_SALES : RC_PURCHASES);
    case kCost:
        return cost % QStringLiteral(" AS ") % SqlName(RC_COST);
    case kDiscount:
        return discount % QStringLiteral(" AS ") % SqlName(RC_DISCOUNT);
    case kOther:
        return Zeroed(s.other) % QStringLiteral(" AS ") % SqlName(RC_OTHER);
    case kNet:
        return u'(' % goods % QStringLiteral(" + ") % discount % QStringLiteral(") AS ") %
               SqlName(sales ? RC_NET_SALES_TOTAL : RC_NET_PURCHASES_TOTAL);
    case kProfit:
        return u'(' % goods % QStringLiteral(" + ") % discount % QStringLiteral(" - ") % cost %
               QStringLiteral(") AS ") % SqlName(RC_PROFIT);
    case kSold:
        return u'(' % net % QStringLiteral(" - ") % returned % QStringLiteral(") AS ") %
               SqlName(sales ? RC_SOLD : RC_BOUGHT);
    case kReturned:
        return returned % QStringLiteral(" AS ") % SqlName(RC_RETURNED);
    case kNetQuantity:
        return net % QStringLiteral(" AS ") % SqlName(sales ? RC_NET_SOLD : RC_NET_BOUGHT);
    }
    return {};
}

QString TermColumns(bool sales, std::initializer_list<Term> terms, const LineSums& sums = kNamedSums)
{
    QStringList columns;
    for (Term term : terms) {
        if (sales || term != kCost)
            columns << TermColumn(term, sales, sums);
    }
    return columns.join(QStringLiteral(", "));
}

// The lines of a period by their own date.
QString LinePeriod(const QDate& fromDate, const QDate& toDate)
{
    return SqlPeriod(QStringLiteral("B.\"Date\""), fromDate, toDate);
}

// The sums of the period's lines B by day (named Grp), in the order of the
// date index: plain sums by day and line kind first, then one row per day
// with Goods, Cost, Discount and Other.
QString DaySums(const CTradeSide& t, const QDate& fromDate, const QDate& toDate)
{
    const bool sales = !t.IsPurchases();
    QString sums = QStringLiteral("SUM(B.Amount) AS A, SUM(B.IncludeTax) AS I");
    QString terms = QStringLiteral("SUM(iif(Kind = 1, COALESCE(A, 0) - COALESCE(I, 0), 0)) AS Goods, "
                                   "SUM(iif(Kind = 2, COALESCE(A, 0) - COALESCE(I, 0), 0)) AS Discount, "
                                   "SUM(iif(Kind = 3, COALESCE(A, 0) - COALESCE(I, 0), 0)) AS Other");
    if (sales) {
        sums += QStringLiteral(", SUM(B.Amount2) AS A2, SUM(B.IncludeTax2) AS I2");
        terms += QStringLiteral(", SUM(iif(Kind = 1, COALESCE(A2, 0) - COALESCE(I2, 0), 0)) AS Cost");
    }
    const QString byKind =
        QStringLiteral("SELECT B.\"Date\" AS Grp, B.ItemType AS Kind, %1 FROM %2 AS B%3 GROUP BY 1, 2")
            .arg(sums, SqlName(t.lines), SqlWhere(LinePeriod(fromDate, toDate)));
    return QStringLiteral("SELECT Grp, %1 FROM (%2) GROUP BY Grp").arg(terms, byKind);
}

// The sum of one kind of the lines B, Amount less its contained tax.
QString KindSum(int kind, const char* amount, const char* tax)
{
    return QStringLiteral("SUM(COALESCE(B.%1, 0) - COALESCE(B.%2, 0)) FILTER (WHERE B.ItemType = %3)")
        .arg(QLatin1String(amount), QLatin1String(tax), QString::number(kind));
}

// The sums of the lines B by kind: the cost on the sales side, the goods'
// quantities when asked for.
LineSums KindSums(bool sales, bool quantities)
{
    LineSums sums{KindSum(1, "Amount", "IncludeTax"),
                  sales ? KindSum(1, "Amount2", "IncludeTax2") : QString(),
                  KindSum(2, "Amount", "IncludeTax"),
                  KindSum(3, "Amount", "IncludeTax"),
                  QString(),
                  QString()};
    if (quantities) {
        sums.net = QStringLiteral("SUM(B.Number) FILTER (WHERE B.ItemType = 1)");
        // Returns are rare: most lines fail the first test and add nothing.
        sums.returned = QStringLiteral("SUM(B.Number) FILTER (WHERE B.Number < 0 AND B.ItemType = 1)");
    }
    return sums;
}

// Every record of a master with the sums of its lines, in one pass: the
// master's codes come in order and each code's lines of the period are one
// range of the line index by code and date, which carries what is summed, so
// no line outside the period is read and nothing is sorted but for a
// classification. A sum used by several figures is taken once.
QString ByMaster(const CTradeSide& side, bool byItem, const QDate& fromDate, const QDate& toDate,
                 const QString& classField, const QStringList& classValues, std::initializer_list<Term> terms)
{
    const ClassFilter filter = MakeClassFilter(classField, classValues);
    if (!filter.valid)
        return {};
    const CTradeSide& t = side;
    const QString master = SqlName(byItem ? TB_ITEM : t.partner);
    const QString code = SqlName(byItem ? "ItemCode" : t.code);
    const QString keys = byItem ? QStringLiteral("M.ItemCode, M.ItemName")
                                : QStringLiteral("M.%1, M.Company, M.\"Section\", M.Name").arg(code);
    QString columns = keys % QStringLiteral(", ") %
                      TermColumns(!side.IsPurchases(), terms, KindSums(!side.IsPurchases(), byItem));
    QString order = QStringLiteral("M.") % code;
    if (!filter.field.isEmpty()) {
        columns += QStringLiteral(", ") % filter.Column(QStringLiteral("M."));
        order = filter.Column(QStringLiteral("M.")) % QStringLiteral(", ") % order;
    }
    QString lines = QStringLiteral("B.%1 = M.%1").arg(code);
    const QString period = LinePeriod(fromDate, toDate);
    if (!period.isEmpty())
        lines += QStringLiteral(" AND ") % period;
    return QStringLiteral("SELECT %1 FROM %2 AS M LEFT JOIN %3 AS B ON %4%5 GROUP BY M.%6 ORDER BY %7")
        .arg(columns, master, SqlName(t.lines), lines, SqlWhere(filter.Condition(QStringLiteral("M."))), code,
             order);
}

QString ByStaff(const CTradeSide& side, const QDate& fromDate, const QDate& toDate,
                std::initializer_list<Term> terms)
{
    const CTradeSide& t = side;
    // Every staff member of a slip is listed, with zeros outside the period.
    const QString staff = SqlStaff(t);
    const LineSums kinds = KindSums(!side.IsPurchases(), false);
    QStringList sums{kinds.goods % QStringLiteral(" AS Goods"),
                     kinds.discount % QStringLiteral(" AS Discount"),
                     kinds.other % QStringLiteral(" AS Other")};
    if (!side.IsPurchases())
        sums << kinds.cost % QStringLiteral(" AS Cost");
    // The named staff's slips come in staff order from the header index by
    // staff and date (a range on MyPerson > ''), so the sums need no sort;
    // each slip's lines come from the line index by header, which carries the
    // amounts. CROSS JOIN keeps the slips the outer table.
    QString where = QStringLiteral("H.MyPerson > ''");
    const QString period = SqlPeriod(QStringLiteral("H.\"Date\""), fromDate, toDate);
    if (!period.isEmpty())
        where += QStringLiteral(" AND ") % period;
    const QString byStaff =
        QStringLiteral("SELECT H.MyPerson AS Grp, %1 FROM %2 AS H CROSS JOIN %3 AS B ON B.HeaderID = H.ID "
                       "WHERE %4 GROUP BY H.MyPerson")
            .arg(sums.join(QStringLiteral(", ")), SqlName(t.header), SqlName(t.lines), where);
    return QStringLiteral("SELECT T.MyPerson, %1 FROM (%2) AS T LEFT JOIN (%3) AS S ON S.Grp = T.MyPerson "
                          "ORDER BY T.MyPerson")
        .arg(TermColumns(!side.IsPurchases(), terms), staff, byStaff);
}

QString ByPeriod(const CTradeSide& side, bool monthly, const QDate& fromDate, const QDate& toDate,
                 std::initializer_list<Term> terms)
{
    const CTradeSide& t = side;
    // Days come in the order of the date index; months are made of the days.
    QString sums = DaySums(t, fromDate, toDate);
    if (monthly)
        sums = QStringLiteral("SELECT date(Grp, 'start of month') AS Grp, SUM(Goods) AS Goods, %1"
                              "SUM(Discount) AS Discount, SUM(Other) AS Other FROM (%2) GROUP BY 1")
                   .arg(!side.IsPurchases() ? QStringLiteral("SUM(Cost) AS Cost, ") : QString(), sums);
    return QStringLiteral("SELECT S.Grp AS %1, %2 FROM (%3) AS S ORDER BY S.Grp")
        .arg(SqlName(RC_PERIOD), TermColumns(!side.IsPurchases(), terms), sums);
}

QString TaxBreakdown(const CTradeSide& side, const QDate& fromDate, const QDate& toDate)
{
    const CTradeSide& t = side;
    const auto& names = side.IsPurchases() ? kPurchaseBreakdownNames : kSalesBreakdownNames;
    QStringList columns;
    int n = 0;
    for (int kind : {1, 2, 3}) {
        for (int taxFlag : {1, 2, 0})
            columns << QStringLiteral("COALESCE(SUM(iif(Kind = %1 AND Flag = %2, A, 0)), 0) AS %3")
                           .arg(QString::number(kind), QString::number(taxFlag), SqlName(names[n++]));
    }
    columns << QStringLiteral("COALESCE(SUM(iif(Kind = 9, A, 0)), 0) AS ") % SqlName(RC_TAX_LINES);
    // Discounts taken on the money of the period.
    columns << QStringLiteral(
                   "(SELECT COALESCE(SUM(L.Amount), 0) FROM %1 AS M INNER JOIN %2 AS L ON L.HeaderID = M.ID "
                   "WHERE L.Code = '値引き' AND %3) AS %4")
                   .arg(SqlName(t.money), SqlName(t.moneyLines),
                        SqlPeriod(QStringLiteral("M.\"Date\""), fromDate, toDate),
                        SqlName(side.IsPurchases() ? RC_PAYMENT_DISCOUNT : RC_RECEIPT_DISCOUNT));
    // Plain sums by day, kind and tax flag come in the order of the date index.
    return QStringLiteral(
               "SELECT %1 FROM (SELECT B.ItemType AS Kind, B.TaxFlg AS Flag, SUM(B.Amount) AS A FROM %2 AS B "
               "WHERE %3 GROUP BY B.\"Date\", B.ItemType, B.TaxFlg)")
        .arg(columns.join(QStringLiteral(", ")), SqlName(t.lines), LinePeriod(fromDate, toDate));
}

} // namespace

QString MakeSalesByCustomerSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                               const QStringList& classValues)
{
    return ByMaster(CTradeSide::Sales(), false, fromDate, toDate, classField, classValues,
                    {kGoods, kCost, kDiscount, kOther, kNet, kProfit});
}

QString MakePurchaseBySupplierSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                                  const QStringList& classValues)
{
    return ByMaster(CTradeSide::Purchases(), false, fromDate, toDate, classField, classValues,
                    {kGoods, kDiscount, kOther, kNet});
}

QString MakeSalesByItemSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                           const QStringList& classValues)
{
    return ByMaster(CTradeSide::Sales(), true, fromDate, toDate, classField, classValues,
                    {kSold, kReturned, kNetQuantity, kGoods, kDiscount, kCost, kOther, kNet, kProfit});
}

QString MakePurchaseByItemSQL(const QDate& fromDate, const QDate& toDate, const QString& classField,
                              const QStringList& classValues)
{
    return ByMaster(CTradeSide::Purchases(), true, fromDate, toDate, classField, classValues,
                    {kSold, kReturned, kNetQuantity, kGoods, kDiscount, kOther, kNet});
}

QString MakeSalesByStaffSQL(const QDate& fromDate, const QDate& toDate)
{
    return ByStaff(CTradeSide::Sales(), fromDate, toDate, {kGoods, kCost, kDiscount, kOther, kNet, kProfit});
}

QString MakePurchaseByStaffSQL(const QDate& fromDate, const QDate& toDate)
{
    return ByStaff(CTradeSide::Purchases(), fromDate, toDate, {kGoods, kDiscount, kOther, kNet});
}

QString MakeSalesByPeriodSQL(bool monthly, const QDate& fromDate, const QDate& toDate)
{
    return ByPeriod(CTradeSide::Sales(), monthly, fromDate, toDate,
                    {kGoods, kCost, kDiscount, kNet, kOther, kProfit});
}

QString MakePurchaseByPeriodSQL(bool monthly, const QDate& fromDate, const QDate& toDate)
{
    return ByPeriod(CTradeSide::Purchases(), monthly, fromDate, toDate, {kGoods, kDiscount, kOther, kNet});
}

QString MakeSalesTaxBreakdownSQL(const QDate& fromDate, const QDate& toDate)
{
    return TaxBreakdown(CTradeSide::Sales(), fromDate, toDate);
}

QString MakePurchaseTaxBreakdownSQL(const QDate& fromDate, const QDate& toDate)
{
    return TaxBreakdown(CTradeSide::Purchases(), fromDate, toDate);
}
