#pragma once

#include <QString>
#include <optional>

#include "platform/archive/ArchiveError.h"

// Default-value files (".aut"): one archived text. The file name is matched
// without ASCII letter case in its folder.

// A file that is missing or cannot be opened gives empty text and leaves
// `error` alone; a damaged one gives empty text and sets `error`, for the
// caller to report. `read` tells a file that was read (even an empty
// text) from one that was missing or did not open, whose caller keeps its
// own default.
QString ReadAutFile(const QString& path, std::optional<CArchiveError::Kind>* error, bool* read = nullptr);

// Replaces the file atomically (an existing file of the name in any case).
// Characters without a CP932 form are written as '?' and listed in
// `unmappable` when given.
bool WriteAutFile(const QString& path, const QString& text, QString* unmappable = nullptr);
