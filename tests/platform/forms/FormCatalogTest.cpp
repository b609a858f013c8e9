#include "platform/forms/FormCatalog.h"
#include "platform/archive/ArchiveError.h"
#include "platform/forms/PloMainData.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstddef>

namespace
{

CFormCatalog TwoUserForms()
{
    CFormCatalog catalog;
    catalog.m_layouts = {{60001, 2, 2, 60001, QStringLiteral("納品書（自社用）")},
                         {60003, 6, 1, 60003, QStringLiteral("請求書B")}};
    catalog.m_nNextUserID = 60004;
    return catalog;
}

bool Refused(const QByteArray& bytes, CFormCatalog::Contents contents)
{
    try {
        CFormCatalog::Read(bytes, "M", contents);
        return false;
    } catch (const CArchiveError&) {
        return true;
    }
}

} // namespace

TEST(FormCatalog, BytesAndRoundTrip)
{
    CFormCatalog catalog;
    catalog.m_layouts = {{60001, 2, 2, 60001, QStringLiteral("ab")}};
    catalog.m_nNextUserID = 60002;
    // name "M", version 1, next id 60002, count 1, then the four numbers and "ab".
    EXPECT_EQ(
        catalog.Write("M").toHex(' '),
        QByteArray(
            "01 4d 01 00 00 00 62 ea 00 00 01 00 61 ea 00 00 02 00 00 00 02 00 00 00 61 ea 00 00 02 61 62"));
    const CFormCatalog two = TwoUserForms();
    const CFormCatalog back = CFormCatalog::Read(two.Write("M"), "M", CFormCatalog::kUserForms);
    EXPECT_EQ(back.m_layouts, two.m_layouts);
    EXPECT_EQ(back.m_nNextUserID, 60004);
    // Callers read the layout to start with as the fourth 32-bit value of the record.
    EXPECT_EQ(offsetof(CLayoutInfo, m_nLayout), 12u);
}

TEST(FormCatalog, RefusesDamagedAndUnsoundCatalogues)
{
    const QByteArray good = TwoUserForms().Write("M");
    for (qsizetype cut = 0; cut < good.size(); ++cut)
        EXPECT_TRUE(Refused(good.left(cut), CFormCatalog::kUserForms)) << cut;
    EXPECT_TRUE(Refused(good + '\0', CFormCatalog::kUserForms));
    EXPECT_TRUE(Refused(good, CFormCatalog::kFactoryForms)); // user ids in a factory catalogue
    EXPECT_THROW(CFormCatalog::Read(good, "N", CFormCatalog::kUserForms), CArchiveError);

    const auto refusedWith = [](const std::function<void(CFormCatalog&)>& spoil) {
        CFormCatalog catalog = TwoUserForms();
        spoil(catalog);
        return Refused(catalog.Write("M"), CFormCatalog::kUserForms);
    };
    EXPECT_TRUE(refusedWith([](CFormCatalog& c) { c.m_layouts[1].m_nFormID = 60001; })); // duplicate id
    EXPECT_TRUE(refusedWith([](CFormCatalog& c) { c.m_layouts[0].m_nFormID = 60000; })); // not a user id
    EXPECT_TRUE(refusedWith([](CFormCatalog& c) { c.m_nNextUserID = 60003; }));          // id not below next
    EXPECT_TRUE(refusedWith([](CFormCatalog& c) { c.m_layouts[0].m_nKind = 14; }));
    EXPECT_TRUE(refusedWith([](CFormCatalog& c) { c.m_layouts[0].m_nKind = 0; }));
    EXPECT_TRUE(refusedWith([](CFormCatalog& c) { c.m_layouts[0].m_nLayout = 0; }));
    EXPECT_TRUE(refusedWith([](CFormCatalog& c) { c.m_layouts[0].m_strName.clear(); }));
    EXPECT_FALSE(refusedWith([](CFormCatalog&) {}));
}

TEST(PloMainData, FactoryAndUserLayouts)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    CPloMainData data(root.path());
    ASSERT_EQ(data.ReadPickUp(), 1); // no user catalogue yet
    EXPECT_TRUE(data.GetUserForms().isEmpty());

    ASSERT_NE(data.GetLayoutInfo(202), nullptr);
    EXPECT_TRUE(QFile::exists(data.GetFactoryCatalogPath())); // the shipped list is written out
    EXPECT_EQ(data.GetFormBunrui(202), 2);
    EXPECT_EQ(data.GetFormBunrui(201), 1);
    EXPECT_EQ(data.GetFormBunrui(99999), 0);
    EXPECT_EQ(data.GetLayoutInfo(0), nullptr);
    EXPECT_EQ(data.GetLayoutInfo(60001), nullptr);

    ASSERT_TRUE(data.SaveUserForms(TwoUserForms()));
    CPloMainData other(root.path());
    const CLayoutInfo* user = other.GetLayoutInfo(60001);
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->m_nLayout, 60001);
    EXPECT_EQ(other.GetFormBunrui(60001), 2);

    QList<long> sales;
    for (const CLayoutInfo& layout : other.GetLayouts(2))
        sales << layout.m_nFormID;
    EXPECT_EQ(sales, (QList<long>{201, 202, 203, 60001}));
    EXPECT_EQ(other.GetLayouts(3), other.GetLayouts(2));
    EXPECT_TRUE(other.GetLayouts(3).size() > 0);
    EXPECT_TRUE(other.GetLayouts(14).isEmpty());

    // The next free id never goes down, even when the forms above it are gone.
    CFormCatalog fewer;
    ASSERT_TRUE(other.SaveUserForms(fewer));
    EXPECT_EQ(CPloMainData(root.path()).GetNextUserFormID(), 60004);

    QFile damaged(data.GetUserCatalogPath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("\x05garbage");
    damaged.close();
    CPloMainData broken(root.path());
    EXPECT_EQ(broken.ReadPickUp(), 0);
    EXPECT_TRUE(broken.GetUserForms().isEmpty());
    EXPECT_NE(broken.GetLayoutInfo(101), nullptr);
}
