#pragma once

#include <QSize>

#include <optional>

// The menu screen's pictures keep their resource numbers: the layout takes
// its sizes from them and the pickers choose them per button and state
// (0 normal, 1 under the mouse, 2 pressed). Each picker answers -1 when
// nothing applies.
namespace MenuBitmap
{

constexpr int kBackground = 230;
constexpr int kStartup = 399;
constexpr int kTab = 131;
constexpr int kMonthSeparator = 313;

int GetFileButtonBitmap(int page, int index, int state);
int GetBottomButtonBitmap(int index, int state);
int GetCalButtonBitmap(int index, int state);
int GetCellBitmap(int column, int state);
int GetDigitBitmap(int digit);
// 1-12, or 0 for the separator drawn between two months in the header.
int GetMonthNumberBitmap(int month);
// The month label beside the row of a month's first day.
int GetMonthBitmap(int month);
int GetDayBitmap(int day, bool sunday);

// What a picture shows; the painter draws from this.
struct SArt {
    enum Kind {
        Background,
        Startup,
        Tab,
        FileButton,
        BottomButton,
        CalButton,
        Cell,
        Digit,
        MonthNumber,
        MonthLabel,
        Day
    };
    Kind kind;
    int index = 0; // button, column, digit, month or day
    int state = 0;
    int page = 0;
    bool sunday = false;
    QSize size;
};

// The description of a picture id; nothing for an unknown id.
std::optional<SArt> ArtOf(int id);
// Its size in pixels (empty for an unknown id).
QSize Size(int id);
// Every picture id, for drawing them all at start-up.
QList<int> AllIds();

} // namespace MenuBitmap
