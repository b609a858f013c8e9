#pragma once

#include <QDate>
#include <QDateTime>

// A date as the framework stores it: a status and a double of days since
// 1899-12-30 whose fraction is the time of day. Before that day the whole
// part counts back while the fraction still counts forward (-1.25 is
// 1899-12-29 06:00), as the framework defines it.
struct CFrameworkDate {
    enum Status : qint32 { Valid = 0, Invalid = 1, Null = 2 };

    qint32 m_nStatus = Invalid;
    double m_dValue = 0.0;

    // An invalid QDate/QDateTime becomes status Invalid with value 0.
    static CFrameworkDate FromDate(const QDate& date);
    static CFrameworkDate FromDateTime(const QDateTime& dateTime);

    // Any status but Valid, and any value outside years 100..9999 (or not
    // a number), gives the invalid QDate/QDateTime. Times round to the ms.
    QDate ToDate() const;
    QDateTime ToDateTime() const;
};
