// The reading of an import's file: it runs beside the window's thread, and
// 中止 there stops every reader with nothing registered and nothing said; an
// Access table is held to the cell bound of a sheet's table, whatever the
// helper program hands over.

#include "app/AppHome.h"
#include "exchange/CsvReader.h"
#include "exchange/ExcelApp.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/ExchangeText.h"
#include "exchange/MasterImport.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/MasterKinds.h"
#include "platform/office/AccessSource.h"
#include "platform/office/ContactXml.h"
#include "platform/text/Cp932.h"
#include "platform/ui/FakeUi.h"
#include "platform/work/LongWork.h"
#include "support/XlsBytes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// Two customers in a table of code and company, noting the thread of each
// call that reads.
class CThreadAccessSource : public IAccessSource
{
  public:
    explicit CThreadAccessSource(QList<QThread*>& threads) : m_threads(threads) {}
    int Open(const QString&) override
    {
        m_threads << QThread::currentThread();
        return kOk;
    }
    QStringList Tables() const override { return {QStringLiteral("T")}; }
    bool ReadTable(const QString&, QList<CAccessColumn>& columns, QStringList& keys, QList<CAccessRow>& rows,
                   QString&) override
    {
        m_threads << QThread::currentThread();
        columns = {{1, QStringLiteral("Code"), CAccessColumn::kText},
                   {2, QStringLiteral("Company"), CAccessColumn::kText}};
        keys = {QStringLiteral("Code")};
        rows = {{QStringLiteral("Y2"), U("乙")}, {QStringLiteral("Y1"), U("甲")}};
        return true;
    }

  private:
    QList<QThread*>& m_threads;
};

class ImportReadingTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.IsReady());
        m_folder = m_home.AddCurrentDatabase(U("本社"));
        ASSERT_FALSE(m_folder.isEmpty());
        QString err;
        ASSERT_EQ(m_data.Open(m_folder, err), 1) << err.toStdString();
        m_old = SetAccessSourceFactory([this] { return std::make_unique<CThreadAccessSource>(m_threads); });
    }
    void TearDown() override
    {
        SetAccessSourceFactory(m_old);
        EXPECT_EQ(m_ui.Prompt().ScriptErrors(), QStringList());
        EXPECT_EQ(m_dialogs.Pending(), 0);
    }
    QString Write(const char* name, const QByteArray& bytes)
    {
        const QString path = QDir(m_folder).filePath(QLatin1String(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QString Customers()
    {
        CCDSData request, result;
        request.m_strCondition = QStringLiteral("SELECT COUNT(*) FROM Customer");
        QString err;
        EXPECT_EQ(m_data.GetDataList(request, result, err), 1) << err.toStdString();
        return result.GetCount() ? result.GetAt(0)->GetAt(0)->GetText() : QString();
    }
    int Run()
    {
        CMasterImport import(CMasterKind::Customers());
        import.SetMakeMsgID(&m_data);
        return import.ImportFromFile();
    }
    // The user presses 中止 on the wait dialog of the next read.
    void StopNextRead() { m_ui.Wait().SetCancelled(true); }

    CAppHome m_home;
    ScopedFakeUi m_ui;
    CScriptedExchangeDialogs m_dialogs;
    CMakeMsgID m_data;
    QString m_folder;
    QList<QThread*> m_threads;
    AccessSourceFactory m_old;
};

} // namespace

// Each format's reading, stopped where it runs (opening a workbook, reading
// its sheet, checking a text or contact file, reading an Access table):
// the import ends there, nothing is registered, no message follows, and the
// dialogs after the reading never open. Read without 中止, each file goes on
// to the next step.
TEST_F(ImportReadingTest, AReadStoppedByTheUserRegistersNothing)
{
    const QString csv = Write("in.csv", Cp932::Encode(U("X1,甲商事\r\nX2,乙商事\r\n")));
    const QString xlsx = QDir(m_folder).filePath(QStringLiteral("in.xlsx"));
    {
        CExcelApp book;
        book.SetPath(xlsx);
        book.m_columnTypes = {0, 0};
        const CImportRows rows{{U("コード"), U("会社")}, {"X1", U("甲商事")}};
        ASSERT_EQ(book.WriteBook(&rows), 1);
    }
    const QString xml = Write("in.xml", "<?xml version=\"1.0\"?><ContactXML version=\"1.1\"><ContactXMLItem>"
                                        "<Occupation><OrganizationName>Z</OrganizationName></Occupation>"
                                        "</ContactXMLItem></ContactXML>");
    const QString mdb = QDir(m_folder).filePath(QStringLiteral("in.mdb"));
    const auto stopThen = [this](int answer) {
        StopNextRead();
        return answer;
    };
    struct Case {
        const char* name;
        int format;
        QString path;
        // Queues what comes before the reading; `stop` set: 中止 on it.
        std::function<void(bool stop)> queue;
        const char* next; // the dialog after the reading, in the log
    };
    const Case cases[] = {
        {"text", CImportFormatRules::kText, csv,
         [&](bool stop) {
             m_dialogs.QueueTextFormat([&, stop](CTextFormatRules& rules) {
                 rules.OnFixedDelimiter(CTextFormatRules::kComma);
                 return stop ? stopThen(IDOK) : int(IDOK);
             });
         },
         "FieldMap"},
        {"workbook opened", CImportFormatRules::kExcel, xlsx,
         [&](bool stop) {
             if (stop)
                 StopNextRead();
             else
                 m_dialogs.QueueSheetChoice(0);
         },
         "SheetSelect"},
        {"sheet read", CImportFormatRules::kExcel, xlsx,
         [&](bool stop) {
             m_dialogs.QueueSheetSelect([&, stop](CSheetSelectRules& rules) {
                 rules.m_nSelected = 0;
                 return stop ? stopThen(IDOK) : int(IDOK);
             });
         },
         "FieldMap"},
        {"contact file", CImportFormatRules::kContactXml, xml,
         [&](bool stop) {
             if (stop)
                 StopNextRead();
         },
         "CounterSet"},
        {"Access table", CImportFormatRules::kAccess, mdb,
         [&](bool stop) {
             m_dialogs.QueueTableSelect([&, stop](CTableSelectRules& rules) {
                 rules.m_nSelected = 0;
                 return stop ? stopThen(IDOK) : int(IDOK);
             });
         },
         "FieldMap"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool stop : {false, true}) {
            m_ui.Prompt().Clear();
            m_ui.Wait().SetCancelled(false);
            const QString before = Customers();
            const qsizetype logged = m_dialogs.Log().size();
            m_dialogs.QueueFormatChoice(c.format);
            m_ui.Prompt().QueueFiles({c.path});
            c.queue(stop);
            const int result = Run();
            bool nextOpened = false;
            for (const QString& line : m_dialogs.Log().mid(logged))
                nextOpened = nextOpened || line.startsWith(QLatin1String(c.next));
            EXPECT_EQ(nextOpened, !stop) << m_dialogs.Log().mid(logged).join(u'\n').toStdString();
            if (stop) {
                EXPECT_EQ(result, 2);
                EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());
                EXPECT_EQ(Customers(), before);
            }
            EXPECT_EQ(m_ui.Wait().Depth(), 0);
        }
    }
    m_ui.Wait().SetCancelled(false);
    // The Access table was listed and read off the window's thread.
    ASSERT_EQ(m_threads.size(), 4);
    for (QThread* thread : std::as_const(m_threads))
        EXPECT_NE(thread, QCoreApplication::instance()->thread());
}

// The registration of a contact or text file reads it again beside the
// window's thread, with 中止 on its wait dialog: pressed there, nothing is
// registered and nothing said; not pressed, every record is registered.
TEST_F(ImportReadingTest, TheRegistrationOfAFileStopsAtItsStop)
{
    QByteArray items, lines;
    for (int i = 0; i < 3000; ++i) {
        items += "<ContactXMLItem><Occupation><OrganizationName>Z" + QByteArray::number(i) +
                 "</OrganizationName></Occupation></ContactXMLItem>";
        lines += "T" + QByteArray::number(i) + ",Z\r\n";
    }
    const QString xml =
        Write("many.xml", "<?xml version=\"1.0\"?><ContactXML version=\"1.1\">" + items + "</ContactXML>");
    const QString csv = Write("many.csv", lines);
    // Asked after the reading, before the registration: the numbering of a
    // contact file without codes, the pairing of a text file's columns.
    const auto queue = [this](bool contact, bool stop) {
        if (contact) {
            m_dialogs.QueueCounterSet([this, stop](int) {
                if (stop)
                    StopNextRead();
                return int(IDOK);
            });
            return;
        }
        m_dialogs.QueueTextFormat([](CTextFormatRules& rules) {
            rules.OnFixedDelimiter(CTextFormatRules::kComma);
            return int(IDOK);
        });
        m_dialogs.QueueFieldMap([this, stop](CImportFieldMapRules& rules) {
            rules.m_bReadFirstRow = 1;
            if (stop)
                StopNextRead();
            return rules.Pair(0, QStringLiteral("CustomerCode")) &&
                           rules.Pair(1, QStringLiteral("Company")) && rules.OnOK()
                       ? int(IDOK)
                       : int(IDCANCEL);
        });
    };
    for (const bool contact : {true, false}) {
        for (const bool stop : {true, false}) {
            SCOPED_TRACE(contact ? "contact file" : "text file");
            SCOPED_TRACE(stop);
            m_ui.Prompt().Clear();
            m_ui.Wait().SetCancelled(false);
            const QString before = Customers();
            m_dialogs.QueueFormatChoice(contact ? CImportFormatRules::kContactXml
                                                : CImportFormatRules::kText);
            m_ui.Prompt().QueueFiles({contact ? xml : csv});
            queue(contact, stop);
            const int result = Run();
            EXPECT_EQ(m_ui.Wait().Depth(), 0);
            if (stop) {
                EXPECT_EQ(result, 2);
                EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());
                EXPECT_EQ(Customers(), before);
            } else {
                EXPECT_EQ(result, 1);
                EXPECT_EQ(Customers().toInt(), before.toInt() + 3000);
            }
        }
    }
    m_ui.Wait().SetCancelled(false);
}

// Every reader looks at the stop of the work it runs in and ends as failed
// once it is set; the same read without it succeeds.
TEST_F(ImportReadingTest, EachReaderEndsOnceItsWorkIsStopped)
{
    const QString csv = Write("stop.csv", Cp932::Encode(U("A,甲\r\nB,乙\r\n")));
    const QString xlsx = QDir(m_folder).filePath(QStringLiteral("stop.xlsx"));
    {
        CExcelApp book;
        book.SetPath(xlsx);
        book.m_columnTypes = {0};
        const CImportRows rows{{"A"}, {"1"}};
        ASSERT_EQ(book.WriteBook(&rows), 1);
    }
    using namespace XlsBytes;
    const QString xls =
        Write("stop.xls",
              Compound({{QStringLiteral("Workbook"),
                         Stream(8, {}, {{Unicode(U("S"), true), Record(0x0203, Cell(0, 0, 0) + F64(1))}})}}));
    const QString xml = Write("stop.xml", "<ContactXML><ContactXMLItem/><ContactXMLItem/></ContactXML>");
    QTemporaryDir dir;
    const QString helper = dir.filePath(QStringLiteral("rows"));
    {
        QFile file(helper);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nprintf 'T\\tM\\nC\\t1\\t10\\tA\\nR\\tx\\nOK\\n'\n");
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }
    qputenv("CORVANTA_MDB_HELPER", QFile::encodeName(helper));
    const QList<QPair<const char*, std::function<bool()>>> reads{
        {"text",
         [&] {
             CImportRows rows;
             return CCsvReader(csv, u',', 0).ReadHead(&rows, 2, nullptr) > 0;
         }},
        {".xlsx", [&] { return CWorkbookReader::Open(xlsx) != nullptr; }},
        {".xls", [&] { return CWorkbookReader::Open(xls) != nullptr; }},
        {"contact",
         [&] {
             CContactXmlConv::Survey survey;
             return CContactXmlConv().SurveyContacts(xml, QString(), survey) == 1;
         }},
        {"Access",
         [&] {
             const auto source = MakeMdbAccessSource(20000);
             QList<CAccessColumn> columns;
             QStringList keys;
             QList<CAccessRow> rows;
             QString step;
             return source->Open(QStringLiteral("/x/db.mdb")) == IAccessSource::kOk &&
                    source->ReadTable(QStringLiteral("M"), columns, keys, rows, step);
         }},
    };
    for (const auto& [name, read] : reads) {
        SCOPED_TRACE(name);
        for (const bool stopped : {false, true}) {
            const std::atomic<bool> stop(stopped);
            const LongWork::CStopScope scope(stop);
            EXPECT_EQ(read(), !stopped);
        }
    }
    qunsetenv("CORVANTA_MDB_HELPER");
}

// A table of more cells than a sheet's table may hold (rows by columns, as
// the user counts them) is refused as too large, whatever the source hands
// over; at the bound it is read.
TEST_F(ImportReadingTest, AnAccessTablePastTheCellBoundIsRefusedAsTooLarge)
{
    for (const qint64 bound : {qint64(4), qint64(3)}) {
        m_ui.Prompt().Clear();
        m_dialogs.QueueTableSelect([](CTableSelectRules& rules) {
            rules.m_nSelected = 0;
            return int(IDOK);
        });
        CMasterImport import(CMasterKind::Customers());
        import.m_nMaxCells = bound;
        const int read = import.ReadAccessFile(QStringLiteral("/x/db.mdb"));
        if (bound == 4) {
            EXPECT_EQ(read, 1);
            EXPECT_EQ(import.m_rows,
                      CImportRows({{"", "Code", "Company"}, {"1", "Y1", U("甲")}, {"2", "Y2", U("乙")}}));
            EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());
        } else {
            EXPECT_EQ(read, 0);
            EXPECT_TRUE(import.m_rows.isEmpty());
            EXPECT_EQ(m_ui.Prompt().Texts(),
                      QStringList{
                          U("1シートに読み込めるのは3セル（行数×列数）までです。このシートは2行×2列です。")});
        }
    }
}

// The helper's output is held to the bounds as it comes: rows past the cell
// bound, a table list past what a database holds, a line without end. Each
// stops the helper long before its deadline or output limit, and the read
// fails as too large; rows within the bound are read.
TEST(MdbAccessSourceBounds, TheHelpersOutputIsBoundedAsItComes)
{
    QTemporaryDir dir;
    auto helper = [&dir](const char* name, const QByteArray& body) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body);
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        return path;
    };
    // The table list is "M" but where it is the case; one column: a column
    // line is a cell, a row's value another (1 + 999 = 1000).
    const char* const listed = "[ \"$1\" = tables ] && { printf 'T\\tM\\nOK\\n'; exit 0; }\n";
    const auto rows = [](const char* count) -> QByteArray {
        return QByteArray("printf 'C\\t1\\t10\\tA\\n'\ni=0; while [ $i -lt ") + count +
               " ]; do printf 'R\\tx\\n'; i=$((i+1)); done\necho OK\n";
    };
    const QString within = helper("within", listed + rows("999"));
    const QString past = helper("past", listed + rows("1000"));
    const QString endless = helper(
        "endless", listed + QByteArray("printf 'C\\t1\\t10\\tA\\n'\nwhile :; do printf 'R\\tx\\n'; done\n"));
    const QString line = helper("line", listed + QByteArray("exec yes x | tr -d '\\n'\n"));
    const QString tables = helper("tables", "while :; do printf 'T\\tx\\n'; done\n");
    const struct {
        QString helper;
        int open;
        qsizetype rows; // -1: refused as too large
    } cases[] = {
        {within, IAccessSource::kOk, 999},  {past, IAccessSource::kOk, -1},
        {endless, IAccessSource::kOk, -1},  {line, IAccessSource::kOk, -1},
        {tables, IAccessSource::kOpen, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.helper.toStdString());
        qputenv("CORVANTA_MDB_HELPER", QFile::encodeName(c.helper));
        const auto source = MakeMdbAccessSource(30000, qint64(1) << 30, qint64(1) << 30, 30000);
        source->SetMaxCells(1000);
        const int open = source->Open(QStringLiteral("/x/db.mdb"));
        EXPECT_EQ(open, c.open);
        if (open != IAccessSource::kOk) {
            EXPECT_EQ(source->OpenMessage(open), U("データベースを開けません。\nテーブルの一覧が大きすぎます"
                                                   "。ファイルが壊れている可能性があります。"));
            continue;
        }
        QList<CAccessColumn> columns;
        QStringList keys;
        QList<CAccessRow> rows;
        QString step;
        EXPECT_EQ(source->ReadTable(QStringLiteral("M"), columns, keys, rows, step), c.rows >= 0);
        EXPECT_EQ(rows.size(), qMax<qsizetype>(0, c.rows));
        EXPECT_EQ(step, c.rows >= 0 ? QString() : IAccessSource::TooLargeStep());
    }
    qunsetenv("CORVANTA_MDB_HELPER");
}
