#include "HeaderSwPsw.h"

#include "PswReadSupport.h"

#include <cstring>
#include <new>

CHeaderSwPsw::CHeaderSwPsw(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

unsigned char CHeaderSwPsw::GetNumBanco(int i) {
    MYThrow(i >= 0 && i < static_cast<int>(m_Records.size()), L"GetNumBanco(int i)", m_ClassName, L"HeaderSwPsw");
    return m_Records[static_cast<std::size_t>(i)].NumBanco;
}

void CHeaderSwPsw::GetIndBancoInBinFile(unsigned char* dst, int i) {
    MYThrow(i >= 0 && i < static_cast<int>(m_Records.size()), L"GetIndBancoInBinFile(unsigned char* dst, int i)",
            m_ClassName, L"HeaderSwPsw");
    std::memcpy(dst, m_Records[static_cast<std::size_t>(i)].IndBanco, 3);
}

int CHeaderSwPsw::Init(const CString& NomeFilePsw) {
    m_strNomeFilePsw = NomeFilePsw;
    m_tDataLoad = 0;
    m_NumTotBanchi = 0;
    m_Records.clear();
    return LoaderData();
}

int CHeaderSwPsw::LoaderData() {
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
    unsigned char b = 0;
    MYThrow(psw::ReadExact(f, &b, 1), L"1) LoaderData()", m_ClassName, L"HeaderSwPsw");
    if (b != 'P') return versionError();
    MYThrow(psw::ReadAt(f, 32, &b, 1), L"2) LoaderData()", m_ClassName, L"HeaderSwPsw");
    if (b != 'S') return versionError();
    unsigned char count = 0;
    MYThrow(psw::ReadAt(f, 34, &count, 1), L"3) LoaderData()", m_ClassName, L"HeaderSwPsw");
    try {
        m_Records.reserve(count);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    for (unsigned i = 0; i < count; ++i) {
        _headerSw r{};
        MYThrow(f.Seek((i + 1) * 32ull), L"1) LoadStruct()", m_ClassName, L"HeaderSwPsw");
        MYThrow(psw::ReadExact(f, &r.Tag, 1), L"2) LoadStruct()", m_ClassName, L"HeaderSwPsw");
        MYThrow(psw::ReadExact(f, &r.NumBanco, 1), L"3) LoadStruct()", m_ClassName, L"HeaderSwPsw");
        MYThrow(psw::ReadExact(f, &r.NumTotBanchi, 1), L"4) LoadStruct()", m_ClassName, L"HeaderSwPsw");
        MYThrow(psw::ReadExact(f, r.IndBanco, 3), L"5) LoadStruct()", m_ClassName, L"HeaderSwPsw");
        m_Records.push_back(r);
    }
    f.Close();
    m_NumTotBanchi = count;
    m_tDataLoad = 1;
    return 1;
}
