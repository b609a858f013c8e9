#include "platform/ipc/DataChangedChannel.h"
#include "platform/ipc/IpcFolders.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace
{

// Runs the event loop until `server` has reported `count` notices in all,
// or a generous limit passes (which only a broken channel reaches).
int WaitForNotices(CDataChangedServer& server, int& seen, int count)
{
    if (seen >= count)
        return seen;
    QEventLoop loop;
    QObject::connect(&server, &CDataChangedServer::dataChanged, &loop, [&] {
        if (seen >= count)
            loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return seen;
}

} // namespace

TEST(DataChangedChannel, NoticesReachTheFrameOfTheSameInstallationOnly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    IpcFolders::OverrideFolders(dir.filePath(QStringLiteral("user")), dir.filePath(QStringLiteral("shared")));
    const QString root = dir.filePath(QStringLiteral("root")),
                  otherRoot = dir.filePath(QStringLiteral("other"));
    EXPECT_NE(CDataChangedServer::ChannelName(root), CDataChangedServer::ChannelName(otherRoot));

    auto server = std::make_unique<CDataChangedServer>();
    int seen = 0;
    QObject::connect(server.get(), &CDataChangedServer::dataChanged, [&] { ++seen; });
    ASSERT_TRUE(server->Listen(root));
    EXPECT_TRUE(SendDataChanged(root));
    EXPECT_EQ(WaitForNotices(*server, seen, 1), 1);
    EXPECT_TRUE(SendDataChanged(root));
    EXPECT_TRUE(SendDataChanged(root));
    EXPECT_EQ(WaitForNotices(*server, seen, 3), 3);
    EXPECT_FALSE(SendDataChanged(otherRoot));

    // A live frame keeps its channel; a socket left by an ended one is replaced.
    CDataChangedServer second;
    EXPECT_FALSE(second.Listen(root));
    server.reset();
    EXPECT_FALSE(SendDataChanged(root));
    QFile stale(CDataChangedServer::ChannelName(otherRoot));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    int secondSeen = 0;
    QObject::connect(&second, &CDataChangedServer::dataChanged, [&] { ++secondSeen; });
    ASSERT_TRUE(second.Listen(otherRoot));
    EXPECT_TRUE(SendDataChanged(otherRoot));
    EXPECT_EQ(WaitForNotices(second, secondSeen, 1), 1);
    EXPECT_EQ(seen, 3);
    IpcFolders::OverrideFolders({}, {});
}
