#include "ColumnSetTestDb.h"

#include "settings/DefaultSort.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace
{

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (const int v : values)
        bytes.append(char(v));
    return bytes;
}

QByteArray Entry(int kind, const QByteArray& field, int order)
{
    return Bytes({kind, 0, 0, 0, int(field.size())}) + field + Bytes({order, 0, 0, 0});
}

const QByteArray kClassRecord = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x0C, 0x00}) + "CDefaultSort";

} // namespace

TEST(DefaultSort, WritesEntriesByteForByteAndReadsThemBack)
{
    CColumnTestDb db;
    CDefaultSortList list;
    EXPECT_EQ(list.Find(kListCustomer), nullptr); // no file: an empty list
    ASSERT_EQ(list.Set(kListCustomer, "Zip", 1), 1);
    EXPECT_EQ(db.Read(db.SortPath()), Bytes({0x01, 0x00}) + kClassRecord + Entry(2, "Zip", 1));

    ASSERT_EQ(list.Set(kListItem, "Class3", 0), 1);
    ASSERT_EQ(list.Set(kListCustomer, "TEL", 0), 1); // replaces the customer entry in place
    const QByteArray expected =
        Bytes({0x02, 0x00}) + kClassRecord + Entry(2, "TEL", 0) + Bytes({0x01, 0x80}) + Entry(1, "Class3", 0);
    EXPECT_EQ(db.Read(db.SortPath()).toHex(' '), expected.toHex(' '));

    CDefaultSortList fresh;
    const CDefaultSort* customer = fresh.Find(kListCustomer);
    ASSERT_NE(customer, nullptr);
    EXPECT_EQ(customer->m_strField, "TEL");
    EXPECT_EQ(customer->m_nOrder, 0);
    ASSERT_NE(fresh.Find(kListItem), nullptr);
    EXPECT_EQ(fresh.Find(kListItem)->m_strField, "Class3");
    EXPECT_EQ(fresh.Find(kListSupplier), nullptr);

    // A new entry starts on the kind's code field, descending.
    const CDefaultSort made(kListSupplier);
    EXPECT_EQ(made.m_strField, "SupplierCode");
    EXPECT_EQ(made.m_nOrder, 1);
    EXPECT_TRUE(db.Prompt().Calls().isEmpty());
}

TEST(DefaultSort, AcceptsOnlyFieldsTheListSortsBy)
{
    CColumnTestDb db;
    CDefaultSortList list;
    ASSERT_EQ(list.Set(kListSupplier, "SupplierCode", 0), 1);
    const QByteArray before = db.Read(db.SortPath());

    EXPECT_EQ(list.Set(kListSupplier, "", 0), 0);
    EXPECT_EQ(list.Set(kListSupplier, "TEL", 2), 0);
    EXPECT_EQ(list.Set(kListSupplier, "TEL", -1), 0);
    EXPECT_EQ(list.Set(kListSupplier, "Company_Section_Name", 0), 0); // composite, no record field
    EXPECT_EQ(list.Set(kListItem, "StockType", 0), 0);                // never offered for products
    EXPECT_EQ(list.Set(kListItem, "CustomerCode", 0), 0);             // another list's column
    EXPECT_EQ(list.Set(kListCustomer, "Zip] DESC; DROP TABLE Customer; --", 0), 0);
    EXPECT_EQ(list.Set(kListCustomer, "zip", 0), 0);
    EXPECT_EQ(list.Set(4, "Date", 0), 0); // slip lists keep no start-up order
    CDefaultSort entry(kListCustomer);
    entry.m_strField = "Name]";
    EXPECT_EQ(list.Save(entry), 0);
    EXPECT_EQ(db.Read(db.SortPath()), before);

    // A file carrying a field that is no column of its list: that entry is
    // never handed out and drops out at the next save.
    ASSERT_TRUE(db.Write(db.SortPath(), Bytes({0x02, 0x00}) + kClassRecord +
                                            Entry(2, "Zip]; DELETE FROM Customer", 1) + Bytes({0x01, 0x80}) +
                                            Entry(1, "ItemName", 1)));
    CDefaultSortList hostile;
    EXPECT_EQ(hostile.Find(kListCustomer), nullptr);
    ASSERT_NE(hostile.Find(kListItem), nullptr);
    EXPECT_EQ(hostile.Find(kListItem)->m_strField, "ItemName");
    ASSERT_EQ(hostile.Set(kListSupplier, "Bank", 1), 1);
    EXPECT_EQ(db.Read(db.SortPath()), Bytes({0x02, 0x00}) + kClassRecord + Entry(1, "ItemName", 1) +
                                          Bytes({0x01, 0x80}) + Entry(3, "Bank", 1));
    EXPECT_TRUE(db.Prompt().Calls().isEmpty());
}

TEST(DefaultSort, DamagedFileIsReportedOnceAndReplacedByTheNextSave)
{
    CColumnTestDb db;
    const QByteArray good = Bytes({0x01, 0x00}) + kClassRecord + Entry(2, "Zip", 1);
    QByteArray schema2 = good;
    schema2[4] = 2;
    for (const QByteArray& bytes : {good.left(good.size() - 2), schema2, Bytes({0x01, 0x00, 0x01, 0x00})}) {
        ASSERT_TRUE(db.Write(db.SortPath(), bytes));
        db.Prompt().Clear();
        CDefaultSortList list;
        EXPECT_EQ(list.Find(kListCustomer), nullptr);
        EXPECT_EQ(list.Find(kListCustomer), nullptr); // not read again
        EXPECT_EQ(db.Prompt().Texts(),
                  QStringList({QString::fromUtf8("ファイル操作中にエラーが発生しました")}));
        EXPECT_EQ(db.Read(db.SortPath()), bytes);
    }
    CDefaultSortList list;
    EXPECT_EQ(list.Load(), 0);
    EXPECT_EQ(list.Set(kListCustomer, "Address", 0), 1);
    EXPECT_EQ(db.Read(db.SortPath()), Bytes({0x01, 0x00}) + kClassRecord + Entry(2, "Address", 0));
}

TEST(DefaultSort, NoCurrentDatabaseFailsSilently)
{
    CColumnTestDb db(false);
    CDefaultSortList list;
    EXPECT_EQ(list.Load(), 0);
    EXPECT_EQ(list.Find(kListItem), nullptr);
    EXPECT_EQ(list.Set(kListItem, "ItemName", 0), 0);
    EXPECT_TRUE(db.Prompt().Calls().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath("DefOrder.dat")));
    EXPECT_FALSE(QFileInfo::exists(db.HomePath() + "/DefOrder.dat"));
}
