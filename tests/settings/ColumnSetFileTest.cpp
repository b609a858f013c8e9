#include "ColumnSetTestDb.h"

#include "platform/archive/ArchiveReader.h"
#include "settings/BunruiData.h"
#include "settings/QXColSet.h"

#include <QDir>
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

QByteArray Int32(int value)
{
    return Bytes({value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF, (value >> 24) & 0xFF});
}

// A column's fields: one-byte text lengths, then width, alignment, shown.
QByteArray Col(const QByteArray& field, const QByteArray& caption, int width, int align, int shown)
{
    return char(field.size()) + field + char(caption.size()) + caption + Int32(width) + Int32(align) +
           Int32(shown);
}

const QByteArray kJoukyou = Bytes({0x8F, 0xF3, 0x8B, 0xB5}); // 状況 in CP932
const QByteArray kNouki = Bytes({0x94, 0x5B, 0x8A, 0xFA});   // 納期

// Two sets: quotes with two columns, orders with one.
QByteArray TwoSetBody()
{
    return Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CQXColSet" + Int32(3) + Bytes({0x02, 0x00}) +
           Bytes({0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00}) + "CQXCol" + Col("Status", kJoukyou, 50, 2, 1) +
           Bytes({0x03, 0x80}) + Col("No", "No.", 0, 1, 1) +      // same class, column 5
           Bytes({0x01, 0x80}) + Int32(5) + Bytes({0x01, 0x00}) + // second set
           Bytes({0x03, 0x80}) + Col("LimitDate", kNouki, 0, 1, 1);
}

QList<CQXColSet> ParseSets(const QByteArray& bytes)
{
    CArchiveReader ar(bytes);
    QList<CQXColSet> sets;
    const quint32 count = ar.ReadCount();
    for (quint32 i = 0; i < count; ++i) {
        ar.ReadObjectTag({"CQXColSet"});
        CQXColSet set;
        set.Serialize(ar);
        sets << set;
    }
    EXPECT_TRUE(ar.AtEnd());
    return sets;
}

QStringList Fields(const CQXColSet& set)
{
    QStringList fields;
    for (const CQXCol& col : set.m_cols)
        fields << col.m_strField;
    return fields;
}

} // namespace

TEST(ColumnSetFile, ReadsAndAppendsTwoSetFileByteForByte)
{
    CColumnTestDb db;
    // Stored in another letter case: read, and replaced rather than doubled.
    const QString stored = db.Folder() + "/qxdispcolset.dat";
    ASSERT_TRUE(db.Write(stored, Bytes({0x02, 0x00}) + TwoSetBody()));

    CQXColOperate op;
    CQXColSet quotes;
    ASSERT_EQ(op.GetColSet(3, quotes), 1);
    EXPECT_EQ(quotes.m_nID, 3);
    ASSERT_EQ(quotes.m_cols.size(), 2);
    EXPECT_EQ(quotes.m_cols[0], CQXCol("Status", QString::fromUtf8("状況"), 50, 2, 1));
    EXPECT_EQ(quotes.m_cols[1], CQXCol("No", "No.", 0, 1, 1));
    CQXColSet orders;
    ASSERT_EQ(op.GetColSet(5, orders), 1);
    EXPECT_EQ(orders.m_cols, QList<CQXCol>({CQXCol("LimitDate", QString::fromUtf8("納期"), 0, 1, 1)}));

    // A set the file does not hold leaves the target alone.
    CQXColSet untouched;
    untouched.m_nID = 42;
    EXPECT_EQ(op.GetColSet(4, untouched), 0);
    EXPECT_EQ(untouched.m_nID, 42);

    // Saving a set the file lacks appends it after the others.
    CQXColSet sales;
    sales.m_nID = 4;
    sales.m_cols << CQXCol("Total", "Sum", 80, 1, 1);
    ASSERT_EQ(op.SaveColSet(sales), 1);
    const QByteArray expected = Bytes({0x03, 0x00}) + TwoSetBody() + Bytes({0x01, 0x80}) + Int32(4) +
                                Bytes({0x01, 0x00, 0x03, 0x80}) + Col("Total", "Sum", 80, 1, 1);
    EXPECT_EQ(db.Read(stored).toHex(' '), expected.toHex(' '));
    EXPECT_EQ(QDir(db.Folder()).entryList(QDir::Files), QStringList({"qxdispcolset.dat"}));

    // Saving a set it holds replaces that set's columns in place.
    quotes.m_cols.removeFirst();
    ASSERT_EQ(op.SaveColSet(quotes), 1);
    const QList<CQXColSet> sets = ParseSets(db.Read(stored));
    ASSERT_EQ(sets.size(), 3);
    EXPECT_EQ(sets[0], quotes);
    EXPECT_EQ(sets[1].m_nID, 5);
    EXPECT_EQ(sets[2], sales);
    EXPECT_TRUE(db.Prompt().Calls().isEmpty());
}

TEST(ColumnSetFile, FactoryFileHoldsAllSevenSets)
{
    CColumnTestDb db;
    ASSERT_FALSE(QFileInfo::exists(db.FactoryPath()));

    // A fresh database shows the factory's shown columns, less the product
    // list's stock and supplier columns; neither display nor sort file appears.
    CQXColOperate op;
    CQXColSet items;
    ASSERT_EQ(op.GetColSet(0, items), 1);
    EXPECT_EQ(Fields(items),
              QStringList({"ItemCode", "ItemName", "Phoenic", "Unit", "TaxFlg", "Price", "TaxFlg2", "Cost",
                           "FixPrice", "Remarks", "JANCode", "Class1", "Class2", "Class3", "Class4", "Class5",
                           "StartDate", "LastUpdate"}));
    EXPECT_EQ(items.m_cols[11].m_strCaption, QString::fromUtf8("分類１"));
    EXPECT_FALSE(QFileInfo::exists(db.DisplayPath()));

    const QByteArray bytes = db.Read(db.FactoryPath());
    const QByteArray head = Bytes({0x07, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CQXColSet" + Int32(0) +
                            Bytes({24, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00}) + "CQXCol" +
                            Col("ItemType", QByteArray::fromHex("8FA495698BE695AA"), 0, 0, 0);
    EXPECT_EQ(bytes.left(head.size()).toHex(' '), head.toHex(' '));
    const QList<CQXColSet> sets = ParseSets(bytes);
    ASSERT_EQ(sets.size(), 7);
    QList<int> counts;
    int total = 0;
    for (int id = 0; id < 7; ++id) {
        EXPECT_EQ(sets[id].m_nID, id);
        counts << int(sets[id].m_cols.size());
        total += int(sets[id].m_cols.size());
    }
    EXPECT_EQ(counts, QList<int>({24, 35, 44, 10, 11, 8, 10}));
    EXPECT_EQ(total, 142);
    EXPECT_EQ(sets[0].m_cols[2], CQXCol("ItemName", QString::fromUtf8("品名"), 250, 0, 1));
    EXPECT_EQ(sets[0].m_cols[13], CQXCol("SetItem", QString::fromUtf8("組立商品"), 75, 0, 0));
    EXPECT_EQ(sets[1].m_cols[19], CQXCol("Percent", QString::fromUtf8("掛率"), 75, 1, 1));
    EXPECT_EQ(sets[1].m_cols[6], CQXCol("Company_Section_Name", QString::fromUtf8("得意先名"), 250, 0, 1));
    EXPECT_EQ(sets[2].m_cols[27], CQXCol("BankAccountType", QString::fromUtf8("種類"), 75, 0, 0));
    EXPECT_EQ(sets[2].m_cols[38].m_strCaption, QString::fromUtf8("分類５"));
    EXPECT_EQ(sets[3].m_cols[0], CQXCol("Status", QString::fromUtf8("状況"), 50, 2, 1));
    EXPECT_EQ(sets[4].m_cols[3], CQXCol("TudoFlg", QString::fromUtf8("請求形態"), 0, 0, 1));
    EXPECT_EQ(sets[5].m_cols[6], CQXCol("LimitDate", QString::fromUtf8("納期"), 0, 1, 1));
    EXPECT_EQ(sets[6].m_cols[6], CQXCol("Amount", QString::fromUtf8("税抜額"), 0, 1, 1));

    // The default set keeps hidden columns but never the product rule's five.
    CQXColSet factory;
    ASSERT_EQ(op.GetDefaultColSet(0, factory), 1);
    EXPECT_EQ(factory.m_cols.size(), 19);
    EXPECT_EQ(factory.m_cols[0], CQXCol("ItemType", QString::fromUtf8("商品区分"), 0, 0, 0));
    for (const char* gone : {"StockType", "StockNumber", "StockJustNumber", "SetItem", "SupplierCode"})
        EXPECT_EQ(factory.IndexOf(gone), -1) << gone;
    CQXColSet customers;
    ASSERT_EQ(op.GetColSet(1, customers), 1);
    EXPECT_EQ(customers.IndexOf("Company"), -1);
    EXPECT_EQ(customers.m_cols.size(), 28);
    EXPECT_EQ(op.GetDefaultColSet(7, factory), 0);

    // Renamed titles reach the captions without touching either file.
    ASSERT_EQ(CBunruiData().SetTitle(1, 2, QString::fromUtf8("地域")), 1);
    ASSERT_EQ(op.GetColSet(1, customers), 1);
    EXPECT_EQ(customers.m_cols[customers.IndexOf("Class3")].m_strCaption, QString::fromUtf8("地域"));
    ASSERT_EQ(op.GetDefaultColSet(1, factory), 1);
    EXPECT_EQ(factory.m_cols[factory.IndexOf("Class3")].m_strCaption, QString::fromUtf8("地域"));
    EXPECT_EQ(db.Read(db.FactoryPath()), bytes);
    EXPECT_FALSE(QFileInfo::exists(db.DisplayPath()));
    EXPECT_TRUE(db.Prompt().Calls().isEmpty());
}

TEST(ColumnSetFile, DamagedDisplayFileFallsBackToDefaultsAndIsNeverWrittenHalf)
{
    CColumnTestDb db;
    const QByteArray good = Bytes({0x02, 0x00}) + TwoSetBody();
    const QByteArray schema2 = QByteArray(good).replace(4, 1, Bytes({0x02}));
    QByteArray unknownClass = good;
    unknownClass.replace("CQXColSet", "CQXColSex");
    const QList<QByteArray> damaged = {
        good.left(good.indexOf("No.") + 1), // ends inside the second column
        schema2,
        unknownClass,
        Bytes({0x01, 0x00, 0x02, 0x00}),                           // back-reference
        Bytes({0x01, 0x00, 0x00, 0x00}),                           // empty element
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + good.mid(2), // absurd count
    };
    CQXColSet factoryQuotes;
    ASSERT_EQ(CQXColOperate().GetDefaultColSet(3, factoryQuotes), 1);

    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.left(24).toHex(' ').toStdString());
        ASSERT_TRUE(db.Write(db.DisplayPath(), bytes));
        db.Prompt().Clear();
        CQXColOperate op;
        CQXColSet quotes;
        ASSERT_EQ(op.GetColSet(3, quotes), 1);
        EXPECT_EQ(quotes, factoryQuotes);
        EXPECT_EQ(db.Prompt().Calls().size(), 1);
        EXPECT_EQ(db.Read(db.DisplayPath()), bytes); // reading never rewrites
    }

    // A save after damage writes the defaults with the saved set, not what
    // was read before the damage.
    ASSERT_TRUE(db.Write(db.DisplayPath(), damaged[0]));
    CQXColSet sales;
    sales.m_nID = 4;
    sales.m_cols << CQXCol("Total", "Sum", 80, 1, 1);
    ASSERT_EQ(CQXColOperate().SaveColSet(sales), 1);
    const QList<CQXColSet> sets = ParseSets(db.Read(db.DisplayPath()));
    ASSERT_EQ(sets.size(), 7);
    EXPECT_EQ(sets[3], factoryQuotes);
    EXPECT_EQ(sets[4], sales);
    EXPECT_EQ(Fields(sets[5]), QStringList({"Status", "Date", "No", "SupplierCode", "Company_Section_Name",
                                            "Total", "LimitDate", "MyPerson"}));
}

TEST(ColumnSetFile, NoCurrentDatabaseReadsNothingAndWritesNothing)
{
    CColumnTestDb db(false);
    CQXColOperate op;
    CQXColSet set;
    set.m_nID = 1;
    set.m_cols << CQXCol("TEL", "TEL", 0, 0, 1);
    const CQXColSet before = set;
    EXPECT_EQ(op.GetColSet(1, set), 0);
    EXPECT_EQ(set, before);
    EXPECT_EQ(op.SaveColSet(set), 0);
    EXPECT_TRUE(db.Prompt().Calls().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath("QXDispColSet.dat")));
    EXPECT_FALSE(QFileInfo::exists(db.HomePath() + "/QXDispColSet.dat"));
    // The factory columns do not depend on a database.
    EXPECT_EQ(op.GetDefaultColSet(6, set), 1);
    EXPECT_EQ(set.m_cols.size(), 10);
}

TEST(ColumnSetFile, DamagedClassTitlesAreOfferedForResetOncePerList)
{
    CColumnTestDb db;
    CQXColSet customers;
    ASSERT_EQ(CQXColOperate().GetDefaultColSet(1, customers), 1);
    const QString titles = db.Folder() + "/ClassTitle.dat";
    const QByteArray damaged = QByteArray::fromHex("0100ffff0200");
    ASSERT_TRUE(db.Write(titles, damaged));

    // No keeps the file: the captions fall back to the default titles.
    db.Prompt().QueueAnswers({IDNO});
    ASSERT_EQ(CQXColOperate().GetColSet(1, customers), 1);
    EXPECT_EQ(db.Prompt().Calls().size(), 1);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(customers.m_cols[customers.IndexOf(QString("Class%1").arg(i + 1))].m_strCaption,
                  GetDefaultBunruiTitle(i));
    EXPECT_EQ(db.Read(titles), damaged);
    EXPECT_TRUE(db.Prompt().ScriptErrors().isEmpty());
}
