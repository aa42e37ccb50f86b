#include "HeaderFontPsw2.h"

#include "PswLayout.h"
#include "PswReadSupport.h"

#include <cstring>
#include <new>

CHeaderFontPsw2::CHeaderFontPsw2(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

void CHeaderFontPsw2::CheckIndex(int i, const wchar_t* what) {
    MYThrow(i >= 0 && i < static_cast<int>(m_Records.size()), what, m_ClassName, L"HeaderFontPsw2");
}

_headerFont2* CHeaderFontPsw2::GetIesimFontStruct(int i) {
    CheckIndex(i, L"GetIesimFontStruct(int i)");
    return &m_Records[static_cast<std::size_t>(i)];
}

unsigned char CHeaderFontPsw2::GetNumFont(int i) {
    CheckIndex(i, L"GetNumFont(int i)");
    return m_Records[static_cast<std::size_t>(i)].NumFont;
}

void CHeaderFontPsw2::GetIndFontInPSWFile(unsigned char* dst, int i) {
    CheckIndex(i, L"GetIndFontInPSWFile(unsigned char* dst, int i)");
    std::memcpy(dst, m_Records[static_cast<std::size_t>(i)].IndFont, 4);
}

unsigned int CHeaderFontPsw2::GetDimFontBlock(int i) {
    CheckIndex(i, L"GetDimFontBlock(int i)");
    return psw::FontBlockSize(m_Records[static_cast<std::size_t>(i)]);
}

int CHeaderFontPsw2::Init(const CString& NomeFilePsw) {
    m_strNomeFilePsw = NomeFilePsw;
    m_bfDataLoad = 1;
    m_NumTotFont = 0;
    m_Records.clear();
    psw::ImageReader f;
    if (!psw::OpenBlock2(f, m_pDebugObj, NomeFilePsw, m_Position, 'f')) {
        m_bfDataLoad = 0;
        return 0;
    }
    const auto fail = [&](bool truncated) {
        m_bfDataLoad = 0;
        m_Records.clear();
        if (truncated) return psw::Truncated2(m_pDebugObj, NomeFilePsw);
        psw::Log(m_pDebugObj, CString::Format(psw::kVersionError2, NomeFilePsw), psw::kCaption2, 0);
        return 0;
    };
    unsigned char first = 0, count = 0;
    if (!psw::ReadExact(f, &first, 1) || !psw::ReadExact(f, &count, 1)) return fail(true);
    if (first != 1) return fail(false);
    try {
        m_Records.reserve(count);
    } catch (const std::bad_alloc&) {
        m_bfDataLoad = 0;
        return 0;
    }
    // Record i stands at position + 32 x i: read them in sequence.
    if (!f.Seek(m_Position)) return fail(true);
    for (unsigned i = 0; i < count; ++i) {
        unsigned char file[_headerFont2::kFileBytes];
        if (!psw::ReadExact(f, file, sizeof file)) return fail(true);
        _headerFont2 r{};
        r.FromFile(file);
        m_Records.push_back(r);
        psw::Skip(f, 32 - _headerFont2::kFileBytes);
    }
    f.Close();
    m_NumTotFont = count;
    return 1;
}
