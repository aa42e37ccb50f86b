// A serial port with a printer on the other end, in process and on a virtual
// clock: the port for tests of everything that talks to a printer. Waits of
// the port move the virtual clock instead of sleeping, so a test of a 300 ms
// time-out runs in microseconds and always the same way.
//
// The line carries bytes at the host's line setting, one character time
// each; the printer (PrinterModel) reads them at its own setting, fills its
// buffer, prints at its rate, answers its scripted commands and signals a
// full buffer with XOFF and a low CTS; switched off, its DSR is low. Any
// operation of the port can be made to fail on purpose.
//
// Between the port and the line sits a transmitter (see Transmitter): by
// default none, so each write ends when its byte has arrived; the two
// others queue bytes ahead of the line as real hardware does, with writes
// paced by WritePacingRule, so that throughput and what a hold lets through
// can be measured on the virtual clock.
#pragma once

#include "Clock.h"
#include "PrinterModel.h"
#include "PrinterScript.h"
#include "SerialDevice.h"

#include <memory>
#include <vector>

class OSTREL_API SimulatedPrinterLine {
public:
    enum class Op {
        Open,
        GetCommState,
        SetCommState,
        GetCommTimeouts,
        SetCommTimeouts,
        GetCommProperties,
        GetCommModemStatus,
        ClearCommError,
        PurgeComm,
        WriteStart,  // the write cannot start (IoResult::Rejected)
        WriteWait,   // the write fails while waited for (IoResult::Failed)
        ReadStart,
        ReadWait,
        Close,
    };

    enum class Transmitter {
        // No queue: a write ends when its byte has reached the printer.
        Direct,
        // A UART: a 16-byte FIFO draining at line rate; its content, the
        // byte on the wire included, is the port's output queue.
        Fifo,
        // A USB adapter: every write is a transfer that completes 1 ms after
        // it was queued, and not before the adapter's own 16-byte FIFO has
        // room; transfers not yet complete are the port's output queue, the
        // adapter's FIFO drains at line rate unseen.
        UsbAdapter,
    };
    static constexpr std::size_t kFifoSize = 16;

    // Without a clock the line keeps its own.
    explicit SimulatedPrinterLine(PrinterScript script = {}, VirtualClock* clock = nullptr);
    ~SimulatedPrinterLine();
    SimulatedPrinterLine(const SimulatedPrinterLine&) = delete;
    SimulatedPrinterLine& operator=(const SimulatedPrinterLine&) = delete;

    // One port at a time: a second open fails with EBUSY. Ports still open
    // when the line goes away fail with EIO from then on.
    std::unique_ptr<SerialDevice> Open(DWORD& error);
    // Makes OpenSerialPort(name) open this line, until the line goes away.
    void Attach(const CString& portName);

    VirtualClock& GetClock();

    // Takes effect for the bytes written from now on.
    void SetTransmitter(Transmitter t);
    // Bytes in the port's output queue (what the driver would report), and
    // bytes written that have not reached the printer yet.
    std::size_t Queued() const;
    std::size_t InFlight() const;

    // The printer, at the current virtual time.
    void SetPower(bool on);
    void SetBusy(bool busy);
    void SetLever(bool up);
    void SendFromPrinter(const std::vector<BYTE>& bytes);
    // Everything the printer has received, as it read it.
    std::vector<BYTE> Received() const;
    std::size_t BufferLevel() const;
    std::uint64_t XoffCount() const;
    std::uint64_t XonCount() const;

    // The lines the printer printed, and its own line setting (which a
    // setting command may have changed).
    std::vector<std::string> PrintedLines() const;
    DCB PrinterSetting() const;

    // The host's line setting on the port; it stays across opens, as a
    // port's setting does.
    DCB LineSetting() const;
    void SetLineSetting(const DCB& dcb);
    // The port's own time-outs, found by whoever opens it next.
    void SetPortTimeouts(const COMMTIMEOUTS& t);

    // After letting `after` calls through, the next `times` calls of op
    // fail with `error` (all of them when times is negative).
    void Fail(Op op, DWORD error, int times = 1, int after = 0);
    bool IsOpen() const;

    struct State;

private:
    std::shared_ptr<State> m;
    std::vector<CString> m_names;
};
