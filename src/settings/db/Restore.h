#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class IDbSession;

// The points a restore passes, in order. A restore cut off at any of them
// (a power cut, a killed process) leaves a database folder whose database
// opens, the old one or the restored one, and the next start finishes or
// drops what it left (RecoverInterruptedRestore).
enum class ERestoreStep {
    SavedCurrent,   // the current files copied into "BupTmp"
    StagedDatabase, // the backup's database file copied beside the database
    StagedAll,      // every file of the backup copied beside the database
    CheckedStaged,  // the copied database opened, its journal played back
    MarkedReady,    // the list of the files to move in written
    ReplacedFile,   // one file moved over its old one (the database first)
    Pruned,         // the files the new state lacks removed
};

// Called at each step; tests cut a restore off there by throwing.
using RestoreStepHook = std::function<void(ERestoreStep)>;
// Installs the hook (an empty one: nothing is called); answers the one before.
RestoreStepHook SetRestoreStepHook(RestoreStepHook hook);

// The transaction of a restore over one database folder. The current files
// are copied into its scratch folder "BupTmp" first, so that a restore that
// fails half-way can put them back; they stay there after a successful
// restore until the next one. The backup is copied beside the database and
// checked before anything of the folder changes, then each file is renamed
// over its old one, so the folder never lacks a database that opens.
class CRestoreFileSet
{
  public:
    explicit CRestoreFileSet(const QString& databaseFolder);

    // 1 saved (the current files are copied into "BupTmp" and stay in the
    // database folder); 0 not saved (the database folder is as it was).
    int SaveCurrent();
    // 1 when every saved copy could be deleted from "BupTmp".
    int ClearSaved();
    // Copies the backup's files into a staging folder of "BupTmp" and opens
    // the copied database (playing back a journal that came with it): 1 when
    // the whole backup is there and its database opens. The database folder
    // is not touched.
    int Stage(const QString& backupFolder);
    // Moves the staged files into the database folder, each by one rename,
    // the database file first, and removes what the backup lacks. 1 done;
    // 0 when a file could not be moved (RollBack puts the old state back).
    int Replace();
    // 1 when the saved state is back in place; 0 otherwise, also when
    // nothing was saved.
    int RollBack();
    // The scratch folder once the state is saved, else empty.
    QString GetSavedFolder() const;

  private:
    QString m_strFolder;
    QString m_strScratch;
    bool m_bSaved = false;
    bool m_bReplacing = false; // files of the folder may have been replaced
    QStringList m_savedFiles;
    QStringList m_savedSlips;
    QStringList m_savedDefaults;
};

// At start, for the current database folder: a restore that was cut off
// after its files were ready is finished (or its roll-back, when it was
// rolling back), one cut off earlier is dropped (the folder was untouched),
// and a database that only "BupTmp" holds (as a restore of earlier builds
// could leave it) is put back with the other files the folder lacks. The
// user is told whenever the folder changed or could not be mended.
enum class ERestoreRecovery { None, Finished, RolledBack, PutBack, Failed };
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
