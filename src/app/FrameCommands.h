#pragma once

#include <QHash>
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
    // Whether the command is available now; none means always.
    using Enabler = std::function<bool(const CMainFrame& frame)>;

    static CFrameCommands& Instance();

    // A later registration of an id replaces the earlier one.
    void Register(int id, Handler handler, Enabler enabled = {});
    const QList<QPair<int, Handler>>& Commands() const { return m_commands; }
    // False when the command is registered and not available now.
    bool IsEnabled(int id, const CMainFrame& frame) const;
    bool IsRegistered(int id) const;

private:
    QList<QPair<int, Handler>> m_commands;
    QHash<int, Enabler> m_enablers;
};
