#include "KalvoNewDebugObject.h"

#include "FileUtil.h"
#include "UiServices.h"

#include <cerrno>
#include <cstring>

CKalvoNewDebugObject::CKalvoNewDebugObject(HWND mainWnd, void* mainFrame, const CString& logDir,
                                           const CString& logFileName, const CString& description, int enabled)
    : m_ptrMainFrame(mainFrame),
      m_hMainWnd(mainWnd),
      m_bfEnabled(enabled),
      m_PathLogFile(logDir),
      m_NameLogFile(logFileName),
      m_Description(description),
      m_PathNameLogFile(logDir + logFileName) {}

int CKalvoNewDebugObject::InitCKalvoNewDebugObject(HWND mainWnd, void* mainFrame, const CString& logDir,
                                                   const CString& logFileName, const CString& description,
                                                   int /*unused*/) {
    m_hMainWnd = mainWnd;
    m_ptrMainFrame = mainFrame;
    m_PathLogFile = logDir;
    m_NameLogFile = logFileName;
    m_Description = description;
    m_PathNameLogFile = m_PathLogFile + m_NameLogFile;
    std::string why;
    if (PrepareLogFile(why)) {
        m_bfLogToFile = 1;
        m_bfDebugObjInit = 1;
        return 1;
    }
    // One box for one cause, with the system's reason: hosts go on without
    // a log, so this is the only word the user gets about it.
    MessageBox(m_hMainWnd,
               L"\nImpossibile inizializzare il file di log: " + m_PathNameLogFile + L" (" + CString::FromUtf8(why) +
                   L")",
               L"Errore", MB_OKCANCEL);
    m_bfLogToFile = 0;
    return 0;
}

int CKalvoNewDebugObject::MessageLog(const CString& text, const CString& caption, int show) {
    if (m_bfEnabled) LogToFile(text, caption, show);
    return 1;
}

int CKalvoNewDebugObject::LogToFile(const CString& text, const CString& caption, int show) {
    if (!m_bfEnabled) return 1;
    if (m_bfLogToFile) {
        BinaryFile f;
        if (f.Open(m_PathNameLogFile, BinaryFile::Mode::Append)) {
            const std::string bytes = text.ToUtf8();
            f.Write(bytes.data(), bytes.size());
        }
    }
    if (show) MessageBox(m_hMainWnd, text, caption, MB_ICONWARNING);
    return 1;
}

int CKalvoNewDebugObject::Setm_hMainWnd(HWND wnd) {
    m_hMainWnd = wnd;
    return 1;
}

int CKalvoNewDebugObject::SetptrMainFrame(void* frame) {
    m_ptrMainFrame = frame;
    return 1;
}

int CKalvoNewDebugObject::Setm_PathLogFile(const CString& dir) {
    m_PathLogFile = dir;
    return 1;
}

// The log file itself is made by its first line: a run that logs nothing
// leaves no empty file behind. What can be known now is found out now, while
// a box can still say so: an existing log is emptied (every run starts a new
// log), a missing one must be creatable in its folder.
bool CKalvoNewDebugObject::PrepareLogFile(std::string& why) {
    errno = 0;
    bool ok = false;
    if (FileExists(m_PathNameLogFile)) {
        BinaryFile f;
        ok = CanWriteFileAt(m_PathNameLogFile) && f.Open(m_PathNameLogFile, BinaryFile::Mode::Create);
    } else {
        ok = CanWriteFileAt(m_PathNameLogFile);
    }
    if (!ok) why = errno ? std::strerror(errno) : "cannot be written";
    return ok;
}

int CKalvoNewDebugObject::CreateLogFile() {
    std::string why;
    if (!PrepareLogFile(why)) {
        MessageBox(m_hMainWnd, L"Impossibile creare il file di log", L"Errore", MB_ICONERROR);
        return 0;
    }
    m_bfLogToFile = 1;
    return 1;
}

int CKalvoNewDebugObject::DeleteLogFile() {
    if (!FileExists(m_PathNameLogFile)) return 1;
    BinaryFile f;
    if (!f.Open(m_PathNameLogFile, BinaryFile::Mode::Create)) {
        MessageBox(m_hMainWnd, L"Impossibile cancellare il file di log", L"Errore", MB_ICONERROR);
        return 0;
    }
    return 1;
}
