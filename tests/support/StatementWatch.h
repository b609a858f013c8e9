#pragma once

#include "platform/ui/FakeUi.h"

#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QString>

#include <sqlite3.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

// Notes each statement of a connection as it ends: whether it ran on the
// thread that made the watch (the window's), and how deep the wait dialog
// stood then as that thread sees it. A statement of another thread asks the
// window's thread and waits for its answer, so that work cannot end unless
// the window's thread keeps handling its events.
class CStatementWatch
{
  public:
    struct Seen {
        QString sql;
        bool onCaller;
        int waitDepth;
    };

    CStatementWatch(sqlite3* db, const CFakeWait& wait)
        : m_db(db), m_wait(wait), m_caller(std::this_thread::get_id())
    {
        sqlite3_trace_v2(m_db, SQLITE_TRACE_PROFILE, &CStatementWatch::Ended, this);
    }
    ~CStatementWatch() { sqlite3_trace_v2(m_db, 0, nullptr, nullptr); }
    CStatementWatch(const CStatementWatch&) = delete;
    CStatementWatch& operator=(const CStatementWatch&) = delete;

    QList<Seen> Statements()
    {
        const QMutexLocker lock(&m_mutex);
        return m_seen;
    }
    // The statements whose text holds `part`.
    QList<Seen> Statements(const QString& part)
    {
        QList<Seen> found;
        for (const Seen& seen : Statements())
            if (seen.sql.contains(part))
                found << seen;
        return found;
    }
    bool callerStalled = false; // the window's thread stopped handling events

  private:
    static int Ended(unsigned, void* self, void* statement, void*)
    {
        auto* me = static_cast<CStatementWatch*>(self);
        const QString sql =
            QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(statement))).simplified();
        const bool onCaller = std::this_thread::get_id() == me->m_caller;
        int depth = -1;
        if (onCaller) {
            depth = me->m_wait.Depth();
        } else {
            auto answer = std::make_shared<std::promise<int>>();
            std::future<int> answered = answer->get_future();
            QMetaObject::invokeMethod(
                &me->m_receiver, [me, answer] { answer->set_value(me->m_wait.Depth()); },
                Qt::QueuedConnection);
            // Only a guard: a window's thread that stops handling events
            // fails the test instead of holding it up.
            if (answered.wait_for(std::chrono::minutes(1)) == std::future_status::ready)
                depth = answered.get();
            else
                me->callerStalled = true;
        }
        const QMutexLocker lock(&me->m_mutex);
        me->m_seen << Seen{sql, onCaller, depth};
        return 0;
    }

    sqlite3* m_db;
    const CFakeWait& m_wait;
    const std::thread::id m_caller;
    QObject m_receiver; // lives on the window's thread
    QMutex m_mutex;
    QList<Seen> m_seen;
};
