#pragma once

#include <QList>
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

// The text of a command for tool tips and toolbar buttons: the string table
// entry after its line break; empty when there is none.
QString GetCommandText(int id);

// The key of a command ("Ctrl+F", "Del"); empty when it has none.
QString GetCommandShortcut(int id);
// The commands that have a key: the program's accelerator table.
QList<int> GetAcceleratorCommands();
