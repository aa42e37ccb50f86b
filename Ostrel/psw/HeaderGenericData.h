// Reader of the generic-data blocks ("d") of a PSW2 file: one block per data
// block carried in the file.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"

#include <vector>

#pragma pack(push, 1)
struct _headerGenericData {
    unsigned char Tag;              // "d"
    unsigned char NumGenericData;   // record number
    unsigned char NumTotGenericData;// number of records (meaningful in the first block)
    unsigned char IndBlocco[4];     // position of the data block in the file, as stored
    unsigned char Carried3[3];      // carried unchanged
    unsigned char Carried1;         // carried unchanged
};
#pragma pack(pop)
static_assert(sizeof(_headerGenericData) == 11);

class OSTREL_API CHeaderGenericData : public CConversioni {
public:
    explicit CHeaderGenericData(CKalvoNewDebugObject* debug);

    void SetHeaderGenericDataPosition(unsigned long pos) { m_Position = pos; }
    unsigned long GetHeaderGenericDataPosition() const { return m_Position; }
    int Init(const CString& NomeFilePsw);

    unsigned char GetNumTotGenericData() const { return m_NumTot; }
    unsigned char GetNumGenericData(int i);
    void GetIndBloccoInPSWFile(unsigned char* dst, int i);
    // Owned by the reader; valid while it lives and until the next Init.
    const _headerGenericData* GetIesimGenericDataStruct(int i);
    int Getm_bfDataLoad() const { return m_bfDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    void CheckIndex(int i, const wchar_t* what);

    const CString m_ClassName = L"CHeaderGenericData";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    unsigned long m_Position = 0;
    int m_bfDataLoad = 0;
    unsigned char m_NumTot = 0;
    std::vector<_headerGenericData> m_Records;
};
