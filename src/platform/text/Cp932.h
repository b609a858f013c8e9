#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Code page 932 (Shift-JIS with the vendor extensions) through glibc iconv.
// Every byte boundary the program fixes (settings files, exported text,
// clipboard blocks, command lines, length limits) goes through here.
namespace Cp932
{

// Encodes text. Characters without a CP932 form are replaced by '?' and,
// when `unmappable` is given, listed there (each distinct character once).
QByteArray Encode(const QString& text, QString* unmappable = nullptr);

// Decodes bytes. Invalid sequences decode to U+FFFD; `ok` tells whether any did.
QString Decode(const QByteArray& bytes, bool* ok = nullptr);

// Length of the text in CP932 bytes (a full-width character counts 2).
int ByteLength(const QString& text);

// True when every character of the text has a CP932 form.
bool CanEncode(const QString& text);

// The characters of the text that have no CP932 form, each once, in order.
QString UnmappableChars(const QString& text);

// The longest prefix of the text whose CP932 form is at most maxBytes
// bytes, never splitting a double-byte character.
QString TruncateToBytes(const QString& text, int maxBytes);

// The same on raw CP932 bytes: cuts at a character boundary.
QByteArray TruncateBytes(const QByteArray& bytes, int maxBytes);

// The bytes that open a double-byte character, and those that may follow
// one: a trail byte may be ASCII ("\\", "]", letters).
constexpr bool IsLeadByte(uchar b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool IsTrailByte(uchar b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// True when byte i of a CP932 string is the lead byte of a double-byte
// character (scanning from the start, since trail bytes overlap ASCII).
bool IsLeadByteAt(const QByteArray& bytes, int i);

// The characters that encode to the bytes of another and so come back from
// a file as that one ("¥" as "\", "‾" as "~", "−" as "－", "〜" as "～",
// and five more): each with the character it comes back as.
struct SAlias {
    char16_t from;
    char16_t to;
};
const QList<SAlias>& Aliases();

// The text as a file gives it back: every alias replaced by its partner.
// Characters without a CP932 form stay (they are refused where text is
// written, never folded).
QString FoldAliases(const QString& text);

} // namespace Cp932
