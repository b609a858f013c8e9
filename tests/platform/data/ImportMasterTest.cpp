#include "platform/data/DataTestUtil.h"
#include "platform/data/Mny.h"
#include "platform/data/MnyText.h"
#include "platform/data/ScopedPragma.h"

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

    // The whole set as one batch of a session, ended; the refused records
    // are copied into `refused` with their "ErrField". A session left open
    // (Refused) waits in m_session.
    EImportResult Import(int mode, CCDSData& records, CCDSData& refused,
                         const std::function<QString()>& next = {})
    {
        m_err.clear();
        m_nNew = m_nOver = -1;
        const QString table = records.GetAt(0)->GetAt(0)->GetName().section(u'.', 0, 0);
        m_session = m_data.ImportMasterBegin(mode, table, m_err, next);
        if (!m_session.IsOpen())
            return m_session.BeginResult();
        EImportResult result = m_session.Batch(
            records,
            [&refused](const COneRecord& record, const QString& errField) {
                refused.Add(record)->SetField(QStringLiteral("ErrField"), errField);
            },
            m_err);
        if (result == EImportResult::Done)
            result = m_session.End(m_err);
        m_nNew = m_session.Added();
        m_nOver = m_session.Replaced();
        return result;
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

    CImportSession m_session;
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
    ASSERT_EQ(Import(0, records, refused), EImportResult::Refused) << m_err.toStdString();
    EXPECT_EQ(Refused(refused), expected);
    EXPECT_EQ(m_nNew, good);
    EXPECT_EQ(m_nOver, 0);
    QString err;
    ASSERT_EQ(m_session.Commit(err), EImportResult::Done) << err.toStdString();
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
    ASSERT_EQ(Import(0, records, refused), EImportResult::Refused) << m_err.toStdString();
    QString err;
    ASSERT_EQ(m_session.Commit(err), EImportResult::Done);
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
        ASSERT_EQ(Import(0, records, refused), EImportResult::Refused);
        EXPECT_EQ(Refused(refused), QStringList({QStringLiteral("ABC=Customer.CustomerCode"),
                                                 QStringLiteral("n1=Customer.CustomerCode")}));
        QString err;
        EXPECT_EQ(m_session.Cancel(err), EImportResult::Done);
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
        ASSERT_EQ(Import(1, records, refused), EImportResult::Done) << m_err.toStdString();
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
        ASSERT_EQ(Import(2, records, refused, counter), EImportResult::Done) << m_err.toStdString();
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
    ASSERT_EQ(Import(0, records, refused), EImportResult::Refused);
    EXPECT_TRUE(m_session.IsOpen());
    QString err;
    EXPECT_EQ(m_session.Cancel(err), EImportResult::Done);
    EXPECT_EQ(Dump(), before);
    EXPECT_FALSE(m_data.InTransaction());

    CCDSData bad, refused2;
    bad.Add(Customer(QStringLiteral("S1")));
    bad.Add(
        Customer(QStringLiteral("X"), [](COneRecord& r) { r.SetField(QStringLiteral("Customer.Day"), -1); }));
    EXPECT_EQ(Import(0, bad, refused2), EImportResult::Nothing);
    EXPECT_EQ(refused2.GetCount(), 2);
    EXPECT_EQ(Dump(), before);
    EXPECT_FALSE(m_data.InTransaction());
    EXPECT_EQ(m_session.Commit(err), EImportResult::Failed) << "nothing waits for a commit after Nothing";
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
    ASSERT_EQ(Import(0, records, refused), EImportResult::Refused);
    EXPECT_EQ(Refused(refused), QStringList{QStringLiteral("BAD=Customer.CustomerCode")});
    ASSERT_EQ(m_session.Commit(err), EImportResult::Done);
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
    const EImportResult result = Import(0, records, refused);
    sqlite3_commit_hook(m_data.Handle(), nullptr, nullptr);
    EXPECT_EQ(result, EImportResult::Failed);
    EXPECT_FALSE(m_err.isEmpty());
    EXPECT_FALSE(m_data.InTransaction());
    EXPECT_EQ(Dump(), before);

    // The same in phase 1.
    records.Add(Customer(QStringLiteral("")));
    ASSERT_EQ(Import(0, records, refused), EImportResult::Refused);
    sqlite3_commit_hook(m_data.Handle(), RefuseCommit, nullptr);
    QString err;
    EXPECT_EQ(m_session.Commit(err), EImportResult::Failed);
    sqlite3_commit_hook(m_data.Handle(), nullptr, nullptr);
    EXPECT_FALSE(m_data.InTransaction());
    EXPECT_EQ(Dump(), before);
}

// ---- the session ------------------------------------------------------------

class ImportSessionTest : public ImportMasterTest
{
  protected:
    // Customers by code; a code starting with '!' has a day the rules refuse.
    static CCDSData Customers(const QStringList& codes)
    {
        CCDSData set;
        for (const QString& code : codes) {
            if (code.startsWith(u'!'))
                set.Add(Customer(code.mid(1),
                                 [](COneRecord& r) { r.SetField(QStringLiteral("Customer.Day"), 30); }));
            else
                set.Add(Customer(code));
        }
        return set;
    }

    EImportResult Batch(CImportSession& session, const QStringList& codes)
    {
        CCDSData set = Customers(codes);
        return session.Batch(set, {}, m_err);
    }

    QByteArray FileBytes() const
    {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The connection takes another import and commits it.
    void NextSessionCommits(const QString& code)
    {
        const int items = Count(QStringLiteral("Item"));
        QString err;
        CImportSession next = m_data.ImportMasterBegin(0, QStringLiteral("Item"), err);
        ASSERT_TRUE(next.IsOpen()) << err.toStdString();
        CCDSData set;
        COneRecord* item = set.AddNew();
        item->SetField(QStringLiteral("Item.ItemCode"), code);
        item->SetField(QStringLiteral("Item.TaxFlg"), 1);
        item->SetField(QStringLiteral("Item.TaxFlg2"), 1);
        ASSERT_EQ(next.Batch(set, {}, err), EImportResult::Done) << err.toStdString();
        ASSERT_EQ(next.End(err), EImportResult::Done) << err.toStdString();
        EXPECT_EQ(Count(QStringLiteral("Item")), items + 1);
    }
};

TEST_F(ImportSessionTest, ASessionLeftUncommittedLeavesTheFileAsItWas)
{
    Seed({QStringLiteral("S1")});
    const struct {
        const char* name;
        int mode;
        std::function<void(CImportSession&)> leave;
    } cases[] = {
        {"dropped right after it began", 0, [](CImportSession&) {}},
        {"dropped after writing new and overwritten rows", 1,
         [this](CImportSession& s) {
             ASSERT_EQ(Batch(s, {QStringLiteral("N1"), QStringLiteral("s1")}), EImportResult::Done);
             ASSERT_EQ(Batch(s, {QStringLiteral("N2")}), EImportResult::Done);
             EXPECT_EQ(s.Added(), 2);
             EXPECT_EQ(s.Replaced(), 1);
         }},
        {"dropped while its refusals wait for an answer", 0,
         [this](CImportSession& s) {
             ASSERT_EQ(Batch(s, {QStringLiteral("N1"), QStringLiteral("!X")}), EImportResult::Done);
             ASSERT_EQ(s.End(m_err), EImportResult::Refused);
             EXPECT_TRUE(s.IsOpen());
         }},
        {"moved into another session that is dropped", 0,
         [this](CImportSession& s) {
             ASSERT_EQ(Batch(s, {QStringLiteral("N1")}), EImportResult::Done);
             {
                 CImportSession other = std::move(s);
                 EXPECT_TRUE(other.IsOpen());
                 EXPECT_FALSE(s.IsOpen());
             }
             EXPECT_FALSE(m_data.InTransaction()) << "rolled back when the holder went";
         }},
        {"replaced by an empty session", 0,
         [this](CImportSession& s) {
             ASSERT_EQ(Batch(s, {QStringLiteral("N1")}), EImportResult::Done);
             s = CImportSession();
         }},
        {"cancelled", 1,
         [this](CImportSession& s) {
             ASSERT_EQ(Batch(s, {QStringLiteral("S1")}), EImportResult::Done);
             QString err;
             EXPECT_EQ(s.Cancel(err), EImportResult::Done);
             EXPECT_EQ(s.Cancel(err), EImportResult::Failed) << "nothing left to cancel";
         }},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray bytes = FileBytes();
        const QStringList before = Dump();
        ASSERT_FALSE(bytes.isEmpty());
        {
            QString err;
            CImportSession session = m_data.ImportMasterBegin(c.mode, QStringLiteral("Customer"), err);
            ASSERT_TRUE(session.IsOpen()) << err.toStdString();
            EXPECT_TRUE(m_data.IsImportOpen());
            c.leave(session);
        }
        EXPECT_FALSE(m_data.InTransaction());
        EXPECT_FALSE(m_data.IsImportOpen());
        EXPECT_EQ(Dump(), before);
        EXPECT_FALSE(QFile::exists(Path() + QStringLiteral("-journal")));
        EXPECT_EQ(FileBytes(), bytes);
        NextSessionCommits(QStringLiteral("NX%1").arg(++index));
        EXPECT_NE(FileBytes(), bytes) << "a commit is seen in the bytes";
    }
}

TEST_F(ImportSessionTest, AFailedBatchEndsTheSessionAndLaterCallsAreRefused)
{
    QString err;
    ASSERT_EQ(m_data.Execute(QStringLiteral("CREATE TABLE Gone (code TEXT)"), err), 1);
    const struct {
        const char* name;
        int mode;
        std::function<QString()> counter;
        const char* trigger;    // made before the session, dropped after it
        QStringList firstBatch; // written
        QStringList failingBatch;
        int refusedBefore;
        const char* message; // null: the engine's own text
    } cases[] = {
        {"the counter runs out",
         2,
         [n = 0]() mutable { return ++n <= 2 ? QStringLiteral("K%1").arg(n) : QString(); },
         nullptr,
         {QStringLiteral("a"), QStringLiteral("!b")},
         {QStringLiteral("c"), QStringLiteral("d")},
         1,
         "コードの自動連番を取得できませんでした。"},
        {"a statement the file can no longer run",
         0,
         {},
         "CREATE TRIGGER t_gone AFTER INSERT ON Customer WHEN NEW.CustomerCode='BAD' BEGIN "
         "INSERT INTO Gone VALUES (NEW.CustomerCode); END",
         {QStringLiteral("!A")},
         {QStringLiteral("C")},
         1,
         nullptr},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.trigger) {
            ASSERT_EQ(m_data.Execute(QString::fromUtf8(c.trigger), err), 1) << err.toStdString();
            ASSERT_EQ(m_data.Execute(QStringLiteral("DROP TABLE Gone"), err), 1) << err.toStdString();
        }
        const QStringList before = Dump();
        CImportSession session = m_data.ImportMasterBegin(c.mode, QStringLiteral("Customer"), err, c.counter);
        ASSERT_TRUE(session.IsOpen()) << err.toStdString();
        ASSERT_EQ(Batch(session, c.firstBatch), EImportResult::Done) << m_err.toStdString();
        m_err.clear();
        EXPECT_EQ(Batch(session, c.failingBatch), EImportResult::Failed);
        if (c.message)
            EXPECT_EQ(m_err, U(c.message));
        else
            EXPECT_TRUE(m_err.contains(QStringLiteral("Gone"))) << m_err.toStdString();
        EXPECT_FALSE(session.IsOpen());
        EXPECT_FALSE(m_data.IsImportOpen());
        EXPECT_FALSE(m_data.InTransaction());
        EXPECT_EQ(Dump(), before) << "the earlier batches went with it";
        EXPECT_EQ(session.RefusedCount(), c.refusedBefore);

        // Every later step is refused with its text, and changes nothing.
        const std::function<EImportResult(QString&)> steps[] = {
            [&](QString& e) {
                CCDSData set = Customers({QStringLiteral("LATE")});
                return session.Batch(set, {}, e);
            },
            [&](QString& e) { return session.End(e); },
            [&](QString& e) { return session.Commit(e); },
            [&](QString& e) { return session.Cancel(e); },
        };
        for (const auto& step : steps) {
            QString e;
            EXPECT_EQ(step(e), EImportResult::Failed);
            EXPECT_EQ(e, U("読み込みが始まっていません。"));
        }
        EXPECT_EQ(Dump(), before);
        NextSessionCommits(QStringLiteral("NX%1").arg(++index));
        if (c.trigger) {
            ASSERT_EQ(m_data.Execute(QStringLiteral("DROP TRIGGER t_gone"), err), 1) << err.toStdString();
        }
    }
}

TEST_F(ImportSessionTest, EndAndCommitAnswerForWhatWasWritten)
{
    Seed({QStringLiteral("S1")});
    enum Finish { kEnd, kCommit, kEndThenCommit };
    const struct {
        const char* name;
        int mode;
        QList<QStringList> batches;
        Finish finish;
        bool refuseCommit;
        EImportResult first;
        EImportResult second; // after kEndThenCommit
        int added, replaced, refused;
        int stored; // new rows kept
        const char* message;
    } cases[] = {
        {"all written", 0, {{"A1", "A2"}, {"A3"}}, kEnd, false, EImportResult::Done, {}, 3, 0, 0, 3, nullptr},
        {"overwrites only", 1, {{"s1"}}, kEnd, false, EImportResult::Done, {}, 0, 1, 0, 0, nullptr},
        {"some refused: End waits, Commit keeps the written",
         0,
         {{"A1", "!B"}, {"S1"}},
         kEndThenCommit,
         false,
         EImportResult::Refused,
         EImportResult::Done,
         1,
         0,
         2,
         1,
         nullptr},
        {"some refused: Commit alone keeps the written",
         0,
         {{"A1", "!B"}},
         kCommit,
         false,
         EImportResult::Done,
         {},
         1,
         0,
         1,
         1,
         nullptr},
        {"none acceptable",
         0,
         {{"!A", "S1"}},
         kEnd,
         false,
         EImportResult::Nothing,
         {},
         0,
         0,
         2,
         0,
         "登録できるデータがありません。"},
        {"none acceptable, committed",
         0,
         {{"!A"}},
         kCommit,
         false,
         EImportResult::Nothing,
         {},
         0,
         0,
         1,
         0,
         "登録できるデータがありません。"},
        {"no batch at all",
         0,
         {},
         kEnd,
         false,
         EImportResult::Nothing,
         {},
         0,
         0,
         0,
         0,
         "登録できるデータがありません。"},
        {"the commit fails", 0, {{"A1"}}, kEnd, true, EImportResult::Failed, {}, 1, 0, 0, 0, nullptr},
        {"the commit after refusals fails",
         0,
         {{"A1", "!B"}},
         kEndThenCommit,
         true,
         EImportResult::Refused,
         EImportResult::Failed,
         1,
         0,
         1,
         0,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int seeded = Count(QStringLiteral("Customer"));
        const QStringList before = Dump();
        QString err;
        CImportSession session = m_data.ImportMasterBegin(c.mode, QStringLiteral("Customer"), err);
        ASSERT_TRUE(session.IsOpen()) << err.toStdString();
        for (const QStringList& batch : c.batches)
            ASSERT_EQ(Batch(session, batch), EImportResult::Done) << m_err.toStdString();
        if (c.refuseCommit)
            sqlite3_commit_hook(m_data.Handle(), RefuseCommit, nullptr);
        err.clear();
        EXPECT_EQ(c.finish == kCommit ? session.Commit(err) : session.End(err), c.first);
        if (c.finish == kEndThenCommit) {
            EXPECT_TRUE(session.IsOpen());
            EXPECT_TRUE(m_data.InTransaction());
            EXPECT_EQ(session.Commit(err), c.second);
        }
        sqlite3_commit_hook(m_data.Handle(), nullptr, nullptr);
        EXPECT_FALSE(session.IsOpen());
        EXPECT_FALSE(m_data.InTransaction());
        EXPECT_EQ(session.Added(), c.added);
        EXPECT_EQ(session.Replaced(), c.replaced);
        EXPECT_EQ(session.RefusedCount(), c.refused);
        EXPECT_EQ(Count(QStringLiteral("Customer")), seeded + c.stored);
        if (c.message) {
            EXPECT_EQ(err, U(c.message));
        }
        if (c.refuseCommit) {
            EXPECT_FALSE(err.isEmpty());
            EXPECT_EQ(Dump(), before);
        }
        QString again;
        EXPECT_EQ(session.Commit(again), EImportResult::Failed) << "committed once";
        if (c.stored > 0) { // the next case starts from what this one kept
            ASSERT_EQ(
                m_data.Execute(QStringLiteral("DELETE FROM Customer WHERE CustomerCode LIKE 'A%'"), err), 1);
        }
    }
}

TEST_F(ImportSessionTest, BeginRefusesWhatCannotTakeAnImport)
{
    const struct {
        const char* name;
        int mode;
        const char* table;
        std::function<void(CMakeMsgID&)> before;
        EImportResult result;
        const char* message;
    } cases[] = {
        {"a table that takes no import",
         0,
         "Sales_H",
         {},
         EImportResult::Failed,
         "データを読み込むテーブルが指定されていません。"},
        {"no table", 0, "", {}, EImportResult::Failed, "データを読み込むテーブルが指定されていません。"},
        {"numbered codes without a counter",
         2,
         "Supplier",
         {},
         EImportResult::Failed,
         "コードの自動連番が設定されていません。"},
        {"a transaction of another caller", 0, "Customer",
         [](CMakeMsgID& db) {
             QString e;
             ASSERT_EQ(db.BeginTransaction(e), 1);
         },
         EImportResult::Failed, "ほかの書き込みが終わっていないため、読み込みできません。"},
        {"no connection", 0, "Customer", [](CMakeMsgID& db) { db.Close(); }, EImportResult::Fatal,
         "データベースに接続されていません。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CMakeMsgID db;
        QString err;
        ASSERT_EQ(db.Open(Folder(), err), 1) << err.toStdString();
        if (c.before)
            c.before(db);
        const bool inTransaction = db.InTransaction();
        err.clear();
        CImportSession session = db.ImportMasterBegin(c.mode, QLatin1String(c.table), err);
        EXPECT_FALSE(session.IsOpen());
        EXPECT_FALSE(db.IsImportOpen());
        EXPECT_EQ(session.BeginResult(), c.result);
        EXPECT_EQ(err, U(c.message));
        EXPECT_EQ(db.InTransaction(), inTransaction) << "the caller's transaction is its own";
    }
    // A second session while one is open.
    QString err;
    CImportSession first = m_data.ImportMasterBegin(0, QStringLiteral("Item"), err);
    ASSERT_TRUE(first.IsOpen());
    CImportSession second = m_data.ImportMasterBegin(0, QStringLiteral("Customer"), err);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.BeginResult(), EImportResult::Failed);
    EXPECT_TRUE(first.IsOpen()) << "the refused one takes nothing from the open one";
}

TEST_F(ImportSessionTest, AConnectionClosedUnderASessionEndsIt)
{
    const QStringList before = Dump();
    const QByteArray bytes = FileBytes();
    // Closed while the session writes: its steps then find no connection.
    {
        QString err;
        CImportSession session = m_data.ImportMasterBegin(0, QStringLiteral("Customer"), err);
        ASSERT_EQ(Batch(session, {QStringLiteral("A1")}), EImportResult::Done);
        m_data.Close();
        EXPECT_FALSE(session.IsOpen());
        EXPECT_EQ(Batch(session, {QStringLiteral("A2")}), EImportResult::Fatal);
        EXPECT_EQ(m_err, U("データベースに接続されていません。"));
        EXPECT_EQ(session.Commit(err), EImportResult::Fatal);
        ASSERT_EQ(m_data.Open(Folder(), err), 1) << err.toStdString();
        EXPECT_EQ(session.End(err), EImportResult::Fatal) << "a new connection is not the session's";
        EXPECT_FALSE(m_data.InTransaction());
    }
    EXPECT_EQ(Dump(), before);
    // The data object gone before its session.
    {
        CImportSession session;
        {
            CMakeMsgID other;
            QString err;
            ASSERT_EQ(other.Open(Folder(), err), 1);
            session = other.ImportMasterBegin(0, QStringLiteral("Customer"), err);
            ASSERT_TRUE(session.IsOpen()) << err.toStdString();
            CCDSData set = Customers({QStringLiteral("A1")});
            ASSERT_EQ(session.Batch(set, {}, err), EImportResult::Done);
        }
        QString err;
        EXPECT_EQ(session.Cancel(err), EImportResult::Fatal);
    }
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(FileBytes(), bytes);
    NextSessionCommits(QStringLiteral("NX"));
}

// The pages an import writes stay in the page cache until its commit: its
// run has a cache far below the connection's, and however the run ends the
// connection's own comes back.
TEST_F(ImportMasterTest, TheRunKeepsASmallCacheAndGivesTheConnectionsBack)
{
    const auto cacheKiB = [this] {
        qint64 size = 0;
        ReadPragma(m_data.Handle(), "cache_size", size);
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
        EImportResult result;
    } cases[] = {
        {"committed", {"A1", "A2"}, kCommit, EImportResult::Done},
        {"pending with a refused record", {"B1", "S1"}, kPending, EImportResult::Refused},
        {"nothing registered", {"S1"}, kNothing, EImportResult::Nothing},
        {"cancelled", {"C1"}, kCancel, EImportResult::Done},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        QString err;
        CImportSession session = m_data.ImportMasterBegin(0, QStringLiteral("Customer"), err);
        ASSERT_TRUE(session.IsOpen()) << err.toStdString();
        EXPECT_LE(cacheKiB(), qint64(64) << 10);
        CCDSData records;
        for (const QString& code : c.codes)
            records.Add(Customer(code));
        ASSERT_EQ(session.Batch(records, {}, err), EImportResult::Done) << err.toStdString();
        EXPECT_LE(cacheKiB(), qint64(64) << 10);
        if (c.end == kCancel) {
            session.Cancel(err);
        } else {
            EXPECT_EQ(session.End(err), c.result);
        }
        EXPECT_EQ(cacheKiB(), connection);
        if (c.end == kPending) {
            session.Cancel(err);
        }
        EXPECT_FALSE(m_data.InTransaction());
        EXPECT_EQ(cacheKiB(), connection);
    }
}

} // namespace
