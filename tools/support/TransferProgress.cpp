#include "TransferProgress.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

constexpr int kWidestBar = 30;
constexpr int kNarrowestBar = 5;

std::string TimeLeft(std::uint64_t bytes, std::uint64_t total, double rate) {
    if (bytes >= total) return "0:00";
    if (!(rate > 0)) return "--:--";
    const double exact = std::ceil(static_cast<double>(total - bytes) / rate);
    // A rate measured over a few bytes can promise years: cap what is shown.
    const auto s = static_cast<unsigned long long>(std::min(exact, 99 * 3600.0 + 59 * 60 + 59));
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%llu:%02llu", s / 60, s % 60);
    return text;
}

}  // namespace

int ProgressPercent(std::uint64_t bytes, std::uint64_t total) {
    if (total == 0 || bytes >= total) return 100;
    // Here bytes < total, so for counts too large to multiply total / 100 is
    // not zero.
    constexpr std::uint64_t kLargest = UINT64_MAX / 100;
    return static_cast<int>(bytes <= kLargest ? bytes * 100 / total : bytes / (total / 100));
}

std::string ProgressBar(std::uint64_t bytes, std::uint64_t total, double seconds, int columns) {
    const int percent = ProgressPercent(bytes, total);
    const double rate = seconds > 0 ? static_cast<double>(bytes) / seconds : 0;
    char figures[160];
    std::snprintf(figures, sizeof figures, " %3d%% %llu/%llu bytes %.0f B/s %s left", percent,
                  static_cast<unsigned long long>(bytes), static_cast<unsigned long long>(total), rate,
                  TimeLeft(bytes, total, rate).c_str());
    const int room = std::max(columns - 1, 0);
    std::string text = figures;
    const int barWidth = std::min(kWidestBar, room - static_cast<int>(text.size()) - 2);
    if (barWidth >= kNarrowestBar) {
        const int filled = percent * barWidth / 100;
        text = '[' + std::string(static_cast<std::size_t>(filled), '#') +
               std::string(static_cast<std::size_t>(barWidth - filled), '.') + ']' + text;
    } else {
        text.erase(0, text.find_first_not_of(' '));
        if (text.size() > static_cast<std::size_t>(room)) text.resize(static_cast<std::size_t>(room));
    }
    return text;
}

std::string ProgressLines::Update(std::uint64_t bytes, bool last) {
    const int percent = ProgressPercent(bytes, m_total);
    if (percent / 10 <= m_lastTenth && !(last && bytes != m_lastShown)) return {};
    m_lastTenth = percent / 10;
    m_lastShown = bytes;
    char line[96];
    std::snprintf(line, sizeof line, "progress %d%% %llu/%llu bytes\n", percent, static_cast<unsigned long long>(bytes),
                  static_cast<unsigned long long>(m_total));
    return line;
}
