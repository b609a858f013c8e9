#pragma once

#include <QDate>
#include <QDateTime>

// "Today" for every rule that depends on it, so tests can fix the date.
class IClock
{
  public:
    virtual ~IClock() = default;
    virtual QDate Today() const = 0;
    virtual QDateTime Now() const = 0;
};

// The local system clock.
class CSystemClock : public IClock
{
  public:
    QDate Today() const override { return QDate::currentDate(); }
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};
