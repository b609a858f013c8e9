#include "DbTestSupport.h"

#include "platform/archive/AutFile.h"
#include "platform/data/TableNames.h"
#include "platform/env/ArdoEnv.h"
#include "settings/db/DbFiles.h"

namespace
{

class DbTemplate : public CDbAdminTest
{
};

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST_F(DbTemplate, NewDatabaseHoldsExactlyTheTemplate)
{
    const QString templ = CArdoEnv().GetTemplateFolder();
    ASSERT_FALSE(QFileInfo::exists(templ));
    // A default changed in the template is what new databases get.
    QDir().mkpath(templ + "/Other");
    ASSERT_TRUE(WriteAutFile(templ + "/Other/CloseDay.aut", "20"));

    const QString folder = MakeDatabase("本社", "main", false);
    EXPECT_TRUE(Texts().isEmpty());
    EXPECT_EQ(Entries(folder), QStringList({"BupTmp", "FTtemp.dat", "Files", "Other", "QXSelvo.vrz"}));
    EXPECT_EQ(GetFile(folder + "/QXSelvo.vrz"), GetFile(templ + "/QXSelvo.vrz"));
    EXPECT_EQ(GetFile(folder + "/FTtemp.dat"), QByteArray());
    EXPECT_TRUE(Entries(folder + "/Files").isEmpty());

    // The factory defaults of the sales conditions and the company information.
    const QStringList defaults = Entries(folder + "/Other");
    EXPECT_EQ(defaults.size(), 29);
    EXPECT_TRUE(defaults.contains("CloseDay.aut"));
    EXPECT_FALSE(defaults.contains("CLOSEDAY.AUT"));
    EXPECT_EQ(ReadAutFile(folder + "/Other/CLOSEDAY.AUT", nullptr), "20");
    EXPECT_EQ(GetFile(folder + "/Other/TAXTYPE.AUT"), QByteArray("\x01"
                                                                 "2"));
    EXPECT_EQ(GetFile(folder + "/Other/PLOTERM.AUT"), QByteArray("\x02"
                                                                 "12"));
    EXPECT_EQ(GetFile(folder + "/Other/COLLECTDAY.AUT"), QByteArray("\x02"
                                                                    "99"));
    EXPECT_EQ(GetFile(folder + "/Other/COLLECTTYPE.AUT"), QByteArray::fromHex("048cbb8be0"));
    EXPECT_EQ(GetFile(folder + "/Other/HINBAN.AUT"), QByteArray("\x01"
                                                                "0"));
    EXPECT_EQ(GetFile(folder + "/Other/REMARKS.AUT"), QByteArray("\x01"
                                                                 "1"));
    EXPECT_EQ(GetFile(folder + "/Other/COM.AUT"), QByteArray(1, '\0'));
    EXPECT_EQ(GetFile(folder + "/Other/TELNOHIFN.AUT"), QByteArray(1, '\0'));

    // The new database opens and is registered without becoming current.
    CMakeMsgID data;
    QString err;
    EXPECT_EQ(data.Open(folder, err), 1) << err.toStdString();
    QString name, current;
    CDBDirMng().GetNowDB(name, current);
    EXPECT_TRUE(current.isEmpty());
    EXPECT_EQ(CDBDirMng().IsExistName("本社"), 1);

    // A register that cannot be written over (damaged) refuses the new entry.
    ASSERT_TRUE(PutFile(CDBDirMng::GetDefaultPath(), "damaged"));
    const QString second = Path("second");
    QDir().mkpath(second + "/Other");
    EXPECT_EQ(CreateDatabaseFromTemplate(second, second + "/Other", "支店"), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8("設定ファイルを更新できませんでした"));

    // A target that cannot take the database file.
    QDir().mkpath(Path("third/QXSelvo.vrz"));
    EXPECT_EQ(CreateDatabaseFromTemplate(Path("third"), Path("third/Other"), "三"), 0);
    EXPECT_EQ(LastText(), QString::fromUtf8("データベースを作成できませんでした"));
}

// A first start that was interrupted (or ran out of disk) leaves a database
// file that is no database: it is made again rather than handed on to every
// new database.
TEST_F(DbTemplate, DamagedTemplateDatabaseIsMadeAgain)
{
    const QString templ = CArdoEnv().GetTemplateFolder();
    QDir().mkpath(templ + "/Other");
    ASSERT_TRUE(PutFile(templ + "/FTtemp.dat", ""));
    for (const QByteArray& damaged : {QByteArray(), QByteArray(4096, 'x')}) {
        ASSERT_TRUE(PutFile(templ + "/QXSelvo.vrz", damaged));
        ASSERT_TRUE(PutFile(templ + "/QXSelvo.vrz-journal", "left over"));
        const QString folder =
            MakeDatabase(QString::number(damaged.size()), QString::number(damaged.size()), false);
        CMakeMsgID data;
        QString err;
        EXPECT_EQ(data.Open(folder, err), 1) << err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(templ + "/QXSelvo.vrz-journal"));
        EXPECT_FALSE(QFileInfo::exists(folder + "/QXSelvo.vrz-journal"));
    }
    EXPECT_TRUE(Texts().isEmpty());
}

TEST_F(DbTemplate, FileListAndCopyHelpers)
{
    QStringList files{"stale"};
    GetDbSettingFiles(files);
    EXPECT_EQ(files,
              QStringList({"QXSelvo.vrz", "NoInfo.dat", "Recent.dat", "ClassTitle.dat", "QXDispColSet.dat",
                           "QXDispColSet2.dat", "NWTenkiBunSet.dat", "MasterBunSet.dat", "Money.dat",
                           "MSettingInfo.dat", "SelForm.dat", "Tanto.dat", "Unit.dat", "FTtemp.dat",
                           "QXExtract.sys", "Budefdir.dat", "OleErrLog.txt", "DefOrder.dat"}));

    const QString from = Path("from");
    const QString to = Path("to");
    QDir().mkpath(from + "/sub.vrh");
    QDir().mkpath(to);
    ASSERT_TRUE(PutFile(from + "/qxselvo.VRZ", "db"));
    ASSERT_TRUE(PutFile(from + "/Money.dat", "money"));
    ASSERT_TRUE(PutFile(from + "/Unit.dat", "unit"));
    QFile::setPermissions(from + "/Unit.dat", QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    QDir().mkpath(from + "/Tanto.dat"); // present but no file: it fails
    ASSERT_TRUE(PutFile(to + "/MONEY.DAT", "old"));

    // Missing names are skipped; the existing target is replaced whatever its case.
    EXPECT_EQ(CopyFileList(from, to, files, false, false), 1);
    EXPECT_EQ(Entries(to), QStringList({"MONEY.DAT", "Unit.dat", "qxselvo.VRZ"}));
    EXPECT_EQ(GetFile(to + "/MONEY.DAT"), "money");
    EXPECT_EQ(GetFile(to + "/qxselvo.VRZ"), "db");
    EXPECT_EQ(int(QFileInfo(to + "/Unit.dat").permissions() & QFileDevice::WriteOwner), 0)
        << std::hex << int(QFileInfo(to + "/Unit.dat").permissions());
    EXPECT_EQ(CountExistingFiles(to, files), 3);

    // Clearing read-only makes the copy writable; refusing existing targets counts them.
    EXPECT_EQ(CopyFileList(from, to, {"Unit.dat"}, false, true), 0);
    EXPECT_NE(int(QFileInfo(to + "/Unit.dat").permissions() & QFileDevice::WriteOwner), 0);
    EXPECT_EQ(CopyFileList(from, to, {"Money.dat", "Recent.dat"}, true, false), 1);

    // Folder copies take the extension in any case and never a sub-folder.
    ASSERT_TRUE(PutFile(from + "/S1.VRH", "1"));
    ASSERT_TRUE(PutFile(from + "/s2.vrh", "2"));
    ASSERT_TRUE(PutFile(from + "/s3.vrhx", "3"));
    const QString slips = Path("slips");
    QDir().mkpath(slips);
    EXPECT_EQ(CopyFolderFiles(from, slips, "vrh", false, false), 0);
    EXPECT_EQ(Entries(slips), QStringList({"S1.VRH", "s2.vrh"}));
    EXPECT_EQ(CopyFolderFiles(from + "/missing", slips, "vrh", false, false), 0);
    EXPECT_EQ(CopyFolderFiles(from, Path("no/such/target"), "vrh", false, false), 2);

    // Sources that differ only in case are two files: neither replaces the other.
    ASSERT_TRUE(PutFile(from + "/s1.vrh", "1 lower"));
    ASSERT_TRUE(PutFile(from + "/QXSelvo.vrz", "db upper"));
    const QString twins = Path("twins");
    QDir().mkpath(twins);
    EXPECT_EQ(CopyFolderFiles(from, twins, "vrh", false, false), 0);
    EXPECT_EQ(CopyFileList(from, twins, {"QXSelvo.vrz"}, false, false), 0);
    EXPECT_EQ(Entries(twins), QStringList({"QXSelvo.vrz", "S1.VRH", "qxselvo.VRZ", "s1.vrh", "s2.vrh"}));
    EXPECT_EQ(GetFile(twins + "/S1.VRH"), "1");
    EXPECT_EQ(GetFile(twins + "/s1.vrh"), "1 lower");
    EXPECT_EQ(GetFile(twins + "/qxselvo.VRZ"), "db");
    EXPECT_EQ(GetFile(twins + "/QXSelvo.vrz"), "db upper");

    EXPECT_EQ(DeleteFolderFiles(slips, "VRH"), 0);
    EXPECT_TRUE(Entries(slips).isEmpty());
    EXPECT_EQ(DeleteFileList(to, {"money.dat", "unit.DAT", "Recent.dat"}), 0);
    EXPECT_EQ(Entries(to), QStringList({"qxselvo.VRZ"}));
}

TEST_F(DbTemplate, JournalBesideAClosedDatabase)
{
    const QString folder = MakeDatabase("本社", "main", false);
    const QString journal = folder + "/QXSelvo.vrz-journal";
    EXPECT_TRUE(SettleDatabaseFile(folder));

    // A journal that is no longer needed goes; the database still opens.
    ASSERT_TRUE(PutFile(journal, ""));
    EXPECT_TRUE(SettleDatabaseFile(folder));
    EXPECT_FALSE(QFileInfo::exists(journal));
    ASSERT_TRUE(PutFile(journal, "stale"));
    EXPECT_TRUE(RemoveDatabaseJournal(folder));
    EXPECT_FALSE(QFileInfo::exists(journal));

    // A database that cannot be opened is not settled, so it is not copied.
    ASSERT_TRUE(PutFile(folder + "/QXSelvo.vrz", "not a database at all"));
    ASSERT_TRUE(PutFile(journal, "journal"));
    EXPECT_FALSE(SettleDatabaseFile(folder));
}
