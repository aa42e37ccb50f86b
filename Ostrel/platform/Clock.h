// The time source of everything that waits on a printer. Production code runs
// on the real clock; tests and the simulated printer line run on a virtual
// clock that moves only when someone sleeps or the simulation advances it, so
// a 300 ms time-out costs no real time at all.
#pragma once

#include "CString.h"
#include "OstrelExport.h"

#include <atomic>
#include <chrono>
#include <ctime>

class OSTREL_API Clock {
public:
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<std::chrono::steady_clock, duration>;

    virtual ~Clock() = default;
    // Monotonic time.
    virtual time_point Now() const = 0;
    virtual void SleepFor(duration d) = 0;
    // Calendar time for log lines ("%H:%M:%S") and whole-second deadlines.
    virtual std::time_t WallTime() const = 0;

    // The process-wide real clock.
    static Clock& Real();
};

class OSTREL_API RealClock : public Clock {
public:
    time_point Now() const override;
    void SleepFor(duration d) override;
    std::time_t WallTime() const override;
};

// The local time of day of `t` as log and report lines show it: "HH:MM:SS".
OSTREL_API CString ClockText(std::time_t t);

// Starts at the steady clock's epoch and at the given calendar time; only
// SleepFor and AdvanceTo move it. Safe to read from any thread.
class OSTREL_API VirtualClock : public Clock {
public:
    explicit VirtualClock(std::time_t wallStart = 0) : m_wallStart(wallStart) {}

    time_point Now() const override { return time_point(duration(m_ns.load())); }
    void SleepFor(duration d) override;
    std::time_t WallTime() const override;

    // Moves the clock forward to t; a t in the past changes nothing.
    void AdvanceTo(time_point t);
    duration Elapsed() const { return duration(m_ns.load()); }

private:
    std::time_t m_wallStart;
    std::atomic<long long> m_ns{0};
};
