#pragma once

// The markup of an XML file as libxml2 reports it and as the tag watch sees
// it, for checking the one against the other.

#include "platform/office/XmlTagWatch.h"
#include "support/Iconv.h"

#include <QByteArray>

#include <libxml/parser.h>

#include <gtest/gtest.h>

#include <vector>

namespace MarkupCheck
{

// A letter per piece of markup, as the watch records them ("T" the document
// type, which the watch refuses).
struct Parsed {
    QByteArray marks;
    bool wellFormed = false;
};

inline void Quiet(void*, const char*, ...) {}

inline void Mark(void* marks, char mark)
{
    static_cast<QByteArray*>(marks)->append(mark);
}

// libxml2's push parser fed as its reader feeds it: the first four bytes,
// then blocks of 512. Character data comes in pieces: one letter a run.
inline Parsed Parse(const QByteArray& bytes)
{
    xmlSAXHandler sax{};
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = [](void* c, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**,
                            int, int, const xmlChar**) { Mark(c, 'S'); };
    sax.endElementNs = [](void* c, const xmlChar*, const xmlChar*, const xmlChar*) { Mark(c, 'E'); };
    sax.comment = [](void* c, const xmlChar*) { Mark(c, 'C'); };
    sax.processingInstruction = [](void* c, const xmlChar*, const xmlChar*) { Mark(c, 'P'); };
    sax.cdataBlock = [](void* c, const xmlChar*, int) {
        auto* marks = static_cast<QByteArray*>(c);
        if (!marks->endsWith('D'))
            Mark(c, 'D');
    };
    sax.internalSubset = [](void* c, const xmlChar*, const xmlChar*, const xmlChar*) { Mark(c, 'T'); };
    sax.serror = [](void*, xmlErrorPtr) {};
    Parsed parsed;
    // Its errors are expected: not written out.
    xmlSetGenericErrorFunc(nullptr, Quiet);
    const int first = int(qMin<qsizetype>(4, bytes.size()));
    xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(&sax, &parsed.marks, bytes.constData(), first, nullptr);
    if (!ctxt)
        return parsed;
    xmlCtxtUseOptions(ctxt, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    // A converter's refusal stops the parser without marking the document.
    bool stopped = false;
    for (qsizetype at = first; at < bytes.size() && !stopped; at += 512)
        stopped =
            xmlParseChunk(ctxt, bytes.constData() + at, int(qMin<qsizetype>(512, bytes.size() - at)), 0);
    stopped = xmlParseChunk(ctxt, nullptr, 0, 1) || stopped;
    parsed.wellFormed = ctxt->wellFormed && !stopped;
    xmlFreeParserCtxt(ctxt);
    xmlSetGenericErrorFunc(nullptr, nullptr);
    return parsed;
}

struct Watched {
    QByteArray marks;
    CXmlTagWatch::Fault fault = CXmlTagWatch::kNoFault;
};

inline QByteArray Collapsed(QByteArray marks)
{
    for (qsizetype at = marks.indexOf("DD"); at >= 0; at = marks.indexOf("DD", at))
        marks.remove(at, 1);
    return marks;
}

// The watch fed `bytes` cut at `cuts` (ascending), until it fails.
inline Watched Watch(const QByteArray& bytes, const std::vector<qsizetype>& cuts, int most = 1000)
{
    Watched watched;
    CXmlTagWatch watch(most, CXmlTagWatch::kUnicodeOrJapanese);
    watch.RecordMarkup(&watched.marks);
    qsizetype from = 0;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        const qsizetype to = i < cuts.size() ? cuts[i] : bytes.size();
        if (!watch.Pass(bytes.constData() + from, to - from))
            break;
        from = to;
    }
    watched.fault = watch.GetFault();
    watched.marks = Collapsed(watched.marks);
    return watched;
}

// Whole, a byte at a time and cut in two at every byte, the watch sees the
// same markup and the same fault; and it sees the markup libxml2 reports up
// to where either stops: a document type, a bound, or the parser's first
// error. Answers whether libxml2 read the file whole.
inline bool CheckAgainstParser(const QByteArray& bytes)
{
    const Watched whole = Watch(bytes, {});
    // A byte at a time, where it stood after each byte.
    std::vector<QByteArray> marksAt(size_t(bytes.size()) + 1);
    std::vector<CXmlTagWatch::Fault> faultAt(size_t(bytes.size()) + 1);
    {
        QByteArray marks;
        CXmlTagWatch watch(1000, CXmlTagWatch::kUnicodeOrJapanese);
        watch.RecordMarkup(&marks);
        for (qsizetype at = 0; at <= bytes.size(); ++at) {
            marksAt[size_t(at)] = Collapsed(marks);
            faultAt[size_t(at)] = watch.GetFault();
            if (at < bytes.size() && watch.GetFault() == CXmlTagWatch::kNoFault)
                watch.Pass(bytes.constData() + at, 1);
        }
    }
    EXPECT_EQ(marksAt.back(), whole.marks) << "a byte at a time";
    EXPECT_EQ(faultAt.back(), whole.fault) << "a byte at a time";
    for (qsizetype cut = 1; cut < bytes.size(); ++cut) {
        QByteArray marks;
        CXmlTagWatch watch(1000, CXmlTagWatch::kUnicodeOrJapanese);
        watch.RecordMarkup(&marks);
        watch.Pass(bytes.constData(), cut);
        const bool failed = watch.GetFault() != CXmlTagWatch::kNoFault;
        // Past a fault the watch reads no further; before one it stands
        // where a byte at a time stood.
        if (!failed) {
            EXPECT_EQ(Collapsed(marks), marksAt[size_t(cut)]) << "cut at " << cut;
            watch.Pass(bytes.constData() + cut, bytes.size() - cut);
        }
        EXPECT_EQ(watch.GetFault(), whole.fault) << "cut at " << cut;
        if (!failed) {
            EXPECT_EQ(Collapsed(marks), whole.marks) << "cut at " << cut;
        }
        if (::testing::Test::HasFailure())
            return false;
    }
    const Parsed parsed = Parse(bytes);
    const QByteArray parsedMarks = Collapsed(parsed.marks);
    if (whole.fault == CXmlTagWatch::kNoFault) {
        // Past the parser's first error its reader stops.
        if (parsed.wellFormed) {
            EXPECT_EQ(whole.marks, parsedMarks);
        } else {
            // At the end of the input the parser reports the start tag it
            // is in before it finds no ">".
            const bool cut = parsedMarks.endsWith('S') && whole.marks.startsWith(parsedMarks.chopped(1));
            EXPECT_TRUE(whole.marks.startsWith(parsedMarks) || cut)
                << whole.marks.data() << " " << parsedMarks.data();
        }
    } else {
        EXPECT_TRUE(parsedMarks.startsWith(whole.marks) || whole.marks.startsWith(parsedMarks))
            << whole.marks.data() << " " << parsedMarks.data();
        if (whole.fault == CXmlTagWatch::kDocType && parsed.wellFormed) {
            EXPECT_EQ(parsedMarks.mid(whole.marks.size(), 1), "T") << parsedMarks.data();
        }
    }
    return parsed.wellFormed;
}

// An XML body (UTF-8, from its prolog's first markup) in each encoding the
// contact files come in, with the declaration that names it.
struct Encoded {
    const char* name;
    QByteArray bytes;
};

inline std::vector<Encoded> InEveryEncoding(const QByteArray& body)
{
    const auto declared = [](const char* name) -> QByteArray {
        return "<?xml version=\"1.0\" encoding=\"" + QByteArray(name) + "\"?>";
    };
    const auto encoded = [](const QByteArray& mark, const QByteArray& text,
                            const char* encoding) -> QByteArray {
        const QByteArray bytes = Iconv::Encode(text, encoding);
        return bytes.isEmpty() ? QByteArray() : mark + bytes;
    };
    std::vector<Encoded> out{
        {"UTF-8", "<?xml version=\"1.0\"?>" + body},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + declared("UTF-8") + body},
        {"Shift_JIS", encoded(declared("Shift_JIS"), body, "SHIFT_JIS")},
        {"EUC-JP", encoded(declared("EUC-JP"), body, "EUC-JP")},
        {"UTF-16LE", encoded("\xFF\xFE", declared("UTF-16") + body, "UTF-16LE")},
        {"UTF-16BE", encoded("\xFE\xFF", declared("UTF-16") + body, "UTF-16BE")},
    };
    return out;
}

} // namespace MarkupCheck
