#include "platform/data/Calendar.h"

#include "platform/data/DataTestUtil.h"
#include "platform/data/TableNames.h"

namespace
{

// A fixture of partners, slips and closings whose calendar marks are known.
class CalendarTest : public DatabaseTest
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

    void Partner(const QString& table, const QString& code, int day)
    {
        const QString codeField =
            table == TB_CUSTOMER ? QStringLiteral("CustomerCode") : QStringLiteral("SupplierCode");
        Insert(table, [&](COneRecord& r) {
            r.SetField(table + u'.' + codeField, code);
            r.SetField(table + QStringLiteral(".Day"), day);
        });
    }

    void Slip(const QString& table, const QString& code, const QDate& date, int seikyuId)
    {
        const QString codeField =
            table == TB_SALES_H ? QStringLiteral("CustomerCode") : QStringLiteral("SupplierCode");
        Insert(table, [&](COneRecord& r) {
            r.SetField(table + u'.' + codeField, code);
            r.SetField(table + QStringLiteral(".Date"), date);
            r.SetField(table + QStringLiteral(".SeikyuID"), seikyuId);
        });
    }

    void Closing(const QString& table, const QDate& collectDate, int status)
    {
        Insert(table, [&](COneRecord& r) {
            r.SetField(table + QStringLiteral(".CloseDate"), collectDate.addDays(-20));
            r.SetField(table + QStringLiteral(".CollectDate"), collectDate);
            r.SetField(table + QStringLiteral(".Status"), status);
        });
    }

    // "yyyy-MM-dd: bill pay in out" per record, to compare whole calendars.
    QStringList Marks(const QDate& from, const QDate& to, int expectedResult = 1)
    {
        CCDSData result;
        QString err;
        EXPECT_EQ(GetCalendar(m_data, from, to, result, err), expectedResult) << err.toStdString();
        QStringList marks;
        for (int i = 0; i < result.GetCount(); ++i) {
            const COneRecord& r = *result.GetAt(i);
            QDate day;
            int bill = -1, pay = -1, in = -1, out = -1;
            EXPECT_TRUE(r.GetOneField({}, QStringLiteral("日付"))->GetData(day));
            r.GetOneField({}, QStringLiteral("締め請求"))->GetData(bill);
            r.GetOneField({}, QStringLiteral("締め支払"))->GetData(pay);
            r.GetOneField({}, QStringLiteral("入金"))->GetData(in);
            r.GetOneField({}, QStringLiteral("出金"))->GetData(out);
            EXPECT_EQ(r.GetOneField({}, QStringLiteral("入金"))->GetType(), CTb::kInteger);
            marks << QStringLiteral("%1: %2 %3 %4 %5")
                         .arg(day.toString(Qt::ISODate))
                         .arg(bill)
                         .arg(pay)
                         .arg(in)
                         .arg(out);
        }
        return marks;
    }
};

TEST_F(CalendarTest, MarksClosingsAndDueMoneyPerDay)
{
    Partner(TB_CUSTOMER, QStringLiteral("C20"), 20);
    Partner(TB_CUSTOMER, QStringLiteral("D20"), 20);
    Partner(TB_CUSTOMER, QStringLiteral("C99"), 99);
    Partner(TB_CUSTOMER, QStringLiteral("C10"), 10);
    Partner(TB_CUSTOMER, QStringLiteral("C00"), 0);
    Partner(TB_SUPPLIER, QStringLiteral("S25"), 25);
    Partner(TB_SUPPLIER, QStringLiteral("S99"), 99);

    Slip(TB_SALES_H, QStringLiteral("C20"), QDate(2024, 1, 18), 0);
    Slip(TB_SALES_H, QStringLiteral("d20"), QDate(2024, 1, 25), 0); // codes ignore ASCII case
    Slip(TB_SALES_H, QStringLiteral("C99"), QDate(2023, 2, 1), 0);
    Slip(TB_SALES_H, QStringLiteral("C10"), QDate(2024, 1, 5), 7); // already billed
    Slip(TB_SALES_H, QStringLiteral("C00"), QDate(2024, 1, 5), 0); // billed slip by slip
    Slip(TB_SALES_H, QStringLiteral("　"), QDate(2024, 1, 5), 0);  // the one-time customer
    Slip(TB_STOCK_H, QStringLiteral("S25"), QDate(2024, 1, 5), 0);
    Slip(TB_STOCK_H, QStringLiteral("S99"), QDate(2024, 1, 5), 3);
    Slip(TB_SALES_H, QStringLiteral("S25"), QDate(2024, 1, 5), 0); // a sales slip never closes a supplier

    Closing(TB_SALES_CLOSE, QDate(2024, 1, 31), 0);
    Closing(TB_SALES_CLOSE, QDate(2024, 1, 31), 0);
    Closing(TB_SALES_CLOSE, QDate(2024, 2, 5), 1);  // settled
    Closing(TB_SALES_CLOSE, QDate(2024, 3, 10), 0); // after the period
    Closing(TB_STOCK_CLOSE, QDate(2024, 2, 20), 0);
    Closing(TB_STOCK_CLOSE, QDate(2024, 1, 14), 0); // before the period

    // Leap year: the month-end closing falls on 29 February.
    EXPECT_EQ(Marks(QDate(2024, 1, 15), QDate(2024, 3, 5)),
              QStringList({QStringLiteral("2024-01-20: 1 0 0 0"), QStringLiteral("2024-01-25: 0 1 0 0"),
                           QStringLiteral("2024-01-31: 1 0 2 0"), QStringLiteral("2024-02-20: 2 0 0 1"),
                           QStringLiteral("2024-02-25: 0 1 0 0"), QStringLiteral("2024-02-29: 1 0 0 0")}));
    // Other years: month ends of 28 and 31 days; nothing is due before the
    // oldest unbilled slip.
    EXPECT_EQ(Marks(QDate(2023, 1, 1), QDate(2023, 3, 31)),
              QStringList({QStringLiteral("2023-02-28: 1 0 0 0"), QStringLiteral("2023-03-31: 1 0 0 0")}));
    // One day, both bounds included.
    EXPECT_EQ(Marks(QDate(2024, 1, 31), QDate(2024, 1, 31)),
              QStringList{QStringLiteral("2024-01-31: 1 0 2 0")});
    EXPECT_EQ(Marks(QDate(2024, 2, 1), QDate(2024, 2, 19)), QStringList());
}

// An account closed on its closing day is not due again that day, even
// with a slip of before the day entered afterwards; a per-slip closing
// does not count, and the next closing day is due as before.
TEST_F(CalendarTest, AnAccountClosedOnTheDayIsNotDueAgainThatDay)
{
    Partner(TB_CUSTOMER, QStringLiteral("C20"), 20);
    Partner(TB_CUSTOMER, QStringLiteral("D20"), 20);
    Partner(TB_SUPPLIER, QStringLiteral("S20"), 20);
    Slip(TB_SALES_H, QStringLiteral("C20"), QDate(2024, 1, 18), 0);
    Slip(TB_SALES_H, QStringLiteral("D20"), QDate(2024, 1, 18), 0);
    Slip(TB_STOCK_H, QStringLiteral("S20"), QDate(2024, 1, 18), 0);
    const auto closed = [this](const QString& table, const QString& field, const QString& code, int account) {
        Insert(table, [&](COneRecord& r) {
            r.SetField(table + u'.' + field, code);
            r.SetField(table + QStringLiteral(".CloseDate"), QDate(2024, 1, 20));
            r.SetField(table + QStringLiteral(".CollectDate"), QDate(2024, 1, 20));
            r.SetField(table + QStringLiteral(".Status"), 1);
            r.SetField(table + QStringLiteral(".TudoFlg"), account);
        });
    };
    closed(TB_SALES_CLOSE, QStringLiteral("CustomerCode"), QStringLiteral("c20"), 1);
    closed(TB_SALES_CLOSE, QStringLiteral("CustomerCode"), QStringLiteral("D20"), 0);
    closed(TB_STOCK_CLOSE, QStringLiteral("SupplierCode"), QStringLiteral("S20"), 1);
    EXPECT_EQ(Marks(QDate(2024, 1, 1), QDate(2024, 2, 29)),
              QStringList({QStringLiteral("2024-01-20: 1 0 0 0"), QStringLiteral("2024-02-20: 2 1 0 0")}));
}

TEST_F(CalendarTest, EmptiesTheResultAndRefusesBadPeriods)
{
    CCDSData result;
    result.AddNew()->SetField(QStringLiteral("日付"), QDate(2000, 1, 1));
    QString err;
    EXPECT_EQ(GetCalendar(m_data, QDate(2024, 3, 1), QDate(2024, 2, 1), result, err), 1);
    EXPECT_EQ(result.GetCount(), 0);

    result.AddNew();
    EXPECT_EQ(GetCalendar(m_data, QDate(), QDate(2024, 2, 1), result, err), 10);
    EXPECT_FALSE(err.isEmpty());
    EXPECT_EQ(result.GetCount(), 0);

    m_data.Close();
    EXPECT_EQ(GetCalendar(m_data, QDate(2024, 1, 1), QDate(2024, 2, 1), result, err), -100);
}

} // namespace
