// Reader of the binary header ("@", 8 bytes) of a first-generation PSW file:
// size of the binary image, number of banks and size of one bank.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"

class OSTREL_API CHeaderBinPsw : public CConversioni {
public:
    explicit CHeaderBinPsw(CKalvoNewDebugObject* debug);

    // The binary header follows the printer block and the software, logo and
    // font blocks.
    int Init(const CString& NomeFilePsw, UINT NumBlocchiHSW, UINT NumBlocchiLSW, UINT NumBlocchiFSW);
    unsigned int GetuiDimFileBin() const { return m_uiDimFileBin; }
    unsigned int GetuiNumBanchi() const { return m_uiNumBanchi; }
    unsigned int GetuiDimBancoBin() const { return m_uiDimBancoBin; }
    unsigned char GetNumBanchi() const { return static_cast<unsigned char>(m_uiNumBanchi); }
    unsigned int GetIndHeaderBin() const { return m_IndHeaderBin; }
    int Getm_tDataLoad() const { return m_tDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    int LoaderData();

    const CString m_ClassName = L"CHeaderBinPsw";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    int m_tDataLoad = 0;
    unsigned int m_IndHeaderBin = 0;
    unsigned int m_uiDimFileBin = 0;
    unsigned int m_uiNumBanchi = 0;
    unsigned int m_uiDimBancoBin = 0;
};
