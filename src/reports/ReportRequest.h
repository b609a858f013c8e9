#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The conditions of one report list: the command that opens the list
// builds them with its dialog and hands them over with the view switch; the
// list owns them from then on, and its own condition commands change its
// copy. A list opened without them starts from these defaults, whatever
// list was shown before.
struct CReportRequest {
    QDate from;
    QDate to;
    // Detail lists: 0 both dates, 1 end only, 2 start only, 3 none (bit 0 =
    // no start, bit 1 = no end); period totals: 0 daily, 1 monthly.
    int periodShape = 0;
    // The classification: its field ("Class%d", empty for none), title and
    // the contents ticked to filter by.
    QString classField;
    QString classTitle;
    QStringList classItems;
    int classTotalsOnly = 0;  // "分類集計のみ表示"
    int classFilter = 0;      // "指定した分類の中から絞り込む"
    int groupByClass = 0;     // "分類ごとに集計する"
    int amountOrQuantity = 0; // 1: quantities
    int tradedOnly = 0;
    int aggregateBy = 0;
    // The last carry-forward, read for the stock lists; invalid otherwise.
    QDate lastCarryForward;
    // The partner or product of a ledger or stock detail.
    QString ledgerCode;
    QString ledgerName;

    // No classification: no field, title, filter, grouping or totals-only.
    void ClearClassification()
    {
        classField.clear();
        classTitle.clear();
        classFilter = 0;
        groupByClass = 0;
        classTotalsOnly = 0;
    }
};
