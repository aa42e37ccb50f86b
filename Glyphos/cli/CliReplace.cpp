// glyphos-cli replace FILE.psw IN.kfn [--font N]: writes a font file into a
// compatible font slot of a PSW file.
#include "CliDocument.h"

int CliReplace(const std::vector<std::string>& args) {
    const CliArgs a(args, {}, {"--font", "--log-dir"});
    a.ExpectPositional(2, 2);
    const std::string& psw = a.Positional()[0];
    const std::string& kfn = a.Positional()[1];
    std::optional<int> position;
    if (const auto n = a.IntValue("--font", 1, 255)) position = static_cast<int>(*n);
    CGlyphosDocCore doc;
    PrepareCliDocument(doc, a);
    if (!doc.LoadKfnFile(CliPath(kfn))) throw CliFailure("cannot read the font file " + kfn + SystemReason(kfn));
    CliFontChoice choice(position);
    if (!doc.SaveIntoPsw(CliPath(psw), choice)) {
        if (position && !choice.Refusal().empty()) {
            throw CliFailure("It's Impossible to replace the font in psw file selected. (font " +
                             std::to_string(*position) + " does not match " + kfn + ")");
        }
        if (!choice.Refusal().empty()) throw CliFailure(choice.Refusal());
        throw CliFailure("the font was not written into " + psw +
                         (doc.GetWriteError().empty() ? SystemReason(psw) : ": " + doc.GetWriteError()));
    }
    return kExitOk;
}
