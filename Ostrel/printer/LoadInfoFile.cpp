#include "LoadInfoFile.h"

#include "CfgTextReader.h"
#include "UiServices.h"

CLoadInfoFile::CLoadInfoFile() = default;

CLoadInfoFile::~CLoadInfoFile() = default;

void CLoadInfoFile::InitInfoFile(const CString& folder, const CString& fileName, const CString& beginMarker,
                                 const CString& endMarker) {
    m_strFolder = folder;
    m_strFileName = fileName;
    m_strPath = (folder.IsEmpty() ? folder : WithTrailingSlash(folder)) + fileName;
    m_strBeginMarker = beginMarker;
    m_strEndMarker = endMarker;
}

BOOL CLoadInfoFile::LoadInfoFile() {
    m_fLoaded = FALSE;
    m_pCeInfoArray.clear();
    std::string bytes;
    std::string why;
    if (!cfgtext::Load(m_strPath, bytes, why)) {
        MessageBox(nullptr, CString::Format(L"File:\n%s\nNot open!", m_strPath) + cfgtext::Reason(why), L"Error",
                   MB_ICONERROR);
        return FALSE;
    }
    auto missing = [&](const CString& marker) {
        MessageBox(nullptr, CString::Format(L"Data marker: %s not found in file:\n%s", marker, m_strPath), L"Error",
                   MB_ICONERROR);
        return FALSE;
    };
    std::size_t pos = 0;
    CString line;
    bool begun = false;
    while (!begun && cfgtext::ReadLine(bytes, pos, kMaxLineChars, line)) {
        CString t = line;
        if (t.GetLength() > 0 && t[0] == L'#') t = t.Mid(1);
        const int hash = t.Find(L'#');
        if (hash >= 0) t = t.Left(hash);
        begun = cfgtext::Contains(t, m_strBeginMarker);
    }
    if (!begun) return missing(m_strBeginMarker);
    for (int n = 0; n < kMaxLines && cfgtext::ReadLine(bytes, pos, kMaxLineChars, line); ++n) {
        if (line.IsEmpty() || (line[0] != L'#' && line[0] != L'$')) continue;
        if (cfgtext::Contains(line, m_strEndMarker)) {
            m_fLoaded = TRUE;
            return TRUE;
        }
        // "#" lines are remarks; an entry needs its "$" and "=".
        const int eq = line.Find(L'=');
        if (line[0] != L'$' || eq < 0) continue;
        CString key = cfgtext::Clean(line.Left(eq));
        key.Remove(L'$');
        if (key.IsEmpty()) continue;
        m_pCeInfoArray.push_back(
            std::make_unique<InfoFileEntry>(InfoFileEntry{key, cfgtext::WithoutLineEnd(line.Mid(eq + 1))}));
    }
    return missing(m_strEndMarker);
}

BOOL CLoadInfoFile::GetInfoLoadFromFile(const CString& label, CString* value) {
    for (const auto& e : m_pCeInfoArray) {
        if (e->key == label) {
            if (value) *value = e->value;
            return TRUE;
        }
    }
    MessageBox(nullptr, CString::Format(L"Label: %s not present in file:\n%s", label, m_strPath), L"Error",
               MB_ICONERROR);
    if (value) value->Empty();
    return FALSE;
}
