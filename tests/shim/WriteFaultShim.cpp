// Loaded into a program of ours (LD_PRELOAD) by a test that wants to see
// what the program leaves when a replace-in-one-step write goes wrong. It
// sets the library's write-fault hook from WRITE_FAULT: an errno name
// ("ENOSPC", "EIO") fails the first write with that error, a signal name
// ("SIGTERM", ...) sends the program that signal instead, while its
// temporary file exists.
#include "FileUtil.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

int g_signal = 0;

bool FirstWrite(AtomicWriteStep step, std::size_t index) {
    if (step != AtomicWriteStep::Write || index != 0) return false;
    if (g_signal) std::raise(g_signal);
    return true;
}

__attribute__((constructor)) void InstallFault() {
    const char* fault = std::getenv("WRITE_FAULT");
    if (!fault) return;
    const struct {
        const char* name;
        int error, signal;
    } kinds[] = {{"ENOSPC", ENOSPC, 0},  {"EIO", EIO, 0},         {"SIGINT", 0, SIGINT},
                 {"SIGTERM", 0, SIGTERM}, {"SIGHUP", 0, SIGHUP}, {"SIGQUIT", 0, SIGQUIT}};
    for (const auto& k : kinds) {
        if (std::strcmp(fault, k.name) == 0) {
            g_signal = k.signal;
            SetAtomicWriteFault(FirstWrite, k.error ? k.error : EIO);
        }
    }
}

}  // namespace
