#include "PswImage.h"

#include <cerrno>

namespace {
thread_local PswImageScope* t_innermost = nullptr;
}  // namespace

std::shared_ptr<const PswImage> PswImage::Load(const CString& path) {
    auto image = std::make_shared<PswImage>();
    image->m_path = path;
    constexpr std::uint64_t kCopyUpTo = 64ull << 20;
    image->m_opened = ReadWholeFile(path, image->m_data, kCopyUpTo);
    if (!image->m_opened && errno == EFBIG) image->m_opened = image->m_file.Map(path);
    if (!image->m_opened) image->m_data.clear();
    return image;
}

std::shared_ptr<const PswImage> PswImage::FromFile(const CString& path, BinaryFile& f) {
    auto image = std::make_shared<PswImage>();
    image->m_path = path;
    const std::int64_t length = f.Length();
    image->m_opened = f.IsOpen() && length >= 0 && f.Seek(0);
    if (image->m_opened) {
        image->m_data.resize(static_cast<std::size_t>(length));
        image->m_data.resize(f.Read(image->m_data.data(), image->m_data.size()));
    }
    return image;
}

std::shared_ptr<const PswImage> PswImage::ForReading(const CString& path) {
    // The scope keeps its image alive; a reader shares it.
    for (PswImageScope* s = t_innermost; s; s = s->m_previous) {
        if (s->m_image->Path() == path) return s->m_image;
    }
    return Load(path);
}

PswImageScope::PswImageScope(std::shared_ptr<const PswImage> image)
    : m_image(std::move(image)), m_previous(t_innermost) {
    t_innermost = this;
}

PswImageScope::~PswImageScope() { t_innermost = m_previous; }
