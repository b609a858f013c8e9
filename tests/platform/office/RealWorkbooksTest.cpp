#include "TestPaths.h"
#include "platform/office/Workbook.h"
#include "support/XlsxZip.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{

using K = CSheetCell;

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

QString Real(const char* file)
{
    return QStringLiteral(CORVANTA_FIXTURES "/real/") + QLatin1String(file);
}

struct Expected {
    const char* cell;
    K::Kind kind;
    QString text;
    double number;
};

void ExpectCells(const CSheetData& sheet, const QList<Expected>& cells)
{
    for (const Expected& e : cells) {
        const auto at = std::find_if(sheet.cells.cbegin(), sheet.cells.cend(), [&](const CSheetCell& cell) {
            return CWorkbookReader::CellName(cell.row, cell.column) == QLatin1String(e.cell);
        });
        ASSERT_NE(at, sheet.cells.cend()) << e.cell;
        EXPECT_EQ(at->kind, e.kind) << e.cell;
        EXPECT_EQ(at->text, e.text) << e.cell;
        EXPECT_DOUBLE_EQ(at->number, e.number) << e.cell;
    }
}

// The values the projects these books come from assert in their own tests.
TEST(RealXlsBooks, EachBookGivesTheValuesItsSourceAsserts)
{
    const QString cyrillic = U("МОСКВА Москва");
    const struct {
        const char* file;
        QString sheet;
        QList<Expected> cells;
    } books[] = {
        {"xls/xls_formula.xls",
         U("Sheet1"),
         {{"A1", K::Number, {}, 10},
          {"A2", K::Number, {}, 20},
          {"A3", K::Number, {}, 110},
          {"A4", K::Number, {}, 65}}},
        {"xls/empty-string.xls", U("Sheet1"), {{"A1", K::Text, QString(""), 0}}},
        {"xls/formula_test_sjmachin.xls",
         U("Sheet1"),
         {{"B2", K::Text, cyrillic, 0},
          {"B3", K::Number, {}, 1.0 / 7},
          {"B4", K::Text, U("ABCDEF"), 0},
          {"B5", K::Text, QString(""), 0},
          {"B6", K::Boolean, {}, 1},
          {"B7", K::Error, U("#DIV/0!"), 0},
          {"B8", K::Text, cyrillic, 0}}},
        // The shared-string table claims more strings than it holds.
        {"xls/gh548_incorrect_sst_unique_count.xls",
         U("System Level Data"),
         {{"C10", K::Text, U("11th May 2023"), 0}}},
        // Excel for the Mac: Mac Roman declared, Shift_JIS written, the
        // lengths counted in characters.
        {"xls/biff5_phonetic_text.xls",
         U("Sheet1"),
         {{"A1", K::Text, U("漢字"), 0}, {"A2", K::Text, U("漢字withColor"), 0}}},
    };
    for (const auto& book : books) {
        SCOPED_TRACE(book.file);
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(Real(book.file), &error);
        ASSERT_TRUE(reader);
        EXPECT_EQ(error, CWorkbookReader::NoError);
        int index = -1;
        for (int s = 0; s < reader->Sheets().size(); ++s) {
            if (reader->Sheets().at(s).name == book.sheet)
                index = s;
        }
        ASSERT_GE(index, 0);
        CSheetData sheet;
        ASSERT_TRUE(reader->ReadSheet(index, sheet, &error));
        ExpectCells(sheet, book.cells);
    }
}

// The workbook part lies in a folder of its own; a formula saved without
// its result is named, and with results given the sheet reads whole.
TEST(RealXlsxBooks, AFormulaWithoutItsResultIsNamedAndWithResultsTheSheetReads)
{
    const QString path = Real("xlsx/wtf_path.xlsx");
    XlsxZip::Parts parts;
    if (zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, nullptr)) {
        for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
            const QString name = QString::fromUtf8(zip_get_name(zip, zip_uint64_t(i), 0));
            parts.insert(name, XlsxZip::ReadPart(path, name));
        }
        zip_discard(zip);
    }
    const QString sheetPart = QStringLiteral("wtf/worksheets/sheet1.xml");
    ASSERT_TRUE(parts.contains(sheetPart));
    XlsxZip::Parts calculated = parts;
    QByteArray& cells = calculated[sheetPart];
    cells.replace("SUM(A1:C1*A1:C1)</f>", "SUM(A1:C1*A1:C1)</f><v>14</v>")
        .replace("TRANSPOSE(A1:D1)</f>", "TRANSPOSE(A1:D1)</f><v>1</v>")
        .replace("<f>A1+B1</f></c>", "<f>A1+B1</f><v>3</v></c>");
    QTemporaryDir dir;
    const QString recalculated = dir.filePath(QStringLiteral("calculated.xlsx"));
    ASSERT_TRUE(XlsxZip::Write(recalculated, calculated));

    const struct {
        QString path;
        CWorkbookReader::Error error;
        QString failed;
        QList<Expected> cells;
    } books[] = {
        {path, CWorkbookReader::FormulaResult, U("D1"), {}},
        {recalculated,
         CWorkbookReader::NoError,
         {},
         {{"A1", K::Number, {}, 1},
          {"B1", K::Number, {}, 2},
          {"C1", K::Number, {}, 3},
          {"D1", K::Number, {}, 14}}},
    };
    for (const auto& book : books) {
        SCOPED_TRACE(qPrintable(book.path));
        CWorkbookReader::Error error = CWorkbookReader::CannotOpen;
        std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(book.path, &error);
        ASSERT_TRUE(reader);
        ASSERT_EQ(reader->Sheets().size(), 2);
        EXPECT_EQ(reader->Sheets().at(0).name, U("SheetJS"));
        EXPECT_EQ(reader->Sheets().at(1).name, U("Hidden"));
        CSheetData sheet;
        EXPECT_EQ(reader->ReadSheet(0, sheet, &error), book.error == CWorkbookReader::NoError);
        EXPECT_EQ(error, book.error);
        EXPECT_EQ(reader->FailedCell(), book.failed);
        ExpectCells(sheet, book.cells);
    }
}

} // namespace
