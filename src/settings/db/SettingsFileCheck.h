#pragma once

#include <QString>

// The settings files of a database folder that the program reads as archives
// (the counters, classifications, entry lists, column sets, sort orders,
// extraction conditions, and the default values of "Other"), each read whole
// as its screen reads it, asking and showing nothing. A file that is not
// there is the factory state and passes. The first one that does not read:
// its name relative to the folder ("NoInfo.dat", "Other/CLOSEDAY.AUT", as
// spelt on disk); empty when every one reads.
QString FindDamagedSettingsFile(const QString& folder);
