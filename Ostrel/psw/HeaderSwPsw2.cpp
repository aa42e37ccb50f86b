#include "HeaderSwPsw2.h"

#include "PswReadSupport.h"

#include <cstring>

CHeaderSwPsw2::CHeaderSwPsw2(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

void CHeaderSwPsw2::GetIndSWInPSWFile(unsigned char* dst) const { std::memcpy(dst, m_Header.IndSw, 4); }

int CHeaderSwPsw2::Init(const CString& NomeFilePsw) {
    m_strNomeFilePsw = NomeFilePsw;
    m_bfDataLoad = 0;
    psw::ImageReader f;
    if (!psw::OpenBlock2(f, m_pDebugObj, NomeFilePsw, m_Position, 's')) return 0;
    _headerSw2 h{};
    h.Tag = 's';
    const bool ok = f.Seek(std::uint64_t{m_Position} + 3) && psw::ReadExact(f, h.IndSw, 4) &&
                    psw::ReadExact(f, h.Carried3, 3) && psw::ReadExact(f, &h.Carried1, 1);
    f.Close();
    if (!ok) return psw::Truncated2(m_pDebugObj, NomeFilePsw);
    m_Header = h;
    m_bfDataLoad = 1;
    return 1;
}
