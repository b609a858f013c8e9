#include "slips/SlipListModel.h"

#include "slips/SlipListRules.h"

#include "platform/data/Record.h"

CSlipListModel::CSlipListModel(QObject* parent) : CRecordRowsModel(parent) {}

CSlipListModel::~CSlipListModel() = default;

void CSlipListModel::SetColumns(const CQXColSet& columns)
{
    beginResetModel();
    m_columns = columns;
    m_hints.assign(size_t(columns.m_cols.size()), -1);
    endResetModel();
}

void CSlipListModel::Reset(std::shared_ptr<CCDSData> set)
{
    ResetRows(std::move(set));
}

QString CSlipListModel::GetCellText(int row, int column) const
{
    return GetSlipCellText(m_columns, RecordAt(row), column, &m_hints);
}

bool CSlipListModel::IsChecked(int row) const
{
    return GetSlipCheckState(m_nViewKind, m_columns, RecordAt(row));
}

int CSlipListModel::FindRow(const QString& text, bool down, int start) const
{
    const int columns = int(m_columns.m_cols.size());
    for (int row = start; row >= 0 && row < int(m_rows.size()); row += down ? 1 : -1) {
        for (int column = 1; column < columns; ++column) {
            if (GetSlipCellText(m_columns, m_rows[size_t(row)], column, &m_hints).contains(text))
                return row;
        }
    }
    return -1;
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
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns.m_cols.size())
        return m_columns.m_cols[section].m_strCaption;
    return {};
}
