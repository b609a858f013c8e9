#pragma once

#include <QString>

// Folder helpers of the database dialogs, backup and restore. Paths are
// POSIX paths: the one root is "/", and a valid path is absolute.

// 1 an ordinary path; 2 an ordinary path ending in '/'; 3 the root "/";
// 4 the root with a further final '/' ("//").
int GetPathKind(const QString& path);

// 1 when the path is absolute on an existing root, else 0.
int IsValidPath(const QString& path);

// Makes sure a folder exists. 0 missing (or invalid when not creating);
// 1 exists; 2 created; 3 the user declined the creation (`ask`); 4 invalid
// path or creation failed. Messages are shown here; a failed creation names
// the folder.
int CheckFolder(const QString& folder, bool create, bool ask);

// Creates every missing level of the path (never the root): 1 done or
// nothing missing, 0 failure (a level that is a file, no permission, the
// root itself, a relative path).
int CreateNestedFolder(const QString& path);

// 1 when the folder holds at least one file (sub-folders do not count), of
// the extension when one is given (letter case ignored); the first file's
// full path goes into `firstPath` when given. 0 otherwise.
int FolderHasFiles(const QString& folder, const QString& extension = {}, QString* firstPath = nullptr);

// Where the folder picker of a database dialog opens: the folder typed in
// the dialog when it exists, else the data root's folder for databases
// (made when missing), never the process's working folder.
QString FolderBrowseStart(const QString& typed);

// folder + '/' + name, without doubling the separator after the root.
QString JoinPath(const QString& folder, const QString& name);

// The existing entry of the folder (file, folder or dangling link) whose
// name equals `name` without regard to ASCII letter case; empty when none.
QString FindEntryNoCase(const QString& folder, const QString& name);

// A sub-folder of a database folder ("Files", "Other", "BupTmp"): the
// existing one in any letter case, else folder/name.
QString SubFolder(const QString& folder, const QString& name);
