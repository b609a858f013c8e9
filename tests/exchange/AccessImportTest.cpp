#include "TestPaths.h"
#include "app/AppHome.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/MasterImport.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/office/AccessSource.h"
#include "platform/ui/FakeUi.h"
#include "support/WaitWatching.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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

// A database in memory: the stage that fails to open (0 none), its tables,
// and one table's contents (or the step its reading fails in).
struct CFakeDb {
    int openStage = 0;
    QStringList tables;
    QList<CAccessColumn> columns;
    QStringList keys;
    QList<CAccessRow> rows;
    QString failStep;
    QStringList readTables; // the tables read, in order
};

class CFakeAccessSource : public IAccessSource
{
  public:
    explicit CFakeAccessSource(CFakeDb& db) : m_db(db) {}
    int Open(const QString&) override { return m_db.openStage; }
    QStringList Tables() const override { return m_db.tables; }
    bool ReadTable(const QString& table, QList<CAccessColumn>& columns, QStringList& keys,
                   QList<CAccessRow>& rows, QString& step) override
    {
        m_db.readTables << table;
        if (!m_db.failStep.isEmpty()) {
            step = m_db.failStep;
            return false;
        }
        columns = m_db.columns;
        keys = m_db.keys;
        rows = m_db.rows;
        return true;
    }

  private:
    CFakeDb& m_db;
};

CScriptedExchangeDialogs::TableScript Choose(int index)
{
    return [index](CTableSelectRules& rules) {
        rules.m_nSelected = index;
        return int(IDOK);
    };
}

class AccessImportTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.IsReady());
        m_old = SetAccessSourceFactory([this] { return std::make_unique<CFakeAccessSource>(m_db); });
    }
    void TearDown() override
    {
        SetAccessSourceFactory(m_old);
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
        EXPECT_EQ(m_dialogs.Pending(), 0);
    }
    int Read(CMasterImport& import) { return import.ReadAccessFile(QStringLiteral("/x/db.mdb")); }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    CScriptedExchangeDialogs m_dialogs;
    CFakeDb m_db;
    AccessSourceFactory m_old;
};

} // namespace

TEST_F(AccessImportTest, StagesTablesAndTheChoice)
{
    struct Case {
        int openStage;
        QStringList tables;
        const char* message;
    } cases[] = {{1, {}, "データベースを開けません<1>"},
                 {3, {}, "データベースを開けません<3>"},
                 {4,
                  {},
                  "データベースがパスワードで保護されているため開けません。\nAccessで開いてパスワードを解除し"
                  "てから読み込んでください。"},
                 {0, {}, "テーブルがありません。\n処理を中止します。"}};
    for (const Case& c : cases) {
        m_db.openStage = c.openStage;
        m_db.tables = c.tables;
        m_ui.Prompt().Clear();
        CMasterImport import(CMasterKind::Customers());
        EXPECT_EQ(Read(import), 0);
        EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U(c.message)});
    }
    m_db.openStage = 0;
    m_db.tables = {"A", "B"};
    m_ui.Prompt().Clear();
    // Cancelled, then "次へ" without a choice (refused, then cancelled): nothing read.
    m_dialogs.QueueTableSelect([](CTableSelectRules&) { return int(IDCANCEL); });
    m_dialogs.QueueTableSelect([](CTableSelectRules&) { return int(IDOK); });
    for (int i = 0; i < 2; ++i) {
        CMasterImport import(CMasterKind::Customers());
        EXPECT_EQ(Read(import), IDCANCEL);
        EXPECT_TRUE(import.m_rows.isEmpty());
    }
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("テーブルを選択してください")});
    EXPECT_TRUE(m_db.readTables.isEmpty());

    // A failure after the choice names its step.
    m_ui.Prompt().Clear();
    m_db.failStep = U("主キーの読み込み");
    m_dialogs.QueueTableSelect(Choose(1));
    CMasterImport import(CMasterKind::Customers());
    EXPECT_EQ(Read(import), 0);
    EXPECT_EQ(m_db.readTables, QStringList{"B"});
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList{U("データベースの読み込みに失敗しました。\n（B：主キーの読み込み）")});
    EXPECT_EQ(m_dialogs.Log(),
              QStringList({"TableSelect A|B -> IDCANCEL", "TableSelect A|B -> IDCANCEL refused",
                           "TableSelect A|B -> IDOK"}));
}

TEST_F(AccessImportTest, RowsSortedByTypedKeysWithTheirTexts)
{
    using C = CAccessColumn;
    m_db.tables = {U("得意先")};
    // The columns arrive out of position order; cells go by position.
    m_db.columns = {{2, "No", C::kInteger},     {1, U("名前"), C::kText}, {3, "Rate", C::kFloat},
                    {4, "Money", C::kCurrency}, {5, "When", C::kDate},    {6, "Yes", C::kBool},
                    {7, "Id", C::kGuid},        {8, "Blob", C::kBinary},  {9, "Grp", C::kText}};
    m_db.keys = {"Grp", "No"};
    const QString longText = QString(126, u'あ') + QStringLiteral("xyz"); // 252 + 3 bytes
    auto row = [](QVariant grp, QVariant no, const QString& name) {
        return CAccessRow{no,
                          name,
                          3.0,
                          QStringLiteral("1234.5"),
                          QDateTime(QDate(2004, 8, 24), QTime(13, 5)),
                          true,
                          QStringLiteral("{0A1B2C3D-0000-1111-2222-333344445555}"),
                          QStringLiteral("bin"),
                          grp};
    };
    m_db.rows = {row("b", 10, "r1"),         row("b", 9, "r2"), row(QVariant(), 5, "r3"),
                 row("a", QVariant(), "r4"), row("b", 9, "r5"), row("a", 2, longText)};
    m_db.rows[1][2] = 0.25;
    m_db.rows[1][3] = QStringLiteral("-0.5");
    m_db.rows[1][5] = false;
    m_dialogs.QueueTableSelect(Choose(0));
    CMasterImport import(CMasterKind::Customers());
    ASSERT_EQ(Read(import), 1);
    ASSERT_EQ(import.m_rows.size(), 7);
    EXPECT_EQ(import.m_rows[0],
              QStringList({"", U("名前"), "No", "Rate", "Money", "When", "Yes", "Id", "Blob", "Grp"}));
    QStringList order;
    for (int r = 1; r < import.m_rows.size(); ++r)
        order << import.m_rows[r][0] + u':' + import.m_rows[r][1];
    // Null group first, then "a" (null number first), then "b" by number; equal keys keep their order.
    EXPECT_EQ(order,
              QStringList({"1:r3", "2:r4", "3:" + QString(126, u'あ') + "xy", "4:r2", "5:r5", "6:r1"}));
    EXPECT_EQ(import.m_rows[6].mid(2), QStringList({"10", "3", "1234.5", "2004/08/24", "1",
                                                    "{0A1B2C3D-0000-1111-2222-333344445555}", "", "b"}));
    EXPECT_EQ(import.m_rows[4].mid(3, 4), QStringList({"0.25", "-0.5", "2004/08/24", "0"}));
    EXPECT_EQ(import.m_rows[2][2], QString()) << "null number";

    // A table without rows: read, and nothing in the table.
    m_db.rows.clear();
    m_dialogs.QueueTableSelect(Choose(0));
    CMasterImport empty(CMasterKind::Customers());
    EXPECT_EQ(Read(empty), 1);
    EXPECT_TRUE(empty.m_rows.isEmpty());
}

TEST_F(AccessImportTest, ThePipelineReadsTheFirstRecordByDefault)
{
    CMakeMsgID data;
    const QString folder = m_home.AddCurrentDatabase(U("本社"));
    QString err;
    ASSERT_EQ(data.Open(folder, err), 1) << err.toStdString();
    using C = CAccessColumn;
    m_db.tables = {"Customers"};
    m_db.columns = {{1, "Code", C::kText}, {2, "Name", C::kText}};
    m_db.keys = {"Code"};
    m_db.rows = {{"K2", U("乙")}, {"K1", U("甲")}};
    m_dialogs.QueueImportFormat([](CImportFormatRules& rules) {
        rules.m_nChoice = CImportFormatRules::kAccess;
        return int(IDOK);
    });
    m_ui.Prompt().QueueFiles({QStringLiteral("/x/db.mdb")});
    m_dialogs.QueueTableSelect(Choose(0));
    int firstRowShown = -1;
    m_dialogs.QueueFieldMap([&firstRowShown](CImportFieldMapRules& rules) {
        firstRowShown = rules.m_bReadFirstRow;
        return rules.Pair(0, QStringLiteral("CustomerCode")) && rules.Pair(1, QStringLiteral("Company"))
                   ? int(IDOK)
                   : int(IDCANCEL);
    });
    CMasterImport import(CMasterKind::Customers());
    import.SetMakeMsgID(&data);
    EXPECT_EQ(import.ImportFromFile(), 1) << m_ui.Prompt().Texts().join(u'\n').toStdString();
    EXPECT_EQ(firstRowShown, 1);
    // Both kinds of database are listed.
    ASSERT_FALSE(m_ui.Prompt().PickerCalls().isEmpty());
    EXPECT_EQ(m_ui.Prompt().PickerCalls().first().filter,
              U("Microsoft Accessﾃﾞｰﾀﾍﾞｰｽ(*.mdb;*.accdb)|*.mdb;*.accdb||"));
    CCDSData request, result;
    request.m_strCondition =
        QStringLiteral("SELECT CustomerCode || Company FROM Customer WHERE CustomerCode LIKE 'K%' "
                       "ORDER BY ID");
    ASSERT_EQ(data.GetDataList(request, result, err), 1);
    ASSERT_EQ(result.GetCount(), 2);
    EXPECT_EQ(result.GetAt(0)->GetAt(0)->GetText(), U("K1甲"));

    // A table without rows stops the pipeline.
    m_db.rows.clear();
    m_ui.Prompt().Clear();
    m_dialogs.QueueFormatChoice(CImportFormatRules::kAccess);
    m_ui.Prompt().QueueFiles({QStringLiteral("/x/db.mdb")});
    m_dialogs.QueueTableSelect(Choose(0));
    EXPECT_EQ(import.ImportFromFile(), 2);
    EXPECT_EQ(m_ui.Prompt().Texts().value(0), U("データ行がありません。処理を中止します。"));
}

#ifdef CORVANTA_MDB_HELPER_PATH
TEST_F(AccessImportTest, CustomersComeFromARealDatabaseInKeyOrder)
{
    CMakeMsgID data;
    QString err;
    ASSERT_EQ(data.Open(m_home.AddCurrentDatabase(U("本社")), err), 1) << err.toStdString();
    qputenv("CORVANTA_MDB_HELPER", CORVANTA_MDB_HELPER_PATH);
    SetAccessSourceFactory([] { return MakeMdbAccessSource(); });
    m_dialogs.QueueFormatChoice(CImportFormatRules::kAccess);
    m_ui.Prompt().QueueFiles({QStringLiteral(CORVANTA_FIXTURES "/real/access/V2010-test.accdb")});
    m_dialogs.QueueTableSelect(Choose(0));
    // A code, a name, a date as memo text and a currency as the rate.
    m_dialogs.QueueFieldMap([](CImportFieldMapRules& rules) {
        return rules.Pair(0, QStringLiteral("CustomerCode")) && rules.Pair(1, QStringLiteral("Company")) &&
                       rules.Pair(6, QStringLiteral("Memo")) && rules.Pair(7, QStringLiteral("Percent"))
                   ? int(IDOK)
                   : int(IDCANCEL);
    });
    CMasterImport import(CMasterKind::Customers());
    import.SetMakeMsgID(&data);
    EXPECT_EQ(import.ImportFromFile(), 1) << m_ui.Prompt().Texts().join(u'\n').toStdString();
    qunsetenv("CORVANTA_MDB_HELPER");
    CCDSData request, result;
    // Money is kept in ten-thousandths.
    request.m_strCondition =
        QStringLiteral("SELECT CustomerCode || '|' || Company || '|' || Memo || '|' || Percent FROM Customer "
                       "WHERE CustomerCode IN ('a', 'abcdefg') ORDER BY ID");
    ASSERT_EQ(data.GetDataList(request, result, err), 1) << err.toStdString();
    QStringList rows;
    for (int i = 0; i < result.GetCount(); ++i)
        rows << result.GetAt(i)->GetAt(0)->GetText();
    EXPECT_EQ(rows, QStringList({"a|b|1981/12/12|0", "abcdefg|hijklmnop|1974/09/21|35000"}));
}
#endif

#ifdef CORVANTA_MDB_HELPER_PATH
// Whole imports from the real databases: calculated names register as
// Access shows them, an Access 97 text in code page 1252 registers as its
// characters, and a character CP932 has no form for (an accented letter, an
// emoji) refuses its row naming the field, never coming in as another.
TEST_F(AccessImportTest, RealDatabasesRegisterTheirTextsOrRefuseThemByField)
{
    QTemporaryDir dir;
    // test2V1997.mdb with the project's name "Taquería" in code page 1252.
    const QString accented = dir.filePath(QStringLiteral("accented.mdb"));
    {
        QFile fixture(QStringLiteral(CORVANTA_FIXTURES "/real/access/test2V1997.mdb"));
        ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
        QByteArray bytes = fixture.readAll();
        ASSERT_EQ(bytes.mid(104303, 8), QByteArray("Project1"));
        bytes.replace(104303, 8, "Taquer\xED\x61");
        QFile out(accented);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    const QString real = QStringLiteral(CORVANTA_FIXTURES "/real/access/");
    const struct {
        const char* what;
        QString file;
        QList<QPair<int, const char*>> pairs; // file column, customer field
        QStringList registered;               // code|company|memo, ordered by code
        QString refusal;                      // the refused-rows dialog, empty: none shown
        QStringList listed;                   // its first rows
    } cases[] = {
        {"calculated names",
         real + QStringLiteral("calcFieldTestV2010.accdb"),
         {{0, "CustomerCode"}, {3, "Company"}, {9, "Memo"}},
         {U("1|Wayne, Bruce|Wayne, Bruce=Wayne, Bruce"), U("2|Simpson, Bart|Simpson, Bart=Simpson, Bart"),
          U("3|Doe, John|Doe, John=Doe, John"), U("4|User, Test|User, Test=User, Test")},
         {},
         {}},
        {"a currency sign in code page 1252",
         real + QStringLiteral("test2V1997.mdb"),
         {{0, "CustomerCode"}, {1, "Company"}, {9, "Memo"}},
         {U("1|Project1|£")},
         {},
         {}},
        {"an accented letter in code page 1252",
         accented,
         {{0, "CustomerCode"}, {1, "Company"}, {9, "Memo"}},
         {},
         U("ImportError 読み込みできません（1件中1件） -> IDCANCEL"),
         {U("1,1,Taquería,,,項目「会社名」の内容に問題があります。"
            "会社名に使用できない文字「í」(U+00ED) が含まれています。")}},
        {"emoji",
         real + QStringLiteral("testEmoticonsV2010.accdb"),
         {{0, "CustomerCode"}, {1, "Company"}},
         {},
         U("ImportError 読み込みできません（80件中80件） -> IDCANCEL"),
         {U("1,128512,a😀a,,,項目「会社名」の内容に問題があります。"
            "会社名に使用できない文字「😀」(U+1F600) が含まれています。"),
          U("2,128513,a😁a,,,項目「会社名」の内容に問題があります。"
            "会社名に使用できない文字「😁」(U+1F601) が含まれています。")}},
    };
    qputenv("CORVANTA_MDB_HELPER", CORVANTA_MDB_HELPER_PATH);
    SetAccessSourceFactory([] { return MakeMdbAccessSource(); });
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ++n;
        CMakeMsgID data;
        QString err;
        ASSERT_EQ(
            data.Open(m_home.AddCurrentDatabase(U("本社%1").arg(n), QStringLiteral("db%1").arg(n)), err), 1)
            << err.toStdString();
        m_ui.Prompt().Clear();
        m_dialogs.QueueFormatChoice(CImportFormatRules::kAccess);
        m_ui.Prompt().QueueFiles({c.file});
        m_dialogs.QueueTableSelect(Choose(0));
        m_dialogs.QueueFieldMap([&c](CImportFieldMapRules& rules) {
            for (const auto& [column, field] : c.pairs) {
                if (!rules.Pair(column, QLatin1String(field)))
                    return int(IDCANCEL);
            }
            return int(IDOK);
        });
        QStringList listed;
        if (!c.refusal.isEmpty()) {
            m_dialogs.QueueImportError([&listed](CImportErrorRules& rules) {
                for (const QStringList& row : std::as_const(rules.m_rows))
                    listed << row.join(u',');
                return int(IDCANCEL);
            });
        }
        CMasterImport import(CMasterKind::Customers());
        import.SetMakeMsgID(&data);
        EXPECT_EQ(import.ImportFromFile(), c.registered.isEmpty() ? 2 : 1)
            << m_ui.Prompt().Texts().join(u'\n').toStdString();
        if (!c.refusal.isEmpty()) {
            EXPECT_EQ(m_dialogs.Log().last(), c.refusal);
            EXPECT_EQ(listed.mid(0, c.listed.size()), c.listed);
            EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("登録できるデータがありません。")});
        }
        // The template's one-time customer has no company.
        CCDSData request, result;
        request.m_strCondition = QStringLiteral(
            "SELECT CustomerCode || '|' || Company || '|' || Memo FROM Customer WHERE Company <> '' "
            "ORDER BY CustomerCode");
        ASSERT_EQ(data.GetDataList(request, result, err), 1) << err.toStdString();
        QStringList rows;
        for (int i = 0; i < result.GetCount(); ++i)
            rows << result.GetAt(i)->GetAt(0)->GetText();
        EXPECT_EQ(rows, c.registered);
    }
    qunsetenv("CORVANTA_MDB_HELPER");
}
#endif

#ifdef CORVANTA_MDB_HELPER_PATH
TEST(MdbAccessSource, HostileFilesAreRefusedNeverCrashing)
{
    qputenv("CORVANTA_MDB_HELPER", CORVANTA_MDB_HELPER_PATH);
    QTemporaryDir dir;
    QByteArray header(2048, '\0');
    header.replace(4, 15, "Standard Jet DB");
    header[20] = 1; // Jet 4
    QByteArray random(8192, '\0');
    quint32 x = 12345;
    for (char& c : random)
        c = char((x = x * 1103515245 + 12345) >> 16);
    QByteArray garbled = header + random; // a Jet header over random pages
    const QList<QPair<const char*, QByteArray>> files{{"empty.mdb", {}},
                                                      {"random.mdb", random},
                                                      {"header.mdb", header.left(100)},
                                                      {"garbled.mdb", garbled}};
    for (const auto& [name, bytes] : files) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const auto source = MakeMdbAccessSource(10000);
        const int stage = source->Open(path);
        if (stage == IAccessSource::kOk) {
            // Whatever libmdb made of it, reading each table ends in rows or a step.
            for (const QString& table : source->Tables()) {
                QList<CAccessColumn> columns;
                QStringList keys;
                QList<CAccessRow> rows;
                QString step;
                if (!source->ReadTable(table, columns, keys, rows, step)) {
                    EXPECT_FALSE(step.isEmpty());
                }
            }
        } else {
            EXPECT_TRUE(stage == IAccessSource::kOpen || stage == IAccessSource::kTables) << name;
        }
        if (bytes.size() < 200) {
            EXPECT_EQ(stage, IAccessSource::kOpen) << name;
        }
    }
    // A helper that cannot be started fails as opening.
    qputenv("CORVANTA_MDB_HELPER", "/nonexistent/corvanta-mdb");
    EXPECT_EQ(MakeMdbAccessSource(2000)->Open(dir.filePath(QStringLiteral("empty.mdb"))),
              IAccessSource::kOpen);
    qunsetenv("CORVANTA_MDB_HELPER");
}

TEST(MdbAccessSource, RealDatabasesGiveTheirTablesAndRowsInKeyOrder)
{
    qputenv("CORVANTA_MDB_HELPER", CORVANTA_MDB_HELPER_PATH);
    for (const char* file : {"V1997-test.mdb", "V2010-test.accdb"}) {
        SCOPED_TRACE(file);
        const auto source = MakeMdbAccessSource();
        ASSERT_EQ(source->Open(QStringLiteral(CORVANTA_FIXTURES "/real/access/") + QLatin1String(file)),
                  IAccessSource::kOk);
        EXPECT_EQ(source->Tables(), QStringList({"Table1", "Table2", "Table3", "Table4"}));
        QList<CAccessColumn> columns;
        QStringList keys;
        QList<CAccessRow> rows;
        QString step;
        ASSERT_TRUE(source->ReadTable(QStringLiteral("Table1"), columns, keys, rows, step))
            << step.toStdString();
        EXPECT_EQ(keys, QStringList{"A"});
        ASSERT_EQ(columns.size(), 9);
        SortAccessRows(columns, keys, rows);
        QList<QStringList> texts;
        for (const CAccessRow& row : std::as_const(rows)) {
            QStringList cells;
            for (qsizetype c = 0; c < columns.size(); ++c)
                cells << AccessCellText(columns[c].type, row.value(c));
            texts << cells;
        }
        EXPECT_EQ(texts, QList<QStringList>({{"a", "b", "0", "0", "0", "0", "1981/12/12", "0", "0"},
                                             {"abcdefg", "hijklmnop", "2", "222", "333333333", "444.555",
                                              "1974/09/21", "3.5", "1"}}));
        ASSERT_TRUE(source->ReadTable(QStringLiteral("Table2"), columns, keys, rows, step))
            << step.toStdString();
        EXPECT_EQ(columns.size(), 89);
        EXPECT_EQ(columns.last().name, QStringLiteral("column89"));
        EXPECT_TRUE(rows.isEmpty());
    }
    qunsetenv("CORVANTA_MDB_HELPER");
}

TEST(MdbAccessSource, StandInHelpersAreStoppedPastTheirLimits)
{
    QTemporaryDir dir;
    auto helper = [&dir](const char* name, const char* body) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("#!/bin/sh\n") + body);
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        return path;
    };
    // A memo with a line break inside and a tab, and a null, as the helper
    // frames them.
    const QString framed =
        helper("framed", "printf 'T\\tM\\nC\\t1\\t12\\tMemo\\nC\\t2\\t4\\tN\\nK\\tN\\n"
                         "R\\tline1\\\\r\\\\nline2\\\\ttab\\\\\\\\\\t7\\nR\\t\\\\N\\t3\\nOK\\n'\n");
    const QString flood = helper("flood", "while :; do echo 'R\tx'; done\n");
    const QString trickle = helper("trickle", "while :; do echo R; sleep 0.05; done\n");
    const QString silent = helper("silent", "exec sleep 30\n");
    const struct {
        QString helper;
        int timeoutMs;
        qint64 maxBytes;
        QString step; // empty: read
    } cases[] = {
        {framed, 60000, 1 << 20, {}},
        {flood, 60000, 64 << 10, U("読み込むデータが大きすぎます")},
        {trickle, 300, qint64(1) << 30, U("0.3秒以内に読み込めませんでした")},
        {silent, 300, qint64(1) << 30, U("0.3秒以内に読み込めませんでした")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.helper.toStdString());
        qputenv("CORVANTA_MDB_HELPER", QFile::encodeName(c.helper));
        const auto source = MakeMdbAccessSource(c.timeoutMs, c.maxBytes);
        EXPECT_EQ(source->Open(QStringLiteral("/x/db.mdb")),
                  c.step.isEmpty() ? IAccessSource::kOk : IAccessSource::kOpen);
        QList<CAccessColumn> columns;
        QStringList keys;
        QList<CAccessRow> rows;
        QString step;
        EXPECT_EQ(source->ReadTable(QStringLiteral("M"), columns, keys, rows, step), c.step.isEmpty());
        EXPECT_EQ(step, c.step);
        if (c.step.isEmpty()) {
            ASSERT_EQ(rows.size(), 2);
            EXPECT_EQ(AccessCellText(columns[0].type, rows[0][0]), U("line1\r\nline2\ttab\\"));
            EXPECT_EQ(rows[0][1], QVariant(qint64(7)));
            EXPECT_TRUE(rows[1][0].isNull());
        } else {
            EXPECT_TRUE(rows.isEmpty());
        }
    }
    qunsetenv("CORVANTA_MDB_HELPER");
}

TEST(MdbAccessSource, CommittedFixtures)
{
    const QDir fixtures(QStringLiteral(CORVANTA_FIXTURES "/real/access"));
    const QStringList files =
        fixtures.entryList({QStringLiteral("*.mdb"), QStringLiteral("*.accdb")}, QDir::Files);
    if (files.isEmpty())
        GTEST_SKIP() << "no Access database committed under tests/fixtures/real/access";
    qputenv("CORVANTA_MDB_HELPER", CORVANTA_MDB_HELPER_PATH);
    for (const QString& name : files) {
        const auto source = MakeMdbAccessSource();
        ASSERT_EQ(source->Open(fixtures.filePath(name)), IAccessSource::kOk) << name.toStdString();
        EXPECT_FALSE(source->Tables().isEmpty());
    }
    qunsetenv("CORVANTA_MDB_HELPER");
}
#endif

#ifdef CORVANTA_MDB_HELPER_PATH
// The table list has a deadline of its own, far shorter than a table's read:
// a helper that never finishes the list (libmdb walking a damaged catalog in
// circles, warning all the while) or floods it is stopped and said to be
// damaged or too slow; the read of a table keeps its own deadline.
TEST(MdbAccessSource, TheTableListStopsAtItsOwnDeadline)
{
    QTemporaryDir dir;
    auto helper = [&dir](const char* name, const char* body) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("#!/bin/sh\n") + body);
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        return path;
    };
    const QString damaged = U("データベースを開けません。\n%1。ファイルが壊れている可能性があります。");
    // A real database whose catalog libmdb then reads without end.
    QFile fixture(QStringLiteral(CORVANTA_FIXTURES "/real/access/V1997-test.mdb"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    QByteArray looping = fixture.readAll();
    ASSERT_EQ(looping.at(0x17C68), '\0');
    looping[0x17C68] = '\xF1';
    const QString loopingPath = dir.filePath(QStringLiteral("looping.mdb"));
    QFile out(loopingPath);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(looping);
    out.close();
    const struct {
        const char* what;
        QString helper;
        QString file;
        int tablesMs;
        int stage;
        QString message; // of Open, or the table read
    } cases[] = {
        {"warning without end",
         helper("warns", "while :; do echo 'Warning: unsupported data type 0.' >&2; done\n"),
         {},
         300,
         IAccessSource::kOpen,
         damaged.arg(U("テーブルの一覧を0.3秒以内に読み込めませんでした"))},
        {"a list without end",
         helper("lists", "while :; do printf 'T\\tx\\n'; done\n"),
         {},
         // The size bound, not the clock, must end it, however busy the
         // machine is.
         30000,
         IAccessSource::kOpen,
         damaged.arg(U("テーブルの一覧が大きすぎます"))},
        {"a crash",
         helper("crashes", "kill -SEGV $$\n"),
         {},
         300,
         IAccessSource::kOpen,
         U("データベースを開けません<1>\ndb.mdb は壊れているか、読み込めない形式のファイルです。")},
        // Its stderr read as it comes: a flood waits on no one, and the
        // last words of an end at the memory limit are still heard.
        {"a list after 100 MB of warnings",
         helper("floods", "head -c 100000000 /dev/zero >&2\ncase $1 in tables) printf 'T\\tM\\nOK\\n' ;;\n"
                          "read) printf 'C\\t1\\t4\\tN\\nR\\t7\\nOK\\n' ;; esac\n"),
         {},
         30000,
         IAccessSource::kOk,
         {}},
        {"an end at the memory limit after 100 MB of warnings",
         helper("dies",
                "head -c 100000000 /dev/zero >&2; echo 'Cannot allocate memory' >&2; kill -KILL $$\n"),
         {},
         30000,
         IAccessSource::kMemory,
         damaged.arg(U("読み込みに必要なメモリが上限（1024MB）を超えました"))},
        // Access names a table in at most 64 characters.
        {"a name of 64 characters",
         helper("long64", "case $1 in tables) printf 'T\\tM\\nT\\t%064d\\nOK\\n' 0 ;;\n"
                          "read) printf 'C\\t1\\t4\\tN\\nR\\t7\\nOK\\n' ;; esac\n"),
         {},
         300,
         IAccessSource::kOk,
         {}},
        {"65",
         helper("long", "printf 'T\\tM\\nT\\t%065d\\nOK\\n' 0\n"),
         {},
         300,
         IAccessSource::kOpen,
         damaged.arg(U("テーブルの一覧に64文字を超える名前があります"))},
        {"a helper that cannot start",
         dir.filePath(QStringLiteral("missing")),
         {},
         300,
         IAccessSource::kOpen,
         U("データベースを開けません<1>\nデータベースを読み込むプログラム（missing）を起動できません。")},
        {"a table read slower than the list's deadline",
         helper("slow", "case $1 in tables) printf 'T\\tM\\nOK\\n' ;;\n"
                        "read) sleep 0.5; printf 'C\\t1\\t4\\tN\\nR\\t7\\nOK\\n' ;; esac\n"),
         {},
         300,
         IAccessSource::kOk,
         {}},
        {"a damaged catalog", QStringLiteral(CORVANTA_MDB_HELPER_PATH), loopingPath, 1000,
         IAccessSource::kOpen, damaged.arg(U("テーブルの一覧を1秒以内に読み込めませんでした"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        qputenv("CORVANTA_MDB_HELPER", QFile::encodeName(c.helper));
        const auto source = MakeMdbAccessSource(60000, 64 << 10, qint64(1) << 30, c.tablesMs);
        const int stage = source->Open(c.file.isEmpty() ? QStringLiteral("/x/db.mdb") : c.file);
        EXPECT_EQ(stage, c.stage);
        if (stage != IAccessSource::kOk) {
            EXPECT_EQ(source->OpenMessage(stage), c.message);
            continue;
        }
        QList<CAccessColumn> columns;
        QStringList keys;
        QList<CAccessRow> rows;
        QString step;
        ASSERT_TRUE(source->ReadTable(QStringLiteral("M"), columns, keys, rows, step)) << step.toStdString();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0][0], QVariant(qint64(7)));
    }
    qunsetenv("CORVANTA_MDB_HELPER");

    // libmdb warns for every page of the damaged catalog it walks, megabytes
    // a second: none of it leaves the helper.
    QProcess walk;
    walk.start(QStringLiteral(CORVANTA_MDB_HELPER_PATH), {QStringLiteral("tables"), loopingPath});
    ASSERT_TRUE(walk.waitForStarted());
    EXPECT_FALSE(walk.waitForFinished(1000));
    walk.kill();
    walk.waitForFinished();
    EXPECT_EQ(walk.readAllStandardError(), QByteArray());
}

// While the helper lists the tables the wait dialog is up; it is down
// before the message of a damaged database.
TEST_F(AccessImportTest, ADamagedCatalogIsSaidUnderNoWaitDialog)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("warns"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nwhile :; do echo 'Warning: unsupported data type 0.' >&2; done\n");
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    qputenv("CORVANTA_MDB_HELPER", QFile::encodeName(path));
    SetAccessSourceFactory([] { return MakeMdbAccessSource(60000, qint64(64) << 20, qint64(1) << 30, 300); });
    CWaitWatchingPrompt prompt(m_ui.Wait());
    CMasterImport import(CMasterKind::Customers());
    EXPECT_EQ(Read(import), 0);
    qunsetenv("CORVANTA_MDB_HELPER");
    EXPECT_EQ(prompt.Texts(),
              QStringList{U("データベースを開けません。\nテーブルの一覧を0.3秒以内に読み込めませんでした。"
                            "ファイルが壊れている可能性があります。")});
    EXPECT_EQ(prompt.m_depths, QList<int>{0});
    EXPECT_EQ(m_ui.Wait().Log(), QStringList({U("Begin ファイルを読み込んでいます。 0"), "End"}));
    EXPECT_TRUE(import.m_rows.isEmpty());
}
#endif
