#include "platform/text/Cp932.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace
{

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

} // namespace

TEST(CodecRoundTrip, GoldenBytesAndBack)
{
    const struct {
        QString text;
        QByteArray bytes;
    } cases[] = {
        {u"漢字"_s, Bytes({0x8A, 0xBF, 0x8E, 0x9A})},
        {u"ｱｲｳﾞ"_s, Bytes({0xB1, 0xB2, 0xB3, 0xDE})},
        {u"～"_s, Bytes({0x81, 0x60})},
        // The trail byte of 表 is 0x5C, the byte of a backslash.
        {u"表示"_s, Bytes({0x95, 0x5C, 0x8E, 0xA6})},
        {u"表\\"_s, Bytes({0x95, 0x5C, 0x5C})},
        {u"㈱①　"_s, Bytes({0x87, 0x8A, 0x87, 0x40, 0x81, 0x40})},
        {u"A-z~"_s, QByteArray("A-z~")},
        {QString(), QByteArray()},
    };
    for (const auto& c : cases) {
        QString unmappable;
        EXPECT_EQ(Cp932::Encode(c.text, &unmappable), c.bytes) << c.text.toStdString();
        EXPECT_TRUE(unmappable.isEmpty());
        bool ok = false;
        EXPECT_EQ(Cp932::Decode(c.bytes, &ok), c.text) << c.text.toStdString();
        EXPECT_TRUE(ok);
    }
}

TEST(CodecRoundTrip, OneWayMappingsOfTheTable)
{
    // The wave dash shares 0x81 0x60 with the full-width tilde and comes back as it.
    EXPECT_EQ(Cp932::Encode(u"\u301C"_s), Bytes({0x81, 0x60}));
    EXPECT_EQ(Cp932::Decode(Cp932::Encode(u"\u301C"_s)), u"～"_s);
    // The half-width yen sign is the single byte 0x5C, read back as a backslash.
    EXPECT_EQ(Cp932::Encode(u"¥100"_s), QByteArray("\\100"));
    EXPECT_EQ(Cp932::Decode(Bytes({0x81, 0x7C})), u"\uFF0D"_s);
    EXPECT_TRUE(Cp932::CanEncode(u"\u301C\u2212¥"_s));

    // The alias list is every such character of the codec, each with what
    // comes back; folding gives the text a file gives back.
    QList<QPair<char16_t, char16_t>> found, listed;
    for (char32_t u = 0x80; u < 0x10000; ++u) {
        const QString c = QChar(char16_t(u));
        if ((u >= 0xD800 && u <= 0xDFFF) || !Cp932::CanEncode(c))
            continue;
        if (const QString back = Cp932::Decode(Cp932::Encode(c)); back != c)
            found.append({char16_t(u), back.at(0).unicode()});
    }
    for (const Cp932::SAlias& alias : Cp932::Aliases())
        listed.append({alias.from, alias.to});
    EXPECT_EQ(listed, found);
    const QString mixed = u"¥100‾−〜～\\表😀"_s;
    EXPECT_EQ(Cp932::FoldAliases(mixed), u"\\100~－～～\\表😀"_s);
}

TEST(CodecByteLength, CountsDoubleBytesTwice)
{
    EXPECT_EQ(Cp932::ByteLength(QString()), 0);
    EXPECT_EQ(Cp932::ByteLength(u"abc"_s), 3);
    EXPECT_EQ(Cp932::ByteLength(u"あいう"_s), 6);
    EXPECT_EQ(Cp932::ByteLength(u"ｱｲｳ"_s), 3);
    EXPECT_EQ(Cp932::ByteLength(u"表A～ｶ"_s), 6);
    // An unmappable character is written as one '?'.
    EXPECT_EQ(Cp932::ByteLength(u"a\U0001F600"_s), 2);
}

TEST(CodecTruncate, NeverSplitsACharacter)
{
    EXPECT_EQ(Cp932::TruncateToBytes(u"あいう"_s, 5), u"あい"_s);
    EXPECT_EQ(Cp932::TruncateToBytes(u"あいう"_s, 6), u"あいう"_s);
    EXPECT_EQ(Cp932::TruncateToBytes(u"aあ"_s, 2), u"a"_s);
    EXPECT_EQ(Cp932::TruncateToBytes(u"表示"_s, 3), u"表"_s);
    EXPECT_EQ(Cp932::TruncateToBytes(u"ｱｲｳ"_s, 2), u"ｱｲ"_s);
    EXPECT_EQ(Cp932::TruncateToBytes(u"abc"_s, 2), u"ab"_s);
    EXPECT_EQ(Cp932::TruncateToBytes(u"abc"_s, 0), QString());
    EXPECT_EQ(Cp932::TruncateToBytes(u"abc"_s, -1), QString());
    // A surrogate pair stays whole.
    EXPECT_EQ(Cp932::TruncateToBytes(u"a\U0001F600b"_s, 2), u"a\U0001F600"_s);
    EXPECT_EQ(Cp932::TruncateToBytes(u"あ\U0001F600"_s, 2), u"あ"_s);

    const QByteArray hyo = Bytes({0x95, 0x5C, 0x95, 0x5C});
    EXPECT_EQ(Cp932::TruncateBytes(hyo, 3), Bytes({0x95, 0x5C}));
    EXPECT_EQ(Cp932::TruncateBytes(hyo, 1), QByteArray());
    EXPECT_EQ(Cp932::TruncateBytes(hyo, 4), hyo);
    EXPECT_EQ(Cp932::TruncateBytes(Bytes({0x41, 0x95, 0x5C}), 2), QByteArray("A"));
    EXPECT_EQ(Cp932::TruncateBytes(Bytes({0xB1, 0xB2, 0xB3}), 2), Bytes({0xB1, 0xB2}));
    EXPECT_EQ(Cp932::TruncateBytes(Bytes({0x5C, 0x95, 0x5C, 0x5C}), 3), Bytes({0x5C, 0x95, 0x5C}));
}

TEST(CodecTruncate, LeadBytesFoundFromTheStart)
{
    const QByteArray bytes = Bytes({0x95, 0x5C, 0x5C, 0x95, 0x5C, 0xB1});
    EXPECT_TRUE(Cp932::IsLeadByteAt(bytes, 0));
    EXPECT_FALSE(Cp932::IsLeadByteAt(bytes, 1)); // trail byte 0x5C
    EXPECT_FALSE(Cp932::IsLeadByteAt(bytes, 2)); // a real backslash
    EXPECT_TRUE(Cp932::IsLeadByteAt(bytes, 3));
    EXPECT_FALSE(Cp932::IsLeadByteAt(bytes, 4));
    EXPECT_FALSE(Cp932::IsLeadByteAt(bytes, 5)); // half-width katakana
    EXPECT_FALSE(Cp932::IsLeadByteAt(bytes, 6));
    EXPECT_FALSE(Cp932::IsLeadByteAt(bytes, -1));
    // 0x95 as the trail of 0x81 0x95 is no lead byte.
    EXPECT_FALSE(Cp932::IsLeadByteAt(Bytes({0x81, 0x95, 0x41}), 1));
}

TEST(CodecUnmappable, ReportedNeverDropped)
{
    QString unmappable;
    const QByteArray bytes = Cp932::Encode(u"a\U0001F600丂b\U0001F600表"_s, &unmappable);
    EXPECT_EQ(bytes, QByteArray("a??b?") + Bytes({0x95, 0x5C}));
    EXPECT_EQ(unmappable, u"\U0001F600丂"_s);
    EXPECT_EQ(Cp932::UnmappableChars(u"丂x\U0001F600丂"_s), u"丂\U0001F600"_s);
    EXPECT_TRUE(Cp932::UnmappableChars(u"表～㈱ｱ"_s).isEmpty());
    EXPECT_FALSE(Cp932::CanEncode(u"丂"_s));
    EXPECT_FALSE(Cp932::CanEncode(u"\u00A0"_s));
    EXPECT_TRUE(Cp932::CanEncode(u"表～㈱ｱ"_s));

    // A lone surrogate, in the middle and at the end.
    const QString lone = QString(QChar(0xD83D)) + u"a" + QChar(0xD83D);
    unmappable.clear();
    EXPECT_EQ(Cp932::Encode(lone, &unmappable), QByteArray("?a?"));
    EXPECT_EQ(unmappable, QString(QChar(0xD83D)));
}

TEST(CodecDecode, DamagedBytesBecomeReplacementCharacters)
{
    const QString bad(QChar::ReplacementCharacter);
    const struct {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {Bytes({0x81, 0x20, 0x41}), bad + u" A"}, // lead byte without a trail byte
        {Bytes({0x85, 0x40, 0x41}), bad + u"A"},  // unassigned double-byte code
        {Bytes({0x41, 0x95}), u"A" + bad},        // cut after a lead byte
        {Bytes({0x80, 0xA0, 0xFD, 0xB1}), bad + bad + bad + u"ｱ"},
    };
    for (const auto& c : cases) {
        bool ok = true;
        EXPECT_EQ(Cp932::Decode(c.bytes, &ok), c.text) << c.bytes.toHex().toStdString();
        EXPECT_FALSE(ok);
    }
}
