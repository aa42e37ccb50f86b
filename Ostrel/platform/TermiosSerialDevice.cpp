#include "TermiosSerialDevice.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::microseconds;
using std::chrono::milliseconds;

// Received bytes nobody has read yet; beyond this they are dropped and
// reported as CE_RXOVER, as a full driver buffer would.
constexpr std::size_t kRxLimit = 1 << 20;

struct SpeedEntry {
    DWORD baud;
    speed_t speed;
};
constexpr SpeedEntry kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

DWORD BaudOf(speed_t s) {
    for (const auto& e : kSpeeds)
        if (e.speed == s) return e.baud;
    return 0;
}

std::optional<speed_t> SpeedOf(DWORD baud) {
    for (const auto& e : kSpeeds)
        if (e.baud == baud) return e.speed;
    return std::nullopt;
}

BYTE ByteSizeOf(tcflag_t cflag) {
    switch (cflag & CSIZE) {
        case CS5: return 5;
        case CS6: return 6;
        case CS7: return 7;
        default: return 8;
    }
}

BYTE ParityOf(tcflag_t cflag) {
    if (!(cflag & PARENB)) return NOPARITY;
    if (cflag & CMSPAR) return (cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    return (cflag & PARODD) ? ODDPARITY : EVENPARITY;
}

// The line part of a DCB (rate, frame) read from a terminal setting.
void LineFromTermios(const termios& t, DCB& dcb) {
    dcb.BaudRate = BaudOf(cfgetospeed(&t));
    dcb.ByteSize = ByteSizeOf(t.c_cflag);
    dcb.Parity = ParityOf(t.c_cflag);
    dcb.StopBits = (t.c_cflag & CSTOPB) ? (dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS) : ONESTOPBIT;
}

void MakeRaw(termios& t) {
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                        IXANY | IUCLC | IMAXBEL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ECHOE | ECHOK | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

bool IsPseudoTerminalFd(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const unsigned maj = major(st.st_rdev);
    return maj >= 136 && maj <= 143;  // Unix98 pseudo-terminal slaves
}

std::string Describe(int err) { return std::strerror(err); }

}  // namespace

struct TermiosSerialDevice::Impl {
    int fd = -1;
    int wakeFd = -1;
    std::string path;
    termios original{};
    int originalModem = 0;
    std::atomic<bool> hasModemLines{true};
    bool isPty = false;
    std::thread pump;
    serial_icounter_struct counts{};
    bool haveCounts = false;
    bool hasCounters = true;

    // Shared with the pump thread.
    std::mutex lock;
    std::condition_variable cv;
    std::deque<BYTE> rx;
    DCB dcb;  // flow settings in force; the frame of a pseudo-terminal
    WritePacingRule pacing;  // follows dcb
    LinePace<SteadyClock::time_point> pace;
    // The last write waited until the next byte could follow; nothing has
    // been written since, and a queue only shrinks by itself. The writer's own.
    bool roomKnown = false;
    COMMTIMEOUTS timeouts;
    bool xoffHeld = false;
    DWORD errors = 0;
    int lineError = 0;  // errno once the line is gone (hang-up, device removed)
    unsigned txCancel = 0;
    unsigned rxCancel = 0;

    // Samples CTS and DSR; false (with errno) when the lines cannot be read.
    // A device without modem lines has them on.
    bool ModemLines(int& status) {
        if (!hasModemLines) {
            status = TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;
            return true;
        }
        if (::ioctl(fd, TIOCMGET, &status) == 0) return true;
        if (errno == ENOTTY || errno == EINVAL) {
            hasModemLines = false;
            status = TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;
            return true;
        }
        return false;
    }

    bool SetModemBits(int bits, bool on) {
        if (!hasModemLines || bits == 0) return true;
        if (::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0) return true;
        if (errno == ENOTTY || errno == EINVAL) {
            hasModemLines = false;
            return true;
        }
        return false;
    }

    DWORD TakeLineErrors() {
        serial_icounter_struct c{};
        if (!hasCounters) return 0;
        if (::ioctl(fd, TIOCGICOUNT, &c) != 0) {
            // Not a UART (a pseudo-terminal, most USB adapters): no counters
            // to ask for again before every byte.
            if (errno == ENOTTY || errno == EINVAL) hasCounters = false;
            return 0;
        }
        DWORD e = 0;
        if (haveCounts) {
            if (c.frame != counts.frame) e |= CE_FRAME;
            if (c.parity != counts.parity) e |= CE_RXPARITY;
            if (c.overrun != counts.overrun) e |= CE_OVERRUN;
            if (c.buf_overrun != counts.buf_overrun) e |= CE_RXOVER;
            if (c.brk != counts.brk) e |= CE_BREAK;
        }
        counts = c;
        haveCounts = true;
        return e;
    }

    // Lets what is queued for the line go out before the setting changes or
    // the port closes under it, waiting no longer than the pacing rule allows
    // (a stalled line must not hold the caller). True when the queue is empty.
    bool DrainOutput() {
        const DWORD first = Queued();
        if (first == 0) return true;
        WritePacingRule rule;
        {
            std::lock_guard l(lock);
            rule = pacing;
        }
        const auto end = SteadyClock::now() + rule.DrainLimit(first);
        for (DWORD queued = first; queued > 0; queued = Queued()) {
            if (SteadyClock::now() >= end) return false;
            std::this_thread::sleep_for(std::clamp<std::chrono::nanoseconds>(rule.character * queued,
                                                                             microseconds(50), milliseconds(2)));
        }
        return true;
    }

    // What the pacing rule counts as queued: the driver's count, or the
    // line's own pace where that is more.
    DWORD Queued() {
        int reported = 0;
        // A pseudo-terminal hands every byte straight to its other end and
        // always counts 0: no need to ask before every byte.
        if (isPty || ::ioctl(fd, TIOCOUTQ, &reported) != 0 || reported < 0) reported = 0;
        std::lock_guard l(lock);
        return std::max(static_cast<DWORD>(reported), pace.Backlog(pacing, SteadyClock::now()));
    }
};

TermiosSerialDevice::TermiosSerialDevice(std::unique_ptr<Impl> impl) : m(std::move(impl)) {}

TermiosSerialDevice::~TermiosSerialDevice() {
    if (IsOpen()) Close();
}

TermiosSerialDevice::OpenResult TermiosSerialDevice::Open(const std::string& path) {
    OpenResult r;
    const std::string busy = "port busy: " + path + " is in use by another program";
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        r.error = static_cast<DWORD>(errno);
        r.message = errno == EBUSY ? busy : "cannot open " + path + ": " + Describe(errno);
        return r;
    }
    auto fail = [&](int err, std::string message) {
        ::close(fd);
        r.error = static_cast<DWORD>(err);
        r.message = std::move(message);
        return std::move(r);
    };
    if (!::isatty(fd)) return fail(ENOTTY, path + " is not a serial port");
    // The lock keeps out cooperating programs, and ourselves, even where
    // TIOCEXCL does not apply (it does not stop a privileged process).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return fail(EBUSY, busy);

    auto impl = std::make_unique<Impl>();
    impl->fd = fd;
    impl->path = path;
    if (::tcgetattr(fd, &impl->original) != 0) return fail(errno, "cannot read the setting of " + path);
    impl->isPty = IsPseudoTerminalFd(fd);
    if (::ioctl(fd, TIOCMGET, &impl->originalModem) != 0) {
        if (errno != ENOTTY && errno != EINVAL) return fail(errno, "cannot read the modem lines of " + path);
        impl->hasModemLines = false;
        impl->originalModem = TIOCM_DTR | TIOCM_RTS;
    }

    termios raw = impl->original;
    MakeRaw(raw);
    raw.c_iflag &= ~static_cast<tcflag_t>(INPCK);
    if (::tcsetattr(fd, TCSANOW, &raw) != 0) return fail(errno, "cannot set raw mode on " + path);
    // Before anything else can fail, so a failure never leaves the
    // terminal exclusive.
    impl->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (impl->wakeFd < 0) {
        const int err = errno;
        ::tcsetattr(fd, TCSANOW, &impl->original);
        return fail(err, "cannot create the wake-up descriptor");
    }
    ::ioctl(fd, TIOCEXCL);

    // The setting found, in DCB terms: the flow control the terminal had
    // becomes the flow control done here.
    const termios& o = impl->original;
    DCB& d = impl->dcb;
    LineFromTermios(o, d);
    d.fBinary = 1;
    d.fParity = (o.c_iflag & INPCK) ? 1 : 0;
    d.fOutxCtsFlow = (o.c_cflag & CRTSCTS) ? 1 : 0;
    d.fOutxDsrFlow = 0;
    d.fDtrControl = (impl->originalModem & TIOCM_DTR) ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    d.fRtsControl = (o.c_cflag & CRTSCTS)                 ? RTS_CONTROL_HANDSHAKE
                    : (impl->originalModem & TIOCM_RTS) ? RTS_CONTROL_ENABLE
                                                        : RTS_CONTROL_DISABLE;
    d.fOutX = (o.c_iflag & IXON) ? 1 : 0;
    d.fInX = (o.c_iflag & IXOFF) ? 1 : 0;
    d.fTXContinueOnXoff = 1;
    d.XonLim = 2048;
    d.XoffLim = 512;
    d.XonChar = o.c_cc[VSTART] ? static_cast<char>(o.c_cc[VSTART]) : ASCII_XON;
    d.XoffChar = o.c_cc[VSTOP] ? static_cast<char>(o.c_cc[VSTOP]) : ASCII_XOFF;
    if (d.XonChar == d.XoffChar) {
        d.XonChar = ASCII_XON;
        d.XoffChar = ASCII_XOFF;
    }
    impl->pacing = WritePacingRule::For(d);
    impl->TakeLineErrors();  // start counting line errors from now

    r.device.reset(new TermiosSerialDevice(std::move(impl)));
    r.device->m->pump = std::thread([dev = r.device.get()] { dev->Pump(); });
    return r;
}

void TermiosSerialDevice::Pump() {
    BYTE buf[4096];
    pollfd fds[2] = {{m->fd, POLLIN, 0}, {m->wakeFd, POLLIN, 0}};
    auto lineGone = [this](int err) {
        std::lock_guard l(m->lock);
        m->lineError = err;
        m->cv.notify_all();
    };
    for (;;) {
        const int n = ::poll(fds, 2, -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            lineGone(errno);
            return;
        }
        if (fds[1].revents) return;
        if (fds[0].revents & POLLIN) {
            const ssize_t got = ::read(m->fd, buf, sizeof buf);
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            if (got <= 0) {
                lineGone(got == 0 ? EIO : errno);
                return;
            }
            std::lock_guard l(m->lock);
            const bool outX = m->dcb.fOutX;
            const BYTE xon = static_cast<BYTE>(m->dcb.XonChar);
            const BYTE xoff = static_cast<BYTE>(m->dcb.XoffChar);
            for (ssize_t i = 0; i < got; ++i) {
                const BYTE b = buf[i];
                if (outX && b == xoff) {
                    m->xoffHeld = true;
                } else if (outX && b == xon) {
                    m->xoffHeld = false;
                } else if (m->rx.size() < kRxLimit) {
                    m->rx.push_back(b);
                } else {
                    m->errors |= CE_RXOVER;
                }
            }
            m->cv.notify_all();
        } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            lineGone(EIO);
            return;
        }
    }
}

bool TermiosSerialDevice::IsOpen() const { return m && m->fd >= 0; }
const std::string& TermiosSerialDevice::Path() const { return m->path; }
bool TermiosSerialDevice::IsPseudoTerminal() const { return m->isPty; }

BOOL TermiosSerialDevice::GetCommState(DCB& dcb) {
    if (!IsOpen()) return Fail(EBADF);
    termios t{};
    if (::tcgetattr(m->fd, &t) != 0) return Fail(static_cast<DWORD>(errno));
    {
        std::lock_guard l(m->lock);
        dcb = m->dcb;
    }
    const DCB kept = dcb;
    LineFromTermios(t, dcb);
    if (m->isPty) {
        dcb.ByteSize = kept.ByteSize;
        dcb.Parity = kept.Parity;
    }
    dcb.DCBlength = sizeof(DCB);
    dcb.fBinary = 1;
    return Succeed();
}

BOOL TermiosSerialDevice::SetCommState(const DCB& dcb) {
    if (!IsOpen()) return Fail(EBADF);
    const auto speed = SpeedOf(dcb.BaudRate);
    if (!speed || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY) return Fail(EINVAL);
    // One and a half stop bits go with 5 data bits only, two with 6 to 8.
    if (dcb.StopBits > TWOSTOPBITS || (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) ||
        (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize == 5))
        return Fail(EINVAL);
    if ((dcb.fOutX || dcb.fInX) && dcb.XonChar == dcb.XoffChar) return Fail(EINVAL);

    // Bytes still queued would otherwise leave at the new rate or frame.
    m->DrainOutput();
    termios before{};
    if (::tcgetattr(m->fd, &before) != 0) return Fail(static_cast<DWORD>(errno));
    termios t = before;
    MakeRaw(t);
    cfsetispeed(&t, *speed);
    cfsetospeed(&t, *speed);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    t.c_cflag |= dcb.ByteSize == 5 ? CS5 : dcb.ByteSize == 6 ? CS6 : dcb.ByteSize == 7 ? CS7 : CS8;
    switch (dcb.Parity) {
        case ODDPARITY: t.c_cflag |= PARENB | PARODD; break;
        case EVENPARITY: t.c_cflag |= PARENB; break;
        case MARKPARITY: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
        case SPACEPARITY: t.c_cflag |= PARENB | CMSPAR; break;
        default: break;
    }
    if (dcb.StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
    if (dcb.fParity) {
        t.c_iflag |= INPCK;
    } else {
        t.c_iflag &= ~static_cast<tcflag_t>(INPCK);
    }
    if (::tcsetattr(m->fd, TCSANOW, &t) != 0) return Fail(static_cast<DWORD>(errno));

    // tcsetattr succeeds when any part was taken; read back to be sure the
    // driver really runs at this rate and frame.
    termios back{};
    if (::tcgetattr(m->fd, &back) != 0) return Fail(static_cast<DWORD>(errno));
    const tcflag_t frame = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    bool same = cfgetospeed(&back) == *speed && cfgetispeed(&back) == cfgetispeed(&t);
    if (!m->isPty) same = same && (back.c_cflag & frame) == (t.c_cflag & frame);
    if (!same) {
        ::tcsetattr(m->fd, TCSANOW, &before);
        return Fail(EINVAL);
    }

    if (!m->SetModemBits(TIOCM_DTR, dcb.fDtrControl != DTR_CONTROL_DISABLE) ||
        !m->SetModemBits(TIOCM_RTS, dcb.fRtsControl != RTS_CONTROL_DISABLE))
        return Fail(static_cast<DWORD>(errno));

    std::lock_guard l(m->lock);
    m->dcb = dcb;
    m->dcb.DCBlength = sizeof(DCB);
    m->pacing = WritePacingRule::For(dcb);
    m->roomKnown = false;  // the bound may be smaller at the new rate
    if (!dcb.fOutX) m->xoffHeld = false;
    m->cv.notify_all();
    return Succeed();
}

BOOL TermiosSerialDevice::GetCommTimeouts(COMMTIMEOUTS& t) {
    if (!IsOpen()) return Fail(EBADF);
    std::lock_guard l(m->lock);
    t = m->timeouts;
    return Succeed();
}

BOOL TermiosSerialDevice::SetCommTimeouts(const COMMTIMEOUTS& t) {
    if (!IsOpen()) return Fail(EBADF);
    if (t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD &&
        t.ReadTotalTimeoutConstant == MAXDWORD)
        return Fail(EINVAL);
    std::lock_guard l(m->lock);
    m->timeouts = t;
    return Succeed();
}

BOOL TermiosSerialDevice::GetCommProperties(COMMPROP& p) {
    if (!IsOpen()) return Fail(EBADF);
    p = BasicCommProperties(kRxLimit);
    p.dwProvCapabilities |= PCF_PARITY_CHECK | PCF_SETXCHAR;
    p.dwSettableParams |= SP_PARITY_CHECK;
    // A pseudo-terminal carries bytes, not frames.
    if (!m->isPty) {
        p.wSettableData |= DATABITS_5 | DATABITS_6 | DATABITS_7;
        p.wSettableStopParity |= PARITY_ODD | PARITY_EVEN | PARITY_MARK | PARITY_SPACE;
    }
    p.wSettableStopParity |= STOPBITS_20;
    p.dwCurrentTxQueue = 4096;
    return Succeed();
}

BOOL TermiosSerialDevice::GetCommModemStatus(DWORD& status) {
    if (!IsOpen()) return Fail(EBADF);
    int lines = 0;
    if (!m->ModemLines(lines)) return Fail(static_cast<DWORD>(errno));
    status = ((lines & TIOCM_CTS) ? MS_CTS_ON : 0) | ((lines & TIOCM_DSR) ? MS_DSR_ON : 0) |
             ((lines & TIOCM_RNG) ? MS_RING_ON : 0) | ((lines & TIOCM_CAR) ? MS_RLSD_ON : 0);
    return Succeed();
}

BOOL TermiosSerialDevice::ClearCommError(DWORD* errors, COMSTAT* stat) {
    if (!IsOpen()) return Fail(EBADF);
    DWORD e = m->TakeLineErrors();
    DCB flow;
    COMSTAT s;
    {
        std::lock_guard l(m->lock);
        e |= m->errors;
        m->errors = 0;
        flow = m->dcb;
        s.fXoffHold = flow.fOutX && m->xoffHeld;
        s.cbInQue = static_cast<DWORD>(m->rx.size());
    }
    if (flow.fOutxCtsFlow || flow.fOutxDsrFlow) {
        int lines = 0;
        if (!m->ModemLines(lines)) return Fail(static_cast<DWORD>(errno));
        s.fCtsHold = flow.fOutxCtsFlow && !(lines & TIOCM_CTS);
        s.fDsrHold = flow.fOutxDsrFlow && !(lines & TIOCM_DSR);
    }
    int outq = 0;
    if (!m->isPty && ::ioctl(m->fd, TIOCOUTQ, &outq) == 0 && outq > 0) s.cbOutQue = static_cast<DWORD>(outq);
    if (errors) *errors = e;
    if (stat) *stat = s;
    return Succeed();
}

BOOL TermiosSerialDevice::PurgeComm(DWORD flags) {
    if (!IsOpen()) return Fail(EBADF);
    if (flags & ~(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) return Fail(EINVAL);
    {
        std::lock_guard l(m->lock);
        if (flags & PURGE_TXABORT) ++m->txCancel;
        if (flags & PURGE_RXABORT) ++m->rxCancel;
        if (flags & PURGE_RXCLEAR) m->rx.clear();
        if (flags & PURGE_TXCLEAR) m->pace.Discard(SteadyClock::now());
        m->cv.notify_all();
    }
    if ((flags & PURGE_TXCLEAR) && ::tcflush(m->fd, TCOFLUSH) != 0) return Fail(static_cast<DWORD>(errno));
    if ((flags & PURGE_RXCLEAR) && ::tcflush(m->fd, TCIFLUSH) != 0) return Fail(static_cast<DWORD>(errno));
    return Succeed();
}

void TermiosSerialDevice::CancelIo() {
    if (!m) return;
    std::lock_guard l(m->lock);
    ++m->txCancel;
    ++m->rxCancel;
    m->cv.notify_all();
}

SerialDevice::IoResult TermiosSerialDevice::WriteByte(BYTE byte, DWORD waitMs) {
    if (!IsOpen()) {
        Fail(EBADF);
        return IoResult::Rejected;
    }
    const auto deadline = SteadyClock::now() + milliseconds(waitMs);
    unsigned generation;
    {
        std::lock_guard l(m->lock);
        if (m->lineError) {
            Fail(static_cast<DWORD>(m->lineError));
            return IoResult::Rejected;
        }
        generation = m->txCancel;
    }
    bool waited = false;
    auto failed = [&](int err) {
        Fail(static_cast<DWORD>(err));
        return waited ? IoResult::Failed : IoResult::Rejected;
    };
    auto timedOut = [&] {
        Fail(ERROR_IO_PENDING);
        return IoResult::TimedOut;
    };
    // Waits on the condition variable until `until` (or earlier when woken),
    // so that XON, a purge, CancelIo or a lost line end the wait at once.
    auto pause = [&](SteadyClock::time_point until, bool forXon) {
        waited = true;
        std::unique_lock l(m->lock);
        m->cv.wait_until(l, std::min(until, deadline), [&] {
            return m->txCancel != generation || m->lineError != 0 || (forXon && !m->xoffHeld);
        });
    };

    for (;;) {
        bool xoffHold;
        DCB flow;
        WritePacingRule pacing;
        {
            std::lock_guard l(m->lock);
            if (m->txCancel != generation) {
                waited = true;
                return failed(ERROR_OPERATION_ABORTED);
            }
            if (m->lineError) return failed(m->lineError);
            flow = m->dcb;
            pacing = m->pacing;
            xoffHold = flow.fOutX && m->xoffHeld;
        }
        bool lineHold = false;
        if ((flow.fOutxCtsFlow || flow.fOutxDsrFlow) && m->hasModemLines) {
            int lines = 0;
            if (!m->ModemLines(lines)) return failed(errno);
            lineHold = (flow.fOutxCtsFlow && !(lines & TIOCM_CTS)) || (flow.fOutxDsrFlow && !(lines & TIOCM_DSR));
        }
        const auto now = SteadyClock::now();
        if (xoffHold || lineHold) {
            if (now >= deadline) return timedOut();
            // XON wakes the wait; modem lines are sampled every millisecond.
            pause(lineHold ? now + milliseconds(1) : deadline, !lineHold);
            continue;
        }
        // A few bytes may wait in the driver ahead of the line, no more: the
        // holds above were looked at for this byte, so a hold stops the
        // stream within what is already queued.
        const DWORD queued = std::exchange(m->roomKnown, false) ? 0 : m->Queued();
        if (!pacing.MayWrite(queued)) {
            if (now >= deadline) return timedOut();
            pause(now + pacing.Recheck(queued), false);
            continue;
        }
        const ssize_t n = ::write(m->fd, &byte, 1);
        if (n == 1) {
            {
                std::lock_guard l(m->lock);
                m->pace.Wrote(pacing, SteadyClock::now());
            }
            AwaitRoom(pacing, flow, generation, deadline);
            Succeed();
            return IoResult::Completed;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            if (now >= deadline) return timedOut();
            waited = true;
            const auto left = std::chrono::duration_cast<milliseconds>(deadline - now).count();
            pollfd p{m->fd, POLLOUT, 0};
            ::poll(&p, 1, static_cast<int>(std::clamp<long long>(left, 1, 5)));
            continue;
        }
        return failed(n == 0 ? EIO : errno);
    }
}

// After a byte has gone into the queue: waits until the next one may follow
// (a full queue has drained to half), so that the time between bytes is
// spent here rather than before the next byte, whose holds the caller looks
// at first. A hold, a cancel or the deadline end the wait at once; the byte
// is written either way.
void TermiosSerialDevice::AwaitRoom(const WritePacingRule& pacing, const DCB& flow, unsigned generation,
                                    std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const DWORD queued = m->Queued();
        const auto now = SteadyClock::now();
        if (pacing.MayWrite(queued)) {
            m->roomKnown = true;
            return;
        }
        if (now >= deadline) return;
        if ((flow.fOutxCtsFlow || flow.fOutxDsrFlow) && m->hasModemLines) {
            int lines = 0;
            if (!m->ModemLines(lines) || (flow.fOutxCtsFlow && !(lines & TIOCM_CTS)) ||
                (flow.fOutxDsrFlow && !(lines & TIOCM_DSR)))
                return;
        }
        std::unique_lock l(m->lock);
        const auto ended = [&] {
            return m->txCancel != generation || m->lineError != 0 || (flow.fOutX && m->xoffHeld);
        };
        if (ended()) return;
        m->cv.wait_until(l, std::min(now + pacing.Recheck(queued), deadline), ended);
    }
}

SerialDevice::IoResult TermiosSerialDevice::Read(BYTE* buffer, DWORD count, DWORD& read, DWORD waitMs) {
    read = 0;
    if (!IsOpen()) {
        Fail(EBADF);
        return IoResult::Rejected;
    }
    if (count > 0 && !buffer) {
        Fail(EINVAL);
        return IoResult::Rejected;
    }
    const auto start = SteadyClock::now();
    const auto waitDeadline = start + milliseconds(waitMs);
    std::unique_lock l(m->lock);
    if (m->lineError && m->rx.empty()) {
        Fail(static_cast<DWORD>(m->lineError));
        return IoResult::Rejected;
    }
    const unsigned generation = m->rxCancel;
    ReadProgress progress(ReadTimeoutRule::For(m->timeouts, count), count, start);
    for (;;) {
        const DWORD take = static_cast<DWORD>(std::min<std::size_t>(m->rx.size(), progress.Wanted()));
        if (take > 0) {
            std::copy_n(m->rx.begin(), take, buffer + read);
            m->rx.erase(m->rx.begin(), m->rx.begin() + take);
            read += take;
            progress.Arrived(take, SteadyClock::now());
        }
        if (progress.Satisfied()) {
            Succeed();
            return IoResult::Completed;
        }
        if (m->rxCancel != generation) {
            Fail(ERROR_OPERATION_ABORTED);
            return IoResult::Failed;
        }
        if (m->lineError) {
            Fail(static_cast<DWORD>(m->lineError));
            return IoResult::Failed;
        }
        const auto now = SteadyClock::now();
        if (progress.Expired(now)) {
            Succeed();
            return IoResult::Completed;
        }
        if (now >= waitDeadline) {
            Fail(ERROR_IO_PENDING);
            return IoResult::TimedOut;
        }
        m->cv.wait_until(l, progress.NextCheck(waitDeadline));
    }
}

BOOL TermiosSerialDevice::Close() {
    if (!IsOpen()) return Fail(EBADF);
    const std::uint64_t one = 1;
    if (::write(m->wakeFd, &one, sizeof one) < 0) {
        // An eventfd write fails only when its counter is full, which still
        // wakes the pump.
    }
    if (m->pump.joinable()) m->pump.join();
    ::close(m->wakeFd);
    m->wakeFd = -1;

    const int fd = m->fd;
    // The last bytes written are still queued right after a transfer: they
    // get their line time, then whatever is left is thrown away, so that
    // restoring the setting and closing never wait for a printer that has
    // stopped taking bytes. Only output still queued is thrown away: on a
    // pseudo-terminal, where nothing is ever queued, an output flush would
    // throw away what the other side has not read yet.
    m->DrainOutput();
    int queued = 0;
    ::tcflush(fd, (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued > 0) ? TCIOFLUSH : TCIFLUSH);
    ::tcsetattr(fd, TCSANOW, &m->original);
    if (m->hasModemLines) {
        const int kept = m->originalModem & (TIOCM_DTR | TIOCM_RTS);
        m->SetModemBits(kept, true);
        m->SetModemBits((TIOCM_DTR | TIOCM_RTS) & ~kept, false);
    }
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
    {
        std::lock_guard l(m->lock);
        m->fd = -1;
        m->lineError = EBADF;
        ++m->txCancel;
        ++m->rxCancel;
        m->cv.notify_all();
    }
    if (::close(fd) != 0) return Fail(static_cast<DWORD>(errno));
    return Succeed();
}

// ---------------------------------------------------------------------------

std::unique_ptr<PseudoTerminal> PseudoTerminal::Create(std::string* error) {
    auto fail = [&](const std::string& what) {
        if (error) *error = what + ": " + Describe(errno);
        return nullptr;
    };
    std::unique_ptr<PseudoTerminal> p(new PseudoTerminal);
    p->m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (p->m_master < 0) return fail("cannot create a pseudo-terminal");
    if (::grantpt(p->m_master) != 0 || ::unlockpt(p->m_master) != 0) return fail("cannot unlock the pseudo-terminal");
    char name[128];
    if (::ptsname_r(p->m_master, name, sizeof name) != 0) return fail("cannot name the pseudo-terminal");
    p->m_path = name;
    p->m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (p->m_slave < 0) return fail("cannot open " + p->m_path);
    const int flags = ::fcntl(p->m_master, F_GETFL);
    if (flags < 0 || ::fcntl(p->m_master, F_SETFL, flags | O_NONBLOCK) != 0) return fail("cannot set non-blocking mode");
    termios t{};
    if (::tcgetattr(p->m_master, &t) == 0) {
        MakeRaw(t);
        ::tcsetattr(p->m_master, TCSANOW, &t);
    }
    return p;
}

PseudoTerminal::~PseudoTerminal() {
    if (m_slave >= 0) ::close(m_slave);
    if (m_master >= 0) ::close(m_master);
}

bool PseudoTerminal::GetLineSetting(DCB& dcb) const {
    termios t{};
    if (::tcgetattr(m_slave, &t) != 0) return false;
    LineFromTermios(t, dcb);
    return true;
}

bool PseudoTerminal::SetRaw(DWORD baud) {
    const auto speed = SpeedOf(baud);
    termios t{};
    if (!speed || ::tcgetattr(m_slave, &t) != 0) return false;
    MakeRaw(t);
    cfsetispeed(&t, *speed);
    cfsetospeed(&t, *speed);
    return ::tcsetattr(m_slave, TCSANOW, &t) == 0;
}

bool PseudoTerminal::SetCooked(DWORD baud) {
    const auto speed = SpeedOf(baud);
    termios t{};
    if (!speed || ::tcgetattr(m_slave, &t) != 0) return false;
    t.c_iflag = ICRNL | IXON;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = CS8 | CREAD | HUPCL;
    t.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | IEXTEN | ECHOCTL | ECHOKE;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, *speed);
    cfsetospeed(&t, *speed);
    return ::tcsetattr(m_slave, TCSANOW, &t) == 0;
}

std::string PseudoTerminal::DescribeSetting() const {
    termios t{};
    if (::tcgetattr(m_slave, &t) != 0) return "unreadable";
    char head[160];
    std::snprintf(head, sizeof head, "speed %u/%u iflag %x oflag %x cflag %x lflag %x cc",
                  BaudOf(cfgetispeed(&t)), BaudOf(cfgetospeed(&t)), t.c_iflag, t.c_oflag, t.c_cflag, t.c_lflag);
    std::string s = head;
    for (unsigned i = 0; i < NCCS; ++i) {
        char cc[8];
        std::snprintf(cc, sizeof cc, " %02x", t.c_cc[i]);
        s += cc;
    }
    return s;
}
