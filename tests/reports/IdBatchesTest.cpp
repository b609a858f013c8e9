#include "reports/ReportData.h"

#include <gtest/gtest.h>

// Requests name at most 250 IDs: the runs keep every ID once, in order, and
// a full last run leaves no empty one behind.
TEST(IdBatches, RunsOfAtMost250InOrder)
{
    const auto ids = [](int from, int count) {
        QList<int> list;
        for (int i = 0; i < count; ++i)
            list << from + i;
        return list;
    };
    const struct {
        int count;
        QList<int> sizes;
    } cases[] = {{0, {}}, {1, {1}}, {250, {250}}, {251, {250, 1}}, {500, {250, 250}}, {613, {250, 250, 113}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        const QStringList batches = IdBatches(ids(1, c.count));
        ASSERT_EQ(batches.size(), c.sizes.size());
        QStringList all;
        for (qsizetype b = 0; b < batches.size(); ++b) {
            const QStringList run = batches[b].split(u',');
            EXPECT_EQ(run.size(), c.sizes[b]);
            all << run;
        }
        QStringList expected;
        for (int id : ids(1, c.count))
            expected << QString::number(id);
        EXPECT_EQ(all, expected);
    }
    EXPECT_EQ(IdBatches({42, -3, 0}), QStringList{QStringLiteral("42,-3,0")});
}
