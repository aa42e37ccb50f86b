// Scrambling of the binary contents of PSW and PSW2 files, the two
// single-byte patches of the printer header that go with it (scramble byte
// and GSI model byte), and re-scrambling a whole file under a new byte.
#pragma once

#include "Conversioni.h"

#include <utility>
#include <vector>

class CKalvoNewDebugObject;

// What re-scrambling a file needs to know of its header.
struct OSTREL_API PswScrambleInfo {
    unsigned char scrByte = 0;     // the scramble byte in force
    unsigned char gsiModel = 0;    // the plain model byte of the printer block
    unsigned headerSize = 0;       // contents start here
    // File offset and plain model byte of every supported-printer record.
    std::vector<std::pair<unsigned, unsigned char>> supportedModels;
};

class OSTREL_API CCrittoPswFile : public CConversioni {
public:
    static constexpr unsigned kScrByteOffset = 23;
    static constexpr unsigned kGsiByteOffset = 21;

    explicit CCrittoPswFile(const CString& path = CString());

    void Set_m_strPathNomeFilePsw(const CString& path) { m_strPathNomeFilePsw = path; }
    CString Get_m_strPathNomeFilePsw() const { return m_strPathNomeFilePsw; }
    unsigned char Get_m_ScrByte() const { return m_ScrByte; }

    int InitCCrittoPswFile(const CString& path);
    int InitCCrittoPswFile(CKalvoNewDebugObject* debugObj);

    int GetScrByteFromPswFile(unsigned char* scrByte);
    int SetScrByteInToPswFile(unsigned char scrByte);
    int GetGsiByteFromPswFile(unsigned char* gsiByte, unsigned char scrByte);
    int SetGsiByteInToPswFile(unsigned char gsiByte, unsigned char scrByte);
    int SetGsiByteNotDecodedInToPswFile(unsigned char gsiByte);
    int SetGsiByteSupportedPrinterInToPswFile(unsigned char gsiByte, int i, unsigned char scrByte);

    // Transform n bytes in place; the first byte is at position p of the
    // binary contents (file offset minus header size).
    int DeCrittoBufferFromPswFile(unsigned char* buf, int p, int n, unsigned char s);
    int CrittoBufferFromPswFile(unsigned char* buf, int p, int n, unsigned char s);

    // Re-scrambles the file under a new random scramble byte.
    int ScambleFilePsw();

    // The header facts re-scrambling needs, from the file named by the path
    // (header readers of either generation, reported as they report).
    int ReadScrambleInfo(PswScrambleInfo& info);
    // Re-scrambles a whole file image in memory from info.scrByte to s1: the
    // contents, the scramble byte, the GSI byte and the supported printers'
    // model bytes change together. 0 when the image is shorter than its
    // header.
    int RescrambleImage(std::vector<unsigned char>& image, const PswScrambleInfo& info, unsigned char s1);
    // A new non-zero scramble byte.
    unsigned char NewScrByte() { return RandomScrByte(); }

    // The GSI transformation, public for callers that patch records in memory.
    unsigned char CrittoGSI(unsigned char gsi, unsigned char s) { return CrittoGSIByte(gsi, s); }
    unsigned char DeCrittoGSI(unsigned char gsi, unsigned char s) { return DeCrittoGSIByte(gsi, s); }

protected:
    unsigned char RandomScrByte();
    int AlgoCrittoBufferFromPswFileDispari(unsigned char* buf, int p, int n);
    int AlgoCrittoBufferFromPswFilePari(unsigned char* buf, int p, int n);
    int AlgoDeCrittoBufferFromPswFileDispari(unsigned char* buf, int p, int n);
    int AlgoDeCrittoBufferFromPswFilePari(unsigned char* buf, int p, int n);

    // Opens the file, requires "P" at offset 0, reads one byte at `offset`.
    int ReadHeaderByte(unsigned offset, unsigned char* out, const wchar_t* check);
    // Opens the file (checking "P" first unless told not to) and writes one
    // byte at `offset`.
    int WriteHeaderByte(unsigned offset, unsigned char value, const wchar_t* check, bool checkTag);
    void Report(const wchar_t* fmt);

    CKalvoNewDebugObject* m_pDebugObj = nullptr;
    CString m_strPathNomeFilePsw;
    unsigned m_uiOffsetScrByte = kScrByteOffset;
    unsigned char m_ScrByte = 0;
};
