// A receipt as a printer prints it: each line drawn with the printing font,
// left-aligned on a strip of paper a number of dots wide, below the line
// before; a line longer than the strip goes on in the next row of
// characters, as printers wrap. ostrel-printer-sim keeps one and writes it as
// a PNG file.
//
// Also the fonts a simulated printer prints with: a font file given to it,
// the font of an upgrade file it received, or a built-in one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CString.h"
#include "SampleText.h"

class CGlyphosDocCore;
class KalvoFont;

class ReceiptStrip {
public:
    static constexpr int kDefaultPaperDots = 384;  // 48 mm at 8 dots per mm
    static constexpr int kMaxPaperDots = 4096;
    // The strip keeps the newest dot rows only, as a roll has an end (about
    // 8 m of paper at 8 dots per mm).
    static constexpr int kMaxRows = 65536;

    explicit ReceiptStrip(int paperDots = kDefaultPaperDots);

    // Draws one printed line (the printer's codes, one byte each). An empty
    // line feeds one line of paper.
    void Print(const KalvoFont& font, const std::string& codes);
    // Dot rows printed so far, counting those the roll has lost.
    std::int64_t Printed() const { return m_dropped + m_strip.height; }
    // Takes back what was printed after `printed` rows (a loader took the
    // bytes, nothing was printed).
    void CutBackTo(std::int64_t printed);
    // The strip so far; one blank dot row before anything was printed.
    DotImage Picture() const;
    bool Write(const CString& path, std::string* error = nullptr) const;

private:
    int m_paper;
    DotImage m_strip;
    std::int64_t m_dropped = 0;
};

// The fonts a simulated printer prints with.
class PrinterFonts {
public:
    // The demo printer's 12 x 24 font (printable ASCII), for a printer given
    // no font.
    static void LoadBuiltin(CGlyphosDocCore& doc);
    // "FILE.kfn", "FILE.psw" (its first font) or "FILE.psw:N" (font N, as
    // `glyphos-cli fonts` numbers them). False with a one-line reason.
    static bool Load(const std::string& fontArg, const CString& logDir, CGlyphosDocCore& doc, std::string& error);
    // When `data` are a PSW or PSW2 file for printers of model `model`, its
    // first font goes into `doc` (true) and `name` says which it is: the
    // file's printer name and the font's number ("DEMO-80:1"). The file goes
    // through `scratchDir`, which also takes the readers' debug log; nothing
    // is shown.
    static bool FromUpgrade(const std::vector<unsigned char>& data, unsigned model, const std::string& scratchDir,
                            CGlyphosDocCore& doc, std::string* name = nullptr);

private:
    static bool LoadQuietly(const std::string& fontArg, const CString& logDir, CGlyphosDocCore& doc,
                            std::string& error);
};
