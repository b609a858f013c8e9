#pragma once

// The state a command's update handler sets: enabled and checked.
struct CCmdUI {
    bool enabled = true;
    bool checked = false;
    void Enable(bool on = true) { enabled = on; }
    void SetCheck(bool on = true) { checked = on; }
};

// A receiver of commands by numeric id. Commands go to the active view first,
// then the frame, then the application; the first target that answers true
// has handled the command (or set its state).
class CCommandTarget {
public:
    virtual ~CCommandTarget() = default;
    virtual bool OnCmdMsg(int /*id*/) { return false; }
    virtual bool OnUpdateCmdUI(int /*id*/, CCmdUI& /*ui*/) { return false; }
};
