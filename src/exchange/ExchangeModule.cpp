#include "exchange/ExchangeModule.h"

#include "app/MainFrame.h"
#include "exchange/MasterImport.h"
#include "master/MasterModule.h"

void RegisterExchangeCommands()
{
    SetMasterImportHandler([](CMainFrame& frame, int kind) {
        CMasterImport import(kind);
        import.SetMakeMsgID(&frame.GetMakeMsgID());
        return import.ImportFromFile();
    });
}
