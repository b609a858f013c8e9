#include "DataTestUtil.h"
#include "support/EarlierBuilds.h"

#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"
#include "platform/text/Cp932.h"

#include <QDir>
#include <QFile>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>

namespace
{

COneRecord* AddCustomer(CCDSData& set, const QString& code, const QString& company = QString())
{
    COneRecord* record = set.AddNew();
    record->SetField(QStringLiteral("Customer.CustomerCode"), code);
    record->SetField(QStringLiteral("Customer.Company"), company.isEmpty() ? code : company);
    return record;
}

CCDSData CustomerSet()
{
    CCDSData set;
    set.m_strTable = TB_CUSTOMER;
    return set;
}

int IdOf(const COneRecord& record, const QString& table)
{
    int id = 0;
    const CTb* field = record.GetOneField(table, QStringLiteral("ID"));
    return field && field->GetData(id) ? id : 0;
}

QString TextOf(const CCDSData& set, int row, const QString& table, const QString& field)
{
    const CTb* f = set.GetAt(row)->GetOneField(table, field);
    return f ? f->GetText() : QStringLiteral("<none>");
}

} // namespace

TEST_F(DatabaseTest, NewDatabaseHoldsTheOneTimePartners)
{
    const CCDSData customers = List(TB_CUSTOMER, QString());
    ASSERT_EQ(customers.GetCount(), 1);
    EXPECT_EQ(TextOf(customers, 0, TB_CUSTOMER, QStringLiteral("CustomerCode")), QStringLiteral("　"));
    QDateTime stamp;
    EXPECT_TRUE(customers.GetAt(0)->GetOneField(TB_CUSTOMER, QStringLiteral("StartDate"))->GetData(stamp));
    EXPECT_EQ(stamp, kCreated);
    EXPECT_EQ(Count(TB_SUPPLIER), 1);
    EXPECT_EQ(Count(TB_UTIL), 0);

    QString err;
    EXPECT_EQ(CMakeMsgID::CreateDatabase(CMakeMsgID::DatabasePath(Folder()), kCreated, err), 10);
    EXPECT_FALSE(err.isEmpty());
}

TEST_F(DatabaseTest, ValuesSurviveClosingAndReopening)
{
    CCDSData set = CustomerSet();
    COneRecord* r = AddCustomer(set, QStringLiteral("K001"), QStringLiteral("O'Brien 商店"));
    r->SetField(QStringLiteral("Customer.Collect"), CMny(-12345678901234, 4));
    r->SetField(QStringLiteral("Customer.Percent"), CMny(955, 1));
    r->SetField(QStringLiteral("Customer.Day"), 20);
    r->SetField(QStringLiteral("Customer.StartDate"), QDateTime(QDate(2004, 7, 18), QTime(10, 20, 30)));
    r->SetField(QStringLiteral("Customer.Address"), QStringLiteral("東京都\r\n　千代田区"));
    r->SetField(QStringLiteral("Customer.OnesCode"), QString()); // empty text
    r->AddField(CTb(QStringLiteral("Customer.Memo")));           // no value
    CCDSData sales;
    sales.m_strTable = TB_SALES_H;
    COneRecord* slip = sales.AddNew();
    slip->SetField(QStringLiteral("Sales_H.Date"),
                   QDateTime(QDate(2024, 2, 29), QTime(18, 0))); // time dropped
    slip->SetField(QStringLiteral("Sales_H.CustomerCode"), QStringLiteral("K001"));
    slip->SetField(QStringLiteral("Sales_H.Total"), CMny(1234567, 5)); // 12.34567 → 12.3457
    QString err;
    ASSERT_EQ(m_data.InsertData(set, err), 1) << err.toStdString();
    ASSERT_EQ(m_data.InsertData(sales, err), 1) << err.toStdString();
    const int id = IdOf(*set.GetAt(0), TB_CUSTOMER);
    m_data.Close();

    // A closed database is its one file: a copy of that file alone holds everything.
    const QString copy = Folder() + QStringLiteral("/copy");
    ASSERT_TRUE(QDir().mkpath(copy));
    ASSERT_TRUE(QFile::copy(CMakeMsgID::DatabasePath(Folder()), CMakeMsgID::DatabasePath(copy)));
    CMakeMsgID reopened;
    ASSERT_EQ(reopened.Open(copy, err), 1) << err.toStdString();
    CCDSData request, rows;
    request.m_strTable = TB_CUSTOMER;
    request.m_strCondition = QStringLiteral("WHERE ID=%1").arg(id);
    ASSERT_EQ(reopened.GetDataList(request, rows, err), 1) << err.toStdString();
    ASSERT_EQ(rows.GetCount(), 1);
    const COneRecord& row = *rows.GetAt(0);
    auto field = [&](const char* name) { return row.GetOneField(TB_CUSTOMER, QString::fromLatin1(name)); };
    EXPECT_EQ(field("Company")->GetText(), QStringLiteral("O'Brien 商店"));
    EXPECT_EQ(field("Address")->GetText(), QStringLiteral("東京都\r\n　千代田区"));
    CMny money;
    EXPECT_TRUE(field("Collect")->GetData(money));
    EXPECT_EQ(money, CMny(-12345678901234, 4));
    EXPECT_EQ(field("Collect")->GetType(), CTb::kMoney);
    EXPECT_EQ(field("Percent")->GetText(), QStringLiteral("95.5"));
    EXPECT_EQ(field("Day")->GetType(), CTb::kInteger);
    EXPECT_EQ(field("Day")->GetText(), QStringLiteral("20"));
    EXPECT_EQ(field("StartDate")->GetText(), QStringLiteral("2004/07/18 10:20:30"));
    EXPECT_FALSE(field("OnesCode")->IsNull());
    EXPECT_TRUE(field("OnesCode")->GetText().isEmpty());
    EXPECT_TRUE(field("Memo")->IsNull());
    EXPECT_EQ(field("TaxType")->GetText(), QStringLiteral("2")); // column default
    EXPECT_EQ(field("ID")->GetType(), CTb::kInteger);

    request.m_strTable = TB_SALES_H;
    request.m_strCondition.clear();
    rows.Clear();
    ASSERT_EQ(reopened.GetDataList(request, rows, err), 1) << err.toStdString();
    ASSERT_EQ(rows.GetCount(), 1);
    const CTb* date = rows.GetAt(0)->GetOneField(TB_SALES_H, QStringLiteral("Date"));
    EXPECT_EQ(date->GetType(), CTb::kDate);
    EXPECT_FALSE(date->HasTime());
    EXPECT_EQ(date->GetText(), QStringLiteral("2024/02/29"));
    EXPECT_EQ(rows.GetAt(0)->GetOneField(TB_SALES_H, QStringLiteral("Total"))->GetText(),
              QStringLiteral("12.3457"));

    // Stored forms are the ones the report SQL relies on.
    request.m_strTable.clear();
    request.m_strCondition =
        QStringLiteral("SELECT typeof(Total) AS t, Total AS raw, Date || '' AS d FROM Sales_H");
    rows.Clear();
    ASSERT_EQ(reopened.GetDataList(request, rows, err), 1) << err.toStdString();
    EXPECT_EQ(TextOf(rows, 0, QString(), QStringLiteral("t")), QStringLiteral("integer"));
    EXPECT_EQ(TextOf(rows, 0, QString(), QStringLiteral("d")), QStringLiteral("2024-02-29"));
}

TEST_F(DatabaseTest, InsertWritesNewIdsBackAndIsAllOrNothing)
{
    CCDSData set = CustomerSet();
    AddCustomer(set, QStringLiteral("A1"))->SetField(QStringLiteral("Customer.ID"), 999); // ignored
    AddCustomer(set, QStringLiteral("A2"))->SetField(QStringLiteral("ID"), 0);
    AddCustomer(set, QStringLiteral("A3")); // no ID field: one is appended
    QString err;
    ASSERT_EQ(m_data.InsertData(set, err), 1) << err.toStdString();
    const int first = IdOf(*set.GetAt(0), TB_CUSTOMER);
    EXPECT_GT(first, 1); // the seed row holds 1
    EXPECT_NE(first, 999);
    EXPECT_EQ(set.GetAt(1)->FindField(QStringLiteral("ID"))->GetText(), QString::number(first + 1));
    EXPECT_EQ(set.GetAt(2)->GetCount(), 3);
    EXPECT_EQ(IdOf(*set.GetAt(2), TB_CUSTOMER), first + 2);
    const CCDSData stored = List(TB_CUSTOMER, QStringLiteral("WHERE ID=%1").arg(first + 2));
    ASSERT_EQ(stored.GetCount(), 1);
    EXPECT_EQ(TextOf(stored, 0, TB_CUSTOMER, QStringLiteral("CustomerCode")), QStringLiteral("A3"));

    // The third code repeats an existing one (letter case ignored): nothing is kept.
    CCDSData failing = CustomerSet();
    AddCustomer(failing, QStringLiteral("B1"));
    AddCustomer(failing, QStringLiteral("B2"));
    AddCustomer(failing, QStringLiteral("a1"));
    EXPECT_EQ(m_data.InsertData(failing, err), 10);
    EXPECT_TRUE(err.contains(QStringLiteral("UNIQUE"))) << err.toStdString();
    EXPECT_EQ(Count(TB_CUSTOMER), 4);
    EXPECT_EQ(Count(TB_CUSTOMER, QStringLiteral("WHERE CustomerCode LIKE 'B%'")), 0);
    EXPECT_EQ(failing.GetAt(0)->GetOneField(TB_CUSTOMER, QStringLiteral("ID")), nullptr);

    // A field the table lacks is refused by name.
    CCDSData typo = CustomerSet();
    AddCustomer(typo, QStringLiteral("C1"))
        ->SetField(QStringLiteral("Customer.Compnay"), QStringLiteral("x"));
    EXPECT_EQ(m_data.InsertData(typo, err), 10);
    EXPECT_TRUE(err.contains(QStringLiteral("Customer.Compnay")));
    CCDSData foreign = CustomerSet();
    AddCustomer(foreign, QStringLiteral("C1"))
        ->SetField(QStringLiteral("Item.ItemName"), QStringLiteral("x"));
    EXPECT_EQ(m_data.InsertData(foreign, err), 10);
    EXPECT_EQ(Count(TB_CUSTOMER), 4);
}

TEST_F(DatabaseTest, TextsPastTheirByteLimitAreRefusedByNameAndLimit)
{
    // Name holds 50 bytes: "a" and 24 full-width characters (49 bytes) fit,
    // half-width kana count one byte each.
    CCDSData set = CustomerSet();
    COneRecord* r = AddCustomer(set, QStringLiteral("FIT"));
    r->SetField(QStringLiteral("Customer.Name"), u'a' + QString(24, u'漢'));
    r->SetField(QStringLiteral("Customer.Keisho"), QStringLiteral("ｶﾌﾞｼｷｶﾞｲｼｬ"));
    QString err;
    ASSERT_EQ(m_data.InsertData(set, err), 1) << err.toStdString();
    const int before = Count(TB_CUSTOMER);

    struct Case {
        QString field;
        QString text;
        const char* label;
        int limit;
    };
    const Case cases[] = {
        {QStringLiteral("Customer.Name"), u'a' + QString(25, u'漢'), "Customer.Name", 50},
        {QStringLiteral("Customer.Keisho"), QStringLiteral("ｶﾌﾞｼｷｶﾞｲｼｬｼﾞ"), "Customer.Keisho", 10},
        {QStringLiteral("Customer.Company"), QString(200, u'x'), "Customer.Company", 100},
        {QStringLiteral("Customer.CustomerCode"), QString(11, u'コ'), "Customer.CustomerCode", 20},
    };
    for (const Case& c : cases) {
        // The over-long record comes second: nothing of the set may stay behind.
        CCDSData tooLong = CustomerSet();
        AddCustomer(tooLong, QStringLiteral("OK1"));
        AddCustomer(tooLong, QStringLiteral("LONG"))->SetField(c.field, c.text);
        err.clear();
        EXPECT_EQ(m_data.InsertData(tooLong, err), 10) << c.label;
        EXPECT_TRUE(err.contains(QLatin1String(c.label)) && err.contains(QString::number(c.limit)))
            << err.toStdString();
        EXPECT_EQ(Count(TB_CUSTOMER), before) << c.label;
    }

    // Updates refuse the same way and leave the stored text as it was.
    CCDSData update = CustomerSet();
    update.m_strCondition = QStringLiteral("WHERE CustomerCode='FIT'");
    update.AddNew()->SetField(QStringLiteral("Customer.Name"), QString(26, u'ア'));
    EXPECT_EQ(m_data.UpdateData(update, err), 10);
    EXPECT_TRUE(err.contains(QStringLiteral("Customer.Name"))) << err.toStdString();
    EXPECT_EQ(TextOf(List(TB_CUSTOMER, update.m_strCondition), 0, TB_CUSTOMER, QStringLiteral("Name")),
              u'a' + QString(24, u'漢'));
}

TEST_F(DatabaseTest, CodesCompareWithoutAsciiCaseAndQuotesRoundTrip)
{
    CCDSData set = CustomerSet();
    AddCustomer(set, QStringLiteral("ABC"));
    AddCustomer(set, QStringLiteral("ＡＢＣ"));
    AddCustomer(set, QStringLiteral("O'B"), QStringLiteral("50%引き"));
    AddCustomer(set, QStringLiteral("D500"), QStringLiteral("500円"));
    QString err;
    ASSERT_EQ(m_data.InsertData(set, err), 1) << err.toStdString();

    EXPECT_EQ(TextOf(List(TB_CUSTOMER, QStringLiteral("WHERE CustomerCode='abc'")), 0, TB_CUSTOMER,
                     QStringLiteral("CustomerCode")),
              QStringLiteral("ABC"));
    // Full-width letters are not folded.
    EXPECT_EQ(Count(TB_CUSTOMER, QStringLiteral("WHERE CustomerCode='ａｂｃ'")), 0);
    const QString quoted = QStringLiteral("WHERE CustomerCode='%1'").arg(SqlQuote(QStringLiteral("o'b")));
    EXPECT_EQ(TextOf(List(TB_CUSTOMER, quoted), 0, TB_CUSTOMER, QStringLiteral("CustomerCode")),
              QStringLiteral("O'B"));
    const QString like = QStringLiteral("WHERE Company LIKE '%%1%' ESCAPE '\\'")
                             .arg(SqlQuote(SqlLikeEscape(QStringLiteral("50%"))));
    const CCDSData found = List(TB_CUSTOMER, like);
    ASSERT_EQ(found.GetCount(), 1);
    EXPECT_EQ(TextOf(found, 0, TB_CUSTOMER, QStringLiteral("Company")), QStringLiteral("50%引き"));

    // Sorting folds ASCII case too.
    const CCDSData sorted = List(TB_CUSTOMER, QStringLiteral("WHERE CustomerCode IN ('ABC','D500') ORDER BY "
                                                             "CustomerCode DESC"));
    EXPECT_EQ(TextOf(sorted, 0, TB_CUSTOMER, QStringLiteral("CustomerCode")), QStringLiteral("D500"));
}

TEST_F(DatabaseTest, WholeSelectResultsAreTypedByStoredTypeAndResultName)
{
    CCDSData sales;
    sales.m_strTable = TB_SALES_H;
    const struct {
        int y, m, d;
        qint64 total; // ten-thousandths
    } slips[] = {{2024, 3, 31, 1000}, {2023, 12, 1, 2000}, {2024, 1, 15, 99999999999999}};
    for (const auto& s : slips) {
        COneRecord* r = sales.AddNew();
        r->SetField(QStringLiteral("Sales_H.Date"), QDate(s.y, s.m, s.d));
        r->SetField(QStringLiteral("Sales_H.CustomerCode"), QStringLiteral("K1"));
        r->SetField(QStringLiteral("Sales_H.Total"), CMny(s.total, 4));
    }
    QString err;
    ASSERT_EQ(m_data.InsertData(sales, err), 1) << err.toStdString();

    const CCDSData range = List(QString(), QStringLiteral(" select Min(Sales_H.[Date]) AS 最古, "
                                                          "Max(Sales_H.[Date]) AS 最新 FROM Sales_H"));
    ASSERT_EQ(range.GetCount(), 1);
    const CTb* oldest = range.GetAt(0)->GetOneField(QString(), QStringLiteral("最古"));
    ASSERT_NE(oldest, nullptr);
    EXPECT_EQ(oldest->GetName(), QStringLiteral("最古"));
    EXPECT_EQ(oldest->GetType(), CTb::kDate);
    QDate date;
    EXPECT_TRUE(oldest->GetData(date));
    EXPECT_EQ(date, QDate(2023, 12, 1));
    EXPECT_EQ(range.GetAt(0)->GetOneField(QString(), QStringLiteral("最新"))->GetText(),
              QStringLiteral("2024/03/31"));

    // Sums of money stay exact money; counts are integers; stored columns keep their type.
    const CCDSData sums = List(QString(), QStringLiteral("SELECT CustomerCode, Sum(Total) AS 今回売上額, "
                                                         "Count(*) AS n, Max(Total) AS Total FROM Sales_H "
                                                         "GROUP BY CustomerCode"));
    ASSERT_EQ(sums.GetCount(), 1);
    const COneRecord& row = *sums.GetAt(0);
    const CTb* sum = row.GetOneField(QString(), QStringLiteral("今回売上額"));
    EXPECT_EQ(sum->GetType(), CTb::kMoney);
    CMny value;
    EXPECT_TRUE(sum->GetData(value));
    EXPECT_EQ(value, CMny(100000000002999, 4)); // 9999999999.9999 + 0.1 + 0.2
    EXPECT_EQ(row.GetOneField(QString(), QStringLiteral("n"))->GetType(), CTb::kInteger);
    EXPECT_EQ(row.GetOneField(QString(), QStringLiteral("Total"))->GetType(), CTb::kMoney);
    EXPECT_EQ(row.GetOneField(QString(), QStringLiteral("CustomerCode"))->GetType(), CTb::kText);
    EXPECT_EQ(row.GetOneField(TB_SALES_H, QStringLiteral("CustomerCode")), nullptr);

    // A named request carries "Table.Field" names; several calls add to one result.
    CCDSData request, result;
    request.m_strTable = TB_SALES_H;
    request.m_strCondition = QStringLiteral("WHERE Date>=%1 ORDER BY Date").arg(SqlDate(QDate(2024, 1, 1)));
    ASSERT_EQ(m_data.GetDataList(request, result, err), 1);
    ASSERT_EQ(m_data.GetDataList(request, result, err), 1);
    ASSERT_EQ(result.GetCount(), 4);
    EXPECT_EQ(result.GetAt(0)->GetAt(0)->GetName(), QStringLiteral("Sales_H.ID"));
    EXPECT_EQ(TextOf(result, 0, TB_SALES_H, QStringLiteral("Date")), QStringLiteral("2024/01/15"));
    int count = 0;
    request.m_strCondition = QStringLiteral("SELECT * FROM Sales_H WHERE Total < %1;").arg(SqlMoney(CMny(1)));
    EXPECT_EQ(m_data.GetDataNum(request, count, err), 1);
    EXPECT_EQ(count, 2);
    // A negative amount written after a minus sign stays one operand.
    EXPECT_EQ(Count(TB_SALES_H, QStringLiteral("WHERE Total-%1=11000").arg(SqlMoney(CMny(-1)))), 1);

    // A real without a type is an amount; one beyond 64 bits has no value, never a wrong one.
    const CCDSData reals =
        List(QString(), QStringLiteral("SELECT -2.5 AS small, 1e16 AS big, -1e300 AS huge"));
    ASSERT_EQ(reals.GetCount(), 1);
    EXPECT_TRUE(reals.GetAt(0)->GetAt(0)->GetData(value));
    EXPECT_EQ(value, CMny(-25, 1));
    EXPECT_EQ(reals.GetAt(0)->GetAt(1)->GetType(), CTb::kMoney);
    EXPECT_TRUE(reals.GetAt(0)->GetAt(1)->IsNull());
    EXPECT_TRUE(reals.GetAt(0)->GetAt(2)->IsNull());
}

TEST_F(DatabaseTest, UpdateAndDeleteByConditionAndByRecords)
{
    CCDSData set = CustomerSet();
    for (int i = 1; i <= 4; ++i)
        AddCustomer(set, QStringLiteral("U%1").arg(i));
    QString err;
    ASSERT_EQ(m_data.InsertData(set, err), 1);
    const int id1 = IdOf(*set.GetAt(0), TB_CUSTOMER);
    const int id2 = IdOf(*set.GetAt(1), TB_CUSTOMER);

    CCDSData update = CustomerSet();
    update.m_strCondition = QStringLiteral("WHERE (ID=%1) OR (ID=%2)").arg(id1).arg(id2);
    COneRecord* change = update.AddNew();
    change->SetField(QStringLiteral("Customer.Day"), 15);
    change->SetField(QStringLiteral("Customer.ID"), 777); // never written
    change->SetField(QStringLiteral("Customer.LastUpdate"), QStringLiteral("2024/05/06 07:08:09"));
    ASSERT_EQ(m_data.UpdateData(update, err), 1) << err.toStdString();
    EXPECT_EQ(Count(TB_CUSTOMER, QStringLiteral("WHERE Day=15")), 2);
    EXPECT_EQ(Count(TB_CUSTOMER, QStringLiteral("WHERE ID=777")), 0);
    EXPECT_EQ(Count(TB_CUSTOMER, QStringLiteral("WHERE LastUpdate='2024-05-06 07:08:09'")), 2);
    // A bare day in a date-time column is stored as its midnight.
    change->SetField(QStringLiteral("Customer.LastUpdate"), QDate(2024, 5, 7));
    ASSERT_EQ(m_data.UpdateData(update, err), 1) << err.toStdString();
    EXPECT_EQ(Count(TB_CUSTOMER, QStringLiteral("WHERE LastUpdate='2024-05-07 00:00:00'")), 2);

    // Without a WHERE clause nothing is overwritten.
    update.m_strCondition.clear();
    EXPECT_EQ(m_data.UpdateData(update, err), 10);
    EXPECT_EQ(Count(TB_CUSTOMER, QStringLiteral("WHERE Day=15")), 2);
    // A value the column cannot hold is refused.
    update.m_strCondition = QStringLiteral("WHERE ID=%1").arg(id1);
    change->SetField(QStringLiteral("Customer.Day"), QStringLiteral("soon"));
    EXPECT_EQ(m_data.UpdateData(update, err), 10);
    EXPECT_TRUE(err.contains(QStringLiteral("Customer.Day")));

    CCDSData remove = CustomerSet();
    // A condition that is no WHERE clause deletes nothing.
    for (const char* tail : {"-- WHERE CustomerCode='u3'", "ORDER BY CustomerCode"}) {
        remove.m_strCondition = QString::fromLatin1(tail);
        EXPECT_EQ(m_data.DeleteData(remove, err), 10);
    }
    EXPECT_EQ(Count(TB_CUSTOMER, QStringLiteral("WHERE CustomerCode LIKE 'U%'")), 4);
    remove.m_strCondition = QStringLiteral("WHERE CustomerCode='u3'");
    ASSERT_EQ(m_data.DeleteData(remove, err), 1) << err.toStdString();
    EXPECT_EQ(Count(TB_CUSTOMER, QStringLiteral("WHERE CustomerCode LIKE 'U%'")), 3);

    // Without a condition, the records' IDs name the rows.
    CCDSData byRecords = CustomerSet();
    byRecords.Add(*set.GetAt(0));
    byRecords.AddNew()->SetField(QStringLiteral("ID"), id2);
    ASSERT_EQ(m_data.DeleteData(byRecords, err), 1) << err.toStdString();
    const CCDSData left = List(TB_CUSTOMER, QStringLiteral("WHERE CustomerCode LIKE 'U%'"));
    ASSERT_EQ(left.GetCount(), 1);
    EXPECT_EQ(TextOf(left, 0, TB_CUSTOMER, QStringLiteral("CustomerCode")), QStringLiteral("U4"));
    byRecords.AddNew()->SetField(QStringLiteral("Customer.Name"), QStringLiteral("no id"));
    EXPECT_EQ(m_data.DeleteData(byRecords, err), 10);
}

TEST_F(DatabaseTest, FailuresAnswerTenWithTheLibraryText)
{
    CCDSData request;
    CCDSData result;
    QString err;
    int count = 0;
    request.m_strTable = TB_CUSTOMER;
    request.m_strCondition = QStringLiteral("WHERE NoSuchField=1");
    EXPECT_EQ(m_data.GetDataList(request, result, err), 10);
    EXPECT_TRUE(err.contains(QStringLiteral("NoSuchField"))) << err.toStdString();
    EXPECT_EQ(result.GetCount(), 0);
    err.clear();
    EXPECT_EQ(m_data.GetDataNum(request, count, err), 10);
    EXPECT_FALSE(err.isEmpty());
    err.clear();
    EXPECT_EQ(m_data.DeleteData(request, err), 10);
    EXPECT_FALSE(err.isEmpty());
    request.AddNew()->SetField(QStringLiteral("Customer.Day"), 1);
    err.clear();
    EXPECT_EQ(m_data.UpdateData(request, err), 10);
    EXPECT_FALSE(err.isEmpty());

    // A second statement is never run.
    request.m_strCondition = QStringLiteral("WHERE 1=1; DELETE FROM Customer");
    EXPECT_EQ(m_data.GetDataList(request, result, err), 10);
    EXPECT_EQ(Count(TB_CUSTOMER), 1);
    request.m_strTable = QStringLiteral("NoTable");
    request.m_strCondition.clear();
    EXPECT_EQ(m_data.GetDataList(request, result, err), 10);
    EXPECT_EQ(m_data.InsertData(request, err), 10);
    request.m_strTable.clear();
    EXPECT_EQ(m_data.GetDataList(request, result, err), 10);
}

TEST_F(DatabaseTest, BrokenFileOrNoConnectionIsFatal)
{
    CCDSData request;
    request.m_strTable = TB_CUSTOMER;
    CCDSData result;
    QString err;
    int count = 0;
    // Every operation on the customers; the conditions make SQLite read the
    // table itself (a code alone could be answered from its index).
    auto everyOperation = [&](int expected) {
        request.m_strCondition = QStringLiteral("WHERE Company<>'X'");
        EXPECT_EQ(m_data.GetDataList(request, result, err), expected);
        EXPECT_FALSE(err.isEmpty());
        EXPECT_EQ(m_data.GetDataNum(request, count, err), expected);
        CCDSData set = CustomerSet();
        AddCustomer(set, QStringLiteral("X"));
        EXPECT_EQ(m_data.InsertData(set, err), expected);
        set.m_strCondition = request.m_strCondition;
        EXPECT_EQ(m_data.UpdateData(set, err), expected);
        EXPECT_EQ(m_data.DeleteData(set, err), expected);
        set.m_strCondition.clear();
        set.GetAt(0)->SetField(QStringLiteral("Customer.ID"), 1);
        EXPECT_EQ(m_data.DeleteData(set, err), expected);
        EXPECT_FALSE(m_data.InTransaction());
    };

    // A damaged page of one table: the file opens, and every use of that table is fatal.
    const CCDSData root =
        List(QString(), QStringLiteral("SELECT rootpage, (SELECT page_size FROM "
                                       "pragma_page_size) FROM sqlite_master WHERE name='Customer'"));
    ASSERT_EQ(root.GetCount(), 1);
    int page = 0, pageSize = 0;
    ASSERT_TRUE(root.GetAt(0)->GetAt(0)->GetData(page));
    ASSERT_TRUE(root.GetAt(0)->GetAt(1)->GetData(pageSize));
    m_data.Close();
    QFile file(CMakeMsgID::DatabasePath(Folder()));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(qint64(page - 1) * pageSize));
    file.write(QByteArray(pageSize, '\x5a'));
    file.close();
    ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
    everyOperation(-100);
    EXPECT_EQ(Count(TB_SUPPLIER), 1); // the other tables still work

    // The whole file is overwritten behind an open connection.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(8192, '\x5a'));
    file.close();
    everyOperation(-100);
    EXPECT_EQ(m_data.BeginTransaction(err), -100);
    EXPECT_EQ(m_data.Execute(QStringLiteral("DELETE FROM Supplier"), err), -100);

    // Nor can it be opened again; without a connection everything is fatal.
    err.clear();
    EXPECT_EQ(m_data.Open(Folder(), err), -100);
    EXPECT_FALSE(err.isEmpty());
    EXPECT_FALSE(m_data.IsOpen());
    everyOperation(-100);
    EXPECT_EQ(m_data.BeginTransaction(err), -100);
    EXPECT_EQ(m_data.Execute(QStringLiteral("DELETE FROM Customer"), err), -100);

    // A missing file, or a database of another kind, does not open either.
    const QString folder = Folder() + QStringLiteral("/other");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(m_data.Open(folder, err), -100);
    {
        CMakeMsgID plain;
        ASSERT_EQ(plain.Execute(QStringLiteral("SELECT 1"), err), -100);
    }
    QString sqlErr;
    ASSERT_EQ(CMakeMsgID::CreateDatabase(CMakeMsgID::DatabasePath(folder), kCreated, sqlErr), 1);
    ASSERT_EQ(m_data.Open(folder, err), 1);
    ASSERT_EQ(m_data.Execute(QStringLiteral("DROP TABLE WBank_B"), err), 1);
    m_data.Close();
    EXPECT_EQ(m_data.Open(folder, err), -100);
    EXPECT_TRUE(err.contains(QStringLiteral("WBank_B")));
}

// The engine's failures the user can act on read in Japanese and name the
// file, extended codes with their family; any other keeps the engine's text.
TEST(DatabaseErrorTextTest, EachKindOfFailureHasItsWords)
{
    const QString path = QStringLiteral("/data/本社/QXSelvo.vrz");
    const QString busy =
        QStringLiteral("データベース</data/本社/QXSelvo.vrz>はほかのプログラムが使用中のため、"
                       "処理できませんでした。しばらく待ってから、もう一度操作してください。");
    const QString readOnly =
        QStringLiteral("データベース</data/本社/QXSelvo.vrz>は読み取り専用のため、書き込めません。");
    const QString full =
        QStringLiteral("ディスクの空き容量が足りないため、データベース</data/本社/QXSelvo.vrz>に"
                       "書き込めませんでした。空き容量を増やしてから、もう一度操作してください。");
    const QString damaged = QStringLiteral(
        "データベース</data/本社/QXSelvo.vrz>が壊れています。バックアップから復元してください。");
    const struct {
        int rc;
        QString text;
    } cases[] = {
        {SQLITE_BUSY, busy},
        {SQLITE_BUSY_SNAPSHOT, busy},
        {SQLITE_LOCKED, busy},
        {SQLITE_LOCKED_SHAREDCACHE, busy},
        {SQLITE_READONLY, readOnly},
        {SQLITE_READONLY_DBMOVED, readOnly},
        {SQLITE_FULL, full},
        {SQLITE_CORRUPT, damaged},
        {SQLITE_CORRUPT_INDEX, damaged},
        {SQLITE_NOTADB, damaged},
        {SQLITE_CONSTRAINT_UNIQUE, QStringLiteral("engine")},
        {SQLITE_ERROR, QStringLiteral("engine")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CMakeMsgID::ErrorText(c.rc, path, QStringLiteral("engine")), c.text) << c.rc;
}

// A damaged file says so, naming it, through every request.
TEST_F(DatabaseTest, ADamagedFileIsNamedInItsFailure)
{
    const CCDSData root =
        List(QString(), QStringLiteral("SELECT rootpage, (SELECT page_size FROM "
                                       "pragma_page_size) FROM sqlite_master WHERE name='Item'"));
    ASSERT_EQ(root.GetCount(), 1);
    int page = 0, pageSize = 0;
    ASSERT_TRUE(root.GetAt(0)->GetAt(0)->GetData(page));
    ASSERT_TRUE(root.GetAt(0)->GetAt(1)->GetData(pageSize));
    m_data.Close();
    const QString path = CMakeMsgID::DatabasePath(Folder());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(qint64(page - 1) * pageSize));
    file.write(QByteArray(pageSize, '\x5a'));
    file.close();
    QString err;
    ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
    CCDSData request, result;
    request.m_strTable = QStringLiteral("Item");
    request.m_strCondition = QStringLiteral("WHERE ItemName <> 'X'");
    EXPECT_EQ(m_data.GetDataList(request, result, err), -100);
    EXPECT_EQ(err, CMakeMsgID::ErrorText(SQLITE_CORRUPT, path, QString()));
    EXPECT_TRUE(err.contains(path));
}

TEST_F(DatabaseTest, TransactionsNestAndRollBack)
{
    QString err;
    ASSERT_EQ(m_data.BeginTransaction(err), 1);
    CCDSData outer = CustomerSet();
    AddCustomer(outer, QStringLiteral("T1"));
    ASSERT_EQ(m_data.InsertData(outer, err), 1);
    ASSERT_EQ(m_data.BeginTransaction(err), 1);
    CCDSData inner = CustomerSet();
    AddCustomer(inner, QStringLiteral("T2"));
    ASSERT_EQ(m_data.InsertData(inner, err), 1);
    ASSERT_EQ(m_data.Rollback(err), 1); // only T2
    // A failing insert inside the transaction leaves the outer work alone.
    CCDSData failing = CustomerSet();
    AddCustomer(failing, QStringLiteral("T3"));
    AddCustomer(failing, QStringLiteral("t1"));
    EXPECT_EQ(m_data.InsertData(failing, err), 10);
    EXPECT_TRUE(m_data.InTransaction());
    ASSERT_EQ(m_data.Commit(err), 1);
    EXPECT_FALSE(m_data.InTransaction());
    EXPECT_EQ(Count(TB_CUSTOMER, QStringLiteral("WHERE CustomerCode LIKE 'T%'")), 1);

    ASSERT_EQ(m_data.BeginTransaction(err), 1);
    ASSERT_EQ(m_data.DeleteData(outer, err), 1);
    ASSERT_EQ(m_data.Rollback(err), 1);
    EXPECT_EQ(Count(TB_CUSTOMER, QStringLiteral("WHERE CustomerCode='T1'")), 1);
    EXPECT_EQ(m_data.Commit(err), 10);

    // Closing with an open transaction undoes it.
    ASSERT_EQ(m_data.BeginTransaction(err), 1);
    ASSERT_EQ(m_data.DeleteData(outer, err), 1);
    m_data.Close();
    ASSERT_EQ(m_data.Open(Folder(), err), 1);
    EXPECT_EQ(Count(TB_CUSTOMER, QStringLiteral("WHERE CustomerCode='T1'")), 1);
}

TEST_F(DatabaseTest, WorkTablesHoldOnlyTheLatestDocument)
{
    auto receipt = [](CCDSData& set, const QString& no) {
        COneRecord* r = set.AddNew();
        r->SetField(QStringLiteral("WReceipt_H.ID"), 0);
        r->SetField(QStringLiteral("WReceipt_H.No"), no);
        r->SetField(QStringLiteral("WReceipt_H.Bill"), 5000);
        r->SetField(QStringLiteral("前回請求額"), CMny(1)); // report-row field: dropped
        return r;
    };
    CCDSData headers;
    headers.m_strTable = TB_WRECEIPT_H;
    receipt(headers, QStringLiteral("R1"));
    receipt(headers, QStringLiteral("R2"))->SetField(QStringLiteral("WReceipt_H.ID"), 7); // kept
    COneRecord* bare = headers.AddNew();
    bare->SetField(QStringLiteral("No"), QStringLiteral("R3"));
    QString err;
    ASSERT_EQ(m_data.InsertData(headers, err), 1) << err.toStdString();
    EXPECT_EQ(IdOf(*headers.GetAt(0), TB_WRECEIPT_H), 1);
    EXPECT_EQ(IdOf(*headers.GetAt(1), TB_WRECEIPT_H), 7);
    EXPECT_EQ(IdOf(*headers.GetAt(2), TB_WRECEIPT_H), 8);

    CCDSData lines;
    lines.m_strTable = TB_WRECEIPT_B;
    for (int i = 0; i < 2; ++i) {
        COneRecord* line = lines.AddNew();
        line->SetField(QStringLiteral("WReceipt_B.HeaderID"), 1);
        line->SetField(QStringLiteral("WReceipt_B.Amount"), 2500);
    }
    ASSERT_EQ(m_data.InsertData(lines, err), 1);
    ASSERT_EQ(m_data.InsertData(lines, err), 1); // bodies only append
    EXPECT_EQ(Count(TB_WRECEIPT_B), 4);
    const CCDSData amounts = List(TB_WRECEIPT_H, QStringLiteral("ORDER BY ID"));
    EXPECT_EQ(TextOf(amounts, 0, TB_WRECEIPT_H, QStringLiteral("Bill")), QStringLiteral("5000"));
    EXPECT_EQ(amounts.GetAt(0)->GetOneField(TB_WRECEIPT_H, QStringLiteral("Bill"))->GetType(), CTb::kMoney);

    // The next document replaces header and lines.
    CCDSData next;
    next.m_strTable = TB_WRECEIPT_H;
    receipt(next, QStringLiteral("R9"));
    ASSERT_EQ(m_data.InsertData(next, err), 1);
    EXPECT_EQ(IdOf(*next.GetAt(0), TB_WRECEIPT_H), 1);
    EXPECT_EQ(Count(TB_WRECEIPT_H), 1);
    EXPECT_EQ(Count(TB_WRECEIPT_B), 0);

    // Address labels keep the partner's own ID.
    CCDSData labels;
    labels.m_strTable = TB_WATENA;
    COneRecord* label = labels.AddNew();
    label->SetField(QStringLiteral("WAtena.ID"), 42);
    label->SetField(QStringLiteral("WAtena.Company"), QStringLiteral("Acme"));
    label->SetField(QStringLiteral("Company_Section_Name"), QStringLiteral("Acme"));
    ASSERT_EQ(m_data.InsertData(labels, err), 1) << err.toStdString();
    EXPECT_EQ(TextOf(List(TB_WATENA, QString()), 0, TB_WATENA, QStringLiteral("ID")), QStringLiteral("42"));
}

TEST_F(DatabaseTest, RecordWithoutFieldsGetsTheColumnDefaults)
{
    CCDSData set;
    set.m_strTable = TB_UTIL;
    set.AddNew();
    set.AddNew()->SetField(QStringLiteral("Util.StartDate"), QDate(2024, 4, 1));
    QString err;
    ASSERT_EQ(m_data.InsertData(set, err), 1) << err.toStdString();
    const int first = IdOf(*set.GetAt(0), TB_UTIL);
    EXPECT_GT(first, 0);
    EXPECT_EQ(IdOf(*set.GetAt(1), TB_UTIL), first + 1);
    const CCDSData rows = List(TB_UTIL, QStringLiteral("ORDER BY ID"));
    ASSERT_EQ(rows.GetCount(), 2);
    EXPECT_TRUE(rows.GetAt(0)->GetOneField(TB_UTIL, QStringLiteral("StartDate"))->IsNull());
    EXPECT_EQ(TextOf(rows, 1, TB_UTIL, QStringLiteral("StartDate")), QStringLiteral("2024/04/01"));
}

TEST_F(DatabaseTest, DateTimesOfAnotherZoneAreKeptAsTheSameLocalMoment)
{
    // One moment, written in a zone five hours away from the local one, where
    // it falls on another day.
    const int shift = QDateTime::currentDateTime().offsetFromUtc() > 0 ? -5 * 3600 : 5 * 3600;
    const QDateTime local(QDate(2024, 3, 20), shift > 0 ? QTime(22, 15, 30) : QTime(2, 15, 30));
    const QDateTime elsewhere = local.toTimeZone(QTimeZone(local.offsetFromUtc() + shift));
    ASSERT_NE(elsewhere.date(), local.date());

    CTb field(QStringLiteral("Customer.LastUpdate"));
    field = elsewhere;
    EXPECT_EQ(field.GetText(), local.toString(u"yyyy/MM/dd HH:mm:ss"));
    EXPECT_EQ(SqlDate(elsewhere), QStringLiteral("'2024-03-20'"));

    CCDSData set = CustomerSet();
    AddCustomer(set, QStringLiteral("Z1"))->SetField(QStringLiteral("Customer.LastUpdate"), elsewhere);
    QString err;
    ASSERT_EQ(m_data.InsertData(set, err), 1) << err.toStdString();
    QDateTime read;
    EXPECT_TRUE(List(TB_CUSTOMER, QStringLiteral("WHERE CustomerCode='Z1'"))
                    .GetAt(0)
                    ->GetOneField(TB_CUSTOMER, QStringLiteral("LastUpdate"))
                    ->GetData(read));
    EXPECT_EQ(read, local);

    // The seed rows of a new database are stamped the same way.
    const QString folder = Folder() + QStringLiteral("/zone");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(CMakeMsgID::CreateDatabase(CMakeMsgID::DatabasePath(folder), elsewhere, err), 1);
    CMakeMsgID created;
    ASSERT_EQ(created.Open(folder, err), 1) << err.toStdString();
    CCDSData request, rows;
    request.m_strTable = TB_SUPPLIER;
    ASSERT_EQ(created.GetDataList(request, rows, err), 1) << err.toStdString();
    ASSERT_EQ(rows.GetCount(), 1);
    EXPECT_TRUE(rows.GetAt(0)->GetOneField(TB_SUPPLIER, QStringLiteral("StartDate"))->GetData(read));
    EXPECT_EQ(read, local);
}

TEST_F(DatabaseTest, CountsAreTheNumberOfRecordsTheListGives)
{
    CCDSData sales;
    sales.m_strTable = TB_SALES_H;
    for (const char* code : {"K1", "K1", "K2", "K3"}) {
        COneRecord* r = sales.AddNew();
        r->SetField(QStringLiteral("Sales_H.CustomerCode"), QString::fromLatin1(code));
        r->SetField(QStringLiteral("Sales_H.Total"), CMny(100));
    }
    QString err;
    ASSERT_EQ(m_data.InsertData(sales, err), 1) << err.toStdString();

    for (const QString& condition :
         {QStringLiteral("GROUP BY CustomerCode"), QStringLiteral("WHERE Total > 0 ORDER BY ID LIMIT 2"),
          QStringLiteral("WHERE CustomerCode = 'K9' GROUP BY CustomerCode"),
          QStringLiteral("SELECT CustomerCode FROM Sales_H GROUP BY CustomerCode -- one row per customer"),
          QStringLiteral("WHERE CustomerCode = 'K1' UNION SELECT * FROM Sales_H WHERE CustomerCode = 'K2'"),
          QStringLiteral("WHERE CustomerCode = 'K1' -- both slips")}) {
        const CCDSData listed = List(TB_SALES_H, condition);
        EXPECT_EQ(Count(TB_SALES_H, condition), listed.GetCount()) << condition.toStdString();
    }
    EXPECT_EQ(Count(TB_SALES_H, QStringLiteral("GROUP BY CustomerCode")), 3);
}

TEST_F(DatabaseTest, CachedStatementsFollowSchemaChangesAndTheKindOfRequest)
{
    CCDSData util;
    util.m_strTable = TB_UTIL;
    util.AddNew()->SetField(QStringLiteral("Util.StartDate"), QDate(2024, 4, 1));
    QString err;
    ASSERT_EQ(m_data.InsertData(util, err), 1) << err.toStdString();
    ASSERT_EQ(List(TB_UTIL, QString()).GetAt(0)->GetCount(), 2);

    // The same number of columns under other names: values must not keep the old labels.
    ASSERT_EQ(m_data.Execute(QStringLiteral("ALTER TABLE Util DROP COLUMN StartDate"), err), 1)
        << err.toStdString();
    ASSERT_EQ(m_data.Execute(QStringLiteral("ALTER TABLE Util ADD COLUMN Note TEXT DEFAULT 'n'"), err), 1)
        << err.toStdString();
    const CCDSData changed = List(TB_UTIL, QString());
    ASSERT_EQ(changed.GetCount(), 1);
    EXPECT_EQ(changed.GetAt(0)->GetOneField(TB_UTIL, QStringLiteral("StartDate")), nullptr);
    EXPECT_EQ(TextOf(changed, 0, TB_UTIL, QStringLiteral("Note")), QStringLiteral("n"));
    ASSERT_EQ(m_data.Execute(QStringLiteral("ALTER TABLE Util ADD COLUMN Extra INTEGER DEFAULT 7"), err), 1);
    EXPECT_EQ(TextOf(List(TB_UTIL, QString()), 0, TB_UTIL, QStringLiteral("Extra")), QStringLiteral("7"));

    // A whole statement that reads exactly like a table request names its columns bare, and back.
    const QString whole = QStringLiteral("SELECT * FROM \"Customer\" WHERE ID=1");
    EXPECT_EQ(List(TB_CUSTOMER, QStringLiteral("WHERE ID=1")).GetAt(0)->GetAt(0)->GetName(),
              QStringLiteral("Customer.ID"));
    EXPECT_EQ(List(QString(), whole).GetAt(0)->GetAt(0)->GetName(), QStringLiteral("ID"));
    EXPECT_EQ(List(TB_CUSTOMER, QStringLiteral("WHERE ID=1")).GetAt(0)->GetAt(0)->GetName(),
              QStringLiteral("Customer.ID"));
}

// A folder can hold the database file under two spellings; the exact name is
// the one every other file helper uses, so the connection must open it too.
TEST(DatabasePathTest, ExactNameWinsOverAnotherSpelling)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto touch = [&](const QString& name) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    };
    touch(QStringLiteral("QXSELVO.VRZ"));
    EXPECT_EQ(CMakeMsgID::DatabasePath(dir.path()), dir.filePath(QStringLiteral("QXSELVO.VRZ")));
    touch(QStringLiteral("QXSelvo.vrz"));
    touch(QStringLiteral("qxselvo.vrz"));
    EXPECT_EQ(CMakeMsgID::DatabasePath(dir.path()), dir.filePath(QStringLiteral("QXSelvo.vrz")));
}

// A database made by an earlier build: one index missing, one with fewer
// columns, one the schema has given up. Opening brings the first two to the
// schema's columns and drops the third; while another program writes, it
// opens with the indexes it has (unless a later step cannot be done for the
// connection alone: then it is not used until it can be written).
TEST_F(DatabaseTest, OpeningBringsTheIndexesOfAnOlderDatabaseUpToDate)
{
    m_data.Close();
    const QString path = CMakeMsgID::DatabasePath(Folder());
    const auto exec = [&path](const char* sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    };
    const auto columns = [&path](const char* index) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        QStringList names;
        const QByteArray sql =
            QByteArray("SELECT name FROM pragma_index_info('") + index + "') ORDER BY seqno";
        sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW)
            names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        sqlite3_close(db);
        return names.join(u',');
    };
    const QString header = columns("ix_sales_b_header");
    const QString byItem = columns("ix_sales_b_item");
    ASSERT_FALSE(header.isEmpty());
    ASSERT_FALSE(byItem.isEmpty());
    const QString retired = QStringLiteral("ItemCode,Date,ItemType,Amount,IncludeTax");
    ASSERT_TRUE(EarlierBuilds::CopyTo(EarlierBuilds::kVersion1, Folder()));
    const QStringList customers = EarlierBuilds::Rows(path, "SELECT COUNT(*) FROM Customer");
    ASSERT_EQ(customers.size(), 1);
    exec("DROP INDEX ix_sales_b_item; DROP INDEX ix_sales_b_header;"
         "CREATE INDEX ix_sales_b_header ON Sales_B(HeaderID, LineNo);"
         "CREATE INDEX ix_sales_b_item_date ON Sales_B(ItemCode, Date, ItemType, Amount, IncludeTax)");

    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    QString err;
    EXPECT_EQ(m_data.Open(Folder(), err), EarlierBuilds::ReadsUnwritten(1) ? 1 : CMakeMsgID::kFatal)
        << err.toStdString();
    m_data.Close();
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    EXPECT_EQ(columns("ix_sales_b_header"), QStringLiteral("HeaderID,LineNo"));
    EXPECT_EQ(columns("ix_sales_b_item"), QString());
    EXPECT_EQ(columns("ix_sales_b_item_date"), retired);

    ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
    EXPECT_EQ(columns("ix_sales_b_header"), header);
    EXPECT_EQ(columns("ix_sales_b_item"), byItem);
    EXPECT_EQ(columns("ix_sales_b_item_date"), QString());
    EXPECT_EQ(Count(TB_CUSTOMER), customers.first().toInt());
    if (!EarlierBuilds::ReadsUnwritten(1))
        GTEST_SKIP() << EarlierBuilds::UnwrittenUntested(1);
}

// The check of a whole file moves its bar from 0 to the end, never back,
// and stops when its listener says so: first, or once the check is under
// way but its bar has not moved yet (its listener is asked whether or not
// the bar moved, so a stop is heard where the check ticks nowhere).
TEST_F(DatabaseTest, TheCheckOfAWholeFileTellsItsBarAndStopsWhenAsked)
{
    QString err;
    ASSERT_EQ(m_data.Execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                            "WHERE i < 20000) INSERT INTO Item(ItemCode) SELECT i FROM n"),
                             err),
              1);
    m_data.Close();
    using E = CMakeMsgID::EFileCheck;
    for (const auto& [stopAt, found] : {std::pair{-1, E::Whole}, {0, E::Stopped}, {1, E::Stopped}}) {
        SCOPED_TRACE(stopAt); // the call of the listener that answers false
        QList<int> shown;
        const auto bar = [&, stopAt = stopAt](int done, int total) {
            shown << (total == 1000 ? done : -1);
            return shown.size() - 1 != stopAt;
        };
        EXPECT_EQ(CMakeMsgID::CheckFile(Folder(), err, nullptr, bar), found);
        EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()) && shown.value(0, -1) == 0);
        if (stopAt < 0)
            EXPECT_TRUE(shown.size() > 2 && shown.last() == 1000) << "the bar moves between its ends";
        else
            EXPECT_EQ(shown, QList<int>(stopAt + 1, 0)) << "asked again before the bar moved";
    }
}
