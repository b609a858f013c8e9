#pragma once

// The view classes the frame switches between.
enum class EViewClass { Menu, Master, Header, Shime };

// What a view kind (0 menu screen, 1-3 master list, 4-7 slip list, 8-48
// report list) shows: its view class, menu bar and toolbar (resource ids,
// 0 = none).
struct CViewKindInfo {
    EViewClass viewClass;
    int menuId;
    int toolBarId;
};

inline constexpr int kMaxViewKind = 48;
// The report list's kinds, whose modes keep their own menu bar and toolbar.
inline constexpr int kFirstReportViewKind = 8;
inline constexpr int kLastReportViewKind = 48;

// Any kind outside 0-48 gives the menu screen without menu and toolbar.
CViewKindInfo GetViewKindInfo(int kind);

// The menu bar and toolbar of a report list's kind, as its table of modes
// keeps them.
struct CViewBars {
    int menuId = 0;
    int toolBarId = 0;
};
using ReportViewBars = CViewBars (*)(int kind);
// The reports provide their modes' bars at start-up, before any frame is
// made; until then (or after a null) the report kinds show none.
void SetReportViewBars(ReportViewBars bars);
