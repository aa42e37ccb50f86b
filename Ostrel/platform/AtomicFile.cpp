#include "AtomicFile.h"

#include "FileUtil.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::string Reason() { return std::strerror(errno); }

std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string Beside(const std::string& target, const std::string& prefix, const std::string& suffix) {
    const auto [dir, name] = SplitPath(target);
    return (dir == "/" ? "" : dir) + "/" + prefix + name + suffix;
}

// ------------------------------------------------------------------ locks

std::atomic<long long> g_lockWaitMs{10000};

struct HeldLock {
    int fd = -1;
    int count = 0;
    int slot = -1;  // among the files a signal removes
};
std::mutex g_heldMutex;
std::map<std::string, HeldLock> g_held;

std::string WaitText(long long ms) {
    return ms >= 1000 && ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

// ------------------------------------------------- live temporary files

// The temporary files being written and the lock files being held: a
// signal that ends the program removes them. Plain arrays and lock-free
// atomics only, as the signal handler walks them.
constexpr int kTempSlots = 32;
struct TempSlot {
    std::atomic<int> state{0};  // 0 free, 1 being filled, 2 live
    char path[PATH_MAX]{};
};
// Constant-initialised, so the 128 KiB stay untouched zero pages until a
// file is registered: a short command would otherwise fault them all in.
constinit TempSlot g_temps[kTempSlots];

int RegisterTemp(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kTempSlots; ++i) {
        int expected = 0;
        if (g_temps[i].state.compare_exchange_strong(expected, 1)) {
            std::memcpy(g_temps[i].path, path.c_str(), path.size() + 1);
            g_temps[i].state.store(2);
            return i;
        }
    }
    return -1;
}

void UnregisterTemp(int slot) {
    if (slot >= 0) g_temps[slot].state.store(0);
}

void OnEndingSignal(int sig) {
    RemoveLiveTempFiles();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// ----------------------------------------------------------- fault hook

std::atomic<AtomicWriteFault> g_fault{nullptr};
std::atomic<int> g_faultErrno{EIO};

bool Faulted(AtomicWriteStep step, std::size_t index) {
    const AtomicWriteFault hook = g_fault.load();
    if (!hook || !hook(step, index)) return false;
    errno = g_faultErrno.load();
    return true;
}

mode_t CurrentUmask() {
    // Reading the umask means setting it; it is set straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

void SetFileLockTimeout(std::chrono::milliseconds wait) { g_lockWaitMs.store(wait.count()); }
std::chrono::milliseconds FileLockTimeout() { return std::chrono::milliseconds(g_lockWaitMs.load()); }

std::string ResolveLinks(const std::string& path) {
    std::string p = path;
    // As many links as the kernel itself follows; a loop stays a link and
    // is refused by whoever tries to replace it.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(p.c_str(), buf, sizeof buf);
        if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf) return p;
        const std::string link(buf, static_cast<std::size_t>(n));
        if (link[0] == '/') {
            p = link;
        } else {
            const std::size_t slash = p.rfind('/');
            p = (slash == std::string::npos ? std::string() : p.substr(0, slash + 1)) + link;
        }
    }
    return p;
}

bool FileLock::Acquire(const CString& path, std::string* error) {
    Release();
    const std::string shown = ToPath(path);
    const std::string lockPath = Beside(ResolveLinks(shown), ".", ".lock");
    {
        const std::lock_guard<std::mutex> guard(g_heldMutex);
        if (auto it = g_held.find(lockPath); it != g_held.end()) {
            ++it->second.count;
            m_lockPath = lockPath;
            return true;
        }
    }
    const long long waitMs = g_lockWaitMs.load();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    int fd = -1;
    for (;;) {
        fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) {
            // Where no lock file can be made, no temporary file can be
            // either: the file cannot be written.
            if (error) *error = "cannot write " + shown + ": " + Reason();
            return false;
        }
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) {
                if (error) *error = "cannot lock " + shown + ": " + Reason();
                ::close(fd);
                return false;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                ::close(fd);
                if (error) *error = shown + " is in use by another program (waited " + WaitText(waitMs) + " for it)";
                errno = EWOULDBLOCK;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        // The writer before us removes the lock file before it lets go: a
        // lock won on a removed file locks nothing, so take the new one.
        struct stat held {}, named {};
        if (::fstat(fd, &held) == 0 && ::stat(lockPath.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev) {
            break;
        }
        ::close(fd);
    }
    const std::lock_guard<std::mutex> guard(g_heldMutex);
    g_held[lockPath] = HeldLock{fd, 1, RegisterTemp(lockPath)};
    m_lockPath = lockPath;
    return true;
}

void FileLock::Release() {
    if (m_lockPath.empty()) return;
    const std::lock_guard<std::mutex> guard(g_heldMutex);
    if (auto it = g_held.find(m_lockPath); it != g_held.end() && --it->second.count == 0) {
        // Removed while still held, so nobody can win a lock on it after us.
        UnregisterTemp(it->second.slot);
        ::unlink(m_lockPath.c_str());
        ::close(it->second.fd);
        g_held.erase(it);
    }
    m_lockPath.clear();
}

void RemoveLiveTempFiles() noexcept {
    for (TempSlot& t : g_temps) {
        if (t.state.load() == 2) ::unlink(t.path);
    }
}

void InstallTempFileCleanup() {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        struct sigaction sa {};
        sa.sa_handler = OnEndingSignal;
        sigemptyset(&sa.sa_mask);
        ::sigaction(sig, &sa, nullptr);
    }
}

void SetAtomicWriteFault(AtomicWriteFault hook, int error) {
    g_faultErrno.store(error);
    g_fault.store(hook);
}

bool WriteFileAtomically(const CString& path, const void* data, std::size_t n, std::string* error, int newFileMode) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::size_t left = n;
    return WriteFileAtomically(
        path,
        [&](const unsigned char*& piece) {
            const std::size_t chunk = left < kAtomicWriteChunk ? left : kAtomicWriteChunk;
            piece = p;
            p += chunk;
            left -= chunk;
            return chunk;
        },
        error, newFileMode);
}

bool WriteFileAtomically(const CString& path, const AtomicWriteSource& source, std::string* error, int newFileMode) {
    const std::string shown = ToPath(path);
    const auto fail = [&](const std::string& what) {
        if (error) *error = what;
        return false;
    };
    FileLock lock;
    std::string why;
    if (!lock.Acquire(path, &why)) return fail(why);

    const std::string target = ResolveLinks(shown);
    struct stat st {};
    const bool existed = ::lstat(target.c_str(), &st) == 0;
    if (existed) {
        if (S_ISLNK(st.st_mode)) {
            errno = ELOOP;
            return fail("cannot replace " + shown + ": " + Reason());
        }
        if (!S_ISREG(st.st_mode)) {
            errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return fail("cannot replace " + shown + ": " + (S_ISDIR(st.st_mode) ? Reason() : "it is not a regular file"));
        }
        if ((st.st_mode & S_IWUSR) == 0) {
            errno = EACCES;
            return fail("cannot replace " + shown + ": the file is read-only");
        }
        if (st.st_nlink > 1) {
            errno = EMLINK;
            return fail("cannot replace " + shown + ": the file has " + std::to_string(st.st_nlink) +
                        " hard links, which replacing it would split");
        }
        // A file the user may not write stays as it is, even in a folder
        // where the user could rename another file over it.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            return fail("cannot replace " + shown + ": " + Reason());
        }
    }

    std::string temp = Beside(target, ".", ".tmp-XXXXXX");
    // mkostemp creates the file 0600: nobody else sees a half-written copy.
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return fail("cannot write " + shown + ": " + Reason());
    const int slot = RegisterTemp(temp);
    const auto abandon = [&](const std::string& what) {
        const int e = errno;
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        UnregisterTemp(slot);
        errno = e;
        return fail(what + ": " + Reason());
    };

    std::size_t piece = 0;
    for (;;) {
        const unsigned char* p = nullptr;
        std::size_t left = source(p);
        if (left == 0) break;
        while (left > 0) {
            const ssize_t w = Faulted(AtomicWriteStep::Write, piece) ? -1 : ::write(fd, p, left);
            if (w < 0) {
                if (errno == EINTR) continue;
                return abandon("cannot write " + shown);
            }
            p += w;
            left -= static_cast<std::size_t>(w);
        }
        ++piece;
    }
    mode_t mode = 0;
    if (existed) {
        // The owner first, where this user may give it (root may; others
        // may keep at least the group they belong to): chown clears the
        // set-id bits, so the mode comes after.
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
            if (::fchown(fd, st.st_uid, st.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
        }
        mode = st.st_mode & 07777;
    } else {
        mode = static_cast<mode_t>(newFileMode >= 0 ? newFileMode : 0666) & ~CurrentUmask();
    }
    if (::fchmod(fd, mode) != 0) return abandon("cannot write " + shown);
    if (Faulted(AtomicWriteStep::Sync, 0) || ::fsync(fd) != 0) return abandon("cannot write " + shown);
    const int closing = fd;
    fd = -1;
    if (::close(closing) != 0) return abandon("cannot write " + shown);
    if (Faulted(AtomicWriteStep::Rename, 0) || ::rename(temp.c_str(), target.c_str()) != 0) {
        return abandon("cannot replace " + shown);
    }
    UnregisterTemp(slot);
    // The rename itself reaches the disk with its folder.
    const int dirFd = ::open(SplitPath(target).first.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}
