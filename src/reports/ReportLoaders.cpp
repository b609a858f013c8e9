#include "reports/ReportLoaders.h"

#include "platform/sql/AggregationSql.h"
#include "platform/sql/BalanceSql.h"
#include "platform/sql/DetailListSql.h"
#include "platform/sql/StockSql.h"
#include "platform/sql/TransitionSql.h"
#include "reports/ReportModes.h"

namespace
{

bool IsDetailMode(int mode)
{
    return mode >= 14 && mode <= 22;
}

bool IsTrendMode(int mode)
{
    return mode >= 35 && mode <= 41;
}

// The detail lists pass only the bounds their shape keeps.
void ShapeBounds(const CLoaderConditions& c, QDate& start, QDate& end)
{
    switch (c.periodShape) {
    case 0:
        start = c.from;
        end = c.to;
        break;
    case 1:
        end = c.to;
        break;
    case 2:
        start = c.from;
        break;
    case 3:
        break;
    default:
        Q_ASSERT_X(false, "ShapeBounds", "period shape outside 0-3");
        break;
    }
}

QString Day(const QDate& d)
{
    return d.toString(QStringLiteral("yyyy/MM/dd"));
}

QString Month(const QDate& d)
{
    return d.toString(QStringLiteral("yyyy年MM月"));
}

} // namespace

QString BuildReportModeSql(int mode, const CLoaderConditions& c)
{
    if (IsDetailMode(mode)) {
        QDate start, end;
        ShapeBounds(c, start, end);
        const int side = (mode == 16 || mode == 17 || mode == 19 || mode == 21) ? 1 : 0;
        switch (mode) {
        case 14:
        case 16:
            return MakeReceiptListSQL(side, start, end);
        case 15:
        case 17:
            return MakeReceiptLineListSQL(side, start, end);
        case 18:
        case 19:
            return MakeSlipLineListSQL(side, start, end);
        case 20:
        case 21:
            return MakeQuoteOrderLineListSQL(side, start, end);
        default:
            return MakeStockChangeListSQL(start, end, 0);
        }
    }
    const int side = (mode == 36 || mode == 38 || mode == 40) ? 1 : 0;
    const int year = c.from.year();
    const int month = c.from.month();
    switch (mode) {
    case 23:
        return MakeReceivableBalanceSQL(c.from, c.to, c.classField, c.classValues, c.tradedOnly);
    case 24:
        return MakePayableBalanceSQL(c.from, c.to, c.classField, c.classValues, c.tradedOnly);
    case 25:
        return MakeSalesByCustomerSQL(c.from, c.to, c.classField, c.classValues);
    case 26:
        return MakePurchaseBySupplierSQL(c.from, c.to, c.classField, c.classValues);
    case 27:
        return MakeSalesByItemSQL(c.from, c.to, c.classField, c.classValues);
    case 28:
        return MakePurchaseByItemSQL(c.from, c.to, c.classField, c.classValues);
    case 29:
        return MakeSalesByStaffSQL(c.from, c.to);
    case 30:
        return MakePurchaseByStaffSQL(c.from, c.to);
    case 31:
        return MakeSalesByPeriodSQL(c.periodShape == 1, c.from, c.to);
    case 32:
        return MakePurchaseByPeriodSQL(c.periodShape == 1, c.from, c.to);
    case 33:
        return MakeStockListSQL(c.from, c.classField, c.classValues, c.lastCarryForward);
    case 34:
        return MakeStockMovementSQL(c.from, c.to, c.classField, c.classValues, c.lastCarryForward);
    case 35:
    case 36:
        return MakePartnerTransitionSQL(side, year, month, c.classField, c.classValues);
    case 37:
    case 38:
        return c.quantities ? MakeItemQuantityTransitionSQL(side, year, month, c.classField, c.classValues)
                            : MakeItemAmountTransitionSQL(side, year, month, c.classField, c.classValues);
    case 39:
    case 40:
        return MakeStaffTransitionSQL(side, year, month);
    case 41:
        return MakeStockTransitionSQL(year, month, c.classField, c.classValues, c.lastCarryForward);
    default:
        return QString();
    }
}

QString PeriodText(const QDate& from, const QDate& to)
{
    return QStringLiteral("期間：%1～%2").arg(Day(from), Day(to));
}

QString ReportPeriodText(int mode, const CLoaderConditions& c)
{
    if (IsDetailMode(mode)) {
        switch (c.periodShape) {
        case 0:
            return PeriodText(c.from, c.to);
        case 1:
            return QStringLiteral("期間：～%1").arg(Day(c.to));
        case 2:
            return QStringLiteral("期間：%1～").arg(Day(c.from));
        default:
            return QStringLiteral("期間：指定なし");
        }
    }
    // Monthly totals and the trends show months.
    const bool months = IsSummaryMode(mode) && (c.periodShape != 0 || IsTrendMode(mode));
    const QString from = months ? Month(c.from) : Day(c.from);
    const QString to = months ? Month(c.to) : Day(c.to);
    if (mode == 33)
        return QStringLiteral("日付：%1").arg(from);
    return QStringLiteral("期間：%1～%2").arg(from, to);
}

QString ReportCountText(int mode, int count)
{
    const bool lines = mode == 15 || (mode >= 17 && mode <= 22);
    return QStringLiteral("件数：%1%2").arg(count).arg(lines ? QStringLiteral("明細") : QStringLiteral("件"));
}

QDate GetLastDayOfMonth(const QDate& date)
{
    if (!date.isValid())
        return QDate();
    return QDate(date.year(), date.month(), 1).addMonths(1).addDays(-1);
}
