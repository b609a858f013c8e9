#include "DataTestUtil.h"

#include "platform/data/StoredNumbers.h"
#include "platform/work/LongWork.h"

#include <QThread>

#include <functional>
#include <thread>

using namespace Qt::StringLiterals;

namespace
{

using HeldConnectionTest = DatabaseTest;

} // namespace

// While work beside the window's thread holds the object, only the work may
// use it, whether the object handed it over or the runner's work took it: a call of the window's thread (a
// paint while it waits) or of any other thread is refused with a failure that says why, a transaction is not
// begun and a close does nothing. Once the work is done the object answers everyone again. So is every call
// that reaches the connection, before it touches anything; work run beside by such a caller holds nothing.
TEST_F(HeldConnectionTest, OnlyTheHoldingWorkUsesTheConnection)
{
    CCDSData request;
    request.m_strTable = QStringLiteral("Customer");
    CMakeMsgID& d = m_data;
    CCDSData k1 = request, list, h, r;
    k1.m_strCondition = u"WHERE CustomerCode = 'K1'"_s;
    k1.AddNew()->SetField(u"Customer.CustomerCode"_s, u"K1"_s);
    int n = 0;
    bool remade = false;
    CStoredNumbers found;
    const QString del = u"DELETE FROM Customer WHERE CustomerCode = ?1"_s;
    const QDate from(2024, 4, 1), to(2024, 4, 30);
    const std::pair<const char*, std::function<int(QString&)>> entries[] = {
        {"Open", [&](QString& e) { return d.Open(Folder(), e); }},
        {"MakePendingBalances", [&](QString& e) { return d.MakePendingBalances(e); }},
        {"RunBeside", [&](QString& e) { return d.RunBeside([&] { return d.GetDataNum(k1, n, e); }).value; }},
        {"GetDataList", [&](QString& e) { return d.GetDataList(request, list, e); }},
        {"GetDataList with values", [&](QString& e) { return d.GetDataList(request, {u"K1"_s}, list, e); }},
        {"InsertData", [&](QString& e) { return d.InsertData(k1, e); }},
        {"UpdateData", [&](QString& e) { return d.UpdateData(k1, e); }},
        {"DeleteData", [&](QString& e) { return d.DeleteData(k1, e); }},
        {"ChangeMasterCode",
         [&](QString& e) { return d.ChangeMasterCode(u"Customer"_s, u"K1"_s, u"K9"_s, e); }},
        {"Commit", [&](QString& e) { return d.Commit(e); }},
        {"Rollback", [&](QString& e) { return d.Rollback(e); }},
        {"ImportMasterBegin",
         [&](QString& e) { return d.ImportMasterBegin(0, u"Customer"_s, e).IsOpen() ? 1 : 10; }},
        {"RecheckBookedBalances", [&](QString& e) { return d.RecheckBookedBalances(remade, e); }},
        {"GetMotocho", [&](QString& e) { return d.GetMotocho(0, u"K1"_s, from, to, h, r, e); }},
        {"GetItemInOutList", [&](QString& e) { return d.GetItemInOutList(u"I1"_s, from, to, h, r, {}, e); }},
        {"SetWMotocho", [&](QString& e) { return d.SetWMotocho(k1, from, to, e); }},
        {"ReadStoredNumbers",
         [&](QString& e) { return d.ReadStoredNumbers(u"Pay_H"_s, {}, {}, {}, found, e); }},
        {"Execute", [&](QString& e) { return d.Execute(del, {u"K1"_s}, e); }},
        {"Execute without values", [&](QString& e) { return d.Execute(u"DELETE FROM Customer"_s, e); }},
        {"ExecuteRows", [&](QString& e) { return d.ExecuteRows(del, {{u"K1"_s}}, e); }},
        {"NoConnection", [&](QString& e) { return d.NoConnection(e); }},
    };
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
                    for (const auto& [entry, call] : entries) {
                        QString err;
                        int result = 0;
                        c.on([&, &call = call] { result = call(err); });
                        EXPECT_EQ(result, CMakeMsgID::kFailed) << entry;
                        EXPECT_EQ(err, CMakeMsgID::HeldText()) << entry;
                    }
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
