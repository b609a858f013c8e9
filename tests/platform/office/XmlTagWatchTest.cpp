#include "platform/office/XmlTagWatch.h"
#include "MarkupCheck.h"
#include "support/Iconv.h"

#include <QByteArray>
#include <QString>

#include <libxml/encoding.h>
#include <libxml/tree.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace
{

QByteArray Attributes(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += " a" + QByteArray::number(i) + "=\"\"";
    return text;
}

QByteArray Declarations(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += " xmlns:n" + QByteArray::number(i) + "=\"u\"";
    return text;
}

// The fault the watch finds in `bytes` handed over `block` bytes at a time.
CXmlTagWatch::Fault FaultOf(const QByteArray& bytes, qsizetype block, CXmlTagWatch::Encodings encodings)
{
    CXmlTagWatch watch(1000, encodings);
    for (qsizetype at = 0; at < bytes.size(); at += block) {
        if (!watch.Pass(bytes.constData() + at, qMin(block, bytes.size() - at)))
            break;
    }
    return watch.GetFault();
}

} // namespace

// Whole tags and runs are read at once within a block and a character at a
// time across blocks: however a file is cut into blocks, the watch finds
// the same fault, or none.
TEST(XmlTagWatch, TheFaultIsTheSameWhereverTheBlocksEnd)
{
    const QByteArray head = "<?xml version=\"1.0\"?>\n";
    const QByteArray shiftJis = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>";
    const QByteArray eucJp = "<?xml version=\"1.0\" encoding=\"EUC-JP\"?>";
    // 20 declarations in scope, 20 of an empty element, then those of a third.
    const auto nested = [](int third) -> QByteArray {
        return "<a" + Declarations(20) + "><b" + Declarations(20) + "/><c" + Declarations(third) + ">";
    };
    const struct {
        const char* what;
        QByteArray bytes;
        CXmlTagWatch::Fault fault;
        CXmlTagWatch::Encodings encodings = CXmlTagWatch::kUnicode;
    } cases[] = {
        {"a sheet", head + "<r><c r=\"A1\" t=\"s\"><v>0</v></c><c r='B1'/>\n<x:y  a = \"&gt;\" /></r>",
         CXmlTagWatch::kNoFault},
        {"64 attributes", head + "<r" + Attributes(64) + "/>", CXmlTagWatch::kNoFault},
        {"65", head + "<r" + Attributes(65) + "/>", CXmlTagWatch::kLongTag},
        {"a tag past the bound", head + "<r a=\"" + QByteArray(1000, 'x') + "\"/>", CXmlTagWatch::kLongTag},
        {"40 declarations in scope, an empty element's gone with it", head + nested(20),
         CXmlTagWatch::kNoFault},
        {"41", head + nested(21), CXmlTagWatch::kNamespaces},
        {"attributes in comments, data and instructions",
         head + "<r><!--<a" + Attributes(65) + ">--><![CDATA[<a" + Attributes(65) + ">]]><?p <a" +
             Attributes(65) + "> ?></r>",
         CXmlTagWatch::kNoFault},
        {"a document type", head + "<!DOCTYPE r [<!-- > <?x -->]><r/>", CXmlTagWatch::kDocType},
        {"one in UTF-16", Iconv::Encode("\xEF\xBB\xBF" + head + "<!DOCTYPE r><r/>", "UTF-16LE"),
         CXmlTagWatch::kDocType},
        {"a declaration in lower case", head + "<!doctype r><r/>", CXmlTagWatch::kNoFault},
        {"Shift_JIS data ending in a character ending in \"]\"",
         shiftJis + Iconv::Encode("<r><![CDATA[‐]><!--]]><a" + Attributes(65) + "/></r>", "SHIFT_JIS"),
         CXmlTagWatch::kLongTag, CXmlTagWatch::kUnicodeOrJapanese},
        {"its end found",
         shiftJis + Iconv::Encode("<r><![CDATA[‐]]]><!--<a" + Attributes(65) + "/>--></r>", "SHIFT_JIS"),
         CXmlTagWatch::kNoFault, CXmlTagWatch::kUnicodeOrJapanese},
        {"EUC-JP", eucJp + Iconv::Encode("<r><![CDATA[‐]]]><a" + Attributes(65) + "/></r>", "EUC-JP"),
         CXmlTagWatch::kLongTag, CXmlTagWatch::kUnicodeOrJapanese},
        {"Shift_JIS in a workbook", shiftJis + "<r/>", CXmlTagWatch::kEncoding},
        {"after UTF-8's mark", "\xEF\xBB\xBF" + shiftJis + "<r/>", CXmlTagWatch::kEncoding,
         CXmlTagWatch::kUnicodeOrJapanese},
        // The dashes that end a comment, and the "?" that ends an
        // instruction, come after its opening.
        {"a comment opened as \"<!-->\" ends at the next \"-->\"",
         head + "<r><!--><?x --><a" + Attributes(65) + "/></r>", CXmlTagWatch::kLongTag},
        {"as \"<!--->\"", head + "<r><!--->?>--><a" + Attributes(65) + "/></r>", CXmlTagWatch::kLongTag},
        {"\"<!---->\" is a whole comment", head + "<r><!----><!--<a" + Attributes(65) + "/>--></r>",
         CXmlTagWatch::kNoFault},
        {"in Shift_JIS", shiftJis + "<r><!--><?x --><a" + Attributes(65) + "/></r>", CXmlTagWatch::kLongTag,
         CXmlTagWatch::kUnicodeOrJapanese},
        {"in UTF-16",
         Iconv::Encode("\xEF\xBB\xBF" + head + "<r><!--><?x --><a" + Attributes(65) + "/></r>", "UTF-16LE"),
         CXmlTagWatch::kLongTag},
        {"namespaces behind it", head + "<!--><?x -->" + nested(21), CXmlTagWatch::kNamespaces},
        {"comments behind it", head + "<r><!--><?x -->" + QByteArray("<!---->").repeated(100000) + "</r>",
         CXmlTagWatch::kComments},
        {"a document type behind it", head + "<!--><?x --><!DOCTYPE r><r/>", CXmlTagWatch::kDocType},
        {"an instruction opened as \"<?>\" ends at the next \"?>\"",
         head + "<r><?><!-- ?><a" + Attributes(65) + "/>--></r>", CXmlTagWatch::kLongTag},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.bytes.isEmpty());
        for (const qsizetype block : {qsizetype(1), qsizetype(2), qsizetype(7), qsizetype(4000)}) {
            SCOPED_TRACE(block);
            EXPECT_EQ(FaultOf(c.bytes, block, c.encodings), c.fault);
        }
    }
}

// The watch sees markup begin and end where libxml2 does, in every encoding
// a contact file comes in, however the bytes are cut: comments,
// instructions and character data holding the others' ends, quoted values
// holding ">", Japanese names and texts; and on shapes the parser refuses,
// it agrees with itself.
TEST(XmlTagWatch, MarkupEndsWhereTheParserSaysInEveryEncoding)
{
    const struct {
        const char* what;
        QByteArray body;
        bool wellFormed;
    } cases[] = {
        {"a sheet's elements",
         "<r a=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r='B1'/>\n<c\r\n\tr = \"C1\" /></r>", true},
        {"quoted values holding the ends of markup",
         "<r a=\"x>y\" b='?>' c=\"-->\" d=\"]]>\" e='\"'><f g=\"'>\"/></r>", true},
        {"comments of every shape", "<r><!----><!-- a --><!--><?x --><!--->?>--><!-- 表‐ソ --></r>", true},
        {"instructions", "<r><?p?><?p a>b ?><?p --> <!-- ?><?p \"?>' ?></r>", true},
        {"character data", "<r><![CDATA[<a b=\"c\">]]>t<![CDATA[--> ?> ]]]]>t<![CDATA[表‐]]></r>", true},
        {"Japanese names and texts", "<表 属=\"値‐\">能ソ<ソ/>‐]]<!--能--></表>", true},
        {"a prolog and an epilog", "<!-- c --><?p x?>\n<r/>\n<!-- after --><?q?>", true},
        {"namespaces", "<r xmlns=\"u\" xmlns:p=\"v\"><p:a p:b=\"1\"/><a xmlns:q='w'/></r>", true},
        {"a document type", "<!DOCTYPE r [<!-- > <?x -->]><r/>", true},
        {"one behind a comment opened as \"<!-->\"", "<?p?><!--><?x --><!DOCTYPE r><r/>", true},
        {"a quote right after \"<\"", "<r><\"a>b\"/></r>", false},
        {"\"<>\"", "<r><></r>", false},
        {"\"< a\"", "<r>< a/></r>", false},
        {"an instruction opened as \"<?>\"", "<r><?> ?></r>", false},
        {"a lower-case document type", "<!doctype r><r/>", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const MarkupCheck::Encoded& encoded : MarkupCheck::InEveryEncoding(c.body)) {
            SCOPED_TRACE(encoded.name);
            ASSERT_GT(encoded.bytes.size(), c.body.size()) << "not encoded";
            EXPECT_EQ(MarkupCheck::CheckAgainstParser(encoded.bytes), c.wellFormed);
        }
    }
}

namespace
{

// Whether libxml2's converter for `name` reads every first byte from 0x80
// with every byte after it as the watch does: Shift_JIS's first bytes with
// the bytes that may follow them as one character and no other two bytes
// so, and in EUC-JP never a byte below 0x80 as part of another character.
bool PairsAsTheWatch(const char* name, bool shiftJis)
{
    xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(name);
    if (!handler)
        return false;
    // The characters read from `bytes`, and how many bytes they took; none
    // when the converter refuses them (the parser stops there).
    const auto read = [handler](std::initializer_list<uchar> bytes) -> std::pair<QByteArray, int> {
        xmlBufferPtr in = xmlBufferCreate(), out = xmlBufferCreate();
        for (const uchar b : bytes)
            xmlBufferAdd(in, &b, 1);
        const bool refused = xmlCharEncInFunc(handler, out, in) == -2;
        const std::pair<QByteArray, int> result{
            refused ? QByteArray()
                    : QByteArray(reinterpret_cast<const char*>(xmlBufferContent(out)), xmlBufferLength(out)),
            refused ? -1 : int(bytes.size()) - xmlBufferLength(in)};
        xmlBufferFree(in);
        xmlBufferFree(out);
        return result;
    };
    const auto characters = [](const QByteArray& utf8) {
        return std::count_if(utf8.begin(), utf8.end(), [](char b) { return (uchar(b) & 0xC0) != 0x80; });
    };
    bool same = true;
    for (int first = 0x80; first <= 0xFF && same; ++first) {
        for (int next = 0; next <= 0xFF && same; ++next) {
            const auto [text, taken] = read({uchar(first), uchar(next)});
            if (taken < 0)
                continue;
            if (shiftJis) {
                const bool pair = Cp932::IsLeadByte(uchar(first)) && Cp932::IsTrailByte(uchar(next));
                same = pair ? taken == 2 && characters(text) == 1 : !(taken == 2 && characters(text) == 1);
            } else if (next < 0x80) {
                same = taken == 2 && text.endsWith(char(next));
            } else if (first == 0x8F) {
                for (int last = 0; last < 0x80 && same; ++last) {
                    const auto [three, took] = read({uchar(first), uchar(next), uchar(last)});
                    same = took < 0 || (took == 3 && three.endsWith(char(last)));
                }
            }
        }
    }
    xmlCharEncCloseFunc(handler);
    return same;
}

} // namespace

// A declared encoding is read when its converter here pairs the bytes as
// the watch does; a spelling that names another table is refused by name.
TEST(XmlTagWatch, DeclaredSpellingsAreReadWhereTheConverterPairsAsTheWatch)
{
    const struct {
        const char* name;
        bool shiftJis;
        bool read;
    } cases[] = {
        {"Shift_JIS", true, true},  {"SJIS", true, true},
        {"CP932", true, true},      {"Windows-31J", true, true},
        {"MS_Kanji", true, true},   {"csShiftJIS", true, true},
        {"MS932", true, true},      {"csWindows31J", true, true},
        {"SJIS-open", true, true},  {"SJIS-win", true, true},
        {"x-sjis", true, false},    {"EUC-JP", false, true},
        {"UJIS", false, true},      {"csEUCPkdFmtJapanese", false, true},
        {"x-euc-jp", false, false},
    };
    // The converter's refusals are expected: not written out.
    xmlSetGenericErrorFunc(nullptr, MarkupCheck::Quiet);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PairsAsTheWatch(c.name, c.shiftJis), c.read);
        const QByteArray bytes = "<?xml version=\"1.0\" encoding=\"" + QByteArray(c.name) + "\"?><r/>";
        CXmlTagWatch watch(1000, CXmlTagWatch::kUnicodeOrJapanese);
        EXPECT_EQ(watch.Pass(bytes.constData(), bytes.size()), c.read);
        EXPECT_EQ(watch.RefusedEncoding(), c.read ? QByteArray() : QByteArray(c.name));
    }
    xmlSetGenericErrorFunc(nullptr, nullptr);
}
