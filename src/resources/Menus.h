#pragma once

#include <QList>
#include <QMap>
#include <QString>

// One entry of a menu-bar table: a command, a separator, or the start or end
// of a popup (a top-level menu or a submenu).
struct CMenuEntry {
    enum Kind { Command, Separator, PopupBegin, PopupEnd };
    Kind kind;
    int id;
    const char* text; // UTF-8; empty for separators and popup ends
};

// The menu bar of a menu resource id (145, 147, ... 228); empty for an
// unknown id.
const QList<CMenuEntry>& GetMenuResource(int menuId);

// The toolbars of the frame in creation order.
struct CToolBarDef {
    int resourceId;
    int controlId;
    QList<int> buttons; // command ids, 0 = separator
};
const QList<CToolBarDef>& GetToolBarDefs();

// The string table's entries of the commands, by id: the status-bar prompt,
// a line break, then the tool tip; either part may be empty, and an entry
// without a line break is a prompt alone.
const QMap<int, QString>& GetCommandStrings();

// The text of a command for tool tips and toolbar buttons: the string table
// entry after its line break; empty when there is none.
QString GetCommandText(int id);

// The prompt the status bar shows while the command's menu entry or button
// is under the pointer: the entry before its line break; empty when none.
QString GetCommandPrompt(int id);

// The key of a command ("Ctrl+F", "Del"); empty when it has none.
QString GetCommandShortcut(int id);
// The commands that have a key: the program's accelerator table.
QList<int> GetAcceleratorCommands();
