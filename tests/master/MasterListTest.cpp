#include "MasterTestDb.h"

#include "master/MasterList.h"
#include "platform/data/ExCondition.h"
#include "settings/DefaultSort.h"

namespace
{

QStringList RowCodes(const CMasterList& list)
{
    QStringList codes;
    for (int row = 0; row < list.Model().GetRowCount(); ++row)
        codes << list.Model()
                     .RecordAt(row)
                     ->GetOneField(list.GetTableName(), list.GetCodeFieldName())
                     ->GetText();
    return codes;
}

const QString kFailure =
    QStringLiteral("データの取得に失敗しました。何らかのエラーが発生した可能性があります。\n"
                   "『Corvanta／販売』を一旦終了してから操作し直してください。");

class MasterListTest : public CMasterDbTest
{
  protected:
    void SetUp() override
    {
        CMasterDbTest::SetUp();
        Exec(QStringLiteral("INSERT INTO Item(ItemCode, ItemName, Class1) VALUES"
                            "('P2', 'b', 'a'), ('P1', 'a', 'A'), ('P3', 'c', 'B'), ('P4', 'd', '')"));
        Exec(QStringLiteral(
            "INSERT INTO Customer(CustomerCode, Company, Class2, Day) VALUES"
            "('C1', 'いろは', 'O''Neil', 20), ('C2', 'あいう', 'ONeil', 99), ('C3', 'ABC', '', 99)"));
    }
};

} // namespace

// Each way of narrowing the list, run on the fixture: the rows shown in
// order, the count line, and nothing said.
TEST_F(MasterListTest, QueriesGiveTheirRows)
{
    const struct {
        const char* name;
        int kind;
        int title;
        QString value;
        QString extraction; // empty: none
        int sortOrder;      // -1: no start-up order; else Company in that order
        QStringList codes;
        QString countLine;
    } cases[] = {
        {"code order", 1, 0, {}, {}, -1, {"P1", "P2", "P3", "P4"}, "件数 : 4 ／ 4件"},
        {"filter on class 1 ignores case", 1, 1, "A", {}, -1, {"P1", "P2"}, "件数 : 2 ／ 4件"},
        {"title without value", 1, 1, {}, {}, -1, {"P1", "P2", "P3", "P4"}, "件数 : 4 ／ 4件"},
        {"quote in the value", 2, 2, "O'Neil", {}, -1, {"C1"}, "件数 : 1 ／ 3件"},
        {"extraction tail",
         2,
         2,
         "O'Neil",
         "SELECT Customer.* FROM Customer WHERE [Customer].[Day] = 99",
         -1,
         {"C2", "C3"},
         "抽出件数 : 2 ／ 3件"},
        {"start-up order descending", 2, 0, {}, {}, 1, {"C1", "C2", "C3"}, "件数 : 3 ／ 3件"},
        {"start-up order ascending", 2, 0, {}, {}, 0, {"C3", "C2", "C1"}, "件数 : 3 ／ 3件"},
    };
    for (const auto& c : cases) {
        if (c.sortOrder >= 0) {
            ASSERT_EQ(CDefaultSortList().Set(c.kind, QStringLiteral("Company"), c.sortOrder), 1);
        }
        CMasterDb db(m_data);
        // The start-up order is kept under the list's number.
        CMasterList list(*CMasterKind::OfNumber(c.kind), db);
        CExCondition extraction;
        extraction.m_strSQL = c.extraction;
        list.SetExtraction(c.extraction.isEmpty() ? nullptr : &extraction);
        list.SetFilter(c.title, c.value);
        EXPECT_EQ(list.Reload(true), c.codes.size()) << c.name;
        EXPECT_EQ(RowCodes(list), c.codes) << c.name;
        EXPECT_EQ(list.GetCountLine(), c.countLine) << c.name;
    }
    EXPECT_EQ(Texts(), QStringList());
}

// The one-time partner "　" is in every new database: never a row, never
// counted, also when it is the only customer.
TEST_F(MasterListTest, OneTimePartnerIsNeitherListedNorCounted)
{
    Exec(QStringLiteral("DELETE FROM Customer WHERE CustomerCode <> '　'"));
    ASSERT_EQ(Count(QStringLiteral("Customer")), 1);
    CMasterDb db(m_data);
    CMasterList list(CMasterKind::Customers(), db);
    EXPECT_EQ(list.Reload(true), 0);
    EXPECT_EQ(list.Model().GetSet()->GetCount(), 1);
    EXPECT_EQ(list.GetCountLine(), QStringLiteral("件数 : 0 ／ 0件"));
    EXPECT_EQ(Texts(), QStringList());
}

// Failed queries are said and leave no rows behind: an extraction text
// without WHERE is never run, an unexpected answer is not an empty table,
// and a fatal one ends the load before the count.
TEST_F(MasterListTest, FailedQueriesAreSaidAndLeaveNoRows)
{
    const struct {
        const char* name;
        QString extraction;
        int failResult; // 0: no failure
        QString failText;
        QStringList messages;
        QStringList requests;
    } cases[] = {
        {"no WHERE", "SELECT Customer.* FROM Customer", 0, {}, {kFailure}, {"count Customer 1"}},
        {"unexpected answer", {}, 3, "ignored", {kFailure}, {"list Customer 1", "count Customer 1"}},
        {"library text", {}, 10, "壊れています", {"壊れています"}, {"list Customer 1", "count Customer 1"}},
        {"fatal",
         {},
         -100,
         {},
         {"処理中に重大なエラーが発生しました。このまま『Corvanta／販売』を使用することはできません。\n\n"
          "すみやかにアプリケーションを終了してください。"},
         {"list Customer 1"}},
    };
    for (const auto& c : cases) {
        m_ui.Prompt().Clear();
        CRecordingDb db(m_data);
        CMasterList list(CMasterKind::Customers(), db);
        ASSERT_EQ(list.Reload(true), 3);
        db.m_requests.clear();
        db.m_nFailAt = c.failResult ? 0 : -1;
        db.m_nFailResult = c.failResult;
        db.m_strFailText = c.failText;
        CExCondition extraction;
        extraction.m_strSQL = c.extraction;
        list.SetExtraction(c.extraction.isEmpty() ? nullptr : &extraction);
        EXPECT_EQ(list.LoadList(), 0) << c.name;
        EXPECT_EQ(list.FillList(), 0) << c.name;
        EXPECT_EQ(Texts(), c.messages) << c.name;
        EXPECT_EQ(db.Summary(), c.requests) << c.name;
    }
}

// Saved records come back through the list: a known ID replaces its record
// in place, a new one goes on top and is counted, one without ID is refused.
TEST_F(MasterListTest, UpdateRecordReplacesOrAddsOnTop)
{
    CMasterDb db(m_data);
    CMasterList list(CMasterKind::Customers(), db);
    ASSERT_EQ(list.LoadColumns(), 1);
    ASSERT_EQ(list.Reload(true), 3);
    COneRecord changed = *list.Model().RecordAt(1);
    changed.SetField(QStringLiteral("Customer.Company"), QStringLiteral("新社名"));
    bool added = true;
    COneRecord* held = list.UpdateRecord(changed, &added);
    EXPECT_EQ(held, list.Model().RecordAt(1));
    EXPECT_FALSE(added);
    EXPECT_EQ(list.Model().GetCellText(held, 1), QStringLiteral("新社名"));
    EXPECT_EQ(list.GetCountLine(), QStringLiteral("件数 : 3 ／ 3件"));

    COneRecord fresh;
    fresh.SetField(QStringLiteral("Customer.ID"), 999);
    fresh.SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("C9"));
    held = list.UpdateRecord(fresh, &added);
    ASSERT_TRUE(held);
    EXPECT_TRUE(added);
    EXPECT_EQ(list.Model().RecordAt(0), held);
    EXPECT_EQ(RowCodes(list), QStringList({"C9", "C1", "C2", "C3"}));
    EXPECT_EQ(list.GetCountLine(), QStringLiteral("件数 : 4 ／ 4件"));

    COneRecord noId;
    noId.SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("C8"));
    EXPECT_EQ(list.UpdateRecord(noId), nullptr);
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("レコードIDが不明です")});
    EXPECT_EQ(list.Model().GetRowCount(), 4);
}
