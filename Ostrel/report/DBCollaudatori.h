// The station's file of testers (first name, last name, personal password),
// held in memory. A tester logs in by typing his password; the station looks
// it up here. The file is the framework's archive: a 32-bit count, then three
// strings per tester, each stored through CodeCString.
#pragma once

#include "Archive.h"
#include "Conversioni.h"

#include <cstdint>
#include <memory>
#include <vector>

struct _Collaudatore {
    CString strNome;
    CString strCognome;
    CString strPassword;
};

class OSTREL_API CDBCollaudatori : public CConversioni {
public:
    explicit CDBCollaudatori(const CString& pathDB);
    // Saves when modified; a failure here has nobody to answer a box, so it
    // goes to stderr and the file keeps its old contents.
    ~CDBCollaudatori() override;
    CDBCollaudatori(const CDBCollaudatori&) = delete;
    CDBCollaudatori& operator=(const CDBCollaudatori&) = delete;

    // Replaces the list in memory with the file's testers. A damaged file is
    // refused as a whole: nothing of it is added.
    BOOL LoadDBaseFromFile();
    // The format sets no limit, but a station's file holds a few hundred
    // testers (about 150 bytes each); a file beyond this is refused unread,
    // as each of its testers costs memory many times its bytes.
    static constexpr std::uint64_t kMaxFileBytes = std::uint64_t{16} << 20;
    // Writes the file in one step (temporary file, then rename); does
    // nothing and succeeds when nothing changed.
    BOOL SaveDBaseToFile();
    BOOL AddCollaudatore(const CString& nome, const CString& cognome, const CString& password);
    // The first tester with exactly this password (case-sensitive).
    BOOL GetDataTester(const CString& password, CString* nome, CString* cognome);
    void FreeMemoryRecord();
    virtual void Serialize(CArchive& ar);

    // Registration as the station offers it: every field filled, a password
    // no other tester has (two testers with one password could not be told
    // apart at login), then the add; each outcome shown in a box.
    BOOL RegistraCollaudatore(const CString& nome, const CString& cognome, const CString& password);
    BOOL IsPasswordInUse(const CString& password) const;
    // Removes every tester with exactly these names; returns how many.
    int RemoveCollaudatore(const CString& nome, const CString& cognome);

    UINT Get_m_uiNumTesters() const { return m_uiNumTesters; }
    const _Collaudatore& GetTester(UINT index) const { return *m_arrTesters.at(index); }
    BOOL Get_m_bDirty() const { return m_bDirty; }
    // Clearing it drops unsaved changes from the destructor's save.
    void Set_m_bDirty(BOOL dirty) { m_bDirty = dirty; }
    const CString& Get_m_strPathDB() const { return m_strPathDB; }

protected:
    BOOL Save(bool showBoxes);

    const CString m_ClassName = L"CDBCollaudatori";
    const CString m_Version = L"1.00";
    std::vector<std::unique_ptr<_Collaudatore>> m_arrTesters;
    CString m_strPathDB;
    UINT m_uiNumTesters = 0;
    BOOL m_bDirty = FALSE;
};
