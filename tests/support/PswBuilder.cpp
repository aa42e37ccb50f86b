#include "PswBuilder.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace pswtest {

// ---- Scrambling --------------------------------------------------------

namespace {
std::uint8_t Rotl(std::uint8_t x, unsigned k) {
    k &= 7;
    return k == 0 ? x : static_cast<std::uint8_t>((x << k) | (x >> (8 - k)));
}
std::uint8_t Rotr(std::uint8_t x, unsigned k) {
    k &= 7;
    return k == 0 ? x : static_cast<std::uint8_t>((x >> k) | (x << (8 - k)));
}
}  // namespace

std::uint8_t ScrambleGsi(std::uint8_t gsi, std::uint8_t s) {
    return s == 0 ? gsi : static_cast<std::uint8_t>(~(gsi ^ s));
}

// Odd scramble bytes rotate by ((p >> 2) & 7) after complementing and
// XOR-ing; even ones XOR and rotate right by ((p >> 5) & 7).
void ScrambleBuffer(std::uint8_t* buf, std::size_t n, std::uint32_t position, std::uint8_t s) {
    if (s == 0) return;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t p = position + static_cast<std::uint32_t>(i);
        if (s & 1) {
            buf[i] = Rotl(static_cast<std::uint8_t>(~buf[i] ^ s), (p >> 2) & 7);
        } else {
            buf[i] = Rotr(static_cast<std::uint8_t>(buf[i] ^ s), (p >> 5) & 7);
        }
    }
}

void UnscrambleBuffer(std::uint8_t* buf, std::size_t n, std::uint32_t position, std::uint8_t s) {
    if (s == 0) return;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t p = position + static_cast<std::uint32_t>(i);
        if (s & 1) {
            buf[i] = static_cast<std::uint8_t>(~s ^ Rotr(buf[i], (p >> 2) & 7));
        } else {
            buf[i] = static_cast<std::uint8_t>(Rotl(buf[i], (p >> 5) & 7) ^ s);
        }
    }
}

// ---- Helpers -----------------------------------------------------------

namespace {
void PutText(std::uint8_t* dst, const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) dst[i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
}
void Put24(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 16);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    Put24(p + 1, v);
}
std::uint8_t U8(std::size_t v) { return static_cast<std::uint8_t>(v); }
std::uint32_t U32(std::size_t v) { return static_cast<std::uint32_t>(v); }

// Bytes 0..23 of the printer block, the same in both generations.
void PutPrinter(std::uint8_t* b, const PrinterSpec& p) {
    b[0] = 'P';
    PutText(b + 1, p.name, 8);
    PutText(b + 9, p.hwRelease, 2);
    PutText(b + 11, p.swRelease, 3);
    PutText(b + 14, p.date, 6);
    b[20] = p.initBank;
    b[21] = ScrambleGsi(p.gsiModel, p.scrByte);
    b[22] = p.portType;
    b[23] = p.scrByte;
    b[25] = p.byte25;
}

void PutFontCommon(std::uint8_t* b, const FontSpec& f) {
    b[3] = f.width;
    b[4] = f.height;
    b[5] = f.first;
    b[6] = f.last;
}

void PutMargins(std::uint8_t* b, const FontSpec& f) {
    b[0] = static_cast<std::uint8_t>(f.orientation);
    b[1] = static_cast<std::uint8_t>(f.marginLeft);
    b[2] = static_cast<std::uint8_t>(f.marginRight);
    b[3] = static_cast<std::uint8_t>(f.marginUp);
    b[4] = static_cast<std::uint8_t>(f.marginBottom);
    b[5] = f.byteOrder;
}

Bytes FontData(const FontSpec& f, int index) { return f.data.empty() ? DefaultFontData(f, index) : f.data; }
}  // namespace

std::size_t FontSpec::BytesPerRow() const {
    const int bits = int{width} + marginLeft + marginRight;
    return bits <= 0 ? 0 : static_cast<std::size_t>((bits + 7) / 8);
}

std::size_t FontSpec::BlockSize() const {
    const std::size_t chars = last >= first ? std::size_t{last} - first + 1 : 0;
    return BytesPerRow() * height * chars;
}

Bytes DefaultFontData(const FontSpec& font, int index) {
    Bytes d(font.BlockSize());
    for (std::size_t j = 0; j < d.size(); ++j) d[j] = static_cast<std::uint8_t>(j * 7 + static_cast<std::size_t>(index) * 13 + 1);
    return d;
}

std::array<std::uint8_t, 4> ImageSums(const Bytes& plain, std::size_t n) {
    std::uint16_t sum = 0, xsum = 0;
    for (std::size_t i = 0; i < n && i < plain.size(); ++i) {
        sum = static_cast<std::uint16_t>(sum + plain[i]);
        xsum = static_cast<std::uint16_t>(xsum + (plain[i] ^ (i & 0xFF)));
    }
    return {U8(sum >> 8), U8(sum & 0xFF), U8(xsum >> 8), U8(xsum & 0xFF)};
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

// ---- First generation --------------------------------------------------

int Psw1Builder::AddBank(std::uint8_t number, Bytes data) {
    data.resize(bankSize, 0xFF);
    m_banks.push_back({number, std::move(data)});
    return static_cast<int>(m_banks.size()) - 1;
}

int Psw1Builder::AddLogo(LogoSpec logo) {
    m_logos.push_back(std::move(logo));
    return static_cast<int>(m_logos.size()) - 1;
}

int Psw1Builder::AddFont(FontSpec font) {
    m_fonts.push_back(std::move(font));
    return static_cast<int>(m_fonts.size()) - 1;
}

std::uint32_t Psw1Builder::LogoBlocks() const {
    return m_logos.empty() ? (emptyLogoBlock ? 1u : 0u) : U32(m_logos.size());
}

std::uint32_t Psw1Builder::HeaderSize() const {
    return 32 * (1 + U32(m_banks.size()) + LogoBlocks() + U32(m_fonts.size()) + U32(extraBlocks.size())) + 8;
}

std::uint32_t Psw1Builder::BlockOffset(char tag, int i) const {
    const std::uint32_t banks = U32(m_banks.size());
    const std::uint32_t k = static_cast<std::uint32_t>(i);
    switch (tag) {
        case 'P': return 0;
        case 'S': return 32 * (1 + k);
        case 'L': return 32 * (1 + banks + k);
        case 'F': return 32 * (1 + banks + LogoBlocks() + k);
        case '@': return 32 * (1 + banks + LogoBlocks() + U32(m_fonts.size()) + U32(extraBlocks.size()));
        default: throw std::out_of_range("no such block");
    }
}

std::uint32_t Psw1Builder::BankPosition(int i) const { return bankSize * static_cast<std::uint32_t>(i); }

std::uint32_t Psw1Builder::LogoPosition(int i) const {
    std::uint32_t pos = bankSize * U32(m_banks.size());
    for (int j = 0; j < i; ++j) pos += U32(m_logos[static_cast<std::size_t>(j)].data.size());
    return pos;
}

std::uint32_t Psw1Builder::FontPosition(int i) const {
    std::uint32_t pos = LogoPosition(static_cast<int>(m_logos.size()));
    for (int j = 0; j < i; ++j) pos += U32(FontData(m_fonts[static_cast<std::size_t>(j)], j).size());
    return pos;
}

Bytes Psw1Builder::PlainBinary() const {
    Bytes bin;
    for (const auto& b : m_banks) bin.insert(bin.end(), b.data.begin(), b.data.end());
    for (const auto& l : m_logos) bin.insert(bin.end(), l.data.begin(), l.data.end());
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        const Bytes d = FontData(m_fonts[i], static_cast<int>(i));
        bin.insert(bin.end(), d.begin(), d.end());
    }
    bin.insert(bin.end(), tail.begin(), tail.end());
    return bin;
}

std::uint32_t Psw1Builder::BinarySize() const { return U32(PlainBinary().size()); }

Bytes Psw1Builder::Build() const {
    const std::uint32_t header = HeaderSize();
    Bytes bin = PlainBinary();
    Bytes out(header, 0);

    std::uint8_t* p = out.data();
    PutPrinter(p, printer);
    std::copy(printer.sums.begin(), printer.sums.end(), p + 26);

    for (std::size_t i = 0; i < m_banks.size(); ++i) {
        std::uint8_t* b = out.data() + BlockOffset('S', static_cast<int>(i));
        b[0] = 'S';
        b[1] = m_banks[i].number;
        b[2] = U8(m_banks.size());
        Put24(b + 3, BankPosition(static_cast<int>(i)));
    }
    if (m_logos.empty() && emptyLogoBlock) {
        std::uint8_t* b = out.data() + BlockOffset('L');
        b[0] = 'L';
        b[1] = 1;
        b[2] = 0;
    }
    for (std::size_t i = 0; i < m_logos.size(); ++i) {
        std::uint8_t* b = out.data() + BlockOffset('L', static_cast<int>(i));
        const LogoSpec& l = m_logos[i];
        b[0] = 'L';
        b[1] = U8(i + 1);
        b[2] = U8(m_logos.size());
        std::copy(l.prop1.begin(), l.prop1.end(), b + 3);
        std::copy(l.prop2.begin(), l.prop2.end(), b + 5);
        Put24(b + 7, LogoPosition(static_cast<int>(i)));
        b[10] = l.colours;
    }
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        std::uint8_t* b = out.data() + BlockOffset('F', static_cast<int>(i));
        const FontSpec& f = m_fonts[i];
        b[0] = 'F';
        b[1] = U8(i + 1);
        b[2] = U8(m_fonts.size());
        PutFontCommon(b, f);
        Put24(b + 7, FontPosition(static_cast<int>(i)));
        PutMargins(b + 10, f);
    }
    const std::uint32_t extraAt = BlockOffset('F', static_cast<int>(m_fonts.size()));
    for (std::size_t i = 0; i < extraBlocks.size(); ++i) {
        const Bytes& e = extraBlocks[i];
        std::copy_n(e.begin(), std::min<std::size_t>(e.size(), 32), out.begin() + extraAt + 32 * i);
    }
    std::uint8_t* at = out.data() + BlockOffset('@');
    at[0] = '@';
    Put24(at + 1, U32(bin.size()));
    at[4] = U8(m_banks.size());
    Put24(at + 5, bankSize);

    ScrambleBuffer(bin.data(), bin.size(), 0, printer.scrByte);
    out.insert(out.end(), bin.begin(), bin.end());
    return out;
}

void Psw1Builder::Write(const std::string& path) const { WriteBytes(path, Build()); }

// ---- Second generation -------------------------------------------------

struct Psw2Builder::Layout {
    struct Block {
        char tag;
        int index;
        std::uint32_t offset;
    };
    std::vector<Block> blocks;
    std::uint32_t header = 0;
    // Positions within the binary contents.
    std::uint32_t software = 0, usb = 0, boot = 0;
    std::vector<std::uint32_t> generic, fonts, propFonts, modules;
    Bytes bin;
};

Psw2Builder::Layout Psw2Builder::Plan() const {
    Layout l;
    std::uint32_t off = 0;
    for (char tag : order) {
        std::size_t n = 0;
        switch (tag) {
            case 'P': case 's': case '?': n = 1; break;
            case 'Q': n = supported.size(); break;
            case 'f': n = m_fonts.size(); break;
            case 'u': n = usbLoader ? 1 : 0; break;
            case 'b': n = bootLoader ? 1 : 0; break;
            case 'd': n = genericData.size(); break;
            case 'C': n = propFonts.size(); break;
            case 'm': n = modules.size(); break;
            default: throw std::invalid_argument("unknown block kind in order");
        }
        for (std::size_t i = 0; i < n; ++i) {
            l.blocks.push_back({tag, static_cast<int>(i), off});
            off += 32;
        }
    }
    if (!l.blocks.empty() && l.blocks.back().tag == '?') off -= 27;
    l.header = off;

    const auto place = [&l](const Bytes& d) {
        const std::uint32_t pos = U32(l.bin.size());
        l.bin.insert(l.bin.end(), d.begin(), d.end());
        return pos;
    };
    l.software = place(software.data);
    if (usbLoader) l.usb = place(usbLoader->data);
    if (bootLoader) l.boot = place(bootLoader->data);
    for (const auto& g : genericData) l.generic.push_back(place(g.data));
    for (std::size_t i = 0; i < m_fonts.size(); ++i) l.fonts.push_back(place(FontData(m_fonts[i], static_cast<int>(i))));
    for (const auto& c : propFonts) l.propFonts.push_back(place(c.data));
    for (const auto& m : modules) l.modules.push_back(place(m.data));
    place(tail);
    return l;
}

int Psw2Builder::AddFont(FontSpec font) {
    m_fonts.push_back(std::move(font));
    return static_cast<int>(m_fonts.size()) - 1;
}

int Psw2Builder::AddModule(ModuleSpec module) {
    modules.push_back(std::move(module));
    return static_cast<int>(modules.size()) - 1;
}

int Psw2Builder::AddSoftwareModule(const std::string& release4) {
    ModuleSpec m;
    m.type = 's';
    m.data.assign(32, 0);
    for (std::size_t i = 0; i < 4 && i < release4.size(); ++i) m.data[9 + i] = static_cast<std::uint8_t>(release4[i]);
    return AddModule(std::move(m));
}

std::uint32_t Psw2Builder::HeaderSize() const { return Plan().header; }
std::uint32_t Psw2Builder::BinarySize() const { return U32(Plan().bin.size()); }
Bytes Psw2Builder::PlainBinary() const { return Plan().bin; }

std::uint32_t Psw2Builder::BlockOffset(char tag, int i) const {
    for (const auto& b : Plan().blocks) {
        if (b.tag == tag && b.index == i) return b.offset;
    }
    throw std::out_of_range(std::string("no block ") + tag);
}

std::uint32_t Psw2Builder::FontOffset(int i) const {
    const Layout l = Plan();
    return l.header + l.fonts.at(static_cast<std::size_t>(i));
}

std::uint32_t Psw2Builder::PropFontOffset(int i) const {
    const Layout l = Plan();
    return l.header + l.propFonts.at(static_cast<std::size_t>(i));
}

std::uint32_t Psw2Builder::ModuleAddress(int i) const {
    const Layout l = Plan();
    const ModuleSpec& m = modules.at(static_cast<std::size_t>(i));
    return m.address ? *m.address : l.header + l.modules[static_cast<std::size_t>(i)];
}

std::uint32_t Psw2Builder::ModuleSize(int i) const {
    const ModuleSpec& m = modules.at(static_cast<std::size_t>(i));
    return m.size ? *m.size : U32(m.data.size());
}

std::uint32_t Psw2Builder::PayloadOffset(char tag, int i) const {
    const Layout l = Plan();
    switch (tag) {
        case 's': return l.header + l.software;
        case 'u': return l.header + l.usb;
        case 'b': return l.header + l.boot;
        case 'd': return l.header + l.generic.at(static_cast<std::size_t>(i));
        default: throw std::out_of_range("no payload");
    }
}

Bytes Psw2Builder::Build() const {
    const Layout l = Plan();
    Bytes out(l.header, 0);
    const auto payload = [&](std::uint8_t* b, std::uint32_t pos, const PayloadSpec& s) {
        Put32(b, l.header + pos);
        std::copy(s.carried3.begin(), s.carried3.end(), b + 4);
        b[7] = s.carried1;
    };
    for (const auto& blk : l.blocks) {
        std::uint8_t* b = out.data() + blk.offset;
        const auto i = static_cast<std::size_t>(blk.index);
        b[0] = static_cast<std::uint8_t>(blk.tag);
        switch (blk.tag) {
            case 'P':
                PutPrinter(b, printer);
                b[24] = '2';
                break;
            case 'Q': {
                const SupportedPrinterSpec& q = supported[i];
                b[1] = U8(i + 1);
                b[2] = U8(supported.size());
                PutText(b + 3, q.name, 8);
                PutText(b + 11, q.hwRelease, 2);
                PutText(b + 13, q.swRelease, 3);
                PutText(b + 16, q.date, 6);
                b[22] = q.byte22;
                b[23] = ScrambleGsi(q.gsiModel, printer.scrByte);
                b[24] = q.byte24;
                b[25] = q.byte25;
                break;
            }
            case 's': payload(b + 3, l.software, software); break;
            case 'u': payload(b + 1, l.usb, *usbLoader); break;
            case 'b': payload(b + 1, l.boot, *bootLoader); break;
            case 'd':
                b[1] = U8(i + 1);
                b[2] = U8(genericData.size());
                payload(b + 3, l.generic[i], genericData[i]);
                break;
            case 'f': {
                const FontSpec& f = m_fonts[i];
                b[1] = U8(i + 1);
                b[2] = U8(m_fonts.size());
                PutFontCommon(b, f);
                Put32(b + 7, l.header + l.fonts[i]);
                PutMargins(b + 11, f);
                std::copy(f.carried.begin(), f.carried.end(), b + 17);
                break;
            }
            case 'C': {
                const PropFontSpec& c = propFonts[i];
                b[1] = U8(i + 1);
                b[2] = U8(propFonts.size());
                std::copy(c.props1.begin(), c.props1.end(), b + 3);
                std::copy(c.prop4.begin(), c.prop4.end(), b + 7);
                Put32(b + 11, l.header + l.propFonts[i]);
                std::copy(c.props2.begin(), c.props2.end(), b + 15);
                std::copy(c.carried.begin(), c.carried.end(), b + 19);
                break;
            }
            case 'm': {
                const ModuleSpec& m = modules[i];
                b[1] = static_cast<std::uint8_t>(m.type);
                b[2] = m.number;
                b[3] = m.count;
                Put32(b + 4, m.address ? *m.address : l.header + l.modules[i]);
                Put32(b + 8, m.size ? *m.size : U32(m.data.size()));
                break;
            }
            case '?': Put32(b + 1, U32(l.bin.size())); break;
            default: break;
        }
    }
    Bytes bin = l.bin;
    ScrambleBuffer(bin.data(), bin.size(), 0, printer.scrByte);
    out.insert(out.end(), bin.begin(), bin.end());
    return out;
}

void Psw2Builder::Write(const std::string& path) const { WriteBytes(path, Build()); }

}  // namespace pswtest
