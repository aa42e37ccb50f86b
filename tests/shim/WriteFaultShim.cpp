// Loaded into a program of ours (LD_PRELOAD) by a test that wants to see
// what the program leaves when a replace-in-one-step write goes wrong. It
// stands in for the C library's write(): going by WRITE_FAULT, an errno
// name ("ENOSPC", "EIO") fails the first write into a temporary file of the
// replace (".NAME.tmp-XXXXXX") with that error, a signal name ("SIGTERM",
// ...) sends the program that signal instead, while that file exists.
// WRITE_FAULT_IN, when set, names the folder whose files count (a program
// may replace a file of its own first, such as a cache). At the system
// call, so that it reaches a program however it was linked.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool g_armed = false;
int g_error = EIO;
int g_signal = 0;
std::string g_folder;  // empty: any

__attribute__((constructor)) void InstallFault() {
    const char* fault = std::getenv("WRITE_FAULT");
    if (!fault) return;
    if (const char* in = std::getenv("WRITE_FAULT_IN")) {
        char real[PATH_MAX];
        g_folder = ::realpath(in, real) ? real : in;
    }
    const struct {
        const char* name;
        int error, signal;
    } kinds[] = {{"ENOSPC", ENOSPC, 0},  {"EIO", EIO, 0},         {"SIGINT", 0, SIGINT},
                 {"SIGTERM", 0, SIGTERM}, {"SIGHUP", 0, SIGHUP}, {"SIGQUIT", 0, SIGQUIT}};
    for (const auto& k : kinds) {
        if (std::strcmp(fault, k.name) == 0) {
            g_armed = true;
            g_signal = k.signal;
            g_error = k.error ? k.error : EIO;
        }
    }
}

bool IsReplaceTemp(int fd) {
    char link[64], target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n <= 0) return false;
    const std::string path(target, static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    return slash != std::string::npos && path.compare(slash + 1, 1, ".") == 0 &&
           path.find(".tmp-", slash) != std::string::npos && (g_folder.empty() || path.substr(0, slash) == g_folder);
}

}  // namespace

extern "C" ssize_t write(int fd, const void* data, size_t n) {
    using Write = ssize_t (*)(int, const void*, size_t);
    static const auto real = reinterpret_cast<Write>(::dlsym(RTLD_NEXT, "write"));
    if (g_armed && IsReplaceTemp(fd)) {
        g_armed = false;
        if (g_signal) std::raise(g_signal);
        errno = g_error;
        return -1;
    }
    return real(fd, data, n);
}
