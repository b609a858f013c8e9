#include <gtest/gtest.h>

#include "TestPaths.h"
#include "platform/lookup/DictionaryFile.h"
#include "platform/lookup/ZipDictionary.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

void Put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The levels below the first entry of each level, joined by "/".
QStringList Walk(CZipDictionary& dic)
{
    QStringList paths;
    for (int a = 0; a < dic.GetCount(0); ++a) {
        dic.SetSelected(0, a);
        if (dic.SearchNext() != 0)
            continue;
        for (int b = 0; b < dic.GetCount(1); ++b) {
            dic.SetSelected(1, b);
            if (dic.SearchNext() != 0)
                continue;
            for (int c = 0; c < dic.GetCount(2); ++c) {
                dic.SetSelected(2, c);
                if (dic.SearchNext() != 0)
                    continue;
                for (int d = 0; d < dic.GetCount(3); ++d)
                    paths << QStringList({dic.GetEntry(0, a)->m_strName, dic.GetEntry(1, b)->m_strName,
                                          dic.GetEntry(2, c)->m_strName, dic.GetEntry(3, d)->m_strName,
                                          dic.GetEntry(3, d)->m_strPostcode})
                                 .join(u'/');
            }
        }
    }
    return paths;
}

QString RunConverter(const QString& package, const QString& out)
{
    QProcess process;
    process.start(QStringLiteral("python3"),
                  {QStringLiteral(CORVANTA_SOURCE_DIR "/scripts/build-postcode-dict"), package, out,
                   QStringLiteral("--min-rows=1")});
    if (!process.waitForFinished(60000))
        return QStringLiteral("did not finish");
    return process.exitCode() == 0 ? QString() : QString::fromUtf8(process.readAllStandardError());
}

} // namespace

TEST(ZipDictionary, OpenResults)
{
    QTemporaryDir dir;
    const QString postal = dir.filePath("postal");
    const QString corp = dir.filePath("corp");
    QDir().mkpath(postal);
    QDir().mkpath(corp);
    CZipDictionary dic;
    EXPECT_EQ(dic.Search(), 98);
    EXPECT_EQ(dic.Open(QString(), corp), 1);
    EXPECT_EQ(dic.Open(postal, corp), 2);

    Put(postal + "/Yubin.dic", "not a database at all, just text of some length to be read");
    EXPECT_EQ(dic.Open(postal, corp), 4);
    Put(postal + "/Yubin.dic", "");
    EXPECT_EQ(dic.Open(postal, corp), 4);
    ASSERT_TRUE(WriteDictionary(postal + "/Yubin.dic", "corporate", {})); // the other kind
    EXPECT_EQ(dic.Open(postal, corp), 4);
    ASSERT_TRUE(WriteDictionary(postal + "/Yubin.dic", "postal", {}));
    EXPECT_EQ(dic.Open(postal, corp), 35);
    ASSERT_TRUE(WriteDictionary(corp + "/Hojin.dic", "postal", {}));
    EXPECT_EQ(dic.Open(postal, corp), 36);
    ASSERT_TRUE(WriteDictionary(corp + "/Hojin.dic", "corporate", {}));
    EXPECT_EQ(dic.Open(postal, corp), 0);
    EXPECT_EQ(dic.Open(postal, corp), 98);
    dic.Close();

    // Another format version.
    {
        QProcess sql;
        sql.start("python3", {"-c",
                              "import sqlite3,sys; d=sqlite3.connect(sys.argv[1]); "
                              "d.execute(\"update dic_info set value='2' where key='version'\"); d.commit()",
                              postal + "/Yubin.dic"});
        ASSERT_TRUE(sql.waitForFinished(30000));
        ASSERT_EQ(sql.exitCode(), 0);
    }
    EXPECT_EQ(dic.Open(postal, corp), 5);
    EXPECT_FALSE(dic.IsOpen());
}

TEST(ZipDictionary, LevelsAndCorporateLists)
{
    QTemporaryDir dir;
    ASSERT_TRUE(
        WriteDictionary(dir.filePath("Yubin.dic"), "postal",
                        {{"1000004", U("東京都"), U("千代田区"), U("大手町"), ""},
                         {"1000005", U("東京都"), U("千代田区"), U("丸の内"), ""},
                         {"1006590", U("東京都"), U("千代田区"), U("丸の内"), U("丸の内ビルディング")},
                         {"1006591", U("東京都"), U("千代田区"), U("丸の内"), U("丸の内ビルディング")},
                         {"1010001", U("東京都"), U("千代田区"), U("神田"), ""},
                         {"0600042", U("北海道"), U("札幌市中央区"), U("大通西"), ""}}));
    ASSERT_TRUE(WriteDictionary(dir.filePath("Hojin.dic"), "corporate",
                                {{"1008111", U("株式会社甲"), U("一丁目1番"), U("東京都"), U("千代田区")},
                                 {"1008112", U("乙株式会社"), U("二丁目2番"), U("東京都"), U("千代田区")}}));
    CZipDictionary dic;
    ASSERT_EQ(dic.Open(dir.path(), dir.path()), 0);

    dic.Reset();
    dic.SetKey(4, "100*");
    ASSERT_EQ(dic.Search(), 0);
    // Two rows of one address keep their own postcodes; 101 is outside.
    EXPECT_EQ(Walk(dic),
              QStringList({U("東京都/千代田区/大手町//1000004"), U("東京都/千代田区/丸の内//1000005"),
                           U("東京都/千代田区/丸の内/丸の内ビルディング/1006590"),
                           U("東京都/千代田区/丸の内/丸の内ビルディング/1006591")}));
    dic.Reset();
    dic.SetKey(4, "1000005");
    ASSERT_EQ(dic.Search(), 0);
    EXPECT_EQ(Walk(dic), QStringList{U("東京都/千代田区/丸の内//1000005")});
    dic.Reset();
    dic.SetKey(4, "100000");
    EXPECT_EQ(dic.Search(), CZipDictionary::kNoHits);
    EXPECT_EQ(dic.GetCount(0), 0);
    EXPECT_EQ(dic.GetEntry(0, 0), nullptr);

    dic.SetCorporate(true);
    dic.Reset();
    dic.SetKey(4, "100*");
    ASSERT_EQ(dic.Search(), 0);
    ASSERT_EQ(dic.GetCount(0), 1);
    dic.SetSelected(0, 0);
    ASSERT_EQ(dic.SearchNext(), 0);
    ASSERT_EQ(dic.GetCount(1), 1);
    EXPECT_EQ(dic.GetEntry(1, 0)->m_strName, U("千代田区"));
    dic.SetSelected(1, 0);
    ASSERT_EQ(dic.SearchNext(), 0);
    EXPECT_EQ(dic.GetCount(2), 0);
    ASSERT_EQ(dic.GetCorpCount(0), 2);
    EXPECT_EQ(dic.GetCorpCount(1), 0);
    EXPECT_EQ(dic.GetCorpEntry(0, 1)->m_strCompany, U("乙株式会社"));
    EXPECT_EQ(dic.GetCorpEntry(0, 1)->m_strPostcode, "1008112");
    EXPECT_EQ(dic.GetCorpEntry(1, 0), nullptr);
}

TEST(PostcodeConverter, BuildsTheDictionaryOrFailsWithout)
{
    QTemporaryDir out;
    const QString fixtures = QStringLiteral(CORVANTA_SOURCE_DIR "/tests/platform/lookup/fixtures");
    ASSERT_EQ(RunConverter(fixtures + "/package", out.path()), QString());
    EXPECT_TRUE(QFile::exists(out.filePath("LICENSE-japan-postal-code.txt")));
    CZipDictionary dic;
    ASSERT_EQ(dic.Open(out.path(), out.path()), 0);
    dic.Reset();
    dic.SetKey(4, "100*");
    ASSERT_EQ(dic.Search(), 0);
    EXPECT_EQ(Walk(dic), QStringList({U("東京都/千代田区///1000000"), U("東京都/千代田区/大手町//1000004"),
                                      U("東京都/千代田区/丸の内//1000005"),
                                      U("東京都/千代田区/丸の内/丸の内ビルディング/1006590")}));
    dic.Reset();
    dic.SetKey(4, "0600042");
    ASSERT_EQ(dic.Search(), 0);
    EXPECT_EQ(Walk(dic), QStringList{U("北海道/札幌市中央区/大通西//0600042")});
    dic.Close();

    // A prefecture outside 1-47: the step fails and writes nothing.
    QTemporaryDir bad;
    const QString error = RunConverter(fixtures + "/bad", bad.path());
    EXPECT_TRUE(error.contains("prefecture of 1000005")) << error.toStdString();
    EXPECT_TRUE(QDir(bad.path()).entryList(QDir::Files).isEmpty());
}

// The dictionary the install step built and the build copied. Skipped when
// it was never installed, unless the test run requires it.
TEST(InstalledDictionary, HoldsTheNationwidePostcodes)
{
    const QString folder = QStringLiteral(CORVANTA_DIC_DIR);
    if (!QFile::exists(folder + "/Yubin.dic")) {
        if (qEnvironmentVariableIntValue("CORVANTA_REQUIRE_DIC"))
            FAIL() << "no postcode dictionary in " << folder.toStdString();
        GTEST_SKIP() << "scripts/install-postcode-data has not run";
    }
    CZipDictionary dic;
    ASSERT_EQ(dic.Open(folder, folder), 0);
    dic.Reset();
    dic.SetKey(4, "1000004");
    ASSERT_EQ(dic.Search(), 0);
    EXPECT_EQ(Walk(dic), QStringList{U("東京都/千代田区/大手町//1000004")});
    CDictionaryFile file;
    ASSERT_EQ(file.Open(folder + "/Yubin.dic", "postal"), CDictionaryFile::OK);
    int count = 0;
    for (const char* prefix : {"0*", "1*", "2*", "3*", "4*", "5*", "6*", "7*", "8*", "9*"}) {
        dic.Reset();
        dic.SetKey(4, prefix);
        ASSERT_EQ(dic.Search(), 0);
        count += Walk(dic).size();
    }
    EXPECT_GT(count, 140000);
}
