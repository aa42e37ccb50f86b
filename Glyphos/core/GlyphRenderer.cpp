#include "GlyphRenderer.h"

#include "CodePageList.h"
#include "KalvoFont.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPainterPath>
#include <QRawFont>
#include <QPainter>
#include <QString>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr QRgb kBlack = 0xFF000000u;

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

QFont GlyphRenderer::ToQFont(const LogFontRecord& lf) {
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
    if (lf.lfHeight < 0) {
        // A character height: what Qt calls the pixel size.
        f.setPixelSize(std::max(1, -static_cast<int>(std::max(lf.lfHeight, -100000))));
    } else if (lf.lfHeight > 0) {
        // A cell height (ascent + descent): scale the character height to it.
        f.setPixelSize(100);
        const qreal cell = QFontMetricsF(f).height();
        const int height = std::min(static_cast<int>(lf.lfHeight), 100000);
        f.setPixelSize(std::max(1, cell > 0 ? static_cast<int>(std::lround(height * 100.0 / cell)) : height));
    } else {
        f.setPixelSize(16);  // the face's usual size: 12 points at 96 dpi
    }
    return f;
}

GlyphRenderer::GlyphRenderer(const LogFontRecord& lf, std::uint32_t codePage, int width, int height,
                             const ImportPlacement& placement)
    : m_font(ToQFont(lf)),
      m_converter(std::make_unique<CodePageConverter>(codePage)),
      m_width(std::clamp(width, 0, KalvoFont::kCols)),
      m_height(std::clamp(height, 0, KalvoFont::kRows)),
      m_placement(placement),
      m_direct(std::max(1, m_width), std::max(1, m_height), QImage::Format_RGB32) {
    m_ascent = static_cast<int>(std::lround(QFontMetricsF(m_font).ascent()));
    // Qt draws glyphs this large as filled outlines, loading and hinting
    // each outline again every time; keeping the outlines makes a second
    // import of the same face (another placement) cost only the filling.
    // Lines under or through the text come with Qt's own drawing only.
    const int px = m_font.pixelSize();
    m_outlines = px * px >= kLargestCachedGlyph * kLargestCachedGlyph && !m_font.underline() && !m_font.strikeOut();
}

GlyphRenderer::~GlyphRenderer() = default;

bool GlyphRenderer::Draw(int code) {
    m_direct.fill(Qt::white);
    if (code < 0 || code > 255) return false;
    const auto uc = m_converter->ToUnicode(static_cast<unsigned char>(code));
    if (!uc) return false;
    const char32_t c = *uc;
    // Control characters have no picture of their own; drawing them would
    // only show a face's missing-glyph box.
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return false;
    const QString text = QString::fromUcs4(&c, 1);

    // The layout picks the face or fontconfig's fallback for the character;
    // glyph 0 is a face's "missing" box: then nothing can draw it.
    QTextLayout layout(text, m_font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid()) return false;
    const QList<QGlyphRun> runs = line.glyphRuns();
    for (const QGlyphRun& run : runs) {
        for (quint32 index : run.glyphIndexes()) {
            if (index == 0) return false;
        }
    }

    // The character's cell starts at (x, y): its top on y, its baseline one
    // ascent of the chosen face below.
    QPainter p(&m_direct);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setPen(Qt::black);
    const QPointF origin(m_placement.x, m_placement.y + m_ascent);
    for (QGlyphRun run : runs) {
        QList<QPointF> positions = run.positions();
        for (QPointF& pos : positions) pos.setY(0);
        if (m_outlines) {
            const QList<quint32> indexes = run.glyphIndexes();
            for (qsizetype i = 0; i < indexes.size(); ++i) {
                p.fillPath(Outline(run.rawFont(), indexes[i]).translated(origin + positions[i]), Qt::black);
            }
        } else {
            run.setPositions(positions);
            p.drawGlyphRun(origin, run);
        }
    }
    return true;
}

namespace {

// Keyed by everything that shapes an outline: face, size, hinting, glyph.
QHash<QString, QPainterPath>& OutlineCache() {
    static QHash<QString, QPainterPath> cache;
    return cache;
}

}  // namespace

void GlyphRenderer::ClearOutlineCache() { OutlineCache().clear(); }

const QPainterPath& GlyphRenderer::Outline(const QRawFont& face, quint32 glyph) {
    QHash<QString, QPainterPath>& cache = OutlineCache();
    const QString key = m_font.key() + QLatin1Char('|') + face.familyName() + QLatin1Char('|') + face.styleName() +
                        QLatin1Char('|') + QString::number(face.pixelSize()) + QLatin1Char('|') +
                        QString::number(glyph);
    auto it = cache.find(key);
    if (it == cache.end()) {
        if (cache.size() > kMaxCachedOutlines) cache.clear();
        QPainterPath path = face.pathForGlyph(glyph);
        path.setFillRule(Qt::WindingFill);
        it = cache.insert(key, path);
    }
    return *it;
}

void GlyphRenderer::RenderChar(KalvoFont& font, int code) {
    if (code < 0 || code > 255) return;
    const bool drawn = Draw(code);
    const int w = m_width;
    const int h = m_height;

    // The drawing as one 64-bit mask per row, column 0 in the high bit:
    // the stretch below then tests a whole span of pixels at once.
    std::array<std::uint64_t, KalvoFont::kRows> ink{};
    if (drawn) {
        for (int r = 0; r < h; ++r) {
            const auto* line = reinterpret_cast<const QRgb*>(m_direct.constScanLine(r));
            std::uint64_t bits = 0;
            for (int k = 0; k < w; ++k) {
                if (line[k] == kBlack) bits |= std::uint64_t{1} << (63 - k);
            }
            ink[static_cast<std::size_t>(r)] = bits;
        }
    }

    // The stretched copy, as a stretch that keeps black wins: a target
    // pixel is black when any source pixel that maps onto it is black, so a
    // shrunk glyph keeps its thin strokes; an enlarged one repeats pixels.
    // The copy is cut to the cell: beyond trunc(w x fx), trunc(h x fy) the
    // cell stays blank.
    const int sw = static_cast<int>(static_cast<float>(w) * m_placement.fx);
    const int sh = static_cast<int>(static_cast<float>(h) * m_placement.fy);
    const int cols = std::clamp(sw, 0, w);
    const int rows = std::clamp(sh, 0, h);
    std::array<std::uint64_t, KalvoFont::kCols> span{};
    for (int k = 0; k < cols; ++k) {
        const int x0 = k * w / sw;
        const int x1 = std::min(w, std::max(x0 + 1, (k + 1) * w / sw));
        for (int x = x0; x < x1; ++x) span[static_cast<std::size_t>(k)] |= std::uint64_t{1} << (63 - x);
    }
    for (int r = 0; r < h; ++r) {
        std::uint64_t out = 0;
        if (r < rows) {
            const int y0 = r * h / sh;
            const int y1 = std::min(h, std::max(y0 + 1, (r + 1) * h / sh));
            std::uint64_t source = 0;
            for (int y = y0; y < y1; ++y) source |= ink[static_cast<std::size_t>(y)];
            if (source) {
                for (int k = 0; k < cols; ++k) {
                    if (source & span[static_cast<std::size_t>(k)]) out |= std::uint64_t{1} << (63 - k);
                }
            }
        }
        // Only the cell's own bits of the row change.
        for (int b = 0; b * 8 < w; ++b) {
            const int bitsHere = std::min(8, w - b * 8);
            const auto mask = static_cast<unsigned char>(0xFF00u >> bitsHere);
            const auto bits = static_cast<unsigned char>(out >> (56 - 8 * b));
            const unsigned char old = font.GetGridByte(code, r, b);
            font.SetGridByte(code, r, b, static_cast<unsigned char>((old & ~mask) | (bits & mask)));
        }
    }
}

void GlyphRenderer::RenderFont(KalvoFont& font, const LogFontRecord& lf, std::uint32_t codePage,
                               const ImportPlacement& placement, const Progress& shown) {
    font.ClearAllChars();
    GlyphRenderer renderer(lf, codePage, font.GetWidth(), font.GetHeight(), placement);
    const int first = std::max(0, font.GetFirstChar());
    const int last = std::min(255, font.GetLastChar());
    for (int code = first; code <= last; ++code) {
        renderer.RenderChar(font, code);
        if (shown) shown(code, renderer.DirectImage());
    }
}
