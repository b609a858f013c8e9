#include "reports/ReportFixture.h"

#include "platform/sql/ClosingSql.h"

#include "platform/data/TableNames.h"

namespace
{

// A booked slip changed by another program after its closing, without the
// closing undone: the carried-over balance of the next closing must read
// the same on the closing row, in the billed list and on the schedule.
struct Change {
    const char* name;
    const char* what;
    const char* sql;     // run on the report world (ReportFixture.cpp)
    const char* code;    // the partner closed next, at 2004-05-25
    const char* carried; // its 前回請求額, worked by hand
};

const Change kChanges[] = {
    // S2 (31500.52, booked to K1C2 of 25 April) moved past the new closing
    // date: it stays in the past of K1C2's partner, 42000.52 as before.
    {"ReDated", "re-dated booked slip", "UPDATE Sales_H SET \"Date\" = '2004-06-30' WHERE \"No\" = 'S2'",
     "K001", "42000.52"},
    // S1 (21000, booked to K1C1) given to K004: K001 no longer owes it.
    {"ReassignedFrom", "re-assigned booked slip, its old partner",
     "UPDATE Sales_H SET CustomerCode = 'K004' WHERE \"No\" = 'S1'", "K001", "21000.52"},
    // ... and K004 carries it beside its per-slip invoice of that day (8400).
    {"ReassignedTo", "re-assigned booked slip, its new partner",
     "UPDATE Sales_H SET CustomerCode = 'K004' WHERE \"No\" = 'S1'", "K004", "29400"},
};

void PrintTo(const Change& c, std::ostream* os)
{
    *os << c.name;
}

class ClosingPastTest : public ReportFixture, public ::testing::WithParamInterface<Change>
{
  protected:
    // The partner's row among the records (its "No" or code field).
    static QString Carried(const CCDSData& rows, const char* field, const char* value)
    {
        for (int i = 0; i < rows.GetCount(); ++i)
            if (Values(rows, i, {field}).first() == QString::fromUtf8(value))
                return Values(rows, i, {"前回請求額"}).first();
        return QStringLiteral("(no row)");
    }
};

} // namespace

TEST_P(ClosingPastTest, ClosingRowBilledListAndScheduleAgree)
{
    const Change& c = GetParam();
    Exec(QString::fromUtf8(c.sql));
    const QDate closeDate(2004, 5, 25);
    const QString candidate = Carried(Rows(MakeSeikyuSQL(closeDate, 25)), "CustomerCode", c.code);
    EXPECT_EQ(candidate, QString::fromUtf8(c.carried)) << c.what;

    // The closing as the library makes it: the unbilled slips and money up
    // to the date booked to one new record.
    const int closing = Insert(TB_SALES_CLOSE, {{"No", "NEW"},
                                                {"Date", closeDate},
                                                {"CustomerCode", c.code},
                                                {"CloseDate", closeDate},
                                                {"CollectDate", QDate(2004, 6, 10)},
                                                {"Status", 0},
                                                {"TudoFlg", 1}});
    for (const char* table : {TB_SALES_H, TB_RECEIPT_H})
        Exec(QStringLiteral("UPDATE %1 SET SeikyuID = %2 WHERE CustomerCode = '%3' AND SeikyuID = 0 AND "
                            "\"Date\" <= '2004-05-25'")
                 .arg(QString::fromLatin1(table))
                 .arg(closing)
                 .arg(QString::fromUtf8(c.code)));

    EXPECT_EQ(Carried(Rows(MakeBilledListSQL(closeDate, closeDate)), "No", "NEW"), candidate) << c.what;
    EXPECT_EQ(Carried(Rows(MakeOpenSalesCloseByCustomer(false, QString::fromUtf8(c.code))), "No", "NEW"),
              candidate)
        << c.what;
}

INSTANTIATE_TEST_SUITE_P(Changes, ClosingPastTest, ::testing::ValuesIn(kChanges),
                         [](const ::testing::TestParamInfo<Change>& info) {
                             return std::string(info.param.name);
                         });
