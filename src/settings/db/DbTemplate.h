#pragma once

#include <QString>

// The template of a new database in the data root's "DataBase" folder: the
// empty database file, the first-run marker "FTtemp.dat" and, in "Other",
// the factory default values of the sales conditions and the own company
// information. Every piece that is missing is made (the database from the
// data layer's schema); pieces that exist are left as they are, except a
// database file that does not open, which is made again. True when a
// database that opens and the marker are there afterwards.
bool CompleteDatabaseTemplate(const QString& templateFolder);

// A new database in `folder` (which exists, with its "Other" folder
// `otherFolder`) from the template, registered under `name` but not made
// current: 1 done, 0 failed with its message shown.
int CreateDatabaseFromTemplate(const QString& folder, const QString& otherFolder, const QString& name);
