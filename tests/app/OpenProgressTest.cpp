#include "app/OpenProgress.h"
#include "platform/data/MakeMsgID.h"
#include "platform/ui/FakeUi.h"
#include "support/EarlierBuilds.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace
{

const QString kUpdating =
    QStringLiteral("データベースを新しい形式に更新しています。\nしばらくお待ちください。");

} // namespace

// A file of the first version without any index, opened by the program:
// the bar counts every index made (the four partner indexes twice: with the
// closing, as version 2 had them, and without it) and the step that makes
// none, a position each, up to its end, and closes.
TEST(OpenProgressTest, AFirstVersionFileMovesTheBarWithEachIndex)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = CMakeMsgID::DatabasePath(dir.path());
    ASSERT_TRUE(EarlierBuilds::CopyTo(EarlierBuilds::kBeforeBalances, dir.path()));
    ASSERT_TRUE(EarlierBuilds::OnFile(path, EarlierBuilds::WithoutIndexes(path)));
    QString err;

    ScopedFakeUi ui;
    CWaitOpenProgress progress;
    CMakeMsgID::SetOpenProgress(&progress);
    CMakeMsgID data;
    EXPECT_EQ(data.Open(dir.path(), err), 1) << err.toStdString();
    CMakeMsgID::SetOpenProgress(nullptr);
    // The indexes of version 2 (as the build of version 3 holds them), the
    // four again, the step to the balances, and what the steps after
    // version 4 do.
    const int parts = EarlierBuilds::IndexCount(EarlierBuilds::kVersion3) + 4 + 1 +
                      EarlierBuilds::WorkOf(EarlierBuilds::kVersion4).parts;
    QStringList shown{QStringLiteral("Begin %1 %2").arg(kUpdating).arg(parts)};
    for (int i = 1; i <= parts; ++i)
        shown << QStringLiteral("Pos %1").arg(i);
    EXPECT_EQ(ui.Wait().Log(), shown << QStringLiteral("End"));
}
