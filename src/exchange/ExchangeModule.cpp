#include "exchange/ExchangeModule.h"

#include "app/ExchangePorts.h"
#include "app/MainFrame.h"
#include "exchange/ListExport.h"
#include "exchange/MasterImport.h"
#include "resources/CommandIds.h"

void RegisterExchangeCommands()
{
    SetMasterImportHandler([](CMainFrame& frame, const CMasterKind& kind) {
        CMasterImport import(kind);
        import.SetMakeMsgID(&frame.GetMakeMsgID());
        return import.ImportFromFile();
    });
    SetMasterSiblingImportHandler([](CMainFrame& frame, int command, const CMasterKind& kind) {
        CMasterImport import(kind);
        import.SetMakeMsgID(&frame.GetMakeMsgID());
        CCDSData records;
        switch (command) {
        case ID_IMPORT_BRENLO:
            return import.ImportFromBrenlo(&records);
        case ID_IMPORT_CADMIR:
            return import.ImportFromCadmir(&records);
        case ID_IMPORT_TOSKEL:
            return import.ImportFromToskel(&records);
        case ID_IMPORT_VELMIRA:
            return import.ImportFromQRT(&records);
        default:
            return 2;
        }
    });
    SetReportExportHandler(
        [](int mode, const CQXColSet& columns, const CCDSData& records, int askFormatAndFile) {
            CListExport exporter = CListExport::ForReportList(mode);
            exporter.m_colSet = columns;
            return exporter.Export(&records, askFormatAndFile, askFormatAndFile, 0);
        });
    SetMasterExportHandler([](CMainFrame&, const CMasterKind& kind, const CCDSData& records) {
        CListExport exporter(kind);
        return exporter.Export(&records, 1, 1, 1);
    });
    SetMasterSiblingExportHandler([](CMainFrame&, const CMasterKind& kind, const CCDSData& records) {
        CListExport exporter(kind);
        return exporter.ExportToQRT(&records);
    });
}
