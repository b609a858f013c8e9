#include "app/menu/MenuLayout.h"
#include "app/menu/MenuBitmaps.h"

#include <gtest/gtest.h>

namespace
{

TEST(MenuLayoutTest, FixedCorners)
{
    CMenuLayout layout;
    EXPECT_FALSE(layout.IsCalculated());
    EXPECT_TRUE(layout.File(0).isNull());
    layout.CalcLayout();
    ASSERT_TRUE(layout.IsCalculated());

    const QPoint bottom[7] = {{7, 466}, {72, 466}, {136, 466}, {200, 466}, {264, 466}, {328, 466}, {210, 18}};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(layout.Bottom(i).topLeft(), bottom[i]) << i;
    const QPoint file[8] = {{15, 110}, {90, 110},  {210, 150}, {300, 150},
                            {10, 290}, {110, 290}, {260, 350}, {300, 350}};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(layout.File(i).topLeft(), file[i]) << i;
    const QPoint cal[3] = {{650, 32}, {670, 32}, {720, 32}};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(layout.CalButton(i).topLeft(), cal[i]) << i;
    EXPECT_EQ(layout.FirstMonth().topLeft(), QPoint(465, 34));
    EXPECT_EQ(layout.SecondMonth().topLeft(), QPoint(535, 34));
    EXPECT_EQ(layout.Tab(0).topLeft(), QPoint(225, 25));
    EXPECT_EQ(layout.Tab(1).left(), layout.Tab(0).right() + 1);
    EXPECT_EQ(layout.Tab(1).top(), 25);
    // (16, 23) to (205, 40) and (425, 37) to (700, 50), right and bottom excluded.
    EXPECT_EQ(layout.DbName(), QRect(16, 23, 189, 17));
    EXPECT_EQ(layout.Year(), QRect(425, 37, 275, 13));

    // The purchase side has eight buttons, the seventh 50 px further left;
    // a layout made while it is current places it there too.
    EXPECT_EQ(layout.FileRects().size(), 7);
    layout.SetPage(1);
    EXPECT_EQ(layout.File(6).topLeft(), QPoint(210, 350));
    EXPECT_EQ(layout.FileRects().size(), 8);
    layout.CalcLayout();
    EXPECT_EQ(layout.File(6).topLeft(), QPoint(210, 350));
    layout.SetPage(0);
    EXPECT_EQ(layout.File(6).topLeft(), QPoint(260, 350));
    EXPECT_EQ(layout.FileRects().size(), 7);

    // Rows 29.3 px apart, truncated; the day number 28 px left of the first
    // cell and 4 px lower; cells 3 px apart.
    const int rowTops[15] = {58, 87, 116, 145, 175, 204, 233, 263, 292, 321, 351, 380, 409, 438, 468};
    const QSize cell = MenuBitmap::Size(322);
    for (int r = 0; r < 15; ++r) {
        EXPECT_EQ(layout.Day(r), QRect(QPoint(415, rowTops[r] + 4), cell)) << r;
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(layout.Cell(r * 4 + c), QRect(QPoint(443 + c * (cell.width() + 3), rowTops[r]), cell))
                << r;
    }
    EXPECT_EQ(layout.CellRects().size(), 60);
    EXPECT_EQ(layout.CellRects()[17], layout.Cell(17));

    // The calendar repaint reaches from 22 px left of the day numbers over
    // the header to the last cell.
    const QRect area = layout.CalendarArea();
    EXPECT_EQ(area.left(), 415 - 22);
    EXPECT_EQ(area.top(), 34);
    EXPECT_EQ(area.right(), layout.Cell(59).right());
    EXPECT_EQ(area.bottom(), layout.Day(14).bottom());
    EXPECT_TRUE(area.contains(layout.Cell(0)));
    EXPECT_TRUE(area.contains(layout.Year()));
}

TEST(MenuLayoutTest, PicturesFitTheirButtons)
{
    CMenuLayout layout;
    layout.CalcLayout();
    // Every state's picture has the size of the button's rectangle, so the
    // picture and the area that reacts to the mouse are the same.
    for (int s = 0; s < 3; ++s) {
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(MenuBitmap::Size(MenuBitmap::GetFileButtonBitmap(0, i, s)), layout.File(i).size()) << i;
            EXPECT_EQ(MenuBitmap::Size(MenuBitmap::GetBottomButtonBitmap(i, s)), layout.Bottom(i).size())
                << i;
        }
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(MenuBitmap::Size(MenuBitmap::GetFileButtonBitmap(1, i, s)), layout.File(i).size()) << i;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(MenuBitmap::Size(MenuBitmap::GetCalButtonBitmap(i, s)), layout.CalButton(i).size())
                << i;
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(MenuBitmap::Size(MenuBitmap::GetCellBitmap(c, s)), layout.Cell(c).size()) << c;
    }
    // The buttons of a page and the bottom row do not overlap.
    for (int i = 0; i < 7; ++i) {
        for (int j = i + 1; j < 7; ++j) {
            EXPECT_FALSE(layout.File(i).intersects(layout.File(j))) << i << " " << j;
            EXPECT_FALSE(layout.Bottom(i).intersects(layout.Bottom(j))) << i << " " << j;
        }
    }
    // Nor those of the purchase side, and the tabs keep clear of the
    // database name, its button and the file buttons.
    layout.SetPage(1);
    for (int i = 0; i < 8; ++i) {
        for (int j = i + 1; j < 8; ++j)
            EXPECT_FALSE(layout.File(i).intersects(layout.File(j))) << i << " " << j;
        for (int t = 0; t < 2; ++t)
            EXPECT_FALSE(layout.Tab(t).intersects(layout.File(i))) << t << " " << i;
    }
    for (int t = 0; t < 2; ++t) {
        EXPECT_FALSE(layout.Tab(t).intersects(layout.Bottom(6))) << t;
        EXPECT_FALSE(layout.Tab(t).intersects(layout.DbName())) << t;
        EXPECT_LT(layout.Tab(t).right(), layout.Day(0).left() - 22) << t;
    }
    // The cells end left of the calendar's scroll bar (734 minus its width).
    EXPECT_LT(layout.Cell(59).right(), 734 - 17);
    EXPECT_EQ(MenuBitmap::Size(MenuBitmap::kBackground), QSize(750, 500));
}

TEST(MenuLayoutTest, PickersChooseThePictures)
{
    EXPECT_EQ(MenuBitmap::GetFileButtonBitmap(0, 0, 0), 267);
    EXPECT_EQ(MenuBitmap::GetFileButtonBitmap(0, 6, 2), 256);
    EXPECT_EQ(MenuBitmap::GetFileButtonBitmap(1, 0, 1), 266);
    EXPECT_EQ(MenuBitmap::GetFileButtonBitmap(1, 7, 0), 250);
    EXPECT_EQ(MenuBitmap::GetFileButtonBitmap(0, 7, 0), -1);
    EXPECT_EQ(MenuBitmap::GetBottomButtonBitmap(6, 1), 441);
    EXPECT_EQ(MenuBitmap::GetBottomButtonBitmap(2, 3), -1);
    EXPECT_EQ(MenuBitmap::GetCalButtonBitmap(1, 2), 301);
    EXPECT_EQ(MenuBitmap::GetCellBitmap(3, 1), 324);
    EXPECT_EQ(MenuBitmap::GetCellBitmap(4, 0), -1);
    EXPECT_EQ(MenuBitmap::GetDigitBitmap(0), 386);
    EXPECT_EQ(MenuBitmap::GetDigitBitmap(9), 377);
    EXPECT_EQ(MenuBitmap::GetDigitBitmap(10), -1);
    EXPECT_EQ(MenuBitmap::GetMonthNumberBitmap(0), 313);
    EXPECT_EQ(MenuBitmap::GetMonthNumberBitmap(1), 376);
    EXPECT_EQ(MenuBitmap::GetMonthNumberBitmap(9), 365);
    EXPECT_EQ(MenuBitmap::GetMonthNumberBitmap(13), -1);
    EXPECT_EQ(MenuBitmap::GetMonthBitmap(1), 387);
    EXPECT_EQ(MenuBitmap::GetMonthBitmap(10), 388);
    EXPECT_EQ(MenuBitmap::GetMonthBitmap(0), -1);
    EXPECT_EQ(MenuBitmap::GetDayBitmap(1, false), 326);
    EXPECT_EQ(MenuBitmap::GetDayBitmap(31, false), 356);
    EXPECT_EQ(MenuBitmap::GetDayBitmap(1, true), 420);
    EXPECT_EQ(MenuBitmap::GetDayBitmap(13, true), 407);
    EXPECT_EQ(MenuBitmap::GetDayBitmap(31, true), 437);
    EXPECT_EQ(MenuBitmap::GetDayBitmap(32, false), -1);
    EXPECT_EQ(MenuBitmap::ArtOf(420)->sunday, true);
    EXPECT_EQ(MenuBitmap::ArtOf(420)->index, 1);
    EXPECT_FALSE(MenuBitmap::ArtOf(100).has_value());
    // Every number names one picture: 3 + 3 x (7 + 7 + 7 + 3 + 4) + 10 + 1 + 12 + 12 + 31 + 31.
    EXPECT_EQ(MenuBitmap::AllIds().size(), 184);
}

} // namespace
