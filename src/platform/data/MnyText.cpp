#include "platform/data/MnyText.h"

#include "platform/text/TextHelpers.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace {

constexpr int kTextScale = 4;

bool IsMoneyChar(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９') || c == u'-' || c == u'－'
        || c == u'.' || c == u'．' || c == u',' || c == u'，';
}

bool IsDigits(QStringView text)
{
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

CMny MnyFromLong(long value)
{
    return CMny(value, 0);
}

CMny TextToMny(const QString& text, bool* ok)
{
    if (ok)
        *ok = true;
    qsizetype end = 0;
    while (end < text.size() && IsMoneyChar(text.at(end)))
        ++end;
    QString run = ToHalfWidthDigits(text.left(end));
    run.remove(u',');
    if (!std::any_of(run.cbegin(), run.cend(), [](QChar c) { return c.isDigit(); }))
        return CMny(0);

    // One sign, in front or behind.
    bool negative = false;
    if (run.startsWith(u'-')) {
        negative = true;
        run.remove(0, 1);
    } else if (run.endsWith(u'-')) {
        negative = true;
        run.chop(1);
    }
    const qsizetype dot = run.indexOf(u'.');
    const QStringView whole = dot < 0 ? QStringView(run) : QStringView(run).left(dot);
    const QStringView fraction = dot < 0 ? QStringView() : QStringView(run).mid(dot + 1);
    if (!IsDigits(whole) || !IsDigits(fraction)) {
        if (ok)
            *ok = false;
        return CMny(0);
    }

    // The magnitude in ten-thousandths may reach 2^63 only for a negative amount.
    const __int128 limit = __int128(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    const int scale = int(qMin<qsizetype>(fraction.size(), kTextScale));
    __int128 magnitude = 0;
    bool tooLarge = false;
    for (QChar c : whole) {
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
    return CMny(qint64(negative ? -magnitude : magnitude), scale);
}

CNumberSyntax CNumberSyntax::Imported()
{
    CNumberSyntax syntax;
    syntax.yenSign = syntax.yenSuffix = syntax.grouping = syntax.signBehind = syntax.plusSign =
        syntax.fullWidth = syntax.spaces = true;
    return syntax;
}

bool ReadWholeNumber(const QString& text, const CNumberSyntax& syntax, CMny& value)
{
    // Full-width forms as their ASCII ones, so that one grammar reads both.
    QString s = text;
    if (syntax.fullWidth) {
        for (QChar& c : s) {
            if (c >= u'０' && c <= u'９')
                c = QChar(c.unicode() - u'０' + u'0');
            else if (c == u'，')
                c = u',';
            else if (c == u'．')
                c = u'.';
            else if (c == u'－' || c == u'−')
                c = u'-';
            else if (c == u'＋')
                c = u'+';
        }
    }
    const qsizetype n = s.size();
    qsizetype i = 0;
    const auto skipSpaces = [&] {
        while (syntax.spaces && i < n && s[i].isSpace())
            ++i;
    };
    bool negative = false, signSeen = false;
    const auto takeSign = [&] {
        if (signSeen || i >= n || !(s[i] == u'-' || (syntax.plusSign && s[i] == u'+')))
            return;
        negative = s[i] == u'-';
        signSeen = true;
        ++i;
        skipSpaces();
    };
    const auto isDigit = [&](qsizetype at) { return at < n && s[at] >= u'0' && s[at] <= u'9'; };

    skipSpaces();
    takeSign();
    // 0x5C of a CP932 file decodes to "\" or "¥", whichever the decoder maps.
    if (syntax.yenSign && i < n && (s[i] == u'\\' || s[i] == u'¥' || s[i] == u'￥')) {
        ++i;
        skipSpaces();
        takeSign();
    }

    // The whole part: plain digits, or groups of three after a first group
    // of one to three.
    QString number = negative ? QStringLiteral("-") : QString();
    const qsizetype start = i;
    while (isDigit(i))
        number += s[i++];
    if (syntax.grouping && i < n && s[i] == u',') {
        if (i == start || i - start > 3)
            return false;
        while (i < n && s[i] == u',') {
            if (!(isDigit(i + 1) && isDigit(i + 2) && isDigit(i + 3)) || isDigit(i + 4))
                return false;
            number += QStringView(s).mid(i + 1, 3);
            i += 4;
        }
    }
    const bool whole = i > start;
    if (i < n && s[i] == u'.') {
        // A fraction needs its digits, and a whole part or none but a point.
        if (!isDigit(i + 1))
            return false;
        number += s[i++];
        while (isDigit(i))
            number += s[i++];
    } else if (!whole) {
        return false;
    }

    skipSpaces();
    if (syntax.signBehind)
        takeSign();
    if (syntax.yenSuffix && i < n && s[i] == u'円') {
        ++i;
        skipSpaces();
        if (syntax.signBehind)
            takeSign();
    }
    if (i != n)
        return false;
    if (negative && !number.startsWith(u'-'))
        number.prepend(u'-');
    bool ok = false;
    const CMny read = TextToMny(number, &ok);
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
