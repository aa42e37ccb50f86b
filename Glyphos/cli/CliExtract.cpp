// glyphos-cli extract FILE.psw N OUT.kfn: font N of a PSW file as a font file.
#include "CliDocument.h"

int CliExtract(const std::vector<std::string>& args) {
    const CliArgs a(args, {}, {"--log-dir"});
    a.ExpectPositional(3, 3);
    const std::string& psw = a.Positional()[0];
    const std::string& out = a.Positional()[2];
    const int n = static_cast<int>(WholeNumberArg(a.Positional()[1], "N (a font number, see `glyphos-cli fonts`)", 1, 255));
    if (CGlyphosDocCore::ClassifyPath(CliPath(out)) != CGlyphosDocCore::PathKind::Kfn) {
        throw CliUsageError("the output must be a .kfn file: " + out);
    }
    CGlyphosDocCore doc;
    PrepareCliDocument(doc, a);
    CliFontChoice choice(n);
    if (!doc.OpenFromPsw(CliPath(psw), choice)) {
        throw CliFailure(choice.Refusal().empty() ? "cannot open font " + std::to_string(n) + " of " + psw + SystemReason(psw)
                                                  : choice.Refusal() + " in " + psw);
    }
    if (!doc.SaveKfnFile(CliPath(out))) throw CliFailure("cannot write " + out);
    return kExitOk;
}
