#include "app/RecordRowsModel.h"

#include "platform/data/Record.h"
#include "platform/data/RecordCompare.h"

#include <QHash>

#include <algorithm>
#include <unordered_set>

void CRecordRowsModel::ResetRows(std::shared_ptr<CCDSData> set,
                                 const std::function<bool(const COneRecord*)>& shown)
{
    beginResetModel();
    m_pSet = std::move(set);
    m_rows.clear();
    if (m_pSet) {
        m_rows.reserve(size_t(m_pSet->GetCount()));
        for (int i = 0; i < m_pSet->GetCount(); ++i) {
            COneRecord* record = m_pSet->GetAt(i);
            if (record && (!shown || shown(record)))
                m_rows.push_back(record);
        }
    }
    endResetModel();
}

COneRecord* CRecordRowsModel::RecordAt(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)] : nullptr;
}

int CRecordRowsModel::RowOf(const COneRecord* record) const
{
    if (!record)
        return -1;
    const auto it = std::find(m_rows.begin(), m_rows.end(), record);
    return it == m_rows.end() ? -1 : int(it - m_rows.begin());
}

void CRecordRowsModel::RefreshRow(int row)
{
    if (row >= 0 && row < int(m_rows.size()) && columnCount() > 0)
        Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void CRecordRowsModel::RemoveRows(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::unordered_set<const COneRecord*> gone;
    // From the last row to the first, so the earlier rows keep their numbers.
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

void CRecordRowsModel::SortRows(const QString& key, bool descending)
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

int CRecordRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}
