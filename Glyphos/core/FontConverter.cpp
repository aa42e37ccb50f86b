#include "FontConverter.h"

#include "BdfFile.h"
#include "CodePageList.h"
#include "FileUtil.h"
#include "GlyphosDocCore.h"
#include "Gzip.h"
#include "KalvoFont.h"
#include "PsfFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

// The converter of a Windows code page; none, with the reason, when iconv
// does not know the page.
std::optional<CodePageConverter> OpenCodePage(int cp, std::string& error) {
    CodePageConverter converter(static_cast<std::uint32_t>(cp));
    if (cp >= 0 && converter.IsValid()) return converter;
    error = "code page " + std::to_string(cp) + " is not available on this system";
    return std::nullopt;
}

bool CheckRange(const FontConvertOptions& o, std::string& error) {
    if ((o.first != -1 && (o.first < 0 || o.first > 255)) || (o.last != -1 && (o.last < 0 || o.last > 255)) ||
        (o.first != -1 && o.last != -1 && o.first > o.last)) {
        error = "the character range must lie within 0..255, first not above last";
        return false;
    }
    return true;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

FontConverter::Format FontConverter::FormatOfPath(const CString& path, bool* gzip) {
    std::string p = Lower(path.ToUtf8());
    const bool gz = p.ends_with(".gz");
    if (gzip) *gzip = gz;
    if (gz) p.resize(p.size() - 3);
    if (p.ends_with(".bdf")) return Format::Bdf;
    if (p.ends_with(".psf")) return Format::Psf;
    if (!gz && p.ends_with(".kfn")) return Format::Kfn;
    return Format::Unknown;
}

bool FontConverter::ReadFile(const CString& path, BitmapFont& font, std::string& error,
                             std::vector<std::string>* warnings) {
    const Format format = FormatOfPath(path);
    if (format != Format::Bdf && format != Format::Psf) {
        error = "import reads .bdf and .psf files (plain or .gz)";
        return false;
    }
    const std::filesystem::path fsPath(path.ToUtf8());
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fsPath, ec)) {
        error = std::filesystem::exists(fsPath, ec) ? "not a file" : "no such file";
        return false;
    }
    const auto size = std::filesystem::file_size(fsPath, ec);
    if (ec || size > kMaxFileBytes) {
        error = "larger than a font file can be";
        return false;
    }
    std::vector<unsigned char> data;
    if (!ReadWholeFile(path, data)) {
        error = std::string("cannot read it: ") + std::strerror(errno);
        return false;
    }
    // Compressed or not is told by content, so a renamed file still opens.
    if (IsGzip(data)) {
        std::vector<unsigned char> plain;
        if (!Gunzip(data, plain, kMaxFileBytes, error)) return false;
        data.swap(plain);
    }
    font = BitmapFont{};
    const bool ok =
        format == Format::Bdf ? BdfFile::Read(data, font, error, warnings) : PsfFile::Read(data, font, error);
    if (!ok) return false;
    if (font.name.empty()) {
        // A console font has no name: its file's, without the extensions.
        std::string stem = fsPath.filename().string();
        stem = stem.substr(0, stem.find('.'));
        font.name = stem;
    }
    return true;
}

bool FontConverter::Import(const CString& path, const FontConvertOptions& options, CGlyphosDocCore& doc,
                           std::string& error) {
    BitmapFont font;
    return ReadFile(path, font, error) && ToDocument(font, options, doc, error);
}

bool FontConverter::ToDocument(const BitmapFont& font, const FontConvertOptions& options, CGlyphosDocCore& doc,
                               std::string& error) {
    if (!CheckRange(options, error)) return false;
    if (font.width < 1 || font.height < 1) {
        error = "the font has no glyph size";
        return false;
    }
    if (font.width > BitmapFont::kMaxWidth || font.height > BitmapFont::kMaxHeight) {
        error = BitmapFont::TooLarge(font.width, font.height);
        return false;
    }
    std::array<const BitmapFont::Rows*, 256> byCode{};
    int cp = 0;
    if (font.unicode) {
        cp = options.codePage ? options.codePage : (font.printer && font.printer->codePage ? font.printer->codePage
                                                                                           : kDefaultCodePage);
        const auto converter = OpenCodePage(cp, error);
        if (!converter) return false;
        for (std::size_t c = 0; c < 256; ++c) {
            const auto u = converter->ToUnicode(static_cast<unsigned char>(c));
            if (!u) continue;
            const auto g = font.glyphs.find(static_cast<std::uint32_t>(*u));
            if (g != font.glyphs.end()) byCode[c] = &g->second;
        }
        if (font.printer) {
            for (const auto& [code, rows] : font.unmapped)
                if (code < 256) byCode[code] = &rows;
        }
    } else {
        for (const auto& [code, rows] : font.glyphs)
            if (code < 256) byCode[code] = &rows;
    }

    const std::vector<unsigned char>* record = font.printer ? &font.printer->record : nullptr;
    // A record that no printer font can be would make a font file that no
    // reader takes back (the BDF reader says more; this also covers PSF).
    if (record && ((*record)[3] < 1 || (*record)[3] > BitmapFont::kMaxWidth || (*record)[4] < 1 ||
                   (*record)[4] > BitmapFont::kMaxHeight || (*record)[5] > (*record)[6])) {
        error = "the font's property record describes a font of " + std::to_string((*record)[3]) + " x " +
                std::to_string((*record)[4]) + " dots, characters " + std::to_string((*record)[5]) + ".." +
                std::to_string((*record)[6]) + ", which no printer font can be";
        return false;
    }
    int first = options.first, last = options.last;
    if (record) {
        if (first < 0) first = (*record)[5];
        if (last < 0) last = (*record)[6];
    } else {
        int lo = 256, hi = -1;
        for (int c = 0; c < 256; ++c) {
            if (byCode[static_cast<std::size_t>(c)]) {
                lo = std::min(lo, c);
                hi = std::max(hi, c);
            }
        }
        if (hi < 0) {
            error = cp ? "the font has no glyph for any character of code page " + std::to_string(cp)
                       : "the font has no glyph for codes 0..255";
            return false;
        }
        if (first < 0) first = lo;
        if (last < 0) last = hi;
    }
    if (first > last) {
        error = "the character range is empty";
        return false;
    }

    unsigned char bytes[30] = {};
    int generation = 0;
    if (record) {
        generation = font.printer->generation;
        std::copy(record->begin(), record->end(), bytes);
    } else {
        // A new first-generation font: tag "F", orientation "H", no margins.
        bytes[0] = 'F';
        bytes[3] = static_cast<unsigned char>(font.width);
        bytes[4] = static_cast<unsigned char>(font.height);
        bytes[10] = 'H';
    }
    bytes[5] = static_cast<unsigned char>(first);
    bytes[6] = static_cast<unsigned char>(last);
    const std::string name = font.name.substr(0, 254);
    doc.ApplyPropertyRecord(bytes, generation, CString::FromBytes(name));
    KalvoFont& f = doc.GetFont();
    f.ClearAllChars();
    for (int c = first; c <= last; ++c) {
        const BitmapFont::Rows* rows = byCode[static_cast<std::size_t>(c)];
        if (!rows) continue;
        for (int r = 0; r < font.height && r < static_cast<int>(rows->size()); ++r)
            for (int col = 0; col < font.width; ++col)
                if ((*rows)[static_cast<std::size_t>(r)] & BitmapFont::Bit(col)) f.SetPixel(c, r, col);
    }
    doc.SetNewFont(0);
    return true;
}

bool FontConverter::FromFont(const KalvoFont& f, const FontConvertOptions& options, BitmapFont& out,
                             std::string& error) {
    out = BitmapFont{};
    if (!CheckRange(options, error)) return false;
    const int first = std::max(f.GetFirstChar(), options.first < 0 ? 0 : options.first);
    const int last = std::min(f.GetLastChar(), options.last < 0 ? 255 : options.last);
    if (first > last) {
        error = "the font has no character in the range asked for";
        return false;
    }
    const int height = std::min(f.GetHeight(), KalvoFont::kRows);
    int width = std::min(f.GetWidth(), KalvoFont::kCols);
    if (height < 1) {
        error = "the font has no height";
        return false;
    }
    // Dots beyond the width (left there by a margin) are kept: the cell grows.
    for (int c = first; c <= last; ++c) {
        const InkRect ink = f.GetInkRect(c, KalvoFont::kCols - 1, height);
        if (ink.top < height) width = std::max(width, ink.right + 1);
    }
    width = std::max(width, 1);
    out.width = width;
    out.height = height;
    out.ascent = height - height / 4;
    out.name = f.GetFontName().ToBytes();
    for (int c = first; c <= last; ++c) {
        BitmapFont::Rows rows(static_cast<std::size_t>(height), 0);
        for (int r = 0; r < height; ++r)
            for (int col = 0; col < width; ++col)
                if (f.GetPixel(c, r, col)) rows[static_cast<std::size_t>(r)] |= BitmapFont::Bit(col);
        out.glyphs[static_cast<std::uint32_t>(c)] = std::move(rows);
    }
    BitmapFont::Printer printer;
    printer.generation = f.GetHeaderGeneration();
    printer.record.assign(f.GetHeaderBytes(), f.GetHeaderBytes() + f.GetHeaderSize());
    printer.record[5] = static_cast<unsigned char>(first);
    printer.record[6] = static_cast<unsigned char>(last);
    printer.codePage = options.codePage;
    out.printer = std::move(printer);
    if (options.codePage) {
        const auto converter = OpenCodePage(options.codePage, error);
        if (!converter) return false;
        for (int c = first; c <= last; ++c)
            if (const auto u = converter->ToUnicode(static_cast<unsigned char>(c)))
                out.unicodeOf[static_cast<std::uint32_t>(c)] = static_cast<std::uint32_t>(*u);
    }
    return true;
}

bool FontConverter::Export(const CGlyphosDocCore& doc, const CString& path, const FontConvertOptions& options,
                           std::string& error) {
    bool gzip = false;
    const Format format = FormatOfPath(path, &gzip);
    if (format == Format::Unknown) {
        error = "the file name must end in .kfn, .bdf, .psf or .psf.gz";
        return false;
    }
    BitmapFont font;
    if (!FromFont(doc.GetFont(), options, font, error)) return false;
    std::vector<unsigned char> bytes;
    if (format == Format::Kfn) {
        // Through a scratch document, so that a range asked for applies.
        CGlyphosDocCore copy;
        FontConvertOptions own;
        own.codePage = options.codePage;
        if (!ToDocument(font, own, copy, error)) return false;
        bytes = copy.StoreKfn();
    } else if (format == Format::Bdf) {
        const std::string text = BdfFile::Write(font);
        bytes.assign(text.begin(), text.end());
    } else if (!PsfFile::Write(font, options.psfVersion, bytes, error)) {
        return false;
    }
    if (gzip) {
        bytes = GzipCompress(bytes);
        if (bytes.empty()) {
            error = "compressed files need zlib (libz.so.1), which is not installed";
            return false;
        }
    }
    std::string why;
    if (!WriteFileAtomically(path, bytes.data(), bytes.size(), &why)) {
        error = why;
        return false;
    }
    return true;
}
