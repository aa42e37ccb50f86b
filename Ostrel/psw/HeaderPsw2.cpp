#include "HeaderPsw2.h"

#include "BigEndian.h"
#include "CrittoPswFile.h"
#include "PswLayout.h"
#include "PswReadSupport.h"
#include "UiServices.h"

#include <limits>

namespace {
constexpr unsigned char kTags[] = {'P', 'Q', 's', 'f', 'u', 'b', 'd', 'C', 'm', '?'};
// Logged when a block is not found.
constexpr const wchar_t* kAbsent[] = {
    L"Header Printer not present into PSW2 file",
    L"Header Printer not present into PSW2 file",
    L"Header Software not present into PSW2 file",
    L"Header Fonts not present into PSW2 file",
    L"Header Usb Loader not present into PSW2 file",
    L"Header Boot Loader not present into PSW2 file",
    L"Header Generic Data not present into PSW2 file",
    L"Header Proportional Font not present into PSW2 file",
    L"Headers Modules not present into PSW2 file",
    L"Header Bin not present into PSW2 file",
};
}  // namespace

CHeaderPsw2::CHeaderPsw2(CKalvoNewDebugObject* debug)
    : m_pPrinter(std::make_unique<CHeaderPrinterPsw2>(debug)),
      m_pSupportedPrinter(std::make_unique<CHeaderSupportedPrinterPsw2>(debug)),
      m_pSoftware(std::make_unique<CHeaderSwPsw2>(debug)),
      m_pUsbLoader(std::make_unique<CHeaderUsbLoader>(debug)),
      m_pBootLoader(std::make_unique<CHeaderBootLoader>(debug)),
      m_pBin(std::make_unique<CHeaderBin2>(debug)),
      m_pFonts(std::make_unique<CHeaderFontPsw2>(debug)),
      m_pPropFonts(std::make_unique<CHeaderPropFont>(debug)),
      m_pGenericData(std::make_unique<CHeaderGenericData>(debug)),
      m_pModules(std::make_unique<CHeaderModule>(debug)),
      m_pDebugObj(debug) {}

CHeaderPsw2::~CHeaderPsw2() = default;

int CHeaderPsw2::TagIndex(unsigned char tag) {
    for (int i = 0; i < kTagCount; ++i) {
        if (kTags[i] == tag) return i;
    }
    return -1;
}

int CHeaderPsw2::IsHeaderPresent(unsigned char tag) const {
    const int i = TagIndex(tag);
    return i >= 0 ? m_bfFound[i] : 0;
}

unsigned long CHeaderPsw2::GetHeaderPosition(unsigned char tag) const {
    const int i = TagIndex(tag);
    return i >= 0 ? m_Position[i] : 0;
}

unsigned char CHeaderPsw2::GetGsiModel() const { return m_pPrinter->GetGsiModel(); }

unsigned long CHeaderPsw2::GetModuleAddress(unsigned char type, unsigned int n) {
    return m_pModules->GetModuleAddress(type, n);
}

unsigned long CHeaderPsw2::GetModuleSize(unsigned char type, unsigned int n) {
    return m_pModules->GetModuleSize(type, n);
}

int CHeaderPsw2::ModulePresent(unsigned char type) const { return m_pModules->ModulePresent(type); }

unsigned int CHeaderPsw2::GetNumModuleOfType(unsigned char type) const {
    return m_pModules->GetNumModuleOfType(type);
}

// Looks at the first byte of each 32-byte block from the start of the file
// up to and including the "?" block, or to the end of a file that has none,
// or to the last block a header can have.
void CHeaderPsw2::SearchHeader(BinaryFile& f, int t) {
    psw::ImageReader image;
    image.Open(PswImage::FromFile(m_strNomeFilePsw, f));
    SearchHeader(image, t);
}

void CHeaderPsw2::SearchHeader(psw::ImageReader& f, int t) {
    m_bfFound[t] = 0;
    m_Position[t] = 0;
    unsigned char last = 0;
    std::uint64_t pos = 0;
    // Sequential reads (the rest of each block into a scratch buffer) cost
    // far less than a seek per block; the file's end ends the walk.
    unsigned char rest[31];
    const bool rewound = f.Seek(0);
    while (rewound && last != '?' && !m_bfFound[t] && pos <= psw::kLastHeaderBlock2 * 32) {
        if (!psw::ReadExact(f, &last, 1)) break;
        if (last == kTags[t]) {
            m_bfFound[t] = 1;
            m_Position[t] = static_cast<unsigned long>(pos);
        }
        f.Read(rest, sizeof rest);
        pos += 32;
    }
    if (!m_bfFound[t]) {
        m_strMessage = CString::Format(kAbsent[t], m_strNomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, psw::kCaption2, 0);
    }
}

int CHeaderPsw2::ScanForPresentModules() {
    psw::ImageReader f;
    if (!f.Open(m_strNomeFilePsw, BinaryFile::Mode::Read)) {
        m_strMessage = CString::Format(psw::kOpenError2, m_strNomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, psw::kCaption2, 0);
        m_bfScanDone = 0;
        return 0;
    }
    for (int t = 0; t < kTagCount; ++t) SearchHeader(f, t);
    f.Close();
    return 1;
}

int CHeaderPsw2::Init(const CString& NomeFilePsw, int ShowWarningMessage) {
    m_pFonts->Setm_ShowWarningMessage(ShowWarningMessage);
    m_pPropFonts->Setm_ShowWarningMessage(ShowWarningMessage);
    return Init(NomeFilePsw);
}

int CHeaderPsw2::Init(const CString& NomeFilePsw) {
    // Every reader below decodes this one image of the file.
    const PswImageScope image(NomeFilePsw);
    m_strNomeFilePsw = NomeFilePsw;
    m_strSoftwareModuleRelease.Empty();
    m_NumSupportedPrinter = m_NumFont = m_NumPropFont = m_NumGenericData = 0;
    m_NumModule = 0;
    m_uiDimFileBin = m_uiDimHeaderPsw2 = 0;
    if (!ScanForPresentModules()) return 0;
    if (!m_bfFound[kP] || !m_bfFound[ks] || !m_bfFound[km] || !m_bfFound[kBin]) return 0;

    m_pPrinter->SetHeaderPrinterPosition(m_Position[kP]);
    m_bfScanDone = 1;
    if (!m_pPrinter->Init(NomeFilePsw)) return 0;
    m_strPrinterName = m_pPrinter->GetNomeStampante();
    m_strSwRelease = m_pPrinter->GetReleaseSw();
    m_strHwRelease = m_pPrinter->GetReleaseHw();
    m_strData = m_pPrinter->GetData();
    m_ScrByte = m_pPrinter->GetScrByte();

    if (m_bfFound[kQ]) {
        m_pSupportedPrinter->SetHeaderSupportedPrinterPosition(m_Position[kQ]);
        m_pSupportedPrinter->SetScrByte(m_ScrByte);
        if (!m_pSupportedPrinter->Init(NomeFilePsw)) return 0;
        m_NumSupportedPrinter = m_pSupportedPrinter->GetNumTotHeader();
    }
    m_pSoftware->SetHeaderSoftwarePosition(m_Position[ks]);
    if (!m_pSoftware->Init(NomeFilePsw)) return 0;
    if (m_bfFound[kf]) {
        m_pFonts->SetHeaderFontsPosition(m_Position[kf]);
        if (!m_pFonts->Init(NomeFilePsw)) return 0;
        m_NumFont = m_pFonts->GetNumTotFont();
    }
    if (m_bfFound[kC]) {
        m_pPropFonts->SetHeaderPropFontsPosition(m_Position[kC]);
        if (!m_pPropFonts->Init(NomeFilePsw)) return 0;
        m_NumPropFont = m_pPropFonts->GetNumTotPropFont();
    }
    if (m_bfFound[kb]) {
        m_pBootLoader->SetHeaderBootLoaderPosition(m_Position[kb]);
        if (!m_pBootLoader->Init(NomeFilePsw)) return 0;
    }
    if (m_bfFound[ku]) {
        m_pUsbLoader->SetHeaderUsbLoaderPosition(m_Position[ku]);
        if (!m_pUsbLoader->Init(NomeFilePsw)) return 0;
    }
    if (m_bfFound[kd]) {
        m_pGenericData->SetHeaderGenericDataPosition(m_Position[kd]);
        if (!m_pGenericData->Init(NomeFilePsw)) return 0;
        m_NumGenericData = m_pGenericData->GetNumTotGenericData();
    }
    m_pModules->SetHeaderModulePosition(m_Position[km]);
    if (!m_pModules->Init(NomeFilePsw)) return 0;
    m_NumModule = m_pModules->GetNumTotModule();
    m_pBin->SetHeaderBinPosition(m_Position[kBin]);
    if (!m_pBin->Init(NomeFilePsw)) return 0;
    unsigned char size[4] = {};
    m_pBin->GetDimFileBin(size);
    m_uiDimFileBin = GetBE32(size);

    const unsigned blocks = unsigned{m_NumSupportedPrinter} + (m_bfFound[ku] ? 1u : 0u) +
                            (m_bfFound[kb] ? 1u : 0u) + m_NumFont + m_NumPropFont + m_NumGenericData + m_NumModule +
                            2u;
    m_uiDimHeaderPsw2 = 32u * blocks + 5u;
    ReadSoftwareModuleRelease();
    return 1;
}

// The release of the software module is stored as four characters at
// offset 9 of the module: digit, (unused), digit, digit -> "d.dd".
void CHeaderPsw2::ReadSoftwareModuleRelease() {
    m_strSoftwareModuleRelease.Empty();
    // Without a software module there is no release to read (address 0
    // would point into the printer block).
    if (!m_pModules->ModulePresent('s')) return;
    const unsigned long address = m_pModules->GetModuleAddress('s', 1);
    if (address == 0) return;
    psw::ImageReader f;
    if (!f.Open(m_strNomeFilePsw, BinaryFile::Mode::Read)) {
        m_strMessage = CString::Format(psw::kOpenError2, m_strNomeFilePsw);
        psw::Log(m_pDebugObj, m_strMessage, psw::kCaption2, 0);
        return;
    }
    const std::uint64_t at = std::uint64_t{address} + 9;
    unsigned char c[4] = {};
    if (!psw::ReadAt(f, at, c, 4)) return;
    // The module lies in the binary contents, which are stored scrambled:
    // the text must not change when the file is scrambled anew.
    for (std::uint64_t k = 0; k < 4; ++k) {
        if (at + k >= m_uiDimHeaderPsw2) c[k] = UnscrambleByte(c[k], at + k - m_uiDimHeaderPsw2);
    }
    std::wstring text = L"0.00";
    text[0] = c[0];
    text[2] = c[2];
    text[3] = c[3];
    m_strSoftwareModuleRelease = CString(std::move(text));
}

// One byte of the binary contents at position p (counted from the end of the
// header) back to plain, under the file's scramble byte: the scrambler's own
// rule, so that the two cannot drift apart.
unsigned char CHeaderPsw2::UnscrambleByte(unsigned char y, std::uint64_t p) {
    if (p > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) return y;
    CCrittoPswFile scrambler(m_strNomeFilePsw);
    scrambler.DeCrittoBufferFromPswFile(&y, static_cast<int>(p), 1, m_ScrByte);
    return y;
}

int CHeaderPsw2::GetPSWVersionFromFile(const CString& file, CKalvoNewDebugObject* debug, unsigned char* version) {
    psw::ImageReader f;
    if (!f.Open(file, BinaryFile::Mode::Read)) {
        psw::Log(debug, CString::Format(psw::kOpenError2, file), psw::kCaption2, 0);
        return 0;
    }
    unsigned char tag = 0, marker = 0;
    if (!psw::ReadExact(f, &tag, 1) || tag != 'P' || !psw::ReadAt(f, 24, &marker, 1)) {
        psw::Log(debug, CString::Format(psw::kVersionError2, file), psw::kCaption2, 0);
        return 0;
    }
    if (version) *version = marker;
    return 1;
}

int CHeaderPsw2::PatchByte(std::uint64_t offset, unsigned char value) {
    BinaryFile f;
    const auto openError = [&] {
        MessageBox(nullptr, CString::Format(psw::kOpenError2, m_strNomeFilePsw), psw::kCaption2, MB_ICONERROR);
        return 0;
    };
    if (!f.Open(m_strNomeFilePsw, BinaryFile::Mode::Read)) return openError();
    unsigned char tag = 0;
    // A file too short to hold the byte would grow under the patch.
    const std::int64_t length = f.Length();
    if (!psw::ReadExact(f, &tag, 1) || tag != 'P' || length <= static_cast<std::int64_t>(offset)) {
        MessageBox(nullptr, CString::Format(psw::kVersionError2, m_strNomeFilePsw), psw::kCaption2, MB_ICONERROR);
        return 0;
    }
    f.Close();
    if (!f.Open(m_strNomeFilePsw, BinaryFile::Mode::ReadWrite)) return openError();
    if (!f.Seek(offset) || f.Write(&value, 1) != 1) return openError();
    f.Close();
    return 1;
}

int CHeaderPsw2::SetScrByteInToPsw2File(unsigned char ScrByte) { return PatchByte(23, ScrByte); }

int CHeaderPsw2::SetGsiByteNotDecodedInToPsw2File(unsigned char GSIByte) { return PatchByte(21, GSIByte); }
