#include "platform/data/MnyText.h"

#include <iterator>
#include <limits>

namespace
{

constexpr int kTextScale = 4;

// The number read as money: at most 4 decimals, rounded half up beyond. An
// amount beyond the ten-thousandths of 64 bits is invalid, `ok` false.
CMny MnyFromDigits(const CNumberText& number, bool* ok)
{
    // The magnitude in ten-thousandths may reach 2^63 only for a negative amount.
    const __int128 limit = __int128(std::numeric_limits<qint64>::max()) + (number.negative ? 1 : 0);
    const QString& fraction = number.fraction;
    const int scale = int(qMin<qsizetype>(fraction.size(), kTextScale));
    __int128 magnitude = 0;
    bool tooLarge = false;
    for (QChar c : number.whole) {
        magnitude = magnitude * 10 + (c.unicode() - u'0');
        if (magnitude > limit) {
            tooLarge = true;
            break;
        }
    }
    if (!tooLarge) {
        for (int i = 0; i < scale; ++i)
            magnitude = magnitude * 10 + (fraction.at(i).unicode() - u'0');
        if (fraction.size() > kTextScale && fraction.at(kTextScale) >= u'5')
            ++magnitude;
        for (int i = scale; i < kTextScale; ++i)
            magnitude *= 10;
        tooLarge = magnitude > limit;
    }
    if (tooLarge) {
        if (ok)
            *ok = false;
        CMny invalid;
        invalid.SetInvalid();
        return invalid;
    }
    for (int i = scale; i < kTextScale; ++i)
        magnitude /= 10;
    return CMny(qint64(number.negative ? -magnitude : magnitude), scale);
}

// What an amount typed or written by this system holds: its leading run of
// digits, signs, points and commas, full-width or not, a sign in front or
// behind.
constexpr CNumberSyntax kTypedAmount{.signBehind = true,
                                     .bareTrailingPoint = true,
                                     .commas = CNumberSyntax::Commas::Dropped,
                                     .fullWidth = true,
                                     .leadingPart = true};

} // namespace

CMny MnyFromLong(long value)
{
    return CMny(value, 0);
}

CMny TextToMny(const QString& text, bool* ok)
{
    if (ok)
        *ok = true;
    const CNumberText number = ReadNumberText(text, kTypedAmount);
    switch (number.status) {
    case CNumberText::Number:
        return MnyFromDigits(number, ok);
    case CNumberText::Malformed:
        if (ok)
            *ok = false;
        return CMny(0);
    default: // nothing with a digit to read
        return CMny(0);
    }
}

bool ReadWholeNumber(const QString& text, const CNumberSyntax& syntax, CMny& value)
{
    const CNumberText number = ReadNumberText(text, syntax);
    if (number.status != CNumberText::Number)
        return false;
    bool ok = true;
    const CMny read = MnyFromDigits(number, &ok);
    if (!ok || !read.IsValid())
        return false;
    value = read;
    return true;
}

namespace
{

// The plain decimal of the value, with or without the commas, made in one
// buffer: amounts are written for every cell of a list.
QString MoneyText(const CMny& value, bool grouped)
{
    if (!value.IsValid())
        return {};
    const qint64 v = value.GetValue();
    // Unsigned, so that the magnitude of the smallest value is representable.
    const quint64 magnitude = v < 0 ? 0 - quint64(v) : quint64(v);
    quint64 unit = 1;
    for (int i = 0; i < value.GetScale(); ++i)
        unit *= 10;
    // 20 digits, 6 commas, a sign, a point and the fraction.
    char16_t buffer[64];
    char16_t* const end = buffer + std::size(buffer);
    char16_t* p = end;
    quint64 fraction = magnitude % unit;
    int places = value.GetScale();
    while (places > 0 && fraction % 10 == 0) {
        fraction /= 10;
        --places;
    }
    for (int i = 0; i < places; ++i, fraction /= 10)
        *--p = char16_t(u'0' + fraction % 10);
    if (places > 0)
        *--p = u'.';
    quint64 whole = magnitude / unit;
    int digits = 0;
    do {
        if (grouped && digits > 0 && digits % 3 == 0)
            *--p = u',';
        *--p = char16_t(u'0' + whole % 10);
        whole /= 10;
        ++digits;
    } while (whole != 0);
    if (v < 0)
        *--p = u'-';
    return QString(reinterpret_cast<const QChar*>(p), end - p);
}

} // namespace

QString MnyToText(const CMny& value)
{
    return MoneyText(value, false);
}

QString MnyToGroupedText(const CMny& value)
{
    return MoneyText(value, true);
}
