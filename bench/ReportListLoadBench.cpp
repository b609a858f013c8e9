// Every list mode that loads from the database, as the screen opens it: the
// mode's statement (or library call) on the frame's conditions, its records
// into the list, the rows filled and the list model reset and read for a
// first page. Each within 0.3 s. The ledgers (42-46) are in LedgerListBench.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/sql/ClosingSql.h"
#include "platform/ui/FakeUi.h"
#include "reports/ReportColumns.h"
#include "reports/ReportData.h"
#include "reports/ReportList.h"
#include "reports/ReportLoaders.h"
#include "reports/ReportModes.h"
#include "reports/ShimeListCtrl.h"
#include "reports/SummaryTotals.h"

#include <QDate>

#include <malloc.h>
#include <sqlite3.h>

namespace
{

constexpr double kBound = 0.3; // seconds
constexpr int kPageRows = 40;  // what a list window shows at once

struct LoadCase {
    const char* name;
    int mode;
    QDate from;
    QDate to;
    const char* classField = ""; // grouped by this classification when set
    int periodShape = 0;         // of the detail lists; monthly (1) for the period totals
    bool quantities = false;     // product transitions of quantities
    int closingDay = 0;          // of the closing and schedule lists: 0 every partner
};

// The stored carry-forward date, which the stock lists start from.
QDate LastCarryForward(CMakeMsgID& data)
{
    CCDSData request, result;
    request.m_strTable = QStringLiteral("Util");
    QString err;
    if (data.GetDataList(request, result, err) != CMakeMsgID::kOk || result.GetCount() == 0)
        return QDate();
    const CTb* tb = result.GetAt(0)->GetOneField(QStringLiteral("Util"), QStringLiteral("StartDate"));
    QDate date;
    return tb && tb->GetData(date) ? date : QDate();
}

// The records of the mode as its loader reads them; 1 done.
int LoadRecords(CMakeMsgID& data, const LoadCase& lc, const CLoaderConditions& c, CCDSData& records)
{
    const bool purchase = GetReportModeInfo(lc.mode)->side.IsPurchases();
    switch (GetReportModeInfo(lc.mode)->loader) {
    case EReportLoader::Closing:
        return RunReportStatement(data, ClosingListSql(purchase, c.to, lc.closingDay), records);
    case EReportLoader::Schedule:
        return RunReportStatement(data, ScheduleListSql(purchase, 0, c.to, lc.closingDay), records);
    case EReportLoader::Billed:
        return RunReportStatement(
            data, purchase ? MakePaidListSQL(c.from, c.to) : MakeBilledListSQL(c.from, c.to), records);
    case EReportLoader::SummarySheet:
        return LoadSummaryTotals(data, purchase, c.from, c.to, records);
    default:
        return RunReportStatement(data, BuildReportModeSql(lc.mode, c), records);
    }
}

void LoadFillReset(benchmark::State& state, const LoadCase& lc)
{
    CMakeMsgID data;
    if (!Open(state, data))
        return;
    ScopedFakeUi ui;
    CLoaderConditions c;
    c.from = lc.from;
    c.to = lc.to;
    c.periodShape = lc.periodShape;
    c.quantities = lc.quantities;
    c.classField = QString::fromLatin1(lc.classField);
    c.lastCarryForward = LastCarryForward(data);

    CReportList list;
    list.SetMode(lc.mode);
    list.m_cond.classField = c.classField;
    list.m_cond.groupByClass = c.classField.isEmpty() ? 0 : 1;
    CReportColumnParams params;
    params.mode = lc.mode;
    params.classField = c.classField;
    params.classTitle = c.classField.isEmpty() ? QString() : QStringLiteral("分類１");
    params.periodStart = lc.from;
    params.unitWidth = 100;
    list.Columns() = BuildReportColumns(params);
    CShimeListModel model(list);

    qint64 rows = 0;
    qint64 cells = 0;
    for (auto _ : state) {
        list.ClearRows();
        CCDSData records;
        if (LoadRecords(data, lc, c, records) != 1) {
            state.SkipWithError("the statement failed");
            return;
        }
        list.SetRecords(std::move(records));
        if (!list.FillList(lc.to)) {
            state.SkipWithError("the list did not fill");
            return;
        }
        model.Reset();
        // The view asks for the texts of its first page.
        const int shown = std::min(model.rowCount(), kPageRows);
        for (int r = 0; r < shown; ++r)
            for (int col = 0; col < model.columnCount(); ++col)
                cells += model.data(model.index(r, col)).toString().size() > 0 ? 1 : 0;
        rows = list.RowCount();
    }
    benchmark::DoNotOptimize(cells);
    state.counters["rows"] = double(rows);
    if (ui.Prompt().Calls().size() > 0)
        state.SkipWithError(qPrintable(ui.Prompt().Texts().join(u' ')));
}

// The memory a row of the largest list keeps: the sales lines of a quarter,
// their records and rows as the screen keeps them after its first page.
// Blocks glibc maps on their own (the rows' vectors, once it lowers its
// threshold) count too. SQLite's page cache, which the connection keeps
// and which its cache size bounds whatever the list's length, is left out
// and shown apart.
constexpr char kRowMemory[] = "ReportListLoad/MemoryOfASalesLinesRow";
constexpr double kRowMemoryBound = 0.8; // KB

void RowMemory(benchmark::State& state)
{
    CMakeMsgID data;
    if (!Open(state, data))
        return;
    ScopedFakeUi ui;
    const LoadCase lc{kRowMemory, 18, {2024, 1, 1}, {2024, 3, 31}};
    CLoaderConditions c;
    c.from = lc.from;
    c.to = lc.to;
    CReportColumnParams params;
    params.mode = lc.mode;
    params.periodStart = lc.from;
    params.unitWidth = 100;
    for (auto _ : state) {
        const auto inUse = [] {
            const struct mallinfo2 info = mallinfo2();
            return double(info.uordblks) + double(info.hblkhd);
        };
        const double before = inUse();
        const double sqliteBefore = double(sqlite3_memory_used());
        {
            CReportList list;
            list.SetMode(lc.mode);
            list.Columns() = BuildReportColumns(params);
            CShimeListModel model(list);
            CCDSData records;
            if (LoadRecords(data, lc, c, records) != 1 ||
                (list.SetRecords(std::move(records)), !list.FillList(lc.to))) {
                state.SkipWithError("the list did not load");
                return;
            }
            model.Reset();
            const int shown = std::min(model.rowCount(), kPageRows);
            for (int r = 0; r < shown; ++r)
                for (int col = 0; col < model.columnCount(); ++col)
                    benchmark::DoNotOptimize(model.data(model.index(r, col)));
            const double sqlite = double(sqlite3_memory_used()) - sqliteBefore;
            const double kept = inUse() - before - sqlite;
            const double perRow = kept / 1024 / std::max(1, list.RowCount());
            state.counters["rows"] = list.RowCount();
            state.counters["KB/row"] = perRow;
            state.counters["sqlite KB/row"] = sqlite / 1024 / std::max(1, list.RowCount());
            ReportFigure(kRowMemory, perRow);
        }
    }
}

const bool registered = [] {
    RegisterFigureBound(kRowMemory, kRowMemoryBound, "KB a row");
    benchmark::RegisterBenchmark(kRowMemory, RowMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
    // The generated business years run from April 2022 to March 2024; the
    // closings end with December 2023, the money with February 2024.
    const QDate yearFrom(2023, 4, 1), yearTo(2024, 3, 31), monthFrom(2024, 1, 1), monthTo(2024, 1, 31);
    static const LoadCase cases[] = {
        {"ReportListLoad/ClosingCandidatesUpToDate", 8, yearTo, yearTo},
        {"ReportListLoad/PaymentClosingCandidatesUpToDate", 9, yearTo, yearTo},
        {"ReportListLoad/ReceiptScheduleAllOpen", 10, yearTo, yearTo},
        {"ReportListLoad/PaymentScheduleAllOpen", 11, yearTo, yearTo},
        {"ReportListLoad/BilledListThreeMonths", 12, {2023, 10, 1}, {2023, 12, 31}},
        {"ReportListLoad/PaidListThreeMonths", 13, {2023, 10, 1}, {2023, 12, 31}},
        {"ReportListLoad/ReceiptsOfAMonth", 14, monthFrom, monthTo},
        {"ReportListLoad/ReceiptLinesOfAMonth", 15, monthFrom, monthTo},
        {"ReportListLoad/PaymentsOfAMonth", 16, monthFrom, monthTo},
        {"ReportListLoad/PaymentLinesOfAMonth", 17, monthFrom, monthTo},
        {"ReportListLoad/SalesLinesOfAMonth", 18, monthFrom, monthTo},
        {"ReportListLoad/PurchaseLinesOfAMonth", 19, monthFrom, monthTo},
        {"ReportListLoad/QuoteLinesOfAMonth", 20, monthFrom, monthTo},
        {"ReportListLoad/OrderLinesOfAMonth", 21, monthFrom, monthTo},
        {"ReportListLoad/StockChangesOfAMonth", 22, monthFrom, monthTo},
        {"ReportListLoad/ReceivableBalanceOfAYear", 23, yearFrom, yearTo},
        {"ReportListLoad/PayableBalanceOfAYear", 24, yearFrom, yearTo},
        {"ReportListLoad/SalesByCustomerByClass1OfAYear", 25, yearFrom, yearTo, "Class1"},
        {"ReportListLoad/PurchaseBySupplierOfAYear", 26, yearFrom, yearTo},
        {"ReportListLoad/SalesByItemOfAYear", 27, yearFrom, yearTo},
        {"ReportListLoad/PurchaseByItemOfAYear", 28, yearFrom, yearTo},
        {"ReportListLoad/SalesByStaffOfAYear", 29, yearFrom, yearTo},
        {"ReportListLoad/PurchaseByStaffOfAYear", 30, yearFrom, yearTo},
        {"ReportListLoad/SalesByDayOfAYear", 31, yearFrom, yearTo},
        {"ReportListLoad/PurchaseByMonthOfAYear", 32, yearFrom, yearTo, "", 1},
        {"ReportListLoad/StockList", 33, yearTo, yearTo},
        {"ReportListLoad/StockMovementOfAMonth", 34, {2024, 3, 1}, yearTo},
        {"ReportListLoad/CustomerTransition", 35, yearFrom, yearTo},
        {"ReportListLoad/SupplierTransition", 36, yearFrom, yearTo},
        {"ReportListLoad/ItemTransition", 37, yearFrom, yearTo},
        {"ReportListLoad/PurchaseItemQuantityTransition", 38, yearFrom, yearTo, "", 0, true},
        {"ReportListLoad/StaffTransition", 39, yearFrom, yearTo},
        {"ReportListLoad/PurchaseStaffTransition", 40, yearFrom, yearTo},
        {"ReportListLoad/StockTransition", 41, yearFrom, yearTo},
        {"ReportListLoad/SalesSummaryOfAYear", 47, yearFrom, yearTo},
        {"ReportListLoad/PurchaseSummaryOfAYear", 48, yearFrom, yearTo},
    };
    for (const LoadCase& lc : cases)
        RegisterBounded(lc.name, kBound, [&lc](benchmark::State& state) { LoadFillReset(state, lc); });
    return true;
}();

} // namespace
