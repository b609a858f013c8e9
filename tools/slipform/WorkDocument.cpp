#include "WorkDocument.h"

#include <QPrinter>

#include <algorithm>

#include "platform/data/MakeMsgID.h"
#include "platform/data/MnyText.h"
#include "platform/data/Schema.h"
#include "platform/forms/LayoutInfo.h"
#include "platform/ui/PrintCanvas.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

namespace
{

const QString kFace = QStringLiteral("ＭＳ ゴシック");

// Heights and positions in 0.1 mm.
constexpr int kLeft = CWorkDocument::kMargin;
constexpr int kRight = CWorkDocument::kPageWidth - CWorkDocument::kMargin;
constexpr int kBottom = CWorkDocument::kPageHeight - CWorkDocument::kMargin;
constexpr int kHeadingTop = CWorkDocument::kMargin;
constexpr int kBodyTop = 300;    // first line under the heading
constexpr int kFieldHeight = 48; // a header field's line
constexpr int kCaptionHeight = 50;
constexpr int kRowHeight = 45;
constexpr int kGap = 40;
constexpr int kCellPad = 10;
constexpr int kTablePad = 5;
constexpr int kLabelLine = 34; // at most; a label of many fields packs them closer

QStringList FieldsOf(const QString& table)
{
    QStringList names;
    if (const Schema::TableDef* def = Schema::FindTable(table)) {
        for (const Schema::FieldDef& field : def->fields)
            names << QString::fromUtf8(field.name);
    }
    return names;
}

// The printed width share of a column, by what it holds: a date or an
// amount must fit whole at the table's size; long texts may be cut.
int WidthWeight(const QString& table, const QString& field)
{
    const Schema::TableDef* def = Schema::FindTable(table);
    const Schema::FieldDef* column = def ? Schema::FindField(*def, field) : nullptr;
    if (!column)
        return 4;
    switch (column->type) {
    case Schema::kInteger:
        return 3;
    case Schema::kDate:
        return 5;
    case Schema::kMoney:
        return 4;
    default:
        if (column->byteLimit > 0 && column->byteLimit <= 20)
            return 4;
        return column->byteLimit >= 100 ? 6 : 5;
    }
}

bool IsRightAligned(const QString& table, const QString& field)
{
    const Schema::TableDef* def = Schema::FindTable(table);
    const Schema::FieldDef* column = def ? Schema::FindField(*def, field) : nullptr;
    return column && (column->type == Schema::kMoney || column->type == Schema::kInteger);
}

// Labels per row and rows per page.
void LabelGrid(int kind, int& columns, int& rows)
{
    columns = 2;
    rows = kind == 11 ? 6 : 4;
}

} // namespace

CWorkDocument::CWorkDocument(int kind) : m_nKind(kind), m_strTitle(SlipFormKindName(kind))
{
    const QStringList tables = TablesOfKind(kind);
    m_strHeaderTable = tables.value(0);
    m_strBodyTable = tables.value(1);
    m_headerFields = FieldsOf(m_strHeaderTable);
    m_bodyFields = FieldsOf(m_strBodyTable);
    int weights = 0;
    for (const QString& field : m_bodyFields)
        weights += WidthWeight(m_strBodyTable, field);
    int used = 0;
    for (int i = 0; i < m_bodyFields.size(); ++i) {
        // The last column takes what rounding left over.
        const int width =
            i + 1 == m_bodyFields.size()
                ? (kRight - kLeft) - used
                : (kRight - kLeft) * WidthWeight(m_strBodyTable, m_bodyFields[i]) / std::max(weights, 1);
        m_bodyWidths << width;
        used += width;
    }
}

QStringList CWorkDocument::TablesOfKind(int kind)
{
    switch (kind) {
    case 6:
    case 7:
        return {QStringLiteral("WShime_H"), QStringLiteral("WShime_B")};
    case 8:
    case 9:
        return {QStringLiteral("WMotocho_H"), QStringLiteral("WMotocho_B")};
    case 10:
        return {QStringLiteral("WReceipt_H"), QStringLiteral("WReceipt_B")};
    case 11:
        return {QStringLiteral("WAtena")};
    case 12:
        return {QStringLiteral("WItem")};
    case 13:
        return {QStringLiteral("WBank_H"), QStringLiteral("WBank_B")};
    default:
        return {};
    }
}

QString CWorkDocument::Caption(const QString& field)
{
    static const QHash<QString, QString> captions = [] {
        const char* pairs[][2] = {
            {"ID", "ID"},
            {"HeaderID", "伝票ID"},
            {"No", "番号"},
            {"Date", "日付"},
            {"CloseDate", "締日"},
            {"CustomerCode", "取引先コード"},
            {"SupplierCode", "仕入先コード"},
            {"Zip", "郵便番号"},
            {"Address", "住所"},
            {"Company", "会社名"},
            {"Section", "部署名"},
            {"Name", "氏名"},
            {"Keisho", "敬称"},
            {"Keisho2", "敬称2"},
            {"MyPerson", "担当者"},
            {"LastCollect", "前回残高"},
            {"Receipt", "入金額"},
            {"Balance", "残高"},
            {"Amount", "金額"},
            {"Tax", "消費税"},
            {"Total", "合計"},
            {"DenpyoNum", "伝票枚数"},
            {"SalesCloseID", "締めID"},
            {"LineNo", "行"},
            {"ItemType", "区分"},
            {"ItemCode", "商品コード"},
            {"ItemName", "品名"},
            {"Number", "数量"},
            {"Unit", "単位"},
            {"Price", "単価"},
            {"TaxFlg", "課税区分"},
            {"TaxFlg2", "課税区分2"},
            {"Remarks", "備考"},
            {"Code", "種別"},
            {"RowType", "行種別"},
            {"Term", "期間"},
            {"Bill", "請求額"},
            {"SeikyuID", "請求ID"},
            {"CloseID", "消込ID"},
            {"Company_Section_Name", "名称"},
            {"Contents", "内容"},
            {"DraftNo", "手形番号"},
            {"DraftDate", "手形期日"},
            {"Bank", "銀行名"},
            {"BankCode", "銀行コード"},
            {"BankBranch", "支店名"},
            {"BankBranchCode", "支店コード"},
            {"BankAccountType", "口座種別"},
            {"BankNumber", "口座番号"},
            {"BankOnesName", "口座名義"},
            {"BankOnesPhoenic", "口座名義カナ"},
            {"PaymentType", "支払方法"},
            {"Fee", "手数料"},
            {"TEL", "電話番号"},
            {"FAX", "FAX番号"},
            {"Phoenic", "フリガナ"},
            {"Cost", "原価"},
            {"Class1", "分類1"},
            {"Class2", "分類2"},
            {"Class3", "分類3"},
            {"Class4", "分類4"},
            {"Class5", "分類5"},
            {"JANCode", "JANコード"},
        };
        QHash<QString, QString> map;
        for (const auto& pair : pairs)
            map.insert(QString::fromUtf8(pair[0]), QString::fromUtf8(pair[1]));
        return map;
    }();
    return captions.value(field, field);
}

QString CWorkDocument::MoneyText(const CMny& value)
{
    QString plain = MnyToText(value);
    if (plain.isEmpty())
        return plain;
    const bool negative = plain.startsWith(u'-');
    if (negative)
        plain.remove(0, 1);
    const qsizetype point = plain.indexOf(u'.');
    QString whole = point < 0 ? plain : plain.left(point);
    const QString fraction = point < 0 ? QString() : plain.mid(point);
    for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
        whole.insert(at, u',');
    return (negative ? QStringLiteral("-") : QString()) + whole + fraction;
}

QString CWorkDocument::ValueText(const CTb* field)
{
    if (!field || field->IsNull())
        return QString();
    switch (field->GetType()) {
    case CTb::kMoney: {
        CMny value;
        return field->GetData(value) ? MoneyText(value) : QString();
    }
    case CTb::kDate: {
        QDate date;
        return field->GetData(date) ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString();
    }
    default:
        return field->GetText();
    }
}

void CWorkDocument::SetRows(CCDSData headers, CCDSData bodies)
{
    m_headers = std::move(headers);
    m_bodies = std::move(bodies);
    m_bodyRows = QList<QList<int>>(m_headers.GetCount());
    QHash<int, int> headerOfID;
    for (int h = 0; h < m_headers.GetCount(); ++h) {
        int id = 0;
        if (const CTb* field = m_headers.GetAt(h)->GetOneField(m_strHeaderTable, QStringLiteral("ID")))
            field->GetData(id);
        if (!headerOfID.contains(id))
            headerOfID.insert(id, h);
    }
    for (int b = 0; b < m_bodies.GetCount(); ++b) {
        int id = 0;
        if (const CTb* field = m_bodies.GetAt(b)->GetOneField(m_strBodyTable, QStringLiteral("HeaderID")))
            field->GetData(id);
        const auto it = headerOfID.constFind(id);
        if (it != headerOfID.constEnd())
            m_bodyRows[*it] << b;
    }
    Paginate();
}

int CWorkDocument::HeaderBlockHeight() const
{
    return int((m_headerFields.size() + 1) / 2) * kFieldHeight;
}

void CWorkDocument::Paginate()
{
    m_pages.clear();
    if (IsLabels()) {
        int columns = 0, rows = 0;
        LabelGrid(m_nKind, columns, rows);
        const int perPage = columns * rows;
        const int pages = (m_headers.GetCount() + perPage - 1) / perPage;
        for (int p = 0; p < pages; ++p) {
            const int first = p * perPage;
            m_pages << Page{first, 0, std::min(perPage, m_headers.GetCount() - first), p + 1, pages};
        }
        return;
    }
    const int tableFirst = kBodyTop + HeaderBlockHeight() + kGap;
    const int firstCapacity = std::max((kBottom - tableFirst - kCaptionHeight) / kRowHeight, 0);
    const int laterCapacity = (kBottom - kBodyTop - kCaptionHeight) / kRowHeight;
    for (int h = 0; h < m_headers.GetCount(); ++h) {
        const int rows = int(m_bodyRows[h].size());
        const int pages =
            rows <= firstCapacity ? 1 : 1 + (rows - firstCapacity + laterCapacity - 1) / laterCapacity;
        int first = 0;
        for (int p = 0; p < pages; ++p) {
            const int capacity = p == 0 ? firstCapacity : laterCapacity;
            const int count = std::min(capacity, rows - first);
            m_pages << Page{h, first, count, p + 1, pages};
            first += count;
        }
    }
}

void CWorkDocument::DrawPage(IPrintCanvas& canvas, int index) const
{
    if (index < 0 || index >= m_pages.size())
        return;
    const Page& page = m_pages[index];
    if (IsLabels()) {
        DrawLabels(canvas, page);
        return;
    }
    DrawHeading(canvas, page);
    int top = kBodyTop;
    if (page.number == 1)
        top = DrawHeaderFields(canvas, *m_headers.GetAt(page.record), top) + kGap;
    if (!m_strBodyTable.isEmpty())
        DrawBodyTable(canvas, page, top);
}

void CWorkDocument::DrawHeading(IPrintCanvas& canvas, const Page& page) const
{
    canvas.SetFont(kFace, 16);
    const QString title = page.number == 1 ? m_strTitle : m_strTitle + QStringLiteral("（続き）");
    canvas.DrawText({kLeft, kHeadingTop, kRight, kHeadingTop + 90}, title,
                    IPrintCanvas::kCenter | IPrintCanvas::kVCenter);
    canvas.SetFont(kFace, 8);
    canvas.DrawText({kRight - 400, kHeadingTop, kRight, kHeadingTop + 40},
                    QStringLiteral("%1 / %2").arg(page.number).arg(page.pages), IPrintCanvas::kRight);
    canvas.DrawLine(kLeft, kBodyTop - 20, kRight, kBodyTop - 20, 2);
}

int CWorkDocument::DrawHeaderFields(IPrintCanvas& canvas, const COneRecord& header, int top) const
{
    canvas.SetFont(kFace, 9);
    const int half = (kRight - kLeft) / 2;
    const int captionWidth = 320;
    for (int i = 0; i < m_headerFields.size(); ++i) {
        const QString& field = m_headerFields[i];
        const int left = kLeft + (i % 2) * half;
        const int y = top + (i / 2) * kFieldHeight;
        const CPrintRect caption{left, y, left + captionWidth, y + kFieldHeight};
        const CPrintRect value{left + captionWidth + kCellPad, y, left + half - kCellPad, y + kFieldHeight};
        canvas.DrawText(caption, Caption(field),
                        IPrintCanvas::kLeft | IPrintCanvas::kVCenter | IPrintCanvas::kClip);
        canvas.DrawText(value, ValueText(header.GetOneField(m_strHeaderTable, field)),
                        IPrintCanvas::kLeft | IPrintCanvas::kVCenter | IPrintCanvas::kClip);
        canvas.DrawLine(left, y + kFieldHeight, left + half - kCellPad, y + kFieldHeight);
    }
    return top + HeaderBlockHeight();
}

void CWorkDocument::DrawBodyTable(IPrintCanvas& canvas, const Page& page, int top) const
{
    canvas.SetFont(kFace, 6);
    const QList<int>& rows = m_bodyRows[page.record];
    const int bottom = top + kCaptionHeight + page.count * kRowHeight;
    canvas.DrawLine(kLeft, top, kRight, top, 2);
    int x = kLeft;
    for (int c = 0; c < m_bodyFields.size(); ++c) {
        const CPrintRect cell{x + kTablePad, top, x + m_bodyWidths[c] - kTablePad, top + kCaptionHeight};
        canvas.DrawText(cell, Caption(m_bodyFields[c]),
                        IPrintCanvas::kCenter | IPrintCanvas::kVCenter | IPrintCanvas::kClip);
        canvas.DrawLine(x, top, x, bottom);
        x += m_bodyWidths[c];
    }
    canvas.DrawLine(kRight, top, kRight, bottom);
    canvas.DrawLine(kLeft, top + kCaptionHeight, kRight, top + kCaptionHeight, 2);
    int y = top + kCaptionHeight;
    for (int r = page.first; r < page.first + page.count; ++r) {
        const COneRecord& body = *m_bodies.GetAt(rows[r]);
        x = kLeft;
        for (int c = 0; c < m_bodyFields.size(); ++c) {
            const CPrintRect cell{x + kTablePad, y, x + m_bodyWidths[c] - kTablePad, y + kRowHeight};
            const int align =
                IsRightAligned(m_strBodyTable, m_bodyFields[c]) ? IPrintCanvas::kRight : IPrintCanvas::kLeft;
            canvas.DrawText(cell, ValueText(body.GetOneField(m_strBodyTable, m_bodyFields[c])),
                            align | IPrintCanvas::kVCenter | IPrintCanvas::kClip);
            x += m_bodyWidths[c];
        }
        y += kRowHeight;
        canvas.DrawLine(kLeft, y, kRight, y);
    }
}

void CWorkDocument::DrawLabels(IPrintCanvas& canvas, const Page& page) const
{
    int columns = 0, rows = 0;
    LabelGrid(m_nKind, columns, rows);
    const int width = (kRight - kLeft) / columns;
    const int height = (kBottom - kHeadingTop) / rows;
    // Every field stays inside its label, however many the table has.
    const int line =
        std::min<int>(kLabelLine, (height - 2 * kCellPad) / std::max<int>(int(m_headerFields.size()), 1));
    canvas.SetFont(kFace, line >= 30 ? 7 : 6);
    for (int i = 0; i < page.count; ++i) {
        const COneRecord& label = *m_headers.GetAt(page.record + i);
        const int left = kLeft + (i % columns) * width;
        const int top = kHeadingTop + (i / columns) * height;
        canvas.DrawLine(left, top, left + width, top);
        canvas.DrawLine(left, top + height, left + width, top + height);
        canvas.DrawLine(left, top, left, top + height);
        canvas.DrawLine(left + width, top, left + width, top + height);
        for (int f = 0; f < m_headerFields.size(); ++f) {
            const int y = top + kCellPad + f * line;
            const CPrintRect caption{left + 2 * kCellPad, y, left + 260, y + line};
            const CPrintRect value{left + 270, y, left + width - 2 * kCellPad, y + line};
            canvas.DrawText(caption, Caption(m_headerFields[f]), IPrintCanvas::kLeft | IPrintCanvas::kClip);
            canvas.DrawText(value, ValueText(label.GetOneField(m_strHeaderTable, m_headerFields[f])),
                            IPrintCanvas::kLeft | IPrintCanvas::kClip);
        }
    }
}

int LoadWorkDocument(CMakeMsgID& data, CWorkDocument& document, QString& err)
{
    const QStringList tables = CWorkDocument::TablesOfKind(document.GetKind());
    if (tables.isEmpty()) {
        err = QStringLiteral("作業テーブルから印刷する伝票種類ではありません。");
        return CMakeMsgID::kFailed;
    }
    CCDSData headers, bodies;
    CCDSData request;
    request.m_strTable = tables[0];
    request.m_strCondition = QStringLiteral("ORDER BY ID");
    int result = data.GetDataList(request, headers, err);
    if (result != CMakeMsgID::kOk)
        return result;
    if (tables.size() > 1) {
        request.m_strTable = tables[1];
        // Not every body table has an ID; rowid keeps the order written.
        request.m_strCondition = QStringLiteral("ORDER BY HeaderID, rowid");
        if ((result = data.GetDataList(request, bodies, err)) != CMakeMsgID::kOk)
            return result;
    }
    document.SetRows(std::move(headers), std::move(bodies));
    return CMakeMsgID::kOk;
}

bool CWorkPrintDocument::OnPreparePrinting(CPrintInfo& info)
{
    if (!m_document || m_document->GetPageCount() == 0) {
        UiServices::Prompt().MessageBox(QStringLiteral("印刷するデータがありません。"), MB_OK,
                                        MB_ICONINFORMATION);
        return false;
    }
    info.m_nMinPage = 1;
    info.m_nMaxPage = m_document->GetPageCount();
    return true;
}

void CWorkPrintDocument::OnPrint(IPrintCanvas& canvas, CPrintInfo& info)
{
    m_document->DrawPage(canvas, info.m_nCurPage - 1);
}

bool SaveWorkDocumentPdf(const std::shared_ptr<const CWorkDocument>& document, const QString& path)
{
    CWorkPrintDocument printout(document);
    CPrintInfo info;
    if (!printout.OnPreparePrinting(info))
        return false;
    info.m_nFromPage = info.m_nMinPage;
    info.m_nToPage = info.m_nMaxPage;
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(600);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return PrintJob::RunPages(printout, printer, info);
}
