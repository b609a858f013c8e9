#pragma once

#include <QString>

// How a report mode gets its records.
enum class EReportLoader { None, Closing, Schedule, Billed, SlipDetail, Balance, Summary, Ledger, SummarySheet };

// One list mode of the report screen (modes 8-48 equal the frame's view
// kinds): title, side (0 sales, 1 purchase), partner kind (0 none, 1
// customer, 2 supplier, 3 staff, 4 period), loader, menu, toolbar, help
// context and the row-mark bitmap with whether marks are shown.
struct CReportModeInfo {
    int mode;
    const char* title;
    int side;
    int partnerKind;
    EReportLoader loader;
    int menuId;
    int toolBarId;
    int helpId;
};

inline constexpr int kFirstReportMode = 8;
inline constexpr int kLastReportMode = 48;

// Null outside 8-48.
const CReportModeInfo* GetReportModeInfo(int mode);
QString GetReportModeTitle(int mode);

// The row-mark picture of a mode (183, 186, 196, 202 or 229) and whether
// rows show marks; `grouping` is the frame's classification grouping flag.
int GetReportMarkBitmap(int mode, bool grouping);
bool ReportModeShowsMarks(int mode, bool grouping);

// Modes 25-41 list per product, partner, staff member or period and can be
// grouped by a classification.
inline bool IsSummaryMode(int mode) { return mode >= 25 && mode <= 41; }
// Modes that get the classification column when one is chosen.
inline bool HasClassColumn(int mode) { return (mode >= 23 && mode <= 28) || (mode >= 33 && mode <= 41); }
