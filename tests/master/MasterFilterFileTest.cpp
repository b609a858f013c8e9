#include "master/MasterFilterFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

// Saving one list's filter writes three CP932 lines ended by CR LF and
// keeps the other lists' lines as they were.
TEST(MasterFilterFile, SaveKeepsTheOtherListsLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MasterBunSet.dat"));

    ASSERT_TRUE(MasterFilterFile::Save(path, 2, 2, QStringLiteral("関東")));
    EXPECT_EQ(Read(path), QByteArray("\r\n2,\x8A\xD6\x93\x8C\r\n\r\n"));

    ASSERT_TRUE(Write(path, QByteArray("1,A\r\n0,\r\n3,x,y\r\n")));
    ASSERT_TRUE(MasterFilterFile::Save(path, 3, -1, QString()));
    EXPECT_EQ(Read(path), QByteArray("1,A\r\n0,\r\n-1,\r\n"));
    ASSERT_TRUE(MasterFilterFile::Save(path, 1, 0, QString()));
    EXPECT_EQ(Read(path), QByteArray("0,\r\n0,\r\n-1,\r\n"));

    // Nothing outside the three lists, and no path without a database.
    EXPECT_FALSE(MasterFilterFile::Save(path, 4, 1, QStringLiteral("x")));
    EXPECT_FALSE(MasterFilterFile::Save(QString(), 1, 1, QStringLiteral("x")));
    EXPECT_EQ(Read(path), QByteArray("0,\r\n0,\r\n-1,\r\n"));
}

// What each kind of line restores.
TEST(MasterFilterFile, LinesAndWhatTheyRestore)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MasterBunSet.dat"));
    EXPECT_EQ(MasterFilterFile::ReadLines(path), QStringList({"", "", ""})); // missing file
    ASSERT_TRUE(Write(path, QByteArray("3,\x8A\xD6\x90\xBC,B\n-1,\r\n")));   // LF only, a short file
    EXPECT_EQ(MasterFilterFile::ReadLines(path), QStringList({"3,関西,B", "-1,", ""}));

    const struct {
        QString line;
        bool restores;
        int index;
        QString value;
    } cases[] = {
        {"", false, 0, {}},      {"2", false, 0, {}},
        {"-1,", true, -1, {}},   {"3,関西,B", true, 3, "関西,B"},
        {" 4x,v", true, 4, "v"}, {"abc,v", true, 0, "v"},
    };
    for (const auto& c : cases) {
        int index = 99;
        QString value = QStringLiteral("kept");
        EXPECT_EQ(MasterFilterFile::ParseLine(c.line, index, value), c.restores) << c.line.toStdString();
        if (c.restores) {
            EXPECT_EQ(index, c.index) << c.line.toStdString();
            EXPECT_EQ(value, c.value) << c.line.toStdString();
        }
    }
}
