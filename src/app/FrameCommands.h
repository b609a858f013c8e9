#pragma once

#include <QList>
#include <QPair>

#include <functional>

class CMainFrame;

// Commands of the frame that a subsystem provides (the closing options of
// the menu screen, the carry-forward): each subsystem registers them before
// the frame is created, and the frame maps them, so the shell names no
// subsystem.
class CFrameCommands {
public:
    using Handler = std::function<void(CMainFrame& frame)>;

    static CFrameCommands& Instance();

    // A later registration of an id replaces the earlier one.
    void Register(int id, Handler handler);
    const QList<QPair<int, Handler>>& Commands() const { return m_commands; }

private:
    QList<QPair<int, Handler>> m_commands;
};
