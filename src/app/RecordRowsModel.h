#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class CCDSData;
class COneRecord;

// The rows of a list screen over the records of its last query. The set is
// shared with the list that loaded it, so a row can never outlive its
// record; each row points at one record of the set. The lists derive their
// columns and cell texts from it.
class CRecordRowsModel : public QAbstractTableModel
{
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    // Shows the records of the set that `shown` accepts (all without it),
    // in set order.
    void ResetRows(std::shared_ptr<CCDSData> set, const std::function<bool(const COneRecord*)>& shown = {});
    const std::shared_ptr<CCDSData>& GetSet() const { return m_pSet; }
    int GetRowCount() const { return int(m_rows.size()); }
    COneRecord* RecordAt(int row) const;
    // The row showing the record; -1 when none does.
    int RowOf(const COneRecord* record) const;
    // The row's texts changed.
    void RefreshRow(int row);
    // Removes the rows and frees their records from the set.
    void RemoveRows(QList<int> rows);
    // Sorts the rows by the key ("Table.Field"); the set keeps the query's
    // order. Selections follow their records.
    void SortRows(const QString& key, bool descending);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;

  protected:
    std::shared_ptr<CCDSData> m_pSet;
    std::vector<COneRecord*> m_rows;
};
