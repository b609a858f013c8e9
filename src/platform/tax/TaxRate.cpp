#include "platform/tax/TaxRate.h"

#include <QDate>

namespace
{

struct CRateStep {
    int year, month, day;
    int percent;
};

// Each rate holds from its first day until the next step.
constexpr CRateStep kSteps[] = {
    {1989, 4, 1, 3},
    {1997, 4, 1, 5},
    {2014, 4, 1, 8},
    {2019, 10, 1, 10},
};

} // namespace

int GetTaxRate(int year, int month, int day, int kind, qint64* value, int* scale)
{
    const QDate date(year, month, day);
    if (!date.isValid() || kind != TaxRate::kConsumptionTax || !value || !scale)
        return 0;
    int percent = 0;
    for (const CRateStep& s : kSteps) {
        if (date >= QDate(s.year, s.month, s.day))
            percent = s.percent;
    }
    *value = percent;
    *scale = 0;
    return 1;
}
