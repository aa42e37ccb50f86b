#include "DBCollaudatori.h"

#include "FileUtil.h"
#include "UiServices.h"

#include <cstdio>
#include <string>

namespace {
const wchar_t* const kNoDbFile = L"No data base testers file succesfully created!";
const wchar_t* const kNotLoaded = L"No file data base testers not load!";
const wchar_t* const kError = L"Error";

void ErrorBox(const CString& text) { MessageBox(nullptr, text, kError, MB_OK | MB_ICONERROR); }
}  // namespace

CDBCollaudatori::CDBCollaudatori(const CString& pathDB) : m_strPathDB(pathDB) {}

CDBCollaudatori::~CDBCollaudatori() {
    Save(false);
    FreeMemoryRecord();
}

BOOL CDBCollaudatori::LoadDBaseFromFile() {
    std::vector<unsigned char> data;
    if (!ReadWholeFile(m_strPathDB, data, kMaxFileBytes)) {
        ErrorBox(kNoDbFile);
        return FALSE;
    }
    // The file's testers join those in memory; a damaged file adds none,
    // and loading alone does not make the file worth rewriting.
    const std::size_t before = m_arrTesters.size();
    const BOOL dirty = m_bDirty;
    CArchive ar(data.data(), data.size());
    Serialize(ar);
    m_bDirty = dirty;
    if (ar.Failed()) {
        m_arrTesters.resize(before);
        m_uiNumTesters = static_cast<UINT>(before);
        ErrorBox(kNotLoaded);
        return FALSE;
    }
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

BOOL CDBCollaudatori::SaveDBaseToFile() { return Save(true); }

BOOL CDBCollaudatori::Save(bool showBoxes) {
    if (!m_bDirty) return TRUE;
    CArchive ar;
    Serialize(ar);
    std::string error;
    // The passwords are only obfuscated: a new file is for its owner's eyes.
    if (!WriteFileAtomically(m_strPathDB, ar.Bytes().data(), ar.Bytes().size(), &error, 0600)) {
        if (showBoxes) {
            ErrorBox(kNoDbFile);
        } else {
            std::fprintf(stderr, "testers database not saved: %s\n", error.c_str());
        }
        return FALSE;
    }
    m_bDirty = FALSE;
    return TRUE;
}

BOOL CDBCollaudatori::AddCollaudatore(const CString& nome, const CString& cognome, const CString& password) {
    m_arrTesters.push_back(std::make_unique<_Collaudatore>(_Collaudatore{nome, cognome, password}));
    m_uiNumTesters = static_cast<UINT>(m_arrTesters.size());
    m_bDirty = TRUE;
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
    if (removed > 0) m_bDirty = TRUE;
    return removed;
}
