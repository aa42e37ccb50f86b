#include "HeaderPrnPsw.h"

#include "PswReadSupport.h"

CHeaderPrnPsw::CHeaderPrnPsw(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

CString CHeaderPrnPsw::GetNomeStampante() const { return CString::FromBytes(m_Block + 1, 8); }
CString CHeaderPrnPsw::GetReleaseHw() const { return CString::FromBytes(m_Block + 9, 2); }
CString CHeaderPrnPsw::GetReleaseSw() const { return CString::FromBytes(m_Block + 11, 3); }
CString CHeaderPrnPsw::GetData() const { return CString::FromBytes(m_Block + 14, 6); }

int CHeaderPrnPsw::Init(const CString& NomeFilePsw) {
    m_strNomeFilePsw = NomeFilePsw;
    m_tDataLoad = 0;
    return LoaderData();
}

int CHeaderPrnPsw::LoaderData() {
    psw::ImageReader f;
    if (!f.Open(m_strNomeFilePsw, BinaryFile::Mode::Read)) {
        m_strMessage = CString::Format(psw::kOpenError, m_strNomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, psw::kOpenErrorCaption, 1);
        return 0;
    }
    unsigned char b[24] = {};
    MYThrow(psw::ReadExact(f, b, 1), L"1) LoaderData()", m_ClassName, L"HeaderPrnPsw");
    if (b[0] != 'P') {
        f.Close();
        m_strMessage = CString::Format(psw::kVersionError, m_strNomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, psw::kVersionErrorCaption, 1);
        return 0;
    }
    // One read per field, each checked on its own.
    struct Field {
        int offset, width;
    };
    static constexpr Field kFields[] = {{1, 8}, {9, 2}, {11, 3}, {14, 6}, {20, 1}, {21, 1}, {22, 1}, {23, 1}};
    int check = 2;
    for (const Field& fd : kFields) {
        MYThrow(psw::ReadExact(f, b + fd.offset, static_cast<std::size_t>(fd.width)),
                CString::Format(L"%d) LoaderData()", check), m_ClassName, L"HeaderPrnPsw");
        ++check;
    }
    f.Close();
    b[21] = DeCrittoGSIByte(b[21], b[23]);
    std::copy(b, b + 24, m_Block);
    m_tDataLoad = 1;
    return 1;
}
