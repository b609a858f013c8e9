#include "DataTestUtil.h"

#include "platform/data/StoredNumbers.h"
#include "platform/work/LongWork.h"

#include <QThread>

#include <functional>
#include <thread>

namespace
{

using HeldConnectionTest = DatabaseTest;

} // namespace

// While work beside the window's thread holds the object, only the work may
// use it, whether the object handed it over or the runner's work took it: a call of the window's thread (a
// paint while it waits) or of any other thread is refused with a failure that says why, a transaction is not
// begun and a close does nothing. Once the work is done the object answers everyone again.
TEST_F(HeldConnectionTest, OnlyTheHoldingWorkUsesTheConnection)
{
    CCDSData request;
    request.m_strTable = QStringLiteral("Customer");
    const auto count = [&](QString& err) {
        int n = -1;
        return m_data.GetDataNum(request, n, err);
    };
    const auto begin = [&](QString& err) {
        const int result = m_data.BeginTransaction(err);
        if (result == CMakeMsgID::kOk)
            m_data.Rollback(err);
        return result;
    };
    const struct {
        const char* who;
        std::function<void(const std::function<void()>&)> on; // runs a call as that caller
        int counted;
        int begun;
    } callers[] = {
        {"the work", [](const std::function<void()>& call) { call(); }, CMakeMsgID::kOk, CMakeMsgID::kOk},
        {"the window's thread", [](const std::function<void()>& call) { LongWork::Ask(call); },
         CMakeMsgID::kFailed, CMakeMsgID::kFailed},
        {"another thread", [](const std::function<void()>& call) { std::thread(call).join(); },
         CMakeMsgID::kFailed, CMakeMsgID::kFailed},
    };
    // Handed over from the window's thread, or by work of the runner that
    // uses the connection.
    for (const bool fromRunner : {false, true}) {
        SCOPED_TRACE(fromRunner ? "inside the runner's work" : "from the window's thread");
        QThread* worker = nullptr;
        const auto work = [&] {
            worker = QThread::currentThread();
            for (const auto& c : callers) {
                SCOPED_TRACE(c.who);
                QString countErr, beginErr;
                int counted = 0, begun = 0;
                bool open = false;
                c.on([&] {
                    counted = count(countErr);
                    begun = begin(beginErr);
                    if (c.counted != CMakeMsgID::kOk)
                        m_data.Close();
                    open = m_data.IsOpen();
                });
                EXPECT_EQ(counted, c.counted) << countErr.toStdString();
                EXPECT_EQ(begun, c.begun) << beginErr.toStdString();
                EXPECT_TRUE(open);
                if (c.counted != CMakeMsgID::kOk) {
                    EXPECT_EQ(countErr, CMakeMsgID::HeldText());
                    EXPECT_EQ(beginErr, CMakeMsgID::HeldText());
                }
            }
            return CMakeMsgID::kOk;
        };
        int answered = 0;
        if (fromRunner)
            LongWork::Run([&] { answered = m_data.RunBeside(work).value; });
        else
            answered = m_data.RunBeside(work).value;
        EXPECT_EQ(answered, CMakeMsgID::kOk);
        EXPECT_NE(worker, QThread::currentThread()) << "the work ran on the window's thread";
        EXPECT_FALSE(m_data.IsHeldElsewhere());
    }
    QString err;
    EXPECT_EQ(count(err), CMakeMsgID::kOk) << err.toStdString();
    EXPECT_FALSE(m_data.InTransaction());
}

// Every call of the object that reaches the connection, made by anyone but
// the holding work, is refused the same way, before it touches anything:
// 10 with HeldText. Work run beside by such a caller runs holding nothing,
// its calls refused alike. The work then finds its books as it left them.
TEST_F(HeldConnectionTest, EveryCallOfAnotherCallerIsRefusedAlike)
{
    const auto customers = [] {
        CCDSData set;
        set.m_strTable = QStringLiteral("Customer");
        COneRecord* record = set.AddNew();
        record->SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("K1"));
        record->SetField(QStringLiteral("Customer.Company"), QStringLiteral("青葉商事"));
        return set;
    };
    const auto request = [](const QString& condition) {
        CCDSData set;
        set.m_strTable = QStringLiteral("Customer");
        set.m_strCondition = condition;
        return set;
    };
    const QDate from(2024, 4, 1), to(2024, 4, 30);
    const struct {
        const char* entry;
        std::function<int(QString&)> call;
    } entries[] = {
        {"Open", [&](QString& err) { return m_data.Open(Folder(), err); }},
        {"MakePendingBalances", [&](QString& err) { return m_data.MakePendingBalances(err); }},
        {"RunBeside",
         [&](QString& err) {
             return m_data
                 .RunBeside([&] {
                     int n = 0;
                     return m_data.GetDataNum(request({}), n, err);
                 })
                 .value;
         }},
        {"GetDataList",
         [&](QString& err) {
             CCDSData result;
             return m_data.GetDataList(request({}), result, err);
         }},
        {"GetDataList with values",
         [&](QString& err) {
             CCDSData result;
             return m_data.GetDataList(request(QStringLiteral("WHERE CustomerCode = ?1")),
                                       {QStringLiteral("K1")}, result, err);
         }},
        {"GetDataNum",
         [&](QString& err) {
             int n = 0;
             return m_data.GetDataNum(request({}), n, err);
         }},
        {"InsertData",
         [&](QString& err) {
             CCDSData set = customers();
             set.GetAt(0)->SetField(QStringLiteral("Customer.CustomerCode"), QStringLiteral("K2"));
             return m_data.InsertData(set, err);
         }},
        {"UpdateData",
         [&](QString& err) {
             CCDSData set = customers();
             set.m_strCondition = QStringLiteral("WHERE CustomerCode = 'K1'");
             set.GetAt(0)->SetField(QStringLiteral("Customer.Company"), QStringLiteral("書き換え"));
             return m_data.UpdateData(set, err);
         }},
        {"DeleteData",
         [&](QString& err) {
             return m_data.DeleteData(request(QStringLiteral("WHERE CustomerCode = 'K1'")), err);
         }},
        {"ChangeMasterCode",
         [&](QString& err) {
             return m_data.ChangeMasterCode(QStringLiteral("Customer"), QStringLiteral("K1"),
                                            QStringLiteral("K9"), err);
         }},
        {"BeginTransaction", [&](QString& err) { return m_data.BeginTransaction(err); }},
        {"Commit", [&](QString& err) { return m_data.Commit(err); }},
        {"Rollback", [&](QString& err) { return m_data.Rollback(err); }},
        {"ImportMasterBegin",
         [&](QString& err) {
             const CImportSession session = m_data.ImportMasterBegin(0, QStringLiteral("Customer"), err);
             return session.BeginResult() == EImportResult::Failed ? int(CMakeMsgID::kFailed) : -1;
         }},
        {"RecheckBookedBalances",
         [&](QString& err) {
             bool remade = false;
             return m_data.RecheckBookedBalances(remade, err);
         }},
        {"GetMotocho",
         [&](QString& err) {
             CCDSData head, rows;
             return m_data.GetMotocho(0, QStringLiteral("K1"), from, to, head, rows, err);
         }},
        {"GetItemInOutList",
         [&](QString& err) {
             CCDSData head, rows;
             return m_data.GetItemInOutList(QStringLiteral("I1"), from, to, head, rows, QDate(), err);
         }},
        {"SetWMotocho",
         [&](QString& err) {
             CCDSData set = request(QStringLiteral("WHERE CustomerCode = 'K1'"));
             return m_data.SetWMotocho(set, from, to, err);
         }},
        {"ReadStoredNumbers",
         [&](QString& err) {
             CStoredNumbers found;
             return m_data.ReadStoredNumbers(QStringLiteral("Sales_Close"), QStringLiteral("S"), QString(),
                                             {}, found, err);
         }},
        {"Execute",
         [&](QString& err) { return m_data.Execute(QStringLiteral("DELETE FROM Customer"), err); }},
        {"Execute with values",
         [&](QString& err) {
             return m_data.Execute(QStringLiteral("DELETE FROM Customer WHERE CustomerCode = ?1"),
                                   {QStringLiteral("K1")}, err);
         }},
        {"ExecuteRows",
         [&](QString& err) {
             return m_data.ExecuteRows(QStringLiteral("DELETE FROM Customer WHERE CustomerCode = ?1"),
                                       {{QStringLiteral("K1")}}, err);
         }},
        {"NoConnection", [&](QString& err) { return m_data.NoConnection(err); }},
    };
    const struct {
        const char* who;
        std::function<void(const std::function<void()>&)> on;
    } callers[] = {
        {"the window's thread", [](const std::function<void()>& call) { LongWork::Ask(call); }},
        {"another thread", [](const std::function<void()>& call) { std::thread(call).join(); }},
    };
    int before = 0;
    const auto ran = m_data.RunBeside([&] {
        before = Count(QStringLiteral("Customer"));
        QString err;
        CCDSData set = customers();
        EXPECT_EQ(m_data.InsertData(set, err), CMakeMsgID::kOk) << err.toStdString();
        for (const auto& c : callers) {
            SCOPED_TRACE(c.who);
            for (const auto& e : entries) {
                SCOPED_TRACE(e.entry);
                int result = 0;
                QString said;
                c.on([&] { result = e.call(said); });
                EXPECT_EQ(result, CMakeMsgID::kFailed);
                EXPECT_EQ(said, CMakeMsgID::HeldText());
            }
            c.on([&] { m_data.Close(); });
            EXPECT_TRUE(m_data.IsOpen()) << "closed by another caller";
        }
        EXPECT_FALSE(m_data.InTransaction());
        EXPECT_EQ(Count(QStringLiteral("Customer")), before + 1);
        return List(QStringLiteral("Customer"), QStringLiteral("WHERE CustomerCode = 'K1'"));
    });
    EXPECT_FALSE(ran.stopped);
    ASSERT_EQ(ran.value.GetCount(), 1);
    QString company;
    ASSERT_NE(ran.value.GetAt(0)->FindField(QStringLiteral("Customer.Company")), nullptr);
    ran.value.GetAt(0)->FindField(QStringLiteral("Customer.Company"))->GetData(company);
    EXPECT_EQ(company, QStringLiteral("青葉商事"));
}
