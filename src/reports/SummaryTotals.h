#pragma once

#include <QDate>

class CCDSData;
class CMakeMsgID;

// The summary sheet of sales (47) or purchases (48) over the period: one
// record per figure of the period's breakdown ("内訳" its name, "金額" the
// amount), in the order goods, discounts and others by tax flag (exclusive,
// inclusive, non-taxable), the tax lines and the discounts taken on the
// money. Answers as RunReportStatement does; `records` is untouched on a
// failure.
int LoadSummaryTotals(CMakeMsgID& db, bool purchase, const QDate& from, const QDate& to, CCDSData& records);
