// Reader of the boot-loader block ("b") of a PSW2 file: where the loader
// stands in the file.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"

#pragma pack(push, 1)
struct _headerBootLoader {
    unsigned char Tag;           // "b"
    unsigned char Ind[4];        // position of the loader in the file, as stored
    unsigned char Carried3[3];   // carried unchanged
    unsigned char Carried1;      // carried unchanged
};
#pragma pack(pop)
static_assert(sizeof(_headerBootLoader) == 9);

class OSTREL_API CHeaderBootLoader : public CConversioni {
public:
    explicit CHeaderBootLoader(CKalvoNewDebugObject* debug);

    void SetHeaderBootLoaderPosition(unsigned long pos) { m_Position = pos; }
    unsigned long GetHeaderBootLoaderPosition() const { return m_Position; }
    int Init(const CString& NomeFilePsw);
    void GetIndBLInPSWFile(unsigned char* dst) const;
    const _headerBootLoader* GetHeaderStruct() const { return &m_Header; }
    int Getm_bfDataLoad() const { return m_bfDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    const CString m_ClassName = L"CHeaderBootLoader";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    unsigned long m_Position = 0;
    int m_bfDataLoad = 0;
    _headerBootLoader m_Header{};
};
