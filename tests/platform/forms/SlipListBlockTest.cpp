#include "platform/forms/SlipListBlock.h"

#include <gtest/gtest.h>

TEST(SlipListBlock, GoldenBytesAndLengthPrefixes)
{
    EXPECT_EQ(EncodeSlipList({{7, QStringLiteral("ab")}}), QByteArray::fromHex("01000000"
                                                                               "07000000"
                                                                               "02"
                                                                               "6162"
                                                                               "00"));
    EXPECT_TRUE(EncodeSlipList({}).isEmpty());

    const QByteArray long300 = EncodeSlipList({{1, QString(300, u'x')}});
    EXPECT_EQ(long300.mid(8, 3), QByteArray::fromHex("ff2c01"));
    EXPECT_EQ(long300.size(), 4 + 4 + 3 + 300 + 1);
    // Full-width text counts its code page 932 bytes: 127 characters are 254 bytes.
    EXPECT_EQ(EncodeSlipList({{1, QString(127, u'伝')}}).mid(8, 1), QByteArray::fromHex("fe"));
    EXPECT_EQ(EncodeSlipList({{1, QString(128, u'伝')}}).mid(8, 3), QByteArray::fromHex("ff0001"));
    EXPECT_EQ(EncodeSlipList({{1, QString(0x10000, u'x')}}).mid(8, 7), QByteArray::fromHex("ffffff00000100"));
    // A name the slip-form program could never open is not handed over.
    EXPECT_TRUE(EncodeSlipList({{1, QStringLiteral("a😀")}}).isEmpty());
}

TEST(SlipListBlock, DecodesWhatWasEncodedAndRefusesDamagedBlocks)
{
    const QList<CFormPrintItem> items = {{7, QStringLiteral("S0001.vrh")},
                                         {0xFFFFFFFFu, QStringLiteral("売上 伝票.vrh")},
                                         {9, QString(300, u'y')}};
    const QByteArray block = EncodeSlipList(items);
    EXPECT_EQ(DecodeSlipList(block), items);
    // The clipboard may hand back a block rounded up with zero bytes.
    EXPECT_EQ(DecodeSlipList(block + QByteArray(16, '\0')), items);

    for (qsizetype cut = 0; cut < block.size() - 1; ++cut)
        EXPECT_FALSE(DecodeSlipList(block.left(cut)).has_value()) << cut;
    EXPECT_FALSE(DecodeSlipList(block + 'x').has_value());
    EXPECT_FALSE(DecodeSlipList(QByteArray::fromHex("00000000"
                                                    "00"))
                     .has_value());
    EXPECT_FALSE(DecodeSlipList(QByteArray::fromHex("ffffffff"
                                                    "00"))
                     .has_value());
    EXPECT_FALSE(DecodeSlipList(QByteArray::fromHex("ffffff7f"
                                                    "07000000"
                                                    "0161"))
                     .has_value());
}
