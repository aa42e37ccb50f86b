#include "HeaderBinPsw.h"

#include "BigEndian.h"
#include "PswReadSupport.h"

CHeaderBinPsw::CHeaderBinPsw(CKalvoNewDebugObject* debug) : m_pDebugObj(debug) {}

int CHeaderBinPsw::Init(const CString& NomeFilePsw, UINT NumBlocchiHSW, UINT NumBlocchiLSW, UINT NumBlocchiFSW) {
    m_strNomeFilePsw = NomeFilePsw;
    m_tDataLoad = 0;
    m_uiDimFileBin = m_uiNumBanchi = m_uiDimBancoBin = 0;
    // Each count is at most 255, so the position stays far below 32 bits.
    m_IndHeaderBin = (NumBlocchiHSW + NumBlocchiLSW + NumBlocchiFSW + 1) * 32;
    return LoaderData();
}

int CHeaderBinPsw::LoaderData() {
    psw::ImageReader f;
    if (!f.Open(m_strNomeFilePsw, BinaryFile::Mode::Read)) {
        m_strMessage = CString::Format(psw::kOpenError, m_strNomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, psw::kOpenErrorCaption, 1);
        return 0;
    }
    const auto versionError = [&] {
        f.Close();
        m_strMessage = CString::Format(psw::kVersionError, m_strNomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, psw::kVersionErrorCaption, 1);
        return 0;
    };
    unsigned char b = 0;
    MYThrow(psw::ReadExact(f, &b, 1), L"1) LoaderData()", m_ClassName, L"HeaderBinPsw");
    if (b != 'P') return versionError();
    MYThrow(psw::ReadAt(f, m_IndHeaderBin, &b, 1), L"2) LoaderData()", m_ClassName, L"HeaderBinPsw");
    if (b != '@') return versionError();
    unsigned char size[3] = {}, banks = 0, bankSize[3] = {};
    MYThrow(psw::ReadExact(f, size, 3), L"3) LoaderData()", m_ClassName, L"HeaderBinPsw");
    MYThrow(psw::ReadExact(f, &banks, 1), L"4) LoaderData()", m_ClassName, L"HeaderBinPsw");
    MYThrow(psw::ReadExact(f, bankSize, 3), L"5) LoaderData()", m_ClassName, L"HeaderBinPsw");
    f.Close();
    m_uiDimFileBin = GetBE24(size);
    m_uiNumBanchi = banks;
    m_uiDimBancoBin = GetBE24(bankSize);
    m_tDataLoad = 1;
    return 1;
}
