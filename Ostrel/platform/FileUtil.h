// Files for the library: a small RAII binary file, whole-file reads, and the
// replace-in-one-step write used for every file that holds a user's data.
#pragma once

#include "CString.h"
#include "OstrelExport.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class OSTREL_API BinaryFile {
public:
    enum class Mode { Read, ReadWrite, Create, Append };

    BinaryFile() = default;
    ~BinaryFile() { Close(); }
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // Refuses directories: reading one would look like an empty file.
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

private:
    std::FILE* m_f = nullptr;
};

OSTREL_API bool FileExists(const CString& path);
OSTREL_API bool IsDirectory(const CString& path);
OSTREL_API bool ReadWholeFile(const CString& path, std::vector<unsigned char>& out);

// Writes the data to a temporary file beside the target and renames it over
// the target, keeping the target's permissions: the target is either the old
// or the new contents, never a mixture. On failure the target is untouched
// and `error` (when given) says why. A new file gets `newFileMode` when it is
// given (>= 0), else the usual mode under the user's umask.
OSTREL_API bool WriteFileAtomically(const CString& path, const void* data, std::size_t n,
                                    std::string* error = nullptr, int newFileMode = -1);

// Adds a trailing "/" when missing (directories are joined by plain
// concatenation, as the configuration values are written).
OSTREL_API CString WithTrailingSlash(const CString& dir);
