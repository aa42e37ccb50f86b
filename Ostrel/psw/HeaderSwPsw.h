// Reader of the software header of a first-generation PSW file: one "S"
// block per firmware bank, from file offset 32 on.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"

#include <vector>

#pragma pack(push, 1)
// The 6 bytes used of an "S" block, in file order.
struct _headerSw {
    unsigned char Tag;          // "S"
    unsigned char NumBanco;     // bank number
    unsigned char NumTotBanchi; // number of software blocks (meaningful in the first block)
    unsigned char IndBanco[3];  // position of the bank in the binary image, as stored
};
#pragma pack(pop)
static_assert(sizeof(_headerSw) == 6);

class OSTREL_API CHeaderSwPsw : public CConversioni {
public:
    explicit CHeaderSwPsw(CKalvoNewDebugObject* debug);

    int Init(const CString& NomeFilePsw);
    unsigned char GetNumTotBanchi() const { return m_NumTotBanchi; }
    unsigned char GetNumBanco(int i);
    void GetIndBancoInBinFile(unsigned char* dst, int i);
    int Getm_tDataLoad() const { return m_tDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    int LoaderData();

    const CString m_ClassName = L"CHeaderSwPsw";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    int m_tDataLoad = 0;
    unsigned char m_NumTotBanchi = 0;
    std::vector<_headerSw> m_Records;
};
