#include "platform/data/Schema.h"
#include "platform/data/SchemaSteps.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QSet>

#include <cstring>

namespace
{

const QString kNow = QStringLiteral("2024-05-01 09:30:15");

// A fresh in-memory database built from the schema's own statements.
class SchemaDb : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(sqlite3_open(":memory:", &m_db), SQLITE_OK);
        for (const QString& sql : Schema::CreateStatements(kNow))
            ASSERT_EQ(Exec(sql), SQLITE_OK) << qPrintable(sql) << ": " << sqlite3_errmsg(m_db);
    }
    void TearDown() override { sqlite3_close(m_db); }

    int Exec(const QString& sql)
    {
        return sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    }

    // Every row of the statement, each column as text ("<null>" for NULL).
    QList<QStringList> Rows(const QString& sql)
    {
        QList<QStringList> rows;
        sqlite3_stmt* stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr), SQLITE_OK)
            << qPrintable(sql) << ": " << sqlite3_errmsg(m_db);
        while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                row << (text ? QString::fromUtf8(text) : QStringLiteral("<null>"));
            }
            rows << row;
        }
        sqlite3_finalize(stmt);
        return rows;
    }

    QString Value(const QString& sql)
    {
        const auto rows = Rows(sql);
        return rows.isEmpty() || rows[0].isEmpty() ? QString() : rows[0][0];
    }

    sqlite3* m_db = nullptr;
};

const char* ExpectedDeclType(const Schema::FieldDef& f)
{
    switch (f.type) {
    case Schema::kText:
        return "TEXT";
    case Schema::kDate:
        return f.dateTime ? "DATETIME" : "DATE";
    case Schema::kMoney:
        return "MONEY";
    default:
        return "INTEGER";
    }
}

TEST_F(SchemaDb, EveryTableHasExactlyItsFieldsTypesAndIndexes)
{
    const QSet<QString> cascaded{"Estimate_B", "Sales_B", "Order_B", "Stock_B",
                                 "Receipt_B",  "Pay_B",   "Bank_B"};
    int indexes = 0;
    QStringList unique;
    for (const Schema::TableDef& table : Schema::Tables()) {
        SCOPED_TRACE(table.name);
        const QString quoted = QStringLiteral("\"%1\"").arg(table.name);
        const auto columns = Rows(QStringLiteral("PRAGMA table_info(%1)").arg(quoted));
        ASSERT_EQ(columns.size(), qsizetype(table.fields.size()));
        for (std::size_t i = 0; i < table.fields.size(); ++i) {
            const Schema::FieldDef& f = table.fields[i];
            SCOPED_TRACE(f.name);
            EXPECT_EQ(columns[i][1], QString::fromLatin1(f.name));
            EXPECT_EQ(columns[i][2], QString::fromLatin1(ExpectedDeclType(f)));

            const char* decl = nullptr;
            const char* collation = nullptr;
            int notNull = 0, primaryKey = 0, autoIncrement = 0;
            ASSERT_EQ(sqlite3_table_column_metadata(m_db, "main", table.name, f.name, &decl, &collation,
                                                    &notNull, &primaryKey, &autoIncrement),
                      SQLITE_OK);
            if (f.type == Schema::kText) {
                EXPECT_STREQ(collation, "NOCASE");
            }
            const bool keyed = !table.workTable && std::strcmp(f.name, "ID") == 0;
            EXPECT_EQ(primaryKey != 0, keyed);
            EXPECT_EQ(autoIncrement != 0, keyed);
        }

        const auto keys = Rows(QStringLiteral("PRAGMA foreign_key_list(%1)").arg(quoted));
        if (cascaded.contains(table.name)) {
            ASSERT_EQ(keys.size(), 1);
            const QString header = QString::fromLatin1(table.name).chopped(2) + "_H";
            EXPECT_EQ(keys[0][2], header);     // parent table
            EXPECT_EQ(keys[0][3], "HeaderID"); // from
            EXPECT_EQ(keys[0][4], "ID");       // to
            EXPECT_EQ(keys[0][6], "CASCADE");  // on delete
        } else {
            EXPECT_TRUE(keys.isEmpty());
        }

        for (const QStringList& ix : Rows(QStringLiteral("PRAGMA index_list(%1)").arg(quoted))) {
            if (ix[3] != "c") // our own, not the automatic ones
                continue;
            ++indexes;
            if (ix[2] == "1")
                unique << ix[1];
        }
    }
    EXPECT_EQ(indexes, Schema::Indexes().size());
    unique.sort();
    EXPECT_EQ(unique, QStringList({"ux_customer_code", "ux_item_code", "ux_supplier_code"}));

    // Nothing is created that the table of tables does not list, but the
    // booked balances its triggers keep.
    EXPECT_EQ(Value("SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                    "AND name NOT IN ('sqlite_sequence', 'Sales_Booked', 'Stock_Booked')"),
              QString::number(Schema::Tables().size()));
    EXPECT_EQ(Schema::Tables().size(), 31u);
}

TEST_F(SchemaDb, SeedRowsDefaultsAndCaseBlindCodes)
{
    // One one-time partner each, with the creation time and 100 % in ten-thousandths.
    EXPECT_EQ(Rows("SELECT Percent, typeof(Percent), Day, CollectType, Company, StartDate, "
                   "LastUpdate, Ceiling FROM Customer WHERE CustomerCode = '　'"),
              QList<QStringList>({{"1000000", "integer", "0", "現金", "", kNow, kNow, "0"}}));
    EXPECT_EQ(Rows("SELECT count(*), max(BankAccountType), max(PaymentType), max(BankType), "
                   "max(BankFee), max(StartDate) FROM Supplier WHERE SupplierCode = '　'"),
              QList<QStringList>({{"1", "1", "1", "1", "0", kNow}}));
    EXPECT_EQ(Value("SELECT count(*) FROM Customer"), "1");
    EXPECT_EQ(Value("SELECT count(*) FROM Util"), "0");
    EXPECT_EQ(Value("SELECT count(*) FROM Bank_H"), "0");

    struct Case {
        const char* table;
        const char* code;
    };
    for (const Case c :
         {Case{"Customer", "CustomerCode"}, Case{"Supplier", "SupplierCode"}, Case{"Item", "ItemCode"}}) {
        SCOPED_TRACE(c.table);
        const QString insert =
            QStringLiteral("INSERT INTO \"%1\" (\"%2\") VALUES ('%3')").arg(c.table, c.code);
        EXPECT_EQ(Exec(insert.arg("a01")), SQLITE_OK);
        EXPECT_EQ(Exec(insert.arg("A01")), SQLITE_CONSTRAINT);
        // Only ASCII letters fold: full-width ones stay distinct codes.
        EXPECT_EQ(Exec(insert.arg("ａ01")), SQLITE_OK);
        EXPECT_EQ(Exec(insert.arg("Ａ01")), SQLITE_OK);
        EXPECT_EQ(
            Value(QStringLiteral("SELECT count(*) FROM \"%1\" WHERE \"%2\" = 'A01'").arg(c.table, c.code)),
            "1");
    }
    EXPECT_EQ(Exec("INSERT INTO Customer (CustomerCode) VALUES ('　')"), SQLITE_CONSTRAINT);
    EXPECT_EQ(Exec("INSERT INTO Supplier (SupplierCode) VALUES ('　')"), SQLITE_CONSTRAINT);

    // A record written with only its code gets the factory values.
    EXPECT_EQ(Rows("SELECT Percent, Day, TaxType, TaxRoundType, CollectCycle, CollectDay, "
                   "CollectType, Collect, Ceiling, Company, FormID, StartDate IS NULL "
                   "FROM Customer WHERE CustomerCode = 'a01'"),
              QList<QStringList>({{"1000000", "99", "2", "1", "2", "99", "現金", "0", "0", "", "0", "1"}}));
    EXPECT_EQ(Rows("SELECT BankAccountType, BankFee, PaymentType, BankType, Day "
                   "FROM Supplier WHERE SupplierCode = 'a01'"),
              QList<QStringList>({{"1", "0", "1", "1", "99"}}));
    EXPECT_EQ(Rows("SELECT ItemType, TaxFlg, TaxFlg2, SetItem, TaxFlgYobi1, TaxFlgYobi2, "
                   "YobiInt, Price, StockNumber, PriceYobi1 FROM Item WHERE ItemCode = 'a01'"),
              QList<QStringList>({{"1", "1", "1", "0", "1", "1", "0", "0", "0", "<null>"}}));
    ASSERT_EQ(Exec("INSERT INTO StockChange (ItemCode, Type, InNumber) VALUES ('a01', 1, 50000)"), SQLITE_OK);
    EXPECT_EQ(Value("SELECT OutNumber FROM StockChange"), "0");
}

TEST_F(SchemaDb, DeletingAHeaderDeletesItsLinesOnly)
{
    ASSERT_EQ(Exec("PRAGMA foreign_keys = ON"), SQLITE_OK);
    for (const char* kind : {"Estimate", "Sales", "Order", "Stock", "Receipt", "Pay", "Bank"}) {
        SCOPED_TRACE(kind);
        const QString h = QStringLiteral("\"%1_H\"").arg(kind);
        const QString b = QStringLiteral("\"%1_B\"").arg(kind);
        ASSERT_EQ(Exec(QStringLiteral("INSERT INTO %1 (ID) VALUES (1), (2)").arg(h)), SQLITE_OK);
        ASSERT_EQ(Exec(QStringLiteral("INSERT INTO %1 (HeaderID) VALUES (1), (1), (2)").arg(b)), SQLITE_OK);
        ASSERT_EQ(Exec(QStringLiteral("DELETE FROM %1 WHERE ID = 1").arg(h)), SQLITE_OK);
        EXPECT_EQ(Rows(QStringLiteral("SELECT HeaderID FROM %1").arg(b)), QList<QStringList>({{"2"}}));
        // A line needs its header.
        EXPECT_EQ(Exec(QStringLiteral("INSERT INTO %1 (HeaderID) VALUES (7)").arg(b)), SQLITE_CONSTRAINT);
        // IDs are never reused, so a stale ID cannot hit a newer record.
        ASSERT_EQ(Exec(QStringLiteral("DELETE FROM %1").arg(h)), SQLITE_OK);
        ASSERT_EQ(Exec(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(h)), SQLITE_OK);
        EXPECT_EQ(sqlite3_last_insert_rowid(m_db), 3);
    }
    // Work tables keep repeated and foreign IDs.
    EXPECT_EQ(Exec("INSERT INTO WAtena (ID, Company) VALUES (5, 'x'), (5, 'y'), (0, 'z')"), SQLITE_OK);
    EXPECT_EQ(Exec("INSERT INTO WBank_B (HeaderID, Amount) VALUES (1, 10000)"), SQLITE_OK);
}

TEST(Schema, LookupsIgnoreAsciiCaseOnly)
{
    const Schema::TableDef* sales = Schema::FindTable("sales_H");
    ASSERT_NE(sales, nullptr);
    EXPECT_STREQ(sales->name, "Sales_H");
    EXPECT_EQ(Schema::FindTable("SALES_H"), sales);
    EXPECT_EQ(Schema::FindTable("Sales"), nullptr);
    EXPECT_EQ(Schema::FindTable("Ｓales_H"), nullptr);

    const Schema::TableDef* customer = Schema::FindTable("Customer");
    ASSERT_NE(customer, nullptr);
    const Schema::FieldDef* mail = Schema::FindField(*customer, "e-MAIL");
    ASSERT_NE(mail, nullptr);
    EXPECT_STREQ(mail->name, "E-mail");
    EXPECT_EQ(mail->byteLimit, 255);
    const Schema::FieldDef* code = Schema::FindField(*customer, "customercode");
    ASSERT_NE(code, nullptr);
    EXPECT_TRUE(code->code);
    EXPECT_EQ(code->byteLimit, 20);
    EXPECT_EQ(Schema::FindField(*customer, "Bank"), nullptr);
    EXPECT_EQ(Schema::FindField(*customer, "CustomerCode "), nullptr);

    const Schema::FieldDef* limit = Schema::FindField(*Schema::FindTable("order_h"), "LIMIT");
    ASSERT_NE(limit, nullptr);
    EXPECT_EQ(limit->type, Schema::kDate);
    EXPECT_FALSE(Schema::FindField(*Schema::FindTable("Item"), "SupplierCode")->code);
    EXPECT_TRUE(Schema::FindField(*Schema::FindTable("Item"), "LastUpdate")->dateTime);
    EXPECT_FALSE(Schema::FindField(*Schema::FindTable("Util"), "StartDate")->dateTime);
    EXPECT_TRUE(Schema::FindField(*Schema::FindTable("WBank_H"), "Date")->dateTime);
    EXPECT_EQ(Schema::FindField(*Schema::FindTable("WBank_B"), "ID"), nullptr);
}

TEST(Schema, ResultColumnTypesByName)
{
    const struct {
        const char* alias;
        int type;
    } cases[] = {
        {"前回請求額", Schema::kMoney},
        {"今回税抜仕入額", Schema::kMoney},
        {"通期計", Schema::kMoney},
        {"非課税その他", Schema::kMoney},
        {"2024/4", Schema::kMoney},
        {"2024/04", Schema::kMoney},
        {"2005/12", Schema::kMoney},
        {"2024/13", -1},
        {"2024/0", -1},
        {"24/4", -1},
        {"2024/4a", -1},
        {"2024-4", -1},
        {"最古", Schema::kDate},
        {"最新", Schema::kDate},
        {"最終出荷日", Schema::kDate},
        {"期間", Schema::kDate},
        {"納品枚数", Schema::kInteger},
        {"タイプ", Schema::kInteger},
        {"headerid", Schema::kInteger},
        {"内訳", Schema::kText},
        {"FileName", Schema::kText},
        {"Ceiling", Schema::kMoney},
        {"Date", Schema::kDate},
        {"Company", Schema::kText},
        {"前回請求", -1},
        {"", -1},
        {"NoSuchColumn", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Schema::ResultColumnType(QString::fromUtf8(c.alias)), c.type) << c.alias;
    // One version a step, from the one the builds before the steps wrote.
    EXPECT_EQ(Schema::Version(), SchemaSteps::kFirstVersion + int(SchemaSteps::Steps().size()));
}

} // namespace
