#pragma once

#include "reports/ListColumnInfo.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// What decides a mode's columns besides the mode itself.
struct CReportColumnParams {
    int mode = 0;
    // 0: the carried-over amount is part of the billed amount, which adds
    // the three columns leading to it in modes 8, 9, 12 and 13.
    int carryOver = 0;
    QString classField; // the chosen classification, empty for none
    QString classTitle;
    QDate periodStart;          // first month of the trend lists
    int unitWidth = 0;          // a tenth of the list's client width
    QList<quint32> savedWidths; // by position; beyond them the defaults
};

// Twelve labels "year/month" from the month given, counting on past
// December; empty for a month outside 1-12.
QStringList MakeMonthLabels(int year, int month);

// The columns of a report mode in display order; none outside 8-48.
std::vector<CListColumnInfo> BuildReportColumns(const CReportColumnParams& params);
