#include "PswInfo.h"

#include "FileUtil.h"
#include "HeaderPsw.h"
#include "HeaderPsw2.h"
#include "PswImage.h"
#include "PswLayout.h"
#include "PswRecords.h"

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

template <typename Record>
PswFontInfo FontInfo(const Record& r) {
    PswFontInfo f;
    f.number = r.NumFont;
    f.width = r.Width;
    f.height = r.Height;
    f.first = r.FirstChar;
    f.last = r.LastChar;
    f.orientation = static_cast<wchar_t>(r.Orientation);
    f.margins = {r.MarginLeft, r.MarginRight, r.MarginUp, r.MarginBottom};
    f.byteOrder = r.ByteOrder;
    f.blockSize = psw::FontBlockSize(r);
    return f;
}

// Checks what the readers cannot tell apart from a damaged file: a missing
// path, a folder, an empty file.
bool CheckPath(const CString& path, const PswImage& image, std::string& error) {
    const std::string p = ToPath(path);
    if (const char* kind = NonRegularFileKind(path)) {
        error = p + " is " + kind + ", not a PSW file";
        return false;
    }
    if (!image.Opened()) {
        error = "cannot open " + p + ": " + std::strerror(errno);
        return false;
    }
    if (image.Size() == 0) {
        error = p + " is empty";
        return false;
    }
    return true;
}

void ReadFirstGeneration(CHeaderPsw& h, const PswImage& image, PswInfo& info) {
    info.headerSize = h.GetuiDimHeaderPsw();
    CHeaderBinPsw* bin = h.Get_cHeaderBinPsw();
    info.binarySize = bin->GetuiDimFileBin();
    info.banks = bin->GetuiNumBanchi();
    info.bankSize = bin->GetuiDimBancoBin();

    // The sums are not read by the readers; the printer block holds them.
    const ByteSpan bytes = image.Bytes();
    if (bytes.Has(psw::kSumsOffset, psw::kSumsBytes)) {
        for (std::size_t i = 0; i < psw::kSumsBytes; ++i) info.sums[i] = bytes.data()[psw::kSumsOffset + i];
    }

    CHeaderSwPsw* sw = h.Get_cHeaderSwPsw();
    for (int i = 0; i < sw->GetNumTotBanchi(); ++i) info.softwareBanks.push_back(sw->GetNumBanco(i));
    info.logos = h.Get_cHeaderLoghiPsw()->GetNumTotLoghi();

    CHeaderFontPsw* fonts = h.Get_cHeaderFontPsw();
    for (int i = 0; i < fonts->GetNumTotFont(); ++i) {
        const _headerFont* r = fonts->GetIesimFontStruct(i);
        PswFontInfo f = FontInfo(*r);
        f.offset = psw::FontDataOffset(*r, info.headerSize);
        info.fonts.push_back(f);
    }
}

void ReadSecondGeneration(CHeaderPsw2& h, PswInfo& info) {
    info.headerSize = h.GetuiDimHeaderPsw2();
    info.binarySize = h.GetuiDimFileBin();
    info.gsiModel = h.GetGsiModel();
    info.softwareModuleRelease = h.GetSoftwareModuleRelease();

    CHeaderSupportedPrinterPsw2* q = h.Get_cHeaderSupportedPrinterPsw2();
    if (h.Get_bfHeaderSupportedPrinterPresent()) {
        for (int i = 0; i < q->GetNumTotHeader(); ++i) {
            const _headerSupportedPrinter2* r = q->GetIesimHeaderStruct(i);
            PswSupportedPrinterInfo s;
            s.number = r->NumHeader;
            s.printer = CString::FromBytes(r->NomeStampante, 8);
            s.hwRelease = CString::FromBytes(r->ReleaseHw, 2);
            s.swRelease = CString::FromBytes(r->ReleaseSw, 3);
            s.date = CString::FromBytes(r->Data, 6);
            s.gsiModel = r->GsiModel;
            info.supportedPrinters.push_back(s);
        }
    }

    CHeaderModule* modules = h.Get_cHeaderModule();
    for (unsigned i = 0; i < modules->GetNumTotModule(); ++i) {
        const _headerModule* r = modules->GetIesimModuleStruct(static_cast<int>(i));
        info.modules.push_back({static_cast<wchar_t>(r->Type), r->Num, r->NumTot, psw::ModuleAddress(*r),
                                psw::ModuleSize(*r)});
    }
    if (h.IsHeaderPresent('C')) info.propFonts = h.Get_cHeaderPropFontPsw2()->GetNumTotPropFont();

    if (h.IsHeaderPresent('f')) {
        CHeaderFontPsw2* fonts = h.Get_cHeaderFontPsw2();
        for (int i = 0; i < fonts->GetNumTotFont(); ++i) {
            const _headerFont2* r = fonts->GetIesimFontStruct(i);
            PswFontInfo f = FontInfo(*r);
            f.offset = psw::FontDataOffset(*r);
            info.fonts.push_back(f);
        }
    }
}

// Names the first required block that the scan did not find.
std::string MissingBlock(const CHeaderPsw2& h) {
    static const struct {
        unsigned char tag;
        const char* name;
    } kRequired[] = {{'P', "printer (\"P\")"}, {'s', "software (\"s\")"}, {'m', "module (\"m\")"}, {'?', "bin (\"?\")"}};
    for (const auto& r : kRequired) {
        if (!h.IsHeaderPresent(r.tag)) return std::string("it has no ") + r.name + " block";
    }
    return "a header block is damaged or cut short";
}

}  // namespace

bool ReadPswInfo(const CString& path, CKalvoNewDebugObject* log, PswInfo& info, std::string& error) {
    info = PswInfo{};
    error.clear();
    // Opened once: every reader below decodes this image.
    const PswImageScope scope(path);
    if (!CheckPath(path, scope.Image(), error)) return false;
    const std::string p = ToPath(path);

    auto first = std::make_unique<CHeaderPsw>(log);
    if (!first->Init(path)) {
        error = p + " is not a readable PSW file: its headers could not be read";
        return false;
    }
    info.generation = first->IsPSWII() ? 2 : 1;
    CHeaderPrnPsw* prn = first->Get_cHeaderPrnPsw();
    info.printer = prn->GetNomeStampante();
    info.hwRelease = prn->GetReleaseHw();
    info.swRelease = prn->GetReleaseSw();
    info.date = prn->GetData();
    info.scrambleByte = prn->GetScrByte();
    info.gsiModel = prn->GetGsiModel();
    info.initBank = prn->GetnumBancoInitUp();
    info.portType = prn->GetTipoComPort();

    if (info.generation == 1) {
        ReadFirstGeneration(*first, scope.Image(), info);
        return true;
    }
    auto second = std::make_unique<CHeaderPsw2>(log);
    if (!second->Init(path)) {
        error = p + " is not a readable PSW2 file: " + MissingBlock(*second);
        return false;
    }
    // The PSW2 printer block need not stand at offset 0: take its own
    // reading.
    CHeaderPrinterPsw2* prn2 = second->Get_cHeaderPrnPsw2();
    info.printer = prn2->GetNomeStampante();
    info.hwRelease = prn2->GetReleaseHw();
    info.swRelease = prn2->GetReleaseSw();
    info.date = prn2->GetData();
    info.scrambleByte = prn2->GetScrByte();
    info.initBank = prn2->GetnumBancoInitUp();
    info.portType = prn2->GetTipoComPort();
    ReadSecondGeneration(*second, info);
    return true;
}
