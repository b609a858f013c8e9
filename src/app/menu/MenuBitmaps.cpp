#include "app/menu/MenuBitmaps.h"

#include <QHash>
#include <QList>

namespace MenuBitmap
{
namespace
{

// [state][button]
constexpr int kFilePage0[3][7] = {{267, 270, 285, 255, 288, 261, 258},
                                  {266, 269, 284, 254, 287, 260, 257},
                                  {265, 268, 283, 253, 286, 259, 256}};
// Button 0 of the second page shares the pictures of the first page's.
constexpr int kFilePage1[3][8] = {{267, 276, 291, 271, 293, 282, 264, 250},
                                  {266, 275, 290, 278, 272, 281, 263, 252},
                                  {265, 274, 289, 277, 279, 280, 262, 251}};
constexpr int kBottom[3][7] = {{172, 179, 185, 182, 191, 194, 439},
                               {174, 178, 247, 181, 245, 193, 441},
                               {249, 180, 248, 244, 246, 195, 440}};
constexpr int kCalButtons[3][3] = {{297, 300, 294}, {299, 302, 296}, {298, 301, 295}};
constexpr int kCells[3][4] = {{322, 314, 316, 325}, {321, 318, 315, 324}, {320, 317, 319, 323}};
constexpr int kDigits[10] = {386, 378, 379, 380, 381, 382, 383, 384, 385, 377};
constexpr int kMonthNumbers[12] = {376, 369, 370, 371, 372, 373, 374, 375, 365, 366, 367, 368};
constexpr int kMonthLabels[12] = {387, 391, 392, 393, 394, 395, 396, 397, 398, 388, 389, 390};
constexpr int kSundays[31] = {420, 438, 421, 436, 432, 410, 434, 435, 431, 412, 413, 414, 407, 415, 416, 417,
                              418, 419, 411, 408, 429, 422, 423, 424, 425, 426, 409, 427, 428, 430, 437};

bool ValidState(int state)
{
    return state >= 0 && state <= 2;
}

// Sizes the layout is built around: the calendar's four cells and the
// scroll bar share the 300 pixels right of the day numbers.
QSize FileButtonSize(int index)
{
    if (index <= 1)
        return {68, 60};
    return index == 4 ? QSize(90, 60) : QSize(84, 60);
}

// The database list's button is a narrow drop button at the end of the name
// field, clear of the page tabs that start 15 px to its right.
QSize BottomButtonSize(int index)
{
    return index == 6 ? QSize(14, 24) : QSize(60, 28);
}

QSize CalButtonSize(int index)
{
    return index == 1 ? QSize(46, 20) : QSize(18, 20);
}

const QHash<int, SArt>& Table()
{
    static const QHash<int, SArt> table = [] {
        QHash<int, SArt> t;
        auto add = [&t](int id, const SArt& art) {
            Q_ASSERT(!t.contains(id));
            t.insert(id, art);
        };
        add(kBackground, {SArt::Background, 0, 0, 0, false, {750, 500}});
        add(kStartup, {SArt::Startup, 0, 0, 0, false, {480, 300}});
        // The tabs stand on the business panel, one pixel into its top edge.
        add(kTab, {SArt::Tab, 0, 0, 0, false, {78, 31}});
        for (int s = 0; s < 3; ++s) {
            for (int i = 0; i < 7; ++i)
                add(kFilePage0[s][i], {SArt::FileButton, i, s, 0, false, FileButtonSize(i)});
            for (int i = 1; i < 8; ++i)
                add(kFilePage1[s][i], {SArt::FileButton, i, s, 1, false, FileButtonSize(i)});
            for (int i = 0; i < 7; ++i)
                add(kBottom[s][i], {SArt::BottomButton, i, s, 0, false, BottomButtonSize(i)});
            for (int i = 0; i < 3; ++i)
                add(kCalButtons[s][i], {SArt::CalButton, i, s, 0, false, CalButtonSize(i)});
            for (int c = 0; c < 4; ++c)
                add(kCells[s][c], {SArt::Cell, c, s, 0, false, {64, 26}});
        }
        for (int d = 0; d < 10; ++d)
            add(kDigits[d], {SArt::Digit, d, 0, 0, false, {8, 13}});
        add(kMonthSeparator, {SArt::MonthNumber, 0, 0, 0, false, {16, 18}});
        for (int m = 1; m <= 12; ++m) {
            add(kMonthNumbers[m - 1], {SArt::MonthNumber, m, 0, 0, false, {44, 18}});
            add(kMonthLabels[m - 1], {SArt::MonthLabel, m, 0, 0, false, {13, 22}});
        }
        for (int d = 1; d <= 31; ++d) {
            add(325 + d, {SArt::Day, d, 0, 0, false, {22, 20}});
            add(kSundays[d - 1], {SArt::Day, d, 0, 0, true, {22, 20}});
        }
        return t;
    }();
    return table;
}

} // namespace

int GetFileButtonBitmap(int page, int index, int state)
{
    if (!ValidState(state))
        return -1;
    if (page == 0)
        return index >= 0 && index < 7 ? kFilePage0[state][index] : -1;
    if (page == 1)
        return index >= 0 && index < 8 ? kFilePage1[state][index] : -1;
    return -1;
}

int GetBottomButtonBitmap(int index, int state)
{
    return ValidState(state) && index >= 0 && index < 7 ? kBottom[state][index] : -1;
}

int GetCalButtonBitmap(int index, int state)
{
    return ValidState(state) && index >= 0 && index < 3 ? kCalButtons[state][index] : -1;
}

int GetCellBitmap(int column, int state)
{
    return ValidState(state) && column >= 0 && column < 4 ? kCells[state][column] : -1;
}

int GetDigitBitmap(int digit)
{
    return digit >= 0 && digit <= 9 ? kDigits[digit] : -1;
}

int GetMonthNumberBitmap(int month)
{
    if (month == 0)
        return kMonthSeparator;
    return month >= 1 && month <= 12 ? kMonthNumbers[month - 1] : -1;
}

int GetMonthBitmap(int month)
{
    return month >= 1 && month <= 12 ? kMonthLabels[month - 1] : -1;
}

int GetDayBitmap(int day, bool sunday)
{
    if (day < 1 || day > 31)
        return -1;
    return sunday ? kSundays[day - 1] : 325 + day;
}

std::optional<SArt> ArtOf(int id)
{
    const auto found = Table().constFind(id);
    if (found == Table().constEnd())
        return std::nullopt;
    return *found;
}

QSize Size(int id)
{
    const auto art = ArtOf(id);
    return art ? art->size : QSize();
}

QList<int> AllIds()
{
    return Table().keys();
}

} // namespace MenuBitmap
