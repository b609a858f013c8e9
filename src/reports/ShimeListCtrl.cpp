#include "reports/ShimeListCtrl.h"

#include "platform/ui/TableSelection.h"

#include "reports/ReportList.h"
#include "reports/ReportModes.h"
#include "reports/ShimeView.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

namespace
{

constexpr int kMarkWidth = 16;

} // namespace

QString MakeShortString(const std::function<int(const QString&)>& extent, const QString& text, int width,
                        int offset)
{
    if (text.isEmpty() || extent(text) + offset <= width)
        return text;
    const int dots = extent(QStringLiteral("..."));
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        // A surrogate pair is one character.
        if (i > 0 && text[i].isLowSurrogate())
            continue;
        const QString head = text.left(i);
        if (extent(head) + offset + dots <= width)
            return i == 0 ? QString() : head + QStringLiteral("...");
    }
    return QString();
}

int CellTextMargin(int column)
{
    return column == 0 ? 4 : 12;
}

CShimeListModel::CShimeListModel(CReportList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list)
{
}

void CShimeListModel::Reset()
{
    beginResetModel();
    m_nColumns = m_list.VisibleColumnCount();
    endResetModel();
}

int CShimeListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_list.RowCount();
}

int CShimeListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_nColumns;
}

QVariant CShimeListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.RowCount() || index.column() >= m_nColumns)
        return {};
    const CReportRow& row = m_list.Rows()[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return index.column() < row.texts.size() ? row.texts[index.column()] : QString();
    case Qt::TextAlignmentRole:
        return int(Qt::AlignVCenter |
                   (index.column() > 0 && m_list.Columns()[size_t(index.column())].m_nAlignment == 1
                        ? Qt::AlignRight
                        : Qt::AlignLeft));
    case Qt::ForegroundRole:
        if (m_list.IsWarningRow(index.row()))
            return QColor(255, 0, 0);
        return {};
    case kMarkRole:
        return row.mark;
    default:
        return {};
    }
}

QVariant CShimeListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= m_nColumns)
        return {};
    return m_list.Columns()[size_t(section)].m_strCaption;
}

CShimeListDelegate::CShimeListDelegate(CShimeView& view, QObject* parent)
    : QStyledItemDelegate(parent), m_view(view)
{
}

void CShimeListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& pal = option.palette;
    QRect band = option.rect;
    const bool marks = m_view.ListCtrl()->m_bStateImages != 0;
    painter->save();
    if (index.column() == 0 && marks)
        band.setLeft(band.left() + kMarkWidth);
    painter->fillRect(band, selected ? pal.highlight() : pal.base());
    const QVariant red = index.data(Qt::ForegroundRole);
    painter->setPen(red.isValid() ? red.value<QColor>()
                                  : (selected ? pal.highlightedText().color() : pal.text().color()));
    if (index.column() == 0 && marks) {
        const int mark = index.data(CShimeListModel::kMarkRole).toInt();
        const QRect box(option.rect.left() + 1,
                        option.rect.top() + 1 + std::max(0, (option.rect.height() - 17) / 2), kMarkWidth - 2,
                        std::min(14, option.rect.height() - 2));
        m_view.DrawMark(*painter, box, mark);
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty()) {
        const int inset = index.column() == 0 ? 2 : 6;
        QRect rect = band.adjusted(inset, 0, -inset, 0);
        const QFontMetrics fm(option.font);
        const QString shown = MakeShortString([&fm](const QString& t) { return fm.horizontalAdvance(t); },
                                              text, band.width(), CellTextMargin(index.column()));
        int align = index.data(Qt::TextAlignmentRole).toInt();
        if (shown != text)
            align = Qt::AlignLeft | Qt::AlignVCenter;
        painter->setFont(option.font);
        painter->drawText(rect, align | Qt::TextSingleLine, shown);
    }
    painter->restore();
}

CShimeListCtrl::CShimeListCtrl(CShimeView& view) : QTableView(&view), m_view(view)
{
    SetupRecordTable(this);
    setItemDelegate(new CShimeListDelegate(view, this));
}

int CShimeListCtrl::WholeDateWidth() const
{
    const QFontMetrics fm = fontMetrics();
    QChar widest = u'0';
    for (char16_t digit = u'1'; digit <= u'9'; ++digit)
        if (fm.horizontalAdvance(QChar(digit)) > fm.horizontalAdvance(widest))
            widest = QChar(digit);
    const QString date = QString(4, widest) + u'/' + QString(2, widest) + u'/' + QString(2, widest);
    // A cell is its column less the grid line.
    return fm.horizontalAdvance(date) + CellTextMargin(1) + (showGrid() ? 1 : 0);
}

void CShimeListCtrl::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() && m_bStateImages && index.column() == 0 &&
        event->position().toPoint().x() - visualRect(index).left() < kMarkWidth) {
        // The mark area is the control's own: no selection change.
        m_view.OnMarkClick(index.row());
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}
