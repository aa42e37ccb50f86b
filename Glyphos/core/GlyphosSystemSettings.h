// The editor's installation folder as the system settings name it: the INI
// file Kalvo/Glyphos.ini (or the organisation's Kalvo.ini) in a folder of
// XDG_CONFIG_DIRS (default /etc/xdg), group "App. settings", key "Path". The
// editor and glyphos-cli both read it here, so that they always agree on
// where the installation is. The file is the one QSettings writes and reads
// (system scope, INI format); it is read without Qt so that the command
// line's file commands load no Qt library at all.
#pragma once

#include "CString.h"

#include <optional>
#include <string>

struct GlyphosSystemSettings {
    static constexpr const char* kOrganization = "Kalvo";
    static constexpr const char* kApplication = "Glyphos";

    // The folder, with a trailing '/', or nothing when the key is missing,
    // empty or not text.
    static std::optional<CString> ProgramPath();
    // The settings file and the key, as a message names them.
    static CString KeyDescription();
    // The same through QSettings (glyphos-core-gui), for the editor: it
    // also honours a folder given to QSettings::setPath.
    static std::optional<CString> ProgramPathQt();
    static CString KeyDescriptionQt();

    // The text value of `key` in `group` of an INI file's contents, read the
    // way QSettings reads it (escaped names, quotes, escapes, comments,
    // continued lines; the last of repeated keys); nothing when the key is
    // missing or its value is a list or another type.
    static std::optional<std::string> IniString(const std::string& contents, const std::string& group,
                                                const std::string& key);
};
