#include "HeaderLoghiPsw.h"

#include "PswReadSupport.h"

#include <cstring>
#include <new>

CHeaderLoghiPsw::CHeaderLoghiPsw(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

void CHeaderLoghiPsw::CheckIndex(int i, const wchar_t* what) {
    MYThrow(i >= 0 && i < static_cast<int>(m_Records.size()), what, m_ClassName, L"HeaderLoghiPsw");
}

unsigned char CHeaderLoghiPsw::GetNumLogo(int i) {
    CheckIndex(i, L"GetNumLogo(int i)");
    return m_Records[static_cast<std::size_t>(i)].NumLogo;
}

unsigned char CHeaderLoghiPsw::GetNumColoriLogo(int i) {
    CheckIndex(i, L"GetNumColoriLogo(int i)");
    return m_Records[static_cast<std::size_t>(i)].NumColori;
}

void CHeaderLoghiPsw::GetIndLogoInBinFile(unsigned char* dst, int i) {
    CheckIndex(i, L"GetIndLogoInBinFile(unsigned char* dst, int i)");
    std::memcpy(dst, m_Records[static_cast<std::size_t>(i)].IndLogo, 3);
}

const _headerLogo* CHeaderLoghiPsw::GetIesimLogoStruct(int i) {
    CheckIndex(i, L"GetIesimLogoStruct(int i)");
    return &m_Records[static_cast<std::size_t>(i)];
}

int CHeaderLoghiPsw::Init(const CString& NomeFilePsw, UINT NumBlocchiHSW) {
    m_strNomeFilePsw = NomeFilePsw;
    m_tDataLoad = 0;
    m_NumTotLoghi = 0;
    m_Records.clear();
    return LoaderData(NumBlocchiHSW);
}

int CHeaderLoghiPsw::LoaderData(UINT NumBlocchiHSW) {
    psw::ImageReader f;
    if (!f.Open(m_strNomeFilePsw, BinaryFile::Mode::Read)) {
        m_strMessage = CString::Format(psw::kOpenError, m_strNomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, psw::kOpenErrorCaption, 1);
        return 0;
    }
    const auto versionError = [&] {
        f.Close();
        m_strMessage = CString::Format(psw::kVersionError, m_strNomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, psw::kVersionErrorCaption, 1);
        return 0;
    };
    const std::uint64_t p = (std::uint64_t{NumBlocchiHSW} + 1) * 32;
    unsigned char b = 0;
    MYThrow(psw::ReadExact(f, &b, 1), L"1) LoaderData()", m_ClassName, L"HeaderLoghiPsw");
    if (b != 'P') return versionError();
    MYThrow(psw::ReadAt(f, p, &b, 1), L"2) LoaderData()", m_ClassName, L"HeaderLoghiPsw");
    if (b == 'F' || b == 'C' || b == '@') {
        f.Close();
        m_strMessage = CString::Format(L"\nIl file: %s non contiene dati relativi a loghi", m_strNomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, L"", 0);
        return 1;
    }
    if (b != 'L') return versionError();
    unsigned char first = 0;
    MYThrow(psw::ReadExact(f, &first, 1) && first == 1, L"3) LoaderData()", m_ClassName, L"HeaderLoghiPsw");
    unsigned char count = 0;
    MYThrow(psw::ReadExact(f, &count, 1), L"4) LoaderData()", m_ClassName, L"HeaderLoghiPsw");
    try {
        m_Records.reserve(count);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    for (unsigned i = 0; i < count; ++i) {
        _headerLogo r{};
        const wchar_t* const checks[] = {L"1) LoadStruct()", L"2) LoadStruct()", L"3) LoadStruct()",
                                         L"4) LoadStruct()", L"5) LoadStruct()", L"6) LoadStruct()",
                                         L"7) LoadStruct()", L"8) LoadStruct()"};
        MYThrow(f.Seek(p + i * 32ull), checks[0], m_ClassName, L"HeaderLoghiPsw");
        MYThrow(psw::ReadExact(f, &r.Tag, 1), checks[1], m_ClassName, L"HeaderLoghiPsw");
        MYThrow(psw::ReadExact(f, &r.NumLogo, 1), checks[2], m_ClassName, L"HeaderLoghiPsw");
        MYThrow(psw::ReadExact(f, &r.NumTotLoghi, 1), checks[3], m_ClassName, L"HeaderLoghiPsw");
        MYThrow(psw::ReadExact(f, r.Prop1, 2), checks[4], m_ClassName, L"HeaderLoghiPsw");
        MYThrow(psw::ReadExact(f, r.Prop2, 2), checks[5], m_ClassName, L"HeaderLoghiPsw");
        MYThrow(psw::ReadExact(f, r.IndLogo, 3), checks[6], m_ClassName, L"HeaderLoghiPsw");
        MYThrow(psw::ReadExact(f, &r.NumColori, 1), checks[7], m_ClassName, L"HeaderLoghiPsw");
        m_Records.push_back(r);
    }
    f.Close();
    m_NumTotLoghi = count;
    m_tDataLoad = 1;
    return 1;
}
