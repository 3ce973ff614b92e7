#pragma once
// Work that runs a message loop before it returns (a message box, a dialog,
// a popup menu, a decode that may report an error) must not have what it
// uses freed or re-entered by a message that loop delivers.  The owner of
// that state counts the work in progress, turns such requests away or holds
// them back while the count is not zero, and carries them out when it is.
#include <functional>
#include <utility>

class WorkInProgress {
public:
    bool busy() const { return m_depth > 0; }
    // Called each time the last piece of work has returned.
    void SetOnIdle(std::function<void()> onIdle) { m_onIdle = std::move(onIdle); }
    void Enter() { ++m_depth; }
    void Leave() {
        if (m_depth > 0 && --m_depth == 0 && m_onIdle) m_onIdle();
    }

private:
    int m_depth = 0;
    std::function<void()> m_onIdle;
};

// Marks one piece of work for its lifetime; a null counter marks nothing.
class WorkScope {
public:
    explicit WorkScope(WorkInProgress* work) : m_work(work) {
        if (m_work) m_work->Enter();
    }
    ~WorkScope() {
        if (m_work) m_work->Leave();
    }
    WorkScope(const WorkScope&) = delete;
    WorkScope& operator=(const WorkScope&) = delete;

private:
    WorkInProgress* m_work;
};
