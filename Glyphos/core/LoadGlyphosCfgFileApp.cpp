#include "LoadGlyphosCfgFileApp.h"

int LoadGlyphosCfgFileApp::LoadImportantInfo() {
    if (!GetCfgFileApp(L"Nameavifile", &m_NomeFileAvi)) return 0;
    if (!GetCfgFileApp(L"DirLog", &m_DirLogFile)) return 0;
    if (!GetCfgFileApp(L"HelpFile", &m_HelpFile)) return 0;
    return 1;
}
