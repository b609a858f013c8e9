#pragma once

#include "platform/text/Cp932.h"

#include <QByteArray>
#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

// The bytes of an XML file as they are handed over to libxml2, watched for
// what would hold the parser for minutes before a node can be counted:
//
// - A start tag of thousands of attributes (libxml2 checks them for
//   duplicates pair by pair): the read fails at a tag longer than the bound,
//   chosen far above what the file's writers put in one tag, or of more
//   than 64 attributes (Excel's widest elements have about 25); texts,
//   comments, character data and processing instructions are not tags.
// - Comments and processing instructions, which libxml2's reader keeps in
//   memory to the end of the file, 170 bytes each: at most 100 000.
// - Namespace declarations: libxml2 walks the declarations in scope for
//   every element, so a few thousand of them make each later element cost
//   thousands of steps. The declarations of the open elements are added up,
//   and the read fails past a few dozen (Excel's parts declare 10 to 15).
// - A document type declaration, where entities are declared and whose
//   internal subset the parser reads whole before the root's start tag:
//   refused at its keyword, before the parser has it.
// - An encoding the watch cannot follow: it reads UTF-16 a code unit at a
//   time (known by its first bytes, so that half of a character is never
//   taken for "<" or a quote), Shift_JIS a character at a time (its second
//   bytes include "]", "[" and the letters) and everything else a byte at a
//   time, which holds only where every byte below 0x80 is the ASCII
//   character: UTF-8, and EUC-JP, whose characters are of bytes of 0x80 and
//   above alone (a byte below that after a first byte is no character, and
//   the decoder stops the parser there). libxml2 itself detects UCS-4 and
//   EBCDIC by the first bytes and honours whatever encoding the declaration
//   names (UTF-7 hides "<" in letters), so before it sees a byte past the
//   declaration, the file must be UTF-8 or UTF-16, or, where allowed,
//   Shift_JIS or EUC-JP without a byte-order mark.
//
// Between the characters that change its state, a run of bytes is only
// counted: in texts, comments, character data, quoted values and the
// names of a tag, the watch looks for the next mark a run at a time.
class CXmlTagWatch
{
  public:
    enum Fault {
        kNoFault,
        kLongTag,    // a tag past the bound, or of too many attributes
        kNamespaces, // too many namespace declarations in scope
        kEncoding,   // an encoding the watch cannot read
        kComments,   // too many comments and processing instructions
        kDocType,    // a document type declaration
    };
    enum Encodings {
        kUnicode,          // UTF-8 and UTF-16
        kUnicodeOrJapanese // and the ASCII-compatible Japanese ones
    };
    // Far above what any writer writes, far below what costs time.
    static constexpr int kMostNamespaces = 40;
    static constexpr int kMostAttributes = 64;
    static constexpr int kMostComments = 100000;

    explicit CXmlTagWatch(int mostTagUnits, Encodings encodings = kUnicode)
        : m_nMost(mostTagUnits), m_encodings(encodings)
    {
    }

    // False once the file shows a fault.
    bool Pass(const char* data, qint64 length)
    {
        const auto* p = reinterpret_cast<const uchar*>(data);
        const uchar* const end = p + length;
        // The first four bytes tell the encoding as libxml2 reads them: a
        // byte-order mark, or "<?" in UTF-16, UCS-4 or EBCDIC.
        while (p < end && m_nBytes < 4) {
            m_start[m_nBytes++] = *p++;
            if (m_nBytes == 4)
                Begin();
        }
        if (!m_bWide) {
            Narrow(p, end);
            return m_fault == kNoFault;
        }
        for (; p < end && m_fault == kNoFault; ++p) {
            if (!m_bHalf) {
                m_half = *p;
                m_bHalf = true;
                continue;
            }
            m_bHalf = false;
            Unit(m_bBigEndian ? char16_t(m_half << 8 | *p) : char16_t(*p << 8 | m_half));
        }
        return m_fault == kNoFault;
    }

    Fault GetFault() const { return m_fault; }
    // With kEncoding: the encoding the declaration names, as written, when
    // it is none the watch reads; empty for every other fault.
    const QByteArray& RefusedEncoding() const { return m_refused; }

    // Appends a letter for each piece of markup the watch sees end: "S" a
    // start tag, "E" an end tag (or an empty element's end), "C" a comment,
    // "P" an instruction (the XML declaration is none), "D" character data,
    // "!" another declaration. For checking the watch against a parser.
    void RecordMarkup(QByteArray* marks) { m_pMarks = marks; }

  private:
    // The bytes of UTF-8 or of a Japanese encoding after the first four.
    void Narrow(const uchar* p, const uchar* const end)
    {
        while (p < end && m_fault == kNoFault) {
            if (m_lead) {
                // The second byte of a Shift_JIS character, when it is one,
                // goes with the first: the two are one character, never
                // ASCII.
                const uchar lead = std::exchange(m_lead, uchar(0));
                if (!Cp932::IsTrailByte(*p)) {
                    Unit(lead);
                    continue;
                }
                Unit(char16_t(lead << 8 | *p++));
                // A tag's length is counted in bytes, as a whole tag is.
                if ((m_state == kTag || m_state == kQuoted) && ++m_nTag > m_nMost)
                    Fail(kLongTag);
                continue;
            }
            if (m_nUnits < 0) {
                // Text and whole tags, the bulk of a part, in turn.
                const uchar* after = p;
                while (m_state == kText && after < end) {
                    if (*after != '<') {
                        const uchar* const lt = Find(after, end, '<');
                        Skipped(after, lt);
                        after = lt;
                    } else if (const uchar* const past = WholeTag(after, end)) {
                        after = past;
                    } else {
                        break;
                    }
                }
                if (after != p) {
                    p = after;
                    continue;
                }
                const uchar* const mark = Inert(p, end);
                if (mark != p) {
                    Skipped(p, mark);
                    p = mark;
                    continue;
                }
            }
            const uchar b = *p++;
            if (m_bPaired && Cp932::IsLeadByte(b))
                m_lead = b;
            else
                Unit(b);
        }
    }

    // A start or end tag from its "<" at `p` to its ">", read at once as
    // Take() would read it a character at a time: past its ">", or null
    // where it does not end within the block (or a namespace's name may
    // cross its end), and nothing is taken yet. Every byte it looks for
    // lies below 0x40 and follows no first byte of Shift_JIS.
    Q_ALWAYS_INLINE const uchar* WholeTag(const uchar* p, const uchar* end)
    {
        if (p + 1 == end || Opening(p[1]) != kTag)
            return nullptr;
        const bool endTag = KindOf(p[1]) == kEndTag;
        int attributes = 0, declared = 0;
        bool space = false;
        uchar last = p[1];
        const uchar* q = p + 2;
        for (; q < end; ++q) {
            const uchar c = *q;
            if (!kTagMarks[c]) {
                if (space && !endTag && c != '=' && c != '/') {
                    ++attributes;
                    if (c == 'x') {
                        if (end - q < 6)
                            return nullptr;
                        declared +=
                            std::memcmp(q, "xmlns", 5) == 0 && (q[5] == ':' || q[5] == '=' || IsSpace(q[5]));
                    }
                }
                space = false;
            } else if (c == '>') {
                break;
            } else if (c == '"' || c == '\'') {
                // A value is a few bytes: looked at one by one.
                do {
                    if (++q == end)
                        return nullptr;
                } while (*q != c);
                space = false;
            } else {
                space = true;
            }
            last = c;
        }
        if (q == end)
            return nullptr;
        if (q - p > m_nMost || attributes > kMostAttributes)
            Fail(kLongTag);
        m_kind = endTag ? kEndTag : kStartTag;
        m_nDeclared = 0;
        for (int i = 0; i < declared; ++i)
            Declared();
        m_nAttributes = attributes;
        m_bAttribute = false;
        m_nMatched = -1;
        m_last = last;
        EndTag();
        m_state = kText;
        m_beforeLast = last;
        m_last = '>';
        return q + 1;
    }

    // Shift_JIS and CP932: the first bytes of two-byte characters, and the
    // bytes that may follow one.

    // Where the run of bytes from `p` that leave the state as it is ends:
    // at the next byte that may change it, or at `end`. Every mark looked
    // for lies below 0x40, so it is never the second byte of a Shift_JIS
    // character; character data, whose end looks back at "]", is read a
    // character at a time in Shift_JIS.
    const uchar* Inert(const uchar* p, const uchar* end) const
    {
        switch (m_state) {
        case kText:
            return Find(p, end, '<');
        case kComment:
        case kInstruction:
            return Find(p, end, '>');
        case kData:
            return m_bPaired ? p : Find(p, end, '>');
        case kQuoted:
            return Find(p, end, uchar(m_quote));
        case kTag:
            // Within a name that is neither a namespace declaration's nor
            // the document type's, only white space, quotes and the end
            // count.
            if (m_nMatched >= 0 || m_bAttribute)
                return p;
            while (p < end && !kTagMarks[*p])
                ++p;
            return p;
        default:
            return p;
        }
    }

    static const uchar* Find(const uchar* p, const uchar* end, uchar mark)
    {
        // Most runs in a workbook's parts are a few bytes long: looked at one
        // by one before the library's search.
        for (const uchar* near = std::min(end, p + 16); p < near; ++p) {
            if (*p == mark)
                return p;
        }
        const void* at = p < end ? std::memchr(p, mark, size_t(end - p)) : nullptr;
        return at ? static_cast<const uchar*>(at) : end;
    }

    // A run of bytes skipped: counted where a tag's length counts, and the
    // last two kept for the ends that look back.
    void Skipped(const uchar* from, const uchar* to)
    {
        const qint64 run = to - from;
        if ((m_state == kTag || m_state == kQuoted) && (m_nTag += run) > m_nMost)
            Fail(kLongTag);
        m_beforeLast = run > 1 ? to[-2] : m_last;
        m_last = to[-1];
    }

    static constexpr auto kTagMarks = [] {
        std::array<bool, 256> marks{};
        for (const char c : " \t\r\n\"'>")
            marks[uchar(c)] = true;
        return marks;
    }();

    enum State { kText, kOpen, kBang, kBangDash, kComment, kData, kInstruction, kTag, kQuoted };
    enum TagKind { kStartTag, kEndTag, kDeclaration };

    // The character after "<" tells what the markup is; it is taken as
    // the markup's first, whichever path reads it.
    static State Opening(char16_t c) { return c == '?' ? kInstruction : c == '!' ? kBang : kTag; }
    static TagKind KindOf(char16_t c) { return c == '/' ? kEndTag : kStartTag; }

    void Mark(char mark)
    {
        if (m_pMarks)
            m_pMarks->append(mark);
    }

    void Begin()
    {
        const uchar* s = m_start;
        auto is = [s](uchar a, uchar b, uchar c, uchar d) {
            return s[0] == a && s[1] == b && s[2] == c && s[3] == d;
        };
        if (is(0, 0, 0, '<') || is('<', 0, 0, 0) || is(0, 0, '<', 0) || is(0, '<', 0, 0) ||
            is(0x4C, 0x6F, 0xA7, 0x94)) {
            Fail(kEncoding); // UCS-4, EBCDIC
            return;
        }
        const bool little = (s[0] == 0xFF && s[1] == 0xFE) || (s[0] == '<' && s[1] == 0);
        const bool big = (s[0] == 0xFE && s[1] == 0xFF) || (s[0] == 0 && s[1] == '<');
        if (little || big) {
            m_bWide = true;
            m_bBigEndian = big;
            const auto unit = [big](uchar a, uchar b) {
                return big ? char16_t(a << 8 | b) : char16_t(b << 8 | a);
            };
            Unit(unit(s[0], s[1]));
            Unit(unit(s[2], s[3]));
        } else {
            for (const uchar b : m_start)
                Unit(b);
        }
    }

    void Fail(Fault fault)
    {
        if (m_fault == kNoFault)
            m_fault = fault;
    }

    // Every character of the file, the byte-order mark included.
    void Unit(char16_t c)
    {
        if (m_nUnits < 0)
            Take(c);
        else
            Head(c);
    }

    // The start of the file: a byte-order mark (U+FEFF, or the three bytes
    // of UTF-8's), then the XML declaration when there is one, held back
    // until its end and its encoding checked.
    void Head(char16_t c)
    {
        static constexpr char kOpening[] = "<?xml";
        if (m_nUnits == 0 && m_nLeading < 3 && (c == 0xFEFF || (!m_bWide && c >= 0x80))) {
            ++m_nLeading;
            Take(c);
            return;
        }
        const bool declaration =
            m_nUnits < 5 ? c == char16_t(kOpening[m_nUnits]) : m_nUnits > 5 || IsSpace(c);
        if (!declaration || m_nUnits >= kMostDeclarationUnits) {
            if (declaration)
                Fail(kEncoding); // no declaration is that long
            Replay(&c);
            return;
        }
        m_declaration[m_nUnits++] = c;
        if (m_nUnits > 6 && c == '>' && m_declaration[m_nUnits - 2] == '?') {
            CheckDeclaration();
            Replay(nullptr);
        }
    }

    // The units held back, then the one that ended the head, if any.
    void Replay(const char16_t* next)
    {
        const int held = m_nUnits;
        m_nUnits = -1;
        QByteArray* const marks = std::exchange(m_pMarks, nullptr);
        for (int i = 0; i < held; ++i)
            Take(m_declaration[i]);
        m_pMarks = marks;
        if (next)
            Take(*next);
    }

    static bool IsSpace(char16_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    // The pseudo-attributes of the declaration, as libxml2 reads them; one
    // it could not read fails the file there anyway.
    void CheckDeclaration()
    {
        const char16_t* p = m_declaration + 5;
        const char16_t* end = m_declaration + m_nUnits - 2; // before "?>"
        char encoding[kMostDeclarationUnits + 1] = {};
        QByteArray written;
        bool named = false;
        for (;;) {
            while (p < end && IsSpace(*p))
                ++p;
            if (p == end)
                break;
            const char16_t* name = p;
            while (p < end && ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z')))
                ++p;
            const qsizetype nameLength = p - name;
            while (p < end && IsSpace(*p))
                ++p;
            if (nameLength == 0 || p == end || *p++ != '=') {
                Fail(kEncoding);
                return;
            }
            while (p < end && IsSpace(*p))
                ++p;
            if (p == end || (*p != '"' && *p != '\'')) {
                Fail(kEncoding);
                return;
            }
            const char16_t quote = *p++;
            const char16_t* value = p;
            while (p < end && *p != quote)
                ++p;
            if (p == end) {
                Fail(kEncoding);
                return;
            }
            static constexpr char16_t kEncodingName[] = u"encoding";
            if (nameLength == 8 && std::equal(name, name + 8, kEncodingName)) {
                named = true;
                for (qsizetype i = 0; i < p - value; ++i) {
                    const char16_t c = value[i];
                    if (c >= 0x80) {
                        Fail(kEncoding);
                        return;
                    }
                    encoding[i] = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
                    written += char(c);
                }
            }
            ++p;
        }
        if (named && !Readable(encoding)) {
            // A spelling of one the watch reads, where the bytes contradict
            // it, is a damaged file rather than a foreign encoding.
            if (m_fault == kNoFault && !IsUnicode(encoding) && !IsShiftJis(encoding) && !IsEucJp(encoding))
                m_refused = written;
            Fail(kEncoding);
        }
        m_bPaired = named && IsShiftJis(encoding);
    }

    static bool IsAny(const char* name, std::initializer_list<const char*> names)
    {
        for (const char* n : names) {
            if (!std::strcmp(name, n))
                return true;
        }
        return false;
    }
    // The spellings whose converters pair the bytes as the watch does: in
    // Shift_JIS a first byte with any byte that may follow it, in EUC-JP
    // never a byte below 0x80 with another. Others that name the same
    // encodings elsewhere (x-sjis, x-euc-jp) are other tables here.
    static bool IsShiftJis(const char* name)
    {
        return IsAny(name, {"SHIFT_JIS", "SHIFT-JIS", "SJIS", "CP932", "WINDOWS-31J", "MS_KANJI",
                            "CSSHIFTJIS", "MS932", "CSWINDOWS31J", "SJIS-OPEN", "SJIS-WIN"});
    }
    static bool IsEucJp(const char* name)
    {
        return IsAny(name, {"EUC-JP", "EUCJP", "UJIS", "CSEUCPKDFMTJAPANESE"});
    }
    static bool IsUnicode(const char* name)
    {
        return IsAny(name, {"UTF-8", "UTF8", "UTF-16", "UTF16", "UTF-16BE", "UTF-16LE"});
    }

    // An encoding the declaration may name. libxml2 keeps reading UTF-16
    // (known by its first bytes) under "UTF-16", "UTF-8" and the name of the
    // byte order it found; it switches to any other. A Japanese encoding
    // after UTF-8's byte-order mark contradicts it: which of the two a
    // parser follows is its own choice.
    bool Readable(const char* name) const
    {
        if (IsAny(name, {"UTF-8", "UTF8"}))
            return true;
        if (m_bWide)
            return IsAny(name, {"UTF-16", "UTF16", m_bBigEndian ? "UTF-16BE" : "UTF-16LE"});
        return m_encodings == kUnicodeOrJapanese && m_nLeading == 0 && (IsShiftJis(name) || IsEucJp(name));
    }

    void Take(char16_t c)
    {
        switch (m_state) {
        case kText:
            if (c == '<')
                m_state = kOpen;
            break;
        case kOpen:
            m_state = Opening(c);
            m_kind = KindOf(c);
            m_nTag = 1;
            m_nDeclared = 0;
            m_nAttributes = 0;
            m_bAttribute = false;
            m_nMatched = -1;
            if (m_state == kInstruction) {
                Commented();
                Entered();
                return;
            }
            break;
        case kBang: // "<!--" a comment, "<![" character data, else a declaration
            m_state = c == '-' ? kBangDash : c == '[' ? kData : kTag;
            m_kind = kDeclaration;
            m_nMatched = c == 'D' ? 1 : -1; // perhaps "<!DOCTYPE"
            break;
        case kBangDash:
            m_state = c == '-' ? kComment : kTag;
            if (m_state == kComment) {
                Commented();
                Entered();
                return;
            }
            break;
        case kComment:
            if (c == '>' && m_last == '-' && m_beforeLast == '-')
                Closed('C');
            break;
        case kData:
            if (c == '>' && m_last == ']' && m_beforeLast == ']')
                Closed('D');
            break;
        case kInstruction:
            if (c == '>' && m_last == '?')
                Closed('P');
            break;
        case kTag:
            if (c == '"' || c == '\'') {
                m_quote = c;
                m_state = kQuoted;
                m_bAttribute = false;
                m_nMatched = -1;
            } else if (c == '>') {
                m_state = kText;
                EndTag();
                if (m_kind == kDeclaration)
                    Mark('!');
            } else if (m_kind == kStartTag) {
                Attribute(c);
            } else if (m_kind == kDeclaration && m_nMatched > 0) {
                // A document type, as XML spells it: refused at its keyword.
                static constexpr char kDocTypeName[] = "DOCTYPE";
                m_nMatched = c == char16_t(kDocTypeName[m_nMatched]) ? m_nMatched + 1 : -1;
                if (m_nMatched == 7)
                    Fail(kDocType);
            }
            break;
        case kQuoted:
            if (c == m_quote)
                m_state = kTag;
            break;
        }
        if ((m_state == kTag || m_state == kQuoted) && ++m_nTag > m_nMost)
            Fail(kLongTag);
        m_beforeLast = m_last;
        m_last = c;
    }

    // The names of a start tag's attributes, matched against "xmlns" and
    // "xmlns:" as they pass.
    void Attribute(char16_t c)
    {
        static constexpr char kXmlns[] = "xmlns";
        if (IsSpace(c)) {
            if (m_nMatched == 5)
                Declared();
            m_nMatched = -1;
            m_bAttribute = true; // a name may start after white space
            return;
        }
        if (m_bAttribute) {
            m_bAttribute = false;
            if (c == '=' || c == '/')
                return;
            m_nMatched = 0;
            if (++m_nAttributes > kMostAttributes)
                Fail(kLongTag);
        }
        if (m_nMatched < 0)
            return;
        if (m_nMatched < 5 && c == char16_t(kXmlns[m_nMatched])) {
            ++m_nMatched;
        } else {
            if (m_nMatched == 5 && (c == ':' || c == '='))
                Declared();
            m_nMatched = -1;
        }
    }

    // A comment's "--" and an instruction's "?" before the closing ">"
    // come after its opening: "<!-->" and "<?>" close nothing.
    void Entered()
    {
        m_beforeLast = 0;
        m_last = 0;
    }

    void Closed(char mark)
    {
        m_state = kText;
        Mark(mark);
    }

    void Commented()
    {
        if (++m_nComments > kMostComments)
            Fail(kComments);
    }

    void Declared()
    {
        if (++m_nDeclared + m_nInScope > kMostNamespaces)
            Fail(kNamespaces);
    }

    // A start tag's declarations stay in scope until its end tag; an empty
    // element's end with it.
    Q_ALWAYS_INLINE void EndTag()
    {
        if (m_kind == kStartTag) {
            Mark('S');
            if (m_last == '/') {
                Mark('E');
                return;
            }
            ++m_nDepth;
            if (m_nDeclared > 0) {
                m_scopes.push_back({m_nDepth, m_nDeclared});
                m_nInScope += m_nDeclared;
            }
        } else if (m_kind == kEndTag) {
            Mark('E');
            if (!m_scopes.empty() && m_scopes.back().depth == m_nDepth) {
                m_nInScope -= m_scopes.back().declared;
                m_scopes.pop_back();
            }
            --m_nDepth;
        }
    }

    static constexpr int kMostDeclarationUnits = 256;

    struct Scope {
        int depth;
        int declared;
    };

    int m_nMost;
    Encodings m_encodings;
    Fault m_fault = kNoFault;
    State m_state = kText;
    TagKind m_kind = kStartTag;
    qint64 m_nTag = 0;
    char16_t m_quote = 0;
    char16_t m_last = 0;
    char16_t m_beforeLast = 0;
    uchar m_start[4] = {};
    int m_nBytes = 0;
    bool m_bWide = false;
    bool m_bBigEndian = false;
    uchar m_half = 0;
    bool m_bHalf = false;
    // Shift_JIS: read a character at a time; a first byte waiting for the
    // byte after it.
    bool m_bPaired = false;
    uchar m_lead = 0;
    // The declaration while it is collected; -1 once it is past.
    char16_t m_declaration[kMostDeclarationUnits] = {};
    int m_nUnits = 0;
    int m_nLeading = 0;
    // Namespace declarations: of the tag under way, and of the open
    // elements that declare any (so at most kMostNamespaces of them).
    int m_nDeclared = 0;
    int m_nAttributes = 0;
    int m_nComments = 0;
    bool m_bAttribute = false;
    int m_nMatched = -1;
    int m_nDepth = 0;
    int m_nInScope = 0;
    std::vector<Scope> m_scopes;
    QByteArray* m_pMarks = nullptr;
    QByteArray m_refused;
};
