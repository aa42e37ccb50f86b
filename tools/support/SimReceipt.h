// What ostrel-printer-sim prints with: the printing font (a font file, the
// first font of an upgrade file of the printer's model it received, or a
// built-in one) and the receipt it draws the printed lines on.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "PrinterSimHooks.h"
#include "ReceiptStrip.h"

class CGlyphosDocCore;

class SimReceipt : public PrinterSimHooks {
public:
    struct Options {
        std::string font;     // "" for the built-in font
        std::string receipt;  // "" for none
        int paperDots = ReceiptStrip::kDefaultPaperDots;
    };

    // Takes the option at argv[i] when it is one of ours: the number of
    // arguments used (0 when it is not ours), -1 with a reason when it is
    // wrong.
    static int ParseOption(int argc, char** argv, int i, Options& options, std::string& error);
    // Reads the font; nothing, with a reason, when it cannot.
    static std::unique_ptr<SimReceipt> Create(const Options& options, unsigned model, std::string& error);
    ~SimReceipt() override;

    void LinePrinted(const std::string& text, std::uint64_t received) override;
    Settled DataSettled(const std::vector<BYTE>& received, const std::vector<std::uint64_t>& starts) override;
    // Writes the receipt a last time (also when nothing was printed).
    void Finish();

private:
    SimReceipt(const Options& options, unsigned model);
    void WriteReceipt();

    Options m_options;
    unsigned m_model;
    std::string m_scratch;  // upgrade files and the font readers' logs
    std::unique_ptr<CGlyphosDocCore> m_font;
    ReceiptStrip m_strip;
    std::string m_lastError;
    // Recent lines: the bytes received when each was seen and the strip's
    // printed rows before it, so that the lines an upgrade file "printed"
    // can be taken back once the file is recognised.
    struct Line {
        std::uint64_t received;
        std::int64_t rowsBefore;
    };
    std::vector<Line> m_lines;
    // Bytes up to here were an upgrade file already taken.
    std::uint64_t m_consumed = 0;
};
