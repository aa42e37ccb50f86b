// A printer model's configuration file, on top of the serial port: which
// files belong to the model, which optional devices it has (and a few
// numbers about it), the bytes of every printer command with the number of
// reply bytes to expect, and named sets of commands that put a printer into
// a factory configuration. The printers object speaks to a printer only
// through these tables.
//
// The file is single-byte text (one byte, one character). Four sections,
// each between a begin and an end keyword line:
//   #BeginFile ... $name=file ... #EndFile
//   #BeginOption ... $name=value ... #EndOption
//   #BeginCommand ... $name&count£replies%1B,40 ... #EndCommand
//   #BeginDefaultConfig ... (as commands) ... #EndDefaultConfig
#pragma once

#include "KalvoNewComObject.h"

#include <memory>
#include <string>
#include <vector>

struct OSTREL_API CfgFileEntry {
    CString name;
    CString path;  // the working folder + the file named in the configuration
};

struct OSTREL_API CfgOptionEntry {
    CString name;
    wchar_t state = L'N';  // 'Y' present, 'N' absent, 'O' ask the operator
    DWORD value = 0;
    CString text;  // the operator's question of an 'O' option
};

struct OSTREL_API CfgCommandEntry {
    static constexpr DWORD kMaxBytes = 15;
    CString name;
    DWORD numByte = 0;   // 1 .. kMaxBytes
    DWORD numReply = 0;  // bytes the printer answers with
    BYTE command[kMaxBytes] = {};
};

class OSTREL_API CKalvoNewCfgFileObject : public CKalvoNewComObject {
public:
    // Lines of the file are read up to this many characters; a section ends
    // after this many lines at the latest.
    static constexpr int kMaxLineChars = 349;
    static constexpr int kMaxSectionLines = 350;

    CKalvoNewCfgFileObject();
    ~CKalvoNewCfgFileObject() override;

    // folder ends with "/" (added when missing) and prefixes every file name
    // of the configuration; the first six arguments open the port as
    // InitKalvoNewComObject does.
    BOOL InitCKalvoNewCfgFileObject(HWND hMainWnd, void* pMainFrame, const CString& folder,
                                    const CString& logFileName, const CString& portName, int debugMode,
                                    const CString& cfgFileName, UINT uiHwHandshake);
    BOOL LoadPublicCfgFile();

    CString* Get_m_NomeDefConfPrn() { return &m_NomeDefConfPrn; }
    std::vector<std::unique_ptr<CfgCommandEntry>>* Get_ptrPrnDefConfig() { return &m_arrDefConfig; }

protected:
    BOOL LoadCfgFile(const CString& path);
    BOOL LoadFileInfo(const CString& path);
    BOOL LoadOptionInfo(const CString& path);
    BOOL LoadCommandInfo(const CString& path);
    BOOL LoadDefaultConfigInfo(const CString& path);

    // Reads lines from the current position of the open file until one
    // holds the keyword (see SerchKeyWordInStr); the reader stays after it.
    BOOL SerchKeyWordInFile(const CString& path, const CString& keyword);
    // Whether the text before a "#" that follows other text holds the
    // keyword, in any letter case (a leading "#" is skipped).
    BOOL SerchKeyWordInStr(const CString& text, const CString& keyword);

    BOOL NewFilesPrinters(const CString& name, const CString& path);
    BOOL NewOptionPrinters(const CString& name, wchar_t state, DWORD value);
    BOOL NewOptionPrinters(const CString& name, wchar_t state, DWORD value, const CString& text);
    BOOL NewCommandPrinters(const CString& name, DWORD numByte, DWORD numReply, const BYTE* bytes);
    BOOL NewDefaultConfig(const CString& name, DWORD numByte, DWORD numReply, const BYTE* bytes);
    void FreeFilesPrinters();
    void FreeOptionPrinters();
    void FreeCommandPrinters();
    void FreeDefaultConfig();

    // "1B,40,0A" to bytes: each piece base 16, its low byte; at most maxCount.
    // Returns the number of bytes written.
    int CommandExToUchar(const CString& text, BYTE* out, int maxCount);

    BOOL GetFilePrintersToTest(const CString& name, CString* path);
    virtual BOOL GetOptionPrintersToTest(const CString& name, DWORD* value);
    // Whether an optional device is present. This class answers TRUE without
    // looking; the printers object asks the table (and the operator).
    virtual BOOL GetOptionPrintersToTest(const CString& name, int* present);
    virtual BOOL GetOptionPrintersToTest(const CString& name, char* state, DWORD* value);
    // Copies the command's bytes (numByte of them) into `bytes`, which holds
    // CfgCommandEntry::kMaxBytes; an unknown name leaves it all zero.
    BOOL GetCommandPrintersToTest(const CString& name, BYTE* bytes, DWORD* numByte, DWORD* numReply);
    // The entry of a named default configuration at or after *index; *index
    // becomes its position. Walk a configuration by calling again with the
    // index plus one until FALSE.
    BOOL GetCommandDefConfigPrn(const CString& name, DWORD* index, BYTE* bytes, DWORD* numByte, DWORD* numReply);

    BOOL GetFileInfo(const CString& path);
    BOOL GetOptionInfo(const CString& path);
    BOOL GetCommandInfo(const CString& path);
    BOOL GetDefaultConfigInfo(const CString& path);
    BOOL DebugOptionInfo();
    BOOL DebugCommandInfo();
    BOOL DebugDefaultConfigInfo();

    // The file being read, one section at a time.
    struct CfgTextFile {
        std::string bytes;
        std::size_t pos = 0;
    };

    const CString m_CfgClassName = L"CKalvoNewCfgPrnFileObject";
    const CString m_CfgVersion = L"1.00";
    std::unique_ptr<CfgTextFile> m_pFileCfg;
    CString m_strCfgFile;
    CString m_strFolder;
    CString m_strPathCfg;
    CString m_NomeDefConfPrn;
    std::vector<std::unique_ptr<CfgFileEntry>> m_arrFiles;
    std::vector<std::unique_ptr<CfgOptionEntry>> m_arrOptions;
    std::vector<std::unique_ptr<CfgCommandEntry>> m_arrCommands;
    std::vector<std::unique_ptr<CfgCommandEntry>> m_arrDefConfig;
    BOOL m_fCfgLoaded = FALSE;

private:
    enum class Section { Files, Options, Commands, DefaultConfig };
    BOOL LoadSection(const CString& path, Section section);
    BOOL ReadSection(const CString& path, Section section);
    BOOL ReadCommandEntry(const CString& clean, bool defaultConfig);
    // FALSE when the value is of no known kind (the section stops there).
    BOOL ReadOptionEntry(const CString& clean, const CString& raw, const CString& path);
    bool OpenCfgText(const CString& path, std::string& why);
    bool ReadCfgLine(CString& line);
    BOOL WriteCommandDump(const std::vector<std::unique_ptr<CfgCommandEntry>>& table, const wchar_t* file);
    BOOL WriteDump(const CString& file, const std::string& text, const CString& message, const CString& caption);
    void ReportMissing(const CString& name, const CString& caption, const wchar_t* gap);
};
