// The command protocol of the simulated printer beyond its scripted
// replies: text and line feeds (the printed lines), commands that carry no
// answer, dropping unprinted text, and commands that change the printer's
// own line setting.
#include "PrinterModel.h"

#include <algorithm>

namespace {

constexpr std::size_t kMaxText = 4096;
constexpr std::size_t kMaxLines = 65536;

bool EndsWith(const std::vector<BYTE>& window, const std::vector<BYTE>& seq, std::size_t extra) {
    if (seq.empty() || window.size() < seq.size() + extra) return false;
    return std::equal(seq.begin(), seq.end(), window.end() - static_cast<std::ptrdiff_t>(seq.size() + extra));
}

}  // namespace

void PrinterModel::ProtocolText(BYTE b) {
    if (m_text.size() < kMaxText) m_text.push_back(static_cast<char>(b));
}

void PrinterModel::DataStartsHere() {
    m_dataCount = 0;
    m_dataCrc = 0xFFFFFFFFu;
}

void PrinterModel::ProtocolCommandDone(std::size_t length) {
    m_text.erase(m_text.size() - std::min(length, m_text.size()));
}

void PrinterModel::ProtocolMatch(Time t) {
    for (const auto& feed : m_script.feeds) {
        if (!EndsWith(m_window, feed, 0)) continue;
        ProtocolCommandDone(feed.size());
        std::string line;
        for (const char c : m_text) {
            const auto u = static_cast<unsigned char>(c);
            if (u >= 0x20 && u != 0x7F) line += c;
        }
        m_text.clear();
        // With the print-head lever up the paper does not move: the line
        // waits in the printer and comes out when the lever is lowered.
        if (m_leverUp) {
            if (m_heldLines.size() < kMaxLines) m_heldLines.push_back(std::move(line));
        } else {
            PrintLine(std::move(line));
        }
        m_window.clear();
        return;
    }
    for (const auto& clear : m_script.clears) {
        if (!EndsWith(m_window, clear, 0)) continue;
        DataStartsHere();
        m_text.clear();
        m_window.clear();
        return;
    }
    for (const auto& command : m_script.commands) {
        if (!EndsWith(m_window, command, 0)) continue;
        ProtocolCommandDone(command.size());
        m_window.clear();
        return;
    }
    for (const auto& sc : m_script.settingCommands) {
        if (!EndsWith(m_window, sc.prefix, 1)) continue;
        const BYTE config = m_window.back();
        ProtocolCommandDone(sc.prefix.size() + 1);
        m_window.clear();
        static constexpr DWORD kBaud[] = {0, 1200, 2400, 4800, 9600, 19200, 38400};
        const unsigned index = config & 0x0F;
        if (index < 1 || index > 6 || (config & 0x60) == 0x60) return;  // not a setting: ignored
        DCB next = Setting();
        next.BaudRate = kBaud[index];
        next.ByteSize = (config & 0x10) ? 7 : 8;
        next.Parity = (config & 0x60) == 0x20 ? EVENPARITY : (config & 0x60) == 0x40 ? ODDPARITY : NOPARITY;
        // The answer still goes out at the old setting.
        for (const BYTE a : sc.answer) Queue(a, t + std::chrono::milliseconds(m_script.latencyMs), false);
        m_busyUntil = std::max(m_busyUntil, t + std::chrono::milliseconds(sc.busyMs));
        if (sc.answer.empty() && sc.busyMs == 0) {
            m_script.baud = next.BaudRate;
            m_script.byteSize = next.ByteSize;
            m_script.parity = next.Parity;
            m_nextSetting.reset();
        } else {
            m_nextSetting = next;
            m_settingAt = std::max(sc.answer.empty() ? t : m_lineFreeAt, t + std::chrono::milliseconds(sc.busyMs));
        }
        return;
    }
}

void PrinterModel::PrintLine(std::string line) {
    if (m_lines.size() < kMaxLines) m_lines.push_back(std::move(line));
    ++m_lineCount;
}

void PrinterModel::PrintHeldLines() {
    for (std::string& line : m_heldLines) PrintLine(std::move(line));
    m_heldLines.clear();
}

void PrinterModel::ProtocolAdvance(Time t) {
    // Strictly later: an answer that leaves at the very moment is still
    // taken at the old setting.
    if (!m_nextSetting || t <= m_settingAt) return;
    m_script.baud = m_nextSetting->BaudRate;
    m_script.byteSize = m_nextSetting->ByteSize;
    m_script.parity = m_nextSetting->Parity;
    m_nextSetting.reset();
}
