// A printer played on a pseudo-terminal in real time: the engine of
// ostrel-printer-sim. Programs open SlavePath() as their serial port; the
// simulator reads the line setting they put on it, so bytes sent at another
// baud rate than the printer's arrive garbled or not at all. A pseudo-
// terminal has no modem lines and keeps no data bits or parity: the printer
// signals a full buffer with XOFF only, and only the baud rate is compared.
#pragma once

#include "OstrelExport.h"
#include "PrinterModel.h"
#include "PrinterSimHooks.h"
#include "PrinterScript.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

class PseudoTerminal;

class OSTREL_API PrinterSimulator {
public:
    explicit PrinterSimulator(PrinterScript script);
    ~PrinterSimulator();

    // Creates the pseudo-terminal, idle in raw mode at the printer's rate.
    bool Start(std::string* error);
    const std::string& Path() const;

    // Plays the printer until `stop` is set, writing one line per event to
    // `events` (when given): "line BAUD BITS PARITY STOP" when the host
    // changes the line setting, "xoff LEVEL" and "xon LEVEL" when the
    // printer sends them. Returns false when the terminal failed.
    bool Run(const std::atomic<bool>& stop, std::FILE* events);
    // Lowers the print-head lever at the next turn of Run; safe from a
    // signal handler.
    void LowerLever() { m_lowerLever = true; }

    // Printed lines and settled data go to `hooks` too (null: nowhere).
    void SetHooks(PrinterSimHooks* hooks) { m_hooks = hooks; }

    // "received N printed N lost N garbled N xoff N xon N"
    std::string Summary() const;

private:
    std::atomic<bool> m_lowerLever{false};
    // "print TEXT" for every printed line, "printer-line BAUD BITS PARITY 1"
    // when a command changed the printer's own setting.
    void ReportProtocolEvents(std::FILE* events);
    std::uint64_t m_shownLines = 0;
    // Hands what was received to the hooks when it changed since they last
    // saw it, and keeps where the recent runs of data began
    // (PrinterSimHooks.cpp).
    void OfferData(std::FILE* events);
    void NoteDataStart();
    PrinterSimHooks* m_hooks = nullptr;
    std::uint64_t m_offeredTotal = 0;
    std::vector<std::uint64_t> m_dataStarts;
    DCB m_shownOwn;

    PrinterModel m_printer;
    std::unique_ptr<PseudoTerminal> m_pty;
};
