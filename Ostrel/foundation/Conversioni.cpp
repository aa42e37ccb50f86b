#include "Conversioni.h"

#include "UiServices.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

int CConversioni::MYThrow(int condition, const CString& check, const CString& className,
                          const CString& sourceFile) {
    if (condition) return 1;
    UiServices::Get().AssertionDialog(check, className, sourceFile);
    throw 0;
}

int CConversioni::CstrCpy(unsigned char* dest, const unsigned char* src, int n, int stopAtZero) {
    int i = 0;
    for (; i < n; ++i) {
        if (stopAtZero && src[i] == 0) break;
        dest[i] = src[i];
    }
    if (stopAtZero) dest[i] = 0;
    return 1;
}

int CConversioni::CstrCpy(unsigned char* dest, const CString& src, int numChar) {
    MYThrow(numChar >= src.GetLength(), L"CstrCpy(unsigned char *_dest, CString _sorg, int _numChar)",
            L"CConversioni", L"Conversioni");
    const int len = src.GetLength();
    for (int i = 0; i < len; ++i) dest[i] = static_cast<unsigned char>(src[i] & 0xFF);
    for (int i = len; i < numChar; ++i) dest[i] = 0;
    return 1;
}

CString CConversioni::CstrCpy(const CString& src, int n) { return src.Left(n); }

CString CConversioni::CleanCString(const CString& text, const CString& remove) {
    bool drop[256] = {};
    for (int i = 0; i < remove.GetLength(); ++i) drop[remove[i] & 0xFF] = true;
    std::wstring out;
    for (int i = 0; i < text.GetLength(); ++i) {
        if (!drop[text[i] & 0xFF]) out += text[i];
    }
    return CString(std::move(out));
}

int CConversioni::CStrExadecByteToInt(const CString& exadec) {
    MYThrow(exadec.GetLength() == 2, L"CStrExadecByteToInt(CString _exadec)", L"CConversioni", L"Conversioni");
    const CString up = exadec.Upper();
    // Only 0..9 and A..E have their own value; every other character,
    // "F" included, counts as 15.
    const auto digit = [](wchar_t c) {
        if (c >= L'0' && c <= L'9') return c - L'0';
        if (c >= L'A' && c <= L'E') return c - L'A' + 10;
        return 15;
    };
    return 16 * digit(up[0]) + digit(up[1]);
}

unsigned char* CConversioni::ReversBytes(unsigned char* buffer, int n) {
    if (n > 1) std::reverse(buffer, buffer + n);
    return buffer;
}

void CConversioni::ShiftBufferLeft(unsigned char* b, int n) {
    if (n <= 0) return;
    b[0] = static_cast<unsigned char>(b[0] << 1);
    for (int i = 1; i < n; ++i) {
        if (b[i] & 0x80) b[i - 1] |= 0x01;
        b[i] = static_cast<unsigned char>(b[i] << 1);
    }
}

void CConversioni::ShiftBufferRight(unsigned char* b, int n) {
    if (n <= 0) return;
    b[n - 1] = static_cast<unsigned char>(b[n - 1] >> 1);
    for (int i = n - 1; i >= 1; --i) {
        if (b[i - 1] & 0x01) b[i] |= 0x80;
        b[i - 1] = static_cast<unsigned char>(b[i - 1] >> 1);
    }
}

namespace {
// Whole-byte moves first, then the remaining bits: the same result as
// repeating the single-bit shift, without its cost for wide shifts.
void ShiftLeftBits(unsigned char* b, int n, int shifts) {
    const int bytes = std::min(shifts / 8, n);
    if (bytes > 0) {
        std::memmove(b, b + bytes, static_cast<std::size_t>(n - bytes));
        std::memset(b + n - bytes, 0, static_cast<std::size_t>(bytes));
    }
    const int bits = shifts % 8;
    if (bits == 0 || bytes == n) return;
    for (int i = 0; i < n; ++i) {
        const unsigned next = i + 1 < n ? b[i + 1] : 0u;
        b[i] = static_cast<unsigned char>((b[i] << bits) | (next >> (8 - bits)));
    }
}

void ShiftRightBits(unsigned char* b, int n, int shifts) {
    const int bytes = std::min(shifts / 8, n);
    if (bytes > 0) {
        std::memmove(b + bytes, b, static_cast<std::size_t>(n - bytes));
        std::memset(b, 0, static_cast<std::size_t>(bytes));
    }
    const int bits = shifts % 8;
    if (bits == 0 || bytes == n) return;
    for (int i = n - 1; i >= 0; --i) {
        const unsigned prev = i > 0 ? b[i - 1] : 0u;
        b[i] = static_cast<unsigned char>((b[i] >> bits) | (prev << (8 - bits)));
    }
}
}  // namespace

void CConversioni::NShiftBufferLeft(unsigned char* buffer, int numByte, int numShiftLeft) {
    if (numByte <= 0 || numShiftLeft <= 0) return;
    std::vector<unsigned char> tmp;
    try {
        tmp.assign(buffer, buffer + numByte);
    } catch (const std::bad_alloc&) {
        MYThrow(0, L"NShiftBufferLeft(unsigned char* pBuffer, int numByte, int numShiftLeft)", L"CConversioni",
                L"Conversioni");
    }
    ShiftLeftBits(tmp.data(), numByte, numShiftLeft);
    std::memcpy(buffer, tmp.data(), tmp.size());
}

void CConversioni::NShiftBufferRight(unsigned char* buffer, int numByte, int numShiftRight) {
    if (numByte <= 0 || numShiftRight <= 0) return;
    std::vector<unsigned char> tmp;
    try {
        tmp.assign(buffer, buffer + numByte);
    } catch (const std::bad_alloc&) {
        MYThrow(0, L"NShiftBufferRight(unsigned char* pBuffer, int numByte, int numShiftRight)", L"CConversioni",
                L"Conversioni");
    }
    ShiftRightBits(tmp.data(), numByte, numShiftRight);
    std::memcpy(buffer, tmp.data(), tmp.size());
}

unsigned char CConversioni::ByteRotateSx(unsigned char byte, int k) {
    const unsigned r = static_cast<unsigned>(((k % 8) + 8) % 8);
    if (r == 0) return byte;
    return static_cast<unsigned char>((byte << r) | (byte >> (8 - r)));
}

unsigned char CConversioni::ByteRotateDx(unsigned char byte, int k) {
    const unsigned r = static_cast<unsigned>(((k % 8) + 8) % 8);
    if (r == 0) return byte;
    return static_cast<unsigned char>((byte >> r) | (byte << (8 - r)));
}

int CConversioni::InitVector(unsigned char* buffer, int n) {
    if (n <= 0) return 1;
    std::memset(buffer, '0', static_cast<std::size_t>(n));
    buffer[n - 1] = 0;
    return 1;
}

CString CConversioni::FormatMessageW(const CString& message, const CString& head, const CString& tail,
                                     DWORD width) {
    const long w = static_cast<long>(width);
    const long used = message.GetLength() + head.GetLength() + tail.GetLength();
    if (used > w) return head + message + tail;
    const long pad = (w - used) / 2;
    std::wstring out = head.str();
    out.append(static_cast<std::size_t>(pad), L' ');
    out += message.str();
    out.append(static_cast<std::size_t>(pad), L' ');
    const long upTo = w - tail.GetLength();
    if (static_cast<long>(out.size()) < upTo) out.append(static_cast<std::size_t>(upTo - static_cast<long>(out.size())), L' ');
    out += tail.str();
    return CString(std::move(out));
}

CString CConversioni::FormatMessageW(DWORD width, const CString& repeatChar, const CString& head,
                                     const CString& tail) {
    MYThrow(repeatChar.GetLength() == 1, L"FormatMessage(DWORD _MaxChar, CString _RepeatChar, CString _Testa, CString _Coda)",
            L"CConversioni", L"Conversioni");
    const long count = static_cast<long>(width) - head.GetLength() - tail.GetLength();
    std::wstring out = head.str();
    if (count > 0) out.append(static_cast<std::size_t>(count), repeatChar[0]);
    out += tail.str();
    if (out.size() != width) return CString();
    return CString(std::move(out));
}

unsigned char* CConversioni::FormatMessageG(const CString& message, const CString& head, const CString& tail,
                                            DWORD width, DWORD* length) {
    const std::string text = FormatMessageW(message, head, tail, width).ToBytes();
    // The buffer is 2 x width bytes as callers expect, but never smaller
    // than the text actually produced (texts longer than the width come back
    // unpadded and whole).
    const std::size_t size = std::max<std::size_t>(std::size_t{2} * width, text.size() + 1);
    auto* buf = static_cast<unsigned char*>(std::malloc(size));
    if (!buf) return nullptr;
    std::memset(buf, 0, size);
    std::memcpy(buf, text.data(), text.size());
    if (length) *length = static_cast<DWORD>(text.size() + 1);
    return buf;
}

unsigned char* CConversioni::FormatMessageG(DWORD width, const CString& repeatChar, const CString& head,
                                            const CString& tail, DWORD* length) {
    const CString line = FormatMessageW(width, repeatChar, head, tail);
    if (static_cast<DWORD>(line.GetLength()) != width) {
        if (length) *length = 0;
        return nullptr;
    }
    auto* buf = static_cast<unsigned char*>(std::malloc(std::size_t{width} + 1));
    if (!buf) {
        if (length) *length = 0;
        return nullptr;
    }
    const std::string text = line.ToBytes();
    std::memcpy(buf, text.data(), text.size());
    buf[width] = 0;
    if (length) *length = width + 1;
    return buf;
}

unsigned char CConversioni::CrittoGSIByte(unsigned char gsi, unsigned char scrByte) {
    if (scrByte == 0) return gsi;
    return static_cast<unsigned char>(~(gsi ^ scrByte));
}

CString CConversioni::CodeCString(const CString& text) {
    std::wstring out(text.str().size(), L'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto low = static_cast<unsigned char>(text.str()[i] & 0xFF);
        out[i] = ByteRotateSx(static_cast<unsigned char>(~low), static_cast<int>(i % 8));
    }
    return CString(std::move(out));
}

CString CConversioni::DeCodeCString(const CString& coded) {
    std::wstring out(coded.str().size(), L'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto low = static_cast<unsigned char>(coded.str()[i] & 0xFF);
        out[i] = static_cast<unsigned char>(~ByteRotateDx(low, static_cast<int>(i % 8)));
    }
    return CString(std::move(out));
}

unsigned char CConversioni::DeCrittoGSIByte(unsigned char gsi, unsigned char scrByte) {
    return CrittoGSIByte(gsi, scrByte);
}
