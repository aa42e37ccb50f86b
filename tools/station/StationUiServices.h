// The station's UI services: the library's Qt provider, plus what a test
// station adds around it. The report goes to a PDF file when the station was
// told so, or when the system has no printer to offer (a report that must be
// printed must not be lost for want of a printer); the flow-control test's
// buffer-full prompt tells the window first, which closes its own prompt;
// and the operator's "interrupt the test" answer is remembered for the
// worker, whose operator-judgement call cannot tell it from a failed phase.
//
// The library repeats a box for every attempt that fails the same way; the
// operator sees it once, and the repeats are counted and told to the window
// as "caption: text (8 times)" when a different box comes or the test ends.
// Box texts lose the library's function-name prefix ("WriteToCom() "): the
// operator reads a sentence, the debug log keeps the whole text.
#pragma once

#include "QtUiServices.h"

#include <QString>

#include <atomic>
#include <functional>
#include <mutex>

class StationUiServices : public QtUiServices {
public:
    int MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) override;
    int PrintDialog(HWND owner, std::unique_ptr<PrintDevice>& device, CString& error) override;

    // Where the report goes as PDF; empty: the print dialog.
    void SetPdfPath(const QString& path);
    QString PdfPath() const;
    // The PDF file the last report went to (empty: a printer).
    QString LastPdf() const;
    // The name the save dialog proposes when there is no printer.
    void SetSuggestedPdf(const QString& path);
    // Called on the GUI thread before the buffer-full box shows.
    void SetOnBufferFull(std::function<void()> fn);

    // Called on the GUI thread with "caption: text (N times)" when a run of
    // repeated boxes ends.
    void SetOnRepeated(std::function<void(const QString&)> fn);
    // Ends the run of repeats (at the end of a test): the next box shows
    // whatever came before it.
    void EndRepeats();
    // A box text as the operator reads it.
    static QString ForOperator(const CString& text);

    bool Interrupted() const { return m_interrupted.load(); }
    void ResetInterrupted() { m_interrupted = false; }

private:
    mutable std::mutex m_lock;
    QString m_pdf;
    QString m_lastPdf;
    QString m_suggestedPdf;
    std::function<void()> m_onBufferFull;
    std::function<void(const QString&)> m_onRepeated;
    CString m_lastText, m_lastCaption;
    UINT m_lastStyle = 0;
    int m_repeats = 0;  // boxes like the last one shown, held back
    std::atomic<bool> m_interrupted{false};
};
