// The serial port as the printer-communication classes see it: the Win32
// communication records kept as plain structs with their Win32 field names
// (so that code written against DCB and COMMTIMEOUTS reads as it always did),
// and a small device interface with the operations those classes use.
//
// Two implementations: TermiosSerialDevice for real ports and pseudo-
// terminals, and the device of a simulated printer line for tests. Ports are
// opened by name through OpenSerialPort, which also finds simulated lines
// registered under a name.
#pragma once

#include "CString.h"
#include "Clock.h"
#include "OstrelExport.h"
#include "WinTypes.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

inline constexpr DWORD MAXDWORD = 0xFFFFFFFFu;

// Parity, stop bits, DTR and RTS control (DCB fields).
inline constexpr BYTE NOPARITY = 0;
inline constexpr BYTE ODDPARITY = 1;
inline constexpr BYTE EVENPARITY = 2;
inline constexpr BYTE MARKPARITY = 3;
inline constexpr BYTE SPACEPARITY = 4;
inline constexpr BYTE ONESTOPBIT = 0;
inline constexpr BYTE ONE5STOPBITS = 1;
inline constexpr BYTE TWOSTOPBITS = 2;
inline constexpr DWORD DTR_CONTROL_DISABLE = 0;
inline constexpr DWORD DTR_CONTROL_ENABLE = 1;
inline constexpr DWORD DTR_CONTROL_HANDSHAKE = 2;
inline constexpr DWORD RTS_CONTROL_DISABLE = 0;
inline constexpr DWORD RTS_CONTROL_ENABLE = 1;
inline constexpr DWORD RTS_CONTROL_HANDSHAKE = 2;
inline constexpr DWORD RTS_CONTROL_TOGGLE = 3;

inline constexpr DWORD CBR_300 = 300;
inline constexpr DWORD CBR_600 = 600;
inline constexpr DWORD CBR_1200 = 1200;
inline constexpr DWORD CBR_2400 = 2400;
inline constexpr DWORD CBR_4800 = 4800;
inline constexpr DWORD CBR_9600 = 9600;
inline constexpr DWORD CBR_19200 = 19200;
inline constexpr DWORD CBR_38400 = 38400;
inline constexpr DWORD CBR_57600 = 57600;
inline constexpr DWORD CBR_115200 = 115200;

inline constexpr char ASCII_XON = 0x11;
inline constexpr char ASCII_XOFF = 0x13;

// Modem status (GetCommModemStatus).
inline constexpr DWORD MS_CTS_ON = 0x0010;
inline constexpr DWORD MS_DSR_ON = 0x0020;
inline constexpr DWORD MS_RING_ON = 0x0040;
inline constexpr DWORD MS_RLSD_ON = 0x0080;

// Communication errors (ClearCommError).
inline constexpr DWORD CE_RXOVER = 0x0001;
inline constexpr DWORD CE_OVERRUN = 0x0002;
inline constexpr DWORD CE_RXPARITY = 0x0004;
inline constexpr DWORD CE_FRAME = 0x0008;
inline constexpr DWORD CE_BREAK = 0x0010;
inline constexpr DWORD CE_TXFULL = 0x0100;

// PurgeComm.
inline constexpr DWORD PURGE_TXABORT = 0x0001;
inline constexpr DWORD PURGE_RXABORT = 0x0002;
inline constexpr DWORD PURGE_TXCLEAR = 0x0004;
inline constexpr DWORD PURGE_RXCLEAR = 0x0008;

// The three overlapped-I/O states that callers tell apart by number. Other
// device errors are the system's errno values.
inline constexpr DWORD ERROR_OPERATION_ABORTED = 995;
inline constexpr DWORD ERROR_IO_INCOMPLETE = 996;
inline constexpr DWORD ERROR_IO_PENDING = 997;

// COMMPROP values.
inline constexpr DWORD SP_SERIALCOMM = 0x00000001;
inline constexpr DWORD PST_RS232 = 0x00000001;
inline constexpr DWORD PCF_DTRDSR = 0x0001;
inline constexpr DWORD PCF_RTSCTS = 0x0002;
inline constexpr DWORD PCF_RLSD = 0x0004;
inline constexpr DWORD PCF_PARITY_CHECK = 0x0008;
inline constexpr DWORD PCF_XONXOFF = 0x0010;
inline constexpr DWORD PCF_SETXCHAR = 0x0020;
inline constexpr DWORD PCF_TOTALTIMEOUTS = 0x0040;
inline constexpr DWORD PCF_INTTIMEOUTS = 0x0080;
inline constexpr DWORD SP_PARITY = 0x0001;
inline constexpr DWORD SP_BAUD = 0x0002;
inline constexpr DWORD SP_DATABITS = 0x0004;
inline constexpr DWORD SP_STOPBITS = 0x0008;
inline constexpr DWORD SP_HANDSHAKING = 0x0010;
inline constexpr DWORD SP_PARITY_CHECK = 0x0020;
inline constexpr DWORD BAUD_300 = 0x00000002;
inline constexpr DWORD BAUD_600 = 0x00000004;
inline constexpr DWORD BAUD_1200 = 0x00000008;
inline constexpr DWORD BAUD_2400 = 0x00000020;
inline constexpr DWORD BAUD_4800 = 0x00000040;
inline constexpr DWORD BAUD_9600 = 0x00000080;
inline constexpr DWORD BAUD_19200 = 0x00000200;
inline constexpr DWORD BAUD_38400 = 0x00000400;
inline constexpr DWORD BAUD_57600 = 0x00040000;
inline constexpr DWORD BAUD_115200 = 0x00020000;
inline constexpr DWORD BAUD_USER = 0x10000000;
inline constexpr WORD DATABITS_5 = 0x0001;
inline constexpr WORD DATABITS_6 = 0x0002;
inline constexpr WORD DATABITS_7 = 0x0004;
inline constexpr WORD DATABITS_8 = 0x0008;
inline constexpr WORD STOPBITS_10 = 0x0001;
inline constexpr WORD STOPBITS_20 = 0x0004;
inline constexpr WORD PARITY_NONE = 0x0100;
inline constexpr WORD PARITY_ODD = 0x0200;
inline constexpr WORD PARITY_EVEN = 0x0400;
inline constexpr WORD PARITY_MARK = 0x0800;
inline constexpr WORD PARITY_SPACE = 0x1000;

// Line setting. Every field starts at zero except DCBlength.
struct DCB {
    DWORD DCBlength = sizeof(DCB);
    DWORD BaudRate = 0;
    DWORD fBinary : 1 = 0;
    DWORD fParity : 1 = 0;
    DWORD fOutxCtsFlow : 1 = 0;
    DWORD fOutxDsrFlow : 1 = 0;
    DWORD fDtrControl : 2 = 0;
    DWORD fDsrSensitivity : 1 = 0;
    DWORD fTXContinueOnXoff : 1 = 0;
    DWORD fOutX : 1 = 0;
    DWORD fInX : 1 = 0;
    DWORD fErrorChar : 1 = 0;
    DWORD fNull : 1 = 0;
    DWORD fRtsControl : 2 = 0;
    DWORD fAbortOnError : 1 = 0;
    DWORD fDummy2 : 17 = 0;
    WORD wReserved = 0;
    WORD XonLim = 0;
    WORD XoffLim = 0;
    BYTE ByteSize = 0;
    BYTE Parity = 0;
    BYTE StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    WORD wReserved1 = 0;
};

struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout = 0;
    DWORD ReadTotalTimeoutMultiplier = 0;
    DWORD ReadTotalTimeoutConstant = 0;
    DWORD WriteTotalTimeoutMultiplier = 0;
    DWORD WriteTotalTimeoutConstant = 0;
};

struct COMMPROP {
    WORD wPacketLength = 0;
    WORD wPacketVersion = 0;
    DWORD dwServiceMask = 0;
    DWORD dwReserved1 = 0;
    DWORD dwMaxTxQueue = 0;
    DWORD dwMaxRxQueue = 0;
    DWORD dwMaxBaud = 0;
    DWORD dwProvSubType = 0;
    DWORD dwProvCapabilities = 0;
    DWORD dwSettableParams = 0;
    DWORD dwSettableBaud = 0;
    WORD wSettableData = 0;
    WORD wSettableStopParity = 0;
    DWORD dwCurrentTxQueue = 0;
    DWORD dwCurrentRxQueue = 0;
    DWORD dwProvSpec1 = 0;
    DWORD dwProvSpec2 = 0;
};

// What every serial device of ours offers: an RS-232 port at the standard
// rates and any other, RTS/CTS, DTR/DSR and XON/XOFF, total and interval
// time-outs, 8 data bits, one stop bit, no parity, and `rxQueue` bytes of
// input queue. A device adds what it offers beyond that.
OSTREL_API COMMPROP BasicCommProperties(DWORD rxQueue);

struct COMSTAT {
    DWORD fCtsHold : 1 = 0;
    DWORD fDsrHold : 1 = 0;
    DWORD fRlsdHold : 1 = 0;
    DWORD fXoffHold : 1 = 0;
    DWORD fXoffSent : 1 = 0;
    DWORD fEof : 1 = 0;
    DWORD fTxim : 1 = 0;
    DWORD fReserved : 25 = 0;
    DWORD cbInQue = 0;
    DWORD cbOutQue = 0;
};

// One open serial port. One thread at a time drives it; CancelIo and
// PurgeComm may come from another thread to end a wait early.
//
// Flow control is the Windows driver's: with fOutX the XON and XOFF
// characters are taken out of the received stream and a received XOFF holds
// transmission until XON; with fOutxCtsFlow / fOutxDsrFlow a low CTS / DSR
// holds it. ClearCommError reports the holds in COMSTAT.
class OSTREL_API SerialDevice {
public:
    enum class IoResult {
        Completed,  // finished within the wait (a read may be short, see Read)
        TimedOut,   // the wait ran out; the operation is abandoned (last error ERROR_IO_PENDING)
        Rejected,   // could not start at all (last error says why)
        Failed,     // started, then failed while waited for (last error says why)
    };

    SerialDevice() = default;
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;
    virtual ~SerialDevice() = default;

    virtual BOOL GetCommState(DCB& dcb) = 0;
    virtual BOOL SetCommState(const DCB& dcb) = 0;
    // The port's own time-outs. Reads honour the read fields the way the
    // Windows driver does (interval and total time-outs end a read early
    // with what has arrived); the write fields are kept but not used, since
    // every write here is bounded by its caller's wait.
    virtual BOOL GetCommTimeouts(COMMTIMEOUTS& t) = 0;
    virtual BOOL SetCommTimeouts(const COMMTIMEOUTS& t) = 0;
    virtual BOOL GetCommProperties(COMMPROP& p) = 0;
    // MS_CTS_ON, MS_DSR_ON ... A port without modem lines reports CTS, DSR
    // and RLSD on.
    virtual BOOL GetCommModemStatus(DWORD& status) = 0;
    // Returns and clears the CE_ error flags; fills the holds and queue sizes.
    virtual BOOL ClearCommError(DWORD* errors, COMSTAT* stat) = 0;
    virtual BOOL PurgeComm(DWORD flags) = 0;

    // Sends one byte, waiting at most waitMs for flow control to let it go
    // and for the driver to take it into its output queue, which holds no
    // more than WritePacingRule allows. Completed means taken, not yet on
    // the line: a purge of the transmit side (PURGE_TXCLEAR) throws away
    // what is still queued.
    virtual IoResult WriteByte(BYTE byte, DWORD waitMs) = 0;
    // Reads up to count bytes into buffer, waiting at most waitMs; `read`
    // says how many arrived, whatever the result. Completed with fewer than
    // count bytes means the port's own read time-outs ended the read.
    virtual IoResult Read(BYTE* buffer, DWORD count, DWORD& read, DWORD waitMs) = 0;
    // Ends a wait in progress on another thread (ERROR_OPERATION_ABORTED).
    virtual void CancelIo() = 0;

    // Releases the port: output is thrown away (so closing never waits for
    // a stalled line), and the terminal setting, modem lines and time-outs
    // found at opening are put back. FALSE (with the last error) when the
    // descriptor could not be closed; the device is closed either way.
    virtual BOOL Close() = 0;
    virtual bool IsOpen() const = 0;

    // The time the port runs on: the real clock for real ports.
    virtual Clock& GetClock() = 0;

    DWORD GetLastError() const { return m_lastError; }

protected:
    BOOL Fail(DWORD error) {
        m_lastError = error;
        return FALSE;
    }
    BOOL Succeed() {
        m_lastError = 0;
        return TRUE;
    }
    DWORD m_lastError = 0;
};

// Opens a port by name. A name registered with RegisterSerialPort opens
// through its factory; otherwise the name is a device: a path ("/dev/ttyUSB0"),
// "COMn" for the n-th on-board port (/dev/ttyS(n-1)), or a name under /dev
// ("ttyACM0"). On failure returns null and sets `error` (an errno value;
// EBUSY when another program holds the port) and, when given, `message`.
OSTREL_API std::unique_ptr<SerialDevice> OpenSerialPort(const CString& name, DWORD& error,
                                                         std::string* message = nullptr);
// The device path a port name stands for ("COM1" -> "/dev/ttyS0").
OSTREL_API std::string SerialPortPath(const CString& name);

using SerialPortFactory = std::function<std::unique_ptr<SerialDevice>(DWORD& error)>;
// Makes a name open through a factory (simulated lines register themselves
// this way); a second registration of the same name replaces the first.
OSTREL_API void RegisterSerialPort(const CString& name, SerialPortFactory factory);
OSTREL_API void UnregisterSerialPort(const CString& name);

// Bits on the line per character: start, data, parity, stop.
OSTREL_API DWORD BitsPerCharacter(const DCB& dcb);

// How a port paces what it writes. Some bytes may wait in the transmitter
// ahead of the line, so that the line never idles between two writes (on a
// USB adapter every write is a transfer of its own that takes about a
// millisecond to complete, and a loaded machine may wake the writer late by
// as much); and no more than a few dozen, because holds (XOFF, CTS or DSR
// low, a stop) are looked at before each byte, so what is already queued
// still goes out after one. About 15 ms of line time: the writer then wakes
// once per many bytes, not once per byte, even at low rates, which on a
// loaded machine is most of the CPU a byte costs; at least 16, at most 64,
// so that a hold never lets more than 64 bytes through at any rate. Every
// device paces its writes through this one rule.
struct OSTREL_API WritePacingRule {
    static constexpr DWORD kMinInFlight = 16;
    static constexpr DWORD kMaxInFlight = 64;
    static constexpr long long kLeadMs = 15;  // line time queued ahead of the line

    DWORD inFlight = kMinInFlight;                              // bytes queued ahead of the line, at most
    std::chrono::nanoseconds character{std::chrono::milliseconds(1)};  // one character on the line

    static WritePacingRule For(const DCB& dcb);

    // With `queued` bytes not yet on the line, one more may be written.
    bool MayWrite(DWORD queued) const { return queued < inFlight; }
    // When it may not: how long until it is worth looking again. Until the
    // queue is down to a quarter of the bound: the line still has a few
    // milliseconds' worth then at low rates (the bound's floor keeps that
    // much) and about one at high rates, and the writer wakes once per many
    // bytes (between 50 us and 20 ms).
    std::chrono::nanoseconds Recheck(DWORD queued) const;
    // How long to let `queued` bytes leave before the setting changes or the
    // port closes under them: twice their line time and 20 ms more. What is
    // still queued after that sits behind a stalled line.
    std::chrono::nanoseconds DrainLimit(DWORD queued) const;
};

// The line's own pace, which a driver's count may not show (a pseudo-
// terminal counts nothing, a UART not what sits in its FIFO): no byte leaves
// the line sooner than one character time after the one before it, so this
// many of the bytes written are still on their way at the least. A device
// gives the pacing rule the larger of this and its driver's count.
template <class TimePoint>
class LinePace {
public:
    void Wrote(const WritePacingRule& rule, TimePoint now) {
        m_freeAt = (now > m_freeAt ? now : m_freeAt) + rule.character;
    }
    DWORD Backlog(const WritePacingRule& rule, TimePoint now) const {
        if (now >= m_freeAt || rule.character <= std::chrono::nanoseconds::zero()) return 0;
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(m_freeAt - now);
        return static_cast<DWORD>((left + rule.character - std::chrono::nanoseconds(1)) / rule.character);
    }
    // The queue was thrown away.
    void Discard(TimePoint now) {
        if (m_freeAt > now) m_freeAt = now;
    }

private:
    TimePoint m_freeAt{};
};

// What a port's read time-outs mean for one read of `count` bytes, as the
// Windows driver reads them: MAXDWORD / 0 / 0 returns at once with what has
// arrived; MAXDWORD / MAXDWORD / c returns with the first byte or after c ms;
// otherwise a non-zero total (multiplier x count + constant) ends the read
// after that long, and a non-zero interval ends it when that long passes
// between two bytes. A read so ended is complete, only short.
struct OSTREL_API ReadTimeoutRule {
    bool returnAtOnce = false;
    bool firstByteEnds = false;
    std::optional<std::chrono::milliseconds> total;
    std::optional<std::chrono::milliseconds> interval;

    static ReadTimeoutRule For(const COMMTIMEOUTS& t, DWORD count);
};

// One read of `count` bytes under a ReadTimeoutRule, on whatever clock the
// port runs on: every device ends its reads through this one rule, so a test
// of the rule on one device proves it for all of them. The device feeds it
// the bytes as they arrive and asks whether the read is over and when to
// look again.
template <class TimePoint>
class ReadProgress {
public:
    ReadProgress(const ReadTimeoutRule& rule, DWORD count, TimePoint start)
        : m_rule(rule), m_count(count), m_start(start), m_lastByte(start) {}

    void Arrived(DWORD bytes, TimePoint now) {
        if (bytes == 0) return;
        m_read += bytes;
        m_lastByte = now;
    }
    DWORD Wanted() const { return m_count - m_read; }

    // The read has what it asked for, or all the rule lets it wait for.
    bool Satisfied() const {
        return m_read == m_count || m_rule.returnAtOnce || (m_rule.firstByteEnds && m_read > 0);
    }
    // The port's total or interval time-out has ended the read (complete,
    // only short).
    bool Expired(TimePoint now) const {
        return (m_rule.total && now >= m_start + *m_rule.total) ||
               (m_rule.interval && m_read > 0 && now >= m_lastByte + *m_rule.interval);
    }
    // When to look again at the latest, given the caller's own deadline.
    TimePoint NextCheck(TimePoint waitDeadline) const {
        TimePoint wake = waitDeadline;
        if (m_rule.total && m_start + *m_rule.total < wake) wake = m_start + *m_rule.total;
        if (m_rule.interval && m_read > 0 && m_lastByte + *m_rule.interval < wake) wake = m_lastByte + *m_rule.interval;
        return wake;
    }

private:
    ReadTimeoutRule m_rule;
    DWORD m_count;
    DWORD m_read = 0;
    TimePoint m_start;
    TimePoint m_lastByte;
};
