#include "DBCollaudatori.h"

#include "FileUtil.h"
#include "UiServices.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace {
const wchar_t* const kNoDbFile = L"No data base testers file succesfully created!";
const wchar_t* const kNotLoaded = L"No file data base testers not load!";
const wchar_t* const kError = L"Error";

void ErrorBox(const CString& text) { MessageBox(nullptr, text, kError, MB_OK | MB_ICONERROR); }

// The library's text, and on its second line why the file failed.
BOOL FileErrorBox(const std::string& why) {
    ErrorBox(CString(kNoDbFile) + L"\n" + CString::FromUtf8(why));
    return FALSE;
}

bool SameTester(const _Collaudatore& t, const CString& nome, const CString& cognome) {
    return t.strNome == nome && t.strCognome == cognome;
}

// Whether every character fits in the one byte the file keeps of it.
bool Latin1(const CString& text) {
    for (const wchar_t c : text.str()) {
        if (static_cast<unsigned long>(c) > 0xFF) return false;
    }
    return true;
}
}  // namespace

CDBCollaudatori::CDBCollaudatori(const CString& pathDB) : m_strPathDB(pathDB) {}

CDBCollaudatori::~CDBCollaudatori() {
    Save();
    FreeMemoryRecord();
}

bool CDBCollaudatori::ReadTesters(const std::vector<unsigned char>& data,
                                  std::vector<std::unique_ptr<_Collaudatore>>& out) {
    // Serialize adds through AddCollaudatore into the list in memory: it
    // reads into an empty list here, which is then handed over.
    std::vector<std::unique_ptr<_Collaudatore>> kept;
    kept.swap(m_arrTesters);
    const BOOL dirty = m_bDirty;
    m_loading = true;
    CArchive ar(data.data(), data.size());
    Serialize(ar);
    m_loading = false;
    m_bDirty = dirty;
    out.clear();
    out.swap(m_arrTesters);
    m_arrTesters.swap(kept);
    m_uiNumTesters = static_cast<UINT>(m_arrTesters.size());
    return !ar.Failed();
}

void CDBCollaudatori::ApplyChanges(std::vector<std::unique_ptr<_Collaudatore>>& testers) const {
    for (const auto& removed : m_removed) {
        std::erase_if(testers, [&](const auto& t) { return SameTester(*t, removed.first, removed.second); });
    }
    for (const _Collaudatore& t : m_added) testers.push_back(std::make_unique<_Collaudatore>(t));
}

BOOL CDBCollaudatori::LoadDBaseFromFile() {
    std::vector<unsigned char> data;
    if (!ReadWholeFile(m_strPathDB, data, kMaxFileBytes)) {
        return FileErrorBox("cannot read " + ToPath(m_strPathDB) + ": " + std::strerror(errno));
    }
    // The file's testers replace those in memory (a station that reloads
    // at each login must see a tester removed from the file as gone); what
    // this object changed and has not saved yet stays on top of them. A
    // damaged file changes nothing, and loading alone does not make the
    // file worth rewriting.
    std::vector<std::unique_ptr<_Collaudatore>> read;
    if (!ReadTesters(data, read)) {
        ErrorBox(kNotLoaded);
        return FALSE;
    }
    ApplyChanges(read);
    m_arrTesters = std::move(read);
    m_uiNumTesters = static_cast<UINT>(m_arrTesters.size());
    return TRUE;
}

void CDBCollaudatori::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteDWORD(m_uiNumTesters);
        for (const auto& t : m_arrTesters) {
            ar.WriteString(CodeCString(t->strNome));
            ar.WriteString(CodeCString(t->strCognome));
            ar.WriteString(CodeCString(t->strPassword));
        }
        return;
    }
    DWORD count = 0;
    if (!ar.ReadDWORD(count)) return;
    // A count larger than the file can hold ends at the first string that
    // runs past the end, so it never costs more than the file's size.
    for (DWORD i = 0; i < count; ++i) {
        CString fields[3];
        for (auto& f : fields) {
            if (!ar.ReadString(f)) return;
        }
        AddCollaudatore(DeCodeCString(fields[0]), DeCodeCString(fields[1]), DeCodeCString(fields[2]));
    }
}

BOOL CDBCollaudatori::SaveDBaseToFile() { return Save(); }

BOOL CDBCollaudatori::Save() {
    if (!m_bDirty) return TRUE;
    const std::string path = ToPath(m_strPathDB);
    FileLock lock;
    std::string why;
    if (!lock.Acquire(m_strPathDB, &why)) return FileErrorBox(why);
    // Under the lock, the file as it is now: another program may have
    // saved its own testers since this object read it.
    std::vector<std::unique_ptr<_Collaudatore>> current;
    if (FileExists(m_strPathDB)) {
        std::vector<unsigned char> data;
        if (!ReadWholeFile(m_strPathDB, data, kMaxFileBytes)) {
            return FileErrorBox("cannot read " + path + ": " + std::strerror(errno));
        }
        if (!ReadTesters(data, current)) return FileErrorBox(path + " is damaged and is left as it is");
    }
    ApplyChanges(current);
    m_arrTesters = std::move(current);
    m_uiNumTesters = static_cast<UINT>(m_arrTesters.size());
    CArchive ar;
    Serialize(ar);
    // The reader refuses a larger file unread: one written would lock
    // every tester out.
    if (ar.Bytes().size() > kMaxFileBytes) {
        return FileErrorBox(path + " would grow to " + std::to_string(ar.Bytes().size()) + " bytes, more than the " +
                            std::to_string(kMaxFileBytes) + " a testers database may hold");
    }
    // The passwords are only obfuscated: a new file is for its owner's eyes.
    if (!WriteFileAtomically(m_strPathDB, ar.Bytes().data(), ar.Bytes().size(), &why, 0600)) {
        return FileErrorBox(why);
    }
    m_added.clear();
    m_removed.clear();
    m_bDirty = FALSE;
    return TRUE;
}

BOOL CDBCollaudatori::AddCollaudatore(const CString& nome, const CString& cognome, const CString& password) {
    m_arrTesters.push_back(std::make_unique<_Collaudatore>(_Collaudatore{nome, cognome, password}));
    m_uiNumTesters = static_cast<UINT>(m_arrTesters.size());
    m_bDirty = TRUE;
    if (!m_loading) m_added.push_back(_Collaudatore{nome, cognome, password});
    return TRUE;
}

BOOL CDBCollaudatori::GetDataTester(const CString& password, CString* nome, CString* cognome) {
    for (const auto& t : m_arrTesters) {
        if (t->strPassword == password) {
            if (nome) *nome = t->strNome;
            if (cognome) *cognome = t->strCognome;
            return TRUE;
        }
    }
    ErrorBox(L"Invalid password");
    return FALSE;
}

void CDBCollaudatori::FreeMemoryRecord() {
    m_arrTesters.clear();
    m_uiNumTesters = 0;
    m_added.clear();
    m_removed.clear();
}

BOOL CDBCollaudatori::IsPasswordInUse(const CString& password) const {
    for (const auto& t : m_arrTesters) {
        if (t->strPassword == password) return TRUE;
    }
    return FALSE;
}

BOOL CDBCollaudatori::RegistraCollaudatore(const CString& nome, const CString& cognome, const CString& password) {
    if (nome.IsEmpty() || cognome.IsEmpty() || password.IsEmpty()) {
        ErrorBox(L"Do no insert a empty field!");
        return FALSE;
    }
    if (!Latin1(nome) || !Latin1(cognome) || !Latin1(password)) {
        ErrorBox(L"The testers database cannot store a character of this name or password.");
        return FALSE;
    }
    if (IsPasswordInUse(password)) {
        ErrorBox(L"Password already in use");
        return FALSE;
    }
    if (!AddCollaudatore(nome, cognome, password)) {
        ErrorBox(L"Operation Failed!");
        return FALSE;
    }
    MessageBox(nullptr, L"Operation succesfully completed!", L"Operation Ok", MB_OK | MB_ICONEXCLAMATION);
    return TRUE;
}

int CDBCollaudatori::RemoveCollaudatore(const CString& nome, const CString& cognome) {
    const auto before = m_arrTesters.size();
    std::erase_if(m_arrTesters, [&](const auto& t) { return t->strNome == nome && t->strCognome == cognome; });
    const int removed = static_cast<int>(before - m_arrTesters.size());
    m_uiNumTesters = static_cast<UINT>(m_arrTesters.size());
    if (removed > 0) {
        m_bDirty = TRUE;
        std::erase_if(m_added, [&](const _Collaudatore& t) { return SameTester(t, nome, cognome); });
        if (std::find(m_removed.begin(), m_removed.end(), std::make_pair(nome, cognome)) == m_removed.end())
            m_removed.emplace_back(nome, cognome);
    }
    return removed;
}
