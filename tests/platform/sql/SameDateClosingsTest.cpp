#include "reports/ReportFixture.h"

#include "platform/data/TableNames.h"
#include "platform/sql/ClosingSql.h"

namespace
{

using SameDateClosingsTest = ReportFixture;

} // namespace

// Two closings of one partner on one date: of the two, the one with the
// lower ID is the earlier. The later one carries the earlier one's slips and
// payments over, the earlier one does not see the later one, and a closing
// after both carries both.
TEST_F(SameDateClosingsTest, TheLowerIdIsTheEarlier)
{
    // clang-format off
    // SP01 is closed as PC1 on 2004-04-30 (30000 of slips); PC1B closes it
    // again that day: 1000 + 50 tax of slips, 400 paid.
    Insert(TB_STOCK_CLOSE,
           {{"No", "PC1B"}, {"Date", QDate(2004, 4, 30)}, {"SupplierCode", "SP01"}, {"CloseDate", QDate(2004, 4, 30)},
            {"CollectDate", QDate(2004, 5, 31)}, {"Status", 0}, {"TudoFlg", 1}},
           "PC1B");
    ASSERT_LT(Id("PC1"), Id("PC1B"));
    Insert(TB_STOCK_H,
           {{"No", "P1B"}, {"Date", QDate(2004, 4, 20)}, {"SupplierCode", "SP01"}, {"DenpyoType", 0}, {"TaxType", 2},
            {"Amount", Yen("1000")}, {"AmountNoTax", Yen("0")}, {"Tax", Yen("50")}, {"Total", Yen("1050")},
            {"SeikyuID", Id("PC1B")}});
    Insert(TB_PAY_H, {{"No", "Y1B"}, {"Date", QDate(2004, 4, 25)}, {"SupplierCode", "SP01"}, {"Amount", Yen("400")},
                      {"SeikyuID", Id("PC1B")}});
    // Unbilled since: 100 + 5 tax.
    Insert(TB_STOCK_H,
           {{"No", "P9"}, {"Date", QDate(2004, 5, 20)}, {"SupplierCode", "SP01"}, {"DenpyoType", 0}, {"TaxType", 2},
            {"Amount", Yen("100")}, {"AmountNoTax", Yen("0")}, {"Tax", Yen("5")}, {"Total", Yen("105")},
            {"SeikyuID", 0}});

    const struct {
        const char* what;
        QString sql;
        QStringList fields, rows; // SP01's rows
    } cases[] = {
        // PC1: 5000 opening + 3000 (PC0) - 3000 paid (PC0); PC1B adds PC1's 30000.
        {"paid list", MakePaidListSQL(QDate(2004, 4, 30), QDate(2004, 4, 30)),
         {"No", "前回未払額", "今回支払額", "繰越額", "今回税抜仕入額", "消費税"},
         {"PC1B|35000|400|34600|1000|50", "PC1|5000|0|5000|28000|2000"}},
        {"payment schedule", MakeOpenStockCloseBySupplier(false, QStringLiteral("SP01")),
         {"No", "前回未払額", "今回支払額", "繰越額", "今回仕入額"},
         {"PC1|5000|0|5000|35000", "PC1B|35000|400|34600|35650"}},
        // The next closing carries over what both billed less what was paid.
        {"next candidates", MakeShiharaiSQL(QDate(2004, 5, 25), 25),
         {"前回未払額", "今回支払額", "繰越額", "今回税抜仕入額", "今回算出済み税額"},
         {"35650|0|35650|100|5"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        const CCDSData rows = Rows(c.sql);
        QStringList shown;
        for (int i = 0; i < rows.GetCount(); ++i)
            if (Values(rows, i, {"SupplierCode"}).first() == QStringLiteral("SP01"))
                shown << Values(rows, i, c.fields).join(u'|');
        EXPECT_EQ(shown, c.rows) << c.what;
    }
}
