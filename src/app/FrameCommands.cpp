#include "app/FrameCommands.h"

CFrameCommands& CFrameCommands::Instance()
{
    static CFrameCommands commands;
    return commands;
}

void CFrameCommands::Register(int id, Handler handler, Enabler enabled)
{
    if (enabled)
        m_enablers.insert(id, std::move(enabled));
    else
        m_enablers.remove(id);
    for (auto& entry : m_commands)
        if (entry.first == id) {
            entry.second = std::move(handler);
            return;
        }
    m_commands.append({id, std::move(handler)});
}

bool CFrameCommands::IsEnabled(int id, const CMainFrame& frame) const
{
    const auto it = m_enablers.constFind(id);
    return it == m_enablers.cend() || (*it)(frame);
}

bool CFrameCommands::IsRegistered(int id) const
{
    for (const auto& entry : m_commands)
        if (entry.first == id)
            return true;
    return false;
}
