// The document's ".kfn" font files: the framework archive the editor has
// always written (property record, name, grid), read back from memory so
// that a damaged file leaves the document as it was. Kept apart from the PSW
// round trip, which shares nothing with it but the document.
#include "GlyphosDocCore.h"

#include "PswLayout.h"
#include "FileUtil.h"
#include "UiServices.h"

#include <cerrno>
#include <cstring>
#include <string>

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
    bool Int32(std::int32_t& v) {
        unsigned char b[4];
        if (!Bytes(b, 4)) return false;
        v = static_cast<std::int32_t>(std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
                                      (std::uint32_t{b[3]} << 24));
        return true;
    }
    bool String(std::string& s) {
        unsigned char b0 = 0;
        if (!Byte(b0)) return false;
        std::size_t len = b0;
        if (b0 == 0xFF) {
            unsigned char w[2];
            if (!Bytes(w, 2)) return false;
            len = w[0] | (std::size_t{w[1]} << 8);
            if (len == 0xFFFF) {
                unsigned char d[4];
                if (!Bytes(d, 4)) return false;
                len = GetLE32(d);
            }
        }
        if (len > m_n - m_pos) return false;
        s.assign(reinterpret_cast<const char*>(m_d + m_pos), len);
        m_pos += len;
        return true;
    }

private:
    static std::size_t GetLE32(const unsigned char* d) {
        return std::size_t{d[0]} | (std::size_t{d[1]} << 8) | (std::size_t{d[2]} << 16) | (std::size_t{d[3]} << 24);
    }
    const unsigned char* m_d;
    std::size_t m_n;
    std::size_t m_pos = 0;
};

}  // namespace

std::vector<unsigned char> CGlyphosDocCore::StoreKfn() {
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
    static const char* const kHex = "0123456789ABCDEF";
    for (int ch = f.GetFirstChar(); ch <= f.GetLastChar(); ++ch) {
        for (int row = 0; row < f.GetHeight(); ++row) {
            for (int b = 0; b < m_BytesPerRow; ++b) {
                const unsigned char v = f.GetGridByte(ch, row, b);
                out.insert(out.end(), {2, static_cast<unsigned char>(kHex[v >> 4]), static_cast<unsigned char>(kHex[v & 15])});
            }
        }
    }
    return out;
}

int CGlyphosDocCore::LoadKfn(const unsigned char* data, std::size_t size) {
    ArchiveReader in(data, size);
    unsigned char record[_headerFont2::kFileBytes] = {};
    if (!in.Byte(record[0])) return 0;
    const bool gen2 = record[0] == 'f';
    const std::size_t recordBytes = gen2 ? _headerFont2::kFileBytes : sizeof(_headerFont);
    std::string name;
    std::int32_t bpr = 0;
    if (!in.Bytes(record + 1, recordBytes - 1) || !in.String(name) || !in.Int32(bpr)) return 0;

    unsigned char memory[_headerFont2::kFileBytes] = {};
    if (gen2) {
        _headerFont2 r{};
        r.FromFile(record);
        std::memcpy(memory, &r, sizeof r);
    } else {
        std::memcpy(memory, record, sizeof(_headerFont));
    }
    // Read the dots into a scratch grid first: a damaged file leaves the
    // document as it was.
    KalvoFont probe;
    probe.SetHeaderGeneration(gen2 ? 1 : 0);
    std::memcpy(probe.GetHeaderBytes(), memory, static_cast<std::size_t>(probe.GetHeaderSize()));
    std::vector<unsigned char> grid(std::size_t{KalvoFont::kChars} * KalvoFont::kCharBytes, 0);
    const int first = probe.GetFirstChar(), last = probe.GetLastChar(), height = probe.GetHeight();
    // A record no font can have (such as one of zeros) is a damaged file,
    // not an empty font.
    const int width = probe.GetWidth();
    if (width < 1 || width > 64 || height < 1 || height > KalvoFont::kRows || first > last) return 0;
    // CConversioni::CStrExadecByteToInt's reading of a pair, without its
    // strings: a font of 64 x 96 has 170,000 pairs. Only 0..9 and A..E (in
    // either case) have their own value; every other character counts as 15.
    const auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'E') return c - 'A' + 10;
        if (c >= 'a' && c <= 'e') return c - 'a' + 10;
        return 15;
    };
    for (int ch = first; ch <= last; ++ch) {
        for (int row = 0; row < height; ++row) {
            for (int b = 0; b < bpr; ++b) {
                std::string pair;
                if (!in.String(pair)) {
                    // A file that ends inside its last character is complete
                    // enough; anywhere else it is damaged.
                    if (ch == last && in.AtEnd()) goto done;
                    return 0;
                }
                if (pair.size() != 2) return 0;
                const auto v = static_cast<unsigned char>(16 * digit(pair[0]) + digit(pair[1]));
                if (row < KalvoFont::kRows && b < KalvoFont::kRowBytes) {
                    grid[static_cast<std::size_t>(ch) * KalvoFont::kCharBytes +
                         static_cast<std::size_t>(row) * KalvoFont::kRowBytes + static_cast<std::size_t>(b)] = v;
                }
            }
        }
    }
done:
    ApplyPropertyRecord(memory, gen2 ? 1 : 0, CString::FromBytes(name));
    KalvoFont& f = *m_pFont;
    f.ClearAllChars();
    for (int ch = 0; ch < KalvoFont::kChars; ++ch)
        for (int row = 0; row < KalvoFont::kRows; ++row)
            for (int b = 0; b < KalvoFont::kRowBytes; ++b)
                f.SetGridByte(ch, row, b,
                              grid[static_cast<std::size_t>(ch) * KalvoFont::kCharBytes +
                                   static_cast<std::size_t>(row) * KalvoFont::kRowBytes + static_cast<std::size_t>(b)]);
    m_NewFont = 0;
    return 1;
}

int CGlyphosDocCore::SaveKfnFile(const CString& path) {
    const std::vector<unsigned char> bytes = StoreKfn();
    if (bytes.empty()) return 0;
    m_WriteError.clear();
    if (!WriteFileAtomically(path, bytes.data(), bytes.size(), &m_WriteError)) {
        ShowError(CString::Format(L"The file %s could not be written:\n%s", path, CString::FromUtf8(m_WriteError)));
        return 0;
    }
    m_NewFont = 0;
    return 1;
}

int CGlyphosDocCore::LoadKfnFile(const CString& path) {
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(path, bytes, kMaxKfnBytes)) {
        if (errno == EFBIG) {
            ShowError(CString::Format(L"The file %s is larger than any Glyphos font file.", path));
        } else {
            ShowError(CString::Format(kErrOpen, path));
        }
        return 0;
    }
    if (!LoadKfn(bytes.data(), bytes.size())) {
        ShowError(CString::Format(L"The file %s is not a Glyphos font file or is damaged.", path));
        return 0;
    }
    if (m_pObserver) {
        m_pObserver->RefreshPreview();
        m_pObserver->UpdateAllViews(0);
    }
    return 1;
}
