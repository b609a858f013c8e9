// The exchange's readers and writer on the product master of the generated
// database: 10 000 products with 24 columns, as a CP932 CSV and as an .xlsx,
// each with a time bound.

#include "BenchMain.h"

#include "exchange/CsvReader.h"
#include "exchange/ExcelApp.h"
#include "exchange/ExchangeDialogs.h"
#include "platform/data/MakeMsgID.h"
#include "platform/office/XlsxWriter.h"
#include "platform/text/Cp932.h"
#include "platform/ui/FakeUi.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <limits>

namespace
{

constexpr int kColumns = 24;

const bool s_bounds = RegisterBound("CsvRead/10000x24", 300) && RegisterBound("ReadSheet/10000x24", 500) &&
                      RegisterBound("WriteBook/10000x24", 1000);

struct CProducts {
    CImportRows rows; // captions, then one row per product
    QList<int> types;
    QString csv;  // CP932, every value quoted
    QString xlsx; // written by our writer
    QString error;
};

// Built once from the run's database, outside the timings.
const CProducts& Products()
{
    static const CProducts products = [] {
        CProducts p;
        CMakeMsgID data;
        if (data.Open(BenchDatabaseFolder(), p.error) != CMakeMsgID::kOk)
            return p;
        CCDSData request, result;
        request.m_strTable = QStringLiteral("Item");
        if (data.GetDataList(request, result, p.error) != CMakeMsgID::kOk || result.GetCount() == 0)
            return p;
        // The 24 fields after the ID.
        const COneRecord* first = result.GetAt(0);
        QStringList captions;
        for (int i = 1; i <= kColumns && i < first->GetCount(); ++i) {
            captions << first->GetAt(i)->GetName().section(u'.', -1);
            p.types << first->GetAt(i)->GetType();
        }
        p.rows << captions;
        for (int r = 0; r < result.GetCount(); ++r) {
            const COneRecord* record = result.GetAt(r);
            QStringList row;
            for (int i = 1; i <= kColumns && i < record->GetCount(); ++i)
                row << record->GetAt(i)->GetText();
            p.rows << row;
        }

        const QString folder = BenchDatabaseFolder() + QStringLiteral("/exchange");
        QDir().mkpath(folder);
        QString text;
        for (const QStringList& row : p.rows) {
            QStringList quoted;
            for (QString value : row)
                quoted << u'"' + value.replace(u'"', QLatin1String("\"\"")) + u'"';
            text += quoted.join(u',') + QStringLiteral("\r\n");
        }
        p.csv = folder + QStringLiteral("/products.csv");
        QFile csv(p.csv);
        if (!csv.open(QIODevice::WriteOnly) || csv.write(Cp932::Encode(text)) < 0) {
            p.error = QStringLiteral("cannot write ") + p.csv;
            return p;
        }
        csv.close();
        p.xlsx = folder + QStringLiteral("/products.xlsx");
        if (!CXlsxWriter::Write(p.xlsx, p.rows, kColumns, p.types, &p.error))
            p.error = QStringLiteral("cannot write ") + p.xlsx + QStringLiteral(": ") + p.error;
        return p;
    }();
    return products;
}

bool Ready(benchmark::State& state)
{
    const CProducts& p = Products();
    if (!p.error.isEmpty() || p.rows.size() < 2) {
        state.SkipWithError(p.error.isEmpty() ? "no products in the database" : qPrintable(p.error));
        return false;
    }
    return true;
}

void CsvRead(benchmark::State& state)
{
    if (!Ready(state))
        return;
    ScopedFakeUi ui;
    qsizetype rows = 0;
    for (auto _ : state) {
        CImportRows table;
        if (CCsvReader(Products().csv, u',', 0).ReadHead(&table, std::numeric_limits<int>::max(), nullptr) ==
            0) {
            state.SkipWithError("the CSV was not read");
            break;
        }
        rows = table.size();
        benchmark::DoNotOptimize(table);
    }
    state.counters["rows"] = double(rows);
}

void ReadSheet(benchmark::State& state)
{
    if (!Ready(state))
        return;
    ScopedFakeUi ui;
    CScriptedExchangeDialogs dialogs; // the first sheet
    qsizetype rows = 0;
    for (auto _ : state) {
        CImportRows table;
        CExcelApp app;
        app.SetPath(Products().xlsx);
        if (app.ReadSheet(&table) != 1) {
            state.SkipWithError("the workbook was not read");
            break;
        }
        rows = table.size();
        benchmark::DoNotOptimize(table);
    }
    state.counters["rows"] = double(rows);
}

void WriteBook(benchmark::State& state)
{
    if (!Ready(state))
        return;
    ScopedFakeUi ui;
    const QString path = BenchDatabaseFolder() + QStringLiteral("/exchange/written.xlsx");
    for (auto _ : state) {
        CExcelApp app;
        app.SetPath(path);
        app.m_columnTypes = Products().types;
        if (app.WriteBook(&Products().rows) != 1) {
            state.SkipWithError("the workbook was not written");
            break;
        }
    }
    state.counters["rows"] = double(Products().rows.size());
}

} // namespace

BENCHMARK(CsvRead)->Name("CsvRead/10000x24")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ReadSheet)->Name("ReadSheet/10000x24")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(WriteBook)->Name("WriteBook/10000x24")->UseRealTime()->Unit(benchmark::kMillisecond);
