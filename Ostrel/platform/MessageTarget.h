// Window handles and posted messages. The library tells its host about
// progress only by posting; a post never blocks the poster. The host decides
// how a message reaches its thread (the Qt adapter queues a call on the GUI
// thread; QueuedMessageTarget keeps them for a loop or a test to take).
#pragma once

#include "OstrelExport.h"
#include "WinTypes.h"

#include <deque>
#include <functional>
#include <mutex>
#include <optional>

struct PostedMessage {
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class OSTREL_API MessageTarget {
public:
    virtual ~MessageTarget() = default;
    // Must return promptly whatever the receiver is doing.
    virtual void Post(const PostedMessage& m) = 0;
};

// Enqueues; returns FALSE for a null handle, as posting to no window does.
OSTREL_API BOOL PostMessage(HWND target, UINT msg, WPARAM wParam, LPARAM lParam);

// A target that stores messages until someone takes them.
class OSTREL_API QueuedMessageTarget : public MessageTarget {
public:
    void Post(const PostedMessage& m) override;
    std::optional<PostedMessage> Take();
    std::deque<PostedMessage> TakeAll();
    std::size_t Size() const;

private:
    mutable std::mutex m_lock;
    std::deque<PostedMessage> m_queue;
};

// A target that hands each message to a function on the posting thread; the
// function must itself not block (it typically forwards to an event loop).
class OSTREL_API CallbackMessageTarget : public MessageTarget {
public:
    explicit CallbackMessageTarget(std::function<void(const PostedMessage&)> fn) : m_fn(std::move(fn)) {}
    void Post(const PostedMessage& m) override {
        if (m_fn) m_fn(m);
    }

private:
    std::function<void(const PostedMessage&)> m_fn;
};
