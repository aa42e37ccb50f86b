// Reader of the font blocks ("f") of a PSW2 file, one `_headerFont2` per
// bitmap font. Each record holds the absolute file offset of its font's data.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"
#include "PswRecords.h"

#include <vector>

class OSTREL_API CHeaderFontPsw2 : public CConversioni {
public:
    explicit CHeaderFontPsw2(CKalvoNewDebugObject* debug);

    void SetHeaderFontsPosition(unsigned long pos) { m_Position = pos; }
    unsigned long GetHeaderFontsPosition() const { return m_Position; }
    // Kept for callers that set it; loading does not depend on it.
    void Setm_ShowWarningMessage(int show) { m_ShowWarningMessage = show; }
    int Getm_ShowWarningMessage() const { return m_ShowWarningMessage; }
    int Init(const CString& NomeFilePsw);

    unsigned char GetNumTotFont() const { return m_NumTotFont; }
    // Owned by the reader; valid while it lives and until the next Init.
    _headerFont2* GetIesimFontStruct(int i);
    unsigned char GetNumFont(int i);
    // The 4 offset bytes of record i as stored (big-endian).
    void GetIndFontInPSWFile(unsigned char* dst, int i);
    // Bytes of font i's data block: height x characters x bytes per packed
    // row, the row being width plus the signed margins.
    unsigned int GetDimFontBlock(int i);
    int Getm_bfDataLoad() const { return m_bfDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    void CheckIndex(int i, const wchar_t* what);

    const CString m_ClassName = L"CHeaderFontPsw2";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    unsigned long m_Position = 0;
    std::vector<_headerFont2> m_Records;
    unsigned char m_NumTotFont = 0;
    int m_bfDataLoad = 0;
    int m_ShowWarningMessage = 1;
};
