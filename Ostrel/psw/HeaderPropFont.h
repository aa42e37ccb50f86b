// Reader of the proportional-font blocks ("C") of a PSW2 file, one
// `_headerPropFont` per font. The library loads them for its callers; the
// editor does not use them.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"
#include "PswRecords.h"

#include <vector>

class OSTREL_API CHeaderPropFont : public CConversioni {
public:
    explicit CHeaderPropFont(CKalvoNewDebugObject* debug);

    void SetHeaderPropFontsPosition(unsigned long pos) { m_Position = pos; }
    unsigned long GetHeaderPropFontsPosition() const { return m_Position; }
    // Kept for callers that set it; loading does not depend on it.
    void Setm_ShowWarningMessage(int show) { m_ShowWarningMessage = show; }
    int Getm_ShowWarningMessage() const { return m_ShowWarningMessage; }
    int Init(const CString& NomeFilePsw);

    unsigned char GetNumTotPropFont() const { return m_NumTotPropFont; }
    // Owned by the reader; valid while it lives and until the next Init.
    _headerPropFont* GetIesimFontStruct(int i);
    unsigned char GetNumPropFont(int i);
    // Bytes 11..14 of record i as stored.
    void GetIndPropFontInPSWFile(unsigned char* dst, int i);
    int Getm_bfDataLoad() const { return m_bfDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    void CheckIndex(int i, const wchar_t* what);

    const CString m_ClassName = L"CHeaderPropFont";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    unsigned long m_Position = 0;
    std::vector<_headerPropFont> m_Records;
    unsigned char m_NumTotPropFont = 0;
    int m_bfDataLoad = 0;
    int m_ShowWarningMessage = 1;
};
