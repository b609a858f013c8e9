#pragma once

#include "platform/ui/PrintJob.h"

#include <QFile>
#include <QList>
#include <QPair>
#include <QPrinter>
#include <QRegularExpression>
#include <QString>

#include <functional>

// Print dialogs answered from a script: the print dialog writes a PDF file
// (none: cancelled) over the chosen pages (0: all of them); the preview
// paints into its own PDF file as often as asked, then may press print.
class CFakePrintDialogs : public IPrintDialogs
{
  public:
    CFakePrintDialogs() : m_old(PrintJob::SetDialogs(this)) {}
    ~CFakePrintDialogs() override { PrintJob::SetDialogs(m_old); }
    CFakePrintDialogs(const CFakePrintDialogs&) = delete;
    CFakePrintDialogs& operator=(const CFakePrintDialogs&) = delete;

    QString m_strPdf;
    int m_nFrom = 0;
    int m_nTo = 0;
    QString m_strPreviewPdf;
    bool m_bPreviewPrints = false;
    // Runs between the preview's paintings (there are two when it is set;
    // the second goes to m_strPreviewPdf + ".again.pdf").
    std::function<void()> m_betweenPaints;

    QList<QPair<int, int>> m_offered; // min and max page of each print dialog
    int m_nPreviews = 0;

    bool ChoosePrinter(QPrinter& printer, CPrintInfo& info) override
    {
        m_offered.append({info.m_nMinPage, info.m_nMaxPage});
        if (m_strPdf.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_strPdf);
        info.m_nFromPage = m_nFrom ? m_nFrom : info.m_nMinPage;
        info.m_nToPage = m_nTo ? m_nTo : info.m_nMaxPage;
        return true;
    }
    void Preview(QPrinter&, const std::function<void(QPrinter&)>& paint,
                 const std::function<void()>& print) override
    {
        ++m_nPreviews;
        QPrinter target(QPrinter::HighResolution);
        target.setResolution(600);
        target.setFullPage(true);
        target.setOutputFormat(QPrinter::PdfFormat);
        target.setOutputFileName(m_strPreviewPdf);
        paint(target);
        if (m_betweenPaints) {
            m_betweenPaints();
            target.setOutputFileName(m_strPreviewPdf + QStringLiteral(".again.pdf"));
            paint(target);
        }
        if (m_bPreviewPrints)
            print();
    }
    bool PrinterSetup(QPrinter& printer) override
    {
        m_setupPrinters << &printer;
        return true;
    }
    QList<QPrinter*> m_setupPrinters;

  private:
    IPrintDialogs* m_old;
};

// The number of pages of a PDF file Qt wrote (-1 when unreadable).
inline int PdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(file.readAll());
    return int(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}
