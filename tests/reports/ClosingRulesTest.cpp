#include "reports/CloseInvoiceDlg.h"
#include "reports/ClosingController.h"

#include <QDate>
#include <QString>

#include <gtest/gtest.h>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

// Collection dates, the closing-day list and the date the options form.
TEST(ClosingRules, CollectDatesAndClosingDays)
{
    struct Case {
        QDate base;
        int cycle, day;
        QDate expected;
    } const cases[] = {
        {{2004, 5, 20}, 1, 10, {2004, 6, 10}},  {{2004, 5, 20}, 1, 25, {2004, 5, 25}},
        {{2004, 5, 20}, 2, 99, {2004, 6, 30}},  {{2004, 5, 20}, 0, 15, {2004, 6, 4}},
        {{2004, 3, 31}, 2, 31, {2004, 4, 30}},  {{2004, 12, 25}, 1, 10, {2005, 1, 10}},
        {{2004, 11, 30}, 3, 99, {2005, 1, 31}}, {{2004, 5, 20}, 14, 10, {2005, 6, 10}},
        {{2003, 12, 31}, 3, 29, {2004, 2, 29}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CClosingController::CalcCollectDate(c.base, c.cycle, c.day), c.expected)
            << c.base.toString().toStdString() << " " << c.cycle << " " << c.day;

    EXPECT_EQ(CCloseInvoiceRules::DayText(0), U("月末締"));
    EXPECT_EQ(CCloseInvoiceRules::DayText(5), U("25日締"));
    EXPECT_EQ(CCloseInvoiceRules::DayText(6), U("1日締"));
    EXPECT_EQ(CCloseInvoiceRules::DayText(31), U("31日締"));
    for (int i = 0; i < CCloseInvoiceRules::kDayCount; ++i)
        EXPECT_EQ(CCloseInvoiceRules::IndexOfDay(CCloseInvoiceRules::DayOfIndex(i)), i);
    EXPECT_EQ(CCloseInvoiceRules::IndexOfSetting(U("5")), 1);
    EXPECT_EQ(CCloseInvoiceRules::IndexOfSetting(U("99")), 0);
    EXPECT_EQ(CCloseInvoiceRules::IndexOfSetting(U("abc")), 0);
    EXPECT_EQ(CCloseInvoiceRules::DayOfIndex(40), 99);

    struct Form {
        int option, index;
        QDate month, upTo;
        bool ok;
        QDate date;
        int day;
    } const forms[] = {
        {0, 0, {2024, 2, 1}, {}, true, {2024, 2, 29}, 99},
        {0, 0, {2100, 2, 1}, {}, true, {2100, 2, 28}, 99},
        {0, 0, {2000, 2, 1}, {}, true, {2000, 2, 29}, 99},
        {0, 31, {2004, 4, 1}, {}, false, {}, 0},
        {0, 5, {2004, 4, 1}, {}, true, {2004, 4, 25}, 25},
        {1, 5, {2004, 4, 1}, {2004, 4, 12}, true, {2004, 4, 12}, 0},
    };
    for (const Form& f : forms) {
        CCloseInvoiceRules rules;
        rules.m_nOption = f.option;
        rules.m_nDayIndex = f.index;
        rules.m_dtMonth = f.month;
        rules.m_dtUpTo = f.upTo;
        QDate date;
        int day = -1;
        EXPECT_EQ(rules.Form(date, day), f.ok) << f.month.toString().toStdString();
        if (f.ok) {
            EXPECT_EQ(date, f.date);
            EXPECT_EQ(day, f.day);
        }
    }
}
