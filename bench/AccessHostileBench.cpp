// Access tables of a real file's size as the helper program hands them over,
// through a stand-in helper that replays its output: a customer table of
// 400 000 rows by 32 columns and one of 80 000 rows by 255 null columns are
// each refused as too large once they pass the cell bound of a sheet's
// table; the largest table admitted (1.5 million cells) is read whole into
// the import's rows. Each run's time (a second a megabyte of output, at
// least one) and peak resident memory (300 MB) are bounded. A helper that
// writes 2 GB on stderr while it lists the tables and 2 GB more while it
// reads one is read as any other within 10 s; one that lists 32 768 names
// of 2 000 characters is refused at the first.

#include "BenchMain.h"

#include "exchange/ExchangeDialogs.h"
#include "exchange/ExchangeText.h"
#include "exchange/MasterImport.h"
#include "platform/data/MasterKinds.h"
#include "platform/office/AccessSource.h"
#include "platform/ui/FakeUi.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

namespace
{

constexpr double kBoundMB = 300;

QString Folder()
{
    const QString folder = BenchDatabaseFolder() + QStringLiteral("/hostile-access");
    QDir().mkpath(folder);
    return folder;
}

// The helper's output for a table of `columns` columns and `rows` rows,
// each row's values made by `value(row, column)` (escaped as the helper
// escapes, "\N" a null); the path, or empty.
QString WriteOutput(const QString& name, int rows, int columns,
                    const std::function<QByteArray(int, int)>& value)
{
    const QString path = Folder() + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    QByteArray block;
    for (int c = 1; c <= columns; ++c)
        block += "C\t" + QByteArray::number(c) + "\t10\tF" + QByteArray::number(c) + '\n';
    block += "K\tF1\n";
    for (int r = 0; r < rows; ++r) {
        block += 'R';
        for (int c = 1; c <= columns; ++c)
            block += '\t' + value(r, c);
        block += '\n';
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    block += "OK\n";
    file.write(block);
    return file.error() == QFileDevice::NoError ? path : QString();
}

// A helper that lists one table and replays the output for its read.
QString WriteHelper(const QString& name, const QString& output)
{
    const QString path = Folder() + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n[ \"$1\" = tables ] && { printf 'T\\tCustomer\\nOK\\n'; exit 0; }\nexec cat '" +
               QFile::encodeName(output) + "'\n");
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return path;
}

// A customer as real tables hold one: code, company, reading, address,
// telephone, and short values and nulls in the other columns.
QByteArray CustomerValue(int row, int column)
{
    switch (column) {
    case 1:
        return "K" + QByteArray::number(row).rightJustified(6, '0');
    case 2:
        return QByteArrayLiteral("取込商事株式会社");
    case 3:
        return QByteArrayLiteral("ﾄﾘｺﾐｼｮｳｼﾞ");
    case 4:
        return QByteArrayLiteral("東京都千代田区丸の内1-1");
    case 5:
        return "03-" + QByteArray::number(1000 + row % 9000) + "-0000";
    default:
        return column % 3 == 0 ? QByteArrayLiteral("\\N") : QByteArray::number(column % 7);
    }
}

// The table read as the import reads it, through the helper: `rows` rows
// handed over, or none and the message (by default the too-large one).
// What went wrong, or nothing.
QString Imported(const QString& helper, qsizetype rows, const QString& message = kFileTooLarge)
{
    ScopedFakeUi ui;
    CScriptedExchangeDialogs dialogs;
    dialogs.QueueTableSelect([](CTableSelectRules& rules) {
        rules.m_nSelected = 0;
        return int(IDOK);
    });
    qputenv("CORVANTA_MDB_HELPER", QFile::encodeName(helper));
    const AccessSourceFactory old = SetAccessSourceFactory([] { return MakeMdbAccessSource(); });
    int result = 0;
    qsizetype read = 0;
    {
        CMasterImport import(CMasterKind::Customers());
        result = import.ReadAccessFile(QStringLiteral("/x/customers.mdb"));
        read = import.m_rows.size();
    }
    SetAccessSourceFactory(old);
    qunsetenv("CORVANTA_MDB_HELPER");
    if (rows ? result == 1 && read == rows + 1
             : result == 0 && read == 0 && ui.Prompt().Texts() == QStringList{message})
        return {};
    return QStringLiteral("result %1, %2 rows: %3").arg(result).arg(read).arg(ui.Prompt().Texts().join(u' '));
}

// Runs `import` once an iteration with the peak memory measured around it;
// `import` says what went wrong, or nothing.
void MeasureImports(benchmark::State& state, const std::function<QString()>& import)
{
    double peak = 0;
    for (auto _ : state) {
        malloc_trim(0);
        ResetPeakMemory();
        const QString wrong = import();
        peak = std::max(peak, PeakMemoryMB());
        if (!wrong.isEmpty()) {
            state.SkipWithError(qPrintable(wrong));
            return;
        }
    }
    state.counters[kPeakMemoryCounter] = peak;
}

struct CTable {
    const char* name;
    int rows;
    int columns;
    QByteArray (*value)(int, int);
    qsizetype admitted; // the rows read, 0 when refused
};

// The largest customer table admitted: its rows by (32 columns and a label)
// and its column and key lines within the cell bound.
constexpr int kAdmittedRows = int((CWorkbookLimits::kImportCells - 33) / 33);

const CTable kTables[] = {
    {"HostileAccess/400000Rows32Columns", 400000, 32, CustomerValue, 0},
    {"HostileAccess/80000Rows255NullColumns", 80000, 255, [](int, int) { return QByteArrayLiteral("\\N"); },
     0},
    {"HostileAccess/1500000CellsRead", kAdmittedRows, 32, CustomerValue, kAdmittedRows},
};

// A helper of its own shell script; the path, or empty.
QString WriteScript(const QString& name, const QByteArray& script)
{
    const QString path = Folder() + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n" + script) < 0)
        return {};
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return path;
}

// Through each helper, the import reads 1 000 customers, or is refused with
// the message.
const struct {
    const char* name;
    QByteArray script; // `%1` stands for the output of a table's read
    QString message;   // empty: read
    double seconds;    // the bound of its time
} kHelpers[] = {
    {"HostileAccess/StderrOf2GBWhileListingAndReading",
     "head -c 2000000000 /dev/zero >&2\n[ \"$1\" = tables ] && { printf 'T\\tCustomer\\nOK\\n'; exit 0; }\n"
     "exec cat '%1'\n",
     {},
     10},
    {"HostileAccess/32768TableNamesOf2000Characters",
     "awk 'BEGIN { s = sprintf(\"%2000s\", \"\"); gsub(/ /, \"x\", s); "
     "for (i = 0; i < 32768; i++) print \"T\\t\" s i; print \"OK\" }'\n",
     QStringLiteral("データベースを開けません。\nテーブルの一覧に64文字を超える名前があります。"
                    "ファイルが壊れている可能性があります。"),
     1},
};

const bool s_helpers = [] {
    for (const auto& h : kHelpers) {
        RegisterMemoryBound(h.name, kBoundMB);
        auto helper = std::make_shared<std::optional<QString>>();
        RegisterBounded(h.name, h.seconds, [&h, helper](benchmark::State& state) {
            if (!*helper) {
                const QString base = QString::fromLatin1(h.name).section(u'/', 1);
                const QString output = WriteOutput(base + QStringLiteral(".txt"), 1000, 32, CustomerValue);
                *helper =
                    output.isEmpty()
                        ? QString()
                        : WriteScript(base, QByteArray(h.script).replace("%1", QFile::encodeName(output)));
            }
            if ((*helper)->isEmpty()) {
                state.SkipWithError("cannot write the helper");
                return;
            }
            MeasureImports(state,
                           [&] { return Imported(**helper, h.message.isEmpty() ? 1000 : 0, h.message); });
        });
    }
    return true;
}();

// The output's size decides the time bound, so the output is written while
// the benchmarks are registered.
const bool s_registered = [] {
    for (const CTable& table : kTables) {
        RegisterMemoryBound(table.name, kBoundMB);
        // Every row's line is as long as the first.
        qint64 line = 2;
        for (int c = 1; c <= table.columns; ++c)
            line += 1 + table.value(0, c).size();
        const double megabytes = double(table.rows) * double(line) / (1 << 20);
        auto helper = std::make_shared<std::optional<QString>>();
        RegisterBounded(table.name, std::max(1.0, megabytes), [table, helper](benchmark::State& state) {
            if (!*helper) {
                const QString base = QString::fromLatin1(table.name).section(u'/', 1);
                const QString output =
                    WriteOutput(base + QStringLiteral(".txt"), table.rows, table.columns, table.value);
                *helper = output.isEmpty() ? QString() : WriteHelper(base, output);
            }
            if ((*helper)->isEmpty()) {
                state.SkipWithError("cannot write the helper's output");
                return;
            }
            MeasureImports(state, [&] { return Imported(**helper, table.admitted); });
            state.counters["output_MB"] = double(QFile(**helper + QStringLiteral(".txt")).size()) / (1 << 20);
        });
    }
    return true;
}();

} // namespace
