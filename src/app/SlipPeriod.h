#pragma once

#include <QDate>
#include <QList>
#include <QString>

// The default period of the slip lists, also used by the frame and the
// report list: the last N months up to a day, N kept per database in
// "Other/PloTerm.aut" (3 when unset).

// 28 to 31 by the Gregorian rules; 0 for a month outside 1-12.
int DaysInMonth(int year, int month);

// The number of months kept in the current database; -1 without a current
// database or a readable file. A text that is no number counts 0 (C rules:
// leading digits); values are held to 0-120.
int ReadPeriodMonths();
// The same for a database folder.
int ReadPeriodMonthsOf(const QString& databaseFolder);

// The first day of the default period that ends on `date`: N months back,
// then the next day (a day beyond that month's end becomes the 1st of the
// month after). A negative N means 3; months above 12 borrow as many years
// as needed.
QDate GetDefaultPeriodStart(const QDate& date);
QDate GetDefaultPeriodStart(const QDate& date, int months);

// Sorts list indexes in descending order in place.
void SortIndexesDescending(QList<int>& indexes);
