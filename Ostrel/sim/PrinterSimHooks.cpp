// PrinterSimulator's side of its hooks, kept apart from the terminal loop.
#include "PrinterSimulator.h"

void PrinterSimulator::NoteDataStart() {
    const std::uint64_t total = m_printer.ReceivedCount();
    const std::uint64_t start = total - std::min(total, m_printer.DataCount());
    if (!m_dataStarts.empty() && m_dataStarts.back() == start) return;
    constexpr std::size_t kKeep = 16;
    if (m_dataStarts.size() == kKeep) m_dataStarts.erase(m_dataStarts.begin());
    m_dataStarts.push_back(start);
}

void PrinterSimulator::OfferData(std::FILE* events) {
    if (!m_hooks) return;
    NoteDataStart();
    const std::uint64_t total = m_printer.ReceivedCount();
    if (total == m_offeredTotal) return;
    m_offeredTotal = total;
    // Past the received log's limit the data are no longer all kept.
    if (m_printer.Received().size() != total) return;
    const PrinterSimHooks::Settled settled = m_hooks->DataSettled(m_printer.Received(), m_dataStarts);
    if (settled.taken) m_printer.ForgetText();
    for (const std::string& line : settled.events) {
        if (!events) continue;
        std::fprintf(events, "%s\n", line.c_str());
        std::fflush(events);
    }
}
