#include "reports/ReportPrint.h"
#include "app/AppHome.h"
#include "app/ExchangePorts.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/archive/AutFile.h"
#include "platform/data/Record.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"
#include "platform/ui/PrintCanvas.h"
#include "platform/ui/PrintJob.h"
#include "reports/ExportSettingDlg.h"
#include "reports/ReportsModule.h"
#include "reports/ShimeView.h"
#include "resources/CommandIds.h"

#include <QCoreApplication>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

using Call = CRecordingCanvas::Call;

// A sheet of `columns` columns "C0".. (print width 4) and rows "r0"..
CReportPrintSheet Sheet(int mode, int columns, int rows)
{
    CReportPrintSheet sheet;
    sheet.mode = mode;
    sheet.title = QStringLiteral("一覧");
    sheet.today = QDate(2004, 6, 1);
    for (int k = 0; k < columns; ++k)
        sheet.columns.append({QStringLiteral("C%1").arg(k), 4, false, 1, QString()});
    for (int i = 0; i < rows; ++i)
        sheet.rows.append({QStringList(columns, QStringLiteral("r%1").arg(i)), -1, false});
    return sheet;
}

int Rules(const CRecordingCanvas& canvas, int pen)
{
    const QList<Call> lines = canvas.LineCalls();
    return int(std::count_if(lines.begin(), lines.end(), [pen](const Call& c) { return c.value == pen; }));
}

} // namespace

// Layout per mode, pages, and on every page the caption row under the
// header rule followed by at most a page of rows, in order.
TEST(ReportPrintPages, RowsPerPageAndCaptionRowOnEveryPage)
{
    struct Case {
        int mode, rows, pages, landscape, lead, second, perPage;
    } const cases[] = {
        {14, 29, 2, 0, 4, 0, 28}, {14, 28, 1, 0, 4, 0, 28}, {14, 0, 0, 0, 4, 0, 28},
        {8, 19, 2, 1, 7, 0, 18},  {10, 18, 1, 1, 5, 0, 18}, {15, 1, 1, 1, 4, 0, 18},
        {27, 37, 3, 1, 2, 0, 18}, {18, 12, 2, 1, 6, 3, 11}, {20, 11, 1, 1, 5, 3, 11},
        {29, 57, 3, 0, 1, 0, 28}, {43, 1, 1, 0, 5, 0, 28},  {35, 19, 2, 0, 2, 6, 18},
        {39, 36, 2, 0, 1, 6, 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", " << c.rows << " rows");
        const CReportPrintLayout l = SetupPrintLayout(c.mode);
        EXPECT_EQ((std::array{l.landscape, l.leadColumns, l.secondColumns, l.rowsPerPage}),
                  (std::array{c.landscape, c.lead, c.second, c.perPage}));
        const int n = c.lead + c.second + 1;
        const CReportPrintPage model(Sheet(c.mode, n, c.rows));
        EXPECT_EQ(model.PageCount(), c.pages);
        QStringList printed;
        for (int page = 1; page <= c.pages; ++page) {
            CRecordingCanvas canvas;
            model.PrintPage(canvas, page);
            const QStringList texts = canvas.Texts().mid(5); // after the header
            for (int k = 0; k < n; ++k)
                EXPECT_EQ(texts.value(k), QStringLiteral("C%1").arg(k));
            for (int i = n; i < texts.size(); i += n)
                printed << texts[i];
            const int onPage = std::min(c.perPage, c.rows - (page - 1) * c.perPage);
            EXPECT_EQ(texts.size(), n * (onPage + 1));
            // Header rule and the rule under the captions, then one per row.
            EXPECT_EQ(Rules(canvas, 5), 2);
            EXPECT_EQ(Rules(canvas, 1), onPage);
        }
        QStringList expected;
        for (int i = 0; i < c.rows; ++i)
            expected << QStringLiteral("r%1").arg(i);
        EXPECT_EQ(printed, expected);
    }
}

// The header items of a portrait page: rule at 138, at 178 with a
// sub-title; the page number widened when the font measures it wider.
TEST(ReportPrintPages, HeaderItemsRuleAndMeasuredWidths)
{
    CReportPrintSheet sheet = Sheet(14, 5, 1);
    sheet.title = QStringLiteral("入金明細表");
    sheet.periodText = QStringLiteral("期間：2004/05/01～2004/05/31"); // 28 bytes
    struct Case { // pageWidth: measured width of "3ページ"
        QString subTitle;
        int pageWidth, ruleY, pageLeft;
    } const cases[] = {{QString(), 0, 138, 1800 - 280},
                       {QStringLiteral("K001 青葉"), 0, 178, 1800 - 280},
                       {QString(), 500, 138, 1300}};
    for (const Case& c : cases) {
        sheet.subTitle = c.subTitle;
        const CReportPrintPage model(sheet, [&c](const QString& text, int) {
            return text.contains(QStringLiteral("ページ")) ? c.pageWidth : 0;
        });
        int ruleY = 0;
        const QList<CReportHeaderItem> items = model.HeaderItems(3, ruleY);
        EXPECT_EQ(ruleY, c.ruleY);
        ASSERT_EQ(items.size(), c.subTitle.isEmpty() ? 5 : 6);
        const CReportHeaderItem golden[] = {
            {50, 1, {0, 0, 1800, 50}, QStringLiteral("入金明細表")},
            {32, 0, {0, 50, 1800, 94}, QString()}, // no company file
            {32, 2, {c.pageLeft, 50, 1800, 94}, QStringLiteral("3ページ")},
            {32, 0, {0, 94, 1120, 134}, sheet.periodText},
            {32, 2, {1400, 94, 1800, 138}, QStringLiteral("2004/06/01")},
            {32, 0, {0, 138, 520, 178}, QStringLiteral("【K001 青葉】")},
        };
        for (int i = 0; i < items.size(); ++i)
            EXPECT_TRUE(items[i].fontHeight == golden[i].fontHeight && items[i].align == golden[i].align &&
                        items[i].rect == golden[i].rect && items[i].text == golden[i].text)
                << i;
        // On the sheet: 15 mm in from the edges, the rule 5 dots wide.
        CRecordingCanvas canvas;
        model.PrintPageHeader(canvas, 3);
        const QList<Call> rules = canvas.LineCalls();
        ASSERT_EQ(rules.size(), 1);
        EXPECT_EQ(rules[0].rect, (CPrintRect{150, 150 + c.ruleY, 1950, 150 + c.ruleY}));
        EXPECT_EQ(rules[0].value, 5);
    }
}

// The cells of one block: the last line packed against the right edge,
// in modes 35-41 from the left; a column without print width fills line 1.
TEST(ReportPrintPages, CellsPackRightOrLeft)
{
    CReportPrintSheet right = Sheet(8, 9, 1); // 7 on line 1, 2 on the last line
    const int widths8[] = {4, 6, 10, 8, 8, 8, 8, 12, 5};
    for (int k = 0; k < 9; ++k)
        right.columns[k].printWidth = widths8[k];
    const QList<CPrintRect> packed = CReportPrintPage(right).CellRects(138);
    EXPECT_EQ(packed, (QList<CPrintRect>{{0, 138, 80, 182},
                                         {96, 138, 208, 182},
                                         {224, 138, 400, 182},
                                         {416, 138, 560, 182},
                                         {576, 138, 720, 182},
                                         {736, 138, 880, 182},
                                         {896, 138, 1040, 182},
                                         {2280, 182, 2488, 226},
                                         {2504, 182, 2600, 226}}));

    CReportPrintSheet left = Sheet(35, 11, 1); // 2, then 6, then 3
    const int widths35[] = {6, 0, 10, 10, 10, 10, 10, 10, 8, 0, 8};
    for (int k = 0; k < 11; ++k)
        left.columns[k].printWidth = widths35[k];
    const CReportPrintPage monthly(left);
    const QList<CPrintRect> cells = monthly.CellRects(178);
    ASSERT_EQ(cells.size(), 11);
    // Lead: a column without width runs to the edge; last line: no width
    // gives an empty cell.
    EXPECT_EQ((QList<CPrintRect>{cells[0], cells[1], cells[2], cells[7], cells[8], cells[9], cells[10]}),
              (QList<CPrintRect>{{0, 178, 112, 222},
                                 {128, 178, 1800, 222},
                                 {0, 222, 176, 266},
                                 {960, 222, 1136, 266},
                                 {0, 266, 144, 310},
                                 {160, 266, 160, 310},
                                 {176, 266, 320, 310}}));
    EXPECT_EQ(monthly.BlockHeight(), 132);
}

// The column after a code starts right after the code's bytes; the check
// column prints "成" (mode 20) or "済" unless the row's box is unchecked;
// total rows print their texts.
TEST(ReportPrintPages, CodeShiftAndCheckColumn)
{
    for (int mode : {20, 12}) {
        CReportPrintSheet sheet = Sheet(mode, 9, 0);
        sheet.columns[0] = {QStringLiteral("成立"), 4, false, 6, QStringLiteral("Status")};
        sheet.columns[1] = {QStringLiteral("得意先"), 10, false, 1, QStringLiteral("CustomerCode")};
        sheet.columns[2] = {QStringLiteral("得意先名"), 30, false, 1, QStringLiteral("Company")};
        const auto row = [](int check, const char* code, bool total = false) {
            QStringList texts(9, QStringLiteral("x"));
            texts[0] = total ? QStringLiteral("＜計＞") : QString();
            texts[1] = QString::fromUtf8(code);
            return CReportPrintRow{texts, check, total};
        };
        sheet.rows = {row(1, "K01"), row(0, "K0001"), row(-1, "あいう"), row(-1, "", true)};
        const CReportPrintPage model(sheet);
        CRecordingCanvas canvas;
        model.PrintPage(canvas, 1);
        const QList<Call> texts = canvas.TextCalls().mid(5);
        ASSERT_EQ(texts.size(), 9 * 5);
        const QString mark = mode == 20 ? QStringLiteral("成") : QStringLiteral("済");
        const QString firsts[] = {QStringLiteral("成立"), mark, QString(), mark, QStringLiteral("＜計＞")};
        // "コード" 6 bytes, "K01" 3, "K0001" 5, "あいう" 6, "" 0.
        const int shifts[] = {4 * 32 + 16, 2 * 32 + 16, 3 * 32 + 16, 4 * 32 + 16, 1 * 32 + 16};
        for (int b = 0; b < 5; ++b) {
            EXPECT_EQ(texts[b * 9].text, firsts[b]) << b;
            EXPECT_EQ(texts[b * 9 + 2].rect.left, texts[b * 9 + 1].rect.left + shifts[b]) << b;
            EXPECT_EQ(texts[b * 9 + 2].rect.right, 150 + 96 + 176 + 16 + 31 * 16) << b;
        }
    }
}

// The job: A4 in the mode's orientation; an empty list refuses to print
// but previews one page with the header and the caption row.
TEST(ReportPrintPages, EmptyListPreviewsOnePageOnly)
{
    QList<int> calls; // orientations, then 9 for an ended preview
    CShimePrintDoc document([](CReportPrintSheet& sheet) {
        sheet = Sheet(14, 4, 0);
        return true;
    });
    document.SetPaperRule([&calls](int landscape) { calls << landscape; });
    document.SetEndPreview([&calls] { calls << 9; });
    CPrintInfo print, preview;
    preview.m_bPreview = true;
    EXPECT_FALSE(document.OnPreparePrinting(print));
    ASSERT_TRUE(document.OnPreparePrinting(preview));
    EXPECT_EQ(preview.m_nMaxPage, 1);
    CRecordingCanvas canvas;
    document.OnPrint(canvas, preview);
    EXPECT_EQ(canvas.Texts().mid(5), QStringList({"C0", "C1", "C2", "C3"}));
    document.OnEndPrinting(canvas, print);
    document.OnEndPrinting(canvas, preview);
    EXPECT_EQ(calls, QList<int>({0, 0, 9}));
}

namespace
{

void Pump()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Prints and previews into one PDF file instead of showing dialogs.
struct CPdfDialogs : IPrintDialogs {
    QString path;
    void ToPdf(QPrinter& printer)
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
    }
    bool ChoosePrinter(QPrinter& printer, CPrintInfo& info) override
    {
        ToPdf(printer);
        info.m_nToPage = info.m_nMaxPage;
        return true;
    }
    void Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint,
                 const std::function<void()>&) override
    {
        ToPdf(printer);
        paint(printer);
    }
    bool PrinterSetup(QPrinter&) override { return false; }
};

// The pages' text layer, one string per page; empty without pdftotext.
QStringList PdfPages(const QString& path)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!tool.waitForFinished() || tool.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(tool.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

} // namespace

// A grouped aggregation: export and print ask for details or totals (preset
// from the totals-only flag, Cancel abandons); the PDF of two pages holds
// title, company and the rows chosen.
TEST(ReportPrintView, GroupedListExportAndPrintToPdf)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    ScopedFakeUi ui;
    CAppHome home;
    ASSERT_TRUE(home.IsReady());
    const QString folder = home.AddCurrentDatabase(QStringLiteral("本社"));
    // The company line: empty for a missing or damaged file, silently.
    const QString company = folder + QStringLiteral("/Other/COM.AUT");
    QFile::remove(company);
    EXPECT_EQ(CShimeView::ReadCompanyName(), QString());
    QFile damaged(company);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly) && damaged.write("\x10\x82\xa0") == 3);
    damaged.close();
    EXPECT_EQ(CShimeView::ReadCompanyName(), QString());
    EXPECT_EQ(ui.Prompt().Texts(), QStringList());
    ASSERT_TRUE(WriteAutFile(company, QStringLiteral("アオバ商事株式会社")));
    RegisterReportViews(CViewRegistry::Instance());
    CMainFrame frame;
    ASSERT_TRUE(frame.Create());
    Pump();
    CReportRequest grouped;
    grouped.groupByClass = 1;
    grouped.classField = QStringLiteral("Class1");
    ui.Prompt().QueueAnswers({IDOK});
    frame.SwitchView(25, grouped);
    Pump();
    auto* view = qobject_cast<CShimeView*>(frame.GetActiveView());
    ASSERT_TRUE(view);
    ui.Prompt().Clear();
    CCDSData records;
    for (int i = 0; i < 30; ++i) {
        COneRecord* r = records.AddNew();
        r->SetField(QStringLiteral("CustomerCode"), QStringLiteral("K%1").arg(i, 3, 10, QLatin1Char('0')));
        r->SetField(QStringLiteral("Class1"), i < 20 ? QStringLiteral("関東") : QStringLiteral("九州"));
    }
    view->List().SetRecords(std::move(records));
    view->RefreshList();
    view->OnMarkClick(0); // the screen shows the first group closed
    ASSERT_EQ(view->List().RowCount(), 13);

    // Each dialog run: the preset seen, then the given button and OK, or
    // Cancel.
    QList<bool> presets;
    const auto answer = [&presets](int choice) {
        return [&presets, choice](QDialog& dialog) {
            auto& d = static_cast<CExportSettingDlg&>(dialog);
            presets << d.TotalsButton()->isChecked();
            (choice == 1 ? d.TotalsButton() : d.DetailButton())->setChecked(true);
            choice < 0 ? d.reject() : d.accept();
            return d.result();
        };
    };
    int exported = -1;
    SetReportExportHandler([&exported](int, const CQXColSet&, const CCDSData& rows, int) {
        exported = rows.GetCount();
        return 1;
    });
    const auto run = [&frame, &answer](int command, int choice) {
        ScopedModalRunner runner(answer(choice));
        frame.ExecuteCommand(command);
        Pump();
    };
    run(ID_REPORT_EXCEL, -1);
    EXPECT_EQ(exported, -1);
    view->Request().classTotalsOnly = 1;
    run(ID_REPORT_EXCEL, 1);
    EXPECT_EQ(exported, 3); // two groups and the grand total
    SetReportExportHandler({});
    EXPECT_EQ(presets, QList<bool>({false, true}));
    ui.Prompt().Clear();

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    CPdfDialogs dialogs;
    dialogs.path = pdf;
    IPrintDialogs* old = PrintJob::SetDialogs(&dialogs);
    run(ID_REPORT_LIST_PREVIEW, 1); // totals only: one page of three rows
    QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("＜九州計＞")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("＜総合計＞")));
    run(ID_REPORT_LIST_PRINT, 0); // details: the closed group opens, 33 rows
    PrintJob::SetDialogs(old);
    // The sheet the mode asks for stays on the program's printer.
    EXPECT_EQ(PrintJob::AppPrinter().pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(PrintJob::AppPrinter().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(view->List().RowCount(), 33);
    pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 2);
    for (int p = 0; p < 2; ++p) {
        EXPECT_TRUE(pages[p].contains(QStringLiteral("得意先別売上集計表"))) << p;
        EXPECT_TRUE(pages[p].contains(QStringLiteral("アオバ商事株式会社"))) << p;
        EXPECT_TRUE(pages[p].contains(QStringLiteral("%1ページ").arg(p + 1))) << p;
    }
    // 28 rows on the first page: the second group's subtotal there, the
    // grand total on the second.
    EXPECT_TRUE(pages[0].contains(QStringLiteral("＜九州計＞")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("＜総合計＞")));
    EXPECT_FALSE(pages[1].contains(QStringLiteral("＜九州計＞")));
    EXPECT_EQ(ui.Prompt().Texts(), QStringList());
}
