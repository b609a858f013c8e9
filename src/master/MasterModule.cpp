#include "master/MasterModule.h"

#include "master/MasterView.h"
#include "master/PartnerInfoDlg.h"
#include "app/MainFrame.h"
#include "app/ViewRegistry.h"

namespace
{

constexpr int kMenuNewCustomer = 32774;
constexpr int kMenuNewSupplier = 32777;

} // namespace

void RegisterMasterViews(CViewRegistry& registry)
{
    registry.Register(EViewClass::Master, [](CMainFrame& frame) -> CView* { return new CMasterView(frame); });
    // "新規登録" of customers and suppliers on the menu screen.
    registry.RegisterCommand(kMenuNewCustomer, [](CMainFrame& frame) { RunPartnerDialog(2, nullptr, &frame); });
    registry.RegisterCommand(kMenuNewSupplier, [](CMainFrame& frame) { RunPartnerDialog(3, nullptr, &frame); });
}
