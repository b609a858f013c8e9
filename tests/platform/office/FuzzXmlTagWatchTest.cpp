#include "platform/office/XmlTagWatch.h"
#include "support/Iconv.h"

#include <libxml/parser.h>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace
{

void Quiet(void*, const char*, ...) {}
QByteArray Collapsed(QByteArray marks)
{
    while (marks.contains("DD"))
        marks.replace("DD", "D");
    return marks;
}

// The markup libxml2's push parser reports, a letter a piece as the watch
// records them ("T" a document type, "D" a run of character data), and
// whether it read the file whole; fed as its reader feeds it: the first
// four bytes, then blocks of 512.
std::pair<QByteArray, bool> Parse(const QByteArray& bytes)
{
    static constexpr auto mark = [](void* marks, char c) { static_cast<QByteArray*>(marks)->append(c); };
    xmlSAXHandler sax{};
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = [](void* c, auto...) { mark(c, 'S'); };
    sax.endElementNs = [](void* c, auto...) { mark(c, 'E'); };
    sax.comment = [](void* c, auto...) { mark(c, 'C'); };
    sax.processingInstruction = [](void* c, auto...) { mark(c, 'P'); };
    sax.cdataBlock = [](void* c, auto...) { mark(c, 'D'); };
    sax.internalSubset = [](void* c, auto...) { mark(c, 'T'); };
    sax.serror = [](void*, auto...) {};
    xmlSetGenericErrorFunc(nullptr, Quiet);
    QByteArray marks;
    const int n = int(bytes.size()), first = qMin(4, n);
    xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(&sax, &marks, bytes.constData(), first, nullptr);
    xmlCtxtUseOptions(ctxt, XML_PARSE_NONET);
    // A converter's refusal stops the parser without marking the file.
    int stopped = 0;
    for (int at = first; at < n && !stopped; at += 512)
        stopped = xmlParseChunk(ctxt, bytes.constData() + at, qMin(512, n - at), 0);
    const bool whole = !xmlParseChunk(ctxt, nullptr, 0, 1) && !stopped && ctxt->wellFormed;
    xmlFreeParserCtxt(ctxt);
    xmlSetGenericErrorFunc(nullptr, nullptr);
    return {Collapsed(marks), whole};
}

struct Watcher {
    Watcher() { watch.RecordMarkup(&marks); }
    CXmlTagWatch::Fault Pass(const QByteArray& bytes, qsizetype from, qsizetype to)
    {
        if (!watch.GetFault())
            watch.Pass(bytes.constData() + from, to - from);
        return watch.GetFault();
    }
    QByteArray marks;
    CXmlTagWatch watch{1000, CXmlTagWatch::kUnicodeOrJapanese};
};

// Whole, a byte at a time and cut in two at every byte, the watch finds the
// same fault and, but past one, the same markup, standing after the cut
// where a byte at a time stood; it sees the markup libxml2 reports up to
// where either stops (the parser's first error, a document type, a bound).
// Answers whether libxml2 read the file whole.
bool Agrees(const QByteArray& bytes)
{
    Watcher whole, bytewise;
    const CXmlTagWatch::Fault fault = whole.Pass(bytes, 0, bytes.size());
    for (qsizetype cut = 1; cut <= bytes.size() && !testing::Test::HasFailure(); ++cut) {
        Watcher split;
        const CXmlTagWatch::Fault then = bytewise.Pass(bytes, cut - 1, cut);
        EXPECT_EQ(split.Pass(bytes, 0, cut), then) << "cut at " << cut;
        if (!then) {
            EXPECT_EQ(split.marks, bytewise.marks) << "cut at " << cut;
        }
        EXPECT_EQ(split.Pass(bytes, cut, bytes.size()), fault) << "cut at " << cut;
        if (!fault) {
            EXPECT_EQ(split.marks, whole.marks) << "cut at " << cut;
        }
    }
    const auto [parsed, read] = Parse(bytes);
    const QByteArray seen = Collapsed(whole.marks);
    SCOPED_TRACE(QByteArray(seen + " " + parsed).constData());
    // At the end of the input the parser reports the start tag or the
    // character data it is in before it finds no end.
    const bool open = parsed.endsWith('S') || parsed.endsWith('D');
    if (!fault && read) {
        EXPECT_EQ(seen, parsed);
    } else if (!fault) {
        EXPECT_TRUE(seen.startsWith(parsed) || (open && seen.startsWith(parsed.chopped(1))));
    } else {
        EXPECT_TRUE(parsed.startsWith(seen) || seen.startsWith(parsed));
    }
    EXPECT_TRUE(fault != CXmlTagWatch::kDocType || !read || parsed.mid(seen.size(), 1) == "T");
    return read;
}

// An XML body (UTF-8) in each encoding a contact file comes in, with the
// declaration that names it; empty where iconv cannot write it.
std::vector<std::pair<const char*, QByteArray>> InEveryEncoding(const QByteArray& body)
{
    const auto in = [&body](const QByteArray& mark, const char* name, const char* encoding) {
        const QByteArray bytes =
            Iconv::Encode("<?xml version=\"1.0\" encoding=\"" + QByteArray(name) + "\"?>" + body, encoding);
        return bytes.isEmpty() ? QByteArray() : mark + bytes;
    };
    return {{"UTF-8", "<?xml version=\"1.0\"?>" + body},
            {"UTF-8 with its mark", in("\xEF\xBB\xBF", "UTF-8", "UTF-8")},
            {"Shift_JIS", in({}, "Shift_JIS", "SHIFT_JIS")},
            {"EUC-JP", in({}, "EUC-JP", "EUC-JP")},
            {"UTF-16LE", in("\xFF\xFE", "UTF-16", "UTF-16LE")},
            {"UTF-16BE", in("\xFE\xFF", "UTF-16", "UTF-16BE")}};
}

// Content that holds the ends of other markup, Japanese text whose
// Shift_JIS bytes include "]" and "\", and last shapes libxml2 refuses;
// whether "<r>" and "</r>" around it read whole.
const std::pair<const char*, bool> kPieces[] = {
    {"<c r=\"A1\" t=\"s\"><v>0</v></c><c r='B1'/>\n<c\r\n\tr = \"C1\" />", true},
    {"<a b=\"x>y\" c='?>' d=\"-->\" e=']]>' f='\"'/>", true},
    {"<p:c xmlns:p=\"u\"><p:d p:e=\"1\"/></p:c>", true},
    {"<表 属=\"値‐\">能ソ‐]]</表>", true},
    {"<!----><!-- a --><!-- 表‐ソ -->", true},
    {"<!--><?x --><!--->?>-->", true},
    {"<?p?><?p a>b ?><?p --> <!-- ?><?p \"?>' ?>", true},
    {"<![CDATA[<a b=\"c\">]]>t<![CDATA[--> ?> ]]]]>t<![CDATA[表‐]]>", true},
    {"<\"a>b\"/>", false},
    {"<>", false},
    {"< a/>", false},
    {"<?> ?>", false},
    {"<!DOCTYPE r>", false},
};

} // namespace

// Each piece, and a prolog of comments, instructions and document types, in
// every encoding: the watch sees the markup libxml2 sees.
TEST(FuzzXmlTagWatch, MarkupEndsWhereTheParserSaysInEveryEncoding)
{
    std::vector<std::pair<QByteArray, bool>> bodies{{"<!-- c --><?p x?>\n<r/>\n<!-- after --><?q?>", true},
                                                    {"<!DOCTYPE r [<!-- > <?x -->]><r/>", true},
                                                    {"<?p?><!--><?x --><!DOCTYPE r><r/>", true},
                                                    {"<!doctype r><r/>", false}};
    for (const auto& [text, read] : kPieces)
        bodies.push_back({"<r>" + QByteArray(text) + "</r>", read});
    for (const auto& [body, read] : bodies) {
        SCOPED_TRACE(body.constData());
        for (const auto& [name, bytes] : InEveryEncoding(body)) {
            SCOPED_TRACE(name);
            ASSERT_GT(bytes.size(), body.size()) << "not written";
            EXPECT_EQ(Agrees(bytes), read);
        }
    }
}

// Pieces put together at random in a random encoding, as they are and
// with bytes changed, put in, taken out.
TEST(FuzzXmlTagWatch, GeneratedAndMutatedDocumentsAgreeWithTheParser)
{
    std::mt19937 rng(20261209);
    const char kMarks[] = "<>!?-[]\"' /=";
    int read = 0, refused = 0;
    for (int round = 0; round < 1200 && !HasFailure(); ++round) {
        QByteArray body = "<r>";
        for (int i = int(rng() % 8); i >= 0; --i) // now and then a refused one
            body += kPieces[rng() % 4 ? rng() % 8 : rng() % std::size(kPieces)].first;
        const auto encoded = InEveryEncoding(body + "</r>");
        QByteArray bytes = encoded[rng() % encoded.size()].second;
        for (int edits = round % 3 ? 1 + int(rng() % 3) : 0; edits > 0 && !bytes.isEmpty(); --edits) {
            const qsizetype at = qsizetype(rng() % quint32(bytes.size()));
            const char mark = kMarks[rng() % (sizeof kMarks - 1)];
            const int kind = int(rng() % 4);
            if (kind < 2)
                bytes[at] = kind ? mark : char(rng());
            else if (kind == 2)
                bytes.insert(at, mark);
            else
                bytes.remove(at, 1 + qsizetype(rng() % 3));
        }
        SCOPED_TRACE(testing::Message()
                     << "round " << round << ": " << bytes.toPercentEncoding().constData());
        (Agrees(bytes) ? read : refused)++;
    }
    EXPECT_GT(read, 100);
    EXPECT_GT(refused, 100);
}
