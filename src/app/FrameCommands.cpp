#include "app/FrameCommands.h"

CFrameCommands& CFrameCommands::Instance()
{
    static CFrameCommands commands;
    return commands;
}

void CFrameCommands::Register(int id, Handler handler)
{
    for (auto& entry : m_commands)
        if (entry.first == id) {
            entry.second = std::move(handler);
            return;
        }
    m_commands.append({id, std::move(handler)});
}
