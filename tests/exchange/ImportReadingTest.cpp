// The reading of an import's file: an Access table is held to the cell
// bound of a sheet's table, whatever the helper program hands over.

#include "app/AppHome.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/ExchangeText.h"
#include "exchange/MasterImport.h"
#include "platform/data/MakeMsgID.h"
#include "platform/office/AccessSource.h"
#include "platform/ui/FakeUi.h"

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
    CAppHome m_home;
    ScopedFakeUi m_ui;
    CScriptedExchangeDialogs m_dialogs;
    CMakeMsgID m_data;
    QString m_folder;
    QList<QThread*> m_threads;
    AccessSourceFactory m_old;
};

} // namespace

// A table of more cells than a sheet's table may hold (rows by columns and
// label) is refused as too large, whatever the source hands over; one cell
// fewer is read.
TEST_F(ImportReadingTest, AnAccessTablePastTheCellBoundIsRefusedAsTooLarge)
{
    for (const qint64 bound : {qint64(6), qint64(5)}) {
        m_ui.Prompt().Clear();
        m_dialogs.QueueTableSelect([](CTableSelectRules& rules) {
            rules.m_nSelected = 0;
            return int(IDOK);
        });
        CMasterImport import(2);
        import.m_nMaxCells = bound;
        const int read = import.ReadAccessFile(QStringLiteral("/x/db.mdb"));
        if (bound == 6) {
            EXPECT_EQ(read, 1);
            EXPECT_EQ(import.m_rows,
                      CImportRows({{"", "Code", "Company"}, {"1", "Y1", U("甲")}, {"2", "Y2", U("乙")}}));
            EXPECT_EQ(m_ui.Prompt().Texts(), QStringList());
        } else {
            EXPECT_EQ(read, 0);
            EXPECT_TRUE(import.m_rows.isEmpty());
            EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{kFileTooLarge});
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
    // line is a cell, a row two (1 + 499 x 2 = 999).
    const char* const listed = "[ \"$1\" = tables ] && { printf 'T\\tM\\nOK\\n'; exit 0; }\n";
    const auto rows = [](const char* count) -> QByteArray {
        return QByteArray("printf 'C\\t1\\t10\\tA\\n'\ni=0; while [ $i -lt ") + count +
               " ]; do printf 'R\\tx\\n'; i=$((i+1)); done\necho OK\n";
    };
    const QString within = helper("within", listed + rows("499"));
    const QString past = helper("past", listed + rows("500"));
    const QString endless = helper(
        "endless", listed + QByteArray("printf 'C\\t1\\t10\\tA\\n'\nwhile :; do printf 'R\\tx\\n'; done\n"));
    const QString line = helper("line", listed + QByteArray("exec yes x | tr -d '\\n'\n"));
    const QString tables = helper("tables", "while :; do printf 'T\\tx\\n'; done\n");
    const struct {
        QString helper;
        int open;
        qsizetype rows; // -1: refused as too large
    } cases[] = {
        {within, IAccessSource::kOk, 499},  {past, IAccessSource::kOk, -1},
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
