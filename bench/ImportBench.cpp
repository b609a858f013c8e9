// The master import of 10 000 products from a CP932 CSV into the generated
// database, from reading the file to the commit, with scripted dialogs:
// once as new codes and once overwriting every existing code; and 10 000
// customers whose codes the import numbers. Then the whole import of a
// CSV of a million customers, its peak resident memory bounded: the file is
// read and registered in batches, so the memory does not grow with it.

#include "BenchMain.h"

#include "exchange/ExchangeDialogs.h"
#include "exchange/ImportMapRules.h"
#include "exchange/MasterImport.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/env/ArdoEnv.h"
#include "platform/env/DBDirMng.h"
#include "platform/text/Cp932.h"
#include "platform/ui/FakeUi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

constexpr double kBoundMs = 2000;
const bool s_bounds = RegisterBound("MasterImport/10000NewProducts", kBoundMs) &&
                      RegisterBound("MasterImport/10000OverwrittenProducts", kBoundMs) &&
                      RegisterBound("MasterImport/10000NumberedCustomers", kBoundMs);

constexpr int kBigRows = 1000000;
constexpr double kBigBoundMB = 300;
const bool s_memory = RegisterMemoryBound("MasterImport/1000000CustomersWhole", kBigBoundMB);

const QStringList kFields{"ItemCode", "ItemName", "Unit", "Price", "TaxFlg", "ItemType"};

// The text as a CP932 file in the run's import folder; empty on failure.
QString WriteFile(const QString& name, const QString& text, QString& err)
{
    const QString folder = BenchDatabaseFolder() + QStringLiteral("/import");
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(Cp932::Encode(text)) < 0) {
        err = QStringLiteral("cannot write ") + path;
        return {};
    }
    return path;
}

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
    return WriteFile(existing ? QStringLiteral("old.csv") : QStringLiteral("new.csv"), text, err);
}

QString WriteCustomerCsv(QString& err)
{
    QString text = QStringLiteral("会社,担当,電話\r\n");
    for (int i = 0; i < 10000; ++i)
        text +=
            QStringLiteral("取込商事%1,担当%1,03-1234-%2\r\n").arg(i).arg(i % 10000, 4, 10, QLatin1Char('0'));
    return WriteFile(QStringLiteral("customers.csv"), text, err);
}

// A private data root with the run's database current: the factory column
// sets the pairing offers and the counters are kept there, and no settings
// of this machine are read.
void UsePrivateHome()
{
    static QTemporaryDir home;
    qputenv("CORVANTA_HOME", QFile::encodeName(home.path()));
    QDir().mkpath(CArdoEnv().GetMyDataFolder());
    CDBDirMng().AddCompName(QStringLiteral("bench"), BenchDatabaseFolder(), true);
}

// One import of the file through the reader, the pairing and the
// registration; false after SkipWithError.
bool Import(benchmark::State& state, CMakeMsgID& data, const CMasterKind& kind, const QString& path,
            const QStringList& fields, int autoNumber, int overwrite, CScriptedExchangeDialogs& dialogs,
            CFakePrompt& prompt)
{
    CMasterImport import(kind);
    import.SetMakeMsgID(&data);
    import.m_bOverwrite = overwrite;
    dialogs.QueueDelimiter(CTextFormatRules::kComma);
    if (import.ReadTextFile(path) != 1) {
        state.SkipWithError("the file was not read");
        return false;
    }
    CImportFieldMapRules map(kind, &import.m_rows);
    bool paired = map.OnInitDialog();
    for (int c = 0; paired && c < fields.size(); ++c)
        paired = map.Pair(c, fields[c]);
    if (!paired || !map.OnOK()) {
        state.SkipWithError(
            qPrintable(QStringLiteral("the columns were not paired: ") + prompt.Texts().join(u' ')));
        return false;
    }
    import.m_bAutoNumber = autoNumber;
    prompt.Clear();
    if (import.RegisterRows(map.m_resultSet.m_cols, 2, 0, 0) != 1 ||
        !prompt.Texts().value(0).startsWith(QStringLiteral("10000件"))) {
        state.SkipWithError(qPrintable(prompt.Texts().join(u' ')));
        return false;
    }
    return true;
}

void ImportProducts(benchmark::State& state, bool overwrite)
{
    UsePrivateHome();
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
    if (overwrite &&
        data.Execute(QStringLiteral("CREATE TEMP TABLE ItemBefore AS SELECT * FROM Item"), err) != 1) {
        state.SkipWithError(qPrintable(err));
        return;
    }
    ScopedFakeUi ui;
    CScriptedExchangeDialogs dialogs;
    for (auto _ : state) {
        if (!Import(state, data, CMasterKind::Items(), path, kFields, 0, overwrite ? 1 : 0, dialogs,
                    ui.Prompt()))
            break;
        state.PauseTiming();
        if (!overwrite &&
            data.Execute(QStringLiteral("DELETE FROM Item WHERE ItemCode LIKE 'BN%'"), err) != 1)
            state.SkipWithError(qPrintable(err));
        state.ResumeTiming();
    }
    if (!overwrite)
        return;
    bool restored = data.BeginTransaction(err) == 1 &&
                    data.Execute(QStringLiteral("DELETE FROM Item"), err) == 1 &&
                    data.Execute(QStringLiteral("INSERT INTO Item SELECT * FROM temp.ItemBefore"), err) == 1;
    restored = restored ? data.Commit(err) == 1 : (data.Rollback(err), false);
    if (!restored || data.Execute(QStringLiteral("DROP TABLE temp.ItemBefore"), err) != 1)
        state.SkipWithError(qPrintable(err));
}

// Codes numbered by the counter: its numbers are taken once per import, not
// once per record.
void ImportNumberedCustomers(benchmark::State& state)
{
    UsePrivateHome();
    CMakeMsgID data;
    if (!Open(state, data))
        return;
    QString err;
    const QString path = WriteCustomerCsv(err);
    CCDSData request, result;
    request.m_strCondition = QStringLiteral("SELECT MAX(ID) FROM Customer");
    if (path.isEmpty() || data.GetDataList(request, result, err) != CMakeMsgID::kOk) {
        state.SkipWithError(qPrintable(err));
        return;
    }
    const QString last = result.GetAt(0)->GetAt(0)->GetText();
    ScopedFakeUi ui;
    CScriptedExchangeDialogs dialogs;
    const QStringList fields{"Company", "Name", "TEL"};
    for (auto _ : state) {
        if (!Import(state, data, CMasterKind::Customers(), path, fields, 1, 0, dialogs, ui.Prompt()))
            break;
        state.PauseTiming();
        if (data.Execute(QStringLiteral("DELETE FROM Customer WHERE ID > %1").arg(last), err) != 1)
            state.SkipWithError(qPrintable(err));
        state.ResumeTiming();
    }
}

// A million customers in CP932, written a block at a time: codes that the
// generated database does not use, a company, a person, a closing day, an
// amount with a thousands comma, a telephone, an address.
QString WriteBigCustomerCsv(QString& err)
{
    const QString folder = BenchDatabaseFolder() + QStringLiteral("/import");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/million.csv");
    if (QFileInfo(path).size() > 0)
        return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        err = QStringLiteral("cannot write ") + path;
        return {};
    }
    QString text = QStringLiteral("コード,会社名,担当,締日,与信,電話,住所\r\n");
    for (int i = 0; i < kBigRows; ++i) {
        text += QStringLiteral("MX%1,取込商事%2,担当%3,%4,\"1,%5\",03-1234-%6,東京都千代田区%7-1\r\n")
                    .arg(i, 7, 10, QLatin1Char('0'))
                    .arg(i)
                    .arg(i % 1000)
                    .arg(i % 28 + 1)
                    .arg(i % 1000, 3, 10, QLatin1Char('0'))
                    .arg(i % 10000, 4, 10, QLatin1Char('0'))
                    .arg(i % 100);
        if (text.size() > (1 << 20) || i + 1 == kBigRows) {
            if (file.write(Cp932::Encode(text)) < 0) {
                err = QStringLiteral("cannot write ") + path;
                return {};
            }
            text.clear();
        }
    }
    return path;
}

// The whole import as the user runs it, the dialogs scripted: confirm, text
// format, comma, pair the columns, register. The peak resident memory from
// the start of the import to its end is the figure.
void ImportMillionCustomers(benchmark::State& state)
{
    UsePrivateHome();
    CMakeMsgID data;
    if (!Open(state, data))
        return;
    QString err;
    const QString path = WriteBigCustomerCsv(err);
    if (path.isEmpty()) {
        state.SkipWithError(qPrintable(err));
        return;
    }
    ScopedFakeUi ui;
    CScriptedExchangeDialogs dialogs;
    const QStringList fields{"CustomerCode", "Company", "Name", "Day", "Ceiling", "TEL", "Address1"};
    double peak = 0;
    for (auto _ : state) {
        dialogs.QueueFormatChoice(CImportFormatRules::kText);
        ui.Prompt().QueueFiles({path});
        dialogs.QueueDelimiter(CTextFormatRules::kComma);
        dialogs.QueueFieldMap([&fields](CImportFieldMapRules& map) {
            for (int c = 0; c < fields.size(); ++c) {
                if (!map.Pair(c, fields[c]))
                    return int(IDCANCEL);
            }
            map.m_bReadFirstRow = 0;
            return int(IDOK);
        });
        ResetPeakMemory();
        CMasterImport import(CMasterKind::Customers());
        import.SetMakeMsgID(&data);
        const int result = import.ImportFromFile();
        peak = std::max(peak, PeakMemoryMB());
        if (result != 1 || ui.Prompt().Texts().value(ui.Prompt().Texts().size() - 1) !=
                               QStringLiteral("%1件のデータを新規登録しました。\n").arg(kBigRows)) {
            state.SkipWithError(qPrintable(ui.Prompt().Texts().join(u' ')));
            break;
        }
        state.PauseTiming();
        ui.Prompt().Clear();
        if (data.Execute(QStringLiteral("DELETE FROM Customer WHERE CustomerCode LIKE 'MX%'"), err) != 1)
            state.SkipWithError(qPrintable(err));
        state.ResumeTiming();
    }
    state.counters[kPeakMemoryCounter] = peak;
    state.counters["rows"] = kBigRows;
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
BENCHMARK(ImportNumberedCustomers)
    ->Name("MasterImport/10000NumberedCustomers")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(ImportMillionCustomers)
    ->Name("MasterImport/1000000CustomersWhole")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(1);
