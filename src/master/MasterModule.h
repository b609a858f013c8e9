#pragma once

#include <functional>

class CCDSData;
class CMainFrame;
class CViewRegistry;

// Registers the master lists of products, customers and suppliers with the shell.
void RegisterMasterViews(CViewRegistry& registry);

// The file import of the master lists ("外部ﾃﾞｰﾀの読み込み..."), installed by
// the exchange: called with the frame and the list's kind (1-3); 1 when
// records were registered, and the list then reloads. Without a handler the
// command stays disabled.
using MasterImportHandler = std::function<int(CMainFrame& frame, int kind)>;
void SetMasterImportHandler(MasterImportHandler handler);
const MasterImportHandler& GetMasterImportHandler();

// The export of the selected records ("外部ﾃﾞｰﾀの書き出し..."), installed by
// the exchange: called with the list's kind and a copy of the selected
// records in list order; 1 when written (the list then says so). Without a
// handler the command stays disabled.
using MasterExportHandler = std::function<int(CMainFrame& frame, int kind, const CCDSData& records)>;
void SetMasterExportHandler(MasterExportHandler handler);
const MasterExportHandler& GetMasterExportHandler();

// The take-over from a sibling product (commands 1426-1429), installed
// by the exchange: called with the command and the list's kind, which the
// list has already checked; 1 when records were registered. Without a
// handler the commands stay disabled.
using MasterSiblingImportHandler = std::function<int(CMainFrame& frame, int command, int kind)>;
void SetMasterSiblingImportHandler(MasterSiblingImportHandler handler);
const MasterSiblingImportHandler& GetMasterSiblingImportHandler();

// The export of the selected customers to the customer product (33039),
// installed by the exchange: called with the list's kind and a copy of the
// selected records in list order, after the list's own refusal and
// question; 1 when written. Without a handler the command stays disabled.
using MasterSiblingExportHandler = std::function<int(CMainFrame& frame, int kind, const CCDSData& records)>;
void SetMasterSiblingExportHandler(MasterSiblingExportHandler handler);
const MasterSiblingExportHandler& GetMasterSiblingExportHandler();
