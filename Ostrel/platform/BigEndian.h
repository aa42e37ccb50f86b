// Big-endian fields of PSW files, read from and written to byte arrays.
// Callers pass arrays they have already checked to be long enough; ByteSpan
// does the checking for code that walks a whole buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

inline std::uint32_t GetBE16(const unsigned char* p) { return (std::uint32_t{p[0]} << 8) | p[1]; }
inline std::uint32_t GetBE24(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}
inline std::uint32_t GetBE32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
inline void PutBE16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 8);
    p[1] = static_cast<unsigned char>(v);
}
inline void PutBE24(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 16);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v);
}
inline void PutBE32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

// A bounds-checked view: every accessor answers nothing past the end.
class ByteSpan {
public:
    ByteSpan(const unsigned char* data, std::size_t size) : m_data(data), m_size(size) {}
    std::size_t size() const { return m_size; }
    bool Has(std::size_t offset, std::size_t n) const { return offset <= m_size && n <= m_size - offset; }
    std::optional<std::uint8_t> U8(std::size_t off) const {
        if (!Has(off, 1)) return std::nullopt;
        return m_data[off];
    }
    std::optional<std::uint32_t> BE16(std::size_t off) const {
        if (!Has(off, 2)) return std::nullopt;
        return GetBE16(m_data + off);
    }
    std::optional<std::uint32_t> BE24(std::size_t off) const {
        if (!Has(off, 3)) return std::nullopt;
        return GetBE24(m_data + off);
    }
    std::optional<std::uint32_t> BE32(std::size_t off) const {
        if (!Has(off, 4)) return std::nullopt;
        return GetBE32(m_data + off);
    }
    const unsigned char* data() const { return m_data; }

private:
    const unsigned char* m_data;
    std::size_t m_size;
};
