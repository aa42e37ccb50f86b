// The printer at the far end of a serial line, as a function of time: what
// it does with the bytes it receives and what it sends back, following a
// PrinterScript. It has no clock of its own: the simulated line drives it on
// a virtual clock, ostrel-printer-sim on the real one.
#pragma once

#include "OstrelExport.h"
#include "PrinterScript.h"
#include "SerialDevice.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class OSTREL_API PrinterModel {
public:
    using Time = std::chrono::nanoseconds;  // on the driver's time line
    struct Output {
        BYTE byte;
        Time at;  // when it has left the printer
    };

    explicit PrinterModel(PrinterScript script);

    const PrinterScript& Script() const { return m_script; }
    // The printer's own line setting (rate, data bits, parity, one stop bit).
    DCB Setting() const;

    // A byte the host sent with its line setting, arriving at t. Times must
    // not go backwards.
    void Receive(BYTE byte, const DCB& host, Time t);
    // Prints from the buffer up to t; XON goes out at the moment the buffer
    // has drained to its threshold.
    void AdvanceTo(Time t);
    // What the printer has sent up to t, oldest first.
    std::vector<Output> TakeOutput(Time upTo);
    // The next moment at which the printer sends something or changes a
    // line by itself; nothing when it will stay as it is.
    std::optional<Time> NextEvent() const;

    bool Cts() const;  // low while busy or switched off
    bool Dsr() const;  // low while switched off

    // Switching off loses the buffer, pending answers and flow state.
    void SetPower(bool on, Time t);
    // A printer kept busy from outside (cover open, head lifted).
    void SetBusy(bool busy) { m_forcedBusy = busy; }
    // The print-head lever: while it is up the buffer only fills; lowered,
    // printing goes on from t.
    void SetLever(bool up, Time t);
    bool LeverUp() const { return m_leverUp; }
    // A loader took what was received (an upgrade file): the text it left
    // is not printed.
    void ForgetText() {
        m_text.clear();
        m_window.clear();
    }
    // The printer sends these bytes by itself at t.
    void Send(const std::vector<BYTE>& bytes, Time t);

    std::size_t BufferLevel() const { return m_level; }
    bool XoffSent() const { return m_xoffSent; }
    std::uint64_t XoffCount() const { return m_xoffCount; }
    std::uint64_t XonCount() const { return m_xonCount; }
    std::uint64_t Printed() const { return m_printed; }
    // Bytes that arrived with a full buffer or while switched off.
    std::uint64_t Lost() const { return m_lost; }
    // Bytes that did not survive a line-setting mismatch.
    std::uint64_t Garbled() const { return m_garbled; }
    std::uint64_t ReceivedCount() const { return m_receivedCount; }
    // CRC-32 (as zlib computes it) of every byte received, in order.
    std::uint32_t ReceivedCrc() const { return ~m_crc; }
    // The same for the bytes received since the printer last answered a
    // command or was told to clear its text: the data of a transfer that
    // followed a detection (line feeds and other commands in it do not
    // count as a new start).
    std::uint64_t DataCount() const { return m_dataCount; }
    std::uint32_t DataCrc() const { return ~m_dataCrc; }
    // Every byte the printer received, as it read it (the first 16 MiB).
    const std::vector<BYTE>& Received() const { return m_received; }

    // Lines printed by the feed command, oldest first (the first 65536),
    // and how many there were in all. A line fed while the lever is up is
    // printed when the lever comes down.
    const std::vector<std::string>& PrintedLines() const { return m_lines; }
    std::uint64_t LinesPrinted() const { return m_lineCount; }

    // How a byte sent at one line setting reads at another: unchanged when
    // rate, data bits and parity agree; at a rate less than three times off
    // it arrives garbled (its bits shifted by one); further off, or with another
    // parity, it does not arrive. Seven data bits read at eight gain the top
    // bit (the stop bit); eight read at seven lose it, or the byte when that
    // bit was 0 (a framing error).
    static std::optional<BYTE> Carry(BYTE byte, const DCB& from, const DCB& to);
    // Time one character takes on a line.
    static Time CharacterTime(const DCB& dcb);

private:
    void Queue(BYTE byte, Time at, bool urgent);
    void CheckThresholds(Time t);
    bool WantsXonXoff() const { return m_script.flow != PrinterScript::Flow::Hardware; }
    bool WantsCts() const { return m_script.flow != PrinterScript::Flow::XonXoff; }
    Time NsPerPrintedByte() const;
    // The command protocol of the script (PrinterModelProtocol.cpp).
    void ProtocolText(BYTE b);
    void DataStartsHere();
    void ProtocolCommandDone(std::size_t length);
    void ProtocolMatch(Time t);
    void ProtocolAdvance(Time t);
    void PrintLine(std::string line);
    void PrintHeldLines();

    PrinterScript m_script;
    Time m_now{0};
    Time m_lastPrint{0};
    std::size_t m_level = 0;
    bool m_power = true;
    bool m_forcedBusy = false;
    bool m_leverUp = false;
    std::uint32_t m_crc = 0xFFFFFFFFu, m_dataCrc = 0xFFFFFFFFu;
    std::uint64_t m_dataCount = 0;
    bool m_xoffSent = false;
    bool m_busyByLevel = false;
    Time m_busyUntil{0};
    Time m_lineFreeAt{0};  // the printer's transmitter is busy until then
    std::deque<Output> m_out;
    std::vector<BYTE> m_window;  // recent bytes, for the reply triggers
    std::vector<BYTE> m_received;
    std::string m_text;  // received since the last feed
    std::vector<std::string> m_lines;
    std::vector<std::string> m_heldLines;  // fed while the lever was up, not printed yet
    std::uint64_t m_lineCount = 0;
    std::optional<DCB> m_nextSetting;  // taken at m_settingAt
    Time m_settingAt{0};
    std::uint64_t m_receivedCount = 0, m_xoffCount = 0, m_xonCount = 0, m_printed = 0, m_lost = 0, m_garbled = 0;
};
