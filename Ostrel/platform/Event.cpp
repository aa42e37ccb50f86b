#include "Event.h"

void Event::Set() {
    {
        std::lock_guard lock(m_lock);
        m_signalled = true;
    }
    if (m_manual) {
        m_cv.notify_all();
    } else {
        m_cv.notify_one();
    }
}

void Event::Reset() {
    std::lock_guard lock(m_lock);
    m_signalled = false;
}

bool Event::Wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_lock);
    if (!m_cv.wait_for(lock, timeout, [this] { return m_signalled; })) return false;
    if (!m_manual) m_signalled = false;
    return true;
}

void Event::Wait() {
    std::unique_lock lock(m_lock);
    m_cv.wait(lock, [this] { return m_signalled; });
    if (!m_manual) m_signalled = false;
}

bool Event::IsSet() const {
    std::lock_guard lock(m_lock);
    return m_signalled;
}
