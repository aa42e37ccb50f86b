// Reader of the software block ("s") of a PSW2 file: where the firmware
// stands in the file.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"

#pragma pack(push, 1)
struct _headerSw2 {
    unsigned char Tag;           // "s"
    unsigned char Reserved[2];   // not read, held as 0
    unsigned char IndSw[4];      // position of the software in the file, as stored
    unsigned char Carried3[3];   // carried unchanged
    unsigned char Carried1;      // carried unchanged
};
#pragma pack(pop)
static_assert(sizeof(_headerSw2) == 11);

class OSTREL_API CHeaderSwPsw2 : public CConversioni {
public:
    explicit CHeaderSwPsw2(CKalvoNewDebugObject* debug);

    void SetHeaderSoftwarePosition(unsigned long pos) { m_Position = pos; }
    unsigned long GetHeaderSoftwarePosition() const { return m_Position; }
    int Init(const CString& NomeFilePsw);
    void GetIndSWInPSWFile(unsigned char* dst) const;
    const _headerSw2* GetHeaderStruct() const { return &m_Header; }
    int Getm_bfDataLoad() const { return m_bfDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    const CString m_ClassName = L"CHeaderSwPsw2";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    unsigned long m_Position = 0;
    int m_bfDataLoad = 0;
    _headerSw2 m_Header{};
};
