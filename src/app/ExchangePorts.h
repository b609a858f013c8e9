#pragma once

#include <functional>

class CCDSData;
class CMainFrame;
class CQXColSet;
struct CMasterKind;

// The ports through which the master and report lists reach the import and
// export: the exchange installs the handlers, the lists call them. Each
// starts empty, and a list keeps the commands of an empty one disabled.

// The file import of the master lists ("外部ﾃﾞｰﾀの読み込み..."): called
// with the frame and the list's ledger; 1 when records were registered, and
// the list then reloads.
using MasterImportHandler = std::function<int(CMainFrame& frame, const CMasterKind& kind)>;
void SetMasterImportHandler(MasterImportHandler handler);
const MasterImportHandler& GetMasterImportHandler();

// The export of the selected records ("外部ﾃﾞｰﾀの書き出し..."): called with
// the list's ledger and a copy of the selected records in list order; 1 when
// written (the list then says so).
using MasterExportHandler =
    std::function<int(CMainFrame& frame, const CMasterKind& kind, const CCDSData& records)>;
void SetMasterExportHandler(MasterExportHandler handler);
const MasterExportHandler& GetMasterExportHandler();

// The take-over from a sibling product (commands 1426-1429): called with
// the command and the list's ledger, which the list has already checked; 1
// when records were registered.
using MasterSiblingImportHandler =
    std::function<int(CMainFrame& frame, int command, const CMasterKind& kind)>;
void SetMasterSiblingImportHandler(MasterSiblingImportHandler handler);
const MasterSiblingImportHandler& GetMasterSiblingImportHandler();

// The export of the selected customers to the customer product (33039):
// called with the list's ledger and a copy of the selected records in list
// order, after the list's own refusal and question; 1 when written.
using MasterSiblingExportHandler =
    std::function<int(CMainFrame& frame, const CMasterKind& kind, const CCDSData& records)>;
void SetMasterSiblingExportHandler(MasterSiblingExportHandler handler);
const MasterSiblingExportHandler& GetMasterSiblingExportHandler();

// The export of a report list ("Excelへの書き出し" asks nothing and leaves the
// workbook open on screen; "外部データへの書き出し..." asks the format and the
// file): called with the list mode, the list's columns and records; 1 when
// written.
using ReportExportHandler =
    std::function<int(int mode, const CQXColSet& columns, const CCDSData& records, int askFormatAndFile)>;
void SetReportExportHandler(ReportExportHandler handler);
const ReportExportHandler& GetReportExportHandler();
