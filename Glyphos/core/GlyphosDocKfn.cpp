// The document's ".kfn" font files: the framework archive the editor has
// always written (property record, name, grid), read back from memory so
// that a damaged file leaves the document as it was. Kept apart from the PSW
// round trip, which shares nothing with it but the document.
#include "GlyphosDocCore.h"

#include "PswLayout.h"
#include "FileUtil.h"
#include "UiServices.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace {
const wchar_t* const kErrOpen = L"\nError open file: %s";

// The largest file a font can be stored in: the longest record, a name of
// up to 64 KiB, the row length, and every dot byte of 256 characters of 96
// rows as a 3-byte archive string, with rows of up to 40 bytes (64 dots and
// both margins at their widest).
constexpr std::uint64_t kMaxKfnBytes =
    _headerFont2::kFileBytes + 3 + 0xFFFF + 4 + std::uint64_t{KalvoFont::kChars} * KalvoFont::kRows * 40 * 3;

int ShowError(const CString& text, UINT icon = MB_ICONERROR) { return MessageBox(nullptr, text, L"Error", MB_OK | icon); }

// Framework archive strings: a length byte below 255, or 0xFF and a 16-bit
// length, or 0xFF 0xFFFF and a 32-bit length (little-endian).
void PutArchiveString(std::vector<unsigned char>& out, const std::string& s) {
    const std::size_t n = s.size();
    if (n < 0xFF) {
        out.push_back(static_cast<unsigned char>(n));
    } else if (n < 0xFFFE) {
        out.push_back(0xFF);
        out.push_back(static_cast<unsigned char>(n));
        out.push_back(static_cast<unsigned char>(n >> 8));
    } else {
        out.insert(out.end(), {0xFF, 0xFF, 0xFF});
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(n >> (8 * i)));
    }
    out.insert(out.end(), s.begin(), s.end());
}

// The archive's little-endian integer and string length, over any reader
// with Byte and Bytes.
template <class Reader>
bool ReadInt32(Reader& r, std::int32_t& v) {
    unsigned char b[4];
    if (!r.Bytes(b, 4)) return false;
    v = static_cast<std::int32_t>(std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
                                  (std::uint32_t{b[3]} << 24));
    return true;
}

template <class Reader>
bool ReadStringLength(Reader& r, std::size_t& len) {
    unsigned char b0 = 0;
    if (!r.Byte(b0)) return false;
    len = b0;
    if (b0 == 0xFF) {
        unsigned char w[2];
        if (!r.Bytes(w, 2)) return false;
        len = w[0] | (std::size_t{w[1]} << 8);
        if (len == 0xFFFF) {
            unsigned char d[4];
            if (!r.Bytes(d, 4)) return false;
            len = std::size_t{d[0]} | (std::size_t{d[1]} << 8) | (std::size_t{d[2]} << 16) | (std::size_t{d[3]} << 24);
        }
    }
    return true;
}

class ArchiveReader {
public:
    ArchiveReader(const unsigned char* d, std::size_t n) : m_d(d), m_n(n) {}
    bool AtEnd() const { return m_pos >= m_n; }
    bool Byte(unsigned char& b) {
        if (m_pos >= m_n) return false;
        b = m_d[m_pos++];
        return true;
    }
    bool Bytes(unsigned char* dst, std::size_t k) {
        if (m_n - m_pos < k || m_pos > m_n) return false;
        std::memcpy(dst, m_d + m_pos, k);
        m_pos += k;
        return true;
    }
    bool String(std::string& s) {
        const unsigned char* text = nullptr;
        std::size_t len = 0;
        if (!Text(text, len)) return false;
        s.assign(reinterpret_cast<const char*>(text), len);
        return true;
    }
    // The usual dot string, a length byte of 2 and its two characters, read
    // without the general rules; false (and nothing read) for any other.
    bool ShortPair(const unsigned char*& text) {
        if (m_pos > m_n || m_n - m_pos < 3 || m_d[m_pos] != 2) return false;
        text = m_d + m_pos + 1;
        m_pos += 3;
        return true;
    }
    // The next k bytes in place, or null when fewer are left.
    const unsigned char* Ahead(std::size_t k) const { return m_pos <= m_n && m_n - m_pos >= k ? m_d + m_pos : nullptr; }
    void Skip(std::size_t k) { m_pos += k; }
    // A string read in place: `text` points into the data.
    bool Text(const unsigned char*& text, std::size_t& length) {
        std::size_t len = 0;
        if (!ReadStringLength(*this, len) || len > m_n - m_pos) return false;
        text = m_d + m_pos;
        length = len;
        m_pos += len;
        return true;
    }

private:
    const unsigned char* m_d;
    std::size_t m_n;
    std::size_t m_pos = 0;
};

// ArchiveReader's reading of a file, a window of it at a time: a font of
// 64 x 96 is half a megabyte of text, which would otherwise cost its size in
// fresh memory (mapping it instead would stop the program with SIGBUS when
// another program cut the file short meanwhile). A string longer than the
// window is read past: in the dots it only shows the file damaged, and the
// name is read whole on its own.
class FileArchiveReader {
public:
    FileArchiveReader(int fd, std::uint64_t size, unsigned char* window, std::size_t capacity, std::uint64_t at = 0)
        : m_fd(fd), m_size(size), m_win(window), m_cap(capacity), m_base(at) {}
    std::uint64_t Offset() const { return m_base + m_pos; }
    bool AtEnd() const { return Offset() >= m_size; }
    bool Byte(unsigned char& b) {
        if (!Fill(1)) return false;
        b = m_win[m_pos++];
        return true;
    }
    bool Bytes(unsigned char* dst, std::size_t k) {
        if (!Fill(k)) return false;
        std::memcpy(dst, m_win + m_pos, k);
        m_pos += k;
        return true;
    }
    bool String(std::string& s) {
        std::size_t len = 0;
        if (!Length(len)) return false;
        s.resize(len);
        for (std::size_t done = 0; done < len;) {
            if (!Fill(1)) return false;
            const std::size_t k = std::min(len - done, m_end - m_pos);
            std::memcpy(s.data() + done, m_win + m_pos, k);
            m_pos += k;
            done += k;
        }
        return true;
    }
    bool ShortPair(const unsigned char*& text) {
        if (!Fill(3) || m_win[m_pos] != 2) return false;
        text = m_win + m_pos + 1;
        m_pos += 3;
        return true;
    }
    const unsigned char* Ahead(std::size_t k) { return Fill(k) ? m_win + m_pos : nullptr; }
    void Skip(std::size_t k) { m_pos += k; }
    // As ArchiveReader's; `text` is null for a string longer than the window.
    bool Text(const unsigned char*& text, std::size_t& length) {
        if (!Length(length)) return false;
        if (Fill(length)) {
            text = m_win + m_pos;
            m_pos += length;
        } else {
            text = nullptr;
            m_base = Offset() + length;
            m_pos = m_end = 0;
        }
        return true;
    }

private:
    // A string's length, when the file holds that much more.
    bool Length(std::size_t& len) {
        return ReadStringLength(*this, len) && len <= m_size - std::min(m_size, Offset());
    }
    // Makes k bytes available at m_pos; false when the file (or the
    // window) has fewer. A file that shrinks meanwhile ends where it ends.
    bool Fill(std::size_t k) {
        if (m_end - m_pos >= k) return true;
        if (k > m_cap || Offset() >= m_size || k > m_size - Offset()) return false;
        std::memmove(m_win, m_win + m_pos, m_end - m_pos);
        m_base += m_pos;
        m_end -= m_pos;
        m_pos = 0;
        while (m_end < m_cap && m_base + m_end < m_size) {
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(m_cap - m_end, m_size - m_base - m_end));
            const ssize_t n = ::pread(m_fd, m_win + m_end, want, static_cast<off_t>(m_base + m_end));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                m_size = m_base + m_end;
                break;
            }
            m_end += static_cast<std::size_t>(n);
        }
        return m_end - m_pos >= k;
    }
    int m_fd;
    std::uint64_t m_size;
    unsigned char* m_win;
    std::size_t m_cap;
    std::uint64_t m_base;  // the file offset of m_win[0]
    std::size_t m_pos = 0, m_end = 0;
};

// Every dot byte of the font's range as a 2-character archive string, a
// whole number of rows at a time: a font of 64 x 96 has 170,000 of them,
// half a megabyte of text that is never held whole on its way to the disk.
// Rows and bytes beyond the grid are stored as zeros.
class KfnDots {
public:
    KfnDots(const KalvoFont& f, int bytesPerRow)
        : m_font(f),
          m_bytesPerRow(bytesPerRow),
          m_ch(f.GetFirstChar()),
          m_last(f.GetLastChar()),
          m_height(f.GetHeight()) {
        if (m_ch > m_last || m_height < 1 || m_bytesPerRow < 1) m_ch = m_last + 1;
    }
    std::size_t Size() const {
        return m_ch > m_last ? 0 : RowText() * std::size_t(m_last - m_ch + 1) * std::size_t(m_height);
    }
    // The next rows, as many as fit in `capacity` bytes; 0 at the end.
    std::size_t Fill(unsigned char* out, std::size_t capacity) {
        // Every byte's string, worked out once.
        static constexpr auto kStrings = [] {
            std::array<std::array<unsigned char, 3>, 256> t{};
            const char* const hex = "0123456789ABCDEF";
            for (std::size_t v = 0; v < 256; ++v)
                t[v] = {2, static_cast<unsigned char>(hex[v >> 4]), static_cast<unsigned char>(hex[v & 15])};
            return t;
        }();
        std::size_t n = 0;
        while (m_ch <= m_last && capacity - n >= RowText()) {
            const unsigned char* bits = m_font.GetCharBits(m_ch);
            unsigned char* p = out + n;
            for (int b = 0; b < m_bytesPerRow; ++b, p += 3) {
                const unsigned char v = bits && m_row < KalvoFont::kRows && b < KalvoFont::kRowBytes
                                            ? bits[m_row * KalvoFont::kRowBytes + b]
                                            : 0;
                std::memcpy(p, kStrings[v].data(), 3);
            }
            n += RowText();
            if (++m_row == m_height) {
                m_row = 0;
                ++m_ch;
            }
        }
        return n;
    }

private:
    std::size_t RowText() const { return 3 * static_cast<std::size_t>(m_bytesPerRow); }
    const KalvoFont& m_font;
    int m_bytesPerRow;
    int m_ch, m_last, m_height;
    int m_row = 0;
};

// What a ".kfn" file says before its dots.
struct KfnRecord {
    unsigned char memory[_headerFont2::kFileBytes] = {};  // the property record as the font holds it
    bool gen2 = false;
    std::string name;
    std::int32_t bpr = 0;
    int first = 0, last = 0, height = 0;
};

// The record, the name and the row length; false for a damaged file or a
// record no font can have (such as one of zeros).
template <class Reader>
bool ReadKfnRecord(Reader& in, KfnRecord& h) {
    unsigned char record[_headerFont2::kFileBytes] = {};
    if (!in.Byte(record[0])) return false;
    h.gen2 = record[0] == 'f';
    const std::size_t recordBytes = h.gen2 ? _headerFont2::kFileBytes : sizeof(_headerFont);
    if (!in.Bytes(record + 1, recordBytes - 1) || !in.String(h.name) || !ReadInt32(in, h.bpr)) return false;
    if (h.gen2) {
        _headerFont2 r{};
        r.FromFile(record);
        std::memcpy(h.memory, &r, sizeof r);
    } else {
        std::memcpy(h.memory, record, sizeof(_headerFont));
    }
    // Both records keep the size and the range at the same places.
    static_assert(offsetof(_headerFont, Width) == offsetof(_headerFont2, Width) &&
                  offsetof(_headerFont, Height) == offsetof(_headerFont2, Height) &&
                  offsetof(_headerFont, FirstChar) == offsetof(_headerFont2, FirstChar) &&
                  offsetof(_headerFont, LastChar) == offsetof(_headerFont2, LastChar));
    _headerFont head{};
    std::memcpy(&head, h.memory, sizeof head);
    h.first = head.FirstChar;
    h.last = head.LastChar;
    h.height = head.Height;
    const int width = head.Width;
    return width >= 1 && width <= 64 && h.height >= 1 && h.height <= KalvoFont::kRows && h.first <= h.last;
}

// The dot strings from where `r` stands, into `into` (or only checked when
// null); false for a damaged file.
template <class Reader>
bool ReadKfnDots(Reader r, const KfnRecord& h, KalvoFont* into) {
    // CConversioni::CStrExadecByteToInt's reading of a pair, without its
    // strings: a font of 64 x 96 has 170,000 pairs. Only 0..9 and A..E (in
    // either case) have their own value; every other character counts as 15.
    static constexpr auto kDigit = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c) {
            t[static_cast<std::size_t>(c)] = c >= '0' && c <= '9'   ? static_cast<unsigned char>(c - '0')
                                             : c >= 'A' && c <= 'E' ? static_cast<unsigned char>(c - 'A' + 10)
                                             : c >= 'a' && c <= 'e' ? static_cast<unsigned char>(c - 'a' + 10)
                                                                    : 15;
        }
        return t;
    }();
    const std::int32_t bpr = h.bpr;
    for (int ch = h.first; ch <= h.last; ++ch) {
        // The font's own rows (height is within the grid).
        unsigned char* bits = into ? const_cast<unsigned char*>(into->GetCharBits(ch)) : nullptr;
        for (int row = 0; row < h.height; ++row) {
            // A whole row of the usual strings at once; a row with any
            // other is read again below, string by string.
            if (bpr > 0) {
                const std::size_t rowBytes = 3 * static_cast<std::size_t>(bpr);
                if (const unsigned char* p = r.Ahead(rowBytes)) {
                    std::size_t i = 0;
                    for (; i < rowBytes && p[i] == 2; i += 3) {
                        if (bits && i / 3 < KalvoFont::kRowBytes) {
                            bits[static_cast<std::size_t>(row) * KalvoFont::kRowBytes + i / 3] =
                                static_cast<unsigned char>(16 * kDigit[p[i + 1]] + kDigit[p[i + 2]]);
                        }
                    }
                    if (i == rowBytes) {
                        r.Skip(rowBytes);
                        continue;
                    }
                }
            }
            for (int b = 0; b < bpr; ++b) {
                const unsigned char* pair = nullptr;
                if (!r.ShortPair(pair)) {
                    std::size_t pairLength = 0;
                    if (!r.Text(pair, pairLength)) {
                        // A file that ends inside its last character is
                        // complete enough; anywhere else it is damaged.
                        return ch == h.last && r.AtEnd();
                    }
                    if (pairLength != 2) return false;
                }
                if (bits && b < KalvoFont::kRowBytes) {
                    bits[row * KalvoFont::kRowBytes + b] = static_cast<unsigned char>(16 * kDigit[pair[0]] + kDigit[pair[1]]);
                }
            }
        }
    }
    return true;
}

}  // namespace

std::vector<unsigned char> CGlyphosDocCore::KfnHead() const {
    const KalvoFont& f = *m_pFont;
    std::vector<unsigned char> out;
    const bool gen2 = f.GetHeaderBytes()[0] == 'f';
    if (gen2 && f.GetHeaderGeneration() == 1) {
        unsigned char file[_headerFont2::kFileBytes];
        f.GetHeaderFont2().ToFile(file);
        out.insert(out.end(), file, file + sizeof file);
    } else if (gen2) {
        // A first-generation record whose tag was edited to "f" cannot be
        // told apart by a reader: store what the reader will expect.
        const _headerFont2 r = psw::AsSecondGeneration(f.GetHeaderFont(), f.GetFontPosition());
        unsigned char file[_headerFont2::kFileBytes];
        r.ToFile(file);
        out.insert(out.end(), file, file + sizeof file);
    } else {
        const unsigned char* rec = f.GetHeaderBytes();
        if (f.GetHeaderGeneration() == 1) {
            // The reverse: a second-generation record with another tag is
            // stored in the first-generation layout by meaning.
            const _headerFont r = psw::AsFirstGeneration(f.GetHeaderFont2(), f.GetFontPosition());
            out.insert(out.end(), reinterpret_cast<const unsigned char*>(&r), reinterpret_cast<const unsigned char*>(&r) + 16);
        } else {
            out.insert(out.end(), rec, rec + 16);
        }
    }
    const std::string name = f.GetFontName().ToBytes();
    if (name.empty()) {
        ShowError(L"Error to Save .kfn file. Conversion UNICODE to ANSI failed.", MB_ICONSTOP);
        return {};
    }
    PutArchiveString(out, name);
    const auto bpr = static_cast<std::uint32_t>(m_BytesPerRow);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(bpr >> (8 * i)));
    return out;
}

std::vector<unsigned char> CGlyphosDocCore::StoreKfn() {
    std::vector<unsigned char> out = KfnHead();
    if (out.empty()) return out;
    KfnDots dots(*m_pFont, m_BytesPerRow);
    const std::size_t head = out.size();
    out.resize(head + dots.Size());
    dots.Fill(out.data() + head, dots.Size());
    return out;
}

int CGlyphosDocCore::LoadKfn(const unsigned char* data, std::size_t size) {
    ArchiveReader in(data, size);
    KfnRecord head;
    // The dots are read twice: checked through first, so that a damaged
    // file leaves the document as it was, then into the document's font
    // (cheaper than a scratch font of 200 KB to copy from).
    if (!ReadKfnRecord(in, head) || !ReadKfnDots(in, head, nullptr)) return 0;
    ApplyPropertyRecord(head.memory, head.gen2 ? 1 : 0, CString::FromBytes(head.name));
    m_pFont->ClearAllChars();
    ReadKfnDots(in, head, m_pFont.get());
    m_NewFont = 0;
    return 1;
}

int CGlyphosDocCore::SaveKfnFile(const CString& path) {
    const std::vector<unsigned char> head = KfnHead();
    if (head.empty()) return 0;
    KfnDots dots(*m_pFont, m_BytesPerRow);
    // A small buffer, filled again for every piece: fresh pages are what a
    // short command pays most for.
    constexpr std::size_t kPiece = 16 * 1024;
    const std::unique_ptr<unsigned char[]> buffer(new unsigned char[kPiece]);
    bool headWritten = false;
    const auto next = [&](const unsigned char*& piece) -> std::size_t {
        if (!std::exchange(headWritten, true)) {
            piece = head.data();
            return head.size();
        }
        piece = buffer.get();
        return dots.Fill(buffer.get(), kPiece);
    };
    m_WriteError.clear();
    if (!WriteFileAtomically(path, next, &m_WriteError)) {
        ShowError(CString::Format(L"The file %s could not be written:\n%s", path, CString::FromUtf8(m_WriteError)));
        return 0;
    }
    m_NewFont = 0;
    return 1;
}

int CGlyphosDocCore::LoadKfnFile(const CString& path) {
    BinaryFile file;
    const std::int64_t length = file.Open(path, BinaryFile::Mode::Read) ? file.Length() : -1;
    if (length < 0) {
        ShowError(CString::Format(kErrOpen, path));
        return 0;
    }
    if (static_cast<std::uint64_t>(length) > kMaxKfnBytes) {
        ShowError(CString::Format(L"The file %s is larger than any Glyphos font file.", path));
        return 0;
    }
    // As LoadKfn, a window of the file at a time: checked through first,
    // then read again into the font. The file changed by another program in
    // between can only fail the second reading, which says so.
    constexpr std::size_t kWindow = 64 * 1024;
    const std::unique_ptr<unsigned char[]> window(new unsigned char[kWindow]);
    const auto size = static_cast<std::uint64_t>(length);
    FileArchiveReader in(file.Descriptor(), size, window.get(), kWindow);
    KfnRecord head;
    const auto dots = [&] { return FileArchiveReader(file.Descriptor(), size, window.get(), kWindow, in.Offset()); };
    if (!ReadKfnRecord(in, head) || !ReadKfnDots(dots(), head, nullptr)) {
        ShowError(CString::Format(L"The file %s is not a Glyphos font file or is damaged.", path));
        return 0;
    }
    ApplyPropertyRecord(head.memory, head.gen2 ? 1 : 0, CString::FromBytes(head.name));
    m_pFont->ClearAllChars();
    const bool whole = ReadKfnDots(dots(), head, m_pFont.get());
    m_NewFont = 0;
    if (!whole) {
        ShowError(CString::Format(L"The file %s changed while it was read; read it again.", path));
        return 0;
    }
    if (m_pObserver) {
        m_pObserver->RefreshPreview();
        m_pObserver->UpdateAllViews(0);
    }
    return 1;
}
