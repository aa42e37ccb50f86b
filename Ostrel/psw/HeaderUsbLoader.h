// Reader of the USB-loader block ("u") of a PSW2 file: where the loader
// stands in the file.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"

#pragma pack(push, 1)
struct _headerUsbLoader {
    unsigned char Tag;           // "u"
    unsigned char Ind[4];        // position of the loader in the file, as stored
    unsigned char Carried3[3];   // carried unchanged
    unsigned char Carried1;      // carried unchanged
};
#pragma pack(pop)
static_assert(sizeof(_headerUsbLoader) == 9);

class OSTREL_API CHeaderUsbLoader : public CConversioni {
public:
    explicit CHeaderUsbLoader(CKalvoNewDebugObject* debug);

    void SetHeaderUsbLoaderPosition(unsigned long pos) { m_Position = pos; }
    unsigned long GetHeaderUsbLoaderPosition() const { return m_Position; }
    int Init(const CString& NomeFilePsw);
    void GetIndULInPSWFile(unsigned char* dst) const;
    const _headerUsbLoader* GetHeaderStruct() const { return &m_Header; }
    int Getm_bfDataLoad() const { return m_bfDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    const CString m_ClassName = L"CHeaderUsbLoader";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    unsigned long m_Position = 0;
    int m_bfDataLoad = 0;
    _headerUsbLoader m_Header{};
};
