#include "MessageTarget.h"

BOOL PostMessage(HWND target, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!target) return FALSE;
    target->Post(PostedMessage{msg, wParam, lParam});
    return TRUE;
}

void QueuedMessageTarget::Post(const PostedMessage& m) {
    std::lock_guard lock(m_lock);
    m_queue.push_back(m);
}

std::optional<PostedMessage> QueuedMessageTarget::Take() {
    std::lock_guard lock(m_lock);
    if (m_queue.empty()) return std::nullopt;
    PostedMessage m = m_queue.front();
    m_queue.pop_front();
    return m;
}

std::deque<PostedMessage> QueuedMessageTarget::TakeAll() {
    std::lock_guard lock(m_lock);
    std::deque<PostedMessage> out;
    out.swap(m_queue);
    return out;
}

std::size_t QueuedMessageTarget::Size() const {
    std::lock_guard lock(m_lock);
    return m_queue.size();
}
