#include "TestPaths.h"
#include "platform/office/AccessSource.h"
#include "platform/text/Cp932.h"

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
        // F made a GUID of 16 bytes: its own 8 and G's, which follow it.
        {"a GUID",
         accdb,
         {{kColumnsAccdb + 5 * 25, "\x07", "\x0F"}, {kColumnsAccdb + 5 * 25 + 23, "\x08", "\x10"}},
         qint64(1) << 30,
         IAccessSource::kOk,
         {},
         {"{00000000-0000-0000-0000-0000003BDD40}", "1981/12/12"},
         {"{47AE147B-C8E1-407B-0000-000040A7DA40}", "1974/09/21"},
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
         U("A「a」の行の列「B」に読み込めない値があります"),
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

QByteArray Cp932Bytes(const QString& text)
{
    return Cp932::Encode(text);
}

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

// calcFieldTestV2010.accdb with Table1 on the many side of a relationship,
// as Access keeps such a table: its definition (one page, at 0x56000) gains
// a second real index, over City, and a logical index of type 2 (a foreign
// key) naming it. Inserted are the real index's 12-byte entry after the
// first one's (ahead of the column descriptors, which move on by 12 bytes),
// its 52-byte definition after the first's, the logical index's 28-byte
// entry after the primary key's and its name "CustomersTable1" after
// "PrimaryKey". The counts of indexes (0x2F) and real indexes (0x33) become
// 2, the definition's length (0x08) and the page's free space (0x02) follow,
// and the page keeps its size: what is pushed past the definition's end was
// free space.
QByteArray OnTheManySide(const QByteArray& file)
{
    constexpr qsizetype kPage = 0x56000, kPageSize = 4096, kRealEntries = 0x3F;
    QByteArray page = file.mid(kPage, kPageSize);
    auto u16 = [&page](qsizetype at) { return qFromLittleEndian<quint16>(page.constData() + at); };
    auto u32 = [&page](qsizetype at) { return qFromLittleEndian<quint32>(page.constData() + at); };
    auto put32 = [&page](qsizetype at, quint32 value) { qToLittleEndian(value, page.data() + at); };
    EXPECT_EQ(page.size(), kPageSize);
    EXPECT_EQ(page.left(2), Hex("0201"));
    EXPECT_EQ(u16(0x2D), 17); // columns
    EXPECT_EQ(u32(0x2F), 1u); // indexes
    EXPECT_EQ(u32(0x33), 1u); // real indexes
    const qsizetype columns = kRealEntries + 12;
    qsizetype real = columns + 17 * 25;
    for (int c = 0; c < 17; ++c)
        real += 2 + u16(real);
    const qsizetype logical = real + 52, names = logical + 28;
    const qsizetype end = names + 2 + u16(names);
    EXPECT_EQ(page.mid(names + 2, u16(names)), QByteArray("P\0r\0i\0m\0a\0r\0y\0K\0e\0y\0", 20));

    QByteArray realIndex = page.mid(real, 52);
    realIndex.replace(4, 2, Hex("0400")); // its first key column: City
    QByteArray foreignKey = page.mid(logical, 28);
    foreignKey.replace(4, 8, Hex("0100000001000000"));    // its number and its real index's
    foreignKey.replace(12, 9, Hex("010000000012000000")); // the table on the one side, its index
    foreignKey[23] = 2;                                   // a foreign key
    QByteArray name = Hex("1e00");
    for (char c : QByteArray("CustomersTable1"))
        name += QByteArray(1, c) + '\0';
    const qsizetype grown = 12 + realIndex.size() + foreignKey.size() + name.size();
    const qsizetype definitionEnd = 8 + qsizetype(u32(0x08));
    EXPECT_LE(definitionEnd + grown, kPageSize);
    page = page.left(columns) + page.mid(kRealEntries, 12) + page.mid(columns, logical - columns) +
           realIndex + page.mid(logical, names - logical) + foreignKey + page.mid(names, end - names) + name +
           page.mid(end, kPageSize - end - grown);
    put32(0x2F, 2);
    put32(0x33, 2);
    put32(0x08, u32(0x08) + quint32(grown));
    qToLittleEndian(quint16(u16(0x02) - grown), page.data() + 2);
    EXPECT_EQ(page.size(), kPageSize);
    return file.left(kPage) + page + file.mid(kPage + kPageSize);
}

// A table on the many side of a relationship keeps a real index that its
// logical indexes count as a foreign key's: its calculated columns, text and
// numbers, still come in as Access stored them, and its key is read.
TEST(MdbAccessValues, CalculatedColumnsOfATableWithAForeignKeyComeInAsStored)
{
    QFile fixture(QStringLiteral(CORVANTA_FIXTURES "/real/access/calcFieldTestV2010.accdb"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QByteArray bytes = OnTheManySide(fixture.readAll());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("relationship.accdb"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();

    qputenv("CORVANTA_MDB_HELPER", CORVANTA_MDB_HELPER_PATH);
    const auto source = MakeMdbAccessSource();
    ASSERT_EQ(source->Open(path), IAccessSource::kOk);
    QList<CAccessColumn> columns;
    QStringList keys;
    QList<CAccessRow> rows;
    QString step;
    ASSERT_TRUE(source->ReadTable(QStringLiteral("Table1"), columns, keys, rows, step)) << qPrintable(step);
    qunsetenv("CORVANTA_MDB_HELPER");
    EXPECT_EQ(keys, QStringList{QStringLiteral("ID")});
    SortAccessRows(columns, keys, rows);
    ASSERT_EQ(rows.size(), 4);
    using C = CAccessColumn;
    const struct {
        int row;
        const char* column;
        QString text;
        int type;
    } cells[] = {
        {0, "City", U("Gotham"), C::kText},
        {0, "LastFirst", U("Wayne, Bruce"), C::kText},
        {0, "LastFirstLen", U("12"), C::kInteger},
        {0, "MonthlySalary", U("83333.3333"), C::kCurrency},
        {0, "IsRich", U("1"), C::kBool},
        {0, "AllNames", U("Wayne, Bruce=Wayne, Bruce"), C::kText},
        {0, "FloatTest", U("2583.2092"), C::kFloat},
        {1, "LastFirst", U("Simpson, Bart"), C::kText},
        {1, "MonthlySalary", U("-0.0833"), C::kCurrency},
        {2, "LastFirstLen", U("9"), C::kInteger},
        {3, "WeeklySalary", U("1.92307692307692"), C::kCurrency},
    };
    for (const auto& cell : cells) {
        SCOPED_TRACE(std::to_string(cell.row) + " " + cell.column);
        const auto at = std::find_if(columns.cbegin(), columns.cend(), [&](const CAccessColumn& c) {
            return c.name == QLatin1String(cell.column);
        });
        ASSERT_NE(at, columns.cend());
        EXPECT_EQ(at->type, cell.type);
        EXPECT_EQ(AccessCellText(at->type, rows[cell.row].value(at - columns.cbegin())), cell.text);
    }
}

// The fixtures from the makers' own tests, as stored and with bytes
// changed: calculated columns by their results, multi-valued and attachment
// columns by their items, texts outside the BMP, and Access 97 texts in the
// code page their header declares. Each value comes in as stored, or the
// read fails naming the column: never a blank, a zero or a "?".
TEST(MdbAccessValues, CalculatedListsAndTextsComeInAsStored)
{
    const QString calc = U("calcFieldTestV2010.accdb"), lists = U("complexDataTestV2007.accdb"),
                  emoji = U("testEmoticonsV2010.accdb"), jet3 = U("test2V1997.mdb");
    using C = CAccessColumn;
    struct CCell {
        const char* key;    // the text of the row's first column
        const char* column; // by name
        QString text;       // as the import reads it
        int type = -1;      // the column's type, -1 any
    };
    // In test2V1997.mdb the header's code page is stored masked: flipping
    // these bits turns 1252 into 932. The project's name and title.
    const CPatch to932{0x3C, Hex("9F46"), Hex("DF41")};
    const auto name = [](const QByteArray& to) { return CPatch{104303, "Project1", to}; };
    const auto title = [](const QByteArray& to) { return CPatch{104369, "Project1", to}; };
    const QByteArray accented("Taquer\xED\x61"); // "Taquería" in code page 1252
    const struct {
        const char* what;
        QString file;
        QList<CPatch> patches;
        QString table;
        QString step;        // the failure, empty when read
        QStringList columns; // their names in order, when given
        QList<CCell> cells;
    } cases[] = {
        {"calculated columns",
         calc,
         {},
         U("Table1"),
         {},
         {},
         {{"1", "LastFirst", U("Wayne, Bruce"), C::kText},
          {"1", "LastFirstLen", U("12"), C::kInteger},
          {"1", "MonthlySalary", U("83333.3333"), C::kCurrency}, // a currency result in a "Double" column
          {"1", "IsRich", U("1"), C::kBool},
          {"1", "AllNames", U("Wayne, Bruce=Wayne, Bruce"), C::kText}, // a memo on a page of its own
          {"1", "WeeklySalary", U("19230.7692307692"), C::kCurrency},
          {"1", "DecimalTest", U("50.325"), C::kCurrency},
          {"1", "FloatTest", U("2583.2092"), C::kFloat},
          {"1", "BigNumTest", U("56505085819.42479129657228018")},
          {"2", "LastFirst", U("Simpson, Bart")},
          {"2", "MonthlySalary", U("-0.0833")},
          {"2", "WeeklySalary", U("-0.0192307692307692")},
          {"2", "IsRich", U("0")},
          {"3", "AllNames", U("Doe, John=Doe, John")}, // a memo kept in the row
          {"3", "FloatTest", U("0")},
          {"4", "BigNumTest", U("0.000000278701928982421698083")}}},
        // MonthlySalary's result type (in the column's properties) made a
        // date, and its first two values date counts.
        {"a calculated date",
         calc,
         {{0xAD7F7, "\x05", "\x08"},
          {0x5AED4, Hex("55A8AB3100000000"), Double(38223.5)},
          {0x5AD30, Hex("BFFCFFFFFFFFFFFF"), Double(-1.25)}},
         U("Table1"),
         {},
         {},
         {{"1", "MonthlySalary", U("2004/08/24"), C::kDate}, {"2", "MonthlySalary", U("1899/12/29")}}},
        // "Bruce" compressed, made "B", a switch to two bytes a character,
        // "ひ" and a switch back.
        {"a compressed text switching to two bytes a character",
         calc,
         {{0x5AE6A, Hex("FFFE4272756365"), Hex("FFFE4200723000")}},
         U("Table1"),
         {},
         {},
         {{"1", "FirstName", U("Bひ")}, {"2", "FirstName", U("Bart")}}},
        {"a calculated value longer than its bytes",
         calc,
         {{0x5AE88, "\x0E", "\x30"}},
         U("Table1"),
         U("ID「1」の行の列「LastFirst」に読み込めない値があります"),
         {},
         {}},
        // The column keeping the append-only memo's history is left out.
        {"multi-valued and attachment columns",
         lists,
         {},
         U("Table1"),
         {},
         {"id", "memo-data", "append-memo-data", "multi-value-data", "attach-data"},
         {{"row1", "multi-value-data", {}},
          {"row2", "multi-value-data", U("value1、value4"), C::kText},
          {"row3", "multi-value-data", U("value1、value2、value3、value4")},
          {"row2", "attach-data", U("test_data.txt、test_data2.txt"), C::kText},
          {"row3", "attach-data", {}},
          {"row4", "attach-data", U("test_data2.txt")},
          {"row3", "append-memo-data", U("row3-memo-again")}}},
        // The list of list columns names another table for the items.
        {"items whose table is not found",
         lists,
         {{0x74F2D, "\x3C", "\x3D"}},
         U("Table1"),
         U("列「multi-value-data」はこのデータ型を読み込めません"),
         {},
         {}},
        {"characters outside the BMP",
         emoji,
         {},
         U("data"),
         {},
         {"key", "data"},
         {{"128512", "data", U("a😀a")}, {"128513", "data", U("a😁a")}, {"128591", "data", U("a🙏a")}}},
        {"half a surrogate pair",
         emoji,
         {{0x56FF5, Hex("00DE"), Hex("6100")}},
         U("data"),
         U("1行目の列「data」に読み込めない値があります"),
         {},
         {}},
        // The same in the third row of a table without a key: named by its number.
        {"half a surrogate pair further down",
         emoji,
         {{0x56FCB, Hex("02DE"), Hex("6100")}},
         U("data"),
         U("3行目の列「data」に読み込めない値があります"),
         {},
         {}},
        {"Access 97 in code page 1252",
         jet3,
         {},
         U("MSP_PROJECTS"),
         {},
         {},
         {{"1", "PROJ_OPT_CURRENCY_SYMBOL", U("£")},
          {"1", "PROJ_NAME", U("Project1")},
          {"1", "PROJ_PROP_TITLE", U("Project1")},
          {"1", "PROJ_INFO_CAL_NAME", U("Standard")}}},
        {"accented letters in code page 1252",
         jet3,
         {name(accented), title(accented)},
         U("MSP_PROJECTS"),
         {},
         {},
         {{"1", "PROJ_NAME", U("Taquería")}, {"1", "PROJ_PROP_TITLE", U("Taquería")}}},
        {"a byte code page 1252 has no character for",
         jet3,
         {name("Project\x81")},
         U("MSP_PROJECTS"),
         U("1行目の列「PROJ_NAME」に読み込めない値があります"),
         {},
         {}},
        {"Access 97 declaring code page 932",
         jet3,
         {to932, name(Cp932Bytes(U("得意先12"))), title(Cp932Bytes(U("得意先12")))},
         U("MSP_PROJECTS"),
         {},
         {},
         {{"1", "PROJ_NAME", U("得意先12")},
          {"1", "PROJ_PROP_TITLE", U("得意先12")},
          {"1", "PROJ_OPT_CURRENCY_SYMBOL", U("｣")}}},
    };
    QTemporaryDir dir;
    qputenv("CORVANTA_MDB_HELPER", CORVANTA_MDB_HELPER_PATH);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile fixture(QStringLiteral(CORVANTA_FIXTURES "/real/access/") + c.file);
        ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
        QByteArray bytes = fixture.readAll();
        for (const CPatch& patch : c.patches) {
            ASSERT_EQ(bytes.mid(patch.at, patch.from.size()).toHex(), patch.from.toHex()) << patch.at;
            ASSERT_EQ(patch.from.size(), patch.to.size());
            bytes.replace(patch.at, patch.to.size(), patch.to);
        }
        const QString path = dir.filePath(c.file);
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();

        const auto source = MakeMdbAccessSource();
        ASSERT_EQ(source->Open(path), IAccessSource::kOk);
        QList<CAccessColumn> columns;
        QStringList keys;
        QList<CAccessRow> rows;
        QString step;
        const bool read = source->ReadTable(c.table, columns, keys, rows, step);
        EXPECT_EQ(step, c.step);
        EXPECT_EQ(read, c.step.isEmpty());
        if (!read)
            continue;
        QStringList names;
        for (const CAccessColumn& column : std::as_const(columns))
            names << column.name;
        if (!c.columns.isEmpty()) {
            EXPECT_EQ(names, c.columns);
            for (qsizetype i = 0; i < columns.size(); ++i)
                EXPECT_EQ(columns[i].ordinal, i + 1);
        }
        for (const CCell& cell : c.cells) {
            SCOPED_TRACE(std::string(cell.key) + " " + cell.column);
            const qsizetype at = names.indexOf(QLatin1String(cell.column));
            ASSERT_GE(at, 0);
            const auto row = std::find_if(rows.begin(), rows.end(), [&](const CAccessRow& r) {
                return AccessCellText(columns[0].type, r.value(0)) == QLatin1String(cell.key);
            });
            ASSERT_NE(row, rows.end());
            EXPECT_EQ(AccessCellText(columns[at].type, row->value(at)), cell.text);
            if (cell.type >= 0) {
                EXPECT_EQ(columns[at].type, cell.type);
            }
        }
    }
    qunsetenv("CORVANTA_MDB_HELPER");
}

} // namespace
#endif
