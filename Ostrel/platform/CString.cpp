#include "CString.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

CString CString::FromUtf8(std::string_view in) {
    std::wstring out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        const auto b0 = static_cast<unsigned char>(in[i]);
        int extra = 0;
        char32_t cp = 0;
        if (b0 < 0x80) {
            cp = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            extra = 1;
            cp = b0 & 0x1F;
        } else if ((b0 & 0xF0) == 0xE0) {
            extra = 2;
            cp = b0 & 0x0F;
        } else if ((b0 & 0xF8) == 0xF0) {
            extra = 3;
            cp = b0 & 0x07;
        } else {
            // Not UTF-8: keep the byte as a Latin-1 character rather than
            // dropping text a user wrote in an old code page.
            out += static_cast<wchar_t>(b0);
            ++i;
            continue;
        }
        bool ok = i + static_cast<std::size_t>(extra) < in.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto b = static_cast<unsigned char>(in[i + static_cast<std::size_t>(k)]);
            if ((b & 0xC0) != 0x80) {
                ok = false;
            } else {
                cp = (cp << 6) | (b & 0x3F);
            }
        }
        if (!ok) {
            out += static_cast<wchar_t>(b0);
            ++i;
            continue;
        }
        out += static_cast<wchar_t>(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return CString(std::move(out));
}

CString CString::FromBytes(const unsigned char* bytes, std::size_t n) {
    std::wstring out(n, L'\0');
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<wchar_t>(bytes[i]);
    return CString(std::move(out));
}

CString CString::FromBytes(std::string_view bytes) {
    return FromBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string CString::ToUtf8() const {
    std::string out;
    out.reserve(m_s.size());
    for (wchar_t wc : m_s) {
        auto cp = static_cast<char32_t>(wc);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::string CString::ToBytes() const {
    std::string out(m_s.size(), '\0');
    for (std::size_t i = 0; i < m_s.size(); ++i) out[i] = static_cast<char>(m_s[i] & 0xFF);
    return out;
}

namespace {
std::size_t Clamp(int v, std::size_t hi) {
    if (v < 0) return 0;
    return std::min(static_cast<std::size_t>(v), hi);
}
}  // namespace

CString CString::Left(int n) const { return CString(m_s.substr(0, Clamp(n, m_s.size()))); }

CString CString::Right(int n) const {
    const std::size_t k = Clamp(n, m_s.size());
    return CString(m_s.substr(m_s.size() - k));
}

CString CString::Mid(int first) const {
    const std::size_t f = Clamp(first, m_s.size());
    return CString(m_s.substr(f));
}

CString CString::Mid(int first, int n) const {
    const std::size_t f = Clamp(first, m_s.size());
    return CString(m_s.substr(f, Clamp(n, m_s.size() - f)));
}

int CString::Find(const CString& what, int start) const {
    if (start < 0 || static_cast<std::size_t>(start) > m_s.size()) return -1;
    const auto pos = m_s.find(what.m_s, static_cast<std::size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(wchar_t ch, int start) const {
    if (start < 0 || static_cast<std::size_t>(start) > m_s.size()) return -1;
    const auto pos = m_s.find(ch, static_cast<std::size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(wchar_t ch) const {
    const auto pos = m_s.rfind(ch);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CString& CString::MakeUpper() {
    for (auto& c : m_s) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return *this;
}

CString& CString::MakeLower() {
    for (auto& c : m_s) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return *this;
}

int CString::Replace(const CString& from, const CString& to) {
    if (from.m_s.empty()) return 0;
    int count = 0;
    std::size_t pos = 0;
    while ((pos = m_s.find(from.m_s, pos)) != std::wstring::npos) {
        m_s.replace(pos, from.m_s.size(), to.m_s);
        pos += to.m_s.size();
        ++count;
    }
    return count;
}

int CString::Remove(wchar_t ch) {
    const auto before = m_s.size();
    std::erase(m_s, ch);
    return static_cast<int>(before - m_s.size());
}

CString& CString::Trim() {
    const auto isSpace = [](wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; };
    while (!m_s.empty() && isSpace(m_s.back())) m_s.pop_back();
    std::size_t i = 0;
    while (i < m_s.size() && isSpace(m_s[i])) ++i;
    m_s.erase(0, i);
    return *this;
}

CString CString::FormatV(const wchar_t* fmt, std::vector<FmtArg> args) {
    std::wstring out;
    if (!fmt) return CString();
    std::size_t next = 0;
    const std::wstring_view f(fmt);
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] != L'%') {
            out += f[i];
            continue;
        }
        if (i + 1 < f.size() && f[i + 1] == L'%') {
            out += L'%';
            ++i;
            continue;
        }
        // Collect flags, width and precision; drop length modifiers, which
        // are re-chosen from the argument's real type below.
        std::wstring pattern = L"%";
        std::size_t j = i + 1;
        while (j < f.size() && std::wcschr(L"-+ #0123456789.", f[j]) && f[j] != L'\0') pattern += f[j++];
        while (j < f.size() && std::wcschr(L"hlqjzt", f[j]) && f[j] != L'\0') ++j;
        if (j >= f.size()) {
            out += f.substr(i);
            break;
        }
        const wchar_t conv = f[j];
        i = j;
        if (next >= args.size()) continue;  // missing argument: print nothing
        const FmtArg& a = args[next++];
        wchar_t buf[512];
        int n = -1;
        switch (conv) {
            case L'd': case L'i': case L'u': case L'o': case L'x': case L'X': case L'c': {
                if (a.kind == FmtArg::WStr) {
                    out += a.w;
                    continue;
                }
                long long v = a.kind == FmtArg::UInt ? static_cast<long long>(a.u)
                              : a.kind == FmtArg::Double ? static_cast<long long>(a.d)
                                                         : a.i;
                if (conv == L'c') {
                    pattern += L"lc";
                    n = std::swprintf(buf, 512, pattern.c_str(), static_cast<wint_t>(v));
                } else {
                    pattern += L"ll";
                    pattern += conv;
                    n = std::swprintf(buf, 512, pattern.c_str(), v);
                }
                break;
            }
            case L'e': case L'E': case L'f': case L'F': case L'g': case L'G': {
                double v = a.kind == FmtArg::Double ? a.d
                           : a.kind == FmtArg::UInt ? static_cast<double>(a.u)
                                                    : static_cast<double>(a.i);
                pattern += conv;
                n = std::swprintf(buf, 512, pattern.c_str(), v);
                break;
            }
            case L's': case L'S': {
                if (a.kind == FmtArg::WStr) {
                    if (pattern.size() == 1) {
                        out += a.w;  // the common case, any length
                        continue;
                    }
                    pattern += L"ls";
                    n = std::swprintf(buf, 512, pattern.c_str(), a.w);
                } else {
                    pattern += L"lld";
                    n = std::swprintf(buf, 512, pattern.c_str(), a.kind == FmtArg::UInt ? static_cast<long long>(a.u) : a.i);
                }
                break;
            }
            case L'p':
                n = std::swprintf(buf, 512, L"%p", a.p);
                break;
            default:
                out += pattern;
                out += conv;
                continue;
        }
        if (n > 0) out.append(buf, static_cast<std::size_t>(std::min(n, 511)));
    }
    return CString(std::move(out));
}
