// Reader of the bin block ("?", 5 bytes) of a PSW2 file: the size of the
// binary contents. The block ends the header.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"

class OSTREL_API CHeaderBin2 : public CConversioni {
public:
    explicit CHeaderBin2(CKalvoNewDebugObject* debug);

    void SetHeaderBinPosition(unsigned long pos) { m_Position = pos; }
    unsigned long GetHeaderBinPosition() const { return m_Position; }
    int Init(const CString& NomeFilePsw);
    // The 4 size bytes as stored (big-endian).
    void GetDimFileBin(unsigned char* dst) const;
    int Getm_bfDataLoad() const { return m_bfDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    const CString m_ClassName = L"CHeaderBin2";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    unsigned long m_Position = 0;
    int m_bfDataLoad = 0;
    unsigned char m_DimFileBin[4] = {};
};
