// Draws the characters of an installed font into a printer font's grid, one
// dot per pixel: each code is mapped to Unicode through a code page, drawn
// black on white without antialiasing into a cell of the font's size, moved
// and stretched by the import placement, and every pixel that is exactly
// black becomes a set dot.
//
// QtGui only (no widgets), so that the editor and glyphos-cli render the
// same dots. A QGuiApplication must exist.
#pragma once

#include "LogFontRecord.h"

#include <QFont>
#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>

class KalvoFont;
class CodePageConverter;
class QPainter;
class QPainterPath;
class QRawFont;

class GlyphRenderer {
public:
    // The QFont of a logical-font record: face, height (pixels), weight,
    // italic, underline, strike-out; no antialiasing.
    static QFont ToQFont(const LogFontRecord& lf);

    // A renderer for cells of width x height dots (clamped to the grid's
    // 64 x 96).
    GlyphRenderer(const LogFontRecord& lf, std::uint32_t codePage, int width, int height,
                  const ImportPlacement& placement);
    ~GlyphRenderer();
    GlyphRenderer(const GlyphRenderer&) = delete;
    GlyphRenderer& operator=(const GlyphRenderer&) = delete;

    // Renders one code into the grid (the cell's dots only: the rest of the
    // 64 x 96 store is left alone). A code the code page does not define, or
    // that no installed face can draw, gives an empty character.
    void RenderChar(KalvoFont& font, int code);
    // The unstretched drawing of the last character rendered (w x h).
    const QImage& DirectImage() const { return m_direct; }

    // The whole import: clears all 256 characters, then renders the
    // property record's first .. last. `shown` is called after each code
    // with the direct drawing, for a window that shows the progress.
    using Progress = std::function<void(int code, const QImage& direct)>;
    static void RenderFont(KalvoFont& font, const LogFontRecord& lf, std::uint32_t codePage,
                           const ImportPlacement& placement, const Progress& shown = {});

    // Forgets the outlines kept for large glyphs (a cold import, in the
    // benchmarks).
    static void ClearOutlineCache();

private:
    // The glyph size (pixels) above which Qt keeps no glyph bitmaps.
    static constexpr int kLargestCachedGlyph = 64;
    static constexpr int kMaxCachedOutlines = 8192;

    // Draws the code into m_direct; false when nothing can be drawn.
    bool Draw(int code);
    // The outline of a glyph as Qt would fill it, kept for the process.
    const QPainterPath& Outline(const QRawFont& face, quint32 glyph);

    QFont m_font;
    std::unique_ptr<CodePageConverter> m_converter;
    int m_width;
    int m_height;
    ImportPlacement m_placement;
    int m_ascent = 0;
    bool m_outlines = false;
    QImage m_direct;
};
