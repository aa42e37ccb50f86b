#include "CrittoPswFile.h"

#include "FileUtil.h"
#include "PswImage.h"
#include "HeaderPsw.h"
#include "HeaderPsw2.h"
#include "KalvoNewDebugObject.h"
#include "UiServices.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

namespace {
const wchar_t* const kClass = L"CCrittoPswFile";
const wchar_t* const kSource = L"CrittoPswFile";

const wchar_t* const kErrOpen = L"Error open file: %s";
const wchar_t* const kErrVersion = L"Il file: %s it is not a just version and not contain usable data";
const wchar_t* const kErrEmpty = L"Error open file: %s. It is empty!";
const wchar_t* const kErrShort = L"No all byte loaded from file: %s";
const wchar_t* const kErrBytes = L"Problem encountered during manipulation byte in to file: %s";
const wchar_t* const kErrGsi = L"Problem encountered during manipulation byte GSI in to file: %s";

inline unsigned char Rotl(unsigned char x, unsigned k) { return std::rotl(x, static_cast<int>(k)); }
inline unsigned char Rotr(unsigned char x, unsigned k) { return std::rotr(x, static_cast<int>(k)); }
}  // namespace

CCrittoPswFile::CCrittoPswFile(const CString& path) : m_strPathNomeFilePsw(path) {}

void CCrittoPswFile::Report(const wchar_t* fmt) {
    MessageBox(nullptr, CString::Format(fmt, m_strPathNomeFilePsw), L"Error", MB_ICONERROR);
}

int CCrittoPswFile::InitCCrittoPswFile(const CString& path) {
    const PswImageScope image(path);
    m_strPathNomeFilePsw = path;
    return GetScrByteFromPswFile(&m_ScrByte);
}

int CCrittoPswFile::InitCCrittoPswFile(CKalvoNewDebugObject* debugObj) {
    m_pDebugObj = debugObj;
    // The headers and the scramble byte come from one image of the file.
    const PswImageScope image(m_strPathNomeFilePsw);
    CHeaderPsw header(debugObj);
    if (!header.Init(m_strPathNomeFilePsw)) return 0;
    m_ScrByte = header.Get_ScrByte();
    if (header.IsPSWII()) {
        CHeaderPsw2 header2(debugObj);
        if (!header2.Init(m_strPathNomeFilePsw)) return 0;
    }
    unsigned char fromFile = 0;
    if (!GetScrByteFromPswFile(&fromFile)) return 0;
    MYThrow(fromFile == m_ScrByte, L"InitCCrittoPswFile(CKalvoNewDebugObject *_pDebugObj)", kClass, kSource);
    return 1;
}

int CCrittoPswFile::ReadHeaderByte(unsigned offset, unsigned char* out, const wchar_t* check) {
    psw::ImageReader f;
    if (!f.Open(m_strPathNomeFilePsw, BinaryFile::Mode::Read)) {
        Report(kErrOpen);
        return 0;
    }
    unsigned char tag = 0;
    MYThrow(f.Read(&tag, 1) == 1, check, kClass, kSource);
    if (tag != 'P') {
        Report(kErrVersion);
        return 0;
    }
    MYThrow(f.Seek(offset) && f.Read(out, 1) == 1, check, kClass, kSource);
    return 1;
}

int CCrittoPswFile::WriteHeaderByte(unsigned offset, unsigned char value, const wchar_t* check, bool checkTag) {
    if (checkTag) {
        unsigned char dummy = 0;
        if (!ReadHeaderByte(0, &dummy, check)) return 0;
    }
    BinaryFile f;
    if (!f.Open(m_strPathNomeFilePsw, BinaryFile::Mode::ReadWrite)) {
        Report(kErrOpen);
        return 0;
    }
    MYThrow(f.Seek(offset) && f.Write(&value, 1) == 1, check, kClass, kSource);
    return 1;
}

int CCrittoPswFile::GetScrByteFromPswFile(unsigned char* scrByte) {
    *scrByte = 0;
    return ReadHeaderByte(m_uiOffsetScrByte, scrByte, L"1) GetScrByteFromPswFile(unsigned char* ScrByte)");
}

int CCrittoPswFile::SetScrByteInToPswFile(unsigned char scrByte) {
    if (!WriteHeaderByte(m_uiOffsetScrByte, scrByte, L"1) SetScrByteInToPswFile(unsigned char ScrByte)", true)) {
        return 0;
    }
    m_ScrByte = scrByte;
    return 1;
}

int CCrittoPswFile::GetGsiByteFromPswFile(unsigned char* gsiByte, unsigned char scrByte) {
    unsigned char raw = 0;
    if (!ReadHeaderByte(kGsiByteOffset, &raw, L"1) GetGsiByteFromPswFile(unsigned char* GSIByte, unsigned char ScrByte)")) {
        return 0;
    }
    *gsiByte = DeCrittoGSIByte(raw, scrByte);
    return 1;
}

int CCrittoPswFile::SetGsiByteInToPswFile(unsigned char gsiByte, unsigned char scrByte) {
    return WriteHeaderByte(kGsiByteOffset, CrittoGSIByte(gsiByte, scrByte),
                           L"1) SetGsiByteInToPswFile(unsigned char GSIByte, unsigned char ScrByte)", true);
}

int CCrittoPswFile::SetGsiByteNotDecodedInToPswFile(unsigned char gsiByte) {
    return WriteHeaderByte(kGsiByteOffset, gsiByte, L"1) SetGsiByteNotDecodedInToPswFile(unsigned char GSIByte)", true);
}

int CCrittoPswFile::SetGsiByteSupportedPrinterInToPswFile(unsigned char gsiByte, int i, unsigned char scrByte) {
    if (i < 0) return 0;
    return WriteHeaderByte(32u * static_cast<unsigned>(i) + 32u + 23u, CrittoGSIByte(gsiByte, scrByte),
                           L"1) SetGsiByteSupportedPrinterInToPswFile(unsigned char GSIByte, int i, unsigned char ScrByte)",
                           false);
}

namespace {
// Both algorithms keep one rotation for at least four consecutive positions
// (from a multiple of 4), so the bulk of a buffer is transformed four bytes
// at a time: each byte of a 32-bit word rotated by the same k.
inline std::uint32_t Rep(unsigned char b) { return 0x01010101u * b; }

inline std::uint32_t RotlBytes(std::uint32_t x, unsigned k) {
    const std::uint32_t hi = Rep(static_cast<unsigned char>(0xFFu << k));
    const std::uint32_t lo = Rep(static_cast<unsigned char>((1u << k) - 1u));
    return ((x << k) & hi) | ((x >> (8 - k)) & lo);
}

// f8 transforms one byte, f32 four bytes sharing a rotation k; `shift` is 2
// for the odd algorithm (a new rotation every 4 bytes), 5 for the even one.
template <typename F8, typename F32>
void Transform(unsigned char* buf, int p, int n, unsigned shift, F8 f8, F32 f32) {
    auto pos = static_cast<unsigned>(p);
    int i = 0;
    for (; i < n && (pos & 3u) != 0; ++i, ++pos) buf[i] = f8(buf[i], (pos >> shift) & 7u);
    for (; i + 4 <= n; i += 4, pos += 4) {
        std::uint32_t w;
        std::memcpy(&w, buf + i, 4);
        w = f32(w, (pos >> shift) & 7u);
        std::memcpy(buf + i, &w, 4);
    }
    for (; i < n; ++i, ++pos) buf[i] = f8(buf[i], (pos >> shift) & 7u);
}
}  // namespace

int CCrittoPswFile::AlgoCrittoBufferFromPswFileDispari(unsigned char* buf, int p, int n) {
    const unsigned char s = m_ScrByte;
    const std::uint32_t s4 = Rep(s);
    Transform(
        buf, p, n, 2, [s](unsigned char x, unsigned k) { return Rotl(static_cast<unsigned char>(~x ^ s), k); },
        [s4](std::uint32_t x, unsigned k) { return RotlBytes(~x ^ s4, k); });
    return 1;
}

int CCrittoPswFile::AlgoDeCrittoBufferFromPswFileDispari(unsigned char* buf, int p, int n) {
    const auto ns = static_cast<unsigned char>(~m_ScrByte);
    const std::uint32_t ns4 = Rep(ns);
    Transform(
        buf, p, n, 2, [ns](unsigned char y, unsigned k) { return static_cast<unsigned char>(ns ^ Rotr(y, k)); },
        [ns4](std::uint32_t y, unsigned k) { return ns4 ^ RotlBytes(y, (8 - k) & 7u); });
    return 1;
}

int CCrittoPswFile::AlgoCrittoBufferFromPswFilePari(unsigned char* buf, int p, int n) {
    const unsigned char s = m_ScrByte;
    const std::uint32_t s4 = Rep(s);
    Transform(
        buf, p, n, 5, [s](unsigned char x, unsigned k) { return Rotr(static_cast<unsigned char>(x ^ s), k); },
        [s4](std::uint32_t x, unsigned k) { return RotlBytes(x ^ s4, (8 - k) & 7u); });
    return 1;
}

int CCrittoPswFile::AlgoDeCrittoBufferFromPswFilePari(unsigned char* buf, int p, int n) {
    const unsigned char s = m_ScrByte;
    const std::uint32_t s4 = Rep(s);
    Transform(
        buf, p, n, 5, [s](unsigned char y, unsigned k) { return static_cast<unsigned char>(Rotl(y, k) ^ s); },
        [s4](std::uint32_t y, unsigned k) { return RotlBytes(y, k) ^ s4; });
    return 1;
}

int CCrittoPswFile::DeCrittoBufferFromPswFile(unsigned char* buf, int p, int n, unsigned char s) {
    m_ScrByte = s;
    if (s == 0 || n <= 0) return 1;
    return (s & 1) ? AlgoDeCrittoBufferFromPswFileDispari(buf, p, n) : AlgoDeCrittoBufferFromPswFilePari(buf, p, n);
}

int CCrittoPswFile::CrittoBufferFromPswFile(unsigned char* buf, int p, int n, unsigned char s) {
    m_ScrByte = s;
    if (s == 0 || n <= 0) return 1;
    return (s & 1) ? AlgoCrittoBufferFromPswFileDispari(buf, p, n) : AlgoCrittoBufferFromPswFilePari(buf, p, n);
}

unsigned char CCrittoPswFile::RandomScrByte() {
    // Seeded once from the clock and the system's entropy source, so that
    // two saves within one second still get different bytes.
    static std::mt19937 gen(static_cast<std::mt19937::result_type>(std::random_device{}() ^
                                                                    static_cast<unsigned>(std::time(nullptr))));
    unsigned char b = 0;
    while (b == 0) b = static_cast<unsigned char>(gen() & 0xFF);
    return b;
}

int CCrittoPswFile::ReadScrambleInfo(PswScrambleInfo& info) {
    info = PswScrambleInfo{};
    CHeaderPsw header(m_pDebugObj);
    if (!header.Init(m_strPathNomeFilePsw)) return 0;
    info.scrByte = header.Get_ScrByte();
    info.gsiModel = header.Get_cHeaderPrnPsw()->GetGsiModel();
    info.headerSize = header.GetuiDimHeaderPsw();
    if (header.IsPSWII()) {
        CHeaderPsw2 header2(m_pDebugObj);
        if (!header2.Init(m_strPathNomeFilePsw)) return 0;
        info.scrByte = header2.Get_ScrByte();
        info.gsiModel = header2.GetGsiModel();
        info.headerSize = header2.GetuiDimHeaderPsw2();
        if (header2.Get_bfHeaderSupportedPrinterPresent()) {
            auto* q = header2.Get_cHeaderSupportedPrinterPsw2();
            // Each record's model byte is patched where the record really is,
            // not where it would be if the records followed the printer
            // block directly.
            const auto base = static_cast<unsigned>(q->GetHeaderSupportedPrinterPosition());
            for (int i = 0; i < q->GetNumTotHeader(); ++i) {
                const auto* rec = reinterpret_cast<const unsigned char*>(q->GetIesimHeaderStruct(i));
                info.supportedModels.emplace_back(base + 32u * static_cast<unsigned>(i) + 23u, rec[23]);
            }
        }
    }
    return 1;
}

int CCrittoPswFile::RescrambleImage(std::vector<unsigned char>& image, const PswScrambleInfo& info,
                                    unsigned char s1) {
    if (image.size() < 32 || image.size() < info.headerSize) return 0;
    const int n = static_cast<int>(image.size() - info.headerSize);
    unsigned char* contents = image.data() + info.headerSize;
    if (!DeCrittoBufferFromPswFile(contents, 0, n, info.scrByte) || !CrittoBufferFromPswFile(contents, 0, n, s1)) {
        return 0;
    }
    image[m_uiOffsetScrByte] = s1;
    image[kGsiByteOffset] = CrittoGSIByte(info.gsiModel, s1);
    for (const auto& [offset, model] : info.supportedModels) {
        if (offset < image.size()) image[offset] = CrittoGSIByte(model, s1);
    }
    return 1;
}

int CCrittoPswFile::ScambleFilePsw() {
    // The whole file is re-scrambled in memory and replaced in one step, so
    // a failure never leaves contents under the new byte with GSI bytes
    // still under the old one.
    // Read, re-scrambled and replaced under the file's lock: a second
    // writer meanwhile would be overwritten.
    FileLock lock;
    if (!lock.Acquire(m_strPathNomeFilePsw)) {
        Report(kErrOpen);
        return 0;
    }
    PswScrambleInfo info;
    if (!ReadScrambleInfo(info)) return 0;
    unsigned char onFile = 0;
    if (!GetScrByteFromPswFile(&onFile)) return 0;
    MYThrow(onFile == info.scrByte, L"1) ScambleFilePsw()", kClass, kSource);

    std::vector<unsigned char> image;
    if (!ReadWholeFile(m_strPathNomeFilePsw, image)) {
        Report(kErrOpen);
        return 0;
    }
    if (image.empty()) {
        Report(kErrEmpty);
        return 0;
    }
    if (image.size() < 32 || image.size() < info.headerSize) {
        Report(kErrShort);
        return 0;
    }
    const unsigned char s1 = RandomScrByte();
    if (!RescrambleImage(image, info, s1)) {
        Report(kErrBytes);
        return 0;
    }
    if (!WriteFileAtomically(m_strPathNomeFilePsw, image.data(), image.size())) {
        Report(kErrOpen);
        return 0;
    }
    m_ScrByte = s1;
    unsigned char check = 0;
    if (!GetScrByteFromPswFile(&check)) {
        Report(kErrGsi);
        return 0;
    }
    MYThrow(check == s1, L"2) ScambleFilePsw()", kClass, kSource);
    return 1;
}
