// What the font commands of glyphos-cli share: a document whose debug log
// goes where the editor's would, and font choices taken from the command
// line instead of a dialog.
#pragma once

#include "CliCommon.h"
#include "GlyphosDocCore.h"

#include <optional>
#include <string>

// The log folder: --log-dir when given, else the editor's "DirLog" when its
// installation and configuration are found, else the user's cache folder.
CString CliLogDir(const CliArgs& args);

// A document ready for file work.
void PrepareCliDocument(CGlyphosDocCore& doc, const CliArgs& args);

// Chooses the font whose position in the file (1-based, as `fonts` lists
// them) is given; without a position, the only font offered. Remembers why
// it refused so that the command can say it.
class CliFontChoice : public IDocChoices {
public:
    explicit CliFontChoice(std::optional<int> position) : m_position(position) {}
    int SelectFont(const std::vector<FontChoice>& choices) override;
    const std::string& Refusal() const { return m_refusal; }

private:
    std::optional<int> m_position;
    std::string m_refusal;
};

// A path argument as the library's string.
CString CliPath(const std::string& arg);
