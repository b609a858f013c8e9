#pragma once

#include <QString>
#include <QStringList>

class IDbSession;

// Backup of the current database into a folder the user chooses: the
// database file, its settings files, the ".vrh" files of "Files" and the
// ".aut" files of "Other", with "Buinf.sys" naming the backup, while the
// manager has released the database. Modes: 1 the menu command, 2 at exit,
// 3 before a carry-forward.
//
// 1 done; 0 the user cancelled; -1 refused or failed (message shown);
// -10, -20, -100 the same three outcomes when the manager could not connect
// again afterwards.
int BackupDatabase(IDbSession& session, int mode);

// The name of the backup's identity file and of the file in the database
// folder that remembers the last backup folder.
inline constexpr char kBackupInfoFile[] = "Buinf.sys";
inline constexpr char kBackupFolderFile[] = "Budefdir.dat";

// The last backup folder the database folder remembers (empty for none),
// and remembering one: the folder the next backup proposes.
QString ReadProposedFolder(const QString& databaseFolder);
void RememberBackupFolder(const QString& databaseFolder, const QString& folder);

// The five lines of "Buinf.sys" for a backup made now.
QStringList BackupInfoLines(const QString& name, const QString& folder, int mode);
