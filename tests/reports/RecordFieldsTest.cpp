#include "reports/RecordFields.h"
#include "platform/data/Record.h"

#include <gtest/gtest.h>

// The report views read list rows through these: a row without the field, a
// field without a value and a text that is no number must all read as empty or
// zero, never as a stale value.
TEST(RecordFields, EveryReaderOnPresentMissingEmptyAndUnreadableFields)
{
    COneRecord record;
    record.SetField(Q("ID"), 42);
    record.SetField(Q("金額"), CMny(123456, 1));
    record.SetField(Q("Code"), Q("A-01"));
    record.SetField(Q("Count"), Q("17"));
    record.SetField(Q("Day"), QDate(2026, 3, 31));
    record.SetField(Q("Note"), CMny(5))->SetNull();
    record.SetField(Q("Bank_H.ID"), 9);

    const struct {
        const char* name;
        QString text;
        int whole;
        CMny money;
        QDate date;
    } rows[] = {
        {"ID", Q("42"), 42, CMny(42), QDate()},
        {"金額", Q("12345.6"), 12345, CMny(123456, 1), QDate()},
        {"Code", Q("A-01"), 0, CMny(0), QDate()},
        {"Count", Q("17"), 17, CMny(17), QDate()},
        {"Day", Q("2026/03/31"), 0, CMny(0), QDate(2026, 3, 31)},
        {"Note", QString(), 0, CMny(0), QDate()},
        {"Missing", QString(), 0, CMny(0), QDate()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(TextOf(&record, row.name), row.text);
        EXPECT_EQ(TextOf(&record, Q(row.name)), row.text);
        EXPECT_EQ(IntOf(&record, row.name), row.whole);
        EXPECT_TRUE(MoneyOf(&record, row.name) == row.money) << MoneyOf(&record, row.name).GetValue();
        EXPECT_EQ(DateOf(&record, row.name), row.date);
        EXPECT_EQ(TextOf(nullptr, row.name), QString());
        EXPECT_EQ(IntOf(static_cast<const COneRecord*>(nullptr), row.name), 0);
    }
    // A table's field answers only under its table; the default stands in for
    // a missing or unreadable one.
    EXPECT_EQ(IntOf(Field(&record, Q("Bank_H"), "ID")), 9);
    EXPECT_EQ(IntOf(Field(&record, Q("Bank_H"), "Code"), -1), -1);
    EXPECT_EQ(IntOf(Field(&record, "Code"), -1), -1);
    EXPECT_EQ(IntOf(Field(&record, "Count"), -1), 17);
}
