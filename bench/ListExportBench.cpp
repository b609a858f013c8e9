// The export of the 10 000 generated products with 24 columns to a CSV file
// and to an .xlsx workbook, through the format and file dialogs (scripted),
// from the records to the renamed file.

#include "BenchMain.h"

#include "exchange/ExchangeDialogs.h"
#include "exchange/ListExport.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/env/ArdoEnv.h"
#include "platform/ui/FakeUi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

constexpr int kColumns = 24;

struct CProductSet {
    CCDSData records;
    CQXColSet columns; // the 24 fields after the ID
    QString error;
};

const CProductSet& Products()
{
    static const CProductSet products = [] {
        CProductSet p;
        CMakeMsgID data;
        if (data.Open(BenchDatabaseFolder(), p.error) != CMakeMsgID::kOk)
            return p;
        CCDSData request;
        request.m_strTable = QStringLiteral("Item");
        if (data.GetDataList(request, p.records, p.error) != CMakeMsgID::kOk || p.records.GetCount() == 0)
            return p;
        const COneRecord* first = p.records.GetAt(0);
        for (int i = 1; i <= kColumns && i < first->GetCount(); ++i) {
            const QString field = first->GetAt(i)->GetName().section(u'.', -1);
            p.columns.m_cols << CQXCol(field, field, 80, 0, 1);
        }
        return p;
    }();
    return products;
}

void ExportProducts(benchmark::State& state, int format)
{
    const CProductSet& products = Products();
    if (!products.error.isEmpty() || products.columns.m_cols.size() != kColumns) {
        state.SkipWithError(qPrintable(QString(QStringLiteral("products not read: ") + products.error)));
        return;
    }
    static QTemporaryDir home;
    qputenv("CORVANTA_HOME", QFile::encodeName(home.path()));
    QDir().mkpath(CArdoEnv().GetMyDataFolder());
    const QString path = home.filePath(format == CImportFormatRules::kText ? QStringLiteral("products.csv")
                                                                           : QStringLiteral("products.xlsx"));
    ScopedFakeUi ui;
    CScriptedExchangeDialogs dialogs;
    for (auto _ : state) {
        dialogs.QueueFormatChoice(format);
        ui.Prompt().QueueFiles({path});
        CListExport exporter(CMasterKind::Items());
        exporter.m_colSet = products.columns;
        if (exporter.Export(&products.records, 1, 1, 0) != 1) {
            state.SkipWithError(
                qPrintable(QString(QStringLiteral("export failed: ") + ui.Prompt().Texts().join(u'\n'))));
            return;
        }
        if (exporter.m_rows.size() != products.records.GetCount() + 1) {
            state.SkipWithError("rows missing");
            return;
        }
    }
    state.counters["rows"] = double(products.records.GetCount());
    state.counters["bytes"] = double(QFileInfo(path).size());
}

const bool s_registered = [] {
    RegisterBounded("ListExport/Csv10000x24", 1.0,
                    [](benchmark::State& s) { ExportProducts(s, CImportFormatRules::kText); });
    RegisterBounded("ListExport/Xlsx10000x24", 1.5,
                    [](benchmark::State& s) { ExportProducts(s, CImportFormatRules::kExcel); });
    return true;
}();

} // namespace
