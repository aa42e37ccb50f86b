// The one process-wide provider of the few things the library must show a
// person: message boxes and the release-assertion dialog. The library never
// includes a widget toolkit; the host installs the provider it wants.
#pragma once

#include "CString.h"
#include "OstrelExport.h"
#include "WinTypes.h"

#include <deque>
#include <mutex>
#include <vector>

class OSTREL_API UiServices {
public:
    virtual ~UiServices() = default;
    // Returns the button pressed (IDOK, IDCANCEL, IDYES ...).
    virtual int MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) = 0;
    // The release-assertion dialog: three read-only fields (check, class,
    // source file). Returns IDOK or IDCANCEL; the caller throws either way.
    virtual int AssertionDialog(const CString& check, const CString& className, const CString& sourceFile) = 0;

    // The installed provider; the headless one when nothing was installed.
    static UiServices& Get();
    // Installs a provider (not owned; nullptr restores the headless one) and
    // returns the previous one.
    static UiServices* Install(UiServices* provider);
};

// The default answer of a box: the first button of its style.
OSTREL_API int DefaultButton(UINT style);

// Shows a box through the installed provider.
OSTREL_API int MessageBox(HWND owner, const CString& text, const CString& caption, UINT style = MB_OK);

// For programs without a window: prints each box on stderr and answers its
// default button.
class OSTREL_API HeadlessUiServices : public UiServices {
public:
    int MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) override;
    int AssertionDialog(const CString& check, const CString& className, const CString& sourceFile) override;
};

// For tests: every box is recorded; answers come from a queue. A box that
// arrives when the queue is empty is recorded as unexpected and answered with
// its default button, so the test can fail on it.
class OSTREL_API ScriptedUiServices : public UiServices {
public:
    struct Box {
        bool assertion = false;
        HWND owner = nullptr;
        CString text;
        CString caption;
        UINT style = 0;
        int answer = 0;
        bool expected = true;
        // Assertion dialog fields.
        CString check, className, sourceFile;
    };

    int MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) override;
    int AssertionDialog(const CString& check, const CString& className, const CString& sourceFile) override;

    // Queue the answer of the next box (or assertion dialog).
    void Answer(int button);
    std::vector<Box> Boxes() const;
    std::size_t Count() const;
    std::size_t UnexpectedCount() const;
    std::size_t PendingAnswers() const;
    void Clear();

private:
    int Take(Box& b);
    mutable std::mutex m_lock;
    std::deque<int> m_answers;
    std::vector<Box> m_boxes;
};
