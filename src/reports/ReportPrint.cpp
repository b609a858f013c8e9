#include "reports/ReportPrint.h"

#include "platform/text/Cp932.h"
#include "platform/ui/Fonts.h"
#include "reports/ReportList.h"
#include "reports/ReportModes.h"

#include <QFontMetricsF>

#include <cmath>
#include <map>

namespace
{

QString Face()
{
    return QStringLiteral(u"ＭＳ 明朝");
}

// The canvas takes points; the layout gives font heights in 0.1 mm.
int Points(int height)
{
    return MulDiv(height, 72, 254);
}

int AlignFlag(int align)
{
    return align == 1 ? IPrintCanvas::kCenter : align == 2 ? IPrintCanvas::kRight : IPrintCanvas::kLeft;
}

CPrintRect Shifted(const CPrintRect& r, int dx, int dy)
{
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

} // namespace

CReportPrintLayout SetupPrintLayout(int mode)
{
    CReportPrintLayout l;
    const CReportPaper& paper = ReportMode(mode).paper;
    l.landscape = paper.landscape;
    l.leadColumns = paper.leadColumns;
    l.secondColumns = paper.secondColumns;
    if (!l.landscape)
        l.rowsPerPage = l.secondColumns > 0 ? 18 : 28;
    else
        l.rowsPerPage = l.secondColumns > 0 ? 11 : 18;
    return l;
}

int GetReportPageCount(int rows, int rowsPerPage)
{
    if (rows <= 0 || rowsPerPage <= 0)
        return 0;
    return rows / rowsPerPage + (rows % rowsPerPage ? 1 : 0);
}

bool CReportPrintColumn::IsCode() const
{
    return field == QLatin1String("CustomerCode") || field == QLatin1String("SupplierCode") ||
           field == QLatin1String("ItemCode");
}

void TakeReportPrintRows(const CReportList& list, bool totalsOnly, CReportPrintSheet& sheet)
{
    sheet.mode = list.GetMode();
    sheet.columns.clear();
    sheet.rows.clear();
    const int n = std::min(list.VisibleColumnCount(), int(list.Columns().size()));
    for (int k = 0; k < n; ++k) {
        const CListColumnInfo& c = list.Columns()[size_t(k)];
        sheet.columns.append({c.m_strCaption, c.m_nPrintWidth, c.m_nAlignment == 1, c.m_nKind, c.m_strField});
    }
    sheet.rows.reserve(list.RowCount());
    for (const CReportRow& row : list.Rows()) {
        const bool total = row.kind == CReportRow::kSubtotal || row.kind == CReportRow::kGrand;
        if (totalsOnly && !total)
            continue;
        CReportPrintRow printed;
        printed.texts = row.texts.mid(0, n);
        // Subtotal rows carry the group's open/closed mark, which is no
        // check of theirs.
        printed.check = total ? -1 : row.mark;
        printed.total = total;
        sheet.rows.append(std::move(printed));
    }
}

CReportPrintPage::Measure MakePrintMeasure()
{
    // Measured at 0.01 mm per pixel, as the canvas makes the font from its
    // size in points; one font per height and job.
    auto metrics = std::make_shared<std::map<int, QFontMetricsF>>();
    return [metrics](const QString& text, int fontHeight) {
        auto it = metrics->find(fontHeight);
        if (it == metrics->end())
            it = metrics
                     ->emplace(fontHeight,
                               QFontMetricsF(MakeFont(Face(), MulDiv(Points(fontHeight), 2540, 72))))
                     .first;
        return int(std::ceil(it->second.horizontalAdvance(text) / 10.0));
    };
}

CReportPrintPage::CReportPrintPage(CReportPrintSheet sheet, Measure measure)
    : m_sheet(std::move(sheet)), m_layout(SetupPrintLayout(m_sheet.mode)), m_measure(std::move(measure))
{
}

int CReportPrintPage::TextWidth(const QString& text, int fontHeight) const
{
    // 40 per byte unless the font's own glyphs are wider: the page number
    // and the date must not be cut.
    const int estimate = 40 * Cp932::ByteLength(text);
    return m_measure ? std::max(estimate, m_measure(text, fontHeight)) : estimate;
}

QList<CReportHeaderItem> CReportPrintPage::HeaderItems(int page, int& ruleY) const
{
    const int w = m_layout.ContentWidth();
    const QString pageText = QStringLiteral("%1ページ").arg(page);
    const QString dateText = m_sheet.today.toString(QStringLiteral("yyyy/MM/dd"));
    QList<CReportHeaderItem> items{
        {kTitleHeight, 1, {0, 0, w, 50}, m_sheet.title},
        {kTextHeight, 0, {0, 50, w, 94}, m_sheet.company},
        {kTextHeight, 2, {w - TextWidth(pageText, kTextHeight), 50, w, 94}, pageText},
        {kTextHeight, 0, {0, 94, TextWidth(m_sheet.periodText, kTextHeight), 134}, m_sheet.periodText},
        {kTextHeight, 2, {w - TextWidth(dateText, kTextHeight), 94, w, 138}, dateText},
    };
    ruleY = 138;
    if (!m_sheet.subTitle.isEmpty()) {
        const QString sub = QStringLiteral("【") + m_sheet.subTitle + QStringLiteral("】");
        items.append({kTextHeight, 0, {0, 138, TextWidth(sub, kTextHeight), 178}, sub});
        ruleY = 178;
    }
    return items;
}

QList<CPrintRect> CReportPrintPage::CellRects(int ruleY) const
{
    const int w = m_layout.ContentWidth();
    const int n = int(m_sheet.columns.size());
    const int lead = std::min(m_layout.leadColumns, n);
    const int second = std::min(m_layout.secondColumns, n - lead);
    const auto width = [this](int k) { return (m_sheet.columns[k].printWidth + 1) * kUnit; };
    QList<CPrintRect> cells;
    cells.reserve(n);
    // A line from the left: a column without print width runs to the end.
    const auto fromLeft = [&](int from, int to, int top) {
        int x = 0;
        for (int k = from; k < to; ++k) {
            const int right = m_sheet.columns[k].printWidth == 0 ? w : x + width(k);
            cells.append({x, top, right, top + kLineHeight});
            x = right + kUnit;
        }
    };
    fromLeft(0, lead, ruleY);
    int last = ruleY + kLineHeight;
    if (m_layout.secondColumns > 0) {
        fromLeft(lead, lead + second, last);
        last += kLineHeight;
    }
    const int rest = lead + second;
    const bool monthly = ReportMode(m_sheet.mode).trend;
    if (monthly) {
        int x = 0;
        for (int k = rest; k < n; ++k) {
            // Without a print width the month's cell is empty.
            const int right = m_sheet.columns[k].printWidth == 0 ? x : x + width(k);
            cells.append({x, last, right, last + kLineHeight});
            x = right + kUnit;
        }
    } else {
        // Packed against the right edge, the last column rightmost.
        QList<CPrintRect> packed;
        int right = w;
        for (int k = n - 1; k >= rest; --k) {
            const int left = right - width(k);
            packed.prepend({left, last, right, last + kLineHeight});
            right = left - kUnit;
        }
        cells += packed;
    }
    return cells;
}

QString CReportPrintPage::CellText(const CReportPrintRow* row, int column) const
{
    const CReportPrintColumn& c = m_sheet.columns[column];
    if (!row)
        return c.caption;
    if (column == 0 && c.kind == CListColumnInfo::kCoded && !row->total) {
        if (row->check == 0)
            return QString();
        return ReportMode(m_sheet.mode).mark == EReportRowMark::Concluded ? QStringLiteral("成")
                                                                          : QStringLiteral("済");
    }
    return row->texts.value(column);
}

void CReportPrintPage::PrintPage(IPrintCanvas& canvas, int page) const
{
    PrintListBody(canvas, page, PrintPageHeader(canvas, page));
}

int CReportPrintPage::PrintPageHeader(IPrintCanvas& canvas, int page) const
{
    int ruleY = 138;
    const QList<CReportHeaderItem> items = HeaderItems(page, ruleY);
    int font = 0;
    for (const CReportHeaderItem& item : items) {
        if (item.fontHeight != font) {
            font = item.fontHeight;
            canvas.SetFont(Face(), Points(font));
        }
        canvas.DrawText(Shifted(item.rect, kMarginLeft, kMarginTop), item.text,
                        AlignFlag(item.align) | IPrintCanvas::kClip);
    }
    canvas.DrawLine(kMarginLeft, kMarginTop + ruleY, kMarginLeft + m_layout.ContentWidth(),
                    kMarginTop + ruleY, 5);
    return ruleY;
}

void CReportPrintPage::PrintListBody(IPrintCanvas& canvas, int page, int ruleY) const
{
    const int n = int(m_sheet.columns.size());
    if (n == 0 || page < 1)
        return;
    const QList<CPrintRect> cells = CellRects(ruleY);
    const int block = BlockHeight();
    const int perPage = m_layout.rowsPerPage;
    const int rows = int(m_sheet.rows.size());
    const int left = kMarginLeft;
    const int right = kMarginLeft + m_layout.ContentWidth();
    canvas.SetFont(Face(), Points(kTextHeight));
    // The caption row first, then at most a page of rows.
    int dy = kMarginTop;
    for (int i = (page - 1) * perPage - 1; i < page * perPage && i < rows; ++i, dy += block) {
        const bool caption = i == (page - 1) * perPage - 1;
        const CReportPrintRow* row = caption ? nullptr : &m_sheet.rows[i];
        for (int k = 0; k < n; ++k) {
            CPrintRect cell = Shifted(cells[k], left, dy);
            if (k > 0 && m_sheet.columns[k - 1].IsCode()) {
                // Right after the code as printed, whatever its cell's width.
                const QString code = caption ? QStringLiteral("コード") : row->texts.value(k - 1);
                cell.left =
                    cells[k - 1].left + left + ((Cp932::ByteLength(code) + 2) / 2) * kTextHeight + kUnit;
            }
            const int align = m_sheet.columns[k].right ? IPrintCanvas::kRight : IPrintCanvas::kLeft;
            canvas.DrawText(cell, CellText(row, k), align | IPrintCanvas::kVCenter | IPrintCanvas::kClip);
        }
        const int y = cells[n - 1].bottom + dy;
        canvas.DrawLine(left, y, right, y, caption ? 5 : 1);
    }
}

CShimePrintDoc::CShimePrintDoc(Source source)
    : m_source(std::move(source)),
      m_paperRule([](int landscape) { PrintJob::SetDefaultPaper(9, landscape ? 2 : 1); })
{
}

void CShimePrintDoc::SetPrinterOrientation(int landscape)
{
    if (m_paperRule)
        m_paperRule(landscape);
}

bool CShimePrintDoc::OnPreparePrinting(CPrintInfo& info)
{
    CReportPrintSheet sheet;
    if (!m_source || !m_source(sheet))
        return false;
    m_page = std::make_unique<CReportPrintPage>(std::move(sheet), MakePrintMeasure());
    // Without a printer the message is shown and the job goes on (to PDF).
    SetPrinterOrientation(m_page->Layout().landscape);
    const int pages = m_page->PageCount();
    // An empty list prints nothing; its preview shows the header and the
    // caption row.
    if (pages == 0 && !info.m_bPreview)
        return false;
    info.m_nMinPage = 1;
    info.m_nMaxPage = std::max(pages, 1);
    return true;
}

void CShimePrintDoc::OnBeginPrinting(IPrintCanvas&, CPrintInfo&) {}

void CShimePrintDoc::OnPrint(IPrintCanvas& canvas, CPrintInfo& info)
{
    if (m_page)
        m_page->PrintPage(canvas, info.m_nCurPage);
}

void CShimePrintDoc::OnEndPrinting(IPrintCanvas&, CPrintInfo& info)
{
    if (info.m_bPreview && m_endPreview)
        m_endPreview();
}
