#include "platform/ui/PopupPlacement.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

// A screen of 1024×768 with a panel of 27 pixels at its top leaves
// (0, 27)-(1023, 767): a popup goes inside it whole, its top-left corner
// first; a drop-down list taller than the area is cut to it (it scrolls),
// a menu is not (it would lose entries).
TEST(PopupPlacement, APopupStaysInsideTheAvailableArea)
{
    const QRect available(0, 27, 1024, 741);
    const struct {
        const char* name;
        QRect popup;
        bool mayShrink;
        QRect placed;
    } cases[] = {
        {"inside stays", QRect(100, 200, 150, 300), true, QRect(100, 200, 150, 300)},
        {"under the top panel", QRect(300, 0, 160, 400), true, QRect(300, 27, 160, 400)},
        {"above the screen", QRect(300, -120, 160, 400), false, QRect(300, 27, 160, 400)},
        {"past the bottom", QRect(300, 600, 160, 400), true, QRect(300, 368, 160, 400)},
        {"past the right edge", QRect(950, 100, 160, 100), false, QRect(864, 100, 160, 100)},
        {"left of the screen", QRect(-40, 100, 160, 100), true, QRect(0, 100, 160, 100)},
        // The closing-day list: 30 entries of 25 pixels.
        {"a list taller than the area", QRect(130, -90, 190, 750), true, QRect(130, 27, 190, 741)},
        {"a menu taller than the area", QRect(130, -90, 190, 750), false, QRect(130, 27, 190, 750)},
        {"a list wider than the area", QRect(-10, 100, 1100, 200), true, QRect(0, 100, 1024, 200)},
        {"a menu wider than the area", QRect(200, 100, 1100, 200), false, QRect(0, 100, 1100, 200)},
        {"in the bottom-right corner", QRect(1000, 760, 100, 100), true, QRect(924, 668, 100, 100)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeepPopupInside(c.popup, available, c.mayShrink), c.placed) << c.name;
}

// Shown, a popup window placed partly off the screen comes onto it before it
// is seen; other windows are left where they are.
TEST(PopupPlacement, ShownPopupsAreMovedOntoTheScreen)
{
    std::unique_ptr<QObject> keeper(KeepPopupsOnScreen(*qApp));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();

    QWidget popup(nullptr, Qt::Popup);
    popup.setGeometry(area.left() - 50, area.top() - 80, 200, area.height() + 100);
    popup.show();
    // The headless platform puts a window 2 pixels inside the place asked
    // for, as if it had a frame.
    EXPECT_LE(std::abs(popup.x() - area.left()), 2);
    EXPECT_LE(std::abs(popup.y() - area.top()), 2);
    EXPECT_EQ(popup.height(), area.height());
    EXPECT_EQ(popup.width(), 200);
    popup.hide();

    QWidget tool(nullptr, Qt::Tool);
    tool.setGeometry(area.left() - 50, area.top() + 10, 200, 100);
    tool.show();
    EXPECT_LT(tool.frameGeometry().left(), area.left());
    tool.hide();

    // Without the keeper the popup is left as placed.
    keeper.reset();
    QWidget loose(nullptr, Qt::Popup);
    loose.setGeometry(area.left() - 50, area.top() + 10, 200, 100);
    loose.show();
    EXPECT_LT(loose.frameGeometry().left(), area.left());
    loose.hide();
}
