#include "app/FrameDbSession.h"

#include "app/MainFrame.h"
#include "app/ViewRegistry.h"
#include "platform/ui/Prompt.h"

#include <QApplication>

int CFrameDbSession::Release()
{
    return m_frame.ReleaseDatabase();
}

int CFrameDbSession::Connect()
{
    return m_frame.ConnectDatabase();
}

void CFrameDbSession::ReloadDatabaseState()
{
    m_frame.LoadSettings();
    m_frame.SetCurrentPeriod();
    if (m_frame.ReloadCalendar() && m_frame.GetViewKind() == 0)
        ResetMenuCalendar(m_frame.GetActiveView());
    m_frame.GetCurrentDatabaseName();
}

void CFrameDbSession::ActivateOtherWindows()
{
    // The program's other windows, and the code-lookup windows of the master lists.
    static const QStringList lookups{QStringLiteral("得意先一覧 参照 - NWCodeTenki"),
                                     QStringLiteral("商品一覧 参照 - NWCodeTenki"),
                                     QStringLiteral("仕入先一覧 参照 - NWCodeTenki")};
    const QString title = ProgramTitle();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window == &m_frame || !window->isVisible())
            continue;
        if (!window->windowTitle().contains(title) && !lookups.contains(window->windowTitle()))
            continue;
        if (window->isMinimized())
            window->showNormal();
        else if (window->isMaximized())
            window->showMaximized();
        else
            window->show();
        window->raise();
        window->activateWindow();
    }
}

CMakeMsgID& CFrameDbSession::GetMakeMsgID()
{
    return m_frame.GetMakeMsgID();
}
