#pragma once

#include <QRect>

class QApplication;
class QObject;

// Where a popup of that geometry goes inside a screen's available area:
// moved in whole, its top-left corner kept in view first; one taller or
// wider than the area is cut to it when `mayShrink` (a drop-down list, which
// then scrolls), else it starts at the area's top or left edge.
QRect KeepPopupInside(const QRect& popup, const QRect& available, bool mayShrink);

// Keeps every popup window of the application (menus, drop-down lists,
// completions) inside the available area of its screen, the desktop's
// panels left out: Qt places some of them by the whole screen, so that a
// long closing-day list could start under the top panel. The keeper is the
// application's; deleting it ends the keeping.
QObject* KeepPopupsOnScreen(QApplication& app);
