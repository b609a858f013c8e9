#include "platform/ui/PrintJob.h"

#include "platform/ui/Modal.h"
#include "platform/ui/PrintCanvas.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

namespace
{

IPrintDialogs* g_dialogs = nullptr;

QWidget* DialogParent()
{
    return QApplication::activeWindow();
}

// Begin and the pages from..to; the caller ends the job.
bool DrawPages(IPrintDocument& document, QPrinter& printer, CPrintInfo& info, IPrintCanvas*& used,
               std::unique_ptr<IPrintCanvas>& holder, QPainter& painter)
{
    if (!painter.begin(&printer))
        return false;
    // A printer that does not print to the sheet's edge moves the origin.
    const QPoint offset =
        printer.fullPage() ? QPoint() : printer.pageLayout().paintRectPixels(printer.resolution()).topLeft();
    holder = std::make_unique<CPainterCanvas>(painter, printer.logicalDpiX(), printer.logicalDpiY(),
                                              offset.x(), offset.y());
    used = holder.get();
    document.OnBeginPrinting(*used, info);
    for (int page = info.m_nFromPage; page <= info.m_nToPage; ++page) {
        if (page > info.m_nFromPage)
            printer.newPage();
        info.m_nCurPage = page;
        document.OnPrint(*used, info);
    }
    return true;
}

// Ends a job that drew nothing (cancelled, or the device would not start).
void EndWithoutDevice(IPrintDocument& document, CPrintInfo& info)
{
    CRecordingCanvas none;
    document.OnEndPrinting(none, info);
}

} // namespace

bool CQtPrintDialogs::ChoosePrinter(QPrinter& printer, CPrintInfo& info)
{
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        // No printer installed: the printout becomes a PDF file.
        QString dir = printer.outputFileName();
        if (dir.isEmpty())
            dir = QDir::homePath();
        const QString path = UiServices::Prompt().GetSaveFileName(
            QStringLiteral("PDFファイルに印刷"), dir, QStringLiteral("PDFファイル (*.pdf)|*.pdf||"),
            QStringLiteral("pdf"));
        if (path.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        info.m_nFromPage = info.m_nMinPage;
        info.m_nToPage = info.m_nMaxPage;
        return true;
    }
    QPrintDialog dialog(&printer, DialogParent());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(info.m_nMinPage, info.m_nMaxPage);
    dialog.setFromTo(info.m_nMinPage, info.m_nMaxPage);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    info.m_nFromPage = info.m_nMinPage;
    info.m_nToPage = info.m_nMaxPage;
    if (dialog.printRange() == QAbstractPrintDialog::PageRange) {
        info.m_nFromPage = qMax(info.m_nMinPage, dialog.fromPage());
        info.m_nToPage = qMin(info.m_nMaxPage, dialog.toPage());
    }
    return info.m_nFromPage <= info.m_nToPage;
}

void CQtPrintDialogs::Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint,
                              const std::function<void()>& print)
{
    QPrintPreviewDialog dialog(&printer, DialogParent());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&paint](QPrinter* target) {
        if (target)
            paint(*target);
    });
    // The preview's print button starts a job of its own, which takes the
    // selection as it is then, instead of printing the pages shown.
    bool printAsked = false;
    const QString printText = QCoreApplication::translate("QPrintPreviewDialog", "Print");
    for (QAction* action : dialog.findChildren<QAction*>()) {
        if (action->text() != printText)
            continue;
        QObject::disconnect(action, nullptr, &dialog, nullptr);
        QObject::connect(action, &QAction::triggered, &dialog, [&dialog, &printAsked] {
            printAsked = true;
            dialog.accept();
        });
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dialog.resize(screen->availableSize() * 4 / 5);
    RunModal(dialog);
    if (printAsked && print)
        print();
}

bool CQtPrintDialogs::PrinterSetup(QPrinter& printer)
{
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        // Only the paper can be chosen for the PDF the printouts become.
        printer.setOutputFormat(QPrinter::PdfFormat);
        QPageSetupDialog dialog(&printer, DialogParent());
        dialog.setWindowTitle(QStringLiteral("ﾌﾟﾘﾝﾀの設定"));
        return RunModal(dialog) == QDialog::Accepted;
    }
    QPrintDialog dialog(&printer, DialogParent());
    dialog.setWindowTitle(QStringLiteral("ﾌﾟﾘﾝﾀの設定"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    return RunModal(dialog) == QDialog::Accepted;
}

namespace PrintJob
{

QPrinter& AppPrinter()
{
    // Made on first use, after the application object, and kept to the end:
    // the printer system must not be torn down after the application.
    static QPrinter* printer = [] {
        auto* p = new QPrinter(QPrinter::HighResolution);
        p->setResolution(600);
        p->setFullPage(true);
        // Without any printer installed the printouts become PDF files.
        if (QPrinterInfo::availablePrinters().isEmpty())
            p->setOutputFormat(QPrinter::PdfFormat);
        return p;
    }();
    return *printer;
}

IPrintDialogs& Dialogs()
{
    static CQtPrintDialogs qt;
    return g_dialogs ? *g_dialogs : qt;
}

IPrintDialogs* SetDialogs(IPrintDialogs* dialogs)
{
    IPrintDialogs* old = g_dialogs;
    g_dialogs = dialogs;
    return old;
}

bool RunPages(IPrintDocument& document, QPrinter& printer, CPrintInfo& info)
{
    QPainter painter;
    IPrintCanvas* canvas = nullptr;
    std::unique_ptr<IPrintCanvas> holder;
    if (!DrawPages(document, printer, info, canvas, holder, painter)) {
        EndWithoutDevice(document, info);
        UiServices::Prompt().MessageBox(QStringLiteral("印刷を開始できませんでした。"), MB_OK,
                                        MB_ICONEXCLAMATION);
        return false;
    }
    document.OnEndPrinting(*canvas, info);
    painter.end();
    return true;
}

bool Print(IPrintDocument& document, QPrinter& printer)
{
    CPrintInfo info;
    if (!document.OnPreparePrinting(info))
        return false;
    info.m_nFromPage = info.m_nMinPage;
    info.m_nToPage = info.m_nMaxPage;
    if (!Dialogs().ChoosePrinter(printer, info)) {
        EndWithoutDevice(document, info);
        return false;
    }
    return RunPages(document, printer, info);
}

bool Preview(const std::shared_ptr<IPrintDocument>& document, QPrinter& printer)
{
    CPrintInfo info;
    info.m_bPreview = true;
    if (!document || !document->OnPreparePrinting(info))
        return false;
    // The preview may ask for the pages more than once; the job ends when
    // it closes.
    const auto paint = [&document, &info](QPrinter& target) {
        CPrintInfo pages = info;
        pages.m_nFromPage = info.m_nMinPage;
        pages.m_nToPage = info.m_nMaxPage;
        QPainter painter;
        IPrintCanvas* canvas = nullptr;
        std::unique_ptr<IPrintCanvas> holder;
        if (DrawPages(*document, target, pages, canvas, holder, painter))
            painter.end();
    };
    Dialogs().Preview(printer, paint, [document] { PostPrint(document); });
    EndWithoutDevice(*document, info);
    return true;
}

void PostPrint(std::shared_ptr<IPrintDocument> document)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [document] { Print(*document, AppPrinter()); }, Qt::QueuedConnection);
}

void PostPreview(std::shared_ptr<IPrintDocument> document)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [document] { Preview(document, AppPrinter()); }, Qt::QueuedConnection);
}

bool OnFilePrintSetup()
{
    return Dialogs().PrinterSetup(AppPrinter());
}

bool ApplyPaper(QPrinter& printer, const QList<QPageSize>& supported, int paper, int orientation)
{
    const QPageSize::PageSizeId id = QPageSize::id(paper);
    for (const QPageSize& size : supported) {
        if (size.id() != id)
            continue;
        printer.setPageSize(QPageSize(id));
        printer.setPageOrientation(orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
        return true;
    }
    return false;
}

bool SetDefaultPaper(int paper, int orientation)
{
    QPrinter& printer = AppPrinter();
    if (!printer.isValid()) {
        UiServices::Prompt().MessageBox(
            QStringLiteral("プリンタドライバが見つかりません。処理を中止します\n"));
        return false;
    }
    // A PDF file takes any paper.
    const QList<QPageSize> supported = printer.outputFormat() == QPrinter::PdfFormat
                                           ? QList<QPageSize>{QPageSize(QPageSize::id(paper))}
                                           : QPrinterInfo(printer).supportedPageSizes();
    ApplyPaper(printer, supported, paper, orientation);
    return true;
}

} // namespace PrintJob
