#include "app/SlipPeriod.h"

#include "platform/archive/AutFile.h"
#include "platform/env/DBDirMng.h"

#include <algorithm>
#include <functional>

int DaysInMonth(int year, int month)
{
    switch (month) {
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 2:
        return ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) ? 29 : 28;
    default:
        return month >= 1 && month <= 12 ? 31 : 0;
    }
}

namespace
{

// strtol's reading: blanks, a sign, then the leading digits.
int LeadingInteger(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\r' || text[i] == u'\n'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    qint64 value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && value < 100000)
        value = value * 10 + (text[i++].unicode() - u'0');
    return int(negative ? -value : value);
}

} // namespace

int ReadPeriodMonthsOf(const QString& databaseFolder)
{
    if (databaseFolder.isEmpty())
        return -1;
    bool read = false;
    std::optional<CArchiveError::Kind> error;
    const QString text = ReadAutFile(databaseFolder + QStringLiteral("/Other/PloTerm.aut"), &error, &read);
    if (!read)
        return -1;
    return std::clamp(LeadingInteger(text), 0, 120);
}

int ReadPeriodMonths()
{
    QString name, folder;
    CDBDirMng().GetNowDB(name, folder);
    return ReadPeriodMonthsOf(folder);
}

QDate GetDefaultPeriodStart(const QDate& date, int months)
{
    if (!date.isValid())
        return {};
    if (months < 0)
        months = 3;
    months = std::min(months, 120);
    const int total = date.year() * 12 + (date.month() - 1) - months;
    int year = total / 12;
    int month = total % 12 + 1;
    int day = date.day() + 1;
    if (day > DaysInMonth(year, month)) {
        day = 1;
        if (++month == 13) {
            month = 1;
            ++year;
        }
    }
    return QDate(year, month, day);
}

QDate GetDefaultPeriodStart(const QDate& date)
{
    return GetDefaultPeriodStart(date, ReadPeriodMonths());
}

void SortIndexesDescending(QList<int>& indexes)
{
    std::sort(indexes.begin(), indexes.end(), std::greater<int>());
}
