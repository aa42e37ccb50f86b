// Reader of the printer block ("P", 26 bytes) of a PSW2 file.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"

#pragma pack(push, 1)
struct _headerPrinter2 {
    unsigned char Tag;            // "P"
    unsigned char NomeStampante[8];
    unsigned char ReleaseHw[2];
    unsigned char ReleaseSw[3];
    unsigned char Data[6];
    unsigned char numBancoInitUp;
    unsigned char GsiModel;       // unscrambled once read
    unsigned char TipoComPort;
    unsigned char ScrByte;
    unsigned char PswVersion;     // "2"
    unsigned char Reserved;       // carried unchanged
};
#pragma pack(pop)
static_assert(sizeof(_headerPrinter2) == 26);

class OSTREL_API CHeaderPrinterPsw2 : public CConversioni {
public:
    explicit CHeaderPrinterPsw2(CKalvoNewDebugObject* debug);

    void SetHeaderPrinterPosition(unsigned long pos) { m_Position = pos; }
    unsigned long GetHeaderPrinterPosition() const { return m_Position; }
    int Init(const CString& NomeFilePsw);

    CString GetNomeStampante() const;
    CString GetReleaseHw() const;
    CString GetReleaseSw() const;
    CString GetData() const;
    unsigned char GetnumBancoInitUp() const { return m_Header.numBancoInitUp; }
    unsigned char GetGsiModel() const { return m_Header.GsiModel; }
    unsigned char GetTipoComPort() const { return m_Header.TipoComPort; }
    unsigned char GetScrByte() const { return m_Header.ScrByte; }
    unsigned char GetPswVersion() const { return m_Header.PswVersion; }
    const _headerPrinter2* GetHeaderStruct() const { return &m_Header; }
    int Getm_bfDataLoad() const { return m_bfDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    const CString m_ClassName = L"CHeaderPrinterPsw2";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    unsigned long m_Position = 0;
    int m_bfDataLoad = 0;
    _headerPrinter2 m_Header{};
};
