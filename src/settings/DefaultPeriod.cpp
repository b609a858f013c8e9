#include "settings/DefaultPeriod.h"

#include "settings/SettingsFiles.h"

namespace DefaultPeriod
{

int ReadPeriodMonths(const QString& dbFolder)
{
    if (dbFolder.isEmpty())
        return -1;
    bool found = false;
    const QString text = ReadDefaultValue(OtherFolder(dbFolder), QStringLiteral("PloTerm.aut"), &found);
    return found ? LeadingInt(text) : -1;
}

QDate GetDefaultPeriodStart(const QDate& date, int months)
{
    if (!date.isValid())
        return QDate();
    if (months < 0)
        months = 3;
    // Counted in whole months so that any N borrows as many years as it needs.
    const int index = date.year() * 12 + (date.month() - 1) - months;
    int year = index / 12;
    int month = index % 12 + 1;
    int day = date.day() + 1;
    if (day > QDate(year, month, 1).daysInMonth()) {
        day = 1;
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    return QDate(year, month, day);
}

QDate GetDefaultPeriodStart(const QDate& date, const QString& dbFolder)
{
    return GetDefaultPeriodStart(date, ReadPeriodMonths(dbFolder));
}

} // namespace DefaultPeriod
