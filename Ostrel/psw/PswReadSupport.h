// What the PSW header readers share: their report texts and the few steps
// every one of them repeats (exact reads, logging through an optional debug
// object, opening a second-generation block and checking its tag). Internal
// to the library; nothing here is exported.
#pragma once

#include "FileUtil.h"
#include "PswImage.h"
#include "KalvoNewDebugObject.h"

#include <cstddef>

namespace psw {

// First generation: reported through the debug object with its box shown.
inline constexpr const wchar_t* kOpenError = L"\nErrore apertura file: %s";
inline constexpr const wchar_t* kOpenErrorCaption = L"Errore apertura file";
inline constexpr const wchar_t* kVersionError =
    L"\nIl file: %s non è una versione corretta e non contiene dati utili per l'operazione in corso";
inline constexpr const wchar_t* kVersionErrorCaption = L"Errore versione file";

// First-generation byte patches: boxes of their own.
inline constexpr const wchar_t* kPatchOpenError = L"Error open file: %s";
inline constexpr const wchar_t* kPatchVersionError = L"Il file: %s it is not a just version and not contain usable data";
inline constexpr const wchar_t* kPatchCaption = L"Error";

// Second generation: written to the log only.
inline constexpr const wchar_t* kCaption2 = L"Varnock.dll Error";
inline constexpr const wchar_t* kOpenError2 = L"File: %s not open. Veryfy if the path file is correct.";
inline constexpr const wchar_t* kVersionError2 =
    L"The file %s is not a right version and does not contain the  needed informations.";
// A block that the file cuts short: the readers treat it as a failed load
// rather than reading on past the end.
inline constexpr const wchar_t* kTruncated2 = L"\nThe file %s ends inside its header: a header block is incomplete.";

inline void Log(CKalvoNewDebugObject* debug, const CString& text, const CString& caption, int show) {
    if (debug) debug->MessageLog(text, caption, show);
}

template <class File>
inline bool ReadExact(File& f, void* dst, std::size_t n) { return f.Read(dst, n) == n; }

// Moves n bytes forward by reading them: the records of a block run are read
// in sequence, and reading costs less than a seek per record. A short skip
// means the end of the file, which the next read then reports.
template <class File>
inline void Skip(File& f, std::size_t n) {
    unsigned char scratch[32];
    while (n > 0) {
        const std::size_t k = n < sizeof scratch ? n : sizeof scratch;
        if (f.Read(scratch, k) != k) return;
        n -= k;
    }
}

template <class File>
inline bool ReadAt(File& f, std::uint64_t pos, void* dst, std::size_t n) {
    return f.Seek(pos) && ReadExact(f, dst, n);
}

// Opens the file and checks that the block at `pos` starts with `tag`, the
// way every second-generation reader begins. Logs and returns false when it
// does not; on success the file stands just after the tag.
inline bool OpenBlock2(ImageReader& f, CKalvoNewDebugObject* debug, const CString& path, unsigned long pos,
                       unsigned char tag) {
    if (!f.Open(path)) {
        Log(debug, CString::Format(kOpenError2, path), kCaption2, 0);
        return false;
    }
    unsigned char b = 0;
    if (!ReadAt(f, pos, &b, 1) || b != tag) {
        Log(debug, CString::Format(kVersionError2, path), kCaption2, 0);
        f.Close();
        return false;
    }
    return true;
}

}  // namespace psw

namespace psw {

// Logs that the file ends inside a second-generation block; returns 0 so
// that a reader can end with `return psw::Truncated2(...)`.
inline int Truncated2(CKalvoNewDebugObject* debug, const CString& path) {
    Log(debug, CString::Format(kTruncated2, path), kCaption2, 0);
    return 0;
}

}  // namespace psw
