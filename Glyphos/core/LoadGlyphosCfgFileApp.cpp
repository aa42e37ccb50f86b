#include "LoadGlyphosCfgFileApp.h"

int LoadGlyphosCfgFileApp::LoadImportantInfo() {
    // Each key is read whatever became of the others: the editor never uses
    // the animation file, and a file without it must still give the log
    // folder and the manual. A missing key still says so in its own box.
    const int avi = GetCfgFileApp(L"Nameavifile", &m_NomeFileAvi);
    const int log = GetCfgFileApp(L"DirLog", &m_DirLogFile);
    const int help = GetCfgFileApp(L"HelpFile", &m_HelpFile);
    return avi && log && help ? 1 : 0;
}
