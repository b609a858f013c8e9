#include "platform/data/MakeMsgID.h"
#include "platform/data/Schema.h"
#include "platform/ui/FakeUi.h"
#include "settings/db/DbFiles.h"
#include "settings/db/OpenProgress.h"
#include "support/EarlierBuilds.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace
{

int FileVersion(const QString& folder)
{
    return EarlierBuilds::Rows(CMakeMsgID::DatabasePath(folder), "PRAGMA user_version").value(0).toInt();
}

} // namespace

// Each check of the database administration that opens a file of an earlier
// build brings it up to date under the wait dialog, its bar a position for
// each part of the work, which closes again; the same check of the file
// then up to date shows nothing.
TEST(OpenUnderWaitTest, EachCheckThatOpensAnEarlierBuildsFileShowsTheWaitDialog)
{
    const struct {
        const char* what;
        std::function<bool(const QString& folder)> check;
    } cases[] = {
        {"a database about to be made current", OpensUnderWait},
        {"a database about to be backed up or copied", CheckDatabaseFile},
        {"a restore's file checked whole",
         [](const QString& folder) {
             CWaitOpenProgress progress;
             QString err;
             return CMakeMsgID::CheckFile(folder, err, &progress) == CMakeMsgID::EFileCheck::Whole;
         }},
    };
    const QRegularExpression begun(
        QStringLiteral("^Begin %1 (\\d+)$").arg(QRegularExpression::escape(kWaitUpdating)));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(EarlierBuilds::CopyTo(EarlierBuilds::kVersion3, dir.path()));
        ASSERT_EQ(FileVersion(dir.path()), 3);

        ScopedFakeUi ui;
        EXPECT_TRUE(c.check(dir.path()));
        const QStringList log = ui.Wait().Log();
        const QRegularExpressionMatch match = begun.match(log.value(0));
        ASSERT_TRUE(match.hasMatch()) << log.join(u'|').toStdString();
        const int parts = match.captured(1).toInt();
        ASSERT_GT(parts, 0);
        QStringList shown{log[0]};
        for (int i = 1; i <= parts; ++i)
            shown << QStringLiteral("Pos %1").arg(i);
        EXPECT_EQ(log, shown << QStringLiteral("End")) << log.join(u'|').toStdString();
        EXPECT_EQ(ui.Wait().Depth(), 0);
        EXPECT_EQ(FileVersion(dir.path()), Schema::Version());

        EXPECT_TRUE(c.check(dir.path()));
        EXPECT_EQ(ui.Wait().Log(), shown) << "the file up to date";
    }
}
