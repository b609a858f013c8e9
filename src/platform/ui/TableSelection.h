#pragma once

#include <QList>

class QAbstractItemView;

// The selected rows of a list, in ascending order; none without a model.
QList<int> SelectedRows(const QAbstractItemView* view);
// Selects and focuses only `row` and scrolls it into view.
void SelectRowExclusive(QAbstractItemView* view, int row);
