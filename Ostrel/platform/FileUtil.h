// Files for the library: a small RAII binary file, whole-file reads, and the
// replace-in-one-step write used for every file that holds a user's data.
#pragma once

#include "AtomicFile.h"
#include "CString.h"
#include "OstrelExport.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

class OSTREL_API BinaryFile {
public:
    enum class Mode { Read, ReadWrite, Create, Append };

    BinaryFile() = default;
    ~BinaryFile() { Close(); }
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // Read opens regular files only, without blocking (a FIFO, a socket or a
    // device is refused; NonRegularFileKind says what it was). The other
    // modes refuse directories.
    bool Open(const CString& path, Mode mode);
    bool IsOpen() const { return m_f != nullptr; }
    void Close();
    bool Seek(std::uint64_t pos);
    // Bytes actually read or written.
    std::size_t Read(void* dst, std::size_t n);
    std::size_t Write(const void* src, std::size_t n);
    // -1 when unknown.
    std::int64_t Length();
    std::uint64_t Position();
    int Descriptor() const;

private:
    std::FILE* m_f = nullptr;
};

// A regular file mapped read-only: its bytes are paged in as they are looked
// at, so a huge file costs address space, not memory, and is never copied.
// The mapping is private: a later change of the file on disk may or may not
// show, as with any reader that has not finished yet.
class OSTREL_API MappedFile {
public:
    MappedFile() = default;
    ~MappedFile() { Unmap(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // The same refusals as BinaryFile's Read mode; an empty file maps to no bytes.
    bool Map(const CString& path);
    void Unmap();
    const unsigned char* data() const { return m_data; }
    std::size_t size() const { return m_size; }

private:
    const unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
};

OSTREL_API bool FileExists(const CString& path);
// What the path names when it exists but is not a regular file ("a FIFO",
// "a directory", "a socket", "a device"), for messages; nullptr otherwise.
OSTREL_API const char* NonRegularFileKind(const CString& path);
OSTREL_API bool IsDirectory(const CString& path);
// Whether a file could be written at `path`, found out without creating it:
// the path is a regular file we may write, or a free name in a folder we may
// create files in. When not, errno says why (EACCES, ENOENT, EISDIR...).
OSTREL_API bool CanWriteFileAt(const CString& path);
// Reads a regular file whole. A file longer than maxBytes is refused before
// anything is read (errno EFBIG), so a format with a known largest size never
// loads a huge file into memory only to reject it.
OSTREL_API bool ReadWholeFile(const CString& path, std::vector<unsigned char>& out,
                              std::uint64_t maxBytes = UINT64_MAX);

// Configuration files, info files and printer scripts are a few KiB written
// by hand: anything larger is a wrong or damaged file, refused before it is
// read so that it never costs its size in memory.
inline constexpr std::uint64_t kMaxSmallTextFileBytes = 1024 * 1024;
// ReadWholeFile for such a file. On failure `why` says why in a few words:
// the system's reason, or the size of a file over the limit
// ("314572800 bytes, more than the 1048576 such a file may hold").
OSTREL_API bool ReadSmallTextFile(const CString& path, std::vector<unsigned char>& out, std::string& why,
                                  std::uint64_t maxBytes = kMaxSmallTextFileBytes);

// Replaces the file at `path` with the data in one step (AtomicFile.h): the
// target is either the old or the new contents, never a mixture, and
// nothing is left beside it. On failure the target is untouched and `error`
// (when given) says why, the system's reason included. A new file gets
// `newFileMode` (>= 0) or 0666, under the user's umask either way.
OSTREL_API bool WriteFileAtomically(const CString& path, const void* data, std::size_t n,
                                    std::string* error = nullptr, int newFileMode = -1);
// The same for a file made piece by piece, so that a large file never has
// to be held whole in memory: `source` points `piece` at the next part (the
// pointer stays valid until the next call) and returns its length, 0 at
// the end. Each part counts as one write step for SetAtomicWriteFault.
using AtomicWriteSource = std::function<std::size_t(const unsigned char*& piece)>;
OSTREL_API bool WriteFileAtomically(const CString& path, const AtomicWriteSource& source,
                                    std::string* error = nullptr, int newFileMode = -1);

// For tests of what a failing disk leaves behind: while a hook is set,
// WriteFileAtomically asks it before each of its steps (the writes, made in
// pieces of at most kAtomicWriteChunk bytes and counted from 0, the flush to
// disk, the rename) and makes the step fail with `error` (EIO unless given)
// when it answers true. Process-wide; nullptr removes it.
enum class AtomicWriteStep { Write, Sync, Rename };
inline constexpr std::size_t kAtomicWriteChunk = 64 * 1024;
using AtomicWriteFault = bool (*)(AtomicWriteStep step, std::size_t index);
OSTREL_API void SetAtomicWriteFault(AtomicWriteFault hook, int error = EIO);

// The user's cache folder: $XDG_CACHE_HOME when set, else ~/.cache; empty
// when neither the variable nor HOME is set.
OSTREL_API std::string UserCacheDir();

// Adds a trailing "/" when missing (directories are joined by plain
// concatenation, as the configuration values are written).
OSTREL_API CString WithTrailingSlash(const CString& dir);
