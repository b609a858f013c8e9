#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// Spreadsheet files as the program reads them: the sheets of a workbook and,
// per sheet, the cells the file stores (sparse, typed, each with its number
// format). .xlsx is read with libzip and libxml2, .xls (Excel 5.0/95 and
// 97-2003) by our own walk over its records; which one is chosen by the
// file's first bytes, not its name. Cells without a value are not kept: only
// the range they span, which belongs to the sheet's used range.

struct CNumberFormat {
    int id = 0;   // the file's number-format id (0 General)
    QString code; // the format code when the file defines one
    bool isDate = false;
};

struct CSheetCell {
    enum Kind : quint8 { Blank, Number, Text, Boolean, Error };
    quint32 row = 0;    // from 0
    quint32 column = 0; // from 0
    Kind kind = Blank;  // Blank: a styled cell without a value
    quint32 format = 0; // index into CSheetData::formats
    double number = 0;  // Number; Boolean 1 or 0
    QString text;       // Text
};

struct CSheetData {
    QList<CNumberFormat> formats{CNumberFormat()}; // [0] General
    std::vector<CSheetCell> cells;                 // by row, then column; each with a value
    bool date1904 = false;

    // A styled cell without a value: only its place counts.
    void AddBlank(quint32 row, quint32 column);
    // The bounding box of every stored cell, styled empty ones included
    // (what Excel calls the used range); false when the sheet has no cell.
    bool UsedRange(quint32& firstRow, quint32& firstColumn, quint32& lastRow, quint32& lastColumn) const;
    // Cells into row and column order; of two in one place the later stays.
    void SortCells();
    const CNumberFormat& FormatOf(const CSheetCell& cell) const;

  private:
    bool m_bBlanks = false;
    quint32 m_blankRows[2] = {0, 0}, m_blankColumns[2] = {0, 0}; // first, last
};

// A sheet's range as its file declares it ahead of its cells (the dimension
// of an .xlsx sheet, the DIMENSIONS record of an .xls one), all from 0.
struct CSheetRange {
    quint32 firstRow = 0;
    quint32 firstColumn = 0;
    quint32 lastRow = 0;
    quint32 lastColumn = 0;
};

// How far a sheet's reading has come: the rows that hold a cell with a
// value, counted as they come in row order (a cell met after one of a later
// row counts no row, so the count never passes the sheet's), and the
// bounding box of every cell met, styled empty ones included; with the
// range the sheet declares, when it declares one.
struct CSheetProgress {
    qint64 rowsHoldingValues = 0;
    bool any = false; // a cell met: `met` holds
    CSheetRange met;
    bool declares = false;
    CSheetRange declared;
};

struct CSheetInfo {
    QString name;
    QString codeName;        // the VBA name; empty when the file has none
    bool isWorksheet = true; // false for chart, dialog and macro sheets
};

// Caps against hostile files, each near what Excel itself writes, counted
// while a file is read so that a small file cannot buy a large allocation:
// the unpacked size of any one part (but the shared strings, read only as
// far as the sheet takes them) and of all the parts a book's reader reads,
// and the number of entries of an archive; the cell formats, number
// formats and sheets of a book; the cells with a value in one sheet, which
// also bounds the book's shared strings; the characters of its texts.
struct CWorkbookLimits {
    // The cells of one sheet that an import can hold within its memory: a
    // stored cell, its slot in the import's table of rows and the text made
    // of it take about 110 bytes, so a million and a half stay near 170 MB
    // beside what the program holds already. The import bounds its table
    // (rows by columns) by the same count.
    static constexpr qint64 kImportCells = 1500000;
    // Excel keeps a number format's code to 255 characters; a longer one is
    // no book Excel wrote.
    static constexpr qsizetype kFormatCodeChars = 255;

    qint64 maxEntryBytes = qint64(128) << 20;
    qint64 maxEntries = 10000;
    qint64 maxCells = kImportCells;
    qint64 maxFormats = 65536; // Excel keeps at most 64 000 cell formats
    qint64 maxSheets = 4096;
    // What the parts an .xlsx book's reader reads unpack to, together and
    // read after read: a few hundred megabytes at most, and no more than a
    // bound plus so many times the file's own size (Excel's parts pack to a
    // tenth or a twentieth of their size; white space and empty elements a
    // thousand to one), so that the parser's time stays in proportion to
    // the file.
    qint64 maxBookBytes = qint64(256) << 20;
    qint64 minBookBytes = qint64(64) << 20;
    qint64 bookBytesPerFileByte = 64;
    // The nodes of a book's parts (elements and each of their attributes,
    // texts, comments) beyond so many for each sheet, relationship, shared
    // string and cell kept, at most a bound plus so many for each byte of
    // the file: the parser spends a tenth of a microsecond on each, so that
    // millions of empty elements, which pack a thousand to one, are refused
    // within half a second, while cells and strings with all their markup
    // stay bounded by their own caps.
    qint64 maxSpareNodes = 4000000;
    qint64 spareNodesPerFileByte = 2;
    qint64 nodesPerItem = 16;
    // A sheet's code name stands in its first element, a few hundred bytes
    // in: the reading of each sheet's head stops here, the name not found.
    qint64 maxHeadBytes = qint64(16) << 10;
    // The characters of the texts the sheet read holds (each shared string
    // its cells take counted once), each kept in two bytes: with the cells,
    // the import stays near 300 MB. Strings no cell of the sheet takes are
    // not held and count for nothing.
    qint64 maxTextChars = 64000000;
};

class CWorkbookReader
{
  public:
    enum Error {
        NoError,
        CannotOpen,    // missing or unreadable
        NotWorkbook,   // a foreign or damaged file
        TooLarge,      // a part or a sheet beyond the limits below
        Unsupported,   // an Excel workbook of a kind not read (older than Excel 5.0/95, or an unknown
                       // encryption)
        Password,      // encrypted with a password the user chose
        FormulaResult, // a formula whose stored result cannot be read (FailedCell() names it)
        CellText,      // a cell's text that the book lost (FailedCell() names it)
        CodePage,      // an Excel 5.0/95 book in a code page that no decoder reads
    };
    using Limits = CWorkbookLimits;
    enum Format { Xlsx, Xls };

    virtual ~CWorkbookReader() = default;

    // The reader for the file, by its first bytes; null with the reason.
    static std::unique_ptr<CWorkbookReader> Open(const QString& path, Error* error = nullptr,
                                                 const Limits& limits = Limits());

    virtual Format GetFormat() const = 0;
    const QList<CSheetInfo>& Sheets() const { return m_sheets; }
    bool Date1904() const { return m_date1904; }

    // The cells of sheet `index` of Sheets(), sorted by row and column; a
    // chart sheet has none. False with the reason when the sheet's part is
    // damaged or too large.
    virtual bool ReadSheet(int index, CSheetData& sheet, Error* error = nullptr) = 0;
    // The cell ("B3") of the last FormulaResult or CellText failure.
    const QString& FailedCell() const { return m_strFailedCell; }
    // Asked while a sheet's cells are read, each time what is read so far
    // grows by a row or a column: false refuses the sheet (TooLarge, the
    // cells' cap) there, so that a bound on the table its cells make is
    // said without reading the rest.
    using ReadCheck = std::function<bool(const CSheetProgress& read)>;
    void SetReadCheck(ReadCheck check) { m_readCheck = std::move(check); }
    // The cap a sheet's last TooLarge passed: the cells of one sheet
    // (maxCells), the characters of its texts (maxTextChars), or another
    // (the bytes, markup or counts of a book).
    enum class Cap { Other, Cells, Characters };
    Cap FailedCap() const { return m_cap; }
    // "B3" for a cell from row and column 0.
    static QString CellName(quint32 row, quint32 column);

  protected:
    // A sheet started afresh, and the end of one that failed.
    void BeginSheet(CSheetData& sheet)
    {
        sheet = CSheetData();
        sheet.date1904 = m_date1904;
        m_cap = Cap::Other;
        m_read = CSheetProgress();
        m_lastValueRow = 0;
    }
    // The range the sheet declares ahead of its cells.
    void Declare(const CSheetRange& range)
    {
        m_read.declares = true;
        m_read.declared = range;
    }
    // A cell met at `row` and `column`, with a value or styled empty; false
    // when the read check refuses what is read so far. The check is asked
    // only when the cells read grow by a row or a column: a few comparisons
    // a cell.
    bool Met(quint32 row, quint32 column, bool value);
    // The sheet passes the cap `cap`.
    bool RefuseCap(CSheetData& sheet, Error* error, Cap cap)
    {
        m_cap = cap;
        return Refuse(sheet, error, TooLarge);
    }
    static bool Refuse(CSheetData& sheet, Error* error, Error why)
    {
        if (error)
            *error = why;
        sheet.cells.clear();
        return false;
    }

    QList<CSheetInfo> m_sheets;
    bool m_date1904 = false;
    QString m_strFailedCell;
    Cap m_cap = Cap::Other;

  private:
    ReadCheck m_readCheck;
    CSheetProgress m_read;
    quint32 m_lastValueRow = 0; // the last row counted in m_read.rowsHoldingValues
};

// True for the built-in date and time formats (ids 14-22, 27-36, 45-47,
// 50-58) when the file gives no code, else when the code has a y, m, d, h
// or s outside quoted text, brackets and escaped or fill characters.
bool IsDateNumberFormat(int id, const QString& code, bool hasCode);

// The same, decided once for an id however many cell formats name it: a
// book may give thousands of them one long code.
class CDateFormats
{
  public:
    bool IsDate(int id, const QString& code, bool hasCode)
    {
        auto known = m_dated.constFind(id);
        if (known == m_dated.constEnd())
            known = m_dated.insert(id, IsDateNumberFormat(id, code, hasCode));
        return *known;
    }
    // The code of the id is given anew.
    void Forget(int id) { m_dated.remove(id); }

  private:
    QHash<int, bool> m_dated;
};

// The day of a serial number in the 1900 system (whose day 60 is the
// fictitious 29 February 1900) or the 1904 system; a fraction alone is day 0
// of the system (1899/12/30, 1904/01/01).
QDate ExcelSerialToDate(double serial, bool date1904);
// The serial of a day in the 1900 system.
double ExcelDateToSerial(const QDate& date);
