#include "CodePageList.h"

#include <iconv.h>


namespace {

struct CodePageEntry {
    std::uint32_t number;
    const char* iconv;
    const char* name;
};

// Numeric order, as the system listed them. The descriptions carry the type
// words ("OEM", "ANSI", "ISO", "MAC", "UTF") that the font dialog filters on.
constexpr CodePageEntry kCodePages[] = {
    {37, "IBM037", "37  (IBM EBCDIC - U.S./Canada)"},
    {437, "CP437", "437  (OEM - United States)"},
    {500, "IBM500", "500  (IBM EBCDIC - International)"},
    {737, "CP737", "737  (OEM - Greek 437G)"},
    {775, "CP775", "775  (OEM - Baltic)"},
    {850, "CP850", "850  (OEM - Multilingual Latin I)"},
    {852, "CP852", "852  (OEM - Latin II)"},
    {855, "CP855", "855  (OEM - Cyrillic)"},
    {857, "CP857", "857  (OEM - Turkish)"},
    {858, "CP858", "858  (OEM - Multilingual Latin I + Euro)"},
    {860, "CP860", "860  (OEM - Portuguese)"},
    {861, "CP861", "861  (OEM - Icelandic)"},
    {862, "CP862", "862  (OEM - Hebrew)"},
    {863, "CP863", "863  (OEM - Canadian French)"},
    {864, "CP864", "864  (OEM - Arabic)"},
    {865, "CP865", "865  (OEM - Nordic)"},
    {866, "CP866", "866  (OEM - Russian)"},
    {869, "CP869", "869  (OEM - Modern Greek)"},
    {874, "CP874", "874  (ANSI/OEM - Thai)"},
    {875, "IBM875", "875  (IBM EBCDIC - Modern Greek)"},
    {932, "CP932", "932  (ANSI/OEM - Japanese Shift-JIS)"},
    {936, "CP936", "936  (ANSI/OEM - Simplified Chinese GBK)"},
    {949, "CP949", "949  (ANSI/OEM - Korean)"},
    {950, "CP950", "950  (ANSI/OEM - Traditional Chinese Big5)"},
    {1026, "IBM1026", "1026  (IBM EBCDIC - Turkish (Latin-5))"},
    {1250, "CP1250", "1250  (ANSI - Central Europe)"},
    {1251, "CP1251", "1251  (ANSI - Cyrillic)"},
    {1252, "CP1252", "1252  (ANSI - Latin I)"},
    {1253, "CP1253", "1253  (ANSI - Greek)"},
    {1254, "CP1254", "1254  (ANSI - Turkish)"},
    {1255, "CP1255", "1255  (ANSI - Hebrew)"},
    {1256, "CP1256", "1256  (ANSI - Arabic)"},
    {1257, "CP1257", "1257  (ANSI - Baltic)"},
    {1258, "CP1258", "1258  (ANSI/OEM - Viet Nam)"},
    {10000, "MACINTOSH", "10000  (MAC - Roman)"},
    {10007, "MAC-CYRILLIC", "10007  (MAC - Cyrillic)"},
    {10029, "MAC-CENTRALEUROPE", "10029  (MAC - Latin II)"},
    {10079, "MAC-IS", "10079  (MAC - Icelandic)"},
    {20127, "ASCII", "20127  (US-ASCII)"},
    {20866, "KOI8-R", "20866  (Russian - KOI8)"},
    {21866, "KOI8-U", "21866  (Ukrainian - KOI8-U)"},
    {28591, "ISO-8859-1", "28591  (ISO 8859-1 Latin I)"},
    {28592, "ISO-8859-2", "28592  (ISO 8859-2 Central Europe)"},
    {28593, "ISO-8859-3", "28593  (ISO 8859-3 Latin 3)"},
    {28594, "ISO-8859-4", "28594  (ISO 8859-4 Baltic)"},
    {28595, "ISO-8859-5", "28595  (ISO 8859-5 Cyrillic)"},
    {28596, "ISO-8859-6", "28596  (ISO 8859-6 Arabic)"},
    {28597, "ISO-8859-7", "28597  (ISO 8859-7 Greek)"},
    {28598, "ISO-8859-8", "28598  (ISO 8859-8 Hebrew: Visual Ordering)"},
    {28599, "ISO-8859-9", "28599  (ISO 8859-9 Latin 5)"},
    {28603, "ISO-8859-13", "28603  (ISO 8859-13 Estonian)"},
    {28605, "ISO-8859-15", "28605  (ISO 8859-15 Latin 9)"},
    {65000, "UTF-7", "65000  (UTF-7)"},
    {65001, "UTF-8", "65001  (UTF-8)"},
};

// The code page that number 0 stands for.
constexpr std::uint32_t kSystemAnsiCodePage = 1252;

const CodePageEntry* Find(std::uint32_t number) {
    if (number == 0) number = kSystemAnsiCodePage;
    for (const CodePageEntry& e : kCodePages) {
        if (e.number == number) return &e;
    }
    return nullptr;
}

// Into glibc's own form of Unicode (UCS-4 in the machine's byte order),
// which needs no conversion module of its own: only the code page's.
constexpr const char* kUnicode = "WCHAR_T";
static_assert(sizeof(wchar_t) == 4);

bool IconvOpens(const char* name) {
    iconv_t cd = iconv_open(kUnicode, name);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
}

// The table of the code pages iconv opens, worked out once per process: the
// answer cannot change while the program runs.
const std::vector<std::uint32_t>& Available() {
    static const std::vector<std::uint32_t> list = [] {
        std::vector<std::uint32_t> v;
        for (const CodePageEntry& e : kCodePages) {
            if (IconvOpens(e.iconv)) v.push_back(e.number);
        }
        return v;
    }();
    return list;
}

}  // namespace

void CodePageList::Fill() {
    if (m_codePages.empty()) m_codePages = Available();
}

int CodePageList::GetCount() {
    Fill();
    return static_cast<int>(m_codePages.size());
}

std::uint32_t CodePageList::GetCodePage(int index) {
    Fill();
    if (index < 0 || index >= static_cast<int>(m_codePages.size())) return 0;
    return m_codePages[static_cast<std::size_t>(index)];
}

std::string CodePageList::GetName(int index) {
    const std::uint32_t cp = GetCodePage(index);
    return cp ? CodePageName(cp) : std::string();
}

std::string CodePageList::CodePageName(std::uint32_t codePage) {
    const CodePageEntry* e = Find(codePage);
    if (!e || !IconvOpens(e->iconv)) return {};
    return e->name;
}

const char* CodePageList::IconvName(std::uint32_t codePage) {
    const CodePageEntry* e = Find(codePage);
    return e ? e->iconv : nullptr;
}

std::uint32_t CodePageList::LeadingNumber(const std::string& text) {
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
        if (v > 0xFFFFFFFFu) return 0;  // no code page has such a number
    }
    return static_cast<std::uint32_t>(v);
}

CodePageConverter::CodePageConverter(std::uint32_t codePage) {
    m_table.fill(kNone);
    const char* name = CodePageList::IconvName(codePage);
    if (!name) return;
    iconv_t cd = iconv_open(kUnicode, name);
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    m_valid = true;
    for (int b = 0; b < 256; ++b) {
        // Each byte on its own from the initial shift state: a byte that is
        // only the start of a sequence, or no character at all, stays none.
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char in = static_cast<char>(b);
        wchar_t out[4] = {};
        char* inPtr = &in;
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        if (r == static_cast<std::size_t>(-1) || inLeft != 0 || sizeof out - outLeft != sizeof(wchar_t)) continue;
        m_table[static_cast<std::size_t>(b)] = static_cast<char32_t>(out[0]);
    }
    iconv_close(cd);
}

std::optional<char32_t> CodePageConverter::ToUnicode(unsigned char byte) const {
    const char32_t c = m_table[byte];
    if (c == kNone) return std::nullopt;
    return c;
}

CodePageChoice& CodePageChoice::Application() {
    static CodePageChoice choice;
    return choice;
}

const std::array<const char*, 7>& CodePageTypeNames() {
    static const std::array<const char*, 7> names = {"OEM", "ANSI", "ISO", "MAC", "UTF", "other", "All"};
    return names;
}

bool CodePageMatchesType(const std::string& name, const std::string& type) {
    if (type == "All") return true;
    if (type == "other") {
        for (const char* word : {"ANSI", "ISO", "MAC", "OEM", "UTF"}) {
            if (name.find(word) != std::string::npos) return false;
        }
        return true;
    }
    return name.find(type) != std::string::npos;
}
