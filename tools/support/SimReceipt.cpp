#include "SimReceipt.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "GlyphosDocCore.h"

namespace {

std::string MakeScratchDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/ostrel-printer-sim-XXXXXX";
    if (!::mkdtemp(pattern.data())) return {};
    return pattern;
}

bool SameFont(const KalvoFont& a, const KalvoFont& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetFirstChar() != b.GetFirstChar() ||
        a.GetLastChar() != b.GetLastChar())
        return false;
    for (int ch = a.GetFirstChar(); ch <= a.GetLastChar(); ++ch) {
        const unsigned char *x = a.GetCharBits(ch), *y = b.GetCharBits(ch);
        if (x && y && !std::equal(x, x + KalvoFont::kCharBytes, y)) return false;
    }
    return true;
}

}  // namespace

int SimReceipt::ParseOption(int argc, char** argv, int i, Options& options, std::string& error) {
    const std::string arg = argv[i];
    std::string name = arg, value;
    int used = 2;
    if (const auto eq = arg.find('='); eq != std::string::npos && arg.compare(0, 2, "--") == 0) {
        name = arg.substr(0, eq);
        value = arg.substr(eq + 1);
        used = 1;
    }
    if (name != "--font" && name != "--receipt" && name != "--paper-dots") return 0;
    if (used == 2) {
        if (i + 1 >= argc) {
            error = "option " + name + " needs a value";
            return -1;
        }
        value = argv[i + 1];
    }
    if (value.empty()) {
        error = "option " + name + " needs a value";
        return -1;
    }
    if (name == "--font") {
        options.font = value;
    } else if (name == "--receipt") {
        options.receipt = value;
    } else {
        int w = 0;
        const auto r = std::from_chars(value.data(), value.data() + value.size(), w);
        if (r.ec != std::errc() || r.ptr != value.data() + value.size() || w < 1 || w > ReceiptStrip::kMaxPaperDots) {
            error = "--paper-dots needs a whole number from 1 to " + std::to_string(ReceiptStrip::kMaxPaperDots) +
                    ", not \"" + value + "\"";
            return -1;
        }
        options.paperDots = w;
    }
    return used;
}

SimReceipt::SimReceipt(const Options& options, unsigned model)
    : m_options(options), m_model(model), m_font(std::make_unique<CGlyphosDocCore>()), m_strip(options.paperDots) {}

std::unique_ptr<SimReceipt> SimReceipt::Create(const Options& options, unsigned model, std::string& error) {
    std::unique_ptr<SimReceipt> r(new SimReceipt(options, model));
    // Without a scratch folder the printer still prints; it only cannot
    // read fonts out of PSW files.
    r->m_scratch = MakeScratchDir();
    const std::string reason = std::strerror(errno);
    const bool psw = CGlyphosDocCore::ClassifyPath(CString::FromUtf8(options.font)) == CGlyphosDocCore::PathKind::Psw;
    if (r->m_scratch.empty() && psw) {
        error = "cannot make a scratch folder for reading " + options.font + ": " + reason;
        return nullptr;
    }
    if (options.font.empty()) {
        PrinterFonts::LoadBuiltin(*r->m_font);
    } else if (!PrinterFonts::Load(options.font, CString::FromUtf8(r->m_scratch), *r->m_font, error)) {
        return nullptr;
    }
    return r;
}

SimReceipt::~SimReceipt() {
    std::error_code ec;
    if (!m_scratch.empty()) std::filesystem::remove_all(m_scratch, ec);
}

void SimReceipt::LinePrinted(const std::string& text, std::uint64_t received) {
    constexpr std::size_t kKeep = 4096;
    if (m_lines.size() >= kKeep) m_lines.erase(m_lines.begin(), m_lines.begin() + kKeep / 2);
    m_lines.push_back({received, m_strip.Printed()});
    m_strip.Print(m_font->GetFont(), text);
    WriteReceipt();
}

PrinterSimHooks::Settled SimReceipt::DataSettled(const std::vector<BYTE>& received,
                                                 const std::vector<std::uint64_t>& starts) {
    // The oldest start first: a file is whole only from its first byte.
    if (m_scratch.empty()) return {};
    for (const std::uint64_t start : starts) {
        if (start < m_consumed || start >= received.size()) continue;
        const std::vector<BYTE> data(received.begin() + static_cast<std::ptrdiff_t>(start), received.end());
        auto next = std::make_unique<CGlyphosDocCore>();
        std::string name;
        if (!PrinterFonts::FromUpgrade(data, m_model, m_scratch, *next, &name)) continue;
        m_consumed = received.size();
        // The printer's loader took the file: its line feeds printed nothing.
        std::size_t keep = m_lines.size();
        while (keep > 0 && m_lines[keep - 1].received > start) --keep;
        if (keep < m_lines.size()) {
            m_strip.CutBackTo(m_lines[keep].rowsBefore);
            m_lines.resize(keep);
            WriteReceipt();
        }
        // The same font again changes nothing.
        if (SameFont(next->GetFont(), m_font->GetFont())) return {{}, true};
        m_font = std::move(next);
        const KalvoFont& f = m_font->GetFont();
        return {{"font " + name + " " + std::to_string(f.GetWidth()) + "x" + std::to_string(f.GetHeight())}, true};
    }
    return {};
}

void SimReceipt::Finish() {
    WriteReceipt();
}

void SimReceipt::WriteReceipt() {
    if (m_options.receipt.empty()) return;
    std::string error;
    if (m_strip.Write(CString::FromUtf8(m_options.receipt), &error)) {
        m_lastError.clear();
        return;
    }
    // Once per cause, not once per line.
    if (error == m_lastError) return;
    m_lastError = error;
    std::fprintf(stderr, "ostrel-printer-sim: warning: cannot write %s: %s\n", m_options.receipt.c_str(),
                 error.c_str());
}
