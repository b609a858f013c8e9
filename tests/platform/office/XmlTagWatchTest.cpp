#include "platform/office/XmlTagWatch.h"
#include "support/Iconv.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

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
    // A tag of 65 attributes after the comment "<!--><?x -->".
    const QByteArray wide = "<a" + Attributes(65), behind = "<r><!--><?x -->" + wide + "/></r>";
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
        {"a comment opened as \"<!-->\" ends at the next \"-->\"", head + behind, CXmlTagWatch::kLongTag},
        {"as \"<!--->\"", head + "<r><!--->?>-->" + wide + "/></r>", CXmlTagWatch::kLongTag},
        {"\"<!---->\" is a whole comment", head + "<r><!----><!--" + wide + "/>--></r>",
         CXmlTagWatch::kNoFault},
        {"in Shift_JIS", shiftJis + behind, CXmlTagWatch::kLongTag, CXmlTagWatch::kUnicodeOrJapanese},
        {"in UTF-16", Iconv::Encode("\xEF\xBB\xBF" + head + behind, "UTF-16LE"), CXmlTagWatch::kLongTag},
        {"namespaces behind it", head + "<!--><?x -->" + nested(21), CXmlTagWatch::kNamespaces},
        {"comments behind it", head + "<r><!--><?x -->" + QByteArray("<!---->").repeated(100000) + "</r>",
         CXmlTagWatch::kComments},
        {"a document type behind it", head + "<!--><?x --><!DOCTYPE r><r/>", CXmlTagWatch::kDocType},
        {"an instruction opened as \"<?>\" ends at the next \"?>\"",
         head + "<r><?><!-- ?>" + wide + "/>--></r>", CXmlTagWatch::kLongTag},
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
