// Printing a long report list: every page of a year's sales by product
// (10 000 products) laid out and recorded, as a preview draws them.

#include "BenchMain.h"

#include "platform/data/Mny.h"
#include "platform/data/Record.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/PrintCanvas.h"
#include "reports/ReportColumns.h"
#include "reports/ReportList.h"
#include "reports/ReportPrint.h"

#include <QDate>
#include <QGuiApplication>

namespace
{

constexpr double kBound = 0.3; // seconds
constexpr int kProducts = 10000;

// The page numbers and dates are measured in the printer's font, which
// needs the application's font database; made once for the run.
bool EnsureFonts()
{
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "corvanta_bench";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

const bool registered = [] {
    RegisterBounded("ReportPrint/SalesByProduct10000RowsAllPages", kBound, [](benchmark::State& state) {
        if (!EnsureFonts()) {
            state.SkipWithError("no font database");
            return;
        }
        ScopedFakeUi ui;
        CReportList list;
        list.SetMode(27);
        CReportColumnParams params;
        params.mode = 27;
        params.periodStart = QDate(2024, 1, 1);
        params.unitWidth = 100;
        list.Columns() = BuildReportColumns(params);
        CCDSData records;
        for (int i = 0; i < kProducts; ++i) {
            COneRecord* r = records.AddNew();
            r->SetField(QStringLiteral("ItemCode"), QStringLiteral("G%1").arg(i, 6, 10, QLatin1Char('0')));
            r->SetField(QStringLiteral("ItemName"), QStringLiteral("商品 %1 規格品").arg(i));
            r->SetField(QStringLiteral("純売上数"), CMny(i % 97 + 1));
            r->SetField(QStringLiteral("売上額"), CMny((i % 97 + 1) * 1200));
            r->SetField(QStringLiteral("純売上額"), CMny((i % 97 + 1) * 1200));
            r->SetField(QStringLiteral("原価"), CMny((i % 97 + 1) * 800));
        }
        list.SetRecords(std::move(records));
        if (!list.FillList(QDate()) || list.RowCount() < kProducts) {
            state.SkipWithError("the list did not fill");
            return;
        }
        qint64 pages = 0, calls = 0;
        for (auto _ : state) {
            CReportPrintSheet sheet;
            sheet.title = QStringLiteral("商品別売上集計表");
            sheet.periodText = QStringLiteral("期間：2024/01/01～2024/12/31");
            sheet.today = QDate(2025, 1, 6);
            TakeReportPrintRows(list, false, sheet);
            const CReportPrintPage model(std::move(sheet), MakePrintMeasure());
            CRecordingCanvas canvas;
            pages = model.PageCount();
            for (int page = 1; page <= pages; ++page)
                model.PrintPage(canvas, page);
            calls = canvas.Calls().size();
            benchmark::DoNotOptimize(calls);
        }
        state.counters["pages"] = double(pages);
        state.counters["calls"] = double(calls);
    });
    return true;
}();

} // namespace
