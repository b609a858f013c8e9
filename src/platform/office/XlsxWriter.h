#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Writes rows of texts as a one-sheet .xlsx workbook through libxlsxwriter,
// the way the program's lists have always been handed to Excel:
// - row 0 holds the captions: text format ("@"), bold, a thin line below;
// - each later cell is formatted by its column's field type: text and
//   integer fields as text ("@"), dates "yyyy/m/d", money and columns
//   without a type General;
// - a text entered into a cell that is not formatted as text becomes what
//   Excel makes of typed input: "1,234" the number 1234, "2024/02/29" a
//   date; anything else (and a number of more than 15 significant digits,
//   which a number cell would round) stays text. No text ever becomes a
//   formula;
// - a column is as wide as its longest line in CP932 bytes plus one (at
//   most 255); rows are 13.5 points high.
// The workbook is written to a temporary file in the target's folder and
// renamed over the target only once complete, so a failed write leaves an
// existing file as it was.
class CXlsxWriter
{
  public:
    // The field types of the columns (what CTb types call them).
    enum ColumnType { kText = 0, kDate = 1, kMoney = 2, kInteger = 3, kNoField = 4 };

    // Writes `rows` (row 0 the captions) with `columnCount` columns; cells
    // beyond a row's own size stay empty. `columnTypes` covers the first
    // columns (at most 256 are formatted); the rest are General. False with
    // libxlsxwriter's or the file system's reason when nothing was replaced.
    static bool Write(const QString& path, const QList<QStringList>& rows, int columnCount,
                      const QList<int>& columnTypes, QString* error = nullptr);

    // A column's width for its texts: the longest line in CP932 bytes + 1, at
    // most 255; 0 when every text is empty (the width is left as it is).
    static int ColumnWidth(int longestLine);
    static int LineBytes(const QString& text);
};
