#include "master/MasterModule.h"

#include "app/ViewRegistry.h"
#include "master/EntryDialogs.h"
#include "master/MasterView.h"

void RegisterMasterViews(CViewRegistry& registry)
{
    registry.Register(EViewClass::Master, [](CMainFrame& frame) -> CView* { return new CMasterView(frame); });
    RegisterMasterEntryDialogs(registry);
}
