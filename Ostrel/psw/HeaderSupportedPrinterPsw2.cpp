#include "HeaderSupportedPrinterPsw2.h"

#include "PswReadSupport.h"

#include <cstring>
#include <new>

CHeaderSupportedPrinterPsw2::CHeaderSupportedPrinterPsw2(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

void CHeaderSupportedPrinterPsw2::CheckIndex(int i, const wchar_t* what) {
    MYThrow(i >= 0 && i < static_cast<int>(m_Records.size()), what, m_ClassName, L"HeaderSupportedPrinterPsw2");
}

unsigned char CHeaderSupportedPrinterPsw2::GetNumHeader(int i) {
    CheckIndex(i, L"GetNumHeader(int i)");
    return m_Records[static_cast<std::size_t>(i)].NumHeader;
}

_headerSupportedPrinter2* CHeaderSupportedPrinterPsw2::GetIesimHeaderStruct(int i) {
    CheckIndex(i, L"GetIesimHeaderStruct(int i)");
    return &m_Records[static_cast<std::size_t>(i)];
}

int CHeaderSupportedPrinterPsw2::Init(const CString& NomeFilePsw) {
    m_strNomeFilePsw = NomeFilePsw;
    m_bfDataLoad = 0;
    m_NumTotHeader = 0;
    m_Records.clear();
    psw::ImageReader f;
    if (!psw::OpenBlock2(f, m_pDebugObj, NomeFilePsw, m_Position, 'Q')) return 0;
    unsigned char first = 0, count = 0;
    if (!psw::ReadExact(f, &first, 1) || !psw::ReadExact(f, &count, 1)) return psw::Truncated2(m_pDebugObj, NomeFilePsw);
    if (first != 1) {
        psw::Log(m_pDebugObj, CString::Format(psw::kVersionError2, NomeFilePsw), psw::kCaption2, 0);
        return 0;
    }
    try {
        m_Records.reserve(count);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    for (unsigned i = 0; i < count; ++i) {
        _headerSupportedPrinter2 r{};
        std::memset(r.NomeStampante, ' ', sizeof r.NomeStampante);
        const bool ok =
            f.Seek(std::uint64_t{m_Position} + 32ull * i) && psw::ReadExact(f, &r.Tag, 1) &&
            psw::ReadExact(f, &r.NumHeader, 1) && psw::ReadExact(f, &r.NumTotHeader, 1) &&
            psw::ReadExact(f, r.NomeStampante, 8) && psw::ReadExact(f, r.ReleaseHw, 2) &&
            psw::ReadExact(f, r.ReleaseSw, 3) && psw::ReadExact(f, r.Data, 6) && psw::ReadExact(f, &r.Reserved1, 1) &&
            psw::ReadExact(f, &r.GsiModel, 1) && psw::ReadExact(f, &r.Reserved2, 1) &&
            psw::ReadExact(f, &r.Reserved3, 1);
        if (!ok) {
            m_Records.clear();
            return psw::Truncated2(m_pDebugObj, NomeFilePsw);
        }
        r.GsiModel = DeCrittoGSIByte(r.GsiModel, m_ScrByte);
        m_Records.push_back(r);
    }
    f.Close();
    m_NumTotHeader = count;
    m_bfDataLoad = 1;
    return 1;
}
