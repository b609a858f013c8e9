#include "ReportFixture.h"

#include "platform/data/ClosingService.h"
#include "platform/data/MakeMsgID.h"
#include "reports/KurikoshiDlg.h"

#include <gtest/gtest.h>

namespace
{

using CarryForwardReportTest = ReportFixture;

} // namespace

// What the carry-forward says it did: the counts of what left the books,
// and, when nothing qualified, that nothing was removed and why. The
// stored date follows each run that was not refused.
TEST_F(CarryForwardReportTest, SaysWhatWasCarried)
{
    const QString none = QStringLiteral(
        "繰越の対象となる締めがなかったため、伝票・締め・入金・支払のデータは削除していません。\n");
    const QString stock =
        QStringLiteral("\n\n商品の在庫数は%1までの入出庫を繰越し、前回の繰越日を%1にしました。");
    const struct {
        QDate date;
        bool carries;
        QString message; // for a run that carries nothing
    } cases[] = {
        // Before the first closing of the world.
        {QDate(2004, 1, 31), false,
         none + QStringLiteral("2004年01月31日までに締め処理をした請求・支払がありません。") +
             stock.arg(QStringLiteral("2004年01月31日"))},
        {QDate(2004, 4, 30), true, {}},
        // The same date again: what is left up to it waits for its money.
        {QDate(2004, 4, 30), false, {}},
    };
    // The closings, slips entered, receipts and payments the database
    // holds, counted apart from the carry-forward's own tally.
    const auto held = [this] {
        const QStringList v =
            Values(Rows(QStringLiteral(
                       "SELECT (SELECT COUNT(*) FROM Sales_Close) + (SELECT COUNT(*) FROM Stock_Close) AS c, "
                       "(SELECT COUNT(*) FROM Sales_H WHERE DenpyoType = 0) + (SELECT COUNT(*) FROM Stock_H "
                       "WHERE DenpyoType = 0) AS s, (SELECT COUNT(*) FROM Receipt_H) AS r, "
                       "(SELECT COUNT(*) FROM Pay_H) AS p")),
                   0, {"c", "s", "r", "p"});
        return CCarryForwardCounts{v[0].toInt(), v[1].toInt(), v[2].toInt(), v[3].toInt()};
    };
    QDate previous;
    for (const auto& c : cases) {
        const CCarryForwardCounts before = held();
        const CCarryForwardOutcome carried = CClosingService(m_data).CarryForward(c.date, previous);
        const CCarryForwardCounts& counts = carried.counts;
        ASSERT_EQ(carried.refusal.Code(), 1) << carried.refusal.text.toStdString();
        previous = c.date;
        const CCarryForwardCounts after = held();
        EXPECT_EQ(counts.closings, before.closings - after.closings) << c.date.toString().toStdString();
        EXPECT_EQ(counts.slips, before.slips - after.slips);
        EXPECT_EQ(counts.receipts, before.receipts - after.receipts);
        EXPECT_EQ(counts.payments, before.payments - after.payments);
        EXPECT_EQ(counts.closings > 0, c.carries);

        const QString said = CKurikoshiRules::DoneMessage(m_data, c.date, counts);
        if (c.carries) {
            EXPECT_GT(counts.slips, 0);
            EXPECT_EQ(said, QStringLiteral(
                                "繰越処理が完了しました。\n\n繰越したデータ\n　締め（請求・支払）：%1 件\n"
                                "　売上・仕入伝票：%2 件\n　入金伝票：%3 件\n　支払伝票：%4 件")
                                .arg(counts.closings)
                                .arg(counts.slips)
                                .arg(counts.receipts)
                                .arg(counts.payments));
        } else if (!c.message.isEmpty()) {
            EXPECT_EQ(said, c.message);
        } else {
            const int left =
                Rows(QStringLiteral("SELECT ID FROM Sales_Close WHERE CloseDate <= '2004-04-30' UNION "
                                    "ALL SELECT ID FROM Stock_Close WHERE CloseDate <= '2004-04-30'"))
                    .GetCount();
            ASSERT_GT(left, 0);
            EXPECT_EQ(said, none +
                                QStringLiteral(
                                    "2004年04月30日までに締めた請求・支払 %1 件は、どれも入金・支払が済んで"
                                    "いないか、同じ取引先にそれより前の入金・支払の済んでいない締めがある"
                                    "ため、繰越の対象になりません。")
                                    .arg(left) +
                                stock.arg(QStringLiteral("2004年04月30日")));
        }
        QDate stored;
        const CCDSData util = Rows(QStringLiteral("SELECT StartDate FROM Util"));
        ASSERT_EQ(util.GetCount(), 1);
        util.GetAt(0)->GetAt(0)->GetData(stored);
        EXPECT_EQ(stored, c.date);
    }
}
