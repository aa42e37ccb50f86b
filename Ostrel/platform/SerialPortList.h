// The ports a tool can offer the user: the serial ports the system has and,
// when asked, its parallel printer ports. Used by the port selection dialog.
#pragma once

#include "CString.h"
#include "OstrelExport.h"

#include <string>
#include <vector>

// Fills `names` with device paths ("/dev/ttyS0", "/dev/ttyUSB0",
// "/dev/serial/by-id/usb-...") found under `root` (normally "/"; tests give a
// folder holding a fake dev/ and sys/). Listed:
//  - /dev/ttyS*, only those with a UART behind them: the kernel creates
//    ttyS0..ttyS31 whether or not hardware answers, and an empty one hangs
//    any program that opens it;
//  - /dev/ttyUSB* and /dev/ttyACM* (USB adapters and CDC devices);
//  - the stable names under /dev/serial/by-id, which survive re-plugging;
//  - with serialOnly false, also /dev/lp* and /dev/usb/lp*.
// The paths carry "/dev/..." whatever the root. Returns false, with `names`
// empty, when root/dev cannot be read.
OSTREL_API bool EnumSerialPorts(const std::string& root, bool serialOnly, std::vector<CString>& names);
