#include "platform/text/TextHelpers.h"

#include "platform/text/Cp932.h"

#include <QStringList>

namespace
{

constexpr char16_t kFullSpace = u'\u3000';

bool IsYenSign(QChar c)
{
    return c == u'\\' || c == u'\u00A5';
}

} // namespace

QString UnusableCharsText(const QString& field, const QString& chars)
{
    QStringList points;
    for (const char32_t c : chars.toUcs4())
        points << QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("%1に使用できない文字「%2」(%3) が含まれています。")
        .arg(field, chars, points.join(QStringLiteral(", ")));
}

QString UnusableCharsProblem(const QString& field, const QString& text)
{
    const QString bad = Cp932::UnmappableChars(text);
    return bad.isEmpty() ? QString() : UnusableCharsText(field, bad);
}

QString InsertThousandsSeparators(const QString& text)
{
    const bool negative = text.startsWith(u'-');
    const QString body = negative ? text.mid(1) : text;
    qsizetype n = body.indexOf(u'.');
    if (n < 0)
        n = body.size();

    // The first group holds n mod 3 characters (3 when that is 0); every
    // further group holds 3.
    qsizetype separators = n / 3 - (n % 3 == 0 ? 1 : 0);
    qsizetype nextBreak = n % 3 == 0 ? 3 : n % 3;
    QString out;
    out.reserve(text.size() + separators);
    if (negative)
        out += u'-';
    for (qsizetype i = 0; i < n; ++i) {
        out += body.at(i);
        if (separators > 0 && i + 1 == nextBreak) {
            // A yen sign in front of the digits uses up its separator.
            if (!IsYenSign(body.at(i)))
                out += u',';
            --separators;
            nextBreak += 3;
        }
    }
    out += QStringView(body).mid(n);
    return out;
}

int IsBlankString(const QString& text)
{
    if (text.isEmpty())
        return 0;
    for (QChar c : text) {
        if (c != u' ' && c != kFullSpace)
            return 0;
    }
    return 1;
}

bool ContainsBlank(const QString& text)
{
    return text.contains(u' ') || text.contains(kFullSpace);
}

QString ToHalfWidthDigits(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９')
            c = QChar(u'0' + (u - u'０'));
        else if (u == u'－')
            c = u'-';
        else if (u == u'．')
            c = u'.';
        else if (u == u'，')
            c = u',';
    }
    return out;
}

QString WidenDigits(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c >= u'0' && c <= u'9')
            c = QChar(u'０' + (c.unicode() - u'0'));
    }
    return out;
}

bool EqualsNoAsciiCase(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'A' && x <= u'Z')
            x += u'a' - u'A';
        if (y >= u'A' && y <= u'Z')
            y += u'a' - u'A';
        if (x != y)
            return false;
    }
    return true;
}

QString FoldAsciiCase(const QString& text)
{
    QString folded = text;
    for (QChar& c : folded) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return folded;
}
