#include <gtest/gtest.h>

#include <random>

#include "ArchiveTestData.h"

using namespace ArchiveTestData;

namespace
{

// Runs every reader shape over the bytes; anything but success or an
// archive error (a crash, another exception, a sanitizer report) fails.
void ReadAllShapes(const QByteArray& bytes)
{
    try {
        ReadBunruiFile(bytes);
    } catch (const CArchiveError&) {
    }
    try {
        ReadColFile(bytes);
    } catch (const CArchiveError&) {
    }
    try {
        CArchiveReader in(bytes);
        in.ReadText();
        in.ReadTextList();
        in.ReadDateTime();
        in.ReadObjectTag({"CQXColSet", "CQXCol"});
        in.ReadObjectTag({"CQXColSet", "CQXCol"});
    } catch (const CArchiveError&) {
    }
}

QByteArray Mutate(QByteArray bytes, std::mt19937& rng)
{
    const int edits = 1 + int(rng() % 4);
    for (int i = 0; i < edits; ++i) {
        const qsizetype at = bytes.isEmpty() ? 0 : qsizetype(rng() % quint32(bytes.size()));
        switch (rng() % 5) {
        case 0:
            if (!bytes.isEmpty())
                bytes[at] = char(rng());
            break;
        case 1:
            if (!bytes.isEmpty())
                bytes[at] = char(0xFF);
            break;
        case 2:
            bytes.insert(at, char(rng()));
            break;
        case 3:
            bytes.remove(at, 1 + qsizetype(rng() % 3));
            break;
        default:
            bytes.truncate(at);
        }
    }
    return bytes;
}

} // namespace

TEST(FuzzArchive, RandomAndMutatedInputsNeverCrash)
{
    std::mt19937 rng(20240501);
    CArchiveWriter bunrui;
    bunrui.WriteCount(3);
    WriteBunrui(bunrui, {0, 0, QStringLiteral("分類１"), {"A", "B"}});
    WriteBunrui(bunrui, {1, 2, QString(300, QLatin1Char('t')), {}});
    WriteBunrui(bunrui, {2, 4, "x", {QStringLiteral("ｱｲｳ")}});
    const QByteArray seeds[] = {bunrui.Data(), WriteColFile(SampleColSets()), Hex("0000")};

    int parsedMutants = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray input;
        if (round % 4 == 0) {
            input.resize(qsizetype(rng() % 48));
            for (char& c : input)
                c = char(rng());
        } else {
            input = Mutate(seeds[round % 3], rng);
        }
        ReadAllShapes(input);
        try {
            ReadBunruiFile(input);
            ++parsedMutants;
        } catch (const CArchiveError&) {
        }
    }
    // Some mutants (changed field values) are still valid files.
    EXPECT_GT(parsedMutants, 0);
}
