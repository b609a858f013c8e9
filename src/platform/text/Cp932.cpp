#include "platform/text/Cp932.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

// glibc's CP932 table, as the program relies on it:
// - U+FF5E "～" is 0x81 0x60 and decodes back to U+FF5E. U+301C (wave dash,
//   what other Shift-JIS tables give for 0x81 0x60) also encodes to
//   0x81 0x60, so it comes back as U+FF5E. Likewise U+2014/U+2015 go to
//   0x81 0x5C, U+2016 to 0x81 0x61, U+2212 to 0x81 0x7C, U+00A2/U+00A3/U+00AC
//   to their full-width forms' bytes; each decodes to the full-width form.
// - U+00A5 "¥" encodes to 0x5C and U+203E to 0x7E (single bytes); 0x5C and
//   0x7E decode to "\" and "~", as 0x00-0x7F decode to ASCII throughout.
// - Trail bytes 0x40-0x7E overlap ASCII ("表" is 0x95 0x5C), so byte scans
//   must start at the beginning of a string.
// - Single bytes 0x80, 0xA0 and 0xFD-0xFF, which Windows passes through,
//   are invalid here and decode to U+FFFD.
namespace Cp932
{
namespace
{

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr char kUtf16[] = "UTF-16LE";
#else
constexpr char kUtf16[] = "UTF-16BE";
#endif

// A descriptor carries conversion state and must not be shared between
// threads; opening one costs far more than a conversion, so each thread
// keeps one per direction.
class CConverter
{
  public:
    CConverter(const char* to, const char* from) : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            qFatal("iconv cannot convert from %s to %s", from, to);
    }
    ~CConverter() { iconv_close(m_cd); }
    CConverter(const CConverter&) = delete;
    CConverter& operator=(const CConverter&) = delete;

    iconv_t Reset()
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return m_cd;
    }

  private:
    iconv_t m_cd;
};

iconv_t Encoder()
{
    thread_local CConverter converter("CP932", kUtf16);
    return converter.Reset();
}

iconv_t Decoder()
{
    thread_local CConverter converter(kUtf16, "CP932");
    return converter.Reset();
}

bool IsAscii(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// UTF-16 units of the character starting at i (2 for a surrogate pair).
int UnitsAt(const QString& text, qsizetype i)
{
    return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
}

// Makes room for at least `need` more bytes after outPtr.
void Grow(QByteArray& buffer, char*& outPtr, size_t& outLeft, size_t need)
{
    const qsizetype done = outPtr - buffer.data();
    buffer.resize(buffer.size() + qMax<qsizetype>(buffer.size(), qsizetype(need)));
    outPtr = buffer.data() + done;
    outLeft = size_t(buffer.size() - done);
}

} // namespace

QByteArray Encode(const QString& text, QString* unmappable)
{
    if (IsAscii(text))
        return text.toLatin1();

    // Every UTF-16 unit gives at most two bytes, '?' included.
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    const auto* base = reinterpret_cast<const char*>(text.utf16());
    char* in = const_cast<char*>(base);
    size_t inLeft = size_t(text.size()) * 2;
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    iconv_t cd = Encoder();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG) {
            Grow(out, outPtr, outLeft, 16);
            continue;
        }
        // EILSEQ: no CP932 form (or a lone surrogate); EINVAL: a high
        // surrogate cut off at the end. Either way one character is lost.
        const qsizetype pos = (in - base) / 2;
        const int units = UnitsAt(text, pos);
        if (unmappable) {
            const QString ch = text.mid(pos, units);
            if (!unmappable->contains(ch))
                unmappable->append(ch);
        }
        if (outLeft == 0)
            Grow(out, outPtr, outLeft, 16);
        *outPtr++ = '?';
        --outLeft;
        in += units * 2;
        inLeft -= size_t(units) * 2;
    }
    out.truncate(outPtr - out.data());
    return out;
}

QString Decode(const QByteArray& bytes, bool* ok)
{
    if (ok)
        *ok = true;
    bool ascii = true;
    for (char b : bytes) {
        if (uchar(b) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);

    // Every CP932 character is one UTF-16 unit, so two bytes out per byte in suffice.
    QByteArray out(bytes.size() * 2, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    iconv_t cd = Decoder();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG) {
            Grow(out, outPtr, outLeft, 16);
            continue;
        }
        // An unassigned double-byte code is one bad character; a lead byte
        // without a proper trail byte is one bad byte, and the next byte is
        // read afresh (it may be ASCII).
        const size_t skip = IsLeadByte(uchar(in[0])) && inLeft > 1 && IsTrailByte(uchar(in[1])) ? 2 : 1;
        if (outLeft < 2)
            Grow(out, outPtr, outLeft, 16);
        const char16_t replacement = QChar::ReplacementCharacter;
        memcpy(outPtr, &replacement, 2);
        outPtr += 2;
        outLeft -= 2;
        in += skip;
        inLeft -= skip;
        if (ok)
            *ok = false;
    }
    return QString(reinterpret_cast<const QChar*>(out.constData()), (outPtr - out.data()) / 2);
}

int ByteLength(const QString& text)
{
    return IsAscii(text) ? int(text.size()) : int(Encode(text).size());
}

bool CanEncode(const QString& text)
{
    return UnmappableChars(text).isEmpty();
}

QString UnmappableChars(const QString& text)
{
    QString chars;
    if (!IsAscii(text))
        Encode(text, &chars);
    return chars;
}

QString TruncateToBytes(const QString& text, int maxBytes)
{
    if (maxBytes <= 0)
        return {};
    if (ByteLength(text) <= maxBytes)
        return text;
    int used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const int units = UnitsAt(text, i);
        const int length = text.at(i).unicode() < 0x80 ? 1 : int(Encode(text.mid(i, units)).size());
        if (used + length > maxBytes)
            break;
        used += length;
        i += units;
    }
    return text.left(i);
}

QByteArray TruncateBytes(const QByteArray& bytes, int maxBytes)
{
    if (maxBytes <= 0)
        return {};
    if (bytes.size() <= maxBytes)
        return bytes;
    int pos = 0;
    while (pos < bytes.size()) {
        const int length = IsLeadByte(uchar(bytes.at(pos))) ? 2 : 1;
        if (pos + length > maxBytes)
            break;
        pos += length;
    }
    return bytes.left(pos);
}

bool IsLeadByteAt(const QByteArray& bytes, int i)
{
    if (i < 0 || i >= bytes.size())
        return false;
    int pos = 0;
    while (pos < i)
        pos += IsLeadByte(uchar(bytes.at(pos))) ? 2 : 1;
    return pos == i && IsLeadByte(uchar(bytes.at(i)));
}

const QList<SAlias>& Aliases()
{
    // glibc's one-way mappings, listed in the note at the top.
    static const QList<SAlias> aliases{
        {u'\u00A2', u'\uFFE0'}, {u'\u00A3', u'\uFFE1'}, {u'\u00A5', u'\\'},
        {u'\u00AC', u'\uFFE2'}, {u'\u2014', u'\u2015'}, {u'\u2016', u'\u2225'},
        {u'\u203E', u'~'},      {u'\u2212', u'\uFF0D'}, {u'\u301C', u'\uFF5E'}};
    return aliases;
}

QString FoldAliases(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        for (const SAlias& alias : Aliases()) {
            if (c.unicode() == alias.from) {
                c = QChar(alias.to);
                break;
            }
        }
    }
    return out;
}

} // namespace Cp932
