// ostrel-printer-sim: a printer on a pseudo-terminal, for developing and
// testing serial code without hardware. Prints the path of the terminal to
// open as the serial port, then one line per event, until SIGINT or SIGTERM.
// The script format is in the README.
#include "PrinterScript.h"
#include "PrinterSimulator.h"
#include "SimReceipt.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::atomic<bool> g_stop{false};
PrinterSimulator* g_sim = nullptr;

void OnSignal(int) { g_stop = true; }
void OnLeverSignal(int) {
    if (g_sim) g_sim->LowerLever();
}

int Usage(std::FILE* to, int code) {
    std::fputs(
        "usage: ostrel-printer-sim [SCRIPT] [-e LINE]... [--font FILE] [--receipt OUT.png] [--paper-dots W]\n"
        "Plays a printer on a new pseudo-terminal and prints its path on the first line.\n"
        "  SCRIPT            the printer's behaviour (see README.md, section ostrel-printer-sim)\n"
        "  -e LINE           one more script line, applied after the file (e.g. -e \"baud 4800\")\n"
        "  --font FILE       print with this font: FILE.kfn, FILE.psw (its first font) or FILE.psw:N\n"
        "                    (default: a built-in 12 x 24 font); an upgrade file of the printer's\n"
        "                    model that it receives brings its first font (event \"font NAME WxH\")\n"
        "  --receipt OUT.png draw every printed line on a receipt, rewritten after each line\n"
        "  --paper-dots W    the receipt's width in dots (default 384)\n"
        "  --version         print the version\n"
        "SIGUSR1 lowers the print-head lever (script setting \"lever up\").\n",
        to);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    std::string file;
    std::vector<std::string> lines;
    SimReceipt::Options receiptOptions;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") return Usage(stdout, 0);
        if (arg == "--version") {
            std::printf("ostrel-printer-sim %s\n", GLYPHOS_VERSION);
            return 0;
        }
        std::string error;
        const int taken = SimReceipt::ParseOption(argc, argv, i, receiptOptions, error);
        if (taken < 0) {
            std::fprintf(stderr, "ostrel-printer-sim: %s\n", error.c_str());
            return Usage(stderr, 2);
        }
        if (taken > 0) {
            i += taken - 1;
            continue;
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

    // The font is read before the terminal exists: a wrong one ends here.
    std::string fontError;
    auto receipt = SimReceipt::Create(receiptOptions, script.model, fontError);
    if (!receipt) {
        std::fprintf(stderr, "ostrel-printer-sim: %s\n", fontError.c_str());
        return 1;
    }

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    PrinterSimulator sim(std::move(script));
    sim.SetHooks(receipt.get());
    g_sim = &sim;
    struct sigaction lever {};
    lever.sa_handler = OnLeverSignal;
    sigemptyset(&lever.sa_mask);
    lever.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &lever, nullptr);
    if (!sim.Start(&error)) {
        std::fprintf(stderr, "ostrel-printer-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", sim.Path().c_str());
    std::fflush(stdout);
    const bool ok = sim.Run(g_stop, stdout);
    receipt->Finish();
    std::printf("%s\n", sim.Summary().c_str());
    std::fflush(stdout);
    if (!ok) {
        std::fprintf(stderr, "ostrel-printer-sim: the pseudo-terminal failed: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
