#include "app/menu/MenuCalendar.h"

#include "platform/data/Record.h"

#include <algorithm>

namespace
{

const QString kMarkFields[CMenuCalendar::kColumns] = {QStringLiteral(u"締め請求"),
                                                      QStringLiteral(u"締め支払"), QStringLiteral(u"入金"),
                                                      QStringLiteral(u"出金")};

QDate MonthEnd(const QDate& first)
{
    return first.addMonths(1).addDays(-1);
}

} // namespace

void CMenuCalendar::PrepareCalender(const QDate& start, const CCDSData& records)
{
    ClearMarks();
    m_start = start;
    for (int i = 0; i < records.GetCount(); ++i) {
        const COneRecord* record = records.GetAt(i);
        const CTb* dateField = record->GetOneField(QString(), QStringLiteral(u"日付"));
        QDate date;
        if (!dateField || !dateField->GetData(date))
            continue;
        const qint64 offset = start.daysTo(date);
        if (offset < 0 || offset >= kDays)
            continue;
        for (int c = 0; c < kColumns; ++c) {
            const CTb* field = record->GetOneField(QString(), kMarkFields[c]);
            int value = 0;
            if (field && field->GetData(value) && value != 0)
                m_marks[c][offset] = value;
        }
    }
}

void CMenuCalendar::ClearMarks()
{
    std::fill(&m_marks[0][0], &m_marks[0][0] + kColumns * kDays, 0);
}

int CMenuCalendar::Mark(int column, int dayOffset) const
{
    if (column < 0 || column >= kColumns || dayOffset < 0 || dayOffset >= kDays)
        return 0;
    return m_marks[column][dayOffset];
}

int CMenuCalendar::CellMark(int cell) const
{
    return Mark(cell % kColumns, m_nFirstRow + cell / kColumns);
}

void CMenuCalendar::SetScroll(const QDate& start, const QDate& end, int position)
{
    m_start = start;
    m_end = end;
    m_nMax = std::max<qint64>(0, start.daysTo(end) - (kVisibleRows - 1));
    m_nFirstRow = std::clamp(position, 0, m_nMax);
}

bool CMenuCalendar::SetFirstRow(int position)
{
    position = std::clamp(position, 0, m_nMax);
    if (position == m_nFirstRow)
        return false;
    m_nFirstRow = position;
    return true;
}

CMenuCalendar::SMarkClick CMenuCalendar::ClickMark(int cell) const
{
    const QDate date = m_start.addDays(m_nFirstRow + cell / kColumns);
    return {kFirstMarkViewKind + cell % kColumns, date, ClosingDayOf(m_start, m_end, date)};
}

int CMenuCalendar::ClosingDayOf(const QDate& start, const QDate& end, const QDate& date)
{
    // The last row of a period starting mid-month is an ordinary day: the
    // month's end is not shown in full, and a day-28 customer must close.
    const bool beforeFirst = date < end && date.addDays(1).day() == 1;
    const bool lastOfMonthPeriod = start.day() == 1 && date == end;
    return beforeFirst || lastOfMonthPeriod ? 99 : date.day();
}

void CMenuCalendar::PrevMonth(const QDate& start, QDate& newStart, QDate& newEnd)
{
    const QDate first(start.year(), start.month(), 1);
    newStart = start.day() == 1 ? first.addMonths(-1) : first;
    newEnd = MonthEnd(newStart);
}

void CMenuCalendar::NextMonth(const QDate& start, QDate& newStart, QDate& newEnd)
{
    newStart = QDate(start.year(), start.month(), 1).addMonths(1);
    newEnd = MonthEnd(newStart);
}
