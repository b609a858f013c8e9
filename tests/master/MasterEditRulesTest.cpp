#include "MasterTestDb.h"

#include "master/MasterEditRules.h"
#include "master/MasterList.h"

#include <numeric>

namespace
{

QList<int> AllRows(const CMasterList& list)
{
    QList<int> rows(list.Model().GetRowCount());
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

// `count` records of the master table, codes prefix0001 on.
QString Numbered(const QString& table, const QString& codeField, const QString& prefix, int count,
                 const QString& extraFields = {}, const QString& extraValues = {})
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                          "INSERT INTO %2(%3%4) SELECT '%5' || substr('0000' || i, -4)%6 FROM n")
        .arg(count)
        .arg(table, codeField, extraFields.isEmpty() ? QString() : u',' + extraFields, prefix,
             extraValues.isEmpty() ? QString() : u',' + extraValues);
}

const QString kUsed =
    QStringLiteral("選択されているアイテムは既に取引で利用されています。削除することは出来ません");
const QString kNotDeleted = QStringLiteral("選択されているデータを削除できませんでした。");

} // namespace

class MasterEditRulesTest : public CMasterDbTest
{
  protected:
    std::unique_ptr<CMasterList> Load(const CMasterKind& kind, CMasterDb& db)
    {
        auto list = std::make_unique<CMasterList>(kind, db);
        list->Reload(true);
        return list;
    }
};

// 600 products: three usage checks on each of the five slip tables
// (250, 250, 100 codes), then three deletions; the question is asked once.
TEST_F(MasterEditRulesTest, DeleteBatchesOfProducts)
{
    Exec(Numbered(QStringLiteral("Item"), QStringLiteral("ItemCode"), QStringLiteral("P"), 600));
    CRecordingDb db(m_data);
    auto list = Load(CMasterKind::Items(), db);
    ASSERT_EQ(list->Model().GetRowCount(), 600);
    db.m_requests.clear();

    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(CMasterEditRules(*list).DeleteRows(AllRows(*list)), 1);
    QStringList expected;
    for (int size : {250, 250, 100}) {
        for (const char* table : {"Estimate_B", "Sales_B", "Order_B", "Stock_B", "StockChange"})
            expected << QStringLiteral("count %1 %2").arg(QLatin1StringView(table)).arg(size);
    }
    expected << "delete Item 250"
             << "delete Item 250"
             << "delete Item 100"
             << "count Item 1";
    EXPECT_EQ(db.Summary(), expected);
    EXPECT_EQ(Count(QStringLiteral("Item")), 0);
    EXPECT_EQ(list->Model().GetRowCount(), 0);
    EXPECT_EQ(list->Model().GetSet()->GetCount(), 0);
    EXPECT_EQ(list->GetCountLine(), QStringLiteral("件数 : 0 ／ 0件"));
    EXPECT_EQ(Texts(),
              QStringList({QStringLiteral("一旦削除したデータは、元に戻すことは出来ません。\n"
                                          "選択されている600件のデータを本当に削除してよろしいですか？"),
                           QStringLiteral("削除しました。")}));
    EXPECT_EQ(m_ui.Prompt().Calls()[0].defaultButton, IDNO);
}

// A record used in any slip table of its kind is kept, whichever table it
// is; "No" deletes nothing either.
TEST_F(MasterEditRulesTest, UsedRecordsAreKept)
{
    Exec(QStringLiteral("INSERT INTO Item(ItemCode) VALUES('K1'), ('K2')"));
    Exec(QStringLiteral("INSERT INTO StockChange(ItemCode, Date) VALUES('K2', '2024-04-01')"));
    Exec(QStringLiteral("INSERT INTO Customer(CustomerCode) VALUES('O''Neil'), ('C2')"));
    Exec(QStringLiteral("INSERT INTO Sales_Close(CustomerCode, CloseDate) VALUES('O''Neil', '2024-04-30')"));
    const struct {
        const CMasterKind& kind;
        QList<int> answers;
        QStringList texts;
        int left;
    } cases[] = {
        {CMasterKind::Items(), {IDYES}, {kUsed, kNotDeleted}, 2},
        {CMasterKind::Customers(), {IDYES}, {kUsed, kNotDeleted}, 2},
        {CMasterKind::Customers(), {IDNO}, {}, 2},
    };
    for (const auto& c : cases) {
        m_ui.Prompt().Clear();
        CMasterDb db(m_data);
        auto list = Load(c.kind, db);
        m_ui.Prompt().QueueAnswers(c.answers);
        EXPECT_EQ(CMasterEditRules(*list).DeleteRows(AllRows(*list)), 0);
        EXPECT_EQ(Texts().mid(1), c.texts) << c.kind.number;
        EXPECT_EQ(list->Model().GetRowCount(), c.left);
        EXPECT_EQ(Count(c.kind.Table(), !c.kind.side
                                            ? QStringLiteral("WHERE ItemCode IN ('K1', 'K2')")
                                            : QStringLiteral("WHERE CustomerCode IN ('O''Neil', 'C2')")),
                  2);
    }
}

// A deletion that fails in its second statement takes the first one back:
// every row stays in the table and in the list.
TEST_F(MasterEditRulesTest, FailedBatchLeavesEverything)
{
    Exec(Numbered(QStringLiteral("Item"), QStringLiteral("ItemCode"), QStringLiteral("P"), 300));
    Exec(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON Item WHEN OLD.ItemCode = 'P0280' "
                        "BEGIN SELECT RAISE(ABORT, '削除できない商品です。'); END"));
    CRecordingDb db(m_data);
    auto list = Load(CMasterKind::Items(), db);
    db.m_requests.clear();
    m_ui.Prompt().QueueAnswers({IDYES});
    EXPECT_EQ(CMasterEditRules(*list).DeleteRows(AllRows(*list)), 0);
    EXPECT_EQ(db.Summary().filter(QStringLiteral("delete")),
              QStringList({"delete Item 250", "delete Item 50"}));
    EXPECT_EQ(Count(QStringLiteral("Item")), 300);
    EXPECT_EQ(list->Model().GetRowCount(), 300);
    ASSERT_EQ(Texts().size(), 2);
    EXPECT_TRUE(Texts()[1].contains(QStringLiteral("削除できない商品です。"))) << Texts()[1].toStdString();
    EXPECT_FALSE(m_data.InTransaction());
}

// The closing-day check: per-slip billing is refused while a partner has
// slips without a closing, in statements of 40 codes; another day asks
// once, however many statements there would be.
TEST_F(MasterEditRulesTest, ClosingDayChanges)
{
    Exec(Numbered(QStringLiteral("Supplier"), QStringLiteral("SupplierCode"), QStringLiteral("S"), 100));
    {
        CRecordingDb db(m_data);
        auto list = Load(CMasterKind::Suppliers(), db);
        db.m_requests.clear();
        m_ui.Prompt().QueueAnswers({IDYES});
        CBulkEditResult edit;
        edit.field = QStringLiteral("Day");
        edit.value1 = 0;
        EXPECT_EQ(CMasterEditRules(*list).BulkModify(AllRows(*list), edit), 1);
        EXPECT_EQ(db.Summary().mid(0, 4), QStringList({"count Stock_H 40", "count Stock_H 40",
                                                       "count Stock_H 20", "update Supplier 100"}));
        EXPECT_EQ(Count(QStringLiteral("Supplier"), QStringLiteral("WHERE Day = 0 AND SupplierCode <> '　'")),
                  100);
        EXPECT_EQ(Texts(), QStringList{QStringLiteral("一括変更されましたので、データを取得しなおします。")});
    }

    Exec(Numbered(QStringLiteral("Customer"), QStringLiteral("CustomerCode"), QStringLiteral("C"), 300,
                  QStringLiteral("Day"), QStringLiteral("0")));
    Exec(
        QStringLiteral("INSERT INTO Sales_H(CustomerCode, Date, SeikyuID) VALUES('C0001', '2024-04-01', 0)"));
    const QString unbilled = QStringLiteral(
        "！！！ご注意！！！\n締め処理をしていない伝票がありますので、締日の変更はできません。\n"
        "締処理を行ってから変更してください。");
    const QString toClosing =
        QStringLiteral("！！！ご注意！！！\n都度請求から締め請求に変更しようとしています。\n"
                       "次回、締め請求を行った場合、いままでの請求額と入金額が前回請求額と今回入金額に加算さ"
                       "れるようになります。\n"
                       "よろしいですか？");
    const struct {
        int day;
        QList<int> answers;
        QStringList texts;
        int counts;
        int changed;
    } cases[] = {
        {0, {}, {unbilled}, 1, 0},
        {20, {IDCANCEL}, {toClosing}, 1, 0},
        {20, {IDOK}, {toClosing}, 1, 300},
    };
    for (const auto& c : cases) {
        m_ui.Prompt().Clear();
        CRecordingDb db(m_data);
        auto list = Load(CMasterKind::Customers(), db);
        db.m_requests.clear();
        m_ui.Prompt().QueueAnswers(c.answers);
        CBulkEditResult edit;
        edit.field = QStringLiteral("Day");
        edit.value1 = c.day;
        CMasterEditRules(*list).BulkModify(AllRows(*list), edit);
        EXPECT_EQ(Texts().mid(0, 1), c.texts) << c.day;
        EXPECT_EQ(db.Summary().filter(QStringLiteral("count Sales_H")).size(), c.counts) << c.day;
        EXPECT_EQ(Count(QStringLiteral("Customer"), QStringLiteral("WHERE Day = 20")), c.changed) << c.day;
    }
}

// The tax and closing-day pair: "請求時" and "都度" never meet.
TEST_F(MasterEditRulesTest, TaxTypeAndClosingDayRules)
{
    Exec(QStringLiteral("INSERT INTO Customer(CustomerCode, Day, TaxType) VALUES('A', 0, 2), ('B', 20, 2)"));
    Exec(QStringLiteral("INSERT INTO Supplier(SupplierCode, Day, TaxType) VALUES('S', 20, 1)"));
    const QString taxRefused = QStringLiteral(
        "締日が「都度」の得意先が含まれているため、\n税転嫁方法を「請求時」にすることができませんでした。\n"
        "締日を「都度」以外に変更してから、再度変更を行なってください。");
    const QString dayRefused = QStringLiteral(
        "税転嫁方法が「請求時」の仕入先が含まれているため、\n締日を「都度」にすることができませんでした。\n"
        "税転嫁方法を「請求時」以外に変更してから、再度変更を行なってください。");
    const struct {
        const CMasterKind& kind;
        const char* field;
        int value;
        QString message; // empty: changed
        QString check;
        int expected;
    } cases[] = {
        {CMasterKind::Customers(), "TaxType", 1, taxRefused, "WHERE TaxType = 1", 0},
        {CMasterKind::Customers(), "TaxType", 3, {}, "WHERE TaxType = 3", 2},
        {CMasterKind::Suppliers(), "Day", 0, dayRefused, "WHERE Day = 0 AND SupplierCode <> '　'", 0},
    };
    for (const auto& c : cases) {
        m_ui.Prompt().Clear();
        CMasterDb db(m_data);
        auto list = Load(c.kind, db);
        if (c.message.isEmpty())
            m_ui.Prompt().QueueAnswers({IDOK});
        CBulkEditResult edit;
        edit.field = QString::fromLatin1(c.field);
        edit.value1 = c.value;
        EXPECT_EQ(CMasterEditRules(*list).BulkModify(AllRows(*list), edit), c.message.isEmpty() ? 1 : 0)
            << c.field;
        EXPECT_EQ(Texts().first(), c.message.isEmpty()
                                       ? QStringLiteral("一括変更されましたので、データを取得しなおします。")
                                       : c.message);
        EXPECT_EQ(Count(c.kind.Table(), c.check), c.expected) << c.field;
    }

    // Text, money and the cycle with its day arrive with their types.
    CMasterDb db(m_data);
    auto list = Load(CMasterKind::Customers(), db);
    for (const CBulkEditResult& edit :
         {CBulkEditResult{QStringLiteral("Percent"), -1, -1, {}, CMny(955, 1)},
          CBulkEditResult{QStringLiteral("Keisho"), -1, -1, QStringLiteral("御中"), {}},
          CBulkEditResult{QStringLiteral("CollectCycle"), 0, 45, {}, {}}}) {
        m_ui.Prompt().QueueAnswers({IDOK});
        EXPECT_EQ(CMasterEditRules(*list).BulkModify(AllRows(*list), edit), 1);
    }
    EXPECT_EQ(Count(QStringLiteral("Customer"),
                    QStringLiteral(
                        "WHERE Percent = 955000 AND Keisho = '御中' AND CollectCycle = 0 AND CollectDay = 45 "
                        "AND LastUpdate = '2024-04-01 09:00:00'")),
              2);
}
