#include "app/ViewRegistry.h"

#include "app/MainFrame.h"
#include "app/View.h"
#include "app/menu/TollavineView.h"

CViewRegistry& CViewRegistry::Instance()
{
    static CViewRegistry registry;
    return registry;
}

void CViewRegistry::Register(EViewClass viewClass, Creator creator)
{
    if (creator)
        m_creators.insert(int(viewClass), std::move(creator));
    else
        m_creators.remove(int(viewClass));
}

void CViewRegistry::Unregister(EViewClass viewClass)
{
    m_creators.remove(int(viewClass));
}

bool CViewRegistry::IsRegistered(EViewClass viewClass) const
{
    return m_creators.contains(int(viewClass));
}

CView* CViewRegistry::Create(EViewClass viewClass, CMainFrame& frame) const
{
    // The menu screen is the shell's own and cannot be replaced.
    if (viewClass != EViewClass::Menu) {
        const auto it = m_creators.constFind(int(viewClass));
        if (it != m_creators.constEnd()) {
            if (CView* view = it.value()(frame))
                return view;
        }
    }
    return new CTollavineView(frame);
}

void CViewRegistry::RegisterCommand(int id, CommandHandler handler, CommandEnabler enabled)
{
    m_enablers.remove(id);
    if (!handler) {
        m_commands.remove(id);
        return;
    }
    m_commands.insert(id, std::move(handler));
    if (enabled)
        m_enablers.insert(id, std::move(enabled));
}

bool CViewRegistry::IsCommandEnabled(int id, const CMainFrame& frame) const
{
    const auto it = m_enablers.constFind(id);
    return it == m_enablers.constEnd() || it.value()(frame);
}

void CViewRegistry::RegisterOpener(EOpener which, Opener opener)
{
    if (opener)
        m_openers.insert(int(which), std::move(opener));
    else
        m_openers.remove(int(which));
}

bool CViewRegistry::RunOpener(EOpener which, CMainFrame& frame, int arg) const
{
    const auto it = m_openers.constFind(int(which));
    // A copy: the dialog may run long enough for a registration to change.
    const Opener opener = it == m_openers.constEnd() ? Opener() : it.value();
    return opener && opener(frame, arg);
}

bool CViewRegistry::RunOpener(CMainFrame& frame, QWidget* parent, const CReceiptRequest& request) const
{
    const ReceiptOpener opener = m_receiptOpener;
    return opener && opener(frame, parent, request);
}

bool CViewRegistry::RunOpener(CMainFrame& frame, QWidget* parent, CStockChangeRequest& request) const
{
    const StockChangeOpener opener = m_stockChangeOpener;
    return opener && opener(frame, parent, request);
}

CView* CreateView(EViewClass viewClass, CMainFrame& frame)
{
    return CViewRegistry::Instance().Create(viewClass, frame);
}

void SwitchToReportList(CMainFrame& frame, int kind)
{
    const CViewRegistry& registry = CViewRegistry::Instance();
    const bool reportList = GetViewKindInfo(kind).viewClass == EViewClass::Shime;
    if (!reportList || !registry.HasOpener(CViewRegistry::EOpener::ReportList) ||
        !registry.RunOpener(CViewRegistry::EOpener::ReportList, frame, kind))
        frame.SwitchView(kind);
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

void CheckFirstRun(CView* view)
{
    if (auto* menu = qobject_cast<CTollavineView*>(view))
        menu->CheckFirstRun();
}
