#include "platform/office/XmlTagWatch.h"
#include "support/Iconv.h"

#include <libxml/parser.h>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace
{

void Quiet(void*, const char*, ...) {}
void Mark(void* marks, char mark)
{
    static_cast<QByteArray*>(marks)->append(mark);
}
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
    xmlSAXHandler sax{};
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = [](void* c, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**,
                            int, int, const xmlChar**) { Mark(c, 'S'); };
    sax.endElementNs = [](void* c, const xmlChar*, const xmlChar*, const xmlChar*) { Mark(c, 'E'); };
    sax.comment = [](void* c, const xmlChar*) { Mark(c, 'C'); };
    sax.processingInstruction = [](void* c, const xmlChar*, const xmlChar*) { Mark(c, 'P'); };
    sax.cdataBlock = [](void* c, const xmlChar*, int) { Mark(c, 'D'); };
    sax.internalSubset = [](void* c, const xmlChar*, const xmlChar*, const xmlChar*) { Mark(c, 'T'); };
    sax.serror = [](void*, xmlErrorPtr) {};
    xmlSetGenericErrorFunc(nullptr, Quiet);
    QByteArray marks;
    const int first = int(qMin<qsizetype>(4, bytes.size()));
    xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(&sax, &marks, bytes.constData(), first, nullptr);
    xmlCtxtUseOptions(ctxt, XML_PARSE_NONET);
    // A converter's refusal stops the parser without marking the file.
    bool stopped = false;
    for (qsizetype at = first; at < bytes.size() && !stopped; at += 512)
        stopped =
            xmlParseChunk(ctxt, bytes.constData() + at, int(qMin<qsizetype>(512, bytes.size() - at)), 0);
    stopped = xmlParseChunk(ctxt, nullptr, 0, 1) || stopped;
    const bool whole = ctxt->wellFormed && !stopped;
    xmlFreeParserCtxt(ctxt);
    xmlSetGenericErrorFunc(nullptr, nullptr);
    return {Collapsed(marks), whole};
}

struct Watcher {
    Watcher() { watch.RecordMarkup(&marks); }
    void Pass(const QByteArray& bytes, qsizetype from, qsizetype to)
    {
        if (watch.GetFault() == CXmlTagWatch::kNoFault)
            watch.Pass(bytes.constData() + from, to - from);
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
    whole.Pass(bytes, 0, bytes.size());
    const CXmlTagWatch::Fault fault = whole.watch.GetFault();
    std::vector<qsizetype> marksAt{0};
    std::vector<CXmlTagWatch::Fault> faultAt{CXmlTagWatch::kNoFault};
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        bytewise.Pass(bytes, at, at + 1);
        marksAt.push_back(bytewise.marks.size());
        faultAt.push_back(bytewise.watch.GetFault());
    }
    for (qsizetype cut = 1; cut <= bytes.size() && !testing::Test::HasFailure(); ++cut) {
        Watcher split;
        split.Pass(bytes, 0, cut);
        EXPECT_EQ(split.watch.GetFault(), faultAt[size_t(cut)]) << "cut at " << cut;
        if (!faultAt[size_t(cut)]) {
            EXPECT_EQ(split.marks, bytewise.marks.left(marksAt[size_t(cut)])) << "cut at " << cut;
        }
        split.Pass(bytes, cut, bytes.size());
        EXPECT_EQ(split.watch.GetFault(), fault) << "cut at " << cut;
        if (!fault) {
            EXPECT_EQ(split.marks, whole.marks) << "cut at " << cut;
        }
    }
    const auto [parsed, read] = Parse(bytes);
    const QByteArray seen = Collapsed(whole.marks);
    if (!fault && read) {
        EXPECT_EQ(seen, parsed);
    } else if (!fault) {
        // At the end of the input the parser reports the start tag or the
        // character data it is in before it finds no end.
        const bool open = parsed.endsWith('S') || parsed.endsWith('D');
        EXPECT_TRUE(seen.startsWith(parsed) || (open && seen.startsWith(parsed.chopped(1))))
            << seen.data() << " " << parsed.data();
    } else {
        EXPECT_TRUE(parsed.startsWith(seen) || seen.startsWith(parsed))
            << seen.data() << " " << parsed.data();
        if (fault == CXmlTagWatch::kDocType && read) {
            EXPECT_EQ(parsed.mid(seen.size(), 1), "T") << parsed.data();
        }
    }
    return read;
}

// An XML body (UTF-8) in each encoding a contact file comes in, with the
// declaration that names it; empty where iconv cannot write it.
std::vector<std::pair<const char*, QByteArray>> InEveryEncoding(const QByteArray& body)
{
    const auto declared = [](const char* name) -> QByteArray {
        return "<?xml version=\"1.0\" encoding=\"" + QByteArray(name) + "\"?>";
    };
    const auto in = [](const QByteArray& before, const QByteArray& text, const char* encoding) -> QByteArray {
        const QByteArray bytes = Iconv::Encode(text, encoding);
        return bytes.isEmpty() ? QByteArray() : before + bytes;
    };
    return {{"UTF-8", "<?xml version=\"1.0\"?>" + body},
            {"UTF-8 with its mark", "\xEF\xBB\xBF" + declared("UTF-8") + body},
            {"Shift_JIS", in(declared("Shift_JIS"), body, "SHIFT_JIS")},
            {"EUC-JP", in(declared("EUC-JP"), body, "EUC-JP")},
            {"UTF-16LE", in("\xFF\xFE", declared("UTF-16") + body, "UTF-16LE")},
            {"UTF-16BE", in("\xFE\xFF", declared("UTF-16") + body, "UTF-16BE")}};
}

// Content that holds the ends of other markup, Japanese text whose
// Shift_JIS bytes include "]" and "\", and last shapes libxml2 refuses;
// whether "<r>" and "</r>" around it read whole.
const struct {
    const char* text;
    bool read;
} kPieces[] = {
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
    for (const auto& piece : kPieces)
        bodies.push_back({"<r>" + QByteArray(piece.text) + "</r>", piece.read});
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
        for (int i = int(rng() % 8); i >= 0; --i) {
            const size_t pieces = rng() % 4 ? 8 : std::size(kPieces); // now and then a refused one
            body += kPieces[rng() % pieces].text;
        }
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
