#include "reports/ClassFilterList.h"

#include "reports/ClassFilterRules.h"

#include <QHeaderView>
#include <QTreeWidget>

void SetupContentList(QTreeWidget* list)
{
    list->setColumnCount(2);
    list->setHeaderLabels({QString(), QStringLiteral("分類内容")});
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->header()->setStretchLastSection(true);
    list->setColumnWidth(0, 18);
}

QList<int> SelectedRows(const QTreeWidget* list)
{
    QList<int> rows;
    for (QTreeWidgetItem* item : list->selectedItems())
        rows.append(list->indexOfTopLevelItem(item));
    return rows;
}

void FillContentList(QTreeWidget* list, const CClassFilterRules& rules)
{
    const QList<int> selected = SelectedRows(list);
    list->clear();
    for (int i = 0; i < rules.m_rows.size(); ++i) {
        auto* item = new QTreeWidgetItem(list, {QString(), rules.m_rows[i]});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(0, rules.m_ticks[i] ? Qt::Checked : Qt::Unchecked);
        item->setSelected(selected.contains(i));
    }
}
