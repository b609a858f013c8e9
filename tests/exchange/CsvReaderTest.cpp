#include "exchange/CsvReader.h"
#include "platform/text/Cp932.h"
#include "platform/ui/FakeUi.h"
#include "support/Iconv.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray Sjis(const char* utf8)
{
    return Cp932::Encode(QString::fromUtf8(utf8));
}

// The format message naming the line and its fault.
QString Said(int line, const char* fault)
{
    return QStringLiteral(
               "テキストファイルの形式が正しくありません。\n%1行目：%2\nファイルの読み込みを中止します。")
        .arg(line)
        .arg(U(fault));
}

const char* const kCountFault = "項目の数が%1個です（1行目は%2個）。";
const char* const kAfterQuote = "「\"」で閉じた値の後に区切り文字がありません。";
const char* const kNotSjis = "Shift_JISとして読めないバイトがあります。";
const char* const kNotUtf8 = "UTF-8として読めないバイトがあります。";

QString CountFault(int line, int values, int first)
{
    return Said(line, qPrintable(U(kCountFault).arg(values).arg(first)));
}

// One block of the reader: the real size, so that the edges cut are the import's.
constexpr qsizetype kBlock = CCsvReader::kBlockBytes;
// The whole file into a table.
constexpr int kAllRows = std::numeric_limits<int>::max();

// Lines of one value ("v…v" CR LF) of `bytes` bytes in all, at least 2.
QByteArray Filler(qsizetype bytes)
{
    QByteArray lines;
    while (bytes > 0) {
        qsizetype line = std::min<qsizetype>(bytes, 1000);
        if (bytes - line == 1)
            --line;
        lines += QByteArray(line - 2, 'v') + "\r\n";
        bytes -= line;
    }
    return lines;
}

QString Write(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath(QStringLiteral("file.csv"));
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(bytes);
    return path;
}

// The file streamed: its length as ReadRows gives it, and the values of its
// last row.
qint64 StreamLast(const QString& path, QStringList* last)
{
    return CCsvReader(path, u',', 0)
        .ReadRows(
            [last](QStringList&& row) {
                *last = row.mid(1);
                return true;
            },
            false);
}

// The values of the last row of a table; none for an empty one.
QStringList LastValues(const CImportRows& rows)
{
    return rows.isEmpty() ? QStringList() : rows.last().mid(1);
}

// Data rows only (labels and values); the header is checked separately.
using Rows = QList<QStringList>;

TEST(CsvReader, ParsesTheGrammarAndItsEdgeCases)
{
    const QChar comma(u',');
    const struct {
        const char* name;
        QByteArray data;
        QChar delimiter;
        bool ok;
        Rows rows;         // values of each data row, labels left out
        QString said = {}; // the refusal of a malformed file
    } cases[] = {
        {"empty values and a last empty value",
         "a,,c\r\n1,2,\r\n",
         comma,
         true,
         {{"a", "", "c"}, {"1", "2", ""}}},
        {"last line without a line end", "x,y\r\nz,w", comma, true, {{"x", "y"}, {"z", "w"}}},
        {"a blank line among two fields", "a,b\r\n\r\nc,d\r\n", comma, false, {}, CountFault(2, 1, 2)},
        {"a blank line among one field", "a\r\n\r\nb\r\n", comma, true, {{"a"}, {""}, {"b"}}},
        {"doubled quotes", "\"he said \"\"hi\"\"\",x\r\n", comma, true, {{"he said \"hi\"", "x"}}},
        {"two quotes alone", "\"\",x", comma, true, {{"", "x"}}},
        {"a delimiter inside quotes", "\"a,b\",c", comma, true, {{"a,b", "c"}}},
        {"a quoted value over two lines", "\"l1\r\nl2\",z\r\n", comma, true, {{"l1\r\nl2", "z"}}},
        {"a quote opening mid-value", "ab\"c,d\",f", comma, true, {{"abc,d", "f"}}},
        {"a letter after a closing quote", "\"ab\"x,f", comma, false, {}, Said(1, kAfterQuote)},
        {"one byte further is not let through", "\"ab\"x\nf", comma, false, {}, Said(1, kAfterQuote)},
        {"LF-only lines", "a,b\nc,d\n", comma, true, {{"a", "b"}, {"c", "d"}}},
        {"mixed line ends", "a,b\r\nc,d\ne,f", comma, true, {{"a", "b"}, {"c", "d"}, {"e", "f"}}},
        {"LF inside quotes stays", "\"x\ny\",z\n", comma, true, {{"x\ny", "z"}}},
        {"a lone CR is data", "a\rb,c\r\n", comma, true, {{"a\rb", "c"}}},
        {"an unclosed quote", "\"abc,d\r\n", comma, false, {}, Said(1, "「\"」が閉じていません。")},
        {"a quote closing at the end", "a,\"b\"", comma, true, {{"a", "b"}}},
        {"a double-byte character after a closing quote", Sjis("\"ab\"漢,c"), comma, true, {{"ab漢", "c"}}},
        {"trail byte 0x5C with a backslash delimiter",
         Sjis("表\\x\r\nソ\\y"),
         u'\\',
         true,
         {{"表", "x"}, {"ソ", "y"}}},
        {"trail byte 0x7C with a bar delimiter", Sjis("ポ|q|ポポ\r\n"), u'|', true, {{"ポ", "q", "ポポ"}}},
        {"tab delimiter", "a\tb,c\r\n", u'\t', true, {{"a", "b,c"}}},
        {"no delimiter: one value per line", "a,b\r\nc", QChar(), true, {{"a,b"}, {"c"}}},
        {"half-width katakana delimiter", Sjis("aｱb\r\n"), QChar(0xFF71), true, {{"a", "b"}}},
        {"CP932", Sjis("名前,値\r\n表,ソ\r\n"), comma, true, {{"名前", "値"}, {"表", "ソ"}}},
        {"UTF-8 with a byte-order mark",
         "\xEF\xBB\xBF名前,値\r\n表,ソ\r\n",
         comma,
         true,
         {{"名前", "値"}, {"表", "ソ"}}},
        {"UTF-8 without a byte-order mark",
         "名前,値\r\n表,ソ\r\n",
         comma,
         true,
         {{"名前", "値"}, {"表", "ソ"}}},
        {"an invalid CP932 byte",
         "a,\x80"
         "b\r\n",
         comma,
         false,
         {},
         Said(1, kNotSjis)},
        {"a lead byte without its trail byte", "a,\x95", comma, false, {}, Said(1, kNotSjis)},
        {"invalid UTF-8 after a byte-order mark",
         "\xEF\xBB\xBF"
         "a,\xE3\x81",
         comma,
         false,
         {},
         Said(1, kNotUtf8)},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        ScopedFakeUi ui;
        CCsvReader reader(Write(dir, c.data), c.delimiter, 0);
        CImportRows rows;
        const bool ok = reader.ReadHead(&rows, kAllRows, nullptr) > 0;
        ASSERT_EQ(ok, c.ok) << c.name;
        if (!ok) {
            EXPECT_TRUE(rows.isEmpty()) << c.name;
            EXPECT_EQ(ui.Prompt().Texts(), QStringList{c.said}) << c.name;
            continue;
        }
        EXPECT_TRUE(ui.Prompt().Texts().isEmpty()) << c.name;
        ASSERT_EQ(rows.size(), c.rows.size() + 1) << c.name;
        const int fields = int(c.rows.front().size());
        QStringList header{QString()};
        for (int i = 1; i <= fields; ++i)
            header << QStringLiteral("F%1").arg(i);
        EXPECT_EQ(rows.front(), header) << c.name;
        for (int i = 0; i < c.rows.size(); ++i) {
            QStringList expected{QString::number(i + 1)};
            for (const QString& value : c.rows.at(i))
                expected << value;
            EXPECT_EQ(rows.at(i + 1), expected) << c.name << " row " << i + 1;
        }
    }
}

// The reader and the preview read the same bytes in the same encoding. Bytes
// that read both as UTF-8 and as Shift_JIS make the reader ask once, with
// both readings of the line (UTF-8 first), Enter on the reading whose
// characters the books hold (UTF-8 when both do), and the answer decides,
// and is kept for the next read. The preview shows the reading chosen.
TEST(CsvReader, EncodingIsDecidedByTheBytes)
{
    const struct {
        const char* name;
        QByteArray bytes;
        const char* text;   // as read; as UTF-8 when the reader asks
        const char* asSjis; // as Shift_JIS when the reader asks
        int enter = IDNO;   // the question's default
    } cases[] = {
        {"a byte-order mark decides", "\xEF\xBB\xBF\x30\x30\x31,\xC6\xBC", "001,\u01BC", nullptr},
        {"ASCII only", "001,abc", "001,abc", nullptr},
        {"half-width katakana in CP932 that is also valid UTF-8", "001,\xC6\xBC", "001,\u01BC", "001,ﾆｼ"},
        {"two-byte UTF-8 alone", "\xC2\xA9,\xC3\xA9", "©,é", "ﾂｩ,ﾃｩ"},
        {"two-byte UTF-8 the books hold", "\xC2\xB1\x31,\xC2\xB0", "±1,°", "ﾂｱ1,ﾂｰ", IDYES},
        {"Japanese in UTF-8 after two-byte characters", "\xC6\xBC,西", "\u01BC,西", nullptr},
        {"CP932 kanji, invalid UTF-8", Sjis("001,西ﾆｼ"), "001,西ﾆｼ", nullptr},
        {"two-byte UTF-8 that is no CP932", "Caf\xC3\xA9,\xC3\x97", "Café,×", nullptr},
        {"CP932 of an address", Sjis("東京都千代田区丸の内１－１,ｶﾌﾞｼｷｶﾞｲｼｬ"),
         "東京都千代田区丸の内１－１,ｶﾌﾞｼｷｶﾞｲｼｬ", nullptr},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Write(dir, c.bytes);
        for (const int answer : {IDYES, IDNO}) {
            if (answer == IDNO && !c.asSjis)
                continue;
            ScopedFakeUi ui;
            ui.Prompt().QueueAnswers({answer});
            CCsvReader reader(path, u',', 0);
            CImportRows rows;
            ASSERT_GT(reader.ReadHead(&rows, kAllRows, nullptr), 0);
            const QString text = U(answer == IDYES ? c.text : c.asSjis);
            EXPECT_EQ(rows.value(1), QStringList{"1"} + text.split(u','));
            EXPECT_EQ(CCsvReader::DecodePreview(c.bytes, reader.m_nEncoding == CCsvReader::kUtf8), text);
            ASSERT_EQ(ui.Prompt().Calls().size(), c.asSjis ? 1 : 0);
            if (!c.asSjis)
                continue;
            const CPromptCall& asked = ui.Prompt().Calls().front();
            EXPECT_EQ(asked.text, U("このファイルは、UTF-8としてもShift_JISとしても読めます。\n"
                                    "1行目は次のように読めます。\n\nUTF-8として：") +
                                      U(c.text) + U("\nShift_JISとして：") + U(c.asSjis) +
                                      U("\n\nどちらの文字コードのファイルですか？"));
            EXPECT_EQ(asked.buttons, MB_YESNOCANCEL);
            EXPECT_EQ(asked.buttonTexts, QStringList({"UTF-8", "Shift_JIS", U("キャンセル")}));
            EXPECT_EQ(asked.defaultButton, c.enter);
            EXPECT_EQ(reader.m_nEncoding, answer == IDYES ? CCsvReader::kUtf8 : CCsvReader::kShiftJis);
        }
    }
    // A preview cut inside a three-byte character still sees UTF-8.
    EXPECT_EQ(CCsvReader::DecodePreview("a,\xE8\xA5", true), QStringLiteral("a,"));
}

// Code page 932 that is valid EUC-JP as well (as short files of Japanese in
// EUC-JP are) is asked about: Enter on Shift_JIS only where it reads as
// katakana text, else on EUC-JP, refused by name; キャンセル ends the read.
TEST(CsvReader, AFileOfShiftJisOrEucJpIsAskedAbout)
{
    const auto euc = [](const char* text) { return Iconv::Encode(text, "EUC-JP"); };
    const struct {
        const char* name;
        QByteArray bytes;
        const char* sjis; // the line asked about as Shift_JIS
        const char* eucJp;
        qint64 line = 1;  // the line asked about
        int enter = IDNO; // IDYES Shift_JIS, IDNO EUC-JP
    } cases[] = {
        {"a name and its reading", euc("山田太郎,やまだ"), "ｻｳﾅﾄﾂﾀﾏｺ,､荀ﾞ､ﾀ", "山田太郎,やまだ"},
        {"small letters after letters that take none", euc("小林工業"), "ｾｮﾎﾓｹｩｶﾈ", "小林工業"},
        {"three rows under a header", euc("code,name\r\nA1,中村\r\nA2,山本\r\n"), "A1,ﾃ貭ｼ", "A1,中村", 2},
        {"a katakana export", Sjis("K1,ｶﾌﾞｼｷｶﾞｲｼｬ\r\nK2,ﾃﾞｰﾀｾﾝﾀｰ\r\n"), "K1,ｶﾌﾞｼｷｶﾞｲｼｬ", "K1,玉渕袈涓蒔", 1,
         IDYES},
        {"a voiced mark after no letter", Sjis("ﾞｱ,ｶﾞ"), "ﾞｱ,ｶﾞ", "浣,衿"},
        {"half-width katakana without a mark", Sjis("ｱｲ,ｳｴ"), "ｱｲ,ｳｴ", "渦,慨"},
        {"rare kanji", Sjis("爐爬,ｱｲ"), "爐爬,ｱｲ", "燿爨,渦"},
    };
    const char* const question = "このファイルは、Shift_JISとしてもEUC-JPとしても読めます。\n%1行目は"
                                 "次のように読めます。\n\nShift_JISとして：%2\nEUC-JPとして：%3\n\n"
                                 "どちらの文字コードのファイルですか？";
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const QString path = Write(dir, c.bytes);
        for (const int answer : {0, int(IDYES), int(IDNO), int(IDCANCEL)}) {
            SCOPED_TRACE(std::string(c.name) + " answered " + std::to_string(answer));
            ScopedFakeUi ui;
            ui.Prompt().QueueAnswers(answer ? QList<int>{answer} : QList<int>());
            const int chosen = answer ? answer : c.enter;
            CCsvReader reader(path, u',', 0);
            QStringList asked;
            const auto sink = [&](QStringList&& row) {
                if (row.value(0) == QString::number(c.line))
                    asked = row.mid(1);
                return true;
            };
            const qint64 read = reader.ReadRows(sink, false);
            ASSERT_FALSE(ui.Prompt().Calls().isEmpty());
            const CPromptCall& call = ui.Prompt().Calls().front();
            EXPECT_EQ(call.text, U(question).arg(QString::number(c.line), U(c.sjis), U(c.eucJp)));
            EXPECT_EQ(call.buttons, MB_YESNOCANCEL);
            EXPECT_EQ(call.buttonTexts, QStringList({"Shift_JIS", "EUC-JP", U("キャンセル")}));
            EXPECT_EQ(call.defaultButton, c.enter);
            EXPECT_EQ(read, chosen == IDYES ? c.bytes.size() : 0);
            EXPECT_EQ(reader.IsStopped(), chosen == IDCANCEL);
            EXPECT_EQ(asked.join(u','), chosen == IDYES ? U(c.sjis) : QString());
            EXPECT_EQ(ui.Prompt().Texts().mid(1).filter(U("EUC-JPです。")).size(), chosen == IDNO ? 1 : 0);
            EXPECT_EQ(ui.Prompt().Calls().size(), chosen == IDNO ? 2 : 1);
            EXPECT_EQ(reader.m_nEncoding, chosen == IDYES ? CCsvReader::kShiftJis : CCsvReader::kUndecided);
        }
    }
}

TEST(CsvReader, AFailureEmptiesATableThatHeldRows)
{
    ScopedFakeUi ui;
    QTemporaryDir dir;
    CCsvReader reader(Write(dir, "a,b\r\nc\r\n"), u',', 0);
    CImportRows rows{{QString(), QStringLiteral("old")}};
    EXPECT_EQ(reader.ReadHead(&rows, kAllRows, nullptr), 0);
    EXPECT_TRUE(rows.isEmpty());
}

TEST(CsvReader, ReadsFilesWithAndWithoutHeaders)
{
    QTemporaryDir dir;
    auto file = [&](const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    };
    ScopedFakeUi ui;

    // Three lines of four values: the header F1-F4 and rows 1 to 3.
    const QByteArray three = "1,2,3,4\r\n5,6,7,8\r\n9,10,11,12\r\n";
    CImportRows rows;
    EXPECT_EQ(CCsvReader(file("three.csv", three), u',', 0).ReadHead(&rows, kAllRows, nullptr), three.size());
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows.at(0), QStringList({"", "F1", "F2", "F3", "F4"}));
    EXPECT_EQ(rows.at(3), QStringList({"3", "9", "10", "11", "12"}));

    // With the titles in the file its first line is the header.
    rows.clear();
    const QByteArray titled = Sjis("名前,値\r\nA,1\r\n");
    EXPECT_EQ(CCsvReader(file("titled.csv", titled), u',', 1).ReadHead(&rows, kAllRows, nullptr),
              titled.size());
    EXPECT_EQ(rows, CImportRows({{"", U("名前"), U("値")}, {"1", "A", "1"}}));

    // An empty file: only the header's empty cell, and 0.
    rows.clear();
    EXPECT_EQ(CCsvReader(file("empty.csv", {}), u',', 0).ReadHead(&rows, kAllRows, nullptr), 0);
    EXPECT_EQ(rows, CImportRows({{QString()}}));
    EXPECT_TRUE(ui.Prompt().Texts().isEmpty());

    // A missing file: its message, and the table as it was.
    rows = {{QStringLiteral("kept")}};
    const QString missing = dir.filePath(QStringLiteral("missing.csv"));
    EXPECT_EQ(CCsvReader(missing, u',', 0).ReadHead(&rows, kAllRows, nullptr), 0);
    EXPECT_EQ(rows, CImportRows({{QStringLiteral("kept")}}));
    ASSERT_EQ(ui.Prompt().Texts().size(), 1);
    EXPECT_TRUE(ui.Prompt().Texts().front().contains(missing));
}

// The streaming reader over hostile shapes: a line of more values than the
// import pairs, or longer than any record, is refused while it is read,
// before any of it is handed over, and a UTF-8 file must end on a whole
// character. The check of the whole file gives the same answer.
TEST(CsvReader, HostileLinesAndCutCharactersAreRefusedWhileRead)
{
    const int most = CCsvReader::kMaxFields;
    const auto line = [](int values, const char* value = "a") -> QByteArray {
        QByteArray bytes = value;
        for (int i = 1; i < values; ++i)
            bytes += QByteArray(",") + value;
        return bytes + "\r\n";
    };
    const QByteArray bom = "\xEF\xBB\xBF";
    // After the mark the first block of the file ends one byte into "表"
    // (E8 A1 A8): 349 525 lines of "x" fill it but one byte.
    const QByteArray straddling = bom + QByteArray("x\r\n").repeated(349525) + "\xE8\xA1\xA8\r\n";
    const char* const many = "項目の数が多すぎます（256個まで）。";
    const QString tooMany = Said(1, many);
    const QString tooLong = Said(1, "1行の文字数が多すぎます（1048576文字まで）。");
    const QByteArray longer = QByteArray(CCsvReader::kMaxLineChars, 'v') + "\r\n",
                     endless = "\"" + QByteArray(CCsvReader::kMaxLineChars * 3, 'q');
    // A UTF-8 file whose bytes are not all UTF-8 is refused before a row is
    // handed over.
    const struct {
        const char* name;
        QByteArray bytes;
        bool ok;
        qint64 handed;    // rows the sink was given
        QStringList last; // the last of them, when read
        QString said;     // the refusal
    } cases[] = {
        {"as many values as the import pairs", line(most) + line(most), true, 2, {}, {}},
        {"one value more", line(most + 1), false, 0, {}, tooMany},
        {"a line of a hundred thousand delimiters", QByteArray(100000, ','), false, 0, {}, tooMany},
        {"a long line after good ones", line(3) + line(3) + line(most * 4), false, 2, {}, Said(3, many)},
        {"one value as long as a line may be",
         QByteArray(CCsvReader::kMaxLineChars - 1, 'v') + "\r\n",
         true,
         1,
         {},
         {}},
        {"one value a character longer", longer, false, 0, {}, tooLong},
        {"an endless quoted value", endless, false, 0, {}, tooLong},
        {"UTF-8 with a mark, whole", bom + "a,\xE8\xA1\xA8", true, 1, {"1", "a", U("表")}, {}},
        {"UTF-8 with a mark, its last character cut",
         bom + "a,b\r\nc,\xE8\xA1",
         false,
         0,
         {},
         Said(2, kNotUtf8)},
        {"UTF-8 with a mark, one line, cut", bom + "a,\xE8\xA1", false, 0, {}, Said(1, kNotUtf8)},
        {"UTF-8 with a mark, a bad byte", bom + "a,\xE8\x41\xA8", false, 0, {}, Said(1, kNotUtf8)},
        {"a character across the first block's end", straddling, true, 349526, {"349526", U("表")}, {}},
        {"the same, cut", straddling.left(straddling.size() - 3), false, 0, {}, Said(349526, kNotUtf8)},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QStringLiteral("hostile.csv"));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(c.bytes);
        out.close();
        ScopedFakeUi ui;
        CCsvReader reader(path, u',', 0);
        qint64 handed = 0;
        QStringList last;
        const qint64 read = reader.ReadRows(
            [&](QStringList&& row) {
                ++handed;
                last = std::move(row);
                return true;
            },
            false);
        EXPECT_EQ(read, c.ok ? c.bytes.size() : 0);
        EXPECT_EQ(handed, c.handed);
        EXPECT_EQ(ui.Prompt().Texts(), c.ok ? QStringList() : QStringList{c.said});
        if (!c.last.isEmpty()) {
            EXPECT_EQ(last, c.last);
        }
        CImportRows head;
        EXPECT_EQ(CCsvReader(path, u',', 0).ReadHead(&head, 2, nullptr) > 0, c.ok);
    }
}

// A file that is valid UTF-8 throughout is read as UTF-8, whole, streamed
// or checked, wherever its first byte past ASCII stands, also when it holds
// no character of three bytes (Western letters); one that is valid
// Shift_JIS as well asks first, naming the line. Text in an encoding the
// reader does not read is refused by its name, UTF-16 without its mark too;
// Shift_JIS that is valid EUC-JP too is asked about (Enter refuses it as
// EUC-JP where it holds kanji). One DOS end-of-file byte at the very end ends
// the file. A fault of the grammar, or bytes of neither encoding, give the
// format message naming the line.
TEST(CsvReader, EachEncodingIsReadOrRefusedWhereverItsBytesStand)
{
    const QByteArray bom = "\xEF\xBB\xBF";
    // "×" (C3 97) before a digit is no Shift_JIS: 0x97 is a lead byte, 0x32 no trail byte.
    const QByteArray western = U("Café,Müller\r\n¥100,×2\r\n").toUtf8(), times = U("×1\r\n").toUtf8();
    const auto named = [](const char* name) -> QString {
        return U("テキストファイルの文字コードが") + U(name) +
               U("。\n読み込めるのはUTF-8とShift_JISのファイルです。UTF-8かShift_JISで保存し直して"
                 "から読み込んでください。\nファイルの読み込みを中止します。");
    };
    const QString eucJp = named("EUC-JPのようです"), utf16 = named("UTF-16（Unicode テキスト）です"),
                  utf32 = named("UTF-32です");
    const QByteArray utf16Le("\xFF\xFE\x61\0,\0b\0\r\0\n\0", 12), utf16Be("\xFE\xFF\0a\0,\0b", 8),
        utf32Le("\xFF\xFE\0\0a\0\0\0", 8), utf32Be("\0\0\xFE\xFF\0\0\0a", 8);
    const QByteArray cafe = U("Café\r\n").toUtf8();
    const char* const kutus = "Kütüs\u00A0GmbH,1\r\n";
    const qint64 secondBlockLine = Filler(kBlock + 10).count('\n') + 1;
    const struct {
        const char* name;
        QByteArray bytes;
        QStringList last; // the values of the last row, when read
        qint64 asks;      // the line the question names; 0 none
        QString said;     // the refusal
    } cases[] = {
        {"accented letters and a no-break space", U(kutus).toUtf8(), {U(kutus).left(10), "1"}, 0, {}},
        {"a last letter that ends on a CP932 lead byte", "a,\xC4\x81", {"a", U("ā")}, 0, {}},
        {"a no-break space in the second block", Filler(kBlock + 10) + "K\xC2\xA0", {U("K\u00A0")}, 0, {}},
        {"a byte of neither encoding", "K\xC3\xBC,\x80\r\n", {}, 0, Said(1, kNotSjis)},
        {"UTF-8 with a mark, damaged", bom + "a,\xE8\x41", {}, 0, Said(1, kNotUtf8)},
        {"a letter after a closing quote, in valid UTF-8",
         U("\"a\"x,é").toUtf8(),
         {},
         1,
         Said(1, kAfterQuote)},
        {"Café, Müller, ¥ and ×", western, {U("¥100"), U("×2")}, 0, {}},
        {"the first of them the file's first byte", times, {U("×1")}, 0, {}},
        {"the first of them across the first block's end", Filler(kBlock - 1) + times, {U("×1")}, 0, {}},
        {"the first of them the second block's first byte", Filler(kBlock) + times, {U("×1")}, 0, {}},
        {"Shift_JIS as well, in the second block",
         Filler(kBlock + 10) + cafe,
         {U("Cafﾃｩ")}, // by Enter: the books hold no "é"
         secondBlockLine,
         {}},
        {"Shift_JIS broken on a later line", Sjis("表,a\r\nb,c\r\n") + "\x80\r\n", {}, 0, Said(3, kNotSjis)},
        {"EUC-JP", "\xC5\xEC\xB5\xFE,\xA5\xC6\xA5\xB9\xA5\xC8\r\n", {}, 0, eucJp},
        {"EUC-JP after ASCII lines", "a,b\r\nc,\xC5\xEC\r\n", {}, 0, eucJp},
        {"UTF-16 LE with its mark", utf16Le, {}, 0, utf16},
        {"UTF-16 BE with its mark", utf16Be, {}, 0, utf16},
        {"ASCII in UTF-16 LE without its mark", utf16Le.mid(2), {}, 0, utf16},
        {"ASCII in UTF-16 BE without its mark", utf16Be.mid(2), {}, 0, utf16},
        {"zeros on both sides are data", QByteArray("a,\0\0\0\0\r\n", 8), {"a", QString(4, QChar(0))}, 0, {}},
        {"UTF-32 LE with its mark", utf32Le, {}, 0, utf32},
        {"UTF-32 BE with its mark", utf32Be, {}, 0, utf32},
        {"Shift_JIS of kanji that is valid EUC-JP", Sjis("爐爬,ｱｲ\r\nｳｴ,ｵｶ\r\n"), {}, 1, named("EUC-JPです")},
        {"Shift_JIS ending in a DOS end-of-file byte", Sjis("店\r\n一号店\r\n\x1A"), {U("一号店")}, 0, {}},
        {"the byte after a last line without CR LF", "a,b\r\nc,d\x1A", {"c", "d"}, 0, {}},
        {"the byte after UTF-8", "a,\xE8\xA1\xA8\r\n\x1A", {"a", U("表")}, 0, {}},
        {"two such bytes", "a,b\r\n\x1A\x1A", {}, 0, CountFault(2, 1, 2)},
        {"the byte inside the file is data", "a,\x1A\r\nc,d\r\n", {"c", "d"}, 0, {}},
        {"a short line", "a,b,c\r\nd,e,f\r\ng,h\r\n", {}, 0, CountFault(3, 2, 3)},
        {"a short line after a value over two lines", "a,\"b\r\nc\"\r\nd\r\n", {}, 0, CountFault(3, 1, 2)},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Write(dir, c.bytes);
        const auto check = [&](const CFakePrompt& prompt) {
            QStringList texts = prompt.Texts();
            if (c.asks > 0) {
                ASSERT_FALSE(texts.isEmpty());
                EXPECT_TRUE(texts.takeFirst().contains(U("としても読めます。\n%1行目は").arg(c.asks)));
            }
            EXPECT_EQ(texts, c.said.isEmpty() ? QStringList() : QStringList{c.said});
        };
        ScopedFakeUi ui;
        CImportRows whole{{QStringLiteral("old")}};
        EXPECT_EQ(CCsvReader(path, u',', 0).ReadHead(&whole, kAllRows, nullptr) > 0, c.said.isEmpty());
        check(ui.Prompt());
        EXPECT_EQ(LastValues(whole), c.last);
        ui.Prompt().Clear();
        QStringList streamed;
        EXPECT_EQ(StreamLast(path, &streamed), c.said.isEmpty() ? c.bytes.size() : 0);
        check(ui.Prompt());
        if (c.said.isEmpty()) {
            EXPECT_EQ(streamed, c.last);
        }
        ui.Prompt().Clear();
        CImportRows head;
        EXPECT_EQ(CCsvReader(path, u',', 0).ReadHead(&head, 2, nullptr) > 0, c.said.isEmpty());
        EXPECT_EQ(head.isEmpty(), !c.said.isEmpty());
        check(ui.Prompt());
    }
}

// The reader decodes a block at a time: a character, a CR LF, a doubled
// quote or the DOS end-of-file byte cut by a block's end reads as it reads
// inside a block, in either encoding. UTF-8 goes through one decoder for the
// file: a U+FEFF is a character wherever it stands but at the very start of
// the file, also when it begins a block or is split by a block's end. A
// Shift_JIS trail byte may look like a lead byte (0xFA of "日").
TEST(CsvReader, WhatABlockEdgeCutsIsReadWhole)
{
    const QByteArray bom = "\xEF\xBB\xBF", mark = "\xEF\xBB\xBF";
    const QByteArray hyo = "\xE8\xA1\xA8", emoji = "\xF0\x9F\x98\x80";
    // First lines that make the file UTF-8 or Shift_JIS.
    const QByteArray utf8 = U("表\r\n").toUtf8(), sjis = Sjis("表\r\n");
    const auto x1 = [](const QByteArray& middle) -> QByteArray { return "X" + middle + "1\r\n"; };
    const struct {
        const char* name;
        QByteArray start;  // the file's first bytes
        QByteArray record; // its byte `at` is the second block's first byte
        qsizetype at;
        const char* value;            // the record's row's one value
        const char* end = "last\r\n"; // the file's bytes after the record
        const char* last = "last";    // the value of the file's last row
    } cases[] = {
        {"a mark starting the second block", {}, x1(mark), 1, "X\uFEFF1"},
        {"a mark starting the second block, the file with its own mark", bom, x1(mark), 1, "X\uFEFF1"},
        {"a mark split one byte before the edge", {}, x1(mark), 2, "X\uFEFF1"},
        {"a mark split two bytes before the edge", bom, x1(mark), 3, "X\uFEFF1"},
        {"a mark just after the edge", {}, x1(mark), 0, "X\uFEFF1"},
        {"a kanji split one byte before the edge", bom, x1(hyo), 2, "X表1"},
        {"a kanji split two bytes before the edge", {}, x1(hyo), 3, "X表1"},
        {"an emoji split three bytes before the edge", {}, x1(emoji), 4, "X😀1"},
        {"an emoji split one byte before the edge", bom, x1(emoji), 2, "X😀1"},
        {"a Shift_JIS pair split by the edge", sjis, Sjis("X表1\r\n"), 2, "X表1"},
        {"a pair ending the block on a trail byte in the lead range", sjis, Sjis("X日1\r\n"), 3, "X日1"},
        {"a pair starting the second block", sjis, Sjis("X表1\r\n"), 1, "X表1"},
        {"half-width katakana, then a pair split by the edge", sjis, Sjis("Xｱ表1\r\n"), 3, "Xｱ表1"},
        {"CR LF split by the edge, UTF-8", utf8, "X1\r\n", 3, "X1"},
        {"CR LF split by the edge, Shift_JIS", sjis, Sjis("X表\r\n"), 4, "X表"},
        {"a quoted CR LF split by the edge", bom, "\"X\r\n1\"\r\n", 3, "X\r\n1"},
        {"a lone CR ending the block", sjis, "X\r1\r\n", 2, "X\r1"},
        {"a doubled quote split by the edge", utf8, "\"X\"\"1\"\r\n", 3, "X\"1"},
        {"the end-of-file byte alone in the second block, Shift_JIS", sjis, Sjis("X表1\r\n") + "\x1A", 6,
         "X表1", "", "X表1"},
        {"the end-of-file byte ending the first block, UTF-8", utf8, "X1\r\n\x1A", 5, "X1", "", "X1"},
        {"the byte ending the first block inside the data", bom, "X\x1A\x31\r\n", 2, "X\x1A\x31"},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype from = kBlock - c.at;
        const QByteArray bytes = c.start + Filler(from - c.start.size()) + c.record + c.end;
        ASSERT_EQ(bytes.indexOf(c.record), from);
        const QString path = Write(dir, bytes);
        ScopedFakeUi ui;
        QStringList record, lastRow;
        ASSERT_EQ(CCsvReader(path, u',', 0)
                      .ReadRows(
                          [&](QStringList&& row) {
                              if (row.value(1).startsWith(u'X'))
                                  record = row;
                              lastRow = std::move(row);
                              return true;
                          },
                          false),
                  bytes.size());
        // Every line before the record is one row.
        EXPECT_EQ(record, QStringList({QString::number(bytes.left(from).count('\n') + 1), U(c.value)}));
        EXPECT_EQ(lastRow.mid(1), QStringList{U(c.last)});
        EXPECT_TRUE(ui.Prompt().Texts().isEmpty());
    }

    // Only the first of two marks at the start of a file is the file's.
    const QByteArray twice = bom + mark + "a\r\n";
    const QString path = Write(dir, twice);
    QStringList streamed;
    EXPECT_EQ(CCsvReader(path, u',', 0)
                  .ReadRows(
                      [&](QStringList&& row) {
                          streamed = row;
                          return true;
                      },
                      false),
              twice.size());
    EXPECT_EQ(streamed, QStringList({"1", QChar(0xFEFF) + QStringLiteral("a")}));
    EXPECT_EQ(CCsvReader::DecodePreview(twice, true), QChar(0xFEFF) + QStringLiteral("a\r\n"));
}

} // namespace
