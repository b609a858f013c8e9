#include "TestPaths.h"
#include "platform/office/Workbook.h"
#include "platform/office/XlsReader.h"
#include "support/XlsxZip.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

const CSheetCell* CellAt(const CSheetData& sheet, quint32 row, quint32 column)
{
    for (const CSheetCell& cell : sheet.cells) {
        if (cell.row == row && cell.column == column)
            return &cell;
    }
    return nullptr;
}

class WorkbookReaderTest : public ::testing::Test
{
  protected:
    QString Save(const XlsxZip::Book& book, const char* name = "book.xlsx")
    {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(XlsxZip::Write(path, book.ToParts()));
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(WorkbookReaderTest, CellsKeepTheirTypesTextsAndDateFormats)
{
    XlsxZip::Book book;
    book.sharedStrings = {
        U("<t>plain</t>"),
        // Rich runs join; the phonetic reading is left out.
        U("<r><rPr><b/></rPr><t>東京</t></r><r><t xml:space=\"preserve\"> 都</t></r>"
          "<rPh sb=\"0\" eb=\"2\"><t>トウキョウト</t></rPh><phoneticPr fontId=\"1\"/>"),
        U("<t>a_x000D_\nb</t>"),
        U("<t>under_x005F_x0041_</t>"),
    };
    book.numFmts = U(
        "<numFmt numFmtId=\"164\" formatCode=\"yyyy/m/d\"/>"
        "<numFmt numFmtId=\"165\" formatCode=\"[Red]0.00\"/>"
        "<numFmt numFmtId=\"166\" formatCode=\"0&quot;d&quot;\"/>"
        "<numFmt numFmtId=\"167\" formatCode=\"[$-411]ggge&quot;年&quot;m&quot;月&quot;d&quot;日&quot;\"/>");
    book.cellXfs = {0, 14, 164, 165, 20, 166, 167};
    book.sheets << qMakePair(U("データ"),
                             XlsxZip::Sheet(U("<row r=\"1\">"
                                              "<c r=\"A1\" t=\"s\"><v>0</v></c>"
                                              "<c r=\"B1\" t=\"s\"><v>1</v></c>"
                                              "<c r=\"C1\" t=\"s\"><v>2</v></c>"
                                              "<c r=\"D1\" t=\"inlineStr\"><is><t>インライン</t></is></c>"
                                              "<c r=\"E1\" t=\"str\"><f>A1&amp;\"x\"</f><v>plainx</v></c>"
                                              "<c r=\"F1\" t=\"b\"><v>1</v></c>"
                                              "<c r=\"G1\" t=\"b\"><v>0</v></c>"
                                              "<c r=\"H1\" t=\"e\"><v>#DIV/0!</v></c>"
                                              "<c r=\"I1\"><v>1234.5</v></c>"
                                              "<c r=\"J1\" s=\"1\"><v>45351</v></c>"
                                              "<c r=\"K1\" s=\"2\"><v>45351</v></c>"
                                              "<c r=\"L1\" s=\"3\"><v>45351</v></c>"
                                              "<c r=\"M1\" s=\"4\"><v>0.5</v></c>"
                                              "<c r=\"N1\" s=\"5\"><v>7</v></c>"
                                              "<c r=\"O1\" s=\"6\"><v>45351</v></c>"
                                              "<c r=\"P1\" t=\"s\"><v>3</v></c>"
                                              "<c r=\"Q1\" s=\"1\"/>"
                                              "</row>")));
    std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(Save(book));
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->GetFormat(), CWorkbookReader::Xlsx);
    CSheetData sheet;
    ASSERT_TRUE(reader->ReadSheet(0, sheet));
    ASSERT_EQ(sheet.cells.size(), 16u) << "a styled empty cell is not kept";

    struct Expected {
        int column;
        CSheetCell::Kind kind;
        QString text;
        double number;
        bool date;
    };
    const Expected expected[] = {
        {0, CSheetCell::Text, U("plain"), 0, false},
        {1, CSheetCell::Text, U("東京 都"), 0, false},
        {2, CSheetCell::Text, U("a\r\nb"), 0, false},
        {3, CSheetCell::Text, U("インライン"), 0, false},
        {4, CSheetCell::Text, U("plainx"), 0, false},
        {5, CSheetCell::Boolean, {}, 1, false},
        {6, CSheetCell::Boolean, {}, 0, false},
        {7, CSheetCell::Error, {}, 0, false},
        {8, CSheetCell::Number, {}, 1234.5, false},
        {9, CSheetCell::Number, {}, 45351, true},   // built-in 14
        {10, CSheetCell::Number, {}, 45351, true},  // yyyy/m/d
        {11, CSheetCell::Number, {}, 45351, false}, // [Red] is no day
        {12, CSheetCell::Number, {}, 0.5, true},    // h:mm
        {13, CSheetCell::Number, {}, 7, false},     // a quoted "d"
        {14, CSheetCell::Number, {}, 45351, true},  // Japanese era
        {15, CSheetCell::Text, U("under_x0041_"), 0, false},
    };
    for (const Expected& e : expected) {
        const CSheetCell* cell = CellAt(sheet, 0, quint32(e.column));
        ASSERT_TRUE(cell) << e.column;
        EXPECT_EQ(cell->kind, e.kind) << e.column;
        EXPECT_EQ(cell->text, e.text) << e.column;
        EXPECT_DOUBLE_EQ(cell->number, e.number) << e.column;
        EXPECT_EQ(sheet.FormatOf(*cell).isDate, e.date) << e.column;
    }
    quint32 r0, c0, r1, c1;
    ASSERT_TRUE(sheet.UsedRange(r0, c0, r1, c1));
    EXPECT_EQ(c1, 16u) << "a styled empty cell belongs to the used range";
}

TEST_F(WorkbookReaderTest, SheetsWithCodeNamesChartsAndThe1904System)
{
    XlsxZip::Book book;
    book.date1904 = true;
    book.cellXfs = {0, 14};
    book.sheets << qMakePair(U("変換"), XlsxZip::Sheet(U("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"),
                                                       U("ConvertSheet")))
                << qMakePair(U("グラフ"),
                             XlsxZip::Xml(U("<chartsheet xmlns=\"http://schemas.openxmlformats.org/"
                                            "spreadsheetml/2006/main\"><sheetPr codeName=\"Chart1\"/>"
                                            "</chartsheet>")))
                << qMakePair(U("Sheet3"),
                             XlsxZip::Sheet(U("<row r=\"2\"><c r=\"B2\" s=\"1\"><v>43889</v></c></row>")));
    std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(Save(book));
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->Sheets().size(), 3);
    EXPECT_EQ(reader->Sheets().at(0).codeName, U("ConvertSheet"));
    EXPECT_TRUE(reader->Sheets().at(0).isWorksheet);
    EXPECT_FALSE(reader->Sheets().at(1).isWorksheet);
    EXPECT_EQ(reader->Sheets().at(2).name, U("Sheet3"));
    EXPECT_TRUE(reader->Sheets().at(2).codeName.isEmpty());
    EXPECT_TRUE(reader->Date1904());

    CSheetData sheet;
    ASSERT_TRUE(reader->ReadSheet(1, sheet));
    EXPECT_TRUE(sheet.cells.empty());
    ASSERT_TRUE(reader->ReadSheet(2, sheet));
    ASSERT_EQ(sheet.cells.size(), 1u);
    EXPECT_TRUE(sheet.date1904);
    EXPECT_EQ(ExcelSerialToDate(sheet.cells.front().number, sheet.date1904), QDate(2024, 2, 29));
}

TEST_F(WorkbookReaderTest, TimesAloneAndSharedStringsWithoutIndexAreWellFormed)
{
    XlsxZip::Book book;
    book.sharedStrings = {U("<t>a</t>")};
    book.sheets << qMakePair(U("S"), XlsxZip::Sheet(U("<row r=\"1\"><c r=\"A1\" t=\"d\"><v>10:10:10</v></c>"
                                                      "<c r=\"B1\" t=\"s\"><v/></c>"
                                                      "<c r=\"C1\" t=\"d\"><v>1900-03-01T12:00:00</v></c>"
                                                      "<c r=\"D1\" t=\"s\"><v>0</v></c></row>")));
    std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(Save(book));
    ASSERT_TRUE(reader);
    CSheetData sheet;
    ASSERT_TRUE(reader->ReadSheet(0, sheet));
    ASSERT_EQ(sheet.cells.size(), 3u) << "a shared string without index is an empty cell, not kept";
    EXPECT_FALSE(CellAt(sheet, 0, 1));
    const struct {
        CSheetCell::Kind kind;
        double number;
        QString text;
        bool date;
    } expected[] = {{CSheetCell::Number, (10 * 3600 + 10 * 60 + 10) / 86400.0, {}, true},
                    {CSheetCell::Blank, 0, {}, false},
                    {CSheetCell::Number, 61.5, {}, true},
                    {CSheetCell::Text, 0, U("a"), false}};
    for (quint32 c = 0; c < 4; ++c) {
        if (c == 1)
            continue;
        const CSheetCell* cell = CellAt(sheet, 0, c);
        ASSERT_TRUE(cell) << c;
        EXPECT_EQ(cell->kind, expected[c].kind) << c;
        EXPECT_DOUBLE_EQ(cell->number, expected[c].number) << c;
        EXPECT_EQ(cell->text, expected[c].text) << c;
        EXPECT_EQ(sheet.FormatOf(*cell).isDate, expected[c].date) << c;
    }
    EXPECT_EQ(ExcelSerialToDate(CellAt(sheet, 0, 0)->number, false), QDate(1899, 12, 30));
}

TEST(ExcelDates, SerialsAndFormatCodes)
{
    const struct {
        double serial;
        bool date1904;
        QDate date;
    } serials[] = {
        {45351, false, QDate(2024, 2, 29)}, {45351.75, false, QDate(2024, 2, 29)},
        {0.5, false, QDate(1899, 12, 30)},  {1, false, QDate(1900, 1, 1)},
        {59, false, QDate(1900, 2, 28)},    {61, false, QDate(1900, 3, 1)},
        {0.5, true, QDate(1904, 1, 1)},     {43889, true, QDate(2024, 2, 29)},
    };
    for (const auto& s : serials) {
        EXPECT_EQ(ExcelSerialToDate(s.serial, s.date1904), s.date) << s.serial;
        if (!s.date1904 && s.date.year() > 1899) {
            EXPECT_EQ(ExcelDateToSerial(s.date), std::floor(s.serial)) << s.serial;
        }
    }

    const struct {
        int id;
        const char* code;
        bool hasCode;
        bool date;
    } formats[] = {
        {14, "", false, true},         {22, "", false, true},          {27, "", false, true},
        {45, "", false, true},         {58, "", false, true},          {0, "", false, false},
        {49, "", false, false},        {23, "", false, false},         {44, "", false, false},
        {164, "yyyy/m/d", true, true}, {164, "[h]:mm:ss", true, true}, {164, "[Red]#,##0", true, false},
        {164, "0\"日\"", true, false}, {164, "G/標準", true, false},   {164, "General", true, false},
        {164, "0.0\\d", true, false},  {164, "#,##0_d", true, false},  {164, "**0", true, false},
        {14, "0.00", true, false}, // a file may redefine a built-in id
    };
    for (const auto& f : formats)
        EXPECT_EQ(IsDateNumberFormat(f.id, U(f.code), f.hasCode), f.date) << f.id << " " << f.code;
}

TEST_F(WorkbookReaderTest, SparseSheetsAllocateOnlyTheirCells)
{
    // Formatted down to the last row, with three cells; and a row reaching
    // column 300.
    XlsxZip::Book book;
    book.cellXfs = {0, 49};
    book.sharedStrings = {U("<t>x</t>")};
    book.sheets << qMakePair(U("長い"),
                             XlsxZip::Sheet(U("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"
                                              "<row r=\"2\"><c r=\"B2\"><v>2</v></c></row>"
                                              "<row r=\"1048576\"><c r=\"C1048576\" s=\"1\"/></row>"),
                                            {}, U("A1:C1048576")))
                << qMakePair(U("広い"), XlsxZip::Sheet(U("<row r=\"1\"><c r=\"A1\"><v>1</v></c>"
                                                         "<c r=\"KN1\"><v>300</v></c></row>")));
    std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(Save(book));
    ASSERT_TRUE(reader);
    CSheetData sheet;
    ASSERT_TRUE(reader->ReadSheet(0, sheet));
    EXPECT_EQ(sheet.cells.size(), 2u) << "the styled empty cell is not kept";
    quint32 r0, c0, r1, c1;
    ASSERT_TRUE(sheet.UsedRange(r0, c0, r1, c1));
    EXPECT_EQ(r1, 1048575u);
    EXPECT_EQ(c1, 2u);
    ASSERT_TRUE(reader->ReadSheet(1, sheet));
    ASSERT_TRUE(sheet.UsedRange(r0, c0, r1, c1));
    EXPECT_EQ(c1, 299u);
}

// A document type whose subset hides a root of 100 attributes from a watch
// that took it for one tag.
QByteArray HiddenRoot()
{
    QByteArray root = "<!DOCTYPE r [<!-- > <?x -->]><workbook";
    for (int i = 0; i < 100; ++i)
        root += " a" + QByteArray::number(i) + "=\"\"";
    return root;
}

TEST_F(WorkbookReaderTest, DamagedForeignAndOversizedFilesAreRefused)
{
    XlsxZip::Book good;
    good.sharedStrings = {U("<t>a</t>")};
    good.sheets << qMakePair(U("S"), XlsxZip::Sheet(U("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>"
                                                      "<c r=\"B1\" t=\"inlineStr\"><is><t>") +
                                                    QString(3000, u'x') + U("</t></is></c></row>")));
    const QString goodPath = Save(good, "good.xlsx");

    QFile goodFile(goodPath);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray zipBytes = goodFile.readAll();
    auto file = [this](const char* name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    };
    auto book = [&](const char* name, void (*change)(XlsxZip::Parts&)) {
        XlsxZip::Parts parts = good.ToParts();
        change(parts);
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(XlsxZip::Write(path, parts));
        return path;
    };

    const struct {
        QString path;
        CWorkbookLimits limits;
        CWorkbookReader::Error open; // NoError: opens, and the sheet read fails with `read`
        CWorkbookReader::Error read;
    } cases[] = {
        {m_dir.filePath(U("missing.xlsx")), {}, CWorkbookReader::CannotOpen, {}},
        {file("cut.xlsx", zipBytes.left(zipBytes.size() / 2)), {}, CWorkbookReader::NotWorkbook, {}},
        {file("text.xlsx", "商品コード,商品名\r\n"), {}, CWorkbookReader::NotWorkbook, {}},
        {file("cfb.xls", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, '\x7F')),
         {},
         CWorkbookReader::NotWorkbook,
         {}},
        {book("noworkbook.xlsx", [](XlsxZip::Parts& p) { p.remove(QStringLiteral("xl/workbook.xml")); }),
         {},
         CWorkbookReader::NotWorkbook,
         {}},
        {book(
             "doctype.xlsx",
             [](XlsxZip::Parts& p) {
                 p[QStringLiteral("xl/workbook.xml")].replace(
                     "<workbook",
                     "<!DOCTYPE workbook [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]><workbook");
             }),
         {},
         CWorkbookReader::NotWorkbook,
         {}},
        // A subset whose comment holds a ">", then a root of 100
        // attributes: refused at the keyword, in UTF-8 and in UTF-16.
        {book("hidden.xlsx",
              [](XlsxZip::Parts& p) {
                  p[QStringLiteral("xl/workbook.xml")].replace("<workbook", HiddenRoot());
              }),
         {},
         CWorkbookReader::NotWorkbook,
         {}},
        {book(
             "hidden16.xlsx",
             [](XlsxZip::Parts& p) {
                 QByteArray& part = p[QStringLiteral("xl/workbook.xml")];
                 part.replace("<workbook", HiddenRoot()).replace("encoding=\"UTF-8\"", "encoding=\"UTF-16\"");
                 QByteArray wide("\xFF\xFE", 2);
                 for (const char c : std::as_const(part))
                     wide += QByteArray(1, c) + QByteArray(1, '\0');
                 part = wide;
             }),
         {},
         CWorkbookReader::NotWorkbook,
         {}},
        {goodPath, {2000, 10000}, CWorkbookReader::TooLarge, {}},
        {goodPath, {qint64(1) << 20, 5}, CWorkbookReader::TooLarge, {}},
        {book("badxml.xlsx",
              [](XlsxZip::Parts& p) { p[QStringLiteral("xl/worksheets/sheet1.xml")].replace("</row>", ""); }),
         {},
         CWorkbookReader::NoError,
         CWorkbookReader::NotWorkbook},
        {book("offsheet.xlsx",
              [](XlsxZip::Parts& p) {
                  p[QStringLiteral("xl/worksheets/sheet1.xml")].replace("\"A1\"", "\"A1048577\"");
              }),
         {},
         CWorkbookReader::NoError,
         CWorkbookReader::NotWorkbook},
        {book("badindex.xlsx",
              [](XlsxZip::Parts& p) {
                  p[QStringLiteral("xl/worksheets/sheet1.xml")].replace("<v>0</v>", "<v>7</v>");
              }),
         {},
         CWorkbookReader::NoError,
         CWorkbookReader::NotWorkbook},
        {book("entity.xlsx",
              [](XlsxZip::Parts& p) {
                  p[QStringLiteral("xl/sharedStrings.xml")] =
                      XlsxZip::Xml(QStringLiteral("<!DOCTYPE sst [<!ENTITY x SYSTEM "
                                                  "\"file:///etc/passwd\">]><sst><si><t>&x;</t></si></sst>"));
              }),
         {},
         CWorkbookReader::NoError,
         CWorkbookReader::NotWorkbook},
    };
    for (const auto& c : cases) {
        CWorkbookReader::Error error = CWorkbookReader::NoError;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(c.path, &error, c.limits);
        EXPECT_EQ(error, c.open) << qPrintable(c.path);
        if (c.open != CWorkbookReader::NoError) {
            EXPECT_FALSE(reader) << qPrintable(c.path);
            continue;
        }
        ASSERT_TRUE(reader) << qPrintable(c.path);
        CSheetData sheet;
        EXPECT_FALSE(reader->ReadSheet(0, sheet, &error)) << qPrintable(c.path);
        EXPECT_EQ(error, c.read) << qPrintable(c.path);
        EXPECT_TRUE(sheet.cells.empty());
    }
}

TEST(XlsFixtures, TwoSheetsOfTextsNumbersAndDates)
{
    std::unique_ptr<CWorkbookReader> reader =
        CWorkbookReader::Open(QStringLiteral(CORVANTA_FIXTURES "/office/two-sheets.xls"));
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->GetFormat(), CWorkbookReader::Xls);
    ASSERT_EQ(reader->Sheets().size(), 2);
    EXPECT_EQ(reader->Sheets().at(0).name, U("商品"));
    EXPECT_EQ(reader->Sheets().at(1).name, U("Sheet2"));
    EXPECT_FALSE(reader->Date1904());

    CSheetData sheet;
    ASSERT_TRUE(reader->ReadSheet(0, sheet));
    const struct {
        quint32 row, column;
        CSheetCell::Kind kind;
        QString text;
        double number;
        bool date;
    } first[] = {
        {0, 0, CSheetCell::Text, U("コード"), 0, false},   {1, 0, CSheetCell::Text, U("0100"), 0, false},
        {1, 1, CSheetCell::Text, U("消しゴム"), 0, false}, {1, 2, CSheetCell::Number, {}, 42, false},
        {1, 3, CSheetCell::Number, {}, 45351, true},       {2, 1, CSheetCell::Text, U("定規 30cm"), 0, false},
        {2, 2, CSheetCell::Number, {}, -3.25, false},      {2, 3, CSheetCell::Number, {}, 36526, true},
    };
    EXPECT_EQ(sheet.cells.size(), 12u);
    for (const auto& e : first) {
        const CSheetCell* cell = CellAt(sheet, e.row, e.column);
        ASSERT_TRUE(cell) << e.row << "," << e.column;
        EXPECT_EQ(cell->kind, e.kind) << e.row << "," << e.column;
        EXPECT_EQ(cell->text, e.text) << e.row << "," << e.column;
        EXPECT_DOUBLE_EQ(cell->number, e.number) << e.row << "," << e.column;
        EXPECT_EQ(sheet.FormatOf(*cell).isDate, e.date) << e.row << "," << e.column;
    }

    ASSERT_TRUE(reader->ReadSheet(1, sheet));
    quint32 r0, c0, r1, c1;
    ASSERT_TRUE(sheet.UsedRange(r0, c0, r1, c1));
    EXPECT_EQ(QList<quint32>({r0, c0, r1, c1}), QList<quint32>({2, 1, 3, 2}));
    const CSheetCell* time = CellAt(sheet, 2, 1);
    ASSERT_TRUE(time);
    EXPECT_DOUBLE_EQ(time->number, 0.5);
    EXPECT_TRUE(sheet.FormatOf(*time).isDate);
}

TEST(XlsFixtures, RealBooksGiveEveryCellWithTheResultStoredWithItsFormula)
{
    const QString cyrillic = U("МОСКВА Москва");
    using K = CSheetCell;
    const struct {
        const char* file;
        QStringList sheets;
        int sheet;
        size_t cellCount; // in the sheet's used range, styled empty cells included
        struct {
            quint32 row, column;
            CSheetCell::Kind kind;
            QString text;
            double number;
        } cells[7];
    } books[] = {
        {"xls_formula.xls",
         {"Sheet1", "Sheet2"},
         0,
         4,
         {{0, 0, K::Number, {}, 10},
          {1, 0, K::Number, {}, 20},
          {2, 0, K::Number, {}, 110},
          {3, 0, K::Number, {}, 65}}},
        // B1 is a formula whose stored result is FALSE.
        {"empty-string.xls", {"Sheet1"}, 0, 2, {{0, 0, K::Text, QString(""), 0}, {0, 1, K::Boolean, {}, 0}}},
        {"formula_test_sjmachin.xls",
         {"Sheet1", "Sheet2", "Sheet3"},
         0,
         16,
         {{1, 1, K::Text, cyrillic, 0},
          {2, 1, K::Number, {}, 1.0 / 7},
          {3, 1, K::Text, U("ABCDEF"), 0},
          {4, 1, K::Text, QString(""), 0},
          {5, 1, K::Boolean, {}, 1},
          {6, 1, K::Error, U("#DIV/0!"), 0},
          {7, 1, K::Text, cyrillic, 0}}},
    };
    for (const auto& book : books) {
        SCOPED_TRACE(book.file);
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(
            QStringLiteral(CORVANTA_FIXTURES "/real/xls/") + QLatin1String(book.file), &error);
        ASSERT_TRUE(reader);
        EXPECT_EQ(error, CWorkbookReader::NoError);
        QStringList names;
        for (const CSheetInfo& info : reader->Sheets())
            names << info.name;
        EXPECT_EQ(names, book.sheets);
        CSheetData sheet;
        ASSERT_TRUE(reader->ReadSheet(book.sheet, sheet));
        EXPECT_EQ(sheet.cells.size(), book.cellCount);
        for (const auto& e : book.cells) {
            if (e.kind == K::Blank)
                break;
            const CSheetCell* cell = CellAt(sheet, e.row, e.column);
            ASSERT_TRUE(cell) << e.row << "," << e.column;
            EXPECT_EQ(cell->kind, e.kind) << e.row << "," << e.column;
            EXPECT_EQ(cell->text, e.text) << e.row << "," << e.column;
            EXPECT_DOUBLE_EQ(cell->number, e.number) << e.row << "," << e.column;
            EXPECT_FALSE(sheet.FormatOf(*cell).isDate) << e.row << "," << e.column;
        }
    }
}

TEST(XlsHostile, TruncatedCyclicAndGarbledBooksAreRefusedNeverCrashing)
{
    QFile file(QStringLiteral(CORVANTA_FIXTURES "/real/xls/formula_test_sjmachin.xls"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    const CWorkbookLimits limits;
    auto u32 = [](const QByteArray& bytes, qsizetype at) {
        return qFromLittleEndian<quint32>(bytes.constData() + at);
    };
    auto set32 = [](QByteArray& bytes, qsizetype at, quint32 value) {
        qToLittleEndian(value, bytes.data() + at);
    };
    // 512-byte sectors: sector n at (n + 1) * 512; the first sector of the
    // sector table holds the links of sectors 0-127.
    const qsizetype fat = (u32(good, 0x4C) + 1) * 512;
    const quint32 directory = u32(good, 0x30);
    ASSERT_LT(directory, 128u);
    quint32 workbook = 0;
    for (qsizetype at = (directory + 1) * 512; at < (directory + 2) * 512; at += 128) {
        if (good.mid(at, 16) == QByteArray("W\0o\0r\0k\0b\0o\0o\0k\0", 16))
            workbook = u32(good, at + 0x74);
    }
    ASSERT_GT(workbook, 0u);
    ASSERT_LT(workbook, 128u);
    const qsizetype stream = (workbook + 1) * 512;

    auto change = [&good](auto edit) {
        QByteArray bytes = good;
        edit(bytes);
        return bytes;
    };
    const qsizetype labelSst = good.indexOf(QByteArray("\xFD\x00\x0A\x00", 4), stream);
    ASSERT_GT(labelSst, 0);
    const struct {
        const char* what;
        QByteArray bytes;
        CWorkbookReader::Error open; // NoError: opens, and the first sheet fails
    } cases[] = {
        {"empty", QByteArray(), CWorkbookReader::NotWorkbook},
        {"header only", good.left(512), CWorkbookReader::NotWorkbook},
        {"cut in the stream", good.left(stream + 700), CWorkbookReader::NotWorkbook},
        {"directory links itself", change([&](QByteArray& b) { set32(b, fat + 4 * directory, directory); }),
         CWorkbookReader::NotWorkbook},
        {"stream links itself", change([&](QByteArray& b) { set32(b, fat + 4 * workbook, workbook); }),
         CWorkbookReader::NotWorkbook},
        {"table past the file", change([&](QByteArray& b) { set32(b, 0x4C, 0x7FFFFFFF); }),
         CWorkbookReader::NotWorkbook},
        {"first record runs past the stream",
         change([&](QByteArray& b) { b[stream + 2] = b[stream + 3] = '\xFF'; }),
         CWorkbookReader::NotWorkbook},
        {"older BIFF", change([&](QByteArray& b) { b[stream + 1] = 0x04; }), CWorkbookReader::Unsupported},
        {"shared text out of range", change([&](QByteArray& b) { set32(b, labelSst + 10, 0xFFFF); }),
         CWorkbookReader::NoError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CWorkbookReader::Error error = CWorkbookReader::NoError;
        std::unique_ptr<CXlsReader> reader = CXlsReader::FromBytes(c.bytes, limits, error);
        EXPECT_EQ(error, c.open);
        if (c.open != CWorkbookReader::NoError) {
            EXPECT_FALSE(reader);
            continue;
        }
        ASSERT_TRUE(reader);
        CSheetData sheet;
        EXPECT_FALSE(reader->ReadSheet(0, sheet, &error));
        EXPECT_EQ(error, CWorkbookReader::NotWorkbook);
        EXPECT_TRUE(sheet.cells.empty());
    }

    // Every byte of the file garbled in turn, and cuts at every length: each
    // ends in a refusal or in sheets read, never past the bytes there are.
    quint32 x = 2024;
    int refused = 0, read = 0;
    for (qsizetype at = 0; at < good.size(); at += 7) {
        QByteArray bytes = at % 2 ? good.left(at) : good;
        if (at % 2 == 0)
            bytes[at] = char((x = x * 1103515245 + 12345) >> 16);
        CWorkbookReader::Error error = CWorkbookReader::NoError;
        std::unique_ptr<CXlsReader> reader = CXlsReader::FromBytes(bytes, limits, error);
        if (!reader) {
            EXPECT_NE(error, CWorkbookReader::NoError);
            ++refused;
            continue;
        }
        for (int s = 0; s < reader->Sheets().size(); ++s) {
            CSheetData sheet;
            if (!reader->ReadSheet(s, sheet, &error)) {
                EXPECT_TRUE(sheet.cells.empty());
            }
        }
        ++read;
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(read, 0);
}

} // namespace
