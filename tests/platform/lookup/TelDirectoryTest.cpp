#include <gtest/gtest.h>

#include "platform/env/EnvHome.h"
#include "platform/env/RegistryIni.h"
#include "platform/lookup/DictionaryFile.h"
#include "platform/lookup/TelDirectory.h"
#include "platform/lookup/ZipDictionary.h"
#include "platform/ui/FakeUi.h"

#include <QDir>
#include <QFile>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

void Put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

CRLAddress Address(const char* tel, const char* name, int source = -1)
{
    CRLAddress a;
    a.m_strTelephone = U(tel);
    a.m_strName = U(name);
    a.m_strAddress1 = U("東京都");
    a.m_nSource = source;
    return a;
}

QStringList Names(const QList<CRLAddress>& list)
{
    QStringList names;
    for (const CRLAddress& a : list)
        names << a.m_strName + u':' + a.m_strTelephone;
    return names;
}

} // namespace

TEST(RLAddress, ArchiveBytesAndEquality)
{
    CRLAddress first;
    first.m_nA = 7;
    first.m_nSource = 4;
    first.m_strTelephone = "03";
    first.m_strName = U("甲");
    CRLAddress second;
    second.m_strPostcode = "1";
    const QByteArray bytes = WriteRLAddressList({first, second});
    // The copy in the list starts its `a` at 0 again.
    const QByteArray golden = Hex("0200 ffff 0100 0a00") + "CRLAddress" +
                              Hex("00000000 04000000 02 3033 00 02 8d62 01000000 00000000 00 00 00 00") +
                              Hex("0180 00000000 ffffffff 00 01 31 00 01000000 00000000 00 00 00 00");
    EXPECT_EQ(bytes.toHex(' '), golden.toHex(' '));

    QString error;
    const QList<CRLAddress> back = ReadRLAddressList(bytes, &error);
    EXPECT_TRUE(error.isEmpty());
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[0], first);
    EXPECT_EQ(back[0].m_nSource, 4);
    CRLAddress other = first;
    other.m_nSource = 2;
    other.m_nA = 9;
    EXPECT_EQ(other, first); // neither a nor the source count
    other.m_nC = 1;
    EXPECT_FALSE(other == first);

    // Cut in the second record: the first is kept and the damage reported.
    const QList<CRLAddress> cut = ReadRLAddressList(bytes.left(bytes.size() - 3), &error);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(cut.size(), 1);
    EXPECT_TRUE(ReadRLAddressList(Hex("0100 ffff 0100 0300") + "Foo", &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(RegistryIni, ValuesWithoutCaseAndTheByteLimit)
{
    CEnvHome home;
    const QString key = QStringLiteral("SOFTWARE\\Pellam\\Morvek\\Common\\MorvekTel");
    EXPECT_EQ(ReadRegistryText(key, "YubinPath"), QString());
    const QString long259(259, u'x');
    Put(RegistryIniPath(), ("; the registry stand-in\n[software\\pellam\\morvek\\common\\MORVEKTEL]\n"
                            "yubinpath = /data/yubin\nHDPath=" +
                            long259 + "\nDiffPath=" + long259 +
                            "y\n"
                            "Count=12\n[Other]\nHojinPath=/elsewhere\n")
                               .toUtf8());
    EXPECT_EQ(ReadRegistryText(key, "YubinPath", 260), "/data/yubin");
    EXPECT_EQ(ReadRegistryText(key, "HDPath", 260), long259);
    EXPECT_EQ(ReadRegistryText(key, "DiffPath", 260), QString()); // 260 bytes and its zero do not fit
    EXPECT_EQ(ReadRegistryText(key, "DiffPath"), long259 + "y");
    EXPECT_EQ(ReadRegistryText(key, "HojinPath"), QString());
    EXPECT_EQ(ReadRegistryInt(key, "count"), 12);
    EXPECT_EQ(ReadRegistryInt(key, "YubinPath"), 0);

    // The postal folder from the stand-in, the corporate one missing.
    QString postal, corporate;
    EXPECT_FALSE(CZipDictionary::GetDictionaryPaths(postal, corporate));
    EXPECT_EQ(postal, "/data/yubin");
    EXPECT_EQ(corporate, QString());
    QString hd, diff;
    EXPECT_TRUE(CTelDirectory::GetDirectoryPaths(hd, diff));
    EXPECT_EQ(hd, long259);
    EXPECT_EQ(diff, QString());
}

TEST(TelDirectory, UserFilesAndDictionaryHits)
{
    ScopedFakeUi ui;
    CEnvHome home;
    const QString data = home.Path() + "/tel";
    const QString hd = home.Path() + "/hd";
    QDir().mkpath(data);
    QDir().mkpath(hd);

    CTelDirectory dir;
    EXPECT_TRUE(dir.LoadDirectoryLibrary());
    // No data folder: the open fails with both messages.
    EXPECT_FALSE(dir.Open(hd, {}, {}));
    EXPECT_EQ(ui.Prompt().Texts(),
              QStringList({U("データパスの取得に失敗しました。\nユーザー電話帳データを使用できません。"),
                           U("ユーザー辞書を取得できませんでした\n")}));
    ui.Prompt().Clear();

    Put(RegistryIniPath(),
        ("[SOFTWARE\\Pellam\\Morvek\\Common\\MorvekTel]\nDataPath=" + data + "\n").toUtf8());
    // Empty user files, no dictionary: the "no data" message.
    Put(data + "/UserAddTelData.dat", {});
    EXPECT_FALSE(dir.Open(hd, {}, {}));
    EXPECT_EQ(ui.Prompt().Calls().size(), 1);
    EXPECT_TRUE(dir.UserAdded().isEmpty());
    ui.Prompt().Clear();

    ASSERT_TRUE(WriteDictionary(
        hd + "/Tel.dic", "telephone",
        {{"0312345678", "1", "0", "03-1234-5678", "1000004", U("甲商事"), U("東京都"), "", "", ""},
         {"0312345678", "2", "5", "03(1234)5678", "", U("乙商会"), "", "", "", ""},
         {"0312345678", "3", "0", "03-1234-5678", "", U("丙"), "", "", "", ""},
         {"0312345678", "1", "0", "TEL03", "", U("丁"), "", "", "", ""},
         {"0399999999", "1", "0", "03-9999-9999", "", U("戊"), "", "", "", ""}}));
    CRLAddress deletedHit;
    deletedHit.m_nB = 2;
    deletedHit.m_nC = 5;
    deletedHit.m_strTelephone = "03(1234)5678";
    deletedHit.m_strName = U("乙商会");
    const CRLAddress added = Address("０３－１２３４－５６７８", "自分で追加", 4);
    // The deleted list names the user's own entry too, which stays.
    Put(data + "/UserAddTelData.dat", WriteRLAddressList({added, Address("06-0000-0000", "別番号", 4)}));
    QByteArray deleted = WriteRLAddressList({added, deletedHit, Address("0312345678", "甲商事")});
    Put(data + "/UserDelTelData.dat", deleted.left(deleted.size() - 2)); // damaged in its third record

    ASSERT_TRUE(dir.Open(hd, {}, {}));
    ASSERT_EQ(ui.Prompt().Calls().size(), 1);
    EXPECT_TRUE(ui.Prompt().Texts()[0].contains("UserDelTelData.dat"));
    EXPECT_EQ(dir.UserDeleted().size(), 2);

    QList<CRLAddress> list;
    EXPECT_EQ(dir.Search(QString(), list), -3);
    EXPECT_EQ(dir.Search("0312345678", list), 0);
    // User-added first; kinds other than 1 and 2 left out; a telephone text
    // with letters replaced by the number asked.
    EXPECT_EQ(Names(list), QStringList({U("自分で追加:０３－１２３４－５６７８"), U("甲商事:03-1234-5678"),
                                        U("丁:0312345678")}));
    EXPECT_EQ(list[1].m_strPostcode, "1000004");
    EXPECT_EQ(dir.Close(), 1);
    EXPECT_TRUE(dir.UserAdded().isEmpty());
}
