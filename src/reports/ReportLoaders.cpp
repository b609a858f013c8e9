#include "reports/ReportLoaders.h"

#include "platform/sql/AggregationSql.h"
#include "platform/sql/BalanceSql.h"
#include "platform/sql/DetailListSql.h"
#include "platform/sql/StockSql.h"
#include "platform/sql/TransitionSql.h"
#include "reports/ReportModes.h"

namespace
{

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
    using S = EReportStatement;
    const CReportModeInfo& info = ReportMode(mode);
    const CTradeSide& side = info.side;
    const bool purchases = side.IsPurchases();
    QDate start, end;
    if (info.loader == EReportLoader::SlipDetail) {
        const CShapedPeriod period = ShapePeriod(c.from, c.to, c.periodShape);
        start = period.start;
        end = period.end;
    }
    const int year = c.from.year();
    const int month = c.from.month();
    switch (info.statement) {
    case S::Receipts:
        return MakeReceiptListSQL(side, start, end);
    case S::ReceiptLines:
        return MakeReceiptLineListSQL(side, start, end);
    case S::SlipLines:
        return MakeSlipLineListSQL(side, start, end);
    case S::QuoteOrderLines:
        return MakeQuoteOrderLineListSQL(side, start, end);
    case S::StockMoves:
        return MakeStockChangeListSQL(start, end, 0);
    case S::Balances:
        return purchases ? MakePayableBalanceSQL(c.from, c.to, c.classField, c.classValues, c.tradedOnly)
                         : MakeReceivableBalanceSQL(c.from, c.to, c.classField, c.classValues, c.tradedOnly);
    case S::PartnerTotals:
        return purchases ? MakePurchaseBySupplierSQL(c.from, c.to, c.classField, c.classValues)
                         : MakeSalesByCustomerSQL(c.from, c.to, c.classField, c.classValues);
    case S::ProductTotals:
        return purchases ? MakePurchaseByItemSQL(c.from, c.to, c.classField, c.classValues)
                         : MakeSalesByItemSQL(c.from, c.to, c.classField, c.classValues);
    case S::StaffTotals:
        return purchases ? MakePurchaseByStaffSQL(c.from, c.to) : MakeSalesByStaffSQL(c.from, c.to);
    case S::PeriodTotals:
        return purchases ? MakePurchaseByPeriodSQL(c.periodShape == 1, c.from, c.to)
                         : MakeSalesByPeriodSQL(c.periodShape == 1, c.from, c.to);
    case S::Stock:
        return MakeStockListSQL(c.from, c.classField, c.classValues, c.lastCarryForward);
    case S::StockInOut:
        return MakeStockMovementSQL(c.from, c.to, c.classField, c.classValues, c.lastCarryForward);
    case S::PartnerTrend:
        return MakePartnerTransitionSQL(side, year, month, c.classField, c.classValues);
    case S::ProductTrend:
        return c.quantities ? MakeItemQuantityTransitionSQL(side, year, month, c.classField, c.classValues)
                            : MakeItemAmountTransitionSQL(side, year, month, c.classField, c.classValues);
    case S::StaffTrend:
        return MakeStaffTransitionSQL(side, year, month);
    case S::StockTrend:
        return MakeStockTransitionSQL(year, month, c.classField, c.classValues, c.lastCarryForward);
    case S::None:
        break;
    }
    return QString();
}

QString PeriodText(const QDate& from, const QDate& to)
{
    return QStringLiteral("期間：%1～%2").arg(Day(from), Day(to));
}

CShapedPeriod ShapePeriod(const QDate& from, const QDate& to, int shape)
{
    switch (shape) {
    case 0:
        return {from, to, PeriodText(from, to)};
    case 1:
        return {QDate(), to, QStringLiteral("期間：～%1").arg(Day(to))};
    case 2:
        return {from, QDate(), QStringLiteral("期間：%1～").arg(Day(from))};
    case 3:
        return {QDate(), QDate(), QStringLiteral("期間：指定なし")};
    default:
        Q_ASSERT_X(false, "ShapePeriod", "period shape outside 0-3");
        return {QDate(), QDate(), QStringLiteral("期間：指定なし")};
    }
}

QString ReportPeriodText(int mode, const CLoaderConditions& c)
{
    const CReportModeInfo& info = ReportMode(mode);
    if (info.loader == EReportLoader::SlipDetail)
        return ShapePeriod(c.from, c.to, c.periodShape).text;
    // Monthly totals and the trends show months.
    const bool months = IsSummaryMode(mode) && (c.periodShape != 0 || info.trend);
    const QString from = months ? Month(c.from) : Day(c.from);
    const QString to = months ? Month(c.to) : Day(c.to);
    if (info.oneDate)
        return QStringLiteral("日付：%1").arg(from);
    return QStringLiteral("期間：%1～%2").arg(from, to);
}

QString ReportCountText(int mode, int count)
{
    return QStringLiteral("件数：%1%2")
        .arg(count)
        .arg(ReportMode(mode).countsLines ? QStringLiteral("明細") : QStringLiteral("件"));
}

QDate GetLastDayOfMonth(const QDate& date)
{
    if (!date.isValid())
        return QDate();
    return QDate(date.year(), date.month(), 1).addMonths(1).addDays(-1);
}
