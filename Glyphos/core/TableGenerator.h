// Writes the bitmap of every character of a font as source text for a
// printer firmware build: a C table, or an assembler table in one of two
// dialects. The editor's generator dialog and `glyphos-cli export` both drive
// it; it shows its messages through UiServices and never opens a window.
#pragma once

#include <functional>
#include <string>

#include "CString.h"
#include "Conversioni.h"
#include "WinTypes.h"

class KalvoFont;

struct TableSettings {
    CString fileName;
    int itemsPerLine = 0;
    CString fontName;
    CString note;         // at most 76 characters; longer notes are cut
    int cMode = 1;        // 1: C table; 0: assembler table
    int dataSize = 1;     // 1 byte, 2 word, 3 double word (C table only)
    int commentType = 0;  // assembler: 0 "*", 1 ";"
    int dialect = 1;      // assembler: 1 default ("FCB"/"FDB"), 0 MCUEZ ("DC.B"/"DC.W")
};

class TableGenerator {
public:
    static constexpr int kLineWidth = 80;
    static constexpr int kMaxNote = 76;

    // Told after each full data line with the number of full lines written
    // so far (the dialog steps its progress bar).
    using Progress = std::function<void(int fullLines)>;

    // bytesPerRow: the document's bytes per packed row of the font block.
    TableGenerator(const KalvoFont& font, int bytesPerRow, HWND owner = nullptr);

    // The "Go" of the dialog: checks the items per line and the file name's
    // extension, builds the table and writes the file in one step (a failed
    // run leaves an existing file as it was), then reports success. Every
    // refusal and failure is shown as a message; returns 1 when the file was
    // written, else 0. A double-word assembler table, which the dialog never
    // asks for, is refused without a message.
    int Generate(const TableSettings& settings, const Progress& progress = {});

    // The whole text of the table, single-byte characters and line feeds.
    // Returns 0 when the packed font block cannot be allocated or the
    // settings ask for no table (items per line below 1, a double-word
    // assembler table).
    int Build(const TableSettings& settings, std::string& out, const Progress& progress = {});

private:
    const KalvoFont& m_Font;
    int m_BytesPerRow;
    HWND m_Owner;
    CConversioni m_Conv;
};
