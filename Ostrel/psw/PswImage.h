// A PSW file read into memory once per operation. The header readers keep
// their Init(path) operations, but the bytes they decode come from an image:
// while a PswImageScope holds the image of a file on a thread, every reader
// on that thread that names the file reads the image instead of opening the
// file again, so a load sees one state of the file however many readers take
// part, and costs one open. Without a scope a reader reads the file into an
// image of its own, once.
#pragma once

#include "BigEndian.h"
#include "CString.h"
#include "FileUtil.h"
#include "OstrelExport.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

class OSTREL_API PswImage {
public:
    // Reads the whole file: a copy, so that another program rewriting the
    // file meanwhile cannot change what the readers decode. A file larger
    // than any real upgrade file is mapped instead, so that the readers,
    // which look only at its header, do not copy gigabytes first. An image
    // of a file that could not be read is not Opened() and holds no bytes.
    static std::shared_ptr<const PswImage> Load(const CString& path);
    // The image in scope for path on this thread, or a fresh Load.
    static std::shared_ptr<const PswImage> ForReading(const CString& path);
    // The rest of an open file, from its start, as the image of path.
    static std::shared_ptr<const PswImage> FromFile(const CString& path, BinaryFile& f);

    const CString& Path() const { return m_path; }
    bool Opened() const { return m_opened; }
    std::size_t Size() const { return Bytes().size(); }
    ByteSpan Bytes() const {
        return m_file.data() ? ByteSpan(m_file.data(), m_file.size()) : ByteSpan(m_data.data(), m_data.size());
    }
    std::vector<unsigned char> Copy() const {
        const ByteSpan b = Bytes();
        return {b.data(), b.data() + b.size()};
    }

private:
    CString m_path;
    bool m_opened = false;
    MappedFile m_file;
    std::vector<unsigned char> m_data;
};

// Makes the image the one its file's readers use on this thread, until the
// scope ends. Scopes nest; the innermost one for a path wins.
class OSTREL_API PswImageScope {
public:
    explicit PswImageScope(std::shared_ptr<const PswImage> image);
    // Reads the file (or takes the image already in scope for it).
    explicit PswImageScope(const CString& path) : PswImageScope(PswImage::ForReading(path)) {}
    ~PswImageScope();
    PswImageScope(const PswImageScope&) = delete;
    PswImageScope& operator=(const PswImageScope&) = delete;

    const PswImage& Image() const { return *m_image; }

private:
    friend class PswImage;
    std::shared_ptr<const PswImage> m_image;
    PswImageScope* m_previous;
};

namespace psw {

// What the readers read through: the calls of a read-only BinaryFile, served
// from an image with every access bounds-checked (ByteSpan).
class ImageReader {
public:
    bool Open(const CString& path, BinaryFile::Mode = BinaryFile::Mode::Read) {
        return Open(PswImage::ForReading(path));
    }
    bool Open(std::shared_ptr<const PswImage> image) {
        m_image = std::move(image);
        m_pos = 0;
        if (m_image->Opened()) return true;
        m_image.reset();
        return false;
    }
    bool IsOpen() const { return m_image != nullptr; }
    void Close() { m_image.reset(); }
    // Like a file, a position past the end is allowed; reads there get nothing.
    bool Seek(std::uint64_t pos) {
        if (!m_image) return false;
        m_pos = pos;
        return true;
    }
    std::size_t Read(void* dst, std::size_t n) {
        if (!m_image || n == 0) return 0;
        const ByteSpan bytes = m_image->Bytes();
        if (m_pos >= bytes.size()) return 0;
        const auto at = static_cast<std::size_t>(m_pos);
        const std::size_t k = n < bytes.size() - at ? n : bytes.size() - at;
        if (!bytes.Has(at, k)) return 0;
        std::memcpy(dst, bytes.data() + at, k);
        m_pos += k;
        return k;
    }
    std::int64_t Length() const { return m_image ? static_cast<std::int64_t>(m_image->Size()) : -1; }
    std::uint64_t Position() const { return m_pos; }

private:
    std::shared_ptr<const PswImage> m_image;
    std::uint64_t m_pos = 0;
};

}  // namespace psw
