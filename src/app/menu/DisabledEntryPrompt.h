#pragma once

class QMenu;
class QStatusBar;

// Qt neither highlights nor hovers a disabled menu entry, so the status bar
// would keep the prompt of the last entry the pointer passed. From now on
// the menu shows the prompt of a disabled entry under the pointer in
// `status`, telling what the entry would do.
void ShowDisabledEntryPrompts(QMenu* menu, QStatusBar* status);
