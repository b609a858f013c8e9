#include "exchange/ExcelApp.h"
#include "TestPaths.h"
#include "exchange/CsvReader.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/MasterImport.h"
#include "fixtures/office/FixtureRows.h"
#include "platform/data/MasterKinds.h"
#include "platform/env/EnvHome.h"
#include "platform/env/RegistryIni.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/text/Cp932.h"
#include "platform/ui/FakeUi.h"
#include "support/XlsBytes.h"
#include "support/XlsxZip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <limits>

#include <gtest/gtest.h>

#include <xlsxwriter.h>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

QString Inline(const char* ref, const char* text)
{
    return QStringLiteral("<c r=\"%1\" t=\"inlineStr\"><is><t>%2</t></is></c>")
        .arg(QLatin1String(ref), U(text));
}

QString Number(const char* ref, const char* value, int style = 0)
{
    return QStringLiteral("<c r=\"%1\" s=\"%2\"><v>%3</v></c>")
        .arg(QLatin1String(ref))
        .arg(style)
        .arg(QLatin1String(value));
}

QString Row(int r, const QString& cells)
{
    return QStringLiteral("<row r=\"%1\">%2</row>").arg(r).arg(cells);
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ExcelAppTest : public ::testing::Test
{
  protected:
    QString Save(const XlsxZip::Book& book, const QString& name = QStringLiteral("book.xlsx"))
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(XlsxZip::Write(path, book.ToParts()));
        return path;
    }

    // The rows of the first offered sheet (the dialog answered with OK).
    CImportRows Read(const QString& path, int* result = nullptr)
    {
        CExcelApp app;
        app.SetPath(path);
        CImportRows rows;
        const int rc = app.ReadSheet(&rows);
        if (result)
            *result = rc;
        return rows;
    }

    static XlsxZip::Book OneSheet(const QString& rows)
    {
        XlsxZip::Book book;
        book.cellXfs = {0, 20, 14, 2};
        book.sheets << qMakePair(U("一覧"), XlsxZip::Sheet(rows));
        return book;
    }

    QTemporaryDir m_dir;
    ScopedFakeUi m_ui;
    CScriptedExchangeDialogs m_dialogs;
};

// A sheet with no text to read ends the import with a message, never in
// silence: empty, one number, one error, or cells that read empty.
TEST_F(ExcelAppTest, ASheetWithoutDataRowsEndsTheImportWithItsMessage)
{
    const QString sheets[] = {
        QString(),
        Row(1, Number("A1", "5")),
        Row(1, QStringLiteral("<c r=\"B2\" t=\"e\"><v>#N/A</v></c>")),
        Row(1, QStringLiteral("<c r=\"A1\" t=\"e\"><v>#DIV/0!</v></c>")) + Row(2, Inline("C2", "")),
    };
    for (const QString& sheet : sheets) {
        m_ui.Prompt().Clear();
        const QString path = Save(OneSheet(sheet));
        m_dialogs.QueueFormatChoice(CImportFormatRules::kExcel);
        m_ui.Prompt().QueueFiles({path});
        CMasterImport import(CMasterKind::Items());
        EXPECT_EQ(import.ImportFromFile(), 2) << qPrintable(sheet);
        EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("データ行がありません。処理を中止します。")})
            << qPrintable(sheet);
    }
}

TEST_F(ExcelAppTest, ReadSheetGivesTheUsedRangeAsExcelsValuesRead)
{
    // The range starts at B3: letters and labels count from there; row 5
    // holds only a styled empty cell and is dropped.
    const QString rows =
        Row(3, Inline("B3", "コード") + Inline("C3", "値") + Inline("D3", "日付")) +
        Row(4, Inline("B4", "A1") + Number("C4", "0.5", 1) + Number("D4", "45351", 2)) +
        Row(5, QStringLiteral("<c r=\"B5\" s=\"2\"/>")) +
        Row(6, Inline("B6", "A2") + Number("C6", "0.5", 3) + Number("D6", "1.23456")) +
        Row(7, QStringLiteral("<c r=\"B7\" t=\"b\"><v>1</v></c><c r=\"C7\" t=\"b\"><v>0</v></c>"
                              "<c r=\"D7\" t=\"e\"><v>#N/A</v></c>")) +
        Row(8, Number("B8", "1.25") + Number("C8", "1234") + Number("D8", "1E+20")) +
        Row(9, Number("B9", "-0") + Number("C9", "123456789012345678") + Number("D9", "0.30000000000000004"));
    int result = -1;
    const CImportRows read = Read(Save(OneSheet(rows)), &result);
    EXPECT_EQ(result, 1);
    const CImportRows expected = {
        {"", "A", "B", "C"},
        {"1", U("コード"), U("値"), U("日付")},
        {"2", "A1", "1899/12/30", "2024/02/29"}, // a time reads as its day
        {"4", "A2", "0.5", "1.235"},
        {"5", "1", "0", ""},
        {"6", "1.25", "1234", "1E+20"},
        // 15 digits, and three decimals once the text has more than two
        // characters after its point, exponent or not.
        {"7", "0", "123456789012345680.000", "0.3"},
    };
    EXPECT_EQ(read, expected);
    EXPECT_TRUE(m_ui.Prompt().Texts().isEmpty());

    XlsxZip::Book book1904 = OneSheet(Row(1, Number("A1", "43889", 2) + Inline("B1", "x")));
    book1904.date1904 = true;
    EXPECT_EQ(Read(Save(book1904, QStringLiteral("1904.xlsx"))),
              CImportRows({{"", "A", "B"}, {"1", "2024/02/29", "x"}}));
}

TEST_F(ExcelAppTest, SingleCellsAndEmptySheets)
{
    const struct {
        const char* name;
        QString rows;
        int result;
        CImportRows read;
    } cases[] = {
        {"one text", Row(5, Inline("C5", "だけ")), 1, {{"", "A"}, {"1", U("だけ")}}},
        {"one number", Row(1, Number("A1", "3")), 0, {{"", "A"}}},
        {"one styled empty cell", Row(2, QStringLiteral("<c r=\"B2\" s=\"1\"/>")), 0, {{"", "A"}}},
        {"nothing", QString(), 0, {{"", "A"}}},
    };
    for (const auto& c : cases) {
        int result = -1;
        EXPECT_EQ(
            Read(Save(OneSheet(c.rows), QString::fromLatin1(c.name) + QStringLiteral(".xlsx")), &result),
            c.read)
            << c.name;
        EXPECT_EQ(result, c.result) << c.name;
    }
}

TEST_F(ExcelAppTest, SheetChoiceOffersWorksheetsAndTheImportLeavesOutConvertSheet)
{
    XlsxZip::Book book;
    book.sheets << qMakePair(U("変換"), XlsxZip::Sheet(Row(1, Inline("A1", "conv")), U("ConvertSheet")))
                << qMakePair(U("グラフ"),
                             XlsxZip::Xml(U("<chartsheet xmlns=\"http://schemas.openxmlformats.org/"
                                            "spreadsheetml/2006/main\"/>")))
                << qMakePair(U("Sheet3"), XlsxZip::Sheet(Row(1, Inline("A1", "three"))));
    const QString path = Save(book);
    {
        CExcelApp app;
        app.SetPath(path);
        m_dialogs.QueueSheetChoice(1);
        EXPECT_EQ(app.SelectSheet(), 1);
        EXPECT_EQ(app.GetSheetIndex(), 2);
    }
    {
        CExcelApp app;
        app.SetPath(path);
        EXPECT_EQ(app.SelectImportSheet(), 0);
        CImportRows rows;
        EXPECT_EQ(app.ReadSheet(&rows), 1);
        EXPECT_EQ(rows.value(1), QStringList({"1", "three"}));
    }
    {
        CExcelApp app;
        app.SetPath(path);
        m_dialogs.QueueSheetCancel();
        CImportRows rows;
        EXPECT_EQ(app.ReadSheet(&rows), 0);
        EXPECT_TRUE(rows.isEmpty());
        EXPECT_EQ(app.GetSheetIndex(), -1);
    }
    EXPECT_EQ(m_dialogs.Log(),
              QStringList({U("SheetSelect 変換|Sheet3 -> IDOK"), U("SheetSelect Sheet3 -> IDOK"),
                           U("SheetSelect 変換|Sheet3 -> IDCANCEL")}));
}

TEST_F(ExcelAppTest, ColumnsPast256AreCutInEveryRowAndTallSheetsReadSparsely)
{
    QString first, second;
    for (int c = 1; c <= 300; ++c)
        first += QStringLiteral("<c r=\"%1\"><v>%2</v></c>").arg(CExcelApp::CellName(c, 1)).arg(c);
    second = Inline("A2", "left") + Inline("KN2", "beyond");
    const QString rows = Row(1, first) + Row(2, second) + Row(3, Inline("IW3", "only beyond"));
    const CImportRows read = Read(Save(OneSheet(rows), QStringLiteral("wide.xlsx")));
    EXPECT_EQ(m_ui.Prompt().Texts(),
              QStringList{U("読み込み列が256列目を超えています。\n256列目までを読み込みます。")});
    ASSERT_EQ(read.size(), 3);
    for (const QStringList& row : read)
        EXPECT_EQ(row.size(), 257);
    EXPECT_EQ(read.at(0).at(256), QStringLiteral("IV"));
    EXPECT_EQ(read.at(1).at(256), QStringLiteral("256"));
    EXPECT_EQ(read.at(2).at(1), QStringLiteral("left"));

    // Formatted down to row 1 048 576 with three cells.
    const QString tall = Row(1, Inline("A1", "a")) + Row(2, Number("B2", "2")) +
                         Row(1048576, QStringLiteral("<c r=\"C1048576\" s=\"1\"/>"));
    EXPECT_EQ(Read(Save(OneSheet(tall), QStringLiteral("tall.xlsx"))),
              CImportRows({{"", "A", "B", "C"}, {"1", "a", "", ""}, {"2", "", "2", ""}}));
}

TEST_F(ExcelAppTest, MissingDamagedAndForeignFilesGiveTheirMessages)
{
    const QString missing = m_dir.filePath(QStringLiteral("none.xlsx"));
    const QString text = m_dir.filePath(QStringLiteral("list.xls"));
    QFile out(text);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(Cp932::Encode(U("商品コード,商品名\r\n")));
    out.close();
    const QString cut = m_dir.filePath(QStringLiteral("cut.xlsx"));
    const QByteArray whole = FileBytes(Save(OneSheet(Row(1, Inline("A1", "a")))));
    QFile cutFile(cut);
    ASSERT_TRUE(cutFile.open(QIODevice::WriteOnly));
    cutFile.write(whole.left(whole.size() - 40));
    cutFile.close();

    const QString damaged =
        U("%1を開けませんでした。\nExcelのブック（.xlsx/.xls）ではないか、壊れています。");
    const struct {
        QString path;
        QString message;
    } cases[] = {
        {missing, U("%1が見つかりませんでした。処理を中断します").arg(missing)},
        {text, damaged.arg(QStringLiteral("list.xls"))},
        {cut, damaged.arg(QStringLiteral("cut.xlsx"))},
    };
    for (const auto& c : cases) {
        m_ui.Prompt().Clear();
        int result = -1;
        EXPECT_TRUE(Read(c.path, &result).isEmpty());
        EXPECT_EQ(result, 0);
        EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{c.message});
    }
    EXPECT_TRUE(m_dialogs.Log().isEmpty()) << "no sheet is offered from a file that did not open";
}

TEST_F(ExcelAppTest, SiblingBooksByVersionWithTheirFixedColumns)
{
    CEnvHome home;
    const QString folder = m_dir.filePath(QStringLiteral("brenlo"));
    auto registry = [&](const QString& text) {
        QFile ini(CRegistryIni::FilePath());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(text.toUtf8());
    };
    // Four heading rows, then a full row, an empty one and a short one.
    QString full;
    for (int c = 1; c <= 17; ++c)
        full += QStringLiteral("<c r=\"%1\" t=\"inlineStr\"><is><t>v%2</t></is></c>")
                    .arg(CExcelApp::CellName(c, 5))
                    .arg(c);
    XlsxZip::Book book = OneSheet(Row(1, Inline("A1", "得意先台帳")) + Row(5, full) +
                                  Row(7, Inline("B7", "short") + Number("C7", "45351", 2)));
    book.sheets.prepend(qMakePair(U("作業"), XlsxZip::Sheet(Row(1, Inline("A1", "x")), U("ConvertSheet"))));
    Save(book, QStringLiteral("brenlo/Excel/Kokyaku.xls"));
    Save(book, QStringLiteral("brenlo/Excel/Shohin.xls"));

    QStringList v16;
    for (int c = 1; c <= 16; ++c)
        v16 << QStringLiteral("v%1").arg(c);
    const QStringList short16 = QStringList({"", "short", "2024/02/29"}) + QStringList(13);
    const CImportRows customers = {v16, QStringList(16), short16};
    const CImportRows products = {v16.mid(0, 5), QStringList(5), short16.mid(0, 5)};

    const QString brenloMissing =
        U("『ブレンロ３』または『ブレンロ４』が見つかりません。\n"
          "この機能は『ブレンロ３』または『ブレンロ４』がインストールしてある場合のみ有効です。\n");
    const QString cadmirMissing = U("『カドミア３』が見つかりません。\n"
                                    "この機能は『カドミア３』がインストールしてある場合のみ有効です。\n");
    const struct {
        const char* name;
        QString ini;
        int book;
        QList<int> answers;
        int result;
        QString firstMessage;
        CImportRows rows;
    } cases[] = {
        {"no key", {}, 0, {}, 0, brenloMissing, {}},
        {"too old",
         U("[SOFTWARE\\Pellam\\Fennimor\\Brenlo]\nInstalledDir=%1\nVer=609\n"),
         0,
         {},
         0,
         brenloMissing,
         {}},
        {"customers",
         U("[software\\pellam\\FENNIMOR\\brenlo]\ninstalleddir=%1\nVER=610\n"),
         0,
         {},
         1,
         {},
         customers},
        {"products",
         U("[SOFTWARE/Pellam/Fennimor/Brenlo]\nInstalledDir=\"%1\"\nVer=799\n"),
         1,
         {},
         1,
         {},
         products},
        {"newer, declined",
         U("[SOFTWARE\\Pellam\\Fennimor\\Brenlo]\nInstalledDir=%1\nVer=800\n"),
         0,
         {IDNO},
         0,
         U("『ブレンロ４』より新しいバージョンがインストールされています。"),
         {}},
        {"newer, accepted",
         U("[SOFTWARE\\Pellam\\Fennimor\\Brenlo]\nInstalledDir=%1\nVer=900\n"),
         1,
         {IDYES},
         1,
         U("『ブレンロ４』より新しいバージョンがインストールされています。"),
         products},
        {"cadmir missing",
         U("[SOFTWARE\\Pellam\\Fennimor\\Brenlo]\nInstalledDir=%1\nVer=650\n"),
         2,
         {},
         0,
         cadmirMissing,
         {}},
        {"cadmir newer",
         U("[SOFTWARE\\Pellam\\Fennimor\\Cadmir]\nInstalledDir=%1\nVer=700\n"),
         2,
         {IDYES},
         1,
         U("『カドミア３』より新しいバージョンがインストールされています。"),
         customers},
    };
    for (const auto& c : cases) {
        registry(c.ini.contains(QLatin1String("%1")) ? c.ini.arg(folder) : c.ini);
        m_ui.Prompt().Clear();
        m_ui.Prompt().QueueAnswers(c.answers);
        CExcelApp app;
        CImportRows rows;
        EXPECT_EQ(app.ReadSiblingBook(c.book, &rows), c.result) << c.name;
        EXPECT_EQ(rows, c.rows) << c.name;
        const QStringList texts = m_ui.Prompt().Texts();
        EXPECT_EQ(texts.isEmpty(), c.firstMessage.isEmpty()) << c.name;
        if (!texts.isEmpty()) {
            EXPECT_TRUE(texts.front().startsWith(c.firstMessage)) << c.name;
            if (!c.answers.isEmpty()) {
                EXPECT_EQ(m_ui.Prompt().Calls().front().defaultButton, IDNO) << c.name;
            }
        }
    }
    // The import sheet choice leaves the ConvertSheet out.
    EXPECT_TRUE(m_dialogs.Log().contains(U("SheetSelect 一覧 -> IDOK")));
    EXPECT_FALSE(m_dialogs.Log().join(u'\n').contains(U("作業")));
}

// The import holds a sheet as a table, each row that holds a cell as wide
// as the range (its label too), every row of a sibling book below the
// headings: a table beyond the cells a sheet may bring is refused as too
// large before it is made, however few cells stand in it.
TEST_F(ExcelAppTest, TablesBeyondTheCellCapAreRefusedAsTooLarge)
{
    CEnvHome home;
    QFile ini(CRegistryIni::FilePath());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(U("[SOFTWARE\\Pellam\\Fennimor\\Brenlo]\nInstalledDir=%1\nVer=700\n")
                  .arg(m_dir.filePath(QStringLiteral("brenlo")))
                  .toUtf8());
    ini.close();
    // Column A from row 1 down to `rows`, and one cell at `far` in row 1.
    auto column = [](int rows, const char* far) {
        QString sheet = Row(1, Inline("A1", "r1") + Inline(far, "far"));
        for (int r = 2; r <= rows; ++r)
            sheet += Row(r, QStringLiteral("<c r=\"A%1\"><v>%1</v></c>").arg(r));
        return sheet;
    };
    CWorkbookLimits limits;
    limits.maxCells = 100;
    const QString tooLarge = U("1シートに読み込めるのは100セル（行数×列数）までです。このシートは%1です。");
    const struct {
        const char* what;
        QString sheet;
        bool sibling;
        int rows;          // read: the rows handed over; 0 refused
        const char* table; // refused: the rows and columns said
    } cases[] = {
        {"10 rows of 9 columns and their labels", column(10, "I1"), false, 11, ""},
        {"11 rows of 9 columns and their labels", column(11, "I1"), false, 0, "11行×10列"},
        {"10 rows of 10 columns and their labels", column(10, "J1"), false, 0, "10行×11列"},
        {"6 sibling rows of 16 cells below the headings", column(10, "B1"), true, 6, ""},
        {"7 sibling rows of 16 cells below the headings", column(11, "B1"), true, 0, "7行×16列"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_ui.Prompt().Clear();
        Save(OneSheet(c.sheet),
             c.sibling ? QStringLiteral("brenlo/Excel/Kokyaku.xls") : QStringLiteral("book.xlsx"));
        CExcelApp app;
        app.SetLimits(limits);
        app.SetPath(m_dir.filePath(QStringLiteral("book.xlsx")));
        CImportRows rows;
        const int result = c.sibling ? app.ReadSiblingBook(0, &rows) : app.ReadSheet(&rows);
        EXPECT_EQ(result, c.rows ? 1 : 0);
        EXPECT_EQ(rows.size(), c.rows);
        EXPECT_EQ(m_ui.Prompt().Texts(), c.rows ? QStringList() : QStringList{tooLarge.arg(U(c.table))});
    }
}

// A sheet is refused as soon as the cells read make a table past the bound,
// saying it and the table's rows and columns (the row numbers' included):
// of the range the sheet declares when that holds what was read, else of
// what was read. A declared range alone refuses nothing. A sheet whose
// texts pass the characters says that bound.
TEST_F(ExcelAppTest, EachBoundSaysItsLimitAndTheSheetsFigures)
{
    CWorkbookLimits limits;
    limits.maxCells = 15000;
    limits.maxTextChars = 5000;
    // A sheet of 2 001 rows and `columns` columns written by libxlsxwriter;
    // with `memo`, 100 rows of a text of 51 characters of its own in the
    // first column.
    auto written = [this](int columns, bool memo = false) {
        const QString path = m_dir.filePath(QStringLiteral("written.xlsx"));
        lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
        lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
        for (lxw_row_t r = 0; r < (memo ? 100 : 2001); ++r)
            for (lxw_col_t col = 0; col < lxw_col_t(columns); ++col) {
                if (memo && col == 0)
                    worksheet_write_string(
                        sheet, r, col, QStringLiteral("%1").arg(r, 51, 10, QChar(u'm')).toUtf8().constData(),
                        nullptr);
                else
                    worksheet_write_number(sheet, r, col, r + col, nullptr);
            }
        EXPECT_EQ(workbook_close(book), LXW_NO_ERROR);
        return path;
    };
    // `data` rows of 7 columns, borders drawn on down to row 3 000: the
    // sheet declares A1:G3000, a table of 24 000 cells.
    auto bordered = [this](lxw_row_t data) {
        const QString path = m_dir.filePath(QStringLiteral("bordered.xlsx"));
        lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
        lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
        lxw_format* border = workbook_add_format(book);
        format_set_border(border, LXW_BORDER_THIN);
        for (lxw_row_t r = 0; r < 3000; ++r)
            for (lxw_col_t col = 0; col < 7; ++col)
                r < data ? worksheet_write_number(sheet, r, col, r + col, border)
                         : worksheet_write_blank(sheet, r, col, border);
        EXPECT_EQ(workbook_close(book), LXW_NO_ERROR);
        return path;
    };
    // An .xls sheet declaring `declares` rows of 7 columns, holding 1 900,
    // then a cell cut short that a reading past the bound would meet.
    auto held = [this](quint32 declares) {
        using namespace XlsBytes;
        QByteArray records = Record(0x0200, U32(0) + U32(declares) + U16(0) + U16(7) + U16(0));
        for (quint16 r = 0; r < 1900; ++r)
            for (quint16 col = 0; col < 7; ++col)
                records += Record(0x0203, Cell(r, col, 0) + F64(r + col));
        records += Record(0x0203, Cell(1900, 0, 0));
        const QString path = m_dir.filePath(QStringLiteral("held.xls"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Compound({{U("Workbook"), Stream(8, {}, {{Unicode(U("S"), true), records}})}}));
        return path;
    };
    // An .xls sheet that declares 2 001 rows of 7 columns and holds two cells.
    auto declared = [this] {
        using namespace XlsBytes;
        const QByteArray records = Record(0x0200, U32(0) + U32(2001) + U16(0) + U16(7) + U16(0)) +
                                   Record(0x0203, Cell(0, 0, 0) + F64(1)) +
                                   Record(0x0203, Cell(2000, 6, 0) + F64(2));
        const QString path = m_dir.filePath(QStringLiteral("declared.xls"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Compound({{U("Workbook"), Stream(8, {}, {{Unicode(U("S"), true), records}})}}));
        return path;
    };
    const struct {
        const char* what;
        std::function<QString()> book;
        const char* says; // null: read, `rows` with the header
        qsizetype rows = 2002;
    } cases[] = {
        {"2 001 rows of 5 columns", [&] { return written(5); }, nullptr},
        {"2 001 rows of 7 columns", [&] { return written(7); },
         "1シートに読み込めるのは15,000セル（行数×列数）までです。このシートは2,001行×8列です。"},
        {"an .xls sheet declaring 2 001 rows of 7 columns, holding two", declared, nullptr, 3},
        {"an .xlsx sheet declaring A1:G3000, 5 rows with data", [&] { return bordered(5); }, nullptr, 6},
        {"an .xlsx sheet declaring A1:G3000, 2 001 rows with data", [&] { return bordered(2001); },
         "1シートに読み込めるのは15,000セル（行数×列数）までです。このシートは3,000行×8列です。"},
        {"an .xls sheet past the bound within the range it declares", [&] { return held(3000); },
         "1シートに読み込めるのは15,000セル（行数×列数）までです。このシートは3,000行×8列です。"},
        {"an .xls sheet past the bound beyond the range it declares", [&] { return held(10); },
         "1シートに読み込めるのは15,000セル（行数×列数）までです。このシートは1,876行×8列です。"},
        {"100 rows of 51 characters", [&] { return written(2, true); },
         "1シートに読み込める文字は5,000文字までです。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_ui.Prompt().Clear();
        CExcelApp app;
        app.SetLimits(limits);
        app.SetPath(c.book());
        CImportRows rows;
        EXPECT_EQ(app.ReadSheet(&rows), c.says ? 0 : 1);
        EXPECT_EQ(rows.size(), c.says ? 0 : c.rows);
        EXPECT_EQ(m_ui.Prompt().Texts(), c.says ? QStringList{U(c.says)} : QStringList());
    }
}

TEST_F(ExcelAppTest, WrittenWorkbooksReadBackAsTheyWereHandedOver)
{
    const QString typed = m_dir.filePath(QStringLiteral("out.xls"));
    const CImportRows rows = {
        {U("コード"), U("日付"), U("金額"), U("備考")},
        {"007", "2024/02/29", "1,234", U("一行目\r\n二行目")},
        {"0012", "", "12.5", "\r"},
        {"9"},
    };
    {
        CExcelApp app;
        app.SetPath(typed);
        app.m_columnTypes = {0, 1, 2, 0};
        EXPECT_EQ(app.WriteBook(&rows), 1);
    }
    EXPECT_FALSE(QFile::exists(typed));
    const QString written = typed + u'x';
    ASSERT_TRUE(QFile::exists(written)) << "a typed .xls is written as .xlsx";
    EXPECT_EQ(Read(written), CImportRows({{"", "A", "B", "C", "D"},
                                          {"1", U("コード"), U("日付"), U("金額"), U("備考")},
                                          {"2", "007", "2024/02/29", "1234", U("一行目\n二行目")},
                                          {"3", "0012", "", "12.5", ""},
                                          {"4", "9", "", "", ""}}));
    EXPECT_TRUE(m_ui.Prompt().Texts().isEmpty());

    // The row limit, with the limit lowered: the caption and two records.
    {
        CExcelApp app;
        app.SetMaxRows(3);
        app.SetPath(m_dir.filePath(QStringLiteral("limit.xlsx")));
        EXPECT_EQ(app.WriteBook(&rows), 1);
    }
    ASSERT_EQ(m_ui.Prompt().Calls().size(), 1);
    EXPECT_EQ(m_ui.Prompt().Calls().front().text,
              U("一度に書き出せるのは2件までです。\n2件目までのデータを書き出します。"));
    EXPECT_EQ(m_ui.Prompt().Calls().front().icon, MB_ICONINFORMATION);
    EXPECT_EQ(Read(m_dir.filePath(QStringLiteral("limit.xlsx"))).size(), 4);

    // Nothing to write: no rows, no caption row, an empty caption row.
    const CImportRows empty, emptyCaption{{}, {"a"}};
    for (const CImportRows* nothing : {static_cast<const CImportRows*>(nullptr), &empty, &emptyCaption}) {
        CExcelApp app;
        app.SetPath(m_dir.filePath(QStringLiteral("nothing.xlsx")));
        EXPECT_EQ(app.WriteBook(nothing), 0);
    }
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("nothing.xlsx"))));
}

TEST_F(ExcelAppTest, AFailedSaveKeepsTheOldWorkbook)
{
    const QString path = m_dir.filePath(QStringLiteral("keep.xlsx"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the previous export");
    old.close();
    const CImportRows rows = {{U("備考")}, {QString(40000, u'x')}};
    CExcelApp app;
    app.SetPath(path);
    EXPECT_EQ(app.WriteBook(&rows), 0);
    EXPECT_EQ(FileBytes(path), QByteArray("the previous export"));
    EXPECT_EQ(m_ui.Prompt().Texts(), QStringList{U("ファイル操作中にエラーが発生しました。")});
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("keep.xlsx")});
}

TEST_F(ExcelAppTest, AWorkbookWithoutAPathIsShownWhenFinished)
{
    CEnvHome home;
    QList<QUrl> opened;
    const UrlOpener old = SetUrlOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    QString shown;
    const CImportRows rows = {{U("見出し")}, {U("値")}};
    {
        CExcelApp app;
        EXPECT_EQ(app.WriteBook(&rows), 1);
        shown = app.GetShownPath();
        EXPECT_EQ(app.m_nCloseOnFinish, 0);
        EXPECT_TRUE(opened.isEmpty());
    }
    SetUrlOpener(old);
    EXPECT_TRUE(shown.startsWith(home.Path() + QStringLiteral("/Temp/")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral(".xlsx")));
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(shown)});
    EXPECT_EQ(Read(shown).value(2), QStringList({"2", U("値")}));
}

TEST(ExcelNames, ColumnsAndCells)
{
    const struct {
        int column;
        const char* name;
    } names[] = {{1, "A"},    {26, "Z"},   {27, "AA"},   {52, "AZ"},
                 {256, "IV"}, {702, "ZZ"}, {703, "AAA"}, {0, ""}};
    for (const auto& n : names)
        EXPECT_EQ(CExcelApp::ColumnName(n.column), QString::fromLatin1(n.name)) << n.column;
    EXPECT_EQ(CExcelApp::CellName(3, 5), QStringLiteral("C5"));
    EXPECT_EQ(CExcelApp::CellName(28, 1048576), QStringLiteral("AB1048576"));
}

// The same table read from a CP932 CSV, a UTF-8 CSV, an .xlsx of our writer
// and the .xls LibreOffice made of such an .xlsx.
TEST_F(ExcelAppTest, FourSourcesReadIntoTheSameRows)
{
    const QList<QStringList> table = FixtureRows();
    QString csv;
    for (const QStringList& row : table) {
        QStringList quoted;
        for (QString value : row)
            quoted << u'"' + value.replace(u'"', QLatin1String("\"\"")) + u'"';
        csv += quoted.join(u',') + QStringLiteral("\r\n");
    }
    auto write = [&](const char* name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    };
    CImportRows sjis, utf8, xlsx, xls;
    const int all = std::numeric_limits<int>::max();
    EXPECT_GT(CCsvReader(write("sjis.csv", Cp932::Encode(csv)), u',', 0).ReadHead(&sjis, all, nullptr), 0);
    EXPECT_GT(CCsvReader(write("utf8.csv", csv.toUtf8()), u',', 0).ReadHead(&utf8, all, nullptr), 0);
    {
        CExcelApp app;
        app.SetPath(m_dir.filePath(QStringLiteral("same.xlsx")));
        app.m_columnTypes = FixtureColumnTypes();
        ASSERT_EQ(app.WriteBook(&table), 1);
    }
    xlsx = Read(m_dir.filePath(QStringLiteral("same.xlsx")));
    xls = Read(QStringLiteral(CORVANTA_FIXTURES "/office/same-rows.xls"));

    CImportRows expected;
    for (int i = 0; i < table.size(); ++i)
        expected << QStringList{QString::number(i + 1)} + table.at(i);
    for (const CImportRows* rows : {&sjis, &utf8, &xlsx, &xls}) {
        ASSERT_EQ(rows->size(), table.size() + 1);
        EXPECT_EQ(rows->front().size(), 7);
        EXPECT_EQ(rows->mid(1), expected);
    }
    EXPECT_TRUE(m_ui.Prompt().Texts().isEmpty());
}

TEST_F(ExcelAppTest, FormulaResultsOfRealXlsBooksComeInAsExcelGivesThem)
{
    // A formula's stored result reads like a constant of its type: a
    // Boolean as "1" or "0", an error as nothing.
    const QString cyrillic = U("МОСКВА Москва");
    const struct {
        const char* file;
        CImportRows rows; // after the header
    } books[] = {
        {"xls_formula.xls", {{"1", "10"}, {"2", "20"}, {"3", "110"}, {"4", "65"}}},
        {"empty-string.xls", {{"1", "", "0"}}},
        {"formula_test_sjmachin.xls",
         {{"1", "Description", "Data"},
          {"2", "Non-latin1 text", cyrillic},
          {"3", "formula number", "0.143"},
          {"4", "formula text", "ABCDEF"},
          {"5", "formula zero-length text", ""},
          {"6", "formula boolean", "1"},
          {"7", "formula error", ""},
          {"8", "formula non-latin1 text", cyrillic}}},
    };
    for (const auto& book : books) {
        SCOPED_TRACE(book.file);
        int result = 0;
        const CImportRows rows =
            Read(QStringLiteral(CORVANTA_FIXTURES "/real/xls/") + QLatin1String(book.file), &result);
        EXPECT_EQ(result, 1);
        ASSERT_FALSE(rows.isEmpty());
        EXPECT_EQ(rows.mid(1), book.rows);
    }
    EXPECT_TRUE(m_ui.Prompt().Texts().isEmpty());
}

} // namespace
