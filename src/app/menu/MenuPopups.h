#pragma once

#include <QProxyStyle>

class QMenu;

// Draws the entries of the menu screen's popups itself: a 2-pixel frame in
// the look's colour around a lighter middle, the whole entry in that colour
// when selected. Blue for the bottom buttons' popups, orange for the
// business buttons'.
class CMenuPopupStyle : public QProxyStyle
{
    Q_OBJECT
  public:
    using QProxyStyle::QProxyStyle;

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;

    // The height a menu bar has on this platform; entries are measured from it.
    static int MenuBarHeight();
    // What the platform adds to every owner-measured entry: the room of a
    // check mark, which keeps the text clear of the right edge.
    static constexpr int kCheckRoom = 12;
};

class CMainFrame;

// Popup `number` (0-29) of the frame's menu-screen popups; null when there
// is none.
QMenu* MenuScreenPopup(const CMainFrame& frame, int number);
