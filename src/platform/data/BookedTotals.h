#pragma once

#include "platform/data/TradeSide.h"

#include <QString>
#include <QStringList>

struct sqlite3;

// Each partner's balance of everything booked to a closing: its booked
// slips billed less its booked money. The past of every closing row starts
// from it; summed from the slips it would read a partner's whole history
// for each list. Triggers on the slip and money headers keep it, so every
// writer does; only a bulk delete sets them aside, and settles the balance
// by the sums of `BookedAmountsSql` with `TakeAwaySql`.
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

// One statement giving a row when any balance of the side differs from
// what its booked headers add up to (another tool may have written it).
QString MismatchSql(const CTradeSide& side);
// The booked rows among the slips and the money rows `R` meeting the
// conditions (none: every row), as what they add to the balance of each
// code: a query of (code, v), with a row for the slips and one for the
// money of a code, to be summed again by code.
QString BookedAmountsSql(const CTradeSide& side, const QString& slipsWhere, const QString& moneyWhere);
// Takes away from the balances the sums in `column` of the table `sums`,
// one row a code (column code): the booked amounts of rows deleted while the
// triggers were set aside.
QString TakeAwaySql(const CTradeSide& side, const QString& sums, const QString& column);
// The statements that make the side's balances again from its headers.
QStringList RefillSql(const CTradeSide& side);

// Makes each side again, from its headers, whose table or any of whose
// triggers the file lacks (another tool dropped them; the builds of this
// schema always made them): 1, with `remade` telling whether a side was,
// or 0 with the engine's code in `rc` and its message in `message`, the
// file as it was.
int MakeMissing(sqlite3* db, bool& remade, int& rc, QString& message);

// The temporary tables and triggers of this connection: made (1, or 0 with
// `rc`), and the statements that drop them.
int KeepForConnection(sqlite3* db, int& rc);
QStringList DropForConnection();

} // namespace BookedTotals
