#include "master/MasterModule.h"

#include "master/EntryDialogs.h"
#include "master/MasterView.h"
#include "app/ViewRegistry.h"

void RegisterMasterViews(CViewRegistry& registry)
{
    registry.Register(EViewClass::Master, [](CMainFrame& frame) -> CView* { return new CMasterView(frame); });
    RegisterMasterEntryDialogs(registry);
}
