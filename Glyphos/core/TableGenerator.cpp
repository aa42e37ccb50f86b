#include "TableGenerator.h"

#include <algorithm>
#include <new>
#include <vector>

#include "FileUtil.h"
#include "KalvoFont.h"
#include "UiServices.h"

namespace {

const char kHex[] = "0123456789ABCDEF";

void AppendHex(std::string& s, unsigned char b) {
    s += kHex[b >> 4];
    s += kHex[b & 0x0F];
}

// Text through the ANSI code page of the Windows machines these tables were
// always made on (1252, Latin I): what has no place in it becomes "?". The
// five unassigned bytes of the code page stand for themselves, as Windows
// maps them.
std::string ToAnsi(const CString& text) {
    static const wchar_t k80to9F[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(static_cast<std::size_t>(text.GetLength()));
    for (const wchar_t c : text.str()) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        const wchar_t* hit = std::find(std::begin(k80to9F), std::end(k80to9F), c);
        out += hit != std::end(k80to9F) ? static_cast<char>(0x80 + (hit - k80to9F)) : '?';
    }
    return out;
}

// A font name or note as comment text: whatever it holds, it cannot end its
// comment early ("*/" in a C table, a line end in either kind) and so put
// the rest of itself into the code. Other control characters go as well:
// compilers warn of them and editors show them badly.
CString CommentText(const CString& text) {
    std::wstring out;
    for (const wchar_t c : text.str()) {
        if (c == L'/' && !out.empty() && out.back() == L'*') out += L' ';
        // The assembler table keeps the low byte of a character: U+010A
        // would come out as a line end.
        const wchar_t low = c & 0xFF;
        out += (low < 0x20 || low == 0x7F) ? L' ' : c;
    }
    return CString(std::move(out));
}

void Line(std::string& out, const std::string& text) {
    out += text;
    out += '\n';
}

}  // namespace

TableGenerator::TableGenerator(const KalvoFont& font, int bytesPerRow, HWND owner)
    : m_Font(font), m_BytesPerRow(bytesPerRow), m_Owner(owner) {}

int TableGenerator::Build(const TableSettings& s, std::string& out, const Progress& progress) {
    const bool cTable = s.cMode != 0;
    if (s.itemsPerLine < 1 || (!cTable && s.dataSize == 3)) return 0;
    const std::size_t itemBytes = s.dataSize == 2 ? 2 : s.dataSize == 3 ? 4 : 1;

    const int first = m_Font.GetFirstChar();
    const int last = m_Font.GetLastChar();
    const int height = m_Font.GetHeight();
    const std::size_t chars = last >= first ? static_cast<std::size_t>(last - first + 1) : 0;
    const std::size_t charBytes =
        static_cast<std::size_t>(std::max(m_BytesPerRow, 0)) * static_cast<std::size_t>(height);
    std::vector<unsigned char> table;
    try {
        table.assign(chars * charBytes, 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    m_Font.PackFontBlock(table.data(), table.size(), m_BytesPerRow, height, m_Font.GetMarginLeft(),
                         m_Font.GetMarginRight(), first, last, m_Font.GetByteOrder());

    // Header: font name and note, each between two rules.
    const CString comment = s.commentType == 1 ? L";" : L"*";
    CString fontName = CommentText(s.fontName);
    const CString note = CommentText(s.note.Left(kMaxNote));
    if (!cTable) fontName = fontName.Left(kLineWidth - 1);  // beside the comment character, no tail
    const auto rule = [&] {
        return cTable ? m_Conv.FormatMessageW(kLineWidth, L"*", L"/*", L"*/").ToBytes()
                      : m_Conv.FormatMessageW(kLineWidth, L"*", comment, L"*").ToBytes();
    };
    const auto centred = [&](const CString& text) {
        return cTable ? ToAnsi(m_Conv.FormatMessageW(text, L"/*", L"*/", kLineWidth))
                      : m_Conv.FormatMessageW(text, comment, L"", kLineWidth).ToBytes();
    };
    out.clear();
    out.reserve(table.size() * (itemBytes == 1 ? 6 : 3) + chars * 2 * kLineWidth + 1024);
    for (const CString& text : {fontName, note}) {
        Line(out, rule());
        Line(out, centred(text));
        Line(out, rule());
        Line(out, "");
        Line(out, "");
    }

    std::string directive;
    if (!cTable) {
        if (s.dialect == 1)
            directive = itemBytes == 1 ? "    FCB    " : "    FDB    ";
        else
            directive = itemBytes == 1 ? "    DC.B   " : "    DC.W   ";
    }
    const CString charHead = cTable || s.commentType != 1 ? L"/*" : L";";
    const CString charTail = cTable || s.commentType != 1 ? L"*/" : L"";
    const std::size_t itemsPerChar = (charBytes + itemBytes - 1) / itemBytes;
    const std::size_t perLine = static_cast<std::size_t>(s.itemsPerLine);
    int fullLines = 0;
    std::string line;
    for (std::size_t i = 0; i < chars; ++i) {
        const int code = first + static_cast<int>(i);
        Line(out,
             m_Conv.FormatMessageW(CString::Format(L"char: 0X%0.2X", code), charHead, charTail, kLineWidth).ToBytes());
        // Items of a word or double word take consecutive bytes of the table:
        // the last item of a character may reach into the next character,
        // and past the end of the table it takes zeros.
        const std::size_t start = i * charBytes;
        std::size_t inLine = 0;
        line = directive;
        for (std::size_t item = 0; item < itemsPerChar; ++item) {
            line += cTable ? "0X" : "$";
            for (std::size_t b = 0; b < itemBytes; ++b) {
                const std::size_t pos = start + item * itemBytes + b;
                AppendHex(line, pos < table.size() ? table[pos] : 0);
            }
            line += ',';
            if (++inLine < perLine) continue;
            if (!cTable) line.pop_back();
            Line(out, line);
            if (progress) progress(++fullLines);
            line = directive;
            inLine = 0;
        }
        // The C table writes the unfinished line even when it is empty.
        if (cTable) {
            Line(out, line);
        } else if (inLine > 0) {
            line.pop_back();
            Line(out, line);
        }
    }
    Line(out, "");
    return 1;
}

int TableGenerator::Generate(const TableSettings& s, const Progress& progress) {
    if (s.itemsPerLine <= 0) {
        MessageBox(m_Owner, L"Insert appropriate number of columns data table!", L"Error", MB_OK | MB_ICONSTOP);
        return 0;
    }
    const bool cTable = s.cMode != 0;
    if (!cTable && s.dataSize == 3) return 0;
    CString lower = s.fileName;
    lower.MakeLower();
    if (lower.Find(cTable ? L".c" : L".asm") < 0) {
        MessageBox(m_Owner, L"The exension file selected isn't correct!", L"Error", MB_OK | MB_ICONSTOP);
        return 0;
    }
    std::string text;
    if (!Build(s, text, progress)) {
        MessageBox(m_Owner, L"No sufficent memory avaible", L"Error", MB_OK | MB_ICONSTOP);
        return 0;
    }
    std::string why;
    if (!WriteFileAtomically(s.fileName, text.data(), text.size(), &why)) {
        MessageBox(m_Owner, CString::Format(L"Error open file: %s\n%s", s.fileName, CString::FromUtf8(why)), L"Error",
                   MB_OK | MB_ICONSTOP);
        return 0;
    }
    MessageBox(m_Owner, L"Table successfully created !", cTable ? L"Table created" : L"Table \"Asm\" created",
               MB_OK | MB_ICONEXCLAMATION);
    return 1;
}
