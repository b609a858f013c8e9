#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

class CReportList;
class CShimeView;

// The text fitted to a cell: itself when its extent plus `offset` fits the
// width, else the longest head that fits with "..." after it, or nothing
// when not even the dots fit. Characters are never split.
QString MakeShortString(const std::function<int(const QString&)>& extent, const QString& text, int width,
                        int offset);
// The room a cell of the column keeps beside its text (the `offset` above).
int CellTextMargin(int column);

// The rows of a report list for the table: one reset per fill.
class CShimeListModel : public QAbstractTableModel
{
    Q_OBJECT
  public:
    explicit CShimeListModel(CReportList& list, QObject* parent = nullptr);

    void Reset();
    // Rows inserted or removed by a group click.
    void RowsChanged() { Reset(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The row's mark (-1 none) for the delegate.
    static constexpr int kMarkRole = Qt::UserRole + 1;

  private:
    CReportList& m_list;
    int m_nColumns = 0;
};

// Draws marks, red warning rows, shortened texts and the alignment.
class CShimeListDelegate : public QStyledItemDelegate
{
    Q_OBJECT
  public:
    CShimeListDelegate(CShimeView& view, QObject* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    CShimeView& m_view;
};

// The report list control: the mark area (the first 16 pixels of a row)
// is its own; a click there goes to the view instead of selecting.
class CShimeListCtrl : public QTableView
{
    Q_OBJECT
  public:
    explicit CShimeListCtrl(CShimeView& view);

    // The narrowest column (after the first) that shows a whole date
    // "yyyy/mm/dd" of any digits in the control's font.
    int WholeDateWidth() const;

    int m_bStateImages = 1;

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    CShimeView& m_view;
};
