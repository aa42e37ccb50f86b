#include "Clock.h"

#include <thread>

Clock& Clock::Real() {
    static RealClock clock;
    return clock;
}

Clock::time_point RealClock::Now() const {
    return std::chrono::time_point_cast<duration>(std::chrono::steady_clock::now());
}

void RealClock::SleepFor(duration d) {
    if (d > duration::zero()) std::this_thread::sleep_for(d);
}

std::time_t RealClock::WallTime() const { return std::time(nullptr); }

void VirtualClock::SleepFor(duration d) {
    if (d > duration::zero()) m_ns.fetch_add(d.count());
}

std::time_t VirtualClock::WallTime() const {
    return m_wallStart + static_cast<std::time_t>(m_ns.load() / 1'000'000'000LL);
}

void VirtualClock::AdvanceTo(time_point t) {
    const long long target = t.time_since_epoch().count();
    long long current = m_ns.load();
    while (current < target && !m_ns.compare_exchange_weak(current, target)) {
    }
}

CString ClockText(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
    return CString::FromUtf8(buf);
}
