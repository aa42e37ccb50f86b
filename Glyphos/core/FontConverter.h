// Printer fonts in and out of the Linux bitmap-font formats: BDF and PSF
// (versions 1 and 2), plain or gzip-compressed, chosen by file extension.
//
// Fonts indexed by Unicode (a BDF of registry ISO10646, a PSF with a Unicode
// table) are mapped onto the printer's codes 0..255 through a code page; a
// font with its own codes is taken code for code. Files we write carry the
// printer font's property record and name, so that a font exported and
// imported again comes back whole.
#pragma once

#include "BitmapFont.h"
#include "CString.h"

#include <string>
#include <vector>

class CGlyphosDocCore;
class KalvoFont;

struct FontConvertOptions {
    // Windows code page number for Unicode-indexed fonts; 0: none given
    // (import then uses the code page a file of ours names, else 1252; export
    // then writes the printer's codes as they are).
    int codePage = 0;
    // Character range to take; -1: the font's own.
    int first = -1;
    int last = -1;
    int psfVersion = 2;
};

class FontConverter {
public:
    enum class Format { Kfn, Bdf, Psf, Unknown };
    static constexpr int kDefaultCodePage = 1252;
    // Larger files are refused before they are read.
    static constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

    // By extension, any letter case: .kfn, .bdf, .psf, the latter two also
    // followed by .gz (then `gzip` is set).
    static Format FormatOfPath(const CString& path, bool* gzip = nullptr);

    // Reads a BDF or PSF file (plain or gzip) as it is, so that a caller can
    // see whether it is indexed by Unicode before mapping it. Errors do not
    // name the file: the caller does. What was read but not taken as the file
    // says is told in `warnings`.
    static bool ReadFile(const CString& path, BitmapFont& out, std::string& error,
                         std::vector<std::string>* warnings = nullptr);
    // Reads a BDF or PSF file into the document (which then holds a new,
    // unsaved font). False with a one-line reason; the document is only
    // changed on success.
    static bool Import(const CString& path, const FontConvertOptions& options, CGlyphosDocCore& doc,
                       std::string& error);
    // Writes the document's font as .kfn, BDF or PSF (by extension), replacing
    // the file in one step.
    static bool Export(const CGlyphosDocCore& doc, const CString& path, const FontConvertOptions& options,
                       std::string& error);

    // The two halves.
    static bool ToDocument(const BitmapFont& font, const FontConvertOptions& options, CGlyphosDocCore& doc,
                           std::string& error);
    static bool FromFont(const KalvoFont& font, const FontConvertOptions& options, BitmapFont& out,
                         std::string& error);
};
