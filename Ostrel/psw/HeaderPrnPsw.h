// Reader of the printer block ("P", file offsets 0..23) of a first-generation
// PSW file: model name, releases, date, initial-data bank, model byte, port
// type and scramble byte.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"

class OSTREL_API CHeaderPrnPsw : public CConversioni {
public:
    explicit CHeaderPrnPsw(CKalvoNewDebugObject* debug);

    int Init(const CString& NomeFilePsw);

    CString GetNomeStampante() const;
    CString GetReleaseHw() const;
    CString GetReleaseSw() const;
    CString GetData() const;
    unsigned char GetnumBancoInitUp() const { return m_Block[20]; }
    unsigned char GetIndDatiBin() const { return m_Block[20]; }
    // The plain model byte: the file holds it scrambled with the scramble byte.
    unsigned char GetGsiModel() const { return m_Block[21]; }
    unsigned char GetTipoComPort() const { return m_Block[22]; }
    unsigned char GetScrByte() const { return m_Block[23]; }
    int Getm_tDataLoad() const { return m_tDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    int LoaderData();

    const CString m_ClassName = L"CHeaderPrnPsw";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    int m_tDataLoad = 0;
    // Bytes 0..23 as read, byte 21 unscrambled.
    unsigned char m_Block[24] = {};
};
