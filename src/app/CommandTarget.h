#pragma once

#include <QHash>

#include <functional>

// The state a command's update handler sets: enabled and checked.
struct CCmdUI {
    bool enabled = true;
    bool checked = false;
    void Enable(bool on = true) { enabled = on; }
    void SetCheck(bool on = true) { checked = on; }
};

// A receiver of commands by numeric id. Commands go to the active view first,
// then the frame, then the application; the first target that answers true
// has handled the command (or set its state). A command that no target of
// the route has a handler for is shown disabled.
class CCommandTarget
{
  public:
    virtual ~CCommandTarget() = default;
    // Runs the mapped handler of the command; false when there is none.
    virtual bool OnCmdMsg(int id);
    virtual bool OnUpdateCmdUI(int /*id*/, CCmdUI& /*ui*/) { return false; }
    // Whether OnCmdMsg would handle the command. A target that handles
    // commands outside its map answers for those too.
    virtual bool HasCommandHandler(int id) const { return m_commandMap.contains(id); }

  protected:
    void MapCommand(int id, std::function<void()> handler) { m_commandMap.insert(id, std::move(handler)); }

  private:
    QHash<int, std::function<void()>> m_commandMap;
};

inline bool CCommandTarget::OnCmdMsg(int id)
{
    const auto it = m_commandMap.constFind(id);
    if (it == m_commandMap.constEnd())
        return false;
    // A copy: the handler may remap or destroy its target's map entries.
    const std::function<void()> handler = it.value();
    handler();
    return true;
}
