#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// The column widths of the report lists per list mode, as kept in
// "QXDispColSet2.dat" of the database folder: the framework's archive of a
// map from 16-bit modes to arrays of 32-bit widths.
using CColumnWidthMap = QMap<quint16, QList<quint32>>;

inline constexpr char kColumnWidthFileName[] = "QXDispColSet2.dat";

QByteArray WriteColumnWidthMap(const CColumnWidthMap& map);
// Reads the entries into `map` (a later entry of a mode wins). False for
// damaged bytes; the entries read before the damage stay.
bool ReadColumnWidthMap(const QByteArray& bytes, CColumnWidthMap& map);

// The file of a database folder into `map`: 1 read, 0 missing or not
// readable (silently), -1 damaged ("ファイル操作中にエラーが発生しました" shown).
int LoadColumnWidthFile(const QString& folder, CColumnWidthMap& map);
// Writes the whole map, replacing the file atomically; false, silently,
// when it cannot be written. Nothing happens without a folder.
bool SaveColumnWidthFile(const QString& folder, const CColumnWidthMap& map);
