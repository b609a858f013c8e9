#pragma once

#include <QDate>
#include <QString>

// The default period of the slip lists and of the report lists that open on
// it: from N months before a date, plus one day, up to that date. N is kept
// per database in "PloTerm.aut" of the "Other" folder.
namespace DefaultPeriod
{

// N of the database folder; -1 when no folder is given or the file is
// missing or unreadable.
int ReadPeriodMonths(const QString& dbFolder);

// The first day of the period ending on `date`, N months back (a negative N
// means 3). A day past the start month's end rolls to the 1st of the next.
QDate GetDefaultPeriodStart(const QDate& date, int months);
QDate GetDefaultPeriodStart(const QDate& date, const QString& dbFolder);

} // namespace DefaultPeriod
