// How a user's file is replaced, in one place: a lock beside it held through
// read, change and rename; a hidden temporary file in its folder, every
// write, sync and close checked; the rename over the file the path resolves
// to, so links stay links; its mode and owner kept; read-only and
// hard-linked files refused; temporary files removed when a signal ends
// the program. WriteFileAtomically (FileUtil.h) is the writer built on it.
#pragma once

#include "CString.h"
#include "OstrelExport.h"

#include <chrono>
#include <string>

// The advisory lock of a file that is about to be read, changed and
// replaced: flock on ".NAME.lock" beside the file the path resolves to. The
// lock file is not the file itself, so the lock outlives the rename that
// replaces it; it is removed again by its holder. Readers never take it.
// Within one process the lock is re-entrant: a writer that already holds
// it (the read-change-replace around a WriteFileAtomically) does not wait
// for itself.
class OSTREL_API FileLock {
public:
    FileLock() = default;
    ~FileLock() { Release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Waits at most FileLockTimeout() for another writer to finish; false
    // with `error` naming the file in use, or the reason the lock file
    // could not be made.
    bool Acquire(const CString& path, std::string* error = nullptr);
    void Release();
    bool Held() const { return !m_lockPath.empty(); }

private:
    std::string m_lockPath;
};

// How long a writer waits for another one (10 s unless set; tests shorten it).
OSTREL_API void SetFileLockTimeout(std::chrono::milliseconds wait);
OSTREL_API std::chrono::milliseconds FileLockTimeout();

// The file a path names once its symbolic links are followed (also when
// that file does not exist yet: a link to a missing file names where the
// new file goes). Relative links are taken from the link's folder.
OSTREL_API std::string ResolveLinks(const std::string& path);

// Removes the temporary files of the writes still under way and the lock
// files this program holds. Safe in a signal handler: a program with its
// own handler for the ending signals calls it there.
OSTREL_API void RemoveLiveTempFiles() noexcept;
// Handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT that remove the live
// temporary files and then end the program by the same signal. A signal
// the program was started to ignore stays ignored.
OSTREL_API void InstallTempFileCleanup();
