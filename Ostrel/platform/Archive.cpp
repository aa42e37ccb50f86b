#include "Archive.h"

namespace {
void PutLE(std::vector<unsigned char>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
std::uint32_t GetLE(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}
}  // namespace

void CArchive::WriteDWORD(DWORD v) { PutLE(m_out, v, 4); }

void CArchive::WriteString(const CString& s) {
    const std::size_t n = s.str().size();
    m_out.push_back(0xFF);
    PutLE(m_out, 0xFFFE, 2);
    if (n < 0xFF) {
        m_out.push_back(static_cast<unsigned char>(n));
    } else if (n < 0xFFFE) {
        m_out.push_back(0xFF);
        PutLE(m_out, static_cast<std::uint32_t>(n), 2);
    } else {
        m_out.push_back(0xFF);
        PutLE(m_out, 0xFFFF, 2);
        PutLE(m_out, static_cast<std::uint32_t>(n), 4);
    }
    for (wchar_t c : s.str()) PutLE(m_out, static_cast<std::uint32_t>(c) & 0xFFFF, 2);
}

bool CArchive::Take(std::size_t n, const unsigned char*& p) {
    if (m_failed || !m_loading || n > Remaining()) {
        m_failed = true;
        return false;
    }
    p = m_in + m_pos;
    m_pos += n;
    return true;
}

bool CArchive::ReadDWORD(DWORD& v) {
    const unsigned char* p = nullptr;
    if (!Take(4, p)) return false;
    v = GetLE(p, 4);
    return true;
}

bool CArchive::ReadLength(std::size_t& len, bool& wide) {
    const unsigned char* p = nullptr;
    wide = false;
    for (;;) {
        if (!Take(1, p)) return false;
        if (*p != 0xFF) {
            len = *p;
            return true;
        }
        if (!Take(2, p)) return false;
        const std::uint32_t w = GetLE(p, 2);
        if (w == 0xFFFE) {
            // The marker comes once, before the real length.
            if (wide) break;
            wide = true;
            continue;
        }
        if (w != 0xFFFF) {
            len = w;
            return true;
        }
        if (!Take(4, p)) return false;
        len = GetLE(p, 4);
        return true;
    }
    m_failed = true;
    return false;
}

bool CArchive::ReadString(CString& s) {
    std::size_t len = 0;
    bool wide = false;
    if (!ReadLength(len, wide)) return false;
    const std::size_t unit = wide ? 2 : 1;
    // Checked before allocating: a damaged length must not ask for gigabytes.
    if (len > Remaining() / unit) {
        m_failed = true;
        return false;
    }
    const unsigned char* p = nullptr;
    Take(len * unit, p);
    std::wstring text(len, L'\0');
    for (std::size_t i = 0; i < len; ++i) text[i] = static_cast<wchar_t>(wide ? GetLE(p + 2 * i, 2) : p[i]);
    s = CString(std::move(text));
    return true;
}
