// What a host of PrinterSimulator adds to the printer without the simulator
// knowing about it: ostrel-printer-sim draws the printed lines with a font
// (Glyphos core, which this library must not depend on) and takes a font out
// of an upgrade file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "WinTypes.h"

class PrinterSimHooks {
public:
    virtual ~PrinterSimHooks() = default;
    // A line the printer printed, its bytes as received (control
    // characters left out), seen once `received` bytes had arrived in all.
    virtual void LinePrinted(const std::string& /*text*/, std::uint64_t /*received*/) {}
    // The line has gone quiet (or the simulator is stopping) after bytes
    // arrived. `received` holds every byte received so far (the first
    // 16 MiB), `starts` the positions in it where the recent runs of data
    // began (after the printer answered), oldest first, the current run's
    // last: bytes inside a file sent can look like a command that gets an
    // answer, so a file may begin before the current run.
    struct Settled {
        std::vector<std::string> events;  // to show ("font NAME 12x24")
        // The bytes were a file the printer's loader took: the text they
        // left unprinted is dropped, as a printer that restarts after an
        // upgrade does.
        bool taken = false;
    };
    virtual Settled DataSettled(const std::vector<BYTE>& /*received*/, const std::vector<std::uint64_t>& /*starts*/) {
        return {};
    }
};
