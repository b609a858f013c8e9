#include "platform/env/DBDirMng.h"
#include "EnvHome.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace
{

const QString kMain = QString::fromUtf8("本社データ");
const QString kBranch = QString::fromUtf8("大阪支店");

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(DBDirMng, AddSwitchRenameRemoveAndReload)
{
    CEnvHome home;
    const QString path = CDBDirMng::GetDefaultPath();
    EXPECT_EQ(path, home.Path() + "/MyData/DBDirData.dat");

    CDBDirMng reg;
    QString name = "x", folder = "y";
    ASSERT_EQ(reg.GetNowDB(name, folder), 1); // no register yet: empty, not damaged
    EXPECT_TRUE(name.isEmpty());
    EXPECT_TRUE(folder.isEmpty());

    EXPECT_EQ(reg.AddCompName(kMain, home.Path() + "/db1/", false), 1);
    EXPECT_EQ(reg.AddCompName(kBranch, home.Path() + "/db2", false), 1);
    EXPECT_EQ(reg.AddCompName(kMain, home.Path() + "/other", false), 0);
    EXPECT_EQ(reg.AddCompName(kMain, home.Path() + "/db1", false), 1); // the same pair: already there
    EXPECT_EQ(reg.AddCompName("", home.Path() + "/other", false), 0);
    EXPECT_EQ(reg.AddCompName("空", "", false), 0);
    EXPECT_TRUE(QFileInfo(path).isFile());

    EXPECT_EQ(reg.IsExistName(kMain), 1);
    EXPECT_EQ(reg.IsExistName(kBranch), 1);
    EXPECT_EQ(reg.IsExistName(QString::fromUtf8("本社")), 0);
    QStringList names;
    EXPECT_EQ(reg.GetDispAllComp(names), 2);
    EXPECT_EQ(names, QStringList({kMain, kBranch}));
    ASSERT_EQ(reg.GetCompDBPath(kMain, folder), 1);
    EXPECT_EQ(folder, home.Path() + "/db1");
    EXPECT_EQ(reg.GetCompDBPath("none", folder), 0);
    EXPECT_TRUE(folder.isEmpty());

    // Registering does not make a database current; switching does.
    ASSERT_EQ(reg.GetNowDB(name, folder), 1);
    EXPECT_TRUE(folder.isEmpty());
    EXPECT_EQ(reg.SetNowDB("none"), 0);
    EXPECT_EQ(reg.SetNowDB(kBranch), 1);
    ASSERT_EQ(reg.GetNowDB(name, folder), 1);
    EXPECT_EQ(name, kBranch);
    EXPECT_EQ(folder, home.Path() + "/db2");

    // Renaming the current entry keeps it current; a taken name is refused.
    EXPECT_EQ(reg.ChangeCompName(kBranch, kMain), 0);
    EXPECT_EQ(reg.ChangeCompName("none", "new"), 0);
    EXPECT_EQ(reg.ChangeCompName(kBranch, ""), 0);
    EXPECT_EQ(reg.ChangeCompName(kBranch, kBranch), 1);
    const QString renamed = QString::fromUtf8("大阪営業所");
    EXPECT_EQ(reg.ChangeCompName(kBranch, renamed), 1);
    EXPECT_EQ(reg.IsExistName(kBranch), 0);
    EXPECT_EQ(reg.ChangePath(renamed, home.Path() + "/moved"), 1);
    EXPECT_EQ(reg.ChangePath("none", home.Path() + "/moved"), 0);

    // A fresh object reads back exactly what was written.
    {
        CDBDirMng again;
        ASSERT_EQ(again.GetNowDB(name, folder), 1);
        EXPECT_EQ(name, renamed);
        EXPECT_EQ(folder, home.Path() + "/moved");
        EXPECT_EQ(again.GetDispAllComp(names), 2);
        EXPECT_EQ(names, QStringList({kMain, renamed}));
    }

    // Removing leaves the folder alone; removing the current entry leaves none current.
    EXPECT_EQ(reg.DeleteComp(kMain), 1);
    EXPECT_EQ(reg.DeleteComp(kMain), 0);
    ASSERT_EQ(reg.GetNowDB(name, folder), 1);
    EXPECT_EQ(name, renamed);
    EXPECT_EQ(reg.DeleteComp(renamed), 1);
    ASSERT_EQ(reg.GetNowDB(name, folder), 1);
    EXPECT_TRUE(name.isEmpty());
    EXPECT_TRUE(folder.isEmpty());
    EXPECT_EQ(CDBDirMng().GetDispAllComp(names), 0);

    // The flag of AddCompName makes the new entry current at once.
    EXPECT_EQ(reg.AddCompName(kMain, home.Path() + "/db1", true), 1);
    ASSERT_EQ(CDBDirMng().GetNowDB(name, folder), 1);
    EXPECT_EQ(name, kMain);
}

TEST(DBDirMng, ObjectsDoNotUndoEachOthersChanges)
{
    CEnvHome home;
    CDBDirMng first, second;
    EXPECT_EQ(first.AddCompName("A", home.Path() + "/a", false), 1);
    EXPECT_EQ(second.AddCompName("B", home.Path() + "/b", false), 1);
    EXPECT_EQ(second.AddCompName("A", home.Path() + "/a2", false), 0);
    QStringList names;
    EXPECT_EQ(CDBDirMng().GetDispAllComp(names), 2);
    EXPECT_EQ(names, QStringList({"A", "B"}));

    // A register that cannot be written keeps its old state in memory too.
    ASSERT_TRUE(WriteFile(home.Path() + "/file", "x"));
    CDBDirMng blocked(home.Path() + "/file/DBDirData.dat");
    EXPECT_EQ(blocked.AddCompName("A", home.Path() + "/a", false), 0);
    EXPECT_EQ(blocked.IsExistName("A"), 0);
}

TEST(DBDirMng, UnreadableRegisterIsDetectedAndNeverOverwritten)
{
    CEnvHome home;
    const QString path = home.Path() + "/DBDirData.dat";
    const QByteArray good = R"({"format":"corvanta-dbdir","version":1,"current":"A",)"
                            R"("databases":[{"name":"A","folder":"/data/a"}]})";
    {
        ASSERT_TRUE(WriteFile(path, good));
        CDBDirMng reg(path);
        QString name, folder;
        ASSERT_EQ(reg.GetNowDB(name, folder), 1);
        EXPECT_EQ(name, "A");
        EXPECT_EQ(folder, "/data/a");
    }

    const QByteArray damaged[] = {
        QByteArray(),
        QByteArray("\x00\x81\xff garbage", 12),
        good.left(good.size() - 3),
        good + "x",
        "[]",
        R"({"format":"other","version":1,"current":"","databases":[]})",
        R"({"format":"corvanta-dbdir","version":2,"current":"","databases":[]})",
        R"({"format":"corvanta-dbdir","version":1,"databases":[]})",
        R"({"format":"corvanta-dbdir","version":1,"current":"","databases":{}})",
        R"({"format":"corvanta-dbdir","version":1,"current":"","databases":[{"name":"A"}]})",
        R"({"format":"corvanta-dbdir","version":1,"current":"","databases":[{"name":"","folder":"/a"}]})",
        R"({"format":"corvanta-dbdir","version":1,"current":"","databases":[{"name":1,"folder":"/a"}]})",
        R"({"format":"corvanta-dbdir","version":1,"current":"","databases":)"
        R"([{"name":"A","folder":"/a"},{"name":"A","folder":"/b"}]})",
        R"({"format":"corvanta-dbdir","version":1,"current":"B","databases":[{"name":"A","folder":"/a"}]})",
        "{\"format\":\"corvanta-dbdir\",\"version\":1,\"current\":\"\",\"databases\":"
        "[{\"name\":\"\xff\xfe\",\"folder\":\"/a\"}]}",
    };
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.toStdString());
        ASSERT_TRUE(WriteFile(path, bytes));
        CDBDirMng reg(path);
        QString name = "x", folder = "y";
        EXPECT_EQ(reg.ReadData(), 0);
        EXPECT_EQ(reg.GetNowDB(name, folder), 0);
        EXPECT_TRUE(name.isEmpty() && folder.isEmpty());
        QStringList names{"x"};
        EXPECT_EQ(reg.GetDispAllComp(names), 0);
        EXPECT_TRUE(names.isEmpty());
        EXPECT_EQ(reg.AddCompName("N", "/n", false), 0);
        EXPECT_EQ(reg.SetNowDB("A"), 0);
        EXPECT_EQ(reg.DeleteComp("A"), 0);
        EXPECT_EQ(ReadFile(path), bytes);
    }

    // Once the damaged file is moved aside the register starts empty.
    CDBDirMng reg(path);
    ASSERT_TRUE(QFile::rename(path, path + "001"));
    EXPECT_EQ(reg.ReadData(), 1);
    EXPECT_EQ(reg.AddCompName("N", home.Path() + "/n", true), 1);
    QString name, folder;
    ASSERT_EQ(CDBDirMng(path).GetNowDB(name, folder), 1);
    EXPECT_EQ(name, "N");
}
