#include "DataTestUtil.h"

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
            LongWork::Run([&] { answered = m_data.RunBeside(work); });
        else
            answered = m_data.RunBeside(work);
        EXPECT_EQ(answered, CMakeMsgID::kOk);
        EXPECT_NE(worker, QThread::currentThread()) << "the work ran on the window's thread";
        EXPECT_FALSE(m_data.IsHeldElsewhere());
    }
    QString err;
    EXPECT_EQ(count(err), CMakeMsgID::kOk) << err.toStdString();
    EXPECT_FALSE(m_data.InTransaction());
}
