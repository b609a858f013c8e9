// The master import of 10 000 products from a CP932 CSV into the generated
// database, from reading the file to the commit, with scripted dialogs:
// once as new codes and once overwriting every existing code.

#include "BenchMain.h"

#include "exchange/ExchangeDialogs.h"
#include "exchange/ImportMapRules.h"
#include "exchange/MasterImport.h"
#include "platform/data/MakeMsgID.h"
#include "platform/env/ArdoEnv.h"
#include "platform/text/Cp932.h"
#include "platform/ui/FakeUi.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

constexpr double kBoundMs = 2000;
const bool s_bounds = RegisterBound("MasterImport/10000NewProducts", kBoundMs) &&
                      RegisterBound("MasterImport/10000OverwrittenProducts", kBoundMs);

const QStringList kFields{"ItemCode", "ItemName", "Unit", "Price", "TaxFlg", "ItemType"};

// The file of 10 000 products: the generated codes, or new ones.
QString WriteCsv(CMakeMsgID& data, bool existing, QString& err)
{
    QStringList codes;
    if (existing) {
        CCDSData request, result;
        request.m_strCondition = QStringLiteral("SELECT ItemCode FROM Item ORDER BY ID LIMIT 10000");
        if (data.GetDataList(request, result, err) != CMakeMsgID::kOk)
            return {};
        for (int i = 0; i < result.GetCount(); ++i)
            codes << result.GetAt(i)->GetAt(0)->GetText();
    } else {
        for (int i = 0; i < 10000; ++i)
            codes << QStringLiteral("BN%1").arg(i, 5, 10, QLatin1Char('0'));
    }
    QString text = QStringLiteral("品番,品名,単位,売価,課税,区分\r\n");
    for (int i = 0; i < codes.size(); ++i)
        text += QStringLiteral("%1,取込商品%2,個,%3.5,1,1\r\n").arg(codes[i]).arg(i).arg(100 + i % 900);
    const QString folder = BenchDatabaseFolder() + QStringLiteral("/import");
    QDir().mkpath(folder);
    const QString path = folder + (existing ? QStringLiteral("/old.csv") : QStringLiteral("/new.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(Cp932::Encode(text)) < 0) {
        err = QStringLiteral("cannot write ") + path;
        return {};
    }
    return path;
}

void ImportProducts(benchmark::State& state, bool overwrite)
{
    // A private data root: the factory column sets the pairing offers are
    // built there, and no settings of this machine are read.
    static QTemporaryDir home;
    qputenv("CORVANTA_HOME", QFile::encodeName(home.path()));
    QDir().mkpath(CArdoEnv().GetMyDataFolder());
    CMakeMsgID data;
    if (!Open(state, data))
        return;
    QString err;
    const QString path = WriteCsv(data, overwrite, err);
    if (path.isEmpty()) {
        state.SkipWithError(qPrintable(err));
        return;
    }
    // The overwritten products are put back afterwards: the stock and
    // aggregation benchmarks that run later read the generated data.
    if (overwrite && data.Execute(QStringLiteral("CREATE TEMP TABLE ItemBefore AS SELECT * FROM Item"), err) != 1) {
        state.SkipWithError(qPrintable(err));
        return;
    }
    ScopedFakeUi ui;
    CScriptedExchangeDialogs dialogs;
    for (auto _ : state) {
        CMasterImport import(1);
        import.SetMakeMsgID(&data);
        import.m_bOverwrite = overwrite ? 1 : 0;
        dialogs.QueueDelimiter(CTextFormatRules::kComma);
        if (import.ReadTextFile(path) != 1) {
            state.SkipWithError("the file was not read");
            break;
        }
        CImportFieldMapRules map(1, &import.m_rows);
        bool paired = map.OnInitDialog();
        for (int c = 0; paired && c < kFields.size(); ++c)
            paired = map.Pair(c, kFields[c]);
        if (!paired || !map.OnOK()) {
            state.SkipWithError(qPrintable(QStringLiteral("the columns were not paired: ") + ui.Prompt().Texts().join(u' ')));
            break;
        }
        CCDSData records;
        import.BuildRecords(map.m_resultSet.m_cols, 2, 0, 0, records);
        if (import.Register(&records) != 1 || records.GetCount() != 10000) {
            state.SkipWithError(qPrintable(ui.Prompt().Texts().join(u' ')));
            break;
        }
        state.PauseTiming();
        if (!overwrite && data.Execute(QStringLiteral("DELETE FROM Item WHERE ItemCode LIKE 'BN%'"), err) != 1)
            state.SkipWithError(qPrintable(err));
        state.ResumeTiming();
    }
    if (!overwrite)
        return;
    bool restored = data.BeginTransaction(err) == 1 && data.Execute(QStringLiteral("DELETE FROM Item"), err) == 1 &&
                    data.Execute(QStringLiteral("INSERT INTO Item SELECT * FROM temp.ItemBefore"), err) == 1;
    restored = restored ? data.Commit(err) == 1 : (data.Rollback(err), false);
    if (!restored || data.Execute(QStringLiteral("DROP TABLE temp.ItemBefore"), err) != 1)
        state.SkipWithError(qPrintable(err));
}

} // namespace

BENCHMARK_CAPTURE(ImportProducts, new, false)
    ->Name("MasterImport/10000NewProducts")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(ImportProducts, overwrite, true)
    ->Name("MasterImport/10000OverwrittenProducts")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
