// Builds PSW (first generation) and PSW2 upgrade files for tests, byte for
// byte as the file layouts define them, from a plain description: printer
// header, banks, logos, fonts with their data blocks, supported printers,
// loaders, generic data, proportional fonts and modules.
//
// The binary contents can be written scrambled with any scramble byte. The
// scrambling is implemented here on its own, without the library, so that the
// library's scrambler can be checked against it.
//
// Typical use:
//   pswtest::Psw1Builder b;
//   b.printer.name = "KP300";
//   b.printer.scrByte = 0x35;
//   b.AddBank(0);
//   int f = b.AddFont({.width = 12, .height = 24, .first = 32, .last = 127, .marginLeft = 1});
//   b.Write(path);
//   uint32_t where = b.FontOffset(f);   // absolute file offset of the font's data block
//
// Build() returns the bytes, so a test can patch or truncate them before
// writing them with WriteBytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pswtest {

using Bytes = std::vector<std::uint8_t>;

// ---- Scrambling --------------------------------------------------------

// The model-byte transformation: identity for s = 0, otherwise NOT (gsi XOR
// s). It is its own inverse.
std::uint8_t ScrambleGsi(std::uint8_t gsi, std::uint8_t s);
// Scrambles or unscrambles n bytes in place; `position` is the position of
// the first byte counted from the start of the binary contents. s = 0 leaves
// the bytes unchanged.
void ScrambleBuffer(std::uint8_t* buf, std::size_t n, std::uint32_t position, std::uint8_t s);
void UnscrambleBuffer(std::uint8_t* buf, std::size_t n, std::uint32_t position, std::uint8_t s);

// ---- Descriptions ------------------------------------------------------

// The printer block ("P"), shared by both generations. Texts are written
// one byte per character, padded with spaces (or cut) to their width.
struct PrinterSpec {
    std::string name = "KP300";     // 8
    std::string hwRelease = "01";   // 2
    std::string swRelease = "123";  // 3
    std::string date = "240131";    // 6
    std::uint8_t initBank = 0;      // offset 20
    std::uint8_t gsiModel = 0x41;   // plain model byte; stored scrambled with scrByte
    std::uint8_t portType = 1;      // offset 22
    std::uint8_t scrByte = 0;       // offset 23; 0 stores the binary contents plain
    std::uint8_t byte25 = 0;        // offset 25, carried unchanged
    std::array<std::uint8_t, 4> sums{};  // first generation: offsets 26..29 as given
};

// A bitmap font ("F" or "f" block) and its data block.
struct FontSpec {
    std::uint8_t width = 8;
    std::uint8_t height = 8;
    std::uint8_t first = 32;
    std::uint8_t last = 127;
    char orientation = 'H';
    std::int8_t marginLeft = 0;
    std::int8_t marginRight = 0;
    std::int8_t marginUp = 0;
    std::int8_t marginBottom = 0;
    std::uint8_t byteOrder = 0;
    // The plain (unscrambled) data block. Empty: BlockSize() bytes of a
    // pattern that differs from font to font (see DefaultFontData).
    Bytes data{};
    // Second generation only: file bytes 17..29 of the "f" block, carried
    // unchanged by the library, in file order.
    std::array<std::uint8_t, 13> carried{};

    // Bytes per packed row x height x characters, margins signed.
    std::size_t BytesPerRow() const;
    std::size_t BlockSize() const;
};

// The pattern used for a font without explicit data.
Bytes DefaultFontData(const FontSpec& font, int index);

// ---- First generation --------------------------------------------------

struct LogoSpec {
    std::array<std::uint8_t, 2> prop1{};  // block offsets 3..4, carried
    std::array<std::uint8_t, 2> prop2{};  // block offsets 5..6, carried
    std::uint8_t colours = 1;
    Bytes data{};                           // placed in the binary image
};

class Psw1Builder {
public:
    PrinterSpec printer;
    // Size of every bank; a bank's data is padded with 0xFF or cut to it.
    std::uint32_t bankSize = 64;
    // With no logos: write one "L" block holding 1 and count 0 (the usual
    // form), or, when false, no logo block at all.
    bool emptyLogoBlock = true;
    // 32-byte blocks written after the font blocks, before "@" (for example a
    // "C" block); each is padded with zeros to 32 bytes.
    std::vector<Bytes> extraBlocks;
    // Bytes appended to the binary image after banks, logos and fonts.
    Bytes tail;

    // Each returns the index of what it added.
    int AddBank(std::uint8_t number, Bytes data = {});
    int AddLogo(LogoSpec logo);
    int AddFont(FontSpec font);

    Bytes Build() const;
    void Write(const std::string& path) const;

    // Size of the header as written: 32 x (1 + banks + logo blocks + fonts +
    // extra blocks) + 8. The binary image starts there.
    std::uint32_t HeaderSize() const;
    std::uint32_t BinarySize() const;
    // File offset of block i of the given tag: 'P', 'S', 'L', 'F', '@'.
    std::uint32_t BlockOffset(char tag, int i = 0) const;
    // Positions in the binary image (what the header blocks store) and
    // absolute file offsets.
    std::uint32_t BankPosition(int i) const;
    std::uint32_t LogoPosition(int i) const;
    std::uint32_t FontPosition(int i) const;
    std::uint32_t FontOffset(int i) const { return HeaderSize() + FontPosition(i); }
    // The binary image before scrambling.
    Bytes PlainBinary() const;

    const std::vector<FontSpec>& Fonts() const { return m_fonts; }

private:
    struct Bank {
        std::uint8_t number;
        Bytes data;
    };
    std::uint32_t LogoBlocks() const;
    std::vector<Bank> m_banks;
    std::vector<LogoSpec> m_logos;
    std::vector<FontSpec> m_fonts;
};

// The two 16-bit sums the editor writes at offset 26 of a first-generation
// file, over the first n plain bytes of the binary image: plain sum, then the
// sum of each byte XOR the low 8 bits of its index; high byte first.
std::array<std::uint8_t, 4> ImageSums(const Bytes& plainBinary, std::size_t n);

// ---- Second generation -------------------------------------------------

struct SupportedPrinterSpec {
    std::string name = "KP310";
    std::string hwRelease = "02";
    std::string swRelease = "200";
    std::string date = "240229";
    std::uint8_t byte22 = 0;
    std::uint8_t gsiModel = 0x42;  // plain; stored scrambled with the file's scramble byte
    std::uint8_t byte24 = 0;
    std::uint8_t byte25 = 0;
};

// Software ("s"), boot-loader ("b"), USB-loader ("u") and generic-data ("d")
// blocks: a position field that points at `data` in the binary contents,
// followed by three and one carried bytes.
struct PayloadSpec {
    std::array<std::uint8_t, 3> carried3{};
    std::uint8_t carried1 = 0;
    Bytes data{};
};

struct PropFontSpec {
    std::array<std::uint8_t, 4> props1{};  // file 3..6
    std::array<std::uint8_t, 4> prop4{};   // file 7..10
    std::array<std::uint8_t, 4> props2{};  // file 15..18
    std::array<std::uint8_t, 13> carried{};  // file 19..31, in file order
    Bytes data{};                            // its data; the block stores its absolute offset
};

struct ModuleSpec {
    char type = 's';
    std::uint8_t number = 1;   // within its type, from 1
    std::uint8_t count = 1;    // modules of this type
    Bytes data{};                // placed in the binary contents
    // Written instead of the real address and size when set (no data needed).
    std::optional<std::uint32_t> address{};
    std::optional<std::uint32_t> size{};
};

class Psw2Builder {
public:
    PrinterSpec printer;
    PayloadSpec software;
    std::optional<PayloadSpec> usbLoader;
    std::optional<PayloadSpec> bootLoader;
    std::vector<SupportedPrinterSpec> supported;
    std::vector<PayloadSpec> genericData;
    std::vector<PropFontSpec> propFonts;
    std::vector<ModuleSpec> modules;
    // Block kinds in file order. A kind left out is not written; kinds with
    // no records (no fonts, no loader...) are skipped. "?" is normally last;
    // when it is not, it takes a whole 32-byte block so that the blocks after
    // it stay aligned.
    std::string order = "PQsfubdCm?";
    // Bytes appended to the binary contents after everything else.
    Bytes tail;

    int AddFont(FontSpec font);
    int AddModule(ModuleSpec module);
    // A software module ("s", number 1 of 1) whose release bytes at offset 9
    // are the four characters given (for example "1x23").
    int AddSoftwareModule(const std::string& release4);

    Bytes Build() const;
    void Write(const std::string& path) const;

    // Bytes of header as written (32 per block, 5 for a final "?"). The
    // binary contents start there.
    std::uint32_t HeaderSize() const;
    std::uint32_t BinarySize() const;
    // File offset of block i of the given tag; throws std::out_of_range when
    // the file holds no such block.
    std::uint32_t BlockOffset(char tag, int i = 0) const;
    std::uint32_t FontOffset(int i) const;      // absolute offset of font i's data block
    std::uint32_t PropFontOffset(int i) const;
    std::uint32_t ModuleAddress(int i) const;   // as written in the module block
    std::uint32_t ModuleSize(int i) const;
    std::uint32_t PayloadOffset(char tag, int i = 0) const;  // 's', 'u', 'b', 'd'
    Bytes PlainBinary() const;

    const std::vector<FontSpec>& Fonts() const { return m_fonts; }

private:
    struct Layout;
    Layout Plan() const;
    std::vector<FontSpec> m_fonts;
};

// Writes bytes to a file (replacing it); throws std::runtime_error on failure.
void WriteBytes(const std::string& path, const Bytes& bytes);

}  // namespace pswtest
