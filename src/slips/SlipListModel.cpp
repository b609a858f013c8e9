#include "slips/SlipListModel.h"

#include "slips/SlipListRules.h"

#include "platform/data/RecordCompare.h"
#include "platform/data/Record.h"

#include <QHash>

#include <algorithm>
#include <unordered_set>

CSlipListModel::CSlipListModel(QObject* parent) : QAbstractTableModel(parent) {}

CSlipListModel::~CSlipListModel() = default;

void CSlipListModel::SetColumns(const CQXColSet& columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

void CSlipListModel::Reset(std::shared_ptr<CCDSData> set)
{
    beginResetModel();
    m_pSet = std::move(set);
    m_rows.clear();
    if (m_pSet) {
        m_rows.reserve(size_t(m_pSet->GetCount()));
        for (int i = 0; i < m_pSet->GetCount(); ++i) {
            if (COneRecord* record = m_pSet->GetAt(i))
                m_rows.push_back(record);
        }
    }
    endResetModel();
}

COneRecord* CSlipListModel::RecordAt(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)] : nullptr;
}

QString CSlipListModel::GetCellText(int row, int column) const
{
    return GetSlipCellText(m_columns, RecordAt(row), column);
}

bool CSlipListModel::IsChecked(int row) const
{
    return GetSlipCheckState(m_nViewKind, m_columns, RecordAt(row));
}

void CSlipListModel::RefreshRow(int row)
{
    if (row >= 0 && row < int(m_rows.size()) && columnCount() > 0)
        Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void CSlipListModel::RemoveRows(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::unordered_set<const COneRecord*> gone;
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        const int row = *it;
        if (row < 0 || row >= int(m_rows.size()))
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        gone.insert(m_rows[size_t(row)]);
        m_rows.erase(m_rows.begin() + row);
        endRemoveRows();
    }
    if (!m_pSet || gone.empty())
        return;
    for (int i = m_pSet->GetCount() - 1; i >= 0; --i) {
        if (gone.count(m_pSet->GetAt(i)))
            m_pSet->RemoveAt(i);
    }
}

void CSlipListModel::SortRows(const QString& key, bool descending)
{
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const COneRecord*> held;
    held.reserve(size_t(before.size()));
    for (const QModelIndex& index : before)
        held.push_back(RecordAt(index.row()));
    SortRecords(m_rows, key, descending);
    QHash<const COneRecord*, int> rowOf;
    rowOf.reserve(int(m_rows.size()));
    for (size_t i = 0; i < m_rows.size(); ++i)
        rowOf.insert(m_rows[i], int(i));
    QModelIndexList after;
    after.reserve(before.size());
    for (int i = 0; i < before.size(); ++i)
        after << index(rowOf.value(held[size_t(i)], -1), before[i].column());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int CSlipListModel::FindRow(const QString& text, bool down, int start) const
{
    const int columns = int(m_columns.m_cols.size());
    for (int row = start; row >= 0 && row < int(m_rows.size()); row += down ? 1 : -1) {
        for (int column = 1; column < columns; ++column) {
            if (GetSlipCellText(m_columns, m_rows[size_t(row)], column).contains(text))
                return row;
        }
    }
    return -1;
}

int CSlipListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CSlipListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.m_cols.size());
}

QVariant CSlipListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()) || index.column() >= m_columns.m_cols.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return GetCellText(index.row(), index.column());
    case Qt::CheckStateRole:
        if (index.column() == 0)
            return IsChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole: {
        const int align = m_columns.m_cols[index.column()].m_nAlign;
        const Qt::Alignment h = align == 1 ? Qt::AlignRight : align == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
        return QVariant::fromValue(h | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant CSlipListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.m_cols.size())
        return m_columns.m_cols[section].m_strCaption;
    return {};
}
