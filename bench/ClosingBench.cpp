// Closing at the month end of the generated data: every candidate of
// closing day 99 closed with its invoices made, the closings undone, and a
// carry-forward one year into the data. Each run is rolled back afterwards
// (outside the timing), so every iteration starts from the same rows.

#include "BenchMain.h"

#include "platform/data/ClosingService.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"
#include "platform/ui/FakeUi.h"
#include "reports/ClosingController.h"
#include "reports/ReportColumns.h"
#include "reports/ReportData.h"
#include "reports/ReportList.h"

#include <QDate>

namespace
{

const QDate kMonthEnd(2024, 3, 31);

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

// Loads and fills the candidates, closes them all (each checked against
// the candidates read again) and fills the invoice work tables, through the
// calls and with the rows the report screen's "締めて印刷" and issue make.
// Answers the partners closed, their closings into `ids`.
int CloseAll(CMakeMsgID& data, QList<int>& ids)
{
    CReportList list;
    list.SetMode(8);
    CReportColumnParams params;
    params.mode = 8;
    params.unitWidth = 100;
    list.Columns() = BuildReportColumns(params);
    CCDSData records;
    const QString statement = ClosingListSql(false, kMonthEnd, 99);
    if (RunReportStatement(data, statement, records) != 1)
        return -1;
    list.SetRecords(std::move(records));
    if (!list.FillList(kMonthEnd))
        return -1;
    const CTradeSide& side = CTradeSide::Sales();
    CCloseRequest request{&side, kMonthEnd, kMonthEnd, list.GetTaxRate(), statement, {}};
    for (int row = 0; row < list.RowCount(); ++row)
        request.candidates.push_back(
            CClosingController::CandidateOf(list.RecordAt(row), side, QString::number(900000 + row)));
    CClosingService service(data);
    const CCloseOutcome closed = service.Close(request);
    if (!closed.refusal.IsDone() || !closed.changed.isEmpty() || closed.ids.size() != list.RowCount())
        return -1;
    // Each row now stands for its closing, as on the screen.
    std::vector<CInvoiceHeader> invoices;
    for (int row = 0; row < list.RowCount(); ++row) {
        COneRecord* record = list.RecordAt(row);
        record->SetField(Q("ID"), closed.ids[row]);
        record->SetField(Q("No"), request.candidates[size_t(row)].number);
        record->SetField(Q("Date"), kMonthEnd);
        invoices.push_back(CClosingController::InvoiceOf(record, side, false));
    }
    if (!service.MakeInvoices(side, invoices).IsDone())
        return -1;
    ids = closed.ids;
    return int(ids.size());
}

bool Begin(benchmark::State& state, CMakeMsgID& data)
{
    QString err;
    if (data.BeginTransaction(err) == 1)
        return true;
    state.SkipWithError("no transaction");
    return false;
}

void Undo(CMakeMsgID& data)
{
    QString err;
    data.Rollback(err);
}

// One closing run and rolled back before the timing: each timed iteration
// then meets the connection's page cache as the one before it left it. A
// run takes several iterations at the default size but one at larger books,
// so without this the first, cold iteration would weigh on the larger books
// alone and their growth would read too high.
bool WarmUp(benchmark::State& state, CMakeMsgID& data)
{
    QList<int> ids;
    const bool closed = Begin(state, data) && CloseAll(data, ids) > 0;
    Undo(data);
    if (!closed)
        state.SkipWithError("nothing closed");
    return closed;
}

const bool registered = [] {
    RegisterBounded("Closing/CloseAllOfDay99", 2.0, [](benchmark::State& state) {
        CMakeMsgID data;
        if (!Open(state, data))
            return;
        ScopedFakeUi ui;
        if (!WarmUp(state, data))
            return;
        int closed = 0;
        for (auto _ : state) {
            if (!Begin(state, data))
                return;
            QList<int> ids;
            closed = CloseAll(data, ids);
            state.PauseTiming();
            Undo(data);
            state.ResumeTiming();
            if (closed <= 0) {
                state.SkipWithError("nothing closed");
                return;
            }
        }
        state.counters["partners"] = closed;
    });
    RegisterBounded("Closing/UndoAllOfDay99", 1.0, [](benchmark::State& state) {
        CMakeMsgID data;
        if (!Open(state, data))
            return;
        ScopedFakeUi ui;
        if (!WarmUp(state, data))
            return;
        for (auto _ : state) {
            state.PauseTiming();
            QList<int> ids;
            if (!Begin(state, data) || CloseAll(data, ids) <= 0) {
                state.SkipWithError("nothing closed");
                return;
            }
            state.ResumeTiming();
            const int result = CClosingService(data).Undo(CTradeSide::Sales(), ids).Code();
            state.PauseTiming();
            Undo(data);
            state.ResumeTiming();
            if (result != 1) {
                state.SkipWithError("undo failed");
                return;
            }
        }
    });
    RegisterBounded("Closing/CarryForwardOneYear", 5.0, [](benchmark::State& state) {
        CMakeMsgID data;
        if (!Open(state, data))
            return;
        // The date the database was last carried forward to, if ever.
        CCDSData request, util;
        request.m_strTable = Q("Util");
        QString err;
        QDate previous;
        if (data.GetDataList(request, util, err) == 1 && util.GetCount() > 0)
            if (const CTb* f = util.GetAt(0)->GetOneField(Q("Util"), Q("StartDate")))
                f->GetData(previous);
        // The run sets the foreign keys aside when it holds its own
        // transaction; here the bench holds it, to roll back, so they are
        // set aside before it, as the run would.
        data.Execute(Q("PRAGMA foreign_keys=OFF"), err);
        for (auto _ : state) {
            if (!Begin(state, data))
                return;
            const int result =
                CClosingService(data).CarryForward(QDate(2023, 3, 31), previous).refusal.Answer(err);
            state.PauseTiming();
            Undo(data);
            state.ResumeTiming();
            if (result != 1) {
                const std::string why = "carry-forward failed: " + err.toStdString();
                state.SkipWithError(why.c_str());
                return;
            }
        }
    });
    return true;
}();

} // namespace
