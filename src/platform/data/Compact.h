#pragma once

#include <QString>

class CMakeMsgID;

// Rebuilds the connected database file without its free pages (VACUUM), so
// a database from which many rows were deleted gets small again; every row
// stays. 1 done, -100 when there is no connection or the file is broken,
// 10 otherwise (an open transaction, a statement still reading); `err` says
// why. `info` receives the file's size before and after, in bytes. The
// booked balances are checked against the headers first and made again when
// they differ (`balancesRemade` then true).
int CompactDB(CMakeMsgID& data, QString& info, QString& err, bool* balancesRemade = nullptr);
