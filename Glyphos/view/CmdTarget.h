// Command routing of the editor. A menu item, tool bar button or accelerator
// names a command by its number; the main frame offers it to the active view,
// then its document, its child frame, the main frame and the application, and
// the first target that handles it runs it. The same route decides whether
// the item is enabled or checked: a command that no target handles is shown
// disabled, which is how commands of parts still to come appear.
#pragma once

class CCmdUI {
public:
    explicit CCmdUI(int id) : m_nID(id) {}

    void Enable(bool on = true) { m_enabled = on; }
    void SetCheck(bool on = true) {
        m_checked = on;
        m_checkSet = true;
    }

    int m_nID;
    bool m_enabled = true;
    bool m_checked = false;
    bool m_checkSet = false;
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Runs the command and returns true when this target handles it.
    virtual bool OnCmdMsg(int /*id*/) { return false; }
    // Returns true when this target handles the command, after setting its
    // state (enabled unless told otherwise).
    virtual bool OnUpdateCmdUI(CCmdUI& /*ui*/) { return false; }
};
