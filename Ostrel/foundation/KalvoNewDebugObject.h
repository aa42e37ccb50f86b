// The shared message and log sink: appends texts to a plain log file and, on
// request, shows them in a warning box. Other objects keep a plain pointer to
// it and never delete it.
#pragma once

#include "Conversioni.h"

#include <string>

class OSTREL_API CKalvoNewDebugObject : public CConversioni {
public:
    CKalvoNewDebugObject(HWND mainWnd, void* mainFrame, const CString& logDir, const CString& logFileName,
                         const CString& description, int enabled);

    int InitCKalvoNewDebugObject(HWND mainWnd, void* mainFrame, const CString& logDir,
                                 const CString& logFileName, const CString& description, int unused);
    int Get_m_bfDebugObjInit() const { return m_bfDebugObjInit; }
    int MessageLog(const CString& text, const CString& caption, int show);
    int LogToFile(const CString& text, const CString& caption, int show);
    int Setm_hMainWnd(HWND wnd);
    int SetptrMainFrame(void* frame);
    int Setm_PathLogFile(const CString& dir);

    const CString& GetLogPath() const { return m_PathNameLogFile; }
    const CString& GetClassName() const { return m_ClassName; }
    const CString& GetVersion() const { return m_Version; }

protected:
    int CreateLogFile();
    int DeleteLogFile();
    // Empties an existing log or checks that a new one can be made; false
    // with the system's reason.
    bool PrepareLogFile(std::string& why);

    const CString m_ClassName = L"CKalvoNewDebugObject";
    const CString m_Version = L"1.00";
    void* m_ptrMainFrame = nullptr;
    HWND m_hMainWnd = nullptr;
    int m_bfLogToFile = 0;
    int m_bfReserved = 1;
    int m_bfEnabled = 0;
    int m_bfDebugObjInit = 0;
    CString m_PathLogFile;
    CString m_NameLogFile;
    CString m_Description;
    CString m_PathNameLogFile;
};
