#include "GlyphRenderer.h"

#include "CString.h"

#include "CodePageList.h"
#include "FaceCache.h"
#include "KalvoFont.h"
#include "LazyLibrary.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <string_view>
#include <utility>

namespace {

// FreeType and fontconfig are opened when first needed (LazyLibrary.h):
// glyphos-cli's commands that draw no glyph start without them and the
// libraries they bring (expat, Brotli), and a face fontconfig chose before
// (FaceCache.h) is drawn without fontconfig at all. In the editor Qt has
// loaded both already, and opening them again only finds them.
#define GLYPHOS_FREETYPE_FUNCTIONS(X) \
    X(FT_Done_Face) \
    X(FT_Get_Char_Index) \
    X(FT_Get_Sfnt_Table) \
    X(FT_GlyphSlot_Embolden) \
    X(FT_GlyphSlot_Oblique) \
    X(FT_Init_FreeType) \
    X(FT_Load_Glyph) \
    X(FT_New_Face) \
    X(FT_Render_Glyph) \
    X(FT_Select_Size) \
    X(FT_Set_Pixel_Sizes) \
    X(FT_Set_Transform)

#define GLYPHOS_FONTCONFIG_FUNCTIONS(X) \
    X(FcCharSetHasChar) \
    X(FcConfigBuildFonts) \
    X(FcConfigCreate) \
    X(FcConfigDestroy) \
    X(FcConfigGetConfigDirs) \
    X(FcConfigGetConfigFiles) \
    X(FcConfigGetFontDirs) \
    X(FcConfigParseAndLoad) \
    X(FcConfigSubstitute) \
    X(FcDefaultSubstitute) \
    X(FcFontList) \
    X(FcFontMatch) \
    X(FcFontRenderPrepare) \
    X(FcFontSetDestroy) \
    X(FcFontSort) \
    X(FcObjectSetBuild) \
    X(FcObjectSetDestroy) \
    X(FcPatternAddBool) \
    X(FcPatternAddDouble) \
    X(FcPatternAddInteger) \
    X(FcPatternAddString) \
    X(FcPatternCreate) \
    X(FcPatternDestroy) \
    X(FcPatternGetBool) \
    X(FcPatternGetCharSet) \
    X(FcPatternGetInteger) \
    X(FcPatternGetMatrix) \
    X(FcPatternGetString) \
    X(FcStrCmpIgnoreCase) \
    X(FcStrListDone) \
    X(FcStrListNext) \
    X(FcWeightFromOpenType)

// Without FreeType nothing is drawn; without fontconfig every family is
// unknown.
GLYPHOS_LAZY_LIBRARY(FreeTypeLibrary, FT, "libfreetype.so.6", GLYPHOS_FREETYPE_FUNCTIONS)
GLYPHOS_LAZY_LIBRARY(FontconfigLibrary, FC, "libfontconfig.so.1", GLYPHOS_FONTCONFIG_FUNCTIONS)

// One FreeType library for the process: opening it costs more than a face.
FT_Library Library() {
    static FT_Library library = [] {
        FT_Library l = nullptr;
        return FT().loaded && FT().FT_Init_FreeType(&l) == 0 ? l : nullptr;
    }();
    return library;
}

std::mutex& FontconfigLock() {
    static std::mutex m;
    return m;
}

// fontconfig's configuration, read once and passed to every call (under
// FontconfigLock), with the wall-clock time its reading began. FcInit would
// also parse every sample configuration fontconfig ships, for its listing
// tools: a third of its start-up that a short command pays in full. The
// rules in force are the same; and a configuration of our own leaves the
// one Qt made current in the editor alone. When the configuration cannot be
// read, null: fontconfig's own, with its built-in fallback.
struct LoadedConfig {
    FcConfig* config = nullptr;
    timespec readAt{};
};

const LoadedConfig& Loaded() {
    static const LoadedConfig loaded = [] {
        LoadedConfig l;
        // The clock inode times are taken from.
        clock_gettime(CLOCK_REALTIME_COARSE, &l.readAt);
        FcConfig* c = FC().FcConfigCreate();
        if (c && (!FC().FcConfigParseAndLoad(c, nullptr, FcTrue) || !FC().FcConfigBuildFonts(c))) {
            FC().FcConfigDestroy(c);
            c = nullptr;
        }
        l.config = c;
        return l;
    }();
    return loaded;
}

FcConfig* Config() { return Loaded().config; }

// Every file and folder whose change can change fontconfig's answers: its
// configuration files and the folders they are in (a new file there may be
// included), the places a user's own configuration may appear, the font
// folders, and the library itself.
std::vector<std::string> Watched() {
    std::vector<std::string> out;
    const auto add = [&](FcStrList* list, bool parents) {
        if (!list) return;
        while (const FcChar8* s = FC().FcStrListNext(list)) {
            const std::string path(reinterpret_cast<const char*>(s));
            out.push_back(path);
            if (parents && path.find('/') != std::string::npos) out.push_back(path.substr(0, path.rfind('/')));
        }
        FC().FcStrListDone(list);
    };
    if (FcConfig* c = Config()) {
        add(FC().FcConfigGetConfigFiles(c), true);
        add(FC().FcConfigGetConfigDirs(c), false);
        add(FC().FcConfigGetFontDirs(c), false);
    }
    const char* home = std::getenv("HOME");
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string config = xdg && *xdg ? xdg : home ? std::string(home) + "/.config" : "";
    if (!config.empty()) {
        out.push_back(config + "/fontconfig");
        out.push_back(config + "/fontconfig/fonts.conf");
        out.push_back(config + "/fontconfig/conf.d");
    }
    if (home) {
        out.push_back(std::string(home) + "/.fonts.conf");
        out.push_back(std::string(home) + "/.fonts.conf.d");
    }
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(FC().FcFontMatch), &info) && info.dli_fname) out.emplace_back(info.dli_fname);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

// What a Windows family byte stands for, as fontconfig's generic names.
const char* GenericFamily(std::uint8_t pitchAndFamily) {
    switch (pitchAndFamily & 0xF0) {
        case 0x10: return "serif";
        case 0x30: return "monospace";
        case 0x40: return "cursive";
        case 0x50: return "fantasy";
        default: return "sans-serif";
    }
}

// A surrogate or a value past U+10FFFF becomes U+FFFD, so fontconfig is
// never handed malformed UTF-8.
std::string Utf8(const std::wstring& w) { return CString(w).ToUtf8(); }

bool SameName(const std::string& a, const char* b) {
    return FC().FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(a.c_str()), reinterpret_cast<const FcChar8*>(b)) == 0;
}

constexpr int kMaxPixels = 16384;
constexpr int kLargestHinted = 63;  // far beyond any cell; FreeType's own limit is 65535

// A logical font as fontconfig is asked for it.
struct Request {
    std::string family;  // empty: the generic family of pitchAndFamily
    int weight = 400;
    bool italic = false;
    std::uint8_t pitchAndFamily = 0;
    int pixels = 16;

    Request(const LogFontRecord& lf, int px)
        : family(Utf8(lf.lfFaceName)),
          weight(lf.lfWeight <= 0 ? 400 : std::min(1000, static_cast<int>(lf.lfWeight))),
          italic(lf.lfItalic != 0),
          pitchAndFamily(lf.lfPitchAndFamily),
          pixels(px) {}
    bool Bold() const { return weight >= 600; }
    // Its words in the face cache: every field that reaches fontconfig.
    std::string Key() const {
        return std::to_string(weight) + ' ' + (italic ? '1' : '0') + ' ' + std::to_string(pitchAndFamily) + ' ' +
               std::to_string(pixels) + ' ' + family;
    }
};

// The pattern fontconfig matches a request against, already completed by
// the configuration (aliases, synthetic styles, defaults).
FcPattern* PatternFor(const Request& q) {
    FcPattern* p = FC().FcPatternCreate();
    FC().FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(
                                              q.family.empty() ? GenericFamily(q.pitchAndFamily) : q.family.c_str()));
    FC().FcPatternAddInteger(p, FC_WEIGHT, FC().FcWeightFromOpenType(q.weight));
    FC().FcPatternAddInteger(p, FC_SLANT, q.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (q.pitchAndFamily & 0x01) FC().FcPatternAddInteger(p, FC_SPACING, FC_MONO);
    FC().FcPatternAddDouble(p, FC_PIXEL_SIZE, q.pixels);
    FC().FcPatternAddBool(p, FC_ANTIALIAS, FcFalse);
    FC().FcConfigSubstitute(Config(), p, FcMatchPattern);
    FC().FcDefaultSubstitute(p);
    return p;
}

struct PatternDeleter {
    void operator()(FcPattern* p) const { FC().FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

// What drawing needs of a face fontconfig matched for `q`: the synthetic
// bold and slant the configuration or the request asks for when the face
// has no such style of its own, its hinting, and its names.
CachedFace Describe(FcPattern* match, const Request& q) {
    CachedFace f;
    FcChar8* file = nullptr;
    if (FC().FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch) return f;
    f.file = reinterpret_cast<const char*>(file);
    FC().FcPatternGetInteger(match, FC_INDEX, 0, &f.index);
    FcBool b = FcFalse;
    if (FC().FcPatternGetBool(match, FC_EMBOLDEN, 0, &b) == FcResultMatch) {
        f.embolden = b;
    } else {
        int weight = FC_WEIGHT_REGULAR;
        FC().FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        f.embolden = q.Bold() && weight < FC_WEIGHT_DEMIBOLD;
    }
    FcMatrix* m = nullptr;
    if (FC().FcPatternGetMatrix(match, FC_MATRIX, 0, &m) == FcResultMatch && m &&
        (m->xx != 1 || m->xy != 0 || m->yx != 0 || m->yy != 1)) {
        f.matrix[0] = m->xx;
        f.matrix[1] = m->xy;
        f.matrix[2] = m->yx;
        f.matrix[3] = m->yy;
    } else {
        int slant = FC_SLANT_ROMAN;
        FC().FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        f.oblique = q.italic && slant == FC_SLANT_ROMAN;
    }
    FcBool hinting = FcTrue;
    FC().FcPatternGetBool(match, FC_HINTING, 0, &hinting);
    f.hinting = hinting;
    FcBool autohint = FcFalse;
    FC().FcPatternGetBool(match, FC_AUTOHINT, 0, &autohint);
    f.autohint = autohint;
    FcChar8* name = nullptr;
    for (int n = 0; FC().FcPatternGetString(match, FC_FAMILY, n, &name) == FcResultMatch; ++n) {
        f.families.emplace_back(reinterpret_cast<const char*>(name));
        if (f.named < 0 && !q.family.empty() && SameName(q.family, reinterpret_cast<const char*>(name))) f.named = n;
    }
    return f;
}

// The face fontconfig chooses for `q`: the answer it gave before while
// nothing it read has changed, else its answer now (kept for next time).
// Empty when there are no font libraries. `fresh` asks fontconfig in any
// case, for an answer found wanting.
CachedFace Choose(const Request& q, bool fresh = false) {
    const std::string key = q.Key();
    if (!fresh) {
        if (auto known = face_cache::Find(key)) return *known;
    }
    if (!FC().loaded) return {};
    std::lock_guard lock(FontconfigLock());
    Pattern pattern(PatternFor(q));
    FcResult r = FcResultNoMatch;
    Pattern match(FC().FcFontMatch(Config(), pattern.get(), &r));
    if (!match) return {};
    CachedFace answer = Describe(match.get(), q);
    if (Config() && !answer.file.empty()) face_cache::Remember(key, answer, Watched(), Loaded().readAt);
    return answer;
}

}  // namespace

// The faces one renderer draws with: the chosen face and, opened when a
// character needs one, the fallback faces fontconfig ranks after it.
struct GlyphRenderer::Faces {
    struct Face {
        FT_Face face = nullptr;
        bool embolden = false;
        bool oblique = false;
        FT_Int32 loadFlags = FT_LOAD_DEFAULT;
    };

    explicit Faces(const Request& q) : request(q) {}

    Request request;
    Pattern pattern;  // made when fallbacks are first needed
    Face primary;
    int ascent = 0;
    // Underline and strike-out: offset below the baseline and thickness.
    bool underline = false;
    bool strikeOut = false;
    int underlinePos = 0;
    int strikeOutPos = 0;
    int lineThickness = 1;

    FcFontSet* fallbacks = nullptr;
    bool fallbacksSorted = false;
    std::map<std::pair<std::string, int>, Face> opened;

    ~Faces() {
        if (primary.face) FT().FT_Done_Face(primary.face);
        for (auto& [key, f] : opened) {
            if (f.face) FT().FT_Done_Face(f.face);
        }
        if (fallbacks) FC().FcFontSetDestroy(fallbacks);
    }

    // Opens a face at the renderer's size.
    Face Open(const CachedFace& chosen) const {
        Face f;
        if (chosen.file.empty() || !Library()) return f;
        if (FT().FT_New_Face(Library(), chosen.file.c_str(), chosen.index, &f.face) != 0) {
            f.face = nullptr;
            return f;
        }
        const int pixels = request.pixels;
        if (FT_IS_SCALABLE(f.face)) {
            FT().FT_Set_Pixel_Sizes(f.face, 0, static_cast<FT_UInt>(pixels));
        } else if (f.face->num_fixed_sizes > 0) {
            // A bitmap face: the strike nearest the size asked for.
            int best = 0;
            for (int i = 1; i < f.face->num_fixed_sizes; ++i) {
                if (std::abs(f.face->available_sizes[i].height - pixels) <
                    std::abs(f.face->available_sizes[best].height - pixels))
                    best = i;
            }
            FT().FT_Select_Size(f.face, best);
        }
        f.embolden = chosen.embolden;
        f.oblique = chosen.oblique;
        if (chosen.Transformed()) {
            FT_Matrix ft{static_cast<FT_Fixed>(chosen.matrix[0] * 0x10000), static_cast<FT_Fixed>(chosen.matrix[1] * 0x10000),
                         static_cast<FT_Fixed>(chosen.matrix[2] * 0x10000), static_cast<FT_Fixed>(chosen.matrix[3] * 0x10000)};
            FT().FT_Set_Transform(f.face, &ft, nullptr);
        }
        // Hinted for monochrome, as Qt draws text without antialiasing; a
        // glyph as large as a cell of the largest fonts (64 pixels and up)
        // is drawn from its outline as designed, as Qt draws such glyphs:
        // hinting changes nothing there a printer font could use.
        f.loadFlags = chosen.hinting && pixels < kLargestHinted ? FT_LOAD_TARGET_MONO : FT_LOAD_NO_HINTING;
        if (chosen.autohint) f.loadFlags |= FT_LOAD_FORCE_AUTOHINT;
        return f;
    }

    // The face that draws `c` and its glyph; glyph 0 when none can.
    std::pair<const Face*, FT_UInt> Find(char32_t c) {
        if (primary.face) {
            if (const FT_UInt g = FT().FT_Get_Char_Index(primary.face, c)) return {&primary, g};
        }
        if (!fallbacksSorted && FC().loaded) {
            fallbacksSorted = true;
            std::lock_guard lock(FontconfigLock());
            pattern.reset(PatternFor(request));
            FcResult r = FcResultNoMatch;
            fallbacks = FC().FcFontSort(Config(), pattern.get(), FcTrue, nullptr, &r);
        }
        if (!fallbacks) return {nullptr, 0};
        for (int i = 0; i < fallbacks->nfont; ++i) {
            FcCharSet* set = nullptr;
            if (FC().FcPatternGetCharSet(fallbacks->fonts[i], FC_CHARSET, 0, &set) != FcResultMatch ||
                !FC().FcCharSetHasChar(set, c))
                continue;
            FcChar8* file = nullptr;
            int index = 0;
            if (FC().FcPatternGetString(fallbacks->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
            FC().FcPatternGetInteger(fallbacks->fonts[i], FC_INDEX, 0, &index);
            const auto key = std::make_pair(std::string(reinterpret_cast<const char*>(file)), index);
            auto it = opened.find(key);
            if (it == opened.end()) {
                std::lock_guard lock(FontconfigLock());
                Pattern match(FC().FcFontRenderPrepare(Config(), pattern.get(), fallbacks->fonts[i]));
                it = opened.emplace(key, match ? Open(Describe(match.get(), request)) : Face{}).first;
            }
            if (it->second.face) {
                if (const FT_UInt g = FT().FT_Get_Char_Index(it->second.face, c)) return {&it->second, g};
            }
        }
        return {nullptr, 0};
    }
};

int GlyphRenderer::PixelSize(const LogFontRecord& lf) {
    if (lf.lfHeight < 0) return std::clamp(-static_cast<long long>(lf.lfHeight), 1LL, static_cast<long long>(kMaxPixels));
    if (lf.lfHeight == 0) return 16;  // 12 points at 96 dpi
    // A cell height: the character height whose ascent plus descent fill it.
    const int cell = std::min(static_cast<int>(lf.lfHeight), kMaxPixels);
    LogFontRecord probe = lf;
    probe.lfHeight = -100;
    GlyphRenderer r(probe, 1252, 1, 1, {});
    const FT_Face f = r.m_faces->primary.face;
    if (!f || !FT_IS_SCALABLE(f) || f->ascender - f->descender <= 0) return cell;
    const double perEm = static_cast<double>(f->ascender - f->descender) / f->units_per_EM;
    return std::clamp(static_cast<int>(std::lround(cell / perEm)), 1, kMaxPixels);
}

GlyphRenderer::GlyphRenderer(const LogFontRecord& lf, std::uint32_t codePage, int width, int height,
                             const ImportPlacement& placement)
    : m_faces(std::make_unique<Faces>(Request(lf, PixelSize(lf)))),
      m_width(std::clamp(width, 0, KalvoFont::kCols)),
      m_height(std::clamp(height, 0, KalvoFont::kRows)),
      m_placement(placement) {
    const CodePageConverter converter(codePage);
    for (int b = 0; b < 256; ++b) {
        const auto u = converter.ToUnicode(static_cast<unsigned char>(b));
        m_unicode[static_cast<std::size_t>(b)] = u ? *u : 0;
    }
    m_direct.width = m_width;
    m_direct.height = m_height;

    Faces& f = *m_faces;
    f.underline = lf.lfUnderline != 0;
    f.strikeOut = lf.lfStrikeOut != 0;
    f.primary = f.Open(Choose(f.request));
    // A kept answer whose face no longer opens: ask fontconfig again.
    if (!f.primary.face) f.primary = f.Open(Choose(f.request, true));
    const FT_Face face = f.primary.face;
    if (!face) return;
    const FT_Size_Metrics& m = face->size->metrics;
    f.ascent = static_cast<int>(std::lround(m.ascender / 64.0));
    // Lines under and through the text as Qt places them: the face's
    // underline position and thickness, the strike-out at its own position
    // or a third of the ascent.
    const double scale = FT_IS_SCALABLE(face) ? m.y_scale / 65536.0 / 64.0 : 0;
    f.lineThickness = std::max(1, static_cast<int>(std::lround(face->underline_thickness * scale)));
    f.underlinePos = std::max(1, static_cast<int>(std::lround(-face->underline_position * scale)));
    const auto* os2 = static_cast<const TT_OS2*>(FT().FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    f.strikeOutPos = os2 && os2->yStrikeoutPosition > 0
                         ? static_cast<int>(std::lround(os2->yStrikeoutPosition * scale))
                         : static_cast<int>(std::lround(f.ascent / 3.0));
}

GlyphRenderer::~GlyphRenderer() = default;

bool GlyphRenderer::Draw(int code) {
    m_direct.rows.fill(0);
    if (code < 0 || code > 255) return false;
    const char32_t c = m_unicode[static_cast<std::size_t>(code)];
    // Control characters (and codes the code page leaves undefined) have no
    // picture of their own; drawing them would only show a missing-glyph box.
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return false;
    Faces& faces = *m_faces;
    const auto [face, glyph] = faces.Find(c);
    if (!face || glyph == 0) return false;

    FT_Face ft = face->face;
    if (FT().FT_Load_Glyph(ft, glyph, face->loadFlags) != 0) return false;
    if (face->embolden) FT().FT_GlyphSlot_Embolden(ft->glyph);
    if (face->oblique) FT().FT_GlyphSlot_Oblique(ft->glyph);
    if (ft->glyph->format != FT_GLYPH_FORMAT_BITMAP && FT().FT_Render_Glyph(ft->glyph, FT_RENDER_MODE_MONO) != 0) {
        return false;
    }

    // The character's cell starts at (x, y): its top on y, its baseline one
    // ascent of the chosen face below.
    const FT_Bitmap& bm = ft->glyph->bitmap;
    const int left = m_placement.x + ft->glyph->bitmap_left;
    const int baseline = m_placement.y + faces.ascent;
    const int top = baseline - ft->glyph->bitmap_top;
    for (int r = 0; r < static_cast<int>(bm.rows); ++r) {
        const int y = top + r;
        if (y < 0 || y >= m_height) continue;
        const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(r) * bm.pitch;
        std::uint64_t bits = 0;
        const int width = static_cast<int>(bm.width);
        const auto put = [&](int k) {
            const int x = left + k;
            if (x >= 0 && x < m_width) bits |= std::uint64_t{1} << (63 - x);
        };
        if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
            // Eight dots a byte, already in the cell's order: each byte is
            // shifted to its place, what falls outside the cell drops off.
            for (int k0 = 0; k0 < width; k0 += 8) {
                std::uint64_t byte = row[k0 >> 3];
                if (width - k0 < 8) byte &= 0xFFu << (8 - (width - k0));
                const int shift = 56 - (left + k0);  // of the byte's first dot
                if (byte == 0 || shift >= 64 || shift <= -8) continue;
                bits |= shift >= 0 ? byte << shift : byte >> -shift;
            }
            if (m_width < 64) bits &= ~(~std::uint64_t{0} >> m_width);
        } else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
            for (int k = 0; k < width; ++k) {
                if (row[k] >= 128) put(k);
            }
        }
        m_direct.rows[static_cast<std::size_t>(y)] |= bits;
    }

    // Underline and strike-out run over the character's advance.
    if (faces.underline || faces.strikeOut) {
        const int advance = static_cast<int>(std::lround(ft->glyph->advance.x / 64.0));
        std::uint64_t span = 0;
        for (int x = std::max(0, m_placement.x); x < std::min(m_width, m_placement.x + advance); ++x)
            span |= std::uint64_t{1} << (63 - x);
        const auto line = [&](int firstRow) {
            for (int y = firstRow; y < firstRow + faces.lineThickness; ++y) {
                if (y >= 0 && y < m_height) m_direct.rows[static_cast<std::size_t>(y)] |= span;
            }
        };
        if (faces.underline) line(baseline + faces.underlinePos - faces.lineThickness / 2);
        if (faces.strikeOut) line(baseline - faces.strikeOutPos - faces.lineThickness / 2);
    }
    return true;
}

void GlyphRenderer::RenderChar(KalvoFont& font, int code) {
    if (code < 0 || code > 255) return;
    Draw(code);
    const int w = m_width;
    const int h = m_height;
    const std::array<std::uint64_t, KalvoFont::kRows>& ink = m_direct.rows;

    // The stretched copy, as a stretch that keeps black wins: a target
    // pixel is black when any source pixel that maps onto it is black, so a
    // shrunk glyph keeps its thin strokes; an enlarged one repeats pixels.
    // The copy is cut to the cell: beyond trunc(w x fx), trunc(h x fy) the
    // cell stays blank.
    const int sw = static_cast<int>(static_cast<float>(w) * m_placement.fx);
    const int sh = static_cast<int>(static_cast<float>(h) * m_placement.fy);
    const int cols = std::clamp(sw, 0, w);
    const int rows = std::clamp(sh, 0, h);
    // At 1 x 1 (the usual case) the copy is the ink itself.
    const bool identity = sw == w && sh == h;
    std::array<std::uint64_t, KalvoFont::kCols> span{};
    for (int k = 0; k < cols && !identity; ++k) {
        const int x0 = k * w / sw;
        const int x1 = std::min(w, std::max(x0 + 1, (k + 1) * w / sw));
        for (int x = x0; x < x1; ++x) span[static_cast<std::size_t>(k)] |= std::uint64_t{1} << (63 - x);
    }
    // The character's rows, written through: the font is the caller's own.
    unsigned char* grid = const_cast<unsigned char*>(font.GetCharBits(code));
    const std::uint64_t colsMask = cols > 0 ? ~std::uint64_t{0} << (64 - cols) : 0;
    for (int r = 0; r < h; ++r) {
        std::uint64_t out = 0;
        if (identity) {
            out = ink[static_cast<std::size_t>(r)] & colsMask;
        } else if (r < rows) {
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
            unsigned char& cell = grid[r * KalvoFont::kRowBytes + b];
            cell = static_cast<unsigned char>((cell & ~mask) | (bits & mask));
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
        if (shown) shown(code, renderer.DirectCell());
    }
}

std::vector<std::string> GlyphRenderer::InstalledFamilies() {
    std::vector<std::string> out;
    if (FC().loaded) {
        std::lock_guard lock(FontconfigLock());
        FcPattern* all = FC().FcPatternCreate();
        FcObjectSet* what = FC().FcObjectSetBuild(FC_FAMILY, nullptr);
        FcFontSet* set = FC().FcFontList(Config(), all, what);
        FC().FcObjectSetDestroy(what);
        FC().FcPatternDestroy(all);
        if (set) {
            for (int i = 0; i < set->nfont; ++i) {
                FcChar8* name = nullptr;
                for (int n = 0; FC().FcPatternGetString(set->fonts[i], FC_FAMILY, n, &name) == FcResultMatch; ++n)
                    out.emplace_back(reinterpret_cast<const char*>(name));
            }
            FC().FcFontSetDestroy(set);
        }
    }
    const auto lower = [](std::string s) {
        for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return s;
    };
    std::sort(out.begin(), out.end(), [&](const std::string& a, const std::string& b) {
        const std::string la = lower(a), lb = lower(b);
        return la != lb ? la < lb : a < b;
    });
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

FaceChoice GlyphRenderer::ChooseFace(const LogFontRecord& lf) {
    FaceChoice choice;
    const CachedFace face = Choose(Request(lf, 16));
    if (face.families.empty()) return choice;
    choice.named = face.named >= 0;
    choice.family = face.families[static_cast<std::size_t>(std::max(0, face.named))];
    return choice;
}
