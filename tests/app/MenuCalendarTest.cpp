#include "app/menu/MenuCalendar.h"
#include "platform/data/Calendar.h"
#include "platform/data/DataTestUtil.h"
#include "platform/data/Record.h"
#include "platform/data/TableNames.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{

void AddDay(CCDSData& set, const QDate& date, int bill, int pay, int in, int out)
{
    COneRecord* r = set.AddNew();
    r->SetField(QStringLiteral("日付"), date);
    r->SetField(QStringLiteral("締め請求"), bill);
    r->SetField(QStringLiteral("締め支払"), pay);
    r->SetField(QStringLiteral("入金"), in);
    r->SetField(QStringLiteral("出金"), out);
}

// "offset:column=value" for every mark, to compare whole calendars.
QStringList Marks(const CMenuCalendar& calendar)
{
    QStringList marks;
    for (int d = 0; d < CMenuCalendar::kDays; ++d) {
        for (int c = 0; c < CMenuCalendar::kColumns; ++c) {
            if (calendar.Mark(c, d) != 0)
                marks << QStringLiteral("%1:%2=%3").arg(d).arg(c).arg(calendar.Mark(c, d));
        }
    }
    return marks;
}

TEST(MenuCalendarTest, MarksFromRecords)
{
    const QDate start(2024, 1, 15);
    CCDSData set;
    AddDay(set, start, 2, 0, 0, 1);
    AddDay(set, QDate(2024, 1, 31), 0, 3, 0, 0);
    AddDay(set, QDate(2024, 2, 14), 0, 0, 4, 0); // the period's last day
    AddDay(set, QDate(2024, 1, 14), 9, 9, 9, 9); // before the period
    AddDay(set, QDate(2024, 2, 15), 9, 9, 9, 9); // offset 31: beyond the rows
    // A record without a date, one with only some fields, one with text.
    set.AddNew()->SetField(QStringLiteral("締め請求"), 5);
    COneRecord* partial = set.AddNew();
    partial->SetField(QStringLiteral("日付"), QDate(2024, 1, 20));
    partial->SetField(QStringLiteral("入金"), 7);
    COneRecord* text = set.AddNew();
    text->SetField(QStringLiteral("日付"), QStringLiteral("2024-01-21"));
    text->SetField(QStringLiteral("出金"), QStringLiteral("abc"));

    CMenuCalendar calendar;
    calendar.PrepareCalender(start, set);
    EXPECT_EQ(Marks(calendar),
              QStringList({QStringLiteral("0:0=2"), QStringLiteral("0:3=1"), QStringLiteral("5:2=7"),
                           QStringLiteral("16:1=3"), QStringLiteral("30:2=4")}));
    EXPECT_EQ(calendar.Mark(4, 0), 0);
    EXPECT_EQ(calendar.Mark(0, 31), 0);

    // Filling again replaces every old mark.
    CCDSData other;
    AddDay(other, QDate(2024, 1, 16), 0, 0, 0, 6);
    calendar.PrepareCalender(start, other);
    EXPECT_EQ(Marks(calendar), QStringList{QStringLiteral("1:3=6")});
    calendar.PrepareCalender(start, CCDSData());
    EXPECT_TRUE(Marks(calendar).isEmpty());
}

TEST(MenuCalendarTest, ScrollRangeAndCells)
{
    CMenuCalendar calendar;
    // 31 days: the last fifteen rows start at row 16.
    calendar.SetScroll(QDate(2024, 1, 15), QDate(2024, 2, 14), 5);
    EXPECT_EQ(calendar.ScrollMax(), 16);
    EXPECT_EQ(calendar.FirstRow(), 5);
    EXPECT_EQ(calendar.RowDate(0), QDate(2024, 1, 20));
    EXPECT_EQ(calendar.RowDate(14), QDate(2024, 2, 3));
    EXPECT_FALSE(calendar.SetFirstRow(5));
    EXPECT_TRUE(calendar.SetFirstRow(40));
    EXPECT_EQ(calendar.FirstRow(), 16);
    EXPECT_EQ(calendar.RowDate(14), QDate(2024, 2, 14));
    EXPECT_TRUE(calendar.SetFirstRow(-3));
    EXPECT_EQ(calendar.FirstRow(), 0);

    // A saved position beyond a shorter period's range is brought in.
    calendar.SetScroll(QDate(2023, 2, 1), QDate(2023, 2, 28), 16);
    EXPECT_EQ(calendar.ScrollMax(), 13);
    EXPECT_EQ(calendar.FirstRow(), 13);
    // Exactly fifteen days: nothing to scroll.
    calendar.SetScroll(QDate(2024, 3, 1), QDate(2024, 3, 15), 4);
    EXPECT_EQ(calendar.ScrollMax(), 0);
    EXPECT_EQ(calendar.FirstRow(), 0);

    // Cells follow the first visible row.
    CCDSData set;
    AddDay(set, QDate(2024, 1, 18), 1, 0, 0, 0);
    calendar.SetScroll(QDate(2024, 1, 15), QDate(2024, 2, 14), 0);
    calendar.PrepareCalender(QDate(2024, 1, 15), set);
    EXPECT_EQ(calendar.CellMark(3 * 4 + 0), 1);
    EXPECT_EQ(calendar.CellMark(3 * 4 + 1), 0);
    calendar.SetFirstRow(2);
    EXPECT_EQ(calendar.CellMark(1 * 4 + 0), 1);
    EXPECT_EQ(calendar.CellMark(3 * 4 + 0), 0);
}

TEST(MenuCalendarTest, ClickedCellGivesViewKindDateAndClosingDay)
{
    CMenuCalendar calendar;
    auto click = [&calendar](int row, int column) { return calendar.ClickMark(row * 4 + column); };

    // 31 January to 28 February: 31 January is a month end (99), not the
    // 31st, which no customer has as closing day.
    calendar.SetScroll(QDate(2023, 1, 31), QDate(2023, 2, 28), 0);
    EXPECT_EQ(click(0, 0).date, QDate(2023, 1, 31));
    EXPECT_EQ(click(0, 0).closingDay, 99);
    EXPECT_EQ(click(0, 0).viewKind, 8);
    EXPECT_EQ(click(1, 1).closingDay, 1);
    EXPECT_EQ(click(1, 1).viewKind, 9);
    // The last row of a period that does not start on a 1st passes its day.
    calendar.SetFirstRow(14);
    EXPECT_EQ(click(14, 2).date, QDate(2023, 2, 28));
    EXPECT_EQ(click(14, 2).closingDay, 28);
    EXPECT_EQ(click(14, 2).viewKind, 10);
    EXPECT_EQ(click(13, 3).closingDay, 27);
    EXPECT_EQ(click(13, 3).viewKind, 11);

    // A leap year's period: 28 and 29 February are the days they are; the
    // row before March would be the month end had the period gone on.
    calendar.SetScroll(QDate(2024, 1, 31), QDate(2024, 2, 29), 15);
    EXPECT_EQ(click(13, 0).date, QDate(2024, 2, 28));
    EXPECT_EQ(click(13, 0).closingDay, 28);
    EXPECT_EQ(click(14, 0).closingDay, 29);
    EXPECT_EQ(CMenuCalendar::ClosingDayOf(QDate(2024, 1, 31), QDate(2024, 3, 5), QDate(2024, 2, 29)), 99);

    // Mid-month start: the row before the 1st is the month end, the 1st is 1.
    calendar.SetScroll(QDate(2024, 1, 15), QDate(2024, 2, 14), 10);
    EXPECT_EQ(click(0, 0).closingDay, 25);
    EXPECT_EQ(click(6, 0).date, QDate(2024, 1, 31));
    EXPECT_EQ(click(6, 0).closingDay, 99);
    EXPECT_EQ(click(7, 0).closingDay, 1);
    EXPECT_EQ(click(14, 0).date, QDate(2024, 2, 8));
    EXPECT_EQ(click(14, 0).closingDay, 8);

    // A month chosen with the buttons ends on its last day.
    calendar.SetScroll(QDate(2024, 4, 1), QDate(2024, 4, 30), 15);
    EXPECT_EQ(click(14, 1).date, QDate(2024, 4, 30));
    EXPECT_EQ(click(14, 1).closingDay, 99);
    EXPECT_EQ(CMenuCalendar::ClosingDayOf(QDate(2024, 12, 1), QDate(2025, 1, 5), QDate(2024, 12, 31)), 99);
    EXPECT_EQ(CMenuCalendar::ClosingDayOf(QDate(2024, 12, 1), QDate(2025, 1, 5), QDate(2024, 12, 30)), 30);
}

TEST(MenuCalendarTest, MonthMoves)
{
    QDate start, end;
    CMenuCalendar::PrevMonth(QDate(2024, 1, 15), start, end);
    EXPECT_EQ(start, QDate(2024, 1, 1));
    EXPECT_EQ(end, QDate(2024, 1, 31));
    CMenuCalendar::PrevMonth(start, start, end);
    EXPECT_EQ(start, QDate(2023, 12, 1));
    EXPECT_EQ(end, QDate(2023, 12, 31));
    CMenuCalendar::NextMonth(QDate(2023, 12, 20), start, end);
    EXPECT_EQ(start, QDate(2024, 1, 1));
    EXPECT_EQ(end, QDate(2024, 1, 31));
    CMenuCalendar::NextMonth(start, start, end);
    EXPECT_EQ(start, QDate(2024, 2, 1));
    EXPECT_EQ(end, QDate(2024, 2, 29));
}

// The calendar marks of a real database: customers and suppliers with
// closing days and unbilled slips, open closings with collection dates.
class MenuCalendarDbTest : public DatabaseTest
{
  protected:
    void Insert(const QString& table, const std::function<void(COneRecord&)>& fill)
    {
        CCDSData set;
        set.m_strTable = table;
        fill(*set.AddNew());
        QString err;
        ASSERT_EQ(m_data.InsertData(set, err), 1) << err.toStdString();
    }
};

TEST_F(MenuCalendarDbTest, MarksFromFixtureDatabase)
{
    auto partner = [this](const QString& table, const QString& codeField, const QString& code, int day) {
        Insert(table, [&](COneRecord& r) {
            r.SetField(table + u'.' + codeField, code);
            r.SetField(table + QStringLiteral(".Day"), day);
        });
    };
    auto slip = [this](const QString& table, const QString& codeField, const QString& code,
                       const QDate& date) {
        Insert(table, [&](COneRecord& r) {
            r.SetField(table + u'.' + codeField, code);
            r.SetField(table + QStringLiteral(".Date"), date);
            r.SetField(table + QStringLiteral(".SeikyuID"), 0);
        });
    };
    auto due = [this](const QString& table, const QDate& date) {
        Insert(table, [&](COneRecord& r) {
            r.SetField(table + QStringLiteral(".CloseDate"), date.addDays(-30));
            r.SetField(table + QStringLiteral(".CollectDate"), date);
            r.SetField(table + QStringLiteral(".Status"), 0);
        });
    };
    const QString cust = QStringLiteral("CustomerCode"), supp = QStringLiteral("SupplierCode");
    partner(TB_CUSTOMER, cust, QStringLiteral("C20"), 20);
    partner(TB_CUSTOMER, cust, QStringLiteral("D20"), 20);
    partner(TB_CUSTOMER, cust, QStringLiteral("C99"), 99);
    slip(TB_SALES_H, cust, QStringLiteral("C20"), QDate(2024, 1, 10));
    slip(TB_SALES_H, cust, QStringLiteral("D20"), QDate(2024, 1, 12));
    slip(TB_SALES_H, cust, QStringLiteral("C99"), QDate(2024, 1, 5));
    partner(TB_SUPPLIER, supp, QStringLiteral("S25"), 25);
    slip(TB_STOCK_H, supp, QStringLiteral("S25"), QDate(2024, 1, 2));
    due(QStringLiteral("Sales_Close"), QDate(2024, 2, 10));
    due(QStringLiteral("Stock_Close"), QDate(2024, 1, 31));

    const QDate start(2024, 1, 15), end(2024, 2, 14);
    CCDSData records;
    QString err;
    ASSERT_EQ(GetCalendar(m_data, start, end, records, err), 1) << err.toStdString();
    CMenuCalendar calendar;
    calendar.SetScroll(start, end, 0);
    calendar.PrepareCalender(start, records);
    // 20 January: two customers; 25 January: one supplier; 31 January: the
    // month-end customer and a payment due; 10 February: a receipt due.
    EXPECT_EQ(Marks(calendar),
              QStringList({QStringLiteral("5:0=2"), QStringLiteral("10:1=1"), QStringLiteral("16:0=1"),
                           QStringLiteral("16:3=1"), QStringLiteral("26:2=1")}));
    // The month-end customer's mark opens the customers' closing for day 99.
    calendar.SetFirstRow(16);
    EXPECT_EQ(calendar.CellMark(0), 1);
    const CMenuCalendar::SMarkClick click = calendar.ClickMark(0);
    EXPECT_EQ(click.viewKind, 8);
    EXPECT_EQ(click.date, QDate(2024, 1, 31));
    EXPECT_EQ(click.closingDay, 99);
}

} // namespace
