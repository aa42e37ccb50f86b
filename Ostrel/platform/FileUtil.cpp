#include "FileUtil.h"

#include <cstdlib>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

const char* NonRegularFileKind(const CString& path) {
    struct stat st {};
    if (::stat(ToPath(path).c_str(), &st) != 0 || S_ISREG(st.st_mode)) return nullptr;
    if (S_ISDIR(st.st_mode)) return "a directory";
    if (S_ISFIFO(st.st_mode)) return "a FIFO";
    if (S_ISSOCK(st.st_mode)) return "a socket";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "a device";
    return "not a regular file";
}

bool BinaryFile::Open(const CString& path, Mode mode) {
    Close();
    const std::string p = ToPath(path);
    if (mode == Mode::Read) {
        // Opening a FIFO for reading waits for a writer, and a device or a
        // socket never ends: only regular files hold a user's data. The open
        // itself must not block, and the check is made on what was opened,
        // so a file swapped for a FIFO after a look at its name is refused too.
        const int fd = ::open(p.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return false;
        }
        // Regular files ignore O_NONBLOCK, but clear it all the same.
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        m_f = ::fdopen(fd, "rb");
        if (!m_f) ::close(fd);
        return m_f != nullptr;
    }
    struct stat st {};
    if (::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return false;
    const char* m = "rb";
    switch (mode) {
        case Mode::Read: m = "rb"; break;
        case Mode::ReadWrite: m = "r+b"; break;
        case Mode::Create: m = "wb"; break;
        case Mode::Append: m = "ab"; break;
    }
    m_f = std::fopen(p.c_str(), m);
    return m_f != nullptr;
}

void BinaryFile::Close() {
    if (m_f) {
        std::fclose(m_f);
        m_f = nullptr;
    }
}

bool BinaryFile::Seek(std::uint64_t pos) {
    if (!m_f || pos > static_cast<std::uint64_t>(INT64_MAX)) return false;
    return ::fseeko(m_f, static_cast<off_t>(pos), SEEK_SET) == 0;
}

std::size_t BinaryFile::Read(void* dst, std::size_t n) {
    if (!m_f || n == 0) return 0;
    return std::fread(dst, 1, n, m_f);
}

std::size_t BinaryFile::Write(const void* src, std::size_t n) {
    if (!m_f || n == 0) return 0;
    return std::fwrite(src, 1, n, m_f);
}

std::int64_t BinaryFile::Length() {
    if (!m_f) return -1;
    struct stat st {};
    std::fflush(m_f);
    if (::fstat(::fileno(m_f), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

int BinaryFile::Descriptor() const { return m_f ? ::fileno(m_f) : -1; }

std::uint64_t BinaryFile::Position() {
    if (!m_f) return 0;
    const off_t p = ::ftello(m_f);
    return p < 0 ? 0 : static_cast<std::uint64_t>(p);
}

bool MappedFile::Map(const CString& path) {
    Unmap();
    BinaryFile f;
    if (!f.Open(path, BinaryFile::Mode::Read)) return false;
    const std::int64_t len = f.Length();
    if (len < 0 || static_cast<std::uint64_t>(len) > SIZE_MAX) return false;
    if (len == 0) return true;
    void* p = ::mmap(nullptr, static_cast<std::size_t>(len), PROT_READ, MAP_PRIVATE, f.Descriptor(), 0);
    if (p == MAP_FAILED) return false;
    // Readers walk a file from its start.
    ::madvise(p, static_cast<std::size_t>(len), MADV_SEQUENTIAL);
    m_data = static_cast<const unsigned char*>(p);
    m_size = static_cast<std::size_t>(len);
    return true;
}

void MappedFile::Unmap() {
    if (m_data) ::munmap(const_cast<unsigned char*>(m_data), m_size);
    m_data = nullptr;
    m_size = 0;
}

bool FileExists(const CString& path) {
    struct stat st {};
    return ::stat(ToPath(path).c_str(), &st) == 0;
}

bool IsDirectory(const CString& path) {
    struct stat st {};
    return ::stat(ToPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CanWriteFileAt(const CString& path) {
    const std::string p = ToPath(path);
    struct stat st {};
    if (::stat(p.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            return false;
        }
        return S_ISREG(st.st_mode) && ::access(p.c_str(), W_OK) == 0;
    }
    if (errno != ENOENT) return false;
    const std::size_t slash = p.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : p.substr(0, slash);
    if (::stat(dir.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return ::access(dir.c_str(), W_OK | X_OK) == 0;
}

bool ReadSmallTextFile(const CString& path, std::vector<unsigned char>& out, std::string& why,
                       std::uint64_t maxBytes) {
    why.clear();
    errno = 0;
    if (ReadWholeFile(path, out, maxBytes)) return true;
    if (errno != EFBIG) {
        const char* kind = NonRegularFileKind(path);
        why = kind ? std::string("it is ") + kind + ", not a file" : errno ? std::strerror(errno) : "read error";
        return false;
    }
    struct stat st {};
    const long long size = ::stat(ToPath(path).c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
    why = std::to_string(size) + " bytes, more than the " + std::to_string(maxBytes) + " such a file may hold";
    return false;
}

bool ReadWholeFile(const CString& path, std::vector<unsigned char>& out, std::uint64_t maxBytes) {
    out.clear();
    BinaryFile f;
    if (!f.Open(path, BinaryFile::Mode::Read)) return false;
    const std::int64_t len = f.Length();
    if (len < 0) return false;
    if (static_cast<std::uint64_t>(len) > maxBytes) {
        errno = EFBIG;
        return false;
    }
    out.resize(static_cast<std::size_t>(len));
    if (f.Read(out.data(), out.size()) != out.size()) {
        out.clear();
        return false;
    }
    return true;
}

std::string UserCacheDir() {
    if (const char* c = std::getenv("XDG_CACHE_HOME"); c && *c) return c;
    if (const char* h = std::getenv("HOME"); h && *h) return std::string(h) + "/.cache";
    return {};
}

CString WithTrailingSlash(const CString& dir) {
    if (dir.IsEmpty() || dir[dir.GetLength() - 1] == L'/') return dir;
    return dir + L"/";
}
