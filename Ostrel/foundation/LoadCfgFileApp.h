// An application's own configuration file: "$key=value" lines between a
// "BeginAppCfg" and an "EndAppCfg" marker line, read into a table of key and
// value strings. A derived class takes what it needs in LoadImportantInfo.
#pragma once

#include "Conversioni.h"

#include <memory>
#include <vector>

struct OSTREL_API CfgFileAppEntry {
    CString key;
    CString value;
};

class OSTREL_API CLoadCfgFileApp : public CConversioni {
public:
    using Table = std::vector<std::unique_ptr<CfgFileAppEntry>>;

    static constexpr int kMaxLineChars = 349;
    static constexpr int kMaxEntries = 350;

    CLoadCfgFileApp(HWND wnd, const CString& nameWorkDir, const CString& fileCfgApp);
    ~CLoadCfgFileApp() override;

    int LoadFileAppCfgInfo();
    int LoadFileAppCfgInfo(const CString& path);
    int GetCfgFileApp(const CString& key, CString* value);

    void Set_m_NameWorkDir(const CString& dir) { m_NameWorkDir = dir; }
    void Set_m_FileCfgApp(const CString& file) { m_FileCfgApp = file; }
    void Set_m_HWnd(HWND wnd) { m_HWnd = wnd; }
    // Folder of the dump of what was read; empty: "DebugFile/" in the work
    // folder. An installed program's folder is not writable, so its program
    // points this at a folder of the user's.
    void Set_m_DebugDir(const CString& dir) { m_DebugDir = dir; }
    CString Get_m_NomeModelloPrn() const { return m_NomeModelloPrn; }
    CString Get_m_ComPort() const { return m_ComPort; }
    CString Get_m_NomeFileCfgPrn() const { return m_NomeFileCfgPrn; }
    CString Get_m_NomeFileAvi() const { return m_NomeFileAvi; }
    CString Get_m_DirLogFile() const { return m_DirLogFile; }
    const Table* Getp_m_ptrCfgFilesApp() const { return &m_ptrCfgFilesApp; }

protected:
    int LoadAppCfgFile(const CString& path);
    int NewCfgFileApp(const CString& key, const CString& value);
    void FreeCfgFileApp();
    // Reads lines until one whose text before any "#" holds the keyword
    // (both upper-cased); the reader is left after that line.
    int SerchKeyWordInFile(const CString& keyword);
    int SerchKeyWordInStr(const CString& line, const CString& keyword);
    // Reads entry lines up to the end marker; 1 when the marker was found.
    int GetFileAppInfo();
    int DebugAppCfgFile();
    virtual int LoadImportantInfo() { return 1; }

    Table m_ptrCfgFilesApp;
    CString m_NameWorkDir;
    CString m_FileCfgApp;
    CString m_DebugDir;
    HWND m_HWnd = nullptr;
    CString m_NomeModelloPrn;
    CString m_ComPort;
    CString m_NomeFileCfgPrn;
    CString m_NomeFileAvi;
    CString m_DirLogFile;

private:
    bool ReadLine(CString& line);

    // The text of the file being loaded, and the read position in it; empty
    // outside a load.
    std::wstring m_text;
    std::size_t m_pos = 0;
};
