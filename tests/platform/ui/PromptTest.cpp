#include "platform/ui/Prompt.h"

#include <gtest/gtest.h>

TEST(QtFileFilter, TurnsPipeFiltersIntoQtNameFilters)
{
    EXPECT_EQ(
        QtFileFilter(QStringLiteral(u"Corvanta／販売ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ(*.vrb)|*.vrb|すべてのﾌｧｲﾙ(*.*)|*.*||")),
        QStringLiteral(u"Corvanta／販売ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙ (*.vrb);;すべてのﾌｧｲﾙ (*.*)"));
    // Several patterns are separated by ';' in the pipe form, by spaces in Qt's.
    EXPECT_EQ(QtFileFilter(QStringLiteral(u"テキスト|*.csv;*.txt|")),
              QStringLiteral(u"テキスト (*.csv *.txt)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("Excel (*.xls; *.xlsx)|*.xls; *.xlsx||")),
              QStringLiteral("Excel (*.xls *.xlsx)"));
    EXPECT_EQ(QtFileFilter(QString()), QString());
    // A trailing description without patterns is dropped, not shown as "(null)".
    EXPECT_EQ(QtFileFilter(QStringLiteral("A|*.a|B")), QStringLiteral("A (*.a)"));
}
