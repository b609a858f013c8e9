#include "platform/text/NumberText.h"

#include "platform/text/TextHelpers.h"

#include <algorithm>

namespace
{

bool IsYenSign(QChar c)
{
    // 0x5C of a CP932 file decodes to "\" or "¥", whichever the decoder maps.
    return c == u'\\' || c == u'¥' || c == u'￥';
}

bool InAlphabet(QChar c, const CNumberSyntax& syntax)
{
    return (c >= u'0' && c <= u'9') || (syntax.minus && c == u'-') || (syntax.plusSign && c == u'+') ||
           (syntax.point && c == u'.') || (syntax.commas != CNumberSyntax::Commas::None && c == u',') ||
           (syntax.yenSign && IsYenSign(c)) || (syntax.yenSuffix && c == u'円') ||
           (syntax.spaces != CNumberSyntax::Spaces::None && c.isSpace());
}

} // namespace

CNumberSyntax CNumberSyntax::Imported()
{
    CNumberSyntax syntax;
    syntax.plusSign = syntax.signBehind = syntax.yenSign = syntax.yenSuffix = syntax.fullWidth =
        syntax.mathMinus = true;
    syntax.commas = Commas::Groups;
    syntax.spaces = Spaces::Between;
    return syntax;
}

CNumberText ReadNumberText(QStringView text, const CNumberSyntax& syntax)
{
    CNumberText read;
    // Full-width forms as their ASCII ones, so that one grammar reads both.
    QString s = text.toString();
    if (syntax.fullWidth) {
        s = ToHalfWidthDigits(s);
        s.replace(u'＋', u'+');
    }
    if (syntax.mathMinus)
        s.replace(u'−', u'-');

    qsizetype n = 0;
    while (n < s.size() && InAlphabet(s[n], syntax))
        ++n;
    if (syntax.leadingPart)
        s.truncate(n);
    else if (n < s.size()) {
        read.status = CNumberText::Foreign;
        // The forms above change no length: the place is the text's own.
        const bool pair = text[n].isHighSurrogate() && n + 1 < text.size() && text[n + 1].isLowSurrogate();
        read.foreign = text.mid(n, pair ? 2 : 1).toString();
        return read;
    }
    if (syntax.spaces != CNumberSyntax::Spaces::None)
        s = s.trimmed();
    if (s.isEmpty())
        return read;
    if (syntax.commas == CNumberSyntax::Commas::Dropped)
        s.remove(u',');
    if (!std::any_of(s.cbegin(), s.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        read.status = CNumberText::NoDigits;
        return read;
    }

    read.status = CNumberText::Malformed;
    n = s.size();
    qsizetype i = 0;
    const auto skipSpaces = [&] {
        while (syntax.spaces == CNumberSyntax::Spaces::Between && i < n && s[i].isSpace())
            ++i;
    };
    bool signSeen = false;
    const auto takeSign = [&] {
        if (signSeen || i >= n || !((syntax.minus && s[i] == u'-') || (syntax.plusSign && s[i] == u'+')))
            return;
        read.negative = s[i] == u'-';
        signSeen = true;
        ++i;
        skipSpaces();
    };
    const auto isDigit = [&](qsizetype at) { return at < n && s[at] >= u'0' && s[at] <= u'9'; };

    takeSign();
    if (syntax.yenSign && i < n && IsYenSign(s[i])) {
        ++i;
        skipSpaces();
        takeSign();
    }

    // The whole part: plain digits, or groups of three after a first group
    // of one to three.
    const qsizetype start = i;
    while (isDigit(i))
        read.whole += s[i++];
    if (syntax.commas == CNumberSyntax::Commas::Groups && i < n && s[i] == u',') {
        if (i == start || i - start > 3)
            return read;
        while (i < n && s[i] == u',') {
            if (!(isDigit(i + 1) && isDigit(i + 2) && isDigit(i + 3)) || isDigit(i + 4))
                return read;
            read.whole += QStringView(s).mid(i + 1, 3);
            i += 4;
        }
    }
    if (syntax.point && i < n && s[i] == u'.') {
        if ((!isDigit(i + 1) && !syntax.bareTrailingPoint) ||
            (read.whole.isEmpty() && !syntax.bareLeadingPoint))
            return read;
        ++i;
        while (isDigit(i))
            read.fraction += s[i++];
    }
    if (read.whole.isEmpty() && read.fraction.isEmpty())
        return read;

    skipSpaces();
    if (syntax.signBehind)
        takeSign();
    if (syntax.yenSuffix && i < n && s[i] == u'円') {
        ++i;
        skipSpaces();
        if (syntax.signBehind)
            takeSign();
    }
    if (i == n)
        read.status = CNumberText::Number;
    return read;
}
