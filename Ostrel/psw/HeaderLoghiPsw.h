// Reader of the logo header of a first-generation PSW file: one "L" block per
// logo, right after the software blocks. A file may have none.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"

#include <vector>

#pragma pack(push, 1)
// The 11 bytes used of an "L" block, in file order.
struct _headerLogo {
    unsigned char Tag;           // "L"
    unsigned char NumLogo;       // 1 in the first block
    unsigned char NumTotLoghi;   // number of logos (meaningful in the first block)
    unsigned char Prop1[2];      // carried unchanged
    unsigned char Prop2[2];      // carried unchanged
    unsigned char IndLogo[3];    // position of the logo in the binary image, as stored
    unsigned char NumColori;     // number of colours
};
#pragma pack(pop)
static_assert(sizeof(_headerLogo) == 11);

class OSTREL_API CHeaderLoghiPsw : public CConversioni {
public:
    explicit CHeaderLoghiPsw(CKalvoNewDebugObject* debug);

    // The logo header stands after the printer block and the
    // NumBlocchiHSW software blocks.
    int Init(const CString& NomeFilePsw, UINT NumBlocchiHSW);
    unsigned char GetNumTotLoghi() const { return m_NumTotLoghi; }
    unsigned char GetNumLogo(int i);
    unsigned char GetNumColoriLogo(int i);
    void GetIndLogoInBinFile(unsigned char* dst, int i);
    // The whole record, for callers that want the carried properties.
    const _headerLogo* GetIesimLogoStruct(int i);
    int Getm_tDataLoad() const { return m_tDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    int LoaderData(UINT NumBlocchiHSW);
    void CheckIndex(int i, const wchar_t* what);

    const CString m_ClassName = L"CHeaderLoghiPsw";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    int m_tDataLoad = 0;
    unsigned char m_NumTotLoghi = 0;
    std::vector<_headerLogo> m_Records;
};
