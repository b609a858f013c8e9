#pragma once

#include "settings/QXColSet.h"

#include "app/RecordRowsModel.h"

#include <memory>
#include <vector>

class CCDSData;
class COneRecord;

// The rows of a slip list over the records of its last query (the set is
// shared with the list); texts are made when a row is drawn, the first
// column shows the row's check state only.
class CSlipListModel : public CRecordRowsModel
{
    Q_OBJECT
  public:
    explicit CSlipListModel(QObject* parent = nullptr);
    ~CSlipListModel() override;

    void SetViewKind(int kind) { m_nViewKind = kind; }
    void SetColumns(const CQXColSet& columns);
    const CQXColSet& GetColumns() const { return m_columns; }

    // Shows every record of the set in set order.
    void Reset(std::shared_ptr<CCDSData> set);

    QString GetCellText(int row, int column) const;
    bool IsChecked(int row) const;
    // The first row from `start` on (backwards when not `down`) that shows
    // `text` in any column; -1 when none.
    int FindRow(const QString& text, bool down, int start) const;

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  private:
    int m_nViewKind = 0;
    CQXColSet m_columns;
    mutable std::vector<int> m_hints;
};
