#include "HeaderPrinterPsw2.h"

#include "PswReadSupport.h"

#include <cstring>

CHeaderPrinterPsw2::CHeaderPrinterPsw2(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

CString CHeaderPrinterPsw2::GetNomeStampante() const { return CString::FromBytes(m_Header.NomeStampante, 8); }
CString CHeaderPrinterPsw2::GetReleaseHw() const { return CString::FromBytes(m_Header.ReleaseHw, 2); }
CString CHeaderPrinterPsw2::GetReleaseSw() const { return CString::FromBytes(m_Header.ReleaseSw, 3); }
CString CHeaderPrinterPsw2::GetData() const { return CString::FromBytes(m_Header.Data, 6); }

int CHeaderPrinterPsw2::Init(const CString& NomeFilePsw) {
    m_strNomeFilePsw = NomeFilePsw;
    m_bfDataLoad = 0;
    psw::ImageReader f;
    if (!psw::OpenBlock2(f, m_pDebugObj, NomeFilePsw, m_Position, 'P')) return 0;
    _headerPrinter2 h{};
    h.Tag = 'P';
    std::memset(h.NomeStampante, ' ', sizeof h.NomeStampante);
    const bool ok = psw::ReadExact(f, h.NomeStampante, 8) && psw::ReadExact(f, h.ReleaseHw, 2) &&
                    psw::ReadExact(f, h.ReleaseSw, 3) && psw::ReadExact(f, h.Data, 6) &&
                    psw::ReadExact(f, &h.numBancoInitUp, 1) && psw::ReadExact(f, &h.GsiModel, 1) &&
                    psw::ReadExact(f, &h.TipoComPort, 1) && psw::ReadExact(f, &h.ScrByte, 1) &&
                    psw::ReadExact(f, &h.PswVersion, 1) && psw::ReadExact(f, &h.Reserved, 1);
    f.Close();
    if (!ok) return psw::Truncated2(m_pDebugObj, NomeFilePsw);
    h.GsiModel = DeCrittoGSIByte(h.GsiModel, h.ScrByte);
    m_Header = h;
    m_bfDataLoad = 1;
    return 1;
}
