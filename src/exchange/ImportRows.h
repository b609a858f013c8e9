#pragma once

#include <QList>
#include <QStringList>

// The import row table every reader fills: row 0 is the header (cell 0
// empty, then the column titles); each later row starts with its label (the
// reader's row number) followed by its values.
using CImportRows = QList<QStringList>;
