#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The files that make up a database folder, and the copy and delete helpers
// that database copy, backup and restore share. Names inside a database
// folder match without regard to ASCII letter case: a source is found in
// any case and a copy replaces the target whatever its case.

inline constexpr char kDbFilesFolder[] = "Files"; // ".vrh" slip files
inline constexpr char kDbOtherFolder[] = "Other"; // ".aut" default values
inline constexpr char kDbScratchFolder[] = "BupTmp";
// In "BupTmp": the files of a restore on their way into the database folder.
inline constexpr char kDbStagingFolder[] = "Restore";
inline constexpr char kSlipFileExt[] = "vrh";
inline constexpr char kDefaultFileExt[] = "aut";
inline constexpr char kFirstRunMarker[] = "FTtemp.dat";

// The eighteen files beside "Files" and "Other", the database file first.
void GetDbSettingFiles(QStringList& files);

// Copies each named file that exists in `from` to `to`, in every letter
// case it exists in; a name that is missing is skipped, one that exists but
// cannot be copied (a folder, an unreadable file, a full disk) counts.
// Sources whose names differ only in case stay two files in `to`. Each copy
// is written to a temporary file, synced and renamed over the target, so a
// target is the old file or the whole new one. The copy keeps the source's
// permissions; with `clearReadOnly` it is writable by its owner afterwards.
// Answers the number of files that failed. `copied` (may be empty) hears
// the bytes of each block written; false stops the copy there: the file on
// its way is dropped (its target untouched) and it and the rest count as
// failed.
using CopyTicker = std::function<bool(qint64 bytes)>;
int CopyFileList(const QString& from, const QString& to, const QStringList& names, bool failIfExists,
                 bool clearReadOnly, const CopyTicker& copied = {});

// The same for every file of `from` with the extension (all files when it is
// empty); sub-folders are not copied.
int CopyFolderFiles(const QString& from, const QString& to, const QString& extension, bool failIfExists,
                    bool clearReadOnly, const CopyTicker& copied = {});

// True when both paths name the same folder, as typed or through links,
// without regard to letter case.
bool IsSameFolder(const QString& a, const QString& b);

// How many of the names exist as files in the folder.
int CountExistingFiles(const QString& folder, const QStringList& names);

// Deletes every file of the folder with the extension (all when empty);
// answers the number that could not be deleted.
int DeleteFolderFiles(const QString& folder, const QString& extension = {});

// Deletes the named files (in every letter case) from the folder; answers
// the number that could not be deleted.
int DeleteFileList(const QString& folder, const QStringList& names);

// The database file of a closed database must stand alone before it is
// copied: a journal left beside it by a crash is rolled back into it, and a
// journal that is not needed is removed. True when no journal remains.
bool SettleDatabaseFile(const QString& folder);

// The folder's database settled as above and opening as a database of this
// program: true when it can be copied, backed up or connected.
bool CheckDatabaseFile(const QString& folder);

// Removes a journal beside the database file, which would otherwise be
// played into a database that replaced the one it belongs to. True when
// none remains.
bool RemoveDatabaseJournal(const QString& folder);
