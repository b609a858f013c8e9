#include "app/OpenProgress.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Schema.h"
#include "platform/ui/FakeUi.h"

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
    QString err;
    ASSERT_EQ(CMakeMsgID::CreateDatabase(path, QDateTime(QDate(2024, 4, 1), QTime(9, 0)), err), 1)
        << err.toStdString();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    QString damage = QStringLiteral("PRAGMA user_version = 1;");
    for (const Schema::IndexSpec& ix : Schema::Indexes())
        damage += QStringLiteral("DROP INDEX \"%1\";").arg(ix.name);
    EXPECT_EQ(sqlite3_exec(db, damage.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    ScopedFakeUi ui;
    CWaitOpenProgress progress;
    CMakeMsgID::SetOpenProgress(&progress);
    CMakeMsgID data;
    EXPECT_EQ(data.Open(dir.path(), err), 1) << err.toStdString();
    CMakeMsgID::SetOpenProgress(nullptr);
    const int parts = int(Schema::Indexes().size()) + 4 + 1;
    QStringList shown{QStringLiteral("Begin %1 %2").arg(kUpdating).arg(parts)};
    for (int i = 1; i <= parts; ++i)
        shown << QStringLiteral("Pos %1").arg(i);
    EXPECT_EQ(ui.Wait().Log(), shown << QStringLiteral("End"));
}
