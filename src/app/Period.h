#pragma once

#include <QDate>
#include <QString>

class CCDSData;
class CDBDirMng;
class CMakeMsgID;

// The schedule calendar's period: from `startDays` before today to the day
// before the same day of the next month, or to the next month's last day
// when that month has no such day (31 January → the end of February).
struct CCurrentPeriod {
    QDate m_start;
    QDate m_end;
};
CCurrentPeriod ComputeCurrentPeriod(const QDate& today, int startDays);

// Empties `calendar` and loads the calendar data of the period into it.
// Only the data access's success counts as success; `err` says why not.
// While the file's steps are pending, it reads under the wait dialog on a
// thread of its own; `stopped` (may be null) tells whether the user ended
// that read with 中止, which leaves the calendar empty and fails.
bool ReloadCalendar(CMakeMsgID& db, const QDate& from, const QDate& to, CCDSData& calendar, QString& err,
                    bool* stopped = nullptr);

// The current database's name from the register; false (name untouched)
// when no database with a folder is current.
bool GetCurrentDatabaseName(const CDBDirMng& databases, QString& name);

// The date of the previous carry-forward (table "Util"); a null date when
// there was none. A failed read shows "前回の繰越日の取得に失敗しました。" and
// gives a null date.
QDate GetLastCarryForwardDate(CMakeMsgID& db);
