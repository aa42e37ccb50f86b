// glyphos-cli convert IN OUT: a font between .kfn, BDF and PSF, formats by
// file extension.
#include "CliDocument.h"
#include "FontConverter.h"

int CliConvert(const std::vector<std::string>& args) {
    const CliArgs a(args, {"--psf1"}, {"--codepage", "--first", "--last", "--log-dir"});
    a.ExpectPositional(2, 2);
    const CString in = CliPath(a.Positional()[0]);
    const CString out = CliPath(a.Positional()[1]);
    FontConvertOptions options;
    options.codePage = static_cast<int>(a.IntValue("--codepage", 1, 65535).value_or(0));
    options.first = static_cast<int>(a.IntValue("--first", 0, 255).value_or(-1));
    options.last = static_cast<int>(a.IntValue("--last", 0, 255).value_or(-1));
    if (options.first >= 0 && options.last >= 0 && options.first > options.last)
        throw CliUsageError("--first must not be above --last");
    if (a.Has("--psf1")) options.psfVersion = 1;
    const FontConverter::Format inFormat = FontConverter::FormatOfPath(in);
    if (inFormat == FontConverter::Format::Unknown)
        throw CliUsageError("IN must end in .kfn, .bdf, .psf or .psf.gz: " + a.Positional()[0]);
    if (FontConverter::FormatOfPath(out) == FontConverter::Format::Unknown)
        throw CliUsageError("OUT must end in .kfn, .bdf, .psf or .psf.gz: " + a.Positional()[1]);

    CGlyphosDocCore doc;
    std::string error;
    if (inFormat == FontConverter::Format::Kfn) {
        if (!doc.LoadKfnFile(in))
            throw CliFailure("cannot read the font file " + a.Positional()[0] + SystemReason(a.Positional()[0]));
    } else if (!FontConverter::Import(in, options, doc, error)) {
        throw CliFailure(a.Positional()[0] + ": " + error);
    }
    if (!FontConverter::Export(doc, out, options, error)) throw CliFailure(error);
    return kExitOk;
}
