#include <gtest/gtest.h>

#include "SettingsTestDb.h"
#include "platform/ui/FakeUi.h"
#include "settings/ComboData.h"
#include "settings/ComboDataBoxModel.h"

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

QStringList Names(const CComboData& data)
{
    QStringList names;
    for (const auto& elem : data.GetElems())
        names << elem->m_strText;
    return names;
}

} // namespace

TEST(ComboData, GoldenBytesKindsAndReadBack)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;

    EXPECT_EQ(CComboData::GetFileName(COMBO_MONEY), "Money.dat");
    EXPECT_EQ(CComboData::GetFileName(3), QString());
    EXPECT_EQ(CComboData::GetTextLimit(COMBO_TANTO), 30);
    EXPECT_EQ(CComboData::GetTextLimit(COMBO_MONEY), 50);
    EXPECT_EQ(CComboData::GetTextLimit(COMBO_UNIT), 20);

    CComboData unknown;
    EXPECT_EQ(unknown.Load(3), 0);
    EXPECT_EQ(unknown.Add("x"), 0);

    CComboData staff;
    EXPECT_EQ(staff.Add(U("山田")), 0); // never loaded
    ASSERT_EQ(staff.Load(COMBO_TANTO), 1);
    EXPECT_TRUE(staff.GetElems().empty());
    ASSERT_EQ(staff.Add(U("山田")), 1);
    ASSERT_EQ(staff.Add(U("鈴木")), 1);
    EXPECT_EQ(CSettingsTestDb::Get(db.File("Tanto.dat")), Hex("02 00 FF FF 01 00 0E 00") + "CComboDataElem" +
                                                              Hex("04 8E 52 93 63 01 00 00 00") +
                                                              Hex("01 80 04 97 E9 96 D8 01 00 00 00"));

    // Each kind has its own file.
    CComboData units;
    ASSERT_EQ(units.Load(COMBO_UNIT), 1);
    ASSERT_EQ(units.Add(U("個")), 1);
    CComboData back;
    ASSERT_EQ(back.Load(COMBO_TANTO), 1);
    EXPECT_EQ(Names(back), QStringList({U("山田"), U("鈴木")}));
    EXPECT_EQ(back.GetKind(), COMBO_TANTO);
    ASSERT_EQ(back.Load(COMBO_UNIT), 1);
    EXPECT_EQ(Names(back), QStringList{U("個")});
    EXPECT_EQ(db.Files(), QStringList({"Tanto.dat", "Unit.dat"}));
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
}

TEST(ComboData, BoxesLearningAtOnceKeepEachOthersNames)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;

    CComboDataBoxModel first, second, quiet;
    ASSERT_EQ(first.Fill(COMBO_MONEY, 1), 1);
    ASSERT_EQ(second.Fill(COMBO_MONEY, 1), 1);
    ASSERT_EQ(quiet.Fill(COMBO_MONEY, 0), 1);
    EXPECT_EQ(first.GetTextLimit(), 50);

    EXPECT_FALSE(quiet.Learn(U("振込")));
    EXPECT_TRUE(db.Files().isEmpty());
    EXPECT_FALSE(first.Learn(QString()));
    EXPECT_TRUE(first.Learn(U("振込")));
    EXPECT_TRUE(second.Learn(U("現金")));
    EXPECT_TRUE(first.Learn(U("　"))); // spaces are a name here
    EXPECT_FALSE(first.Learn(U("振込")));
    // Learned meanwhile by the other box: listed here now, not doubled.
    EXPECT_TRUE(second.Learn(U("振込")));
    EXPECT_FALSE(second.Learn(U("😀")));

    CComboData data;
    ASSERT_EQ(data.Load(COMBO_MONEY), 1);
    EXPECT_EQ(Names(data), QStringList({U("振込"), U("現金"), U("　")}));
    EXPECT_EQ(second.GetItems(), QStringList({U("現金"), U("振込")}));

    CComboDataBoxModel later;
    ASSERT_EQ(later.Fill(COMBO_MONEY, 1), 1);
    EXPECT_EQ(later.GetItems(), QStringList({U("振込"), U("現金"), U("　")}));

    // A box whose list cannot be read does not learn.
    CSettingsTestDb::Put(db.File("Money.dat"), Hex("FF FF"));
    ui.Prompt().QueueAnswers({IDNO});
    EXPECT_EQ(later.Fill(COMBO_MONEY, 1), 0);
    EXPECT_EQ(later.GetLearn(), 0);
    EXPECT_FALSE(later.Learn(U("小切手")));
    EXPECT_EQ(CSettingsTestDb::Get(db.File("Money.dat")), Hex("FF FF"));
    EXPECT_EQ(ui.Prompt().Calls().size(), 1);
}
