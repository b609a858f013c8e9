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

// Any kind outside 0-48 gives the menu screen without menu and toolbar.
CViewKindInfo GetViewKindInfo(int kind);

class CMainFrame;
class CView;
// Creates the view of a class for the frame; null when it could not be made.
CView* CreateView(EViewClass viewClass, CMainFrame& frame);

// The menu screen's services the frame calls, on the view shown for kind 0
// (nothing for another view): show itself in full once connected, and reset
// its calendar after the calendar data was reloaded.
void ShowMenuScreen(CView* view);
void ResetMenuCalendar(CView* view);
