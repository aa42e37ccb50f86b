// Entry point for reading a PSW upgrade file. Reads the printer block, tells
// the two generations apart by the marker at file offset 24 and, for a
// first-generation file, loads the software, logo, font and binary headers
// through the readers it owns. A second-generation file is left to
// CHeaderPsw2 after its printer block.
#pragma once

#include "Conversioni.h"
#include "HeaderBinPsw.h"
#include "HeaderFontPsw.h"
#include "HeaderLoghiPsw.h"
#include "HeaderPrnPsw.h"
#include "HeaderSwPsw.h"
#include "KalvoNewDebugObject.h"

#include <memory>

class OSTREL_API CHeaderPsw : public CConversioni {
public:
    explicit CHeaderPsw(CKalvoNewDebugObject* debug);
    ~CHeaderPsw() override;
    CHeaderPsw(const CHeaderPsw&) = delete;
    CHeaderPsw& operator=(const CHeaderPsw&) = delete;

    int Init(const CString& NomeFilePsw);
    int IsPSWII() const { return m_bfPSWII; }

    CString GetNomestampante() const { return m_strNomeStampante; }
    CString GetReleaseSw() const { return m_strReleaseSw; }
    CString GetReleaseHw() const { return m_strReleaseHw; }
    CString GetData() const { return m_strData; }
    CString GetstrNomePswFile() const { return m_strNomeFilePsw; }
    unsigned char Get_ScrByte() const { return m_ScrByte; }
    unsigned int GetuiDimHeaderPsw() const { return m_uiDimHeaderPsw; }
    // 1 until a load step fails.
    int Getm_bfValid() const { return m_bfValid; }

    // Owned by this object; the caller does not free them.
    CHeaderPrnPsw* Get_cHeaderPrnPsw() { return m_pHeaderPrn.get(); }
    CHeaderSwPsw* Get_cHeaderSwPsw() { return m_pHeaderSw.get(); }
    CHeaderLoghiPsw* Get_cHeaderLoghiPsw() { return m_pHeaderLoghi.get(); }
    CHeaderFontPsw* Get_cHeaderFontPsw() { return m_pHeaderFont.get(); }
    CHeaderBinPsw* Get_cHeaderBinPsw() { return m_pHeaderBin.get(); }

    // Single-byte patches of the printer block of the file named by the last
    // Init: the scramble byte (offset 23) and the model byte, written as
    // given (offset 21).
    int SetScrByteInToPswFile(unsigned char ScrByte);
    int SetGsiByteNotDecodedInToPswFile(unsigned char GSIByte);

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    int IsPSWII(const CString& NomeFilePsw);
    int PatchByte(std::uint64_t offset, unsigned char value);

    const CString m_ClassName = L"CHeaderPsw";
    const CString m_Version = L"1.00";
    std::unique_ptr<CHeaderPrnPsw> m_pHeaderPrn;
    std::unique_ptr<CHeaderSwPsw> m_pHeaderSw;
    std::unique_ptr<CHeaderLoghiPsw> m_pHeaderLoghi;
    std::unique_ptr<CHeaderFontPsw> m_pHeaderFont;
    std::unique_ptr<CHeaderBinPsw> m_pHeaderBin;
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    unsigned char m_NumBlocchiHSW = 0;
    unsigned char m_numBancoInitUp = 0;
    unsigned char m_NumBlocchiLSW = 0;
    unsigned char m_NumBlocchiFSW = 0;
    unsigned char m_ScrByte = 0;
    unsigned int m_uiDimHeaderPsw = 0;
    int m_bfValid = 1;
    CString m_strNomeStampante;
    CString m_strReleaseSw;
    CString m_strReleaseHw;
    CString m_strData;
    int m_bfPSWII = 0;
};
