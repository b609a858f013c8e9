#include "DataTestUtil.h"

#include "platform/data/Schema.h"

#include <QMap>

#include <gtest/gtest.h>

#include <cstring>

namespace
{

// A database with one customer, supplier and product used in every kind of
// slip, line, closing, receipt, payment and stock movement, and in the work
// tables the slip-form program reads.
class MasterCodeChangeTest : public DatabaseTest
{
  protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        const char* rows[] = {
            "INSERT INTO Customer(CustomerCode, Company) VALUES ('C1', 'A'), ('C2', 'B')",
            "INSERT INTO Supplier(SupplierCode, Company) VALUES ('S1', 'X'), ('S2', 'Y')",
            "INSERT INTO Item(ItemCode, ItemName, SupplierCode) VALUES ('P1', 'pen', 'S1'), ('P2', 'ink', "
            "'S2')",
            "INSERT INTO Estimate_H(CustomerCode) VALUES ('C1')",
            "INSERT INTO Estimate_B(HeaderID, CustomerCode, ItemCode) VALUES (last_insert_rowid(), 'C1', "
            "'P1')",
            "INSERT INTO Sales_H(CustomerCode) VALUES ('c1')",
            "INSERT INTO Sales_B(HeaderID, CustomerCode, ItemCode) VALUES (last_insert_rowid(), 'C1', 'P1')",
            "INSERT INTO Sales_H(CustomerCode) VALUES ('C2')",
            "INSERT INTO Sales_B(HeaderID, CustomerCode, ItemCode) VALUES (last_insert_rowid(), 'C2', 'P2')",
            "INSERT INTO Order_H(SupplierCode) VALUES ('S1')",
            "INSERT INTO Order_B(HeaderID, SupplierCode, ItemCode) VALUES (last_insert_rowid(), 'S1', 'P1')",
            "INSERT INTO Stock_H(SupplierCode) VALUES ('S1')",
            "INSERT INTO Stock_B(HeaderID, SupplierCode, ItemCode) VALUES (last_insert_rowid(), 'S1', 'P1')",
            "INSERT INTO Receipt_H(CustomerCode) VALUES ('C1')",
            "INSERT INTO Pay_H(SupplierCode) VALUES ('S1')",
            "INSERT INTO Sales_Close(CustomerCode) VALUES ('C1')",
            "INSERT INTO Stock_Close(SupplierCode) VALUES ('S1')",
            "INSERT INTO StockChange(ItemCode) VALUES ('P1')",
            "INSERT INTO WAtena(ID, CustomerCode, SupplierCode) VALUES (1, 'C1', 'S1')",
            "INSERT INTO WItem(ID, ItemCode) VALUES (1, 'P1')",
        };
        QString err;
        for (const char* sql : rows)
            ASSERT_EQ(m_data.Execute(QString::fromUtf8(sql), err), 1) << sql << err.toStdString();
    }

    // Rows carrying `code` in `field`, per table that has the field.
    QMap<QString, int> Uses(const char* field, const QString& code)
    {
        QMap<QString, int> uses;
        for (const Schema::TableDef& t : Schema::Tables()) {
            for (const Schema::FieldDef& f : t.fields) {
                if (std::strcmp(f.name, field) != 0)
                    continue;
                const QString table = QString::fromLatin1(t.name);
                const int n =
                    Count(table,
                          QStringLiteral("WHERE \"%1\"='%2' COLLATE BINARY").arg(QLatin1String(field), code));
                if (n > 0)
                    uses[table] = n;
            }
        }
        return uses;
    }

    static QMap<QString, int> Without(QMap<QString, int> uses, const QStringList& tables)
    {
        for (const QString& t : tables)
            uses.remove(t);
        return uses;
    }
};

} // namespace

TEST_F(MasterCodeChangeTest, CodeMovesIntoEveryTableThatCarriesItButTheWorkTables)
{
    struct Case {
        const char* table;
        const char* field;
        QString oldCode, newCode;
        QStringList expected; // non-work tables that held the old code
    };
    const Case cases[] = {
        {"Item",
         "ItemCode",
         "P1",
         "品番１",
         {"Item", "Estimate_B", "Sales_B", "Order_B", "Stock_B", "StockChange"}},
        {"Customer",
         "CustomerCode",
         "C1",
         "NEWC",
         {"Customer", "Estimate_H", "Estimate_B", "Sales_H", "Sales_B", "Receipt_H", "Sales_Close"}},
        {"Supplier",
         "SupplierCode",
         "S1",
         "NEWS",
         {"Supplier", "Item", "Order_H", "Order_B", "Stock_H", "Stock_B", "Pay_H", "Stock_Close"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        // Case-blind like the database: "c1" on a sales slip is C1's.
        QMap<QString, int> before = Uses(c.field, c.oldCode);
        for (auto [table, n] : Uses(c.field, c.oldCode.toLower()).asKeyValueRange())
            before[table] += n;
        const QStringList work = {QStringLiteral("WAtena"), QStringLiteral("WItem")};
        EXPECT_EQ(Without(before, work).keys(), [&] {
            QStringList k = c.expected;
            k.sort();
            return k;
        }());
        const QMap<QString, int> otherBefore = Uses(c.field, c.oldCode.left(1) + u'2');

        QString err;
        ASSERT_EQ(m_data.ChangeMasterCode(QString::fromLatin1(c.table), c.oldCode, c.newCode, err), 1)
            << err.toStdString();
        EXPECT_EQ(Without(Uses(c.field, c.newCode), work), Without(before, work));
        EXPECT_TRUE(Without(Uses(c.field, c.oldCode), work).isEmpty());
        EXPECT_TRUE(Without(Uses(c.field, c.oldCode.toLower()), work).isEmpty());
        // Work tables and the other partner's or product's rows are untouched.
        for (const QString& w : work)
            EXPECT_EQ(Uses(c.field, c.oldCode).value(w), before.value(w)) << w.toStdString();
        EXPECT_EQ(Uses(c.field, c.oldCode.left(1) + u'2'), otherBefore);
        EXPECT_FALSE(m_data.InTransaction());
    }
}

TEST_F(MasterCodeChangeTest, LetterCaseAloneMayChangeButAnotherRecordsCodeIsRefused)
{
    QString err;
    ASSERT_EQ(
        m_data.ChangeMasterCode(QStringLiteral("Customer"), QStringLiteral("C1"), QStringLiteral("c1"), err),
        1)
        << err.toStdString();
    EXPECT_EQ(Count(QStringLiteral("Customer"), QStringLiteral("WHERE CustomerCode='c1' COLLATE BINARY")), 1);
    EXPECT_EQ(Count(QStringLiteral("Receipt_H"), QStringLiteral("WHERE CustomerCode='c1' COLLATE BINARY")),
              1);

    const QMap<QString, int> before = Uses("CustomerCode", QStringLiteral("c1"));
    struct Refusal {
        const char* table;
        QString oldCode, newCode;
        const char* text;
    };
    const Refusal refusals[] = {
        {"Customer", "c1", "c2", "既に登録されています"}, // C2 exists, whatever the case
        {"Customer", "NONE", "C9", "データがありません"}, // no master row
        {"Customer", "c1", "", "指定されていません"},
        {"Customer", "c1", "123456789012345678901", "20ﾊﾞｲﾄまで"}, // 21 bytes
        {"Customer", "c1", "C\U0001F600", "使用できない文字"},     // no code page 932 form
        {"Sales_H", "c1", "C9", "変更できません"},
    };
    for (const Refusal& r : refusals) {
        err.clear();
        EXPECT_EQ(m_data.ChangeMasterCode(QString::fromLatin1(r.table), r.oldCode, r.newCode, err), 10)
            << r.text;
        EXPECT_TRUE(err.contains(QString::fromUtf8(r.text))) << err.toStdString();
        EXPECT_EQ(Uses("CustomerCode", QStringLiteral("c1")), before);
        EXPECT_FALSE(m_data.InTransaction());
    }
}

TEST_F(MasterCodeChangeTest, FailureInTheLastTableLeavesEveryTableAsItWas)
{
    // The last table that the change reaches.
    QString last;
    for (const Schema::TableDef& t : Schema::Tables())
        for (const Schema::FieldDef& f : t.fields)
            if (!t.workTable && std::strcmp(f.name, "CustomerCode") == 0)
                last = QString::fromLatin1(t.name);
    ASSERT_FALSE(last.isEmpty());
    QString err;
    ASSERT_EQ(m_data.Execute(QStringLiteral("INSERT INTO \"%1\"(CustomerCode) VALUES ('C1')").arg(last), err),
              1)
        << err.toStdString();
    ASSERT_EQ(m_data.Execute(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON \"%1\" "
                                            "BEGIN SELECT RAISE(ABORT, 'refused by trigger'); END")
                                 .arg(last),
                             err),
              1)
        << err.toStdString();
    const QMap<QString, int> before = Uses("CustomerCode", QStringLiteral("C1"));

    EXPECT_EQ(m_data.ChangeMasterCode(QStringLiteral("Customer"), QStringLiteral("C1"),
                                      QStringLiteral("NEWC"), err),
              10);
    EXPECT_TRUE(err.contains(QStringLiteral("refused by trigger"))) << err.toStdString();
    EXPECT_EQ(Uses("CustomerCode", QStringLiteral("C1")), before);
    EXPECT_TRUE(Uses("CustomerCode", QStringLiteral("NEWC")).isEmpty());
    EXPECT_FALSE(m_data.InTransaction());

    // Inside a caller's transaction only the change's own work is undone.
    ASSERT_EQ(m_data.BeginTransaction(err), 1);
    ASSERT_EQ(m_data.Execute(QStringLiteral("INSERT INTO Customer(CustomerCode) VALUES ('C7')"), err), 1);
    EXPECT_EQ(m_data.ChangeMasterCode(QStringLiteral("Customer"), QStringLiteral("C1"),
                                      QStringLiteral("NEWC"), err),
              10);
    ASSERT_EQ(m_data.Commit(err), 1) << err.toStdString();
    EXPECT_EQ(Count(QStringLiteral("Customer"), QStringLiteral("WHERE CustomerCode='C7'")), 1);
    EXPECT_EQ(Uses("CustomerCode", QStringLiteral("C1")), before);
}
