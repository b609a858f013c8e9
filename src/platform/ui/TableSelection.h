#pragma once

#include <QList>

class QAbstractItemView;
class QTableView;

// A list of records: whole rows selected (several with Shift and Ctrl), no
// editing, a grid, one line per row, no row numbers, and captions that sort
// on a click without lighting up.
void SetupRecordTable(QTableView* table);

// The selected rows of a list, in ascending order; none without a model.
QList<int> SelectedRows(const QAbstractItemView* view);
// Selects exactly `rows` (whole rows), leaving the current row where it is.
void SelectRows(QAbstractItemView* view, const QList<int>& rows);
// Selects and focuses only `row` and scrolls it into view.
void SelectRowExclusive(QAbstractItemView* view, int row);
