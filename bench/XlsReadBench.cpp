// Reading a generated Excel 97-2003 book of about 1 MB whole: once as 200
// sheets of their own records, each read; once as 2 000 sheet entries that
// all point at one run of records, as a hostile book may, opened and its
// first sheet read. Both walks are linear in the stream.

#include "BenchMain.h"

#include "platform/office/Workbook.h"
#include "support/XlsBytes.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

namespace
{

using namespace XlsBytes;

// About 1 MB of records: numbers, texts and formulas with their results.
QByteArray Records(int rows)
{
    QByteArray records;
    for (int r = 0; r < rows; ++r) {
        records += Record(0x0203, Cell(quint16(r), 0, 0) + F64(r * 1.5));
        records += Record(0x0204, Cell(quint16(r), 1, 0) + Unicode(QStringLiteral("商品%1").arg(r)));
        records += Record(0x0006, Cell(quint16(r), 2, 0) + F64(r * 3.0) + U16(0) + U32(0) + U16(0));
    }
    return records;
}

QString WriteBook(const QString& name, const QByteArray& stream)
{
    const QString folder = BenchDatabaseFolder() + QStringLiteral("/xls");
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(Compound({{QStringLiteral("Workbook"), stream}})) < 0)
        return {};
    return path;
}

void ReadWhole(benchmark::State& state, const QString& path, int sheetsRead)
{
    if (path.isEmpty()) {
        state.SkipWithError("cannot write the book");
        return;
    }
    qint64 cells = 0;
    for (auto _ : state) {
        CWorkbookReader::Error error = CWorkbookReader::NoError;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error);
        if (!reader) {
            state.SkipWithError("the book did not open");
            return;
        }
        cells = 0;
        for (int s = 0; s < sheetsRead && s < reader->Sheets().size(); ++s) {
            CSheetData sheet;
            if (!reader->ReadSheet(s, sheet, &error)) {
                state.SkipWithError("a sheet did not read");
                return;
            }
            cells += qint64(sheet.cells.size());
        }
        benchmark::DoNotOptimize(cells);
    }
    state.counters["bytes"] = double(QFile(path).size());
    state.counters["cells"] = double(cells);
}

const bool s_registered = [] {
    RegisterBounded("XlsRead/1MB200Sheets", 0.5, [](benchmark::State& state) {
        QList<Sheet> sheets;
        for (int s = 0; s < 200; ++s)
            sheets << Sheet{Unicode(QStringLiteral("S%1").arg(s), true), Records(90)};
        static const QString path = WriteBook(QStringLiteral("sheets.xls"), Stream(8, {}, sheets));
        ReadWhole(state, path, 200);
    });
    RegisterBounded("XlsRead/1MBRunOf2000Sheets", 0.5, [](benchmark::State& state) {
        QList<Sheet> sheets;
        for (int s = 0; s < 2000; ++s)
            sheets << Sheet{Unicode(QStringLiteral("S%1").arg(s), true),
                            s == 0 ? Records(18000) : QByteArray()};
        quint32 first = 0;
        static const QString path =
            WriteBook(QStringLiteral("shared.xls"), Stream(8, {}, sheets, [&first](int s, quint32 at) {
                          if (s == 0)
                              first = at;
                          return first;
                      }));
        ReadWhole(state, path, 1);
    });
    return true;
}();

} // namespace
