#pragma once

#include <QString>
#include <QStringList>

// "MasterBunSet.dat" in the current database folder: the classification
// filter each master list had when it was last closed, one line per list
// (1 products, 2 customers, 3 suppliers) in code page 932, each ended by
// CR LF, formatted "%d,%s" (title index, -1 for none, and the value). A
// line may be empty: that list was never closed.
namespace MasterFilterFile
{

inline constexpr char kFileName[] = "MasterBunSet.dat";

// The file's path in the current database folder; empty without one.
QString Path();

// The three lines; a missing file or missing lines read as empty.
QStringList ReadLines(const QString& path);

// The title index (the decimal number before the first comma, 0 when
// there is none) and the value after the comma; false for a line without
// a comma, which restores nothing.
bool ParseLine(const QString& line, int& index, QString& value);

// Replaces the kind's line, keeps the other two and writes the file
// through the atomic replace; false (silently) when it cannot be written
// or the kind is not 1-3.
bool Save(const QString& path, int kind, int index, const QString& value);

} // namespace MasterFilterFile
