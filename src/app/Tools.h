#pragma once

#include <QString>
#include <QStringList>

// The sibling tools of the Tools menu. Each is looked for as an executable of
// its name in the program's "Exe" folder; the calculator, when not there,
// falls back to a desktop calculator found on the path.
struct CToolProgram {
    QString exeName;
    QStringList desktopFallbacks;
};

// The calculators of the common desktops, in the order they are tried.
QStringList DesktopCalculators();

// The program to start for a tool, empty when none is installed.
QString FindToolProgram(const QString& programFolder, const CToolProgram& tool);

// The messages the launcher shows, naming the tool by its menu text.
QString ToolNotInstalledMessage(const QString& menuText);
QString ToolFailedMessage(const QString& menuText);
