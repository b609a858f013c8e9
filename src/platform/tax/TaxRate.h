#pragma once

#include <QtGlobal>

// Consumption-tax rate of a date, in percent.
namespace TaxRate
{
// The only kind the program asks for: the standard consumption-tax rate.
constexpr int kConsumptionTax = 1;
} // namespace TaxRate

// Rate of `kind` on the given day: 1 with the rate in percent as value and
// decimal scale; 0 for an invalid date, an unknown kind or a null pointer.
int GetTaxRate(int year, int month, int day, int kind, qint64* value, int* scale);
