// Hostile workbooks of a few hundred kilobytes whose counts would buy
// gigabytes or minutes from a reader that trusted them: 25 million empty
// cell formats, 25 million empty shared strings, 4 million sheet names,
// 4 518 FILEPASS records, a tag of 100 000 attributes, 8 million cells 256 wide, and a million rows of
// one cell whose range is 256 wide, 65 530 cell formats naming one number
// format of 60 000 characters (.xlsx and .xls), shared and inline strings
// of 120 MB each, six parts of 120 MB of empty elements each (every part
// within its cap, the book past its own), 4 096 sheets each opening with a
// megabyte of white space, 4 096 directory entries on one packed part,
// thousands of namespace declarations before millions of elements, a part
// in EBCDIC, a sheet of comments (which libxml2's reader keeps to the end),
// a sheet of tags of 1 000 attributes (checked pair by pair), a document
// type whose internal subset hides the root's start tag of 150 000
// attributes (UTF-8 and UTF-16) or declares 450 000 entities, an .xls whose
// shared string crosses 1.7 million empty CONTINUE records; each is
// refused, or read at once. And the largest table the import admits, read
// whole into its rows. Each run's time and peak resident memory are
// bounded. Apart, the tag watch's share of reading a customer book of
// 99 000 rows by 14 columns, measured in this process.

#include "BenchMain.h"

#include "exchange/ExcelApp.h"
#include "exchange/ExchangeDialogs.h"
#include "exchange/ExchangeText.h"
#include "platform/office/XlsCrypt.h"
#include "platform/office/XmlTagWatch.h"
#include "platform/ui/FakeUi.h"
#include "support/Iconv.h"
#include "support/XlsBytes.h"
#include "support/XlsxZip.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

namespace
{

constexpr double kBoundSeconds = 1;
constexpr double kAdmittedBoundSeconds = 5;
constexpr double kBoundMB = 300;
constexpr double kLongestTagBoundSeconds = 0.5;
constexpr char kOwnDashes[] = "<!--><?x -->";
const QString kTooLarge = QStringLiteral("メモリ不足です。または、読み込みファイルが大きすぎます。");
// The message of a file that is no book, or a damaged one.
QString NotBook(const QString& path)
{
    return QStringLiteral("%1を開けませんでした。\nExcelのブック（.xlsx/.xls）ではないか、壊れています。")
        .arg(QFileInfo(path).fileName());
}

QString Folder()
{
    const QString folder = BenchDatabaseFolder() + QStringLiteral("/hostile");
    QDir().mkpath(folder);
    return folder;
}

// A book of one sheet whose parts are then changed, some of them made
// while zipped; the path, or empty.
QString WriteXlsx(const QString& name, const std::function<void(XlsxZip::Parts&)>& change,
                  const QMap<QString, XlsxZip::Repeated>& repeated = {})
{
    XlsxZip::Book book;
    book.sharedStrings = {QStringLiteral("<t>A</t>")};
    book.sheets << qMakePair(QStringLiteral("S1"),
                             XlsxZip::Sheet(QStringLiteral("<row><c t=\"s\"><v>0</v></c></row>")));
    XlsxZip::Parts parts = book.ToParts();
    change(parts);
    const QString path = Folder() + u'/' + name;
    return XlsxZip::Write(path, parts, repeated) ? path : QString();
}

QString WriteFile(const QString& name, const QByteArray& bytes)
{
    const QString path = Folder() + u'/' + name;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

// `rows` rows of `columns` cells of the number, as a sheet part.
QByteArray NumberRows(int rows, int columns, const QByteArray& number)
{
    const QByteArray row = "<row>" + QByteArray("<c><v>" + number + "</v></c>").repeated(columns) + "</row>";
    return XlsxZip::Sheet({}).replace("<sheetData>", QByteArray("<sheetData>" + row.repeated(rows)));
}

// `count` namespace declarations.
QByteArray Declarations(int count)
{
    QByteArray declarations;
    for (int i = 0; i < count; ++i)
        declarations += " xmlns:n" + QByteArray::number(i) + "=\"u\"";
    return declarations;
}

// FILEPASS of plain RC4 with Excel's built-in password.
QByteArray FilePass()
{
    using namespace XlsBytes;
    auto md5 = [](const QByteArray& data) { return QCryptographicHash::hash(data, QCryptographicHash::Md5); };
    QByteArray password;
    for (QChar c : XlsCrypt::kDefaultPassword)
        password += U16(c.unicode());
    const QByteArray salt(16, '\x5C'), verifier(16, '\x3A');
    QByteArray repeated;
    for (int i = 0; i < 16; ++i)
        repeated += md5(password).left(5) + salt;
    QByteArray check = verifier + md5(verifier);
    XlsCrypt::Rc4(md5(md5(repeated).left(5) + U32(0)), check);
    return U16(1) + U16(1) + U16(1) + salt + check;
}

// `count` FILEPASS records, each as it would verify once the stream had
// been decrypted for every one before it, then a sheet of numbers.
QByteArray FilePasses(int count)
{
    using namespace XlsBytes;
    const QByteArray body = FilePass();
    const QByteArray record = Record(0x002F, body);
    QByteArray cells;
    for (quint16 r = 0; r < 100; ++r)
        cells += Record(0x0203, Cell(r, 0, 0) + F64(r));
    const QByteArray plain = Stream(8, record.repeated(count), {{Unicode(QStringLiteral("S"), true), cells}});
    QByteArray encrypted = plain;
    XlsCrypt::Decrypt(encrypted, body);
    const qsizetype first = Bof(8, 0x0005).size();
    QByteArray stream = count % 2 ? encrypted : plain;
    for (int i = 0; i < count; ++i)
        stream.replace(first + i * record.size(), record.size(),
                       (i % 2 ? encrypted : plain).mid(first + i * record.size(), record.size()));
    return Compound({{QStringLiteral("Workbook"), stream}});
}

constexpr int kLongCodeFormats = 65530;
constexpr int kLongCodeChars = 60000;

// An Excel 97-2003 book of `kLongCodeFormats` cell formats, each naming one
// number format whose code is `kLongCodeChars` characters long.
QByteArray LongCodeXls()
{
    using namespace XlsBytes;
    QByteArray globals = Record(0x041E, U16(164) + U16(kLongCodeChars) + QByteArray(1, '\0') + "yyyy" +
                                            QByteArray(kLongCodeChars - 4, '0'));
    const QByteArray xf = Record(0x00E0, U16(0) + U16(164) + QByteArray(16, '\0'));
    globals += xf.repeated(kLongCodeFormats);
    return Compound({{QStringLiteral("Workbook"), Stream(8, globals,
                                                         {{Unicode(QStringLiteral("S"), true),
                                                           Record(0x0203, Cell(0, 0, 1) + F64(45351))}})}});
}

// A workbook part whose start tag of 150 000 attributes follows a document
// type whose subset's comment holds a ">": a watch that took the type for
// one tag would lose the root's.
QByteArray HiddenRoot()
{
    QByteArray root = "<workbook";
    for (int i = 0; i < 150000; ++i)
        root += " a" + QByteArray::number(i) + "=\"\"";
    return "<?xml version=\"1.0\"?><!DOCTYPE r [<!-- > <?x -->]>" + root + "/>";
}

// An .xls whose one shared string crosses `empty` empty CONTINUE records
// before its last characters, and a sheet of one number.
QByteArray EmptyContinues(int empty)
{
    using namespace XlsBytes;
    const QByteArray sst = Record(0x00FC, U32(1) + U32(1) + U16(4) + QByteArray(1, '\0') + "ab");
    const QByteArray globals =
        sst + Record(0x003C, {}).repeated(empty) + Record(0x003C, QByteArray(1, '\0') + "cd");
    return Compound({{QStringLiteral("Workbook"), Stream(8, globals,
                                                         {{Unicode(QStringLiteral("S"), true),
                                                           Record(0x0203, Cell(0, 0, 0) + F64(1))}})}});
}

// Runs `read` once an iteration with the peak memory measured around it;
// `read` says what went wrong, or nothing.
void Measure(benchmark::State& state, const QString& path, const std::function<QString(const QString&)>& read)
{
    if (path.isEmpty()) {
        state.SkipWithError("cannot write the book");
        return;
    }
    double peak = 0;
    for (auto _ : state) {
        // What writing the books left free goes back first, so that the
        // peak is the process's own and the read's.
        malloc_trim(0);
        ResetPeakMemory();
        const QString wrong = read(path);
        peak = std::max(peak, PeakMemoryMB());
        if (!wrong.isEmpty()) {
            state.SkipWithError(qPrintable(wrong));
            return;
        }
    }
    state.counters[kPeakMemoryCounter] = peak;
    state.counters["KB"] = double(QFile(path).size()) / 1024;
}

// The book refused as `expected` on opening, or else on reading its first
// sheet.
QString Refused(const QString& path, CWorkbookReader::Error expected)
{
    CWorkbookReader::Error error = CWorkbookReader::NoError;
    std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error);
    if (reader) {
        CSheetData sheet;
        reader->ReadSheet(0, sheet, &error);
    }
    return error == expected ? QString() : QStringLiteral("refused with %1").arg(int(error));
}

// The book opened and its first sheet read.
QString Read(const QString& path)
{
    CWorkbookReader::Error error = CWorkbookReader::NoError;
    std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path, &error);
    CSheetData sheet;
    if (reader && reader->ReadSheet(0, sheet, &error))
        return {};
    return QStringLiteral("refused with %1").arg(int(error));
}

// The sheet read as the import reads it: `rows` rows handed over, or 0 and
// the message (by default the too-large one).
QString Imported(const QString& path, qsizetype rows, const QString& message = kTooLarge)
{
    ScopedFakeUi ui;
    CScriptedExchangeDialogs dialogs;
    CExcelApp app;
    app.SetPath(path);
    CImportRows read;
    const int result = app.ReadSheet(&read);
    if (rows ? result == 1 && read.size() == rows
             : result == 0 && ui.Prompt().Texts() == QStringList{message})
        return {};
    return QStringLiteral("result %1, %2 rows: %3")
        .arg(result)
        .arg(read.size())
        .arg(ui.Prompt().Texts().join(u' '));
}

constexpr char kWatchShare[] = "HostileBook/TagWatchShareOfACustomerBook";
constexpr double kWatchShareBound = 5;

// A customer book as the import meets them: 99 000 rows of 14 columns,
// codes, names, readings, addresses and telephones as shared strings,
// closing days, rates and dates as numbers.
XlsxZip::Parts CustomerBook()
{
    XlsxZip::Book book;
    QByteArray rows;
    const auto ref = [](int column, int row) -> QByteArray {
        return QByteArray(1, char('A' + column)) + QByteArray::number(row);
    };
    for (int r = 1; r <= 99000; ++r) {
        rows += "<row r=\"" + QByteArray::number(r) + "\" spans=\"1:14\">";
        for (int c = 0; c < 14; ++c) {
            if (c < 7) {
                rows += "<c r=\"" + ref(c, r) + "\" t=\"s\"><v>" +
                        QByteArray::number(book.sharedStrings.size()) + "</v></c>";
                book.sharedStrings << QStringLiteral("<t>%1%2</t>")
                                          .arg(QStringList{
                                              QStringLiteral("K"), QStringLiteral("取込商事株式会社"),
                                              QStringLiteral("ﾄﾘｺﾐｼｮｳｼﾞ"), QStringLiteral("100-0005"),
                                              QStringLiteral("東京都千代田区丸の内1-"),
                                              QStringLiteral("03-3201-"), QStringLiteral("営業部")}[c])
                                          .arg(r);
            } else {
                rows += "<c r=\"" + ref(c, r) + "\" s=\"1\"><v>" + QByteArray::number(r % 28 + c * 1000) +
                        "</v></c>";
            }
        }
        rows += "</row>";
    }
    book.sheets << qMakePair(QStringLiteral("S1"),
                             XlsxZip::Sheet({}).replace("<sheetData>", QByteArray("<sheetData>" + rows)));
    book.cellXfs = {0, 14};
    return book.ToParts();
}

// The processor time of this thread, in seconds.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The book read whole (opened, its sheet read), then its parts passed
// through the tag watch alone in the reader's blocks: the watch's time
// against that of the read without it, in percent, once a repetition.
void WatchShare(benchmark::State& state)
{
    static const XlsxZip::Parts parts = CustomerBook();
    const QString path = Folder() + QStringLiteral("/customers.xlsx");
    if (!QFileInfo::exists(path) && !XlsxZip::Write(path, parts)) {
        state.SkipWithError("cannot write the book");
        return;
    }
    for (auto _ : state) {
        double start = ThreadSeconds();
        if (!Read(path).isEmpty()) {
            state.SkipWithError("the book was not read");
            return;
        }
        const double read = ThreadSeconds() - start;
        start = ThreadSeconds();
        bool passed = true;
        for (const QByteArray& part : parts) {
            CXmlTagWatch watch(64 << 10);
            for (qsizetype at = 0; at < part.size(); at += 4000)
                passed = watch.Pass(part.constData() + at, qMin<qsizetype>(4000, part.size() - at)) && passed;
        }
        const double watched = ThreadSeconds() - start;
        if (!passed) {
            state.SkipWithError("the watch refused the book");
            return;
        }
        const double share = 100 * watched / (read - watched);
        state.counters["read_s"] = read;
        state.counters["watch_s"] = watched;
        state.counters["share_%"] = share;
        ReportFigure(kWatchShare, share);
    }
}

// The book is written on the first run, outside the measure.
void Register(const char* name, const std::function<QString()>& write,
              const std::function<QString(const QString&)>& read, double seconds = kBoundSeconds)
{
    RegisterMemoryBound(name, kBoundMB);
    auto path = std::make_shared<std::optional<QString>>();
    RegisterBounded(name, seconds, [write, read, path](benchmark::State& state) {
        if (!*path)
            *path = write();
        Measure(state, **path, read);
    });
}

const bool s_registered = [] {
    Register(
        "HostileBook/25MEmptyCellFormats",
        [] {
            return WriteXlsx(QStringLiteral("xfs.xlsx"), [](XlsxZip::Parts& parts) {
                parts[QStringLiteral("xl/styles.xml")] = "<styleSheet><cellXfs>" +
                                                         QByteArray("<xf/>").repeated(25000000) +
                                                         "</cellXfs></styleSheet>";
            });
        },
        [](const QString& path) { return Refused(path, CWorkbookReader::TooLarge); });
    Register(
        "HostileBook/100000AttributesOfOneCell",
        [] {
            return WriteXlsx(QStringLiteral("attributes.xlsx"), [](XlsxZip::Parts& parts) {
                QByteArray storm;
                for (int i = 0; i < 100000; ++i)
                    storm += " a" + QByteArray::number(i) + "=\"\"";
                parts[QStringLiteral("xl/sharedStrings.xml")] = "<sst><si" + storm + "/></sst>";
            });
        },
        [](const QString& path) { return Refused(path, CWorkbookReader::TooLarge); });
    Register(
        "HostileBook/25MEmptySharedStrings",
        [] {
            return WriteXlsx(QStringLiteral("strings.xlsx"), [](XlsxZip::Parts& parts) {
                parts[QStringLiteral("xl/sharedStrings.xml")] =
                    "<sst>" + QByteArray("<si/>").repeated(25000000) + "</sst>";
            });
        },
        Read);
    Register(
        "HostileBook/4MSheetNames",
        [] {
            return WriteXlsx(QStringLiteral("sheets.xlsx"), [](XlsxZip::Parts& parts) {
                QByteArray& workbook = parts[QStringLiteral("xl/workbook.xml")];
                workbook.replace(
                    "<sheets>",
                    QByteArray("<sheets>" +
                               QByteArray("<sheet name=\"S\" r:id=\"rId1\"/>").repeated(4000000)));
            });
        },
        [](const QString& path) { return Refused(path, CWorkbookReader::TooLarge); });
    Register(
        "HostileBook/4518FilePass",
        [] { return WriteFile(QStringLiteral("filepass.xls"), FilePasses(4518)); },
        [](const QString& path) { return Refused(path, CWorkbookReader::NotWorkbook); });
    Register(
        "HostileBook/8MCells256Wide",
        [] {
            return WriteXlsx(QStringLiteral("cells.xlsx"), [](XlsxZip::Parts& parts) {
                parts[QStringLiteral("xl/worksheets/sheet1.xml")] = NumberRows(31249, 256, "1");
            });
        },
        [](const QString& path) {
            return Imported(path, 0, CellBoundText(CWorkbookLimits::kImportCells, 5837, 257));
        });
    Register(
        "HostileBook/1MRowsOfOneCell256Wide",
        [] {
            return WriteXlsx(QStringLiteral("sparse.xlsx"), [](XlsxZip::Parts& parts) {
                QByteArray& sheet = parts[QStringLiteral("xl/worksheets/sheet1.xml")];
                sheet = NumberRows(1048575, 1, "1234567");
                sheet.replace("<sheetData>",
                              "<sheetData><row><c><v>1</v></c><c r=\"IV1\"><v>1</v></c></row>");
            });
        },
        [](const QString& path) {
            return Imported(path, 0, CellBoundText(CWorkbookLimits::kImportCells, 5837, 257));
        });
    Register(
        "HostileBook/65530FormatsOfOne60000CharacterCode",
        [] {
            return WriteXlsx(QStringLiteral("longcode.xlsx"), [](XlsxZip::Parts& parts) {
                parts[QStringLiteral("xl/styles.xml")] =
                    "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy" +
                    QByteArray(kLongCodeChars - 4, '0') + "\"/></numFmts><cellXfs>" +
                    QByteArray("<xf numFmtId=\"164\"/>").repeated(kLongCodeFormats) +
                    "</cellXfs></styleSheet>";
            });
        },
        [](const QString& path) { return Refused(path, CWorkbookReader::NotWorkbook); });
    Register(
        "HostileBook/65530FormatsOfOne60000CharacterCodeXls",
        [] { return WriteFile(QStringLiteral("longcode.xls"), LongCodeXls()); },
        [](const QString& path) { return Refused(path, CWorkbookReader::NotWorkbook); });
    // Shared strings and inline strings of 100 000 characters each, 120 MB
    // of each.
    Register(
        "HostileBook/LongSharedAndInlineStrings",
        [] {
            QMap<QString, XlsxZip::Repeated> repeated;
            return WriteXlsx(
                QStringLiteral("strings-long.xlsx"),
                [&repeated](XlsxZip::Parts& parts) {
                    const QByteArray text(100000, 'a');
                    repeated.insert(QStringLiteral("xl/sharedStrings.xml"),
                                    XlsxZip::Padded(parts[QStringLiteral("xl/sharedStrings.xml")],
                                                    "<si><t>" + text + "</t></si>", 1200));
                    repeated.insert(QStringLiteral("xl/worksheets/sheet1.xml"),
                                    XlsxZip::Padded(XlsxZip::Sheet(QStringLiteral("<row></row>")),
                                                    "<c t=\"inlineStr\"><is><t>" + text + "</t></is></c>",
                                                    1200, "<row>"));
                },
                repeated);
        },
        [](const QString& path) { return Imported(path, 0, TextBoundText(CWorkbookLimits().maxTextChars)); });
    // Six parts, each 120 MB of empty elements: together past the book's
    // bound, read after read.
    Register(
        "HostileBook/SixPartsOf120MBEmptyElements",
        [] {
            QMap<QString, XlsxZip::Repeated> repeated;
            return WriteXlsx(
                QStringLiteral("six.xlsx"),
                [&repeated](XlsxZip::Parts& parts) {
                    for (const char* part :
                         {"_rels/.rels", "xl/workbook.xml", "xl/_rels/workbook.xml.rels", "xl/styles.xml",
                          "xl/sharedStrings.xml", "xl/worksheets/sheet1.xml"})
                        repeated.insert(QLatin1String(part),
                                        XlsxZip::Padded(parts[QLatin1String(part)], "<x/>", 30000000));
                },
                repeated);
        },
        [](const QString& path) { return Imported(path, 0); });
    // The code name of each sheet is looked for in its head only; the book,
    // 5.6 MB, opens and its first sheet reads within a second a megabyte.
    Register(
        "HostileBook/4096SheetsOpeningWith1MBOfWhiteSpace",
        [] {
            QMap<QString, XlsxZip::Repeated> repeated;
            return WriteXlsx(
                QStringLiteral("heads.xlsx"),
                [&repeated](XlsxZip::Parts& parts) {
                    QByteArray list, rels;
                    for (int i = 1; i <= 4096; ++i) {
                        const QByteArray n = QByteArray::number(i);
                        list += "<sheet name=\"S" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
                        rels +=
                            "<Relationship Id=\"rId" + n +
                            "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                            "worksheet\" Target=\"worksheets/sheet" +
                            n + ".xml\"/>";
                        const QString part = QStringLiteral("xl/worksheets/sheet%1.xml").arg(i);
                        repeated.insert(
                            part, XlsxZip::Padded(XlsxZip::Sheet(QStringLiteral("<row><c><v>1</v></c></row>"),
                                                                 QStringLiteral("C%1").arg(i)),
                                                  QByteArray(1024, ' '), 1024));
                    }
                    QByteArray& workbook = parts[QStringLiteral("xl/workbook.xml")];
                    workbook.replace(workbook.indexOf("<sheet "),
                                     workbook.indexOf("</sheets>") - workbook.indexOf("<sheet "), list);
                    parts[QStringLiteral("xl/_rels/workbook.xml.rels")].replace(
                        "<Relationship Id=\"rId1\"", QByteArray(rels + "<Relationship Id=\"rIdX\""));
                },
                repeated);
        },
        Read, 5);
    // 4 096 directory entries that all point at one sheet part of 120 MB of
    // empty elements.
    Register(
        "HostileBook/4096EntriesOnOne120MBEntry",
        [] {
            QMap<QString, XlsxZip::Repeated> repeated;
            const QString path = WriteXlsx(
                QStringLiteral("overlap.xlsx"),
                [&repeated](XlsxZip::Parts& parts) {
                    QByteArray& sheet = parts[QStringLiteral("xl/worksheets/sheet1.xml")];
                    repeated.insert(QStringLiteral("xl/worksheets/sheet1.xml"),
                                    XlsxZip::Padded(sheet, "<x/>", 30000000));
                },
                repeated);
            QStringList names;
            for (int i = 0; i < 4095; ++i)
                names << QStringLiteral("xl/worksheets/o%1.xml").arg(i, 4, 10, QChar(u'0'));
            return XlsxZip::PointAtOneEntry(path, QStringLiteral("xl/worksheets/sheet1.xml"), names)
                       ? path
                       : QString();
        },
        [](const QString& path) { return Imported(path, 0, NotBook(path)); });
    // Thousands of namespace declarations, then 30 million empty elements,
    // in a sheet and in the package's relationships.
    for (const char* part : {"xl/worksheets/sheet1.xml", "_rels/.rels"}) {
        const bool sheet = part[0] == 'x';
        Register(
            sheet ? "HostileBook/4000NamespacesOfASheet" : "HostileBook/4000NamespacesOfThePackage",
            [part, sheet] {
                QMap<QString, XlsxZip::Repeated> repeated;
                return WriteXlsx(
                    sheet ? QStringLiteral("namespaces.xlsx") : QStringLiteral("namespaces-rels.xlsx"),
                    [&repeated, part](XlsxZip::Parts& parts) {
                        QByteArray& bytes = parts[QLatin1String(part)];
                        const qsizetype root = bytes.indexOf('>', bytes.indexOf("?>") + 2);
                        bytes.insert(root, Declarations(4000));
                        repeated.insert(QLatin1String(part), XlsxZip::Padded(bytes, "<x/>", 30000000));
                    },
                    repeated);
            },
            [](const QString& path) { return Imported(path, 0); });
    }
    // "<!-->" opens a comment that ends at the next "-->", so the "<?" in
    // it is comment: behind it, thousands of prefixes before millions of
    // empty elements, millions of empty comments, a document type of
    // 450 000 entities.
    Register(
        "HostileBook/OwnDashesBefore4000NamespacesOf3MElements",
        [] {
            QMap<QString, XlsxZip::Repeated> repeated;
            return WriteXlsx(
                QStringLiteral("dashes-namespaces.xlsx"),
                [&repeated](XlsxZip::Parts& parts) {
                    QByteArray& bytes = parts[QStringLiteral("xl/worksheets/sheet1.xml")];
                    const qsizetype root = bytes.indexOf('>', bytes.indexOf("?>") + 2);
                    bytes.insert(root, Declarations(4000));
                    bytes.insert(bytes.indexOf("?>") + 2, kOwnDashes);
                    repeated.insert(QStringLiteral("xl/worksheets/sheet1.xml"),
                                    XlsxZip::Padded(bytes, "<x/>", 3000000, "<sheetData>"));
                },
                repeated);
        },
        [](const QString& path) { return Imported(path, 0); });
    Register(
        "HostileBook/OwnDashesBefore18MEmptyComments",
        [] {
            QMap<QString, XlsxZip::Repeated> repeated;
            return WriteXlsx(
                QStringLiteral("dashes-comments.xlsx"),
                [&repeated](XlsxZip::Parts& parts) {
                    QByteArray& bytes = parts[QStringLiteral("xl/worksheets/sheet1.xml")];
                    bytes.insert(bytes.indexOf("<sheetData>"), kOwnDashes);
                    repeated.insert(QStringLiteral("xl/worksheets/sheet1.xml"),
                                    XlsxZip::Padded(bytes, "<!---->", 18000000, "<sheetData>"));
                },
                repeated);
        },
        [](const QString& path) { return Imported(path, 0); });
    Register(
        "HostileBook/OwnDashesBeforeDocTypeOf450000Entities",
        [] {
            return WriteXlsx(QStringLiteral("dashes-entities.xlsx"), [](XlsxZip::Parts& parts) {
                QByteArray& sheet = parts[QStringLiteral("xl/worksheets/sheet1.xml")];
                sheet.insert(sheet.indexOf("?>") + 2,
                             kOwnDashes + ("<!DOCTYPE worksheet [" +
                                           QByteArray("<!ENTITY e \"x\">").repeated(450000) + "]>"));
            });
        },
        [](const QString& path) { return Refused(path, CWorkbookReader::NotWorkbook); });
    // A sheet whose cells each open with the longest tag the watch lets
    // through, 64 attributes filling 64 K after its "<": read at once, the
    // stop looked at before and after each.
    Register(
        "HostileBook/SheetOfLongestTagsAllowedRead",
        [] {
            return WriteXlsx(QStringLiteral("longest.xlsx"), [](XlsxZip::Parts& parts) {
                QByteArray tag = "<c";
                for (int i = 0; i < 63; ++i)
                    tag += " a" + QByteArray::number(i) + "=\"\"";
                tag += " z=\"\"";
                tag.insert(tag.size() - 1, QByteArray((64 << 10) - tag.size(), 'v'));
                QByteArray rows;
                for (int r = 1; r <= 30; ++r)
                    rows += "<row r=\"" + QByteArray::number(r) + "\">" + tag + "><v>1</v></c></row>";
                QByteArray& sheet = parts[QStringLiteral("xl/worksheets/sheet1.xml")];
                sheet.replace("<sheetData>", QByteArray("<sheetData>" + rows));
            });
        },
        Read, kLongestTagBoundSeconds);
    // A workbook part in EBCDIC whose start tag holds 150 000 attributes.
    Register(
        "HostileBook/EbcdicWorkbookOf150000Attributes",
        [] {
            return WriteXlsx(QStringLiteral("ebcdic.xlsx"), [](XlsxZip::Parts& parts) {
                QByteArray workbook = "<?xml version=\"1.0\" encoding=\"IBM037\"?><workbook";
                for (int i = 0; i < 150000; ++i)
                    workbook += " a" + QByteArray::number(i) + "=\"\"";
                parts[QStringLiteral("xl/workbook.xml")] = Iconv::Encode(workbook + "/>", "IBM037");
            });
        },
        [](const QString& path) { return Imported(path, 0, NotBook(path)); });
    Register(
        "HostileBook/SheetOf120MBComments",
        [] {
            QMap<QString, XlsxZip::Repeated> repeated;
            return WriteXlsx(
                QStringLiteral("comments.xlsx"),
                [&repeated](XlsxZip::Parts& parts) {
                    repeated.insert(QStringLiteral("xl/worksheets/sheet1.xml"),
                                    XlsxZip::Padded(parts[QStringLiteral("xl/worksheets/sheet1.xml")],
                                                    "<!---->", 120000000 / 7, "<sheetData>"));
                },
                repeated);
        },
        [](const QString& path) { return Imported(path, 0); });
    Register(
        "HostileBook/SheetOfTagsOf1000Attributes",
        [] {
            QMap<QString, XlsxZip::Repeated> repeated;
            return WriteXlsx(
                QStringLiteral("tags.xlsx"),
                [&repeated](XlsxZip::Parts& parts) {
                    QByteArray tag = "<x";
                    for (int i = 0; i < 1000; ++i)
                        tag += " a" + QByteArray::number(i) + "=\"\"";
                    repeated.insert(QStringLiteral("xl/worksheets/sheet1.xml"),
                                    XlsxZip::Padded(parts[QStringLiteral("xl/worksheets/sheet1.xml")],
                                                    tag + "/>", 120000000 / (tag.size() + 2), "<sheetData>"));
                },
                repeated);
        },
        [](const QString& path) { return Imported(path, 0); });
    // A document type declaration is refused at its keyword, before the
    // parser reads its subset: one that hides the root's start tag, in
    // UTF-8 and in UTF-16, and one of 450 000 entity declarations.
    for (const bool wide : {false, true}) {
        Register(
            wide ? "HostileBook/DocTypeHidingTheRootUtf16" : "HostileBook/DocTypeHidingTheRoot",
            [wide] {
                return WriteXlsx(wide ? QStringLiteral("doctype16.xlsx") : QStringLiteral("doctype.xlsx"),
                                 [wide](XlsxZip::Parts& parts) {
                                     const QByteArray part = HiddenRoot();
                                     parts[QStringLiteral("xl/workbook.xml")] =
                                         wide ? Iconv::Encode("\xEF\xBB\xBF" + part, "UTF-16LE") : part;
                                 });
            },
            [](const QString& path) { return Refused(path, CWorkbookReader::NotWorkbook); });
    }
    Register(
        "HostileBook/DocTypeOf450000Entities",
        [] {
            return WriteXlsx(QStringLiteral("entities.xlsx"), [](XlsxZip::Parts& parts) {
                QByteArray& sheet = parts[QStringLiteral("xl/worksheets/sheet1.xml")];
                sheet.insert(sheet.indexOf("?>") + 2, "<!DOCTYPE worksheet [" +
                                                          QByteArray("<!ENTITY e \"x\">").repeated(450000) +
                                                          "]>");
            });
        },
        [](const QString& path) { return Refused(path, CWorkbookReader::NotWorkbook); });
    // 1.7 million empty CONTINUE records (the most a test compound file
    // holds): the string they cut is lost, the book read.
    Register(
        "HostileBook/XlsStringAcross1700000EmptyContinues",
        [] { return WriteFile(QStringLiteral("continues.xls"), EmptyContinues(1700000)); }, Read);
    RegisterFigureBound(kWatchShare, kWatchShareBound, "% of the read");
    benchmark::RegisterBenchmark(kWatchShare, WatchShare)->Iterations(1)->Unit(benchmark::kMillisecond);
    // The largest table admitted, 7 781 rows of 256 numbers and a label:
    // its memory is the figure that counts; its time is that of two
    // million cells read, typed and turned into texts.
    Register(
        "HostileBook/1500000Cells256WideRead",
        [] {
            return WriteXlsx(QStringLiteral("admitted.xlsx"), [](XlsxZip::Parts& parts) {
                parts[QStringLiteral("xl/worksheets/sheet1.xml")] =
                    NumberRows(int(CWorkbookLimits::kImportCells / 257), 256, "1234567.5");
            });
        },
        [](const QString& path) { return Imported(path, CWorkbookLimits::kImportCells / 257 + 1); },
        kAdmittedBoundSeconds);
    return true;
}();

} // namespace
