#include "platform/data/DataTestUtil.h"
#include "platform/data/Mny.h"
#include "platform/data/MnyText.h"

#include <sqlite3.h>

#include <functional>

namespace
{

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// A customer record as the import completes it; `change` alters it.
COneRecord Customer(const QString& code, const std::function<void(COneRecord&)>& change = {})
{
    COneRecord r;
    r.SetField(QStringLiteral("Customer.ID"), 0);
    r.SetField(QStringLiteral("Customer.CustomerCode"), code);
    r.SetField(QStringLiteral("Customer.Company"), U("会社") + code);
    r.SetField(QStringLiteral("Customer.Day"), 20);
    r.SetField(QStringLiteral("Customer.TaxType"), 2);
    r.SetField(QStringLiteral("Customer.TaxRoundType"), 1);
    r.SetField(QStringLiteral("Customer.RoundType"), 1);
    r.SetField(QStringLiteral("Customer.Percent"), MnyFromLong(100));
    r.SetField(QStringLiteral("Customer.CollectCycle"), 2);
    r.SetField(QStringLiteral("Customer.CollectDay"), 99);
    r.SetField(QStringLiteral("Customer.Collect"), MnyFromLong(0));
    r.SetField(QStringLiteral("Customer.CollectType"), U("振込"));
    r.SetField(QStringLiteral("Customer.StartDate"), QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5)));
    if (change)
        change(r);
    return r;
}

class ImportMasterTest : public DatabaseTest
{
  protected:
    // Every row of the three master tables, as text.
    QStringList Dump()
    {
        QStringList rows;
        for (const char* table : {"Item", "Customer", "Supplier"}) {
            const CCDSData set = List(QLatin1String(table), QStringLiteral("ORDER BY ID"));
            for (int i = 0; i < set.GetCount(); ++i) {
                QStringList cells;
                for (int f = 0; f < set.GetAt(i)->GetCount(); ++f)
                    cells << set.GetAt(i)->GetAt(f)->GetText();
                rows << cells.join(u'|');
            }
        }
        return rows;
    }

    void Seed(const QStringList& codes)
    {
        CCDSData set;
        set.m_strTable = QStringLiteral("Customer");
        for (const QString& code : codes) {
            COneRecord* r = set.AddNew();
            r->SetField(QStringLiteral("Customer.CustomerCode"), code);
            r->SetField(QStringLiteral("Customer.Company"), QStringLiteral("old ") + code);
            r->SetField(QStringLiteral("Customer.StartDate"), QDateTime(QDate(2020, 5, 6), QTime(7, 8, 9)));
        }
        QString err;
        ASSERT_EQ(m_data.InsertData(set, err), 1) << err.toStdString();
    }

    int Import(int mode, CCDSData& records, CCDSData& refused, const std::function<QString()>& next = {})
    {
        m_err.clear();
        m_nNew = m_nOver = -1;
        return m_data.ImportMaster(0, mode, &records, &m_nNew, &m_nOver, &refused, m_err, next);
    }

    QStringList Refused(const CCDSData& refused)
    {
        QStringList out;
        for (int i = 0; i < refused.GetCount(); ++i) {
            const CTb* code = refused.GetAt(i)->GetOneField(QString(), QStringLiteral("CustomerCode"));
            const CTb* err = refused.GetAt(i)->GetOneField(QString(), QStringLiteral("ErrField"));
            out << (code ? code->GetText() : QString()) + u'=' + (err ? err->GetText() : QString());
        }
        return out;
    }

    QString m_err;
    int m_nNew = -1;
    int m_nOver = -1;
};

TEST_F(ImportMasterTest, EachRuleRefusesItsRecordNamingTheField)
{
    const struct {
        const char* code;
        std::function<void(COneRecord&)> change;
        const char* errField;
    } cases[] = {
        {"OK1", {}, nullptr},
        {"D30", [](COneRecord& r) { r.SetField(QStringLiteral("Customer.Day"), 30); }, "Customer.Day"},
        {"D99", [](COneRecord& r) { r.SetField(QStringLiteral("Customer.Day"), 99); }, nullptr},
        {"TT5", [](COneRecord& r) { r.SetField(QStringLiteral("Customer.TaxType"), 5); }, "Customer.TaxType"},
        {"NODAY", [](COneRecord& r) { r.GetOneField(QString(), QStringLiteral("Day"))->SetNull(); },
         "Customer.Day"},
        {"TWO",
         [](COneRecord& r) {
             r.SetField(QStringLiteral("Customer.Day"), 29);
             r.SetField(QStringLiteral("Customer.CollectType"), U("銀行"));
         },
         "Customer.Day、Customer.CollectType"},
        {"CD0", [](COneRecord& r) { r.SetField(QStringLiteral("Customer.CollectDay"), 0); },
         "Customer.CollectDay"},
        {"CD0C0",
         [](COneRecord& r) {
             r.SetField(QStringLiteral("Customer.CollectCycle"), 0);
             r.SetField(QStringLiteral("Customer.CollectDay"), 45);
         },
         nullptr},
        {"PCT",
         [](COneRecord& r) {
             r.SetField(QStringLiteral("Customer.Percent"), TextToMny(QStringLiteral("1000")));
         },
         "Customer.Percent"},
        {"PCT2",
         [](COneRecord& r) {
             r.SetField(QStringLiteral("Customer.Percent"), TextToMny(QStringLiteral("99.25")));
         },
         "Customer.Percent"},
        {"COL",
         [](COneRecord& r) {
             r.SetField(QStringLiteral("Customer.Collect"), TextToMny(QStringLiteral("100000000000")));
         },
         "Customer.Collect"},
        {"A B", {}, "Customer.CustomerCode"},
        {"", {}, "Customer.CustomerCode"},
        {"123456789012345678901", {}, "Customer.CustomerCode"},
        {"SMP", [](COneRecord& r) { r.SetField(QStringLiteral("Customer.Name"), U("名\u00e9\U0001F600")); },
         "Customer.Name"},
        {"NOCT", [](COneRecord& r) { r.RemoveField(QString(), QStringLiteral("CollectType")); },
         "Customer.CollectType"},
    };
    const int seeded = Count(QStringLiteral("Customer"));
    CCDSData records, refused;
    QStringList expected;
    int good = 0;
    for (const auto& c : cases) {
        records.Add(Customer(U(c.code), c.change));
        if (c.errField)
            expected << U(c.code) + u'=' + U(c.errField);
        else
            ++good;
    }
    // A blank code arrives without a value.
    records.GetAt(12)->GetOneField(QString(), QStringLiteral("CustomerCode"))->SetNull();
    ASSERT_EQ(Import(0, records, refused), CMakeMsgID::kImportPending) << m_err.toStdString();
    EXPECT_EQ(Refused(refused), expected);
    EXPECT_EQ(m_nNew, good);
    EXPECT_EQ(m_nOver, 0);
    QString err;
    ASSERT_EQ(m_data.ImportMaster(1, 1, nullptr, nullptr, nullptr, nullptr, err), 1) << err.toStdString();
    EXPECT_EQ(Count(QStringLiteral("Customer")), seeded + good);
    EXPECT_FALSE(m_data.InTransaction());
}

TEST_F(ImportMasterTest, TextsAreCutAndProductTypesMended)
{
    CCDSData records, refused;
    COneRecord item;
    item.SetField(QStringLiteral("Item.ItemCode"), QStringLiteral("P-1"));
    item.SetField(QStringLiteral("Item.ItemType"), 7);
    item.SetField(QStringLiteral("Item.TaxFlg"), 1);
    item.SetField(QStringLiteral("Item.TaxFlg2"), 2);
    item.SetField(QStringLiteral("Item.Unit"), U("あいうえおかきくけこさしす")); // 26 bytes, limit 20
    item.SetField(QStringLiteral("Item.Price"), TextToMny(QStringLiteral("12345678.99")));
    records.Add(item);
    item.SetField(QStringLiteral("Item.ItemCode"), QStringLiteral("P-2"));
    item.SetField(QStringLiteral("Item.Price"), TextToMny(QStringLiteral("1.005")));
    records.Add(item);
    ASSERT_EQ(Import(0, records, refused), CMakeMsgID::kImportPending) << m_err.toStdString();
    QString err;
    ASSERT_EQ(m_data.ImportMaster(1, 1, nullptr, nullptr, nullptr, nullptr, err), 1);
    const CCDSData stored = List(QStringLiteral("Item"), QString());
    ASSERT_EQ(stored.GetCount(), 1);
    const COneRecord& r = *stored.GetAt(0);
    EXPECT_EQ(r.GetOneField(QString(), QStringLiteral("ItemType"))->GetText(), QStringLiteral("1"));
    EXPECT_EQ(r.GetOneField(QString(), QStringLiteral("Unit"))->GetText(), U("あいうえおかきくけこ"));
    EXPECT_EQ(r.GetOneField(QString(), QStringLiteral("Price"))->GetText(), QStringLiteral("12345678.99"));
    EXPECT_EQ(refused.GetAt(0)->GetOneField(QString(), QStringLiteral("ErrField"))->GetText(),
              QStringLiteral("Item.Price"));
}

TEST_F(ImportMasterTest, ModesTreatExistingAndRepeatedCodes)
{
    Seed({QStringLiteral("abc"), QStringLiteral("K2")});
    const int seeded = Count(QStringLiteral("Customer"));
    const CCDSData before = List(QStringLiteral("Customer"), QStringLiteral("WHERE CustomerCode='abc'"));
    const QString oldId = before.GetAt(0)->GetOneField(QString(), QStringLiteral("ID"))->GetText();

    // Mode 0: a code of the table (any ASCII case) and a repeat in the file are refused.
    {
        CCDSData records, refused;
        records.Add(Customer(QStringLiteral("ABC")));
        records.Add(Customer(QStringLiteral("N1")));
        records.Add(Customer(QStringLiteral("n1")));
        ASSERT_EQ(Import(0, records, refused), CMakeMsgID::kImportPending);
        EXPECT_EQ(Refused(refused), QStringList({QStringLiteral("ABC=Customer.CustomerCode"),
                                                 QStringLiteral("n1=Customer.CustomerCode")}));
        QString err;
        EXPECT_EQ(m_data.ImportMaster(1, 0, nullptr, nullptr, nullptr, nullptr, err), 1);
        EXPECT_EQ(Count(QStringLiteral("Customer")), seeded) << "aborted";
    }
    // Mode 1: overwrites keeping ID and StartDate; a later repeat overwrites the earlier row.
    {
        CCDSData records, refused;
        records.Add(Customer(QStringLiteral("ABC")));
        records.Add(Customer(QStringLiteral("N1")));
        records.Add(Customer(QStringLiteral("n1"), [](COneRecord& r) {
            r.SetField(QStringLiteral("Customer.Company"), QStringLiteral("second"));
        }));
        ASSERT_EQ(Import(1, records, refused), 1) << m_err.toStdString();
        EXPECT_EQ(m_nNew, 1);
        EXPECT_EQ(m_nOver, 2);
        const CCDSData abc = List(QStringLiteral("Customer"), QStringLiteral("WHERE ID=") + oldId);
        EXPECT_EQ(abc.GetAt(0)->GetOneField(QString(), QStringLiteral("CustomerCode"))->GetText(),
                  QStringLiteral("ABC"));
        EXPECT_EQ(abc.GetAt(0)->GetOneField(QString(), QStringLiteral("Company"))->GetText(), U("会社ABC"));
        EXPECT_EQ(abc.GetAt(0)->GetOneField(QString(), QStringLiteral("StartDate"))->GetText(),
                  QStringLiteral("2020/05/06 07:08:09"));
        const CCDSData n1 = List(QStringLiteral("Customer"), QStringLiteral("WHERE CustomerCode='n1'"));
        ASSERT_EQ(n1.GetCount(), 1);
        EXPECT_EQ(n1.GetAt(0)->GetOneField(QString(), QStringLiteral("Company"))->GetText(),
                  QStringLiteral("second"));
    }
    // Mode 2: numbers from the counter, skipping codes that exist; the file's codes are ignored.
    {
        int next = 1;
        const auto counter = [&next] { return QStringLiteral("K%1").arg(next++); };
        CCDSData records, refused;
        records.Add(Customer(QStringLiteral("ABC")));
        records.Add(Customer(QStringLiteral("whatever")));
        ASSERT_EQ(Import(2, records, refused, counter), 1) << m_err.toStdString();
        EXPECT_EQ(m_nNew, 2);
        EXPECT_EQ(next, 4) << "K2 exists and is passed over";
        EXPECT_EQ(Count(QStringLiteral("Customer"), QStringLiteral("WHERE CustomerCode IN ('K1','K3')")), 2);
        EXPECT_EQ(Count(QStringLiteral("Customer"), QStringLiteral("WHERE CustomerCode='K2'")), 1);
    }
}

TEST_F(ImportMasterTest, AbortAndNothingAcceptableLeaveEveryTableAsBefore)
{
    Seed({QStringLiteral("S1")});
    const QStringList before = Dump();
    CCDSData records, refused;
    records.Add(Customer(QStringLiteral("NEW")));
    records.Add(Customer(QStringLiteral("S1")));
    ASSERT_EQ(Import(0, records, refused), CMakeMsgID::kImportPending);
    EXPECT_TRUE(m_data.IsImportPending());
    QString err;
    EXPECT_EQ(m_data.ImportMaster(1, 0, nullptr, nullptr, nullptr, nullptr, err), 1);
    EXPECT_EQ(Dump(), before);
    EXPECT_FALSE(m_data.InTransaction());

    CCDSData bad, refused2;
    bad.Add(Customer(QStringLiteral("S1")));
    bad.Add(
        Customer(QStringLiteral("X"), [](COneRecord& r) { r.SetField(QStringLiteral("Customer.Day"), -1); }));
    EXPECT_EQ(Import(0, bad, refused2), CMakeMsgID::kImportNothing);
    EXPECT_EQ(refused2.GetCount(), 2);
    EXPECT_EQ(Dump(), before);
    EXPECT_FALSE(m_data.InTransaction());
    EXPECT_EQ(m_data.ImportMaster(1, 1, nullptr, nullptr, nullptr, nullptr, err), CMakeMsgID::kFailed)
        << "nothing is pending after -52";
}

TEST_F(ImportMasterTest, ARecordFailingMidWriteLeavesNoPartOfIt)
{
    QString err;
    ASSERT_EQ(m_data.Execute(QStringLiteral("CREATE TABLE Audit (code TEXT)"), err), 1);
    // The first statement of the record lands, then the trigger refuses it.
    ASSERT_EQ(m_data.Execute(QStringLiteral("CREATE TRIGGER t_audit AFTER INSERT ON Customer BEGIN "
                                            "INSERT INTO Audit VALUES (NEW.CustomerCode); "
                                            "SELECT RAISE(ABORT, 'bad') WHERE NEW.CustomerCode = 'BAD'; END"),
                             err),
              1)
        << err.toStdString();
    const int seeded = Count(QStringLiteral("Customer"));
    CCDSData records, refused;
    records.Add(Customer(QStringLiteral("A")));
    records.Add(Customer(QStringLiteral("BAD")));
    records.Add(Customer(QStringLiteral("C")));
    ASSERT_EQ(Import(0, records, refused), CMakeMsgID::kImportPending);
    EXPECT_EQ(Refused(refused), QStringList{QStringLiteral("BAD=Customer.CustomerCode")});
    ASSERT_EQ(m_data.ImportMaster(1, 1, nullptr, nullptr, nullptr, nullptr, err), 1);
    EXPECT_EQ(Count(QStringLiteral("Customer")), seeded + 2);
    const CCDSData audit = List(QString(), QStringLiteral("SELECT code FROM Audit ORDER BY code"));
    ASSERT_EQ(audit.GetCount(), 2);
    EXPECT_EQ(audit.GetAt(0)->GetAt(0)->GetText(), QStringLiteral("A"));
    EXPECT_EQ(audit.GetAt(1)->GetAt(0)->GetText(), QStringLiteral("C"));
}

int RefuseCommit(void*)
{
    return 1;
}

TEST_F(ImportMasterTest, AFailedCommitIsReportedAndLeavesNothing)
{
    const QStringList before = Dump();
    CCDSData records, refused;
    records.Add(Customer(QStringLiteral("A")));
    sqlite3_commit_hook(m_data.Handle(), RefuseCommit, nullptr);
    const int result = Import(0, records, refused);
    sqlite3_commit_hook(m_data.Handle(), nullptr, nullptr);
    EXPECT_EQ(result, CMakeMsgID::kFailed);
    EXPECT_FALSE(m_err.isEmpty());
    EXPECT_FALSE(m_data.InTransaction());
    EXPECT_EQ(Dump(), before);

    // The same in phase 1.
    records.Add(Customer(QStringLiteral("")));
    ASSERT_EQ(Import(0, records, refused), CMakeMsgID::kImportPending);
    sqlite3_commit_hook(m_data.Handle(), RefuseCommit, nullptr);
    QString err;
    EXPECT_EQ(m_data.ImportMaster(1, 1, nullptr, nullptr, nullptr, nullptr, err), CMakeMsgID::kFailed);
    sqlite3_commit_hook(m_data.Handle(), nullptr, nullptr);
    EXPECT_FALSE(m_data.InTransaction());
    EXPECT_EQ(Dump(), before);
}

// The pages an import writes stay in the page cache until its commit: its
// run has a cache far below the connection's, and however the run ends the
// connection's own comes back.
TEST_F(ImportMasterTest, TheRunKeepsASmallCacheAndGivesTheConnectionsBack)
{
    const auto cacheKiB = [this] {
        sqlite3_stmt* statement = nullptr;
        qint64 size = 0;
        if (sqlite3_prepare_v2(m_data.Handle(), "PRAGMA cache_size", -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            size = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
        // Negative: KiB; positive: pages of 4 KiB.
        return size < 0 ? -size : size * 4;
    };
    const qint64 connection = cacheKiB();
    ASSERT_GT(connection, qint64(64) << 10) << "the connection keeps more than the run";
    Seed({QStringLiteral("S1")});
    enum End { kCommit, kPending, kNothing, kCancel };
    const struct {
        const char* how;
        QStringList codes;
        End end;
        int result;
    } cases[] = {
        {"committed", {"A1", "A2"}, kCommit, CMakeMsgID::kOk},
        {"pending with a refused record", {"B1", "S1"}, kPending, CMakeMsgID::kImportPending},
        {"nothing registered", {"S1"}, kNothing, CMakeMsgID::kImportNothing},
        {"cancelled", {"C1"}, kCancel, CMakeMsgID::kOk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        QString err;
        ASSERT_EQ(m_data.ImportMasterBegin(0, QStringLiteral("Customer"), err), CMakeMsgID::kOk)
            << err.toStdString();
        EXPECT_LE(cacheKiB(), qint64(64) << 10);
        CCDSData records;
        for (const QString& code : c.codes)
            records.Add(Customer(code));
        ASSERT_EQ(m_data.ImportMasterBatch(records, {}, err), CMakeMsgID::kOk) << err.toStdString();
        EXPECT_LE(cacheKiB(), qint64(64) << 10);
        if (c.end == kCancel) {
            m_data.ImportMasterCancel();
        } else {
            EXPECT_EQ(m_data.ImportMasterEnd(nullptr, nullptr, err), c.result);
        }
        EXPECT_EQ(cacheKiB(), connection);
        if (c.end == kPending) {
            EXPECT_EQ(m_data.ImportMaster(1, 0, nullptr, nullptr, nullptr, nullptr, err), CMakeMsgID::kOk);
        }
        EXPECT_FALSE(m_data.InTransaction());
        EXPECT_EQ(cacheKiB(), connection);
    }
}

} // namespace
