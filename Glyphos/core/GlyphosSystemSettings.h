// The editor's installation folder as the system settings name it: the INI
// file Kalvo/Glyphos.ini found through XDG_CONFIG_DIRS (default /etc/xdg),
// group "App. settings", key "Path". The editor and glyphos-cli both read it
// here, through QSettings (QtCore only), so that they always agree on where
// the installation is.
#pragma once

#include "CString.h"

#include <optional>

struct GlyphosSystemSettings {
    static constexpr const char* kOrganization = "Kalvo";
    static constexpr const char* kApplication = "Glyphos";

    // The folder, with a trailing '/', or nothing when the key is missing,
    // empty or not text.
    static std::optional<CString> ProgramPath();
    // The settings file and the key, as a message names them.
    static CString KeyDescription();
};
