#pragma once
// One plug-in call at a time in the whole process.  Plug-ins were written
// for one caller: the tray's host and the host that makes previews ahead on
// a thread of its own may load the same library, so every operation that
// runs plug-in code holds this lock.  Recursive; a box is never shown while
// it is held by the thread that makes previews ahead.
namespace plugin_call_lock {
void Enter();
void Leave();
}  // namespace plugin_call_lock

class PluginCallScope {
public:
    PluginCallScope() { plugin_call_lock::Enter(); }
    ~PluginCallScope() { Release(); }
    PluginCallScope(const PluginCallScope&) = delete;
    PluginCallScope& operator=(const PluginCallScope&) = delete;
    void Release() {
        if (m_held) plugin_call_lock::Leave();
        m_held = false;
    }

private:
    bool m_held = true;
};
