#include "HeaderBin2.h"

#include "PswReadSupport.h"

#include <cstring>

CHeaderBin2::CHeaderBin2(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

void CHeaderBin2::GetDimFileBin(unsigned char* dst) const { std::memcpy(dst, m_DimFileBin, 4); }

int CHeaderBin2::Init(const CString& NomeFilePsw) {
    m_strNomeFilePsw = NomeFilePsw;
    m_bfDataLoad = 0;
    psw::ImageReader f;
    if (!psw::OpenBlock2(f, m_pDebugObj, NomeFilePsw, m_Position, '?')) return 0;
    unsigned char size[4] = {};
    const bool ok = psw::ReadExact(f, size, 4);
    f.Close();
    if (!ok) return psw::Truncated2(m_pDebugObj, NomeFilePsw);
    std::memcpy(m_DimFileBin, size, 4);
    m_bfDataLoad = 1;
    return 1;
}
