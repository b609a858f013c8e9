// The report statements on the generated database, run as the report list
// runs them: one whole SELECT through CMakeMsgID::GetDataList. Each has an
// upper bound on its median time.

#include "BenchMain.h"

#include "platform/sql/AggregationSql.h"
#include "platform/sql/BalanceSql.h"
#include "platform/sql/ClosingSql.h"
#include "platform/sql/DetailListSql.h"
#include "platform/sql/SlipListSql.h"
#include "platform/sql/StockSql.h"
#include "platform/sql/TransitionSql.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/TableNames.h"

#include <QDate>

#include <functional>

namespace
{

constexpr double kBound = 0.3; // seconds

// The last day of the generated data; its last three months are unbilled,
// closings end with December 2023, money with February 2024.
const QDate kLastDay(2024, 3, 31);
const QDate kYearStart(2023, 4, 1);
const QDate kLastClosing(2023, 12, 31);

// The collection date with the most open closings of a closing table.
QDate BusiestCollectDate(CMakeMsgID& data, const char* closing)
{
    CCDSData request, result;
    request.m_strCondition =
        QStringLiteral("SELECT CollectDate FROM \"%1\" WHERE Status = 0 GROUP BY CollectDate "
                       "ORDER BY COUNT(*) DESC, CollectDate LIMIT 1")
            .arg(QString::fromLatin1(closing));
    QString err;
    QDate date;
    if (data.GetDataList(request, result, err) == CMakeMsgID::kOk && result.GetCount() == 1)
        result.GetAt(0)->GetAt(0)->GetData(date);
    return date;
}

// Runs the statement the builder makes (given the open connection).
void RunStatement(benchmark::State& state, const std::function<QString(CMakeMsgID&)>& build)
{
    CMakeMsgID data;
    if (!Open(state, data))
        return;
    const QString statement = build(data);
    if (statement.isEmpty())
        state.SkipWithError("no statement");
    else
        RunRequest(state, data, QString(), statement);
}

void Bounded(const char* name, std::function<QString(CMakeMsgID&)> build)
{
    RegisterBounded(std::string("ReportSql/") + name, kBound,
                    [build](benchmark::State& state) { RunStatement(state, build); });
}

const bool kRegistered = [] {
    Bounded("ClosingDay25", [](CMakeMsgID&) { return MakeSeikyuSQL(kLastDay, 25); });
    Bounded("ClosingDay99", [](CMakeMsgID&) { return MakeSeikyuSQL(kLastDay, 99); });
    Bounded("ClosingUpToDate", [](CMakeMsgID&) { return MakeSeikyuUpToDateSQL(kLastDay); });
    Bounded("ReceiptScheduleAll", [](CMakeMsgID&) { return MakeOpenSalesCloseByCustomer(false); });
    Bounded("ReceiptScheduleOfDate", [](CMakeMsgID& data) {
        return MakeOpenSalesCloseByCollectDate(false, BusiestCollectDate(data, TB_SALES_CLOSE));
    });
    Bounded("PaymentScheduleAll", [](CMakeMsgID&) { return MakeOpenStockCloseBySupplier(false); });
    Bounded("PaymentScheduleTransferOnly", [](CMakeMsgID& data) {
        return MakeOpenStockCloseByCollectDate(false, BusiestCollectDate(data, TB_STOCK_CLOSE), true);
    });
    Bounded("SalesSlipListThreeMonths", [](CMakeMsgID&) {
        return MakeSlipListSQL(kLastDay.addMonths(-3).addDays(1), kLastDay, 2, 0, TB_SALES_H);
    });
    Bounded("BilledListThreeMonths",
            [](CMakeMsgID&) { return MakeBilledListSQL(QDate(2023, 10, 1), kLastClosing); });
    Bounded("PaidListThreeMonths",
            [](CMakeMsgID&) { return MakePaidListSQL(QDate(2023, 10, 1), kLastClosing); });
    Bounded("ReceivableBalanceYear",
            [](CMakeMsgID&) { return MakeReceivableBalanceSQL(kYearStart, kLastDay, QString(), {}, false); });
    Bounded("ReceivableBalanceYearActive",
            [](CMakeMsgID&) { return MakeReceivableBalanceSQL(kYearStart, kLastDay, QString(), {}, true); });
    Bounded("PayableBalanceYear",
            [](CMakeMsgID&) { return MakePayableBalanceSQL(kYearStart, kLastDay, QString(), {}, false); });
    Bounded("PayableBalanceYearActive",
            [](CMakeMsgID&) { return MakePayableBalanceSQL(kYearStart, kLastDay, QString(), {}, true); });
    Bounded("SalesSlipLinesMonth", [](CMakeMsgID&) {
        return MakeSlipLineListSQL(CTradeSide::Sales(), QDate(2024, 3, 1), kLastDay);
    });
    Bounded("ReceiptsMonth", [](CMakeMsgID&) {
        return MakeReceiptListSQL(CTradeSide::Sales(), QDate(2024, 2, 1), QDate(2024, 2, 29));
    });
    Bounded("SalesByCustomerYear",
            [](CMakeMsgID&) { return MakeSalesByCustomerSQL(kYearStart, kLastDay, QString(), {}); });
    Bounded("SalesByItemYear",
            [](CMakeMsgID&) { return MakeSalesByItemSQL(kYearStart, kLastDay, QString(), {}); });
    Bounded("SalesByMonthYear", [](CMakeMsgID&) { return MakeSalesByPeriodSQL(true, kYearStart, kLastDay); });
    Bounded("SalesTaxBreakdownYear",
            [](CMakeMsgID&) { return MakeSalesTaxBreakdownSQL(kYearStart, kLastDay); });
    Bounded("PartnerTransition", [](CMakeMsgID&) {
        return MakePartnerTransitionSQL(CTradeSide::Sales(), 2023, 4, QString(), {});
    });
    Bounded("ItemTransition", [](CMakeMsgID&) {
        return MakeItemAmountTransitionSQL(CTradeSide::Sales(), 2023, 4, QString(), {});
    });
    Bounded("StockListLastDay",
            [](CMakeMsgID&) { return MakeStockListSQL(kLastDay, QString(), {}, QDate()); });
    Bounded("StockMovementMonth", [](CMakeMsgID&) {
        return MakeStockMovementSQL(QDate(2024, 3, 1), kLastDay, QString(), {}, QDate());
    });
    return true;
}();

} // namespace
