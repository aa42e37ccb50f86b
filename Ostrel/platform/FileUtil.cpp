#include "FileUtil.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool BinaryFile::Open(const CString& path, Mode mode) {
    Close();
    const std::string p = ToPath(path);
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

std::uint64_t BinaryFile::Position() {
    if (!m_f) return 0;
    const off_t p = ::ftello(m_f);
    return p < 0 ? 0 : static_cast<std::uint64_t>(p);
}

bool FileExists(const CString& path) {
    struct stat st {};
    return ::stat(ToPath(path).c_str(), &st) == 0;
}

bool IsDirectory(const CString& path) {
    struct stat st {};
    return ::stat(ToPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ReadWholeFile(const CString& path, std::vector<unsigned char>& out) {
    out.clear();
    BinaryFile f;
    if (!f.Open(path, BinaryFile::Mode::Read)) return false;
    const std::int64_t len = f.Length();
    if (len < 0) return false;
    out.resize(static_cast<std::size_t>(len));
    if (f.Read(out.data(), out.size()) != out.size()) {
        out.clear();
        return false;
    }
    return true;
}

bool WriteFileAtomically(const CString& path, const void* data, std::size_t n, std::string* error,
                         int newFileMode) {
    const std::string target = ToPath(path);
    const auto fail = [&](const std::string& what) {
        if (error) *error = what + ": " + std::strerror(errno);
        return false;
    };
    struct stat st {};
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed && !S_ISREG(st.st_mode)) {
        errno = EISDIR;
        return fail("cannot replace " + target);
    }
    std::string tmpl = target + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return fail("cannot create a temporary file beside " + target);
    const auto* p = static_cast<const unsigned char*>(data);
    std::size_t left = n;
    while (left > 0) {
        const ssize_t w = ::write(fd, p, left);
        if (w < 0) {
            if (errno == EINTR) continue;
            const int e = errno;
            ::close(fd);
            ::unlink(tmpl.c_str());
            errno = e;
            return fail("cannot write " + tmpl);
        }
        p += w;
        left -= static_cast<std::size_t>(w);
    }
    // mkstemp creates 0600; a replaced file keeps its own mode, a new one
    // gets the usual mode under the user's umask.
    mode_t mode = 0;
    if (existed) {
        mode = st.st_mode & 07777;
    } else if (newFileMode >= 0) {
        mode = static_cast<mode_t>(newFileMode);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
        const int e = errno;
        ::close(fd);
        ::unlink(tmpl.c_str());
        errno = e;
        return fail("cannot finish " + tmpl);
    }
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(tmpl.c_str());
        errno = e;
        return fail("cannot close " + tmpl);
    }
    if (::rename(tmpl.c_str(), target.c_str()) != 0) {
        const int e = errno;
        ::unlink(tmpl.c_str());
        errno = e;
        return fail("cannot replace " + target);
    }
    return true;
}

CString WithTrailingSlash(const CString& dir) {
    if (dir.IsEmpty() || dir[dir.GetLength() - 1] == L'/') return dir;
    return dir + L"/";
}
