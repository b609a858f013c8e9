#include "platform/archive/FrameworkDate.h"

#include <cmath>

namespace
{

const qint64 kEpochJulianDay = 2415019; // 1899-12-30
const double kMinValue = -657434.0;     // 0100-01-01
const double kMaxValue = 2958465.0;     // 9999-12-31 00:00
const qint64 kMsPerDay = 86400000;

// Splits a stored value into its date and time; false when out of range.
bool Split(const CFrameworkDate& stored, QDate& date, QTime& time)
{
    const double v = stored.m_dValue;
    if (stored.m_nStatus != CFrameworkDate::Valid || !std::isfinite(v) || v < kMinValue || v > kMaxValue)
        return false;
    const double whole = std::trunc(v);
    qint64 day = qint64(whole);
    qint64 ms = std::llround(std::fabs(v - whole) * kMsPerDay);
    if (ms >= kMsPerDay) { // rounding carried into the next day
        ms -= kMsPerDay;
        day += 1;
    }
    date = QDate::fromJulianDay(day + kEpochJulianDay);
    time = QTime::fromMSecsSinceStartOfDay(int(ms));
    return true;
}

} // namespace

CFrameworkDate CFrameworkDate::FromDate(const QDate& date)
{
    if (!date.isValid())
        return {};
    return {Valid, double(date.toJulianDay() - kEpochJulianDay)};
}

CFrameworkDate CFrameworkDate::FromDateTime(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return {};
    const double days = double(dateTime.date().toJulianDay() - kEpochJulianDay);
    const double fraction = dateTime.time().msecsSinceStartOfDay() / double(kMsPerDay);
    return {Valid, days < 0 ? days - fraction : days + fraction};
}

QDateTime CFrameworkDate::ToDateTime() const
{
    QDate date;
    QTime time;
    return Split(*this, date, time) ? QDateTime(date, time) : QDateTime();
}

QDate CFrameworkDate::ToDate() const
{
    QDate date;
    QTime time;
    return Split(*this, date, time) ? date : QDate();
}
