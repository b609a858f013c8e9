#include "exchange/CsvReader.h"

#include "exchange/ExchangeText.h"
#include "platform/text/Cp932.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "platform/work/LongWork.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstring>
#include <optional>

// What the bytes of a text file are, seen over all of them.
struct CTextGuess {
    enum Kind { kCp932, kUtf8, kEither, kCp932OrEucJp, kUtf16, kUtf32, kEucJp, kNeither };
    // kEither: valid UTF-8 of two-byte characters only that is valid code
    // page 932 as well. kCp932OrEucJp: valid code page 932 that is valid
    // EUC-JP as well (and no UTF-8). kNeither: the line where the reading
    // that held out longest breaks (`badUtf8`: that reading is UTF-8).
    Kind kind = kCp932;
    bool mark = false; // UTF-8's byte-order mark
    qint64 badLine = 0;
    bool badUtf8 = false;
    // Every character of the UTF-8 reading is one code page 932 holds.
    bool utf8Storable = true;
    // The code page 932 reading reads as katakana text (see CTextSniffer).
    bool kanaText = false;
    // The first byte past ASCII (-1: none), its line (from 1) and where
    // that line starts.
    qint64 byteAt = -1;
    qint64 line = 0;
    qint64 lineAt = 0;
};

namespace
{

// UTF-8 text is decoded by one decoder for the whole file, however many
// pieces it is fed in: it drops a byte-order mark at the very start of the
// file and keeps every later U+FEFF as the character it is.
// (QString::fromUtf8 drops one at the start of any piece, so a U+FEFF that
// happened to begin a block would be lost.)
QStringDecoder Utf8Decoder()
{
    return QStringDecoder(QStringDecoder::Utf8);
}

// The bytes of the UTF-8 character that starts with byte `b` (0: no start
// of one), narrowing `low` and `high`, the range of its second byte.
int Utf8Length(uchar b, uchar& low, uchar& high)
{
    if (b >= 0xC2 && b <= 0xDF)
        return 2;
    if (b >= 0xE0 && b <= 0xEF) {
        if (b == 0xE0)
            low = 0xA0; // no overlong forms
        else if (b == 0xED)
            high = 0x9F; // no surrogates
        return 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (b == 0xF0)
            low = 0x90;
        else if (b == 0xF4)
            high = 0x8F; // nothing beyond U+10FFFF
        return 4;
    }
    return 0;
}

// Whether the codec decodes the two bytes as one character: the lead and
// trail ranges alone let through pairs no character has.
bool IsCp932Pair(uchar lead, uchar trail)
{
    static const std::bitset<0x10000> pairs = [] {
        std::bitset<0x10000> known;
        for (int l = 0x81; l <= 0xFC; ++l) {
            if (!Cp932::IsLeadByte(uchar(l)))
                continue;
            for (int t = 0x40; t <= 0xFC; ++t) {
                const char bytes[] = {char(l), char(t)};
                bool ok = false;
                if (t != 0x7F && Cp932::Decode(QByteArray(bytes, 2), &ok).size() == 1 && ok)
                    known.set(size_t(l << 8 | t));
            }
        }
        return known;
    }();
    return pairs.test(size_t(lead << 8 | trail));
}

// Whether the books can hold the character of two UTF-8 bytes.
bool IsStorableUtf8Pair(uchar lead, uchar trail)
{
    static const std::array<bool, 0x800> storable = [] {
        std::array<bool, 0x800> known{};
        for (char16_t c = 0x80; c < 0x800; ++c)
            known[c] = Cp932::CanEncode(QString(QChar(c)));
        return known;
    }();
    return storable[size_t((lead & 0x1F) << 6 | (trail & 0x3F))];
}

// The bytes below 0x80 from `p` on, a word at a time.
qsizetype AsciiRun(const uchar* p, qsizetype size)
{
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, p + i, 8);
        if (word & 0x8080808080808080ULL)
            break;
    }
    while (i < size && p[i] < 0x80)
        ++i;
    return i;
}

// Tells the three readings of a text file apart as its bytes go by, in
// pieces of any size: UTF-8, code page 932 and EUC-JP (which is only ever
// named in a refusal), each valid until a byte breaks it, with the line
// where that happened.
//
// Bytes that are both code page 932 and EUC-JP are half-width katakana or
// rare kanji in code page 932: Japanese in EUC-JP reads so. The code page
// 932 reading reads as katakana text when it holds half-width katakana
// alone, no kanji and no ｡｢｣､･, with a voiced or semi-voiced mark or a
// small letter somewhere and each such after a letter that takes it, as
// old POS and bank exports do; EUC-JP read as code page 932 seldom does.
// Zero bytes are counted on each side of the byte pairs, for UTF-16
// without its mark.
class CTextSniffer
{
  public:
    void Feed(const char* data, qsizetype size)
    {
        const auto* p = reinterpret_cast<const uchar*>(data);
        for (qsizetype i = 0; i < size; ++i, ++m_nAt) {
            // Between characters a run of ASCII changes no reading: it is
            // only counted for its lines.
            if (m_nAt >= 4 && m_nUtf8Need == 0 && m_nLead == 0 && m_nEucNeed == 0) {
                const qsizetype run = AsciiRun(p + i, size - i);
                if (run > 0) {
                    const uchar* start = p + i;
                    m_nKanaBefore = 0;
                    if (std::memchr(start, 0, size_t(run)))
                        CountZeros(start, run);
                    if (const auto lines = std::count(start, start + run, uchar('\n')); lines > 0) {
                        m_nLine += lines;
                        m_nLineAt = m_nAt +
                                    (static_cast<const uchar*>(memrchr(start, '\n', size_t(run))) - start) +
                                    1;
                    }
                    i += run;
                    m_nAt += run;
                    if (i == size)
                        return;
                }
            }
            const uchar b = p[i];
            if (m_nAt < 4)
                m_mark += char(b);
            if (b == 0)
                ++m_nZeros[m_nAt & 1];
            if (b < 0x80 && m_nLead == 0)
                m_nKanaBefore = 0;
            if (b >= 0x80 || m_nUtf8Need > 0 || m_nLead > 0 || m_nEucNeed > 0) {
                if (b >= 0x80 && m_guess.byteAt < 0) {
                    m_guess.byteAt = m_nAt;
                    m_guess.line = m_nLine;
                    m_guess.lineAt = m_nLineAt;
                }
                Utf8(b);
                Cp932(b);
                EucJp(b);
            }
            if (b == '\n') {
                ++m_nLine;
                m_nLineAt = m_nAt + 1;
            }
        }
    }

    CTextGuess Finish() const
    {
        CTextGuess guess = m_guess;
        const auto marked = [this](const char* mark, qsizetype size) {
            return m_mark.startsWith(QByteArrayView(mark, size));
        };
        const bool utf8 = m_bUtf8 && m_nUtf8Need == 0;
        const bool cp932 = m_bCp932 && m_nLead == 0;
        const bool eucJp = m_bEucJp && m_nEucNeed == 0;
        // A reading that lasted to the end but for a cut last character
        // breaks on the last line.
        const qint64 utf8Line = m_nUtf8Bad > 0 ? m_nUtf8Bad : m_nLine;
        const qint64 cp932Line = m_nCp932Bad > 0 ? m_nCp932Bad : m_nLine;
        if (marked("\xEF\xBB\xBF", 3)) {
            guess.mark = true;
            guess.kind = utf8 ? CTextGuess::kUtf8 : CTextGuess::kNeither;
            guess.badLine = utf8Line;
            guess.badUtf8 = true;
        } else if (marked("\xFF\xFE\0\0", 4))
            guess.kind = CTextGuess::kUtf32;
        else if (marked("\0\0\xFE\xFF", 4))
            guess.kind = CTextGuess::kUtf32;
        else if (marked("\xFF\xFE", 2) || marked("\xFE\xFF", 2) || IsUnmarkedUtf16())
            guess.kind = CTextGuess::kUtf16;
        else if (guess.byteAt < 0)
            guess.kind = CTextGuess::kCp932; // ASCII reads alike both ways
        else if (utf8)
            // Japanese takes three bytes in UTF-8; two-byte characters
            // alone (accented letters, "¥", "×") may be half-width katakana
            // of code page 932 as well.
            guess.kind = m_bWide || !cp932 ? CTextGuess::kUtf8 : CTextGuess::kEither;
        else if (cp932)
            guess.kind = eucJp ? CTextGuess::kCp932OrEucJp : CTextGuess::kCp932;
        else if (eucJp)
            guess.kind = CTextGuess::kEucJp;
        else {
            // The reading that held out longer is the one the file was
            // meant in.
            guess.kind = CTextGuess::kNeither;
            guess.badUtf8 = utf8Line > cp932Line;
            guess.badLine = std::max(utf8Line, cp932Line);
        }
        guess.utf8Storable = m_bUtf8Storable;
        guess.kanaText = m_bKanaMarks && !m_bKanaOdd;
        return guess;
    }

  private:
    // ASCII text in UTF-16 holds a zero byte a character, on the one side
    // of its pairs (the first in big-endian, the second in little-endian):
    // two at least and in a quarter of the pairs, and the other side all but
    // free of them.
    bool IsUnmarkedUtf16() const
    {
        const qint64 more = std::max(m_nZeros[0], m_nZeros[1]);
        const qint64 fewer = std::min(m_nZeros[0], m_nZeros[1]);
        return more >= 2 && more * 4 >= m_nAt / 2 && fewer * 8 <= more;
    }

    void CountZeros(const uchar* p, qsizetype size)
    {
        for (qsizetype k = 0; k < size; ++k) {
            if (p[k] == 0)
                ++m_nZeros[(m_nAt + k) & 1];
        }
    }

    // A half-width katakana of the code page 932 reading: a mark or small
    // letter after a letter that takes it is a sign of katakana text (ｯ and
    // ｰ, which follow any letter, are no sign); out of place, or ｡｢｣､･, it
    // is a sign against.
    void Kana(uchar b)
    {
        static constexpr auto among = [](uchar c, std::initializer_list<uchar> set) {
            return std::find(set.begin(), set.end(), c) != set.end();
        };
        const uchar before = m_nKanaBefore;
        m_nKanaBefore = b;
        bool fits = true;
        bool sign = true;
        if (b <= 0xA5)
            fits = false;
        else if (b == 0xDE) // ﾞ after ｳ, ｶ-ﾄ or ﾊ-ﾎ
            fits = before == 0xB3 || (before >= 0xB6 && before <= 0xC4) || (before >= 0xCA && before <= 0xCE);
        else if (b == 0xDF) // ﾟ after ﾊ-ﾎ
            fits = before >= 0xCA && before <= 0xCE;
        else if (b >= 0xAC && b <= 0xAE) // ｬｭｮ after ｷｼﾁﾃﾆﾋﾌﾐﾘ, voiced or not
            fits = among(before, {0xB7, 0xBC, 0xC1, 0xC3, 0xC6, 0xCB, 0xCC, 0xD0, 0xD8, 0xDE, 0xDF});
        else if (b >= 0xA7 && b <= 0xAB) // ｧ-ｫ after ｲｳｸｼﾁﾂﾃﾄﾌ, voiced or not
            fits = among(before, {0xB2, 0xB3, 0xB8, 0xBC, 0xC1, 0xC2, 0xC3, 0xC4, 0xCC, 0xDE, 0xDF});
        else if (b == 0xAF || b == 0xB0) { // ｯ after a letter, ｰ after any kana
            fits = before >= (b == 0xAF ? 0xB1 : 0xA6);
            sign = false;
        } else
            return; // a letter
        if (!fits)
            m_bKanaOdd = true;
        else if (sign)
            m_bKanaMarks = true;
    }

    void Utf8(uchar b)
    {
        if (!m_bUtf8)
            return;
        if (m_nUtf8Need > 0) {
            if (b < m_nUtf8Low || b > m_nUtf8High)
                return Utf8Bad();
            m_nUtf8Low = 0x80;
            m_nUtf8High = 0xBF;
            // Only a file of two-byte characters is asked about.
            if (--m_nUtf8Need == 0 && m_nUtf8Lead < 0xE0 && !IsStorableUtf8Pair(m_nUtf8Lead, b))
                m_bUtf8Storable = false;
            return;
        }
        if (b < 0x80)
            return;
        const int length = Utf8Length(b, m_nUtf8Low, m_nUtf8High);
        if (length == 0)
            return Utf8Bad();
        m_nUtf8Lead = b;
        m_nUtf8Need = length - 1;
        m_bWide = m_bWide || length >= 3;
    }

    void Utf8Bad()
    {
        m_bUtf8 = false;
        m_nUtf8Need = 0;
        m_nUtf8Bad = m_nLine;
    }

    void Cp932(uchar b)
    {
        if (!m_bCp932)
            return;
        if (m_nLead > 0) {
            const uchar lead = m_nLead;
            m_nLead = 0;
            m_bKanaOdd = true; // a kanji
            m_nKanaBefore = 0;
            if (!IsCp932Pair(lead, b)) {
                m_bCp932 = false;
                m_nCp932Bad = m_nLine;
            }
        } else if (Cp932::IsLeadByte(b)) {
            m_nLead = b;
        } else if (b >= 0xA1 && b <= 0xDF) {
            Kana(b);
        } else if (b >= 0x80) {
            m_bCp932 = false;
            m_nCp932Bad = m_nLine;
        }
    }

    void EucJp(uchar b)
    {
        if (!m_bEucJp)
            return;
        if (m_nEucNeed > 0) {
            if (b < 0xA1 || b > m_nEucHigh) {
                m_bEucJp = false;
                m_nEucNeed = 0;
                return;
            }
            m_nEucHigh = 0xFE;
            --m_nEucNeed;
        } else if (b == 0x8E) {
            m_nEucNeed = 1; // half-width katakana
            m_nEucHigh = 0xDF;
        } else if (b == 0x8F) {
            m_nEucNeed = 2; // the supplementary kanji
        } else if (b >= 0xA1 && b <= 0xFE) {
            m_nEucNeed = 1;
        } else if (b >= 0x80) {
            m_bEucJp = false;
        }
    }

    QByteArray m_mark; // the first four bytes
    qint64 m_nAt = 0;
    qint64 m_nLine = 1;
    qint64 m_nLineAt = 0;
    CTextGuess m_guess;
    bool m_bUtf8 = true;
    bool m_bWide = false;
    int m_nUtf8Need = 0;
    uchar m_nUtf8Lead = 0;
    uchar m_nUtf8Low = 0x80, m_nUtf8High = 0xBF;
    qint64 m_nUtf8Bad = 0;
    bool m_bUtf8Storable = true;
    bool m_bCp932 = true;
    uchar m_nLead = 0;
    qint64 m_nCp932Bad = 0;
    uchar m_nKanaBefore = 0; // the half-width katakana just read, else 0
    bool m_bKanaMarks = false;
    bool m_bKanaOdd = false;
    bool m_bEucJp = true;
    int m_nEucNeed = 0;
    uchar m_nEucHigh = 0xFE;
    qint64 m_nZeros[2] = {0, 0}; // at even and at odd offsets
};

} // namespace

// The grammar as a state machine fed any number of pieces of text, so that
// a file can be parsed a block at a time: a quote inside quotes and a CR
// wait for the character after them, which may come with the next piece.
class CCsvParser
{
  public:
    CCsvParser(CCsvReader& reader, CCsvReader::RowSink sink)
        : m_reader(reader), m_sink(std::move(sink)), m_bHasDelimiter(!reader.m_chDelimiter.isNull())
    {
    }

    // Told the offset in the piece fed where each row starts.
    void OnRowStart(std::function<void(qsizetype at)> hook) { m_rowStart = std::move(hook); }

    // False on a format fault or when the sink stopped.
    bool Feed(const QChar* p, qsizetype n)
    {
        for (m_nAt = 0; m_nAt < n; ++m_nAt) {
            if (!Take(p[m_nAt]))
                return false;
            if (p[m_nAt] == kLf)
                ++m_nLine;
        }
        return true;
    }

    bool Finish()
    {
        if (m_bQuoteSeen) {
            m_bQuoteSeen = false;
            m_bInQuotes = false; // the closing quote ends the data
        }
        if (m_bCrSeen) {
            m_bCrSeen = false;
            m_value += kCr;
        }
        if (m_bRowOpen && !EndRow())
            return false;
        if (m_bInQuotes)
            return Fault(m_nQuoteLine, QStringLiteral("「\"」が閉じていません。"));
        return true;
    }

    // The line (from 1) of a fault of the grammar and what is wrong there;
    // 0 while there is none.
    qint64 FaultLine() const { return m_nFaultLine; }
    const QString& FaultText() const { return m_strFault; }

  private:
    static constexpr QChar kQuote{u'"'}, kCr{u'\r'}, kLf{u'\n'};

    bool Fault(qint64 line, const QString& text)
    {
        m_nFaultLine = line;
        m_strFault = text;
        return false;
    }

    bool Take(QChar c)
    {
        bool taken = false;
        if (!Settle(c, &taken))
            return false;
        if (taken)
            return true;
        if (!m_bRowOpen)
            OpenRow();
        if (++m_nRowChars > CCsvReader::kMaxLineChars)
            return Fault(
                m_nRowLine,
                QStringLiteral("1行の文字数が多すぎます（%1文字まで）。").arg(CCsvReader::kMaxLineChars));
        return Split(c);
    }

    // The character after a quote inside quotes or after a CR, which tells
    // what that one was; `taken` when it went with it.
    bool Settle(QChar c, bool* taken)
    {
        if (m_bQuoteSeen) {
            m_bQuoteSeen = false;
            if (c == kQuote) {
                m_value += kQuote; // a doubled quote, still inside quotes
                *taken = true;
                return true;
            }
            m_bInQuotes = false;
            if (IsDelimiter(c) || c == kCr || c == kLf || CCsvReader::IsDbcsChar(c))
                return true;
            return Fault(m_nLine, QStringLiteral("「\"」で閉じた値の後に区切り文字がありません。"));
        }
        if (m_bCrSeen) {
            m_bCrSeen = false;
            if (c != kLf) {
                m_value += kCr; // a lone CR is data
                return true;
            }
            *taken = true;
            if (!m_bInQuotes)
                return EndRow();
            m_value += kCr;
            m_value += kLf;
        }
        return true;
    }

    // A row begins: cell 0 is its label.
    void OpenRow()
    {
        const qint64 number = m_nRows + 1 - (m_reader.m_bHeaderInFile ? 1 : 0);
        m_row.clear();
        m_row << (number == 0 ? QString() : QString::number(number));
        m_bRowOpen = true;
        m_nRowChars = 0;
        m_nRowLine = m_nLine;
        if (m_rowStart)
            m_rowStart(m_nAt);
    }

    // One character of a row: quoting, the end of a value or of the line,
    // or a character of the value.
    bool Split(QChar c)
    {
        if (c == kQuote) {
            if (!m_bInQuotes) {
                m_bInQuotes = true;
                m_nQuoteLine = m_nLine;
            } else
                m_bQuoteSeen = true;
            return true;
        }
        if (c == kCr) {
            m_bCrSeen = true;
            return true;
        }
        if (m_bInQuotes || (c != kLf && !IsDelimiter(c))) {
            m_value += c;
            return true;
        }
        return c == kLf ? EndRow() : EndValue();
    }

    bool IsDelimiter(QChar c) const { return m_bHasDelimiter && c == m_reader.m_chDelimiter; }

    bool EndValue()
    {
        m_row << m_value;
        m_value.clear();
        // Cell 0 is the label: the values so far, and one more begins.
        if (m_row.size() > CCsvReader::kMaxFields)
            return Fault(m_nLine,
                         QStringLiteral("項目の数が多すぎます（%1個まで）。").arg(CCsvReader::kMaxFields));
        return true;
    }

    bool EndRow()
    {
        m_row << m_value;
        m_value.clear();
        m_bRowOpen = false;
        const int values = int(m_row.size()) - 1;
        if (m_reader.m_nFieldCount == 0)
            m_reader.m_nFieldCount = values;
        else if (values != m_reader.m_nFieldCount)
            return Fault(m_nRowLine, QStringLiteral("項目の数が%1個です（1行目は%2個）。")
                                         .arg(values)
                                         .arg(m_reader.m_nFieldCount));
        ++m_nRows;
        QStringList row = std::move(m_row);
        m_row = QStringList();
        return m_sink(std::move(row));
    }

    CCsvReader& m_reader;
    qint64 m_nRows = 0;
    CCsvReader::RowSink m_sink;
    std::function<void(qsizetype at)> m_rowStart;
    qsizetype m_nAt = 0;
    bool m_bHasDelimiter;
    bool m_bInQuotes = false;
    bool m_bQuoteSeen = false;
    bool m_bCrSeen = false;
    bool m_bRowOpen = false;
    qint64 m_nRowChars = 0;
    // Lines of the file, counted at every LF, quoted ones too, as an editor
    // counts them.
    qint64 m_nLine = 1;
    qint64 m_nRowLine = 1;
    qint64 m_nQuoteLine = 1;
    qint64 m_nFaultLine = 0;
    QString m_strFault;
    QStringList m_row;
    QString m_value;
};

// The file's data a block at a time: the whole file but one DOS end-of-file
// byte (0x1A) as its very last byte.
class CFileBlocks
{
  public:
    explicit CFileBlocks(QFile& file) : m_file(file) {}

    // Finds the end of the data (once) and goes back to its start; false
    // when the file cannot be read.
    bool Rewind()
    {
        if (m_nEnd < 0 && !FindEnd())
            return false;
        m_nLeft = m_nEnd;
        return m_file.seek(0);
    }

    // The next block; empty at the end of the data, or when the file cannot
    // be read (Failed).
    QByteArray Next()
    {
        if (m_nLeft <= 0)
            return {};
        QByteArray block = m_file.read(std::min(CCsvReader::kBlockBytes, m_nLeft));
        if (m_file.error() != QFileDevice::NoError) {
            m_bFailed = true;
            return {};
        }
        // A file that shrank since ends where it ends now.
        m_nLeft = block.isEmpty() ? 0 : m_nLeft - block.size();
        return block;
    }

    bool Failed() const { return m_bFailed; }
    // Its bytes from `at`, for the encoding question.
    QByteArray Bytes(qint64 at, qint64 bytes) { return m_file.seek(at) ? m_file.read(bytes) : QByteArray(); }

  private:
    bool FindEnd()
    {
        const qint64 length = m_file.size();
        m_nEnd = length;
        if (length == 0)
            return true;
        if (!m_file.seek(length - 1))
            return false;
        const QByteArray last = m_file.read(1);
        if (m_file.error() != QFileDevice::NoError)
            return false;
        if (last == "\x1A")
            m_nEnd = length - 1;
        return true;
    }

    QFile& m_file;
    qint64 m_nEnd = -1;
    qint64 m_nLeft = 0;
    bool m_bFailed = false;
};

namespace
{

// The blocks of a file as text: a character cut by a block's end waits for
// the next block.
class CBlockText
{
  public:
    explicit CBlockText(bool utf8) : m_bUtf8(utf8) {}

    // The text of the block after the bytes carried from the last one; false
    // when the bytes are not of the encoding.
    bool Decode(QByteArray block, QString* text)
    {
        block.prepend(m_carry);
        const qsizetype cut = m_bUtf8 ? Utf8Cut(block) : Cp932Cut(block);
        if (cut < 0)
            return false;
        m_carry = block.right(cut);
        block.chop(cut);
        bool ok = true;
        *text = m_bUtf8 ? m_utf8(block) : Cp932::Decode(block, &ok);
        m_nStart = m_nDone;
        m_nDone += block.size();
        m_dBytesPerChar = text->isEmpty() ? 1 : double(block.size()) / double(text->size());
        return ok;
    }

    // Where character `at` of the text last decoded stands in the file, as
    // near as the block's text tells.
    qint64 ByteAt(qsizetype at) const { return m_nStart + qint64(double(at) * m_dBytesPerChar); }
    // The bytes of a character cut off by the end of the last block.
    qsizetype Carried() const { return m_carry.size(); }

  private:
    // The bytes of a last character cut off by the end; -1: not UTF-8.
    static qsizetype Utf8Cut(const QByteArray& block)
    {
        qsizetype cut = 0;
        return CCsvReader::IsValidUtf8(block.constData(), block.size(), &cut) ? cut : -1;
    }

    // A lead byte is the block's last byte when the characters from the
    // start overrun it; a trail byte may look like a lead byte (0xE0-0xFC).
    static qsizetype Cp932Cut(const QByteArray& block)
    {
        qsizetype at = 0;
        while (at < block.size())
            at += Cp932::IsLeadByte(uchar(block[at])) ? 2 : 1;
        return at - block.size();
    }

    bool m_bUtf8;
    // One decoder for the file: a U+FEFF beginning a later block stays.
    QStringDecoder m_utf8 = Utf8Decoder();
    QByteArray m_carry;
    qint64 m_nStart = 0;
    qint64 m_nDone = 0;
    double m_dBytesPerChar = 1;
};

} // namespace

CCsvReader::CCsvReader(const QString& path, QChar delimiter, int headerInFile)
    : m_strPath(path), m_chDelimiter(delimiter), m_bHeaderInFile(headerInFile)
{
}

bool CCsvReader::IsDbcsChar(QChar c)
{
    return c.unicode() >= 0x80 && !(c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F) &&
           c.unicode() != 0x00A5 && c.unicode() != 0x203E;
}

bool CCsvReader::IsValidUtf8(const char* data, qsizetype size, qsizetype* cutAtEnd)
{
    const auto* p = reinterpret_cast<const uchar*>(data);
    qsizetype i = 0;
    while (i < size) {
        const uchar b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        uchar low = 0x80, high = 0xBF;
        const int length = Utf8Length(b, low, high);
        if (length == 0)
            return false;
        for (int k = 1; k < length; ++k) {
            if (i + k >= size) {
                // Cut off by the end: valid only when a cut is allowed.
                if (!cutAtEnd)
                    return false;
                *cutAtEnd = size - i;
                return true;
            }
            const uchar c = p[i + k];
            if (k == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF))
                return false;
        }
        i += length;
    }
    if (cutAtEnd)
        *cutAtEnd = 0;
    return true;
}

QString CCsvReader::DecodePreview(const QByteArray& head, bool utf8)
{
    QByteArray bytes = head;
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    return Reading(bytes, utf8 ? kUtf8 : kShiftJis);
}

bool CCsvReader::Fail(qint64 line, const QString& fault)
{
    const QString where = line > 0 ? QStringLiteral("%1行目：%2\n").arg(line).arg(fault) : QString();
    ShowExchangeMessage(QStringLiteral("テキストファイルの形式が正しくありません。\n") + where +
                        QStringLiteral("ファイルの読み込みを中止します。"));
    return false;
}

QString CCsvReader::Reading(const QByteArray& bytes, int encoding)
{
    if (encoding == kUtf8) {
        qsizetype cut = 0;
        IsValidUtf8(bytes.constData(), bytes.size(), &cut);
        return Utf8Decoder()(QByteArrayView(bytes).chopped(cut));
    }
    if (encoding == kEucJp) {
        // A character cut off at the end stays in the decoder, unshown.
        QStringDecoder eucJp("EUC-JP");
        return eucJp(bytes);
    }
    // A lead byte at the very end lost its trail byte to the cut.
    if (!bytes.isEmpty() && Cp932::IsLeadByteAt(bytes, int(bytes.size() - 1)))
        return Cp932::Decode(bytes.chopped(1));
    return Cp932::Decode(bytes);
}

namespace
{

// The name of an encoding in the question.
QString EncodingName(int encoding)
{
    switch (encoding) {
    case CCsvReader::kUtf8:
        return QStringLiteral("UTF-8");
    case CCsvReader::kEucJp:
        return QStringLiteral("EUC-JP");
    default:
        return QStringLiteral("Shift_JIS");
    }
}

// A line of the file as two readings give it, for the question: from a
// little before its first byte past ASCII (bytes before it are ASCII, so
// any of them starts a character every way) to its end, or as far as a
// question can show (`more`: the file goes on past the bytes).
QString BothReadings(const QByteArray& bytes, bool cutBefore, bool more, const int (&encodings)[2])
{
    constexpr qsizetype kShown = 60;
    const qsizetype end = bytes.indexOf('\n');
    QByteArray line = end < 0 ? bytes : bytes.left(end);
    const bool cutAfter = end < 0 && more;
    if (line.endsWith('\r'))
        line.chop(1);
    const auto shown = [&](int encoding) -> QString {
        QString text = CCsvReader::Reading(line, encoding);
        const bool longer = text.size() > kShown;
        text.truncate(kShown);
        if (longer || cutAfter)
            text += u'…';
        return EncodingName(encoding) + QStringLiteral("として：") + (cutBefore ? u'…' + text : text);
    };
    return shown(encodings[0]) + u'\n' + shown(encodings[1]);
}

} // namespace

bool CCsvReader::ChooseEncoding(const CTextGuess& guess,
                                const std::function<QByteArray(qint64 at, qint64 bytes)>& lineAt, bool* utf8)
{
    const auto refuse = [](const QString& name) {
        ShowExchangeMessage(QStringLiteral("テキストファイルの文字コードが%1。\n読み込めるのはUTF-8と"
                                           "Shift_JISのファイルです。UTF-8かShift_JISで保存し直して"
                                           "から読み込んでください。\nファイルの読み込みを中止します。")
                                .arg(name));
        return false;
    };
    switch (guess.kind) {
    case CTextGuess::kCp932:
    case CTextGuess::kUtf8:
        m_nEncoding = guess.kind == CTextGuess::kUtf8 ? kUtf8 : kShiftJis;
        *utf8 = m_nEncoding == kUtf8;
        return true;
    case CTextGuess::kEither:
    case CTextGuess::kCp932OrEucJp:
        break;
    case CTextGuess::kUtf16:
        return refuse(QStringLiteral("UTF-16（Unicode テキスト）です"));
    case CTextGuess::kUtf32:
        return refuse(QStringLiteral("UTF-32です"));
    case CTextGuess::kEucJp:
        return refuse(QStringLiteral("EUC-JPのようです"));
    case CTextGuess::kNeither:
        return Fail(guess.badLine, guess.badUtf8
                                       ? QStringLiteral("UTF-8として読めないバイトがあります。")
                                       : QStringLiteral("Shift_JISとして読めないバイトがあります。"));
    }
    if (m_nEncoding == kUndecided) {
        const bool either = guess.kind == CTextGuess::kEither;
        const int encodings[2] = {either ? kUtf8 : kShiftJis, either ? kShiftJis : kEucJp};
        // Bytes of a few dozen characters before and after the first one
        // that reads differently.
        constexpr qint64 kBytes = 400;
        const qint64 from = std::max(guess.lineAt, guess.byteAt - 40);
        const QByteArray line = lineAt(from, kBytes);
        const QString both = BothReadings(line, from > guess.lineAt, line.size() >= kBytes, encodings);
        // Enter takes the reading the books can store: UTF-8 unless one of
        // its characters has no place there (the code page 932 reading
        // always has); against EUC-JP, code page 932 when it reads as
        // katakana text, as EUC-JP (which is refused) read so seldom does.
        const bool first = either ? guess.utf8Storable : guess.kanaText;
        const int answer = UiServices::Prompt().MessageBoxNamed(
            QStringLiteral("このファイルは、%1としても%2としても読めます。\n%3行目は次のように読めます。\n\n"
                           "%4\n\nどちらの文字コードのファイルですか？")
                .arg(EncodingName(encodings[0]), EncodingName(encodings[1]))
                .arg(guess.line)
                .arg(both),
            MB_YESNOCANCEL,
            {EncodingName(encodings[0]), EncodingName(encodings[1]), QStringLiteral("キャンセル")},
            MB_ICONQUESTION, first ? IDYES : IDNO);
        if (answer != IDYES && answer != IDNO) {
            m_bStopped = true; // cancelled: nothing read, nothing more said
            return false;
        }
        const int chosen = encodings[answer == IDYES ? 0 : 1];
        if (chosen == kEucJp)
            return refuse(QStringLiteral("EUC-JPです"));
        m_nEncoding = chosen;
    }
    *utf8 = m_nEncoding == kUtf8;
    return true;
}

QStringList CCsvReader::DefaultHeader() const
{
    QStringList header{QString()};
    for (int i = 1; i <= m_nFieldCount; ++i)
        header << QStringLiteral("F%1").arg(i);
    return header;
}

qint64 CCsvReader::ReadRows(const RowSink& sink, bool showWait)
{
    qint64 length = 0;
    return Stream(sink, showWait, &length) == End::kRead ? length : 0;
}

bool CCsvReader::DecideFileEncoding(bool showWait)
{
    qint64 length = 0;
    return Stream(nullptr, showWait, &length) == End::kRead;
}

CCsvReader::End CCsvReader::Stream(const RowSink& sink, bool showWait, qint64* length)
{
    QFile file(m_strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowExchangeMessage(FileErrorMessage(file), MB_ICONEXCLAMATION);
        return End::kFileError;
    }
    *length = file.size();
    m_nFieldCount = 0;
    m_bStopped = false;
    std::optional<CWaitProgress> wait;
    if (showWait)
        wait.emplace(*length, kWaitReadingFile);
    CFileBlocks blocks(file);
    bool utf8 = false;
    End end = blocks.Rewind() ? DecideEncoding(blocks, wait, !sink, &utf8) : End::kFileError;
    if (end == End::kRead && sink) {
        if (showWait && !wait)
            wait.emplace(*length, kWaitReadingFile);
        end = blocks.Rewind() ? ParseBlocks(blocks, utf8, sink, wait ? &*wait : nullptr) : End::kFileError;
    }
    if (wait)
        wait->End();
    if (end == End::kStopped)
        m_bStopped = true;
    else if (end == End::kFileError)
        ShowExchangeMessage(FileErrorMessage(file), MB_ICONEXCLAMATION);
    return end;
}

CCsvReader::End CCsvReader::DecideEncoding(CFileBlocks& blocks, std::optional<CWaitProgress>& wait,
                                           bool alone, bool* utf8)
{
    CTextSniffer sniffer;
    qint64 read = 0;
    for (QByteArray block = blocks.Next(); !block.isEmpty(); block = blocks.Next()) {
        if (LongWork::Stopped())
            return End::kStopped;
        sniffer.Feed(block.constData(), block.size());
        // Where the reading is this pass alone (before the preview), its bar
        // moves over the bytes; else the rows' reading after it moves it.
        read += block.size();
        if (alone && wait)
            wait->SetPos(read);
    }
    if (blocks.Failed())
        return End::kFileError;
    const CTextGuess guess = sniffer.Finish();
    const bool says = guess.kind != CTextGuess::kCp932 && guess.kind != CTextGuess::kUtf8 &&
                      !((guess.kind == CTextGuess::kEither || guess.kind == CTextGuess::kCp932OrEucJp) &&
                        m_nEncoding != kUndecided);
    if (says)
        wait.reset(); // its message or question is not asked under the wait dialog
    if (!ChooseEncoding(
            guess, [&blocks](qint64 at, qint64 n) { return blocks.Bytes(at, n); }, utf8))
        return m_bStopped ? End::kStopped : End::kFault;
    return End::kRead;
}

CCsvReader::End CCsvReader::ParseBlocks(CFileBlocks& blocks, bool utf8, const RowSink& sink,
                                        CWaitProgress* wait)
{
    CBlockText decoder(utf8);
    bool stopped = false;
    CCsvParser parser(*this, [&](QStringList&& row) {
        stopped = !sink(std::move(row));
        return !stopped;
    });
    if (wait)
        parser.OnRowStart([&](qsizetype at) { wait->SetPos(decoder.ByteAt(at)); });
    bool parsed = true;
    while (parsed) {
        QByteArray block = blocks.Next();
        if (block.isEmpty())
            break;
        QString text;
        parsed = decoder.Decode(std::move(block), &text) && !LongWork::Stopped() &&
                 parser.Feed(text.constData(), text.size());
    }
    if (blocks.Failed())
        return End::kFileError;
    // A character still cut after the last block: the file ends inside it.
    parsed = parsed && decoder.Carried() == 0 && parser.Finish();
    if (stopped || (!parsed && LongWork::Stopped()))
        return End::kStopped;
    if (parsed)
        return End::kRead;
    // The bytes were checked before: a fault not of the grammar is a file
    // that changed since.
    if (wait)
        wait->End();
    Fail(parser.FaultLine(), parser.FaultText());
    return End::kFault;
}

qint64 CCsvReader::ReadHead(CImportRows* rows, int dataRows, qint64* rowCount)
{
    const qint64 kept = qint64(dataRows) + (m_bHeaderInFile ? 1 : 0);
    qint64 count = 0;
    CImportRows head;
    qint64 length = 0;
    const End end = Stream(
        [&](QStringList&& row) {
            if (count++ < kept)
                head.append(std::move(row));
            return true;
        },
        true, &length);
    if (end == End::kFault)
        rows->clear(); // nothing of a malformed file is kept
    if (end != End::kRead)
        return 0;
    if (!m_bHeaderInFile)
        head.insert(0, DefaultHeader());
    *rows += std::move(head);
    if (rowCount)
        *rowCount = count - (m_bHeaderInFile ? 1 : 0);
    return length;
}
