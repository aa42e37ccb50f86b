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

// ": it is a FIFO, not a file" (or a directory, a socket, a device) when the
// path names something other than a regular file, else nothing: the end of
// a failure message that would otherwise leave the user guessing.
std::string NotAFile(const std::string& path);

// Loads a ".kfn" argument into the document, or throws the failure naming
// the file and, when it is not a regular file, what it is instead.
void LoadKfnArgument(CGlyphosDocCore& doc, const std::string& kfn);

// A path argument as the library's string.
CString CliPath(const std::string& arg);
