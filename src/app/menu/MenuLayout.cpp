#include "app/menu/MenuLayout.h"

#include "app/menu/MenuBitmaps.h"

namespace
{

QRect At(int x, int y, int bitmapId)
{
    return QRect(QPoint(x, y), MenuBitmap::Size(bitmapId));
}

// Row r of the calendar starts 29.3 px below the one before, truncated.
int RowOffset(int row)
{
    return row * 293 / 10;
}

QList<QRect> ListOf(const QRect* rects, int count)
{
    return QList<QRect>(rects, rects + count);
}

} // namespace

void CMenuLayout::CalcLayout()
{
    m_rcTab[0] = At(225, 25, MenuBitmap::kTab);
    m_rcTab[1] = At(m_rcTab[0].right() + 1, 25, MenuBitmap::kTab);

    static constexpr int kBottomIds[6] = {172, 179, 185, 182, 191, 194};
    static constexpr int kBottomX[6] = {7, 72, 136, 200, 264, 328};
    for (int i = 0; i < 6; ++i)
        m_rcBottom[i] = At(kBottomX[i], 466, kBottomIds[i]);
    m_rcBottom[6] = At(210, 18, 440);

    static constexpr int kFileIds[kFileButtons] = {266, 269, 284, 254, 287, 254, 257, 252};
    static constexpr QPoint kFileCorner[kFileButtons] = {{15, 110}, {90, 110},  {210, 150}, {300, 150},
                                                         {10, 290}, {110, 290}, {260, 350}, {300, 350}};
    for (int i = 0; i < kFileButtons; ++i)
        m_rcFile[i] = At(kFileCorner[i].x(), kFileCorner[i].y(), kFileIds[i]);
    if (m_nPage == 1)
        m_rcFile[6].translate(-50, 0);

    m_rcCalButton[0] = At(650, 32, 297);
    m_rcCalButton[1] = At(670, 32, 300);
    m_rcCalButton[2] = At(720, 32, 294);

    m_rcMonth1 = At(465, 34, 376);
    m_rcMonth2 = At(535, 34, 376);
    m_rcDbName = QRect(QPoint(16, 23), QPoint(205, 40) - QPoint(1, 1));
    m_rcYear = QRect(QPoint(425, 37), QPoint(700, 50) - QPoint(1, 1));

    const QSize cell = MenuBitmap::Size(322);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c)
            m_rcCell[r * kColumns + c] = QRect(QPoint(443 + c * (cell.width() + 3), 58 + RowOffset(r)), cell);
        m_rcDay[r] = QRect(QPoint(415, 62 + RowOffset(r)), cell);
    }
    m_bCalculated = true;
}

void CMenuLayout::SetPage(int page)
{
    if (page == m_nPage || (page != 0 && page != 1))
        return;
    m_nPage = page;
    if (m_bCalculated)
        m_rcFile[6].translate(page == 0 ? 50 : -50, 0);
}

QList<QRect> CMenuLayout::FileRects() const
{
    return ListOf(m_rcFile, FileCount());
}

QList<QRect> CMenuLayout::TabRects() const
{
    return ListOf(m_rcTab, 2);
}

QList<QRect> CMenuLayout::BottomRects() const
{
    return ListOf(m_rcBottom, kBottomButtons);
}

QList<QRect> CMenuLayout::CalButtonRects() const
{
    return ListOf(m_rcCalButton, kCalButtons);
}

QList<QRect> CMenuLayout::CellRects() const
{
    return ListOf(m_rcCell, kCells);
}

QRect CMenuLayout::CalendarArea() const
{
    const QRect& lastCell = m_rcCell[kCells - 1];
    const QRect grid(QPoint(m_rcDay[0].left() - 22, m_rcDay[0].top()),
                     QPoint(lastCell.right(), m_rcDay[kRows - 1].bottom()));
    return grid | m_rcYear | m_rcMonth1 | m_rcMonth2;
}
