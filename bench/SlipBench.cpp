// The sales slip list on the generated database over one business year:
// the query with the model reset and the labels, a header-click sort on a
// text column, a find without a hit and an extraction by item code. Each
// must stay below its bound.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/sql/SlipListSql.h"
#include "platform/ui/FakeUi.h"
#include "settings/QXColFactory.h"
#include "slips/SlipExtract.h"
#include "slips/SlipList.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

constexpr double kBoundMs = 300;
const bool s_bounds = RegisterBound("SlipList/LoadYearOfSales", kBoundMs) &&
                      RegisterBound("SlipList/SortByPartnerName", kBoundMs) &&
                      RegisterBound("SlipList/FindWithoutHit", kBoundMs) &&
                      RegisterBound("SlipList/ExtractByItemCode", kBoundMs);

class CSlipBench
{
  public:
    CSlipBench()
    {
        static QTemporaryDir home;
        qputenv("CORVANTA_HOME", QFile::encodeName(home.path()));
    }

    bool Open(benchmark::State& state)
    {
        QString err;
        if (m_data.Open(BenchDatabaseFolder(), err) != CMakeMsgID::kOk) {
            state.SkipWithError(qPrintable(err));
            return false;
        }
        CCDSData request, result;
        request.m_strCondition = QStringLiteral("SELECT MAX(\"Date\") AS Newest FROM Sales_H");
        if (m_data.GetDataList(request, result, err) != CMakeMsgID::kOk || result.GetCount() != 1 ||
            !result.GetAt(0)->GetAt(0)->GetData(m_newest)) {
            QString text;
            if (result.GetCount() == 1 && result.GetAt(0)->GetAt(0)->GetData(text))
                m_newest = QDate::fromString(text.left(10), Qt::ISODate);
        }
        if (!m_newest.isValid()) {
            state.SkipWithError("no newest slip date");
            return false;
        }
        return true;
    }

    // The sales list's factory columns.
    static CQXColSet Columns()
    {
        CQXColSet columns;
        columns.m_nID = 4;
        for (const CQXColDef& def : kFactoryColumns) {
            if (def.nSetID == 4 && def.nShown == 1)
                columns.m_cols.append(CQXCol(QString::fromUtf8(def.pszField),
                                             QString::fromUtf8(def.pszCaption), def.nWidth, def.nAlign,
                                             def.nShown));
        }
        return columns;
    }

    // The list of the business year up to the newest slip, loaded.
    bool Load(benchmark::State& state, CSlipList& list)
    {
        list.Model().SetColumns(Columns());
        list.SetExtraction(
            MakeSlipListSQL(m_newest.addYears(-1).addDays(1), m_newest, 2, 0, QStringLiteral("Sales_H")),
            m_newest.addYears(-1).addDays(1), m_newest);
        list.Reload();
        return Quiet(state);
    }

    bool Quiet(benchmark::State& state)
    {
        if (m_ui.Prompt().Calls().isEmpty())
            return true;
        state.SkipWithError(qPrintable(m_ui.Prompt().Texts().join(u'|')));
        return false;
    }

    ScopedFakeUi m_ui;
    CMakeMsgID m_data;
    QDate m_newest;
};

// The list as it opens: the query into a fresh list, the model reset and
// the labels. Freeing the rows when the list goes is not part of it.
void LoadYearOfSales(benchmark::State& state)
{
    CSlipBench bench;
    if (!bench.Open(state))
        return;
    int rows = 0;
    for (auto _ : state) {
        auto list = std::make_unique<CSlipList>(5, bench.m_data);
        if (!bench.Load(state, *list))
            return;
        const QString labels = list->GetPeriodLabel() + list->GetCountLabel();
        benchmark::DoNotOptimize(labels);
        rows = list->Model().GetRowCount();
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    if (rows < 10000)
        state.SkipWithError("too few slips listed");
    bench.Quiet(state);
}

void SortByPartnerName(benchmark::State& state)
{
    CSlipBench bench;
    if (!bench.Open(state))
        return;
    CSlipList list(5, bench.m_data);
    if (!bench.Load(state, list))
        return;
    const int column = list.Model().GetColumns().IndexOf(QStringLiteral("Company_Section_Name"));
    for (auto _ : state)
        list.SortByColumn(column);
}

void FindWithoutHit(benchmark::State& state)
{
    CSlipBench bench;
    if (!bench.Open(state))
        return;
    CSlipList list(5, bench.m_data);
    if (!bench.Load(state, list))
        return;
    int row = 0;
    for (auto _ : state)
        row = list.Model().FindRow(QStringLiteral("どこにもない言葉"), true, 0);
    if (row != -1)
        state.SkipWithError("the text was found");
}

void ExtractByItemCode(benchmark::State& state)
{
    CSlipBench bench;
    if (!bench.Open(state))
        return;
    CCDSData request, result;
    request.m_strCondition =
        QStringLiteral("SELECT ItemCode FROM Sales_B WHERE ItemCode <> '' LIMIT 1 OFFSET 5000");
    QString err, code;
    if (bench.m_data.GetDataList(request, result, err) != CMakeMsgID::kOk || result.GetCount() != 1 ||
        !result.GetAt(0)->GetAt(0)->GetData(code)) {
        state.SkipWithError("no item code");
        return;
    }
    CSlipConditions conditions;
    conditions.itemCode = code;
    conditions.ordered = true;
    conditions.descending = true;
    CSlipList list(5, bench.m_data);
    list.Model().SetColumns(CSlipBench::Columns());
    list.SetExtraction(MakeSlipExtractWhere(QStringLiteral("Sales_H"), conditions), {}, {});
    for (auto _ : state)
        list.Reload();
    state.counters["rows"] = list.Model().GetRowCount();
    if (list.Model().GetRowCount() == 0)
        state.SkipWithError("the item is on no slip");
    bench.Quiet(state);
}

} // namespace

BENCHMARK(LoadYearOfSales)->Name("SlipList/LoadYearOfSales")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SortByPartnerName)
    ->Name("SlipList/SortByPartnerName")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(FindWithoutHit)->Name("SlipList/FindWithoutHit")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ExtractByItemCode)
    ->Name("SlipList/ExtractByItemCode")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
