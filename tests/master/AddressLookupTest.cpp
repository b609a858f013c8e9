#include <gtest/gtest.h>

#include "master/AddressLookup.h"
#include "master/AddressSelectDlg.h"
#include "platform/env/EnvHome.h"
#include "platform/env/RegistryIni.h"
#include "platform/lookup/DictionaryFile.h"
#include "platform/ui/FakeUi.h"
#include "platform/ui/Modal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

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

QStringList Lines(const QList<CRLAddress>& list)
{
    QStringList lines;
    for (const CRLAddress& a : list)
        lines << QStringList({a.m_strPostcode, a.m_strAddress1, a.m_strAddress2, a.m_strAddress3,
                              a.m_strAddress4, a.m_strName, QString::number(a.m_nSource)})
                     .join(u'|');
    return lines;
}

// An installation whose registry stand-in names tiny dictionaries.
class AddressLookupTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_dic = m_home.Path() + "/dic";
        QDir().mkpath(m_dic);
        Put(RegistryIniPath(),
            ("[SOFTWARE\\Pellam\\Morvek\\Common\\MorvekTel]\nYubinPath=" + m_dic + "\nHojinPath=" + m_dic +
             "\nDataPath=" + m_home.Path() + "\nHDPath=" + m_dic + "\n")
                .toUtf8());
        ASSERT_TRUE(WriteDictionary(m_dic + "/Yubin.dic", "postal",
                                    {{"1000004", U("東京都"), U("千代田区"), U("大手町"), ""},
                                     {"1006590", U("東京都"), U("千代田区"), U("丸の内"), U("丸の内ビル")},
                                     {"1006591", U("東京都"), U("千代田区"), U("丸の内"), U("丸の内ビル")},
                                     {"1010001", U("東京都"), U("千代田区"), U("神田"), ""}}));
        ASSERT_TRUE(WriteDictionary(
            m_dic + "/Hojin.dic", "corporate",
            {{"1008111", U("株式会社甲"), U("大手町一丁目1番"), U("東京都"), U("千代田区")}}));
        ASSERT_TRUE(WriteDictionary(m_dic + "/Tel.dic", "telephone",
                                    {{"0312345678", "1", "0", "03-1234-5678", "1000004", U("甲商事"),
                                      U("東京都"), U("千代田区"), U("大手町"), U("一丁目")}}));
    }

    ScopedFakeUi m_ui;
    CEnvHome m_home;
    QString m_dic;
};

} // namespace

TEST_F(AddressLookupTest, PostcodeSearchScopesAndRefusals)
{
    CAddressLookup lookup;
    QList<CRLAddress> list;
    const struct {
        const char* text;
        const char* message;
    } refused[] = {{"", "郵便番号を半角数字で入力してください"},
                   {"ab", "郵便番号を半角数字で入力してください"},
                   {"12", "郵便番号を半角数字で3桁以上入力してください"},
                   {"１-2", "郵便番号を半角数字で3桁以上入力してください"}};
    for (const auto& r : refused) {
        m_ui.Prompt().Clear();
        EXPECT_EQ(lookup.SearchByPostcode(U(r.text), list), 0) << r.text;
        ASSERT_EQ(m_ui.Prompt().Calls().size(), 1);
        EXPECT_EQ(m_ui.Prompt().Calls()[0].text, U(r.message));
        EXPECT_EQ(m_ui.Prompt().Calls()[0].icon, MB_ICONINFORMATION);
    }
    m_ui.Prompt().Clear();

    // "１００" is the prefix 100*; both dictionaries, each row its postcode.
    ASSERT_EQ(lookup.SearchByPostcode(U("１００"), list), 1);
    EXPECT_EQ(Lines(list), QStringList({U("1000004|東京都|千代田区|大手町|||2"),
                                        U("1006590|東京都|千代田区|丸の内|丸の内ビル||2"),
                                        U("1006591|東京都|千代田区|丸の内|丸の内ビル||2"),
                                        U("1008111|東京都|千代田区||大手町一丁目1番|株式会社甲|2")}));
    list.clear();
    ASSERT_EQ(lookup.SearchByPostcode("100-0004", list, 2), 1);
    EXPECT_EQ(Lines(list), QStringList{U("1000004|東京都|千代田区|大手町|||2")});
    list.clear();
    ASSERT_EQ(lookup.SearchByPostcode("100", list, 1), 1);
    EXPECT_EQ(list.size(), 1);
    list.clear();
    ASSERT_EQ(lookup.SearchByPostcode("1234567", list), 1);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_TRUE(m_ui.Prompt().Calls().isEmpty());
}

TEST_F(AddressLookupTest, OpenFailuresAreSaidAndTriedAgain)
{
    const struct {
        const char* corpFile;
        const char* message;
    } cases[] = {{nullptr, "法人辞書ファイルをオープンできません\n35\n"},
                 {"postal", "法人辞書のバージョンが正しくありません\n36\n"}};
    for (const auto& c : cases) {
        QFile::remove(m_dic + "/Hojin.dic");
        if (c.corpFile) {
            ASSERT_TRUE(WriteDictionary(m_dic + "/Hojin.dic", c.corpFile, {}));
        }
        m_ui.Prompt().Clear();
        CAddressLookup lookup;
        QList<CRLAddress> list;
        EXPECT_EQ(lookup.SearchByPostcode("1000004", list), 0);
        EXPECT_EQ(
            m_ui.Prompt().Texts(),
            QStringList({U(c.message), U("データが開けませんでした。\n郵便番号データ検索ができません。\n")}));
    }
    // A failed open is tried again by the next search.
    CAddressLookup lookup;
    QList<CRLAddress> list;
    Put(m_dic + "/Yubin.dic", "garbage that is not a dictionary");
    EXPECT_EQ(lookup.SearchByPostcode("1000004", list), 0);
    EXPECT_EQ(m_ui.Prompt().Texts().value(m_ui.Prompt().Texts().size() - 2),
              U("ファイルが壊れています\n4\n"));
    ASSERT_TRUE(WriteDictionary(m_dic + "/Yubin.dic", "postal", {{"1000004", "a", "b", "c", ""}}));
    ASSERT_TRUE(WriteDictionary(m_dic + "/Hojin.dic", "corporate", {}));
    EXPECT_EQ(lookup.SearchByPostcode("1000004", list), 1);
    EXPECT_EQ(list.size(), 1);

    // No folders at all.
    Put(RegistryIniPath(), "");
    m_ui.Prompt().Clear();
    CAddressLookup none;
    EXPECT_EQ(none.SearchByPostcode("1000004", list), 0);
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList{U("郵便番号・住所検索のためのデータが取得できませんでした。\n")});
    m_ui.Prompt().Clear();
    EXPECT_EQ(none.SearchByTelephone("03", list), 0);
    EXPECT_EQ(m_ui.Prompt().Texts().value(0),
              U("電話番号検索のためのデータパスが取得できませんでした。\n"
                "電話番号検索をするには、電話帳のCDをセットして操作しなおしてください。\n"));
}

TEST_F(AddressLookupTest, TelephoneSearch)
{
    CAddressLookup lookup;
    QList<CRLAddress> list;
    EXPECT_EQ(lookup.SearchByTelephone(U("－"), list), 0);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("電話番号を半角数字で入力してください")});
    ASSERT_EQ(lookup.SearchByTelephone(U("03-1234-５６７８"), list), 1);
    EXPECT_EQ(Lines(list), QStringList{U("1000004|東京都|千代田区|大手町|一丁目|甲商事|2")});
}

TEST_F(AddressLookupTest, ChoosingAnAddress)
{
    CAddressLookup lookup;
    QList<CRLAddress> list;
    EXPECT_EQ(lookup.ChooseAddress(list, 0), 1);
    ASSERT_EQ(m_ui.Prompt().Calls().size(), 1);
    EXPECT_EQ(m_ui.Prompt().Calls()[0].text, U("該当するデータはありませんでした"));
    EXPECT_EQ(m_ui.Prompt().Calls()[0].icon, MB_ICONINFORMATION);
    m_ui.Prompt().Clear();

    ASSERT_EQ(lookup.SearchByPostcode("100", list), 1);
    ASSERT_EQ(list.size(), 4);
    const QList<CRLAddress> all = list;

    // The dialog: one row per candidate, nothing selected; OK without a
    // row is refused and stays open.
    QStringList rows;
    int run = 0;
    ScopedModalRunner runner([&](QDialog& dialog) {
        auto& select = static_cast<CAddressSelectDlg&>(dialog);
        EXPECT_EQ(dialog.windowTitle(), U("住所を選択"));
        QTreeWidget* table = select.List();
        for (int i = 0; i < table->topLevelItemCount(); ++i)
            rows << table->topLevelItem(i)->text(0) + u'|' + table->topLevelItem(i)->text(1) + u'|' +
                        table->topLevelItem(i)->text(2);
        EXPECT_TRUE(table->selectedItems().isEmpty());
        if (++run == 1) {
            dialog.accept();
            EXPECT_EQ(dialog.result(), QDialog::Rejected);
            dialog.reject();
            return int(QDialog::Rejected);
        }
        table->topLevelItem(2)->setSelected(true);
        dialog.accept();
        return dialog.result();
    });
    EXPECT_EQ(lookup.ChooseAddress(list, 0), 0);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("選択してください。")});
    EXPECT_EQ(list.size(), 4);
    EXPECT_EQ(rows.value(1), U("1006590|東京都千代田区丸の内丸の内ビル|"));
    EXPECT_EQ(rows.value(3), U("1008111|東京都千代田区大手町一丁目1番|株式会社甲"));
    EXPECT_EQ(lookup.ChooseAddress(list, 0), 1);
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0], all[2]);
    // One address is taken as it is.
    EXPECT_EQ(lookup.ChooseAddress(list, 0), 1);
    EXPECT_EQ(run, 2);
}

TEST(AddressLookup, StripParenthesisedAndTheDirectoryDisc)
{
    const struct {
        const char* in;
        const char* out;
    } strips[] = {{"大手町（次のビルを除く）", "大手町"},
                  {"（注）丸の内（１丁目）", "丸の内（１丁目）"},
                  {"丸の内(1)", "丸の内(1)"},
                  {"丸の内（1", "丸の内（1"},
                  {"丸の内）（", "丸の内）（"},
                  {"", ""}};
    for (const auto& s : strips)
        EXPECT_EQ(CAddressLookup::StripParenthesised(U(s.in)), U(s.out)) << s.in;

    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("disc two/MorvekTel"));
    QDir().mkpath(dir.filePath("data/MorvekTel"));
    QDir().mkpath(dir.filePath("empty"));
    const QString mounts = dir.filePath("mounts");
    Put(mounts,
        ("/dev/sda1 " + dir.filePath("data") + " ext4 rw 0 0\n" + "/dev/sr0 " + dir.filePath("empty") +
         " iso9660 ro 0 0\n" + "/dev/sr1 " + dir.filePath("disc\\040two") + " udf ro 0 0\n")
            .toUtf8());
    CAddressLookup::SetMountsFile(mounts);
    EXPECT_EQ(CAddressLookup::FindDirectoryCD(), dir.filePath("disc two/"));
    CAddressLookup::SetMountsFile(dir.filePath("missing"));
    EXPECT_EQ(CAddressLookup::FindDirectoryCD(), QString());
    CAddressLookup::SetMountsFile({});
}
