#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The report conditions a list loader reads from its list's request.
struct CLoaderConditions {
    QDate from;
    QDate to;
    int periodShape = 0;
    QString classField;
    QStringList classValues;
    bool tradedOnly = false;
    bool quantities = false;
    QDate lastCarryForward;
};

// The statement of a receipt, payment, slip-line, stock-movement (14-22),
// balance (23, 24) or summary mode (25-41) on the conditions; empty for
// other modes. A detail-list period shape outside 0-3 is a programming error.
QString BuildReportModeSql(int mode, const CLoaderConditions& c);

// The bounds a period shape keeps of `from`-`to` (0 both, 1 the end only,
// 2 the start only, 3 none) and its text ("期間：…"). A shape outside 0-3 is
// a programming error.
struct CShapedPeriod {
    QDate start;
    QDate end;
    QString text;
};
CShapedPeriod ShapePeriod(const QDate& from, const QDate& to, int shape);

// The period and count texts a successful load shows.
QString ReportPeriodText(int mode, const CLoaderConditions& c);
// "期間：yyyy/MM/dd～yyyy/MM/dd".
QString PeriodText(const QDate& from, const QDate& to);
QString ReportCountText(int mode, int count);

// The last day of the date's month.
QDate GetLastDayOfMonth(const QDate& date);
