// The library's wide string: a thin value type over std::wstring with the
// members the classes use. Text stored in files is single-byte (one character,
// one byte: its low 8 bits); paths and configuration text go through UTF-8.
#pragma once

#include "OstrelExport.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class OSTREL_API CString {
public:
    CString() = default;
    CString(const wchar_t* s) : m_s(s ? s : L"") {}
    CString(std::wstring s) : m_s(std::move(s)) {}
    CString(std::wstring_view s) : m_s(s) {}
    CString(std::size_t count, wchar_t ch) : m_s(count, ch) {}

    // Decoding constructors are explicit so that narrow text is never taken
    // for wide text by accident.
    static CString FromUtf8(std::string_view utf8);
    // One byte, one character (the byte value is the code point).
    static CString FromBytes(const unsigned char* bytes, std::size_t n);
    static CString FromBytes(std::string_view bytes);

    // printf-style formatting with wide format strings; "%s" takes a wide
    // string (CString, std::wstring or const wchar_t*), as in the original
    // framework, and arguments of class type are passed by their text.
    template <typename... Args>
    static CString Format(const wchar_t* fmt, const Args&... args) {
        return FormatV(fmt, {Arg(args)...});
    }

    std::string ToUtf8() const;
    // Low 8 bits of every character.
    std::string ToBytes() const;

    const std::wstring& str() const { return m_s; }
    const wchar_t* GetString() const { return m_s.c_str(); }
    const wchar_t* c_str() const { return m_s.c_str(); }
    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    wchar_t GetAt(int i) const { return m_s.at(static_cast<std::size_t>(i)); }
    wchar_t operator[](int i) const { return GetAt(i); }

    CString Left(int n) const;
    CString Right(int n) const;
    CString Mid(int first) const;
    CString Mid(int first, int n) const;
    int Find(const CString& what, int start = 0) const;
    int Find(wchar_t ch, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    CString& MakeUpper();
    CString& MakeLower();
    CString Upper() const { CString c(*this); return c.MakeUpper(); }
    int Replace(const CString& from, const CString& to);
    int Remove(wchar_t ch);
    CString& Trim();

    CString& operator+=(const CString& o) { m_s += o.m_s; return *this; }
    CString& operator+=(wchar_t c) { m_s += c; return *this; }
    friend CString operator+(CString a, const CString& b) { a += b; return a; }
    friend CString operator+(CString a, const wchar_t* b) { a += CString(b); return a; }
    friend CString operator+(const wchar_t* a, const CString& b) { return CString(a) + b; }
    friend CString operator+(CString a, wchar_t b) { a += b; return a; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.m_s == (b ? b : L""); }
    friend auto operator<=>(const CString& a, const CString& b) { return a.m_s <=> b.m_s; }

private:
    struct FmtArg {
        enum Kind { Int, UInt, Double, WStr, Ptr } kind;
        long long i = 0;
        unsigned long long u = 0;
        double d = 0;
        const wchar_t* w = nullptr;
        const void* p = nullptr;
    };
    static FmtArg Arg(const CString& s) { return {FmtArg::WStr, 0, 0, 0, s.c_str(), nullptr}; }
    static FmtArg Arg(const std::wstring& s) { return {FmtArg::WStr, 0, 0, 0, s.c_str(), nullptr}; }
    static FmtArg Arg(const wchar_t* s) { return {FmtArg::WStr, 0, 0, 0, s ? s : L"(null)", nullptr}; }
    template <typename T>
    static FmtArg Arg(const T& v) {
        if constexpr (std::is_floating_point_v<T>) {
            return {FmtArg::Double, 0, 0, static_cast<double>(v), nullptr, nullptr};
        } else if constexpr (std::is_pointer_v<T>) {
            return {FmtArg::Ptr, 0, 0, 0, nullptr, static_cast<const void*>(v)};
        } else if constexpr (std::is_signed_v<T> || std::is_enum_v<T>) {
            return {FmtArg::Int, static_cast<long long>(v), 0, 0, nullptr, nullptr};
        } else {
            static_assert(std::is_integral_v<T>, "unsupported format argument");
            return {FmtArg::UInt, 0, static_cast<unsigned long long>(v), 0, nullptr, nullptr};
        }
    }
    static CString FormatV(const wchar_t* fmt, std::vector<FmtArg> args);

    std::wstring m_s;
};

// Path text for the operating system.
inline std::string ToPath(const CString& s) { return s.ToUtf8(); }
