// glyphos-cli convert IN OUT: a font between .kfn, BDF and PSF, formats by
// file extension.
#include "CliDocument.h"
#include "FontConverter.h"

#include <filesystem>

int CliConvert(const std::vector<std::string>& args) {
    const CliArgs a(args, {"--psf1"}, {"--codepage", "--first", "--last", "--log-dir"});
    a.ExpectPositional(2, 2);
    const std::string& inArg = a.Positional()[0];
    const std::string& outArg = a.Positional()[1];
    const CString in = CliPath(inArg);
    const CString out = CliPath(outArg);
    FontConvertOptions options;
    options.codePage = static_cast<int>(a.IntValue("--codepage", 1, 65535).value_or(0));
    options.first = static_cast<int>(a.IntValue("--first", 0, 255).value_or(-1));
    options.last = static_cast<int>(a.IntValue("--last", 0, 255).value_or(-1));
    if (options.first >= 0 && options.last >= 0 && options.first > options.last)
        throw CliUsageError("--first must not be above --last");
    if (a.Has("--psf1")) options.psfVersion = 1;
    const FontConverter::Format inFormat = FontConverter::FormatOfPath(in);
    const FontConverter::Format outFormat = FontConverter::FormatOfPath(out);
    if (inFormat == FontConverter::Format::Unknown)
        throw CliUsageError("IN must end in .kfn, .bdf, .psf or .psf.gz: " + inArg);
    if (outFormat == FontConverter::Format::Unknown)
        throw CliUsageError("OUT must end in .kfn, .bdf, .psf or .psf.gz: " + outArg);
    // Written over its own input (by the same name, another one or a link),
    // a conversion that loses something would leave nothing to start again from.
    std::error_code ec;
    if (std::filesystem::equivalent(inArg, outArg, ec))
        throw CliUsageError("OUT is the input file itself: " + outArg);

    CGlyphosDocCore doc;
    std::string error;
    if (inFormat == FontConverter::Format::Kfn) {
        if (!doc.LoadKfnFile(in)) throw CliFailure("cannot read the font file " + inArg + SystemReason(inArg));
    } else {
        BitmapFont font;
        std::vector<std::string> warnings;
        if (!FontConverter::ReadFile(in, font, error, &warnings) || !FontConverter::ToDocument(font, options, doc, error))
            throw CliFailure(inArg + ": " + error);
        for (const std::string& w : warnings) PrintWarning(inArg + ": " + w);
        // The document holds the printer's codes 0..255: a Unicode table goes
        // out again only into a BDF or PSF file written through a code page.
        if (font.unicode && (outFormat == FontConverter::Format::Kfn || options.codePage == 0)) {
            const int cp = options.codePage ? options.codePage
                                            : font.printer && font.printer->codePage ? font.printer->codePage
                                                                                     : FontConverter::kDefaultCodePage;
            PrintWarning(inArg + ": its Unicode table is not kept: " + outArg + " holds the printer's codes only (" +
                         "taken through code page " + std::to_string(cp) + ")" +
                         (outFormat == FontConverter::Format::Kfn ? "" : "; --codepage N writes a table"));
        }
    }
    if (!FontConverter::Export(doc, out, options, error)) throw CliFailure(error);
    return kExitOk;
}
