#pragma once

#include <QDate>

class CViewRegistry;

// The menu screen's list commands of the report screen: each asks its
// conditions and switches to its list with them; Cancel switches nothing.
void RegisterReportListCommands(CViewRegistry& registry);

// The presets of the commands: the month of `today`, or the twelve months
// ending with it.
void MonthPreset(const QDate& today, QDate& from, QDate& to);
void TwelveMonthPreset(const QDate& today, QDate& from, QDate& to);
