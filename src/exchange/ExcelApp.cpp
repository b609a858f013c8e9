#include "exchange/ExcelApp.h"

#include "exchange/ExchangeDialogs.h"
#include "exchange/ExchangeText.h"
#include "platform/env/ArdoEnv.h"
#include "platform/env/RegistryIni.h"
#include "platform/ipc/ProcessLauncher.h"
#include "platform/office/XlsxWriter.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WaitIndicator.h"
#include "platform/work/LongWork.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace
{

constexpr int kMaxReadColumn = 256;

struct CSiblingBook {
    const char* key;
    const char* file;
    int columns;
    int newerFrom;
    const char* missing;
    const char* newer;
};

const char kBrenloMissing[] =
    "『ブレンロ３』または『ブレンロ４』が見つかりません。\n"
    "この機能は『ブレンロ３』または『ブレンロ４』がインストールしてある場合のみ有効です。\n";
const char kBrenloNewer[] =
    "『ブレンロ４』より新しいバージョンがインストールされています。\n"
    "データが正しく取り込めないかもしれませんが、処理を続けますか？\n\n"
    "※『ブレンロ４』の得意先Excelブックと列構成が変更されていない場合は正常に取り込めます。\n"
    "データ構成についてはブレンロのマニュアルなどでご確認ください。";
const char kCadmirMissing[] = "『カドミア３』が見つかりません。\n"
                              "この機能は『カドミア３』がインストールしてある場合のみ有効です。\n";
const char kCadmirNewer[] =
    "『カドミア３』より新しいバージョンがインストールされています。\n"
    "データが正しく取り込めないかもしれませんが、処理を続けますか？\n\n"
    "※『カドミア３』の得意先Excelブックと列構成が変更されていない場合は正常に取り込めます。\n"
    "データ構成についてはカドミアのマニュアルなどでご確認ください。";

const CSiblingBook kSiblingBooks[] = {
    {"SOFTWARE\\Pellam\\Fennimor\\Brenlo", "Kokyaku.xls", 16, 800, kBrenloMissing, kBrenloNewer},
    {"SOFTWARE\\Pellam\\Fennimor\\Brenlo", "Shohin.xls", 5, 800, kBrenloMissing, kBrenloNewer},
    {"SOFTWARE\\Pellam\\Fennimor\\Cadmir", "Kokyaku.xls", 16, 700, kCadmirMissing, kCadmirNewer},
};
constexpr int kSiblingMinVersion = 610;
constexpr int kSiblingSkippedRows = 4;

const char kFileError[] = "ファイル操作中にエラーが発生しました。";

// The used range as Excel counts it: an empty sheet's is its cell A1.
void UsedRangeOf(const CSheetData& sheet, quint32& firstRow, quint32& firstColumn, quint32& lastRow,
                 quint32& lastColumn)
{
    if (!sheet.UsedRange(firstRow, firstColumn, lastRow, lastColumn))
        firstRow = firstColumn = lastRow = lastColumn = 0;
}

// The 256-column message when the range reaches past column 256; the
// number of columns that stay within it.
int ColumnsWithin256(quint32 firstColumn, int columns)
{
    if (int(firstColumn) + columns > kMaxReadColumn) {
        ShowExchangeMessage(
            QStringLiteral("読み込み列が256列目を超えています。\n256列目までを読み込みます。"));
        return qMax(0, kMaxReadColumn - int(firstColumn));
    }
    return columns;
}

// The columns of the range that stay within the 256th, as
// ColumnsWithin256 gives them, without its message.
int ColumnsRead(quint32 firstColumn, int columns)
{
    return qMin(columns, qMax(0, kMaxReadColumn - int(firstColumn)));
}

// The rows are made as wide as the range, one for each sheet row that holds
// a cell: a wide range of few cells costs far more than its cells, so the
// table is bounded by the same count as the cells of a sheet.
qint64 RowsHoldingCells(const CSheetData& sheet)
{
    qint64 rows = 0;
    for (std::size_t at = 0; at < sheet.cells.size(); ++at)
        rows += at == 0 || sheet.cells[at].row != sheet.cells[at - 1].row;
    return rows;
}

// The rows and columns of the table a sheet's range makes: with
// `bookColumns`, a sibling ledger's rows below its headings, each of the
// book's width; else every row of the range, as wide as the range within
// the 256th column. The column of row numbers put in front is the import's
// own: the bound counts the cells the user sees.
std::pair<qint64, qint64> TableOf(const CSheetRange& range, int bookColumns)
{
    const qint64 rows = qint64(range.lastRow) - range.firstRow + 1;
    if (bookColumns > 0)
        return {qMax<qint64>(0, rows - kSiblingSkippedRows), bookColumns};
    return {rows, ColumnsRead(range.firstColumn, int(range.lastColumn - range.firstColumn + 1))};
}

// The table the cells read so far make, as the import counts it: a sibling
// ledger's rows span the range; a sheet read whole has a row for each row
// holding a cell with a value.
std::pair<qint64, qint64> TableRead(const CSheetProgress& read, int bookColumns)
{
    if (!read.any)
        return {0, 0};
    const std::pair<qint64, qint64> table = TableOf(read.met, bookColumns);
    return {bookColumns > 0 ? table.first : read.rowsHoldingValues, table.second};
}

// The rows and columns of a range as the user counts them in the sheet,
// every column past the 256th too; a sibling ledger's as its table.
std::pair<qint64, qint64> SizeOf(const CSheetRange& range, int bookColumns)
{
    if (bookColumns > 0)
        return TableOf(range, bookColumns);
    return {qint64(range.lastRow) - range.firstRow + 1, qint64(range.lastColumn) - range.firstColumn + 1};
}

bool Holds(const CSheetRange& outer, const CSheetRange& inner)
{
    return outer.firstRow <= inner.firstRow && outer.firstColumn <= inner.firstColumn &&
           outer.lastRow >= inner.lastRow && outer.lastColumn >= inner.lastColumn;
}

} // namespace

CExcelApp::~CExcelApp()
{
    Finish();
}

int CExcelApp::Start()
{
    m_bStarted = true;
    return 1;
}

int CExcelApp::OpenBook()
{
    if (!QFileInfo(m_strPath).isFile()) {
        ShowExchangeMessage(QStringLiteral("%1が見つかりませんでした。処理を中断します").arg(m_strPath));
        return 0;
    }
    if (!Start())
        return 0;
    CWaitCursor cursor;
    m_nSheet = -1;
    struct COpened {
        std::unique_ptr<CWorkbookReader> book;
        CWorkbookReader::Error error = CWorkbookReader::NoError;
    };
    auto ran = LongWork::Run([&] {
        CWaitProgress wait(0, kWaitReadingFile);
        COpened opened;
        opened.book = CWorkbookReader::Open(m_strPath, &opened.error, m_limits);
        return opened;
    });
    if (ran.stopped) {
        m_pBook.reset(); // stopped by the user: nothing to say
        return 0;
    }
    m_pBook = std::move(ran.value.book);
    if (!m_pBook) {
        ReportBookError(ran.value.error);
        return 0;
    }
    return 1;
}

void CExcelApp::ReportBookError(CWorkbookReader::Error error)
{
    const QString name = QFileInfo(m_strPath).fileName();
    switch (error) {
    case CWorkbookReader::CannotOpen: {
        QFile file(m_strPath);
        file.open(QIODevice::ReadOnly);
        ShowExchangeMessage(FileErrorMessage(file), MB_ICONEXCLAMATION);
        break;
    }
    case CWorkbookReader::TooLarge:
        ShowExchangeMessage(QStringLiteral("メモリ不足です。または、読み込みファイルが大きすぎます。"));
        break;
    case CWorkbookReader::Unsupported:
        ShowExchangeMessage(
            QStringLiteral(
                "%1はExcelのブックですが、この形式は読み込めません。\n"
                "（Excel 5.0/95より前の形式か、読み込めない方式で暗号化されたブックです。）\n"
                "Excelで開き、「Excel ブック（*.xlsx）」の形式で保存し直してから読み込んでください。")
                .arg(name));
        break;
    case CWorkbookReader::CodePage:
        ShowExchangeMessage(
            QStringLiteral(
                "%1はExcel 5.0/95のブックですが、その文字コードには対応していないため読み込めません。\n"
                "Excelで開き、「Excel ブック（*.xlsx）」の形式で保存し直してから読み込んでください。")
                .arg(name));
        break;
    case CWorkbookReader::Password:
        ShowExchangeMessage(
            QStringLiteral("%1はパスワードで保護されているため読み込めません。\n"
                           "Excelで開いてパスワードを解除し、保存し直してから読み込んでください。")
                .arg(name));
        break;
    case CWorkbookReader::FormulaResult:
        ShowExchangeMessage(QStringLiteral("%1のセル%2は、数式の結果が読み込めません。\n"
                                           "Excelで開いて再計算し、保存し直してから読み込んでください。")
                                .arg(name, m_pBook ? m_pBook->FailedCell() : QString()));
        break;
    case CWorkbookReader::CellText:
        ShowExchangeMessage(QStringLiteral("%1のセル%2は、文字列がブックに残っていないため読み込めません。\n"
                                           "Excelで開いて確かめ、保存し直してから読み込んでください。")
                                .arg(name, m_pBook ? m_pBook->FailedCell() : QString()));
        break;
    default:
        ShowExchangeMessage(
            QStringLiteral("%1を開けませんでした。\nExcelのブック（.xlsx/.xls）ではないか、壊れています。")
                .arg(name));
        break;
    }
}

int CExcelApp::NewBook()
{
    if (!Start())
        return 0;
    m_bNewBook = true;
    return 1;
}

int CExcelApp::SelectSheet()
{
    return ChooseSheet(false);
}

int CExcelApp::SelectImportSheet()
{
    return ChooseSheet(true);
}

int CExcelApp::ChooseSheet(bool import)
{
    if (!m_pBook && !OpenBook())
        return -1;
    // Chart and macro sheets hold no cells to read; they are not offered.
    const QList<CSheetInfo>& sheets = m_pBook->Sheets();
    CSheetSelectRules rules;
    for (const CSheetInfo& sheet : sheets) {
        if (sheet.isWorksheet && !(import && sheet.codeName == QLatin1String("ConvertSheet")))
            rules.m_names << sheet.name;
    }
    // A book without any worksheet has lost them: no empty choice.
    if (std::none_of(sheets.cbegin(), sheets.cend(),
                     [](const CSheetInfo& sheet) { return sheet.isWorksheet; })) {
        ReportBookError(CWorkbookReader::NotWorkbook);
        Finish();
        return -1;
    }
    if (ExchangeDialogs().RunSheetSelect(rules) != IDOK) {
        Finish();
        return -1;
    }
    // The sheet of the chosen name, as Sheets.Item finds it: exactly, else
    // ignoring letter case.
    int found = -1;
    for (int pass = 0; pass < 2 && found < 0; ++pass) {
        for (int i = 0; i < sheets.size() && found < 0; ++i) {
            if (sheets.at(i).isWorksheet &&
                sheets.at(i).name.compare(rules.m_strChosen,
                                          pass ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0)
                found = i;
        }
    }
    if (found < 0) {
        Finish();
        return -1;
    }
    m_nSheet = found;
    return rules.m_nSelected;
}

bool CExcelApp::LoadSheet(CSheetData& sheet, int bookColumns)
{
    // A sheet is refused as soon as the cells read make a table past the
    // bound, not after the rest is read. Its size is the range it declares
    // when that holds what was read: a range drawn far past the data
    // (borders, formats) refuses nothing by itself. Without one, or past
    // it, only what was read is known: the sheet has at least that.
    struct {
        qint64 rows = -1;
        qint64 columns = -1;
        bool atLeast = false;
    } past;
    m_pBook->SetReadCheck([&](const CSheetProgress& read) {
        const std::pair<qint64, qint64> table = TableRead(read, bookColumns);
        if (table.first * table.second <= m_limits.maxCells)
            return true;
        const bool known = read.declares && Holds(read.declared, read.met);
        std::tie(past.rows, past.columns) = SizeOf(known ? read.declared : read.met, bookColumns);
        past.atLeast = !known;
        return false;
    });
    struct CLoaded {
        bool loaded = false;
        CWorkbookReader::Error error = CWorkbookReader::NoError;
        CSheetData sheet;
    };
    auto ran = LongWork::Run([&] {
        CWaitProgress wait(0, kWaitReadingFile);
        CLoaded read;
        read.loaded = m_pBook->ReadSheet(m_nSheet, read.sheet, &read.error);
        return read;
    });
    m_pBook->SetReadCheck({});
    if (ran.stopped)
        return false; // stopped by the user: nothing to say
    if (ran.value.loaded) {
        sheet = std::move(ran.value.sheet);
        return true;
    }
    const CWorkbookReader::Error error = ran.value.error;
    const CWorkbookReader::Cap cap = m_pBook->FailedCap();
    if (error == CWorkbookReader::TooLarge && (past.rows >= 0 || cap == CWorkbookReader::Cap::Cells))
        ShowExchangeMessage(CellBoundText(m_limits.maxCells, past.rows, past.columns, past.atLeast));
    else if (error == CWorkbookReader::TooLarge && cap == CWorkbookReader::Cap::Characters)
        ShowExchangeMessage(TextBoundText(m_limits.maxTextChars));
    else
        ReportBookError(error);
    return false;
}

int CExcelApp::ReadSheet(CImportRows* rows)
{
    if (!rows)
        return 0;
    if (m_nSheet < 0 && SelectSheet() < 0)
        return 0;
    CWaitCursor cursor;
    // The sheet is read and made into rows beside the window's thread; a
    // read the user stopped hands over nothing.
    const qsizetype kept = rows->size();
    const auto ran = LongWork::Run([&] { return ReadChosenSheet(rows); });
    if (!ran.stopped)
        return ran.value;
    rows->resize(kept);
    return 0;
}

int CExcelApp::ReadChosenSheet(CImportRows* rows)
{
    CSheetData sheet;
    if (!LoadSheet(sheet, 0))
        return 0;
    quint32 firstRow, firstColumn, lastRow, lastColumn;
    UsedRangeOf(sheet, firstRow, firstColumn, lastRow, lastColumn);
    const qint64 tableRows = RowsHoldingCells(sheet);
    const qint64 tableColumns = ColumnsRead(firstColumn, int(lastColumn - firstColumn + 1));
    if (tableRows * tableColumns > m_limits.maxCells) {
        const std::pair<qint64, qint64> size = SizeOf({firstRow, firstColumn, lastRow, lastColumn}, 0);
        ShowExchangeMessage(CellBoundText(m_limits.maxCells, size.first, size.second));
        return 0;
    }
    // The cut applies to every row, as the message says.
    const int columns = ColumnsWithin256(firstColumn, int(lastColumn - firstColumn + 1));

    QStringList header{QString()};
    for (int i = 1; i <= columns; ++i)
        header << ColumnName(i);
    rows->append(header);

    if (firstRow == lastRow && firstColumn == lastColumn) {
        // A single cell's value is not an array: only a text reads.
        if (columns < 1 || sheet.cells.empty() || sheet.cells.front().kind != CSheetCell::Text)
            return 0;
        rows->append({QStringLiteral("1"), sheet.cells.front().text});
        return 1;
    }
    // Only rows that hold cells can hold a text: an empty row of the range
    // is not delivered anyway, so the range is walked by its stored cells.
    const std::vector<CSheetCell>& cells = sheet.cells;
    CWaitProgress wait(qint64(cells.size()), kWaitReadingFile);
    for (std::size_t at = 0; at < cells.size() && !LongWork::Stopped();) {
        wait.SetPos(qint64(at));
        const quint32 row = cells[at].row;
        QStringList values(columns + 1);
        values[0] = QString::number(row - firstRow + 1);
        bool any = false;
        for (; at < cells.size() && cells[at].row == row; ++at) {
            const int position = int(cells[at].column - firstColumn) + 1;
            if (position > columns)
                continue;
            values[position] = ElementText(cells[at], sheet);
            any = any || !values[position].isEmpty();
        }
        if (any)
            rows->append(std::move(values));
    }
    return 1;
}

int CExcelApp::ReadInstalledDir(QString& dir, int& version, const QString& key)
{
    dir.clear();
    version = 0;
    const CRegistryIni registry;
    if (!registry.HasKey(key))
        return 0;
    dir = registry.GetString(key, QStringLiteral("InstalledDir"));
    version = registry.GetInt(key, QStringLiteral("Ver"));
    return 1;
}

int CExcelApp::ReadSiblingBook(int book, CImportRows* rows)
{
    if (!rows || book < 0 || book > 2)
        return 0;
    const CSiblingBook& sibling = kSiblingBooks[book];
    QString dir;
    int version = 0;
    ReadInstalledDir(dir, version, QString::fromLatin1(sibling.key));
    if (version < kSiblingMinVersion) {
        ShowExchangeMessage(QString::fromUtf8(sibling.missing));
        return 0;
    }
    if (version >= sibling.newerFrom &&
        UiServices::Prompt().MessageBox(QString::fromUtf8(sibling.newer), MB_YESNO, MB_ICONQUESTION, IDNO) !=
            IDYES)
        return 0;
    m_strPath = dir + QStringLiteral("/Excel/") + QString::fromLatin1(sibling.file);
    if (m_nSheet < 0 && SelectImportSheet() < 0)
        return 0;

    CWaitCursor wait;
    CSheetData sheet;
    if (!LoadSheet(sheet, sibling.columns))
        return 0;
    quint32 firstRow, firstColumn, lastRow, lastColumn;
    UsedRangeOf(sheet, firstRow, firstColumn, lastRow, lastColumn);
    const int used = int(lastColumn - firstColumn + 1);
    // Every row below the headings, empty or not, each of the book's width.
    const std::pair<qint64, qint64> table =
        TableOf({firstRow, firstColumn, lastRow, lastColumn}, sibling.columns);
    if (table.first * table.second > m_limits.maxCells) {
        ShowExchangeMessage(CellBoundText(m_limits.maxCells, table.first, table.second));
        return 0;
    }
    ColumnsWithin256(firstColumn, used); // the message only: the books have fixed columns

    if (firstRow == lastRow && firstColumn == lastColumn) {
        if (sheet.cells.empty() || sheet.cells.front().kind != CSheetCell::Text)
            return 0;
        rows->append({sheet.cells.front().text});
        return 1;
    }
    // Every row below the four heading rows, empty or not, with exactly the
    // book's columns.
    const std::vector<CSheetCell>& cells = sheet.cells;
    std::size_t at = 0;
    for (quint32 row = firstRow + kSiblingSkippedRows; row <= lastRow; ++row) {
        QStringList values(sibling.columns);
        while (at < cells.size() && cells[at].row < row)
            ++at;
        for (; at < cells.size() && cells[at].row == row; ++at) {
            const quint32 position = cells[at].column - firstColumn;
            if (position < quint32(sibling.columns))
                values[int(position)] = ElementText(cells[at], sheet);
        }
        rows->append(std::move(values));
    }
    return 1;
}

int CExcelApp::WriteBook(const CImportRows* rows)
{
    if (!rows || !NewBook())
        return 0;
    if (rows->isEmpty() || rows->first().isEmpty())
        return 0;
    const int columns = int(rows->first().size());
    qsizetype count = rows->size();
    if (count > m_nMaxRows) {
        const int records = m_nMaxRows - 1;
        ShowExchangeMessage(
            QStringLiteral("一度に書き出せるのは%1件までです。\n%2件目までのデータを書き出します。")
                .arg(records)
                .arg(records),
            MB_ICONINFORMATION);
        count = m_nMaxRows;
    }
    CWaitCursor cursor;
    CWaitProgress wait(0, kWaitExporting);
    // Cells take a line break as LF alone: every CR goes.
    QList<QStringList> texts = rows->mid(0, count);
    for (QStringList& row : texts) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (row.at(i).contains(u'\r'))
                row[i].remove(u'\r');
        }
    }

    QString target = m_strPath;
    if (target.isEmpty()) {
        // Left open for the user: saved under the data root, shown once
        // finished.
        const QString folder = CArdoEnv().GetDataPath(QStringLiteral("Temp"));
        QTemporaryFile reserve(folder + QStringLiteral("/Book-XXXXXX.xlsx"));
        reserve.setAutoRemove(false);
        if (!QDir().mkpath(folder) || !reserve.open()) {
            wait.End();
            ShowExchangeMessage(QString::fromUtf8(kFileError), MB_ICONEXCLAMATION);
            return 0;
        }
        target = reserve.fileName();
    } else if (target.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive)) {
        target += u'x'; // the workbook is an .xlsx whatever was typed
    }
    QString reason;
    const bool written = CXlsxWriter::Write(target, texts, columns, m_columnTypes, &reason);
    wait.End();
    if (!written) {
        if (m_strPath.isEmpty())
            QFile::remove(target);
        ShowExchangeMessage(QString::fromUtf8(kFileError), MB_ICONEXCLAMATION);
        return 0;
    }
    if (m_strPath.isEmpty()) {
        m_nCloseOnFinish = 0;
        m_strShown = target;
    }
    return 1;
}

int CExcelApp::Finish()
{
    m_pBook.reset();
    m_nSheet = -1;
    m_bNewBook = false;
    if (m_bStarted && m_nCloseOnFinish == 0 && !m_strShown.isEmpty()) {
        QString message;
        OpenUrl(QUrl::fromLocalFile(m_strShown).toString(), &message);
        if (!message.isEmpty())
            ShowExchangeMessage(message);
    }
    m_bStarted = false;
    return 1;
}

QString CExcelApp::ColumnName(int column)
{
    QString name;
    for (int n = column; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

QString CExcelApp::CellName(int column, int row)
{
    return ColumnName(column) + QString::number(row);
}

QString CExcelApp::NumberText(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15).toUpper();
    const qsizetype point = text.indexOf(u'.');
    if (point >= 0 && text.size() - point - 1 > 2)
        text = QString::asprintf("%.3f", value);
    return text;
}

QString CExcelApp::ElementText(const CSheetCell& cell, const CSheetData& sheet)
{
    switch (cell.kind) {
    case CSheetCell::Text:
        return cell.text;
    case CSheetCell::Boolean:
        return cell.number != 0 ? QStringLiteral("1") : QStringLiteral("0");
    case CSheetCell::Number:
        if (sheet.FormatOf(cell).isDate) {
            const QDate date = ExcelSerialToDate(cell.number, sheet.date1904);
            return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString();
        }
        return NumberText(cell.number);
    default:
        return {};
    }
}
