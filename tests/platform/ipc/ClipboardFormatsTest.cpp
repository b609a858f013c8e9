#include "platform/ipc/ClipboardFormats.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ClipboardFormats, OneStableNumberPerNameForEveryRegistry)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const CClipboardFormats first(dir.path()), second(dir.path());
    EXPECT_EQ(first.Register(QStringLiteral("CF_RL_MORVEK3")), 0xC000u);
    EXPECT_EQ(second.Register(QStringLiteral("CF_RL_MORVEK12")), 0xC001u);
    EXPECT_EQ(second.Register(QStringLiteral("CF_RL_MORVEK3")), 0xC000u);
    EXPECT_EQ(first.Register(QStringLiteral("CF_RL_MORVEK12")), 0xC001u);
    EXPECT_EQ(first.Register(QString()), 0u);
    EXPECT_EQ(first.Register(QStringLiteral("CF\nX")), 0u);
    EXPECT_EQ(first.Register(QString(256, u'x')), 0u);
    EXPECT_EQ(first.Register(QStringLiteral("CF_RL_MORVEK1")), 0xC002u);
}

TEST(ClipboardFormats, DamagedRegistryNeverSharesANumber)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("ClipboardFormats.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("49152\tA\ngarbage\n49152\tB\n70000\tC\n12\tD\n49153\tA\n\t\n");
    file.close();
    const CClipboardFormats registry(dir.path());
    EXPECT_EQ(registry.Register(QStringLiteral("A")), 0xC000u);
    EXPECT_EQ(registry.Register(QStringLiteral("B")), 0xC001u);
    EXPECT_EQ(registry.Register(QStringLiteral("C")), 0xC002u);

    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("65535\tLast\n");
    file.close();
    EXPECT_EQ(registry.Register(QStringLiteral("Last")), 0xFFFFu);
    EXPECT_EQ(registry.Register(QStringLiteral("Next")), 0u); // every number taken
}

TEST(ClipboardFormats, BlockJoinsWhatIsOnTheClipboard)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("得意先 A001"));
    // One slip, ID 7, file name "ab", with the closing zero byte.
    const QByteArray block = QByteArray::fromHex("010000000700000002616200");
    ASSERT_TRUE(SetClipboardBlock(0xC000, block));
    ASSERT_TRUE(SetClipboardBlock(0xC001, "second"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("得意先 A001"));
    EXPECT_EQ(GetClipboardBlock(0xC000), block);
    EXPECT_EQ(GetClipboardBlock(0xC001), QByteArray("second"));
    EXPECT_TRUE(clipboard->mimeData()->hasFormat(QStringLiteral("application/x-corvanta-cf-49152")));
    EXPECT_EQ(GetClipboardBlock(0xC002), QByteArray());
    EXPECT_FALSE(SetClipboardBlock(1, block));
    EXPECT_FALSE(SetClipboardBlock(0x10000, block));
}
