#include "platform/ipc/NamedLock.h"
#include "platform/ipc/IpcFolders.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

class NamedLockTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        IpcFolders::OverrideFolders(m_dir.filePath(QStringLiteral("user")),
                                    m_dir.filePath(QStringLiteral("shared")));
    }
    void TearDown() override { IpcFolders::OverrideFolders({}, {}); }

    QTemporaryDir m_dir;
};

mode_t ModeOf(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

TEST_F(NamedLockTest, TwoHoldersConflictAndReleaseFrees)
{
    for (const QString& name : {kInstanceLockName, kSessionLockName}) {
        CNamedLock first(name), second(name);
        EXPECT_EQ(CNamedLock::Probe(name), LockState::Free);
        EXPECT_EQ(first.TryAcquire(), LockState::Acquired);
        EXPECT_EQ(first.TryAcquire(), LockState::Acquired); // already ours
        EXPECT_EQ(second.TryAcquire(), LockState::HeldBySameUser);
        EXPECT_EQ(CNamedLock::Probe(name), LockState::HeldBySameUser);
        first.Release();
        EXPECT_EQ(second.TryAcquire(), LockState::Acquired);
        second.Release();
        EXPECT_EQ(CNamedLock::Probe(name), LockState::Free);
        EXPECT_FALSE(second.IsAcquired());
    }
    // Leaving scope releases as well.
    {
        CNamedLock scoped(kInstanceLockName);
        ASSERT_EQ(scoped.TryAcquire(), LockState::Acquired);
    }
    EXPECT_EQ(CNamedLock::Probe(kInstanceLockName), LockState::Free);
}

TEST_F(NamedLockTest, NamesStayInsideTheirFoldersWithTheRightModes)
{
    const QString user = m_dir.filePath(QStringLiteral("user")),
                  shared = m_dir.filePath(QStringLiteral("shared"));
    // Probing a lock nobody took creates neither folder nor file.
    EXPECT_EQ(CNamedLock::Probe(kSiblingLockNames[0]), LockState::Free);
    EXPECT_FALSE(QFileInfo::exists(shared));

    CNamedLock session(kSessionLockName), instance(kInstanceLockName);
    ASSERT_EQ(session.TryAcquire(), LockState::Acquired);
    ASSERT_EQ(instance.TryAcquire(), LockState::Acquired);
    EXPECT_EQ(CNamedLock::LockFilePath(kSessionLockName), shared + QStringLiteral("/hQXTollavine.lock"));
    EXPECT_EQ(CNamedLock::LockFilePath(kInstanceLockName), user + QStringLiteral("/hQXTollavine.lock"));
    EXPECT_EQ(ModeOf(shared), mode_t(01777));
    EXPECT_EQ(ModeOf(shared + QStringLiteral("/hQXTollavine.lock")), mode_t(0666));
    EXPECT_EQ(ModeOf(user), mode_t(0700));
    EXPECT_EQ(ModeOf(user + QStringLiteral("/hQXTollavine.lock")), mode_t(0600));
    // The holder's uid is recorded for other users to read.
    QFile owner(shared + QStringLiteral("/hQXTollavine.lock"));
    ASSERT_TRUE(owner.open(QIODevice::ReadOnly));
    EXPECT_EQ(owner.readAll().trimmed().toUInt(), ::getuid());

    EXPECT_EQ(CNamedLock::LockFilePath(QStringLiteral("Global\\../x y")),
              shared + QStringLiteral("/%2E%2E%2Fx%20y.lock"));
    EXPECT_EQ(CNamedLock::LockFilePath(QStringLiteral("a/b\\c")), user + QStringLiteral("/a%2Fb%5Cc.lock"));
    EXPECT_EQ(CNamedLock::LockFilePath(QStringLiteral("Global\\")), QString());
    EXPECT_EQ(CNamedLock::LockFilePath(QString(300, u'x')), QString());
    CNamedLock unnamed{QString()};
    EXPECT_EQ(unnamed.TryAcquire(), LockState::Error);
    EXPECT_EQ(CNamedLock::Probe(QString()), LockState::Error);

    // A link planted where a lock file goes is never followed.
    const QString victim = m_dir.filePath(QStringLiteral("victim"));
    QFile(victim).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(victim, shared + QStringLiteral("/hZMPTool.lock")));
    CNamedLock planted(QStringLiteral("Global\\hZMPTool"));
    EXPECT_EQ(planted.TryAcquire(), LockState::Error);
    EXPECT_EQ(CNamedLock::Probe(QStringLiteral("Global\\hZMPTool")), LockState::Error);
    EXPECT_EQ(QFileInfo(victim).size(), 0);

    // Nor is a hard link to another file: recording the holder would overwrite it.
    const QString precious = m_dir.filePath(QStringLiteral("precious"));
    {
        QFile file(precious);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep these bytes as they are\n");
    }
    ASSERT_EQ(::link(QFile::encodeName(precious).constData(),
                     QFile::encodeName(shared + QStringLiteral("/hQXMakeForm.lock")).constData()),
              0);
    CNamedLock linked(QStringLiteral("Global\\hQXMakeForm"));
    EXPECT_EQ(linked.TryAcquire(), LockState::Error);
    EXPECT_EQ(CNamedLock::Probe(QStringLiteral("Global\\hQXMakeForm")), LockState::Error);
    QFile check(precious);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("keep these bytes as they are\n"));
}

TEST_F(NamedLockTest, AnotherProcessHoldsItUntilItIsGone)
{
    CNamedLock childLock(kSessionLockName); // the path is resolved before the fork
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const char got = childLock.TryAcquire() == LockState::Acquired ? 'A' : 'E';
        (void)::write(ready[1], &got, 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char got = 0;
    ASSERT_EQ(::read(ready[0], &got, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(got, 'A');

    CNamedLock mine(kSessionLockName);
    EXPECT_EQ(mine.TryAcquire(), LockState::HeldBySameUser);
    EXPECT_EQ(CNamedLock::Probe(kSessionLockName), LockState::HeldBySameUser);
    // Killed, not closed: the kernel still frees the lock.
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(CNamedLock::Probe(kSessionLockName), LockState::Free);
    EXPECT_EQ(mine.TryAcquire(), LockState::Acquired);
}

TEST_F(NamedLockTest, HolderOfAnotherUidIsAnotherUser)
{
    const uid_t self = ::getuid(), other = self + 1;
    CNamedLock theirs(kSiblingLockNames[2], other);
    ASSERT_EQ(theirs.TryAcquire(), LockState::Acquired);
    CNamedLock mine(kSiblingLockNames[2], self);
    EXPECT_EQ(mine.TryAcquire(), LockState::HeldByOtherUser);
    EXPECT_EQ(CNamedLock::Probe(kSiblingLockNames[2], self), LockState::HeldByOtherUser);
    EXPECT_EQ(CNamedLock::Probe(kSiblingLockNames[2], other), LockState::HeldBySameUser);

    // Start-up's rule: a sibling of another user ends it and lets the session lock go.
    CNamedLock session(kSessionLockName, self);
    EXPECT_TRUE(OtherUserIsActive(session, self));
    EXPECT_FALSE(session.IsAcquired());
    theirs.Release();
    EXPECT_FALSE(OtherUserIsActive(session, self));
    EXPECT_TRUE(session.IsAcquired());
    // The same user's sibling is no obstacle; for another user it is one.
    CNamedLock ownSibling(kSiblingLockNames[0], self);
    ASSERT_EQ(ownSibling.TryAcquire(), LockState::Acquired);
    session.Release();
    EXPECT_FALSE(OtherUserIsActive(session, self));
    CNamedLock theirSession(kSessionLockName, other);
    EXPECT_TRUE(OtherUserIsActive(theirSession, other));
}
