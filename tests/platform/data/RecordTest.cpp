#include "DataTestUtil.h"

#include "platform/data/Record.h"
#include "platform/data/SqlText.h"

#include <gtest/gtest.h>

TEST(Record, FieldReadsEachTypeAsTheOthers)
{
    CTb money(QStringLiteral("Customer.Collect"));
    money = CMny(12345000, 4);
    EXPECT_EQ(money.GetType(), CTb::kMoney);
    EXPECT_EQ(money.GetText(), QStringLiteral("1234.5"));
    int whole = 0;
    EXPECT_TRUE(money.GetData(whole));
    EXPECT_EQ(whole, 1234);
    money = CMny(-15, 1); // whole yen: truncated toward zero
    EXPECT_TRUE(money.GetData(whole));
    EXPECT_EQ(whole, -1);

    CTb number(QStringLiteral("CloseID"));
    number = 123;
    EXPECT_EQ(number.GetText(), QStringLiteral("123"));
    CMny asMoney;
    EXPECT_TRUE(number.GetData(asMoney));
    EXPECT_EQ(asMoney, CMny(123));

    CTb day(QStringLiteral("Date"));
    day = QDate(2004, 7, 8);
    EXPECT_EQ(day.GetText(), QStringLiteral("2004/07/08"));
    EXPECT_FALSE(day.HasTime());
    day = QDateTime(QDate(2004, 7, 8), QTime(13, 5, 9));
    EXPECT_EQ(day.GetText(), QStringLiteral("2004/07/08 13:05:09"));
    EXPECT_FALSE(day.GetData(whole));

    CTb text(QStringLiteral("X"));
    text = QStringLiteral("2004-07-08");
    QDate date;
    EXPECT_TRUE(text.GetData(date));
    EXPECT_EQ(date, QDate(2004, 7, 8));
    text = QStringLiteral("2004/7/8 10:20");
    QDateTime dateTime;
    EXPECT_TRUE(text.GetData(dateTime));
    EXPECT_EQ(dateTime, QDateTime(QDate(2004, 7, 8), QTime(10, 20)));
    text = QStringLiteral("2004/02/30");
    EXPECT_FALSE(text.GetData(date));
    EXPECT_FALSE(date.isValid());
    text = QStringLiteral(" -12.25 ");
    EXPECT_TRUE(text.GetData(asMoney));
    EXPECT_EQ(asMoney, CMny(-1225, 2));
    text = QStringLiteral("12abc");
    EXPECT_FALSE(text.GetData(asMoney));
    EXPECT_FALSE(text.GetData(whole));
}

TEST(Record, NoValueIsNotAnEmptyText)
{
    CTb field(QStringLiteral("Customer.Memo"));
    EXPECT_TRUE(field.IsNull());
    field = QString();
    EXPECT_FALSE(field.IsNull());
    EXPECT_EQ(field.GetText(), QString());
    field.SetNull();
    EXPECT_TRUE(field.IsNull());
    QString text = QStringLiteral("old");
    EXPECT_FALSE(field.GetData(text));
    EXPECT_TRUE(text.isEmpty());
    field = QDate(); // an invalid date is a date without value
    EXPECT_EQ(field.GetType(), CTb::kDate);
    EXPECT_TRUE(field.IsNull());
    CMny invalid;
    invalid.SetInvalid();
    field = invalid;
    EXPECT_EQ(field.GetType(), CTb::kMoney);
    EXPECT_TRUE(field.IsNull());
}

TEST(Record, FieldsAreFoundByFullOrBareNameAndReplacedNotAppended)
{
    COneRecord record;
    record.SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("C1"));
    CTb* company = record.SetField(QStringLiteral("Customer.Company"), QStringLiteral("Old"));
    record.SetField(QStringLiteral("Ｄａｙ"), 5);

    EXPECT_EQ(record.GetOneField(QStringLiteral("customer"), QStringLiteral("COMPANY")), company);
    EXPECT_EQ(record.GetOneField(QString(), QStringLiteral("Company")), company);
    EXPECT_EQ(record.GetOneField(QString(), QStringLiteral("Customer.Company")), nullptr);
    EXPECT_EQ(record.GetOneField(QStringLiteral("Item"), QStringLiteral("Company")), nullptr);
    // Only ASCII letters fold: full-width letters stay distinct.
    EXPECT_EQ(record.GetOneField(QString(), QStringLiteral("ｄａｙ")), nullptr);
    EXPECT_NE(record.GetOneField(QString(), QStringLiteral("Ｄａｙ")), nullptr);

    // Setting an existing field keeps its place and address; pointers survive appends.
    EXPECT_EQ(record.SetField(QStringLiteral("CUSTOMER.company"), CMny(5)), company);
    for (int i = 0; i < 100; ++i)
        record.SetField(QStringLiteral("F%1").arg(i), i);
    EXPECT_EQ(record.GetCount(), 103);
    EXPECT_EQ(record.GetAt(1), company);
    EXPECT_EQ(company->GetName(), QStringLiteral("Customer.Company"));
    EXPECT_EQ(company->GetType(), CTb::kMoney);

    // A copied value keeps the target's name; a copied field is a whole copy.
    CTb value(QStringLiteral("Other.Name"));
    value = QStringLiteral("New");
    record.SetField(QStringLiteral("Customer.Company"), value);
    EXPECT_EQ(company->GetName(), QStringLiteral("Customer.Company"));
    EXPECT_EQ(company->GetText(), QStringLiteral("New"));
    CTb whole = value;
    EXPECT_EQ(whole.GetName(), QStringLiteral("Other.Name"));

    EXPECT_TRUE(record.RemoveField(QString(), QStringLiteral("CustomerCode")));
    EXPECT_FALSE(record.RemoveField(QString(), QStringLiteral("CustomerCode")));
    EXPECT_EQ(record.GetAt(0), company);
}

TEST(Record, SetsCopyDeeplyAndClearForReuse)
{
    CCDSData set;
    set.m_strTable = QStringLiteral("Customer");
    set.m_strCondition = QStringLiteral("WHERE Day=5");
    set.AddNew()->SetField(QStringLiteral("Customer.Name"), QStringLiteral("A"));
    set.AddNew()->SetField(QStringLiteral("Customer.Name"), QStringLiteral("B"));

    CCDSData copy;
    copy.Copy(set);
    copy.GetAt(0)->SetField(QStringLiteral("Customer.Name"), QStringLiteral("changed"));
    EXPECT_EQ(set.GetAt(0)->GetOneField(QString(), QStringLiteral("Name"))->GetText(), QStringLiteral("A"));
    EXPECT_EQ(copy.m_strCondition, set.m_strCondition);

    std::unique_ptr<COneRecord> taken = set.TakeAt(0);
    EXPECT_EQ(taken->GetOneField(QString(), QStringLiteral("Name"))->GetText(), QStringLiteral("A"));
    EXPECT_EQ(set.GetCount(), 1);
    set.Clear();
    EXPECT_EQ(set.GetCount(), 0);
    EXPECT_TRUE(set.m_strTable.isEmpty());
    EXPECT_TRUE(set.m_strCondition.isEmpty());
}

TEST(SqlText, LiteralsForMoneyDatesQuotesAndLike)
{
    EXPECT_EQ(SqlMoney(CMny(12345, 1)), QStringLiteral("12345000"));
    EXPECT_EQ(SqlMoney(CMny(123455, 5)), QStringLiteral("12346"));   // half up beyond 4 decimals
    EXPECT_EQ(SqlMoney(CMny(-123455, 5)), QStringLiteral("-12346")); // on the magnitude
    CMny invalid;
    invalid.SetInvalid();
    EXPECT_EQ(SqlMoney(invalid), QStringLiteral("NULL"));

    EXPECT_EQ(SqlDate(QDate(2004, 7, 4)), QStringLiteral("'2004-07-04'"));
    EXPECT_EQ(SqlDate(QDateTime(QDate(2004, 12, 31), QTime(23, 59))), QStringLiteral("'2004-12-31'"));
    EXPECT_EQ(SqlDate(QDate()), QStringLiteral("NULL"));

    EXPECT_EQ(SqlQuote(QStringLiteral("O'Brien's")), QStringLiteral("O''Brien''s"));
    EXPECT_EQ(SqlLikeEscape(QStringLiteral("50%_a\\b[1]#")), QStringLiteral("50\\%\\_a\\\\b[1]#"));
}
