#include "HeaderPropFont.h"

#include "PswReadSupport.h"

#include <cstring>
#include <new>

CHeaderPropFont::CHeaderPropFont(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

void CHeaderPropFont::CheckIndex(int i, const wchar_t* what) {
    MYThrow(i >= 0 && i < static_cast<int>(m_Records.size()), what, m_ClassName, L"HeaderPropFont");
}

_headerPropFont* CHeaderPropFont::GetIesimFontStruct(int i) {
    CheckIndex(i, L"GetIesimFontStruct(int i)");
    return &m_Records[static_cast<std::size_t>(i)];
}

unsigned char CHeaderPropFont::GetNumPropFont(int i) {
    CheckIndex(i, L"GetNumPropFont(int i)");
    return m_Records[static_cast<std::size_t>(i)].NumFont;
}

void CHeaderPropFont::GetIndPropFontInPSWFile(unsigned char* dst, int i) {
    CheckIndex(i, L"GetIndPropFontInPSWFile(unsigned char* dst, int i)");
    std::memcpy(dst, m_Records[static_cast<std::size_t>(i)].IndFont, 4);
}

int CHeaderPropFont::Init(const CString& NomeFilePsw) {
    m_strNomeFilePsw = NomeFilePsw;
    m_bfDataLoad = 1;
    m_NumTotPropFont = 0;
    m_Records.clear();
    psw::ImageReader f;
    if (!psw::OpenBlock2(f, m_pDebugObj, NomeFilePsw, m_Position, 'C')) {
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
    // Record i stands at position + 32 x i and fills its block: read them in
    // sequence.
    if (!f.Seek(m_Position)) return fail(true);
    for (unsigned i = 0; i < count; ++i) {
        _headerPropFont r{};
        bool ok = psw::ReadExact(f, &r.Tag, 1) &&
                  psw::ReadExact(f, &r.NumFont, 1) && psw::ReadExact(f, &r.NumTotFont, 1);
        for (int k = 0; ok && k < 4; ++k) ok = psw::ReadExact(f, &r.Prop1[k], 1);
        ok = ok && psw::ReadExact(f, r.Prop4, 4) && psw::ReadExact(f, r.IndFont, 4);
        for (int k = 0; ok && k < 4; ++k) ok = psw::ReadExact(f, &r.Prop2[k], 1);
        // The byte after the 8-byte field goes before it in memory.
        ok = ok && psw::ReadExact(f, r.Extra8, 8) && psw::ReadExact(f, &r.Extra1, 1) &&
             psw::ReadExact(f, r.Extra3, 3) && psw::ReadExact(f, &r.Extra1b, 1);
        if (!ok) return fail(true);
        m_Records.push_back(r);
    }
    f.Close();
    m_NumTotPropFont = count;
    return 1;
}
