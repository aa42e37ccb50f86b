// A Win32-style event: manual-reset events stay signalled until Reset,
// auto-reset events release one waiter and clear themselves.
#pragma once

#include "OstrelExport.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

class OSTREL_API Event {
public:
    explicit Event(bool manualReset = false, bool initialState = false)
        : m_manual(manualReset), m_signalled(initialState) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // Waits up to the time-out; true when the event was signalled (an
    // auto-reset event is then cleared). A zero time-out only polls.
    bool Wait(std::chrono::milliseconds timeout);
    void Wait();
    // Polls without waiting and without clearing.
    bool IsSet() const;

private:
    const bool m_manual;
    bool m_signalled;
    mutable std::mutex m_lock;
    std::condition_variable m_cv;
};
