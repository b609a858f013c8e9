#pragma once

#include <QList>
#include <QRect>

// Where everything on the menu screen sits, in the view's coordinates. The
// corners are fixed; the sizes come from the pictures. Until CalcLayout runs
// (while the start-up picture shows) every rectangle is empty.
class CMenuLayout
{
  public:
    static constexpr int kFileButtons = 8;
    static constexpr int kBottomButtons = 7;
    static constexpr int kCalButtons = 3;
    static constexpr int kRows = 15;
    static constexpr int kColumns = 4;
    static constexpr int kCells = kRows * kColumns;

    void CalcLayout();
    bool IsCalculated() const { return m_bCalculated; }

    // The page of file buttons: 0 the sales side (seven buttons), 1 the
    // purchase side (eight). File button 6 sits 50 px further left on the
    // purchase side, to make room for the eighth.
    void SetPage(int page);
    int Page() const { return m_nPage; }
    int FileCount() const { return m_nPage == 0 ? 7 : 8; }

    // Cell `index` is row * 4 + column of the visible rows.
    const QRect& Cell(int index) const { return m_rcCell[index]; }
    const QRect& Day(int row) const { return m_rcDay[row]; }
    const QRect& File(int index) const { return m_rcFile[index]; }
    const QRect& Bottom(int index) const { return m_rcBottom[index]; }
    const QRect& CalButton(int index) const { return m_rcCalButton[index]; }
    const QRect& Tab(int index) const { return m_rcTab[index]; }
    const QRect& DbName() const { return m_rcDbName; }
    const QRect& Year() const { return m_rcYear; }
    const QRect& FirstMonth() const { return m_rcMonth1; }
    const QRect& SecondMonth() const { return m_rcMonth2; }

    // The current page's file buttons.
    QList<QRect> FileRects() const;
    QList<QRect> TabRects() const;
    QList<QRect> BottomRects() const;
    QList<QRect> CalButtonRects() const;
    QList<QRect> CellRects() const;

    // What a calendar repaint covers: from 22 px left of the day numbers to
    // the last mark column and the last row, with the year and both months.
    QRect CalendarArea() const;

  private:
    bool m_bCalculated = false;
    int m_nPage = 0;
    QRect m_rcFile[kFileButtons];
    QRect m_rcDbName;
    QRect m_rcYear;
    QRect m_rcMonth1;
    QRect m_rcMonth2;
    QRect m_rcDay[kRows];
    QRect m_rcCell[kCells];
    QRect m_rcTab[2];
    QRect m_rcBottom[kBottomButtons];
    QRect m_rcCalButton[kCalButtons];
};
