// glyphos-cli render FAMILY SIZE OUT.kfn [options]: a new font drawn from a
// font installed on the system, as the editor's import draws it.
#include "CliDocument.h"
#include "CodePageList.h"
#include "GlyphRenderer.h"

#include <charconv>

namespace {

float Factor(const std::string& text, const std::string& what) {
    float v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() || !(v >= 0.25f && v <= 4.0f)) {
        throw CliUsageError(what + " must be a number from 0.25 to 4, not \"" + text + "\"");
    }
    return v;
}

// "A,B" into its two halves.
std::pair<std::string, std::string> Pair(const std::string& text, const std::string& option) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) throw CliUsageError("option " + option + " needs two values: A,B");
    return {text.substr(0, comma), text.substr(comma + 1)};
}

}  // namespace

int CliRender(const std::vector<std::string>& args) {
    const CliArgs a(args, {"--underline", "--strikeout"},
                    {"--style", "--codepage", "--width", "--height", "--first", "--last", "--origin", "--stretch",
                     "--name"});
    a.ExpectPositional(3, 3);
    const std::string& family = a.Positional()[0];
    const std::string& out = a.Positional()[2];
    if (family.empty()) throw CliUsageError("FAMILY must not be empty");
    const int size = static_cast<int>(WholeNumberArg(a.Positional()[1], "SIZE", 1, 1638));
    if (CGlyphosDocCore::ClassifyPath(CliPath(out)) != CGlyphosDocCore::PathKind::Kfn) {
        throw CliUsageError("the output must be a .kfn file: " + out);
    }

    CGlyphosDocCore doc;
    KalvoFont& font = doc.GetFont();
    LogFontRecord& lf = doc.GetImportFont();
    lf.lfFaceName = CString::FromUtf8(family).GetString();
    lf.lfHeight = LogFontRecord::HeightForPoints(size);
    const std::string style = a.Value("--style").value_or("regular");
    if (style != "regular" && style != "bold" && style != "italic" && style != "bold-italic") {
        throw CliUsageError("--style must be regular, bold, italic or bold-italic, not \"" + style + "\"");
    }
    lf.lfWeight = style.rfind("bold", 0) == 0 ? 700 : 400;
    lf.lfItalic = style.find("italic") != std::string::npos ? 1 : 0;
    lf.lfUnderline = a.Has("--underline") ? 1 : 0;
    lf.lfStrikeOut = a.Has("--strikeout") ? 1 : 0;

    std::uint32_t codePage = 0;
    if (const auto cp = a.Value("--codepage")) {
        codePage = static_cast<std::uint32_t>(WholeNumberArg(*cp, "--codepage", 0, 65535));
        if (!CodePageConverter(codePage).IsValid()) {
            throw CliUsageError("code page " + *cp + " is not known or iconv cannot convert it");
        }
    }
    if (const auto v = a.Value("--width")) font.SetWidth(static_cast<int>(WholeNumberArg(*v, "--width", 1, 64)));
    if (const auto v = a.Value("--height")) font.SetHeight(static_cast<int>(WholeNumberArg(*v, "--height", 1, 96)));
    if (const auto v = a.Value("--first")) font.SetFirstChar(static_cast<int>(WholeNumberArg(*v, "--first", 0, 255)));
    if (const auto v = a.Value("--last")) font.SetLastChar(static_cast<int>(WholeNumberArg(*v, "--last", 0, 255)));
    if (font.GetFirstChar() > font.GetLastChar()) throw CliUsageError("--first must not be above --last");
    ImportPlacement placement;
    if (const auto v = a.Value("--origin")) {
        const auto [x, y] = Pair(*v, "--origin");
        placement.x = static_cast<int>(WholeNumberArg(x, "--origin X", -10, 10));
        placement.y = static_cast<int>(WholeNumberArg(y, "--origin Y", -10, 10));
    }
    if (const auto v = a.Value("--stretch")) {
        const auto [fx, fy] = Pair(*v, "--stretch");
        placement.fx = Factor(fx, "--stretch FX");
        placement.fy = Factor(fy, "--stretch FY");
    }
    doc.PropertiesChanged();
    // Refuse a substitute: fontconfig answers every request with some face.
    const FaceChoice face = GlyphRenderer::ChooseFace(lf);
    if (!face.named) {
        throw CliFailure("font family \"" + family + "\" is not installed (nearest: \"" + face.family + "\")");
    }
    // The font is named after the family as fontconfig names it.
    font.SetFontName(CString::FromUtf8(a.Value("--name").value_or(face.family)));
    GlyphRenderer::RenderFont(font, lf, codePage, placement);
    if (!doc.SaveKfnFile(CliPath(out))) throw CliFailure("cannot write " + out);
    return kExitOk;
}

