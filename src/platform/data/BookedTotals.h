#pragma once

#include "platform/data/TradeSide.h"

#include <QString>
#include <QStringList>

struct sqlite3;

// Each partner's balance of everything booked to a closing: its booked
// slips billed less its booked money. The past of every closing row starts
// from it; summed from the slips it would read a partner's whole history
// for each list. Triggers on the slip and money headers keep it, so every
// writer does; only a bulk delete sets them aside and settles the balance
// itself.
namespace BookedTotals
{

// The statements below take a side of the trade: its balance table
// (`booked`), partner code, slip and money headers. `Side` is that side
// under the name the balance table goes by here.
struct Side : CTradeSide {
    const char* table; // booked
};
const Side& Sales();
const Side& Purchases();

// Every statement that makes the tables and triggers of both sides, for an
// empty database.
QStringList Definitions();

// The triggers of one side: dropped, and made again.
QStringList DropTriggers(const CTradeSide& side);
QStringList CreateTriggers(const CTradeSide& side);

// The tables and triggers are those defined.
bool IsCurrent(sqlite3* db);
// One statement giving a row when any balance of the side differs from
// what its booked headers add up to (another tool may have written it).
QString MismatchSql(const CTradeSide& side);
// The statements that make the side's balances again from its headers.
QStringList RefillSql(const CTradeSide& side);

// Makes the tables and triggers as defined, filled from the headers, when an
// opened database lacks them or has others. A database that cannot be
// written now (a read-only file, another program writing, a full disk) gets
// them as temporary tables and triggers of this connection instead, and
// `pending` is set: the file gets them at an opening that can write. 1 done;
// 0 with the engine's result code in `rc`.
int Ensure(sqlite3* db, int& rc, bool& pending);
// The temporary tables and triggers of this connection: made (1, or 0 with
// `rc`), and the statements that drop them.
int KeepForConnection(sqlite3* db, int& rc);
QStringList DropForConnection();

} // namespace BookedTotals
