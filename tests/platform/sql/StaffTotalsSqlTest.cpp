#include "reports/ReportFixture.h"

#include "platform/sql/AggregationSql.h"

namespace
{

class StaffTotalsSqlTest : public ReportFixture
{
  protected:
    void SetUp() override
    {
        ReportFixture::SetUp();
        // Sales: an absent contained tax and an absent cost count as 0;
        // S21 (31 May) has a staff member and no lines.
        Exec(QStringLiteral("UPDATE Sales_B SET IncludeTax = NULL, Amount2 = NULL WHERE ID = %1")
                 .arg(Id("L2")));
        Exec(QStringLiteral("UPDATE Sales_H SET MyPerson = '高橋' WHERE \"No\" = 'S21'"));
        // Purchases: P1 (15 April, goods 3000 with 272 tax inside, a tax line)
        // and P6 (20 May, goods 1000, discount -100) by one staff member, P7
        // (31 March) by another; P8 blank and P9 without a name are left out.
        Exec(QStringLiteral("UPDATE Stock_H SET MyPerson = '山本' WHERE \"No\" IN ('P1', 'P6')"));
        Exec(QStringLiteral("UPDATE Stock_H SET MyPerson = '木村' WHERE \"No\" = 'P7'"));
        Exec(QStringLiteral("UPDATE Stock_H SET MyPerson = NULL WHERE \"No\" = 'P9'"));
    }
};

} // namespace

TEST_F(StaffTotalsSqlTest, EveryStaffMemberWithTheSlipsOfThePeriod)
{
    const QStringList sales{"MyPerson", "売上額", "原価", "値引額", "その他", "純売上額", "粗利益"};
    const QStringList purchases{"MyPerson", "仕入額", "値引額", "その他", "純仕入額"};
    struct Case {
        int side;
        QDate from, to;
        QStringList rows;
    };
    const Case cases[] = {
        // S4 on the first day and S5 on the last count, S9 (6 May) not:
        // 佐藤 1000 + 1100 - 200 goods, cost 500 - 60 - 100.
        {0,
         {2004, 5, 10},
         {2004, 5, 25},
         {"佐藤|1900|340|-200|300|1700|1360", "田中|0|0|0|0|0|0", "鈴木|1000|0|0|0|1000|1000",
          "高橋|0|0|0|0|0|0"}},
        {0,
         {2004, 6, 1},
         {2004, 6, 30},
         {"佐藤|0|0|0|0|0|0", "田中|0|0|0|0|0|0", "鈴木|300|150|0|0|300|150", "高橋|0|0|0|0|0|0"}},
        {1, {2004, 4, 1}, {2004, 5, 31}, {"山本|3728|-100|0|3628", "木村|0|0|0|0"}},
        // The day after the period is outside; the tax line counts nowhere.
        {1, {2004, 4, 15}, {2004, 5, 19}, {"山本|2728|0|0|2728", "木村|0|0|0|0"}},
        {1, {2004, 3, 31}, {2004, 3, 31}, {"山本|0|0|0|0", "木村|0|0|0|0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            QStringLiteral("side %1 from %2").arg(c.side).arg(c.from.toString(Qt::ISODate)).toStdString());
        const QString sql =
            c.side == 1 ? MakePurchaseByStaffSQL(c.from, c.to) : MakeSalesByStaffSQL(c.from, c.to);
        EXPECT_EQ(Table(Rows(sql), c.side == 1 ? purchases : sales), c.rows);
    }
}
