#pragma once

#include <QDate>

class CMainFrame;
class CViewRegistry;

// The menu screen's list commands of the report screen: each asks its
// conditions, writes them into the frame's report parameters and switches
// to its list; Cancel switches nothing.
void RegisterReportListCommands(CViewRegistry& registry);

// The presets of the commands: the month of `today`, or the twelve months
// ending with it.
void MonthPreset(const QDate& today, QDate& from, QDate& to);
void TwelveMonthPreset(const QDate& today, QDate& from, QDate& to);

// No classification: no field, title, filter, grouping or totals-only.
void ClearClassification(CMainFrame& frame);
