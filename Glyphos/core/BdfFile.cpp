#include "BdfFile.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <set>
#include <string_view>

namespace {

// Properties of our own, carrying what BDF has no field for.
constexpr std::string_view kPropRecord = "GLYPHOS_RECORD";
constexpr std::string_view kPropGeneration = "GLYPHOS_GENERATION";
constexpr std::string_view kPropCodePage = "GLYPHOS_CODEPAGE";

std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t b = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > b) out.push_back(line.substr(b, i - b));
    }
    return out;
}

// Numbers of a BDF file are small; anything beyond a million is damage.
bool Int(std::string_view t, long& v) {
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return r.ec == std::errc() && r.ptr == t.data() + t.size() && v > -1000000 && v < 1000000;
}

// The value of a property line: a quoted string (with "" for a quote) or
// the rest of the line.
std::string PropertyValue(std::string_view line, std::string_view keyword) {
    std::string_view rest = line.substr(std::min(line.size(), keyword.size()));
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
    if (rest.size() < 2 || rest.front() != '"') return std::string(rest);
    std::string out;
    for (std::size_t i = 1; i < rest.size(); ++i) {
        if (rest[i] == '"') {
            if (i + 1 < rest.size() && rest[i + 1] == '"') {
                out += '"';
                ++i;
                continue;
            }
            break;
        }
        out += rest[i];
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += (c == '\n' || c == '\r') ? ' ' : c;
    }
    return out + '"';
}

// An XLFD field may not hold its separators or wildcards.
std::string XlfdField(const std::string& s) {
    std::string out;
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        out += (c == '-' || c == '*' || c == '?' || c == ',' || c == '"' || u < 32 || u > 126) ? ' ' : c;
    }
    return out.empty() ? std::string("Printer") : out;
}

struct Box {
    long w = 0, h = 0, x = 0, y = 0;
};

bool ParseBox(const std::vector<std::string_view>& t, Box& b) {
    return t.size() >= 5 && Int(t[1], b.w) && Int(t[2], b.h) && Int(t[3], b.x) && Int(t[4], b.y) && b.w >= 0 &&
           b.h >= 0;
}

// The lines of a text one at a time: a file of millions of empty lines
// costs no table of them.
class Lines {
public:
    explicit Lines(std::string_view text) : m_text(text) {}
    bool Next(std::string_view& line) {
        if (m_pos >= m_text.size()) return false;
        std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos) end = m_text.size();
        line = m_text.substr(m_pos, end - m_pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        m_pos = end + 1;
        ++m_number;
        return true;
    }
    // 1-based number of the line Next gave last.
    std::size_t Number() const { return m_number; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_number = 0;
};

// Our property record, checked against what the dots themselves say: a
// record no printer font can be is refused (it would make a font file that
// no reader takes back), and where its size and the bounding box disagree the
// bounding box is what the glyphs were drawn in, so it wins.
bool TakeRecord(BitmapFont::Printer p, const Box& fbb, BitmapFont& out, std::string& error,
                std::vector<std::string>* warnings) {
    const int w = p.record[3], h = p.record[4], first = p.record[5], last = p.record[6];
    if (w < 1 || w > BitmapFont::kMaxWidth || h < 1 || h > BitmapFont::kMaxHeight || first > last) {
        error = std::string(kPropRecord) + " describes a font of " + std::to_string(w) + " x " + std::to_string(h) +
                " dots, characters " + std::to_string(first) + ".." + std::to_string(last) +
                ", which no printer font can be (1..64 x 1..96 dots, first character not above the last)";
        return false;
    }
    // The cell may be wider than the record: dots a margin left beyond the
    // width travel in it.
    if (h != fbb.h || w > fbb.w) {
        if (warnings) {
            warnings->push_back(std::string(kPropRecord) + " gives " + std::to_string(w) + " x " + std::to_string(h) +
                                " dots, FONTBOUNDINGBOX " + std::to_string(fbb.w) + " x " + std::to_string(fbb.h) +
                                ": the bounding box is taken");
        }
        p.record[3] = static_cast<unsigned char>(std::min<long>(w, fbb.w));
        p.record[4] = static_cast<unsigned char>(fbb.h);
    }
    out.printer = std::move(p);
    return true;
}

}  // namespace

bool BdfFile::Read(const std::vector<unsigned char>& data, BitmapFont& out, std::string& error,
                   std::vector<std::string>* warnings) {
    out = BitmapFont{};
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    Lines lines(text);
    std::string_view line;
    const auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lines.Number()) + ": " + why;
        return false;
    };
    if (!lines.Next(line) || Tokens(line).empty() || Tokens(line)[0] != "STARTFONT") {
        error = "not a BDF file (it does not begin with STARTFONT)";
        return false;
    }
    Box fbb;
    bool haveFbb = false, ended = false;
    std::string fontName, family, registry, recordHex;
    long generation = -1, codePage = 0, ascent = -1;
    std::size_t glyphCount = 0;
    while (!ended && lines.Next(line)) {
        const auto t = Tokens(line);
        if (t.empty()) continue;
        const std::string_view k = t[0];
        if (k == "FONT") {
            fontName = PropertyValue(line, "FONT");
        } else if (k == "FONTBOUNDINGBOX") {
            if (!ParseBox(t, fbb) || fbb.w < 1 || fbb.h < 1) return fail("bad FONTBOUNDINGBOX");
            if (fbb.w > BitmapFont::kMaxWidth || fbb.h > BitmapFont::kMaxHeight) {
                error = BitmapFont::TooLarge(fbb.w, fbb.h);
                return false;
            }
            haveFbb = true;
        } else if (k == "FAMILY_NAME") {
            family = PropertyValue(line, k);
        } else if (k == "CHARSET_REGISTRY") {
            registry = PropertyValue(line, k);
        } else if (k == "FONT_ASCENT") {
            if (t.size() < 2 || !Int(t[1], ascent)) return fail("bad FONT_ASCENT");
        } else if (k == kPropRecord) {
            recordHex = PropertyValue(line, k);
        } else if (k == kPropGeneration) {
            if (t.size() < 2 || !Int(t[1], generation)) return fail("bad " + std::string(kPropGeneration));
        } else if (k == kPropCodePage) {
            if (t.size() < 2 || !Int(t[1], codePage)) return fail("bad " + std::string(kPropCodePage));
        } else if (k == "ENDFONT") {
            ended = true;
        } else if (k == "STARTCHAR") {
            if (!haveFbb) return fail("a glyph comes before FONTBOUNDINGBOX");
            // Every glyph costs a whole cell in memory however little of the
            // file it takes: the count is what bounds the memory.
            if (++glyphCount > BitmapFont::kMaxGlyphs)
                return fail("more than " + std::to_string(BitmapFont::kMaxGlyphs) + " glyphs");
            long enc = -1, alt = -1;
            bool haveEnc = false;
            Box bbx = fbb;
            BitmapFont::Rows rows(static_cast<std::size_t>(fbb.h), 0);
            bool done = false;
            while (!done && lines.Next(line)) {
                const auto g = Tokens(line);
                if (g.empty()) continue;
                if (g[0] == "ENCODING") {
                    if (g.size() < 2 || !Int(g[1], enc)) return fail("bad ENCODING");
                    if (g.size() >= 3 && !Int(g[2], alt)) return fail("bad ENCODING");
                    haveEnc = true;
                } else if (g[0] == "BBX") {
                    if (!ParseBox(g, bbx)) return fail("bad BBX");
                    // Cut to the cell, a larger glyph would lose dots unseen.
                    if (bbx.w > BitmapFont::kMaxWidth || bbx.h > BitmapFont::kMaxHeight)
                        return fail(BitmapFont::TooLarge(bbx.w, bbx.h));
                } else if (g[0] == "ENDCHAR") {
                    return fail("ENDCHAR without BITMAP");
                } else if (g[0] == "BITMAP") {
                    // Row r of the glyph lies on cell row (baseline - glyph top) + r.
                    const long top = (fbb.h + fbb.y) - (bbx.h + bbx.y);
                    const long left = bbx.x - fbb.x;
                    long r = 0;
                    bool closed = false;
                    for (; lines.Next(line); ++r) {
                        const auto h = Tokens(line);
                        if (!h.empty() && h[0] == "ENDCHAR") {
                            closed = true;
                            break;
                        }
                        if (r >= bbx.h) return fail("more bitmap rows than the BBX says");
                        const std::string_view hex = h.empty() ? std::string_view() : h[0];
                        const long row = top + r;
                        for (std::size_t d = 0; d < hex.size(); ++d) {
                            const int v = HexDigit(hex[d]);
                            if (v < 0) return fail("bad bitmap row");
                            for (int b = 0; b < 4; ++b) {
                                const long bit = static_cast<long>(d) * 4 + b;
                                const long col = left + bit;
                                if ((v & (8 >> b)) && bit < bbx.w && row >= 0 && row < fbb.h && col >= 0 &&
                                    col < fbb.w) {
                                    rows[static_cast<std::size_t>(row)] |= BitmapFont::Bit(static_cast<int>(col));
                                }
                            }
                        }
                    }
                    if (!closed) return fail("the file ends inside a glyph");
                    done = true;
                }
            }
            if (!done) return fail("the file ends inside a glyph");
            if (!haveEnc) return fail("a glyph without ENCODING");
            if (enc >= 0 && enc <= 0x10FFFF) {
                out.glyphs[static_cast<std::uint32_t>(enc)] = std::move(rows);
            } else if (enc == -1 && alt >= 0) {
                out.unmapped[static_cast<std::uint32_t>(alt)] = std::move(rows);
            }
        }
    }
    if (!ended) {
        error = "the file ends before ENDFONT";
        return false;
    }
    if (!haveFbb) {
        error = "no FONTBOUNDINGBOX";
        return false;
    }
    out.width = static_cast<int>(fbb.w);
    out.height = static_cast<int>(fbb.h);
    out.ascent = static_cast<int>(std::clamp<long>(ascent >= 0 ? ascent : fbb.h + fbb.y, 0, fbb.h));
    out.name = !family.empty() ? family : fontName;
    std::string reg = registry;
    std::transform(reg.begin(), reg.end(), reg.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    out.unicode = reg.rfind("ISO10646", 0) == 0;

    // A record of ours only counts when it is whole.
    const std::size_t recordBytes = generation == 1 ? 30 : 16;
    if ((generation == 0 || generation == 1) && recordHex.size() == recordBytes * 2) {
        BitmapFont::Printer p;
        p.generation = static_cast<int>(generation);
        p.codePage = static_cast<int>(codePage);
        for (std::size_t b = 0; b < recordBytes; ++b) {
            const int hi = HexDigit(recordHex[2 * b]), lo = HexDigit(recordHex[2 * b + 1]);
            if (hi < 0 || lo < 0) return true;
            p.record.push_back(static_cast<unsigned char>(hi * 16 + lo));
        }
        return TakeRecord(std::move(p), fbb, out, error, warnings);
    }
    return true;
}

std::string BdfFile::Write(const BitmapFont& font) {
    const int w = font.width, h = font.height;
    const int descent = h - std::clamp(font.ascent, 0, h);
    const bool unicode = !font.unicodeOf.empty();
    // Which key each glyph is written under.
    std::vector<std::pair<long, std::uint32_t>> keys;  // ENCODING value (-1: none), font code
    std::set<std::uint32_t> taken;
    for (const auto& [code, rows] : font.glyphs) {
        long enc = code;
        if (unicode) {
            const auto u = font.unicodeOf.find(code);
            enc = (u != font.unicodeOf.end() && taken.insert(u->second).second) ? static_cast<long>(u->second) : -1;
        }
        keys.emplace_back(enc, code);
    }
    std::string s;
    char buf[256];
    const auto line = [&](const char* fmt, auto... args) {
        if constexpr (sizeof...(args) == 0) {
            s += fmt;
        } else {
            std::snprintf(buf, sizeof buf, fmt, args...);
            s += buf;
        }
        s += '\n';
    };
    line("STARTFONT 2.1");
    s += "FONT -Kalvo-" + XlfdField(font.name) + "-Medium-R-Normal--" + std::to_string(h) + "-" +
         std::to_string(h * 10) + "-75-75-C-" + std::to_string(w * 10) + (unicode ? "-ISO10646-1" : "-FontSpecific-0") +
         "\n";
    line("SIZE %d 75 75", h);
    line("FONTBOUNDINGBOX %d %d 0 %d", w, h, -descent);
    const int props = 17 + (font.printer ? 3 : 0);
    line("STARTPROPERTIES %d", props);
    line("FOUNDRY \"Kalvo\"");
    s += "FAMILY_NAME " + Quoted(font.name) + "\n";
    line("WEIGHT_NAME \"Medium\"");
    line("SLANT \"R\"");
    line("SETWIDTH_NAME \"Normal\"");
    line("ADD_STYLE_NAME \"\"");
    line("PIXEL_SIZE %d", h);
    line("POINT_SIZE %d", h * 10);
    line("RESOLUTION_X 75");
    line("RESOLUTION_Y 75");
    line("SPACING \"C\"");
    line("AVERAGE_WIDTH %d", w * 10);
    line("CHARSET_REGISTRY \"%s\"", unicode ? "ISO10646" : "FontSpecific");
    line("CHARSET_ENCODING \"%s\"", unicode ? "1" : "0");
    line("FONT_ASCENT %d", h - descent);
    line("FONT_DESCENT %d", descent);
    // A character to show for codes the font lacks: its first glyph's key.
    const long defaultChar = keys.empty() ? 0 : std::max(0L, keys.front().first);
    line("DEFAULT_CHAR %ld", defaultChar);
    if (font.printer) {
        std::string hex;
        for (unsigned char b : font.printer->record) {
            std::snprintf(buf, sizeof buf, "%02X", b);
            hex += buf;
        }
        s += std::string(kPropRecord) + " \"" + hex + "\"\n";
        line("%s %d", kPropGeneration.data(), font.printer->generation);
        line("%s %d", kPropCodePage.data(), font.printer->codePage);
    }
    line("ENDPROPERTIES");

    line("CHARS %zu", keys.size());
    const int swidth = h > 0 ? (w * 72000 + h * 75 / 2) / (h * 75) : 0;
    const int rowBytes = (w + 7) / 8;
    for (const auto& [enc, code] : keys) {
        if (enc >= 0) {
            line(unicode ? "STARTCHAR uni%04lX" : "STARTCHAR C%03ld", enc);
            line("ENCODING %ld", enc);
        } else {
            line("STARTCHAR X%03u", code);
            line("ENCODING -1 %u", code);
        }
        line("SWIDTH %d 0", swidth);
        line("DWIDTH %d 0", w);
        line("BBX %d %d 0 %d", w, h, -descent);
        line("BITMAP");
        const BitmapFont::Rows& rows = font.glyphs.at(code);
        for (int r = 0; r < h; ++r) {
            const std::uint64_t v = r < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(r)] : 0;
            for (int b = 0; b < rowBytes; ++b) {
                std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>((v >> (56 - 8 * b)) & 0xFF));
                s += buf;
            }
            s += '\n';
        }
        line("ENDCHAR");
    }
    line("ENDFONT");
    return s;
}
