#include "HeaderModule.h"

#include "BigEndian.h"
#include "PswReadSupport.h"

#include <new>

CHeaderModule::CHeaderModule(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

const _headerModule* CHeaderModule::GetIesimModuleStruct(int i) {
    MYThrow(i >= 0 && i < static_cast<int>(m_Records.size()), L"GetIesimModuleStruct(int i)", m_ClassName,
            L"HeaderModule");
    return &m_Records[static_cast<std::size_t>(i)];
}

const _headerModule* CHeaderModule::Find(unsigned char type, unsigned int n, const wchar_t* what) {
    MYThrow(n != 0, what, m_ClassName, L"HeaderModule");
    for (const _headerModule& r : m_Records) {
        if (r.Type == type && r.Num == n) return &r;
    }
    return nullptr;
}

unsigned long CHeaderModule::GetModuleAddress(unsigned char type, unsigned int n) {
    const _headerModule* r = Find(type, n, L"GetModuleAddress(unsigned char type, unsigned int n)");
    return r ? GetBE32(r->Address) : 0;
}

unsigned long CHeaderModule::GetModuleSize(unsigned char type, unsigned int n) {
    const _headerModule* r = Find(type, n, L"GetModuleSize(unsigned char type, unsigned int n)");
    return r ? GetBE32(r->Size) : 0;
}

int CHeaderModule::ModulePresent(unsigned char type) const {
    for (const _headerModule& r : m_Records) {
        if (r.Type == type) return 1;
    }
    return 0;
}

unsigned int CHeaderModule::GetNumModuleOfType(unsigned char type) const {
    for (const _headerModule& r : m_Records) {
        if (r.Type == type) return r.NumTot;
    }
    return 0;
}

int CHeaderModule::Init(const CString& NomeFilePsw) {
    m_strNomeFilePsw = NomeFilePsw;
    m_bfDataLoad = 0;
    m_Records.clear();
    psw::ImageReader f;
    if (!psw::OpenBlock2(f, m_pDebugObj, NomeFilePsw, m_Position, 'm')) return 0;
    // Count the run of "m" blocks; the file's end bounds it.
    std::size_t count = 0;
    bool more = f.Seek(m_Position);
    while (more) {
        unsigned char tag = 0;
        more = psw::ReadExact(f, &tag, 1) && tag == 'm';
        if (more) ++count;
        psw::Skip(f, 31);
    }
    try {
        m_Records.reserve(count);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (!f.Seek(m_Position)) return psw::Truncated2(m_pDebugObj, NomeFilePsw);
    for (std::size_t i = 0; i < count; ++i) {
        _headerModule r{};
        const bool ok = psw::ReadExact(f, &r.Tag, 1) &&
                        psw::ReadExact(f, &r.Type, 1) && psw::ReadExact(f, &r.Num, 1) &&
                        psw::ReadExact(f, &r.NumTot, 1) && psw::ReadExact(f, r.Address, 4) &&
                        psw::ReadExact(f, r.Size, 4);
        if (!ok) {
            m_Records.clear();
            return psw::Truncated2(m_pDebugObj, NomeFilePsw);
        }
        m_Records.push_back(r);
        psw::Skip(f, 32 - sizeof r);
    }
    f.Close();
    m_bfDataLoad = 1;
    return 1;
}
