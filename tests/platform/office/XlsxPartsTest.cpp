#include "platform/office/Workbook.h"
#include "support/XlsxZip.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// Books whose parts are named or shared unusually read like plain ones; a
// sheet of styled empty cells keeps only its values.
TEST(XlsxParts, BackslashNamesSharedSheetPartsAndEmptyCells)
{
    XlsxZip::Book book;
    book.cellXfs = {0, 49};
    book.sharedStrings = {U("<t>品名</t>")};
    for (int i = 1; i <= 5; ++i)
        book.sheets << qMakePair(
            QStringLiteral("S%1").arg(i),
            XlsxZip::Sheet(U("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><v>42</v></c>"
                             "<c r=\"C1\" s=\"1\"/></row>"),
                           U("Shared")));
    QString empties;
    for (int r = 1; r <= 3000; ++r)
        empties += QStringLiteral("<row r=\"%1\">").arg(r) + QStringLiteral("<c s=\"1\"/>").repeated(50) +
                   U("</row>");
    auto backslashes = [](XlsxZip::Parts& parts) {
        XlsxZip::Parts renamed;
        for (auto at = parts.cbegin(); at != parts.cend(); ++at)
            renamed.insert(QString(at.key()).replace(u'/', u'\\'), at.value());
        parts = renamed;
    };
    auto backslashTargets = [](XlsxZip::Parts& parts) {
        QByteArray& rels = parts[QStringLiteral("xl/_rels/workbook.xml.rels")];
        rels.replace("worksheets/", "worksheets\\");
    };
    auto oneSheetPart = [](XlsxZip::Parts& parts) {
        QByteArray& rels = parts[QStringLiteral("xl/_rels/workbook.xml.rels")];
        for (int i = 2; i <= 5; ++i)
            rels.replace(QStringLiteral("worksheets/sheet%1.xml").arg(i).toUtf8(), "worksheets/sheet1.xml");
        for (int i = 2; i <= 5; ++i)
            parts.remove(QStringLiteral("xl/worksheets/sheet%1.xml").arg(i));
    };
    auto emptyCells = [&empties](XlsxZip::Parts& parts) {
        parts[QStringLiteral("xl/worksheets/sheet1.xml")] = XlsxZip::Sheet(
            U("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><v>42</v></c></row>") + empties,
            U("Shared"));
    };

    const struct {
        const char* what;
        std::function<void(XlsxZip::Parts&)> change;
        qint64 maxCells;
        CWorkbookReader::Error error; // of the first sheet's read
        quint32 lastRow, lastColumn;  // of its used range
        int sheetsRead;
    } cases[] = {
        {"plain", {}, 100, CWorkbookReader::NoError, 0, 2, 1},
        {"part names with backslashes", backslashes, 100, CWorkbookReader::NoError, 0, 2, 5},
        {"relationship targets with backslashes", backslashTargets, 100, CWorkbookReader::NoError, 0, 2, 5},
        {"five sheets on one part", oneSheetPart, 100, CWorkbookReader::NoError, 0, 2, 5},
        {"150000 styled empty cells", emptyCells, 100, CWorkbookReader::NoError, 2999, 49, 1},
        {"values past the cap", {}, 1, CWorkbookReader::TooLarge, 0, 0, 1},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XlsxZip::Parts parts = book.ToParts();
        if (c.change)
            c.change(parts);
        const QString path = dir.filePath(QStringLiteral("book.xlsx"));
        ASSERT_TRUE(XlsxZip::Write(path, parts));
        CWorkbookLimits limits;
        limits.maxCells = c.maxCells;
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error, limits);
        ASSERT_TRUE(reader);
        ASSERT_EQ(reader->Sheets().size(), 5);
        for (int s = 0; s < 5; ++s)
            EXPECT_EQ(reader->Sheets().at(s).codeName, U("Shared")) << s;
        for (int s = 0; s < c.sheetsRead; ++s) {
            CSheetData sheet;
            const bool read = reader->ReadSheet(s, sheet, &error);
            EXPECT_EQ(read, c.error == CWorkbookReader::NoError) << s;
            EXPECT_EQ(error, c.error) << s;
            if (!read) {
                EXPECT_TRUE(sheet.cells.empty());
                continue;
            }
            ASSERT_EQ(sheet.cells.size(), 2u) << s;
            EXPECT_EQ(sheet.cells.at(0).text, U("品名")) << s;
            EXPECT_EQ(sheet.cells.at(1).number, 42) << s;
            quint32 r0, c0, r1, c1;
            ASSERT_TRUE(sheet.UsedRange(r0, c0, r1, c1));
            EXPECT_EQ(QList<quint32>({r0, c0, r1, c1}), QList<quint32>({0, 0, c.lastRow, c.lastColumn})) << s;
        }
    }
}

// Cells as some writers leave them: elapsed times as durations, references
// of digits alone, formulas without their results; and a very hidden sheet
// listed without a relationship.
TEST(XlsxParts, DurationsPlacelessReferencesFormulaResultsAndSheetsWithoutParts)
{
    const struct {
        const char* what;
        QString row; // the cells of row 2
        CWorkbookReader::Error error;
        QString failed;
        QList<double> numbers; // of B2, C2, ... as read
        bool elapsed = false;  // read as elapsed times
    } cases[] = {
        {"elapsed times",
         U("<c r=\"B2\" t=\"d\"><v>PT24H0M0.000S</v></c><c r=\"C2\" t=\"d\"><v>PT1H30M</v></c>"
           "<c r=\"D2\" t=\"d\"><v>P1DT12H</v></c><c r=\"E2\" t=\"d\"><v>-PT12H</v></c>"
           "<c r=\"F2\" t=\"d\"><v>P0Y0M2W</v></c>"),
         CWorkbookReader::NoError,
         {},
         {1, 0.0625, 1.5, -0.5, 14},
         true},
        {"a duration of months",
         U("<c r=\"B2\" t=\"d\"><v>P1M</v></c>"),
         CWorkbookReader::NotWorkbook,
         {},
         {}},
        {"a duration of nothing",
         U("<c r=\"B2\" t=\"d\"><v>PT</v></c>"),
         CWorkbookReader::NotWorkbook,
         {},
         {}},
        {"references of digits alone",
         U("<c r=\"B2\"><v>7</v></c><c r=\"0\"><v>8</v></c><c r=\"0\"><v>9</v></c>"),
         CWorkbookReader::NoError,
         {},
         {7, 8, 9}},
        {"a formula and its result",
         U("<c r=\"B2\"><f>1+1</f><v>2</v></c>"),
         CWorkbookReader::NoError,
         {},
         {2}},
        {"a formula giving an empty text",
         U("<c r=\"B2\" t=\"str\"><f>\"\"</f><v></v></c>"),
         CWorkbookReader::NoError,
         {},
         {0}},
        {"a formula without its result",
         U("<c r=\"B2\"><v>1</v></c><c r=\"E2\"><f>1+1</f></c>"),
         CWorkbookReader::FormulaResult,
         U("E2"),
         {}},
        {"a formula with an empty number",
         U("<c r=\"C2\"><f>1+1</f><v/></c>"),
         CWorkbookReader::FormulaResult,
         U("C2"),
         {}},
        {"a text formula without its result",
         U("<c r=\"D2\" t=\"str\"><f>A1</f></c>"),
         CWorkbookReader::FormulaResult,
         U("D2"),
         {}},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XlsxZip::Book book;
        book.sheets << qMakePair(U("S"), XlsxZip::Sheet(U("<row r=\"2\">") + c.row + U("</row>")))
                    << qMakePair(U("T"), XlsxZip::Sheet({}));
        XlsxZip::Parts parts = book.ToParts();
        parts[QStringLiteral("xl/workbook.xml")].replace(
            "</sheets>", "<sheet name=\"Secret\" sheetId=\"9\" state=\"veryHidden\" r:id=\"\"/></sheets>");
        const QString path = dir.filePath(QStringLiteral("book.xlsx"));
        ASSERT_TRUE(XlsxZip::Write(path, parts));
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error);
        ASSERT_TRUE(reader);
        ASSERT_EQ(reader->Sheets().size(), 2);
        EXPECT_EQ(reader->Sheets().at(1).name, U("T"));
        CSheetData sheet;
        EXPECT_EQ(reader->ReadSheet(0, sheet, &error), c.error == CWorkbookReader::NoError);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(reader->FailedCell(), c.failed);
        ASSERT_EQ(sheet.cells.size(), size_t(c.numbers.size()));
        for (qsizetype i = 0; i < c.numbers.size(); ++i) {
            const CSheetCell& cell = sheet.cells.at(size_t(i));
            EXPECT_EQ(CWorkbookReader::CellName(cell.row, cell.column),
                      CWorkbookReader::CellName(1, quint32(i + 1)));
            EXPECT_DOUBLE_EQ(cell.number, c.numbers.at(i)) << i;
            EXPECT_EQ(sheet.FormatOf(cell).code, c.elapsed ? U("[h]:mm:ss") : QString()) << i;
        }
    }
}

} // namespace
