#pragma once

#include <QStringList>

#include <span>

struct sqlite3;
class IDataProgress;

// How a file of an earlier build reaches the schema of this one. The file
// keeps its version in PRAGMA user_version; each step leads from one version
// to the next in one transaction, which writes the new version with its work.
// A change of the schema (a table, a column, an index, a trigger) is a new
// step at the end of the list, so every file ever made reaches the schema
// the same way. A step holds its own statements and never reads today's
// schema: what it does to a file stays what it did when it came.
namespace SchemaSteps
{

// The version every earlier build wrote before the steps were kept: a lower
// one is no file of this program.
constexpr int kFirstVersion = 1;

struct Step {
    // It leads from this version to the next.
    int from;
    // What brought the schema to the next version, in words for a reader.
    const char* what;
    // Its statements, read inside its transaction from the file as it is.
    QStringList (*work)(sqlite3* db);
    // What a connection does instead while the file cannot be written, so
    // that it reads right all the same: 1, or 0 with the engine's code in
    // `rc`. Null: the file cannot be used at all without the step.
    int (*forConnection)(sqlite3* db, int& rc);
    // The statements that undo forConnection, or null when it leaves nothing.
    QStringList (*dropForConnection)();
    // What it brings, in the words the user reads when it fails.
    const char* title;
};

// Why Upgrade failed: the step that did (null: none was taken) and the
// engine's message of its statement that failed, read before the step was
// rolled back (empty when the engine gave none).
struct Failure {
    const Step* step = nullptr;
    QString message;
};

// The step for the user: the versions it leads between and its title.
QString StepText(const Step& step);

// Every step, by version.
std::span<const Step> Steps();

// The version this program makes and reads: where the last step leads.
int Current();

// Takes a file of `version` to the current one, step by step, heard by
// `progress` (may be null; nothing is heard when no step is due). Heard,
// and with an event loop on the calling thread, the steps run on a thread
// of their own while the caller's thread handles its events (but no user
// input and no notices from other programs) and hears the progress; nothing
// else may use the connection until the call returns. A step
// that cannot be written now (a read-only file, another program writing, a
// full disk) and all after it are done for the connection instead: the
// answer is then 1 with `pending` set and the failure's code in `rc`, and
// the file stays at the last version it reached. 0 (with `rc`) when a step
// failed otherwise or one that cannot be done for the connection could not
// be written: the file must not be used. `failure`, when given, tells
// which step failed (or could not be written) and why.
int Upgrade(sqlite3* db, int version, IDataProgress* progress, bool& pending, int& rc,
            Failure* failure = nullptr);

// The version the file holds, or -1 with `rc` when it cannot be read.
int FileVersion(sqlite3* db, int& rc);

// Drops what the steps from `version` did for the connection.
void DropForConnection(sqlite3* db, int version);
// Does it again for every step from `version`: 1, or 0 with `rc`.
int KeepForConnection(sqlite3* db, int version, int& rc);

} // namespace SchemaSteps
