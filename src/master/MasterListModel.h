#pragma once

#include "settings/QXColSet.h"

#include "app/RecordRowsModel.h"
#include <QString>

#include <memory>
#include <vector>

class CCDSData;
class COneRecord;

// The text a master list shows in a column for a record: the composite
// partner names, the collection day in words, every other field as its
// display text (money with separators); line breaks are taken out. Empty
// for a missing record or a column beyond the set.
QString GetMasterCellText(const QString& table, const CQXColSet& columns, const COneRecord* record,
                          int column);

// True when the record's code field holds only half-width and full-width
// blanks: the one-time partner, which no list shows or counts.
bool IsBlankCodeRecord(const COneRecord* record, const QString& table, const QString& codeField);

// The rows of a master list over the records of its last query. The set is
// shared with the list that loaded it, so a row can never outlive its
// record; each row points at one record of the set. Cell texts are made when
// a row is drawn, none is stored.
class CMasterListModel : public CRecordRowsModel
{
    Q_OBJECT
  public:
    explicit CMasterListModel(QObject* parent = nullptr);
    ~CMasterListModel() override;

    // "Item", "Customer" or "Supplier" and its code field.
    void SetTable(const QString& table, const QString& codeField);
    const QString& GetTable() const { return m_strTable; }

    // The columns shown, one per element of the set.
    void SetColumns(const CQXColSet& columns);
    const CQXColSet& GetColumns() const { return m_columns; }
    // A column's caption in the set and in the header.
    void SetColumnCaption(int column, const QString& caption);
    // The width each column is stored with (100 when below 1).
    int GetColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);

    // Shows every record of the set but the one-time partners, in set order.
    void Reset(std::shared_ptr<CCDSData> set);

    QString GetCellText(const COneRecord* record, int column) const;

    // A record of the set (already added to it) shown as the first row.
    void InsertTop(COneRecord* record);
    // The first row from `start` on (backwards when not `down`) that shows
    // `text` in any column; -1 when none up to the end of the list.
    int FindRow(const QString& text, bool down, int start) const;

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  private:
    QString m_strTable;
    QString m_strCodeField;
    CQXColSet m_columns;
};
