#pragma once

#include "platform/data/TradeSide.h"

#include <QString>
#include <QStringList>

// Twelve months side by side from the start month of the year: the key
// columns, 通期計 (the twelve months' sum), the classification field when
// given, then one column per month named by its label ("2004/4"), each 0
// without lines. Lines count by their own Date; lines outside the twelve
// months add nothing. Empty when the start month is not 1..12 or the field
// is not Class1..Class5. Side 0 sales, 1 purchases.

// By customer (supplier): tax-exclusive amounts of every line but kind 3.
QString MakePartnerTransitionSQL(const CTradeSide& side, int year, int startMonth, const QString& classField,
                                 const QStringList& classValues);
// By product: tax-exclusive amounts of goods and discount lines.
QString MakeItemAmountTransitionSQL(const CTradeSide& side, int year, int startMonth,
                                    const QString& classField, const QStringList& classValues);
// By product: quantities of goods lines.
QString MakeItemQuantityTransitionSQL(const CTradeSide& side, int year, int startMonth,
                                      const QString& classField, const QStringList& classValues);
// By staff member named on the slips: as by partner.
QString MakeStaffTransitionSQL(const CTradeSide& side, int year, int startMonth);
