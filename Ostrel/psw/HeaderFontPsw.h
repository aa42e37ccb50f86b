// Reader of the font header of a first-generation PSW file: one "F" block per
// bitmap font. The header is found by walking the file in 32-byte steps, so
// the block counts handed to Init are not needed to place it.
#pragma once

#include "Conversioni.h"
#include "FileUtil.h"
#include "KalvoNewDebugObject.h"
#include "PswImage.h"
#include "PswRecords.h"

#include <vector>

class OSTREL_API CHeaderFontPsw : public CConversioni {
public:
    explicit CHeaderFontPsw(CKalvoNewDebugObject* debug);

    // 1 when loaded, also when the file holds no font header; 0 on failure.
    int Init(const CString& NomeFilePsw, UINT NumBlocchiHSW, UINT NumBlocchiLSW);
    // File position of the first "F" block met at a 32-byte step; when there
    // is none, the last step looked at.
    unsigned int GetIndHeaderFontInPswFile(const CString& NomeFilePsw);
    unsigned char GetNumTotFont() const { return m_NumTotFont; }
    // Owned by the reader; valid while it lives and until the next Init.
    _headerFont* GetIesimFontStruct(int i);
    unsigned char GetNumFont(int i);
    void GetIndFontInBinFile(unsigned char* dst, int i);
    unsigned int GetIndHeaderFont() const { return m_IndHeaderFont; }
    int Getm_tDataLoad() const { return m_tDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    int LoaderData();
    void LoadStruct(psw::ImageReader& f, _headerFont& r);
    // The same from an open file at the record (for derived readers).
    void LoadStruct(BinaryFile& f, _headerFont& r);
    void CheckIndex(int i, const wchar_t* what);

    const CString m_ClassName = L"CHeaderFontPsw";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    int m_tDataLoad = 0;
    unsigned char m_NumTotFont = 0;
    unsigned int m_IndHeaderFont = 0;
    std::vector<_headerFont> m_Records;
};
