#include "SlipTestDb.h"

#include "slips/SlipExtract.h"
#include "slips/SlipExtractDlg.h"

#include <QDateEdit>
#include <QPushButton>
#include <QRadioButton>

namespace
{

class SlipExtractTest : public CSlipDbTest
{
  protected:
    void SetUp() override
    {
        CSlipDbTest::SetUp();
        AddSales(1, "2004-04-01", "A-1", "C1", "いろは商店");
        AddSales(2, "2004-06-30", "B'2", "C2", "50%オフ商会", 2000, 7);
        AddSales(3, "2004-07-01", "A-3", "C1", "5000円商店");
        AddSales(4, "2004-06-15", "A-4", "C3", "にほへ", 500, 0, {}, 1, 1); // taxed at invoicing
        AddSales(5, "2004-05-10", "A-5", "C2", "ABC_商事");
        Exec("INSERT INTO Sales_Close(ID, CustomerCode, TudoFlg) VALUES(7, 'C2', 0)");
        AddLine(1, 1, "P1", "赤いペン");
        AddLine(1, 2, "P2", "赤いペン替芯");
        AddLine(3, 1, "P2", "青いペン");
        AddLine(5, 1, "P3", "消しゴム");
    }

    // The IDs the statement lists, in its order; TudoFlg of each as well.
    QList<int> Ids(const CSlipConditions& conditions, QList<int>* tudo = nullptr)
    {
        CCDSData request;
        request.m_strCondition = MakeSlipExtractWhere(QStringLiteral("Sales_H"), conditions);
        CCDSData result;
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1)
            << err.toStdString() << request.m_strCondition.toStdString();
        QList<int> ids;
        for (int i = 0; i < result.GetCount(); ++i) {
            int id = 0, flag = -1;
            result.GetAt(i)->GetOneField({}, QStringLiteral("ID"))->GetData(id);
            if (const CTb* tb = result.GetAt(i)->GetOneField({}, QStringLiteral("TudoFlg")))
                tb->GetData(flag);
            ids << id;
            if (tudo)
                *tudo << flag;
        }
        return ids;
    }
};

QList<int> Sorted(QList<int> ids)
{
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace

// Each condition run on the fixture: exact numbers and codes, contained
// names taken literally, the end day included, item conditions listing a
// slip once, the slip kind always filtered, the order by date then ID.
TEST_F(SlipExtractTest, ConditionsSelectTheRows)
{
    CSlipConditions none;
    QList<int> tudo;
    EXPECT_EQ(Sorted(Ids(none, &tudo)), (QList<int>{1, 2, 3, 5}));
    EXPECT_EQ(tudo.count(0), 1); // slip 2's closing is per slip; unbilled slips read 1
    EXPECT_EQ(tudo.count(1), 3);

    struct Case {
        const char* what;
        CSlipConditions c;
        QList<int> ids;
    } cases[] = {
        {"number", {.number = "A-1"}, {1}},
        {"quoted number", {.number = "B'2"}, {2}},
        {"end day included", {.from = QDate(2004, 6, 1), .to = QDate(2004, 6, 30)}, {2}},
        {"open start", {.to = QDate(2004, 5, 10)}, {1, 5}},
        {"code", {.partnerCode = "C1"}, {1, 3}},
        {"percent literal", {.company = "50%"}, {2}},
        {"underscore literal", {.company = "C_"}, {5}},
        {"unbilled", {.status = 0}, {1, 3, 5}},
        {"billed", {.status = 1}, {2}},
        {"blank status", {.status = 2}, {1, 2, 3, 5}},
        {"item code", {.itemCode = "P2"}, {1, 3}},
        {"item name on two lines of a slip", {.itemName = "赤いペン"}, {1}},
        {"item code and name on one line", {.itemCode = "P2", .itemName = "青"}, {3}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Sorted(Ids(c.c)), c.ids) << c.what;

    EXPECT_EQ(Ids({.ordered = true}), (QList<int>{1, 5, 2, 3}));
    EXPECT_EQ(Ids({.ordered = true, .descending = true}), (QList<int>{3, 2, 5, 1}));
}

TEST_F(SlipExtractTest, QuotesAndOrdersByStatus)
{
    Exec("INSERT INTO Estimate_H(ID, Date, No, CustomerCode, Status) VALUES(1, '2004-04-01', 'E1', 'C1', 0),"
         "(2, '2004-04-02', 'E2', 'C1', 2)");
    Exec("INSERT INTO Order_H(ID, Date, No, SupplierCode, Status) VALUES(1, '2004-04-01', 'O1', 'S1', 1),"
         "(2, '2004-04-02', 'O2', 'S1', 2), (3, '2004-04-03', 'O3', 'S2', 0)");
    auto ids = [&](const char* table, const CSlipConditions& c) {
        CCDSData request, result;
        request.m_strCondition = MakeSlipExtractWhere(QString::fromLatin1(table), c);
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString();
        QList<int> list;
        for (int i = 0; i < result.GetCount(); ++i) {
            int id = 0;
            result.GetAt(i)->GetOneField({}, QStringLiteral("ID"))->GetData(id);
            list << id;
        }
        return Sorted(list);
    };
    EXPECT_EQ(ids("Estimate_H", {.status = 1}), (QList<int>{2}));
    EXPECT_EQ(ids("Estimate_H", {.status = 0}), (QList<int>{1}));
    EXPECT_EQ(ids("Order_H", {.status = 1}), (QList<int>{1}));
    EXPECT_EQ(ids("Order_H", {.partnerCode = "S1"}), (QList<int>{1, 2}));
    EXPECT_TRUE(MakeSlipExtractWhere(QStringLiteral("Customer"), {}).isEmpty());
}

// The dialog's rules: what the date mode enables, the period check, the
// release, and the dates the list labels with.
TEST(SlipExtractRules, DatesChecksAndRelease)
{
    CSlipExtractRules rules(QStringLiteral("Sales_H"), false, QDate(2004, 7, 31));
    EXPECT_EQ(rules.m_dtStart, QDate(2004, 7, 1));
    auto e = rules.GetEnabled();
    EXPECT_FALSE(e.startPicker || e.endPicker || e.descending || e.startNone || e.release);
    EXPECT_TRUE(e.status);
    rules.m_bDates = true;
    rules.m_bEndNone = true;
    e = rules.GetEnabled();
    EXPECT_TRUE(e.startPicker && e.descending && e.startNone && e.endNone);
    EXPECT_FALSE(e.endPicker);

    QString message;
    ASSERT_TRUE(rules.Execute(message));
    EXPECT_EQ(rules.m_dtFrom, QDate(2004, 7, 1));
    EXPECT_FALSE(rules.m_dtTo.isValid());
    EXPECT_EQ(rules.m_nExtractionSet, 1);

    rules.m_bEndNone = false;
    rules.m_dtEnd = QDate(2004, 6, 30);
    EXPECT_FALSE(rules.Execute(message));
    EXPECT_EQ(message, QStringLiteral("期間の指定が正しくありません"));
    rules.m_bDates = false; // 指定しない ignores the pickers
    EXPECT_TRUE(rules.Execute(message));
    EXPECT_FALSE(rules.m_dtFrom.isValid());

    rules.Release();
    EXPECT_EQ(rules.m_nExtractionSet, 0);
    EXPECT_TRUE(rules.m_strResult.isEmpty());
    EXPECT_FALSE(CSlipExtractRules(QStringLiteral("Other"), true, QDate(2004, 1, 1)).GetEnabled().status);
    EXPECT_TRUE(CSlipExtractRules(QStringLiteral("Order_H"), true, QDate(2004, 1, 1)).GetEnabled().release);
}

TEST(SlipExtractDlg, WrongPeriodKeepsTheDialogOpen)
{
    ScopedFakeUi ui;
    CSlipExtractDlg dialog(QStringLiteral("Sales_H"), false);
    EXPECT_EQ(dialog.StartPicker()->displayFormat(), QStringLiteral("yyyy'年'M'月'd'日'"));
    EXPECT_FALSE(dialog.ReleaseButton()->isEnabled());
    EXPECT_FALSE(dialog.StartPicker()->isEnabled());
    dialog.DatesOn()->setChecked(true);
    EXPECT_TRUE(dialog.StartPicker()->isEnabled());
    dialog.StartPicker()->setDate(QDate(2004, 8, 1));
    dialog.EndPicker()->setDate(QDate(2004, 7, 1));
    dialog.accept();
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(ui.Prompt().Texts(), QStringList{QStringLiteral("期間の指定が正しくありません")});
}
