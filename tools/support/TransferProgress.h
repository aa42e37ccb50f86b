// The progress text of a transfer as ostrel-service writes it on stderr, kept
// out of the program so that tests can check it without a terminal.
#pragma once

#include <cstdint>
#include <string>

// Percentage of `total` that `bytes` make, 0..100 (100 for an empty total).
int ProgressPercent(std::uint64_t bytes, std::uint64_t total);

// One redraw of the terminal bar after `seconds`:
//   "[#########.....................]  30% 2500/8328 bytes 1250 B/s 0:05 left"
// At most `columns` - 1 characters, so that a carriage return redraws it in
// place (a line that wraps would scroll a new line at every redraw): the bar
// shrinks, then goes, before the figures are cut. The time left is "--:--"
// while nothing has left to measure a rate from.
std::string ProgressBar(std::uint64_t bytes, std::uint64_t total, double seconds, int columns);

// Plain lines for a pipe or a log, "progress 30% 2500/8328 bytes\n": one when
// a transfer reaches each tenth, and a last one with the final count.
class ProgressLines {
public:
    explicit ProgressLines(std::uint64_t total) : m_total(total) {}
    // The line to write for `bytes`, or an empty string when none is due.
    std::string Update(std::uint64_t bytes, bool last);

private:
    std::uint64_t m_total;
    int m_lastTenth = -1;
    std::uint64_t m_lastShown = 0;
};
