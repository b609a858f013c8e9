// Printing from the master list on the generated database: the detailed
// customer directory of every customer (prepared, its last page drawn) and
// the address work table of every customer.

#include "BenchMain.h"

#include "master/AddressPrint.h"
#include "master/MasterPrint.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/data/Record.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/PrintCanvas.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

constexpr double kBoundMs = 300;
const bool s_bounds = RegisterBound("MasterPrint/DirectoryOfAllCustomers", kBoundMs) &&
                      RegisterBound("MasterPrint/AddressTableOfAllCustomers", kBoundMs);

// Every customer as the list holds them; messages would be failures.
class CPrintBench
{
  public:
    CPrintBench()
    {
        static QTemporaryDir home;
        qputenv("CORVANTA_HOME", QFile::encodeName(home.path()));
    }
    bool Load(benchmark::State& state)
    {
        QString err;
        CCDSData request;
        request.m_strTable = QStringLiteral("Customer");
        request.m_strCondition = QStringLiteral("ORDER BY CustomerCode");
        if (!::Open(state, m_data))
            return false;
        if (m_data.GetDataList(request, m_customers, err) != CMakeMsgID::kOk) {
            state.SkipWithError(qPrintable(err));
            return false;
        }
        if (m_customers.GetCount() < 5000) {
            state.SkipWithError("fewer than 5000 customers");
            return false;
        }
        return true;
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
    CCDSData m_customers;
};

void DirectoryOfAllCustomers(benchmark::State& state)
{
    CPrintBench bench;
    if (!bench.Load(state))
        return;
    const CCDSData& customers = bench.m_customers;
    CMasterPrintDoc doc(CMasterKind::Customers(), 0, [&customers] {
        CMasterPrintDoc::Records records;
        records.reserve(customers.GetCount());
        for (int i = 0; i < customers.GetCount(); ++i)
            records << std::make_shared<const COneRecord>(*customers.GetAt(i));
        return records;
    });
    doc.SetPaperRule([] { return true; });
    CPrintInfo info;
    qsizetype drawn = 0;
    for (auto _ : state) {
        CRecordingCanvas canvas;
        if (!doc.OnPreparePrinting(info))
            break;
        doc.OnBeginPrinting(canvas, info);
        info.m_nCurPage = info.m_nMaxPage;
        doc.OnPrint(canvas, info);
        doc.OnEndPrinting(canvas, info);
        drawn = canvas.TextCalls().size();
    }
    state.counters["pages"] = info.m_nMaxPage;
    if (info.m_nMaxPage != (customers.GetCount() + 2) / 3 || drawn < 5 + 16)
        state.SkipWithError("the directory was not paged as expected");
    bench.Quiet(state);
}

void AddressTableOfAllCustomers(benchmark::State& state)
{
    CPrintBench bench;
    if (!bench.Load(state))
        return;
    QList<const COneRecord*> selected;
    for (int i = 0; i < bench.m_customers.GetCount(); ++i)
        selected << bench.m_customers.GetAt(i);
    int launched = 0;
    CAddressPrint command(
        CMasterKind::Customers(),
        [&bench](CCDSData& set, QString& err) { return bench.m_data.InsertData(set, err); },
        [&launched](int, const QString&, long) {
            ++launched;
            return 1;
        });
    for (auto _ : state) {
        bench.m_ui.Prompt().QueueAnswers({IDYES});
        if (command.Run(selected) != 1)
            break;
        bench.m_ui.Prompt().Clear();
    }
    int rows = 0;
    QString err;
    CCDSData request;
    request.m_strTable = QStringLiteral("WAtena");
    bench.m_data.GetDataNum(request, rows, err);
    state.counters["rows"] = rows;
    if (rows != bench.m_customers.GetCount() || launched == 0)
        state.SkipWithError("the work table did not take every customer");
    bench.Quiet(state);
}

} // namespace

BENCHMARK(DirectoryOfAllCustomers)
    ->Name("MasterPrint/DirectoryOfAllCustomers")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(AddressTableOfAllCustomers)
    ->Name("MasterPrint/AddressTableOfAllCustomers")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
