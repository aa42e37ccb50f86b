#include "ReceiptStrip.h"

#include "CliText.h"

#include <algorithm>
#include <charconv>

#include "DotPng.h"
#include "FileUtil.h"
#include "GlyphosDocCore.h"
#include "HeaderBinPsw.h"
#include "HeaderPrnPsw.h"
#include "HeaderPsw.h"
#include "HeaderPsw2.h"
#include "KalvoNewDebugObject.h"
#include "UiServices.h"

ReceiptStrip::ReceiptStrip(int paperDots) : m_paper(std::clamp(paperDots, 1, kMaxPaperDots)), m_strip(m_paper, 0) {}

void ReceiptStrip::Print(const KalvoFont& font, const std::string& codes) {
    const int w = SampleText::CellWidth(font), h = SampleText::CellHeight(font);
    if (h == 0) return;
    // A cell wider than the paper still takes a row of its own, cut at the edge.
    const std::size_t perRow = static_cast<std::size_t>(std::max(1, w == 0 ? m_paper : m_paper / w));
    const std::size_t rows = std::max<std::size_t>(1, (codes.size() + perRow - 1) / perRow);
    for (std::size_t r = 0; r < rows; ++r) {
        const int top = m_strip.height;
        m_strip.height += h;
        m_strip.dots.resize(static_cast<std::size_t>(m_strip.height) * static_cast<std::size_t>(m_paper));
        for (std::size_t i = r * perRow; i < std::min(codes.size(), (r + 1) * perRow); ++i)
            SampleText::DrawChar(font, static_cast<unsigned char>(codes[i]), m_strip, static_cast<int>(i % perRow) * w,
                                 top);
    }
    if (m_strip.height > kMaxRows) {
        const int drop = m_strip.height - kMaxRows;
        m_strip.dots.erase(m_strip.dots.begin(), m_strip.dots.begin() + static_cast<std::ptrdiff_t>(drop) * m_paper);
        m_strip.height = kMaxRows;
        m_dropped += drop;
    }
}

void ReceiptStrip::CutBackTo(std::int64_t printed) {
    const std::int64_t keep = std::clamp<std::int64_t>(printed - m_dropped, 0, m_strip.height);
    m_strip.height = static_cast<int>(keep);
    m_strip.dots.resize(static_cast<std::size_t>(keep) * static_cast<std::size_t>(m_paper));
}

DotImage ReceiptStrip::Picture() const {
    if (m_strip.height > 0) return m_strip;
    return DotImage(m_paper, 1);
}

bool ReceiptStrip::Write(const CString& path, std::string* error) const {
    return DotPng::Write(Picture(), 1, path, error);
}

bool PrinterFonts::Load(const std::string& fontArg, const CString& logDir, CGlyphosDocCore& doc, std::string& error) {
    // What the readers would show in boxes goes into the one error line.
    ScriptedUiServices boxes;
    UiServices* previous = UiServices::Install(&boxes);
    bool ok = false;
    try {
        ok = LoadQuietly(fontArg, logDir, doc, error);
    } catch (int) {
        error = "a damaged font file: " + fontArg;
    }
    UiServices::Install(previous);
    if (!ok && boxes.Count() > 0) {
        const std::string said = OneLine(boxes.Boxes().front().text.ToUtf8());
        if (!said.empty()) error += " (" + said + ")";
    }
    return ok;
}

bool PrinterFonts::LoadQuietly(const std::string& fontArg, const CString& logDir, CGlyphosDocCore& doc,
                               std::string& error) {
    std::string file = fontArg;
    int position = 1;
    // "FILE.psw:N" names a font; a colon elsewhere is part of the path.
    if (const auto colon = fontArg.rfind(':'); colon != std::string::npos) {
        int n = 0;
        const char* end = fontArg.data() + fontArg.size();
        const auto r = std::from_chars(fontArg.data() + colon + 1, end, n);
        if (colon + 1 < fontArg.size() && r.ec == std::errc() && r.ptr == end) {
            file = fontArg.substr(0, colon);
            position = n;
            if (CGlyphosDocCore::ClassifyPath(CString::FromUtf8(file)) != CGlyphosDocCore::PathKind::Psw) {
                error = "a font number goes with a .psw file: " + fontArg;
                return false;
            }
            if (n < 1) {
                error = "fonts are numbered from 1: " + fontArg;
                return false;
            }
        }
    }
    const CString path = CString::FromUtf8(file);
    switch (CGlyphosDocCore::ClassifyPath(path)) {
        case CGlyphosDocCore::PathKind::Kfn:
            if (doc.LoadKfnFile(path)) return true;
            error = "cannot read the font file " + file;
            return false;
        case CGlyphosDocCore::PathKind::Psw: {
            struct ByPosition : IDocChoices {
                int wanted;
                explicit ByPosition(int w) : wanted(w) {}
                int SelectFont(const std::vector<FontChoice>& choices) override {
                    for (std::size_t i = 0; i < choices.size(); ++i)
                        if (choices[i].position == wanted) return static_cast<int>(i);
                    return -1;
                }
            } choice(position);
            doc.SetLogDir(logDir);
            if (doc.OpenFromPsw(path, choice)) return true;
            error = "cannot read font " + std::to_string(position) + " of " + file;
            return false;
        }
        default:
            error = "the font must be a .kfn or .psw file: " + fontArg;
            return false;
    }
}

bool PrinterFonts::FromUpgrade(const std::vector<unsigned char>& data, unsigned model, const std::string& scratchDir,
                               CGlyphosDocCore& doc, std::string* name) {
    // Far below any header, or not starting with the printer block's tag:
    // not worth writing out for a look.
    if (data.size() < 64 || data[0] != 'P') return false;
    const CString dir = WithTrailingSlash(CString::FromUtf8(scratchDir));
    const CString path = dir + L"upgrade.psw";
    if (!WriteFileAtomically(path, data.data(), data.size())) return false;
    // What does not parse is simply not an upgrade: its boxes are dropped.
    ScriptedUiServices quiet;
    UiServices* previous = UiServices::Install(&quiet);
    bool ok = false;
    try {
        CKalvoNewDebugObject log(nullptr, nullptr, CString(), CString(), L"ostrel-printer-sim", 1);
        CHeaderPsw first(&log);
        if (first.Init(path)) {
            int fileModel = -1;
            CString printer;
            // Exactly the header and the binary image it describes: a transfer
            // that has not ended (or was broken off) is no upgrade, nor is a
            // file sent over and over (the flow-control test).
            std::uint64_t whole = 0;
            if (!first.IsPSWII()) {
                fileModel = first.Get_cHeaderPrnPsw()->GetGsiModel();
                printer = first.Get_cHeaderPrnPsw()->GetNomeStampante();
                whole = std::uint64_t{first.GetuiDimHeaderPsw()} + first.Get_cHeaderBinPsw()->GetuiDimFileBin();
            } else {
                CHeaderPsw2 second(&log);
                if (second.Init(path)) {
                    fileModel = second.GetGsiModel();
                    printer = second.Get_cHeaderPrnPsw2()->GetNomeStampante();
                    whole = std::uint64_t{second.GetuiDimHeaderPsw2()} + second.GetuiDimFileBin();
                }
            }
            if (fileModel == static_cast<int>(model) && data.size() == whole) {
                struct First : IDocChoices {
                    int position = 0;
                    int SelectFont(const std::vector<FontChoice>& choices) override {
                        if (choices.empty()) return -1;
                        position = choices.front().position;
                        return 0;
                    }
                } choice;
                doc.SetLogDir(dir);
                ok = doc.OpenFromPsw(path, choice) != 0;
                if (ok && name) {
                    std::string text;
                    for (const char c : printer.Trim().ToUtf8()) text += c == ' ' ? '_' : c;
                    *name = (text.empty() ? "upgrade" : text) + ":" + std::to_string(choice.position);
                }
            }
        }
    } catch (int) {
        // The readers' release assertion: a damaged file.
    }
    UiServices::Install(previous);
    return ok;
}

// BuiltinReceiptFont.cpp: the dots of the demo printer's 12 x 24 font,
// characters 32..126, one 16-bit row each with column 0 in the top bit.
extern const std::uint16_t kBuiltinReceiptFont[95][24];

void PrinterFonts::LoadBuiltin(CGlyphosDocCore& doc) {
    _headerFont r{};
    r.Tag = 'F';
    r.Width = 12;
    r.Height = 24;
    r.FirstChar = 32;
    r.LastChar = 126;
    r.Orientation = 'H';
    doc.ApplyPropertyRecord(reinterpret_cast<const unsigned char*>(&r), 0, L"Built-in 12 x 24");
    KalvoFont& f = doc.GetFont();
    f.ClearAllChars();
    for (int ch = 32; ch <= 126; ++ch) {
        for (int row = 0; row < 24; ++row) {
            const std::uint16_t bits = kBuiltinReceiptFont[ch - 32][row];
            f.SetGridByte(ch, row, 0, static_cast<unsigned char>(bits >> 8));
            f.SetGridByte(ch, row, 1, static_cast<unsigned char>(bits & 0xFF));
        }
    }
}
