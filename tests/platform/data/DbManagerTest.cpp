#include "DataTestUtil.h"

#include "platform/data/DbManager.h"
#include "platform/data/TableNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace
{

class ManagerTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QString err;
        ASSERT_EQ(CMakeMsgID::CreateDatabase(CMakeMsgID::DatabasePath(m_dir.path()),
                                             QDateTime::currentDateTime(), err),
                  1);
    }

    QString Folder() const { return m_dir.path(); }

    QTemporaryDir m_dir;
    CMakeMsgID m_data;
    CDbManager m_manager{m_data};
};

} // namespace

TEST_F(ManagerTest, ConnectOpensOnceAndReleaseCloses)
{
    const int id = m_manager.Register();
    EXPECT_NE(id, 0);
    EXPECT_EQ(m_manager.Connect(id, Folder()), 1);
    EXPECT_TRUE(m_data.IsOpen());
    int count = 0;
    CCDSData request;
    request.m_strTable = TB_CUSTOMER;
    QString err;
    EXPECT_EQ(m_data.GetDataNum(request, count, err), 1);

    // A second connect answers 1 without reopening: an open transaction survives it.
    ASSERT_EQ(m_data.BeginTransaction(err), 1);
    EXPECT_EQ(m_manager.Connect(id, Folder() + QStringLiteral("/.")), 1);
    EXPECT_TRUE(m_data.InTransaction());
    EXPECT_EQ(m_manager.Release(id), -4); // a database operation is under way
    ASSERT_EQ(m_data.Rollback(err), 1);

    m_manager.SetOtherUsers(1);
    EXPECT_EQ(m_manager.Release(id), 50);
    EXPECT_TRUE(m_data.IsOpen());
    m_manager.SetOtherUsers(0);
    EXPECT_EQ(m_manager.Release(id), 1);
    EXPECT_FALSE(m_data.IsOpen());
    EXPECT_EQ(m_data.GetDataNum(request, count, err), -100);
    EXPECT_EQ(m_manager.Release(id), -1);

    EXPECT_EQ(m_manager.Connect(id, Folder()), 1);
    EXPECT_EQ(m_data.GetDataNum(request, count, err), 1);
    EXPECT_EQ(m_manager.Unregister(id), 1);
    EXPECT_FALSE(m_data.IsOpen());
    EXPECT_EQ(m_manager.Unregister(id), -2);
    EXPECT_EQ(m_manager.Connect(id, Folder()), -2);
    EXPECT_EQ(m_manager.Release(id), -2);
}

TEST_F(ManagerTest, AnotherHolderOfTheDatabaseGets51)
{
    const int id = m_manager.Register();
    ASSERT_EQ(m_manager.Connect(id, Folder()), 1);

    // A second manager stands for another process: its own open file description.
    CMakeMsgID otherData;
    CDbManager other(otherData);
    const int otherId = other.Register();
    EXPECT_EQ(other.Connect(otherId, Folder()), 51);
    EXPECT_FALSE(otherData.IsOpen());

    ASSERT_EQ(m_manager.Release(id), 1);
    EXPECT_EQ(other.Connect(otherId, Folder()), 1);
    EXPECT_EQ(m_manager.Connect(id, Folder()), 51);
    ASSERT_EQ(other.Release(otherId), 1);

    // Any flock on the lock file counts, as another program's would.
    const QByteArray lock =
        QFile::encodeName(QDir(Folder()).filePath(QString::fromLatin1(CDbManager::kLockFileName)));
    const int fd = ::open(lock.constData(), O_RDWR | O_CREAT, 0666);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(m_manager.Connect(id, Folder()), 51);
    ::close(fd);
    EXPECT_EQ(m_manager.Connect(id, Folder()), 1);
}

TEST_F(ManagerTest, ConnectFailuresHaveTheirOwnAnswers)
{
    const int id = m_manager.Register();
    EXPECT_EQ(m_manager.Connect(id, QString()), 52);
    EXPECT_EQ(m_manager.Connect(id + 100, Folder()), -2);

    const QString empty = Folder() + QStringLiteral("/empty");
    ASSERT_TRUE(QDir().mkpath(empty));
    QString err;
    EXPECT_EQ(m_manager.Connect(id, empty, err), -3);
    EXPECT_FALSE(err.isEmpty());

    const QString garbage = Folder() + QStringLiteral("/garbage");
    ASSERT_TRUE(QDir().mkpath(garbage));
    QFile file(garbage + QStringLiteral("/qxselvo.VRZ")); // names match whatever their case
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a database file, only some text that is long enough to be read");
    file.close();
    EXPECT_EQ(m_manager.Connect(id, garbage, err), -3);
    EXPECT_FALSE(m_data.IsOpen());
    // The failed attempt left no lock behind.
    EXPECT_EQ(m_manager.Connect(id, Folder()), 1);

    // Connected to one database, a request for another one answers 50.
    EXPECT_EQ(m_manager.Connect(id, empty), 50);
    EXPECT_EQ(m_data.GetFolder(), Folder());

    // The manager's close order reaches the frame's handler.
    int orders = 0;
    m_manager.SetCloseOrderHandler([&orders] { ++orders; });
    m_manager.OrderClose();
    EXPECT_EQ(orders, 1);
    EXPECT_TRUE(m_manager.IsAlive());
}

TEST_F(ManagerTest, SlipFormHoldsTheDatabaseAndSwitchesProbeTheLock)
{
    const int id = m_manager.Register();
    ASSERT_EQ(m_manager.Connect(id, Folder()), 1);
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());

    // The slip-form program runs as a process of its own: a child holds the
    // session file until the test tells it to end.
    int ready[2], finish[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(finish), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CDbSessionHold hold(Folder());
        const char state = hold.IsHeld() ? 'y' : 'n';
        char byte;
        if (::write(ready[1], &state, 1) == 1)
            (void)::read(finish[0], &byte, 1);
        ::_exit(0);
    }
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ASSERT_EQ(state, 'y');
    EXPECT_EQ(m_manager.GetOtherUsers(), 1);
    EXPECT_EQ(m_manager.Release(id), 50);
    EXPECT_TRUE(m_data.IsOpen());

    // A second window in this process shares the hold; one on another
    // database does not count.
    {
        CDbSessionHold second(Folder());
        CDbSessionHold other(elsewhere.path());
        EXPECT_TRUE(second.IsHeld());
        EXPECT_TRUE(other.IsHeld());
        EXPECT_EQ(m_manager.Release(id), 50);
    }
    ASSERT_EQ(::write(finish[1], "x", 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    for (int fd : {ready[0], ready[1], finish[0], finish[1]})
        ::close(fd);
    {
        CDbSessionHold other(elsewhere.path());
        EXPECT_EQ(m_manager.GetOtherUsers(), 0);
        EXPECT_EQ(m_manager.Release(id), 1);
    }

    // The probe of a switch: taken and dropped, it leaves the database free.
    EXPECT_EQ(CDbManager::ProbeLock(Folder()), 1);
    EXPECT_EQ(m_manager.Connect(id, Folder()), 1);
    EXPECT_EQ(CDbManager::ProbeLock(Folder()), 51);
    ASSERT_EQ(m_manager.Release(id), 1);
    EXPECT_EQ(CDbManager::ProbeLock(Folder() + QStringLiteral("/missing")), -4);
    // A lock file planted as a link to another file is not used.
    const QString lock = QDir(Folder()).filePath(QString::fromLatin1(CDbManager::kLockFileName));
    ASSERT_TRUE(QFile::remove(lock));
    ASSERT_TRUE(QFile::link(elsewhere.filePath(QStringLiteral("target")), lock));
    EXPECT_EQ(CDbManager::ProbeLock(Folder()), -4);
    EXPECT_EQ(m_manager.Connect(id, Folder()), -4);
    EXPECT_FALSE(QFileInfo::exists(elsewhere.filePath(QStringLiteral("target"))));
}
