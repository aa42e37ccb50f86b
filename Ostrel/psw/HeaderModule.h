// Reader of the module table of a PSW2 file: consecutive "m" blocks, one per
// module, each giving the module's type letter, its number within the type,
// and its address and size in the file.
#pragma once

#include "Conversioni.h"
#include "KalvoNewDebugObject.h"

#include <vector>

#pragma pack(push, 1)
struct _headerModule {
    unsigned char Tag;            // "m"
    unsigned char Type;           // module type letter, "s" for software
    unsigned char Num;            // number within its type, from 1
    unsigned char NumTot;         // number of modules of this type
    unsigned char Address[4];     // address in the file, big-endian
    unsigned char Size[4];        // size, big-endian
};
#pragma pack(pop)
static_assert(sizeof(_headerModule) == 12);

class OSTREL_API CHeaderModule : public CConversioni {
public:
    explicit CHeaderModule(CKalvoNewDebugObject* debug);

    void SetHeaderModulePosition(unsigned long pos) { m_Position = pos; }
    unsigned long GetHeaderModulePosition() const { return m_Position; }
    int Init(const CString& NomeFilePsw);

    unsigned int GetNumTotModule() const { return static_cast<unsigned int>(m_Records.size()); }
    // Owned by the reader; valid while it lives and until the next Init.
    const _headerModule* GetIesimModuleStruct(int i);

    // Lookups by type and number (n from 1): the first record in file order
    // that matches; 0 when none does.
    unsigned long GetModuleAddress(unsigned char type, unsigned int n);
    unsigned long GetModuleSize(unsigned char type, unsigned int n);
    int ModulePresent(unsigned char type) const;
    // Byte 3 of the first record of the type; 0 when there is none.
    unsigned int GetNumModuleOfType(unsigned char type) const;
    int Getm_bfDataLoad() const { return m_bfDataLoad; }

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    const _headerModule* Find(unsigned char type, unsigned int n, const wchar_t* what);

    const CString m_ClassName = L"CHeaderModule";
    const CString m_Version = L"1.00";
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    unsigned long m_Position = 0;
    int m_bfDataLoad = 0;
    std::vector<_headerModule> m_Records;
};
