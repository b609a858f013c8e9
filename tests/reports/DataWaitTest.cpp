#include "platform/data/ClosingService.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"
#include "platform/ui/FakeUi.h"
#include "reports/ReportData.h"
#include "settings/db/OpenProgress.h"
#include "support/EarlierBuilds.h"
#include "support/StatementWatch.h"
#include "support/WriterWait.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace
{

// Whatever the object's listener hears, counted.
class CCountedProgress : public IDataProgress
{
  public:
    void UpgradeBegins(int, int) override { ++heard; }
    void UpgradePartsDone(int, int) override { ++heard; }
    void UpgradeStepDone() override { ++heard; }
    void UpgradeEnds() override { ++heard; }
    void CallStepsDone(int, int) override { ++heard; }
    void StatementRuns() override { ++heard; }
    void WaitingForWriter() override { ++heard; }

    int heard = 0;
};

} // namespace

// A file of an earlier build (version 3) that another program wrote to
// through its opening has its steps pending: the undo of a closing under the
// wait dialog takes them first. They show in the same dialog under their own
// text, the undo's text and bar come back after them, and the dialog stays
// up through the whole undo (the steps' end is not the span's) until the
// span ends, when the object's own listener is heard again.
TEST(DataWaitTest, StepsTakenByTheSpansFirstWriteShowInItsDialogAndLeaveItUp)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = CMakeMsgID::DatabasePath(dir.path());
    ASSERT_TRUE(EarlierBuilds::CopyTo(EarlierBuilds::kVersion3, dir.path()));
    CMakeMsgID db;
    QString err;
    {
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        const CScopedWriterWait noWait(0);
        const int opened = db.Open(dir.path(), err);
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        if (!EarlierBuilds::ReadsUnwritten(3)) {
            // A step due cannot be done for the connection alone: nothing
            // is left pending, the file is not used while the lock is held.
            EXPECT_EQ(opened, CMakeMsgID::kFatal);
            GTEST_SKIP() << EarlierBuilds::UnwrittenUntested(3);
        }
        ASSERT_EQ(opened, 1) << err.toStdString();
    }
    ASSERT_TRUE(db.AreBalancesPending());
    CCDSData request, latest;
    request.m_strCondition = QStringLiteral("SELECT MAX(ID) FROM Sales_Close");
    ASSERT_EQ(db.GetDataList(request, latest, err), 1) << err.toStdString();
    ASSERT_EQ(latest.GetCount(), 1);
    int closing = 0;
    ASSERT_TRUE(latest.GetAt(0)->GetAt(0)->GetData(closing));
    ASSERT_GT(closing, 0);

    CCountedProgress own;
    db.SetProgress(&own);
    ScopedFakeUi ui;
    CStatementWatch watch(db.Handle(), ui.Wait());
    CClosingRefusal undone;
    {
        CDataWait wait(db, kWaitUndoingClosings);
        undone = CClosingService(db).Undo(CTradeSide::Of(false), {closing});
        EXPECT_EQ(ui.Wait().Depth(), 1);
        wait.Dismiss();
        EXPECT_EQ(ui.Wait().Depth(), 0);
    }
    EXPECT_TRUE(undone.IsDone()) << undone.text.toStdString();
    EXPECT_FALSE(db.AreBalancesPending());
    EXPECT_FALSE(watch.callerStalled);
    EXPECT_EQ(own.heard, 0);
    EXPECT_EQ(db.GetProgress(), &own);
    db.SetProgress(nullptr);

    const QStringList log = ui.Wait().Log();
    const QString undoing = QStringLiteral("Text ") + kWaitUndoingClosings;
    const qsizetype back = log.indexOf(undoing);
    ASSERT_GE(back, 3) << log.join(u'|').toStdString();
    EXPECT_EQ(log.mid(0, 2), QStringList({QStringLiteral("Begin %1 100").arg(kWaitUndoingClosings),
                                          QStringLiteral("Text ") + kWaitUpdating}));
    // The steps' bar, then the undo's from its start to its end.
    int at = 0;
    for (const QString& line : log.mid(2, back - 2)) {
        const int pos = QString(line).remove(QStringLiteral("Pos ")).toInt();
        EXPECT_TRUE(line.startsWith(QLatin1String("Pos ")) && pos > at) << line.toStdString();
        at = pos;
    }
    EXPECT_EQ(log[back - 1], QStringLiteral("Pos 100"));
    EXPECT_EQ(log.value(back + 1), QStringLiteral("Pos 0"));
    EXPECT_EQ(log.mid(log.size() - 2), QStringList({QStringLiteral("Pos 100"), QStringLiteral("End")}));
    EXPECT_EQ(log.filter(QRegularExpression(QStringLiteral("^(Begin|End)"))).size(), 2);

    // The steps beside the window's thread, the undo on it, all under the one dialog.
    int made = 0;
    for (const CStatementWatch::Seen& seen : watch.Statements(QStringLiteral("CREATE INDEX"))) {
        ++made;
        EXPECT_FALSE(seen.onCaller) << seen.sql.toStdString();
        EXPECT_EQ(seen.waitDepth, 1) << seen.sql.toStdString();
    }
    EXPECT_GT(made, 0);
    const QList<CStatementWatch::Seen> deleted =
        watch.Statements(QStringLiteral("DELETE FROM \"Sales_Close\""));
    ASSERT_EQ(deleted.size(), 1);
    EXPECT_TRUE(deleted[0].onCaller);
    EXPECT_EQ(deleted[0].waitDepth, 1);
}
