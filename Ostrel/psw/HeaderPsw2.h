// Reader of a PSW2 (second-generation) upgrade file. The header blocks are
// found by their tag letters, looking at the first byte of every 32-byte
// block up to the "?" block that ends the header; each block present is
// loaded through the reader this object owns. The readers only log: the
// caller learns of a failure from the result and tells the user itself.
#pragma once

#include "Conversioni.h"
#include "FileUtil.h"
#include "HeaderBin2.h"
#include "HeaderBootLoader.h"
#include "HeaderFontPsw2.h"
#include "HeaderGenericData.h"
#include "HeaderModule.h"
#include "HeaderPrinterPsw2.h"
#include "HeaderPropFont.h"
#include "HeaderSupportedPrinterPsw2.h"
#include "HeaderSwPsw2.h"
#include "HeaderUsbLoader.h"
#include "KalvoNewDebugObject.h"
#include "PswImage.h"

#include <memory>

class OSTREL_API CHeaderPsw2 : public CConversioni {
public:
    explicit CHeaderPsw2(CKalvoNewDebugObject* debug);
    ~CHeaderPsw2() override;
    CHeaderPsw2(const CHeaderPsw2&) = delete;
    CHeaderPsw2& operator=(const CHeaderPsw2&) = delete;

    int Init(const CString& NomeFilePsw);
    // Hands the flag to the font and proportional-font readers, then loads.
    int Init(const CString& NomeFilePsw, int ShowWarningMessage);

    CString GetPrinterName() const { return m_strPrinterName; }
    CString GetSwRelease() const { return m_strSwRelease; }
    CString GetHwRelease() const { return m_strHwRelease; }
    CString GetData() const { return m_strData; }
    // "d.dd" from the software module; empty when the file has none.
    CString GetSoftwareModuleRelease() const { return m_strSoftwareModuleRelease; }
    CString GetstrNomePswFile() const { return m_strNomeFilePsw; }
    unsigned char Get_ScrByte() const { return m_ScrByte; }
    unsigned char GetGsiModel() const;
    unsigned int GetuiDimHeaderPsw2() const { return m_uiDimHeaderPsw2; }
    unsigned int GetuiDimFileBin() const { return m_uiDimFileBin; }
    int Get_bfHeaderSupportedPrinterPresent() const { return IsHeaderPresent('Q'); }
    // Whether the last scan found a block with this tag ("P", "Q", "s", "f",
    // "u", "b", "d", "C", "m" or "?").
    int IsHeaderPresent(unsigned char tag) const;
    unsigned long GetHeaderPosition(unsigned char tag) const;

    // The module table (n counts from 1 within a type).
    unsigned long GetModuleAddress(unsigned char type, unsigned int n);
    unsigned long GetModuleSize(unsigned char type, unsigned int n);
    int ModulePresent(unsigned char type) const;
    unsigned int GetNumModuleOfType(unsigned char type) const;

    // Owned by this object; the caller does not free them.
    CHeaderPrinterPsw2* Get_cHeaderPrnPsw2() { return m_pPrinter.get(); }
    CHeaderSupportedPrinterPsw2* Get_cHeaderSupportedPrinterPsw2() { return m_pSupportedPrinter.get(); }
    CHeaderSwPsw2* Get_cHeaderSwPsw2() { return m_pSoftware.get(); }
    CHeaderUsbLoader* Get_cHeaderUsbLoader() { return m_pUsbLoader.get(); }
    CHeaderBootLoader* Get_cHeaderBootLoader() { return m_pBootLoader.get(); }
    CHeaderBin2* Get_cHeaderBin() { return m_pBin.get(); }
    CHeaderFontPsw2* Get_cHeaderFontPsw2() { return m_pFonts.get(); }
    CHeaderPropFont* Get_cHeaderPropFontPsw2() { return m_pPropFonts.get(); }
    CHeaderGenericData* Get_cHeaderGenericData() { return m_pGenericData.get(); }
    CHeaderModule* Get_cHeaderModule() { return m_pModules.get(); }

    // Opens any PSW file, requires "P" at offset 0 and stores the generation
    // marker (offset 24). Uses no state of the object.
    int GetPSWVersionFromFile(const CString& file, CKalvoNewDebugObject* debug, unsigned char* version);

    // Single-byte patches of the printer block of the file named by the last
    // Init: scramble byte (offset 23) and model byte as given (offset 21).
    int SetScrByteInToPsw2File(unsigned char ScrByte);
    int SetGsiByteNotDecodedInToPsw2File(unsigned char GSIByte);

    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    enum Tag { kP, kQ, ks, kf, ku, kb, kd, kC, km, kBin, kTagCount };
    static int TagIndex(unsigned char tag);

    int ScanForPresentModules();
    void SearchHeader(psw::ImageReader& f, int tagIndex);
    // The same over an open file (for derived readers).
    void SearchHeader(BinaryFile& f, int tagIndex);
    void ReadSoftwareModuleRelease();
    unsigned char UnscrambleByte(unsigned char y, std::uint64_t p);
    int PatchByte(std::uint64_t offset, unsigned char value);

    const CString m_ClassName = L"CHeaderPsw2";
    const CString m_Version = L"1.00";
    std::unique_ptr<CHeaderPrinterPsw2> m_pPrinter;
    std::unique_ptr<CHeaderSupportedPrinterPsw2> m_pSupportedPrinter;
    std::unique_ptr<CHeaderSwPsw2> m_pSoftware;
    std::unique_ptr<CHeaderUsbLoader> m_pUsbLoader;
    std::unique_ptr<CHeaderBootLoader> m_pBootLoader;
    std::unique_ptr<CHeaderBin2> m_pBin;
    std::unique_ptr<CHeaderFontPsw2> m_pFonts;
    std::unique_ptr<CHeaderPropFont> m_pPropFonts;
    std::unique_ptr<CHeaderGenericData> m_pGenericData;
    std::unique_ptr<CHeaderModule> m_pModules;
    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strNomeFilePsw;
    CString m_strMessage;
    unsigned long m_Position[kTagCount] = {};
    int m_bfFound[kTagCount] = {};
    int m_bfScanDone = 0;
    CString m_strPrinterName;
    CString m_strSwRelease;
    CString m_strHwRelease;
    CString m_strData;
    CString m_strSoftwareModuleRelease;
    unsigned char m_ScrByte = 0;
    unsigned char m_NumSupportedPrinter = 0;
    unsigned char m_NumFont = 0;
    unsigned char m_NumPropFont = 0;
    unsigned char m_NumGenericData = 0;
    // Not limited to 255: the module table is as long as its run of blocks.
    unsigned int m_NumModule = 0;
    unsigned int m_uiDimFileBin = 0;
    unsigned int m_uiDimHeaderPsw2 = 0;
};
