#include "reports/sql/ReportSql.h"

#include "reports/sql/ResultNames.h"

#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"

namespace
{

constexpr SideTables kSales{TB_SALES_H,     TB_SALES_B,   TB_RECEIPT_H,   TB_RECEIPT_B,
                            TB_SALES_CLOSE, TB_CUSTOMER,  "CustomerCode", RC_PREV_BILLED,
                            RC_RECEIVED,    RC_NET_SALES, RC_SALES_DUE,   RC_DELIVERIES};

constexpr SideTables kPurchases{TB_STOCK_H,     TB_STOCK_B,       TB_PAY_H,         TB_PAY_B,
                                TB_STOCK_CLOSE, TB_SUPPLIER,      "SupplierCode",   RC_PREV_UNPAID,
                                RC_PAID,        RC_NET_PURCHASES, RC_PURCHASES_DUE, RC_PURCHASE_SLIPS};

} // namespace

const SideTables& SideTablesOf(int side)
{
    return side == 1 ? kPurchases : kSales;
}

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

QString SqlOneTime(const QString& codeColumn, const QString& slipValue, const QString& masterValue)
{
    return QStringLiteral("iif(%1 = '%2', %3, %4)")
        .arg(codeColumn, QString::fromUtf8(ONE_TIME_CODE), slipValue, masterValue);
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

namespace
{

// By partner among `partners`: the slips' Total (or the money's Amount)
// booked to any closing, with a valid `before` only those dated before it.
QString BookedByPartner(const SideTables& t, bool money, const QString& partners, const QDate& before)
{
    const QString code = SqlName(t.code);
    return QStringLiteral("SELECT %1, SUM(%2) AS Amount FROM %3 WHERE %1 IN (%4) AND SeikyuID > 0%5 GROUP BY %1")
        .arg(code, money ? QStringLiteral("Amount") : QStringLiteral("Total"), SqlName(money ? t.money : t.header),
             partners, before.isValid() ? QStringLiteral(" AND \"Date\" < ") % SqlDate(before) : QString());
}

} // namespace

QString ClosingSumsSql(const SideTables& t, const QString& closings)
{
    const QString code = SqlName(t.code), closing = SqlName(t.closing);
    const QString partners = QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(code, closing, closings);
    // Every closing of the partners from the date of the first one chosen:
    // all that the past of a chosen closing must leave out. The partners
    // lead (CROSS JOIN keeps the order), so that only those closings are read.
    const QString later = QStringLiteral("FROM (SELECT %2, MIN(CloseDate) AS FirstDate FROM %1 WHERE %3 GROUP BY %2) "
                                         "AS F CROSS JOIN %1 AS K WHERE K.%2 = F.%2 AND K.CloseDate >= F.FirstDate")
                              .arg(closing, code, closings);
    // What was booked to each of them, by SeikyuID and partner.
    const QString slips = QStringLiteral("SELECT SeikyuID, %1, SUM(Total) AS SlipTotal, SUM(Amount) AS SlipAmount, "
                                         "SUM(Tax) AS SlipTax, SUM(iif(DenpyoType = 0, 1, 0)) AS SlipCount, "
                                         "MIN(ID) AS FirstSlipID FROM %2 WHERE SeikyuID IN (SELECT K.ID %3) "
                                         "GROUP BY SeikyuID, %1")
                              .arg(code, SqlName(t.header), later);
    const QString money = QStringLiteral("SELECT SeikyuID, %1, SUM(Amount) AS Booked FROM %2 "
                                         "WHERE SeikyuID IN (SELECT K.ID %3) GROUP BY SeikyuID, %1")
                              .arg(code, SqlName(t.money), later);
    // Past = booked in all - booked to this closing and the later ones.
    const QString sums =
        QStringLiteral("SELECT C.*, COALESCE(S.SlipTotal, 0) AS SlipTotal, COALESCE(S.SlipAmount, 0) AS SlipAmount, "
                       "COALESCE(S.SlipTax, 0) AS SlipTax, COALESCE(S.SlipCount, 0) AS SlipCount, S.FirstSlipID, "
                       "COALESCE(M.Booked, 0) AS Booked, "
                       "COALESCE(BS.Amount, 0) - SUM(COALESCE(S.SlipTotal, 0)) OVER Later AS PastSlips, "
                       "COALESCE(BM.Amount, 0) - SUM(COALESCE(M.Booked, 0)) OVER Later AS PastMoney "
                       "FROM (SELECT K.* %1) AS C "
                       "LEFT JOIN (%2) AS S ON S.SeikyuID = C.ID AND S.%3 = C.%3 "
                       "LEFT JOIN (%4) AS M ON M.SeikyuID = C.ID AND M.%3 = C.%3 "
                       "LEFT JOIN (%5) AS BS ON BS.%3 = C.%3 LEFT JOIN (%6) AS BM ON BM.%3 = C.%3 "
                       "WINDOW Later AS (PARTITION BY C.%3 ORDER BY C.CloseDate, C.ID "
                       "ROWS BETWEEN CURRENT ROW AND UNBOUNDED FOLLOWING)")
            .arg(later, slips, code, money, BookedByPartner(t, false, partners, QDate()),
                 BookedByPartner(t, true, partners, QDate()));
    return QStringLiteral("SELECT * FROM (%1) WHERE %2").arg(sums, closings);
}

QString PastSumsSql(const SideTables& t, const QString& partners, const QDate& bound)
{
    const QString code = SqlName(t.code);
    // What the partners booked to their closings on or after the bound.
    auto later = [&](bool money) -> QString {
        return QStringLiteral("SELECT %1, SUM(%2) AS Amount FROM %4 WHERE (SeikyuID, %1) IN (SELECT K.ID, K.%1 "
                              "FROM %3 AS K WHERE K.%1 IN (%5) AND K.CloseDate >= %6) AND \"Date\" < %6 GROUP BY %1")
            .arg(code, money ? QStringLiteral("Amount") : QStringLiteral("Total"), SqlName(t.closing),
                 SqlName(money ? t.money : t.header), partners, SqlDate(bound));
    };
    return QStringLiteral("SELECT P.%1, COALESCE(BS.Amount, 0) - COALESCE(LS.Amount, 0) AS Slips, "
                          "COALESCE(BM.Amount, 0) - COALESCE(LM.Amount, 0) AS Money "
                          "FROM (SELECT %1 FROM (%2) GROUP BY %1) AS P "
                          "LEFT JOIN (%3) AS BS ON BS.%1 = P.%1 LEFT JOIN (%4) AS LS ON LS.%1 = P.%1 "
                          "LEFT JOIN (%5) AS BM ON BM.%1 = P.%1 LEFT JOIN (%6) AS LM ON LM.%1 = P.%1")
        .arg(code, partners, BookedByPartner(t, false, partners, bound), later(false),
             BookedByPartner(t, true, partners, bound), later(true));
}
