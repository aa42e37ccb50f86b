// Byte-row and string helpers shared by nearly every library class, the
// GSI-byte transformation of PSW files and the release-mode assertion.
#pragma once

#include "CString.h"
#include "OstrelExport.h"
#include "WinTypes.h"

class OSTREL_API CConversioni {
public:
    CConversioni() = default;
    virtual ~CConversioni() = default;

    // Release-mode assertion: returns 1 when the condition holds; otherwise
    // shows the assertion dialog with the three texts and throws the
    // integer 0, which nothing in the library catches.
    int MYThrow(int condition, const CString& check, const CString& className, const CString& sourceFile);

    // Copies up to n bytes; with stopAtZero it stops before a 0 byte of the
    // source and then terminates the copy (so it may write n + 1 bytes).
    int CstrCpy(unsigned char* dest, const unsigned char* src, int n, int stopAtZero);
    // Writes the characters as single bytes, then zeros up to numChar bytes.
    int CstrCpy(unsigned char* dest, const CString& src, int numChar);
    CString CstrCpy(const CString& src, int n);

    CString CleanCString(const CString& text, const CString& remove);
    int CStrExadecByteToInt(const CString& exadec);

    unsigned char* ReversBytes(unsigned char* buffer, int n);
    void ShiftBufferLeft(unsigned char* buffer, int n);
    void ShiftBufferRight(unsigned char* buffer, int n);
    void NShiftBufferLeft(unsigned char* buffer, int numByte, int numShiftLeft);
    void NShiftBufferRight(unsigned char* buffer, int numByte, int numShiftRight);
    unsigned char ByteRotateSx(unsigned char byte, int k);
    unsigned char ByteRotateDx(unsigned char byte, int k);
    int InitVector(unsigned char* buffer, int n);

    // Centred line: head, blanks, message, blanks, tail, `width` characters
    // in all when it fits.
    CString FormatMessageW(const CString& message, const CString& head, const CString& tail, DWORD width);
    // Ruled line: head, the character repeated, tail; empty unless exactly
    // `width` characters.
    CString FormatMessageW(DWORD width, const CString& repeatChar, const CString& head, const CString& tail);
    // Narrow forms: malloc'd buffers owned by the caller (free them with
    // free), or nullptr.
    unsigned char* FormatMessageG(const CString& message, const CString& head, const CString& tail,
                                  DWORD width, DWORD* length);
    unsigned char* FormatMessageG(DWORD width, const CString& repeatChar, const CString& head,
                                  const CString& tail, DWORD* length);

    // Keyless obfuscation of stored text, character by character: the low
    // byte, inverted, rotated left by the position mod 8. It only keeps a
    // text from being read at a glance; anyone with the file can reverse it.
    CString CodeCString(const CString& text);
    CString DeCodeCString(const CString& coded);

protected:
    virtual unsigned char CrittoGSIByte(unsigned char gsi, unsigned char scrByte);
    virtual unsigned char DeCrittoGSIByte(unsigned char gsi, unsigned char scrByte);
};
