#pragma once

#include "platform/data/Mny.h"
#include "platform/data/Record.h"
#include "reports/ListColumnInfo.h"
#include "reports/ReportRequest.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// How the cells of a data row read: the columns' fields and kinds and the
// list's conditions as they were when the list was filled, kept apart from
// the list, so that texts made later read as the fill would have.
class CReportCells
{
  public:
    struct Column {
        QString field;
        int kind;
    };
    int mode = 0;
    bool purchase = false;
    QString classField;
    int periodShape = 0;
    std::vector<Column> columns;

    // The cell's field; the amount of an amount column (0 when unreadable)
    // goes into `amount`, and `hasAmount` turns true for a shown one.
    const CTb* Amount(const COneRecord* record, int column, bool* hasAmount, CMny* amount) const;
    // The text of a cell; `context` as CReportList::CodeToText takes it.
    QString Text(const COneRecord* record, int column, int context) const;
    // The texts of a data row of the record, as the list shows them.
    QStringList RowTexts(const COneRecord* record) const;

  private:
    // The slip-line lists show an amount of 0 as an empty cell.
    bool BlankZeros() const;
};

// The cell texts of a row, a list of texts to its readers. Those of a data
// row are made from its record when first read: a list of many thousand
// rows shows a page of them, and sorts and totals by the records.
class CRowTexts
{
  public:
    CRowTexts() = default;
    CRowTexts(const QStringList& texts) : m_texts(texts) {}
    CRowTexts& operator=(const QStringList& texts)
    {
        m_texts = texts;
        m_cells.reset();
        return *this;
    }
    operator const QStringList&() const { return Get(); }
    qsizetype size() const { return Get().size(); }
    bool isEmpty() const { return Get().isEmpty(); }
    const QString& operator[](qsizetype i) const { return Get()[i]; }
    QString& operator[](qsizetype i) { return Made()[i]; }
    QString value(qsizetype i) const { return Get().value(i); }
    QStringList mid(qsizetype pos, qsizetype length = -1) const { return Get().mid(pos, length); }
    void resize(qsizetype size) { Made().resize(size); }
    CRowTexts& operator<<(const QString& text)
    {
        Made() << text;
        return *this;
    }
    // The texts are the record's as `cells` reads them, made when first read.
    void MakeLater(std::shared_ptr<const CReportCells> cells, const COneRecord* record)
    {
        m_texts.clear();
        m_cells = std::move(cells);
        m_record = record;
    }

  private:
    const QStringList& Get() const;
    QStringList& Made()
    {
        Get();
        return m_texts;
    }

    mutable QStringList m_texts;
    mutable std::shared_ptr<const CReportCells> m_cells;
    const COneRecord* m_record = nullptr;
};

// One row of a report list: its cell texts, what it stands for and its mark.
struct CReportRow {
    enum Kind { kData, kDetail, kSubtotal, kGrand };
    Kind kind = kData;
    COneRecord* record = nullptr; // data and group detail rows
    // Group detail rows: the record's index; subtotal rows: the group's
    // first record; the grand total: the number of records.
    int data = -1;
    // -1 none; 0 unchecked (a closed group); 1 checked (an open group).
    int mark = -1;
    CRowTexts texts;
};

// The conditions of the list: those its command chose (the summaries'
// classification, grouping, totals-only, traded-only, the monthly periods
// of modes 31 and 32 ...) and what the list reads besides.
struct CReportConditions : CReportRequest {
    QString collectTypeText; // "COLLECTTYPE.AUT", the one-time partner's way of payment
};

// The report list without widgets: the records of one mode, its columns
// and the rows made of them with their computed amounts, totals and
// subtotals. The screen shows the rows; tests and benchmarks drive it.
class CReportList
{
  public:
    // Sets mode, side and partner kind from the mode table.
    void SetMode(int mode);
    int GetMode() const { return m_nMode; }
    bool IsPurchase() const { return m_bPurchase != 0; }

    // A loader's new records; the computed fields are made again.
    void SetRecords(CCDSData&& records);
    void ClearRecords();
    // The closing candidates read again: the records of rows closed before
    // (a closing "ID" set) join them in partner-code order.
    void KeepClosedRecords(std::vector<std::unique_ptr<COneRecord>> closed);
    CCDSData& Records() { return m_Records; }
    const CCDSData& Subtotals() const { return m_Subtotals; }

    std::vector<CListColumnInfo>& Columns() { return m_columns; }
    const std::vector<CListColumnInfo>& Columns() const { return m_columns; }
    // The columns the screen shows: while grouping, the classification
    // column stays out (its value is the group's caption).
    int VisibleColumnCount() const;
    bool IsGrouping() const { return m_cond.groupByClass != 0; }

    const std::vector<CReportRow>& Rows() const { return m_rows; }
    std::vector<CReportRow>& Rows() { return m_rows; }
    int RowCount() const { return int(m_rows.size()); }
    // The record behind a shown row; none for a total row or a row out of range.
    COneRecord* RecordAt(int row) const
    {
        return row >= 0 && row < RowCount() ? m_rows[size_t(row)].record : nullptr;
    }
    void ClearRows() { m_rows.clear(); }

    // The rows from the records: computed fields once per record set, cell
    // texts, totals, subtotal rows and dropped rows without amounts. False
    // (message shown) without a tax rate for the closing date in modes 8
    // and 9, or when a row's amounts cannot be computed; the rows made so
    // far stay.
    bool FillList(const QDate& closingDate);
    // The fields no statement delivers; 1 done, 0 failed (message shown).
    int CalcRowAmounts(COneRecord* record);
    int AddSubtotalRow(int grand, int row, const QString& group, int first);
    // The detail rows of records from..to-1 at `row` on.
    bool InsertGroupRows(int row, int from, int to);
    void ExpandAllGroups();
    // Removes the detail rows after an open group's row.
    void CollapseGroup(int row);
    void MoveUngroupedRecordsLast();

    // Words for a coded value; `purchase` names the purchase side's items.
    static QString CodeToText(int code, int context, const QString& field, bool purchase);

    // Red rows: stock shortages (33) and exceeded credit limits (23).
    bool IsWarningRow(int row) const;
    // The first row from `start` on (backwards when not `down`) with a cell
    // containing `text`; -1 when none.
    int FindRow(const QString& text, bool down, int start) const;
    // A stable sort of the rows by the column's field.
    void SortRows(int column, bool descending);

    QString GetCountText() const { return m_strCountText; }
    const CMny& GetTaxRate() const { return m_TaxRate; }

    int m_nCarryOver = 0; // nonzero: billed amounts leave the carry-over out
    CReportConditions m_cond;

  private:
    // How the data rows' cells read with the columns and conditions now.
    std::shared_ptr<const CReportCells> Cells() const;
    QString DisplayName(COneRecord* record) const;
    // Sets the record's "Company_Section_Name" to DisplayName.
    void SetDisplayName(COneRecord* record);
    void Fail(const QString& text) const;

    int m_nMode = 0;
    int m_bPurchase = 0;
    CMny m_TaxRate;
    CCDSData m_Records;
    CCDSData m_Subtotals;
    std::vector<CListColumnInfo> m_columns;
    std::vector<CReportRow> m_rows;
    bool m_bComputed = false;
    QString m_strCurrentCode;
    QString m_strCountText;
    CTb m_displayName; // the name set last, whose text the next rows share
};

// Money with exactly `digits` decimals and thousands separators.
QString FormatAmount(const CMny& value, int digits = -1);
// Gross profit over net sales in percent, half up to one decimal; 0 for
// no sales. False when the division overflows.
bool ComputeMargin(const CMny& gross, const CMny& net, CMny& margin);
