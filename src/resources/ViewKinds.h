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
