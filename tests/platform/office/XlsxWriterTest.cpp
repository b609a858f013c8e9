#include "platform/office/XlsxWriter.h"
#include "platform/office/Workbook.h"
#include "support/XlsxZip.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <zip.h>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// The first worksheet's part as written.
QByteArray SheetXml(const QString& path)
{
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, nullptr);
    if (!zip)
        return {};
    QByteArray xml;
    if (zip_file_t* file = zip_fopen(zip, "xl/worksheets/sheet1.xml", 0)) {
        char buffer[4096];
        for (zip_int64_t n; (n = zip_fread(file, buffer, sizeof buffer)) > 0;)
            xml.append(buffer, qsizetype(n));
        zip_fclose(file);
    }
    zip_discard(zip);
    return xml;
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The attribute values of every element `name` in the XML, in order.
QStringList Attributes(const QByteArray& xml, const QString& element, const QString& attribute)
{
    QStringList values;
    const QRegularExpression tag(QStringLiteral("<%1\\b[^>]*>").arg(element));
    const QRegularExpression attr(QStringLiteral("\\b%1=\"([^\"]*)\"").arg(attribute));
    for (const QRegularExpressionMatch& m : tag.globalMatch(QString::fromUtf8(xml))) {
        const QRegularExpressionMatch a = attr.match(m.captured(0));
        values << (a.hasMatch() ? a.captured(1) : QString());
    }
    return values;
}

TEST(XlsxWriter, TypedCellsCaptionStyleAndWidthsReadBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.xlsx"));
    // The unit separator followed by "b", not the one byte 0xFB.
    const QString controlThenB = U("a\x1f"
                                   "b");
    const QList<QStringList> rows = {
        {U("コード"), U("日付"), U("金額"), U("数量"), U("備考"), U("ﾒﾓ")},
        {U("007"), U("2024/02/29"), U("1,234"), U("12"), U("=1+1"), U("ab\ncdefgh")},
        {U("0012"), U("2024-3-1 10:30"), U("12345678901234567"), U("-5"), U("1,23"), QString()},
        {U("1e3"), U("2024/02/30"), U("-0.5"), QString(), U("2024/02/29"), U("表示")},
        {U("tab\there\x01_x0041_"), QString(), QString(), QString(), controlThenB, QString()},
    };
    QString error;
    ASSERT_TRUE(CXlsxWriter::Write(path, rows, 6, {0, 1, 2, 3}, &error)) << qPrintable(error);

    std::unique_ptr<CWorkbookReader> reader = CWorkbookReader::Open(path);
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->Sheets().size(), 1);
    CSheetData sheet;
    ASSERT_TRUE(reader->ReadSheet(0, sheet));
    auto cell = [&](quint32 row, quint32 column) -> const CSheetCell* {
        for (const CSheetCell& c : sheet.cells) {
            if (c.row == row && c.column == column)
                return &c;
        }
        return nullptr;
    };
    const struct {
        quint32 row, column;
        CSheetCell::Kind kind;
        QString text;
        double number;
        bool date;
    } expected[] = {
        {1, 0, CSheetCell::Text, U("007"), 0, false},        // text column: as typed
        {1, 1, CSheetCell::Number, {}, 45351, true},         // a day
        {1, 2, CSheetCell::Number, {}, 1234, false},         // separators dropped
        {1, 3, CSheetCell::Text, U("12"), 0, false},         // integers are text
        {1, 4, CSheetCell::Text, U("=1+1"), 0, false},       // never a formula
        {1, 5, CSheetCell::Text, U("ab\ncdefgh"), 0, false}, // no type: General
        {2, 1, CSheetCell::Number, {}, 45352 + 10.5 / 24, true},
        {2, 2, CSheetCell::Text, U("12345678901234567"), 0, false}, // 17 digits stay text
        {2, 4, CSheetCell::Text, U("1,23"), 0, false},
        {2, 5, CSheetCell::Blank, {}, 0, false}, // nothing written ...
        {3, 0, CSheetCell::Text, U("1e3"), 0, false},
        {3, 1, CSheetCell::Text, U("2024/02/30"), 0, true}, // no such day
        {3, 2, CSheetCell::Number, {}, -0.5, false},
        {3, 3, CSheetCell::Blank, {}, 0, false},     // ... but formatted columns keep a blank
        {3, 4, CSheetCell::Number, {}, 45351, true}, // General takes a day as a date
        {4, 0, CSheetCell::Text, U("tab\there\x01_x0041_"), 0, false}, // control characters survive
        {4, 4, CSheetCell::Text, controlThenB, 0, false},
    };
    for (const auto& e : expected) {
        const CSheetCell* c = cell(e.row, e.column);
        if (e.kind == CSheetCell::Blank && e.column == 5) {
            EXPECT_FALSE(c) << "an empty text in a General column writes no cell";
            continue;
        }
        if (e.kind == CSheetCell::Blank) {
            // The reader keeps no empty cell: the written part shows it.
            EXPECT_FALSE(c);
            EXPECT_TRUE(QRegularExpression(QStringLiteral("<c r=\"D4\" s=\"[1-9][0-9]*\"/>"))
                            .match(QString::fromUtf8(SheetXml(path)))
                            .hasMatch());
            continue;
        }
        ASSERT_TRUE(c) << e.row << "," << e.column;
        EXPECT_EQ(c->kind, e.kind) << e.row << "," << e.column;
        EXPECT_EQ(c->text, e.text) << e.row << "," << e.column;
        EXPECT_NEAR(c->number, e.number, 1e-9) << e.row << "," << e.column;
        EXPECT_EQ(sheet.FormatOf(*c).isDate, e.date) << e.row << "," << e.column;
    }

    // The caption cells use one style: text format, bold font, thin bottom line.
    const QByteArray styles = XlsxZip::ReadPart(path, QStringLiteral("xl/styles.xml"));
    const QByteArray sheetXml = XlsxZip::ReadPart(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    const QStringList refs = Attributes(sheetXml, QStringLiteral("c"), QStringLiteral("r"));
    const QStringList styleOfCell = Attributes(sheetXml, QStringLiteral("c"), QStringLiteral("s"));
    const QString captionStyle = styleOfCell.at(refs.indexOf(QStringLiteral("A1")));
    for (const char* ref : {"B1", "C1", "D1", "E1", "F1"})
        EXPECT_EQ(styleOfCell.at(refs.indexOf(QString::fromLatin1(ref))), captionStyle) << ref;
    const qsizetype xfsStart = styles.indexOf("<cellXfs");
    const QByteArray cellXfs = styles.mid(xfsStart, styles.indexOf("</cellXfs>") - xfsStart);
    const int xf = captionStyle.toInt();
    EXPECT_EQ(Attributes(cellXfs, QStringLiteral("xf"), QStringLiteral("numFmtId")).value(xf),
              QStringLiteral("49"));
    const int font = Attributes(cellXfs, QStringLiteral("xf"), QStringLiteral("fontId")).value(xf).toInt();
    const int border =
        Attributes(cellXfs, QStringLiteral("xf"), QStringLiteral("borderId")).value(xf).toInt();
    const QRegularExpression fontRe(QStringLiteral("<font>(.*?)</font>"));
    QStringList fontBodies;
    for (const QRegularExpressionMatch& m : fontRe.globalMatch(QString::fromUtf8(styles)))
        fontBodies << m.captured(1);
    ASSERT_GT(fontBodies.size(), font);
    EXPECT_TRUE(fontBodies.at(font).contains(QStringLiteral("<b/>")));
    const QRegularExpression borderRe(QStringLiteral("<border>(.*?)</border>|<border/>"));
    QStringList borderBodies;
    for (const QRegularExpressionMatch& m : borderRe.globalMatch(QString::fromUtf8(styles)))
        borderBodies << m.captured(1);
    ASSERT_GT(borderBodies.size(), border);
    EXPECT_TRUE(borderBodies.at(border).contains(QStringLiteral("<bottom style=\"thin\">")));

    // Widths: the longest line in CP932 bytes plus one (libxlsxwriter adds
    // its padding); rows 13.5 points.
    const QStringList mins = Attributes(sheetXml, QStringLiteral("col"), QStringLiteral("min"));
    const QStringList widths = Attributes(sheetXml, QStringLiteral("col"), QStringLiteral("width"));
    const double expectedWidths[] = {17, 15, 18, 5, 11, 7}; // "tab\there..."=16 ... "ab\ncdefgh"=6
    ASSERT_EQ(widths.size(), 6);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(mins.at(c).toInt(), c + 1);
        EXPECT_NEAR(widths.at(c).toDouble(), expectedWidths[c] + 0.7109375, 1e-6) << c;
    }
    EXPECT_TRUE(sheetXml.contains("defaultRowHeight=\"13.5\""));
}

TEST(XlsxWriter, WidthsCountCp932Bytes)
{
    EXPECT_EQ(CXlsxWriter::LineBytes(U("ｱｲｳabc")), 6);
    EXPECT_EQ(CXlsxWriter::LineBytes(U("表示")), 4);
    EXPECT_EQ(CXlsxWriter::LineBytes(U("ab\n日本語\nc")), 6);
    EXPECT_EQ(CXlsxWriter::ColumnWidth(0), 0);
    EXPECT_EQ(CXlsxWriter::ColumnWidth(10), 11);
    EXPECT_EQ(CXlsxWriter::ColumnWidth(254), 255);
    EXPECT_EQ(CXlsxWriter::ColumnWidth(4000), 255);
}

TEST(XlsxWriter, AFailedWriteKeepsTheOldFileAndLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.xlsx"));
    ASSERT_TRUE(CXlsxWriter::Write(path, {{U("見出し")}, {U("古い")}}, 1, {0}));
    const QByteArray old = FileBytes(path);
    ASSERT_FALSE(old.isEmpty());

    // A cell holds at most 32767 characters: the write fails half-way.
    QString error;
    EXPECT_FALSE(
        CXlsxWriter::Write(path, {{U("見出し")}, {U("新しい")}, {QString(40000, u'x')}}, 1, {0}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(FileBytes(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("keep.xlsx")});

    // A folder that does not exist.
    EXPECT_FALSE(CXlsxWriter::Write(dir.filePath(QStringLiteral("no/such.xlsx")), {{U("a")}}, 1, {}));
}

} // namespace
