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

// Names whose 32-bit hashes agree, with ASCII letters folded: the bare
// names "F3498b" and "F778b8", the full names "T.Fbd5a" and "T.Fb6709". A
// search by either finds only the field of that very name.
TEST(Record, NamesSharingAHashAreToldApart)
{
    COneRecord record;
    record.SetField(QStringLiteral("T.F3498b"), 1);
    record.SetField(QStringLiteral("T.Fbd5a"), 2);
    EXPECT_EQ(record.GetOneField(QString(), QStringLiteral("F778b8")), nullptr);
    EXPECT_EQ(record.GetOneField(QStringLiteral("T"), QStringLiteral("FB6709")), nullptr);
    EXPECT_EQ(record.FindField(QStringLiteral("t.fb6709")), nullptr);
    CTb* bare = record.SetField(QStringLiteral("U.F778b8"), 3);
    CTb* full = record.SetField(QStringLiteral("T.Fb6709"), 4);
    EXPECT_EQ(record.GetCount(), 4);
    EXPECT_EQ(record.GetOneField(QString(), QStringLiteral("f778B8")), bare);
    EXPECT_EQ(record.GetOneField(QStringLiteral("t"), QStringLiteral("Fb6709")), full);
    EXPECT_EQ(record.FindField(QStringLiteral("T.FB6709")), full);
    EXPECT_EQ(record.GetOneField(QString(), QStringLiteral("F3498B"))->GetText(), QStringLiteral("1"));
    EXPECT_EQ(record.FindField(QStringLiteral("t.fBD5A"))->GetText(), QStringLiteral("2"));
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

// A record read from the database gets its fields in one block. Removing
// fields, copying the record, appending fields one by one and as a block,
// and moving the record leave every surviving field where it was, with its
// value; the block goes with its last field.
class RecordStorage : public DatabaseTest
{
};

TEST_F(RecordStorage, SurvivingFieldsKeepTheirAddressAndValue)
{
    CCDSData insert;
    insert.m_strTable = QStringLiteral("Customer");
    COneRecord* row = insert.AddNew();
    row->SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("C1"));
    row->SetField(QStringLiteral("Customer.Company"), QStringLiteral("東京商事株式会社"));
    row->SetField(QStringLiteral("Customer.Day"), 20);
    row->SetField(QStringLiteral("Customer.Collect"), CMny(12345, 1));
    row->SetField(QStringLiteral("Customer.Memo"), QString(100, u'メ'));
    QString err;
    ASSERT_EQ(m_data.InsertData(insert, err), 1) << err.toStdString();

    CCDSData read = List(QStringLiteral("Customer"), QStringLiteral("WHERE CustomerCode='C1'"));
    ASSERT_EQ(read.GetCount(), 1);
    COneRecord& record = *read.GetAt(0);
    const int columns = record.GetCount();
    ASSERT_GT(columns, 10);
    for (int i = 1; i < columns; ++i)
        ASSERT_EQ(record.GetAt(i), record.GetAt(0) + i) << i;
    ASSERT_EQ(record.GetAt(0)->GetName(), QStringLiteral("Customer.ID"));
    ASSERT_EQ(record.GetAt(1)->GetName(), QStringLiteral("Customer.CustomerCode"));
    CTb* code = record.GetAt(1);
    CTb* company = record.GetOneField(QStringLiteral("Customer"), QStringLiteral("Company"));
    CTb* day = record.GetOneField(QStringLiteral("Customer"), QStringLiteral("Day"));
    CTb* collect = record.GetOneField(QStringLiteral("Customer"), QStringLiteral("Collect"));
    CTb* memo = record.GetOneField(QStringLiteral("Customer"), QStringLiteral("Memo"));
    ASSERT_TRUE(company && day && collect && memo);
    const auto expectValues = [&] {
        int whole = 0;
        CMny money;
        EXPECT_EQ(code->GetText(), QStringLiteral("C1"));
        EXPECT_EQ(company->GetText(), QStringLiteral("東京商事株式会社"));
        EXPECT_TRUE(day->GetData(whole));
        EXPECT_EQ(whole, 20);
        EXPECT_TRUE(collect->GetData(money));
        EXPECT_EQ(money, CMny(12345, 1));
        EXPECT_EQ(memo->GetText(), QString(100, u'メ'));
    };

    // The first field, one between the kept ones and the last two go.
    ASSERT_TRUE(record.RemoveField(QStringLiteral("Customer"), QStringLiteral("ID")));
    ASSERT_TRUE(record.RemoveField(QString(), QStringLiteral("Section")));
    const QString last = record.GetAt(record.GetCount() - 1)->GetName();
    record.RemoveAt(record.GetCount() - 1);
    record.RemoveAt(record.GetCount() - 1);
    EXPECT_EQ(record.GetCount(), columns - 4);
    EXPECT_EQ(record.GetOneField(QStringLiteral("Customer"), QStringLiteral("ID")), nullptr);
    EXPECT_EQ(record.FindField(last), nullptr);
    EXPECT_EQ(record.GetAt(0), code);
    expectValues();

    // A copy has fields of its own, in order, with the same names and values.
    COneRecord copy(record);
    ASSERT_EQ(copy.GetCount(), record.GetCount());
    for (int i = 0; i < copy.GetCount(); ++i) {
        EXPECT_NE(copy.GetAt(i), record.GetAt(i));
        EXPECT_EQ(copy.GetAt(i)->GetName(), record.GetAt(i)->GetName());
        EXPECT_EQ(copy.GetAt(i)->GetType(), record.GetAt(i)->GetType());
        EXPECT_EQ(copy.GetAt(i)->GetText(), record.GetAt(i)->GetText());
        EXPECT_EQ(copy.GetAt(i)->IsNull(), record.GetAt(i)->IsNull());
    }
    copy.SetField(QStringLiteral("Customer.Company"), QStringLiteral("changed"));

    // Appending one by one and as a block moves nothing.
    for (int i = 0; i < 64; ++i)
        record.SetField(QStringLiteral("Extra%1").arg(i), i);
    CTb* added = record.AddFields(16);
    ASSERT_TRUE(added);
    added[15].SetName(QStringLiteral("Tail"));
    added[15] = QStringLiteral("end");
    EXPECT_EQ(record.GetCount(), columns - 4 + 64 + 16);
    EXPECT_EQ(record.GetOneField(QStringLiteral("Customer"), QStringLiteral("CustomerCode")), code);
    EXPECT_EQ(record.GetOneField(QString(), QStringLiteral("Memo")), memo);
    EXPECT_EQ(record.FindField(QStringLiteral("Tail")), &added[15]);
    expectValues();

    // Copying over an existing record and moving the record.
    copy = record;
    EXPECT_EQ(copy.GetCount(), record.GetCount());
    EXPECT_EQ(copy.GetOneField(QString(), QStringLiteral("Company"))->GetText(), company->GetText());
    EXPECT_EQ(copy.FindField(QStringLiteral("Extra63"))->GetText(), QStringLiteral("63"));
    COneRecord moved = std::move(record);
    EXPECT_EQ(moved.GetAt(0), code);
    EXPECT_EQ(moved.FindField(QStringLiteral("Tail")), &added[15]);
    expectValues();

    // All of the read block but the code: the code stays; then the code too.
    for (int i = 0; i < columns - 5; ++i)
        moved.RemoveAt(1);
    ASSERT_EQ(moved.GetCount(), 1 + 64 + 16);
    EXPECT_EQ(moved.GetAt(0), code);
    EXPECT_EQ(code->GetText(), QStringLiteral("C1"));
    moved.RemoveAt(0);
    EXPECT_EQ(moved.GetOneField(QString(), QStringLiteral("CustomerCode")), nullptr);
    EXPECT_EQ(moved.GetAt(0)->GetName(), QStringLiteral("Extra0"));
    EXPECT_EQ(moved.FindField(QStringLiteral("Tail"))->GetText(), QStringLiteral("end"));
    // The copies never shared a field with the original.
    EXPECT_EQ(copy.GetAt(0)->GetText(), QStringLiteral("C1"));
    moved.Clear();
    EXPECT_EQ(copy.FindField(QStringLiteral("Customer.Memo"))->GetText(), QString(100, u'メ'));
}

// Equal texts read together share one copy, near or far apart; a field
// given a new value, emptied or copied leaves the others' value alone.
TEST_F(RecordStorage, EqualTextsShareOneCopyAndChangeAlone)
{
    CCDSData insert;
    insert.m_strTable = QStringLiteral("Customer");
    const QStringList companies{QStringLiteral("東京商事"), QStringLiteral("大阪物産"),
                                QStringLiteral("東京商事"), QStringLiteral("東京商事")};
    for (int i = 0; i < companies.size(); ++i) {
        COneRecord* row = insert.AddNew();
        row->SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("T%1").arg(i));
        row->SetField(QStringLiteral("Customer.Company"), companies[i]);
    }
    QString err;
    ASSERT_EQ(m_data.InsertData(insert, err), 1) << err.toStdString();
    CCDSData read = List(QStringLiteral("Customer"),
                         QStringLiteral("WHERE CustomerCode LIKE 'T%' ORDER BY CustomerCode"));
    ASSERT_EQ(read.GetCount(), 4);
    const auto company = [&read](int row) {
        return read.GetAt(row)->GetOneField(QStringLiteral("Customer"), QStringLiteral("Company"));
    };
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(company(row)->GetText(), companies[row]) << row;
    EXPECT_EQ(company(0)->GetText().constData(), company(2)->GetText().constData());
    EXPECT_EQ(company(0)->GetText().constData(), company(3)->GetText().constData());

    const CTb kept = *company(2);
    *company(0) = QStringLiteral("名古屋");
    company(3)->SetNull();
    read.GetAt(2)->SetField(QStringLiteral("Customer.Company"), *company(1));
    EXPECT_EQ(company(0)->GetText(), QStringLiteral("名古屋"));
    EXPECT_EQ(company(1)->GetText(), QStringLiteral("大阪物産"));
    EXPECT_TRUE(company(3)->IsNull());
    EXPECT_EQ(kept.GetText(), QStringLiteral("東京商事"));
    read.RemoveAt(2);
    EXPECT_EQ(kept.GetText(), QStringLiteral("東京商事"));
}

// A long result shares its texts in every way it can (a text repeated far
// apart, the same text on the next row, a column whose texts never repeat):
// each field keeps its value whichever records go first, and a read that
// fails part way leaves the records read before it as they were.
TEST_F(RecordStorage, SharedTextsOfALongResultOutliveEachOtherInAnyOrder)
{
    constexpr int kRows = 3000;
    const auto company = [](int i) { return QStringLiteral("商事%1").arg(i % 40); };
    const auto section = [](int i) { return QStringLiteral("課%1").arg(i / 3); };
    CCDSData insert;
    insert.m_strTable = QStringLiteral("Customer");
    for (int i = 0; i < kRows; ++i) {
        COneRecord* row = insert.AddNew();
        row->SetField(QStringLiteral("Customer.CustomerCode"),
                      QStringLiteral("T%1").arg(i, 5, 10, QChar(u'0')));
        row->SetField(QStringLiteral("Customer.Company"), company(i));
        row->SetField(QStringLiteral("Customer.Section"), section(i));
        row->SetField(QStringLiteral("Customer.Name"), i % 7 ? QStringLiteral("担当") : QString());
    }
    QString err;
    ASSERT_EQ(m_data.InsertData(insert, err), 1) << err.toStdString();

    const QString condition = QStringLiteral("WHERE CustomerCode LIKE 'T%' ORDER BY CustomerCode");
    const auto expectRow = [&](const COneRecord* row, int i) {
        const auto text = [row](const char* field) {
            return row->GetOneField(QStringLiteral("Customer"), QString::fromLatin1(field))->GetText();
        };
        EXPECT_EQ(text("CustomerCode"), QStringLiteral("T%1").arg(i, 5, 10, QChar(u'0')));
        EXPECT_EQ(text("Company"), company(i));
        EXPECT_EQ(text("Section"), section(i));
        EXPECT_EQ(text("Name"), i % 7 ? QStringLiteral("担当") : QString());
    };
    CTb kept;
    {
        CCDSData read = List(QStringLiteral("Customer"), condition);
        ASSERT_EQ(read.GetCount(), kRows);
        kept = *read.GetAt(kRows - 1)->GetOneField(QStringLiteral("Customer"), QStringLiteral("Company"));
        for (int i = kRows - 1; i >= 0; i -= 2)
            read.RemoveAt(i);
        ASSERT_EQ(read.GetCount(), kRows / 2);
        for (int i = 0; i < read.GetCount(); ++i)
            expectRow(read.GetAt(i), 2 * i);
        // The rest goes from the first record on.
        while (read.GetCount() > 1)
            read.RemoveAt(0);
        expectRow(read.GetAt(0), kRows - 2);
    }
    EXPECT_EQ(kept.GetText(), company(kRows - 1));

    // The value of one row overflows, so the read fails after two thousand rows.
    CCDSData request,
        result = List(QStringLiteral("Customer"), QStringLiteral("WHERE CustomerCode = 'T00039'"));
    ASSERT_EQ(result.GetCount(), 1);
    request.m_strCondition =
        QStringLiteral("SELECT Company, Section, Name, CustomerCode, iif(CustomerCode = 'T02000', "
                       "abs(-9223372036854775807 - 1), 0) AS Failing FROM Customer ") %
        condition;
    EXPECT_NE(m_data.GetDataList(request, result, err), 1);
    ASSERT_EQ(result.GetCount(), 1);
    expectRow(result.GetAt(0), 39);
}

// Texts read from the database, short ASCII ones kept in the field itself
// and the others shared: each reads as every type exactly as the same text
// given to a field does, and copies, moves and new values leave the others
// alone whichever kind either side holds.
TEST_F(RecordStorage, ShortAndLongTextsReadAndCopyAlike)
{
    const QStringList texts{QStringLiteral("12345678"), QStringLiteral("123456789"), QStringLiteral("-12.5"),
                            QStringLiteral("2004-7-8"), QStringLiteral("a\tb c"),    QStringLiteral("様"),
                            QStringLiteral("0"),        QStringLiteral("C01530"),    QString()};
    CCDSData insert;
    insert.m_strTable = QStringLiteral("Customer");
    for (int i = 0; i < texts.size(); ++i) {
        COneRecord* row = insert.AddNew();
        row->SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("Z%1").arg(i));
        row->SetField(QStringLiteral("Customer.Company"), texts[i]);
    }
    QString err;
    ASSERT_EQ(m_data.InsertData(insert, err), 1) << err.toStdString();
    CCDSData read =
        List(QStringLiteral("Customer"), QStringLiteral("WHERE CustomerCode LIKE 'Z%' ORDER BY ID"));
    ASSERT_EQ(read.GetCount(), texts.size());

    std::vector<CTb> copies;
    for (int i = 0; i < texts.size(); ++i) {
        const CTb* field = read.GetAt(i)->GetOneField(QStringLiteral("Customer"), QStringLiteral("Company"));
        ASSERT_TRUE(field);
        CTb given(QStringLiteral("Customer.Company"));
        given = texts[i];
        const QString what = texts[i];
        EXPECT_EQ(field->GetType(), CTb::kText) << qPrintable(what);
        EXPECT_FALSE(field->IsNull()) << qPrintable(what);
        EXPECT_EQ(field->GetText(), texts[i]) << qPrintable(what);
        int whole = -1, givenWhole = -1;
        EXPECT_EQ(field->GetData(whole), given.GetData(givenWhole)) << qPrintable(what);
        EXPECT_EQ(whole, givenWhole) << qPrintable(what);
        CMny money, givenMoney;
        EXPECT_EQ(field->GetData(money), given.GetData(givenMoney)) << qPrintable(what);
        EXPECT_EQ(money, givenMoney) << qPrintable(what);
        QDate date, givenDate;
        EXPECT_EQ(field->GetData(date), given.GetData(givenDate)) << qPrintable(what);
        EXPECT_EQ(date, givenDate) << qPrintable(what);
        copies.push_back(*field);
    }
    // New values over the read fields, in turn long, short and none.
    for (int i = 0; i < read.GetCount(); ++i) {
        CTb* field = read.GetAt(i)->GetOneField(QStringLiteral("Customer"), QStringLiteral("Company"));
        *field = copies[size_t((i + 1) % copies.size())];
        *field = QStringLiteral("長い名前の会社");
        *field = copies[size_t(i)];
        field->SetNull();
        CTb moved = std::move(copies[size_t(i)]);
        copies[size_t(i)] = moved;
    }
    read.RemoveAll();
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(copies[size_t(i)].GetText(), texts[i]) << i;
}

// Dates keep their day and time of day together in one value: each reads
// back as it was given, also before the calendar's epoch and at midnight.
TEST(Record, DatesWithAndWithoutTimeReadBackAsGiven)
{
    struct Case {
        QDate date;
        int msecs;        // -1: a plain date
        const char* text; // null: as the locale writes far years
    };
    const Case cases[] = {
        {QDate(2024, 3, 31), -1, "2024/03/31"},
        {QDate(2024, 3, 31), 0, "2024/03/31 00:00:00"},
        {QDate(2024, 3, 31), 86399000, "2024/03/31 23:59:59"},
        {QDate(1000, 1, 1), 45296000, "1000/01/01 12:34:56"},
        {QDate(-4713, 1, 1), 1000, nullptr},
        {QDate(-20000, 6, 1), 3600000, nullptr},
    };
    for (const Case& c : cases) {
        CTb field(QStringLiteral("Sales_H.Date"));
        if (c.msecs < 0)
            field = c.date;
        else
            field = QDateTime(c.date, QTime::fromMSecsSinceStartOfDay(c.msecs));
        const QString name = c.date.toString(Qt::ISODate);
        EXPECT_EQ(field.HasTime(), c.msecs >= 0) << qPrintable(name);
        if (c.text) {
            EXPECT_EQ(field.GetText(), QString::fromUtf8(c.text));
        }
        QDateTime back;
        ASSERT_TRUE(field.GetData(back)) << qPrintable(name);
        EXPECT_EQ(back.date(), c.date) << qPrintable(name);
        EXPECT_EQ(back.time().msecsSinceStartOfDay(), std::max(c.msecs, 0)) << qPrintable(name);
        const CTb copy = field;
        QDate day;
        ASSERT_TRUE(copy.GetData(day));
        EXPECT_EQ(day, c.date) << qPrintable(name);
    }
}

TEST(SqlText, LiteralsForMoneyDatesQuotesAndLike)
{
    EXPECT_EQ(SqlMoney(CMny(12345, 1)), QStringLiteral("12345000"));
    EXPECT_EQ(SqlMoney(CMny(123455, 5)), QStringLiteral("12346"));     // half up beyond 4 decimals
    EXPECT_EQ(SqlMoney(CMny(-123455, 5)), QStringLiteral("(-12346)")); // on the magnitude; bracketed
    CMny invalid;
    invalid.SetInvalid();
    EXPECT_EQ(SqlMoney(invalid), QStringLiteral("NULL"));

    EXPECT_EQ(SqlDate(QDate(2004, 7, 4)), QStringLiteral("'2004-07-04'"));
    EXPECT_EQ(SqlDate(QDateTime(QDate(2004, 12, 31), QTime(23, 59))), QStringLiteral("'2004-12-31'"));
    EXPECT_EQ(SqlDate(QDate()), QStringLiteral("NULL"));

    EXPECT_EQ(SqlQuote(QStringLiteral("O'Brien's")), QStringLiteral("O''Brien''s"));
    EXPECT_EQ(SqlLikeEscape(QStringLiteral("50%_a\\b[1]#")), QStringLiteral("50\\%\\_a\\\\b[1]#"));
}
