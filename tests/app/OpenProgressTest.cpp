#include "settings/db/OpenProgress.h"
#include "platform/data/MakeMsgID.h"
#include "platform/ui/FakeUi.h"
#include "support/EarlierBuilds.h"
#include "support/StatementWatch.h"
#include "support/WriterWait.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <thread>

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
    CMakeMsgID data;
    data.SetProgress(&progress);
    EXPECT_EQ(data.Open(dir.path(), err), 1) << err.toStdString();
    data.SetProgress(nullptr);
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

namespace
{

// The program's wait dialog of openings, held by the object that opens and
// told only on the thread that opens (the window's): a call from any other
// thread is counted.
class CWindowThreadProgress : public IDataProgress
{
  public:
    explicit CWindowThreadProgress(CMakeMsgID& data) : m_data(data) { m_data.SetProgress(this); }
    ~CWindowThreadProgress() override { m_data.SetProgress(nullptr); }
    void UpgradeBegins(int steps, int parts) override
    {
        Heard();
        m_dialog.UpgradeBegins(steps, parts);
    }
    void UpgradePartsDone(int done, int parts) override
    {
        Heard();
        m_dialog.UpgradePartsDone(done, parts);
    }
    void UpgradeStepDone() override
    {
        Heard();
        m_dialog.UpgradeStepDone();
    }
    void UpgradeEnds() override
    {
        Heard();
        m_dialog.UpgradeEnds();
    }
    void CallStepsDone(int done, int total) override
    {
        Heard();
        m_dialog.CallStepsDone(done, total);
    }
    void StatementRuns() override
    {
        Heard();
        m_dialog.StatementRuns();
    }
    void WaitingForWriter() override
    {
        Heard();
        ++paints;
        m_dialog.WaitingForWriter();
    }

    std::atomic<int> elsewhere{0};
    int paints = 0;

  private:
    void Heard()
    {
        if (std::this_thread::get_id() != m_window)
            ++elsewhere;
    }
    CMakeMsgID& m_data;
    const std::thread::id m_window = std::this_thread::get_id();
    CWaitOpenProgress m_dialog;
};

// A file of the first version in `folder`, without any index or the booked
// balances, and another program that holds its write lock.
class CFirstVersionFile
{
  public:
    explicit CFirstVersionFile(const QString& folder) : m_path(CMakeMsgID::DatabasePath(folder))
    {
        EXPECT_TRUE(EarlierBuilds::CopyTo(EarlierBuilds::kBeforeBalances, folder));
        EXPECT_TRUE(EarlierBuilds::OnFile(m_path, EarlierBuilds::WithoutIndexes(m_path)));
        EXPECT_EQ(sqlite3_open(QFile::encodeName(m_path).constData(), &m_other), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(m_other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    ~CFirstVersionFile() { EndWrite(); }

    // The other program ends its write and goes.
    void EndWrite()
    {
        if (!m_other)
            return;
        sqlite3_exec(m_other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_other);
        m_other = nullptr;
    }

  private:
    QString m_path;
    sqlite3* m_other = nullptr;
};

// The bar of a first-version file: each index made (those of version 2, as
// the build of version 3 holds them, and the four partner indexes again),
// the step that makes none, and what the steps after version 4 do.
int FirstVersionParts()
{
    return EarlierBuilds::IndexCount(EarlierBuilds::kVersion3) + 4 + 1 +
           EarlierBuilds::WorkOf(EarlierBuilds::kVersion4).parts;
}

// The indexes made of them.
int FirstVersionIndexes()
{
    return EarlierBuilds::IndexCount(EarlierBuilds::kVersion3) + 4 +
           EarlierBuilds::WorkOf(EarlierBuilds::kVersion4).made;
}

} // namespace

// A file of an earlier build opened while another program writes past the
// whole wait goes on with the steps done for the connection. The bar keeps
// the parts it was made for and moves with each step, and the wait's paints
// reach the dialog on the window's thread, as everything else it hears.
TEST(OpenProgressTest, AnOpeningUnderALockHeldPastTheWaitKeepsItsBarOnTheWindowsThread)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CFirstVersionFile file(dir.path());
    const CScopedWriterWait wait(50);
    ScopedFakeUi ui;
    CMakeMsgID data;
    CWindowThreadProgress progress(data);
    QString err;
    if (!EarlierBuilds::ReadsUnwritten(1)) {
        // A step due cannot be done for the connection alone: the file is
        // not used while the lock is held, and the dialog, told on the
        // window's thread all the same, is closed.
        EXPECT_EQ(data.Open(dir.path(), err), CMakeMsgID::kFatal);
        EXPECT_EQ(progress.elsewhere, 0);
        EXPECT_EQ(ui.Wait().Depth(), 0);
        GTEST_SKIP() << EarlierBuilds::UnwrittenUntested(1);
    }
    ASSERT_EQ(data.Open(dir.path(), err), 1) << err.toStdString();
    EXPECT_TRUE(data.AreBalancesPending());
    EXPECT_EQ(progress.elsewhere, 0);
    EXPECT_GT(progress.paints, 0);
    const QStringList log = ui.Wait().Log();
    ASSERT_EQ(log.size(), 5) << log.join(u'|').toStdString();
    EXPECT_EQ(log[0], QStringLiteral("Begin %1 %2").arg(kUpdating).arg(FirstVersionParts()));
    const int first = log[1].mid(4).toInt(), second = log[2].mid(4).toInt();
    EXPECT_GT(first, 0) << log[1].toStdString();
    EXPECT_GT(second, first) << log[2].toStdString();
    EXPECT_EQ(log[3], QStringLiteral("Pos %1").arg(FirstVersionParts()));
    EXPECT_EQ(log[4], QStringLiteral("End"));
}

// While the steps are pending, the first write takes them under the same
// wait dialog on a thread of their own, the window's thread handling its
// events and hearing every report; the write itself follows on the window's
// thread once the dialog is closed.
TEST(OpenProgressTest, TheFirstWriteTakesThePendingStepsUnderTheWaitDialogBesideTheWindow)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CFirstVersionFile file(dir.path());
    const CScopedWriterWait noWait(0);
    ScopedFakeUi ui;
    CMakeMsgID data;
    CWindowThreadProgress progress(data);
    QString err;
    if (!EarlierBuilds::ReadsUnwritten(1)) {
        // A step due cannot be done for the connection alone: nothing is
        // left pending, the file is not used while the lock is held.
        EXPECT_EQ(data.Open(dir.path(), err), CMakeMsgID::kFatal);
        EXPECT_FALSE(data.IsOpen());
        GTEST_SKIP() << EarlierBuilds::UnwrittenUntested(1);
    }
    ASSERT_EQ(data.Open(dir.path(), err), 1) << err.toStdString();
    ASSERT_TRUE(data.AreBalancesPending());
    file.EndWrite();

    const qsizetype before = ui.Wait().Log().size();
    CStatementWatch watch(data.Handle(), ui.Wait());
    CCDSData money;
    money.m_strTable = QStringLiteral("Receipt_H");
    COneRecord* receipt = money.AddNew();
    receipt->SetField(QStringLiteral("Receipt_H.CustomerCode"), QStringLiteral("K1"));
    receipt->SetField(QStringLiteral("Receipt_H.Amount"), CMny(200));
    ASSERT_EQ(data.InsertData(money, err), 1) << err.toStdString();
    EXPECT_FALSE(data.AreBalancesPending());
    EXPECT_FALSE(watch.callerStalled);
    EXPECT_EQ(progress.elsewhere, 0);

    const QStringList log = ui.Wait().Log().mid(before);
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log.first(), QStringLiteral("Begin %1 %2").arg(kUpdating).arg(FirstVersionParts()));
    EXPECT_EQ(log.mid(log.size() - 2),
              QStringList({QStringLiteral("Pos %1").arg(FirstVersionParts()), QStringLiteral("End")}));
    int made = 0;
    for (const CStatementWatch::Seen& step : watch.Statements(QStringLiteral("CREATE "))) {
        if (!step.sql.contains(QRegularExpression(QStringLiteral("^CREATE (UNIQUE )?INDEX "))))
            continue;
        ++made;
        EXPECT_FALSE(step.onCaller) << step.sql.toStdString();
        EXPECT_EQ(step.waitDepth, 1) << step.sql.toStdString();
    }
    EXPECT_EQ(made, FirstVersionIndexes());
    const QList<CStatementWatch::Seen> written =
        watch.Statements(QStringLiteral("INSERT INTO \"Receipt_H\""));
    ASSERT_EQ(written.size(), 1);
    EXPECT_TRUE(written[0].onCaller);
    EXPECT_EQ(written[0].waitDepth, 0);
}
