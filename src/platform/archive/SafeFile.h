#pragma once

#include <QByteArray>
#include <QString>

#include "platform/text/TextHelpers.h"

// Writes the bytes to a uniquely named temporary file in the target's
// folder, flushes it to disk and renames it over the target, so a reader
// sees the old file or the new one and a failed write leaves the old file
// untouched (the temporary is removed). An existing target keeps its
// permissions. On failure `error` (when given) gets the system's error
// number, 0 when the target is not a plain file.
bool AtomicWriteFile(const QString& path, const QByteArray& bytes, int* error = nullptr);

// Why a write failed, for the user, by the error number of AtomicWriteFile:
// a full disk and a missing right by name, anything else as what to check.
QString WriteFailureReason(int error);

// Renames a finished file over the target in one step, so a reader sees the
// old target or the whole new file, and makes the rename durable. False when
// it cannot be done (another file system, a folder in the way); both are
// then as they were.
bool ReplaceFileByRename(const QString& source, const QString& target);

// Flushes a folder's entries (files made or renamed in it) to disk.
void SyncFolderEntries(const QString& folder);

// Full path of an existing file in the folder whose name equals `name`
// ignoring ASCII letter case (an exact match wins); empty when none.
QString FindFileNoCase(const QString& folder, const QString& name);

// The existing file of that name in any case, else folder/name: writing
// there replaces "CLOSEDAY.AUT" even when it is stored as "CloseDay.aut".
QString ResolveForWrite(const QString& folder, const QString& name);

bool AtomicWriteFileNoCase(const QString& folder, const QString& name, const QByteArray& bytes,
                           int* error = nullptr);
