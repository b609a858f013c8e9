#pragma once

#include <QDate>
#include <QString>

class CCDSData;
class CMakeMsgID;

// The schedule calendar of the menu screen for the days `from` to `to`
// (both included): one record per day that has something due, in date
// order, with the fields "日付" (the day) and the integers
//  - "締め請求": customers whose closing day is that day (99 = the month's
//    last day) and who have unbilled sales slips dated up to it;
//  - "締め支払": the same for suppliers and their purchase slips;
//  - "入金": open customer closings (Status 0) due to be received that day;
//  - "出金": open supplier closings (Status 0) due to be paid that day.
// `result` is emptied first. Answers 1 (also with no record, and for `from`
// after `to`), 10 with `err` for an invalid date, or what the data access
// answers.
int GetCalendar(CMakeMsgID& db, const QDate& from, const QDate& to, CCDSData& result, QString& err);
