#include "master/MasterDb.h"
#include "master/MasterList.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/data/RecordCompare.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

CQXColSet Columns(std::initializer_list<const char*> fields)
{
    CQXColSet set;
    for (const char* field : fields)
        set.m_cols.append(CQXCol(QString::fromLatin1(field), QString::fromLatin1(field), 0, 0, 1));
    return set;
}

// Customers C1..Cn with the given fields set per record.
std::shared_ptr<CCDSData> Customers(const QList<QList<std::pair<const char*, QVariant>>>& rows)
{
    auto set = std::make_shared<CCDSData>();
    set->m_strTable = QStringLiteral("Customer");
    int n = 0;
    for (const auto& fields : rows) {
        COneRecord* record = set->AddNew();
        record->SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("C%1").arg(++n));
        for (const auto& [name, value] : fields) {
            const QString full = QStringLiteral("Customer.") + QString::fromLatin1(name);
            if (value.typeId() == QMetaType::Int)
                record->SetField(full, value.toInt());
            else if (value.typeId() == QMetaType::LongLong)
                record->SetField(full, CMny(value.toLongLong(), 1));
            else
                record->SetField(full, value.toString());
        }
    }
    return set;
}

QStringList Codes(const CMasterListModel& model)
{
    QStringList codes;
    for (int row = 0; row < model.GetRowCount(); ++row)
        codes << model.RecordAt(row)
                     ->GetOneField(QStringLiteral("Customer"), QStringLiteral("CustomerCode"))
                     ->GetText();
    return codes;
}

} // namespace

// The texts of the partner columns, the collection day and money, with
// line breaks taken out.
TEST(MasterCellText, PartnerColumns)
{
    const auto set = Customers({
        {{"Company", "A社"},
         {"Section", ""},
         {"Name", "山田"},
         {"CollectCycle", 1},
         {"CollectDay", 99},
         {"Collect", QVariant(qlonglong(12345670))},
         {"Address", "東京都\r\n千代田区\n1-1"},
         {"PhoenicCompany", "ｴｰ"},
         {"PhoenicPerson", "ﾔﾏﾀﾞ"}},
        {{"Company", " B "},
         {"CollectCycle", 0},
         {"CollectDay", 20},
         {"Collect", QVariant(qlonglong(-12345))}},
        {{"CollectCycle", 2}, {"CollectDay", 15}},
        {},
    });
    const CQXColSet columns =
        Columns({"Company_Section_Name", "PhoenicCompany_PhoenicPerson", "CollectDay", "Collect", "Address"});
    const QString table = QStringLiteral("Customer");
    const QStringList expected[] = {
        {"A社  山田", "ｴｰ ﾔﾏﾀﾞ", "月末", "1,234,567", "東京都千代田区1-1"},
        {"B", "", "20日", "-1,234.5", ""},
        {"", "", "15", "", ""},
        {"", "", "0", "", ""},
    };
    for (int row = 0; row < set->GetCount(); ++row) {
        QStringList texts;
        for (int column = 0; column < columns.m_cols.size(); ++column)
            texts << GetMasterCellText(table, columns, set->GetAt(row), column);
        EXPECT_EQ(texts, expected[row]) << row;
    }
    EXPECT_EQ(GetMasterCellText(table, columns, set->GetAt(0), 5), QString());
    EXPECT_EQ(GetMasterCellText(table, columns, nullptr, 0), QString());
    // The composite names mean nothing on the product list.
    EXPECT_EQ(GetMasterCellText(QStringLiteral("Item"), columns, set->GetAt(0), 2), QString());
}

// The list order: ASCII case folded, code page 932 bytes otherwise, money
// by amount, and a strict order when fields are missing or of another type.
TEST(RecordCompare, StrictOrderOfRecords)
{
    const auto set = Customers({
        {{"Company", "abc"}, {"Collect", QVariant(qlonglong(-1000))}, {"Day", 5}},
        {{"Company", "ABC"}, {"Collect", QVariant(qlonglong(50))}},
        {{"Company", "ア"}, {"Day", "5"}},
        {{"Company", "ヂ"}},
    });
    const COneRecord* r[] = {set->GetAt(0), set->GetAt(1), set->GetAt(2), set->GetAt(3)};
    const auto cmp = [](const COneRecord* a, const COneRecord* b, const char* key) {
        return CompareRecordsByColumn(a, b, QString::fromLatin1(key));
    };
    EXPECT_EQ(cmp(r[0], r[1], "Customer.Company"), 0);
    EXPECT_LT(cmp(r[1], r[2], "Customer.Company"), 0);
    EXPECT_LT(cmp(r[2], r[3], "Customer.Company"), 0) << "the trail byte 0x41 is not a capital";
    EXPECT_LT(cmp(r[0], r[1], "Customer.Collect"), 0) << "-100 before 5";
    EXPECT_GT(CompareRecordsByColumnDesc(r[0], r[1], QStringLiteral("Customer.Collect")), 0);
    EXPECT_LT(cmp(r[2], r[0], "Customer.Collect"), 0) << "without the field first";
    EXPECT_EQ(cmp(r[2], r[3], "Customer.Collect"), 0);
    EXPECT_LT(cmp(r[2], r[0], "Customer.Day"), 0) << "a text field before an integer field";
    EXPECT_EQ(cmp(r[0], r[1], "Customer.Company_Section_Name"), 0);
    EXPECT_EQ(CompareListText(QStringLiteral("表"), QStringLiteral("表")), 0);

    // Sorting keeps equal records in their order.
    std::vector<COneRecord*> rows{set->GetAt(3), set->GetAt(1), set->GetAt(2), set->GetAt(0)};
    SortRecords(rows, QStringLiteral("Customer.Collect"), false);
    EXPECT_EQ(rows, (std::vector<COneRecord*>{set->GetAt(3), set->GetAt(2), set->GetAt(0), set->GetAt(1)}));
    SortRecords(rows, QStringLiteral("Customer.Collect"), true);
    EXPECT_EQ(rows, (std::vector<COneRecord*>{set->GetAt(1), set->GetAt(0), set->GetAt(3), set->GetAt(2)}));
}

// Header clicks alternate the direction whatever the column; find walks
// the rows in its direction without wrapping round.
TEST(MasterListSortFind, ClicksAlternateAndFindStopsAtTheEnd)
{
    CMakeMsgID data;
    CMasterDb db(data);
    CMasterList list(CMasterKind::Customers(), db);
    list.Model().SetColumns(Columns({"CustomerCode", "Company", "TEL"}));
    list.Model().Reset(Customers({{{"Company", "b"}, {"TEL", "03-1"}},
                                  {{"Company", "c"}, {"TEL", "06-2"}},
                                  {{"Company", "a"}, {"TEL", "03-3"}},
                                  {{"Company", "a"}}}));
    const CMasterListModel& model = list.Model();
    ASSERT_TRUE(list.SortByColumn(1));
    EXPECT_EQ(Codes(model), QStringList({"C3", "C4", "C1", "C2"}));
    ASSERT_TRUE(list.SortByColumn(2));
    EXPECT_EQ(Codes(model), QStringList({"C2", "C3", "C1", "C4"}));
    ASSERT_TRUE(list.SortByColumn(2));
    EXPECT_EQ(Codes(model), QStringList({"C4", "C1", "C3", "C2"}));
    EXPECT_FALSE(list.SortByColumn(3));
    EXPECT_EQ(Codes(model), QStringList({"C4", "C1", "C3", "C2"})) << "the set's order is not the rows'";
    EXPECT_EQ(model.GetSet()
                  ->GetAt(0)
                  ->GetOneField(QStringLiteral("Customer"), QStringLiteral("CustomerCode"))
                  ->GetText(),
              QStringLiteral("C1"));

    EXPECT_EQ(model.FindRow(QStringLiteral("03-"), true, 0), 1);
    EXPECT_EQ(model.FindRow(QStringLiteral("03-"), true, 2), 2);
    EXPECT_EQ(model.FindRow(QStringLiteral("03-"), true, 3), -1) << "no wrap";
    EXPECT_EQ(model.FindRow(QStringLiteral("06"), false, 2), -1) << "backward from above the hit";
    EXPECT_EQ(model.FindRow(QStringLiteral("C2"), false, 3), 3);
    EXPECT_EQ(model.FindRow(QStringLiteral("c2"), true, 0), -1) << "exact text";
    EXPECT_EQ(model.FindRow(QStringLiteral("x"), true, 4), -1);
}
