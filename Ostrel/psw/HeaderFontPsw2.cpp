#include "HeaderFontPsw2.h"

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
    const _headerFont2& r = m_Records[static_cast<std::size_t>(i)];
    // A range whose last character comes before its first holds no
    // characters (rather than a negative count turned into a huge size).
    const unsigned chars = r.LastChar >= r.FirstChar ? unsigned{r.LastChar} - r.FirstChar + 1u : 0u;
    const int bytesPerRow = BytesForBits(int{r.Width} + r.MarginLeft + r.MarginRight);
    return unsigned{r.Height} * chars * static_cast<unsigned>(bytesPerRow);
}

int CHeaderFontPsw2::Init(const CString& NomeFilePsw) {
    m_strNomeFilePsw = NomeFilePsw;
    m_bfDataLoad = 1;
    m_NumTotFont = 0;
    m_Records.clear();
    BinaryFile f;
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
        _headerFont2 r{};
        // One read per field in file order; the byte after the 8-byte field
        // goes before it in memory.
        const bool ok =
            psw::ReadExact(f, &r.Tag, 1) &&
            psw::ReadExact(f, &r.NumFont, 1) && psw::ReadExact(f, &r.NumTotFont, 1) &&
            psw::ReadExact(f, &r.Width, 1) && psw::ReadExact(f, &r.Height, 1) && psw::ReadExact(f, &r.FirstChar, 1) &&
            psw::ReadExact(f, &r.LastChar, 1) && psw::ReadExact(f, r.IndFont, 4) &&
            psw::ReadExact(f, &r.Orientation, 1) && psw::ReadExact(f, &r.MarginLeft, 1) &&
            psw::ReadExact(f, &r.MarginRight, 1) && psw::ReadExact(f, &r.MarginUp, 1) &&
            psw::ReadExact(f, &r.MarginBottom, 1) && psw::ReadExact(f, &r.ByteOrder, 1) &&
            psw::ReadExact(f, r.Extra8, 8) && psw::ReadExact(f, &r.Extra1, 1) && psw::ReadExact(f, r.Extra3, 3) &&
            psw::ReadExact(f, &r.Extra1b, 1);
        if (!ok) return fail(true);
        m_Records.push_back(r);
        psw::Skip(f, 32 - _headerFont2::kFileBytes);
    }
    f.Close();
    m_NumTotFont = count;
    return 1;
}
