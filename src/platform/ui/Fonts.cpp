#include "platform/ui/Fonts.h"

#include "platform/text/Cp932.h"

#include <QFontDatabase>
#include <QHash>

namespace
{

enum class FaceKind { Gothic, PGothic, Mincho, PMincho, Other };

FaceKind KindOf(const QString& face)
{
    // Compatibility folding turns "ＭＳ Ｐ" into "MS P", so both spellings meet.
    const QString key = face.normalized(QString::NormalizationForm_KC).simplified().toLower();
    static const QHash<QString, FaceKind> kinds = {
        {QStringLiteral(u"ms ゴシック"), FaceKind::Gothic},
        {QStringLiteral("ms gothic"), FaceKind::Gothic},
        {QStringLiteral(u"ms pゴシック"), FaceKind::PGothic},
        {QStringLiteral("ms pgothic"), FaceKind::PGothic},
        {QStringLiteral(u"ms 明朝"), FaceKind::Mincho},
        {QStringLiteral("ms mincho"), FaceKind::Mincho},
        {QStringLiteral(u"ms p明朝"), FaceKind::PMincho},
        {QStringLiteral("ms pmincho"), FaceKind::PMincho},
    };
    return kinds.value(key, FaceKind::Other);
}

QStringList Preferred(FaceKind kind)
{
    const QString sans = QStringLiteral("Noto Sans CJK JP");
    const QString mono = QStringLiteral("Noto Sans Mono CJK JP");
    const QString serif = QStringLiteral("Noto Serif CJK JP");
    switch (kind) {
    case FaceKind::Gothic:
        return {mono, sans};
    case FaceKind::Mincho:
    case FaceKind::PMincho:
        return {serif, sans};
    default:
        return {sans, mono};
    }
}

} // namespace

QString MapFaceName(const QString& face, const QStringList& families, const QStringList& japanese,
                    const QString& defaultFamily)
{
    if (!face.isEmpty() && families.contains(face, Qt::CaseInsensitive))
        return face;
    for (const QString& family : Preferred(KindOf(face))) {
        if (families.contains(family))
            return family;
    }
    return japanese.isEmpty() ? defaultFamily : japanese.first();
}

QString MapFaceName(const QString& face)
{
    // The font list is fixed for the run; dialogs ask for the same few faces
    // over and over.
    static QHash<QString, QString> cache;
    auto found = cache.constFind(face);
    if (found != cache.constEnd())
        return *found;
    const QString family =
        MapFaceName(face, QFontDatabase::families(), QFontDatabase::families(QFontDatabase::Japanese),
                    QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    cache.insert(face, family);
    return family;
}

QFont MakeFont(const QString& face, int pixelHeight, int weight, bool italic, bool underline, bool strikeOut,
               int width)
{
    QFont font(MapFaceName(face));
    const int height = qMax(1, qAbs(pixelHeight));
    font.setPixelSize(height);
    font.setWeight(QFont::Weight(weight <= 0 ? 400 : qMin(weight, 1000)));
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    if (width > 0)
        font.setStretch(qBound(1, width * 200 / height, 4000));
    return font;
}

bool MakeAppFont(QFont& font, const QString* face, int height, int width, bool bold, int weight, bool italic,
                 bool underline, bool strikeOut)
{
    // A face name fills a fixed 32-byte field with its terminator; a longer
    // one is not used.
    const QString name = face && Cp932::ByteLength(*face) < 32 ? *face : QStringLiteral(u"ＭＳ Ｐゴシック");
    font =
        MakeFont(name, height == 0 ? 18 : height, bold ? 700 : weight, italic, underline, strikeOut, width);
    return true;
}
