// glyphos-cli fonts FILE.psw: one line per font, as the editor lists them.
#include "CliDocument.h"
#include "CliText.h"

#include <cstdio>

int CliFonts(const std::vector<std::string>& args) {
    const CliArgs a(args, {}, {"--log-dir"});
    a.ExpectPositional(1, 1);
    CGlyphosDocCore doc;
    PrepareCliDocument(doc, a);
    std::vector<FontChoice> fonts;
    if (!doc.ListPswFonts(CliPath(a.Positional()[0]), fonts)) {
        throw CliFailure("cannot read the fonts of " + a.Positional()[0] + SystemReason(a.Positional()[0]));
    }
    for (const auto& f : fonts) std::printf("%s\n", TerminalSafe(f.line.ToUtf8()).c_str());
    return kExitOk;
}
