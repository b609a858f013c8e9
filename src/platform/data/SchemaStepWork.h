#pragma once

#include <QStringList>

struct sqlite3;

// What each step of SchemaSteps does to a file, as written for the version
// it leads to. Each holds its own statements and never reads today's
// schema: the schema goes on changing (a new column, an index over it),
// and an earlier step must do on every file what it did when it came.
// A change of the schema is a new function here, never an edit of one.
namespace SchemaStepWork
{

// 1 to 2: the indexes of version 2, each made or made again where the
// file's differs, and those the builds before it gave up dropped.
QStringList IndexesOfVersion2(sqlite3* db);

// 2 to 3: the booked balances of both sides and the triggers that keep
// them, made afresh from the headers in place of any the file has.
QStringList BookedBalancesOfVersion3(sqlite3* db);

// 3 to 4: the partner-code indexes of the slip and money headers without
// the closing, in place of those with it.
QStringList PartnerIndexesOfVersion4(sqlite3* db);

} // namespace SchemaStepWork
