#include "SimulatedPrinterLine.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <deque>
#include <map>
#include <mutex>

namespace {

using Op = SimulatedPrinterLine::Op;
using Transmitter = SimulatedPrinterLine::Transmitter;
using std::chrono::milliseconds;
constexpr std::size_t kRxLimit = 1 << 20;

DCB IdlePortSetting() {
    DCB d;
    d.BaudRate = 9600;
    d.ByteSize = 8;
    d.Parity = NOPARITY;
    d.StopBits = ONESTOPBIT;
    d.fBinary = 1;
    d.fDtrControl = DTR_CONTROL_ENABLE;
    d.fRtsControl = RTS_CONTROL_ENABLE;
    d.XonLim = 2048;
    d.XoffLim = 512;
    d.XonChar = ASCII_XON;
    d.XoffChar = ASCII_XOFF;
    return d;
}

}  // namespace

struct SimulatedPrinterLine::State {
    explicit State(PrinterScript script, VirtualClock* c)
        : ownClock(c ? nullptr : std::make_unique<VirtualClock>()), clock(c ? c : ownClock.get()),
          printer(std::move(script)) {}

    std::mutex lock;
    std::unique_ptr<VirtualClock> ownClock;
    VirtualClock* clock;
    PrinterModel printer;
    DCB host = IdlePortSetting();
    COMMTIMEOUTS timeouts;
    bool open = false;
    bool gone = false;
    unsigned session = 0;
    std::deque<BYTE> rx;
    bool xoffHeld = false;
    DWORD errors = 0;
    struct Fault {
        DWORD error;
        int times;
        int after;
    };
    std::map<Op, Fault> faults;
    std::atomic<unsigned> cancel{0};

    Transmitter transmitter = Transmitter::Direct;
    // Written, not yet at the printer, oldest first. Nothing changes a
    // queued byte's way to the line except a purge, so its times are known
    // when it is written.
    struct Pending {
        BYTE byte;
        DCB setting;                     // the host's setting it goes out at
        Clock::time_point queuedUntil;   // leaves the port's output queue
        Clock::time_point arrives;       // has reached the printer
    };
    std::deque<Pending> pending;
    std::deque<Clock::time_point> recentArrivals;  // of the last kFifoSize bytes written
    Clock::time_point lineFreeAt{};    // the last byte written has left the wire
    Clock::time_point lastTransfer{};  // the last USB transfer has completed
    LinePace<Clock::time_point> pace;

    PrinterModel::Time Now() const { return clock->Now().time_since_epoch(); }

    DWORD Queued() const {
        const Clock::time_point now = clock->Now();
        return static_cast<DWORD>(
            std::count_if(pending.begin(), pending.end(), [&](const Pending& p) { return p.queuedUntil > now; }));
    }

    // What the pacing rule counts as queued, as a device driver sees it.
    DWORD PacedQueue(const WritePacingRule& rule) const {
        return std::max(Queued(), pace.Backlog(rule, clock->Now()));
    }

    // How long until one more byte may be written: zero when both the pacing
    // rule and the transmitter itself (a UART's FIFO) have room for it now.
    std::chrono::nanoseconds WaitForRoom(const WritePacingRule& rule) const {
        const DWORD queued = PacedQueue(rule);
        const bool fifoFull = transmitter == Transmitter::Fifo && Queued() >= SimulatedPrinterLine::kFifoSize;
        return rule.MayWrite(queued) && !fifoFull ? std::chrono::nanoseconds::zero() : rule.Recheck(queued);
    }

    void Queue(BYTE byte) {
        const Clock::time_point now = clock->Now();
        const auto character = PrinterModel::CharacterTime(host);
        Pending p{byte, host, now, now};
        if (transmitter == Transmitter::Fifo) {
            p.arrives = std::max(now, lineFreeAt) + character;
            p.queuedUntil = p.arrives;
        } else {
            // Transfers complete in order, each 1 ms after it was queued, and
            // only once the adapter's FIFO has room: when the byte
            // kFifoSize places earlier has left it.
            Clock::time_point done = std::max(now + milliseconds(1), lastTransfer);
            if (recentArrivals.size() == SimulatedPrinterLine::kFifoSize) done = std::max(done, recentArrivals.front());
            p.queuedUntil = done;
            p.arrives = std::max(done, lineFreeAt) + character;
            lastTransfer = done;
        }
        lineFreeAt = p.arrives;
        recentArrivals.push_back(p.arrives);
        if (recentArrivals.size() > SimulatedPrinterLine::kFifoSize) recentArrivals.pop_front();
        pending.push_back(p);
        pace.Wrote(WritePacingRule::For(host), now);
    }

    // Throws away the output queue: a UART's FIFO all but the byte on the
    // wire, an adapter the transfers not yet complete (what it holds itself
    // still goes out).
    void DiscardQueued() {
        const Clock::time_point now = clock->Now();
        auto kept = pending.begin();
        while (kept != pending.end() &&
               (transmitter == Transmitter::Fifo ? kept->arrives - PrinterModel::CharacterTime(kept->setting) <= now
                                                 : kept->queuedUntil <= now))
            ++kept;
        const auto dropped = static_cast<std::size_t>(pending.end() - kept);
        pending.erase(kept, pending.end());
        recentArrivals.erase(recentArrivals.end() - static_cast<std::ptrdiff_t>(std::min(dropped, recentArrivals.size())),
                             recentArrivals.end());
        lineFreeAt = pending.empty() ? std::min(lineFreeAt, now) : pending.back().arrives;
        lastTransfer = std::min(lastTransfer, now);
        pace.Discard(now);
    }

    // Gives the output queue its line time before the setting changes or
    // the port closes, as a driver does, no longer than the pacing rule says.
    void DrainQueue() {
        Sync();
        const WritePacingRule rule = WritePacingRule::For(host);
        const DWORD queued = PacedQueue(rule);
        if (queued == 0) return;
        const Clock::time_point end = clock->Now() + rule.DrainLimit(queued);
        while (PacedQueue(rule) > 0 && clock->Now() < end) {
            WaitUntil(end);
            Sync();
        }
    }

    bool Faulty(Op op, DWORD& error) {
        const auto it = faults.find(op);
        if (it == faults.end()) return false;
        if (it->second.after > 0) {
            --it->second.after;
            return false;
        }
        error = it->second.error;
        if (it->second.times > 0 && --it->second.times == 0) faults.erase(it);
        return true;
    }

    // Brings the printer to the current time and hands what it has sent
    // to the port, as the port's receiver reads it.
    void Sync() {
        const auto now = Now();
        while (!pending.empty() && pending.front().arrives.time_since_epoch() <= now) {
            const Pending& p = pending.front();
            printer.Receive(p.byte, p.setting, p.arrives.time_since_epoch());
            pending.pop_front();
        }
        printer.AdvanceTo(now);
        const DCB from = printer.Setting();
        for (const auto& o : printer.TakeOutput(now)) {
            if (!open) continue;
            const auto b = PrinterModel::Carry(o.byte, from, host);
            if (!b) {
                errors |= CE_FRAME;
            } else if (host.fOutX && *b == static_cast<BYTE>(host.XoffChar)) {
                xoffHeld = true;
            } else if (host.fOutX && *b == static_cast<BYTE>(host.XonChar)) {
                xoffHeld = false;
            } else if (rx.size() < kRxLimit) {
                rx.push_back(*b);
            } else {
                errors |= CE_RXOVER;
            }
        }
    }

    // Moves the clock to the printer's next event or to `limit`, whichever
    // comes first: a wait on the line, done in no time.
    void WaitUntil(Clock::time_point limit) {
        const Clock::time_point now = clock->Now();
        Clock::time_point target = limit;
        if (const auto next = printer.NextEvent()) {
            const Clock::time_point at(*next);
            if (at > now && at < target) target = at;
        }
        if (!pending.empty() && pending.front().arrives > now && pending.front().arrives < target)
            target = pending.front().arrives;
        if (target <= now) target = std::min(limit, now + milliseconds(1));
        clock->AdvanceTo(target);
    }

    bool Holding() const {
        return (host.fOutX && xoffHeld) || (host.fOutxCtsFlow && !printer.Cts()) ||
               (host.fOutxDsrFlow && !printer.Dsr());
    }
};

namespace {

class SimulatedPort : public SerialDevice {
public:
    SimulatedPort(std::shared_ptr<SimulatedPrinterLine::State> s, unsigned session)
        : m_s(std::move(s)), m_session(session) {}
    ~SimulatedPort() override {
        if (!m_closed) Close();
    }

    BOOL GetCommState(DCB& dcb) override {
        std::lock_guard l(m_s->lock);
        if (!Usable(Op::GetCommState)) return FALSE;
        dcb = m_s->host;
        return Succeed();
    }

    BOOL SetCommState(const DCB& dcb) override {
        std::lock_guard l(m_s->lock);
        if (!Usable(Op::SetCommState)) return FALSE;
        const bool stopOk = dcb.StopBits == ONESTOPBIT || (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize == 5) ||
                            (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize > 5);
        if (dcb.BaudRate == 0 || dcb.BaudRate > 4000000 || dcb.ByteSize < 5 || dcb.ByteSize > 8 ||
            dcb.Parity > SPACEPARITY || !stopOk || ((dcb.fOutX || dcb.fInX) && dcb.XonChar == dcb.XoffChar))
            return Fail(EINVAL);
        m_s->DrainQueue();  // queued bytes leave at the setting they were written at
        m_s->host = dcb;
        m_s->host.DCBlength = sizeof(DCB);
        if (!dcb.fOutX) m_s->xoffHeld = false;
        return Succeed();
    }

    BOOL GetCommTimeouts(COMMTIMEOUTS& t) override {
        std::lock_guard l(m_s->lock);
        if (!Usable(Op::GetCommTimeouts)) return FALSE;
        t = m_s->timeouts;
        return Succeed();
    }

    BOOL SetCommTimeouts(const COMMTIMEOUTS& t) override {
        std::lock_guard l(m_s->lock);
        if (!Usable(Op::SetCommTimeouts)) return FALSE;
        m_s->timeouts = t;
        return Succeed();
    }

    BOOL GetCommProperties(COMMPROP& p) override {
        std::lock_guard l(m_s->lock);
        if (!Usable(Op::GetCommProperties)) return FALSE;
        p = BasicCommProperties(kRxLimit);
        p.wSettableData |= DATABITS_7;
        p.wSettableStopParity |= PARITY_ODD | PARITY_EVEN;
        return Succeed();
    }

    BOOL GetCommModemStatus(DWORD& status) override {
        std::lock_guard l(m_s->lock);
        if (!Usable(Op::GetCommModemStatus)) return FALSE;
        m_s->Sync();
        const PrinterModel& p = m_s->printer;
        status = (p.Cts() ? MS_CTS_ON : 0) | (p.Dsr() ? MS_DSR_ON | MS_RLSD_ON : 0);
        return Succeed();
    }

    BOOL ClearCommError(DWORD* errors, COMSTAT* stat) override {
        std::lock_guard l(m_s->lock);
        if (!Usable(Op::ClearCommError)) return FALSE;
        m_s->Sync();
        const DCB& h = m_s->host;
        const PrinterModel& p = m_s->printer;
        COMSTAT st;
        st.fXoffHold = h.fOutX && m_s->xoffHeld;
        st.fCtsHold = h.fOutxCtsFlow && !p.Cts();
        st.fDsrHold = h.fOutxDsrFlow && !p.Dsr();
        st.cbInQue = static_cast<DWORD>(m_s->rx.size());
        st.cbOutQue = m_s->Queued();
        if (errors) *errors = m_s->errors;
        if (stat) *stat = st;
        m_s->errors = 0;
        return Succeed();
    }

    BOOL PurgeComm(DWORD flags) override {
        std::lock_guard l(m_s->lock);
        if (!Usable(Op::PurgeComm)) return FALSE;
        if (flags & ~(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) return Fail(EINVAL);
        if (flags & PURGE_RXCLEAR) {
            m_s->Sync();
            m_s->rx.clear();
        }
        if (flags & PURGE_TXCLEAR) {
            m_s->Sync();
            m_s->DiscardQueued();
        }
        return Succeed();
    }

    IoResult WriteByte(BYTE byte, DWORD waitMs) override {
        std::lock_guard l(m_s->lock);
        if (!Usable(Op::WriteStart)) return IoResult::Rejected;
        const unsigned generation = m_s->cancel;
        const auto deadline = m_s->clock->Now() + milliseconds(waitMs);
        const bool queues = m_s->transmitter != Transmitter::Direct;
        for (;;) {
            m_s->Sync();
            if (m_s->cancel != generation) {
                Fail(ERROR_OPERATION_ABORTED);
                return IoResult::Failed;
            }
            const auto now = m_s->clock->Now();
            auto wake = deadline;
            if (!m_s->Holding()) {
                if (!queues) break;
                const auto room = m_s->WaitForRoom(WritePacingRule::For(m_s->host));
                if (room == room.zero()) break;
                wake = std::min(deadline, now + room);
            }
            if (now >= deadline) {
                Fail(ERROR_IO_PENDING);
                return IoResult::TimedOut;
            }
            m_s->WaitUntil(wake);
        }
        DWORD error = 0;
        if (m_s->Faulty(Op::WriteWait, error)) {
            Fail(error);
            return IoResult::Failed;
        }
        if (queues) {
            m_s->Queue(byte);
            // As a driver does: the wait for room happens after the byte,
            // so that the caller sees a hold before the next one.
            const WritePacingRule pacing = WritePacingRule::For(m_s->host);
            for (;;) {
                m_s->Sync();
                const auto now = m_s->clock->Now();
                const auto room = m_s->WaitForRoom(pacing);
                if (room == room.zero() || m_s->Holding() || m_s->cancel != generation || now >= deadline) break;
                m_s->WaitUntil(std::min(deadline, now + room));
            }
            Succeed();
            return IoResult::Completed;
        }
        // The byte takes one character time on the line; the write is done
        // when it has arrived.
        const auto arrived = m_s->clock->Now() + PrinterModel::CharacterTime(m_s->host);
        m_s->clock->AdvanceTo(arrived);
        m_s->printer.Receive(byte, m_s->host, arrived.time_since_epoch());
        Succeed();
        return IoResult::Completed;
    }

    IoResult Read(BYTE* buffer, DWORD count, DWORD& read, DWORD waitMs) override {
        read = 0;
        std::lock_guard l(m_s->lock);
        if (!Usable(Op::ReadStart)) return IoResult::Rejected;
        if (count > 0 && !buffer) {
            Fail(EINVAL);
            return IoResult::Rejected;
        }
        const unsigned generation = m_s->cancel;
        const auto start = m_s->clock->Now();
        const auto waitDeadline = start + milliseconds(waitMs);
        ReadProgress progress(ReadTimeoutRule::For(m_s->timeouts, count), count, start);
        for (;;) {
            m_s->Sync();
            const auto now = m_s->clock->Now();
            DWORD took = 0;
            while (read < count && !m_s->rx.empty()) {
                buffer[read++] = m_s->rx.front();
                m_s->rx.pop_front();
                ++took;
            }
            progress.Arrived(took, now);
            if (progress.Satisfied()) {
                Succeed();
                return IoResult::Completed;
            }
            if (m_s->cancel != generation) {
                Fail(ERROR_OPERATION_ABORTED);
                return IoResult::Failed;
            }
            DWORD error = 0;
            if (m_s->Faulty(Op::ReadWait, error)) {
                Fail(error);
                return IoResult::Failed;
            }
            if (progress.Expired(now)) {
                Succeed();
                return IoResult::Completed;
            }
            if (now >= waitDeadline) {
                Fail(ERROR_IO_PENDING);
                return IoResult::TimedOut;
            }
            m_s->WaitUntil(progress.NextCheck(waitDeadline));
        }
    }

    void CancelIo() override { ++m_s->cancel; }

    BOOL Close() override {
        std::lock_guard l(m_s->lock);
        if (m_closed) return Fail(EBADF);
        m_closed = true;
        if (m_s->open && m_s->session == m_session) {
            // The end of a transfer gets its line time; what a stalled line
            // still holds after that is thrown away.
            m_s->DrainQueue();
            m_s->DiscardQueued();
            m_s->open = false;
            m_s->rx.clear();
            m_s->xoffHeld = false;
        }
        DWORD error = 0;
        if (m_s->Faulty(Op::Close, error)) return Fail(error);
        return Succeed();
    }

    bool IsOpen() const override { return !m_closed; }
    Clock& GetClock() override { return *m_s->clock; }

private:
    // Checks, under the lock, that the port can be used for op.
    bool Usable(Op op) {
        if (m_closed) return Fail(EBADF);
        if (m_s->gone) return Fail(EIO);
        DWORD error = 0;
        if (m_s->Faulty(op, error)) return Fail(error);
        return true;
    }

    std::shared_ptr<SimulatedPrinterLine::State> m_s;
    unsigned m_session;
    bool m_closed = false;
};

std::unique_ptr<SerialDevice> OpenOn(const std::shared_ptr<SimulatedPrinterLine::State>& s, DWORD& error) {
    std::lock_guard l(s->lock);
    if (s->gone) {
        error = ENODEV;
        return nullptr;
    }
    if (s->Faulty(Op::Open, error)) return nullptr;
    if (s->open) {
        error = EBUSY;
        return nullptr;
    }
    s->Sync();  // what the printer sent while nobody listened is lost
    s->open = true;
    s->rx.clear();
    s->xoffHeld = false;
    s->errors = 0;
    error = 0;
    return std::make_unique<SimulatedPort>(s, ++s->session);
}

}  // namespace

SimulatedPrinterLine::SimulatedPrinterLine(PrinterScript script, VirtualClock* clock)
    : m(std::make_shared<State>(std::move(script), clock)) {}

SimulatedPrinterLine::~SimulatedPrinterLine() {
    for (const auto& name : m_names) UnregisterSerialPort(name);
    std::lock_guard l(m->lock);
    m->gone = true;
}

std::unique_ptr<SerialDevice> SimulatedPrinterLine::Open(DWORD& error) { return OpenOn(m, error); }

void SimulatedPrinterLine::Attach(const CString& portName) {
    std::weak_ptr<State> weak = m;
    RegisterSerialPort(portName, [weak](DWORD& error) -> std::unique_ptr<SerialDevice> {
        const auto s = weak.lock();
        if (!s) {
            error = ENODEV;
            return nullptr;
        }
        return OpenOn(s, error);
    });
    m_names.push_back(portName);
}

VirtualClock& SimulatedPrinterLine::GetClock() { return *m->clock; }

void SimulatedPrinterLine::SetTransmitter(Transmitter t) {
    std::lock_guard l(m->lock);
    m->Sync();
    m->transmitter = t;
}

std::size_t SimulatedPrinterLine::Queued() const {
    std::lock_guard l(m->lock);
    m->Sync();
    return m->Queued();
}

std::size_t SimulatedPrinterLine::InFlight() const {
    std::lock_guard l(m->lock);
    m->Sync();
    return m->pending.size();
}

void SimulatedPrinterLine::SetPower(bool on) {
    std::lock_guard l(m->lock);
    m->Sync();
    m->printer.SetPower(on, m->Now());
}

void SimulatedPrinterLine::SetBusy(bool busy) {
    std::lock_guard l(m->lock);
    m->Sync();
    m->printer.SetBusy(busy);
}

void SimulatedPrinterLine::SetLever(bool up) {
    std::lock_guard l(m->lock);
    m->Sync();
    m->printer.SetLever(up, m->Now());
}

void SimulatedPrinterLine::SendFromPrinter(const std::vector<BYTE>& bytes) {
    std::lock_guard l(m->lock);
    m->Sync();
    m->printer.Send(bytes, m->Now());
}

std::vector<BYTE> SimulatedPrinterLine::Received() const {
    std::lock_guard l(m->lock);
    m->Sync();
    return m->printer.Received();
}

std::size_t SimulatedPrinterLine::BufferLevel() const {
    std::lock_guard l(m->lock);
    m->Sync();
    return m->printer.BufferLevel();
}

std::uint64_t SimulatedPrinterLine::XoffCount() const {
    std::lock_guard l(m->lock);
    return m->printer.XoffCount();
}

std::uint64_t SimulatedPrinterLine::XonCount() const {
    std::lock_guard l(m->lock);
    m->Sync();
    return m->printer.XonCount();
}

DCB SimulatedPrinterLine::LineSetting() const {
    std::lock_guard l(m->lock);
    return m->host;
}

void SimulatedPrinterLine::SetLineSetting(const DCB& dcb) {
    std::lock_guard l(m->lock);
    m->host = dcb;
}

void SimulatedPrinterLine::SetPortTimeouts(const COMMTIMEOUTS& t) {
    std::lock_guard l(m->lock);
    m->timeouts = t;
}

void SimulatedPrinterLine::Fail(Op op, DWORD error, int times, int after) {
    std::lock_guard l(m->lock);
    if (times == 0) {
        m->faults.erase(op);
    } else {
        m->faults[op] = State::Fault{error, times, std::max(0, after)};
    }
}

bool SimulatedPrinterLine::IsOpen() const {
    std::lock_guard l(m->lock);
    return m->open;
}

std::vector<std::string> SimulatedPrinterLine::PrintedLines() const {
    std::lock_guard l(m->lock);
    m->Sync();
    return m->printer.PrintedLines();
}

DCB SimulatedPrinterLine::PrinterSetting() const {
    std::lock_guard l(m->lock);
    m->Sync();
    return m->printer.Setting();
}
