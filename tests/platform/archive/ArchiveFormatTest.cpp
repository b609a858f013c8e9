#include <gtest/gtest.h>

#include "ArchiveTestData.h"

using namespace ArchiveTestData;

namespace
{

CArchiveError::Kind ErrorKind(const std::function<void()>& read)
{
    try {
        read();
    } catch (const CArchiveError& e) {
        return e.GetKind();
    }
    ADD_FAILURE() << "no archive error";
    return CArchiveError::FileError;
}

} // namespace

TEST(ArchiveFormat, EmptyCollectionIsTwoZeroBytes)
{
    CArchiveWriter ar;
    ar.WriteCount(0);
    EXPECT_EQ(ar.Data(), Hex("0000"));
    EXPECT_TRUE(ReadBunruiFile(ar.Data()).isEmpty());
}

TEST(ArchiveFormat, NumbersAndCountsAreLittleEndian)
{
    CArchiveWriter ar;
    ar.WriteByte(0xAB);
    ar.WriteInt16(-2);
    ar.WriteUInt16(0x1234);
    ar.WriteInt32(-100);
    ar.WriteUInt32(0xDEADBEEF);
    ar.WriteInt64(0x0102030405060708LL);
    ar.WriteDouble(36526.0);
    ar.WriteCount(0xFFFE);
    ar.WriteCount(0xFFFF);
    ar.WriteCount(70000);
    EXPECT_EQ(ar.Data(), Hex("ab"
                             "feff"
                             "3412"
                             "9cffffff"
                             "efbeadde"
                             "0807060504030201"
                             "00000000c0d5e140"
                             "feff"
                             "ffffffff0000"
                             "ffff70110100"));

    CArchiveReader in(ar.Data() + QByteArray(70000, '\0'));
    EXPECT_EQ(in.ReadByte(), 0xAB);
    EXPECT_EQ(in.ReadInt16(), -2);
    EXPECT_EQ(in.ReadUInt16(), 0x1234);
    EXPECT_EQ(in.ReadInt32(), -100);
    EXPECT_EQ(in.ReadUInt32(), 0xDEADBEEFu);
    EXPECT_EQ(in.ReadInt64(), 0x0102030405060708LL);
    EXPECT_EQ(in.ReadDouble(), 36526.0);
    EXPECT_EQ(in.ReadCount(), 0xFFFEu);
    EXPECT_EQ(in.ReadCount(), 0xFFFFu);
    EXPECT_EQ(in.ReadCount(), 70000u);
}

TEST(ArchiveFormat, TextLengthPrefixForms)
{
    struct Case {
        int length;
        QByteArray prefix;
    } cases[] = {{0, Hex("00")},
                 {254, Hex("fe")},
                 {255, Hex("ffff00")},
                 {0xFFFD, Hex("fffdff")},
                 {0xFFFE, Hex("ffffff feff0000")},
                 {70000, Hex("ffffff 70110100")}};
    for (const Case& c : cases) {
        const QString text(c.length, QLatin1Char('a'));
        CArchiveWriter ar;
        ar.WriteText(text);
        EXPECT_EQ(ar.Data(), c.prefix + QByteArray(c.length, 'a')) << c.length;
        CArchiveReader in(ar.Data());
        EXPECT_EQ(in.ReadText(), text) << c.length;
        EXPECT_TRUE(in.AtEnd());
    }

    // Full-width characters count two bytes; half-width katakana one.
    CArchiveWriter ar;
    ar.WriteText(QStringLiteral("分類１ｱ"));
    ar.WriteTextList({QStringLiteral("商品"), QString()});
    EXPECT_EQ(ar.Data(), Hex("07 95aa 97de 8250 b1"
                             "0200 04 8fa4 9569 00"));
    CArchiveReader in(ar.Data());
    EXPECT_EQ(in.ReadText(), QStringLiteral("分類１ｱ"));
    EXPECT_EQ(in.ReadTextList(), QStringList({QStringLiteral("商品"), QString()}));

    // A character without a code page 932 form is reported, not dropped.
    CArchiveWriter lossy;
    lossy.WriteText(QStringLiteral("A\U0001F600B"));
    EXPECT_EQ(lossy.Data(), Hex("03 413f42"));
    EXPECT_EQ(lossy.Unmappable(), QStringLiteral("\U0001F600"));
}

TEST(ArchiveFormat, ClassTitleFileGoldenBytes)
{
    CArchiveWriter ar;
    ar.WriteCount(2);
    WriteBunrui(ar, {1, 0, QStringLiteral("分類１"), {"A", QStringLiteral("ｱ")}});
    WriteBunrui(ar, {2, 4, QString(), {}});
    const QByteArray expected = Hex("0200"
                                    "ffff 0100 0f00 4342756e72756944617461456c656d"
                                    "01000000 01000000 00000000 06 95aa97de8250 0200 0141 01b1"
                                    "0180"
                                    "01000000 02000000 04000000 00 0000");
    EXPECT_EQ(ar.Data(), expected);

    const QList<Bunrui> back = ReadBunruiFile(expected);
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[0].ledger, 1);
    EXPECT_EQ(back[0].index, 0);
    EXPECT_EQ(back[0].title, QStringLiteral("分類１"));
    EXPECT_EQ(back[0].contents, QStringList({"A", QStringLiteral("ｱ")}));
    EXPECT_EQ(back[1].ledger, 2);
    EXPECT_EQ(back[1].index, 4);
    EXPECT_TRUE(back[1].title.isEmpty());
    EXPECT_TRUE(back[1].contents.isEmpty());
}

TEST(ArchiveFormat, ColumnFileNumbering)
{
    const QByteArray expected = Hex("0200"
                                    "ffff 0100 0900 43515843 6f6c536574"
                                    "00000000"
                                    "0200"                         // class 1, set 2
                                    "ffff 0100 0600 43515843 6f6c" // class 3, column 4
                                    "08 4974656d436f6465 04 8fa49569 64000000 00000000 01000000"
                                    "0380 05 5072696365 01 50 4b000000 01000000 00000000" // column 5
                                    "0180 01000000 0100"                                  // set 6
                                    "0380 03 54454c 00 00000000 02000000 01000000");      // column 7
    EXPECT_EQ(WriteColFile(SampleColSets()), expected);

    const QList<ColSet> back = ReadColFile(expected);
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[0].id, 0);
    ASSERT_EQ(back[0].cols.size(), 2);
    EXPECT_EQ(back[0].cols[0].caption, QStringLiteral("商品"));
    EXPECT_EQ(back[0].cols[1].field, "Price");
    EXPECT_EQ(back[0].cols[1].width, 75);
    EXPECT_EQ(back[0].cols[1].shown, 0);
    EXPECT_EQ(back[1].id, 1);
    ASSERT_EQ(back[1].cols.size(), 1);
    EXPECT_EQ(back[1].cols[0].field, "TEL");
    EXPECT_EQ(back[1].cols[0].align, 2);

    // Columns where sets are expected (and the reverse) are refused.
    EXPECT_EQ(ErrorKind([&] {
                  CArchiveReader in(expected);
                  in.ReadCount();
                  in.ReadObjectTag({"CQXCol"});
              }),
              CArchiveError::BadClass);
}

// Objects of class A push the numbering up, then class B first appears and
// is referred to again: its reference takes the long form from 0x7FFF on.
TEST(ArchiveFormat, LongFormTagsOnceNumberingReachesLimit)
{
    auto build = [](quint32 objectsOfA) {
        CArchiveWriter ar;
        ar.WriteCount(objectsOfA + 3);
        for (quint32 i = 0; i < objectsOfA; ++i) {
            ar.WriteObjectTag("CA");
            ar.WriteInt32(qint32(i));
        }
        ar.WriteObjectTag("CB");
        ar.WriteInt32(-1);
        ar.WriteObjectTag("CB");
        ar.WriteInt32(-2);
        ar.WriteObjectTag("CA");
        ar.WriteInt32(-3);
        return ar.Data();
    };
    auto readBack = [](const QByteArray& bytes) {
        CArchiveReader in(bytes);
        const quint32 count = in.ReadCount();
        QList<QByteArray> names;
        QList<qint32> values;
        for (quint32 i = 0; i < count; ++i) {
            names.append(in.ReadObjectTag({"CA", "CB"}));
            values.append(in.ReadInt32());
        }
        EXPECT_TRUE(in.AtEnd());
        return std::make_pair(names, values);
    };
    // The tail after the A objects: B's class record, B's reference, A's.
    const QByteArray newB = Hex("ffff 0100 0200 4342 ffffffff");
    auto endsWith = [&](const QByteArray& bytes, const char* tail) {
        return bytes.endsWith(QByteArray(newB + Hex(tail) + Hex("0180 fdffffff")));
    };

    // Class B numbered 0x7FFE: still the short tag 0xFFFE.
    QByteArray bytes = build(0x7FFC);
    EXPECT_TRUE(endsWith(bytes, "feff feffffff"));

    // Class B numbered 0x7FFF: 0x7FFF, then 0x80007FFF.
    bytes = build(0x7FFD);
    EXPECT_TRUE(endsWith(bytes, "ff7f ff7f0080 feffffff"));

    // Well beyond: 33000 objects of A put class B at 33002 = 0x80EA.
    bytes = build(33000);
    EXPECT_TRUE(endsWith(bytes, "ff7f ea800080 feffffff"));
    const auto [names, values] = readBack(bytes);
    ASSERT_EQ(names.size(), 33003);
    EXPECT_EQ(names[32999], "CA");
    EXPECT_EQ(values[32999], 32999);
    EXPECT_EQ(names[33000], "CB");
    EXPECT_EQ(names[33001], "CB");
    EXPECT_EQ(values[33001], -2);
    EXPECT_EQ(names[33002], "CA");
    EXPECT_EQ(values[33002], -3);
}

TEST(ArchiveFormat, TruncatedFilesRaiseEndOfFile)
{
    const QByteArray full = WriteColFile(SampleColSets());
    for (qsizetype length = 0; length < full.size(); ++length)
        EXPECT_EQ(ErrorKind([&] { ReadColFile(full.left(length)); }), CArchiveError::EndOfFile) << length;

    // Counts and lengths larger than the bytes left fail before any allocation.
    EXPECT_EQ(ErrorKind([] { CArchiveReader(Hex("ffffffffffff")).ReadCount(); }), CArchiveError::EndOfFile);
    EXPECT_EQ(ErrorKind([] { CArchiveReader(Hex("ffffffffffff7f41")).ReadText(); }),
              CArchiveError::EndOfFile);
    EXPECT_EQ(ErrorKind([] { CArchiveReader(Hex("ff0001")).ReadText(); }), CArchiveError::EndOfFile);
    EXPECT_EQ(ErrorKind([] { CArchiveReader(Hex("0300 00 00")).ReadTextList(); }), CArchiveError::EndOfFile);
    EXPECT_EQ(ErrorKind([] { CArchiveReader(Hex("01")).ReadBytes(2); }), CArchiveError::EndOfFile);
}

TEST(ArchiveFormat, RefusesWhatTheProgramNeverWrites)
{
    const QByteArrayList classes{"CBunruiDataElem"};
    auto tagError = [&](const QByteArray& hex) {
        return ErrorKind([&] {
            CArchiveReader in(QByteArray::fromHex(hex));
            for (;;) {
                in.ReadObjectTag(classes);
                in.ReadInt32();
            }
        });
    };
    const char* record = "ffff 0100 0f00 434275 6e72756944617461456c656d 07000000";
    const auto with = [&](const char* tail) -> QByteArray { return QByteArray(record) + tail; };

    // Sanity: the record and a class reference read, then the bytes end.
    EXPECT_EQ(tagError(with("0180 08000000")), CArchiveError::EndOfFile);

    EXPECT_EQ(tagError("ffff 0200 0f00 434275 6e72756944617461456c656d"), CArchiveError::BadSchema);
    EXPECT_EQ(tagError("ffff 0100 0600 434f74686572"), CArchiveError::BadClass);   // "COther"
    EXPECT_EQ(tagError("ffff 0100 4000"), CArchiveError::BadClass);                // name too long
    EXPECT_EQ(tagError("0000"), CArchiveError::BadFormat);                         // empty element
    EXPECT_EQ(tagError(with("0200")), CArchiveError::BadFormat);                   // object again
    EXPECT_EQ(tagError(with("0280")), CArchiveError::BadFormat);                   // 2 is an object
    EXPECT_EQ(tagError(with("0380")), CArchiveError::BadFormat);                   // 3 unused
    EXPECT_EQ(tagError(with("0080")), CArchiveError::BadFormat);                   // class 0
    EXPECT_EQ(tagError(with("ff7f 02000000")), CArchiveError::BadFormat);          // long object
    EXPECT_EQ(tagError(with("ff7f 02000080")), CArchiveError::BadFormat);          // long, not a class
    EXPECT_EQ(tagError(with("ff7f 01000080 08000000")), CArchiveError::EndOfFile); // long, fine

    EXPECT_EQ(ErrorKind([] { CArchiveReader(Hex("fffeff")).ReadText(); }), CArchiveError::BadFormat);
    EXPECT_EQ(ErrorKind([] { CArchiveReader(Hex("ffffffffffffff")).ReadText(); }), CArchiveError::BadFormat);
}
