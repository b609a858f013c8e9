// The condition lists as the screen opens them: the mode's statement on the
// frame's conditions, its records into the list, the rows filled and the
// list model reset and read for a first page. Each within 0.3 s.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/ui/FakeUi.h"
#include "reports/ReportColumns.h"
#include "reports/ReportData.h"
#include "reports/ReportList.h"
#include "reports/ReportLoaders.h"
#include "reports/ShimeListCtrl.h"

#include <QDate>

namespace
{

constexpr double kBound = 0.3; // seconds
constexpr int kPageRows = 40;  // what a list window shows at once

struct LoadCase {
    const char* name;
    int mode;
    QDate from;
    QDate to;
    const char* classField; // grouped by this classification when set
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

void LoadFillReset(benchmark::State& state, const LoadCase& lc)
{
    CMakeMsgID data;
    if (!Open(state, data))
        return;
    ScopedFakeUi ui;
    CLoaderConditions c;
    c.from = lc.from;
    c.to = lc.to;
    c.classField = QString::fromLatin1(lc.classField);
    c.lastCarryForward = LastCarryForward(data);
    const QString sql = BuildReportModeSql(lc.mode, c);

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
        if (RunReportStatement(data, sql, records) != 1) {
            state.SkipWithError("the statement failed");
            return;
        }
        list.SetRecords(std::move(records));
        if (!list.FillList(QDate())) {
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

const bool registered = [] {
    // The generated business years run from April 2022 to March 2024.
    static const LoadCase cases[] = {
        {"ReportListLoad/ReceiptsOfAMonth", 14, {2024, 1, 1}, {2024, 1, 31}, ""},
        {"ReportListLoad/ReceivableBalanceOfAYear", 23, {2023, 4, 1}, {2024, 3, 31}, ""},
        {"ReportListLoad/SalesByCustomerByClass1OfAYear", 25, {2023, 4, 1}, {2024, 3, 31}, "Class1"},
        {"ReportListLoad/SalesByStaffOfAYear", 29, {2023, 4, 1}, {2024, 3, 31}, ""},
        {"ReportListLoad/StockList", 33, {2024, 3, 31}, {2024, 3, 31}, ""},
        {"ReportListLoad/CustomerTransition", 35, {2023, 4, 1}, {2024, 3, 31}, ""},
        {"ReportListLoad/ItemTransition", 37, {2023, 4, 1}, {2024, 3, 31}, ""},
    };
    for (const LoadCase& lc : cases)
        RegisterBounded(lc.name, kBound, [&lc](benchmark::State& state) { LoadFillReset(state, lc); });
    return true;
}();

} // namespace
