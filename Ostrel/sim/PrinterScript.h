// What a simulated printer does, read from a small text file (the format is
// in the README, section "ostrel-printer-sim"): the line setting it listens
// at, its model byte, the byte sequences it answers, its receive buffer and
// print rate, and when it raises XOFF/XON and drops CTS.
#pragma once

#include "OstrelExport.h"
#include "WinTypes.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct OSTREL_API PrinterScript {
    static constexpr std::size_t kNever = std::numeric_limits<std::size_t>::max();
    static constexpr long kUnlimited = -1;
    static constexpr int kModelByte = -1;  // stands for the model byte in an answer

    struct Reply {
        std::vector<BYTE> trigger;  // received bytes that make the printer answer
        std::vector<int> answer;    // bytes, or kModelByte
        unsigned busyMs = 0;        // then busy (CTS low) for this long, as after a reset
    };
    enum class Flow { XonXoff, Hardware, Both };

    DWORD baud = 9600;
    BYTE byteSize = 8;
    BYTE parity = 0;  // NOPARITY, ODDPARITY, EVENPARITY
    BYTE model = 0;
    std::vector<Reply> replies;
    bool echo = false;
    std::size_t bufferSize = 4096;
    long printRate = kUnlimited;  // bytes per second; 0: nothing is printed
    std::size_t xoffAt = 3584;    // XOFF once the buffer holds this many bytes
    std::size_t xonAt = 1024;     // XON once it has drained to this many
    std::size_t busyAt = 3584;    // CTS low from this many
    std::size_t readyAt = 1024;   // CTS high again at this many
    Flow flow = Flow::Both;
    bool power = true;
    unsigned latencyMs = 1;  // from the end of a command to its answer

    // The printer's command protocol beyond the replies. Received bytes that
    // are not part of a command are text; a feed prints the text received
    // since the last feed as one line.
    struct SettingCommand {
        std::vector<BYTE> prefix;  // followed by one configuration byte
        std::vector<BYTE> answer;
        unsigned busyMs = 0;
    };
    std::vector<std::vector<BYTE>> commands;  // commands without an answer
    std::vector<std::vector<BYTE>> feeds;     // print the line
    std::vector<std::vector<BYTE>> clears;    // drop the text not yet printed
    // Commands that change the printer's own line setting: the byte after
    // the prefix is a configuration byte (bits 0-3 baud index 1 = 1200 ...
    // 6 = 38400, bit 4 seven data bits, bits 5-6 parity 0x20 even / 0x40
    // odd). The new setting holds once the answer has left and the busy
    // time is over.
    std::vector<SettingCommand> settingCommands;

    // The script's settings over the defaults above. On error returns
    // nothing and says "line N: what" in `error`.
    static std::optional<PrinterScript> Parse(std::string_view text, std::string* error);
    static std::optional<PrinterScript> Load(const std::string& path, std::string* error);
    // Applies one more line (as the command line's -e does) to this script.
    bool Apply(std::string_view line, std::string* error);

private:
    bool m_xoffSet = false, m_xonSet = false, m_busySet = false, m_readySet = false;
    void DeriveThresholds();
    bool Check(std::string* error) const;
    friend class PrinterScriptParser;
};
