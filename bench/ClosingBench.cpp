// Closing at the month end of the generated data: every candidate of
// closing day 99 closed with its invoices made, the closings undone, and a
// carry-forward one year into the data. Each run is rolled back afterwards
// (outside the timing), so every iteration starts from the same rows.

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

const QDate kMonthEnd(2024, 3, 31);

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

// Loads and fills the candidates, closes them all (each checked against
// the candidates read again) and fills the invoice work tables: what
// "締めて印刷" and the issue do. Answers the partners closed.
int CloseAll(CMakeMsgID& data, CCDSData& headers)
{
    CReportList list;
    list.SetMode(8);
    CReportColumnParams params;
    params.mode = 8;
    params.unitWidth = 100;
    list.Columns() = BuildReportColumns(params);
    CCDSData records;
    CMakeMsgID::CCloseCheck check;
    check.statement = ClosingListSql(false, kMonthEnd, 99);
    if (RunReportStatement(data, check.statement, records) != 1)
        return -1;
    list.SetRecords(std::move(records));
    if (!list.FillList(kMonthEnd))
        return -1;
    headers.Clear();
    headers.m_strTable = Q("Sales_Close");
    CCDSData slips;
    slips.m_strTable = Q("Sales_H");
    for (int i = 0; i < list.Records().GetCount(); ++i) {
        const COneRecord* row = list.Records().GetAt(i);
        const QString code = row->GetOneField(QString(), Q("CustomerCode"))->GetText();
        // The figures the row showed, checked again as the closing runs.
        COneRecord* shown = check.shown.AddNew();
        for (const char* name :
             {"前回請求額", "今回入金額", "今回税抜売上額", "今回課税対象額", "今回算出済み税額", "納品枚数"})
            shown->AddField(*row->GetOneField(QString(), Q(name)));
        COneRecord* h = headers.AddNew();
        h->SetField(Q("Sales_Close.ID"), 0);
        h->SetField(Q("Sales_Close.No"), QString::number(900000 + i));
        h->SetField(Q("Sales_Close.Date"), kMonthEnd);
        h->SetField(Q("Sales_Close.CustomerCode"), code);
        h->SetField(Q("Sales_Close.CloseDate"), kMonthEnd);
        h->SetField(Q("Sales_Close.Status"), 0);
        h->SetField(Q("Sales_Close.TudoFlg"), 1);
        CMny tax(0);
        if (const CTb* t = row->GetOneField(QString(), Q("締め時点税額"));
            t && t->GetData(tax) && tax != CMny(0)) {
            COneRecord* s = slips.AddNew();
            s->SetField(Q("Sales_H.Tax"), tax);
            s->SetField(Q("Sales_H.Total"), tax);
            s->SetField(Q("Sales_H.DenpyoType"), 1);
            s->SetField(Q("Sales_H.Date"), kMonthEnd);
            s->SetField(Q("Sales_H.CustomerCode"), code);
        }
    }
    QString err;
    if (data.Close_Sales(headers, slips, kMonthEnd, err, &check) != 1 || !check.changed.isEmpty())
        return -1;
    CCDSData work;
    work.m_strTable = Q("WShime_H");
    work.m_strCondition = Q("Sales_Close,0");
    for (int i = 0; i < headers.GetCount(); ++i) {
        int id = 0;
        headers.GetAt(i)->GetOneField(Q("Sales_Close"), Q("ID"))->GetData(id);
        COneRecord* w = work.AddNew();
        w->SetField(Q("WShime_H.SalesCloseID"), id);
        w->SetField(Q("WShime_H.CustomerCode"),
                    headers.GetAt(i)->GetOneField(Q("Sales_Close"), Q("CustomerCode"))->GetText());
    }
    if (data.SetWShime(work, err) != 1)
        return -1;
    return headers.GetCount();
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
    CCDSData headers;
    const bool closed = Begin(state, data) && CloseAll(data, headers) > 0;
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
            CCDSData headers;
            closed = CloseAll(data, headers);
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
            CCDSData headers;
            if (!Begin(state, data) || CloseAll(data, headers) <= 0) {
                state.SkipWithError("nothing closed");
                return;
            }
            CCDSData undo;
            undo.m_strTable = Q("Sales_Close");
            for (int i = 0; i < headers.GetCount(); ++i)
                undo.AddNew()->SetField(Q("Sales_Close.ID"),
                                        *headers.GetAt(i)->GetOneField(Q("Sales_Close"), Q("ID")));
            state.ResumeTiming();
            QString err;
            const int result = data.Reset_SalesClose(undo, err);
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
            const int result = data.DataMaintenance(QDate(2023, 3, 31), previous, err);
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
