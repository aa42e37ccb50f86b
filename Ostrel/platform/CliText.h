// What the command-line programs share about text: numbers given as
// arguments, and text taken from files made safe to print on a terminal.
#pragma once

#include "OstrelExport.h"

#include <string>
#include <string_view>

// A whole number as the programs' --help pages describe it: decimal, with an
// optional minus sign, or hexadecimal after "0x" (or "0X"). A leading zero is
// still decimal ("010" is ten): no octal, which nobody means on these
// command lines. False for anything else, empty text and overflow included.
OSTREL_API bool ParseWholeNumber(std::string_view text, long long& value);

// UTF-8 text from a file (a printer name, a release, a font or tester name)
// with every control character written as \xHH: C0 controls, DEL and the C1
// controls U+0080..U+009F (which many terminals also obey). A name holding
// ESC [2J then prints as text instead of clearing the screen, and a line end
// inside a name cannot start a line of its own. `keepLineFeeds` lets "\n"
// through, for a message whose own lines are meant.
OSTREL_API std::string TerminalSafe(std::string_view utf8, bool keepLineFeeds = false);

// A message box's text on one line, safe to print: its line feeds become
// blanks, runs of blanks one, and control characters are written as above.
OSTREL_API std::string OneLine(std::string_view utf8);
