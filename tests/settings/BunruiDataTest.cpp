#include <gtest/gtest.h>

#include "SettingsTestDb.h"
#include "platform/ui/FakeUi.h"
#include "settings/BunruiComboModel.h"
#include "settings/BunruiData.h"

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

TEST(BunruiData, GoldenBytesAndReadBack)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;

    CBunruiData data;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(data.GetTitle(BUNRUI_CUSTOMER, i), GetDefaultBunruiTitle(i));
    EXPECT_EQ(GetDefaultBunruiTitle(4), U("分類５"));
    EXPECT_EQ(GetDefaultBunruiTitle(5), QString());
    EXPECT_TRUE(db.Files().isEmpty());

    ASSERT_EQ(data.SetTitle(BUNRUI_CUSTOMER, 0, U("得意先区分")), 1);
    ASSERT_EQ(data.AddContentAndSave(BUNRUI_CUSTOMER, 0, U("東京")), 1);
    ASSERT_EQ(data.AddContentAndSave(BUNRUI_PRODUCT, 2, U("請求")), 1);
    ASSERT_EQ(data.AddContentAndSave(BUNRUI_CUSTOMER, 0, U("東京")), 1); // once only

    const QByteArray expected =
        Hex("02 00 FF FF 01 00 0F 00") + "CBunruiDataElem" +
        Hex("01 00 00 00  01 00 00 00  00 00 00 00  0A 93 BE 88 D3 90 E6 8B E6 95 AA  01 00 04 93 8C 8B 9E") +
        Hex("01 80  01 00 00 00  00 00 00 00  02 00 00 00  06 95 AA 97 DE 82 52  01 00 04 90 BF 8B 81");
    EXPECT_EQ(CSettingsTestDb::Get(db.File("ClassTitle.dat")), expected);

    CBunruiData again;
    EXPECT_EQ(again.GetTitle(BUNRUI_CUSTOMER, 0), U("得意先区分"));
    EXPECT_EQ(again.GetTitle(BUNRUI_PRODUCT, 2), U("分類３"));
    EXPECT_EQ(again.GetTitle(BUNRUI_SUPPLIER, 4), U("分類５"));
    EXPECT_EQ(again.GetTitle(BUNRUI_SUPPLIER, 7), QString());
    const CBunruiDataElem* elem = again.Find(BUNRUI_CUSTOMER, 0);
    ASSERT_NE(elem, nullptr);
    EXPECT_EQ(elem->m_contents, QStringList{U("東京")});
    EXPECT_EQ(again.Find(BUNRUI_SUPPLIER, 0), nullptr);
    EXPECT_EQ(again.GetElems().size(), 2u);

    // An empty stored title shows the default; such an element lists nothing.
    ASSERT_EQ(again.SetTitle(BUNRUI_SUPPLIER, 1, QString()), 1);
    CBunruiData third;
    EXPECT_EQ(third.GetTitle(BUNRUI_SUPPLIER, 1), U("分類２"));
    ASSERT_NE(third.Find(BUNRUI_SUPPLIER, 1), nullptr);
    EXPECT_TRUE(third.Find(BUNRUI_SUPPLIER, 1)->m_contents.isEmpty());
    CBunruiComboModel box;
    EXPECT_EQ(box.Fill(BUNRUI_SUPPLIER, 1), 1);
    EXPECT_TRUE(box.GetItems().isEmpty());
    EXPECT_EQ(box.GetTextLimit(), 100);
    EXPECT_TRUE(ui.Prompt().Calls().isEmpty());
}

TEST(BunruiData, BoxesLearnIntoTheCurrentFile)
{
    ScopedFakeUi ui;
    CSettingsTestDb db;

    CBunruiComboModel unbound;
    EXPECT_FALSE(unbound.Learn(U("東京")));
    EXPECT_EQ(unbound.GetTextLimit(), 0);

    // First learned content creates the element with its default title.
    CBunruiComboModel first, second;
    ASSERT_EQ(first.Fill(BUNRUI_PRODUCT, 3), 1);
    ASSERT_EQ(second.Fill(BUNRUI_PRODUCT, 3), 1);
    CBunruiData dialogStore; // an entry dialog's store, loaded before any learning
    ASSERT_EQ(dialogStore.Load(), 1);

    EXPECT_FALSE(first.Learn(QString()));
    EXPECT_FALSE(first.Learn(U("　 　")));
    EXPECT_FALSE(first.Learn(U("😀"))); // no CP932 form: would come back as '?'
    EXPECT_TRUE(db.Files().isEmpty());
    EXPECT_TRUE(first.Learn(U("Ａ")));
    EXPECT_FALSE(first.Learn(U("Ａ")));
    EXPECT_TRUE(first.Learn("A")); // bytes differ from the full-width form
    EXPECT_EQ(first.GetItems(), QStringList({U("Ａ"), "A"}));
    // The other box does not know them yet, but never doubles them in the file.
    EXPECT_TRUE(second.Learn(U("Ａ")));
    EXPECT_TRUE(second.Learn(U("Ｂ")));

    // Renaming the title from the older store keeps what the boxes learned.
    ASSERT_EQ(dialogStore.SetTitle(BUNRUI_PRODUCT, 3, U("産地")), 1);
    CBunruiData data;
    const CBunruiDataElem* elem = data.Find(BUNRUI_PRODUCT, 3);
    ASSERT_NE(elem, nullptr);
    EXPECT_EQ(elem->m_strTitle, U("産地"));
    EXPECT_EQ(elem->m_contents, QStringList({U("Ａ"), "A", U("Ｂ")}));
    EXPECT_EQ(data.GetElems().size(), 1u);

    CBunruiComboModel third;
    ASSERT_EQ(third.Fill(BUNRUI_PRODUCT, 3), 1);
    EXPECT_EQ(third.GetItems(), QStringList({U("Ａ"), "A", U("Ｂ")}));

    // A damaged file: No leaves the box empty and learning fails.
    CSettingsTestDb::Put(db.File("ClassTitle.dat"), Hex("01 00 FF FF 02 00"));
    ui.Prompt().QueueAnswers({IDNO, IDNO});
    EXPECT_EQ(third.Fill(BUNRUI_PRODUCT, 3), 0);
    EXPECT_TRUE(third.GetItems().isEmpty());
    EXPECT_FALSE(third.Learn(U("Ｃ")));
    EXPECT_EQ(ui.Prompt().Calls().size(), 2);
    EXPECT_EQ(CSettingsTestDb::Get(db.File("ClassTitle.dat")), Hex("01 00 FF FF 02 00"));
}
