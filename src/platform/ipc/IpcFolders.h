#pragma once

#include <QString>

// Where the inter-process pieces keep their files. The user's folder (locks
// of one user, the data-changed socket) is private to the user; the shared
// folder holds the locks every user of the computer sees.
namespace IpcFolders
{

// $XDG_RUNTIME_DIR/corvanta, else /tmp/corvanta-<uid>; made 0700 when
// missing. Empty when it cannot be made or is not the user's own private
// folder (a folder someone else placed there is never trusted).
QString UserFolder(bool create = true);

// /tmp/corvanta-locks, made 1777 when missing so every user can add lock
// files. Empty when it cannot be made or is not a real folder.
QString SharedFolder(bool create = true);

// Tests place both folders elsewhere; empty texts restore the defaults.
void OverrideFolders(const QString& userFolder, const QString& sharedFolder);

} // namespace IpcFolders
