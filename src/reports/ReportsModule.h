#pragma once

#include <functional>

class CCDSData;
class CQXColSet;
class CViewRegistry;

// Registers the report lists with the shell.
void RegisterReportViews(CViewRegistry& registry);

// The export of a report list ("Excelへの書き出し" asks nothing and leaves the
// workbook open on screen; "外部データへの書き出し..." asks the format and the
// file), installed by the exchange: called with the list mode, the list's
// columns and records; 1 when written. Without a handler both commands stay
// disabled.
using ReportExportHandler =
    std::function<int(int mode, const CQXColSet& columns, const CCDSData& records, int askFormatAndFile)>;
void SetReportExportHandler(ReportExportHandler handler);
const ReportExportHandler& GetReportExportHandler();
