#include "LoadCfgFileApp.h"

#include "FileUtil.h"
#include "UiServices.h"

namespace {
const wchar_t* const kCaptionDati = L"Errore dati in file di configurazione";
}

CLoadCfgFileApp::CLoadCfgFileApp(HWND wnd, const CString& nameWorkDir, const CString& fileCfgApp)
    : m_NameWorkDir(nameWorkDir), m_FileCfgApp(fileCfgApp), m_HWnd(wnd) {}

CLoadCfgFileApp::~CLoadCfgFileApp() { FreeCfgFileApp(); }

int CLoadCfgFileApp::LoadFileAppCfgInfo() {
    const CString path = m_NameWorkDir + m_FileCfgApp;
    if (!LoadFileAppCfgInfo(path)) {
        MessageBox(nullptr, path, L"LoadFileAppCfgInfo su File:", MB_ICONERROR);
        return 0;
    }
    if (!LoadImportantInfo()) {
        MessageBox(nullptr, L"Error!", L"LoadImportantInfo", MB_ICONERROR);
        return 0;
    }
    return 1;
}

int CLoadCfgFileApp::LoadFileAppCfgInfo(const CString& path) {
    std::vector<unsigned char> bytes;
    std::string why;
    if (!ReadSmallTextFile(path, bytes, why)) {
        MessageBox(m_HWnd,
                   CString::Format(L"\nFile di configurazione: %s non aperto. Impossibile caricare dati di "
                                   L"configurazione stampante. (%s)",
                                   path, CString::FromUtf8(why)),
                   kCaptionDati, MB_ICONERROR);
        return 0;
    }
    m_text = CString::FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())).str();
    m_pos = 0;
    const auto badData = [&](const wchar_t* keyword) {
        MessageBox(m_HWnd,
                   CString::Format(L"\nDati errati in file di configurazione: %s. Non trovato parola chiave %s. "
                                   L"Impossibile caricare dati di configurazione stampante.",
                                   path, keyword),
                   kCaptionDati, MB_ICONERROR);
        m_text.clear();
        return 0;
    };
    if (!SerchKeyWordInFile(L"BeginAppCfg")) return badData(L"BeginAppCfg");
    if (!GetFileAppInfo()) return badData(L"EndAppCfg");
    m_text.clear();
    DebugAppCfgFile();
    return 1;
}

bool CLoadCfgFileApp::ReadLine(CString& line) {
    if (m_pos >= m_text.size()) return false;
    // Like a fixed buffer of 350 characters: a longer line is read in pieces.
    std::size_t end = m_pos;
    while (end < m_text.size() && m_text[end] != L'\n' && end - m_pos < static_cast<std::size_t>(kMaxLineChars)) ++end;
    if (end < m_text.size() && m_text[end] == L'\n') ++end;
    line = CString(m_text.substr(m_pos, end - m_pos));
    m_pos = end;
    return true;
}

int CLoadCfgFileApp::SerchKeyWordInStr(const CString& line, const CString& keyword) {
    CString text = line;
    const int hash = text.Find(L'#');
    if (hash >= 0) text = text.Left(hash);
    return text.Upper().Find(keyword.Upper()) >= 0 ? 1 : 0;
}

int CLoadCfgFileApp::SerchKeyWordInFile(const CString& keyword) {
    CString line;
    while (ReadLine(line)) {
        if (SerchKeyWordInStr(line, keyword)) return 1;
    }
    return 0;
}

int CLoadCfgFileApp::GetFileAppInfo() {
    CString line;
    int read = 0;
    while (ReadLine(line)) {
        if (line.IsEmpty() || (line[0] != L'$' && line[0] != L'#')) continue;
        if (CleanCString(line, L" \t\r\n").Upper().Find(L"ENDAPPCFG") >= 0) return 1;
        // The table is full and the section has not ended: the file is not
        // what it claims, and saying so beats dropping its further entries.
        if (read >= kMaxEntries) return 0;
        // Split as a tokenizer does: runs of "$" and "=" separate pieces and
        // pieces with nothing but blanks are skipped. A key loses every
        // blank ("Com Port" is ComPort); a value only those around it, so a
        // folder or file name with blanks stays the same name.
        std::vector<std::wstring> pieces;
        std::wstring cur;
        const auto flush = [&] {
            if (!CleanCString(CString(cur), L" \t\r\n").IsEmpty()) pieces.push_back(cur);
            cur.clear();
        };
        for (wchar_t c : line.str()) {
            if (c == L'$' || c == L'=') {
                flush();
            } else {
                cur += c;
            }
        }
        flush();
        const auto trimmed = [](const std::wstring& s) {
            const std::size_t b = s.find_first_not_of(L" \t\r\n");
            const std::size_t e = s.find_last_not_of(L" \t\r\n");
            return b == std::wstring::npos ? CString() : CString(s.substr(b, e - b + 1));
        };
        NewCfgFileApp(pieces.size() > 0 ? CleanCString(CString(pieces[0]), L" \t\r\n") : CString(),
                      pieces.size() > 1 ? trimmed(pieces[1]) : CString());
        ++read;
    }
    return 0;
}

int CLoadCfgFileApp::GetCfgFileApp(const CString& key, CString* value) {
    for (auto it = m_ptrCfgFilesApp.rbegin(); it != m_ptrCfgFilesApp.rend(); ++it) {
        if ((*it)->key == key) {
            if (value) *value = (*it)->value;
            return 1;
        }
    }
    MessageBox(m_HWnd,
               L"\nImposibile trovare parola chiave:" + key + L" verificare integrità file di configurazione: " +
                   m_FileCfgApp,
               L"GetCfgFileApp()", MB_OKCANCEL);
    if (value) value->Empty();
    return 0;
}

int CLoadCfgFileApp::LoadAppCfgFile(const CString& path) {
    BinaryFile f;
    if (!f.Open(path, BinaryFile::Mode::Read)) return 0;
    f.Close();
    FreeCfgFileApp();
    return LoadFileAppCfgInfo(path);
}

int CLoadCfgFileApp::NewCfgFileApp(const CString& key, const CString& value) {
    m_ptrCfgFilesApp.push_back(std::make_unique<CfgFileAppEntry>(CfgFileAppEntry{key, value}));
    return 1;
}

void CLoadCfgFileApp::FreeCfgFileApp() { m_ptrCfgFilesApp.clear(); }

int CLoadCfgFileApp::DebugAppCfgFile() {
    const CString dir = m_DebugDir.IsEmpty() ? m_NameWorkDir + L"DebugFile/" : WithTrailingSlash(m_DebugDir);
    const CString dumpPath = dir + L"DebugAppCfgFileApp.dbg";
    std::string out;
    for (const auto& e : m_ptrCfgFilesApp) out += CString::Format(L"\n$%s = %s", e->key, e->value).ToUtf8();
    BinaryFile f;
    if (!f.Open(dumpPath, BinaryFile::Mode::Create) || f.Write(out.data(), out.size()) != out.size()) {
        MessageBox(m_HWnd,
                   CString::Format(L"\nFile di debug per CfgFilesApp: %s non aperto. Impossibile caricare dati di "
                                   L"configurazione stampante.",
                                   dumpPath),
                   L"Errore apertura file di debug", MB_ICONWARNING);
        return 0;
    }
    return 1;
}
