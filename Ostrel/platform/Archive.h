// The framework's archive format, as far as the library's files use it:
// little-endian 32-bit numbers and strings with a length prefix. A storing
// archive collects bytes in memory (the caller writes them to disk in one
// step); a loading archive reads from memory and never runs past its end.
#pragma once

#include "CString.h"
#include "OstrelExport.h"
#include "WinTypes.h"

#include <cstddef>
#include <vector>

class OSTREL_API CArchive {
public:
    // A storing archive.
    CArchive() = default;
    // A loading archive over the caller's bytes (not copied).
    CArchive(const unsigned char* data, std::size_t n) : m_loading(true), m_in(data), m_n(n) {}

    bool IsStoring() const { return !m_loading; }
    bool IsLoading() const { return m_loading; }

    void WriteDWORD(DWORD v);
    // Wide form: the byte 0xFF and the 16-bit marker 0xFFFE, then the length
    // (one byte below 255, 0xFF and 16 bits below 0xFFFE, else 0xFF, 0xFFFF
    // and 32 bits), then the characters as 16-bit units.
    void WriteString(const CString& s);

    // Reads fail (false, and the archive stays failed) on a value running
    // past the end or a malformed length prefix. A string without the wide
    // marker is taken as single-byte characters, as the framework reads it.
    bool ReadDWORD(DWORD& v);
    bool ReadString(CString& s);

    bool Failed() const { return m_failed; }
    std::size_t Remaining() const { return m_n - m_pos; }
    const std::vector<unsigned char>& Bytes() const { return m_out; }

private:
    bool Take(std::size_t n, const unsigned char*& p);
    bool ReadLength(std::size_t& len, bool& wide);

    bool m_loading = false;
    bool m_failed = false;
    const unsigned char* m_in = nullptr;
    std::size_t m_n = 0;
    std::size_t m_pos = 0;
    std::vector<unsigned char> m_out;
};
