#pragma once

#include "settings/db/DbFiles.h"

#include <QString>
#include <QStringList>

#include <functional>

class IDbSession;

// The points a restore passes, in order. A restore cut off at any of them
// (a power cut, a killed process) leaves a database folder whose database
// opens, the old one or the restored one, and the next start finishes or
// drops what it left (RecoverInterruptedRestore).
enum class ERestoreStep {
    StagedDatabase, // the backup's database file copied into "BupTmp"
    StagedAll,      // every file of the backup copied into "BupTmp"
    CheckedStaged,  // the copied database checked whole, its journal played back
    SavedCurrent,   // the current files copied into "BupTmp"
    MarkedReady,    // the list of the files to move in written
    ReplacedFile,   // one file moved over its old one (the database first)
    Pruned,         // the files the new state lacks removed
};

// Called at each step; tests cut a restore off there by throwing.
using RestoreStepHook = std::function<void(ERestoreStep)>;
// Installs the hook (an empty one: nothing is called); answers the one before.
RestoreStepHook SetRestoreStepHook(RestoreStepHook hook);

// The bytes free on the disk of a folder, -1 when the system does not say;
// tests stand in a disk that is nearly full.
using FreeSpaceQuery = std::function<qint64(const QString& folder)>;
// Installs the query (an empty one: the system's); answers the one before.
FreeSpaceQuery SetFreeSpaceQuery(FreeSpaceQuery query);

// The transaction of a restore over one database folder. The backup is
// copied into the staging folder of its scratch folder "BupTmp" and checked
// whole before anything else changes, "BupTmp" included, so a backup that is
// refused leaves every copy as it was. Then the current files are copied
// into "BupTmp", so that a restore that fails half-way can put them back;
// they stay there after a successful restore until the next one. Last each
// file is renamed over its old one, so the folder never lacks a database
// that opens.
class CRestoreFileSet
{
  public:
    explicit CRestoreFileSet(const QString& databaseFolder);

    // Copies the backup's files into a staging folder of "BupTmp" and checks
    // the copied database whole (playing back a journal that came with it):
    // 1 when the whole backup is there and its database is sound and opens.
    // 0 refused, the words for the user in GetRefusal and nothing staged:
    // too little room on the disk, a file that could not be copied, a
    // damaged database, one of a newer version. The database folder and
    // what "BupTmp" saved are not touched.
    int Stage(const QString& backupFolder);
    // Why Stage refused the backup.
    QString GetRefusal() const { return m_strRefusal; }
    // 1 saved (the current files are copied into "BupTmp" and stay in the
    // database folder); 0 not saved (the database folder is as it was).
    // `copied` (may be empty) hears the bytes copied.
    int SaveCurrent(const CopyTicker& copied = {});
    // 1 when every saved copy could be deleted from "BupTmp".
    int ClearSaved();
    // Moves the staged files into the database folder, each by one rename,
    // the database file first, and removes what the backup lacks. 1 done;
    // 0 when a file could not be moved (RollBack puts the old state back).
    // Needs the backup staged and the current state saved.
    int Replace();
    // 1 when the saved state is back in place; 0 otherwise, also when
    // nothing was saved. What is staged is dropped either way.
    int RollBack();
    // The scratch folder once the state is saved, else empty.
    QString GetSavedFolder() const;

  private:
    int Refuse(const QString& text);

    QString m_strFolder;
    QString m_strScratch;
    QString m_strRefusal;
    bool m_bStaged = false;
    bool m_bSaved = false;
    bool m_bReplacing = false; // files of the folder may have been replaced
    QStringList m_savedFiles;
    QStringList m_savedSlips;
    QStringList m_savedDefaults;
};

// At start, for the current database folder: a restore that was cut off
// after its files were ready is finished (or its roll-back, when it was
// rolling back), one cut off earlier is dropped (the folder was untouched),
// and a database that only "BupTmp" holds because a restore of earlier
// builds was cut off is put back with the other files the folder lacks. A
// restore of this build never leaves the folder without its database: when
// it lacks one all the same, what "BupTmp" holds is the older state before
// a restore, which is not put back (Missing; the user is told where it
// lies). The user is told whenever the folder changed or could not be
// mended.
// InUse: another process holds the database's lock (a restore of its own
// may be running there), so nothing was looked at or changed.
enum class ERestoreRecovery { None, Finished, RolledBack, PutBack, Failed, Missing, InUse };
ERestoreRecovery RecoverInterruptedRestore(const QString& databaseFolder);

// The lines of a backup's "Buinf.sys": true with exactly five lines; false
// for any other count, a file that cannot be read or one that is too large.
bool ReadBackupInfo(const QString& path, QStringList& lines);

// A line of "Buinf.sys" as the information dialog shows it: the item before
// the first "：" and the content after it; a line without one is all content.
void SplitBackupInfoLine(const QString& line, QString& item, QString& content);

// The menu command "使用中のデータベースへの復元": asks, chooses the backup
// folder, shows its identity, releases the database, saves the current
// state, stages the backup and moves it in (rolling back when a file fails)
// and connects again. 1 when the database was restored, else 0.
int RestoreDatabase(IDbSession& session);
