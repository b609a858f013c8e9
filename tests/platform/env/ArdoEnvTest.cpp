#include "platform/env/ArdoEnv.h"
#include "EnvHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace
{

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

TEST(ArdoEnv, DataRootFollowsCorvantaHome)
{
    QString root;
    {
        CEnvHome home;
        root = home.Path();
        CArdoEnv env;
        EXPECT_EQ(env.GetDataRoot(), root);
        EXPECT_EQ(env.GetMyDataFolder(), root + "/MyData");
        EXPECT_EQ(env.GetTemplateFolder(), root + "/DataBase");
        EXPECT_EQ(env.GetAccessCheckFile(), root + "/MyData/acck.sys");
        EXPECT_EQ(env.GetDataPath("Other/NewObject"), root + "/Other/NewObject");

        // A trailing separator never reaches the callers' path building.
        qputenv("CORVANTA_HOME", QFile::encodeName(root + "/sub/"));
        EXPECT_EQ(env.GetDataRoot(), root + "/sub");

        // Without the variable the root lies in the user's home.
        const QByteArray oldHome = qgetenv("HOME");
        qunsetenv("CORVANTA_HOME");
        qputenv("HOME", QFile::encodeName(root));
        EXPECT_EQ(env.GetDataRoot(), root + "/.local/share/corvanta");
        qputenv("HOME", oldHome);
        qputenv("CORVANTA_HOME", "");
        EXPECT_EQ(env.GetDataRoot(), QDir::homePath() + "/.local/share/corvanta");
    }
    EXPECT_NE(CArdoEnv().GetDataRoot(), root);
}

TEST(ArdoEnv, ProgramFolderAndCheckedFolders)
{
    CEnvHome home;
    CArdoEnv env;
    EXPECT_EQ(env.GetProgramFolder(), QCoreApplication::applicationDirPath());
    CArdoEnv::OverrideProgramFolder(home.Path() + "/prog");
    EXPECT_EQ(env.GetProgramFolder(), home.Path() + "/prog");

    // The program's own folder, where the binaries lie, need not be writable.
    const QStringList folders = env.GetWriteCheckFolders();
    ASSERT_EQ(folders.size(), 14);
    EXPECT_EQ(folders[0], home.Path());
    EXPECT_EQ(folders[2], home.Path() + "/DataBase");
    EXPECT_EQ(folders[8], home.Path() + "/MyData");
    EXPECT_EQ(folders[13], home.Path() + "/TmpPic");

    CArdoEnv::OverrideProgramFolder(QString());
    EXPECT_EQ(env.GetProgramFolder(), QCoreApplication::applicationDirPath());
    EXPECT_EQ(env.GetVersion(), 100);
}

TEST(ArdoEnv, CreateLayoutMakesFoldersAndAsksForTheTemplate)
{
    CEnvHome home;
    qputenv("CORVANTA_HOME", QFile::encodeName(home.Path() + "/root"));
    CArdoEnv env;
    const QString templ = home.Path() + "/root/DataBase";

    // No one to build the template: the folders are made, the failure names the database file.
    QString failed;
    EXPECT_FALSE(env.CreateLayout({}, &failed));
    EXPECT_EQ(failed, templ + "/QXSelvo.vrz");
    EXPECT_TRUE(QFileInfo(home.Path() + "/root/MyData/acck.sys").isFile());
    EXPECT_TRUE(QFileInfo(templ + "/Files").isDir());
    EXPECT_TRUE(QFileInfo(templ + "/Other").isDir());

    // A builder that leaves the marker out still fails.
    int calls = 0;
    failed.clear();
    EXPECT_FALSE(env.CreateLayout(
        [&](const QString& folder) {
            ++calls;
            return WriteFile(folder + "/QXSelvo.vrz", "db");
        },
        &failed));
    EXPECT_EQ(failed, templ + "/FTtemp.dat");

    EXPECT_TRUE(env.CreateLayout([&](const QString& folder) {
        ++calls;
        EXPECT_EQ(folder, templ);
        return WriteFile(folder + "/FTtemp.dat", "");
    }));
    EXPECT_EQ(calls, 2);

    // A complete layout is left alone, the access-check file included.
    ASSERT_TRUE(WriteFile(home.Path() + "/root/MyData/acck.sys", "keep"));
    EXPECT_TRUE(env.CreateLayout([&](const QString&) {
        ++calls;
        return false;
    }));
    EXPECT_EQ(calls, 2);
    QFile check(home.Path() + "/root/MyData/acck.sys");
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), "keep");

    // A data root that is a file cannot be laid out.
    ASSERT_TRUE(WriteFile(home.Path() + "/plain", "x"));
    qputenv("CORVANTA_HOME", QFile::encodeName(home.Path() + "/plain"));
    failed.clear();
    EXPECT_FALSE(CArdoEnv().CreateLayout({}, &failed));
    EXPECT_EQ(failed, home.Path() + "/plain");
}
