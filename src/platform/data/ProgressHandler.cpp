#include "platform/data/ProgressHandler.h"

#include <sqlite3.h>

#include <mutex>
#include <unordered_map>
#include <vector>

namespace
{

struct Installed {
    const CProgressHandlerScope* scope;
    int instructions;
    CProgressHandlerScope::Handler handler;
    void* context;
};

// The open scopes of each connection, oldest first: the last one's handler
// is the one set. An upgrade runs on a worker thread of its own, so the
// record is shared between threads.
std::mutex& Lock()
{
    static std::mutex lock;
    return lock;
}

std::unordered_map<sqlite3*, std::vector<Installed>>& Scopes()
{
    static std::unordered_map<sqlite3*, std::vector<Installed>> scopes;
    return scopes;
}

} // namespace

CProgressHandlerScope::CProgressHandlerScope(sqlite3* db, int instructions, Handler handler, void* context)
    : m_db(db)
{
    const std::lock_guard<std::mutex> hold(Lock());
    Scopes()[m_db].push_back({this, instructions, handler, context});
    sqlite3_progress_handler(m_db, instructions, handler, context);
}

CProgressHandlerScope::~CProgressHandlerScope()
{
    const std::lock_guard<std::mutex> hold(Lock());
    auto found = Scopes().find(m_db);
    if (found == Scopes().end())
        return;
    std::vector<Installed>& open = found->second;
    std::erase_if(open, [this](const Installed& entry) { return entry.scope == this; });
    if (open.empty()) {
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
        Scopes().erase(found);
        return;
    }
    const Installed& latest = open.back();
    sqlite3_progress_handler(m_db, latest.instructions, latest.handler, latest.context);
}
