#include "platform/office/XlsCrypt.h"
#include "platform/office/XlsReader.h"
#include "support/XlsBytes.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{

using namespace XlsBytes;
using K = CSheetCell;

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray Utf16(const QString& text)
{
    QByteArray bytes;
    for (QChar c : text)
        bytes += U16(c.unicode());
    return bytes;
}

QByteArray Md5(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5);
}

QByteArray Sha1(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha1);
}

QByteArray Rc4(const QByteArray& key, QByteArray data)
{
    XlsCrypt::Rc4(key, data);
    return data;
}

// FILEPASS of plain RC4: the verifier and its MD5 encrypted with block 0's
// key, made from the password as the format describes.
QByteArray FilePassRc4(const QString& password)
{
    const QByteArray salt = QByteArray::fromHex("a1b2c3d4e5f60718293a4b5c6d7e8f90");
    const QByteArray verifier = QByteArray::fromHex("00112233445566778899aabbccddeeff");
    QByteArray repeated;
    for (int i = 0; i < 16; ++i)
        repeated += Md5(Utf16(password)).left(5) + salt;
    const QByteArray key = Md5(Md5(repeated).left(5) + U32(0));
    const QByteArray encrypted = Rc4(key, verifier + Md5(verifier));
    return U16(1) + U16(1) + U16(1) + salt + encrypted;
}

// FILEPASS of RC4 through CryptoAPI with a 128-bit key.
QByteArray FilePassCryptoApi(const QString& password)
{
    const QByteArray salt = QByteArray::fromHex("0f1e2d3c4b5a69788796a5b4c3d2e1f0");
    const QByteArray verifier = QByteArray::fromHex("fedcba98765432100123456789abcdef");
    const QByteArray key = Sha1(Sha1(salt + Utf16(password)) + U32(0)).left(16);
    const QByteArray encrypted = Rc4(key, verifier + Sha1(verifier));
    const QByteArray header = U32(0x24) + U32(0) + U32(0x6801) + U32(0x8004) + U32(128) + U32(1) + U32(0) +
                              U32(0) + QByteArray(2, '\0');
    return U16(1) + U16(4) + U16(2) + U32(0x24) + U32(quint32(header.size())) + header + U32(16) + salt +
           encrypted.left(16) + U32(20) + encrypted.mid(16);
}

// The stream as Excel encrypts it after its FILEPASS record (which follows
// the globals' BOF).
QByteArray Encrypted(const QByteArray& plain, const QByteArray& filePass, const QString& password)
{
    QByteArray bytes = plain;
    EXPECT_EQ(XlsCrypt::Decrypt(bytes, filePass, password), XlsCrypt::Decrypted);
    EXPECT_NE(bytes, plain);
    return bytes;
}

const CSheetCell* CellAt(const CSheetData& sheet, quint32 row, quint32 column)
{
    for (const CSheetCell& cell : sheet.cells) {
        if (cell.row == row && cell.column == column)
            return &cell;
    }
    return nullptr;
}

// A BIFF8 sheet of a number, a text and a formula with its result.
QByteArray Biff8Cells()
{
    return Record(0x0203, Cell(0, 0, 0) + F64(1234.5)) + Record(0x0204, Cell(0, 1, 0) + Unicode(U("商品"))) +
           Record(0x0006, Cell(1, 0, 0) + F64(2469) + U16(0) + U32(0) + U16(0));
}

QByteArray Biff8Book(const QByteArray& globals = {}, const QByteArray& cells = Biff8Cells())
{
    return Stream(8, globals, {{Unicode(U("Sheet1"), true), cells}});
}

TEST(XlsBooks, EachVersionAndStreamReadsItsValuesFormulaResultsAndTexts)
{
    // An Excel 95 book in the Japanese code page: a sheet name, a label, a
    // formula of a number and one of a text, a dated number.
    const QByteArray cp932Sheet("\x93\xBE\x88\xD3\x90\xE6", 6); // 得意先
    const QByteArray cp932Label("\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0\x83\x65\x83\x58\x83\x67",
                                14);                                            // 株式会社テスト
    const QByteArray cp932Kana("\xB6\xCC\xDE\xBC\xB7\xB6\xDE\xB2\xBC\xAC", 10); // ｶﾌﾞｼｷｶﾞｲｼｬ
    const QByteArray biff5Globals = Record(0x0042, U16(932)) +
                                    Record(0x041E, U16(164) + Bytes("yyyy/m/d", true)) +
                                    Record(0x00E0, U16(0) + U16(0) + QByteArray(12, '\0')) +
                                    Record(0x00E0, U16(0) + U16(164) + QByteArray(12, '\0'));
    const QByteArray biff5Cells =
        Record(0x0204, Cell(0, 0, 0) + Bytes(cp932Label)) +
        Record(0x0006, Cell(0, 1, 0) + F64(1246912.89012345) + U16(0) + U32(0) + U16(0)) +
        Record(0x0006, Cell(1, 0, 0) + QByteArray("\0\0\0\0\0\0\xFF\xFF", 8) + U16(0) + U32(0) + U16(0)) +
        Record(0x0207, Bytes(cp932Kana)) + Record(0x0203, Cell(1, 1, 1) + F64(45351));
    const QByteArray excel95 = Stream(5, biff5Globals, {{Bytes(cp932Sheet, true), biff5Cells}});
    const QByteArray western =
        Stream(5, Record(0x0042, U16(1252)),
               {{Bytes("Caf\xE9", true), Record(0x0204, Cell(0, 0, 0) + Bytes("Caf\xE9"))}});
    // The sheet's offset lands on a record before its BOF, or inside one.
    const QByteArray padded = Stream(8, {}, {{Unicode(U("S"), true), Biff8Cells()}});
    const QByteArray beforeBof = [] {
        QByteArray stream = Stream(8, {}, {{Unicode(U("S"), true), Biff8Cells()}});
        // A record of two bytes ahead of the sheet's BOF, where its offset
        // points.
        const qsizetype bof = stream.indexOf(Bof(8, 0x0010));
        stream.insert(bof, Record(0x0013, U16(0)));
        return stream;
    }();
    const QByteArray insideRecord =
        Stream(8, {}, {{Unicode(U("S"), true), Biff8Cells()}}, [](int, quint32 at) { return at - 2; });
    const QByteArray emptyLabel =
        Biff8Book({}, Record(0x0204, Cell(0, 0, 0) + U16(0)) + Record(0x0203, Cell(0, 1, 0) + F64(7)));
    const QByteArray biff4 = [] {
        QByteArray stream = Biff8Book();
        stream[0] = 0x09;
        stream[1] = 0x04;
        return stream;
    }();
    auto withFilePass = [](const QByteArray& filePass) {
        return Stream(8, Record(0x002F, filePass) + Record(0x0042, U16(1200)),
                      {{Unicode(U("Sheet1"), true), Biff8Cells()}});
    };

    const QList<QPair<QString, QString>> plainCells = {
        {U("A1"), U("1234.5")}, {U("B1"), U("商品")}, {U("A2"), U("2469")}};
    const struct {
        const char* what;
        QByteArray file;
        CWorkbookReader::Error error;
        QString sheet;
        QList<QPair<QString, QString>> cells; // name, number or text
    } cases[] = {
        {"Excel 95 in the Japanese code page",
         Compound({{U("Book"), excel95}}),
         CWorkbookReader::NoError,
         U("得意先"),
         {{U("A1"), U("株式会社テスト")},
          {U("B1"), U("1246912.89012345")},
          {U("A2"), U("ｶﾌﾞｼｷｶﾞｲｼｬ")},
          {U("B2"), U("date 45351")}}},
        {"Excel 95 in the Western code page",
         Compound({{U("Book"), western}}),
         CWorkbookReader::NoError,
         U("Café"),
         {{U("A1"), U("Café")}}},
        {"Excel 97 in a stream named BOOK", Compound({{U("BOOK"), Biff8Book()}}), CWorkbookReader::NoError,
         U("Sheet1"), plainCells},
        {"Excel 95 records in a stream named Workbook",
         Compound({{U("Workbook"), western}}),
         CWorkbookReader::NoError,
         U("Café"),
         {{U("A1"), U("Café")}}},
        {"a book saved for both versions reads the newer",
         Compound({{U("Book"), western}, {U("Workbook"), Biff8Book()}}), CWorkbookReader::NoError,
         U("Sheet1"), plainCells},
        {"a plain book", Compound({{U("Workbook"), padded}}), CWorkbookReader::NoError, U("S"), plainCells},
        {"an offset on a record before the sheet's BOF", Compound({{U("Workbook"), beforeBof}}),
         CWorkbookReader::NoError, U("S"), plainCells},
        {"an offset inside a record", Compound({{U("Workbook"), insideRecord}}), CWorkbookReader::NoError,
         U("S"), plainCells},
        {"a label of no characters without its option byte",
         Compound({{U("Workbook"), emptyLabel}}),
         CWorkbookReader::NoError,
         U("Sheet1"),
         {{U("A1"), QString("")}, {U("B1"), U("7")}}},
        {"the built-in password, plain RC4",
         Compound({{U("Workbook"),
                    Encrypted(withFilePass(FilePassRc4(XlsCrypt::kDefaultPassword)),
                              FilePassRc4(XlsCrypt::kDefaultPassword), XlsCrypt::kDefaultPassword)}}),
         CWorkbookReader::NoError, U("Sheet1"), plainCells},
        {"the built-in password, RC4 through CryptoAPI",
         Compound({{U("Workbook"),
                    Encrypted(withFilePass(FilePassCryptoApi(XlsCrypt::kDefaultPassword)),
                              FilePassCryptoApi(XlsCrypt::kDefaultPassword), XlsCrypt::kDefaultPassword)}}),
         CWorkbookReader::NoError, U("Sheet1"), plainCells},
        {"a password of the user's own",
         Compound({{U("Workbook"), Encrypted(withFilePass(FilePassRc4(U("himitsu"))),
                                             FilePassRc4(U("himitsu")), U("himitsu"))}}),
         CWorkbookReader::Password,
         {},
         {}},
        {"a CryptoAPI password of the user's own",
         Compound({{U("Workbook"), Encrypted(withFilePass(FilePassCryptoApi(U("himitsu"))),
                                             FilePassCryptoApi(U("himitsu")), U("himitsu"))}}),
         CWorkbookReader::Password,
         {},
         {}},
        {"XOR obfuscation",
         Compound({{U("Workbook"), withFilePass(U16(0) + U16(0x1234) + U16(0x5678))}}),
         CWorkbookReader::Unsupported,
         {},
         {}},
        {"an encrypted .xlsx",
         Compound({{U("EncryptionInfo"), QByteArray(200, '\x04')},
                   {U("EncryptedPackage"), QByteArray(5000, 'x')}}),
         CWorkbookReader::Password,
         {},
         {}},
        {"Excel 4.0", Compound({{U("Workbook"), biff4}}), CWorkbookReader::Unsupported, {}, {}},
        // Mac Arabic and Korean Johab: no decoder, never Latin-1.
        {"Excel 95 in a code page no decoder reads",
         Compound(
             {{U("Book"), Stream(5, Record(0x0042, U16(10004)),
                                 {{Bytes("S", true), Record(0x0204, Cell(0, 0, 0) + Bytes("\xC7\xD1"))}})}}),
         CWorkbookReader::CodePage,
         {},
         {}},
        {"Excel 95 in Johab",
         Compound({{U("Book"), Stream(5, Record(0x0042, U16(1361)), {{Bytes("S", true), {}}})}}),
         CWorkbookReader::CodePage,
         {},
         {}},
        {"no workbook stream",
         Compound({{U("Contents"), Biff8Book()}}),
         CWorkbookReader::NotWorkbook,
         {},
         {}},
        {"no sheet", Compound({{U("Workbook"), Stream(8, {}, {})}}), CWorkbookReader::NotWorkbook, {}, {}},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QStringLiteral("book.xls"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.file);
        file.close();
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error);
        EXPECT_EQ(error, c.error);
        if (c.error != CWorkbookReader::NoError) {
            EXPECT_FALSE(reader);
            continue;
        }
        ASSERT_TRUE(reader);
        ASSERT_EQ(reader->Sheets().size(), 1);
        EXPECT_EQ(reader->Sheets().first().name, c.sheet);
        CSheetData sheet;
        ASSERT_TRUE(reader->ReadSheet(0, sheet, &error));
        EXPECT_EQ(sheet.cells.size(), size_t(c.cells.size()));
        for (const auto& [name, value] : c.cells) {
            const CSheetCell* cell = nullptr;
            for (const CSheetCell& each : sheet.cells) {
                if (CWorkbookReader::CellName(each.row, each.column) == name)
                    cell = &each;
            }
            ASSERT_TRUE(cell) << qPrintable(name);
            if (value.startsWith(U("date "))) {
                EXPECT_EQ(cell->kind, K::Number);
                EXPECT_TRUE(sheet.FormatOf(*cell).isDate);
                EXPECT_EQ(cell->number, value.mid(5).toDouble());
            } else if (cell->kind == K::Number) {
                EXPECT_EQ(cell->number, value.toDouble()) << qPrintable(name);
            } else {
                EXPECT_EQ(cell->kind, K::Text) << qPrintable(name);
                EXPECT_EQ(cell->text, value) << qPrintable(name);
            }
        }
    }
}

TEST(XlsBooks, Rc4GivesTheKnownKeyStream)
{
    EXPECT_EQ(Rc4("Key", "Plaintext").toHex(), "bbf316e8d940af0ad3");
    EXPECT_EQ(Rc4("Wiki", "pedia").toHex(), "1021bf0420");
}

TEST(XlsBooks, LostFormulaResultsAreNamedAndEmptyCellsKeepOnlyTheirRange)
{
    const QByteArray textFormula =
        Record(0x0006, Cell(1, 1, 0) + QByteArray("\0\0\0\0\0\0\xFF\xFF", 8) + U16(0) + U32(0) + U16(0));
    const struct {
        const char* what;
        QByteArray cells;
        CWorkbookReader::Error error;
        QString failed;
    } cases[] = {
        {"a text result whose record never comes", textFormula + Record(0x0203, Cell(2, 0, 0) + F64(1)),
         CWorkbookReader::FormulaResult, U("B2")},
        {"a text result at the sheet's end", textFormula, CWorkbookReader::FormulaResult, U("B2")},
        {"a result of an unknown kind",
         Record(0x0006, Cell(4, 2, 0) + QByteArray("\x09\0\0\0\0\0\xFF\xFF", 8) + U16(0) + U32(0) + U16(0)),
         CWorkbookReader::FormulaResult, U("C5")},
        {"a text result after a shared formula",
         textFormula + Record(0x04BC, QByteArray(10, '\0')) + Record(0x0207, Unicode(U("ok"))),
         CWorkbookReader::NoError,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CWorkbookReader::Error error = CWorkbookReader::NoError;
        std::unique_ptr<CXlsReader> reader =
            CXlsReader::FromBytes(Compound({{U("Workbook"), Biff8Book({}, c.cells)}}), {}, error);
        ASSERT_TRUE(reader);
        CSheetData sheet;
        EXPECT_EQ(reader->ReadSheet(0, sheet, &error), c.error == CWorkbookReader::NoError);
        EXPECT_EQ(error, c.error);
        if (c.error == CWorkbookReader::FormulaResult)
            EXPECT_EQ(reader->FailedCell(), c.failed);
        else
            EXPECT_EQ(CellAt(sheet, 1, 1)->text, U("ok"));
    }

    // Styled empty cells: none kept, their range kept; a value past the
    // cap is refused as too large, blanks never count.
    QByteArray blanks = Record(0x0203, Cell(3, 3, 0) + F64(5));
    for (quint16 row = 0; row < 2000; ++row)
        blanks += Record(0x00BE, U16(row) + U16(1) + QByteArray(2 * 200, '\0') + U16(200));
    blanks += Record(0x0201, Cell(2500, 0, 0));
    CWorkbookLimits limits;
    limits.maxCells = 100;
    CWorkbookReader::Error error = CWorkbookReader::NoError;
    std::unique_ptr<CXlsReader> reader =
        CXlsReader::FromBytes(Compound({{U("Workbook"), Biff8Book({}, blanks)}}), limits, error);
    ASSERT_TRUE(reader);
    CSheetData sheet;
    ASSERT_TRUE(reader->ReadSheet(0, sheet, &error));
    ASSERT_EQ(sheet.cells.size(), 1u);
    quint32 r0, c0, r1, c1;
    ASSERT_TRUE(sheet.UsedRange(r0, c0, r1, c1));
    EXPECT_EQ(QList<quint32>({r0, c0, r1, c1}), QList<quint32>({0, 0, 2500, 200}));

    QByteArray numbers;
    for (quint16 row = 0; row < 101; ++row)
        numbers += Record(0x0203, Cell(row, 0, 0) + F64(row));
    reader = CXlsReader::FromBytes(Compound({{U("Workbook"), Biff8Book({}, numbers)}}), limits, error);
    ASSERT_TRUE(reader);
    EXPECT_FALSE(reader->ReadSheet(0, sheet, &error));
    EXPECT_EQ(error, CWorkbookReader::TooLarge);
    EXPECT_TRUE(sheet.cells.empty());
}

// Each kind of cell record reads its value (RK: an integer past two flag
// bits or a double's high half, the low bit dividing by 100); one too short
// for its kind is damage; an embedded chart's records are no cells.
TEST(XlsBooks, EachCellRecordReadsItsValueAndShortOnesAreDamage)
{
    // The sheet of `cells` in a BIFF8 book read: NoError, or why it is refused.
    CSheetData sheet;
    auto readCells = [&sheet](const QByteArray& cells) {
        CWorkbookReader::Error error = CWorkbookReader::NoError;
        auto reader = CXlsReader::FromBytes(Compound({{U("Workbook"), Biff8Book({}, cells)}}), {}, error);
        const bool ok = reader && reader->ReadSheet(0, sheet, &error);
        EXPECT_EQ(ok, error == CWorkbookReader::NoError);
        return error;
    };
    auto rk = [](quint16 column, quint32 bits) { return Record(0x027E, Cell(0, column, 0) + U32(bits)); };
    auto formula = [](quint16 col, const char* r) {
        return Record(0x0006, Cell(0, col, 0) + QByteArray(r, 6) + "\xFF\xFF" + U16(0) + U32(0) + U16(0));
    };
    const QByteArray cells =
        rk(0, (1234u << 2) | 2) + rk(1, (12345u << 2) | 3) + rk(2, 0x3FF80000) + rk(3, quint32(-28) | 2) +
        Record(0x00BD, U16(1) + U16(1) + U16(0) + U32((5u << 2) | 2) + U16(999) + U32(0x40240000) + U16(2)) +
        Record(0x0205, Cell(2, 0, 0) + QByteArray("\x01\x00", 2)) +
        Record(0x0205, Cell(2, 1, 0) + "\x07\x01") + Bof(8, 0x0020) + Record(0x0203, Cell(5, 5, 0) + F64(2)) +
        Eof() + formula(4, "\x01\0\x01\0\0\0") + formula(5, "\x02\0\x1D\0\0\0") +
        formula(6, "\x03\0\0\0\0\0");
    ASSERT_EQ(readCells(cells), CWorkbookReader::NoError);
    // Each cell as its name, kind, cell format, number and text.
    QStringList read;
    for (const CSheetCell& c : sheet.cells)
        read << QStringLiteral("%1 %2 %3 %4 %5")
                    .arg(CWorkbookReader::CellName(c.row, c.column), QString::number(int(c.kind)),
                         QString::number(c.format), QString::number(c.number), c.text);
    EXPECT_EQ(read, QStringList({"A1 1 0 1234 ", "B1 1 0 123.45 ", "C1 1 0 1.5 ", "D1 1 0 -7 ", "E1 3 0 1 ",
                                 "F1 4 0 0 #NAME?", "G1 2 0 0 ", "B2 1 0 5 ", "C2 1 0 10 ", "A3 3 0 1 ",
                                 "B3 4 0 0 #DIV/0!"}));

    // Records of each kind a byte short, after a good cell.
    const std::pair<quint16, int> shortRecords[] = {{0x0203, 13}, {0x027E, 9}, {0x00BD, 11}, {0x00BE, 7},
                                                    {0x0201, 5},  {0x00FD, 9}, {0x0204, 5},  {0x0205, 7},
                                                    {0x0006, 13}, {0x0200, 11}};
    for (const auto& [type, n] : shortRecords)
        EXPECT_EQ(readCells(rk(0, 2) + Record(type, QByteArray(n, 0))), CWorkbookReader::NotWorkbook) << type;
}

// The range a sheet's DIMENSIONS record declares, 32-bit rows in BIFF8 and
// 16-bit in BIFF5, reaches the read check ahead of the cells; one of no
// cells declares nothing. Sheets that are not in the book are damage.
TEST(XlsBooks, TheDeclaredRangeAndTheCellsReadReachTheReadCheck)
{
    const QByteArray cells = Record(0x0203, Cell(1, 2, 0) + F64(1)) + Record(0x0203, Cell(1, 3, 0) + F64(2)) +
                             Record(0x0201, Cell(3, 1, 0)) + Record(0x0203, Cell(4, 2, 0) + F64(3));
    auto corners = [](const CSheetRange& r) {
        return QList<quint32>{r.firstRow, r.firstColumn, r.lastRow, r.lastColumn};
    };
    const struct {
        const char* what;
        int biff;
        QByteArray dimensions;   // the first row and column and one past the last
        QList<quint32> declared; // empty: none
    } cases[] = {
        {"BIFF8 B2:E70000", 8, U32(1) + U32(70000) + U16(1) + U16(5), {1, 1, 69999, 4}},
        {"BIFF5 B2:E5", 5, U16(1) + U16(5) + U16(1) + U16(5), {1, 1, 4, 4}},
        {"no cells", 8, U32(0) + U32(0) + U16(0) + U16(0), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray globals = c.biff == 5 ? Record(0x0042, U16(1252)) : QByteArray();
        const QByteArray name = c.biff == 5 ? Bytes("S", true) : Unicode(U("S"), true);
        CWorkbookReader::Error error = CWorkbookReader::NoError;
        auto reader = CXlsReader::FromBytes(
            Compound({{U("Workbook"),
                       Stream(c.biff, globals, {{name, Record(0x0200, c.dimensions + U16(0)) + cells}})}}),
            {}, error);
        ASSERT_TRUE(reader);
        CSheetProgress last;
        reader->SetReadCheck([&](const CSheetProgress& read) { return last = read, true; });
        CSheetData sheet;
        EXPECT_TRUE(reader->ReadSheet(0, sheet, &error));
        EXPECT_EQ(last.declares ? corners(last.declared) : QList<quint32>(), c.declared);
        EXPECT_EQ(last.rowsHoldingValues, 2);
        EXPECT_EQ(corners(last.met), QList<quint32>({1, 1, 4, 3}));
        for (const int index : {-1, 1}) {
            EXPECT_FALSE(reader->ReadSheet(index, sheet, &error));
            EXPECT_EQ(error, CWorkbookReader::NotWorkbook);
        }
    }
}

// A shared-string table holds no more texts than a sheet may hold cells:
// at the cap the book opens, one past it is too large before any sheet.
TEST(XlsBook, SharedStringsWithinTheCellCap)
{
    CWorkbookLimits limits;
    limits.maxCells = 100;
    for (const quint32 count : {100u, 101u}) {
        SCOPED_TRACE(count);
        QByteArray texts;
        for (quint32 i = 0; i < count; ++i)
            texts += Unicode(U("s"));
        const QByteArray table = Record(0x00FC, U32(count) + U32(count) + texts);
        CWorkbookReader::Error error = CWorkbookReader::NoError;
        const std::unique_ptr<CXlsReader> reader =
            CXlsReader::FromBytes(Compound({{U("Workbook"), Biff8Book(table)}}), limits, error);
        EXPECT_EQ(reader != nullptr, count == 100);
        EXPECT_EQ(error, count == 100 ? CWorkbookReader::NoError : CWorkbookReader::TooLarge);
    }
}

// A FONT record of Excel 5.0/95 in a character set.
QByteArray Font(quint8 charSet)
{
    return Record(0x0031, U16(200) + U16(0) + U16(0x7FFF) + U16(400) + U16(0) + QByteArray(1, '\0') +
                              QByteArray(1, '\x02') + QByteArray(1, char(charSet)) + QByteArray(1, '\0') +
                              Bytes("Font", true));
}

// Excel 5.0/95 texts: the code page declared, else that of the fonts; Excel
// for the Mac declaring Mac Roman over Japanese and counting characters.
TEST(XlsBooks, Excel95TextsComeInTheirScriptAndWhole)
{
    const QByteArray kanji("\x8A\xBF\x8E\x9A", 4); // 漢字 in Shift_JIS
    const QByteArray moskva("\xCC\xEE\xF1\xEA\xE2\xE0", 6);
    // A label and a text of formatting runs (two runs of two bytes), their
    // counts given.
    auto label = [](quint16 column, const QByteArray& bytes, quint16 count) {
        return Record(0x0204, Cell(0, column, 0) + U16(count) + bytes);
    };
    auto rich = [](quint16 column, const QByteArray& bytes, quint16 count) {
        return Record(0x00D6,
                      Cell(0, column, 0) + U16(count) + bytes + QByteArray("\x02\x00\x08\x02\x00", 5));
    };
    const struct {
        const char* what;
        QByteArray globals;
        QByteArray sheetName; // with its one-byte count
        QByteArray cells;
        QString name;
        QStringList texts; // A1, B1, ...
    } cases[] = {
        {"no CODEPAGE, Cyrillic fonts",
         Font(204) + Font(204),
         Bytes("\xCB\xE8\xF1\xF2", true),
         label(0, moskva, 6),
         U("Лист"),
         {U("Москва")}},
        {"no CODEPAGE, Western fonts",
         Font(0),
         Bytes("S", true),
         label(0, "Caf\xE9", 4),
         U("S"),
         {U("Café")}},
        {"Mac Roman declared, a Japanese font among Western ones",
         Record(0x0042, U16(10000)) + Font(0) + Font(128),
         QByteArray("\x03\x93\xBE\x88\xD3\x90\xE6", 7),
         label(0, kanji, 2) + rich(1, kanji + "withColor", 11),
         U("得意先"),
         {U("漢字"), U("漢字withColor")}},
        {"Mac Roman declared, Western fonts",
         Record(0x0042, U16(10000)) + Font(0),
         Bytes("S", true),
         label(0, "Caf\x8E", 4),
         U("S"),
         {U("Café")}},
        {"Mac Roman declared, a Cyrillic font",
         Record(0x0042, U16(0x8000)) + Font(204),
         Bytes("S", true),
         label(0, "Caf\x8E", 4),
         U("S"),
         {U("Café")}},
        {"the Japanese code page declared, counts in bytes",
         Record(0x0042, U16(932)),
         Bytes("S", true),
         label(0, kanji, 4) + rich(1, kanji + "withColor", 13),
         U("S"),
         {U("漢字"), U("漢字withColor")}},
        {"a declared code page outranks the fonts",
         Record(0x0042, U16(1251)) + Font(128),
         Bytes("S", true),
         label(0, moskva, 6),
         U("S"),
         {U("Москва")}},
        {"no CODEPAGE, the first non-Western font decides",
         Font(0) + Font(134) + Font(129),
         Bytes("S", true),
         label(0, QByteArray("\xBA\xBA\xD7\xD6", 4), 2),
         U("S"),
         {U("汉字")}},
        {"no CODEPAGE, a Korean font",
         Font(129),
         Bytes("S", true),
         label(0, "\xC7\xD1\xB1\xB9", 2),
         U("S"),
         {U("한국")}},
        {"no CODEPAGE, a Taiwanese font",
         Font(136),
         Bytes("S", true),
         label(0, "\xBA\x7E\xA6\x72", 4),
         U("S"),
         {U("漢字")}},
        // The Mac's Japanese and Simplified Chinese pages read as their
        // Windows twins, Excel for the Mac counting characters.
        {"Mac Japanese declared",
         Record(0x0042, U16(10001)),
         QByteArray("\x03\x93\xBE\x88\xD3\x90\xE6", 7),
         label(0, kanji, 2) + rich(1, kanji + "withColor", 11),
         U("得意先"),
         {U("漢字"), U("漢字withColor")}},
        {"Mac Simplified Chinese declared",
         Record(0x0042, U16(10008)),
         Bytes("S", true),
         label(0, QByteArray("\xBA\xBA\xD7\xD6", 4), 2),
         U("S"),
         {U("汉字")}},
        // A Mac Roman book using a Japanese font: its texts count bytes, and
        // as Shift_JIS "é…" would be 「刺」, "…" alone 「ﾉ」.
        {"Mac Roman declared, a Japanese font, Western texts",
         Record(0x0042, U16(10000)) + Font(0) + Font(128),
         Bytes("Caf\x8E", true),
         label(0, "\x8E\xC9", 2) + label(1, "\xC9", 1) + rich(2, "Caf\x8E", 4),
         U("Café"),
         {U("é…"), U("…"), U("Café")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CWorkbookReader::Error error = CWorkbookReader::NotWorkbook;
        std::unique_ptr<CXlsReader> reader = CXlsReader::FromBytes(
            Compound({{U("Book"), Stream(5, c.globals, {{c.sheetName, c.cells}})}}), {}, error);
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->Sheets().first().name, c.name);
        CSheetData sheet;
        ASSERT_TRUE(reader->ReadSheet(0, sheet, &error));
        QStringList texts;
        for (const CSheetCell& cell : sheet.cells)
            texts << cell.text;
        EXPECT_EQ(texts, c.texts);
    }
}

// A shared-string table that claims more strings than it holds keeps those
// it holds; a cell of a missing one is named, an index past the claim is
// damage. Sheet offsets past their BOF find their own records.
TEST(XlsBooks, ShortStringTablesAndOffsetsPastTheBof)
{
    const QByteArray table = Record(0x00FC, U32(3) + U32(3) + Unicode(U("a")) + Unicode(U("b")));
    auto shared = [](quint32 index) { return Record(0x00FD, Cell(3, 2, 0) + U32(index)); };
    const QList<Sheet> two = {{Unicode(U("S1"), true), Record(0x0203, Cell(0, 0, 0) + F64(1))},
                              {Unicode(U("S2"), true), Record(0x0203, Cell(0, 0, 0) + F64(2))}};
    constexpr quint32 kBofBytes = 20;
    const struct {
        const char* what;
        QByteArray stream;
        CWorkbookReader::Error error; // of the last sheet
        QString failed;
        QList<double> numbers; // A1 of each sheet
    } cases[] = {
        {"a string the table holds",
         Stream(8, table, {{Unicode(U("S"), true), shared(1)}}),
         CWorkbookReader::NoError,
         {},
         {}},
        {"a string the table lost",
         Stream(8, table, {{Unicode(U("S"), true), shared(2)}}),
         CWorkbookReader::CellText,
         U("C4"),
         {}},
        {"an index past the table's claim",
         Stream(8, table, {{Unicode(U("S"), true), shared(3)}}),
         CWorkbookReader::NotWorkbook,
         {},
         {}},
        {"each offset just past its BOF",
         Stream(8, {}, two, [](int, quint32 at) { return at + kBofBytes; }),
         CWorkbookReader::NoError,
         {},
         {1, 2}},
        {"the last offset inside its records",
         Stream(8, {}, two, [](int i, quint32 at) { return i == 1 ? at + kBofBytes + 4 : at; }),
         CWorkbookReader::NoError,
         {},
         {1, 2}},
        {"an offset on the EOF before its BOF",
         Stream(8, {}, two, [](int i, quint32 at) { return i == 1 ? at - 2 : at; }),
         CWorkbookReader::NoError,
         {},
         {1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CWorkbookReader::Error error = CWorkbookReader::NotWorkbook;
        std::unique_ptr<CXlsReader> reader =
            CXlsReader::FromBytes(Compound({{U("Workbook"), c.stream}}), {}, error);
        ASSERT_TRUE(reader);
        CSheetData sheet;
        for (int s = 0; s < reader->Sheets().size(); ++s) {
            const bool read = s + 1 < reader->Sheets().size() || c.error == CWorkbookReader::NoError;
            EXPECT_EQ(reader->ReadSheet(s, sheet, &error), read);
            if (!read)
                break;
            ASSERT_EQ(sheet.cells.size(), 1u);
            if (c.numbers.isEmpty()) {
                EXPECT_EQ(sheet.cells.front().text, U("b"));
            } else {
                EXPECT_EQ(sheet.cells.front().number, c.numbers.at(s));
            }
        }
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(reader->FailedCell(), c.failed);
    }
}

// A text of the shared-string table that crosses into CONTINUE records
// goes on in the first one holding any of its characters, after that one's
// option byte: writers leave empty records, and records of the option byte
// alone, on the way.
TEST(XlsBooks, SharedStringsGoOnPastEmptyContinueRecords)
{
    const QByteArray head = Record(0x00FC, U32(3) + U32(3) + U16(5) + QByteArray(1, '\0') + "ab");
    auto piece = [](const QByteArray& data) { return Record(0x003C, data); };
    const QByteArray option(1, '\0');
    const QByteArray wideCde = QByteArray(1, '\x01') + U16(u'c') + U16(u'd') + U16(u'e');
    const QByteArray rest = Unicode(U("xyz")) + Unicode(U("漢字"));
    // A text crosses at most 4 096 records, empty ones included: past
    // them, the texts from it on are lost, and so is the sheet that shows
    // them.
    const struct {
        const char* what;
        QByteArray table;
        bool lost = false;
    } cases[] = {
        {"a record of the option byte alone", head + piece(option) + piece(wideCde + rest)},
        {"an empty record", head + piece({}) + piece(wideCde + rest)},
        {"empty records inside a text and between texts",
         head + piece({}) + piece(option) + piece({}) + piece(wideCde) + piece({}) + piece(rest)},
        {"4 095 empty records inside a text", head + piece({}).repeated(4095) + piece(wideCde + rest)},
        {"4 096", head + piece({}).repeated(4096) + piece(wideCde + rest), true},
    };
    QByteArray cells;
    for (quint16 i = 0; i < 3; ++i)
        cells += Record(0x00FD, Cell(0, i, 0) + U32(i));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CWorkbookReader::Error error = CWorkbookReader::NotWorkbook;
        std::unique_ptr<CXlsReader> reader =
            CXlsReader::FromBytes(Compound({{U("Workbook"), Biff8Book(c.table, cells)}}), {}, error);
        ASSERT_TRUE(reader);
        CSheetData sheet;
        ASSERT_EQ(reader->ReadSheet(0, sheet, &error), !c.lost) << error;
        if (c.lost) {
            EXPECT_EQ(error, CWorkbookReader::CellText);
            continue;
        }
        QStringList texts;
        for (const CSheetCell& cell : sheet.cells)
            texts << cell.text;
        EXPECT_EQ(texts, QStringList({U("abcde"), U("xyz"), U("漢字")}));
    }
}

// Excel 2.x-4.0 files are records of their own, never compound files: they
// are told as the older format, not as foreign files.
TEST(XlsBooks, OlderBooksOutsideACompoundFileAreToldApart)
{
    const struct {
        const char* what;
        QByteArray file;
        CWorkbookReader::Error error;
    } cases[] = {
        {"Excel 2.1 worksheet", Record(0x0009, U16(2) + U16(0x0010)) + Eof(), CWorkbookReader::Unsupported},
        {"Excel 3.0 chart", Record(0x0209, U16(0) + U16(0x0020) + U16(0)) + Eof(),
         CWorkbookReader::Unsupported},
        {"Excel 4.0 workbook", Record(0x0409, U16(0) + U16(0x0100) + U16(0)) + Eof(),
         CWorkbookReader::Unsupported},
        {"an Excel 4.0 BOF of an unknown kind", Record(0x0409, U16(0) + U16(0x0123) + U16(0)),
         CWorkbookReader::NotWorkbook},
        {"text that starts like one",
         QByteArray("\x09\x00\x04\x00"
                    "abcd",
                    8),
         CWorkbookReader::NotWorkbook},
        {"too short", QByteArray("\x09\x00\x04\x00", 4), CWorkbookReader::NotWorkbook},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QStringLiteral("old.xls"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.file);
        file.close();
        CWorkbookReader::Error error = CWorkbookReader::NoError;
        EXPECT_FALSE(CWorkbookReader::Open(path, &error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(XlsHostileBooks, SharedRecordRunsAndLongDirectoryNamesReadOnceAndSafely)
{
    // Two thousand sheets whose BOUNDSHEETs all point at one run of ten
    // thousand records: the walk takes each record once, every sheet reads
    // the run.
    QByteArray run;
    for (quint16 row = 0; row < 10000; ++row)
        run += Record(0x0203, Cell(row, 0, 0) + F64(row));
    QList<Sheet> sheets;
    for (int i = 0; i < 2000; ++i)
        sheets << Sheet{Unicode(QStringLiteral("S%1").arg(i), true), i == 0 ? run : QByteArray()};
    quint32 first = 0;
    const QByteArray shared = Stream(8, {}, sheets, [&first](int i, quint32 at) {
        if (i == 0)
            first = at;
        return first;
    });
    CWorkbookReader::Error error = CWorkbookReader::NoError;
    std::unique_ptr<CXlsReader> reader =
        CXlsReader::FromBytes(Compound({{U("Workbook"), shared}}), {}, error);
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->Sheets().size(), 2000);
    for (int s : {0, 1, 1999}) {
        CSheetData sheet;
        ASSERT_TRUE(reader->ReadSheet(s, sheet, &error)) << s;
        EXPECT_EQ(sheet.cells.size(), 10000u) << s;
    }

    // A root entry that declares an 8192-byte name: the name is cut to the
    // entry, the book reads.
    reader = CXlsReader::FromBytes(Compound({{U("Workbook"), Biff8Book()}}, 8192), {}, error);
    ASSERT_TRUE(reader);
    CSheetData sheet;
    EXPECT_TRUE(reader->ReadSheet(0, sheet, &error));
    EXPECT_EQ(sheet.cells.size(), 3u);
}

// A book's counts are capped while its globals are walked: cell formats and
// sheets one past the cap are too large, at the cap the book reads; a format
// code longer than Excel keeps is damage. A book
// is encrypted once: a FILEPASS after the first is damage, even one that
// would verify after the stream's second decryption.
TEST(XlsHostileBooks, CountsOfFormatsAndSheetsAreCappedAndOneFilePassDecrypts)
{
    auto xfs = [](int count) {
        QByteArray globals = Record(0x041E, U16(200) + Unicode(U("yyyy/m/d")));
        for (int i = 0; i < count; ++i)
            globals += Record(0x00E0, U16(0) + U16(i == 1 ? 200 : 0) + QByteArray(16, '\0'));
        return Compound(
            {{U("Workbook"), Biff8Book(globals, Biff8Cells() + Record(0x0203, Cell(2, 0, 1) + F64(45351)))}});
    };
    auto sheets = [](int count) {
        QList<Sheet> list;
        for (int i = 0; i < count; ++i)
            list << Sheet{Unicode(QStringLiteral("S%1").arg(i), true), i == 0 ? Biff8Cells() : QByteArray()};
        return Compound({{U("Workbook"), Stream(8, {}, list)}});
    };
    // Each FILEPASS after the first as it reads once the stream has been
    // decrypted for every one before it.
    auto filePasses = [](int count) {
        const QByteArray filePass = Record(0x002F, FilePassRc4(XlsCrypt::kDefaultPassword));
        const QByteArray plain = Stream(8, filePass.repeated(count) + Record(0x0042, U16(1200)),
                                        {{Unicode(U("Sheet1"), true), Biff8Cells()}});
        const QByteArray encrypted =
            Encrypted(plain, FilePassRc4(XlsCrypt::kDefaultPassword), XlsCrypt::kDefaultPassword);
        const qsizetype first = Bof(8, 0x0005).size();
        QByteArray stream = count % 2 ? encrypted : plain;
        for (int i = 0; i < count; ++i)
            stream.replace(first + i * filePass.size(), filePass.size(),
                           (i % 2 ? encrypted : plain).mid(first + i * filePass.size(), filePass.size()));
        return Compound({{U("Workbook"), stream}});
    };

    // The second cell format's code at Excel's length, and one past it.
    auto code = [](int length) {
        const QByteArray globals = Record(0x041E, U16(200) + Unicode(U("yyyy") + QString(length - 4, u'0'))) +
                                   Record(0x00E0, U16(0) + U16(0) + QByteArray(16, '\0')) +
                                   Record(0x00E0, U16(0) + U16(200) + QByteArray(16, '\0'));
        return Compound(
            {{U("Workbook"), Biff8Book(globals, Biff8Cells() + Record(0x0203, Cell(2, 0, 1) + F64(45351)))}});
    };

    const struct {
        const char* what;
        QByteArray file;
        CWorkbookReader::Error error;
        int sheets;
        bool dated; // the number at A3, of the second cell format
    } cases[] = {
        {"a format code of 255 characters", code(255), CWorkbookReader::NoError, 1, true},
        {"a format code of 256 characters", code(256), CWorkbookReader::NotWorkbook, 0, false},
        {"65536 cell formats", xfs(65536), CWorkbookReader::NoError, 1, true},
        {"65537 cell formats", xfs(65537), CWorkbookReader::TooLarge, 0, false},
        {"4096 sheets", sheets(4096), CWorkbookReader::NoError, 4096, false},
        {"4097 sheets", sheets(4097), CWorkbookReader::TooLarge, 0, false},
        {"one FILEPASS", filePasses(1), CWorkbookReader::NoError, 1, false},
        {"three FILEPASS", filePasses(3), CWorkbookReader::NotWorkbook, 0, false},
        {"two FILEPASS", filePasses(2), CWorkbookReader::NotWorkbook, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CXlsReader> reader = CXlsReader::FromBytes(c.file, {}, error);
        EXPECT_EQ(error, c.error);
        if (c.error != CWorkbookReader::NoError) {
            EXPECT_FALSE(reader);
            continue;
        }
        ASSERT_TRUE(reader);
        ASSERT_EQ(reader->Sheets().size(), c.sheets);
        CSheetData sheet;
        ASSERT_TRUE(reader->ReadSheet(0, sheet, &error));
        EXPECT_EQ(CellAt(sheet, 0, 1)->text, U("商品"));
        const CSheetCell* dated = CellAt(sheet, 2, 0);
        ASSERT_EQ(dated != nullptr, c.dated);
        if (dated) {
            EXPECT_TRUE(sheet.FormatOf(*dated).isDate);
        }
    }
}

} // namespace
