#include "platform/ui/TableSelection.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>

QList<int> SelectedRows(const QAbstractItemView* view)
{
    QList<int> rows;
    if (const QItemSelectionModel* selection = view ? view->selectionModel() : nullptr) {
        for (const QModelIndex& index : selection->selectedRows())
            rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void SelectRows(QAbstractItemView* view, const QList<int>& rows)
{
    QItemSelectionModel* selection = view ? view->selectionModel() : nullptr;
    if (!selection || !view->model())
        return;
    const QAbstractItemModel* model = view->model();
    QItemSelection chosen;
    for (int row : rows)
        if (row >= 0 && row < model->rowCount())
            chosen.select(model->index(row, 0), model->index(row, 0));
    selection->select(chosen, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void SelectRowExclusive(QAbstractItemView* view, int row)
{
    QItemSelectionModel* selection = view ? view->selectionModel() : nullptr;
    if (!selection || !view->model())
        return;
    const QModelIndex index = view->model()->index(row, 0);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
}

void SetupRecordTable(QTableView* table)
{
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setShowGrid(true);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setSectionsClickable(true);
    table->horizontalHeader()->setHighlightSections(false);
    table->horizontalHeader()->setStretchLastSection(false);
}
