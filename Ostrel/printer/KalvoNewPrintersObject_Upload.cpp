// The printers object's procedures built on the byte writer: sending a whole
// file (a firmware upgrade, or test data repeated to flood the receive
// buffer) with its progress description, and the operator's judgement of a
// test phase.
#include "KalvoNewPrintersObject.h"

#include "FileUtil.h"
#include "MessageTarget.h"
#include "UiServices.h"

#include <cerrno>
#include <climits>
#include <new>
#include <vector>

BOOL CKalvoNewPrintersObject::Initm_ProgressBarCtrl(const CString& title, const CString& text1, const CString& text2,
                                                    int min, int max, int step, const CString& clipPath) {
    InitCStringm_ProgressBarCtrl(title, text1, text2);
    InitIntm_ProgressBarCtrl(min, max, step);
    // The clip is always the object's own; the argument only says whether
    // the display plays it.
    if (!clipPath.IsEmpty()) m_ProgressBarCtrl.strAviPath = m_strAviPath;
    return TRUE;
}

BOOL CKalvoNewPrintersObject::InitCStringm_ProgressBarCtrl(const CString& title, const CString& text1,
                                                          const CString& text2) {
    m_ProgressBarCtrl.strTitle = title;
    m_ProgressBarCtrl.strText1 = text1;
    m_ProgressBarCtrl.strText2 = text2;
    return TRUE;
}

BOOL CKalvoNewPrintersObject::InitIntm_ProgressBarCtrl(int min, int max, int step) {
    m_ProgressBarCtrl.iMin = min;
    m_ProgressBarCtrl.iMax = max;
    m_ProgressBarCtrl.iStep = step;
    return TRUE;
}

BOOL CKalvoNewPrintersObject::WriteFileToCom(const CString& path, UINT totalBytes, const CString& description,
                                             int testFlag) {
    const CString caption = L"WriteFileToCom()";
    std::vector<BYTE> data;
    {
        BinaryFile file;
        if (!file.Open(path, BinaryFile::Mode::Read)) {
            const int cause = errno;
            m_pDebugObj->MessageLog(CString::Format(L"\nErrore apertura file: %s Errore: %d", path, cause),
                                    caption, 1);
            return FALSE;
        }
        const std::int64_t length = file.Length();
        try {
            if (length < 0 || static_cast<std::uint64_t>(length) > UINT_MAX) throw std::bad_alloc();
            data.resize(static_cast<std::size_t>(length));
        } catch (const std::bad_alloc&) {
            m_pDebugObj->MessageLog(L"\nImpossibile allocare la memoria necessaria per caricare il file: " + path +
                                        L" Errore: memoria non allocata",
                                    caption, 1);
            return FALSE;
        }
        if (file.Read(data.data(), data.size()) < data.size()) {
            m_pDebugObj->MessageLog(L"\nImpossibile caricare in memoria il file: " + path, caption, 1);
            return FALSE;
        }
    }
    // Copies of nothing can never fill a buffer: the count would divide by
    // the file's size.
    if (totalBytes != 0 && data.empty()) {
        m_pDebugObj->MessageLog(L"\nIl file da inviare è vuoto: " + path, caption, 1);
        return FALSE;
    }
    m_pDebugObj->LogToFile(description, caption, 0);

    const DWORD size = static_cast<DWORD>(data.size());
    const unsigned long long copies = totalBytes != 0 ? totalBytes / size + 3ULL : 1ULL;
    // Ten units a copy; a range beyond int is only reachable with a tiny file
    // and a huge total, and the display is then capped rather than wrapped.
    const unsigned long long range = copies * 10ULL;
    Initm_ProgressBarCtrl(L"Test controllo di flusso", L"Attendere prego ...", CString(), 0,
                          range > INT_MAX ? INT_MAX : static_cast<int>(range), 10, m_strAviPath);
    PostMessage(m_hNotifyWnd, WM_PROGRESS_START, 0, 0);

    bool complete = true;
    for (unsigned long long i = 0; i < copies; ++i) {
        m_pDebugObj->LogToFile(
            CString::Format(L"\nWriteToCom(): Inviati %d bytes alla stampante", i * size),
            caption, 0);
        if (!WriteToCom(data.data(), size, testFlag)) {
            complete = false;
            break;
        }
        PostMessage(m_hNotifyWnd, WM_PROGRESS_STEP, 0, 0);
    }
    if (complete) m_pDebugObj->LogToFile(L"\nFine procedura di invio dati", caption, 0);
    PostMessage(m_hNotifyWnd, WM_PROGRESS_END, 0, 0);
    return complete ? TRUE : FALSE;
}

BOOL CKalvoNewPrintersObject::MessageToCollaudatore(const CString& message, const CString& phase, UINT style) {
    const CString caption = L"MessageToCollaudatore()";
    for (;;) {
        const int answer = MessageBox(m_hMainWnd, message, phase, style | MB_ICONEXCLAMATION);
        switch (answer) {
            case IDOK:
                m_pDebugObj->LogToFile(L"\n" + phase, caption, 0);
                return TRUE;
            case IDYES:
            case IDNO: {
                const bool passed = answer == IDYES;
                const CString line = L"\nLa fase: " + phase + (passed ? L" :    OK" : L" :    NON OK");
                if (ReportOn()) ReportLine(line);
                m_pDebugObj->LogToFile(line, caption, 0);
                return passed ? TRUE : FALSE;
            }
            case IDCANCEL:
                if (MessageBox(m_hMainWnd, L"Si vuole interrompere il collaudo?", L"Interruzione collaudo",
                               MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
                    continue;
                if (ReportOn()) {
                    ReportLine(L"\nCollaudo interrotto alla fase: " + phase);
                    ReportLine(L"\nCollaudo interrotto alle ore: " + ClockText(GetClock().WallTime()));
                }
                m_pDebugObj->MessageLog(L"\nCollaudo stampante interrotto dall'utente", L"Collaudo interrotto", 1);
                return FALSE;
            default:
                m_pDebugObj->MessageLog(L"\nCaso default in switch MessageToCollaudatore()", caption, 1);
                return FALSE;
        }
    }
}
