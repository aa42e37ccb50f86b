#include "HeaderBootLoader.h"

#include "PswReadSupport.h"

#include <cstring>

CHeaderBootLoader::CHeaderBootLoader(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

void CHeaderBootLoader::GetIndBLInPSWFile(unsigned char* dst) const { std::memcpy(dst, m_Header.Ind, 4); }

int CHeaderBootLoader::Init(const CString& NomeFilePsw) {
    m_strNomeFilePsw = NomeFilePsw;
    m_bfDataLoad = 0;
    psw::ImageReader f;
    if (!psw::OpenBlock2(f, m_pDebugObj, NomeFilePsw, m_Position, 'b')) return 0;
    _headerBootLoader h{};
    h.Tag = 'b';
    const bool ok = psw::ReadExact(f, h.Ind, 4) && psw::ReadExact(f, h.Carried3, 3) && psw::ReadExact(f, &h.Carried1, 1);
    f.Close();
    if (!ok) return psw::Truncated2(m_pDebugObj, NomeFilePsw);
    m_Header = h;
    m_bfDataLoad = 1;
    return 1;
}
