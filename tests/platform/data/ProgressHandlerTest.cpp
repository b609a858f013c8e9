#include "DataTestUtil.h"

#include "platform/data/ProgressHandler.h"

#include <array>
#include <memory>
#include <vector>

namespace
{

// A statement long enough for SQLite to call the handler many times.
constexpr const char* kCounting =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 20000) SELECT count(*) FROM c";
constexpr int kNone = -1;
constexpr int kScopes = 4;

struct Calls {
    std::array<int, kScopes> count{};
};

struct Heard {
    Calls* calls;
    int scope;
};

int CountCall(void* context)
{
    auto* heard = static_cast<Heard*>(context);
    ++heard->calls->count[size_t(heard->scope)];
    return 0;
}

// Which scope's handler SQLite calls on the connection now: the one whose
// count the statement raises, kNone when none is called, -2 when more than
// one are.
int Called(sqlite3* db, Calls& calls)
{
    calls = Calls{};
    EXPECT_EQ(sqlite3_exec(db, kCounting, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    int called = kNone;
    for (int scope = 0; scope < kScopes; ++scope) {
        if (calls.count[size_t(scope)] == 0)
            continue;
        if (called != kNone)
            return -2;
        called = scope;
    }
    return called;
}

using ProgressListenerTest = DatabaseTest;

} // namespace

// Scopes of progress handlers on two connections, opened and ended in the
// order each case gives: after each, SQLite calls the handler of the latest
// scope still open on each connection, or none; so an inner scope gives the
// outer one its handler back, and one that ends before a later one leaves
// the later one's in place.
TEST(ProgressHandlerTest, EachScopePutsBackWhatWasThere)
{
    struct Op {
        bool open;
        int scope;
        int connection;
        std::array<int, 2> called; // on each connection afterwards
    };
    const struct {
        const char* what;
        std::vector<Op> ops;
    } cases[] = {
        {"one scope",
         {{true, 0, 0, {0, kNone}}, //
          {false, 0, 0, {kNone, kNone}}}},
        {"a scope within a scope",
         {{true, 0, 0, {0, kNone}},
          {true, 1, 0, {1, kNone}},
          {false, 1, 0, {0, kNone}},
          {false, 0, 0, {kNone, kNone}}}},
        {"three deep, the inner ones twice",
         {{true, 0, 0, {0, kNone}},
          {true, 1, 0, {1, kNone}},
          {true, 2, 0, {2, kNone}},
          {false, 2, 0, {1, kNone}},
          {true, 3, 0, {3, kNone}},
          {false, 3, 0, {1, kNone}},
          {false, 1, 0, {0, kNone}},
          {false, 0, 0, {kNone, kNone}}}},
        {"the outer one ends first",
         {{true, 0, 0, {0, kNone}},
          {true, 1, 0, {1, kNone}},
          {false, 0, 0, {1, kNone}},
          {false, 1, 0, {kNone, kNone}}}},
        {"a middle one ends first",
         {{true, 0, 0, {0, kNone}},
          {true, 1, 0, {1, kNone}},
          {true, 2, 0, {2, kNone}},
          {false, 1, 0, {2, kNone}},
          {false, 2, 0, {0, kNone}},
          {false, 0, 0, {kNone, kNone}}}},
        {"two connections apart",
         {{true, 0, 0, {0, kNone}},
          {true, 1, 1, {0, 1}},
          {true, 2, 1, {0, 2}},
          {false, 0, 0, {kNone, 2}},
          {false, 2, 1, {kNone, 1}},
          {false, 1, 1, {kNone, kNone}}}},
    };
    std::array<sqlite3*, 2> dbs{};
    for (sqlite3*& db : dbs)
        ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Calls calls;
        std::array<Heard, kScopes> heard{};
        std::array<std::unique_ptr<CProgressHandlerScope>, kScopes> scopes;
        for (size_t step = 0; step < c.ops.size(); ++step) {
            const Op& op = c.ops[step];
            SCOPED_TRACE(step);
            auto& scope = scopes[size_t(op.scope)];
            if (op.open) {
                heard[size_t(op.scope)] = {&calls, op.scope};
                scope = std::make_unique<CProgressHandlerScope>(dbs[size_t(op.connection)], 100, &CountCall,
                                                                &heard[size_t(op.scope)]);
            } else {
                scope.reset();
            }
            for (size_t db = 0; db < dbs.size(); ++db)
                EXPECT_EQ(Called(dbs[db], calls), op.called[db]) << "connection " << db;
        }
    }
    for (sqlite3* db : dbs)
        sqlite3_close(db);
}

// A listener the data-access object holds takes the connection's handler
// for its span and, let go, gives back the handler that was there: a scope
// opened before it is heard again.
TEST_F(ProgressListenerTest, TheObjectGivesBackTheHandlerItFound)
{
    Calls calls;
    Heard outer{&calls, 0};
    IDataProgress listener;
    {
        const CProgressHandlerScope before(m_data.Handle(), 100, &CountCall, &outer);
        ASSERT_EQ(Called(m_data.Handle(), calls), 0);
        EXPECT_EQ(m_data.SetProgress(&listener), nullptr);
        EXPECT_EQ(Called(m_data.Handle(), calls), kNone);
        EXPECT_EQ(m_data.SetProgress(nullptr), &listener);
        EXPECT_EQ(Called(m_data.Handle(), calls), 0);
    }
    EXPECT_EQ(Called(m_data.Handle(), calls), kNone);
}
