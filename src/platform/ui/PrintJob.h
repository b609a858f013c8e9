#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class IPrintCanvas;
class QPageSize;
class QPrinter;

// The state of one print job as the document sees it.
struct CPrintInfo {
    int m_nMinPage = 1;
    int m_nMaxPage = 0; // set by the document when it prepares
    int m_nFromPage = 1;
    int m_nToPage = 0;
    int m_nCurPage = 1;
    bool m_bPreview = false;
};

// Something printable: it counts its pages, then draws them one at a time.
class IPrintDocument
{
  public:
    virtual ~IPrintDocument() = default;
    // Takes what it prints and sets the page range; false refuses the job
    // (the reason already shown).
    virtual bool OnPreparePrinting(CPrintInfo& info) = 0;
    virtual void OnBeginPrinting(IPrintCanvas& canvas, CPrintInfo& info) = 0;
    // Draws page info.m_nCurPage.
    virtual void OnPrint(IPrintCanvas& canvas, CPrintInfo& info) = 0;
    virtual void OnEndPrinting(IPrintCanvas& canvas, CPrintInfo& info) = 0;
};

// The print, preview and printer set-up dialogs. Tests install their own.
class IPrintDialogs
{
  public:
    virtual ~IPrintDialogs() = default;
    // Lets the user choose the printer (or a PDF file) and the pages between
    // info's min and max page; sets info's from and to page. False: cancelled.
    virtual bool ChoosePrinter(QPrinter& printer, CPrintInfo& info) = 0;
    // Shows the pages `paint` draws on the printer it is given. `print` is
    // what the preview's own print button does, after the preview closed.
    virtual void Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint,
                         const std::function<void()>& print) = 0;
    // The printer set-up: printer and paper for the rest of the session.
    virtual bool PrinterSetup(QPrinter& printer) = 0;
};

// QPrintDialog, QPrintPreviewDialog and QPageSetupDialog; without any
// printer installed the print goes to a PDF file chosen with the save picker.
class CQtPrintDialogs : public IPrintDialogs
{
  public:
    bool ChoosePrinter(QPrinter& printer, CPrintInfo& info) override;
    void Preview(QPrinter& printer, const std::function<void(QPrinter&)>& paint,
                 const std::function<void()>& print) override;
    bool PrinterSetup(QPrinter& printer) override;
};

namespace PrintJob
{

// The one printer of the program (600 dpi, full page), shared by every job
// and the printer set-up, so a choice holds until the program ends.
QPrinter& AppPrinter();

IPrintDialogs& Dialogs();
// Installs dialogs (nullptr: the Qt ones); answers those installed before.
IPrintDialogs* SetDialogs(IPrintDialogs* dialogs);

// Prepare, the print dialog, then begin, one call per page of the chosen
// range and end on `printer`. False when refused or cancelled.
bool Print(IPrintDocument& document, QPrinter& printer);
// Prepare, then the preview drawing every page; the preview's print button
// starts a new print job of the same document.
bool Preview(const std::shared_ptr<IPrintDocument>& document, QPrinter& printer);
// Draws pages from..to of a prepared document on the printer: begin, the
// pages, end. False when the printer could not be started.
bool RunPages(IPrintDocument& document, QPrinter& printer, CPrintInfo& info);

// The two commands as the screens start them: queued, so the command
// returns first; the document lives as long as the job needs it.
void PostPrint(std::shared_ptr<IPrintDocument> document);
void PostPreview(std::shared_ptr<IPrintDocument> document);

// The printer set-up command.
bool OnFilePrintSetup();

// Sets the program's printer to a paper (9 A4) and orientation (1 portrait,
// 2 landscape) when the printer offers that paper; otherwise it stays as the
// user set it. False, with "プリンタドライバが見つかりません。処理を中止します\n",
// when the printer cannot be set up.
bool SetDefaultPaper(int paper, int orientation);
// The rule on a given printer and its supported sizes: true when applied.
bool ApplyPaper(QPrinter& printer, const QList<QPageSize>& supported, int paper, int orientation);

} // namespace PrintJob
