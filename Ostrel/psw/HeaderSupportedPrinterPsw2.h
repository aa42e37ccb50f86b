// Reader of the supported-printer blocks ("Q") of a PSW2 file: the other
// printer models the file may be loaded into, one block each.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"

#include <vector>

#pragma pack(push, 1)
// File and memory order are the same.
struct _headerSupportedPrinter2 {
    unsigned char Tag;            // "Q"
    unsigned char NumHeader;      // 1 in the first block
    unsigned char NumTotHeader;   // number of records (meaningful in the first block)
    unsigned char NomeStampante[8];
    unsigned char ReleaseHw[2];
    unsigned char ReleaseSw[3];
    unsigned char Data[6];
    unsigned char Reserved1;      // carried unchanged
    unsigned char GsiModel;       // unscrambled once read
    unsigned char Reserved2;      // carried unchanged
    unsigned char Reserved3;      // carried unchanged
};
#pragma pack(pop)
static_assert(sizeof(_headerSupportedPrinter2) == 26);

class OSTREL_API CHeaderSupportedPrinterPsw2 : public CConversioni {
public:
    explicit CHeaderSupportedPrinterPsw2(CKalvoNewDebugObject* debug);

    void SetHeaderSupportedPrinterPosition(unsigned long pos) { m_Position = pos; }
    unsigned long GetHeaderSupportedPrinterPosition() const { return m_Position; }
    // The file's scramble byte, which the model bytes are stored under.
    void SetScrByte(unsigned char scrByte) { m_ScrByte = scrByte; }
    void Setm_ShowWarningMessage(int show) { m_ShowWarningMessage = show; }
    int Init(const CString& NomeFilePsw);

    unsigned char GetNumTotHeader() const { return m_NumTotHeader; }
    unsigned char GetNumHeader(int i);
    // Owned by the reader; valid while it lives and until the next Init.
    _headerSupportedPrinter2* GetIesimHeaderStruct(int i);
    int Getm_bfDataLoad() const { return m_bfDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    void CheckIndex(int i, const wchar_t* what);

    const CString m_ClassName = L"CHeaderSupportedPrinterPsw2";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    unsigned long m_Position = 0;
    unsigned char m_ScrByte = 0;
    int m_ShowWarningMessage = 1;
    int m_bfDataLoad = 0;
    unsigned char m_NumTotHeader = 0;
    std::vector<_headerSupportedPrinter2> m_Records;
};
