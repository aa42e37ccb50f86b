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
    // Saves when modified; a failure is shown through the installed UI
    // services (stderr without one) and the file keeps its old contents.
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
    // Does nothing and succeeds when nothing changed. Otherwise, under the
    // file's lock, reads the file as it is now, applies this object's
    // additions and removals since its last load or save, and writes the
    // result in one step (temporary file, then rename): a tester another
    // program saved meanwhile is kept. The list in memory becomes the
    // file's. A file that would grow beyond kMaxFileBytes is not written.
    BOOL SaveDBaseToFile();
    BOOL AddCollaudatore(const CString& nome, const CString& cognome, const CString& password);
    // The first tester with exactly this password (case-sensitive).
    BOOL GetDataTester(const CString& password, CString* nome, CString* cognome);
    void FreeMemoryRecord();
    virtual void Serialize(CArchive& ar);

    // Registration as the station offers it: every field filled, a password
    // no other tester has (two testers with one password could not be told
    // apart at login), then the add; each outcome shown in a box.
    // A name or password outside Latin-1 is refused too: the file keeps one
    // byte per character, and the tester could never log in.
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
    BOOL Save();
    // Reads the archive body into `out`; false when it is damaged.
    bool ReadTesters(const std::vector<unsigned char>& data, std::vector<std::unique_ptr<_Collaudatore>>& out);
    // This object's unsaved additions and removals, applied to a list.
    void ApplyChanges(std::vector<std::unique_ptr<_Collaudatore>>& testers) const;

    const CString m_ClassName = L"CDBCollaudatori";
    const CString m_Version = L"1.00";
    std::vector<std::unique_ptr<_Collaudatore>> m_arrTesters;
    CString m_strPathDB;
    UINT m_uiNumTesters = 0;
    BOOL m_bDirty = FALSE;

private:
    // What this object changed since the file was last read or written:
    // what a save applies to the file as it then is.
    std::vector<_Collaudatore> m_added;
    std::vector<std::pair<CString, CString>> m_removed;
    bool m_loading = false;
};
