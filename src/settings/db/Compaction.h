#pragma once

class IDbSession;

// The menu command "データベースの最適化": makes sure no other screen holds
// the database (release and connect again), asks, and compacts the
// connected database. The result of the compaction (1 done, -100 fatal,
// others failed), or 0 when it did not start.
int CompactDatabase(IDbSession& session);
