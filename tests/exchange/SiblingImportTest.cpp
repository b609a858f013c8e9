#include "app/AppHome.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/MasterImport.h"
#include "platform/archive/ArchiveWriter.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/env/RegistryIni.h"
#include "platform/office/XlsxWriter.h"
#include "platform/ui/ChoiceDlg.h"
#include "platform/ui/FakeUi.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{' << list.join(QStringLiteral(" | ")).toStdString() << '}';
}

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// A code-data archive: the version, then an object array of string arrays.
QByteArray CodeData(const QList<QStringList>& elements, qint32 version = 1)
{
    CArchiveWriter ar;
    ar.WriteInt32(version);
    ar.WriteCount(quint32(elements.size()));
    for (const QStringList& element : elements) {
        ar.WriteObjectTag("CStringArray");
        ar.WriteTextList(element);
    }
    return ar.Data();
}

class SiblingImportTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.IsReady());
        m_folder = m_home.AddCurrentDatabase(U("本社"));
        QString err;
        ASSERT_EQ(m_data.Open(m_folder, err), 1) << err.toStdString();
        m_sibling = QDir(m_folder).filePath(QStringLiteral("sibling"));
        QDir().mkpath(m_sibling + QStringLiteral("/Excel"));
    }
    void TearDown() override
    {
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
        EXPECT_EQ(m_dialogs.Pending(), 0);
    }
    void Registry(const QString& text)
    {
        QFile ini(CRegistryIni::FilePath());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(text.arg(m_sibling).toUtf8());
    }
    void WriteFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(QDir(m_sibling).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    // A ledger book: four heading rows, then the rows.
    void Book(const QString& name, const QList<QStringList>& rows, int columns)
    {
        QList<QStringList> all{{U("台帳")}, {}, {}, {}};
        all += rows;
        ASSERT_TRUE(
            CXlsxWriter::Write(QDir(m_sibling).filePath(QStringLiteral("Excel/") + name), all, columns, {}));
    }
    QString Get(const QString& sql)
    {
        CCDSData request, result;
        request.m_strCondition = sql;
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString();
        QStringList rows;
        for (int i = 0; i < result.GetCount(); ++i) {
            QStringList cells;
            for (int f = 0; f < result.GetAt(i)->GetCount(); ++f)
                cells << result.GetAt(i)->GetAt(f)->GetText();
            rows << cells.join(u'|');
        }
        return rows.join(u'\n');
    }
    int Toskel(const CMasterKind& kind)
    {
        CMasterImport import(kind);
        import.SetMakeMsgID(&m_data);
        CCDSData records;
        return import.ImportFromToskel(&records);
    }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    CScriptedExchangeDialogs m_dialogs;
    CMakeMsgID m_data;
    QString m_folder;
    QString m_sibling;
};

} // namespace

TEST_F(SiblingImportTest, CodeDataArchivesAndDamagedOnes)
{
    QList<QStringList> elements;
    ASSERT_EQ(CMasterImport::ParseCodeData(CodeData({{"A1", U("甲")}, {}, {"A3"}}), elements), 1);
    EXPECT_EQ(elements, QList<QStringList>({{"A1", U("甲")}, {}, {"A3"}}));
    EXPECT_EQ(CMasterImport::ParseCodeData(CodeData({{"A1"}}, 2), elements), 0) << "a newer file";

    // A wide text (the UTF-16 marker) and a big class tag.
    const QString text = U("髙𠀋");
    CArchiveWriter ar;
    ar.WriteInt32(1);
    ar.WriteCount(2);
    ar.WriteObjectTag("CKokyakuArray"); // whatever class the writing tool used
    ar.WriteCount(1);
    ar.WriteByte(0xFF);
    ar.WriteUInt16(0xFFFE);
    ar.WriteByte(quint8(text.size()));
    ar.WriteBytes(QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
    ar.WriteUInt16(0x7FFF);
    ar.WriteUInt32(0x80000001u); // class 1, in the big form
    ar.WriteCount(1);
    ar.WriteText(QStringLiteral("Z"));
    ASSERT_EQ(CMasterImport::ParseCodeData(ar.Data(), elements), 1) << ar.Data().toHex().constData();
    EXPECT_EQ(elements, QList<QStringList>({{text}, {"Z"}}));

    // Counts beyond the file, unknown tags, truncation: refused whole.
    const QByteArray good = CodeData({{"A1", "B"}});
    QByteArray hugeCount = good.left(4) + QByteArray::fromHex("ffffffffff7f");
    QByteArray hugeStrings = good;
    const qsizetype stringsAt = good.size() - 7; // the count before "A1" and "B"
    hugeStrings.replace(stringsAt, 2, QByteArray::fromHex("ffffffffff7f"));
    QByteArray backReference = good.left(6) + QByteArray::fromHex("0100");
    for (const QByteArray& bad :
         {hugeCount, hugeStrings, backReference, good.left(good.size() - 1), QByteArray()}) {
        EXPECT_EQ(CMasterImport::ParseCodeData(bad, elements), -1) << bad.toHex().constData();
        EXPECT_TRUE(elements.isEmpty());
    }
}

TEST_F(SiblingImportTest, CodeDataByVersionIntoTheDatabase)
{
    WriteFile(QStringLiteral("codekokyaku2.DAT"),
              CodeData({{"T1", U("東商事"), U("営業部"), "", U("田中"), U("様"), "100-0001",
                         U("東京都\n千代田区"), "03-1", "03-2", "x"},
                        {"T2", U("西")}}));
    const QString old = U("『トスケル２』または『トスケル３』が見つかりません。\nこの機能は『トスケル２』また"
                          "は『トスケル３』がインストールしてある場合のみ有効です。");
    const QString newer = U("『トスケル３』より新しいバージョンがインストールされています。");
    const struct {
        const char* ver;
        QList<int> answers;
        int result;
        QString first;
    } cases[] = {{"609", {}, 2, old}, {"800", {IDNO}, 2, newer}, {"799", {}, 1, {}}};
    for (const auto& c : cases) {
        Registry(
            U("[software\\pellam\\fennimor\\TOSKEL]\nver=%2\n[SOFTWARE\\Pellam\\Fennimor\\Common\\CodeData]\n"
              "datapath=%1\n")
                .arg(QStringLiteral("%1"), QLatin1String(c.ver)));
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueAnswers(c.answers);
        EXPECT_EQ(Toskel(CMasterKind::Customers()), c.result) << c.ver;
        const QStringList texts = m_ui.Prompt().Texts();
        if (c.first.isEmpty())
            EXPECT_EQ(texts, QStringList{U("2件のデータを新規登録しました。\n")}) << c.ver;
        else
            EXPECT_TRUE(texts.value(0).startsWith(c.first)) << c.ver << texts.value(0).toStdString();
    }
    EXPECT_EQ(
        Get(QStringLiteral("SELECT CustomerCode, Company, Section, Name, Keisho2, Zip, Address, TEL, FAX "
                           "FROM Customer WHERE CustomerCode LIKE 'T%' ORDER BY CustomerCode")),
        U("T1|東商事|営業部|田中|様|100-0001|東京都\r\n千代田区|03-1|03-2\nT2|西|||||||"));

    // A damaged file is said, nothing registered; no path, no file: their own messages.
    WriteFile(QStringLiteral("codekokyaku2.DAT"), CodeData({{"T9"}}).left(9));
    m_ui.Prompt().Clear();
    EXPECT_EQ(Toskel(CMasterKind::Customers()), 2);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("データファイルが開けません")});
    Registry(U("[SOFTWARE\\Pellam\\Fennimor\\Toskel]\nVer=610\n"));
    m_ui.Prompt().Clear();
    EXPECT_EQ(Toskel(CMasterKind::Items()), 2);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("ケルダンのデータが取得できませんでした。")});
    Registry(U("[SOFTWARE\\Pellam\\Fennimor\\Toskel]\nVer=610\n[SOFTWARE\\Pellam\\Fennimor\\Common\\CodeData]"
               "\nDataPath=%1\n"));
    m_ui.Prompt().Clear();
    EXPECT_EQ(Toskel(CMasterKind::Items()), 2);
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("データファイルがありません")});
    EXPECT_EQ(Get(QStringLiteral("SELECT COUNT(*) FROM Customer WHERE CustomerCode = 'T9'")),
              QStringLiteral("0"));
}

TEST_F(SiblingImportTest, LedgerBooksAndTheLinkedWaybillProduct)
{
    Registry(U("[SOFTWARE\\Pellam\\Fennimor\\Brenlo]\nInstalledDir=%1\nVer=610\n"
               "[SOFTWARE\\Pellam\\Fennimor\\Cadmir]\nInstalledDir=%1\nVer=650\nPloRen=1\n"));
    Book(QStringLiteral("Kokyaku.xls"),
         {{"K1", U("北商会"), "", "", "", "", "", "", "", "", "x", "4", U("20"), "1000", "y", U("メモ")},
          {"", "", "", "", "", "", "", "", "", "", U("無視"), "", "", "", U("無視")},
          {"K2", U("南"), "", "", "", "", "", "", "", "", "", "1", "99", "", "", ""}},
         16);
    Book(QStringLiteral("Shohin.xls"),
         {{"P1", U("品一"), "1200", U("個"), U("特売 非課税 品")}, {"P2", U("品二"), "", "", ""}}, 5);

    // The waybill product linked to the slip-printing one reads that book,
    // columns 11-13 included.
    CMasterImport cadmir(CMasterKind::Customers());
    cadmir.SetMakeMsgID(&m_data);
    CCDSData records;
    EXPECT_EQ(cadmir.ImportFromCadmir(&records), 1);
    EXPECT_EQ(m_ui.Prompt().Texts().value(0),
              U("『カドミア』は『ブレンロ』と連携しています。\n連携されたデータを読み込みます。"));
    EXPECT_EQ(Get(QStringLiteral("SELECT CustomerCode, Company, TaxType, Day, Collect, Memo FROM Customer "
                                 "WHERE CustomerCode LIKE 'K%' ORDER BY CustomerCode")),
              U("K1|北商会|0|20|1000|メモ\nK2|南|1|99|0|"))
        << "tax type 4 becomes 0; the row of ignored cells only is skipped";

    // Products from the book: "非課税" in the remarks makes them tax-free and leaves the remarks.
    const ChoiceDialogRunner old = SetChoiceDialogRunner([](int mode, int& choice) {
        EXPECT_EQ(mode, 3);
        choice = 0;
        return int(IDOK);
    });
    CMasterImport brenlo(CMasterKind::Items());
    brenlo.SetMakeMsgID(&m_data);
    CCDSData items;
    EXPECT_EQ(brenlo.ImportFromBrenlo(&items), 1);
    SetChoiceDialogRunner(old);
    EXPECT_EQ(Get(QStringLiteral("SELECT ItemCode, ItemName, Price, Unit, Remarks, TaxFlg, TaxFlg2 FROM Item "
                                 "WHERE ItemCode IN ('P1','P2') ORDER BY ItemCode")),
              U("P1|品一|1200|個|特売  品|0|0\nP2|品二|0|||1|1"));
    EXPECT_EQ(m_dialogs.Log().filter(QStringLiteral("ImportConfirm")).size(), 2);
}
