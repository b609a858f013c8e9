#include "platform/office/Workbook.h"
#include "support/Iconv.h"
#include "support/XlsxZip.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <xlsxwriter.h>

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

// A start tag of thousands of attributes costs the XML parser time by their
// square before any count can stop it: a tag past the bound refuses the
// sheet as too large, one of a long hyperlink's size reads.
TEST(XlsxParts, AStartTagPastItsBoundIsTooLarge)
{
    QString storm;
    for (int i = 0; i < 12000; ++i)
        storm += QStringLiteral(" a%1=\"\"").arg(i);
    const struct {
        const char* what;
        QString row;
        CWorkbookReader::Error error;
    } cases[] = {
        {"a cell of 12 000 attributes", U("<c r=\"B2\"") + storm + U("><v>1</v></c>"),
         CWorkbookReader::TooLarge},
        {"a long quoted value", U("<c r=\"B2\" x=\"") + QString(30000, u'>') + U("\"><v>1</v></c>"),
         CWorkbookReader::NoError},
        {"long text between tags",
         U("<c r=\"B2\" t=\"inlineStr\"><is><t>") + QString(100000, u'a') + U("</t></is></c>"),
         CWorkbookReader::NoError},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XlsxZip::Book book;
        book.sheets << qMakePair(U("S"), XlsxZip::Sheet(U("<row r=\"2\">") + c.row + U("</row>")));
        const QString path = dir.filePath(QStringLiteral("tags.xlsx"));
        ASSERT_TRUE(XlsxZip::Write(path, book.ToParts()));
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error);
        ASSERT_TRUE(reader);
        CSheetData sheet;
        EXPECT_EQ(reader->ReadSheet(0, sheet, &error), c.error == CWorkbookReader::NoError);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(sheet.cells.size(), c.error == CWorkbookReader::NoError ? 1u : 0u);
    }
}

// Counts a book declares are capped while its parts are read, near what
// Excel writes: cell and number formats, sheets, relationships, and shared
// strings within the cell cap. One past a cap is too large; at the cap the
// book reads, its formats held once for all its sheets. A format code longer
// than Excel keeps is damage.
TEST(XlsxParts, CountsOfFormatsSheetsRelationshipsAndStringsAreCapped)
{
    const CWorkbookLimits defaults;
    CWorkbookLimits tenCells;
    tenCells.maxCells = 10;
    auto styles = [](int xfs, int numFmts) {
        return [xfs, numFmts](XlsxZip::Parts& parts) {
            QByteArray body = "<styleSheet><numFmts>";
            for (int i = 0; i < numFmts; ++i)
                body += "<numFmt numFmtId=\"" + QByteArray::number(200 + i) + "\" formatCode=\"yyyy\"/>";
            body += "</numFmts><cellXfs><xf/><xf numFmtId=\"200\"/>" + QByteArray("<xf/>").repeated(xfs - 2) +
                    "</cellXfs></styleSheet>";
            parts[QStringLiteral("xl/styles.xml")] = body;
        };
    };
    // Sheet entries beyond the first all on the first sheet's part.
    auto sheets = [](int count) {
        return [count](XlsxZip::Parts& parts) {
            QByteArray list, rels;
            for (int i = 1; i <= count; ++i) {
                list += "<sheet name=\"S" + QByteArray::number(i) + "\" sheetId=\"" + QByteArray::number(i) +
                        "\" r:id=\"rId" + QByteArray::number(i) + "\"/>";
                rels += "<Relationship Id=\"rId" + QByteArray::number(i) +
                        "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                        "worksheet\" Target=\"worksheets/sheet1.xml\"/>";
            }
            QByteArray& workbook = parts[QStringLiteral("xl/workbook.xml")];
            workbook.replace(workbook.indexOf("<sheet "),
                             workbook.indexOf("</sheets>") - workbook.indexOf("<sheet "), list);
            parts[QStringLiteral("xl/_rels/workbook.xml.rels")].replace(
                "<Relationship Id=\"rId1\"", QByteArray(rels + "<Relationship Id=\"rIdX\""));
        };
    };
    // Empty relationships of the workbook beside its own.
    auto relationships = [](int extra) {
        return [extra](XlsxZip::Parts& parts) {
            QByteArray rels;
            for (int i = 0; i < extra; ++i)
                rels += "<Relationship Id=\"x" + QByteArray::number(i) + "\" Type=\"t\" Target=\"none\"/>";
            parts[QStringLiteral("xl/_rels/workbook.xml.rels")].replace(
                "</Relationships>", QByteArray(rels + "</Relationships>"));
        };
    };
    // The dated number format's code at Excel's length, and one past it.
    auto code = [](int length) {
        return [length](XlsxZip::Parts& parts) {
            parts[QStringLiteral("xl/styles.xml")] =
                "<styleSheet><numFmts><numFmt numFmtId=\"200\" formatCode=\"yyyy" +
                QByteArray(length - 4, '0') +
                "\"/></numFmts><cellXfs><xf/><xf numFmtId=\"200\"/>"
                "</cellXfs></styleSheet>";
        };
    };
    auto strings = [](int count) {
        return [count](XlsxZip::Parts& parts) {
            parts[QStringLiteral("xl/sharedStrings.xml")] =
                "<sst><si><t>A</t></si>" + QByteArray("<si/>").repeated(count - 1) + "</sst>";
        };
    };

    const struct {
        const char* what;
        std::function<void(XlsxZip::Parts&)> change;
        CWorkbookLimits limits;
        CWorkbookReader::Error open, read;
        int sheets;
    } cases[] = {
        {"65536 cell formats", styles(65536, 1), defaults, CWorkbookReader::NoError, CWorkbookReader::NoError,
         1},
        {"65537 cell formats", styles(65537, 1), defaults, CWorkbookReader::NoError,
         CWorkbookReader::TooLarge, 1},
        {"65536 number formats", styles(2, 65536), defaults, CWorkbookReader::NoError,
         CWorkbookReader::NoError, 1},
        {"65537 number formats", styles(2, 65537), defaults, CWorkbookReader::NoError,
         CWorkbookReader::TooLarge, 1},
        {"a format code of 255 characters", code(255), defaults, CWorkbookReader::NoError,
         CWorkbookReader::NoError, 1},
        {"a format code of 256 characters", code(256), defaults, CWorkbookReader::NoError,
         CWorkbookReader::NotWorkbook, 1},
        {"4096 sheets", sheets(4096), defaults, CWorkbookReader::NoError, CWorkbookReader::NoError, 4096},
        {"4097 sheets", sheets(4097), defaults, CWorkbookReader::TooLarge, {}, 0},
        {"10000 relationships", relationships(10000 - 3), defaults, CWorkbookReader::NoError,
         CWorkbookReader::NoError, 1},
        {"10001 relationships", relationships(10001 - 3), defaults, CWorkbookReader::TooLarge, {}, 0},
        {"as many strings as cells", strings(10), tenCells, CWorkbookReader::NoError,
         CWorkbookReader::NoError, 1},
        {"a string more than cells", strings(11), tenCells, CWorkbookReader::NoError,
         CWorkbookReader::NoError, 1},
    };
    XlsxZip::Book book;
    book.cellXfs = {0, 14};
    book.sharedStrings = {U("<t>A</t>")};
    book.sheets << qMakePair(QStringLiteral("S1"),
                             XlsxZip::Sheet(U("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>"
                                              "<c r=\"B1\" s=\"1\"><v>45351</v></c></row>")));
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XlsxZip::Parts parts = book.ToParts();
        c.change(parts);
        const QString path = dir.filePath(QStringLiteral("book.xlsx"));
        ASSERT_TRUE(XlsxZip::Write(path, parts));
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error, c.limits);
        EXPECT_EQ(error, c.open);
        if (c.open != CWorkbookReader::NoError) {
            EXPECT_FALSE(reader);
            continue;
        }
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->Sheets().size(), c.sheets);
        CSheetData first, last;
        EXPECT_EQ(reader->ReadSheet(0, first, &error), c.read == CWorkbookReader::NoError);
        EXPECT_EQ(error, c.read);
        if (c.read != CWorkbookReader::NoError) {
            EXPECT_TRUE(first.cells.empty());
            continue;
        }
        ASSERT_EQ(first.cells.size(), 2u);
        EXPECT_EQ(first.cells.at(0).text, U("A"));
        // The file's second cell format is the dated one, whatever the
        // count.
        EXPECT_TRUE(first.FormatOf(first.cells.at(1)).isDate);
        ASSERT_TRUE(reader->ReadSheet(c.sheets - 1, last, &error));
        EXPECT_EQ(first.formats.constData(), last.formats.constData());
    }
}

// What one book's parts unpack to is bounded together, read after read,
// and in proportion to the file; its markup beyond what its cells and
// strings need too; a sheet's code name is looked for in its head only;
// entries whose data overlap are refused.
TEST(XlsxParts, OneBudgetPerBookAndNoOverlappingEntries)
{
    const QByteArray spaces = QByteArray(1000, ' ') + "<x/>";
    // Every part the reader reads padded with 600 KB.
    auto padAll = [&](XlsxZip::Parts& parts, QMap<QString, XlsxZip::Repeated>& repeated) {
        for (const char* part : {"_rels/.rels", "xl/workbook.xml", "xl/_rels/workbook.xml.rels",
                                 "xl/styles.xml", "xl/sharedStrings.xml", "xl/worksheets/sheet1.xml"})
            repeated.insert(QLatin1String(part), XlsxZip::Padded(parts[QLatin1String(part)], spaces, 600));
    };
    auto padSheet = [&](qint64 units, const QByteArray& unit) {
        return [units, unit](XlsxZip::Parts& parts, QMap<QString, XlsxZip::Repeated>& repeated) {
            repeated.insert(QStringLiteral("xl/worksheets/sheet1.xml"),
                            XlsxZip::Padded(parts[QStringLiteral("xl/worksheets/sheet1.xml")], unit, units));
        };
    };
    // 40 KB that deflate cannot pack.
    auto thumbnail = [](XlsxZip::Parts& parts, QMap<QString, XlsxZip::Repeated>&) {
        QByteArray noise(40 << 10, '\0');
        quint32 state = 1;
        for (char& b : noise)
            b = char((state = state * 1103515245u + 12345u) >> 24);
        parts.insert(QStringLiteral("docProps/thumbnail.jpeg"), noise);
    };
    auto cells = [](XlsxZip::Parts& parts, QMap<QString, XlsxZip::Repeated>&) {
        parts[QStringLiteral("xl/worksheets/sheet1.xml")] =
            XlsxZip::Sheet(QStringLiteral("<row><c><v>1</v></c></row>").repeated(5000));
    };
    using Change = std::function<void(XlsxZip::Parts&, QMap<QString, XlsxZip::Repeated>&)>;
    auto both = [](Change a, Change b) {
        return [a, b](XlsxZip::Parts& parts, QMap<QString, XlsxZip::Repeated>& repeated) {
            a(parts, repeated);
            b(parts, repeated);
        };
    };

    CWorkbookLimits bytes3, bytes4, ratio, nodes;
    for (CWorkbookLimits* l : {&bytes3, &bytes4}) {
        l->maxEntryBytes = 1 << 20;
        l->bookBytesPerFileByte = 0;
        l->maxSpareNodes = 1 << 30;
    }
    bytes3.maxBookBytes = bytes3.minBookBytes = 3 << 20;
    bytes4.maxBookBytes = bytes4.minBookBytes = 4 << 20;
    ratio.minBookBytes = 1 << 20;
    nodes.maxSpareNodes = 10000;
    nodes.spareNodesPerFileByte = 0;

    QStringList entries;
    for (int i = 0; i < 4095; ++i)
        entries << QStringLiteral("xl/worksheets/o%1.xml").arg(i, 4, 10, QChar(u'0'));
    const struct {
        const char* what;
        Change change;
        QStringList overlapping; // entries pointing at the sheet's data
        CWorkbookLimits limits;
        CWorkbookReader::Error open, read;
        int cells;
    } cases[] = {
        {"six parts each within the cap, together past the book's bound",
         padAll,
         {},
         bytes3,
         CWorkbookReader::NoError,
         CWorkbookReader::TooLarge,
         0},
        {"the same within the book's bound",
         padAll,
         {},
         bytes4,
         CWorkbookReader::NoError,
         CWorkbookReader::NoError,
         1},
        {"2 MB of white space from a file of a few kilobytes",
         padSheet(2000, spaces),
         {},
         ratio,
         CWorkbookReader::NoError,
         CWorkbookReader::TooLarge,
         0},
        {"the same in a file with 40 KB more",
         both(padSheet(2000, spaces), thumbnail),
         {},
         ratio,
         CWorkbookReader::NoError,
         CWorkbookReader::NoError,
         1},
        {"20 000 empty elements past the spare nodes",
         padSheet(20000, "<x/>"),
         {},
         nodes,
         CWorkbookReader::NoError,
         CWorkbookReader::TooLarge,
         0},
        {"5 000 cells with all their markup",
         cells,
         {},
         nodes,
         CWorkbookReader::NoError,
         CWorkbookReader::NoError,
         5000},
        {"one entry on another's data",
         {},
         {QStringLiteral("xl/worksheets/o.xml")},
         {},
         CWorkbookReader::NotWorkbook,
         {},
         0},
        {"4 095 entries on one's data", {}, entries, {}, CWorkbookReader::NotWorkbook, {}, 0},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XlsxZip::Book book;
        // The cell takes the shared string, so that its part is read too.
        book.sharedStrings = {U("<t>1</t>")};
        book.sheets << qMakePair(U("S"), XlsxZip::Sheet(U("<row><c t=\"s\"><v>0</v></c></row>"), U("Code")));
        XlsxZip::Parts parts = book.ToParts();
        QMap<QString, XlsxZip::Repeated> repeated;
        if (c.change)
            c.change(parts, repeated);
        const QString path = dir.filePath(QStringLiteral("book.xlsx"));
        ASSERT_TRUE(XlsxZip::Write(path, parts, repeated));
        if (!c.overlapping.isEmpty()) {
            ASSERT_TRUE(
                XlsxZip::PointAtOneEntry(path, QStringLiteral("xl/worksheets/sheet1.xml"), c.overlapping));
        }
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error, c.limits);
        EXPECT_EQ(error, c.open);
        if (c.open != CWorkbookReader::NoError) {
            EXPECT_FALSE(reader);
            continue;
        }
        ASSERT_TRUE(reader);
        CSheetData sheet;
        EXPECT_EQ(reader->ReadSheet(0, sheet, &error), c.read == CWorkbookReader::NoError);
        EXPECT_EQ(error, c.read);
        EXPECT_EQ(sheet.cells.size(), size_t(c.cells));
    }

    // A sheet whose head holds 64 KB of white space before its code name
    // has none; the book opens, and the sheet reads.
    XlsxZip::Book book;
    book.sheets << qMakePair(U("A"), XlsxZip::Sheet(U("<row><c><v>1</v></c></row>"), U("First")))
                << qMakePair(U("B"), XlsxZip::Sheet(U("<row><c><v>2</v></c></row>"), U("Second")))
                << qMakePair(U("C"), XlsxZip::Sheet(U("<row><c><v>3</v></c></row>"), U("Third")));
    XlsxZip::Parts parts = book.ToParts();
    QMap<QString, XlsxZip::Repeated> repeated;
    repeated.insert(
        QStringLiteral("xl/worksheets/sheet2.xml"),
        XlsxZip::Padded(parts[QStringLiteral("xl/worksheets/sheet2.xml")], QByteArray(1024, ' '), 64));
    const QString path = dir.filePath(QStringLiteral("heads.xlsx"));
    ASSERT_TRUE(XlsxZip::Write(path, parts, repeated));
    CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
    std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error);
    ASSERT_TRUE(reader);
    QStringList codeNames;
    for (const CSheetInfo& info : reader->Sheets())
        codeNames << info.codeName;
    EXPECT_EQ(codeNames, QStringList({U("First"), QString(), U("Third")}));
    CSheetData sheet;
    ASSERT_TRUE(reader->ReadSheet(1, sheet, &error));
    ASSERT_EQ(sheet.cells.size(), 1u);
    EXPECT_EQ(sheet.cells.front().number, 2);
}

// What holds libxml2 long or keeps memory is bounded as the bytes pass, in
// every part: namespace declarations in scope (nested tags adding up),
// attributes of one tag, comments and processing instructions; a part
// whose prefixes libxml2 cannot resolve thousands of times is damaged.
TEST(XlsxParts, NamespacesAttributesCommentsAndErrorsAreBounded)
{
    auto declarations = [](int from, int count) {
        QString text;
        for (int i = from; i < from + count; ++i)
            text += QStringLiteral(" xmlns:n%1=\"urn:n%1\"").arg(i);
        return text;
    };
    auto attributes = [](int count) {
        QString text;
        for (int i = 0; i < count; ++i)
            text += QStringLiteral(" a%1=\"\"").arg(i);
        return text;
    };
    // The sheet's root declares two; `rootMore` more, then the rows.
    auto sheet = [](const QString& rootMore, const QString& rows) {
        return [rootMore, rows](XlsxZip::Parts& parts) {
            QByteArray part = XlsxZip::Sheet(rows);
            part.insert(part.indexOf("<sheetData>") - 1, rootMore.toUtf8());
            parts[QStringLiteral("xl/worksheets/sheet1.xml")] = part;
        };
    };
    const QString row = U("<row><c><v>1</v></c></row>");
    const struct {
        const char* what;
        std::function<void(XlsxZip::Parts&)> change;
        CWorkbookReader::Error open, read;
    } cases[] = {
        {"40 declarations on a sheet", sheet(declarations(0, 38), row), CWorkbookReader::NoError,
         CWorkbookReader::NoError},
        {"41 declarations on a sheet", sheet(declarations(0, 39), row), CWorkbookReader::NoError,
         CWorkbookReader::TooLarge},
        {"30 on a sheet and 11 on its row",
         sheet(declarations(0, 28), U("<row") + declarations(28, 11) + U("><c><v>1</v></c></row>")),
         CWorkbookReader::NoError, CWorkbookReader::TooLarge},
        {"30 on a sheet and 10 on each of 100 rows beside each other",
         sheet(declarations(0, 28),
               row + QString(U("<row") + declarations(28, 10) + U("></row>")).repeated(100)),
         CWorkbookReader::NoError, CWorkbookReader::NoError},
        {"names that only start like a declaration",
         sheet(QStringLiteral(" xmlnsa=\"\" xmlnsb=\"\"") + declarations(0, 38), row),
         CWorkbookReader::NoError, CWorkbookReader::NoError},
        {"41 declarations in the package's relationships",
         [&](XlsxZip::Parts& parts) {
             parts[QStringLiteral("_rels/.rels")].replace(
                 "<Relationships ", QByteArray("<Relationships" + declarations(0, 40).toUtf8() + " "));
         },
         CWorkbookReader::TooLarge,
         {}},
        {"a cell of 64 attributes", sheet({}, U("<row><c") + attributes(64) + U("><v>1</v></c></row>")),
         CWorkbookReader::NoError, CWorkbookReader::NoError},
        {"a cell of 65 attributes", sheet({}, U("<row><c") + attributes(65) + U("><v>1</v></c></row>")),
         CWorkbookReader::NoError, CWorkbookReader::TooLarge},
        {"100 000 comments and instructions", sheet({}, row + U("<!-- c --><?p?>").repeated(49999)),
         CWorkbookReader::NoError, CWorkbookReader::NoError},
        {"100 001", sheet({}, row + U("<!-- c --><?p?>").repeated(50000)), CWorkbookReader::NoError,
         CWorkbookReader::TooLarge},
        {"a few undeclared prefixes", sheet({}, row + U("<p:x/>").repeated(10)), CWorkbookReader::NoError,
         CWorkbookReader::NoError},
        {"thousands of them", sheet({}, row + U("<p:x/>").repeated(5000)), CWorkbookReader::NoError,
         CWorkbookReader::NotWorkbook},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XlsxZip::Book book;
        book.sheets << qMakePair(U("S"), XlsxZip::Sheet({}));
        XlsxZip::Parts parts = book.ToParts();
        c.change(parts);
        const QString path = dir.filePath(QStringLiteral("book.xlsx"));
        ASSERT_TRUE(XlsxZip::Write(path, parts));
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error);
        EXPECT_EQ(error, c.open);
        if (c.open != CWorkbookReader::NoError) {
            EXPECT_FALSE(reader);
            continue;
        }
        ASSERT_TRUE(reader);
        CSheetData sheet;
        EXPECT_EQ(reader->ReadSheet(0, sheet, &error), c.read == CWorkbookReader::NoError);
        EXPECT_EQ(error, c.read);
        EXPECT_EQ(sheet.cells.size(), c.read == CWorkbookReader::NoError ? 1u : 0u);
    }
}

// A part is read only in an encoding the watch of its bytes follows as
// libxml2 does: UTF-8, or UTF-16 by its first bytes. EBCDIC and UCS-4
// (which libxml2 finds by the first bytes) and any other encoding a
// declaration names (UTF-7 hides "<" in letters) are damage.
TEST(XlsxParts, PartsInOtherEncodingsThanUnicodeAreDamaged)
{
    XlsxZip::Book book;
    book.sheets << qMakePair(U("シート"), XlsxZip::Sheet(U("<row><c><v>1</v></c></row>")));
    const QByteArray workbook = book.ToParts()[QStringLiteral("xl/workbook.xml")];
    auto declared = [&](const char* encoding) -> QByteArray {
        return QByteArray(workbook).replace("encoding=\"UTF-8\"",
                                            QByteArray("encoding=\"" + QByteArray(encoding) + "\""));
    };
    const struct {
        const char* what;
        QByteArray bytes; // of the workbook part
        CWorkbookReader::Error open;
    } cases[] = {
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + workbook, CWorkbookReader::NoError},
        {"UTF-16 with its mark", "\xFF\xFE" + Iconv::Encode(declared("UTF-16"), "UTF-16LE"),
         CWorkbookReader::NoError},
        {"UTF-16 big-endian without a mark", Iconv::Encode(declared("UTF-16"), "UTF-16BE"),
         CWorkbookReader::NoError},
        {"UTF-16 little-endian named big-endian",
         "\xFF\xFE" + Iconv::Encode(declared("UTF-16BE"), "UTF-16LE"), CWorkbookReader::NotWorkbook},
        {"UTF-8 named UTF-16", declared("UTF-16"), CWorkbookReader::NotWorkbook},
        {"EBCDIC", Iconv::Encode(declared("IBM037").replace("シート", "S"), "IBM037"),
         CWorkbookReader::NotWorkbook},
        {"UTF-7 after its declaration",
         declared("UTF-7").left(declared("UTF-7").indexOf("?>") + 2) +
             Iconv::Encode(declared("UTF-7").mid(declared("UTF-7").indexOf("?>") + 2), "UTF-7"),
         CWorkbookReader::NotWorkbook},
        {"UCS-4", Iconv::Encode(declared("UCS-4"), "UCS-4LE"), CWorkbookReader::NotWorkbook},
        {"Shift_JIS", Iconv::Encode(declared("Shift_JIS"), "SHIFT_JIS"), CWorkbookReader::NotWorkbook},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.bytes.isEmpty());
        XlsxZip::Parts parts = book.ToParts();
        parts[QStringLiteral("xl/workbook.xml")] = c.bytes;
        const QString path = dir.filePath(QStringLiteral("book.xlsx"));
        ASSERT_TRUE(XlsxZip::Write(path, parts));
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error);
        EXPECT_EQ(error, c.open);
        if (c.open != CWorkbookReader::NoError) {
            EXPECT_FALSE(reader);
            continue;
        }
        ASSERT_TRUE(reader);
        ASSERT_EQ(reader->Sheets().size(), 1);
        EXPECT_EQ(reader->Sheets().front().name, U("シート"));
    }
}

// The characters a book keeps, its shared strings and the texts of the
// sheet read, share one budget; a shared string counts once, however many
// cells show it.
TEST(XlsxParts, SharedStringsAndCellTextsShareOneBudgetOfCharacters)
{
    CWorkbookLimits limits;
    limits.maxTextChars = 1000;
    auto text = [](int length) { return QString(length, u'字'); };
    auto inlineCell = [](const QString& t) {
        return QStringLiteral("<c t=\"inlineStr\"><is><t>%1</t></is></c>").arg(t);
    };
    const QString shared = U("<c t=\"s\"><v>0</v></c>");
    const struct {
        const char* what;
        QStringList strings; // shared
        QString row;         // the cells of the one row
        CWorkbookReader::Error error;
        int cells;
    } cases[] = {
        {"a string of 600 shown by ten cells",
         {text(600)},
         shared.repeated(10),
         CWorkbookReader::NoError,
         10},
        {"strings of 600 and 401", {text(600), text(401)}, shared, CWorkbookReader::NoError, 1},
        {"a string of 600 and a cell of 400",
         {text(600)},
         shared + inlineCell(text(400)),
         CWorkbookReader::NoError,
         2},
        {"a string of 600 and a cell of 401",
         {text(600)},
         shared + inlineCell(text(401)),
         CWorkbookReader::TooLarge,
         0},
        {"cells of 500 and 501",
         {},
         inlineCell(text(500)) + inlineCell(text(501)),
         CWorkbookReader::TooLarge,
         0},
        {"a formula's text of 1001",
         {},
         QStringLiteral("<c t=\"str\"><f>A1</f><v>%1</v></c>").arg(text(1001)),
         CWorkbookReader::TooLarge,
         0},
        {"a string of 1000 in runs, its reading left out",
         {U("<r><t>") + text(500) + U("</t></r><r><t>") + text(500) + U("</t></r><rPh><t>") + text(600) +
          U("</t></rPh>")},
         shared,
         CWorkbookReader::NoError,
         1},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XlsxZip::Book book;
        for (const QString& s : c.strings)
            book.sharedStrings << (s.startsWith(u'<') ? s : U("<t>") + s + U("</t>"));
        book.sheets << qMakePair(U("S"), XlsxZip::Sheet(U("<row>") + c.row + U("</row>")));
        const QString path = dir.filePath(QStringLiteral("book.xlsx"));
        ASSERT_TRUE(XlsxZip::Write(path, book.ToParts()));
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error, limits);
        ASSERT_TRUE(reader);
        CSheetData sheet;
        EXPECT_EQ(reader->ReadSheet(0, sheet, &error), c.error == CWorkbookReader::NoError);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(sheet.cells.size(), size_t(c.cells));
    }
}

// A customer master on the first sheet beside a long history on the
// second: the master reads whatever the history holds, whether its memos
// pass the budget of characters (its strings written into the table before
// the master's) or its part unpacks past the cap of one part. Read itself,
// the history is refused.
TEST(XlsxParts, TheChosenSheetReadsWhateverTheOtherSheetsHold)
{
    constexpr int kCustomers = 50, kHistory = 2000;
    CWorkbookLimits chars, part;
    chars.maxTextChars = 100000;    // the history's memos take 360 000
    part.maxEntryBytes = 512 << 10; // the history's part takes about 1.5 MB
    const struct {
        const char* what;
        CWorkbookLimits limits;
        bool memos;               // the history holds a memo of 180 characters a row, else numbers
        CWorkbookReader::Cap cap; // the history passes
    } cases[] = {{"memos past the characters", chars, true, CWorkbookReader::Cap::Characters},
                 {"a part past its cap", part, false, CWorkbookReader::Cap::Other}};
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QStringLiteral("book.xlsx"));
        lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
        ASSERT_TRUE(book);
        lxw_worksheet* master = workbook_add_worksheet(book, "得意先");
        lxw_worksheet* history = workbook_add_worksheet(book, "履歴");
        for (int r = 0; r < kHistory; ++r) {
            worksheet_write_number(history, lxw_row_t(r), 0, r, nullptr);
            for (lxw_col_t col = 1; col < 8; ++col) {
                if (c.memos && col == 1)
                    worksheet_write_string(
                        history, lxw_row_t(r), col,
                        QStringLiteral("%1").arg(r, 180, 10, QChar(u'm')).toUtf8().constData(), nullptr);
                else
                    worksheet_write_number(history, lxw_row_t(r), col, r * 1000.25 + col, nullptr);
            }
        }
        for (int r = 0; r < kCustomers; ++r) {
            worksheet_write_string(master, lxw_row_t(r), 0,
                                   QStringLiteral("K%1").arg(r, 4, 10, QChar(u'0')).toUtf8().constData(),
                                   nullptr);
            worksheet_write_string(master, lxw_row_t(r), 1, U("得意先%1").arg(r).toUtf8().constData(),
                                   nullptr);
        }
        ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);

        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error, c.limits);
        ASSERT_TRUE(reader) << error;
        ASSERT_EQ(reader->Sheets().size(), 2);
        CSheetData sheet;
        ASSERT_TRUE(reader->ReadSheet(0, sheet, &error)) << error;
        ASSERT_EQ(sheet.cells.size(), size_t(2 * kCustomers));
        for (int r = 0; r < kCustomers; ++r) {
            EXPECT_EQ(sheet.cells[size_t(2 * r)].text, QStringLiteral("K%1").arg(r, 4, 10, QChar(u'0')));
            EXPECT_EQ(sheet.cells[size_t(2 * r + 1)].text, U("得意先%1").arg(r));
        }
        EXPECT_FALSE(reader->ReadSheet(1, sheet, &error));
        EXPECT_EQ(error, CWorkbookReader::TooLarge);
        EXPECT_EQ(reader->FailedCap(), c.cap);
        EXPECT_TRUE(sheet.cells.empty());
    }
}

// Rows and cells stand where their numbers and references put them, or
// after the last; the cells come out in row and column order, the later of
// two in one place kept, each shared string where its cells take it; a row
// or a cell off the sheet is damaged, and a sheet that is not there too.
TEST(XlsxParts, CellsStandWhereTheyArePutAndComeOutInOrder)
{
    const struct {
        const char* what;
        const char* cells; // "B2=value" each, in the order read; none: damaged
        const char* rows;
        int sheet = 0;
    } cases[] = {
        {"rows and cells without numbers follow the last", "A1=1 B1=2 A2=3",
         "<row><c><v>1</v></c><c><v>2</v></c></row><row><c><v>3</v></c></row>"},
        {"a reference moves the row as well", "C5=1 D5=2 A6=3",
         R"(<row r="3"><c r="C5"><v>1</v></c><c><v>2</v></c></row><row><c><v>3</v></c></row>)"},
        {"cells out of order and two in one place", "A1=4 A2=2 B2=1",
         R"(<row r="2"><c r="B2"><v>1</v></c><c r="A2"><v>2</v></c></row>)"
         R"(<row r="1"><c r="A1"><v>3</v></c><c r="A1"><v>4</v></c></row>)"},
        {"strings taken out of order and again", "A1=二 B1=零 C1=二",
         R"(<row><c t="s"><v>2</v></c><c t="s"><v>0</v></c><c t="s"><v>2</v></c></row>)"},
        {"the last cell of the sheet", "XFD1048576=1",
         R"(<row r="1048576"><c r="XFD1048576"><v>1</v></c></row>)"},
        {"a sheet before the first", "", "<row><c><v>1</v></c></row>", -1},
        {"a sheet after the last", "", "<row><c><v>1</v></c></row>", 1},
        {"row 0", "", R"(<row r="0"><c><v>1</v></c></row>)"},
        {"a row past the last", "", R"(<row r="1048577"><c><v>1</v></c></row>)"},
        {"a row of letters", "", R"(<row r="x"><c><v>1</v></c></row>)"},
        {"a cell after the last column", "", R"(<row><c r="XFD1"><v>1</v></c><c><v>2</v></c></row>)"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.xlsx"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XlsxZip::Book book;
        book.sharedStrings = {U("<t>零</t>"), U("<t>一</t>"), U("<t>二</t>")};
        book.sheets << qMakePair(U("S"), XlsxZip::Sheet(U(c.rows)));
        ASSERT_TRUE(XlsxZip::Write(path, book.ToParts()));
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error);
        ASSERT_TRUE(reader) << error;
        CSheetData sheet;
        EXPECT_EQ(reader->ReadSheet(c.sheet, sheet, &error), *c.cells != '\0');
        EXPECT_EQ(error, *c.cells ? CWorkbookReader::NoError : CWorkbookReader::NotWorkbook);
        QStringList cells;
        for (const CSheetCell& cell : sheet.cells)
            cells << CWorkbookReader::CellName(cell.row, cell.column) + u'=' +
                         (cell.kind == CSheetCell::Text ? cell.text : QString::number(cell.number));
        EXPECT_EQ(cells.join(u' '), U(c.cells));
    }
}

// The shared strings part holds a long history's memos before the
// customers' names: the customer sheet reads whether the memos take three
// bytes a character or one, though the Japanese ones unpack past the cap of
// one part, for the part is read only up to the last string the sheet
// takes. The strings passed over still count against the book's bytes and
// spare nodes, and the history, which takes them all, against the
// characters.
TEST(XlsxParts, TheSharedStringsAreBoundedByWhatTheSheetTakes)
{
    constexpr int kMemos = 1000, kMemoChars = 120, kCustomers = 50;
    constexpr qint64 kCap = 256 << 10; // English memos take 135 KB, Japanese 375 KB
    const CWorkbookLimits part{.maxEntryBytes = kCap},
        chars{.maxEntryBytes = kCap, .maxTextChars = kMemos * kMemoChars - 1},
        bytes{.maxEntryBytes = kCap, .maxBookBytes = kCap, .minBookBytes = kCap, .bookBytesPerFileByte = 0},
        // The memos passed over take 3 000.
        nodes{.maxEntryBytes = kCap, .maxSpareNodes = 1000, .spareNodesPerFileByte = 0};
    auto memo = [](QChar c, int i) { return QString(kMemoChars - 4, c).append(QString("%1").arg(i, 4)); };
    auto customer = [](int i) -> QString {
        return i % 2 ? U("得意先%1").arg(i / 2) : QStringLiteral("K%1").arg(i / 2, 4, 10, QChar(u'0'));
    };
    using R = CWorkbookReader;
    const struct {
        const char* what;
        QChar memo;
        CWorkbookLimits limits;
        int sheet;
        R::Error error;
        R::Cap cap;
    } cases[] = {
        {"the customers beside Japanese memos", u'備', part, 0, R::NoError, R::Cap::Other},
        {"the customers beside English memos", u'm', part, 0, R::NoError, R::Cap::Other},
        {"the Japanese memos, past the cap of one part", u'備', part, 1, R::NoError, R::Cap::Other},
        {"the Japanese memos past the characters", u'備', chars, 1, R::TooLarge, R::Cap::Characters},
        {"the customers past the book's bytes", u'備', bytes, 0, R::TooLarge, R::Cap::Other},
        {"the customers past the spare nodes", u'備', nodes, 0, R::TooLarge, R::Cap::Other},
    };
    auto taking = [](int i) { return QStringLiteral("<c t=\"s\"><v>%1</v></c>").arg(i); };
    QString history, customers;
    for (int i = 0; i < kMemos; ++i)
        history += U("<row>") + taking(i) + U("</row>");
    for (int i = kMemos; i < kMemos + 2 * kCustomers; i += 2)
        customers += U("<row>") + taking(i) + taking(i + 1) + U("</row>");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.xlsx"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XlsxZip::Book book;
        for (int i = 0; i < kMemos + 2 * kCustomers; ++i)
            book.sharedStrings << U("<t>%1</t>").arg(i < kMemos ? memo(c.memo, i) : customer(i - kMemos));
        book.sheets << qMakePair(U("得意先"), XlsxZip::Sheet(customers))
                    << qMakePair(U("履歴"), XlsxZip::Sheet(history));
        ASSERT_TRUE(XlsxZip::Write(path, book.ToParts()));
        R::Error error = R::CannotOpen;
        std::unique_ptr<R> reader = R::Open(path, &error, c.limits);
        ASSERT_TRUE(reader) << error;
        CSheetData sheet;
        EXPECT_EQ(reader->ReadSheet(c.sheet, sheet, &error), c.error == R::NoError);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(reader->FailedCap(), c.cap);
        if (c.error != R::NoError) {
            EXPECT_TRUE(sheet.cells.empty());
            continue;
        }
        const int count = c.sheet ? kMemos : 2 * kCustomers;
        ASSERT_EQ(sheet.cells.size(), size_t(count));
        for (int i : {0, 1, count - 1})
            EXPECT_EQ(sheet.cells.at(size_t(i)).text, c.sheet ? memo(c.memo, i) : customer(i)) << i;
    }
}

} // namespace
