#include "app/ViewRegistry.h"
#include "exchange/ExchangeModule.h"
#include "master/MasterModule.h"
#include "reports/ReportsModule.h"
#include "slips/SlipsModule.h"

// The shell's tests run the frame as the program does: with every
// subsystem's screens registered before any frame is made.
namespace
{
const bool g_registered = [] {
    CViewRegistry& views = CViewRegistry::Instance();
    RegisterMasterViews(views);
    RegisterSlipViews(views);
    RegisterReportViews(views);
    RegisterExchangeCommands();
    return true;
}();
} // namespace
