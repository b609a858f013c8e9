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
    QString shown;
    QStringList points, controls;
    const QString control = ControlChars(chars);
    for (const char32_t c : chars.toUcs4()) {
        const QString point = QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
        if (c <= 0xFFFF && control.contains(QChar(char16_t(c)))) {
            controls << point;
        } else {
            points << point;
            shown += QString::fromUcs4(&c, 1);
        }
    }
    const QString ofControls = QStringLiteral("制御文字(%1)").arg(controls.join(QStringLiteral(", ")));
    if (points.isEmpty())
        return QStringLiteral("%1に使用できない%2 が含まれています。").arg(field, ofControls);
    const QString text =
        QStringLiteral("%1に使用できない文字「%2」(%3)").arg(field, shown, points.join(QStringLiteral(", ")));
    if (controls.isEmpty())
        return text + QStringLiteral(" が含まれています。");
    return text + QStringLiteral(" と") + ofControls + QStringLiteral(" が含まれています。");
}

QString ControlChars(const QString& text)
{
    QString chars;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool control = (u < 0x20 && u != u'\t' && u != u'\r' && u != u'\n') || (u >= 0x7F && u <= 0x9F);
        if (control && !chars.contains(c))
            chars += c;
    }
    return chars;
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
