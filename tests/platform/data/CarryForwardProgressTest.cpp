#include "reports/ReportFixture.h"

#include "platform/data/ClosingService.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/ScopedPragma.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace
{

using CarryForwardProgressTest = ReportFixture;

int SecureDelete(sqlite3* db)
{
    qint64 mode = -1;
    ReadPragma(db, "secure_delete", mode);
    return int(mode);
}

// Each statement of the connection as it starts, and each new figure of the
// progress with the connection's secure_delete mode at that moment (read
// between statements, as the figures come between them), in one log.
class CCarryWatch : private IDataProgress
{
  public:
    CCarryWatch(CMakeMsgID& data) : m_data(data)
    {
        sqlite3_trace_v2(m_data.Handle(), SQLITE_TRACE_STMT, &CCarryWatch::Started, this);
        m_data.SetProgress(this);
    }
    ~CCarryWatch() override
    {
        m_data.SetProgress(nullptr);
        sqlite3_trace_v2(m_data.Handle(), 0, nullptr, nullptr);
    }

    QStringList log;

  private:
    void CallStepsDone(int done, int total) override
    {
        if (total == 0 || (done == m_done && total == m_total))
            return; // the same figures again
        m_done = done;
        m_total = total;
        m_reading = true;
        const int mode = SecureDelete(m_data.Handle());
        m_reading = false;
        log << QStringLiteral("At %1/%2 %3").arg(done).arg(total).arg(mode);
    }
    static int Started(unsigned, void* self, void*, void* text)
    {
        auto* me = static_cast<CCarryWatch*>(self);
        const QString sql = QString::fromUtf8(static_cast<const char*>(text)).simplified();
        if (!me->m_reading && !sql.startsWith(QLatin1String("--")))
            me->log << QStringLiteral("SQL ") + sql;
        return 0;
    }

    CMakeMsgID& m_data;
    int m_done = -1;
    int m_total = -1;
    bool m_reading = false;
};

} // namespace

// The carry-forward's bar: its total fixed when the run starts, never going
// back, moving with each index made again, one step short of its end when
// the run commits and at its end only after. Its deletes overwrite what they
// free in the fast mode throughout, and the connection's own mode (off, on
// or fast) is what it reads afterwards. A run that carries nothing counts
// the same way.
TEST_F(CarryForwardProgressTest, TheBarStandsAtItsEndOnlyAfterTheCommit)
{
    const struct {
        QDate date;
        bool remakes; // indexes
        const char* mode;
        int reads;
    } cases[] = {
        {QDate(2004, 4, 30), true, "OFF", 0},   {QDate(2004, 4, 30), true, "ON", 1},
        {QDate(2004, 4, 30), true, "FAST", 2},  {QDate(2004, 1, 31), false, "OFF", 0},
        {QDate(2004, 1, 31), false, "FAST", 2},
    };
    const int fast = 2;
    m_data.Close();
    const QString pristine = Folder() + QStringLiteral("/pristine");
    ASSERT_TRUE(QFile::copy(Path(), pristine));
    for (const auto& c : cases) {
        SCOPED_TRACE(
            QStringLiteral("%1, secure_delete %2").arg(c.date.toString(Qt::ISODate), c.mode).toStdString());
        m_data.Close();
        ASSERT_TRUE(QFile::remove(Path()) && QFile::copy(pristine, Path()));
        QString err;
        ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
        Exec(QStringLiteral("PRAGMA secure_delete=%1").arg(QLatin1String(c.mode)));
        ASSERT_EQ(SecureDelete(m_data.Handle()), c.reads);
        QStringList log;
        {
            CCarryWatch watch(m_data);
            ASSERT_EQ(CClosingService(m_data).CarryForward(c.date, QDate()).refusal.Answer(err), 1)
                << err.toStdString();
            log = watch.log;
        }
        EXPECT_EQ(SecureDelete(m_data.Handle()), c.reads);

        const qsizetype commit = log.indexOf(QStringLiteral("SQL COMMIT"));
        ASSERT_GE(commit, 0);
        EXPECT_EQ(log.lastIndexOf(QStringLiteral("SQL COMMIT")), commit);
        const QRegularExpression makesIndex(QStringLiteral("^SQL CREATE (UNIQUE )?INDEX"));
        const QRegularExpression at(QStringLiteral("^At (\\d+)/(\\d+) (-?\\d+)$"));
        int total = 0, done = 0, lastBeforeCommit = -1, firstAtEnd = -1, remade = 0;
        bool movedSinceIndex = true;
        for (qsizetype i = 0; i < log.size(); ++i) {
            if (makesIndex.match(log[i]).hasMatch()) {
                EXPECT_TRUE(movedSinceIndex)
                    << "the bar did not move with the index before " << log[i].toStdString();
                movedSinceIndex = false;
                ++remade;
            }
            const QRegularExpressionMatch m = at.match(log[i]);
            if (!m.hasMatch())
                continue;
            if (total == 0)
                total = m.captured(2).toInt();
            EXPECT_EQ(m.captured(2).toInt(), total) << log[i].toStdString();
            EXPECT_GE(m.captured(1).toInt(), done) << "the bar went back: " << log[i].toStdString();
            done = m.captured(1).toInt();
            EXPECT_EQ(m.captured(3).toInt(), fast) << log[i].toStdString();
            movedSinceIndex = true;
            if (i < commit)
                lastBeforeCommit = done;
            else if (firstAtEnd < 0 && done == total)
                firstAtEnd = int(i);
        }
        ASSERT_GT(total, 0);
        EXPECT_EQ(remade > 0, c.remakes) << remade;
        // Every step counted: all but the commit done before it.
        EXPECT_EQ(lastBeforeCommit, total - 1);
        EXPECT_GT(firstAtEnd, commit);
        EXPECT_EQ(done, total);
    }
}
