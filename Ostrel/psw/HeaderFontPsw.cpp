#include "HeaderFontPsw.h"

#include "PswLayout.h"
#include "PswReadSupport.h"

#include <cstring>
#include <new>

CHeaderFontPsw::CHeaderFontPsw(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

void CHeaderFontPsw::CheckIndex(int i, const wchar_t* what) {
    MYThrow(i >= 0 && i < static_cast<int>(m_Records.size()), what, m_ClassName, L"HeaderFontPsw");
}

_headerFont* CHeaderFontPsw::GetIesimFontStruct(int i) {
    CheckIndex(i, L"GetIesimFontStruct(int i)");
    return &m_Records[static_cast<std::size_t>(i)];
}

unsigned char CHeaderFontPsw::GetNumFont(int i) {
    CheckIndex(i, L"GetNumFont(int i)");
    return m_Records[static_cast<std::size_t>(i)].NumFont;
}

void CHeaderFontPsw::GetIndFontInBinFile(unsigned char* dst, int i) {
    CheckIndex(i, L"GetIndFontInBinFile(unsigned char* dst, int i)");
    std::memcpy(dst, m_Records[static_cast<std::size_t>(i)].IndFont, 3);
}

unsigned int CHeaderFontPsw::GetIndHeaderFontInPswFile(const CString& NomeFilePsw) {
    psw::ImageReader f;
    if (!f.Open(NomeFilePsw, BinaryFile::Mode::Read)) {
        m_strMessage = CString::Format(psw::kOpenError, NomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, psw::kOpenErrorCaption, 1);
        return 0;
    }
    const std::int64_t n = f.Length();
    std::int64_t pos = 0;
    // Bounded by the file's length and by the largest header there can be.
    while (pos + 32 < n && pos <= static_cast<std::int64_t>(psw::kLastFontBlock1 * 32)) {
        unsigned char b = 0;
        if (!psw::ReadAt(f, static_cast<std::uint64_t>(pos), &b, 1)) break;
        if (b == 'F') break;
        pos += 32;
    }
    f.Close();
    // Positions beyond 4 GiB do not fit the reader's 32-bit field; a file
    // that large holds no usable font header at such a position anyway.
    return pos > 0xFFFFFFFFll ? 0u : static_cast<unsigned int>(pos);
}

int CHeaderFontPsw::Init(const CString& NomeFilePsw, UINT /*NumBlocchiHSW*/, UINT /*NumBlocchiLSW*/) {
    m_strNomeFilePsw = NomeFilePsw;
    m_tDataLoad = 0;
    m_NumTotFont = 0;
    m_Records.clear();
    m_IndHeaderFont = GetIndHeaderFontInPswFile(NomeFilePsw);
    if (m_IndHeaderFont == 0) return 0;
    m_tDataLoad = 1;
    return LoaderData();
}

int CHeaderFontPsw::LoaderData() {
    psw::ImageReader f;
    if (!f.Open(m_strNomeFilePsw, BinaryFile::Mode::Read)) {
        m_tDataLoad = 0;
        m_strMessage = CString::Format(psw::kOpenError, m_strNomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, psw::kOpenErrorCaption, 1);
        return 0;
    }
    const auto versionError = [&] {
        f.Close();
        m_tDataLoad = 0;
        m_strMessage = CString::Format(psw::kVersionError, m_strNomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, psw::kVersionErrorCaption, 1);
        return 0;
    };
    const std::uint64_t p = m_IndHeaderFont;
    unsigned char b = 0;
    MYThrow(psw::ReadExact(f, &b, 1), L"1) LoaderData()", m_ClassName, L"HeaderFontPsw");
    if (b != 'P') return versionError();
    MYThrow(psw::ReadAt(f, p, &b, 1), L"2) LoaderData()", m_ClassName, L"HeaderFontPsw");
    if (b == 'C' || b == '@') {
        f.Close();
        m_tDataLoad = 0;
        m_strMessage = CString::Format(L"\nIl file: %s non contiene dati relativi a font", m_strNomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, L"", 0);
        return 1;
    }
    if (b != 'F') return versionError();
    unsigned char first = 0;
    MYThrow(psw::ReadExact(f, &first, 1) && first == 1, L"3) LoaderData()", m_ClassName, L"HeaderFontPsw");
    unsigned char count = 0;
    MYThrow(psw::ReadExact(f, &count, 1), L"4) LoaderData()", m_ClassName, L"HeaderFontPsw");
    try {
        m_Records.reserve(count);
    } catch (const std::bad_alloc&) {
        m_tDataLoad = 0;
        return 0;
    }
    for (unsigned i = 0; i < count; ++i) {
        MYThrow(f.Seek(p + i * 32ull), L"5) LoaderData()", m_ClassName, L"HeaderFontPsw");
        _headerFont r{};
        LoadStruct(f, r);
        m_Records.push_back(r);
    }
    f.Close();
    m_NumTotFont = count;
    return 1;
}

void CHeaderFontPsw::LoadStruct(BinaryFile& f, _headerFont& r) {
    const std::uint64_t at = f.Position();
    psw::ImageReader image;
    image.Open(PswImage::FromFile(m_strNomeFilePsw, f));
    image.Seek(at);
    LoadStruct(image, r);
    f.Seek(image.Position());
}

void CHeaderFontPsw::LoadStruct(psw::ImageReader& f, _headerFont& r) {
    struct Field {
        void* dst;
        std::size_t n;
    };
    // Bytes 0..6 one by one, the position as one field, then 10..15.
    const Field fields[] = {{&r.Tag, 1},         {&r.NumFont, 1},      {&r.NumTotFont, 1},  {&r.Width, 1},
                            {&r.Height, 1},      {&r.FirstChar, 1},    {&r.LastChar, 1},    {r.IndFont, 3},
                            {&r.Orientation, 1}, {&r.MarginLeft, 1},   {&r.MarginRight, 1}, {&r.MarginUp, 1},
                            {&r.MarginBottom, 1}, {&r.ByteOrder, 1}};
    int check = 1;
    for (const Field& fd : fields) {
        MYThrow(psw::ReadExact(f, fd.dst, fd.n), CString::Format(L"%d) LoadStruct()", check), m_ClassName,
                L"HeaderFontPsw");
        ++check;
    }
}
