#include "LogFontQFont.h"

#include "GlyphRenderer.h"

#include <QString>
#include <QStringList>

#include <algorithm>

namespace {

QFont::StyleHint HintForFamily(std::uint8_t pitchAndFamily) {
    switch (pitchAndFamily & 0xF0) {
        case 0x10: return QFont::Serif;
        case 0x20: return QFont::SansSerif;
        case 0x30: return QFont::Monospace;
        case 0x40: return QFont::Cursive;
        case 0x50: return QFont::Decorative;
        default: return QFont::AnyStyle;
    }
}

}  // namespace

QFont ToQFont(const LogFontRecord& lf) {
    QFont f;
    // The face exactly as named; an empty face leaves the choice to the
    // family hint, as a logical font without a face name does.
    if (!lf.lfFaceName.empty()) f.setFamilies({QString::fromStdWString(lf.lfFaceName)});
    f.setStyleHint(HintForFamily(lf.lfPitchAndFamily),
                   static_cast<QFont::StyleStrategy>(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    if (lf.lfPitchAndFamily & 0x01) f.setFixedPitch(true);
    const int weight = lf.lfWeight <= 0 ? 400 : std::min(1000, static_cast<int>(lf.lfWeight));
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    f.setKerning(false);
    // The same character height the import draws with.
    f.setPixelSize(GlyphRenderer::PixelSize(lf));
    return f;
}
