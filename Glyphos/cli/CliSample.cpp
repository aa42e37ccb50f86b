// glyphos-cli sample FONT TEXT OUT.png: a line of text as the printer would
// print it with the font, one pixel (or S x S) per dot.
#include <cctype>
#include <cstdio>

#include "CliDocument.h"
#include "CodePageList.h"
#include "DotPng.h"
#include "FontConverter.h"
#include "SampleText.h"

int CliSample(const std::vector<std::string>& args) {
    const CliArgs a(args, {}, {"--font", "--codepage", "--scale", "--log-dir"});
    a.ExpectPositional(3, 3);
    const std::string& fontArg = a.Positional()[0];
    const std::string& text = a.Positional()[1];
    const std::string& out = a.Positional()[2];
    const auto position = a.IntValue("--font", 1, 255);
    const auto codePage = a.IntValue("--codepage", 1, 65535);
    const int scale = static_cast<int>(a.IntValue("--scale", 1, DotPng::kMaxScale).value_or(1));
    const CString fontPath = CliPath(fontArg);
    const bool psw = CGlyphosDocCore::ClassifyPath(fontPath) == CGlyphosDocCore::PathKind::Psw;
    const FontConverter::Format format = FontConverter::FormatOfPath(fontPath);
    if (!psw && format == FontConverter::Format::Unknown)
        throw CliUsageError("FONT must end in .kfn, .bdf, .psf, .psf.gz or .psw: " + fontArg);
    if (position && !psw) throw CliUsageError("--font goes with a .psw file");
    const CString outPath = CliPath(out);
    std::string lower = out;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.size() < 4 || lower.compare(lower.size() - 4, 4, ".png") != 0)
        throw CliUsageError("OUT must be a .png file: " + out);
    if (codePage && !CodePageConverter(static_cast<std::uint32_t>(*codePage)).IsValid())
        throw CliUsageError("code page " + std::to_string(*codePage) + " is not known here");

    CGlyphosDocCore doc;
    std::string error;
    if (psw) {
        PrepareCliDocument(doc, a);
        CliFontChoice choice(position.value_or(1));
        if (!doc.OpenFromPsw(fontPath, choice)) {
            throw CliFailure(choice.Refusal().empty() ? "cannot open font " + std::to_string(position.value_or(1)) +
                                                            " of " + fontArg + SystemReason(fontArg)
                                                      : choice.Refusal() + " in " + fontArg);
        }
    } else if (format == FontConverter::Format::Kfn) {
        if (!doc.LoadKfnFile(fontPath))
            throw CliFailure("cannot read the font file " + fontArg + SystemReason(fontArg));
    } else {
        FontConvertOptions options;
        options.codePage = static_cast<int>(codePage.value_or(0));
        if (!FontConverter::Import(fontPath, options, doc, error)) throw CliFailure(fontArg + ": " + error);
    }

    const auto page = static_cast<std::uint32_t>(codePage.value_or(FontConverter::kDefaultCodePage));
    std::vector<std::string> unmapped;
    const auto lines = SampleText::MapText(text, page, &unmapped);
    bool any = false;
    for (const auto& l : lines) any = any || !l.empty();
    if (!any) throw CliUsageError("TEXT has no character to draw");
    std::vector<int> outside;
    const KalvoFont& font = doc.GetFont();
    const DotImage image = SampleText::Draw(font, lines, &outside);
    if (image.width == 0) throw CliFailure("the text is too long to draw");
    for (const std::string& c : unmapped)
        std::fprintf(stderr, "glyphos-cli: warning: code page %u has no code for %s: its cell is left empty\n", page,
                     c.c_str());
    for (const int code : outside)
        std::fprintf(stderr,
                     "glyphos-cli: warning: character %d is outside the font (%d..%d): its cell is left empty\n", code,
                     font.GetFirstChar(), font.GetLastChar());
    if (!DotPng::Write(image, scale, outPath, &error)) throw CliFailure("cannot write " + out + ": " + error);
    return kExitOk;
}
