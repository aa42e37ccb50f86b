// Serial ports on POSIX terminals, and the pseudo-terminal the printer
// simulator plays on. This pair is the only code that includes <termios.h>.
//
// How a port is driven:
// - opened non-blocking and exclusively (flock and TIOCEXCL): a port that
//   another program holds fails with EBUSY and the message "port busy";
// - raw mode, with the kernel's own flow control (IXON, IXOFF, IXANY,
//   CRTSCTS) off: output flow control is done here, byte by byte, as the
//   Windows driver does it, so that a busy printer stops the stream at once;
// - one input pump thread owns read(): it takes XON and XOFF out of the
//   received stream when fOutX is on and keeps the "held by XOFF" state;
// - CTS and DSR are sampled with TIOCMGET before each byte; a device without
//   modem lines (ENOTTY, as on a pseudo-terminal) reports them on;
// - a single-byte write lets a few bytes wait in the driver's output queue
//   (TIOCOUTQ, or the line's own pace where the driver counts less: a
//   pseudo-terminal counts nothing, so there the pace is kept by the clock
//   at the baud rate) ahead of the line, as WritePacingRule says, so the line never
//   idles between bytes, even on a USB adapter where every write is a
//   transfer of its own; when the queue is full it waits with short sleeps
//   against its deadline, never with tcdrain, which costs milliseconds per
//   call on real UARTs; a hold stops the stream within what is queued;
// - a change of the line setting first lets the queue drain (bounded), so
//   queued bytes never leave at the new rate;
// - reads are served from the pump's buffer with waits against a deadline;
// - every wait is bounded and ends early on CancelIo or a purge;
// - Close gives the queue its line time, then flushes what is left, so that
//   the end of a transfer is not lost and closing never waits on a stalled
//   line; then it puts back the termios, DTR/RTS and exclusivity found at opening.
#pragma once

#include "SerialDevice.h"

#include <memory>
#include <string>

class OSTREL_API TermiosSerialDevice : public SerialDevice {
public:
    struct OpenResult {
        std::unique_ptr<TermiosSerialDevice> device;
        DWORD error = 0;      // errno; EBUSY for a port held elsewhere
        std::string message;  // for people: "port busy: /dev/ttyS0 is in use by another program"
    };
    static OpenResult Open(const std::string& path);

    ~TermiosSerialDevice() override;

    BOOL GetCommState(DCB& dcb) override;
    BOOL SetCommState(const DCB& dcb) override;
    BOOL GetCommTimeouts(COMMTIMEOUTS& t) override;
    BOOL SetCommTimeouts(const COMMTIMEOUTS& t) override;
    BOOL GetCommProperties(COMMPROP& p) override;
    BOOL GetCommModemStatus(DWORD& status) override;
    BOOL ClearCommError(DWORD* errors, COMSTAT* stat) override;
    BOOL PurgeComm(DWORD flags) override;
    IoResult WriteByte(BYTE byte, DWORD waitMs) override;
    IoResult Read(BYTE* buffer, DWORD count, DWORD& read, DWORD waitMs) override;
    void CancelIo() override;
    BOOL Close() override;
    bool IsOpen() const override;
    Clock& GetClock() override { return Clock::Real(); }

    const std::string& Path() const;
    // True for a pseudo-terminal: it carries the baud rate but keeps no data
    // bits or parity, so those are remembered here rather than read back.
    bool IsPseudoTerminal() const;

    struct Impl;

private:
    explicit TermiosSerialDevice(std::unique_ptr<Impl> impl);
    void Pump();
    void AwaitRoom(const WritePacingRule& pacing, const DCB& flow, unsigned generation,
                   std::chrono::steady_clock::time_point deadline);
    std::unique_ptr<Impl> m;
};

// A pseudo-terminal whose far end (SlavePath) a program opens as its serial
// port. The near end keeps a descriptor of the far end open too, so the
// terminal outlives the programs that open and close it, and its line
// setting can be read while they use it.
class OSTREL_API PseudoTerminal {
public:
    static std::unique_ptr<PseudoTerminal> Create(std::string* error);
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return m_path; }
    // Non-blocking; what the far end writes is read here, and what is
    // written here arrives at the far end.
    int MasterFd() const { return m_master; }

    // The line setting the far end has put on the terminal: baud rate and
    // stop bits (the kernel keeps no data bits or parity on a pseudo-
    // terminal, so those read as 8 and none).
    bool GetLineSetting(DCB& dcb) const;
    // Raw mode at the baud rate, as an idle port.
    bool SetRaw(DWORD baud);
    // Canonical mode with echo at the baud rate, as a fresh terminal.
    bool SetCooked(DWORD baud);
    // The whole terminal setting as text, to compare before and after.
    std::string DescribeSetting() const;

private:
    PseudoTerminal() = default;
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};
