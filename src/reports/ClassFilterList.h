#pragma once

#include <QList>

class CClassFilterRules;
class QTreeWidget;

// The content list of the condition dialogs: check boxes in a blank first
// column, the contents under "分類内容"; the boxes answer only through the
// rules' click.
void SetupContentList(QTreeWidget* list);
void FillContentList(QTreeWidget* list, const CClassFilterRules& rules);
QList<int> SelectedRows(const QTreeWidget* list);
