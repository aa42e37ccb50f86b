// ostrel-printer-sim: a printer on a pseudo-terminal, for developing and
// testing serial code without hardware. Prints the path of the terminal to
// open as the serial port, then one line per event, until SIGINT or SIGTERM.
// The script format is in the README.
#include "PrinterScript.h"
#include "PrinterSimulator.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) { g_stop = true; }

int Usage(std::FILE* to, int code) {
    std::fputs(
        "usage: ostrel-printer-sim [SCRIPT] [-e LINE]...\n"
        "Plays a printer on a new pseudo-terminal and prints its path on the first line.\n"
        "  SCRIPT    the printer's behaviour (see README.md, section ostrel-printer-sim)\n"
        "  -e LINE   one more script line, applied after the file (e.g. -e \"baud 4800\")\n"
        "  --version print the version\n",
        to);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    std::string file;
    std::vector<std::string> lines;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") return Usage(stdout, 0);
        if (arg == "--version") {
            std::printf("ostrel-printer-sim %s\n", GLYPHOS_VERSION);
            return 0;
        }
        if (arg == "-e") {
            if (i + 1 >= argc) return Usage(stderr, 2);
            lines.emplace_back(argv[++i]);
        } else if (arg.empty() || arg[0] == '-' || !file.empty()) {
            return Usage(stderr, 2);
        } else {
            file = arg;
        }
    }
    PrinterScript script;
    std::string error;
    if (!file.empty()) {
        auto loaded = PrinterScript::Load(file, &error);
        if (!loaded) {
            std::fprintf(stderr, "ostrel-printer-sim: %s\n", error.c_str());
            return 2;
        }
        script = std::move(*loaded);
    }
    for (const auto& line : lines) {
        if (!script.Apply(line, &error)) {
            std::fprintf(stderr, "ostrel-printer-sim: -e \"%s\": %s\n", line.c_str(), error.c_str());
            return 2;
        }
    }

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    PrinterSimulator sim(std::move(script));
    if (!sim.Start(&error)) {
        std::fprintf(stderr, "ostrel-printer-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", sim.Path().c_str());
    std::fflush(stdout);
    const bool ok = sim.Run(g_stop, stdout);
    std::printf("%s\n", sim.Summary().c_str());
    std::fflush(stdout);
    if (!ok) {
        std::fprintf(stderr, "ostrel-printer-sim: the pseudo-terminal failed: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
