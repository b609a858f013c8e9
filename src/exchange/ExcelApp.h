#pragma once

#include "exchange/ImportRows.h"
#include "platform/office/Workbook.h"

#include <QList>
#include <QString>

#include <memory>

// The spreadsheet layer of the import and export, with the operations the
// callers have always asked of Excel, answered from the workbook files
// themselves: no Excel is needed. Reading takes the used range of a sheet
// (styled empty cells count) into rows of texts as Excel's values read;
// writing makes a one-sheet .xlsx workbook. One object serves one read or
// one write; destroying it finishes, which hands a workbook written without
// a path to the desktop to show.
class CExcelApp
{
  public:
    // The Excel version the callers check against 8.
    static constexpr int kExcelVersion = 16;
    // Sheet rows of an .xlsx workbook: the caption row and 1 048 575 records.
    static constexpr int kMaxRows = 1048576;

    CExcelApp() = default;
    ~CExcelApp();
    CExcelApp(const CExcelApp&) = delete;
    CExcelApp& operator=(const CExcelApp&) = delete;

    // The workbook to read, or the file to write (empty: none; the workbook
    // is then shown to the user instead).
    void SetPath(const QString& path) { m_strPath = path; }
    const QString& GetPath() const { return m_strPath; }

    int Start();
    static int GetExcelVersion() { return kExcelVersion; }

    // Reading: 1 when the workbook at the path is open, 0 after a message.
    int OpenBook();
    // Writing: 1.
    int NewBook();
    // The sheet dialog over the workbook's worksheets (the import variant
    // leaves out those with the code name "ConvertSheet"): the position
    // chosen in the list, or -1 (cancelled or failed; the object finishes).
    int SelectSheet();
    int SelectImportSheet();

    // The used range of the chosen sheet (asked for when none is chosen)
    // into `rows`: a header of column letters, then one row per sheet row
    // that holds a text, labelled with its position in the range. 1 read,
    // 0 failed; 0 with the header row alone in `rows` when the range is one
    // cell that holds no text (an empty sheet, or a single number).
    int ReadSheet(CImportRows* rows);
    // A ledger workbook of a sibling product: book 0 customers and 1
    // products of "ブレンロ", 2 customers of "カドミア". Rows from the fifth
    // row of the range on, 16 cells each (5 for products), empty or not.
    int ReadSiblingBook(int book, CImportRows* rows);
    // The installation folder and version of a sibling product from the
    // registry key; 1 when the key exists.
    static int ReadInstalledDir(QString& dir, int& version, const QString& key);

    // Writes the rows (row 0 the captions) with m_columnTypes into a new
    // workbook: saved at the path, or without one in a folder of the data
    // root and shown once finished. 1 written, 0 failed.
    int WriteBook(const CImportRows* rows);
    int Finish();

    // Column letters from 1 (A, Z, AA, ZZ, AAA ...) and cell names ("C5").
    static QString ColumnName(int column);
    static QString CellName(int column, int row);

    // The element text of a cell as Excel's value reads: dates by their
    // number format, other numbers to 15 digits ("%.3f" past two decimals),
    // booleans "1"/"0", errors and empty cells "".
    static QString ElementText(const CSheetCell& cell, const CSheetData& sheet);
    static QString NumberText(double value);

    // Field types of the export columns (0 text, 1 date, 2 money,
    // 3 integer, 4 none), set by the export before writing.
    QList<int> m_columnTypes;
    // 1: finishing closes the workbook; 0: it is handed to the user.
    int m_nCloseOnFinish = 1;

    // Tests write the row limit's message with fewer rows.
    void SetMaxRows(int rows) { m_nMaxRows = rows; }
    // Tests read with lower caps: the reader's, and the table's of rows by
    // columns, which shares its cell cap.
    void SetLimits(const CWorkbookLimits& limits) { m_limits = limits; }
    // Where a workbook written without a path was saved.
    const QString& GetShownPath() const { return m_strShown; }
    int GetSheetIndex() const { return m_nSheet; }

  private:
    int ChooseSheet(bool import);
    // The chosen sheet read (beside the window's thread): false after the
    // message of a failure, or stopped by the user. A sibling ledger's
    // table has `bookColumns` columns; 0 for a sheet read whole.
    bool LoadSheet(CSheetData& sheet, int bookColumns);
    int ReadChosenSheet(CImportRows* rows);
    void ReportBookError(CWorkbookReader::Error error);

    QString m_strPath;
    bool m_bStarted = false;
    std::unique_ptr<CWorkbookReader> m_pBook;
    bool m_bNewBook = false;
    int m_nSheet = -1;
    QString m_strShown;
    int m_nMaxRows = kMaxRows;
    CWorkbookLimits m_limits;
};
