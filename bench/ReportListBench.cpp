// The report list as the screen runs it: load, compute and fill the rows,
// and a header sort. Each has an upper bound on its median time.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/ui/FakeUi.h"
#include "reports/ReportColumns.h"
#include "reports/ReportData.h"
#include "reports/ReportList.h"

#include <QDate>

namespace
{

constexpr double kBound = 0.3; // seconds

void Prepare(CReportList& list, int mode)
{
    list.SetMode(mode);
    CReportColumnParams params;
    params.mode = mode;
    params.unitWidth = 100;
    list.Columns() = BuildReportColumns(params);
}

// Loads the statement and fills the list of the mode, once per iteration.
void LoadAndFill(benchmark::State& state, int mode, const QString& sql, const QDate& closingDate)
{
    CMakeMsgID data;
    if (!Open(state, data))
        return;
    ScopedFakeUi ui;
    qint64 rows = 0;
    for (auto _ : state) {
        CReportList list;
        Prepare(list, mode);
        CCDSData records;
        if (RunReportStatement(data, sql, records) != 1 ||
            (list.SetRecords(std::move(records)), !list.FillList(closingDate))) {
            state.SkipWithError("the list did not fill");
            return;
        }
        rows = list.RowCount();
    }
    state.counters["rows"] = double(rows);
}

const bool registered = [] {
    const QDate closing(2024, 3, 25);
    RegisterBounded("ReportList/ClosingCandidatesDay25", kBound, [closing](benchmark::State& state) {
        LoadAndFill(state, 8, ClosingListSql(false, closing, 25), closing);
    });
    RegisterBounded("ReportList/ReceiptScheduleAllOpen", kBound, [](benchmark::State& state) {
        LoadAndFill(state, 10, ScheduleListSql(false, 0, QDate(), 0), QDate());
    });
    // 40 000 detail rows sorted by the product name.
    RegisterBounded("ReportList/Sort40000RowsByText", kBound, [](benchmark::State& state) {
        CReportList list;
        Prepare(list, 18);
        CCDSData records;
        for (int i = 0; i < 40000; ++i) {
            COneRecord* r = records.AddNew();
            r->SetField(QStringLiteral("No"), QString::number(i));
            r->SetField(QStringLiteral("ItemName"), QStringLiteral("商品%1").arg((i * 7919) % 40000));
            r->SetField(QStringLiteral("Amount"), CMny(i));
        }
        list.SetRecords(std::move(records));
        list.FillList(QDate());
        bool descending = false;
        for (auto _ : state) {
            list.SortRows(8, descending);
            descending = !descending;
        }
    });
    return true;
}();

} // namespace
