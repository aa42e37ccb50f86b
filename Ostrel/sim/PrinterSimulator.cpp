#include "PrinterSimulator.h"

#include "TermiosSerialDevice.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

namespace {

char ParityLetter(BYTE parity) {
    switch (parity) {
        case ODDPARITY: return 'o';
        case EVENPARITY: return 'e';
        case MARKPARITY: return 'm';
        case SPACEPARITY: return 's';
        default: return 'n';
    }
}

std::string Crc(std::uint32_t crc) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(crc));
    return text;
}

}  // namespace

PrinterSimulator::PrinterSimulator(PrinterScript script) : m_printer(std::move(script)) {}

PrinterSimulator::~PrinterSimulator() = default;

bool PrinterSimulator::Start(std::string* error) {
    m_pty = PseudoTerminal::Create(error);
    if (!m_pty) return false;
    if (!m_pty->SetRaw(m_printer.Script().baud)) m_pty->SetRaw(9600);
    return true;
}

const std::string& PrinterSimulator::Path() const {
    static const std::string none;
    return m_pty ? m_pty->SlavePath() : none;
}

bool PrinterSimulator::Run(const std::atomic<bool>& stop, std::FILE* events) {
    if (!m_pty) return false;
    using Steady = std::chrono::steady_clock;
    const auto start = Steady::now();
    auto now = [&] { return std::chrono::duration_cast<PrinterModel::Time>(Steady::now() - start); };
    const int fd = m_pty->MasterFd();
    const PrinterScript& script = m_printer.Script();
    std::vector<BYTE> pending;  // sent by the printer, not yet taken by the terminal
    DCB shown;
    std::uint64_t xoffs = 0, xons = 0;
    auto lastInput = Steady::now();
    auto event = [&](const char* fmt, auto... args) {
        if (!events) return;
        // A fixed text goes through fputs: printf with a non-literal format
        // and no arguments is what format-security warns about.
        if constexpr (sizeof...(args) == 0) std::fputs(fmt, events);
        else std::fprintf(events, fmt, args...);
        std::fputc('\n', events);
        std::fflush(events);
    };

    while (!stop.load()) {
        // The terminal keeps only the rate and the stop bits; the frame is
        // taken to be the printer's own.
        DCB host;
        if (!m_pty->GetLineSetting(host)) return false;
        host.ByteSize = script.byteSize;
        host.Parity = script.parity;
        if (host.BaudRate != shown.BaudRate || host.StopBits != shown.StopBits) {
            shown = host;
            event("line %u %u %c %u", static_cast<unsigned>(host.BaudRate), static_cast<unsigned>(host.ByteSize),
                  ParityLetter(host.Parity), host.StopBits == ONESTOPBIT ? 1u : 2u);
        }

        const auto t = now();
        if (m_lowerLever.exchange(false) && m_printer.LeverUp()) {
            m_printer.SetLever(false, t);
            event("lever down");
        }
        m_printer.AdvanceTo(t);
        for (const auto& o : m_printer.TakeOutput(t)) {
            if (const auto b = PrinterModel::Carry(o.byte, m_printer.Setting(), host)) pending.push_back(*b);
        }
        if (m_printer.XoffCount() != xoffs) {
            xoffs = m_printer.XoffCount();
            event("xoff %zu", m_printer.BufferLevel());
        }
        if (m_printer.XonCount() != xons) {
            xons = m_printer.XonCount();
            event("xon %zu", m_printer.BufferLevel());
        }
        ReportProtocolEvents(events);
        if (!pending.empty()) {
            const ssize_t n = ::write(fd, pending.data(), pending.size());
            if (n > 0) pending.erase(pending.begin(), pending.begin() + n);
        }

        // A pause of a few character times ends a transfer.
        if (m_hooks) {
            NoteDataStart();
            const auto quiet = std::max<PrinterModel::Time>(std::chrono::milliseconds(5),
                                                            3 * PrinterModel::CharacterTime(host));
            if (Steady::now() - lastInput >= quiet) OfferData(events);
        }
        // Sleep until the printer's next event, the terminal has input or
        // room for output; never long, to notice a stop request and line
        // setting changes.
        int waitMs = 20;
        if (const auto next = m_printer.NextEvent()) {
            const auto ahead = std::chrono::ceil<std::chrono::milliseconds>(*next - t).count();
            waitMs = static_cast<int>(std::clamp<long long>(ahead, 0, waitMs));
        }
        pollfd p{fd, static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0};
        const int ready = ::poll(&p, 1, waitMs);
        if (ready < 0 && errno != EINTR) return false;
        if (ready > 0 && (p.revents & POLLIN)) {
            BYTE buf[4096];
            const ssize_t got = ::read(fd, buf, sizeof buf);
            if (got > 0) {
                lastInput = Steady::now();
                // The setting in force when the bytes were read: the nearest
                // we can tell to the one they were sent at.
                DCB sent = host;
                if (m_pty->GetLineSetting(sent)) {
                    sent.ByteSize = script.byteSize;
                    sent.Parity = script.parity;
                }
                const auto at = now();
                for (ssize_t i = 0; i < got; ++i) m_printer.Receive(buf[i], sent, at);
            } else if (got < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
                return false;
            }
        }
    }
    OfferData(events);
    return true;
}

std::string PrinterSimulator::Summary() const {
    return "received " + std::to_string(m_printer.ReceivedCount()) + " printed " +
           std::to_string(m_printer.Printed()) + " lost " + std::to_string(m_printer.Lost()) + " garbled " +
           std::to_string(m_printer.Garbled()) + " xoff " + std::to_string(m_printer.XoffCount()) + " xon " +
           std::to_string(m_printer.XonCount()) + " crc32 " + Crc(m_printer.ReceivedCrc()) +
           " data " + std::to_string(m_printer.DataCount()) + " " + Crc(m_printer.DataCrc());
}

void PrinterSimulator::ReportProtocolEvents(std::FILE* events) {
    if (!events) return;
    const DCB own = m_printer.Setting();
    if (own.BaudRate != m_shownOwn.BaudRate || own.ByteSize != m_shownOwn.ByteSize ||
        own.Parity != m_shownOwn.Parity) {
        // The first setting is the script's own: only changes are events.
        if (m_shownOwn.BaudRate != 0)
            std::fprintf(events, "printer-line %u %u %c 1\n", static_cast<unsigned>(own.BaudRate),
                         static_cast<unsigned>(own.ByteSize), ParityLetter(own.Parity));
        m_shownOwn = own;
    }
    const auto& lines = m_printer.PrintedLines();
    for (; m_shownLines < m_printer.LinesPrinted(); ++m_shownLines) {
        if (m_shownLines >= lines.size()) continue;
        // Before the event: whoever reads the event finds the line drawn.
        if (m_hooks) m_hooks->LinePrinted(lines[m_shownLines], m_printer.ReceivedCount());
        // The printer's text is single-byte (Latin-1); the event line is UTF-8.
        std::string text;
        for (const char c : lines[m_shownLines]) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x80) {
                text += c;
            } else {
                text += static_cast<char>(0xC0 | (u >> 6));
                text += static_cast<char>(0x80 | (u & 0x3F));
            }
        }
        std::fprintf(events, "print %s\n", text.c_str());
    }
    std::fflush(events);
}
