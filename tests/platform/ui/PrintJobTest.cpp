#include "platform/ui/PrintJob.h"
#include "platform/ui/FakePrintDialogs.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/PrintCanvas.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

// A document of a fixed number of pages that logs the job's steps.
class CLoggingDoc : public IPrintDocument
{
  public:
    explicit CLoggingDoc(int pages) : m_nPages(pages) {}
    bool OnPreparePrinting(CPrintInfo& info) override
    {
        m_log << QStringLiteral("prepare");
        info.m_nMaxPage = m_nPages;
        return m_nPages > 0;
    }
    void OnBeginPrinting(IPrintCanvas&, CPrintInfo&) override { m_log << QStringLiteral("begin"); }
    void OnPrint(IPrintCanvas& canvas, CPrintInfo& info) override
    {
        m_log << QStringLiteral("page%1").arg(info.m_nCurPage);
        canvas.SetFont(QStringLiteral(u"ＭＳ 明朝"), 11);
        canvas.DrawText({200, 200, 1900, 250}, QStringLiteral("ページ%1").arg(info.m_nCurPage),
                        IPrintCanvas::kRight);
    }
    void OnEndPrinting(IPrintCanvas&, CPrintInfo&) override { m_log << QStringLiteral("end"); }

    QStringList m_log;

  private:
    int m_nPages;
};

} // namespace

// Lengths in 0.1 mm become dots per axis; a 3-dot rule lands where the
// arithmetic says on a 600 dpi page.
TEST(PrintCanvas, TenthsOfAMillimetreBecomeDots)
{
    const struct {
        int a, b, c, result;
    } cases[] = {{200, 600, 254, 472},   {1700, 600, 254, 4016}, {50, 600, 254, 118}, {44, 600, 254, 104},
                 {-200, 600, 254, -472}, {11, 600, 72, 92},      {14, 600, 72, 117},  {1, 1, 0, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << " " << c.b << " " << c.c;

    // 300 dpi across, 600 dpi down: an A6-sized strip is enough.
    QImage image(1300, 2600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CPainterCanvas canvas(painter, 300, 600);
    EXPECT_EQ(canvas.ToDeviceX(200), 236);
    EXPECT_EQ(canvas.ToDeviceY(200), 472);
    canvas.DrawLine(200, 1000, 1000, 1000, 3);
    // The physical offset moves everything towards the sheet's edge.
    const CPainterCanvas shifted(painter, 600, 600, 50, 60);
    EXPECT_EQ(shifted.ToDeviceX(200), 422);
    EXPECT_EQ(shifted.ToDeviceY(200), 412);
    painter.end();
    const int y = MulDiv(1000, 600, 254); // 2362
    EXPECT_EQ(qGray(image.pixel(500, y)), 0);
    EXPECT_EQ(qGray(image.pixel(500, y - 3)), 255);
    EXPECT_EQ(qGray(image.pixel(200, y)), 255); // left of x = 236
}

// Prepare, the dialog's page range, begin, its pages, end; a cancelled
// dialog ends the job without pages; the PDF holds the pages printed.
TEST(PrintJob, PrintsTheChosenRangeIntoAPdf)
{
    ScopedFakeUi ui;
    QTemporaryDir dir;
    CFakePrintDialogs dialogs;
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);

    CLoggingDoc doc(3);
    dialogs.m_strPdf = dir.filePath(QStringLiteral("a.pdf"));
    dialogs.m_nFrom = dialogs.m_nTo = 0;
    ASSERT_TRUE(PrintJob::Print(doc, printer));
    EXPECT_EQ(doc.m_log.join(u' '), QStringLiteral("prepare begin page1 page2 page3 end"));
    EXPECT_EQ(PdfPageCount(dialogs.m_strPdf), 3);

    doc.m_log.clear();
    dialogs.m_strPdf = dir.filePath(QStringLiteral("b.pdf"));
    dialogs.m_nFrom = dialogs.m_nTo = 2;
    ASSERT_TRUE(PrintJob::Print(doc, printer));
    EXPECT_EQ(doc.m_log.join(u' '), QStringLiteral("prepare begin page2 end"));
    EXPECT_EQ(PdfPageCount(dialogs.m_strPdf), 1);

    doc.m_log.clear();
    dialogs.m_strPdf.clear();
    EXPECT_FALSE(PrintJob::Print(doc, printer));
    EXPECT_EQ(doc.m_log.join(u' '), QStringLiteral("prepare end"));

    // A refusing document never reaches the dialog.
    CLoggingDoc none(0);
    const qsizetype offered = dialogs.m_offered.size();
    EXPECT_FALSE(PrintJob::Print(none, printer));
    EXPECT_EQ(dialogs.m_offered.size(), offered);
    EXPECT_EQ(dialogs.m_offered.first(), qMakePair(1, 3));
}

// The preview draws every page and ends the job when it closes; its print
// button posts a job of its own, which prepares again.
TEST(PrintJob, PreviewAndItsPrintButton)
{
    ScopedFakeUi ui;
    QTemporaryDir dir;
    CFakePrintDialogs dialogs;
    dialogs.m_strPreviewPdf = dir.filePath(QStringLiteral("preview.pdf"));
    dialogs.m_strPdf = dir.filePath(QStringLiteral("print.pdf"));
    dialogs.m_bPreviewPrints = true;
    QPrinter printer(QPrinter::HighResolution);
    auto doc = std::make_shared<CLoggingDoc>(2);

    PrintJob::PostPreview(doc);
    EXPECT_TRUE(doc->m_log.isEmpty()); // queued
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(doc->m_log.join(u' '),
              QStringLiteral("prepare begin page1 page2 end prepare begin page1 page2 end"));
    EXPECT_EQ(dialogs.m_nPreviews, 1);
    EXPECT_EQ(PdfPageCount(dialogs.m_strPdf), 2);
}

// One printer for the whole program: 600 dpi, drawn from the sheet's edge,
// the one the printer set-up edits.
TEST(PrintJob, OneProgramPrinterForJobsAndSetUp)
{
    CFakePrintDialogs dialogs;
    QPrinter& printer = PrintJob::AppPrinter();
    EXPECT_EQ(&printer, &PrintJob::AppPrinter());
    EXPECT_EQ(printer.resolution(), 600);
    EXPECT_TRUE(printer.fullPage());
    EXPECT_TRUE(PrintJob::OnFilePrintSetup());
    EXPECT_EQ(dialogs.m_setupPrinters, QList<QPrinter*>{&printer});
}
