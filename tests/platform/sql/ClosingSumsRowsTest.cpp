#include "reports/ReportFixture.h"

#include "platform/sql/ClosingSql.h"

#include "platform/data/TableNames.h"

namespace
{

// The report world's closings (ReportFixture.cpp) and money or slips booked
// where the past sums must still find them: K006's slip booked to K001's
// closing K1C2 (105 with its tax), K001's slip booked to no closing at all
// (210), K001's receipt booked to K006's closing K6C2 (50), and a slip of
// K1C2 written "k001" without an amount (7 of tax).
class ClosingSumsRowsTest : public ReportFixture
{
  protected:
    void SetUp() override
    {
        ReportFixture::SetUp();
        if (HasFatalFailure())
            return;
        const FixtureValue none = FixtureValue::Null();
        const struct {
            const char* no;
            const char* code;
            FixtureValue amount;
            const char* tax;
            int closing;
        } slips[] = {
            {"SXA", "K006", Yen("100"), "5", Id("K1C2")},
            {"SXB", "K001", Yen("200"), "10", 999999},
            {"SXD", "k001", none, "7", Id("K1C2")},
        };
        for (const auto& s : slips)
            Insert(TB_SALES_H, {{"No", s.no},
                                {"Date", QDate(2004, 4, 10)},
                                {"CustomerCode", s.code},
                                {"DenpyoType", 0},
                                {"TaxType", 2},
                                {"Amount", s.amount},
                                {"AmountNoTax", Yen("0")},
                                {"Tax", Yen(s.tax)},
                                {"Total", Yen("0")},
                                {"SeikyuID", s.closing}});
        Insert(TB_RECEIPT_H, {{"No", "RXC"},
                              {"Date", QDate(2004, 4, 12)},
                              {"CustomerCode", "K001"},
                              {"Amount", Yen("50")},
                              {"SeikyuID", Id("K6C2")},
                              {"CloseID", 0}});
    }
};

} // namespace

// Every closing row, its order and its carried figures, as the closing sums
// have always given them.
TEST_F(ClosingSumsRowsTest, BilledListsAndSchedulesCarryWhatWasBookedBefore)
{
    const QStringList billed{"No",     "前回請求額", "今回入金額", "繰越額", "今回税抜売上額",
                             "消費税", "納品枚数",   "HeaderID"};
    const QStringList schedule{"No",     "前回請求額", "今回入金額", "繰越額", "今回税抜売上額",
                               "消費税", "今回売上額", "納品枚数"};
    ExpectRows({
        // K001: 10000 opening; booked in all 21000 + 31500.52 + 500 + 210 + 7
        // less 8000 + 13000 + 50 paid. K1C2 takes its own 31500.52 + 500 + 7
        // less 13000 off that, K1C1 also its 21000 less 8000: what stays is
        // the slip booked to no closing and the receipt booked elsewhere.
        // K006: its slip booked to K1C2 stays in every past of its own.
        {"billed from March to May",
         [] { return MakeBilledListSQL(QDate(2004, 3, 1), QDate(2004, 5, 31)); },
         billed,
         {"K3C1|5000|0|5000|7000|350|1|0", "K4C1|0|0|0|8000|400|1|" + QString::number(Id("S13")),
          "OT1|0|0|0|3000|150|2|0", "K7C2|1500|0|1500|1000|50|1|0", "ON1|0|0|0|400|20|1|0",
          "K1C2|23160|13000|10160|30000.5|2007.02|2|0", "K6C3|7405|300|7105|500|25|1|0",
          "K6C2|5305|0|5305|2000|100|1|0", "K7C1|2000|500|1500|0|0|0|0",
          "K1C1|10160|8000|2160|20000|1000|1|0", "K6C1|1105|0|1105|4000|200|1|0"}},
        {"billed in April",
         [] { return MakeBilledListSQL(QDate(2004, 4, 1), QDate(2004, 4, 30)); },
         billed,
         {"K7C2|1500|0|1500|1000|50|1|0", "ON1|0|0|0|400|20|1|0",
          "K1C2|23160|13000|10160|30000.5|2007.02|2|0", "K6C3|7405|300|7105|500|25|1|0",
          "K6C2|5305|0|5305|2000|100|1|0"}},
        {"every open closing",
         [] { return MakeOpenSalesCloseByCustomer(false); },
         schedule,
         {"K1C2|23160|13000|10160|30000.5|2007.02|42167.52|2", "K6C2|5305|0|5305|2000|100|7405|1",
          "K6C3|7405|300|7105|500|25|7630|1", "OT1|0|0|0|3000|150|3150|2", "K4C1|0|0|0|8000|400|8400|0",
          "K7C2|1500|0|1500|1000|50|2550|1", "ON1|0|0|0|400|20|420|1", "K3C1|5000|0|5000|7000|350|12350|1"}},
        {"open closings of K006",
         [] { return MakeOpenSalesCloseByCustomer(false, QStringLiteral("K006")); },
         schedule,
         {"K6C2|5305|0|5305|2000|100|7405|1", "K6C3|7405|300|7105|500|25|7630|1"}},
        {"due on 20 May",
         [] { return MakeOpenSalesCloseByCollectDate(false, QDate(2004, 5, 20)); },
         schedule,
         {"K6C2|5305|0|5305|2000|100|7405|1", "K6C3|7405|300|7105|500|25|7630|1",
          "OT1|0|0|0|3000|150|3150|2"}},
    });
}

// A partner who never had anything booked has no booked balance at all:
// its closings and its candidacy still show, carrying its opening balance.
TEST_F(ClosingSumsRowsTest, APartnerWithNothingBookedCarriesItsOpeningBalance)
{
    Insert(TB_CUSTOMER,
           {{"CustomerCode", "K009"}, {"Company", "九段商会"}, {"Collect", Yen("700")}, {"Day", 99}});
    Insert(TB_SALES_CLOSE, {{"No", "K9C1"},
                            {"Date", QDate(2004, 4, 30)},
                            {"CustomerCode", "K009"},
                            {"CloseDate", QDate(2004, 4, 30)},
                            {"CollectDate", QDate(2004, 5, 31)},
                            {"Status", 0},
                            {"TudoFlg", 1}});
    Insert(TB_SALES_H, {{"No", "S30"},
                        {"Date", QDate(2004, 5, 12)},
                        {"CustomerCode", "K009"},
                        {"DenpyoType", 0},
                        {"TaxType", 2},
                        {"Amount", Yen("1000")},
                        {"AmountNoTax", Yen("0")},
                        {"Tax", Yen("50")},
                        {"Total", Yen("1050")},
                        {"SeikyuID", 0}});
    ExpectRows({
        {"billed on 30 April",
         [] { return MakeBilledListSQL(QDate(2004, 4, 30), QDate(2004, 4, 30)); },
         {"No", "前回請求額", "今回入金額", "繰越額", "今回税抜売上額", "消費税", "納品枚数", "Company"},
         {"K9C1|700|0|700|0|0|0|九段商会", "K7C2|1500|0|1500|1000|50|1|七尾食品"}},
        {"its open closing",
         [] { return MakeOpenSalesCloseByCustomer(false, QStringLiteral("K009")); },
         {"No", "前回請求額", "今回入金額", "繰越額", "今回売上額", "納品枚数"},
         {"K9C1|700|0|700|700|0"}},
        {"closing candidates of the month's end",
         [] { return MakeSeikyuSQL(QDate(2004, 5, 31), 99); },
         {"CustomerCode", "前回請求額", "今回入金額", "繰越額", "今回税抜売上額", "納品枚数"},
         {"K009|700|0|700|1000|1"}},
    });
}
