// The code pages through which a character code of a printer font becomes a
// Unicode character when a font installed on the system is drawn into it.
//
// Code pages keep their Windows numbers and display names ("437  (OEM -
// United States)") because the names are what the font dialog filters on,
// and the number is what the user picked in older versions; glibc's iconv
// does the conversion. A code page is listed only when iconv can open it on
// this machine.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CodePageList {
public:
    // What the list holds: the code pages the system has installed, or all
    // it supports. Both come from the same table here; the flag is kept
    // because callers say which one they mean.
    enum Kind { Installed = 1, Supported = 2 };

    explicit CodePageList(Kind kind = Supported) : m_kind(kind) {}

    // Fills the list on first use (the list is filled lazily, the first time
    // it is found empty).
    void Fill();
    int GetCount();
    // 0 / empty for an index outside the list.
    std::uint32_t GetCodePage(int index);
    std::string GetName(int index);
    Kind GetKind() const { return m_kind; }

    // The display name of a code page number; empty when it is unknown or
    // iconv cannot open it.
    static std::string CodePageName(std::uint32_t codePage);
    // iconv's name of a code page number; null when unknown. Code page 0 is
    // the system's ANSI code page, which is 1252 here.
    static const char* IconvName(std::uint32_t codePage);
    // The number that leads an entry text ("850  (OEM ...)" -> 850): its
    // leading decimal digits; 0 when there are none.
    static std::uint32_t LeadingNumber(const std::string& text);

private:
    Kind m_kind;
    std::vector<std::uint32_t> m_codePages;
};

// Single bytes through one code page. A byte the code page does not define
// as a character on its own (0x81 in 1252, a lead byte of a double-byte code
// page, any byte above 0x7F in UTF-8) has no character.
class CodePageConverter {
public:
    explicit CodePageConverter(std::uint32_t codePage);
    bool IsValid() const { return m_valid; }
    std::optional<char32_t> ToUnicode(unsigned char byte) const;

private:
    static constexpr char32_t kNone = 0xFFFFFFFF;
    std::array<char32_t, 256> m_table{};
    bool m_valid = false;
};

// The code page choice of the editor: one for the whole application, shared
// by every document until the editor exits.
struct CodePageChoice {
    std::uint32_t codePage = 0;  // 0: the system's ANSI code page
    std::uint32_t typeIndex = 0; // into CodePageTypeNames(): 0 "OEM"
    static CodePageChoice& Application();
};

// "OEM", "ANSI", "ISO", "MAC", "UTF", "other", "All".
const std::array<const char*, 7>& CodePageTypeNames();
// Whether a display name belongs under a type name.
bool CodePageMatchesType(const std::string& name, const std::string& type);
