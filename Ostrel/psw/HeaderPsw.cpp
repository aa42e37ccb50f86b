#include "HeaderPsw.h"

#include "PswLayout.h"
#include "PswReadSupport.h"
#include "UiServices.h"

CHeaderPsw::CHeaderPsw(CKalvoNewDebugObject* debug)
    : m_pHeaderPrn(std::make_unique<CHeaderPrnPsw>(debug)),
      m_pHeaderSw(std::make_unique<CHeaderSwPsw>(debug)),
      m_pHeaderLoghi(std::make_unique<CHeaderLoghiPsw>(debug)),
      m_pHeaderFont(std::make_unique<CHeaderFontPsw>(debug)),
      m_pHeaderBin(std::make_unique<CHeaderBinPsw>(debug)),
      m_pDebugObj(debug) {}

CHeaderPsw::~CHeaderPsw() = default;

int CHeaderPsw::IsPSWII(const CString& NomeFilePsw) {
    psw::ImageReader f;
    if (!f.Open(NomeFilePsw, BinaryFile::Mode::Read)) {
        MessageBox(nullptr, CString::Format(psw::kPatchOpenError, NomeFilePsw), psw::kPatchCaption, MB_ICONERROR);
        return 0;
    }
    unsigned char marker = 0;
    // A file too short to hold the marker is not a second-generation file;
    // the printer reader then reports what is wrong with it.
    if (!psw::ReadAt(f, 24, &marker, 1)) return 0;
    return marker == '2' ? 1 : 0;
}

int CHeaderPsw::Init(const CString& NomeFilePsw) {
    // Every reader below decodes this one image of the file.
    const PswImageScope image(NomeFilePsw);
    m_strNomeFilePsw = NomeFilePsw;
    m_bfPSWII = IsPSWII(NomeFilePsw);
    const auto fail = [this] {
        m_bfValid = 0;
        return 0;
    };
    if (!m_pHeaderPrn->Init(NomeFilePsw)) return fail();
    m_strNomeStampante = m_pHeaderPrn->GetNomeStampante();
    m_strReleaseSw = m_pHeaderPrn->GetReleaseSw();
    m_strReleaseHw = m_pHeaderPrn->GetReleaseHw();
    m_strData = m_pHeaderPrn->GetData();
    m_numBancoInitUp = m_pHeaderPrn->GetnumBancoInitUp();
    m_ScrByte = m_pHeaderPrn->GetScrByte();
    if (m_bfPSWII) return 1;

    if (!m_pHeaderSw->Init(NomeFilePsw)) return fail();
    m_NumBlocchiHSW = m_pHeaderSw->GetNumTotBanchi();
    if (!m_pHeaderLoghi->Init(NomeFilePsw, m_NumBlocchiHSW)) return fail();
    m_NumBlocchiLSW = m_pHeaderLoghi->GetNumTotLoghi();
    // A file without logos still reserves the place of one logo block.
    if (m_NumBlocchiLSW == 0) m_NumBlocchiLSW = 1;
    if (!m_pHeaderFont->Init(NomeFilePsw, m_NumBlocchiHSW, m_NumBlocchiLSW)) return fail();
    m_NumBlocchiFSW = m_pHeaderFont->GetNumTotFont();
    if (!m_pHeaderBin->Init(NomeFilePsw, m_NumBlocchiHSW, m_NumBlocchiLSW, m_NumBlocchiFSW)) return fail();
    m_uiDimHeaderPsw = psw::HeaderSize1(m_NumBlocchiHSW, m_NumBlocchiLSW, m_NumBlocchiFSW);
    return 1;
}

int CHeaderPsw::PatchByte(std::uint64_t offset, unsigned char value) {
    BinaryFile f;
    const auto openError = [&] {
        MessageBox(nullptr, CString::Format(psw::kPatchOpenError, m_strNomeFilePsw), psw::kPatchCaption,
                   MB_ICONERROR);
        return 0;
    };
    if (!f.Open(m_strNomeFilePsw, BinaryFile::Mode::Read)) return openError();
    unsigned char tag = 0;
    // A file too short to hold the byte would grow under the patch: it is no
    // printer header either.
    const std::int64_t length = f.Length();
    if (!psw::ReadExact(f, &tag, 1) || tag != 'P' || length <= static_cast<std::int64_t>(offset)) {
        MessageBox(nullptr, CString::Format(psw::kPatchVersionError, m_strNomeFilePsw), psw::kPatchCaption,
                   MB_ICONERROR);
        return 0;
    }
    f.Close();
    if (!f.Open(m_strNomeFilePsw, BinaryFile::Mode::ReadWrite)) return openError();
    if (!f.Seek(offset) || f.Write(&value, 1) != 1) return openError();
    f.Close();
    return 1;
}

int CHeaderPsw::SetScrByteInToPswFile(unsigned char ScrByte) { return PatchByte(23, ScrByte); }

int CHeaderPsw::SetGsiByteNotDecodedInToPswFile(unsigned char GSIByte) { return PatchByte(21, GSIByte); }
