#include "slips/SlipsModule.h"

#include "slips/HeaderView.h"
#include "app/ViewRegistry.h"

void RegisterSlipViews(CViewRegistry& registry)
{
    registry.Register(EViewClass::Header, [](CMainFrame& frame) -> CView* { return new CHeaderView(frame); });
}
