#pragma once

#include "platform/ui/PrintCanvas.h"
#include "platform/ui/PrintJob.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CReportList;

// The printed report lists: A4, a page header with title, company, page,
// period and date, then a grid of record blocks of one, two or three lines.
// Every length is in 0.1 mm, y growing downwards from the top of the
// content, which starts 15 mm from the sheet's left and top edges.

// Orientation, columns per printed line and rows per page of a list mode.
struct CReportPrintLayout {
    int landscape = 1;
    int leadColumns = 2;   // first line of a block
    int secondColumns = 0; // second line, 0 for none
    int rowsPerPage = 18;

    int ContentWidth() const { return landscape ? 2600 : 1800; }
    // 2 lines, or 3 with a second line.
    int BlockLines() const { return secondColumns > 0 ? 3 : 2; }
};

CReportPrintLayout SetupPrintLayout(int mode);
// ceil(rows / rowsPerPage); 0 for no rows.
int GetReportPageCount(int rows, int rowsPerPage);

// One printed column, from the list's column descriptor.
struct CReportPrintColumn {
    QString caption;
    int printWidth = 0; // characters, 0 none given
    bool right = false;
    int kind = 1;
    QString field;

    // The next column starts right after a code's text.
    bool IsCode() const;
};

// One list row as shown.
struct CReportPrintRow {
    QStringList texts;
    // The row's check box: -1 none, 0 unchecked, 1 checked.
    int check = -1;
    // Subtotal and total rows print their texts only.
    bool total = false;
};

// Everything one printout shows, taken when the job is prepared.
struct CReportPrintSheet {
    int mode = 0;
    QString title;
    QString company;
    QString periodText;
    QString subTitle; // "【…】" under the period when not empty
    QDate today;
    QList<CReportPrintColumn> columns;
    QList<CReportPrintRow> rows;
};

// The columns and rows of a list as the screen shows them; with
// `totalsOnly` only the subtotal and total rows.
void TakeReportPrintRows(const CReportList& list, bool totalsOnly, CReportPrintSheet& sheet);

// One item of the page header.
struct CReportHeaderItem {
    int fontHeight = 32; // 50 title, 32 text
    int align = 0;       // 0 left, 1 centred, 2 right
    CPrintRect rect;     // from the content's top left
    QString text;
};

// The pages of one sheet without any device.
class CReportPrintPage
{
  public:
    static constexpr int kMarginLeft = 150;
    static constexpr int kMarginTop = 150;
    static constexpr int kLineHeight = 44;
    static constexpr int kTitleHeight = 50;
    static constexpr int kTextHeight = 32;
    static constexpr int kUnit = kTextHeight / 2;

    // Width of a text in 0.1 mm at a font height in 0.1 mm.
    using Measure = std::function<int(const QString& text, int fontHeight)>;

    explicit CReportPrintPage(CReportPrintSheet sheet, Measure measure = {});

    const CReportPrintSheet& Sheet() const { return m_sheet; }
    const CReportPrintLayout& Layout() const { return m_layout; }
    int PageCount() const { return GetReportPageCount(int(m_sheet.rows.size()), m_layout.rowsPerPage); }

    // The header of a page and the y of its rule (138, or 178 with a
    // sub-title).
    QList<CReportHeaderItem> HeaderItems(int page, int& ruleY) const;
    // The cells of the first block under a rule, one per column.
    QList<CPrintRect> CellRects(int ruleY) const;
    int BlockHeight() const { return m_layout.BlockLines() * kLineHeight; }

    // Header and body of a page on the canvas.
    void PrintPage(IPrintCanvas& canvas, int page) const;
    int PrintPageHeader(IPrintCanvas& canvas, int page) const;
    void PrintListBody(IPrintCanvas& canvas, int page, int ruleY) const;

  private:
    QString CellText(const CReportPrintRow* row, int column) const;
    int TextWidth(const QString& text, int fontHeight) const;

    CReportPrintSheet m_sheet;
    CReportPrintLayout m_layout;
    Measure m_measure;
};

// The font's own width of texts, as the printer draws them ("ＭＳ 明朝").
CReportPrintPage::Measure MakePrintMeasure();

// One report list print job for the foundation's driver. The sheet is taken
// at each preparation, so the preview's print button prints the list as it
// is then.
class CShimePrintDoc : public IPrintDocument
{
  public:
    // Fills the sheet; false refuses the job.
    using Source = std::function<bool(CReportPrintSheet&)>;

    explicit CShimePrintDoc(Source source);

    bool OnPreparePrinting(CPrintInfo& info) override;
    void OnBeginPrinting(IPrintCanvas& canvas, CPrintInfo& info) override;
    void OnPrint(IPrintCanvas& canvas, CPrintInfo& info) override;
    void OnEndPrinting(IPrintCanvas& canvas, CPrintInfo& info) override;

    // A4 in the layout's orientation on the program's printer.
    void SetPrinterOrientation(int landscape);

    const CReportPrintPage* Page() const { return m_page.get(); }
    // Tests and tools print without touching the program's printer.
    void SetPaperRule(std::function<void(int landscape)> rule) { m_paperRule = std::move(rule); }
    // Run when a preview closes.
    void SetEndPreview(std::function<void()> end) { m_endPreview = std::move(end); }

  private:
    Source m_source;
    std::unique_ptr<CReportPrintPage> m_page;
    std::function<void(int)> m_paperRule;
    std::function<void()> m_endPreview;
};
