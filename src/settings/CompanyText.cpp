#include "settings/CompanyText.h"

#include "platform/text/Cp932.h"

#include <QStringView>

namespace
{

constexpr char16_t kKanjiDigits[] = u"〇一二三四五六七八九";

int DigitOf(char byte)
{
    return byte >= '0' && byte <= '9' ? byte - '0' : 0;
}

// One replacement pass: the earliest source at each point, scanning whole
// characters (a QString never splits one, so no trail byte can match).
struct CReplace {
    QStringView from;
    QStringView to;
};

template <std::size_t N> QString Replace(const QString& text, const CReplace (&table)[N])
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QStringView rest = QStringView(text).mid(i);
        const CReplace* hit = nullptr;
        for (const CReplace& r : table)
            if (rest.startsWith(r.from)) {
                hit = &r;
                break;
            }
        if (hit) {
            out += hit->to;
            i += hit->from.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

QString MapChars(const QString& text, QStringView from, QStringView to)
{
    QString out = text;
    for (QChar& c : out) {
        const qsizetype at = from.indexOf(c);
        if (at >= 0)
            c = to[at];
    }
    return out;
}

// Half-width katakana in the order of their code points U+FF66-U+FF9F, and
// their full-width forms; the punctuation U+FF61-U+FF65 is left alone.
constexpr char16_t kHalfKana[] = u"ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ";
constexpr char16_t kFullKana[] = u"ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハ"
                                 u"ヒフヘホマミムメモヤユヨラリルレロワン゛゜";
static_assert(sizeof(kHalfKana) == sizeof(kFullKana));
static_assert(sizeof(kHalfKana) / sizeof(char16_t) - 1 == 58);

const CReplace kVoiced[] = {
    {u"カ゛", u"ガ"}, {u"キ゛", u"ギ"}, {u"ク゛", u"グ"}, {u"ケ゛", u"ゲ"}, {u"コ゛", u"ゴ"},
    {u"サ゛", u"ザ"}, {u"シ゛", u"ジ"}, {u"ス゛", u"ズ"}, {u"セ゛", u"ゼ"}, {u"ソ゛", u"ゾ"},
    {u"タ゛", u"ダ"}, {u"チ゛", u"ヂ"}, {u"ツ゛", u"ヅ"}, {u"テ゛", u"デ"}, {u"ト゛", u"ド"},
    {u"ハ゛", u"バ"}, {u"ヒ゛", u"ビ"}, {u"フ゛", u"ブ"}, {u"ヘ゛", u"ベ"}, {u"ホ゛", u"ボ"},
    {u"ハ゜", u"パ"}, {u"ヒ゜", u"ピ"}, {u"フ゜", u"プ"}, {u"ヘ゜", u"ペ"}, {u"ホ゜", u"ポ"},
};

// The file is read as code page 932, so each character is taken in the form
// that code page gives back: U+2212 is "－" there, "〜" is "～", "‖" is "∥",
// as the byte-wise forms above see them. A character without a form stays
// for the save to report.
QString InCp932Form(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QString one = text.mid(i, n);
        QString unmappable;
        const QByteArray bytes = Cp932::Encode(one, &unmappable);
        out += unmappable.isEmpty() ? Cp932::Decode(bytes) : one;
        i += n;
    }
    return out;
}

} // namespace

QString ToFullWidthDigits(const QString& text)
{
    QString out;
    for (const char byte : Cp932::Encode(text))
        out += byte == '-' ? QChar(u'－') : QChar(char16_t(u'０' + DigitOf(byte)));
    return out;
}

QString ToVerticalDigits(const QString& text)
{
    QString out;
    for (const char byte : Cp932::Encode(text))
        out += byte == '-' ? QChar(u'-') : QChar(kKanjiDigits[DigitOf(byte)]);
    return out;
}

QString ToVerticalText(const QString& text)
{
    QString out = MapChars(InCp932Form(text), u"－", u"-");
    out = MapChars(out, u"0123456789", kKanjiDigits);
    out = MapChars(out, u"０１２３４５６７８９", kKanjiDigits);
    out = MapChars(out, u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ",
                   u"ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲ"
                   u"ＳＴＵＶＷＸＹＺ");
    out = MapChars(out, kHalfKana, kFullKana);
    return Replace(out, kVoiced);
}
