#pragma once

struct sqlite3;

// SQLite keeps one progress handler per connection and tells nobody which
// one is set: whoever installs one must know what to put back. A scope
// installs its handler on the connection for its span; leaving, it puts back
// the handler of the latest scope still open on that connection, or none.
// So a long call may install its own inside another's without either
// knowing of the other, and scopes that end out of order still leave the
// right one. Every scope of a connection ends before the connection closes.
class CProgressHandlerScope
{
  public:
    using Handler = int (*)(void* context);

    // `handler` is called with `context` every `instructions` steps of
    // SQLite's virtual machine while a statement of `db` runs.
    CProgressHandlerScope(sqlite3* db, int instructions, Handler handler, void* context);
    ~CProgressHandlerScope();
    CProgressHandlerScope(const CProgressHandlerScope&) = delete;
    CProgressHandlerScope& operator=(const CProgressHandlerScope&) = delete;

  private:
    sqlite3* m_db;
};
