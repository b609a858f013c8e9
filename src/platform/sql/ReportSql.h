#pragma once

#include "platform/data/TradeSide.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// What the report statements share: the tables of a side, the period bounds,
// the classification filter, the one-time partner rule, the month labels and
// the sums of what each closing billed. Every builder is a plain function:
// arguments in, one SQLite statement out; nothing is read from the database.
// Money stays integer ten-thousandths all the way through (no REAL).

// The one-time (walk-in) partner's code: one full-width blank.
inline constexpr char ONE_TIME_CODE[] = "　";

// An identifier in double quotes ("No", "前回請求額").
QString SqlName(const char* name);

// The exclusive upper bound of a day: SqlDate(date + 1 day).
QString SqlDayAfter(const QDate& date);

// "<column> >= 'from' AND <column> < 'to + 1 day'" for the ends given (null
// dates are open ends); empty when neither is given.
QString SqlPeriod(const QString& column, const QDate& from, const QDate& to);

// iif(<code> = '　'[ AND <also>], <slipValue>, <masterValue>): names and
// addresses of the one-time partner come from its slips, everybody else's
// from the master.
QString SqlOneTime(const QString& codeColumn, const QString& slipValue, const QString& masterValue,
                   const QString& also = QString());

// The classification filter of a master list. An empty field or an empty
// value list filters nothing; a field other than Class1..Class5 is refused
// (the builder then returns no statement, as the name goes into the SQL).
struct ClassFilter {
    bool valid = true;
    QString field; // "Class1".."Class5", empty without a field
    QStringList values;

    // "<prefix>"ClassN" IN ('a','b')", or empty when nothing is filtered.
    // Any number of values works (no chain of OR terms).
    QString Condition(const QString& prefix) const;
    // "<prefix>"ClassN"", or empty without a field.
    QString Column(const QString& prefix) const;
};
ClassFilter MakeClassFilter(const QString& field, const QStringList& values);

// " WHERE <condition>", or nothing for an empty condition.
QString SqlWhere(const QString& condition);

// Every staff member named on a slip of the side (MyPerson), one row each
// in the order of the names without regard to case, spelled as on the
// earliest slip. A statement of its own (WITH ... SELECT).
QString SqlStaff(const CTradeSide& t);

// Twelve labels "year/month" (no leading zeros) from the start month of the
// year, wrapping into the next year; `years` and `months` (when given)
// receive each label's year and month. 0 (nothing filled) when the start
// month is outside 1..12, else 1.
int MakeMonthLabels(int year, int startMonth, QStringList& labels, QList<int>* years = nullptr,
                    QList<int>* months = nullptr);

// Which of the twelve months from `first` (the 1st of a month) the date
// column falls in: 1..12, 0 before them, 13 after; by comparisons of the
// stored day alone, so nothing is computed per row beyond them.
QString SqlMonthIndex(const QString& column, const QDate& first);

// The past sums behind the carried-over balances. "Past" is what a partner
// was billed and paid through earlier closings: its booked balance (kept by
// the triggers) less what its slips billed and the Amount of its money booked
// to its closings from the one in question on (joined by SeikyuID, never
// summed per row). A slip or receipt counts for its own partner and for the
// closing it is booked to, whatever its date: both generators use this one
// definition, so the closing row, the billed lists, the reprint and the
// schedules agree even about a slip re-dated or given to another partner
// after its closing.

// One row per closing record matching `closings` (a condition on the closing
// table's bare column names, "Status = 0"; empty for every closing): every
// column of the record, then
//   SlipTotal, SlipAmount, SlipTax  what its slips billed, their Amount and tax,
//   SlipCount                       its slips of DenpyoType 0,
//   FirstSlipID                     its lowest slip ID (names of a one-time partner),
//   Booked                          the money booked to it,
//   PastBalance                     what the slips billed less the money over the
//                                   partner's earlier closings: dated before
//                                   it, or on its date with a lower ID.
QString ClosingSumsSql(const CTradeSide& t, const QString& closings);

// One row per partner code given by the sub-select `partners` (its first
// column): PastBalance, what the slips billed less the money over the
// partner's closings dated before `bound`.
QString PastSumsSql(const CTradeSide& t, const QString& partners, const QDate& bound);
