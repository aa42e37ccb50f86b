// glyphos-cli show FILE.kfn CODE: one character as rows of "#" and ".".
#include "CliDocument.h"

#include <algorithm>
#include <cstdio>

int CliShow(const std::vector<std::string>& args) {
    const CliArgs a(args, {}, {"--log-dir"});
    a.ExpectPositional(2, 2);
    const std::string& kfn = a.Positional()[0];
    const std::string& codeText = a.Positional()[1];
    const int code = static_cast<int>(WholeNumberArg(codeText, "CODE", 0, 255));
    CGlyphosDocCore doc;
    if (!doc.LoadKfnFile(CliPath(kfn))) throw CliFailure("cannot read the font file " + kfn + SystemReason(kfn));
    const KalvoFont& f = doc.GetFont();
    if (code < f.GetFirstChar() || code > f.GetLastChar()) {
        throw CliFailure("character " + codeText + " is outside the font (" + std::to_string(f.GetFirstChar()) +
                         ".." + std::to_string(f.GetLastChar()) + ")");
    }
    const int width = std::min(f.GetWidth(), KalvoFont::kCols);
    const int height = std::min(f.GetHeight(), KalvoFont::kRows);
    std::string out;
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) out += f.GetPixel(code, row, col) ? '#' : '.';
        out += '\n';
    }
    std::fputs(out.c_str(), stdout);
    return kExitOk;
}
