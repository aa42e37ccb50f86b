#include "HeaderGenericData.h"

#include "PswReadSupport.h"

#include <cstring>
#include <new>

CHeaderGenericData::CHeaderGenericData(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

void CHeaderGenericData::CheckIndex(int i, const wchar_t* what) {
    MYThrow(i >= 0 && i < static_cast<int>(m_Records.size()), what, m_ClassName, L"HeaderGenericData");
}

unsigned char CHeaderGenericData::GetNumGenericData(int i) {
    CheckIndex(i, L"GetNumGenericData(int i)");
    return m_Records[static_cast<std::size_t>(i)].NumGenericData;
}

void CHeaderGenericData::GetIndBloccoInPSWFile(unsigned char* dst, int i) {
    CheckIndex(i, L"GetIndBloccoInPSWFile(unsigned char* dst, int i)");
    std::memcpy(dst, m_Records[static_cast<std::size_t>(i)].IndBlocco, 4);
}

const _headerGenericData* CHeaderGenericData::GetIesimGenericDataStruct(int i) {
    CheckIndex(i, L"GetIesimGenericDataStruct(int i)");
    return &m_Records[static_cast<std::size_t>(i)];
}

int CHeaderGenericData::Init(const CString& NomeFilePsw) {
    m_strNomeFilePsw = NomeFilePsw;
    m_bfDataLoad = 0;
    m_NumTot = 0;
    m_Records.clear();
    psw::ImageReader f;
    if (!psw::OpenBlock2(f, m_pDebugObj, NomeFilePsw, m_Position, 'd')) return 0;
    unsigned char number = 0, count = 0;
    if (!psw::ReadExact(f, &number, 1) || !psw::ReadExact(f, &count, 1)) {
        return psw::Truncated2(m_pDebugObj, NomeFilePsw);
    }
    try {
        m_Records.reserve(count);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    for (unsigned i = 0; i < count; ++i) {
        _headerGenericData r{};
        const bool ok = f.Seek(std::uint64_t{m_Position} + 32ull * i) && psw::ReadExact(f, &r.Tag, 1) &&
                        psw::ReadExact(f, &r.NumGenericData, 1) && psw::ReadExact(f, &r.NumTotGenericData, 1) &&
                        psw::ReadExact(f, r.IndBlocco, 4) && psw::ReadExact(f, r.Carried3, 3) &&
                        psw::ReadExact(f, &r.Carried1, 1);
        if (!ok) {
            m_Records.clear();
            return psw::Truncated2(m_pDebugObj, NomeFilePsw);
        }
        m_Records.push_back(r);
    }
    f.Close();
    m_NumTot = count;
    m_bfDataLoad = 1;
    return 1;
}
