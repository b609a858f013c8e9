#include "TestPaths.h"
#include "platform/office/AccessSource.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#ifdef CORVANTA_MDB_HELPER_PATH
namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

struct CPatch {
    qsizetype at;
    QByteArray from, to;
};

QByteArray Double(double value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// The fixtures' Table1 with stored bytes changed: a date count, a column's
// type byte, the header's encryption key, a page link. Each comes in with
// its value or fails naming why, never as a blank.
TEST(MdbAccessValues, OldDatesNewTypesAndDamageComeInOrSayWhy)
{
    const QString accdb = U("V2010-test.accdb"), mdb = U("V1997-test.mdb");
    // Column descriptors: 25 bytes each in Access 2010 (A at 0x4A057), 18
    // in Access 97 (A at 0xE83B); the type is the first byte.
    constexpr qsizetype kColumnsAccdb = 0x4A057;
    const struct {
        const char* what;
        QString file;
        QList<CPatch> patches;
        qint64 memoryBytes;
        int open;                  // the stage Open() ends in
        QString step;              // of ReadTable when it fails
        QStringList first, second; // columns F and G of the rows by key
        QDateTime secondG;         // with its time
    } cases[] = {
        {"as stored",
         accdb,
         {},
         qint64(1) << 30,
         IAccessSource::kOk,
         {},
         {"0", "1981/12/12"},
         {"444.555", "1974/09/21"},
         {}},
        {"dates before 1900",
         accdb,
         {{0x4CF9C, Double(27293), Double(-115858)}, {0x4CFE2, Double(29932), Double(-149008.75)}},
         qint64(1) << 30,
         IAccessSource::kOk,
         {},
         {"0", "1492/01/10"},
         {"444.555", "1582/10/15"},
         QDateTime(QDate(1582, 10, 15), QTime(0, 0))},
        {"dates before 1900 in Access 97",
         mdb,
         {{0xFFB2, Double(27293), Double(-115858.25)}, {0xFFE8, Double(29932), Double(-1.5)}},
         qint64(1) << 30,
         IAccessSource::kOk,
         {},
         {"0", "1899/12/29"},
         {"444.555", "1582/10/15"},
         QDateTime(QDate(1582, 10, 15), QTime(6, 0))},
        {"a large number",
         accdb,
         {{kColumnsAccdb + 5 * 25, "\x07", "\x13"}},
         qint64(1) << 30,
         IAccessSource::kOk,
         {},
         {"0", "1981/12/12"},
         {"4646528310458586235", "1974/09/21"},
         {}},
        {"a type not read",
         accdb,
         {{kColumnsAccdb + 2 * 25, "\x02", "\x11"}},
         qint64(1) << 30,
         IAccessSource::kOk,
         U("列「C」はこのデータ型を読み込めません"),
         {},
         {},
         {}},
        {"an extended date that is no date",
         accdb,
         {{kColumnsAccdb + 1 * 25, "\x0A", "\x14"}},
         qint64(1) << 30,
         IAccessSource::kOk,
         U("列「B」に読み込めない値があります"),
         {},
         {},
         {}},
        // The key in the header is stored masked: one changed bit makes it
        // non-zero.
        {"encrypted with a password",
         accdb,
         {{0x3E, "\xFB", "\xFA"}},
         qint64(1) << 30,
         IAccessSource::kPassword,
         {},
         {},
         {},
         {}},
#if !defined(__SANITIZE_ADDRESS__)
        // A changed link that makes libmdb's table list grow without end.
        {"a table list that grows without end",
         mdb,
         {{0x16FCA, "\x09", QByteArray(1, '\0')}},
         qint64(256) << 20,
         IAccessSource::kMemory,
         {},
         {},
         {},
         {}},
#endif
    };
    QTemporaryDir dir;
    qputenv("CORVANTA_MDB_HELPER", CORVANTA_MDB_HELPER_PATH);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile fixture(QStringLiteral(CORVANTA_FIXTURES "/real/access/") + c.file);
        ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
        QByteArray bytes = fixture.readAll();
        for (const CPatch& patch : c.patches) {
            ASSERT_EQ(bytes.mid(patch.at, patch.from.size()), patch.from) << patch.at;
            bytes.replace(patch.at, patch.to.size(), patch.to);
        }
        const QString path = dir.filePath(c.file);
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();

        const auto source = MakeMdbAccessSource(60000, qint64(64) << 20, c.memoryBytes);
        const int stage = source->Open(path);
        ASSERT_EQ(stage, c.open);
        if (stage == IAccessSource::kPassword) {
            EXPECT_EQ(source->OpenMessage(stage),
                      U("データベースがパスワードで保護されているため開けません。\n"
                        "Accessで開いてパスワードを解除してから読み込んでください。"));
            continue;
        }
        if (stage == IAccessSource::kMemory) {
            EXPECT_EQ(source->OpenMessage(stage),
                      U("データベースを開けません。\n読み込みに必要なメモリが上限（256MB）を超えました。"
                        "ファイルが壊れている可能性があります。"));
            continue;
        }
        QList<CAccessColumn> columns;
        QStringList keys;
        QList<CAccessRow> rows;
        QString step;
        const bool read = source->ReadTable(QStringLiteral("Table1"), columns, keys, rows, step);
        EXPECT_EQ(step, c.step);
        if (!c.step.isEmpty()) {
            EXPECT_FALSE(read);
            EXPECT_TRUE(rows.isEmpty());
            continue;
        }
        ASSERT_TRUE(read);
        SortAccessRows(columns, keys, rows);
        ASSERT_EQ(rows.size(), 2);
        EXPECT_EQ(QStringList({AccessCellText(columns[5].type, rows[0][5]),
                               AccessCellText(columns[6].type, rows[0][6])}),
                  c.first);
        EXPECT_EQ(QStringList({AccessCellText(columns[5].type, rows[1][5]),
                               AccessCellText(columns[6].type, rows[1][6])}),
                  c.second);
        if (c.secondG.isValid()) {
            EXPECT_EQ(rows[1][6].toDateTime(), c.secondG);
        }
    }
    qunsetenv("CORVANTA_MDB_HELPER");
}

} // namespace
#endif
