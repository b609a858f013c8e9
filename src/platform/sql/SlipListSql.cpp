#include "platform/sql/SlipListSql.h"

#include "platform/sql/ReportSql.h"
#include "platform/sql/ResultNames.h"

#include "platform/data/TableNames.h"

#include <QStringList>

namespace
{

// A day the stored text 'YYYY-MM-DD' can hold, so that it sorts as a date.
bool Storable(const QDate& date)
{
    return date.isNull() || (date.year() >= 1 && date.year() <= 9999 && date.addDays(1).year() <= 9999);
}

} // namespace

QString MakeSlipListSQL(const QDate& fromDate, const QDate& toDate, int order, int slipKind,
                        const QString& table)
{
    const char* closing = nullptr;
    if (table == QLatin1String(TB_SALES_H))
        closing = TB_SALES_CLOSE;
    else if (table == QLatin1String(TB_STOCK_H))
        closing = TB_STOCK_CLOSE;
    else if (table != QLatin1String(TB_ESTIMATE_H) && table != QLatin1String(TB_ORDER_H))
        return {};
    if (!Storable(fromDate) || !Storable(toDate) ||
        (fromDate.isValid() && toDate.isValid() && fromDate > toDate))
        return {};

    const QString header = SqlName(table.toUtf8().constData());
    QString statement;
    if (closing) {
        const QString close = SqlName(closing);
        statement = QStringLiteral("SELECT %1.*, COALESCE(%2.TudoFlg, 1) AS \"TudoFlg\" FROM %1 LEFT JOIN %2 "
                                   "ON %1.SeikyuID = %2.ID")
                        .arg(header, close);
    }
    QStringList conditions;
    const QString period = SqlPeriod(header % QStringLiteral(".\"Date\""), fromDate, toDate);
    if (!period.isEmpty())
        conditions << u'(' % period % u')';
    // Quotes and orders have no slip kind.
    if (closing && (slipKind == 0 || slipKind == 1))
        conditions << header % QStringLiteral(".DenpyoType = ") % QString::number(slipKind);
    if (!conditions.isEmpty())
        statement += QStringLiteral(" WHERE ") % conditions.join(QStringLiteral(" AND "));
    if (order == 1)
        statement += QStringLiteral(" ORDER BY %1.\"Date\"").arg(header);
    else if (order == 2)
        statement += QStringLiteral(" ORDER BY %1.\"Date\" DESC, %1.ID DESC").arg(header);
    return statement;
}

QString MakeDateRangeSQL(const QString& table)
{
    static const char* const kDated[] = {TB_ESTIMATE_H,  TB_SALES_H, TB_SALES_CLOSE,
                                         TB_RECEIPT_H,   TB_ORDER_H, TB_STOCK_H,
                                         TB_STOCK_CLOSE, TB_PAY_H,   TB_STOCKCHANGE};
    static const char* const kMasters[] = {TB_CUSTOMER, TB_ITEM, TB_SUPPLIER};
    auto range = [&](const char* name, const char* first, const char* last) -> QString {
        return QStringLiteral("SELECT MIN(%1) AS %2, MAX(%3) AS %4 FROM %5")
            .arg(SqlName(first), SqlName(RC_OLDEST), SqlName(last), SqlName(RC_NEWEST), SqlName(name));
    };
    for (const char* name : kDated) {
        if (table == QLatin1String(name))
            return range(name, "Date", "Date");
    }
    for (const char* name : kMasters) {
        if (table == QLatin1String(name))
            return range(name, "StartDate", "LastUpdate");
    }
    return {};
}
