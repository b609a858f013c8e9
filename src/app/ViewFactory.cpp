#include "app/MainFrame.h"
#include "app/View.h"
#include "app/ViewKinds.h"
#include "app/menu/TollavineView.h"
#include "master/MasterView.h"
#include "reports/ShimeView.h"
#include "slips/HeaderView.h"

CView* CreateView(EViewClass viewClass, CMainFrame& frame)
{
    switch (viewClass) {
    case EViewClass::Master: return new CMasterView(frame);
    case EViewClass::Header: return new CHeaderView(frame);
    case EViewClass::Shime: return new CShimeView(frame);
    case EViewClass::Menu: break;
    }
    return new CTollavineView(frame);
}

void ShowMenuScreen(CView* view)
{
    if (auto* menu = qobject_cast<CTollavineView*>(view))
        menu->ShowMenuScreen();
}

void ResetMenuCalendar(CView* view)
{
    if (auto* menu = qobject_cast<CTollavineView*>(view))
        menu->SetScroll();
}
