#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include "ArchiveTestData.h"
#include "platform/archive/AutFile.h"
#include "platform/archive/SafeFile.h"

using namespace ArchiveTestData;

namespace
{

void Put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray Get(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(ArchiveFile, AtomicWriteReplacesAndKeepsMode)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ClassTitle.dat");
    ASSERT_TRUE(AtomicWriteFile(path, "first"));
    EXPECT_EQ(Get(path), "first");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    ASSERT_TRUE(AtomicWriteFile(path, QByteArray()));
    EXPECT_EQ(Get(path), "");
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Entries(dir.path()), QStringList{"ClassTitle.dat"});
}

// A file size limit makes the write itself fail, whoever runs the test.
TEST(ArchiveFile, FailedWriteKeepsOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("NoInfo.dat");
    Put(path, "old contents");

    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = AtomicWriteFile(path, QByteArray(64 * 1024, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldSignal);

    EXPECT_FALSE(written);
    EXPECT_EQ(Get(path), "old contents");
    EXPECT_EQ(Entries(dir.path()), QStringList{"NoInfo.dat"}); // no temporary left behind

    // A folder that is really a file, and a target that is a folder.
    EXPECT_FALSE(AtomicWriteFile(dir.filePath("NoInfo.dat/x.dat"), "x"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("Other"));
    EXPECT_FALSE(AtomicWriteFile(dir.filePath("Other"), "x"));
    EXPECT_EQ(Get(path), "old contents");
    EXPECT_EQ(Entries(dir.path()), QStringList({"NoInfo.dat", "Other"}));
}

TEST(ArchiveFile, NamesMatchWithoutAsciiCase)
{
    QTemporaryDir dir;
    Put(dir.filePath("CloseDay.aut"), "a");
    Put(dir.filePath("tax.aut"), "b");
    Put(dir.filePath("TAX.AUT"), "c");
    Put(dir.filePath(QStringLiteral("ａ.aut")), "d"); // full-width letter
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.aut"));

    EXPECT_EQ(FindFileNoCase(dir.path(), "CLOSEDAY.AUT"), dir.filePath("CloseDay.aut"));
    EXPECT_EQ(FindFileNoCase(dir.path(), "closeday.aut"), dir.filePath("CloseDay.aut"));
    EXPECT_EQ(FindFileNoCase(dir.path(), "tax.aut"), dir.filePath("tax.aut"));
    EXPECT_EQ(FindFileNoCase(dir.path(), "TAX.AUT"), dir.filePath("TAX.AUT"));
    EXPECT_EQ(FindFileNoCase(dir.path(), QStringLiteral("Ａ.aut")), QString());
    EXPECT_EQ(FindFileNoCase(dir.path(), "FOLDER.AUT"), QString());
    EXPECT_EQ(FindFileNoCase(dir.path(), "missing.aut"), QString());

    EXPECT_EQ(ResolveForWrite(dir.path(), "CLOSEDAY.AUT"), dir.filePath("CloseDay.aut"));
    EXPECT_EQ(ResolveForWrite(dir.path(), "New.aut"), dir.filePath("New.aut"));

    ASSERT_TRUE(AtomicWriteFileNoCase(dir.path(), "CLOSEDAY.AUT", "replaced"));
    EXPECT_EQ(Get(dir.filePath("CloseDay.aut")), "replaced");
    EXPECT_FALSE(QFile::exists(dir.filePath("CLOSEDAY.AUT")));
    EXPECT_EQ(Entries(dir.path()).size(), 5);
}

TEST(ArchiveFile, DefaultValueFiles)
{
    QTemporaryDir dir;
    const QString other = dir.filePath("Other");
    ASSERT_TRUE(QDir().mkpath(other));

    std::optional<CArchiveError::Kind> error;
    bool found = true;
    EXPECT_EQ(ReadAutFile(other + "/Missing.aut", &error, &found), QString());
    EXPECT_FALSE(error.has_value());
    EXPECT_FALSE(found);
    // An empty text is a value of its own, unlike a missing file.
    Put(dir.filePath("Empty.aut"), Hex("00"));
    EXPECT_EQ(ReadAutFile(dir.filePath("empty.aut"), &error, &found), QString());
    EXPECT_TRUE(found);
    Put(dir.filePath("Cut.aut"), Hex("05 31"));
    EXPECT_EQ(ReadAutFile(dir.filePath("Cut.aut"), &error, &found), QString());
    EXPECT_FALSE(found);
    EXPECT_EQ(error, CArchiveError::EndOfFile);
    error.reset();

    // Written under one case, found and replaced under another.
    Put(other + "/CloseDay.aut", Hex("02 3135"));
    EXPECT_EQ(ReadAutFile(other + "/CLOSEDAY.AUT", &error), "15");
    EXPECT_FALSE(error.has_value());
    ASSERT_TRUE(WriteAutFile(other + "/CLOSEDAY.AUT", QStringLiteral("月末")));
    EXPECT_EQ(Get(other + "/CloseDay.aut"), Hex("04 8c8e 9696"));
    EXPECT_EQ(Entries(other), QStringList{"CloseDay.aut"});

    const QString long300(300, QLatin1Char('x'));
    ASSERT_TRUE(WriteAutFile(other + "/Memo.aut", long300));
    EXPECT_EQ(Get(other + "/Memo.aut").left(3), Hex("ff2c01"));
    EXPECT_EQ(ReadAutFile(other + "/memo.AUT", nullptr), long300);

    QString unmappable;
    ASSERT_TRUE(WriteAutFile(other + "/Name.aut", QStringLiteral("A\u00E9"), &unmappable));
    EXPECT_EQ(unmappable, QStringLiteral("\u00E9"));

    // Damaged: empty, cut short, a text form never written.
    for (const QByteArray& damaged : {QByteArray(), Hex("05 4142"), Hex("fffeff")}) {
        Put(other + "/Bad.aut", damaged);
        error.reset();
        EXPECT_EQ(ReadAutFile(other + "/Bad.aut", &error), QString());
        EXPECT_TRUE(error.has_value()) << damaged.toHex().constData();
    }
    EXPECT_EQ(error, CArchiveError::BadFormat);

    // A huge file is refused without being read into memory.
    {
        QFile huge(other + "/Huge.aut");
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        huge.write(Hex("02 3135"));
        ASSERT_TRUE(huge.resize(qint64(64) * 1024 * 1024)); // sparse
    }
    error.reset();
    EXPECT_EQ(ReadAutFile(other + "/Huge.aut", &error), QString());
    EXPECT_EQ(error, CArchiveError::FileError);
    EXPECT_FALSE(WriteAutFile(other + "/NoSuchFolder/x.aut", "x"));
}
