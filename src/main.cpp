#include "app/Application.h"
#include "app/ViewRegistry.h"
#include "exchange/ExchangeModule.h"
#include "master/MasterModule.h"
#include "reports/ReportsModule.h"
#include "slips/SlipsModule.h"

// The one place that knows every subsystem: each plugs its screens into the
// shell before the application starts.
int main(int argc, char* argv[])
{
    CViewRegistry& views = CViewRegistry::Instance();
    RegisterMasterViews(views);
    RegisterSlipViews(views);
    RegisterReportViews(views);
    RegisterExchangeCommands();
    return RunApplication(argc, argv);
}
