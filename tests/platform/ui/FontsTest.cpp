#include "platform/ui/Fonts.h"

#include <QFontDatabase>
#include <gtest/gtest.h>

namespace
{

const QString kSans = QStringLiteral("Noto Sans CJK JP");
const QString kMono = QStringLiteral("Noto Sans Mono CJK JP");
const QString kSerif = QStringLiteral("Noto Serif CJK JP");

} // namespace

TEST(MapFaceName, ChoosesTheJapaneseFamilyForEachSystemFace)
{
    const QStringList noto{QStringLiteral("DejaVu Sans"), kSans, kMono, kSerif};
    const QString def = QStringLiteral("Default");
    EXPECT_EQ(MapFaceName(QStringLiteral(u"ＭＳ ゴシック"), noto, noto.mid(1), def), kMono);
    EXPECT_EQ(MapFaceName(QStringLiteral(u"ＭＳ　ゴシック"), noto, noto.mid(1), def), kMono);
    EXPECT_EQ(MapFaceName(QStringLiteral("MS Gothic"), noto, noto.mid(1), def), kMono);
    EXPECT_EQ(MapFaceName(QStringLiteral(u"ＭＳ Ｐゴシック"), noto, noto.mid(1), def), kSans);
    EXPECT_EQ(MapFaceName(QStringLiteral("ms pgothic"), noto, noto.mid(1), def), kSans);
    EXPECT_EQ(MapFaceName(QStringLiteral(u"ＭＳ 明朝"), noto, noto.mid(1), def), kSerif);
    EXPECT_EQ(MapFaceName(QStringLiteral(u"ＭＳ Ｐ明朝"), noto, noto.mid(1), def), kSerif);
    EXPECT_EQ(MapFaceName(QStringLiteral("MS Mincho"), noto, noto.mid(1), def), kSerif);
    // An installed face keeps its name; an unknown or empty one reads as the proportional Gothic.
    EXPECT_EQ(MapFaceName(QStringLiteral("dejavu sans"), noto, noto.mid(1), def),
              QStringLiteral("dejavu sans"));
    EXPECT_EQ(MapFaceName(QStringLiteral("Arial"), noto, noto.mid(1), def), kSans);
    EXPECT_EQ(MapFaceName(QString(), noto, noto.mid(1), def), kSans);

    // Without the mono and serif cuts the sans one serves every face.
    const QStringList sansOnly{kSans};
    EXPECT_EQ(MapFaceName(QStringLiteral(u"ＭＳ ゴシック"), sansOnly, sansOnly, def), kSans);
    EXPECT_EQ(MapFaceName(QStringLiteral(u"ＭＳ 明朝"), sansOnly, sansOnly, def), kSans);

    // Without Noto: any family that writes Japanese, else the default.
    const QStringList ipa{QStringLiteral("DejaVu Sans"), QStringLiteral("IPAGothic")};
    EXPECT_EQ(MapFaceName(QStringLiteral(u"ＭＳ 明朝"), ipa, ipa.mid(1), def), QStringLiteral("IPAGothic"));
    EXPECT_EQ(MapFaceName(QStringLiteral(u"ＭＳ ゴシック"), ipa.mid(0, 1), {}, def), def);
}

TEST(MapFaceName, UsesAnInstalledJapaneseFamilyOnThisMachine)
{
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    const QString fallback = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    for (const QString& face : {QStringLiteral(u"ＭＳ ゴシック"), QStringLiteral(u"ＭＳ Ｐゴシック"),
                                QStringLiteral(u"ＭＳ 明朝")}) {
        const QString family = MapFaceName(face);
        if (japanese.isEmpty())
            EXPECT_EQ(family, fallback) << face.toStdString();
        else
            EXPECT_TRUE(japanese.contains(family)) << face.toStdString() << " -> " << family.toStdString();
    }
    const QStringList families = QFontDatabase::families();
    if (families.contains(kMono)) {
        EXPECT_EQ(MapFaceName(QStringLiteral(u"ＭＳ ゴシック")), kMono);
    }
    if (families.contains(kSerif)) {
        EXPECT_EQ(MapFaceName(QStringLiteral(u"ＭＳ 明朝")), kSerif);
    }
}

TEST(MakeAppFont, DefaultsAndTheFaceLengthLimit)
{
    QFont font;
    ASSERT_TRUE(MakeAppFont(font, nullptr, 0, 0, false, 400, false, false, false));
    EXPECT_EQ(font.pixelSize(), 18);
    EXPECT_EQ(font.weight(), QFont::Normal);
    EXPECT_EQ(font.family(), MapFaceName(QStringLiteral(u"ＭＳ Ｐゴシック")));

    const QString gothic = QStringLiteral(u"ＭＳ ゴシック");
    MakeAppFont(font, &gothic, 14, 0, true, 400, true, true, true);
    EXPECT_EQ(font.pixelSize(), 14);
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.italic() && font.underline() && font.strikeOut());
    EXPECT_EQ(font.family(), MapFaceName(gothic));
    MakeAppFont(font, &gothic, 15, 0, false, 600, false, false, false);
    EXPECT_EQ(font.weight(), QFont::DemiBold);
    EXPECT_FALSE(font.italic());

    // "ＭＳ 明朝" is 9 bytes; padded to 31 it still fits the face field, at 32 it does not.
    const QString mincho31 = QStringLiteral(u"ＭＳ 明朝") + QString(22, QLatin1Char(' '));
    const QString mincho32 = mincho31 + QLatin1Char(' ');
    MakeAppFont(font, &mincho31, 12, 0, false, 400, false, false, false);
    EXPECT_EQ(font.family(), MapFaceName(QStringLiteral(u"ＭＳ 明朝")));
    MakeAppFont(font, &mincho32, 12, 0, false, 400, false, false, false);
    EXPECT_EQ(font.family(), MapFaceName(QStringLiteral(u"ＭＳ Ｐゴシック")));
    // Full-width spaces count two bytes: eleven make 31 bytes, twelve 33.
    const QString wide31 = QStringLiteral(u"ＭＳ 明朝") + QString(11, QChar(0x3000));
    const QString wide33 = wide31 + QChar(0x3000);
    MakeAppFont(font, &wide31, 12, 0, false, 400, false, false, false);
    EXPECT_EQ(font.family(), MapFaceName(QStringLiteral(u"ＭＳ 明朝")));
    MakeAppFont(font, &wide33, 12, 0, false, 400, false, false, false);
    EXPECT_EQ(font.family(), MapFaceName(QStringLiteral(u"ＭＳ Ｐゴシック")));
    if (QFontDatabase::families().contains(kSerif) && QFontDatabase::families().contains(kSans)) {
        EXPECT_NE(MapFaceName(QStringLiteral(u"ＭＳ 明朝")), MapFaceName(QStringLiteral(u"ＭＳ Ｐゴシック")));
    }
}

TEST(MakeFont, WidthSetsTheStretch)
{
    EXPECT_EQ(MakeFont(QStringLiteral(u"ＭＳ ゴシック"), 14).stretch(), QFont::AnyStretch);
    // Half the em is the face's own width: 100 %.
    EXPECT_EQ(MakeFont(QStringLiteral(u"ＭＳ ゴシック"), 14, 400, false, false, false, 7).stretch(), 100);
    EXPECT_EQ(MakeFont(QStringLiteral(u"ＭＳ ゴシック"), -20, 400, false, false, false, 5).stretch(), 50);
    EXPECT_EQ(MakeFont(QStringLiteral(u"ＭＳ ゴシック"), -20).pixelSize(), 20);
}
