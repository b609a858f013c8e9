#pragma once

#include <QDate>

class CCDSData;

// The schedule calendar of the menu screen: one row per day of the current
// period (at most 31 days), fifteen of them visible, and four mark columns
// per day: customer closings to bill, supplier closings to pay, expected
// receipts and expected payments.
class CMenuCalendar
{
  public:
    static constexpr int kDays = 31;
    static constexpr int kColumns = 4;
    static constexpr int kVisibleRows = 15;

    // Column c opens view kind 8 + c for the clicked day.
    static constexpr int kFirstMarkViewKind = 8;

    struct SMarkClick {
        int viewKind;
        QDate date;
        int closingDay;
    };

    // Fills the marks from the calendar records ("日付" plus the integer
    // fields "締め請求", "締め支払", "入金", "出金"; 0 = nothing) of the
    // period that starts on `start`.
    void PrepareCalender(const QDate& start, const CCDSData& records);
    void ClearMarks();
    // The mark of a column for a day offset from the period start.
    int Mark(int column, int dayOffset) const;
    // The mark of cell row * 4 + column of the visible rows.
    int CellMark(int cell) const;

    // Resets the scroll range to the period (so that the last fifteen rows
    // end on its last day) and the position to `position`, within range.
    void SetScroll(const QDate& start, const QDate& end, int position);
    // Moves to a position within range; true when the first row changed.
    bool SetFirstRow(int position);
    int ScrollMax() const { return m_nMax; }
    int FirstRow() const { return m_nFirstRow; }
    const QDate& Start() const { return m_start; }
    // The date of a visible row.
    QDate RowDate(int row) const { return m_start.addDays(m_nFirstRow + row); }

    // What a click on a visible cell opens.
    SMarkClick ClickMark(int cell) const;

    // The closing day a click on `date` of the period start-end passes: 99
    // (month end) on the row before a first of the month, or on the last
    // row of a period that starts on a first; else the day of the month.
    static int ClosingDayOf(const QDate& start, const QDate& end, const QDate& date);
    // The month before or after the one the period `start` shows: the
    // previous month when `start` is a first of a month, else its own month.
    static void PrevMonth(const QDate& start, QDate& newStart, QDate& newEnd);
    static void NextMonth(const QDate& start, QDate& newStart, QDate& newEnd);

  private:
    QDate m_start;
    QDate m_end;
    int m_nMax = 0;
    int m_nFirstRow = 0;
    int m_marks[kColumns][kDays] = {};
};
