#include "exchange/ExchangeModule.h"

#include "app/MainFrame.h"
#include "exchange/ListExport.h"
#include "exchange/MasterImport.h"
#include "master/MasterModule.h"

void RegisterExchangeCommands()
{
    SetMasterImportHandler([](CMainFrame& frame, int kind) {
        CMasterImport import(kind);
        import.SetMakeMsgID(&frame.GetMakeMsgID());
        return import.ImportFromFile();
    });
    SetMasterExportHandler([](CMainFrame&, int kind, const CCDSData& records) {
        CListExport exporter(kind);
        return exporter.Export(&records, 1, 1, 1);
    });
}
