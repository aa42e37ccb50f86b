// The editor's configuration file: the library's reader plus the three keys
// the editor needs (animation file, log folder, help file). Kept free of
// widgets so that glyphos-cli finds the same log folder as the editor.
#pragma once

#include "LoadCfgFileApp.h"

class LoadGlyphosCfgFileApp : public CLoadCfgFileApp {
public:
    LoadGlyphosCfgFileApp(HWND wnd, const CString& programPath, const CString& cfgFileName)
        : CLoadCfgFileApp(wnd, programPath, cfgFileName) {}

    CString Get_m_HelpFile() const { return m_HelpFile; }

protected:
    int LoadImportantInfo() override;

    CString m_HelpFile;
};
